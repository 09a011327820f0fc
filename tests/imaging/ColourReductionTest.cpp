#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "imaging/ErrorDiffusion.h"
#include "imaging/GifImageDecoder.h"
#include "imaging/NearestColour.h"
#include "imaging/OctreeQuantizer.h"
#include "imaging/TileEncoder.h"
#include "support/ChartLikeTile.h"

namespace cz {
namespace {

using testing::ChartLikeTile;
using testing::MeanColourError;
using testing::RandomTile;

std::set<std::uint32_t> ColoursOf(const Raster32& raster) {
  std::set<std::uint32_t> colours;
  for (std::size_t i = 0; i < raster.PixelCount(); ++i)
    colours.insert(raster.Pixels()[i] & 0xFFFFFF);
  return colours;
}

// Palettes as the search sees them: coarse values that make equal distances (ties) common
// across the whole cube, and tile-like ones crowded around a few tints, where the cells hold
// many colours and the queries fall near them.
enum class PaletteKind { CoarseTies, CrowdedTints };

class NearestColourTest : public ::testing::TestWithParam<PaletteKind> {};

TEST_P(NearestColourTest, AgreesWithAFullSearchIncludingTies) {
  const bool crowded = GetParam() == PaletteKind::CrowdedTints;
  testing::TinyRandom random(11);
  const auto near = [&random](int centre, int spread) {
    return static_cast<std::uint8_t>(
        std::clamp(centre + random.Below(2 * spread + 1) - spread, 0, 255));
  };
  for (int round = 0; round < 20; ++round) {
    std::vector<PaletteColour> palette(1 + random.Below(256));
    const int tints[2][3] = {{random.Below(256), random.Below(256), random.Below(256)},
                             {random.Below(256), random.Below(256), random.Below(256)}};
    for (auto& c : palette) {
      const int* tint = tints[random.Below(2)];
      c = crowded ? PaletteColour{near(tint[0], 12), near(tint[1], 12), near(tint[2], 12)}
                  : PaletteColour{static_cast<std::uint8_t>(random.Below(5) * 60),
                                  static_cast<std::uint8_t>(random.Below(5) * 60),
                                  static_cast<std::uint8_t>(random.Below(5) * 60)};
    }
    NearestColourMap map;
    map.SetPalette(palette);
    for (int i = 0; i < 3000; ++i) {
      const int* tint = tints[random.Below(2)];
      const int r = crowded && i % 2 ? near(tint[0], 20) : random.Below(256);
      const int g = crowded && i % 2 ? near(tint[1], 20) : random.Below(256);
      const int b = crowded && i % 2 ? near(tint[2], 20) : random.Below(256);
      int best = 1 << 30, bestIndex = 0;
      for (std::size_t k = 0; k < palette.size(); ++k) {
        const int d = (palette[k].Red - r) * (palette[k].Red - r) +
                      (palette[k].Green - g) * (palette[k].Green - g) +
                      (palette[k].Blue - b) * (palette[k].Blue - b);
        if (d < best) best = d, bestIndex = static_cast<int>(k);
      }
      ASSERT_EQ(map.IndexOf(r, g, b), bestIndex) << r << "," << g << "," << b;
      ASSERT_EQ(map.IndexOf(r, g, b), bestIndex) << "cached answer differs";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Palettes, NearestColourTest,
                         ::testing::Values(PaletteKind::CoarseTies, PaletteKind::CrowdedTints));

// The palette and indices colour reduction gives some tiles, pinned: faster searches and
// refinements must find exactly what the plain ones found.
struct PinnedCase {
  bool chartLike;  // else random pixels
  std::uint32_t seed;
  int colours;
  std::uint8_t dithering;
  std::uint64_t fingerprint;  // FNV-1a of the palette's bytes, then the indices
};

class PinnedReduction : public ::testing::TestWithParam<PinnedCase> {};

TEST_P(PinnedReduction, GivesTheSamePaletteAndIndices) {
  const PinnedCase c = GetParam();
  const Raster32 tile = c.chartLike ? ChartLikeTile(160, 120, c.seed) : RandomTile(120, 90, c.seed);
  OctreeQuantizer quantizer;
  std::vector<PaletteColour> palette;
  quantizer.Build(tile, c.colours, palette);
  NearestColourMap map;
  map.SetPalette(palette);
  std::vector<std::uint8_t> indices(tile.PixelCount());
  PixelMapper().Map(tile, map, DitheringMethodFor(c.dithering), indices.data());
  std::uint64_t hash = 14695981039346656037ull;
  const auto add = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
  for (const PaletteColour& colour : palette) add(colour.Red), add(colour.Green), add(colour.Blue);
  for (const std::uint8_t index : indices) add(index);
  EXPECT_EQ(hash, c.fingerprint);
}

INSTANTIATE_TEST_SUITE_P(Tiles, PinnedReduction,
                         ::testing::Values(PinnedCase{true, 1, 256, 0, 0x415c8b5c092b307full},
                                           PinnedCase{true, 1, 64, 0, 0x8c79082ed3c4ab67ull},
                                           PinnedCase{true, 1, 16, 0, 0x2bef5658fd7a5f57ull},
                                           PinnedCase{true, 1, 64, 1, 0x0359304527d47ccfull},
                                           PinnedCase{true, 1, 256, 4, 0xc269f4cda9d0d979ull},
                                           PinnedCase{true, 2, 128, 0, 0xa330370184be03f2ull},
                                           PinnedCase{true, 2, 32, 2, 0x16c3a5ba0f4be591ull},
                                           PinnedCase{false, 3, 256, 0, 0x0590c4173fc87794ull},
                                           PinnedCase{false, 3, 64, 1, 0x4a19d75f6b52a9efull},
                                           PinnedCase{false, 3, 2, 0, 0xbb2e54191096b743ull}));

class ColourLimit : public ::testing::TestWithParam<int> {};

TEST_P(ColourLimit, OctreeStaysWithinTheLimitAndIsDeterministic) {
  const int limit = GetParam();
  OctreeQuantizer quantizer;
  for (const Raster32& tile : {RandomTile(300, 200, 3), ChartLikeTile(300, 200, 4)}) {
    std::vector<PaletteColour> first, second;
    quantizer.Build(tile, limit, first);
    EXPECT_FALSE(quantizer.Exact());
    EXPECT_LE(first.size(), static_cast<std::size_t>(limit));
    EXPECT_GE(first.size(), static_cast<std::size_t>(limit) / 2) << "palette slots wasted";
    quantizer.Build(tile, limit, second);
    EXPECT_EQ(first, second);
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, ColourLimit, ::testing::Values(2, 16, 32, 64, 128, 256));

TEST(OctreeQuantizerTest, KeepsColoursExactlyWhenTheyFit) {
  // 64 colours closer together than the tree's deepest cells must not be merged.
  Raster32 tile(64, 8);
  for (int x = 0; x < 64; ++x) {
    for (int y = 0; y < 8; ++y)
      tile.At(x, y) = PackPixel(100 + x % 4, 100 + x / 4 % 4, 100 + x / 16);
  }
  OctreeQuantizer quantizer;
  std::vector<PaletteColour> palette;
  quantizer.Build(tile, 64, palette);
  EXPECT_TRUE(quantizer.Exact());
  EXPECT_EQ(palette.size(), 64u);
  quantizer.Build(tile, 32, palette);
  EXPECT_FALSE(quantizer.Exact());
}

struct OptionCase {
  std::uint8_t colorReduction;
  std::uint8_t dithering;
};

class EncoderOptions : public ::testing::TestWithParam<OptionCase> {};

// A tile whose colours already fit comes back pixel for pixel, whatever the dithering.
TEST_P(EncoderOptions, TileWithFewColoursKeepsThemExactly) {
  const OptionCase c = GetParam();
  const int limit = 1 << ColourBitsFor(c.colorReduction);
  Raster32 tile = ChartLikeTile(120, 90, 9);
  for (std::size_t i = 0; i < tile.PixelCount(); ++i) {
    const auto red = static_cast<std::uint8_t>(i * 7 % limit);  // exactly limit colours
    tile.Pixels()[i] = PackPixel(red, 3, red ^ 0x55, 0);
  }
  TileEncoder encoder;
  const Raster32 back = DecodeGifImage(encoder.Encode(tile, {c.colorReduction, c.dithering}), "t");
  EXPECT_EQ(MeanColourError(tile, back), 0.0);
}

TEST_P(EncoderOptions, ReducedTileHasAtMostItsColoursAndSmallError) {
  const OptionCase c = GetParam();
  const Raster32 tile = ChartLikeTile(200, 150, 21);
  TileEncoder encoder;
  const Raster32 back = DecodeGifImage(encoder.Encode(tile, {c.colorReduction, c.dithering}), "t");
  EXPECT_LE(ColoursOf(back).size(), std::size_t{1} << ColourBitsFor(c.colorReduction));
  // Guards against palettes gone wrong; measured errors lie about a third below these.
  static constexpr double kLimit[] = {3.0, 4.5, 6.0, 10.0, 17.0};
  EXPECT_LT(MeanColourError(tile, back), kLimit[c.colorReduction]);
}

INSTANTIATE_TEST_SUITE_P(Options, EncoderOptions,
                         ::testing::Values(OptionCase{0, 0}, OptionCase{1, 1}, OptionCase{2, 0},
                                           OptionCase{2, 1}, OptionCase{3, 3}, OptionCase{4, 0},
                                           OptionCase{4, 6}, OptionCase{2, 5}));

TEST(TileEncoderTest, UnknownOptionsBehaveAsTheDefaults) {
  const Raster32 tile = ChartLikeTile(150, 100, 2);
  TileEncoder encoder;
  const std::string standard = encoder.Encode(tile, {2, 0});
  EXPECT_EQ(encoder.Encode(tile, {7, 0}), standard);
  EXPECT_EQ(encoder.Encode(tile, {2, 9}), standard);
  EXPECT_EQ(ColourBitsFor(0), 8);
  EXPECT_EQ(ColourBitsFor(4), 4);
  EXPECT_EQ(ColourBitsFor(255), 6);
}

TEST(TileEncoderTest, IgnoresAlpha) {
  Raster32 tile = ChartLikeTile(60, 40, 8);
  TileEncoder encoder;
  const std::string opaque = encoder.Encode(tile, {3, 1});
  for (std::size_t i = 0; i < tile.PixelCount(); ++i) tile.Pixels()[i] &= 0x00FFFFFF;
  EXPECT_EQ(encoder.Encode(tile, {3, 1}), opaque);
}

class DiffusionKernels : public ::testing::TestWithParam<int> {};

TEST_P(DiffusionKernels, SpreadTheWholeErrorForward) {
  const DiffusionKernel kernel =
      KernelOf(DitheringMethodFor(static_cast<std::uint8_t>(GetParam())));
  int sum = 0;
  for (int t = 0; t < kernel.TapCount; ++t) {
    const DiffusionTap& tap = kernel.Taps[t];
    EXPECT_TRUE(tap.Dy > 0 || (tap.Dy == 0 && tap.Dx > 0)) << "taps only reach unvisited pixels";
    sum += tap.Weight;
  }
  EXPECT_EQ(sum, kernel.Divisor);
}

// Error diffusion keeps the average colour of an area: on a smooth ramp reduced to few
// colours, 8 x 8 block means must be closer to the original than without dithering.
TEST_P(DiffusionKernels, KeepAreaMeansCloserThanPlainMapping) {
  Raster32 ramp(256, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 256; ++x) ramp.At(x, y) = PackPixel(x, x / 2 + y, 128);
  }
  const auto blockError = [&](const Raster32& reduced) {
    double total = 0;
    for (int by = 0; by < 64; by += 8) {
      for (int bx = 0; bx < 256; bx += 8) {
        double dr = 0, dg = 0;
        for (int y = by; y < by + 8; ++y) {
          for (int x = bx; x < bx + 8; ++x) {
            dr += RedOf(ramp.At(x, y)) - RedOf(reduced.At(x, y));
            dg += GreenOf(ramp.At(x, y)) - GreenOf(reduced.At(x, y));
          }
        }
        total += std::abs(dr / 64) + std::abs(dg / 64);
      }
    }
    return total;
  };
  TileEncoder encoder;
  const Raster32 plain = DecodeGifImage(encoder.Encode(ramp, {4, 0}), "t");
  const Raster32 dithered =
      DecodeGifImage(encoder.Encode(ramp, {4, static_cast<std::uint8_t>(GetParam())}), "t");
  EXPECT_LT(blockError(dithered), 0.7 * blockError(plain));
}

INSTANTIATE_TEST_SUITE_P(Methods, DiffusionKernels, ::testing::Range(1, 7));

}  // namespace
}  // namespace cz
