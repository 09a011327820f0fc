// The import's mosaic build against bare libpng decoding of the same web tiles, in one run.
//
// A tile tree for the cell E004N58 at zoom 9 (13 × 21 tiles of 256 × 256, a 2912 × 4976
// mosaic) is written once to a temporary folder, in two flavours that tile servers publish:
// 8-bit palette tiles (street maps) and 8-bit RGB tiles (shaded, photo-like). For each,
//   MosaicBuild   allocates the (w + 20) × (h + 20) mosaic, clears it and runs LoadPNGTiles;
//   BareLibpng    decodes the same files in the same order with plain libpng (fopen,
//                 png_init_io, expansion to RGB, png_read_image into a reused buffer).
//   LoadTiles     runs LoadPNGTiles alone into a mosaic allocated (and paged in) beforehand:
//                 the decoding and copying without the cost of fresh memory.
// The target: the mosaic build within 20 % of BareLibpng. MosaicBuild − LoadTiles is what a
// fresh (w + 20) × (h + 20) raster costs on this machine (page faults, clearing).
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/Raster32.h"
#include "importer/CellMosaic.h"
#include "importer/PngTileDecoder.h"
#include "importer/WebMercator.h"
#include "port/UserInterface.h"

namespace {

using namespace cz;

constexpr int kZoom = 9;

void WritePng(const std::string& path, bool palette, std::int32_t tileX, std::int32_t tileY) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, 256, 256, 8, palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> colours(256);
  for (int i = 0; i < 256; ++i) {
    colours[i] = {static_cast<png_byte>(i), static_cast<png_byte>((i * 3) & 255),
                  static_cast<png_byte>(255 - i)};
  }
  if (palette) png_set_PLTE(png, info, colours.data(), 256);
  png_write_info(png, info);
  std::vector<png_byte> row(256 * 3);
  unsigned noise = static_cast<unsigned>(tileX * 7919 + tileY * 104729);
  for (int y = 0; y < 256; ++y) {
    const double gy = tileY * 256 + y;
    for (int x = 0; x < 256; ++x) {
      const double gx = tileX * 256 + x;
      noise = noise * 1103515245u + 12345u;
      if (palette) {
        // Areas of flat colour with roads and labels: what street-map tiles look like.
        const int area = (static_cast<int>(gx / 97) * 5 + static_cast<int>(gy / 61) * 3) % 12;
        const bool road = static_cast<int>(gx + gy * 0.3) % 53 < 3 || static_cast<int>(gy) % 71 < 2;
        row[x] = static_cast<png_byte>(road ? 250 : ((noise >> 16) % 97 == 0 ? 10 : 40 + area * 9));
      } else {
        // Smooth relief with fine texture: shaded or photo-like tiles.
        const double relief = std::sin(gx * 0.013) * std::cos(gy * 0.017) * 60.0 + 128.0;
        const int grain = static_cast<int>((noise >> 16) % 9) - 4;
        row[3 * x] = static_cast<png_byte>(relief + grain);
        row[3 * x + 1] = static_cast<png_byte>(relief * 0.8 + 30 + grain);
        row[3 * x + 2] = static_cast<png_byte>(relief * 0.6 + 50);
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

struct TileTree {
  std::string folder;
  MosaicArea area;
  std::vector<std::string> files;  // in the order the mosaic reads them
  std::uintmax_t bytes = 0;
};

const TileTree& Tree(bool palette) {
  static TileTree trees[2];
  TileTree& tree = trees[palette ? 1 : 0];
  if (!tree.files.empty()) return tree;
  tree.folder = (std::filesystem::temp_directory_path() /
                 (std::string("cartozen-bench-tiles-") + (palette ? "palette" : "rgb")))
                    .string();
  std::filesystem::remove_all(tree.folder);
  tree.area = MakeMosaicArea(58, 4, 8, kZoom);
  const WebTileIndex column0 = WebTileOf(WebMercatorX(4.0f, kZoom));
  const WebTileIndex row0 = WebTileOf(WebMercatorY(58.0f, kZoom));
  const std::int32_t lastColumn = WebTileOf(WebMercatorX(4.0f, kZoom) + tree.area.Width - 1).Tile;
  const std::int32_t lastRow = WebTileOf(WebMercatorY(58.0f, kZoom) + tree.area.Height - 1).Tile;
  for (std::int32_t r = row0.Tile; r <= lastRow; ++r) {
    for (std::int32_t c = column0.Tile; c <= lastColumn; ++c) {
      const std::string path = WebTilePath(tree.folder, kZoom, c, r);
      WritePng(path, palette, c, r);
      tree.files.push_back(path);
      tree.bytes += std::filesystem::file_size(path);
    }
  }
  return tree;
}

void BM_MosaicBuild(benchmark::State& state) {
  const TileTree& tree = Tree(state.range(0) != 0);
  PngTileDecoder decoder;
  SilentUserInterface ui;
  for (auto _ : state) {
    Raster32 mosaic(tree.area.Width + 20, tree.area.Height + 20);
    LoadPNGTiles(mosaic, tree.folder, tree.area, decoder, ui);
    benchmark::DoNotOptimize(mosaic.Pixels());
  }
  state.counters["tiles/s"] = benchmark::Counter(static_cast<double>(tree.files.size()),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tree.bytes));
}

void BM_LoadTiles(benchmark::State& state) {
  const TileTree& tree = Tree(state.range(0) != 0);
  PngTileDecoder decoder;
  SilentUserInterface ui;
  Raster32 mosaic(tree.area.Width + 20, tree.area.Height + 20);
  for (auto _ : state) {
    LoadPNGTiles(mosaic, tree.folder, tree.area, decoder, ui);
    benchmark::DoNotOptimize(mosaic.Pixels());
  }
  state.counters["tiles/s"] = benchmark::Counter(static_cast<double>(tree.files.size()),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tree.bytes));
}

void BM_BareLibpng(benchmark::State& state) {
  const TileTree& tree = Tree(state.range(0) != 0);
  std::vector<png_byte> pixels(256 * 256 * 3);
  std::vector<png_bytep> rows(256);
  for (int y = 0; y < 256; ++y) rows[y] = pixels.data() + y * 256 * 3;
  for (auto _ : state) {
    for (const std::string& path : tree.files) {
      std::FILE* file = std::fopen(path.c_str(), "rb");
      png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
      png_infop info = png_create_info_struct(png);
      if (setjmp(png_jmpbuf(png))) std::abort();
      png_init_io(png, file);
      png_read_info(png, info);
      if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
      png_read_update_info(png, info);
      png_read_image(png, rows.data());
      png_destroy_read_struct(&png, &info, nullptr);
      std::fclose(file);
      benchmark::DoNotOptimize(pixels.data());
    }
  }
  state.counters["tiles/s"] = benchmark::Counter(static_cast<double>(tree.files.size()),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tree.bytes));
}

// Arguments: 0 = RGB tiles, 1 = palette tiles. Interleaved so both see the same machine state.
BENCHMARK(BM_BareLibpng)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadTiles)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MosaicBuild)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BareLibpng)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadTiles)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MosaicBuild)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
