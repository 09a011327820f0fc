#pragma once
// Small chart images written for the loader tests: TIFF and JPEG through their libraries,
// Windows bitmaps byte by byte, and a little-endian TIFF builder for hostile headers.

#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/Raster32.h"

namespace cz::testing {

// A pattern whose red, green and blue all differ, so that a swapped channel shows.
inline std::uint8_t PatternRed(int x, int y) {
  return static_cast<std::uint8_t>(x * 37 + y * 5 + 3);
}
inline std::uint8_t PatternGreen(int x, int y) {
  return static_cast<std::uint8_t>(x * 3 + y * 41);
}
inline std::uint8_t PatternBlue(int x, int y) {
  return static_cast<std::uint8_t>(200 - x * 11 - y * 17);
}
inline std::uint32_t PatternPixel(int x, int y) {
  return PackPixel(PatternRed(x, y), PatternGreen(x, y), PatternBlue(x, y));
}

// ---- TIFF through libtiff ----

struct TiffLayout {
  const char* name;
  std::uint16_t photometric;  // PHOTOMETRIC_RGB, _MINISBLACK or _PALETTE
  std::uint16_t samples;      // 1, 3, or with alpha (extraSample) 2 or 4
  std::uint16_t bits;         // 8 or 16
  std::uint16_t compression;  // COMPRESSION_NONE, _LZW, _ADOBE_DEFLATE, _PACKBITS
  bool tiled;
  bool separatePlanes;
  std::uint16_t orientation;  // ORIENTATION_TOPLEFT or _BOTLEFT
  // Less common choices, with the defaults most files above take:
  std::uint16_t extraSample = EXTRASAMPLE_ASSOCALPHA;  // written with 2 or 4 samples
  bool varyingAlpha = false;                           // alpha of pixel (x, y) varies; else 255
  bool eightBitColourMap = false;  // palette entries stored as 0-255, not 16-bit
  std::uint32_t rowsPerStrip = 3;  // tiles are 16 × 16
};

// The sample values the writer stores for pixel (x, y), channel c of samples.
inline std::uint8_t TiffSample(const TiffLayout& layout, int x, int y, int c) {
  const bool alpha = c == layout.samples - 1 && (layout.samples == 2 || layout.samples == 4);
  if (alpha) {
    // Opaque unless asked: associated alpha then leaves the colours as they are.
    return layout.varyingAlpha ? static_cast<std::uint8_t>(x * 53 + y * 19) : 255;
  }
  if (layout.samples <= 2) return static_cast<std::uint8_t>(x * 29 + y * 13);
  if (c == 0) return PatternRed(x, y);
  if (c == 1) return PatternGreen(x, y);
  return PatternBlue(x, y);
}

// Writes a width × height TIFF whose pixel (x, y) of the picture is TiffSample; with
// ORIENTATION_BOTLEFT the rows are stored bottom first. Returns false on failure.
inline bool WriteTiff(const std::string& path, const TiffLayout& layout, int width, int height) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, layout.orientation);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
               layout.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  if (layout.samples == 2 || layout.samples == 4) {
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &layout.extraSample);
  }
  std::vector<std::uint16_t> map[3];
  if (layout.photometric == PHOTOMETRIC_PALETTE) {
    // Entry i: red i, green 255 - i, blue i / 2 (as 16-bit values, or as they are).
    const int scale = layout.eightBitColourMap ? 1 : 257;
    for (auto& m : map) m.resize(256);
    for (int i = 0; i < 256; ++i) {
      map[0][i] = static_cast<std::uint16_t>(i * scale);
      map[1][i] = static_cast<std::uint16_t>((255 - i) * scale);
      map[2][i] = static_cast<std::uint16_t>((i / 2) * scale);
    }
    TIFFSetField(tiff, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
  }
  const int bytesPerSample = layout.bits / 8;
  const int planes = layout.separatePlanes ? layout.samples : 1;
  const int perPixel = layout.separatePlanes ? 1 : layout.samples;
  auto sampleAt = [&](int x, int fileRow, int c) {
    const int y = layout.orientation == ORIENTATION_BOTLEFT ? height - 1 - fileRow : fileRow;
    return TiffSample(layout, x, y, c);
  };
  auto store = [&](std::uint8_t* at, std::uint8_t value) {
    if (bytesPerSample == 2) {  // 16 bits: value * 257, so libtiff's >> 8 gives value back
      const std::uint16_t wide = static_cast<std::uint16_t>(value * 257);
      std::memcpy(at, &wide, 2);
    } else {
      *at = value;
    }
  };
  bool ok = true;
  if (layout.tiled) {
    const int tile = 16;
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, tile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, tile);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(tile) * tile * perPixel *
                                     bytesPerSample);
    for (int plane = 0; plane < planes; ++plane) {
      for (int ty = 0; ty < height; ty += tile) {
        for (int tx = 0; tx < width; tx += tile) {
          std::fill(buffer.begin(), buffer.end(), 0);
          for (int y = 0; y < tile && ty + y < height; ++y) {
            for (int x = 0; x < tile && tx + x < width; ++x) {
              for (int s = 0; s < perPixel; ++s) {
                const int c = layout.separatePlanes ? plane : s;
                store(&buffer[((y * tile + x) * perPixel + s) * bytesPerSample],
                      sampleAt(tx + x, ty + y, c));
              }
            }
          }
          ok = ok && TIFFWriteTile(tiff, buffer.data(), tx, ty, 0,
                                   static_cast<std::uint16_t>(plane)) >= 0;
        }
      }
    }
  } else {
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * perPixel * bytesPerSample);
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int s = 0; s < perPixel; ++s) {
            const int c = layout.separatePlanes ? plane : s;
            store(&row[(x * perPixel + s) * bytesPerSample], sampleAt(x, y, c));
          }
        }
        ok = ok && TIFFWriteScanline(tiff, row.data(), y, static_cast<std::uint16_t>(plane)) >= 0;
      }
    }
  }
  TIFFClose(tiff);
  return ok;
}

// The raster pixel a TIFF of layout shows at (x, y).
inline std::uint32_t ExpectedTiffPixel(const TiffLayout& layout, int x, int y) {
  const std::uint8_t v = TiffSample(layout, x, y, 0);
  if (layout.photometric == PHOTOMETRIC_PALETTE) {
    return PackPixel(v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v / 2));
  }
  if (layout.samples == 1) return PackPixel(v, v, v);
  return PatternPixel(x, y);
}

// A classic little-endian TIFF built byte by byte: 8-bit RGB, one uncompressed strip holding
// stripBytes bytes of zeros, with whatever width and height (even absurd ones) are asked.
inline std::string HandMadeTiff(std::uint32_t width, std::uint32_t height,
                                std::uint32_t stripBytes = 48) {
  std::string bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
  };
  const std::uint32_t ifdSize = 2 + 9 * 12 + 4;
  const std::uint32_t bitsOffset = 8 + ifdSize;
  const std::uint32_t stripOffset = bitsOffset + 6;
  const Entry entries[] = {
      {256, 4, 1, width}, {257, 4, 1, height}, {258, 3, 3, bitsOffset},
      {259, 3, 1, 1},     {262, 3, 1, 2},      {273, 4, 1, stripOffset},
      {277, 3, 1, 3},     {278, 4, 1, height}, {279, 4, 1, stripBytes},
  };
  auto put16 = [&](std::uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
  auto put32 = [&](std::uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
  put16(9);
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(e.count);
    if (e.type == 3 && e.count == 1) {
      put16(static_cast<std::uint16_t>(e.value));
      put16(0);
    } else {
      put32(e.value);
    }
  }
  put32(0);
  put16(8);
  put16(8);
  put16(8);
  bytes.append(stripBytes, '\0');
  return bytes;
}

// ---- JPEG through libjpeg ----

struct JpegLayout {
  const char* name;
  J_COLOR_SPACE input;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  bool progressive;
  bool restartMarkers;
};

// Writes the pattern as a JPEG of quality 100. CMYK is written the way Adobe does, with
// inverted values: (red, green, blue, 255) stands for the pattern's colour.
inline void WriteJpeg(const std::string& path, const JpegLayout& layout, int width, int height) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = layout.input == JCS_GRAYSCALE ? 1 : layout.input == JCS_CMYK ? 4 : 3;
  info.in_color_space = layout.input;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int c = 0; c < info.num_components; ++c) {  // no chroma subsampling: colours stay close
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  if (layout.progressive) jpeg_simple_progression(&info);
  if (layout.restartMarkers) info.restart_in_rows = 1;
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * info.input_components);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &row[static_cast<std::size_t>(x) * info.input_components];
      if (layout.input == JCS_GRAYSCALE) {
        p[0] = static_cast<std::uint8_t>(x * 29 + y * 13);
      } else {
        p[0] = PatternRed(x, y);
        p[1] = PatternGreen(x, y);
        p[2] = PatternBlue(x, y);
        if (layout.input == JCS_CMYK) p[3] = 255;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

// The same file decoded by libjpeg into its plain RGB (or grey, or CMYK) output.
inline std::vector<std::uint8_t> ReferenceJpegDecode(const std::string& path, int& components) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  components = info.output_components;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(info.output_width) *
                                   info.output_height * components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        &pixels[static_cast<std::size_t>(info.output_scanline) * info.output_width * components];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return pixels;
}

// ---- Windows bitmaps byte by byte ----

inline void Put16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

struct BmpLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top-down
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB entries
  std::vector<std::uint32_t> masks;    // written after the 40-byte header when given
  std::uint32_t headerSize = 40;       // 12 for the OS/2 core header
};

// File header + info header + masks + palette + pixels (bytes as given).
inline std::string BuildBmp(const BmpLayout& layout, const std::string& pixels) {
  std::string info;
  if (layout.headerSize == 12) {
    Put32(info, 12);
    Put16(info, static_cast<std::uint32_t>(layout.width));
    Put16(info, static_cast<std::uint32_t>(layout.height));
    Put16(info, 1);
    Put16(info, layout.bitCount);
  } else {
    Put32(info, layout.headerSize);
    Put32(info, static_cast<std::uint32_t>(layout.width));
    Put32(info, static_cast<std::uint32_t>(layout.height));
    Put16(info, 1);
    Put16(info, layout.bitCount);
    Put32(info, layout.compression);
    Put32(info, static_cast<std::uint32_t>(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, static_cast<std::uint32_t>(layout.palette.size()));
    Put32(info, 0);
    info.resize(layout.headerSize, '\0');
  }
  for (std::uint32_t m : layout.masks) Put32(info, m);
  for (std::uint32_t c : layout.palette) {
    info.push_back(static_cast<char>(c));
    info.push_back(static_cast<char>(c >> 8));
    info.push_back(static_cast<char>(c >> 16));
    if (layout.headerSize != 12) info.push_back(0);
  }
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + pixels;
}

}  // namespace cz::testing
