// Map building against a plain copy of the same tile bytes.
//
// A project with CARTOZEN_BENCH_TILE_MB megabytes (default 64) of tiles, 20 to 120 KB each,
// spread over the levels 0 to 2 of four map cells, is created once in $TMPDIR. Each benchmark
// iteration is one whole build (list, append, finish, move to "EFIS Maps"), or one run of
// `cat Tiles/*.GIF > file` over the same files. Wall-clock time; bytes/s counts tile bytes;
// cpu_ms is the user + system CPU time per iteration (of the children for cat), which stays
// comparable on a busy machine where wall-clock time does not.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "efismap/MakeMaps.h"
#include "geo/TileGrid.h"

namespace {

namespace fs = std::filesystem;

struct BenchProject {
  fs::path folder;
  std::int64_t tileBytes = 0;
  int tileCount = 0;

  BenchProject() {
    std::string pattern = (fs::temp_directory_path() / "cartozen-makemaps-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    for (const char* sub : {"Tiles", "Temp", "EFIS Maps"}) fs::create_directories(folder / sub);
    const char* megabytes = std::getenv("CARTOZEN_BENCH_TILE_MB");
    const std::int64_t target = (megabytes ? std::atoll(megabytes) : 64) << 20;
    std::mt19937 random(8);
    std::uniform_int_distribution<int> size(20 << 10, 120 << 10);
    std::string bytes;
    // Tiles of four neighbouring cells (E004N50 and its neighbours) at levels 0, 1 and 2.
    for (int n = 0; tileBytes < target; ++n) {
      const cz::TileLevel level = static_cast<cz::TileLevel>(n % 3);
      const int side = 2 * cz::TilesPerCellSide(level);
      const int column = 23 * cz::TilesPerCellSide(level) + (n / 3) % side;
      const int row = 5 * cz::TilesPerCellSide(level) + (n / 3 / side) % side;
      bytes.resize(size(random));
      for (char& c : bytes) c = static_cast<char>(random());
      const std::string name = std::to_string(level) + "_" +
                               std::to_string(cz::TilePositionOf(level, column, row)) + ".GIF";
      std::ofstream(folder / "Tiles" / name, std::ios::binary) << bytes;
      tileBytes += static_cast<std::int64_t>(bytes.size());
      ++tileCount;
    }
  }
  ~BenchProject() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
};

// User + system CPU seconds of this process (RUSAGE_SELF) or of its finished children.
double CpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

BenchProject& Project() {
  static BenchProject project;
  return project;
}

void Build(benchmark::State& state, std::size_t bufferSize, bool moveByRename) {
  BenchProject& project = Project();
  cz::MakeMapsJob job;
  job.projectFolder = project.folder.string();
  job.bufferSize = bufferSize;
  job.moveByRename = moveByRename;
  cz::SilentUserInterface ui;
  const double cpuBefore = CpuSeconds(RUSAGE_SELF);
  for (auto _ : state) cz::CreateMaps(job, ui);
  state.counters["cpu_ms"] = (CpuSeconds(RUSAGE_SELF) - cpuBefore) * 1e3 / state.iterations();
  state.SetBytesProcessed(state.iterations() * project.tileBytes);
  state.counters["tiles"] = project.tileCount;
}

void BM_CreateMaps(benchmark::State& state) {
  Build(state, cz::kMakeMapsBufferSize, true);
}
void BM_CreateMapsCopyingIntoPlace(benchmark::State& state) {
  Build(state, cz::kMakeMapsBufferSize, false);
}
void BM_CreateMaps1KBuffer(benchmark::State& state) {
  Build(state, 1024, true);
}

void BM_CatSameTiles(benchmark::State& state) {
  BenchProject& project = Project();
  const std::string command =
      "cd '" + project.folder.string() + "' && cat Tiles/*.GIF > Temp/cat-output.bin";
  const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
  }
  // The shell and cat run as children: their CPU time is the copy's cost.
  state.counters["cpu_ms"] = (CpuSeconds(RUSAGE_CHILDREN) - cpuBefore) * 1e3 / state.iterations();
  fs::remove(project.folder / "Temp" / "cat-output.bin");
  state.SetBytesProcessed(state.iterations() * project.tileBytes);
}

}  // namespace

BENCHMARK(BM_CatSameTiles)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateMaps)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateMapsCopyingIntoPlace)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateMaps1KBuffer)->UseRealTime()->Unit(benchmark::kMillisecond);
