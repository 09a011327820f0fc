// The direct TIFF decoder against libtiff's RGBA interface, pixel for pixel.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/ChartSamples.h"
#include "imaging/Raster32.h"
#include "imaging/TiffChart.h"
#include "imaging/TiffFile.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

// Odd sizes: a last partial strip (47 = 15 × 3 + 2 rows) and partial edge tiles.
constexpr int kWidth = 61;
constexpr int kHeight = 47;

// What the RGBA interface alone makes of the file, as raster pixels.
std::vector<std::uint32_t> RgbaInterfacePixels(const std::string& path) {
  std::vector<std::uint32_t> pixels(std::size_t{kWidth} * kHeight, 0);
  TiffHandle tiff = OpenTiffForReading(path, kNoByteLimit);
  EXPECT_TRUE(tiff);
  if (!tiff) return pixels;
  TIFFReadRGBAImageOriented(tiff.get(), kWidth, kHeight, pixels.data(), ORIENTATION_TOPLEFT, 0);
  for (std::uint32_t& p : pixels) p = RasterPixelFromTiffRgba(p);
  return pixels;
}

std::vector<std::uint32_t> Load(const std::string& path, int threads, TiffDecoder& decoder) {
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  decoder = ReadTiffChartOnThreads(path, raster, requiredBytes, kNoByteLimit, threads);
  EXPECT_EQ(raster.Width(), kWidth);
  EXPECT_EQ(raster.Height(), kHeight);
  return {raster.Pixels(), raster.Pixels() + raster.PixelCount()};
}

TiffLayout Rgb(const char* name, std::uint16_t compression, bool tiled = false) {
  return {name, PHOTOMETRIC_RGB, 3, 8, compression, tiled, false, ORIENTATION_TOPLEFT};
}
TiffLayout WithAlpha(const char* name, std::uint16_t extraSample, bool tiled) {
  TiffLayout layout{name,  PHOTOMETRIC_RGB,    4, 8, COMPRESSION_LZW, tiled,
                    false, ORIENTATION_TOPLEFT};
  layout.extraSample = extraSample;
  layout.varyingAlpha = true;
  return layout;
}
TiffLayout OneSample(const char* name, std::uint16_t photometric, bool tiled = false) {
  return {name, photometric, 1, 8, COMPRESSION_LZW, tiled, false, ORIENTATION_TOPLEFT};
}
template <typename Change>
TiffLayout Changed(TiffLayout layout, Change change) {
  change(layout);
  return layout;
}

struct DecoderCase {
  TiffLayout layout;
  TiffDecoder decoder;
};
class TiffDecoders : public ::testing::TestWithParam<DecoderCase> {};

TEST_P(TiffDecoders, GiveTheRgbaInterfacePixelsOnAnyThreadCount) {
  const TiffLayout& layout = GetParam().layout;
  TempFolder folder;
  const std::string path = folder / "chart.tif";
  ASSERT_TRUE(WriteTiff(path, layout, kWidth, kHeight));
  const std::vector<std::uint32_t> expected = RgbaInterfacePixels(path);
  for (int threads : {1, 2, 3}) {
    TiffDecoder decoder{};
    const std::vector<std::uint32_t> pixels = Load(path, threads, decoder);
    EXPECT_EQ(decoder, GetParam().decoder) << threads << " threads";
    ASSERT_EQ(pixels, expected) << threads << " threads";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffDecoders,
    ::testing::Values(
        DecoderCase{Rgb("Rgb", COMPRESSION_NONE), TiffDecoder::Direct},
        DecoderCase{Rgb("RgbLzw", COMPRESSION_LZW), TiffDecoder::Direct},
        DecoderCase{Changed(Rgb("RgbOneStrip", COMPRESSION_ADOBE_DEFLATE),
                            [](TiffLayout& l) { l.rowsPerStrip = 1000; }),
                    TiffDecoder::Direct},
        DecoderCase{
            Changed(Rgb("RgbJpeg", COMPRESSION_JPEG), [](TiffLayout& l) { l.rowsPerStrip = 8; }),
            TiffDecoder::Direct},
        DecoderCase{Rgb("RgbDeflateTiles", COMPRESSION_ADOBE_DEFLATE, true), TiffDecoder::Direct},
        DecoderCase{WithAlpha("AssociatedAlphaTiles", EXTRASAMPLE_ASSOCALPHA, true),
                    TiffDecoder::Direct},
        DecoderCase{WithAlpha("UnassociatedAlpha", EXTRASAMPLE_UNASSALPHA, false),
                    TiffDecoder::Direct},
        DecoderCase{WithAlpha("UnspecifiedAlpha", EXTRASAMPLE_UNSPECIFIED, false),
                    TiffDecoder::Direct},
        DecoderCase{OneSample("MinIsBlack", PHOTOMETRIC_MINISBLACK), TiffDecoder::Direct},
        DecoderCase{OneSample("MinIsWhiteTiles", PHOTOMETRIC_MINISWHITE, true),
                    TiffDecoder::Direct},
        DecoderCase{OneSample("Palette", PHOTOMETRIC_PALETTE), TiffDecoder::Direct},
        DecoderCase{Changed(OneSample("PaletteEightBitMapTiles", PHOTOMETRIC_PALETTE, true),
                            [](TiffLayout& l) { l.eightBitColourMap = true; }),
                    TiffDecoder::Direct},
        // Everything else stays with the RGBA interface.
        DecoderCase{Changed(Rgb("Rgb16Bit", COMPRESSION_NONE), [](TiffLayout& l) { l.bits = 16; }),
                    TiffDecoder::RgbaInterface},
        DecoderCase{Changed(Rgb("RgbPlanes", COMPRESSION_NONE),
                            [](TiffLayout& l) { l.separatePlanes = true; }),
                    TiffDecoder::RgbaInterface},
        DecoderCase{Changed(Rgb("RgbBottomUp", COMPRESSION_NONE),
                            [](TiffLayout& l) { l.orientation = ORIENTATION_BOTLEFT; }),
                    TiffDecoder::RgbaInterface},
        DecoderCase{Changed(OneSample("GreyAlpha", PHOTOMETRIC_MINISBLACK),
                            [](TiffLayout& l) {
                              l.samples = 2;
                              l.varyingAlpha = true;
                            }),
                    TiffDecoder::RgbaInterface}),
    [](const auto& info) { return std::string(info.param.layout.name); });

// A strip or tile whose data turn to garbage loads black; every other one loads as it should.
class DamagedChunks : public ::testing::TestWithParam<TiffLayout> {};

TEST_P(DamagedChunks, LoadBlackAndLeaveTheRestWhole) {
  const TiffLayout& layout = GetParam();
  TempFolder folder;
  const std::string path = folder / "chart.tif";
  ASSERT_TRUE(WriteTiff(path, layout, kWidth, kHeight));
  const std::vector<std::uint32_t> whole = RgbaInterfacePixels(path);

  // Chunk 4: strip rows 12-14, or the tile at column 0 of the second tile row.
  std::uint64_t* offsets = nullptr;
  std::uint64_t* sizes = nullptr;
  {
    TiffHandle tiff = OpenTiffForReading(path, kNoByteLimit);
    ASSERT_TRUE(tiff);
    const ttag_t offsetTag = layout.tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS;
    const ttag_t sizeTag = layout.tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS;
    ASSERT_TRUE(TIFFGetField(tiff.get(), offsetTag, &offsets));
    ASSERT_TRUE(TIFFGetField(tiff.get(), sizeTag, &sizes));
    // The second half: the decoder delivers a part of the chunk before it fails.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offsets[4] + sizes[4] / 2));
    const std::string garbage(sizes[4] - sizes[4] / 2, '\xFF');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  const int top = layout.tiled ? 16 : 12;
  const int bottom = layout.tiled ? 32 : 15;
  const int right = layout.tiled ? 16 : kWidth;
  for (int threads : {1, 2}) {
    TiffDecoder decoder{};
    const std::vector<std::uint32_t> pixels = Load(path, threads, decoder);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::size_t i = std::size_t{kWidth} * y + x;
        const bool damaged = y >= top && y < bottom && x < right;
        ASSERT_EQ(pixels[i], damaged ? 0u : whole[i]) << x << "," << y << ", " << threads;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, DamagedChunks,
                         ::testing::Values(Rgb("LzwStrips", COMPRESSION_LZW),
                                           Rgb("DeflateTiles", COMPRESSION_ADOBE_DEFLATE, true)),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz::testing
