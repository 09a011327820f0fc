// The command-line run through the core, as the main window's timer drives it: a generated
// chart in a project folder, the switches, then what the run left behind (log, settings
// files, tiles, map files) and what closing saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "geo/TileGrid.h"
#include "georef/SampleGeoTiff.h"
#include "imaging/GifImageDecoder.h"
#include "imaging/SampleChart.h"
#include "imaging/SourceImage.h"
#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "project/IniFile.h"
#include "project/Project.h"
#include "support/ControlPointCharts.h"
#include "support/RecordingUserInterface.h"
#include "support/ScanLikeChart.h"
#include "support/TempFolder.h"
#include "workspace/CommandLineRun.h"
#include "workspace/MapCommands.h"
#include "workspace/ProjectBatch.h"
#include "workspace/ProjectCommands.h"

namespace cz {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

// Counts what the run asks of the main window.
class CountingHost : public CommandLineHost {
 public:
  void DrawGridFromGeoRef(GeoReference& geoRef, UserInterface& ui) override {
    ++gridDrawings;
    CommandLineHost::DrawGridFromGeoRef(geoRef, ui);
  }
  void ProcessSourceMap(AppState& state, UserInterface& ui) override {
    ++processCommands;
    CommandLineHost::ProcessSourceMap(state, ui);
  }
  int gridDrawings = 0;
  int processCommands = 0;
};

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The tiles of one level whose north-west corners lie on the chart 48°N..46°N, 6°E..10°E.
std::set<std::string> ExpectedTiles(int level, double step) {
  std::set<std::string> names;
  for (double lat = 48.0; lat > 46.0 + 1e-9; lat -= step) {
    for (double lon = 6.0; lon < 10.0 - 1e-9; lon += step) {
      const int column = static_cast<int>((lon + 180.0) / step);
      const int row = static_cast<int>((90.0 - lat) / step);
      names.insert(std::to_string(level) + "_" +
                   std::to_string(TilePositionOf(static_cast<TileLevel>(level), column, row)) +
                   ".GIF");
    }
  }
  return names;
}

class CommandLineRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OverrideProgramDataFolder(program.Path() + "/");
    project = program / "Alps";
    WriteChart("alps.tif", 201, 101);
  }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // A chart of 48°N 6°E, 2° × 4°, in the project's "Map sources".
  void WriteChart(const std::string& name, int width, int height) {
    fs::create_directories(project + "/Map sources");
    WriteSampleChart({48, 6, 2, 4, width, height, {{47, 8}}}, project + "/Map sources/" + name);
  }

  // Start-up (the last project reopened) and the switches, as the timer runs them.
  CommandLineOutcome Run(const std::vector<std::string>& arguments) {
    StartUpProject(state.Project);
    return CommandLineBatch(state, ui, CommandArguments(arguments), host);
  }

  bool Logged() const { return FileExists(ErrorLogPath()); }
  std::string Log() const { return ReadFileBytes(ErrorLogPath()); }
  std::vector<std::string> Tiles() const { return FilesIn(project + "/Tiles"); }
  std::vector<std::string> Maps() const { return FilesIn(project + "/EFIS Maps"); }

  TempFolder program;
  std::string project;
  AppState state;
  RecordingUserInterface ui;
  CountingHost host;
};

TEST_F(CommandLineRunTest, TypicalRunMakesSettingsTilesAndMapsAndClosingRemembersTheProject) {
  const CommandLineOutcome outcome = Run(
      {"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "0.5", "/R", "1", "/M"});
  EXPECT_EQ(outcome, CommandLineOutcome::Close);
  EXPECT_FALSE(Logged()) << Log();

  // The source: listed under its real path, loaded, status shown before the load.
  const std::string source = project + "/Map sources/alps.tif";
  EXPECT_EQ(MapFileList(state.Project), std::vector<std::string>{source});
  EXPECT_TRUE(state.Source.Loaded);
  ASSERT_FALSE(ui.statusTexts.empty());
  EXPECT_NE(
      std::find(ui.statusTexts.begin(), ui.statusTexts.end(), "Loading alps.tif, please wait..."),
      ui.statusTexts.end());
  // Once by the load (with the georeference in memory), once with the fresh settings.
  EXPECT_EQ(host.gridDrawings, 2);

  // The fresh settings file beside the image.
  const IniFile settings(project + "/Map sources/alps.INI");
  EXPECT_EQ(settings.ReadInteger("GeoRef", "TopLeftLatitude", -1), 48 * 180000);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "TopLeftLongitude", -1), 6 * 180000);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "BottomRightLatitude", -1), 46 * 180000);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "BottomRightLongitude", -1), 10 * 180000);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "BottomRightX", -1), 200);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "BottomRightY", -1), 100);
  EXPECT_EQ(settings.ReadInteger("Options", "MapResolution", -1), 6);
  EXPECT_EQ(settings.ReadInteger("Options", "GeoReferencingType", -1), 1);
  EXPECT_EQ(settings.ReadInteger("Options", "ColorReduction", -1), 0);
  EXPECT_EQ(settings.ReadInteger("Options", "Dithering", -1), 0);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "X-4/2", -1), 200);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "Y-4/2", -1), 100);

  // Exactly the tiles of 0.5° and 1° over the chart, and their one map file.
  std::set<std::string> expected = ExpectedTiles(1, 0.5);
  const std::set<std::string> level2 = ExpectedTiles(2, 1.0);
  expected.insert(level2.begin(), level2.end());
  const std::vector<std::string> tiles = Tiles();
  EXPECT_EQ(std::set<std::string>(tiles.begin(), tiles.end()), expected);
  EXPECT_EQ(tiles.size(), 32u + 8u);
  EXPECT_EQ(Maps(), std::vector<std::string>{"E004N50.MAP"});

  CloseApplication(state);
  const IniFile appSettings(program / "Cartozen2.ini");
  EXPECT_EQ(appSettings.ReadString("Cartozen2", "LastProjectPath", ""), project);
  EXPECT_EQ(appSettings.ReadString("Cartozen2", "LastProjectName", ""), "Alps.prg");
}

TEST_F(CommandLineRunTest, MenuCommandClickedWhileTheRunMakesTilesIsRefused) {
  int refused = 0;
  ui.onProcessEvents = [&] {
    if (state.Source.Loaded && !ProcessSourceMap(state, ui)) ++refused;
  };
  Run({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "1"});
  EXPECT_GT(refused, 0);
  EXPECT_EQ(ui.processWindowShown, 1);
  EXPECT_FALSE(IsBusy(state.Busy));
  EXPECT_FALSE(Logged()) << Log();
}

TEST_F(CommandLineRunTest, WithoutResolutionNothingRunsAndNothingIsLogged) {
  EXPECT_EQ(Run({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/M"}),
            CommandLineOutcome::Close);
  EXPECT_EQ(state.CommandLine.SwitchSet, 7u);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_FALSE(state.Project.Open);
  EXPECT_FALSE(state.Source.Loaded);
  EXPECT_FALSE(fs::exists(project + "/Map sources/alps.INI"));
  EXPECT_FALSE(fs::exists(project + "/Tiles"));
}

TEST_F(CommandLineRunTest, ImportFollowedByProjectRunsNeither) {
  fs::create_directories(program / "tree");
  EXPECT_EQ(Run({"/E", "48", "8", "0", "1", "2", "3", "4", "/S", program / "tree", "/P", project,
                 "/X", "48", "6", "2", "4", "/R", "1"}),
            CommandLineOutcome::Close);
  EXPECT_EQ(state.CommandLine.SwitchSet, 31u);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_FALSE(state.Project.Open);
  EXPECT_FALSE(host.ImportWindow().CellChosen);
  EXPECT_EQ(host.processCommands, 0);
  EXPECT_TRUE(state.Project.Epsg3857SourceFolder.empty());
  EXPECT_FALSE(state.Source.Loaded);
}

TEST_F(CommandLineRunTest, NoProcessingLoadsAndGeoreferencesButMakesNothingAndStaysOpen) {
  EXPECT_EQ(
      Run({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "1", "/N", "/M"}),
      CommandLineOutcome::StayOpen);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_TRUE(state.Project.Open);
  EXPECT_TRUE(state.Source.Loaded);
  EXPECT_EQ(state.Source.Image.Width(), 201);
  // Georeferenced: the grid laid out over the 2 × 4 degrees, ready for tile creation.
  EXPECT_EQ(state.Source.GeoRef.NLat, 2);
  EXPECT_EQ(state.Source.GeoRef.NLon, 4);
  EXPECT_EQ(state.Source.GeoRef.Grid[4][2].X, 200);
  EXPECT_EQ(state.Source.GeoRef.Grid[4][2].Y, 100);
  EXPECT_TRUE(fs::exists(project + "/Map sources/alps.INI"));
  EXPECT_TRUE(Tiles().empty());
  EXPECT_TRUE(Maps().empty());
  EXPECT_EQ(ui.processWindowShown, 0);
}

TEST_F(CommandLineRunTest, MakeMapsAloneBuildsTheMapsOfTheProjectReopenedAtStartUp) {
  Run({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "4"});
  CloseApplication(state);
  ASSERT_FALSE(Tiles().empty());
  ASSERT_TRUE(Maps().empty());

  AppState next;
  StartUpProject(next.Project);
  ASSERT_TRUE(next.Project.Open);
  EXPECT_EQ(CommandLineBatch(next, ui, CommandArguments({"/M", "/O", "EFS"}), host),
            CommandLineOutcome::Close);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_EQ(Maps(), std::vector<std::string>{"E004N50.EFS"});
}

TEST_F(CommandLineRunTest, MakeMapsWithoutAnyOpenProjectDoesNothing) {
  EXPECT_EQ(Run({"/M"}), CommandLineOutcome::Close);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_TRUE(ui.makeMapsMemo.empty());
}

// Problems the pipeline logs; the run still goes on to /M and closing.
struct LoggedCase {
  const char* name;
  const char* sourceArgument;
  const char* fileToWrite;  // written into "Map sources" with these bytes; null: nothing
  const char* bytes;
  const char* log;
};

class PipelineProblems : public CommandLineRunTest,
                         public ::testing::WithParamInterface<LoggedCase> {};

TEST_P(PipelineProblems, AreLoggedAndTheRunStillBuildsMaps) {
  const LoggedCase& c = GetParam();
  if (c.fileToWrite) {
    std::ofstream(project + "/Map sources/" + c.fileToWrite, std::ios::binary) << c.bytes;
  }
  // An earlier run left tiles, so that /M has something to build.
  {
    AppState earlier;
    RecordingUserInterface quiet;
    StartUpProject(earlier.Project);
    CommandLineBatch(
        earlier, quiet,
        CommandArguments({"/P", project, "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "4"}),
        host);
    CloseApplication(earlier);
  }
  ASSERT_FALSE(Tiles().empty());
  ASSERT_TRUE(Maps().empty());

  EXPECT_EQ(
      Run({"/P", project, "/S", c.sourceArgument, "/X", "48", "6", "2", "4", "/R", "1", "/M"}),
      CommandLineOutcome::Close);
  EXPECT_EQ(Log(), std::string(c.log) + "\r\n");
  EXPECT_EQ(Maps(), std::vector<std::string>{"E004N50.MAP"});
}

INSTANTIATE_TEST_SUITE_P(
    Logged, PipelineProblems,
    ::testing::Values(
        LoggedCase{"MissingSource", "nothere.tif", nullptr, "",
                   "Cannot find Map source file nothere.tif"},
        LoggedCase{"NotATiff", "broken.tif", "broken.tif", "not a tiff at all",
                   "The map image failed to load. The operating system is not providing "
                   "suffient linear memory to contain the image in full. The image requires 0 "
                   "bytes. Try reducing the image resolution or cut the image into two parts "
                   "using a suitable image editor."},
        LoggedCase{"UnsupportedType", "chart.png", "chart.png", "\x89PNG",
                   "The map image failed to load. The operating system is not providing "
                   "suffient linear memory to contain the image in full. The image requires 0 "
                   "bytes. Try reducing the image resolution or cut the image into two parts "
                   "using a suitable image editor."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLineRunTest, UnsupportedTypeIsAlsoShownAsTheLoaderSaysIt) {
  std::ofstream(project + "/Map sources/chart.png", std::ios::binary) << "\x89PNG";
  Run({"/P", project, "/S", "chart.png", "/X", "48", "6", "2", "4", "/R", "1"});
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot load this file type"});
  EXPECT_FALSE(state.Source.Loaded);
}

TEST_F(CommandLineRunTest, SourceIsFoundWhateverTheCaseOfItsFolderAndName) {
  Run({"/P", project, "/S", "ALPS.TIF", "/X", "48", "6", "2", "4", "/R", "2"});
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_EQ(MapFileList(state.Project),
            std::vector<std::string>{project + "/Map sources/alps.tif"});
  EXPECT_TRUE(fs::exists(project + "/Map sources/alps.INI"));
}

TEST_F(CommandLineRunTest, ProjectGoneWhenThePipelineStartsIsLogged) {
  state.CommandLine.SwitchSet = 15;
  state.CommandLine.ProjectFolder = program / "Gone";
  state.CommandLine.SourceArgument = "alps.tif";
  RunCommandLine(state, ui, host);
  EXPECT_EQ(Log(), "Cannot find project " + (program / "Gone") + "\r\n");
  EXPECT_FALSE(state.Project.Open);
}

// A chart too small for its extent gives a grid the layout refuses; tile creation then makes
// nothing, and the run must not look like a success.
TEST_F(CommandLineRunTest, RefusedTileCreationIsLogged) {
  WriteChart("tiny.tif", 3, 3);
  EXPECT_EQ(Run({"/P", project, "/S", "tiny.tif", "/X", "48", "6", "2", "4", "/R", "1"}),
            CommandLineOutcome::Close);
  EXPECT_TRUE(Logged());
  EXPECT_EQ(Log(), ui.LastStatus() + "\r\n");
  EXPECT_TRUE(Tiles().empty());
}

// Positions MakeMapINI cannot make a grid for end the run with its error, before any tile.
TEST_F(CommandLineRunTest, PositionUnderOneDegreeEndsTheRunWithAnError) {
  // An operator's georeference of the chart, which the refused run must not lose.
  const std::string settings = project + "/Map sources/alps.INI";
  std::ofstream(settings, std::ios::binary)
      << "[GeoRef]\r\nTopLeftLatitude=8640000\r\nBottomRightX=200\r\n"
         "[Options]\r\nMapResolution=4\r\nGeoReferencingType=1\r\n";
  EXPECT_THROW(Run({"/P", project, "/S", "alps.tif", "/X", "48", "6", "0.5", "4", "/R", "1", "/M"}),
               CartozenError);
  EXPECT_TRUE(Tiles().empty());
  EXPECT_TRUE(Maps().empty());

  CloseApplication(state);
  const IniFile kept(settings);
  EXPECT_EQ(kept.ReadInteger("GeoRef", "TopLeftLatitude", -1), 8640000);
  EXPECT_EQ(kept.ReadInteger("GeoRef", "BottomRightX", -1), 200);
  EXPECT_EQ(kept.ReadInteger("Options", "MapResolution", -1), 4);
  EXPECT_EQ(kept.ReadInteger("Options", "GeoReferencingType", -1), 1);
}

// /G on a plain latitude/longitude GeoTIFF whose pixel centres run from 48° N 6° E to 46° N
// 10° E: the grid the chart gives is the one /X 48 6 2 4 gives, and so are the tiles.
TEST_F(CommandLineRunTest, ChartGeoreferenceOfALatLonChartGivesTheTilesOfItsExtent) {
  const std::string other = program / "Other";
  const SampleGeoTiff chart{"", 4326, 6 - 0.005, 48 + 0.005, 0.01, 401, 201, true};
  for (const std::string& folder : {project, other}) {
    fs::create_directories(folder + "/Map sources");
    WriteSampleGeoTiff(chart, folder + "/Map sources/geo.tif");
  }
  Run({"/P", project, "/S", "geo.tif", "/G", "/R", "0.5", "/R", "2"});
  EXPECT_FALSE(Logged()) << Log();
  // Placed through its projection (the grid /X types here is the same one, so it is too).
  EXPECT_NE(TileJobOf(state).Placement, nullptr);
  CloseApplication(state);
  const IniFile settings(project + "/Map sources/geo.INI");
  EXPECT_EQ(settings.ReadInteger("GeoRef", "BottomRightLongitude", -1), 10 * 180000);
  EXPECT_EQ(settings.ReadInteger("GeoRef", "X-4/2", -1), 400);
  EXPECT_EQ(settings.ReadInteger("Options", "MapResolution", -1), 10);

  AppState second;
  StartUpProject(second.Project);
  CommandLineBatch(second, ui,
                   CommandArguments({"/P", other, "/S", "geo.tif", "/X", "48", "6", "2", "4", "/R",
                                     "0.5", "/R", "2"}),
                   host);
  const std::vector<std::string> tiles = Tiles();
  ASSERT_EQ(tiles.size(), 32u + 2u);
  EXPECT_EQ(FilesIn(other + "/Tiles"), tiles);
  for (const std::string& tile : tiles) {
    EXPECT_EQ(ReadFileBytes(project + "/Tiles/" + tile), ReadFileBytes(other + "/Tiles/" + tile))
        << tile;
  }
}

// /G on charts without a usable georeference: the reason is logged, no grid or tile is made,
// and the operator's settings file stays as it was.
struct ChartRefusal {
  const char* name;
  std::function<void(const std::string& path)> write;
  const char* log;
};

class ChartGeoreferenceRefused : public CommandLineRunTest,
                                 public ::testing::WithParamInterface<ChartRefusal> {};

TEST_P(ChartGeoreferenceRefused, IsLoggedAndChangesNothing) {
  GetParam().write(project + "/Map sources/chart.tif");
  const std::string settings = project + "/Map sources/chart.INI";
  std::ofstream(settings, std::ios::binary) << "[Options]\r\nMapResolution=4\r\n";
  Run({"/P", project, "/S", "chart.tif", "/G", "/R", "1"});
  EXPECT_EQ(Log(), std::string(GetParam().log) + "\r\n");
  EXPECT_TRUE(Tiles().empty());
  EXPECT_EQ(host.gridDrawings, 1);  // only the load's own
  CloseApplication(state);
  EXPECT_EQ(IniFile(settings).ReadInteger("Options", "MapResolution", -1), 4);
  EXPECT_EQ(IniFile(settings).ReadInteger("Options", "GeoReferencingType", -1), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Charts, ChartGeoreferenceRefused,
    ::testing::Values(ChartRefusal{"PlainTiff",
                                   [](const std::string& path) {
                                     WriteSampleChart({48, 6, 2, 4, 201, 101, {}}, path);
                                   },
                                   "No georeference in chart.tif"},
                      ChartRefusal{
                          "TooWide",
                          [](const std::string& path) {
                            WriteSampleGeoTiff({"", 4326, -10, 50, 0.5, 160, 40, false}, path);
                          },
                          "Cannot use the georeference of chart.tif: the chart spans more than 63 "
                          "degrees of latitude or longitude"}),
    [](const auto& info) { return std::string(info.param.name); });

// /G /T on a chart of 12 control points: the chosen fit is used and kept, every point's
// residual goes to standard error, and the tiles are placed through the fit.
TEST_F(CommandLineRunTest, ControlPointsAreFittedAsTheRunSaysWithTheirResidualsReported) {
  fs::create_directories(project + "/Map sources");
  testing::WriteControlPointChart(project + "/Map sources/cp.tif");
  ::testing::internal::CaptureStderr();
  Run({"/P", project, "/S", "cp.tif", "/G", "/T", "spline", "/R", "1", "/N"});
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_NE(said.find("Control points: thin-plate spline, 12 points, RMS"), std::string::npos)
      << said;
  EXPECT_NE(said.find("  point 12: pixel"), std::string::npos) << said;
  EXPECT_EQ(IniFile(project + "/Map sources/cp.INI").ReadString("ControlPoints", "Fit", ""),
            "spline");
  EXPECT_NE(TileJobOf(state).Placement, nullptr);
}

// A chart of a few minutes of arc: a 300 × 300 crop of a Lambert chart at 1:500,000 and
// 100 dpi (127 m pixels), 46.93° to 47.27° N, 7.87° to 8.37° E, inside no whole cell.
const SampleGeoTiff kCrop{"+proj=lcc +lat_1=44 +lat_2=50 +lat_0=47 +lon_0=8 +datum=WGS84 +units=m",
                          0, -10000, 30000, 127, 300, 300, false};

// /G /A: its tiles at every level asked, showing the chart where it lies and black elsewhere.
TEST_F(CommandLineRunTest, ChartOfAFewMinutesGetsItsTilesWhereItLies) {
  const std::string path = project + "/Map sources/crop.tif";
  WriteSampleGeoTiff(kCrop, path);
  Run({"/P", project, "/S", "crop.tif", "/G", "/A", "/R", "0.25", "/R", "2"});
  EXPECT_FALSE(Logged()) << Log();
  const ChartProjection chart = SampleGeoTiffProjection(kCrop, path);
  std::int64_t inside = 0, matching = 0, litBeyond = 0;
  std::set<int> levels;
  for (const std::string& name : Tiles()) {
    const auto level = static_cast<TileLevel>(name[0] - '0');
    levels.insert(level);
    const Raster32 tile = DecodeGifImage(ReadFileBytes(project + "/Tiles/" + name), name);
    const TileSquare square(level, std::stoi(name.substr(2)),
                            level <= 2 ? tile.Width() - 1 : tile.Width());
    for (std::int32_t j = 0; j < tile.Height(); ++j) {
      for (std::int32_t i = 0; i < square.Width; ++i) {
        const LatLon at{square.Latitude(j), square.Longitude(i)};
        const ChartPixel p = *chart.PixelOf(at);
        const std::uint32_t colour = tile.At(i, j) | 0xFF000000u;
        if (p.X < -1 || p.Y < -1 || p.X > 300 || p.Y > 300) {
          litBeyond += colour != PackPixel(0, 0, 0, 255);
        } else if (p.X > 2 && p.Y > 2 && p.X < 297 && p.Y < 297 &&
                   std::abs(at.Latitude * 6 - std::nearbyint(at.Latitude * 6)) > 0.02 &&
                   std::abs(at.Longitude * 6 - std::nearbyint(at.Longitude * 6)) > 0.02) {
          ++inside;
          matching += colour == SampleGeoTiffColour(at);
        }
      }
    }
  }
  EXPECT_EQ(levels, (std::set<int>{0, 3}));
  EXPECT_EQ(litBeyond, 0);
  EXPECT_GT(inside, 100000);
  EXPECT_GE(matching, inside * 99 / 100) << matching << " of " << inside;
}

// Coverage that cannot be used: the run ends with a message naming the chart, before any tile.
TEST_F(CommandLineRunTest, CoverageBoxOutsideTheChartIsRefusedByName) {
  WriteSampleGeoTiff(kCrop, project + "/Map sources/crop.tif");
  Run({"/P", project, "/S", "crop.tif", "/G", "/B", "47.9", "47.5", "8", "8.5", "/R", "1"});
  EXPECT_EQ(Log(), "The coverage box of crop.tif lies outside the chart\r\n");
  EXPECT_TRUE(Tiles().empty());
}

TEST_F(CommandLineRunTest, PolygonsThatCannotBeACoverageAreRefusedByName) {
  WriteSampleGeoTiff(kCrop, project + "/Map sources/crop.tif");
  Run({"/P", project, "/S", "crop.tif", "/G", "/A", "/R", "1", "/N"});
  ASSERT_TRUE(state.Source.Loaded);
  const std::pair<std::vector<CoveragePoint>, std::string> refused[] = {
      {{{10, 10}, {200, 200}, {200, 10}, {10, 200}},
       "Cannot use the coverage of crop.tif: edges 1 and 3 of the coverage polygon cross"},
      {{{10, 10}, {200, 200}},
       "Cannot use the coverage of crop.tif: a coverage polygon needs at least three points"}};
  for (const auto& [polygon, message] : refused) {
    state.Source.Coverage.Polygon = polygon;
    try {
      TileJobOf(state);
      ADD_FAILURE() << message;
    } catch (const CartozenError& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
  EXPECT_TRUE(Tiles().empty());
}

TEST_F(CommandLineRunTest, ImportOfAMissingTreeRemembersTheFolderAndProcessesNothing) {
  const std::string tree = program / "no-such-tree";
  EXPECT_EQ(Run({"/S", tree, "/E", "48", "8", "0", "1", "2", "3", "4"}), CommandLineOutcome::Close);
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_EQ(state.Project.Epsg3857SourceFolder, tree);
  EXPECT_TRUE(host.ImportWindow().CellChosen);
  EXPECT_EQ(host.ImportWindow().NorthEdge, 48);
  EXPECT_EQ(host.ImportWindow().WestEdge, 8);
  EXPECT_EQ(host.processCommands, 0);
}

}  // namespace
}  // namespace cz

namespace cz {
namespace {

// /F after /X on a scan-like chart: the grid /X lays out between the image's corners is
// fitted to the printed graticule, kept in the settings file, and summarised on standard error.
TEST_F(CommandLineRunTest, FitMovesTheGridOntoThePrintedGraticule) {
  const testing::ScanLikeChart chart;
  fs::create_directories(project + "/Map sources");
  testing::Scanned(testing::Draw(chart, true), project + "/Map sources/scan.jpg");
  const auto at = [&](double x, double y) {
    return *chart.projection.PositionOf(chart.scan.Inverse({x, y}));
  };
  const LatLon topLeft = at(0, 0), bottomRight = at(testing::kWidth - 1, testing::kHeight - 1);
  ::testing::internal::CaptureStderr();
  Run({"/P", project, "/S", "scan.jpg", "/X", std::to_string(topLeft.Latitude),
       std::to_string(topLeft.Longitude), std::to_string(topLeft.Latitude - bottomRight.Latitude),
       std::to_string(bottomRight.Longitude - topLeft.Longitude), "/R", "1", "/F", "/N"});
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Logged()) << Log();
  EXPECT_NE(said.find("Fitted the grid to the printed graticule: RMS"), std::string::npos) << said;
  const GeoReference& geo = state.Source.GeoRef;
  const int c = static_cast<int>(8 - geo.GridLeftLongitude), r = static_cast<int>(geo.GridTopLatitude - 48);
  const ChartPixel truth = chart.Truth(1, 1);  // 48° N 8° E
  EXPECT_NEAR(geo.Grid[c][r].X, truth.X, 1.0);
  EXPECT_NEAR(geo.Grid[c][r].Y, truth.Y, 1.0);
  const IniFile settings(project + "/Map sources/scan.INI");
  EXPECT_EQ(settings.ReadInteger("Options", "GeoReferencingType", -1), 1);
}

}  // namespace
}  // namespace cz
