// The project batch run and the tile-creation entry points, with small generated charts.

#include "workspace/ProjectBatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch/ProjectMessages.h"
#include "batch/ProjectViewer.h"
#include "geo/TileGrid.h"
#include "georef/GridLayoutView.h"
#include "imaging/ChartSamples.h"
#include "imaging/SourceImage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/TileFiles.h"
#include "workspace/ProjectCommands.h"

namespace cz {
namespace {

using testing::BmpLayout;
using testing::BuildBmp;
using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

constexpr int kChartSize = 96;  // pixels each way of a one-degree chart

// A 24-bit bottom-up Windows bitmap of a pattern that differs per chart (seed).
std::string BitmapBytes(int width, int height, int seed) {
  const int rowBytes = (width * 3 + 3) & ~3;
  std::string pixels;
  for (int row = height - 1; row >= 0; --row) {
    std::string line(static_cast<std::size_t>(rowBytes), '\0');
    for (int x = 0; x < width; ++x) {
      line[3 * x + 0] = static_cast<char>(x * 5 + seed * 70);          // blue
      line[3 * x + 1] = static_cast<char>(row * 3 + seed * 40);        // green
      line[3 * x + 2] = static_cast<char>((x ^ row) * 2 + seed * 90);  // red
    }
    pixels += line;
  }
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  return BuildBmp(layout, pixels);
}

struct ChartSpec {
  std::string name;
  int north;  // whole degrees of the chart's north-west corner
  int west;
  int seed;
  bool withSettings = true;
};

class ProjectBatchTest : public ::testing::Test {
 protected:
  // Opens (creating) the project folder/name.prg in state.
  void OpenProject(AppState& target, const std::string& folder) {
    std::filesystem::create_directories(work / folder);
    RecordingUserInterface answerYes;
    answerYes.answers = {true};
    ASSERT_TRUE(CreateOrOpenProject(target, work / (folder + "/p.prg"), answerYes));
  }

  // Writes a one-degree chart into the project's "Map sources" with (optionally) its settings
  // file, and lists it. resolution is the MapResolution of its settings.
  std::string AddChart(AppState& target, const ChartSpec& chart, std::uint8_t resolution) {
    const std::string image =
        work.Write(ExtractFileName(target.Project.Folder) + "/Map sources/" + chart.name,
                   BitmapBytes(kChartSize, kChartSize, chart.seed));
    if (chart.withSettings) {
      MapSourceState source;
      source.Path = image;
      GeoReference& geo = source.GeoRef;
      geo.TopLeft = {static_cast<double>(chart.north), static_cast<double>(chart.west), 0, 0};
      geo.BottomRight = {chart.north - 1.0, chart.west + 1.0, kChartSize - 1, kChartSize - 1};
      geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
      geo.MapResolution = resolution;
      geo.ColorReduction = 2;
      geo.Dithering = 0;
      SaveMapINI(source);
    }
    AddToMapFileList(target.Project, image);
    return image;
  }

  static std::vector<std::string> TileNames(const AppState& target) {
    std::vector<std::string> names = ListFiles(TilesFolder(target.Project.Folder), "*.GIF");
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::map<std::string, std::string> Tiles(const AppState& target) {
    std::map<std::string, std::string> tiles;
    for (const std::string& name : TileNames(target)) {
      tiles[name] = ReadFileBytes(JoinPath(TilesFolder(target.Project.Folder), name));
    }
    return tiles;
  }

  // The name of the 1° tile of a one-degree chart at north, west.
  static std::string OneDegreeTile(int north, int west) {
    return "2_" + std::to_string(TilePositionOf(2, west + 180, 90 - north)) + ".GIF";
  }

  TempFolder work;
  AppState state;
  RecordingUserInterface ui;
  GridLayoutView view;
};

TEST_F(ProjectBatchTest, SkipsASourceWithoutSettingsAndTilesTheOthers) {
  OpenProject(state, "P");
  const std::string first = AddChart(state, {"first.bmp", 48, 6, 1}, 4);
  AddChart(state, {"second.bmp", 50, 10, 2, /*withSettings=*/false}, 4);
  const std::string third = AddChart(state, {"Third.BMP", 47, 6, 3}, 4);
  const std::string firstSettings = ReadFileBytes(MapSourceSettingsFile(first));
  const std::string thirdSettings = ReadFileBytes(MapSourceSettingsFile(third));

  EXPECT_TRUE(RunBatch(state, ui, view));

  EXPECT_EQ(ui.batchMemo,
            (std::vector<std::string>{"Processing first.bmp", "Skipped second.bmp due missing data",
                                      "Processing Third.BMP", kBatchEndedText}));
  EXPECT_TRUE(ui.messages.empty());
  std::vector<std::string> expected = {OneDegreeTile(48, 6), OneDegreeTile(47, 6)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(TileNames(state), expected);
  // The settings files are only read; the last source stays loaded.
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(first)), firstSettings);
  EXPECT_EQ(ReadFileBytes(MapSourceSettingsFile(third)), thirdSettings);
  EXPECT_TRUE(state.Source.Loaded);
  EXPECT_EQ(state.Source.Path, third);
  EXPECT_FALSE(IsBusy(state.Busy));
}

TEST_F(ProjectBatchTest, AnEmptyListIsReportedAndTheLogStillEnds) {
  OpenProject(state, "P");
  state.Batch.Cancel = true;  // left from an earlier run; cleared by this one
  ui.batchMemo = {"the log of an earlier run"};
  EXPECT_TRUE(RunBatch(state, ui, view));
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoMapFilesInProjectText});
  EXPECT_EQ(ui.batchMemo, std::vector<std::string>{kBatchEndedText});
  EXPECT_FALSE(state.Batch.Cancel);
}

TEST_F(ProjectBatchTest, CancelDuringTheFirstSourceFinishesItAndStartsNoOther) {
  OpenProject(state, "P");
  const std::string first = AddChart(state, {"a.bmp", 48, 6, 1}, 4 | 2);
  AddChart(state, {"b.bmp", 47, 6, 2}, 4);
  AddChart(state, {"c.bmp", 46, 6, 3}, 4);
  // The person clicks Cancel while the first chart's tiles are being made.
  ui.onProcessEvents = [&] {
    if (ui.processWindowShown > 0) CancelBatch(state);
  };
  EXPECT_TRUE(RunBatch(state, ui, view));
  EXPECT_EQ(ui.batchMemo, (std::vector<std::string>{"Processing a.bmp", kBatchEndedText}));
  EXPECT_EQ(TileNames(state).size(), 1u + 4u);  // the whole first chart: 1° and four 0.5° tiles
  EXPECT_EQ(state.Source.Path, first);
  EXPECT_TRUE(state.Batch.Cancel);  // not cleared at the end of a run
}

TEST_F(ProjectBatchTest, DeletingTheOnlyEntryLeavesNothingToRun) {
  OpenProject(state, "P");
  AddChart(state, {"only.bmp", 48, 6, 1}, 4);
  ProjectViewer viewer;
  viewer.Show(state.Project, ui);
  viewer.DeleteSelected(state.Project, 0, ui);
  EXPECT_FALSE(state.Project.File->SectionExists("MapFiles"));
  RunBatch(state, ui, view);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoMapFilesInProjectText});
  EXPECT_EQ(ui.batchMemo, std::vector<std::string>{kBatchEndedText});
  EXPECT_TRUE(TileNames(state).empty());
}

TEST_F(ProjectBatchTest, AFailedLoadCancelsTheRest) {
  OpenProject(state, "P");
  AddChart(state, {"a.bmp", 48, 6, 1}, 4);
  const std::string broken = AddChart(state, {"b.bmp", 47, 6, 2}, 4);
  work.Write("P/Map sources/b.bmp", "BM this is no bitmap");
  AddChart(state, {"c.bmp", 46, 6, 3}, 4);
  EXPECT_TRUE(RunBatch(state, ui, view));
  EXPECT_EQ(ui.batchMemo,
            (std::vector<std::string>{"Processing a.bmp", "Processing b.bmp", kBatchEndedText}));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].rfind("The map image failed to load.", 0), 0u);
  EXPECT_EQ(ui.messages[1], "Batch canceled due to error");
  EXPECT_EQ(TileNames(state), std::vector<std::string>{OneDegreeTile(48, 6)});
  EXPECT_FALSE(state.Source.Loaded);
  EXPECT_EQ(state.Source.Path, broken);
}

TEST_F(ProjectBatchTest, WithoutAProjectNothingRuns) {
  EXPECT_TRUE(RunBatch(state, ui, view));
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoProjectOpenedText});
  EXPECT_EQ(ui.batchMemo, std::vector<std::string>{kBatchEndedText});
}

TEST_F(ProjectBatchTest, ASecondRunOrTileCommandInsideARunIsRefused) {
  OpenProject(state, "P");
  AddChart(state, {"a.bmp", 48, 6, 1}, 4);
  AddChart(state, {"b.bmp", 47, 6, 2}, 4);
  int refused = 0;
  ui.onProcessEvents = [&] {
    EXPECT_TRUE(TileCommandsBusy(state));
    RecordingUserInterface inner;
    if (!RunBatch(state, inner, view)) ++refused;
    if (!ProcessSourceMap(state, inner)) ++refused;
    EXPECT_TRUE(inner.messages.empty());
    EXPECT_TRUE(inner.batchMemo.empty());
    EXPECT_EQ(inner.LastStatus(), BusyRefusalText(LongOperation::Batch));
  };
  EXPECT_TRUE(RunBatch(state, ui, view));
  EXPECT_GT(refused, 0);
  EXPECT_EQ(ui.batchMemo,
            (std::vector<std::string>{"Processing a.bmp", "Processing b.bmp", kBatchEndedText}));
  EXPECT_EQ(TileNames(state).size(), 2u);
  EXPECT_FALSE(TileCommandsBusy(state));
}

TEST_F(ProjectBatchTest, TheSourceLoadedBeforeTheRunKeepsItsChanges) {
  OpenProject(state, "P");
  const std::string own = AddChart(state, {"own.bmp", 48, 6, 1}, 4);
  ProjectViewer viewer;
  viewer.Show(state.Project, ui);
  viewer.DeleteSelected(state.Project, 0, ui);  // loaded, but not in the batch
  AddChart(state, {"a.bmp", 47, 6, 2}, 4);
  state.Source.Path = own;
  LoadMapINI(state.Source);
  VisualizeFileInImage(state.Source, ui, view);
  ASSERT_TRUE(state.Source.Loaded);
  state.Source.GeoRef.Dithering = 5;  // changed in the Map Options, not yet saved

  RunBatch(state, ui, view);
  MapSourceState reread;
  reread.Path = own;
  LoadMapINI(reread);
  EXPECT_EQ(reread.GeoRef.Dithering, 5);
}

TEST_F(ProjectBatchTest, SeveralChartsGiveTheTilesOfTilingEachAloneInTheSameOrder) {
  // Three one-degree charts that meet inside one 2° tile and one 4° tile, so that each later
  // chart draws over the tile the earlier ones left.
  const std::vector<ChartSpec> charts = {
      {"nw.bmp", 48, 4, 1}, {"ne.bmp", 48, 5, 2}, {"sw.bmp", 47, 4, 3}};
  constexpr std::uint8_t kLevels = 16 | 8 | 4;
  OpenProject(state, "Batch");
  for (const ChartSpec& chart : charts) AddChart(state, chart, kLevels);
  EXPECT_TRUE(RunBatch(state, ui, view));
  ASSERT_EQ(ui.batchMemo.size(), 4u);

  AppState alone;
  RecordingUserInterface aloneUi;
  GridLayoutView aloneView;
  OpenProject(alone, "Alone");
  for (const ChartSpec& chart : charts) {
    alone.Source.Path = AddChart(alone, chart, kLevels);
    LoadMapINI(alone.Source);
    VisualizeFileInImage(alone.Source, aloneUi, aloneView);
    ASSERT_TRUE(alone.Source.Loaded);
    EXPECT_TRUE(ProcessSourceMap(alone, aloneUi));
  }
  const auto batchTiles = Tiles(state);
  const auto aloneTiles = Tiles(alone);
  // 3 charts × one 1° tile, one 2° tile, one 4° tile.
  ASSERT_EQ(batchTiles.size(), 5u);
  ASSERT_EQ(aloneTiles.size(), 5u);
  for (const auto& [name, bytes] : batchTiles) {
    ASSERT_EQ(aloneTiles.count(name), 1u) << name;
    EXPECT_TRUE(bytes == aloneTiles.at(name)) << name << " differs";  // no byte dump
  }
}

TEST_F(ProjectBatchTest, TileCommandsWithoutAnImage) {
  OpenProject(state, "P");
  EXPECT_TRUE(ProcessSourceMap(state, ui));
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoMapImageLoadedText});
  EXPECT_FALSE(state.Batch.Cancel);

  ui.messages.clear();
  BatchProcess(state, ui);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{kNoMapImageLoadedText, kBatchEndedDueToErrorText}));
  EXPECT_TRUE(state.Batch.Cancel);
  EXPECT_TRUE(TileNames(state).empty());
  EXPECT_EQ(ui.processWindowShown, 0);
}

}  // namespace
}  // namespace cz
