// End-to-end tile creation on a synthetic 12000 × 9000 chart of 4° × 3° (3000 pixels per
// degree, north-west corner 48° N 6° E) georeferenced by its corners and laid out as a regular
// whole-degree grid. For each level: rendering alone (tiles dropped)
// and rendering plus tile output (GIF files in a temporary project, emptied before each run),
// reported as tiles per second and output megapixels per second (the tile pixels the
// renderers compute). The second argument 1 runs the chart with a coverage box a few minutes
// inside its edges (CoveredTiles.h): the price of coverage against the same run without.
//
//   tile_creation_bench                      the Google Benchmark run
//   tile_creation_bench --write-chart FILE   writes the chart as raw BGRA bytes (for gdalwarp)
//   tile_creation_bench --resolutions        prints "level xres yres" in degrees per pixel
//
// bench/tile_creation_vs_gdalwarp.sh runs all three and times gdalwarp on the same chart.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchChart.h"
#include "geo/TileGrid.h"
#include "georef/GridLayout.h"
#include "port/UserInterface.h"
#include "tiling/CoveredTiles.h"
#include "tiling/CreateTiles.h"
#include "tiling/GifTileStore.h"
#include "tiling/TileStore.h"

namespace cz {
namespace {

using bench::Chart;
using bench::kChartHeight;
using bench::kChartWidth;
constexpr std::int32_t kNLon = 4, kNLat = 3;
constexpr double kTop = 48, kLeft = 6;

// The corner references of the chart's corners, laid out as a regular manual grid.
GeoReference MakeGeoReference() {
  GeoReference geo;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.TopLeft = {kTop, kLeft, 0, 0};
  geo.BottomRight = {kTop - kNLat, kLeft + kNLon, kChartWidth, kChartHeight};
  if (!LayoutReferenceGrid(geo).LaidOut() || geo.NLon != kNLon || geo.NLat != kNLat ||
      geo.Grid[kNLon][kNLat].X != kChartWidth || geo.Grid[kNLon][kNLat].Y != kChartHeight) {
    std::fprintf(stderr, "unexpected grid layout\n");
    std::abort();
  }
  return geo;
}

// Tile pixels the renderers compute for the grid at a level: the cells' share of each tile.
double RenderedMegapixels(TileLevel level) {
  double pixels = 0;
  for (int r = 0; r < kNLat; ++r) {
    const GeoCoord top = static_cast<GeoCoord>((kTop - r) * kOneDegree);
    double perCell = 0;
    switch (level) {
      case 0:
        perCell = 16.0 * TileWidthAt(top, 0) * kTileHeight;
        break;
      case 1:
        perCell = 2.0 * (TileWidthAt(top, 1) + TileWidthAt(top - kHalfDegree, 1)) * kTileHeight;
        break;
      case 2:
        perCell = 1.0 * TileWidthAt(top, 2) * kTileHeight;
        break;
      case 3:
        perCell = TileWidthAt(top, 3) / 2.0 * (kTileHeight / 2);
        break;
      default:
        perCell = TileWidthAt(top, 4) / 4.0 * (kTileHeight / 4);
        break;
    }
    pixels += perCell * kNLon;
  }
  return pixels / 1e6;
}

class DroppingStore : public TileStore {
 public:
  void BeginRun() override { created_ = 0; }
  void LoadExistingTile(Raster32&, TilePosition, TileLevel) override {}
  void SaveTile(const Raster32& raster, TilePosition, TileLevel) override {
    benchmark::DoNotOptimize(raster.Pixels()[raster.PixelCount() / 2]);
    ++created_;
  }
  std::int32_t TilesCreated() const override { return created_; }

 private:
  std::int32_t created_ = 0;
};

// The coverage run of the second argument: a box 3 minutes inside the chart's edges.
std::shared_ptr<const CoverageRun> Coverage(const benchmark::State& state,
                                            const GeoReference& geo) {
  if (state.range(1) == 0) return nullptr;
  ChartCoverage coverage;
  coverage.Box = LatLonBox{kTop - 0.05, kTop - kNLat + 0.05, kLeft + 0.05, kLeft + kNLon - 0.05};
  return PrepareCoverageRun(geo, coverage, Chart(), nullptr, "bench chart");
}

void Report(benchmark::State& state, TileLevel level, std::int32_t tiles) {
  state.counters["tiles/s"] =
      benchmark::Counter(static_cast<double>(tiles), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MP/s"] =
      benchmark::Counter(RenderedMegapixels(level), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Render(benchmark::State& state) {
  const auto level = static_cast<TileLevel>(state.range(0));
  const Raster32& chart = Chart();
  GeoReference geo = MakeGeoReference();
  geo.MapResolution = static_cast<std::uint8_t>(1 << level);
  const auto coverage = Coverage(state, geo);
  DroppingStore store;
  SilentUserInterface ui;
  std::int32_t tiles = 0;
  for (auto _ : state) tiles = CreateTiles(geo, chart, store, ui, coverage.get()).value_or(0);
  Report(state, level, tiles);
}
BENCHMARK(BM_Render)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Rendering plus tile output: 64-colour octree reduction without dithering (the default
// options) and GIF files in a temporary project's "Tiles" folder.
void BM_RenderAndSave(benchmark::State& state) {
  const auto level = static_cast<TileLevel>(state.range(0));
  const Raster32& chart = Chart();
  GeoReference geo = MakeGeoReference();
  geo.MapResolution = static_cast<std::uint8_t>(1 << level);
  std::string pattern = (std::filesystem::temp_directory_path() / "cartozen-bench-XXXXXX").string();
  const std::filesystem::path project = ::mkdtemp(pattern.data());
  std::filesystem::create_directories(project / "Tiles");
  SilentUserInterface ui;
  GifTileStore store(project.string(), TileColourOptions{2, 0}, ui);
  const auto coverage = Coverage(state, geo);
  std::int32_t tiles = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(project / "Tiles");
    std::filesystem::create_directories(project / "Tiles");
    state.ResumeTiming();
    tiles = CreateTiles(geo, chart, store, ui, coverage.get()).value_or(0);
  }
  Report(state, level, tiles);
  std::filesystem::remove_all(project);
}
BENCHMARK(BM_RenderAndSave)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace
}  // namespace cz

int main(int argc, char** argv) {
  using namespace cz;
  if (argc == 3 && std::strcmp(argv[1], "--write-chart") == 0) {
    const Raster32& chart = Chart();
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(chart.Pixels()),
              static_cast<std::streamsize>(chart.PixelCount() * 4));
    return out ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--resolutions") == 0) {
    // The tile pixel pitch of the grid's top row at each level, in degrees.
    for (TileLevel level = 0; level < kTileLevelCount; ++level) {
      const double step = TileStep(level) / double(kOneDegree);
      const GeoCoord top = static_cast<GeoCoord>(kTop * kOneDegree);
      std::printf("%d %.12g %.12g %.3f\n", level, step / TileWidthAt(top, level),
                  step / kTileHeight, RenderedMegapixels(level));
    }
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
