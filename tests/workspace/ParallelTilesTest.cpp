// Tile creation on several threads writes exactly what one thread writes: every tile and map
// file, after errors and cancels as well.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "georef/GridLayout.h"
#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CreateTiles.h"
#include "tiling/TilingTestSupport.h"
#include "workspace/AppState.h"
#include "workspace/MapCommands.h"

namespace cz {
namespace {

using Files = std::map<std::string, std::string>;  // path below the project -> bytes

constexpr int kMoreThreads[] = {2, 3, 8};  // compared with one thread

// Every file below folder, hidden ones included.
Files ReadFiles(const std::string& folder) {
  Files files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[std::filesystem::relative(entry.path(), folder).string()] = {
        std::istreambuf_iterator<char>(in), {}};
  }
  return files;
}

// A chart with scanner-like noise, so that every tile has its own palette.
Raster32 NoisyChart(std::int32_t width, std::int32_t height, std::uint32_t seed) {
  return testing::MakeChart(width, height, [seed](std::int32_t x, std::int32_t y) {
    std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                      (static_cast<std::uint32_t>(y) * 19349663u) ^ seed;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return PackPixel(static_cast<std::uint8_t>((x / 40 * 60 + (h & 15)) & 255),
                     static_cast<std::uint8_t>((y / 30 * 45 + (h >> 8 & 15)) & 255),
                     static_cast<std::uint8_t>(((x + y) / 50 * 35 + (h >> 16 & 15)) & 255), 255);
  });
}

class ParallelTilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OverrideProgramDataFolder(programFolder.Path() + "/");
    if (const char* old = std::getenv("CARTOZEN_THREADS")) savedThreads_ = old;
  }
  void TearDown() override {
    OverrideProgramDataFolder("");
    if (savedThreads_.empty()) {
      unsetenv("CARTOZEN_THREADS");
    } else {
      setenv("CARTOZEN_THREADS", savedThreads_.c_str(), 1);
    }
  }

  static void UseThreads(int count) {
    setenv("CARTOZEN_THREADS", std::to_string(count).c_str(), 1);
  }

  // A fresh project in folder.
  static AppState NewProject(const testing::TempFolder& folder) {
    for (const char* sub : {"Tiles", "Temp", "EFIS Maps"}) {
      std::filesystem::create_directories(folder / sub);
    }
    AppState state;
    state.Project.Folder = folder.Path();
    state.Project.Open = true;
    return state;
  }

  // One degree east of 5° E, two of latitude, laid out by the Lambert method with skews,
  // dithered.
  static void UseLambertChart(AppState& state) {
    GeoReference& geo = state.Source.GeoRef;
    geo = GeoReference{};
    geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::SemiAutomaticLambert);
    geo.TopLeft = {52, 5, 12, 9};
    geo.BottomRight = {50, 6, 212, 409};
    geo.SkewLeft = 4;
    geo.SkewRight = -3;
    geo.MapResolution = 31;
    geo.Dithering = 1;
    ASSERT_TRUE(LayoutReferenceGrid(geo).LaidOut());
    state.Source.Image = NoisyChart(230, 420, 1);
    state.Source.Loaded = true;
  }

  // The degree at 4° E, 52° N on a hand-placed grid: it shares a 2° and a 4° tile with the
  // Lambert chart, whose run wrote them first.
  static void UseManualChart(AppState& state) {
    GeoReference& geo = state.Source.GeoRef;
    geo = GeoReference{};
    geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
    geo.GridTopLatitude = 52;
    geo.GridLeftLongitude = 4;
    geo.NLon = 1;
    geo.NLat = 1;
    geo.MapResolution = 31;
    geo.ColorReduction = 4;
    testing::FillRegularGrid(geo.Grid, 5, 5, 180, 200);
    geo.Grid[1][1].X += 17;  // a skewed middle point
    geo.Grid[0][1].Y -= 11;
    state.Source.Image = NoisyChart(200, 220, 2);
    state.Source.Loaded = true;
  }

  // Both charts into a fresh project, then the map files; everything the project holds.
  Files TilesAndMaps(int threads) {
    UseThreads(threads);
    testing::TempFolder project;
    AppState state = NewProject(project);
    testing::RecordingUserInterface ui;
    UseLambertChart(state);
    EXPECT_EQ(CreateTiles(TileJobOf(state), ui), 1 + 1 + 2 + 8 + 32);
    UseManualChart(state);
    EXPECT_EQ(CreateTiles(TileJobOf(state), ui), 1 + 1 + 1 + 4 + 16);
    CreateMaps(state, ui);
    return ReadFiles(project.Path());
  }

  testing::TempFolder programFolder;

 private:
  std::string savedThreads_;
};

TEST_F(ParallelTilesTest, EveryTileAndMapFileIsTheSameForAnyThreadCount) {
  const Files oneThread = TilesAndMaps(1);
  ASSERT_EQ(oneThread.count("Tiles/4_856.GIF"), 1u);  // shared by both charts
  ASSERT_EQ(oneThread.count("EFIS Maps/E004N58.MAP"), 1u);
  for (int threads : kMoreThreads) {
    EXPECT_TRUE(TilesAndMaps(threads) == oneThread) << threads << " threads";
  }
}

TEST_F(ParallelTilesTest, AnErrorLeavesWhatOneThreadLeaves) {
  // A read-only tile in the middle of the 0.5° level stops the run there.
  const auto failedRun = [](int threads) {
    UseThreads(threads);
    testing::TempFolder project;
    AppState state = NewProject(project);
    const std::string blocker =
        project.Write("Tiles/1_" + std::to_string(370 + 77 * 720) + ".GIF", "read-only");
    ::chmod(blocker.c_str(), 0444);
    testing::RecordingUserInterface ui;
    UseLambertChart(state);
    EXPECT_THROW(CreateTiles(TileJobOf(state), ui), CartozenError);
    return ReadFiles(project.Path());
  };
  const Files oneThread = failedRun(1);
  EXPECT_EQ(oneThread.size(), 1 + 1 + 2 + 2 + 1u);  // 4°, 2°, 1°, 0.5° before it, and itself
  for (int threads : kMoreThreads) {
    EXPECT_TRUE(failedRun(threads) == oneThread) << threads << " threads";
  }
}

TEST_F(ParallelTilesTest, CancelKeepsCommittedTilesAndLeavesNoTemporaryFile) {
  UseThreads(8);
  testing::TempFolder project;
  AppState state = NewProject(project);
  testing::RecordingUserInterface ui;
  ui.cancelAfterProgress = 5;
  UseLambertChart(state);
  try {
    CreateTiles(TileJobOf(state), ui);
    FAIL() << "not cancelled";
  } catch (const OperationCancelled& cancelled) {
    EXPECT_STREQ(cancelled.what(), "Tile creation cancelled");
  }
  const Files left = ReadFiles(project.Path());
  EXPECT_EQ(left.size(), 5u);  // the committed ones, nothing hidden
  for (const auto& [name, bytes] : left) EXPECT_EQ(name.find("/."), std::string::npos) << name;
  ASSERT_EQ(ui.progress.size(), 5u);
  EXPECT_EQ(ui.progressEnded, 1);
  EXPECT_EQ(ui.processWindowHidden, 1);  // nothing left to show once stopped
  const ProgressReport& last = ui.progress.back();
  EXPECT_EQ(last.Done, 5);
  EXPECT_EQ(last.Planned, 44);
  EXPECT_EQ(last.Level, 1);  // one 4°, one 2°, two 1° tiles, then the first 0.5° one
  EXPECT_EQ(last.LevelDone, 1);
  EXPECT_EQ(last.LevelPlanned, 8);
}

}  // namespace
}  // namespace cz
