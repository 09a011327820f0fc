#include "TiffWriter.h"

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "Seeds.h"

namespace cz::seeds {
namespace {

std::string lastTiffError;

void KeepTiffError(const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  lastTiffError = std::string(module ? module : "") + ": " + text;
}

std::uint16_t HalfBits(float value) {
  const std::uint32_t f = std::bit_cast<std::uint32_t>(value);
  const std::uint16_t sign = static_cast<std::uint16_t>((f >> 16) & 0x8000u);
  if (std::isnan(value)) return sign | 0x7E00u;
  const int exponent = static_cast<int>((f >> 23) & 0xFF) - 127 + 15;
  if (exponent >= 31) return sign | 0x7C00u;  // infinity, or too large for a half
  if (exponent <= 0) return sign;             // flushed to zero
  return sign | static_cast<std::uint16_t>(exponent << 10) |
         static_cast<std::uint16_t>((f >> 13) & 0x3FFu);
}

double FloatSample(std::uint32_t x, std::uint32_t y, int s) {
  if (y == 0 && s == 0) {
    switch (x) {
      case 0:
        return std::numeric_limits<double>::quiet_NaN();
      case 1:
        return std::numeric_limits<double>::infinity();
      case 2:
        return -0.5;
      case 3:
        return 4.0;
      case 4:
        return 1e30;
      default:
        break;
    }
  }
  return Pattern(static_cast<int>(x), static_cast<int>(y), s) / 255.0;
}

// The raw bits of sample s at (x, y), as many as the image's depth holds.
std::uint64_t SampleBits(const TiffImage& image, std::uint32_t x, std::uint32_t y, int s) {
  if (x >= image.Width || y >= image.Height) return 0;
  if (image.Format == SAMPLEFORMAT_IEEEFP) {
    const double v = FloatSample(x, y, s);
    if (image.Bits == 16) return HalfBits(static_cast<float>(v));
    if (image.Bits == 32) return std::bit_cast<std::uint32_t>(static_cast<float>(v));
    return std::bit_cast<std::uint64_t>(v);
  }
  const std::uint64_t base = Pattern(static_cast<int>(x), static_cast<int>(y), s);
  if (image.Bits <= 8) return base >> (8 - image.Bits);
  std::uint64_t wide = 0;
  int filled = 0;
  for (; filled < image.Bits; filled += 8) wide = (wide << 8) | base;
  wide >>= filled - image.Bits;
  if (image.Format == SAMPLEFORMAT_INT) wide ^= std::uint64_t{1} << (image.Bits - 1);
  return wide;
}

// The bytes of one chunk: columns x0 .. x0 + w − 1 of rows y0 .. y0 + h − 1, of every sample
// (contiguous) or of sample `plane`, each row ending on a byte.
std::string PackChunk(const TiffImage& image, std::uint32_t x0, std::uint32_t y0, std::uint32_t w,
                      std::uint32_t h, int plane) {
  std::string out;
  const bool contiguous = image.Planar == PLANARCONFIG_CONTIG;
  const int first = contiguous ? 0 : plane;
  const int last = contiguous ? image.Samples - 1 : plane;
  for (std::uint32_t y = y0; y < y0 + h; ++y) {
    std::uint64_t pending = 0;
    int pendingBits = 0;
    for (std::uint32_t x = x0; x < x0 + w; ++x) {
      for (int s = first; s <= last; ++s) {
        const std::uint64_t v = SampleBits(image, x, y, s);
        if (image.Bits % 8 == 0) {
          for (int b = 0; b < image.Bits; b += 8) out += static_cast<char>((v >> b) & 0xFF);
          continue;
        }
        for (int b = image.Bits - 1; b >= 0; --b) {
          pending = (pending << 1) | ((v >> b) & 1);
          if (++pendingBits == 8) {
            out += static_cast<char>(pending);
            pending = 0;
            pendingBits = 0;
          }
        }
      }
    }
    if (pendingBits > 0) out += static_cast<char>(pending << (8 - pendingBits));
  }
  return out;
}

std::string RawChunk(tmsize_t size, std::uint32_t salt) {
  std::string out(static_cast<std::size_t>(size), '\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] =
        static_cast<char>(Pattern(static_cast<int>(i % 16), static_cast<int>(i / 16 + salt), 0));
  }
  return out;
}

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("libtiff: ") + what + ": " + lastTiffError);
}

void SetFields(TIFF* t, const TiffImage& image) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, image.Width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, image.Height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, image.Bits);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, image.Samples);
  TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, image.Format);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, image.Photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, image.Planar);
  Check(TIFFSetField(t, TIFFTAG_COMPRESSION, image.Compression) == 1, "compression");
  if (image.Predictor != PREDICTOR_NONE) TIFFSetField(t, TIFFTAG_PREDICTOR, image.Predictor);
  if (image.Compression == COMPRESSION_JPEG) {
    TIFFSetField(t, TIFFTAG_JPEGQUALITY, 60);
    if (image.Photometric == PHOTOMETRIC_YCBCR) {
      TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
  }
  if (!image.ExtraSamples.empty()) {
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, static_cast<std::uint16_t>(image.ExtraSamples.size()),
                 image.ExtraSamples.data());
  }
  if (image.Orientation != ORIENTATION_TOPLEFT) {
    TIFFSetField(t, TIFFTAG_ORIENTATION, image.Orientation);
  }
  if (image.Photometric == PHOTOMETRIC_PALETTE) {
    const std::size_t entries = std::size_t{1} << image.Bits;
    std::vector<std::uint16_t> map[3];
    for (int c = 0; c < 3; ++c) {
      for (std::size_t i = 0; i < entries; ++i) {
        const std::uint16_t v = Pattern(static_cast<int>(i % 16), static_cast<int>(i / 16), c);
        map[c].push_back(image.ColourMapLooks8Bit ? v : static_cast<std::uint16_t>(v * 257));
      }
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
  }
  if (image.SubsamplingX != 0) {
    TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, image.SubsamplingX, image.SubsamplingY);
  }
  if (image.TileSide != 0) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, image.TileSide);
    TIFFSetField(t, TIFFTAG_TILELENGTH, image.TileSide);
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, image.RowsPerStrip);
  }
  if (image.Tags) image.Tags(t);
}

void WritePixels(TIFF* t, const TiffImage& image) {
  const int planes = image.Planar == PLANARCONFIG_SEPARATE ? image.Samples : 1;
  for (int p = 0; p < planes; ++p) {
    if (image.TileSide != 0) {
      const std::uint32_t side = image.TileSide;
      for (std::uint32_t y = 0; y < image.Height; y += side) {
        for (std::uint32_t x = 0; x < image.Width; x += side) {
          const std::string chunk = image.RawChunks ? RawChunk(TIFFTileSize(t), x + y)
                                                    : PackChunk(image, x, y, side, side, p);
          const ttile_t tile = TIFFComputeTile(t, x, y, 0, static_cast<std::uint16_t>(p));
          Check(TIFFWriteEncodedTile(t, tile, const_cast<char*>(chunk.data()),
                                     static_cast<tmsize_t>(chunk.size())) >= 0,
                "tile");
        }
      }
      continue;
    }
    const std::uint32_t rows = image.RowsPerStrip;
    const std::uint32_t stripsPerPlane = (image.Height + rows - 1) / rows;
    for (std::uint32_t i = 0; i < stripsPerPlane; ++i) {
      const std::uint32_t y = i * rows;
      const std::uint32_t h = std::min(rows, image.Height - y);
      const std::string chunk = image.RawChunks ? RawChunk(TIFFVStripSize(t, h), y)
                                                : PackChunk(image, 0, y, image.Width, h, p);
      Check(TIFFWriteEncodedStrip(t, p * stripsPerPlane + i, const_cast<char*>(chunk.data()),
                                  static_cast<tmsize_t>(chunk.size())) >= 0,
            "strip");
    }
  }
}

}  // namespace

std::string PatchTag(std::string tiff, std::uint16_t tag, std::uint32_t value) {
  auto u16 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(tiff.at(at)) |
                                      static_cast<std::uint8_t>(tiff.at(at + 1)) << 8);
  };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (tiff.compare(0, 4, std::string_view("II*\0", 4)) != 0)
    throw std::runtime_error("PatchTag: not a classic TIFF");
  const std::size_t directory = u32(4);
  const std::uint32_t entries = u16(directory);
  for (std::uint32_t e = 0; e < entries; ++e) {
    const std::size_t entry = directory + 2 + 12 * e;
    if (u16(entry) != tag) continue;
    if (u32(entry + 4) != 1) throw std::runtime_error("PatchTag: tag holds several values");
    const bool isShort = u16(entry + 2) == TIFF_SHORT;
    for (int b = 0; b < (isShort ? 2 : 4); ++b) {
      tiff[entry + 8 + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
    }
    return tiff;
  }
  throw std::runtime_error("PatchTag: no tag " + std::to_string(tag));
}

bool CanWrite(std::uint16_t compression) {
  return TIFFIsCODECConfigured(compression) != 0;
}

std::string TiffBytes(const std::vector<TiffImage>& pages, const char* mode) {
  TIFFSetErrorHandler(KeepTiffError);
  TIFFSetWarningHandler(nullptr);
  return BytesWrittenBy([&](const std::string& path) {
    TIFF* t = TIFFOpen(path.c_str(), mode);
    Check(t != nullptr, "open");
    try {
      for (std::size_t i = 0; i < pages.size(); ++i) {
        SetFields(t, pages[i]);
        if (!pages[i].NoPixels) WritePixels(t, pages[i]);
        Check(TIFFWriteDirectory(t) == 1, "directory");
      }
    } catch (...) {
      TIFFClose(t);
      throw;
    }
    TIFFClose(t);
  });
}

}  // namespace cz::seeds
