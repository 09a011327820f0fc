#include <gtest/gtest.h>

#include "imaging/ChartReaders.h"
#include "imaging/ChartSamples.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

class TiffVariants : public ::testing::TestWithParam<TiffLayout> {};

TEST_P(TiffVariants, LoadsEveryPixelTopDownAsBgra) {
  const TiffLayout& layout = GetParam();
  TempFolder folder;
  const std::string path = folder / "chart.tif";
  const int width = 37, height = 23;  // odd sizes: partial strips and tiles
  ASSERT_TRUE(WriteTiff(path, layout, width, height));

  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadTiffChart(path, raster, requiredBytes);
  ASSERT_EQ(raster.Width(), width);
  ASSERT_EQ(raster.Height(), height);
  EXPECT_EQ(requiredBytes, std::uint64_t{width} * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(raster.At(x, y), ExpectedTiffPixel(layout, x, y)) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffVariants,
    ::testing::Values(TiffLayout{"RgbStrips", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_NONE, false, false,
                               ORIENTATION_TOPLEFT},
                      TiffLayout{"RgbLzw", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW, false, false,
                               ORIENTATION_TOPLEFT},
                      TiffLayout{"RgbDeflateTiles", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_ADOBE_DEFLATE,
                               true, false, ORIENTATION_TOPLEFT},
                      TiffLayout{"RgbPlanes", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_PACKBITS, false,
                               true, ORIENTATION_TOPLEFT},
                      TiffLayout{"RgbBottomUp", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_NONE, false, false,
                               ORIENTATION_BOTLEFT},
                      TiffLayout{"Rgb16Bit", PHOTOMETRIC_RGB, 3, 16, COMPRESSION_NONE, false, false,
                               ORIENTATION_TOPLEFT},
                      TiffLayout{"RgbaTiles", PHOTOMETRIC_RGB, 4, 8, COMPRESSION_LZW, true, false,
                               ORIENTATION_TOPLEFT},
                      TiffLayout{"Grey", PHOTOMETRIC_MINISBLACK, 1, 8, COMPRESSION_NONE, false, false,
                               ORIENTATION_TOPLEFT},
                      TiffLayout{"Palette", PHOTOMETRIC_PALETTE, 1, 8, COMPRESSION_LZW, false, false,
                               ORIENTATION_TOPLEFT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChartReaders, MissingFileCannotBeOpened) {
  TempFolder folder;
  using Reader = void (*)(const std::string&, Raster32&, std::uint64_t&, std::uint64_t);
  const std::pair<const char*, Reader> readers[] = {
      {"none.tif", ReadTiffChart}, {"none.jpg", ReadJpegChart}, {"none.bmp", ReadBmpChart}};
  for (const auto& [name, read] : readers) {
    Raster32 raster;
    std::uint64_t requiredBytes = 7;
    try {
      read(folder / name, raster, requiredBytes, kNoByteLimit);
      ADD_FAILURE() << name << ": no error";
    } catch (const CartozenError& error) {
      EXPECT_EQ(std::string(error.what()), "Unable to open file '" + (folder / name) + "'");
    }
    EXPECT_EQ(requiredBytes, 7u) << name;  // no header read: the count is not touched
  }
}

// The count is taken from the header in 64 bits before the raster is asked for, so it is
// right even when the memory cannot be had.
struct HugeTiff {
  std::uint32_t width, height;
  std::uint64_t bytes;
};
class HugeTiffs : public ::testing::TestWithParam<HugeTiff> {};

TEST_P(HugeTiffs, QuoteTheirByteCountWhenTheRasterCannotBeHad) {
  TempFolder folder;
  const std::string path =
      folder.Write("huge.tif", HandMadeTiff(GetParam().width, GetParam().height));
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  try {
    ReadTiffChart(path, raster, requiredBytes, 64 << 20);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()), kBufferTooLargeText);
  }
  EXPECT_EQ(requiredBytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HugeTiffs,
                         ::testing::Values(HugeTiff{20000, 15000, 1200000000ull},
                                           HugeTiff{40000, 30000, 4800000000ull},
                                           HugeTiff{100000, 100000, 40000000000ull}));

TEST(TiffChart, HandMadeHeaderLoadsWithinTheCap) {
  TempFolder folder;
  const std::string path = folder.Write("small.tif", HandMadeTiff(4, 4));
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadTiffChart(path, raster, requiredBytes, 64 << 20);
  EXPECT_EQ(raster.Width(), 4);
  EXPECT_EQ(raster.At(3, 3), 0xFF000000u);  // zero samples, opaque
}

// Files that are not TIFFs, or whose structure is broken, fail with an error; nothing is
// printed or aborted. Truncated pixel data is tolerated (libtiff delivers what it can).
TEST(TiffChart, BrokenFilesFail) {
  TempFolder folder;
  std::string good;
  {
    const std::string path = folder / "good.tif";
    ASSERT_TRUE(WriteTiff(
        path, {"", PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW, false, false, ORIENTATION_TOPLEFT}, 40,
        30));
    good = ReadFileBytes(path);
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"jpeg magic", "\xFF\xD8\xFF\xE0 not a tiff at all"},
      {"bmp magic", "BM" + std::string(60, '\0')},
      {"header only", good.substr(0, 8)},
      {"directory cut off", good.substr(0, good.size() - 20)},
      {"zero width", HandMadeTiff(0, 10)},
      {"zero height", HandMadeTiff(10, 0)},
  };
  for (const auto& [name, bytes] : cases) {
    const std::string path = folder.Write(name + ".tif", bytes);
    Raster32 raster;
    std::uint64_t requiredBytes = 0;
    EXPECT_THROW(ReadTiffChart(path, raster, requiredBytes, 64 << 20), CartozenError) << name;
  }
}

}  // namespace
}  // namespace cz::testing
