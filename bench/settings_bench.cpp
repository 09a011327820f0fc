// Map-source settings of a full 64 × 64 grid (12288 grid keys plus the 14 others): loading
// and saving, next to a plain read and a plain atomic write of the same bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "imaging/MapSource.h"
#include "platform/FileSystem.h"

namespace {

class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "cartozen-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

cz::MapSourceState FullGridSource(const BenchFolder& folder) {
  cz::MapSourceState source;
  source.Path = folder / "chart.tif";
  source.Image = cz::Raster32(2, 2);
  source.Loaded = true;
  source.GeoRef.TopLeft = {60.5, -10.25, 12, 34};
  source.GeoRef.BottomRight = {-2.5, 52.75, 20000, 30000};
  source.GeoRef.NLat = cz::kMaxGridSteps;
  source.GeoRef.NLon = cz::kMaxGridSteps;
  for (int c = 0; c < cz::kGridSize; ++c) {
    for (int r = 0; r < cz::kGridSize; ++r) {
      source.GeoRef.Grid[c][r] = {c * 317 - 40, r * 471 - 120, 0.f, 1};
    }
  }
  return source;
}

void BM_LoadMapINI(benchmark::State& state) {
  BenchFolder folder;
  cz::MapSourceState source = FullGridSource(folder);
  cz::SaveMapINI(source);
  for (auto _ : state) {
    cz::LoadMapINI(source);
    benchmark::DoNotOptimize(source.GeoRef.Grid[63][63].X);
  }
  state.counters["bytes"] = static_cast<double>(cz::FileSize(folder / "chart.INI"));
}
BENCHMARK(BM_LoadMapINI)->Unit(benchmark::kMillisecond);

void BM_SaveMapINI(benchmark::State& state) {
  BenchFolder folder;
  const cz::MapSourceState source = FullGridSource(folder);
  cz::SaveMapINI(source);  // the usual case: the file exists and every key is rewritten
  for (auto _ : state) cz::SaveMapINI(source);
}
BENCHMARK(BM_SaveMapINI)->Unit(benchmark::kMillisecond);

// Peers: the bare file operations under the settings layer.
void BM_PlainReadOfTheSameFile(benchmark::State& state) {
  BenchFolder folder;
  cz::SaveMapINI(FullGridSource(folder));
  for (auto _ : state) benchmark::DoNotOptimize(cz::ReadWholeFile(folder / "chart.INI"));
}
BENCHMARK(BM_PlainReadOfTheSameFile)->Unit(benchmark::kMillisecond);

void BM_PlainAtomicWriteOfTheSameBytes(benchmark::State& state) {
  BenchFolder folder;
  cz::SaveMapINI(FullGridSource(folder));
  const std::string bytes = cz::ReadWholeFile(folder / "chart.INI");
  for (auto _ : state) cz::AtomicWriteFile(folder / "chart.INI", bytes);
}
BENCHMARK(BM_PlainAtomicWriteOfTheSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace
