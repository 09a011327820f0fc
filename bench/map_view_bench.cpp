// One EFIS map view: the walk, the map-file lookups and the decoding of every tile that
// reaches the 1280 × 1280 view buffer, then the copy into the 970 × 586 picture. The project
// holds four cells around 50° N 12° E with all their level-2 tiles, made by the tile output
// from chart-like pictures with the recommended 64 colours.
//
//   build/bin/map_view_bench

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <string>

#include "../tests/support/ChartLikeTile.h"
#include "efismap/EfisMapFile.h"
#include "efismap/MapViewer.h"
#include "imaging/TileEncoder.h"
#include "platform/BinaryFile.h"
#include "platform/FileSystem.h"

namespace {

// Builds the project once, in a temporary folder removed at exit.
const std::string& ProjectFolder() {
  static const std::string folder = [] {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "cartozen-map-view-bench";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "EFIS Maps");
    std::array<char, 65536> buffer;
    cz::TileEncoder encoder;
    std::uint32_t seed = 0;
    // Cells E004N50, E012N50, E004N58, E012N58: west edges 4 and 12, north edges 50 and 58.
    for (int west : {4, 12}) {
      for (int north : {50, 58}) {
        const std::string name = cz::MapCellName(west, north, "MAP");
        cz::BinaryFile map((root / "EFIS Maps" / name).string(), cz::BinaryFile::Mode::Create);
        cz::WriteEmptyMap(map);
        for (int index = 0; index < 64; ++index) {
          const int row = (90 - north) + index / 8;  // one-degree tile row
          const int width = cz::TileWidthOfRow(2, row) + 1;
          const std::string tilePath = (root / "tile.GIF").string();
          cz::AtomicWriteFile(
              tilePath, encoder.Encode(cz::testing::ChartLikeTile(width, 600, ++seed), {2, 0}));
          cz::BinaryFile tile(tilePath, cz::BinaryFile::Mode::Read);
          map.SeekEnd();
          cz::SetSlot(map, 2, index, cz::AppendTileRecord(map, tile, buffer));
        }
        map.SeekEnd();
        cz::FinishMap(map, buffer);
        map.Close();
      }
    }
    std::atexit([] {
      std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                  "cartozen-map-view-bench");
    });
    return root.string();
  }();
  return folder;
}

void BM_MapView(benchmark::State& state) {
  const std::string& folder = ProjectFolder();
  cz::MapViewer viewer;
  cz::Raster32 view(cz::kDefaultViewWidth, cz::kDefaultViewHeight);
  for (auto _ : state) {
    viewer.DrawView(folder, {50.3, 11.7}, 2);
    cz::ShowView(viewer.ViewBuffer(), view);
    benchmark::DoNotOptimize(view.Pixels());
  }
}
BENCHMARK(BM_MapView)->Unit(benchmark::kMillisecond);

}  // namespace
