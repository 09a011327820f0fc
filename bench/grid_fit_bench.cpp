// The grid fit (GraticuleFit.h) of every point of a 6 × 4 degree grid on the benchmarks'
// 12000 × 9000 chart: 35 points, two lines each, searched 80 pixels either way.
#include <benchmark/benchmark.h>

#include "BenchChart.h"
#include "georef/GraticuleFit.h"
#include "georef/GridLayout.h"

namespace cz {
namespace {

void BM_FitAllPoints(benchmark::State& state) {
  const Raster32& chart = bench::Chart();
  GeoReference geo;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.TopLeft = {50, 6, 0, 0};
  geo.BottomRight = {46, 12, bench::kChartWidth - 1, bench::kChartHeight - 1};
  LayoutReferenceGrid(geo);
  for (auto _ : state) benchmark::DoNotOptimize(FindGraticule(chart, geo).Rms);
}
BENCHMARK(BM_FitAllPoints)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cz
