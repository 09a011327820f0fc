#include "imaging/GifImageDecoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "imaging/GifTileWriter.h"
#include "platform/Error.h"

namespace cz {
namespace {

int Append(GifFileType* gif, const GifByteType* bytes, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
  return length;
}

// A GIF89a with a comment, a global table only and an interlaced image: what another program
// might leave in the "Tiles" folder.
std::string ForeignGif(int width, int height) {
  std::string bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, Append, &error);
  GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* global = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, width, height, 8, 0, global);
  EGifPutComment(gif, "made elsewhere");
  EGifPutImageDesc(gif, 0, 0, width, height, true, nullptr);
  // Interlaced rows go in pass order; row y holds index (y % 4).
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  std::vector<GifPixelType> line(width);
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) {
      std::fill(line.begin(), line.end(), static_cast<GifPixelType>(y % 4));
      EGifPutLine(gif, line.data(), width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(global);
  return bytes;
}

TEST(GifImageDecoderTest, ReadsInterlacedImagesWithAGlobalTableAndExtensions) {
  const Raster32 raster = DecodeGifImage(ForeignGif(5, 19), "x.GIF");
  ASSERT_EQ(raster.Width(), 5);
  ASSERT_EQ(raster.Height(), 19);
  const std::uint32_t expected[] = {PackPixel(0, 0, 0), PackPixel(255, 0, 0), PackPixel(0, 255, 0),
                                    PackPixel(0, 0, 255)};
  for (int y = 0; y < 19; ++y) EXPECT_EQ(raster.At(4, y), expected[y % 4]) << y;
}

std::string ValidTile() {
  std::vector<std::uint8_t> indices(40 * 30, 1);
  return EncodeTileGif(40, 30, indices.data(), {{1, 2, 3}, {4, 5, 6}});
}

struct BadFile {
  const char* name;
  std::string bytes;
};

class BadGifFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadGifFiles, AreRefusedWithTheFileName) {
  try {
    DecodeGifImage(GetParam().bytes, "/p/Tiles/4_12.GIF");
    FAIL() << "expected an error";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find("'/p/Tiles/4_12.GIF'"), std::string::npos)
        << error.what();
  }
}

std::string WithByte(std::string bytes, std::size_t at, char value) {
  if (at < bytes.size()) bytes.replace(at, 1, 1, value);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Corrupt, BadGifFiles,
    ::testing::Values(BadFile{"Empty", ""}, BadFile{"NotAGif", "PNG\x0d\x0a and so on"},
                      BadFile{"HeaderOnly", ValidTile().substr(0, 13)},
                      BadFile{"Truncated", ValidTile().substr(0, ValidTile().size() - 8)},
                      BadFile{"NoImage", std::string("GIF87a\x01\x00\x01\x00\x77\x00\x00;", 14)},
                      BadFile{"GiganticWidth",
                              WithByte(WithByte(ValidTile(), 19, '\xFF'), 18, '\xFF')},
                      BadFile{"NoColourTable", WithByte(ValidTile(), 22, '\x00')}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace cz
