// A chart of 12 ground control points (Lambert, 250 m pixels, 2.2° × 2.2°, the points in
// longitude and latitude): its georeference read and fitted, then its whole-degree grid,
// for every fit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "georef/ChartGrid.h"
#include "georef/GeoTiffReference.h"
#include "georef/SampleGeoTiff.h"

namespace cz {
namespace {

const std::string& ChartPath() {
  static const std::string path = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / "cartozen-control-point-bench.tif").string();
    SampleGeoTiff chart{"+proj=lcc +lat_1=45 +lat_2=51 +lat_0=48 +lon_0=7 +datum=WGS84 +units=m",
                        0, -10000, 125000, 250, 660, 980, false};
    chart.ControlPoints = SampleControlPoints(chart, 4, 3);
    WriteSampleGeoTiff(chart, file);
    return file;
  }();
  return path;
}

void BM_FitAndGrid(benchmark::State& state) {
  const auto kind = static_cast<ControlPointFitKind>(state.range(0));
  const std::string& path = ChartPath();
  for (auto _ : state) {
    const std::optional<ChartProjection> chart = ReadGeoTiffReference(path, kind);
    benchmark::DoNotOptimize(GridFromChartProjection(*chart, path).NLon);
  }
  state.SetLabel(ControlPointFitKindName(kind));
}
BENCHMARK(BM_FitAndGrid)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_FitOnly(benchmark::State& state) {
  const auto kind = static_cast<ControlPointFitKind>(state.range(0));
  const std::string& path = ChartPath();
  for (auto _ : state) benchmark::DoNotOptimize(ReadGeoTiffReference(path, kind)->Width());
  state.SetLabel(ControlPointFitKindName(kind));
}
BENCHMARK(BM_FitOnly)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cz
