// Tile output speed: colour reduction, error diffusion and GIF coding of 600 x 600
// chart-like tiles, in memory and through SaveTile.
//
// Besides the Google Benchmark cases the program has three modes for
// bench/compare_tile_output.sh, which runs ImageMagick on the same tiles in the same run:
//   tile_output_bench --write-samples DIR COUNT        writes DIR/tile_NN.ppm
//   tile_output_bench --encode DIR COLOURS DITHERING   DIR/tile_NN.ppm -> DIR/ours_NN.gif,
//                                                      prints the time and throughput
//   tile_output_bench --error DIR PREFIX               mean colour error of DIR/PREFIX_NN.gif
//                                                      against DIR/tile_NN.ppm

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "../tests/support/ChartLikeTile.h"
#include "../tests/support/GifTestFiles.h"
#include "../tests/support/TempFolder.h"
#include "imaging/GifImageDecoder.h"
#include "imaging/GifTileWriter.h"
#include "imaging/OctreeQuantizer.h"
#include "imaging/Raster32.h"
#include "imaging/TileEncoder.h"
#include "platform/FileSystem.h"
#include "port/UserInterface.h"
#include "tiling/TileFiles.h"

namespace {

using cz::Raster32;

constexpr int kTileSide = 600;

void BM_EncodeTile(benchmark::State& state) {
  const Raster32 tile = cz::testing::ChartLikeTile(kTileSide, kTileSide, 1);
  const cz::TileColourOptions options{static_cast<std::uint8_t>(state.range(0)),
                                      static_cast<std::uint8_t>(state.range(1))};
  cz::TileEncoder encoder;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string gif = encoder.Encode(tile, options);
    bytes = gif.size();
    benchmark::DoNotOptimize(gif.data());
  }
  state.counters["tiles/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
  state.counters["MP/s"] =
      benchmark::Counter(state.iterations() * tile.PixelCount() / 1e6, benchmark::Counter::kIsRate);
  state.counters["gif_bytes"] = static_cast<double>(bytes);
}
// Arguments: ColorReduction (2 = 64 colours, 0 = 256), Dithering (0 none, 1 Floyd-Steinberg, ...).
BENCHMARK(BM_EncodeTile)
    ->ArgNames({"reduction", "dithering"})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({2, 4})
    ->Args({2, 5})
    ->Args({0, 0})
    ->Args({4, 0})
    ->Unit(benchmark::kMillisecond);

// GIF writing alone, on the indices of a chart-like tile with scanner noise of deviation about
// 3 per channel reduced to `colours` colours, and giflib (the writer before GifTileWriter) as
// the peer in the same run.
void BM_WriteGif(benchmark::State& state) {
  Raster32 tile = cz::testing::ChartLikeTile(kTileSide, kTileSide, 1);
  cz::testing::TinyRandom random(7);
  for (std::size_t i = 0; i < tile.PixelCount(); ++i) {
    const std::uint32_t p = tile.Pixels()[i];
    const auto noisy = [&](int channel) {
      const int noise = random.Below(7) + random.Below(7) + random.Below(7) - 9;
      return static_cast<std::uint8_t>(std::clamp(channel + noise, 0, 255));
    };
    tile.Pixels()[i] =
        cz::PackPixel(noisy(cz::RedOf(p)), noisy(cz::GreenOf(p)), noisy(cz::BlueOf(p)));
  }
  cz::testing::IndexedImage image{
      kTileSide, kTileSide, std::vector<std::uint8_t>(tile.PixelCount()), {}};
  std::vector<cz::PaletteColour> palette;
  cz::OctreeQuantizer quantizer;
  quantizer.Build(tile, static_cast<int>(state.range(0)), palette);
  cz::NearestColourMap nearest;
  nearest.SetPalette(palette);
  cz::PixelMapper().Map(tile, nearest, cz::DitheringMethod::None, image.indices.data());
  for (const cz::PaletteColour& c : palette) image.colours.push_back({c.Red, c.Green, c.Blue});

  const bool giflib = state.range(1) != 0;
  cz::GifTileWriter writer;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string gif =
        giflib ? cz::testing::EncodeWithGiflib(image)
               : writer.Encode(kTileSide, kTileSide, image.indices.data(), palette);
    bytes = gif.size();
    benchmark::DoNotOptimize(gif.data());
  }
  state.counters["MP/s"] =
      benchmark::Counter(state.iterations() * tile.PixelCount() / 1e6, benchmark::Counter::kIsRate);
  state.counters["gif_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteGif)
    ->ArgNames({"colours", "giflib"})
    ->Args({64, 0})
    ->Args({64, 1})
    ->Args({256, 0})
    ->Args({256, 1})
    ->Unit(benchmark::kMillisecond);

void BM_SaveTile(benchmark::State& state) {
  const Raster32 tile = cz::testing::ChartLikeTile(kTileSide, kTileSide, 1);
  cz::testing::TempFolder project;
  std::filesystem::create_directories(project.Path() + "/Tiles");
  cz::SilentUserInterface ui;
  cz::TileRun run;
  run.ProjectFolder = project.Path();
  run.Options = {2, static_cast<std::uint8_t>(state.range(0))};
  for (auto _ : state) cz::SaveTile(tile, run.TilesCreated, 2, run, ui);
  state.counters["tiles/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveTile)->ArgName("dithering")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoadExistingTile(benchmark::State& state) {
  cz::testing::TempFolder project;
  std::filesystem::create_directories(project.Path() + "/Tiles");
  cz::SilentUserInterface ui;
  cz::TileRun run;
  run.ProjectFolder = project.Path();
  cz::SaveTile(cz::testing::ChartLikeTile(kTileSide, kTileSide, 1), 1, 4, run, ui);
  Raster32 raster;
  for (auto _ : state) cz::LoadExistingTile(raster, 1, 4, project.Path());
  state.counters["tiles/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadExistingTile)->Unit(benchmark::kMillisecond);

// --- Modes for the comparison script -------------------------------------------------------

std::string SampleName(const std::string& dir, const std::string& prefix, int i,
                       const char* extension) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%02d.%s", prefix.c_str(), i, extension);
  return dir + "/" + name;
}

void WritePpm(const std::string& path, const Raster32& raster) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << raster.Width() << " " << raster.Height() << "\n255\n";
  for (std::size_t i = 0; i < raster.PixelCount(); ++i) {
    const std::uint32_t p = raster.Pixels()[i];
    const char rgb[3] = {static_cast<char>(cz::RedOf(p)), static_cast<char>(cz::GreenOf(p)),
                         static_cast<char>(cz::BlueOf(p))};
    out.write(rgb, 3);
  }
}

// Reads the binary PPMs this program writes (no comments in the header).
Raster32 ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  if (magic != "P6" || width <= 0 || height <= 0 || maximum != 255) {
    throw std::runtime_error("not a sample PPM: " + path);
  }
  Raster32 raster(width, height);
  std::string rgb(raster.PixelCount() * 3, '\0');
  in.read(rgb.data(), static_cast<std::streamsize>(rgb.size()));
  for (std::size_t i = 0; i < raster.PixelCount(); ++i) {
    raster.Pixels()[i] = cz::PackPixel(static_cast<std::uint8_t>(rgb[3 * i]),
                                       static_cast<std::uint8_t>(rgb[3 * i + 1]),
                                       static_cast<std::uint8_t>(rgb[3 * i + 2]));
  }
  return raster;
}

int CountSamples(const std::string& dir) {
  int count = 0;
  while (std::filesystem::exists(SampleName(dir, "tile", count, "ppm"))) ++count;
  return count;
}

std::uint8_t ReductionFor(int colours) {
  for (std::uint8_t option = 0; option <= 4; ++option) {
    if (1 << cz::ColourBitsFor(option) == colours) return option;
  }
  throw std::runtime_error("colours must be 256, 128, 64, 32 or 16");
}

int WriteSamples(const std::string& dir, int count) {
  std::filesystem::create_directories(dir);
  for (int i = 0; i < count; ++i) {
    WritePpm(SampleName(dir, "tile", i, "ppm"),
             cz::testing::ChartLikeTile(kTileSide, kTileSide, 1000 + i));
  }
  return 0;
}

// The whole road, as ImageMagick's is timed: read the PPM, reduce, encode, write the GIF.
int EncodeSamples(const std::string& dir, int colours, int dithering) {
  const int count = CountSamples(dir);
  const cz::TileColourOptions options{ReductionFor(colours), static_cast<std::uint8_t>(dithering)};
  cz::TileEncoder encoder;
  double pixels = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    const Raster32 tile = ReadPpm(SampleName(dir, "tile", i, "ppm"));
    const std::string gif = encoder.Encode(tile, options);
    std::ofstream(SampleName(dir, "ours", i, "gif"), std::ios::binary) << gif;
    pixels += static_cast<double>(tile.PixelCount());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d tiles %.3f s %.1f tiles/s %.2f MP/s\n", count, seconds, count / seconds,
              pixels / seconds / 1e6);
  return 0;
}

int MeasureError(const std::string& dir, const std::string& prefix) {
  const int count = CountSamples(dir);
  double total = 0;
  for (int i = 0; i < count; ++i) {
    const Raster32 tile = ReadPpm(SampleName(dir, "tile", i, "ppm"));
    const std::string gifName = SampleName(dir, prefix, i, "gif");
    const Raster32 gif = cz::DecodeGifImage(cz::ReadWholeFile(gifName), gifName);
    if (gif.Width() != tile.Width() || gif.Height() != tile.Height()) {
      throw std::runtime_error("size differs: " + gifName);
    }
    total += cz::testing::MeanColourError(tile, gif);
  }
  std::printf("%.3f\n", count ? total / count : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--write-samples" && argc == 4) return WriteSamples(argv[2], std::atoi(argv[3]));
    if (mode == "--encode" && argc == 5) {
      return EncodeSamples(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    }
    if (mode == "--error" && argc == 4) return MeasureError(argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
