#include "importer/PngTileDecoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "PngTestFiles.h"
#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::EncodePng;
using testing::PngLayout;

// A sample pattern that differs per pixel and channel and covers the whole range of a depth.
std::uint16_t Sample(int x, int y, int channel, int bitDepth) {
  const std::uint32_t range = 1u << bitDepth;
  return static_cast<std::uint16_t>((x * 37u + y * 101u + channel * 5003u + x * y) % range);
}

// What a sample of that depth becomes in 8 bits: scaled up below 8 bits, high byte of 16.
std::uint8_t To8Bits(std::uint16_t value, int bitDepth) {
  if (bitDepth == 16) return static_cast<std::uint8_t>(value >> 8);
  return static_cast<std::uint8_t>(value * 255 / ((1u << bitDepth) - 1));
}

png_color PaletteColour(int index) {
  return {static_cast<png_byte>(index * 7), static_cast<png_byte>(255 - index),
          static_cast<png_byte>(index * 13 + 5)};
}

struct FormatCase {
  const char* name;
  PngLayout layout;
};

class PngTileFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PngTileFormats, ComeOutAsRgbWithAlphaZero) {
  const PngLayout layout = GetParam().layout;
  const int depth = layout.bitDepth;
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;
  if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < (1 << depth); ++i) palette.push_back(PaletteColour(i));
    transparency.assign(palette.size(), 0);  // fully transparent: must still show the colours
  }
  const std::string bytes = EncodePng(
      layout, [&](int x, int y, int c) { return Sample(x, y, c, depth); }, palette, transparency);

  auto tile = std::make_unique<PngTilePixels>();
  PngTileDecoder decoder;
  decoder.Decode(bytes, "tile.png", *tile);

  for (int y = 0; y < kPngTileSide; ++y) {
    for (int x = 0; x < kPngTileSide; ++x) {
      std::uint32_t expected = 0;  // beyond a small image: black
      if (x < layout.width && y < layout.height) {
        std::uint8_t rgb[3];
        if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
          const png_color colour = PaletteColour(Sample(x, y, 0, depth));
          rgb[0] = colour.red, rgb[1] = colour.green, rgb[2] = colour.blue;
        } else if ((layout.colorType & PNG_COLOR_MASK_COLOR) == 0) {
          rgb[0] = rgb[1] = rgb[2] = To8Bits(Sample(x, y, 0, depth), depth);
        } else {
          for (int c = 0; c < 3; ++c) rgb[c] = To8Bits(Sample(x, y, c, depth), depth);
        }
        expected = (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
      }
      ASSERT_EQ((*tile)[y * kPngTileSide + x], expected)
          << GetParam().name << " at " << x << ", " << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    ColourTypesDepthsAndSizes, PngTileFormats,
    ::testing::Values(FormatCase{"Rgb8", {256, 256, PNG_COLOR_TYPE_RGB, 8, false}},
                      FormatCase{"Rgba8", {256, 256, PNG_COLOR_TYPE_RGBA, 8, false}},
                      FormatCase{"Rgb16", {256, 256, PNG_COLOR_TYPE_RGB, 16, false}},
                      FormatCase{"Rgba16", {256, 256, PNG_COLOR_TYPE_RGBA, 16, false}},
                      FormatCase{"Palette8", {256, 256, PNG_COLOR_TYPE_PALETTE, 8, false}},
                      FormatCase{"Palette4", {256, 256, PNG_COLOR_TYPE_PALETTE, 4, false}},
                      FormatCase{"Palette1", {256, 256, PNG_COLOR_TYPE_PALETTE, 1, false}},
                      FormatCase{"Grey1", {256, 256, PNG_COLOR_TYPE_GRAY, 1, false}},
                      FormatCase{"Grey2", {256, 256, PNG_COLOR_TYPE_GRAY, 2, false}},
                      FormatCase{"Grey8", {256, 256, PNG_COLOR_TYPE_GRAY, 8, false}},
                      FormatCase{"Grey16", {256, 256, PNG_COLOR_TYPE_GRAY, 16, false}},
                      FormatCase{"GreyAlpha8", {256, 256, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false}},
                      FormatCase{"GreyAlpha16", {256, 256, PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}},
                      FormatCase{"InterlacedRgb", {256, 256, PNG_COLOR_TYPE_RGB, 8, true}},
                      FormatCase{"InterlacedPalette", {256, 256, PNG_COLOR_TYPE_PALETTE, 8, true}},
                      FormatCase{"SmallerTile", {100, 60, PNG_COLOR_TYPE_RGB, 8, false}},
                      FormatCase{"NarrowTallerTile", {17, 300, PNG_COLOR_TYPE_RGBA, 8, false}},
                      FormatCase{"LargerTile", {512, 512, PNG_COLOR_TYPE_RGB, 8, false}},
                      FormatCase{"LargerInterlacedTile", {300, 400, PNG_COLOR_TYPE_GRAY, 8, true}},
                      FormatCase{"OnePixel", {1, 1, PNG_COLOR_TYPE_RGB, 8, false}}),
    [](const auto& info) { return std::string(info.param.name); });

// Kept alpha is the tile's own (an alpha channel's high byte, a palette's tRNS, 255 without
// either) and 0 where a small image ends; the colours are those the default decoding gives.
TEST(PngTileDecoderTest, KeptAlphaIsTheTilesOwnAndZeroBeyondTheImage) {
  const PngLayout layouts[] = {{256, 256, PNG_COLOR_TYPE_RGBA, 8, false},
                               {256, 256, PNG_COLOR_TYPE_GRAY_ALPHA, 16, false},
                               {256, 256, PNG_COLOR_TYPE_PALETTE, 8, true},
                               {100, 60, PNG_COLOR_TYPE_RGB, 8, false}};
  for (const PngLayout& layout : layouts) {
    const bool indexed = layout.colorType == PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette;
    std::vector<png_byte> transparency;
    for (int i = 0; indexed && i < 256; ++i) {
      palette.push_back(PaletteColour(i));
      transparency.push_back(static_cast<png_byte>(i % 3 == 0 ? 0 : i));
    }
    const int depth = layout.bitDepth;
    const std::string bytes = EncodePng(
        layout, [&](int x, int y, int c) { return Sample(x, y, c, depth); }, palette, transparency);
    auto plain = std::make_unique<PngTilePixels>();
    auto kept = std::make_unique<PngTilePixels>();
    PngTileDecoder().Decode(bytes, "tile.png", *plain);
    PngTileDecoder(PngAlpha::Kept).Decode(bytes, "tile.png", *kept);
    const int alphaChannel = testing::PngChannels(layout.colorType) - 1;
    for (int y = 0; y < kPngTileSide; ++y) {
      for (int x = 0; x < kPngTileSide; ++x) {
        std::uint32_t alpha = 0;
        if (x < layout.width && y < layout.height) {
          if (indexed) {
            alpha = transparency[Sample(x, y, 0, depth)];
          } else if (layout.colorType & PNG_COLOR_MASK_ALPHA) {
            alpha = To8Bits(Sample(x, y, alphaChannel, depth), depth);
          } else {
            alpha = 255;
          }
        }
        const std::size_t i = static_cast<std::size_t>(y) * kPngTileSide + x;
        ASSERT_EQ((*kept)[i], alpha << 24 | (*plain)[i])
            << layout.colorType << " at " << x << ", " << y;
      }
    }
  }
}

class BrokenPngTiles : public ::testing::TestWithParam<std::string> {};

std::string GoodTile() {
  return EncodePng({256, 256, PNG_COLOR_TYPE_RGB, 8, false},
                   [](int x, int y, int c) { return Sample(x, y, c, 8); });
}

TEST_P(BrokenPngTiles, AreRefusedWithTheFileName) {
  auto tile = std::make_unique<PngTilePixels>();
  PngTileDecoder decoder;
  try {
    decoder.Decode(GetParam(), "tiles/9/265/170.png", *tile);
    FAIL() << "decoded a broken PNG";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find("'tiles/9/265/170.png'"), std::string::npos)
        << error.what();
  }
  // The decoder stays usable after a failure.
  decoder.Decode(GoodTile(), "good.png", *tile);
  EXPECT_EQ((*tile)[1],
            std::uint32_t{Sample(1, 0, 0, 8)} << 16 | Sample(1, 0, 1, 8) << 8 | Sample(1, 0, 2, 8));
}

std::vector<std::string> BrokenFiles() {
  const std::string good = GoodTile();
  std::string badCrc = good;
  badCrc[30] ^= 0x55;  // inside IHDR's CRC or data: a critical chunk
  std::string corruptData = good;
  for (std::size_t i = 60; i < 90 && i < corruptData.size(); ++i) corruptData[i] ^= 0xA5;
  return {"",
          "not a png at all",
          good.substr(0, 8),
          good.substr(0, 40),
          good.substr(0, good.size() / 2),
          badCrc,
          corruptData,
          EncodePng({kMaxPngTileSide + 1, 1, PNG_COLOR_TYPE_GRAY, 8, false},
                    [](int, int, int) { return 0; })};
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenPngTiles, ::testing::ValuesIn(BrokenFiles()));

TEST(PngTileDecoderTest, MissingFileIsAnOpenError) {
  testing::TempFolder folder;
  auto tile = std::make_unique<PngTilePixels>();
  PngTileDecoder decoder;
  EXPECT_THROW(decoder.DecodeFile(folder / "7/1/2.png", *tile), CartozenError);
  folder.Write("7/1/2.PNG", GoodTile());
  EXPECT_NO_THROW(decoder.DecodeFile(folder / "7/1/2.png", *tile));  // case-insensitive
}

}  // namespace
}  // namespace cz

namespace cz {
namespace {

TEST(PngTileDecoderTest, RegionWritesOnlyItsRectangleAndBlackBeyondTheImage) {
  // A 100 × 40 image; the region (90, 30)–(129, 49) runs past both its edges.
  const std::string bytes = testing::EncodeRgbPng(
      100, 40, [](int x, int y) { return static_cast<std::uint32_t>(x << 8 | y); });
  constexpr std::ptrdiff_t kStride = 50;
  std::vector<std::uint32_t> target(kStride * 22, 0xDEADBEEFu);
  PngTileDecoder decoder;
  decoder.DecodeRegion(bytes, "t.png", TileRegion{90, 30, 40, 20}, target.data() + kStride + 1,
                       kStride);
  for (int j = 0; j < 22; ++j) {
    for (int i = 0; i < kStride; ++i) {
      const int x = 90 + i - 1, y = 30 + j - 1;
      std::uint32_t expected = 0xDEADBEEFu;  // outside the region: untouched
      if (i >= 1 && i < 41 && j >= 1 && j < 21) {
        expected = (x < 100 && y < 40) ? static_cast<std::uint32_t>(x << 8 | y) : 0u;
      }
      ASSERT_EQ(target[j * kStride + i], expected) << i << ", " << j;
    }
  }
}

TEST(PngTileDecoderTest, PaletteIndexesBeyondThePaletteAreBlack) {
  const std::vector<png_color> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const std::string bytes = EncodePng(
      {16, 1, PNG_COLOR_TYPE_PALETTE, 8, false},
      [](int x, int, int) { return static_cast<std::uint16_t>(x); }, palette);
  auto tile = std::make_unique<PngTilePixels>();
  PngTileDecoder decoder;
  decoder.Decode(bytes, "p.png", *tile);
  EXPECT_EQ((*tile)[0], 0xFF0000u);
  EXPECT_EQ((*tile)[2], 0x0000FFu);
  for (int x = 3; x < 16; ++x) EXPECT_EQ((*tile)[x], 0u) << x;
}

}  // namespace
}  // namespace cz
