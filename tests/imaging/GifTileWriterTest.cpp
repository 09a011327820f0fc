#include "imaging/GifTileWriter.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "imaging/GifImageDecoder.h"
#include "platform/Error.h"
#include "support/ChartLikeTile.h"

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

TEST(GifTileWriterTest, RefusesSizesAGifCannotHold) {
  std::uint8_t index = 0;
  EXPECT_THROW(EncodeTileGif(0, 1, &index, {{}}), CartozenError);
  EXPECT_THROW(EncodeTileGif(70000, 1, &index, {{}}), CartozenError);
}

}  // namespace
}  // namespace cz
