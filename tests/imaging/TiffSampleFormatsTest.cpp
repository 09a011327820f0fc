// TIFF sample depths and formats as scans and GIS exports come, written with libtiff, against
// the scaling rule computed here on its own; and the reasons given for what cannot load.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "imaging/ChartReaders.h"
#include "imaging/ChartSamples.h"
#include "imaging/Raster32.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz::testing {
namespace {

constexpr int kChartWidth = 37;  // odd sizes: partial strips and tiles
constexpr int kChartHeight = 23;

struct Variant {
  std::string name;
  int bits = 8;
  std::uint16_t format = SAMPLEFORMAT_UINT;
  bool rgb = false;
  bool planes = false;
  bool tiled = false;
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint16_t predictor = PREDICTOR_NONE;
  std::uint16_t alpha = 0;  // EXTRASAMPLE_ASSOCALPHA or _UNASSALPHA; 0: none
  std::optional<std::uint16_t> photometric = std::nullopt;  // else min-is-black grey, or RGB
  std::uint16_t orientation = ORIENTATION_TOPLEFT;          // or ORIENTATION_BOTRIGHT
  bool bigEndian = false;
  double low = 0, high = 1;  // floats: the values the ramps span
  std::string noData = "";   // the GDAL_NODATA text; empty: no tag

  bool Float() const { return format == SAMPLEFORMAT_IEEEFP; }
  int Colours() const { return rgb ? 3 : 1; }
  int Channels() const { return Colours() + (alpha != 0 ? 1 : 0); }
  double Max() const { return std::ldexp(1.0, bits) - 1; }
};

void PrintTo(const Variant& v, std::ostream* os) {
  *os << v.name;
}

// The picture, as levels 0-1 of channel c: a grey ramp, or an RGB checker of 4-pixel squares
// with ramps; the channel after the colours is alpha.
double Level(const Variant& v, int x, int y, int c) {
  const double ramp = (x + y * kChartWidth) / double(kChartWidth * kChartHeight - 1);
  const bool dark = (x / 4 + y / 4) % 2 != 0;
  if (c == v.Colours()) return ((x * 7 + y * 3) % 11) / 10.0;
  if (c == 0) return ramp;
  return c == 1 ? (dark ? 0 : 1 - ramp) : (dark ? 0.25 : ramp);
}

std::uint64_t IntegerValue(const Variant& v, int x, int y, int c) {  // 0 .. 2^bits - 1
  return static_cast<std::uint64_t>(std::llround(Level(v, x, y, c) * v.Max()));
}

// A half-precision float's bits for value, rounded to nearest even (not every compiler has
// _Float16), and the value of such bits.
std::uint16_t HalfBits(double value) {
  if (std::isnan(value)) return 0x7E00;
  const int sign = std::signbit(value) ? 0x8000 : 0;
  const double magnitude = std::fabs(value);
  if (magnitude >= 65520.0) return static_cast<std::uint16_t>(sign | 0x7C00);  // infinity
  if (magnitude < std::ldexp(1.0, -14)) {  // subnormal, in units of 2^-24
    return static_cast<std::uint16_t>(sign | static_cast<int>(std::nearbyint(std::ldexp(magnitude, 24))));
  }
  int exponent = 0;
  const double mantissa = std::frexp(magnitude, &exponent);  // in [0.5, 1)
  const auto fraction = static_cast<int>(std::nearbyint((mantissa * 2 - 1) * 1024));
  // A fraction rounded up to 1024 carries into the exponent, as the bits add up.
  const int bits = sign + ((exponent + 14) << 10) + fraction;
  return static_cast<std::uint16_t>((bits & 0x7FFF) >= 0x7C00 ? sign | 0x7C00 : bits);
}
double HalfValue(std::uint16_t bits) {
  const double sign = (bits & 0x8000) != 0 ? -1.0 : 1.0;
  const int exponent = bits >> 10 & 0x1F, fraction = bits & 0x3FF;
  if (exponent == 31) return fraction != 0 ? std::nan("") : sign * HUGE_VAL;
  if (exponent == 0) return sign * std::ldexp(fraction, -24);
  return sign * std::ldexp(1024 + fraction, exponent - 25);
}

// Floats as stored, with a NaN and an infinity at two pixels, which must load black.
double FloatValue(const Variant& v, int x, int y, int c) {
  if (c == 0 && y == 1 && x < 2) {
    return x == 0 ? std::nan("") : -std::numeric_limits<double>::infinity();
  }
  const double level = Level(v, x, y, c);
  const double value = c == v.Colours() ? level : v.low + level * (v.high - v.low);
  if (v.bits == 16) return HalfValue(HalfBits(value));
  return v.bits == 32 ? static_cast<float>(value) : value;
}

// The sample's bits as stored; a signed sample counts from its minimum, -2^(bits-1).
std::uint64_t RawSample(const Variant& v, int x, int y, int c) {
  if (!v.Float()) {
    const std::uint64_t value = IntegerValue(v, x, y, c);
    if (v.format != SAMPLEFORMAT_INT) return value;
    const auto signedValue = static_cast<std::int64_t>(value) - (std::int64_t{1} << (v.bits - 1));
    return static_cast<std::uint64_t>(signedValue) & static_cast<std::uint64_t>(v.Max());
  }
  const double value = FloatValue(v, x, y, c);
  if (v.bits == 16) return HalfBits(value);
  if (v.bits == 32) return std::bit_cast<std::uint32_t>(static_cast<float>(value));
  return v.bits == 64 ? std::bit_cast<std::uint64_t>(value) : 0;
}

// Whole bytes in this (little-endian) machine's order, other depths as a bit stream.
void PutSample(std::uint8_t* row, std::size_t index, int bits, std::uint64_t raw) {
  if (bits % 8 == 0) {
    std::memcpy(row + index * (bits / 8), &raw, static_cast<std::size_t>(bits / 8));
    return;
  }
  for (int k = 0; k < bits; ++k) {
    const std::size_t bit = index * bits + k;
    if ((raw >> (bits - 1 - k)) & 1) row[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
  }
}

void WriteVariant(const std::string& path, const Variant& v) {
  TIFF* tiff = TIFFOpen(path.c_str(), v.bigEndian ? "wb" : "wl");
  ASSERT_NE(tiff, nullptr);
  const int channels = v.Channels();
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kChartWidth);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kChartHeight);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, v.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, v.format);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
               v.photometric.value_or(v.rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, v.compression);
  if (v.predictor != PREDICTOR_NONE) TIFFSetField(tiff, TIFFTAG_PREDICTOR, v.predictor);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, v.planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, v.orientation);
  if (v.alpha != 0) TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &v.alpha);
  if (!v.noData.empty()) WriteTiffNoData(tiff, v.noData);
  if (v.tiled) {
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
  } else {
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 3);
  }
  // A chunk: a tile, or a scanline of a strip.
  const int chunkWidth = v.tiled ? 16 : kChartWidth;
  const int chunkHeight = v.tiled ? 16 : 1;
  const int perPixel = v.planes ? 1 : channels;
  const std::size_t rowBytes = (static_cast<std::size_t>(chunkWidth) * perPixel * v.bits + 7) / 8;
  std::vector<std::uint8_t> chunk(rowBytes * chunkHeight);
  const bool mirrored = v.orientation == ORIENTATION_BOTRIGHT;
  for (int plane = 0; plane < (v.planes ? channels : 1); ++plane) {
    for (int cy = 0; cy < kChartHeight; cy += chunkHeight) {
      for (int cx = 0; cx < kChartWidth; cx += chunkWidth) {
        std::fill(chunk.begin(), chunk.end(), 0);
        for (int y = cy; y < std::min(cy + chunkHeight, kChartHeight); ++y) {
          for (int x = cx; x < std::min(cx + chunkWidth, kChartWidth); ++x) {
            for (int s = 0; s < perPixel; ++s) {
              PutSample(chunk.data() + (y - cy) * rowBytes, std::size_t(x - cx) * perPixel + s,
                        v.bits,
                        mirrored ? RawSample(v, kChartWidth - 1 - x, kChartHeight - 1 - y, plane + s)
                                 : RawSample(v, x, y, plane + s));
            }
          }
        }
        const auto sample = static_cast<std::uint16_t>(plane);
        if (v.tiled) {
          TIFFWriteTile(tiff, chunk.data(), cx, cy, 0, sample);
        } else {
          TIFFWriteScanline(tiff, chunk.data(), cy, sample);
        }
      }
    }
  }
  TIFFClose(tiff);
}

// The rule: integers v × 255 / (2^bits − 1) rounded; floats over their colour range, or 0-1
// when that holds them all; non-finite black; min-is-white inverted; unassociated alpha
// premultiplied.
std::uint32_t ExpectedPixel(const Variant& v, int x, int y) {
  // The ramps span low..high exactly, so that is the finite colour range.
  const bool reflectance = v.low >= 0 && v.high <= 1;
  double low = reflectance ? 0 : v.low, high = reflectance ? 1 : v.high;
  if (low == high) low = std::min(low, 0.0), high = std::max(high, 1.0);  // one value: vs 0-1
  int bytes[4] = {0, 0, 0, 255};
  for (int c = 0; c < v.Channels(); ++c) {
    int& byte = bytes[c == v.Colours() ? 3 : c];
    if (!v.Float()) {
      byte = static_cast<int>(std::lround(IntegerValue(v, x, y, c) * 255.0 / v.Max()));
      // 16-bit grey stays with the RGBA interface as before, which takes the high byte.
      if (v.bits == 16 && v.Channels() == 1 && v.format == SAMPLEFORMAT_UINT) {
        byte = static_cast<int>(IntegerValue(v, x, y, c) >> 8);
      }
    } else {
      const double value = FloatValue(v, x, y, c);
      const double t = c == v.Colours() ? value : (value - low) / (high - low);
      byte = std::isfinite(value) ? static_cast<int>(std::nearbyint(t * 255)) : -1;
    }
    if (v.photometric == PHOTOMETRIC_MINISWHITE && c < v.Colours() && byte >= 0) byte = 255 - byte;
    byte = std::max(byte, 0);
  }
  if (!v.rgb) bytes[1] = bytes[2] = bytes[0];
  if (v.alpha == EXTRASAMPLE_UNASSALPHA) {
    for (int c = 0; c < 3; ++c) bytes[c] = (bytes[c] * bytes[3] + 127) / 255;
  }
  return PackPixel(static_cast<std::uint8_t>(bytes[0]), static_cast<std::uint8_t>(bytes[1]),
                   static_cast<std::uint8_t>(bytes[2]), static_cast<std::uint8_t>(bytes[3]));
}

class TiffSampleFormats : public ::testing::TestWithParam<Variant> {};

TEST_P(TiffSampleFormats, LoadScaledToEightBitsPerChannel) {
  const Variant& v = GetParam();
  TempFolder folder;
  const std::string path = folder / "chart.tif";
  WriteVariant(path, v);
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadTiffChart(path, raster, requiredBytes);
  ASSERT_EQ(raster.Width(), kChartWidth);
  ASSERT_EQ(raster.Height(), kChartHeight);
  for (int y = 0; y < kChartHeight; ++y) {
    for (int x = 0; x < kChartWidth; ++x) {
      ASSERT_EQ(raster.At(x, y), ExpectedPixel(v, x, y)) << "at " << x << "," << y;
    }
  }
}

constexpr auto kSigned = SAMPLEFORMAT_INT;
constexpr auto kFloat = SAMPLEFORMAT_IEEEFP;
constexpr auto kLzw = COMPRESSION_LZW;
constexpr auto kDeflate = COMPRESSION_ADOBE_DEFLATE;

// Every integer depth 1-16, 24 and 32 as grey and as RGB, in turn in strips and tiles,
// contiguous and in planes, under each compression (with a predictor where libtiff takes one);
// then signed and float samples, alpha, min-is-white, mirroring and big-endian files.
std::vector<Variant> Variants() {
  const std::uint16_t compressions[] = {COMPRESSION_NONE, kLzw, kDeflate, COMPRESSION_PACKBITS};
  std::vector<Variant> all;
  for (int bits : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 24, 32}) {
    for (bool rgb : {false, true}) {
      Variant v{.name = (rgb ? "Rgb" : "Grey") + std::to_string(bits), .bits = bits, .rgb = rgb};
      v.planes = rgb && bits % 2 == 1;
      v.tiled = (bits / 2 + rgb) % 2 == 1;
      v.compression = compressions[(bits + (rgb ? 1 : bits / 8)) % 4];
      if ((v.compression == kLzw || v.compression == kDeflate) && bits % 8 == 0 && bits != 24) {
        v.predictor = PREDICTOR_HORIZONTAL;
      }
      all.push_back(v);
    }
  }
  // clang-format off
  const Variant special[] = {
      {.name = "Signed8Grey", .bits = 8, .format = kSigned},
      {.name = "Signed24GreyTiles", .bits = 24, .format = kSigned, .tiled = true},
      {.name = "Signed12RgbTiles", .bits = 12, .format = kSigned, .rgb = true, .tiled = true},
      {.name = "Signed16RgbPlanes", .bits = 16, .format = kSigned, .rgb = true, .planes = true,
       .compression = kDeflate, .predictor = PREDICTOR_HORIZONTAL},
      {.name = "Float16Reflectances", .bits = 16, .format = kFloat, .compression = kLzw,
       .predictor = PREDICTOR_FLOATINGPOINT, .low = 0.125, .high = 0.75},
      {.name = "Float32RgbPlanesElevations", .bits = 32, .format = kFloat, .rgb = true,
       .planes = true, .compression = kDeflate, .predictor = PREDICTOR_FLOATINGPOINT,
       .low = -50, .high = 1200},
      {.name = "Float32RgbAlphaTiles", .bits = 32, .format = kFloat, .rgb = true, .tiled = true,
       .alpha = EXTRASAMPLE_ASSOCALPHA},
      {.name = "Float64GreyTilesBigEndian", .bits = 64, .format = kFloat, .tiled = true,
       .compression = kLzw, .predictor = PREDICTOR_HORIZONTAL, .bigEndian = true, .low = -1e300,
       .high = 1e300},
      {.name = "Float32Constant", .bits = 32, .format = kFloat, .low = 5, .high = 5},
      {.name = "Grey12MinIsWhite", .bits = 12, .photometric = PHOTOMETRIC_MINISWHITE},
      {.name = "Grey4AssociatedAlpha", .bits = 4, .alpha = EXTRASAMPLE_ASSOCALPHA},
      {.name = "Rgb12UnassociatedAlphaPlanes", .bits = 12, .rgb = true, .planes = true,
       .alpha = EXTRASAMPLE_UNASSALPHA},
      {.name = "Rgb10MirroredTiles", .bits = 10, .rgb = true, .tiled = true,
       .orientation = ORIENTATION_BOTRIGHT},
      {.name = "Grey24BigEndian", .bits = 24, .bigEndian = true},
  };
  // clang-format on
  all.insert(all.end(), std::begin(special), std::end(special));
  return all;
}

INSTANTIATE_TEST_SUITE_P(Variants, TiffSampleFormats, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return info.param.name; });

// The nodata value as a writer would put it: sample channel 0 of pixel (x, y) as stored.
std::string NoDataText(const Variant& v, int x, int y) {
  if (v.Float()) {
    const double value = FloatValue(v, x, y, 0);
    if (std::isnan(value)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
  }
  const auto value = static_cast<std::int64_t>(IntegerValue(v, x, y, 0));
  return std::to_string(v.format == SAMPLEFORMAT_INT ? value - (std::int64_t{1} << (v.bits - 1))
                                                     : value);
}

Raster32 Load(const Variant& v, const std::string& path) {
  WriteVariant(path, v);
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  ReadTiffChart(path, raster, requiredBytes);
  return raster;
}

// Each decoder's layouts with the nodata value of pixel (X, Y): exactly the pixels whose colour
// samples all equal it as stored lose their alpha, and nothing else changes. (18, 11) is the one
// pixel whose RGB samples are all equal; (0, 1) holds a float grey's NaN. The layouts left to
// the RGBA interface, and junk text, load as without the tag.
TEST(TiffNoData, PixelsOfTheValueLoseOnlyTheirAlpha) {
  struct Case {
    Variant v;
    int x, y;
    bool applied;
  };
  // clang-format off
  const Case cases[] = {
      {{.name = "Grey8", .bits = 8}, 5, 3, true},
      {{.name = "Grey8MinIsWhite", .bits = 8, .photometric = PHOTOMETRIC_MINISWHITE}, 5, 3, true},
      {{.name = "Rgb8Tiles", .bits = 8, .rgb = true, .tiled = true}, 18, 11, true},
      {{.name = "Rgb8Unassociated", .bits = 8, .rgb = true, .alpha = EXTRASAMPLE_UNASSALPHA}, 18,
       11, true},
      {{.name = "Signed16Grey", .bits = 16, .format = kSigned}, 7, 2, true},
      {{.name = "Rgb12Planes", .bits = 12, .rgb = true, .planes = true}, 18, 11, true},
      {{.name = "Float32GreyNan", .bits = 32, .format = kFloat}, 0, 1, true},
      {{.name = "Float64Rgb", .bits = 64, .format = kFloat, .rgb = true, .low = -50,
        .high = 1200}, 18, 11, true},
      {{.name = "Grey16ThroughTheRgbaInterface", .bits = 16}, 7, 2, false},
  };
  // clang-format on
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v.name);
    const Raster32 plain = Load(c.v, folder / "plain.tif");
    Variant tagged = c.v;
    tagged.noData = NoDataText(c.v, c.x, c.y);
    const Raster32 loaded = Load(tagged, folder / "nodata.tif");
    int matches = 0;
    for (int y = 0; y < kChartHeight; ++y) {
      for (int x = 0; x < kChartWidth; ++x) {
        bool noData = c.applied;
        for (int k = 0; k < c.v.Colours(); ++k) {
          noData = noData && RawSample(c.v, x, y, k) == RawSample(c.v, c.x, c.y, 0);
        }
        matches += noData;
        ASSERT_EQ(loaded.At(x, y), noData ? plain.At(x, y) & 0x00FFFFFFu : plain.At(x, y))
            << "at " << x << "," << y;
      }
    }
    EXPECT_EQ(matches > 0, c.applied);
  }
  Variant junk{.name = "Grey8", .bits = 8, .noData = "128 junk"};
  const Raster32 loaded = Load(junk, folder / "junk.tif");
  junk.noData.clear();
  const Raster32 plain = Load(junk, folder / "plain.tif");
  EXPECT_TRUE(std::equal(loaded.Pixels(), loaded.Pixels() + loaded.PixelCount(), plain.Pixels()));
}

TEST(TiffNoData, TextIsOneNumberOrIgnored) {
  EXPECT_EQ(ParseNoDataText("255"), 255.0);
  EXPECT_EQ(ParseNoDataText(" -9999\t"), -9999.0);
  EXPECT_EQ(ParseNoDataText("-3.4028234663852886e+38"), -3.4028234663852886e+38);
  EXPECT_EQ(ParseNoDataText(std::string_view("7\0junk", 6)), 7.0);
  EXPECT_TRUE(std::isnan(ParseNoDataText("nan").value_or(0)));
  for (const char* junk : {"", "  ", "abc", "12abc", "1 2", "0x10", "+5", "1,5"}) {
    EXPECT_EQ(ParseNoDataText(junk), std::nullopt) << junk;
  }
  EXPECT_EQ(NoDataSampleBits(-1, 16, true), 0xFFFFu);
  EXPECT_EQ(NoDataSampleBits(256, 8, false), std::nullopt);
  EXPECT_EQ(NoDataSampleBits(1.5, 8, false), std::nullopt);
}

// A short tag entry (tag, type 3, count 1) of a little-endian file given another value.
std::string Retagged(std::string bytes, std::uint16_t tag, std::uint16_t from, std::uint16_t to) {
  const auto entry = [tag](std::uint16_t value) {
    std::string e;
    Put16(e, tag), Put16(e, 3), Put32(e, 1), Put16(e, value);
    return e;
  };
  const std::size_t at = bytes.find(entry(from));
  if (at != std::string::npos) bytes.replace(at, 10, entry(to));
  return bytes;
}

// What cannot load says why, in a sentence of its own.
TEST(TiffSampleFormats, RefusalsSayTheirReason) {
  TempFolder folder;
  const auto written = [&](const Variant& v) {
    WriteVariant(folder / (v.name + ".tif"), v);
    return folder / (v.name + ".tif");
  };
  // libtiff writes no 12-bit samples under a floating-point predictor: a float file retagged.
  const std::string predicted = ReadFileBytes(written({.name = "Predicted",
                                                       .bits = 16,
                                                       .format = kFloat,
                                                       .compression = kLzw,
                                                       .predictor = PREDICTOR_FLOATINGPOINT}));
  // Every strip of a 12-bit LZW image turned to garbage.
  const std::string garbage = written({.name = "Garbage", .bits = 12, .compression = kLzw});
  {
    TIFF* tiff = TIFFOpen(garbage.c_str(), "r");
    std::uint64_t* offsets = nullptr;
    std::uint64_t* sizes = nullptr;
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_STRIPOFFSETS, &offsets));
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &sizes));
    std::fstream file(garbage, std::ios::in | std::ios::out | std::ios::binary);
    for (std::uint32_t s = 0; s < TIFFNumberOfStrips(tiff); ++s) {
      file.seekp(static_cast<std::streamoff>(offsets[s]));
      file.write(std::string(sizes[s], '\xFF').data(), static_cast<std::streamsize>(sizes[s]));
    }
    TIFFClose(tiff);
  }
  // clang-format off
  const std::pair<std::string, const char*> cases[] = {
      {written({.name = "Lab12", .bits = 12, .rgb = true, .photometric = PHOTOMETRIC_CIELAB}),
       "the photometric interpretation (CIELAB) is not supported with 12-bit samples, 3 per pixel"},
      {written({.name = "RgbOfOne", .photometric = PHOTOMETRIC_RGB}),
       "the RGB TIFF has 1 colour sample per pixel, not 3"},
      {written({.name = "Float24", .bits = 24, .format = kFloat}),
       "24-bit floating-point samples are not supported"},
      {written({.name = "Complex", .bits = 32, .format = SAMPLEFORMAT_COMPLEXINT}),
       "complex-valued samples are not supported"},
      {folder.Write("predicted.tif", Retagged(Retagged(predicted, TIFFTAG_BITSPERSAMPLE, 16, 12),
                                              TIFFTAG_SAMPLEFORMAT, kFloat, SAMPLEFORMAT_UINT)),
       "12-bit samples with a floating-point predictor are not supported"},
      {folder.Write("unknown.tif", Retagged(HandMadeTiff(4, 4), TIFFTAG_COMPRESSION, 1, 50099)),
       "the compression (number 50099) is not supported"},
      {garbage, "strip 0 cannot be decoded"},
  };
  // clang-format on
  for (const auto& [path, reason] : cases) {
    Raster32 raster;
    std::uint64_t requiredBytes = 0;
    try {
      ReadTiffChart(path, raster, requiredBytes);
      ADD_FAILURE() << path << ": no error";
    } catch (const CartozenError& error) {
      EXPECT_EQ(std::string(error.what()), reason) << path;
    }
  }
}

}  // namespace
}  // namespace cz::testing
