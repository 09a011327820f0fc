#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/ChartReaders.h"
#include "imaging/ChartSamples.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

class JpegVariants : public ::testing::TestWithParam<JpegLayout> {};

// Pixel for pixel what libjpeg itself decodes from the file, in BGRA order, and close to
// the colours written (quality 100), so that a swapped red and blue would show.
TEST_P(JpegVariants, LoadsWhatLibjpegDecodesInBgraOrder) {
  const JpegLayout& layout = GetParam();
  TempFolder folder;
  const std::string path = folder / "chart.jpg";
  const int width = 45, height = 29;
  WriteJpeg(path, layout, width, height);

  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadJpegChart(path, raster, requiredBytes);
  ASSERT_EQ(raster.Width(), width);
  ASSERT_EQ(raster.Height(), height);
  EXPECT_EQ(requiredBytes, std::uint64_t{width} * height * 4);

  int components = 0;
  const std::vector<std::uint8_t> reference = ReferenceJpegDecode(path, components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* r = &reference[(static_cast<std::size_t>(y) * width + x) * components];
      const std::uint32_t p = raster.At(x, y);
      ASSERT_EQ(AlphaOf(p), 255);
      if (layout.input == JCS_GRAYSCALE) {
        ASSERT_EQ(p, PackPixel(r[0], r[0], r[0])) << x << "," << y;
        continue;
      }
      if (layout.input == JCS_RGB) {
        ASSERT_EQ(p, PackPixel(r[0], r[1], r[2])) << x << "," << y;
      }
      const std::uint32_t written = PatternPixel(x, y);
      ASSERT_LE(std::abs(RedOf(p) - RedOf(written)), 6) << x << "," << y;
      ASSERT_LE(std::abs(GreenOf(p) - GreenOf(written)), 6) << x << "," << y;
      ASSERT_LE(std::abs(BlueOf(p) - BlueOf(written)), 6) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, JpegVariants,
                         ::testing::Values(JpegLayout{"Baseline", JCS_RGB, false, false},
                                           JpegLayout{"Progressive", JCS_RGB, true, false},
                                           JpegLayout{"RestartMarkers", JCS_RGB, false, true},
                                           JpegLayout{"Grey", JCS_GRAYSCALE, false, false},
                                           JpegLayout{"AdobeCmyk", JCS_CMYK, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Sets the height and width of the first SOF0/SOF2 segment.
std::string WithDimensions(std::string jpeg, std::uint16_t width, std::uint16_t height) {
  for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (static_cast<std::uint8_t>(jpeg[i]) == 0xFF &&
        (static_cast<std::uint8_t>(jpeg[i + 1]) == 0xC0 ||
         static_cast<std::uint8_t>(jpeg[i + 1]) == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

struct BadJpeg {
  std::string name;
  std::string bytes;
  std::uint64_t requiredBytes;  // recorded before the failure
};

// Every broken file fails with the one decoding text; the count is recorded once the frame
// header has been read, and stays 0 before that.
TEST(JpegChart, BrokenFilesFailWithTheDecodingText) {
  TempFolder folder;
  WriteJpeg(folder / "good.jpg", {"", JCS_RGB, false, false}, 64, 48);
  WriteJpeg(folder / "progressive.jpg", {"", JCS_RGB, true, false}, 64, 48);
  const std::string good = ReadFileBytes(folder / "good.jpg");
  const std::string progressive = ReadFileBytes(folder / "progressive.jpg");
  const std::vector<BadJpeg> cases = {
      {"empty", "", 0},
      {"tiff magic", "II*\0\x08\0\0\0", 0},
      {"markers only", "\xFF\xD8\xFF\xD9", 0},
      {"cut in the header", good.substr(0, 100), 0},
      {"cut in the pixels", good.substr(0, good.size() / 2), 64 * 48 * 4},
      {"progressive cut", progressive.substr(0, progressive.size() / 2), 64 * 48 * 4},
      {"zero width", WithDimensions(good, 0, 48), 0},
      {"zero height", WithDimensions(good, 64, 0), 0},
      {"giant", WithDimensions(good, 65500, 65500), 65500ull * 65500 * 4},
      {"giant progressive", WithDimensions(progressive, 65500, 65500), 65500ull * 65500 * 4},
  };
  for (const BadJpeg& c : cases) {
    const std::string path = folder.Write(c.name + ".jpg", c.bytes);
    Raster32 raster;
    std::uint64_t requiredBytes = 0;
    try {
      ReadJpegChart(path, raster, requiredBytes, 64 << 20);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const CartozenError& error) {
      EXPECT_EQ(std::string(error.what()), kBufferNotDecodedText) << c.name;
    }
    EXPECT_EQ(requiredBytes, c.requiredBytes) << c.name;
  }
}

}  // namespace
}  // namespace cz::testing
