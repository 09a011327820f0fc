#pragma once
// PNG files for the import's tests, written with libpng in any colour type and bit depth.

#include <png.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cz::testing {

struct PngLayout {
  int width = 256;
  int height = 256;
  int colorType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
};

inline int PngChannels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

// Encodes a PNG whose sample (x, y, channel) is sample(x, y, channel), a value that must fit
// the bit depth (palette indexes too). palette/alpha go into PLTE and tRNS when not empty.
inline std::string EncodePng(const PngLayout& layout,
                             const std::function<std::uint16_t(int, int, int)>& sample,
                             const std::vector<png_color>& palette = {},
                             const std::vector<png_byte>& transparency = {}) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encoding failed");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), length);
      },
      nullptr);
  png_set_check_for_invalid_index(png, 0);  // tests write indexes beyond the palette on purpose
  png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!transparency.empty()) {
    png_set_tRNS(png, info, transparency.data(), static_cast<int>(transparency.size()), nullptr);
  }
  png_write_info(png, info);

  const int channels = PngChannels(layout.colorType);
  const std::size_t rowBytes =
      (static_cast<std::size_t>(layout.width) * channels * layout.bitDepth + 7) / 8;
  std::vector<std::vector<png_byte>> rows(layout.height, std::vector<png_byte>(rowBytes));
  for (int y = 0; y < layout.height; ++y) {
    std::size_t bit = 0;
    for (int x = 0; x < layout.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const std::uint16_t value = sample(x, y, c);
        if (layout.bitDepth == 16) {
          rows[y][bit / 8] = static_cast<png_byte>(value >> 8);
          rows[y][bit / 8 + 1] = static_cast<png_byte>(value);
        } else if (layout.bitDepth == 8) {
          rows[y][bit / 8] = static_cast<png_byte>(value);
        } else {
          const int shift = 8 - layout.bitDepth - static_cast<int>(bit % 8);
          rows[y][bit / 8] |= static_cast<png_byte>(value << shift);
        }
        bit += layout.bitDepth;
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// An 8-bit RGB PNG whose pixel (x, y) has colour(x, y) = 0xRRGGBB.
inline std::string EncodeRgbPng(int width, int height,
                                const std::function<std::uint32_t(int, int)>& colour) {
  return EncodePng({width, height, PNG_COLOR_TYPE_RGB, 8, false}, [&](int x, int y, int c) {
    return static_cast<std::uint16_t>((colour(x, y) >> (16 - 8 * c)) & 0xFF);
  });
}

}  // namespace cz::testing
