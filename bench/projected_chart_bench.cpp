// The price of placing a chart of known projection exactly: the benchmarks' 12000 × 9000 chart
// as a Lambert conformal conic chart of 30 m pixels round 48° N 8° E (its whole-degree grid
// straight from the projection, as for a GeoTIFF under /G), made into tiles with GIF output
// through each cell's projective map (second argument 0, the run as it was) and through the
// exact placement (1; the lattice is built inside the timed run, as every run builds it).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BenchChart.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "port/UserInterface.h"
#include "tiling/CreateTiles.h"
#include "tiling/GifTileStore.h"

namespace cz {
namespace {

constexpr char kLambert[] =
    "+proj=lcc +lat_1=45 +lat_2=51 +lat_0=48 +lon_0=8 +datum=WGS84 +units=m +no_defs";
constexpr double kPixelSize = 30;

const ChartProjection& Projection() {
  static const ChartProjection projection = ChartProjection::Make(
      kLambert,
      {kPixelSize, 0, -bench::kChartWidth / 2 * kPixelSize, 0, -kPixelSize,
       bench::kChartHeight / 2 * kPixelSize},
      false, bench::kChartWidth, bench::kChartHeight, "bench chart");
  return projection;
}

void BM_ProjectedChart(benchmark::State& state) {
  const auto level = static_cast<TileLevel>(state.range(0));
  const bool exact = state.range(1) != 0;
  const Raster32& chart = bench::Chart();
  GeoReference geo = GridFromChartProjection(Projection(), "bench chart");
  geo.MapResolution = static_cast<std::uint8_t>(1 << level);
  std::string pattern = (std::filesystem::temp_directory_path() / "cartozen-bench-XXXXXX").string();
  const std::filesystem::path project = ::mkdtemp(pattern.data());
  SilentUserInterface ui;
  GifTileStore store(project.string(), TileColourOptions{2, 0}, ui);
  std::int32_t tiles = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(project / "Tiles");
    std::filesystem::create_directories(project / "Tiles");
    state.ResumeTiming();
    std::unique_ptr<ProjectionLattice> lattice;
    if (exact) lattice = std::make_unique<ProjectionLattice>(geo, Projection());
    tiles = CreateTiles(geo, chart, store, ui, nullptr, lattice.get()).value_or(0);
  }
  state.counters["tiles"] = tiles;
  std::filesystem::remove_all(project);
}
BENCHMARK(BM_ProjectedChart)
    ->ArgsProduct({{0, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();

void BM_LatticeBuild(benchmark::State& state) {
  const GeoReference geo = GridFromChartProjection(Projection(), "bench chart");
  for (auto _ : state) benchmark::DoNotOptimize(ProjectionLattice(geo, Projection()).WorstError());
}
BENCHMARK(BM_LatticeBuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cz
