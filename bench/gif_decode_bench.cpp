// Decoding map tiles: the viewer's own GIF decoder against giflib, on the same few hundred
// tiles made by the tile output (chart-like pictures at widths of the level-2 table plus one,
// as levels 0 to 2 write them, colour reductions from 16 to 256 colours, mostly the
// recommended 64), both drawing 32-bit colours into a 1280 × 1280 view.
//
//   build/bin/gif_decode_bench
// Compare the items_per_second (tiles per second) of the three benchmarks.

#include <array>
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>

#include <string>
#include <vector>

#include "../tests/support/ChartLikeTile.h"
#include "efismap/GifTileReader.h"
#include "geo/TileGrid.h"
#include "imaging/TileEncoder.h"

namespace {

constexpr int kTileCount = 300;

struct Tile {
  std::string gif;
  int width;
};

const std::vector<Tile>& Tiles() {
  static const std::vector<Tile> tiles = [] {
    std::vector<Tile> made;
    cz::TileEncoder encoder;
    const std::uint8_t reductions[] = {2, 2, 2, 3, 1, 0, 4};  // 64, 64, 64, 32, 128, 256, 16
    for (int i = 0; i < kTileCount; ++i) {
      const int width = cz::TileWidthOfRow(2, 20 + (i * 7) % 140) + 1;
      const cz::TileColourOptions options{reductions[i % 7], 0};
      made.push_back(
          {encoder.Encode(cz::testing::ChartLikeTile(width, 600, 1000u + i), options), width});
    }
    return made;
  }();
  return tiles;
}

std::int64_t TotalBytes() {
  std::int64_t total = 0;
  for (const Tile& tile : Tiles()) total += static_cast<std::int64_t>(tile.gif.size());
  return total;
}

void BM_OwnDecoder(benchmark::State& state) {
  cz::Raster32 view(1280, 1280);
  cz::GifTileReader reader;
  Tiles();  // made once, outside the timing
  for (auto _ : state) {
    for (const Tile& tile : Tiles()) {
      cz::MemoryGifSource source(
          {reinterpret_cast<const std::uint8_t*>(tile.gif.data()), tile.gif.size()});
      reader.Read(source, 100, 100, static_cast<std::uint16_t>(tile.width - 1), view);
    }
    benchmark::DoNotOptimize(view.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kTileCount);
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_OwnDecoder)->Unit(benchmark::kMillisecond);

struct MemoryInput {
  const std::string* bytes;
  std::size_t position;
};

int ReadMemory(GifFileType* file, GifByteType* buffer, int count) {
  auto* in = static_cast<MemoryInput*>(file->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(count), in->bytes->size() - in->position);
  std::memcpy(buffer, in->bytes->data() + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

// giflib at its leanest: records read by hand, one reused line buffer, colours looked up
// A giflib colour map as 0xRRGGBB view pixels (entries past the map stay black).
std::array<std::uint32_t, 256> PaletteOf(const ColorMapObject* map) {
  std::array<std::uint32_t, 256> palette{};
  for (int i = 0; i < map->ColorCount && i < 256; ++i) {
    palette[i] = (std::uint32_t{map->Colors[i].Red} << 16) |
                 (std::uint32_t{map->Colors[i].Green} << 8) | map->Colors[i].Blue;
  }
  return palette;
}

// into the view row by row.
void BM_GiflibLines(benchmark::State& state) {
  cz::Raster32 view(1280, 1280);
  std::vector<GifPixelType> line(2048);
  Tiles();
  for (auto _ : state) {
    for (const Tile& tile : Tiles()) {
      MemoryInput input{&tile.gif, 0};
      int error = 0;
      GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
      GifRecordType record;
      while (DGifGetRecordType(gif, &record) == GIF_OK && record != IMAGE_DESC_RECORD_TYPE &&
             record != TERMINATE_RECORD_TYPE) {
      }
      if (record == IMAGE_DESC_RECORD_TYPE && DGifGetImageDesc(gif) == GIF_OK) {
        const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
        const std::array<std::uint32_t, 256> palette = PaletteOf(map);
        const int width = gif->Image.Width;
        for (int y = 0; y < gif->Image.Height; ++y) {
          if (DGifGetLine(gif, line.data(), width) != GIF_OK) break;
          std::uint32_t* row = view.Row(100 + y) + 100;
          for (int x = 0; x < width; ++x) row[x] = palette[line[x]];
        }
      }
      DGifCloseFile(gif, &error);
    }
    benchmark::DoNotOptimize(view.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kTileCount);
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_GiflibLines)->Unit(benchmark::kMillisecond);

// giflib the usual way: DGifSlurp, then the colours into the view.
void BM_GiflibSlurp(benchmark::State& state) {
  cz::Raster32 view(1280, 1280);
  Tiles();
  for (auto _ : state) {
    for (const Tile& tile : Tiles()) {
      MemoryInput input{&tile.gif, 0};
      int error = 0;
      GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
      if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const std::array<std::uint32_t, 256> palette = PaletteOf(map);
        const int width = image.ImageDesc.Width;
        for (int y = 0; y < image.ImageDesc.Height; ++y) {
          const GifByteType* indices = image.RasterBits + static_cast<std::size_t>(y) * width;
          std::uint32_t* row = view.Row(100 + y) + 100;
          for (int x = 0; x < width; ++x) row[x] = palette[indices[x]];
        }
      }
      DGifCloseFile(gif, &error);
    }
    benchmark::DoNotOptimize(view.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kTileCount);
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond);

}  // namespace
