// The coverage from transparency end to end, through the command line: web tiles with
// transparent areas and gaps imported with /A over a chart's tiles, and a GeoTIFF whose nodata
// border is left out under /G /A. Where the new source is not map, its tiles keep the earlier
// chart's pixels; elsewhere they are what the run without /A makes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include "batch/CommandLine.h"
#include "geo/TileGrid.h"
#include "georef/SampleGeoTiff.h"
#include "imaging/GifImageDecoder.h"
#include "imaging/SampleChart.h"
#include "importer/CellMosaic.h"
#include "importer/PngTestFiles.h"
#include "importer/WebMercator.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/CommandLineRun.h"

namespace cz {
namespace {

using testing::TempFolder;
using Tiles = std::map<std::string, Raster32>;

// What a pixel of a 1° tile stands for: left out (keeps the earlier tile), map, or too close
// to an edge of the source's map to tell.
enum class Source { Outside, Map, Edge };

// Each tile's palette is made afresh when a run lays its pixels over a stored tile, so pixels
// of one run come back within a few steps of what it wrote, not always exactly.
bool Near(std::uint32_t a, std::uint32_t b) {
  constexpr int kSteps = 24;
  return std::abs(RedOf(a) - RedOf(b)) <= kSteps && std::abs(GreenOf(a) - GreenOf(b)) <= kSteps &&
         std::abs(BlueOf(a) - BlueOf(b)) <= kSteps;
}

class TransparencyCoverageTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(program.Path() + "/"); }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // The import works in the project a run before it opened: one state per project.
  void Run(AppState& state, const std::vector<std::string>& arguments) {
    testing::RecordingUserInterface ui;
    CommandLineBatch(state, ui, CommandArguments(arguments));
    ASSERT_FALSE(FileExists(ErrorLogPath())) << ReadWholeFile(ErrorLogPath());
  }

  // A project holding the tiles of a plate-carrée chart, north-west corner and extent given.
  std::string ChartProject(AppState& state, const std::string& name, int north, int west,
                           int degrees) {
    const std::string project = program / name;
    ForceDirectories(project + "/Map sources");
    WriteSampleChart({double(north), double(west), double(degrees), double(degrees), 401, 401, {}},
                     project + "/Map sources/chart.tif");
    Run(state, {"/P", project, "/S", "chart.tif", "/X", std::to_string(north), std::to_string(west),
                std::to_string(degrees), std::to_string(degrees), "/R", "1"});
    return project;
  }

  static Tiles TilesOf(const std::string& project) {
    Tiles tiles;
    for (const std::string& name : ListFiles(project + "/Tiles", "*.GIF")) {
      tiles[name] = DecodeGifImage(ReadWholeFile(project + "/Tiles/" + name), name);
    }
    return tiles;
  }

  // Checks every pixel of the 1° tiles of `result` against the earlier tiles where the source
  // is not map and against the run without /A where it is. Returns the pixels kept from the
  // earlier tiles that the run without /A changed, in kept.
  static void Compare(const Tiles& result, const Tiles& earlier, const Tiles& withoutA,
                      const std::function<Source(double lat, double lon)>& source,
                      std::int64_t& kept) {
    kept = 0;
    for (const auto& [name, tile] : result) {
      ASSERT_EQ(name.rfind("2_", 0), 0u) << name;
      const auto position = static_cast<TilePosition>(std::stol(name.substr(2)));
      const double north = 90 - position / TileColumns(2), west = position % TileColumns(2) - 180.0;
      const Raster32* before = earlier.count(name) ? &earlier.at(name) : nullptr;
      const Raster32& plain = withoutA.at(name);
      for (int j = 0; j < tile.Height(); ++j) {
        for (int i = 0; i < tile.Width(); ++i) {
          const Source s = source(north - j / 600.0, west + i / double(tile.Width() - 1));
          if (s == Source::Edge) continue;
          const std::uint32_t want = s == Source::Map ? plain.At(i, j)
                                     : before         ? before->At(i, j)
                                                      : 0xFF000000u;
          ASSERT_TRUE(Near(tile.At(i, j), want)) << name << " at " << i << "," << j << ": "
                                                 << std::hex << tile.At(i, j) << " for " << want;
          kept += s == Source::Outside && !Near(want, plain.At(i, j));
        }
      }
    }
  }

  TempFolder program;
};

// Web tiles at zoom 7 over E004N50: by (column + row) mod 3 opaque red, red with its western
// half transparent (black, alpha 0), or missing.
TEST_F(TransparencyCoverageTest, ImportKeepsTheChartUnderTransparentAndMissingWebTiles) {
  constexpr int kZoom = 7;
  const double world = std::ldexp(256.0, kZoom);
  const auto kind = [](std::int64_t c, std::int64_t r) { return (c + r) % 3; };
  const std::string tree = program / "tree";
  const MosaicArea area = MakeMosaicArea(50, 4, 8, kZoom);
  const std::int32_t x0 = WebMercatorX(4, kZoom), y0 = WebMercatorY(50, kZoom);
  for (std::int32_t c = WebTileOf(x0).Tile; c <= WebTileOf(x0 + area.Width).Tile; ++c) {
    for (std::int32_t r = WebTileOf(y0).Tile; r <= WebTileOf(y0 + area.Height).Tile; ++r) {
      if (kind(c, r) == 2) continue;
      const bool half = kind(c, r) == 1;
      const std::string path = WebTilePath(tree, kZoom, c, r);
      ForceDirectories(path.substr(0, path.rfind('/')));
      AtomicWriteFile(path, testing::EncodePng({256, 256, PNG_COLOR_TYPE_RGBA, 8, false},
                                               [half](int x, int, int channel) -> std::uint16_t {
                                                 if (half && x < 128) return 0;
                                                 return channel == 0 || channel == 3 ? 255 : 48;
                                               }));
    }
  }
  const auto source = [&](double lat, double lon) {
    const double wx = (lon + 180) / 360 * world;
    const double wy =
        (1 - std::asinh(std::tan(lat * std::numbers::pi / 180)) / std::numbers::pi) / 2 * world;
    const double ox = wx - 256 * std::floor(wx / 256), oy = wy - 256 * std::floor(wy / 256);
    const auto near = [](double v, double edge) { return std::abs(v - edge) < 1.5; };
    if (near(ox, 0) || near(ox, 128) || near(ox, 256) || near(oy, 0) || near(oy, 256) ||
        near(wx, x0) || near(wx, x0 + area.Width) || near(wy, y0) || near(wy, y0 + area.Height)) {
      return Source::Edge;
    }
    const auto k = kind(static_cast<std::int64_t>(wx / 256), static_cast<std::int64_t>(wy / 256));
    return k == 0 || (k == 1 && ox >= 128) ? Source::Map : Source::Outside;
  };
  const std::vector<std::string> import = {"/S", tree, "/E", "50", "4", "5", "5", "0", "5", "5"};

  AppState coveredState, plainState;
  const std::string covered = ChartProject(coveredState, "Covered", 50, 4, 4);
  const Tiles chart = TilesOf(covered);
  ASSERT_EQ(chart.size(), 16u);
  std::vector<std::string> withA = import;
  withA.push_back("/A");
  Run(coveredState, withA);
  const std::string plain = ChartProject(plainState, "Plain", 50, 4, 4);
  Run(plainState, import);

  const Tiles result = TilesOf(covered), overwritten = TilesOf(plain);
  EXPECT_EQ(overwritten.size(), 64u);
  std::int64_t kept = 0;
  Compare(result, chart, overwritten, source, kept);
  EXPECT_GT(kept, 100000);
}

// A plate-carrée GeoTIFF of 48°N..46°N, 6°E..10°E whose 30-pixel border is nodata, over a
// chart's tiles: with /A the border leaves them as they were.
TEST_F(TransparencyCoverageTest, GeoTiffNodataBorderIsLeftOutWithA) {
  constexpr int kBorder = 30;
  const SampleGeoTiff geoTiff{"", 4326, 6 - 0.005, 48 + 0.005, 0.01, 401, 201, true, kBorder};
  const auto source = [](double lat, double lon) {
    const double x = (lon - 6) / 0.01, y = (48 - lat) / 0.01;  // pixel centres
    const double inside =
        std::min({x - kBorder, 400 - kBorder - x, y - kBorder, 200 - kBorder - y});
    if (std::abs(inside + 0.5) < 1.5) return Source::Edge;
    return inside > 0 ? Source::Map : Source::Outside;
  };
  Tiles chart;
  std::map<bool, Tiles> results;
  for (const bool a : {true, false}) {
    AppState state;
    const std::string project = ChartProject(state, a ? "Covered" : "Plain", 48, 6, 4);
    chart = TilesOf(project);
    WriteSampleGeoTiff(geoTiff, project + "/Map sources/geo.tif");
    std::vector<std::string> run = {"/P", project, "/S", "geo.tif", "/G", "/R", "1"};
    if (a) run.push_back("/A");
    Run(state, run);
    results[a] = TilesOf(project);
  }
  EXPECT_EQ(results[true].size(), chart.size());
  std::int64_t kept = 0;
  Compare(results[true], chart, results[false], source, kept);
  EXPECT_GT(kept, 10000);
}

}  // namespace
}  // namespace cz
