#include "workspace/ImportCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "geo/GeoCoord.h"
#include "importer/PngTestFiles.h"
#include "importer/WebMercator.h"
#include "platform/Error.h"
#include "project/IniFile.h"
#include "project/MapSourceSettings.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::TempFolder;

constexpr const char* kNoMapText = "No map image loaded - nothing to process...";

class ImportRecorder : public testing::RecordingUserInterface {
 public:
  void ShowImportReading(const std::string& path) override { files.push_back(path); }
  void ImportMosaicStarted() override { mosaicShown.push_back(false); }
  void ImportMosaicReady() override { mosaicShown.push_back(true); }
  std::vector<std::string> files;
  std::vector<bool> mosaicShown;
};

// What the main window held each time the import asked for tile creation.
struct TileCreationCall {
  bool loaded;
  std::uint8_t mapResolution;
  std::int32_t resolutionMask;
  std::int32_t width, height;
  double north, west;
  std::int32_t nLon, nLat;
  double gridTop, gridLeft;
};

class ImportRunTest : public ::testing::Test {
 protected:
  ImportRunTest() {
    app.Source.Path = "/charts/alps.tif";
    app.Source.GeoRef.ColorReduction = 3;
    app.Source.GeoRef.Dithering = 1;
    app.CommandLine.ResolutionMask = 31;
  }

  ImportContext Context() {
    return ImportContext{
        import, app, ui, [this] {
          // The menu's entry: tiles when a map is loaded, else the message.
          if (!app.Source.Loaded) {
            ui.ShowMessage(kNoMapText);
            return;
          }
          const GeoReference& geo = app.Source.GeoRef;
          runs.push_back({app.Source.Loaded, geo.MapResolution, app.CommandLine.ResolutionMask,
                          app.Source.Image.Width(), app.Source.Image.Height(), geo.TopLeft.Latitude,
                          geo.TopLeft.Longitude, geo.NLon, geo.NLat, geo.GridTopLatitude,
                          geo.GridLeftLongitude});
        }};
  }

  void ChooseCell(std::int32_t north, std::int32_t west) {
    import.NorthEdge = north;
    import.WestEdge = west;
    import.CellChosen = true;
    SetImportSourceFolder(import, app.Project, tiles.Path());
  }

  TempFolder tiles;
  ImportState import;
  AppState app;
  ImportRecorder ui;
  std::vector<TileCreationCall> runs;
};

TEST_F(ImportRunTest, NothingHappensWithoutAFolderOrACell) {
  ImportContext context = Context();
  import.NorthEdge = 10;
  import.WestEdge = 4;
  ProcessImport(context);  // no cell chosen, no folder
  import.CellChosen = true;
  SetImportSourceFolder(import, app.Project, tiles / "missing");
  ProcessImport(context);
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.mosaicShown.empty());
  EXPECT_TRUE(app.Source.Image.Empty());
}

TEST_F(ImportRunTest, DefaultChoicesRunEveryZoomAndTheQuartersInOrder) {
  ChooseCell(10, 4);
  ImportContext context = Context();
  ProcessImport(context);

  ASSERT_EQ(runs.size(), 4u + 4u);
  for (int zoom = 7; zoom <= 10; ++zoom) {
    const TileCreationCall& run = runs[zoom - 7];
    SCOPED_TRACE(zoom);
    EXPECT_TRUE(run.loaded);
    EXPECT_EQ(run.mapResolution, 1 << (zoom - 7));  // RadioGroup k + 1 serves TileLevel k
    EXPECT_EQ(run.resolutionMask, 1 << (zoom - 7));
    EXPECT_EQ(run.width, MosaicWidth(zoom, 8) + 20);
    EXPECT_EQ(run.height, MosaicHeight(10.0f, 2.0f, zoom) + 20);
    EXPECT_EQ(run.north, 10.0);
    EXPECT_EQ(run.west, 4.0);
    EXPECT_EQ(run.nLon, 8);  // the grid was laid out before tile creation
    EXPECT_EQ(run.nLat, 8);
    EXPECT_EQ(run.gridTop, 10.0);
    EXPECT_EQ(run.gridLeft, 4.0);
  }
  // North-west, south-west, north-east, south-east.
  const double quarters[4][2] = {{10, 4}, {6, 4}, {10, 8}, {6, 8}};
  for (int q = 0; q < 4; ++q) {
    const TileCreationCall& run = runs[4 + q];
    SCOPED_TRACE(q);
    EXPECT_EQ(run.mapResolution, 16);
    EXPECT_EQ(run.north, quarters[q][0]);
    EXPECT_EQ(run.west, quarters[q][1]);
    EXPECT_EQ(run.width, 5825 + 20);
    EXPECT_EQ(run.height, MosaicHeight(static_cast<float>(quarters[q][0]),
                                       static_cast<float>(quarters[q][0] - 4), 11) +
                              20);
    EXPECT_EQ(run.nLon, 4);
    EXPECT_EQ(run.nLat, 4);
  }
  EXPECT_EQ(ui.LastStatus(), kImportStatusText);
  EXPECT_EQ(ui.mosaicShown,
            (std::vector<bool>{false, true, false, true, false, true, false, true, false, true,
                               false, true, false, true, false, true}));
  // The colour options are the main window's; the mosaic belongs to no chart's settings file.
  EXPECT_EQ(app.Source.GeoRef.ColorReduction, 3);
  EXPECT_EQ(app.Source.GeoRef.Dithering, 1);
  EXPECT_TRUE(app.Source.Path.empty());
  EXPECT_TRUE(ui.files.empty());  // an empty tree: black mosaics, nothing reported
}

// The run reads the cell, the zoom choices and the folder as they were when it started:
// what the import window changes while the first tiles are made reaches no later mosaic.
TEST_F(ImportRunTest, ChoicesChangedDuringTheRunDoNotReachIt) {
  ChooseCell(10, 4);
  ImportContext context = Context();
  const std::function<void()> process = context.ProcessSourceMap;
  context.ProcessSourceMap = [&] {
    process();
    import.ZoomChoices = {9, 9, 9, 9, 9};
    import.NorthEdge = 50;
    SetImportSourceFolder(import, app.Project, tiles / "missing");
  };
  ProcessImport(context);
  ASSERT_EQ(runs.size(), 4u + 4u);
  EXPECT_EQ(runs.back().mapResolution, 16);
  EXPECT_EQ(runs.back().north, 6.0);
}

TEST_F(ImportRunTest, GroupsSharingAZoomMakeTheirTilesInOneRunAndUnchosenZoomsOnlyMosaics) {
  ChooseCell(10, 4);
  import.ZoomChoices = {1, 1, 2, 2, 2};  // zoom 8 for levels 0 and 1, zoom 9 for levels 2 to 4
  ImportContext context = Context();
  ProcessImport(context);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].mapResolution, 0b00011);
  EXPECT_EQ(runs[0].width, MosaicWidth(8, 8) + 20);
  EXPECT_EQ(runs[1].mapResolution, 0b11100);
  EXPECT_EQ(runs[1].width, MosaicWidth(9, 8) + 20);
  // Zooms 7 and 10 still had their mosaics built (four in all); zoom 11 was skipped, so the
  // last mosaic is zoom 10's, and the mask is its empty one.
  EXPECT_EQ(ui.mosaicShown.size(), 8u);
  EXPECT_EQ(app.Source.Image.Width(), MosaicWidth(10, 8) + 20);
  EXPECT_EQ(app.Source.GeoRef.MapResolution, 0);
  EXPECT_EQ(app.CommandLine.ResolutionMask, 0);
  EXPECT_TRUE(app.Source.Loaded);
}

TEST_F(ImportRunTest, ABrokenTileLeavesNoMapForThatZoomOnly) {
  ChooseCell(10, 4);
  import.ZoomChoices = {0, 1, 1, 3, 3};
  const std::int32_t column = WebTileOf(WebMercatorX(4.0f, 8)).Tile;
  const std::int32_t row = WebTileOf(WebMercatorY(10.0f, 8)).Tile;
  const std::string broken = WebTilePath(tiles.Path(), 8, column + 1, row + 1);
  tiles.Write("8/" + std::to_string(column + 1) + "/" + std::to_string(row + 1) + ".png",
              "\x89PNG\r\n\x1a\nnot really");
  ImportContext context = Context();
  ProcessImport(context);

  // Zooms 7 and 10 made tiles; zoom 8 had no map and said so.
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].mapResolution, 1);
  EXPECT_EQ(runs[1].mapResolution, 0b11000);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoMapText});
  EXPECT_EQ(ui.files, std::vector<std::string>{broken});
  // The reason was in the status line before the later zooms replaced it.
  bool reasonShown = false;
  for (const std::string& text : ui.statusTexts) {
    reasonShown = reasonShown || text.find(broken) != std::string::npos;
  }
  EXPECT_TRUE(reasonShown);
}

TEST_F(ImportRunTest, SavingAfterAnImportWritesNoSettingsFile) {
  // The chart loaded before the import keeps its settings; the mosaic has none to write.
  app.Source.Path = tiles / "chart.tif";
  tiles.Write("chart.INI", "[Options]\r\nMapResolution=30\r\n");
  ChooseCell(10, 4);
  import.ZoomChoices = {0, 0, 0, 0, 0};
  ImportContext context = Context();
  ProcessImport(context);
  ASSERT_TRUE(app.Source.Loaded);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(tiles.Path());
  SaveMapINI(app.Source);  // what closing the application does
  std::filesystem::current_path(before);
  EXPECT_EQ(testing::ReadFileBytes(tiles / "chart.INI"), "[Options]\r\nMapResolution=30\r\n");
  EXPECT_FALSE(std::filesystem::exists(tiles / ".INI"));
}

TEST_F(ImportRunTest, TheLoadedChartsEditsAreSavedBeforeTheMosaicReplacesIt) {
  ChooseCell(10, 4);
  import.ZoomChoices = {0, 0, 0, 0, 0};
  app.Source.Path = tiles / "chart.tif";
  app.Source.Image = Raster32(4, 4);
  app.Source.Loaded = true;
  app.Source.GeoRef.TopLeft.Latitude = 47.5;  // edited, not yet saved
  ImportContext context = Context();
  ProcessImport(context);
  EXPECT_EQ(IniFile(tiles / "chart.INI").ReadInteger("GeoRef", "TopLeftLatitude", 0),
            DegreesToGeoCoord(47.5));
  EXPECT_EQ(runs.size(), 1u);

  // A settings file that cannot be written stops the run before the chart is replaced.
  app.Source.Path = tiles / "gone/chart.tif";
  app.Source.Image = Raster32(4, 4);
  app.Source.Loaded = true;
  runs.clear();
  EXPECT_THROW(ProcessImport(context), CartozenError);
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(app.Source.Loaded);
  EXPECT_EQ(app.Source.Image.Width(), 4);
}

TEST_F(ImportRunTest, CellsAtThePolesAreRefusedWithAMessage) {
  for (std::int32_t north : {90, -86}) {
    ChooseCell(north, 4);
    ImportContext context = Context();
    ProcessImport(context);
  }
  EXPECT_TRUE(runs.empty());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[0].find("E004N90"), std::string::npos);
  EXPECT_NE(ui.messages[1].find("E004S86"), std::string::npos);
  EXPECT_TRUE(app.Source.Image.Empty());
  EXPECT_EQ(app.Source.Path, "/charts/alps.tif");  // nothing was touched
}

TEST_F(ImportRunTest, CommandLineTakesCellChoicesAndFolder) {
  app.CommandLine.ImportLatitude = 10;
  app.CommandLine.ImportLongitude = 4;
  const std::uint8_t zooms[5] = {3, 3, 3, 3, 3};  // everything from zoom 10
  std::copy(std::begin(zooms), std::end(zooms), app.CommandLine.ImportZooms);
  app.CommandLine.SourceArgument = tiles.Path();
  ImportContext context = Context();
  StartImportFromCommandLine(context);

  EXPECT_TRUE(import.CellChosen);
  EXPECT_TRUE(import.FolderValid);
  EXPECT_EQ(import.NorthEdge, 10);
  EXPECT_EQ(import.WestEdge, 4);
  EXPECT_EQ(app.Project.Epsg3857SourceFolder, tiles.Path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].mapResolution, 31);
  EXPECT_EQ(runs[0].width, MosaicWidth(10, 8) + 20);
}

TEST_F(ImportRunTest, CommandLineWithAMissingFolderRunsNothing) {
  app.CommandLine.ImportLatitude = 10;
  app.CommandLine.ImportLongitude = 4;
  app.CommandLine.SourceArgument = tiles / "nowhere";
  ImportContext context = Context();
  StartImportFromCommandLine(context);
  EXPECT_FALSE(import.FolderValid);
  EXPECT_EQ(app.Project.Epsg3857SourceFolder, tiles / "nowhere");  // remembered all the same
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace cz
