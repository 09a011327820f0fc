#include "imaging/GifTileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/GifImageDecoder.h"
#include "platform/Error.h"
#include "support/ChartLikeTile.h"
#include "support/GifTestFiles.h"

namespace cz {
namespace {

std::uint8_t Byte(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes.at(at));
}
int Word(const std::string& bytes, std::size_t at) {
  return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

struct TableCase {
  int colours;
  int tableSize;
  int bits;
};

class GifLayout : public ::testing::TestWithParam<TableCase> {};

// Walks the whole file: header, screen, image descriptor, table, data sub-blocks, trailer.
TEST_P(GifLayout, IsByteForByteTheTileLayout) {
  const TableCase c = GetParam();
  const int width = 37, height = 21;
  std::vector<PaletteColour> palette;
  for (int i = 0; i < c.colours; ++i) {
    palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7});
  }
  std::vector<std::uint8_t> indices(width * height);
  for (std::size_t i = 0; i < indices.size(); ++i)
    indices[i] = static_cast<std::uint8_t>(i % c.colours);
  const std::string bytes = EncodeTileGif(width, height, indices.data(), palette);

  EXPECT_EQ(bytes.substr(0, 6), "GIF87a");
  EXPECT_EQ(Word(bytes, 6), width);
  EXPECT_EQ(Word(bytes, 8), height);
  EXPECT_EQ(Byte(bytes, 10), 0x77);  // no global table, resolution 7, size field 7
  EXPECT_EQ(Byte(bytes, 11), 0);     // background
  EXPECT_EQ(Byte(bytes, 12), 0);     // aspect
  ASSERT_EQ(Byte(bytes, 13), 0x2C) << "an image descriptor must follow the screen directly";
  EXPECT_EQ(Word(bytes, 14), 0);
  EXPECT_EQ(Word(bytes, 16), 0);
  EXPECT_EQ(Word(bytes, 18), width);
  EXPECT_EQ(Word(bytes, 20), height);
  EXPECT_EQ(Byte(bytes, 22), 0x80 | (c.bits - 1)) << "local table, not interlaced, not sorted";
  std::size_t at = 23;
  for (int i = 0; i < c.tableSize; ++i, at += 3) {
    const PaletteColour expected = i < c.colours ? palette[i] : PaletteColour{0, 0, 0};
    ASSERT_EQ(Byte(bytes, at), expected.Red) << i;
    ASSERT_EQ(Byte(bytes, at + 1), expected.Green) << i;
    ASSERT_EQ(Byte(bytes, at + 2), expected.Blue) << i;
  }
  EXPECT_EQ(Byte(bytes, at++), std::max(2, c.bits)) << "LZW minimum code size";
  while (Byte(bytes, at) != 0) at += 1 + Byte(bytes, at);  // data sub-blocks
  ++at;
  EXPECT_EQ(at + 1, bytes.size());
  EXPECT_EQ(Byte(bytes, at), 0x3B);
}

INSTANTIATE_TEST_SUITE_P(TableSizes, GifLayout,
                         ::testing::Values(TableCase{1, 2, 1}, TableCase{2, 2, 1},
                                           TableCase{3, 4, 2}, TableCase{16, 16, 4},
                                           TableCase{17, 32, 5}, TableCase{64, 64, 6},
                                           TableCase{65, 128, 7}, TableCase{256, 256, 8}));

TEST(GifTileWriterTest, ImageDataDecodesToTheSameIndices) {
  const int width = 601, height = 600;
  testing::TinyRandom random(5);
  std::vector<PaletteColour> palette;
  for (int i = 0; i < 200; ++i) {
    palette.push_back({static_cast<std::uint8_t>(random.Next()), static_cast<std::uint8_t>(i),
                       static_cast<std::uint8_t>(random.Next())});
  }
  std::vector<std::uint8_t> indices(width * height);
  for (auto& index : indices) index = static_cast<std::uint8_t>(random.Below(200));
  const std::vector<std::uint8_t> original = indices;
  const Raster32 decoded =
      DecodeGifImage(EncodeTileGif(width, height, indices.data(), palette), "t");
  ASSERT_EQ(decoded.Width(), width);
  ASSERT_EQ(decoded.Height(), height);
  for (std::size_t i = 0; i < original.size(); ++i) {
    const PaletteColour& c = palette[original[i]];
    ASSERT_EQ(decoded.Pixels()[i], PackPixel(c.Red, c.Green, c.Blue)) << i;
  }
}

// giflib, which wrote the tiles before GifTileWriter, is the reference for every byte.
void ExpectGiflibBytes(int width, int height, const std::vector<std::uint8_t>& indices,
                       int colours) {
  testing::IndexedImage image{width, height, indices, {}};
  image.indices.resize(static_cast<std::size_t>(width) * height);
  std::vector<PaletteColour> palette;
  for (int i = 0; i < colours; ++i) {
    const testing::Rgb colour = testing::TestColour(i);
    image.colours.push_back(colour);
    palette.push_back({colour[0], colour[1], colour[2]});
  }
  const std::string expected = testing::EncodeWithGiflib(image);
  const std::string actual = EncodeTileGif(width, height, image.indices.data(), palette);
  const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  ASSERT_TRUE(actual == expected) << actual.size() << " bytes instead of " << expected.size()
                                  << ", first difference at byte " << differ.first - actual.begin();
}

enum class Pixels { Flat, Gradient, Noise, NoiseBeyondPalette };

struct ImageCase {
  const char* name;
  int width, height, colours;
  Pixels pixels;
};

class SameBytesAsGiflib : public ::testing::TestWithParam<ImageCase> {};

TEST_P(SameBytesAsGiflib, ForTheWholeFile) {
  const ImageCase c = GetParam();
  testing::TinyRandom random(c.width * 7 + c.colours);
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(c.width) * c.height);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const int value = c.pixels == Pixels::Flat       ? c.colours - 1
                        : c.pixels == Pixels::Gradient ? (x + y) * c.colours / (c.width + c.height)
                        : c.pixels == Pixels::NoiseBeyondPalette ? random.Below(256)
                                                                 : random.Below(c.colours);
      indices[static_cast<std::size_t>(y) * c.width + x] = static_cast<std::uint8_t>(value);
    }
  }
  ExpectGiflibBytes(c.width, c.height, indices, c.colours);
}

// Noise of 600 x 417 fills the dictionary many times over (clear codes); indices beyond the
// palette are masked to the code size as giflib masks them.
INSTANTIATE_TEST_SUITE_P(
    Images, SameBytesAsGiflib,
    ::testing::Values(ImageCase{"OnePixel", 1, 1, 1, Pixels::Flat},
                      ImageCase{"OneRow", 600, 1, 5, Pixels::Noise},
                      ImageCase{"Tiny", 3, 2, 3, Pixels::Noise},
                      ImageCase{"Flat", 600, 417, 1, Pixels::Flat},
                      ImageCase{"Gradient4", 600, 417, 4, Pixels::Gradient},
                      ImageCase{"Gradient256", 600, 417, 256, Pixels::Gradient},
                      ImageCase{"Noise2", 600, 417, 2, Pixels::Noise},
                      ImageCase{"Noise16", 600, 417, 16, Pixels::Noise},
                      ImageCase{"Noise17", 600, 417, 17, Pixels::Noise},
                      ImageCase{"Noise64", 600, 417, 64, Pixels::Noise},
                      ImageCase{"Noise200", 600, 417, 200, Pixels::Noise},
                      ImageCase{"Noise256", 600, 417, 256, Pixels::Noise},
                      ImageCase{"BeyondPalette5", 600, 417, 5, Pixels::NoiseBeyondPalette}),
    [](const auto& info) { return std::string(info.param.name); });

// Every index of a row in which no two neighbours repeat an earlier pair is a code of its own,
// so the row's length decides where the last code and the end code fall. Rows ending around
// each code-width change and each dictionary restart must end exactly as giflib ends them.
TEST(GifTileWriterTest, EndsLikeGiflibAtEveryCodeWidthChange) {
  for (int bits = 1; bits <= 8; ++bits) {
    const int colours = 1 << bits;
    std::vector<std::uint8_t> row;  // a de Bruijn sequence of order 2: every pair once
    for (int a = 0; a < colours; ++a) {
      row.push_back(static_cast<std::uint8_t>(a));
      for (int b = a + 1; b < colours; ++b)
        row.insert(row.end(), {std::uint8_t(a), std::uint8_t(b)});
    }
    row.push_back(0);
    const int firstCode = (1 << std::max(2, bits)) + 2;
    for (int limit = 1 << (std::max(2, bits) + 1); limit <= 4096; limit *= 2) {
      for (int length = limit - firstCode - 2; length <= limit - firstCode + 3; ++length) {
        if (length < 1 || length > static_cast<int>(row.size())) continue;
        SCOPED_TRACE("bits " + std::to_string(bits) + ", length " + std::to_string(length));
        ExpectGiflibBytes(length, 1, row, colours);
      }
    }
  }
}

TEST(GifTileWriterTest, RefusesSizesAGifCannotHold) {
  std::uint8_t index = 0;
  EXPECT_THROW(EncodeTileGif(0, 1, &index, {{}}), CartozenError);
  EXPECT_THROW(EncodeTileGif(70000, 1, &index, {{}}), CartozenError);
}

}  // namespace
}  // namespace cz
