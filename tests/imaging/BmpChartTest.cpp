#include <gtest/gtest.h>

#include <functional>

#include "imaging/ChartReaders.h"
#include "imaging/ChartSamples.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

struct BmpSample {
  std::string bytes;
  Raster32 expected;
};

// Colour i of a test palette.
std::uint32_t PaletteColour(int i) {
  return static_cast<std::uint32_t>((i * 53 + 7) & 255) << 16 |
         static_cast<std::uint32_t>((i * 101 + 60) & 255) << 8 |
         static_cast<std::uint32_t>((255 - i * 31) & 255);
}

// An indexed image: pixel (x, y) of the picture uses colour (x * 7 + y * 3) % colours.
BmpSample Indexed(int bits, int colours, int width, int height, bool topDown,
                  std::uint32_t headerSize = 40) {
  BmpLayout layout;
  layout.width = width;
  layout.height = topDown ? -height : height;
  layout.bitCount = static_cast<std::uint16_t>(bits);
  layout.headerSize = headerSize;
  for (int i = 0; i < colours; ++i) layout.palette.push_back(PaletteColour(i));
  const int stride = ((width * bits + 31) / 32) * 4;
  std::string pixels;
  BmpSample sample{"", Raster32(width, height)};
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = topDown ? fileRow : height - 1 - fileRow;
    std::string row(stride, '\x5A');  // padding bytes hold junk: they must be skipped
    std::fill(row.begin(), row.begin() + (width * bits + 7) / 8, '\0');
    for (int x = 0; x < width; ++x) {
      const int index = (x * 7 + y * 3) % colours;
      const int bit = x * bits;
      row[bit / 8] = static_cast<char>(row[bit / 8] | index << (8 - bits - bit % 8));
      sample.expected.At(x, y) = PaletteColour(index) | 0xFF000000u;
    }
    pixels += row;
  }
  sample.bytes = BuildBmp(layout, pixels);
  return sample;
}

std::uint8_t Widen(std::uint32_t value, std::uint32_t maximum) {
  return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
}

// A direct-colour image from the pattern. 16 and 32 bits use the masks given (or the
// defaults of BI_RGB when there are none); each channel is stored at its mask's width.
BmpSample Direct(int bits, std::vector<std::uint32_t> masks, int width, int height, bool topDown,
                 std::uint32_t headerSize = 40) {
  BmpLayout layout;
  layout.width = width;
  layout.height = topDown ? -height : height;
  layout.bitCount = static_cast<std::uint16_t>(bits);
  layout.headerSize = headerSize;
  std::vector<std::uint32_t> channelMasks = masks;
  if (!masks.empty()) {
    layout.compression = 3;
    if (headerSize == 40) layout.masks = masks;
  } else if (bits == 16) {
    channelMasks = {0x7C00, 0x03E0, 0x001F};
  } else if (bits == 32) {
    channelMasks = {0xFF0000, 0xFF00, 0xFF};
  }
  const int stride = ((width * bits + 31) / 32) * 4;
  std::string pixels;
  BmpSample sample{"", Raster32(width, height)};
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = topDown ? fileRow : height - 1 - fileRow;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const std::uint8_t rgb[3] = {PatternRed(x, y), PatternGreen(x, y), PatternBlue(x, y)};
      if (bits == 24) {
        row[x * 3] = static_cast<char>(rgb[2]);
        row[x * 3 + 1] = static_cast<char>(rgb[1]);
        row[x * 3 + 2] = static_cast<char>(rgb[0]);
        sample.expected.At(x, y) = PatternPixel(x, y);
        continue;
      }
      std::uint32_t value = bits == 32 ? 0x3Cu << 24 : 0;  // junk in the unused byte
      std::uint8_t out[3];
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t mask = channelMasks[c];
        const int shift = std::countr_zero(mask);
        const std::uint32_t maximum = mask >> shift;
        const std::uint32_t v = rgb[c] * maximum / 255;  // down to the channel's width
        value = (value & ~mask) | v << shift;
        out[c] = Widen(v, maximum);
      }
      for (int b = 0; b < bits / 8; ++b) row[x * bits / 8 + b] = static_cast<char>(value >> 8 * b);
      sample.expected.At(x, y) = PackPixel(out[0], out[1], out[2]);
    }
    pixels += row;
  }
  if (headerSize > 40) {
    // Masks inside a V4/V5 header, right after the first 40 bytes.
    std::string file = BuildBmp(layout, pixels);
    for (std::size_t c = 0; c < masks.size(); ++c) {
      for (int b = 0; b < 4; ++b) file[14 + 40 + 4 * c + b] = static_cast<char>(masks[c] >> 8 * b);
    }
    sample.bytes = file;
  } else {
    sample.bytes = BuildBmp(layout, pixels);
  }
  return sample;
}

std::string Hex(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3) {
    bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Expected raster from a picture of palette indices, top row first; '.' is a pixel the
// stream never writes (palette entry 0).
Raster32 FromIndices(const std::vector<std::string>& rows) {
  Raster32 raster(static_cast<std::int32_t>(rows[0].size()),
                  static_cast<std::int32_t>(rows.size()));
  for (std::size_t y = 0; y < rows.size(); ++y) {
    for (std::size_t x = 0; x < rows[y].size(); ++x) {
      const char c = rows[y][x];
      const int index = c == '.' ? 0 : (c <= '9' ? c - '0' : c - 'A' + 10);
      raster.At(static_cast<int>(x), static_cast<int>(y)) = PaletteColour(index) | 0xFF000000u;
    }
  }
  return raster;
}

BmpSample Rle8(bool topDown) {
  BmpLayout layout{5, topDown ? -4 : 4, 8, 1, {}, {}, 40};
  for (int i = 0; i < 4; ++i) layout.palette.push_back(PaletteColour(i));
  // Row 0: a run of three 1s, an absolute run 2 3 2 clipped at the fifth pixel (padded),
  // end of line. Row 1: a delta of (1, 1) skips it. Row 2 from x = 1: four 3s, end of line.
  // Row 3: absolute 1 2 3 1, end of bitmap (the last pixel is never written).
  const std::string stream =
      Hex("03 01 00 03 02 03 02 00 00 00 00 02 01 01 04 03 00 00 00 04 01 02 03 01 00 01 ");
  std::vector<std::string> picture = {"11123", ".....", ".3333", "1231."};
  if (!topDown) std::reverse(picture.begin(), picture.end());
  return {BuildBmp(layout, stream), FromIndices(picture)};
}

BmpSample Rle4() {
  BmpLayout layout{7, 2, 4, 2, {}, {}, 40};
  for (int i = 0; i < 16; ++i) layout.palette.push_back(PaletteColour(i));
  // Row 0: a run of five alternating 1 2, an absolute run 3 4 5 clipped after two pixels,
  // end of line. Row 1: absolute 6 7 8 9 A (three bytes, padded), end of bitmap.
  const std::string stream = Hex("05 12 00 03 34 50 00 00 00 05 67 89 A0 00 00 01 ");
  return {BuildBmp(layout, stream), FromIndices({"6789A..", "1212134"})};
}

struct BmpCase {
  const char* name;
  std::function<BmpSample()> make;
};

class BmpVariants : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpVariants, LoadsEveryPixelOpaque) {
  TempFolder folder;
  const BmpSample sample = GetParam().make();
  const std::string path = folder.Write("chart.bmp", sample.bytes);
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadBmpChart(path, raster, requiredBytes);
  ASSERT_EQ(raster.Width(), sample.expected.Width());
  ASSERT_EQ(raster.Height(), sample.expected.Height());
  EXPECT_EQ(requiredBytes, std::uint64_t{4} * raster.Width() * raster.Height());
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      ASSERT_EQ(raster.At(x, y), sample.expected.At(x, y)) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, BmpVariants,
    ::testing::Values(
        BmpCase{"Palette1", [] { return Indexed(1, 2, 13, 5, false); }},
        BmpCase{"Palette4", [] { return Indexed(4, 16, 13, 5, false); }},
        BmpCase{"Palette8", [] { return Indexed(8, 256, 13, 5, false); }},
        BmpCase{"Palette8Short", [] { return Indexed(8, 20, 13, 5, false); }},
        BmpCase{"Palette8TopDown", [] { return Indexed(8, 256, 13, 5, true); }},
        BmpCase{"Palette8Core", [] { return Indexed(8, 256, 13, 5, false, 12); }},
        BmpCase{"Rgb555", [] { return Direct(16, {}, 11, 6, false); }},
        BmpCase{"Bitfields565",
                [] {
                  return Direct(16, {0xF800, 0x07E0, 0x001F}, 11, 6, false);
                }},
        BmpCase{"Rgb24", [] { return Direct(24, {}, 11, 6, false); }},
        BmpCase{"Rgb24TopDown", [] { return Direct(24, {}, 11, 6, true); }},
        BmpCase{"Rgb24Core", [] { return Direct(24, {}, 11, 6, false, 12); }},
        BmpCase{"Rgb32", [] { return Direct(32, {}, 11, 6, false); }},
        BmpCase{"Bitfields32Rgbx",
                [] {
                  return Direct(32, {0xFF, 0xFF00, 0xFF0000}, 11, 6, false);
                }},
        BmpCase{"Bitfields32TenBit",
                [] {
                  return Direct(32, {0x3FF00000, 0x000FFC00, 0x000003FF}, 11, 6, true);
                }},
        BmpCase{"V5HeaderBitfields",
                [] {
                  return Direct(32, {0xFF00, 0xFF0000, 0xFF000000}, 11, 6, false, 124);
                }},
        BmpCase{"Rle8", [] { return Rle8(false); }},
        BmpCase{"Rle8TopDown", [] { return Rle8(true); }}, BmpCase{"Rle4", [] { return Rle4(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Hostile and broken files ----

std::string Patch32(std::string bytes, std::size_t at, std::uint32_t value) {
  for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(value >> 8 * b);
  return bytes;
}
std::string Patch16(std::string bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value);
  bytes[at + 1] = static_cast<char>(value >> 8);
  return bytes;
}

struct BadBmp {
  std::string name;
  std::string bytes;
  std::string error;            // the reason after the file name, or the whole text
  std::uint64_t requiredBytes;  // recorded before the failure
};

TEST(BmpChart, BrokenFilesFailWithAReason) {
  TempFolder folder;
  const std::string rgb = Direct(24, {}, 11, 6, false).bytes;  // 14 + 40 + 6 × 36 bytes
  const std::string rle = Rle8(false).bytes;
  const std::string kTruncated = "the file is truncated.";
  const std::uint64_t k11x6 = 11 * 6 * 4;
  const std::vector<BadBmp> cases = {
      {"empty", "", kTruncated, 0},
      {"file header only", rgb.substr(0, 14), kTruncated, 0},
      {"wrong magic", "BA" + rgb.substr(2), "it is not a Windows bitmap.", 0},
      {"jpeg behind .bmp", "\xFF\xD8\xFF\xE0" + rgb.substr(4), "it is not a Windows bitmap.", 0},
      {"header size 0", Patch32(rgb, 14, 0), "the bitmap header has an unknown size.", 0},
      {"header size huge", Patch32(rgb, 14, 0x7FFFFFFF), "the bitmap header has an unknown size.",
       0},
      {"header cut", rgb.substr(0, 30), kTruncated, 0},
      {"zero width", Patch32(rgb, 18, 0), "the image has no pixels.", 0},
      {"zero height", Patch32(rgb, 22, 0), "the image has no pixels.", 0},
      {"negative width", Patch32(rgb, 18, static_cast<std::uint32_t>(-11)),
       "the image has no pixels.", 0},
      {"3 bits", Patch16(rgb, 28, 3), "the compression or bit count is not supported.", 0},
      {"RLE8 of 24 bits", Patch32(rgb, 30, 1), "the compression or bit count is not supported.", 0},
      {"compression 9", Patch32(rgb, 30, 9), "the compression or bit count is not supported.", 0},
      {"pixels cut", rgb.substr(0, rgb.size() - 1), kTruncated, k11x6},
      {"pixel offset past the end", Patch32(rgb, 10, 0xFFFFFFF0), kTruncated, k11x6},
      {"giant rows without data", Patch32(Patch32(rgb, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF), kTruncated,
       0x7FFFFFFFull * 0x7FFFFFFF * 4},
      {"giant RLE", Patch32(Patch32(rle, 18, 60000), 22, 60000), kBufferTooLargeText,
       60000ull * 60000 * 4},
      {"RLE stream cut", rle.substr(0, rle.size() - 12), "the compressed pixels are truncated.",
       5 * 4 * 4},
      {"RLE delta cut", rle.substr(0, rle.size() - 15), "the compressed pixels are truncated.",
       5 * 4 * 4},
      {"palette cut", Indexed(8, 256, 13, 5, false).bytes.substr(0, 300), kTruncated, 13 * 5 * 4},
      {"mask with a hole", Direct(32, {0xF0F0, 0xFF0000, 0xFF}, 11, 6, false).bytes,
       "a colour mask is not contiguous.", k11x6},
  };
  for (const BadBmp& c : cases) {
    const std::string path = folder.Write(c.name + ".bmp", c.bytes);
    Raster32 raster;
    std::uint64_t requiredBytes = 0;
    try {
      ReadBmpChart(path, raster, requiredBytes, 64 << 20);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const CartozenError& error) {
      const std::string expected = c.error == kBufferTooLargeText
                                       ? c.error
                                       : "Unable to read bitmap '" + path + "': " + c.error;
      EXPECT_EQ(std::string(error.what()), expected) << c.name;
    }
    EXPECT_EQ(requiredBytes, c.requiredBytes) << c.name;
  }
}

// Damage a reader can live with: codes that point outside the picture are clipped, colour
// tables that claim more entries than there are are cut short.
TEST(BmpChart, OutOfRangeCodesAreClipped) {
  TempFolder folder;
  BmpLayout layout{3, 2, 8, 1, {PaletteColour(0), PaletteColour(1)}, {}, 40};
  // A run of 255 past the row's end, an absolute run of 5 in a 3-pixel row, a delta far
  // below the picture; index 200 is beyond the palette (opaque black).
  const std::string stream = Hex("FF 01 00 00 00 05 01 C8 01 01 01 00 00 02 FF FF 00 01 ");
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadBmpChart(folder.Write("clip.bmp", BuildBmp(layout, stream)), raster, requiredBytes);
  const std::uint32_t one = PaletteColour(1) | 0xFF000000u;
  EXPECT_EQ(raster.At(0, 1), one);
  EXPECT_EQ(raster.At(2, 1), one);
  EXPECT_EQ(raster.At(0, 0), one);
  EXPECT_EQ(raster.At(1, 0), 0xFF000000u);
  EXPECT_EQ(raster.At(2, 0), one);

  std::string bytes = Indexed(8, 4, 13, 5, false).bytes;
  bytes = Patch32(bytes, 46, 0xFFFFFFFF);  // colours used: far more than 256
  EXPECT_NO_THROW(ReadBmpChart(folder.Write("colours.bmp", bytes), raster, requiredBytes));
}

}  // namespace
}  // namespace cz::testing
