#pragma once
// Decoding of one web tile (a PNG file of a slippy-map tile tree) into the 256 × 256 pixels
// the import uses.
//
// Promises: every colour type and bit depth a tile server may write (palette, grey,
// grey + alpha, RGB, RGBA; 1 to 16 bits) comes out as red, green and blue, 8 bits each; the
// PNG's alpha and transparency are ignored and 16-bit samples keep their high byte. The tile
// is addressed as 256 × 256 whatever its real size: positions a smaller image lacks are black,
// pixels of a larger image beyond column or row 255 are never used. Output pixels are
// 0x00RRGGBB: alpha 0, as the import's mosaic wants them.
//
// Throws CartozenError naming the file when the PNG cannot be decoded (not a PNG, truncated,
// corrupt, or wider or taller than kMaxPngTileSide). Never reads outside the given bytes.
//
// A decoder keeps its working buffers between tiles; use one per thread.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cz {

inline constexpr std::int32_t kPngTileSide = 256;
inline constexpr std::int32_t kMaxPngTileSide = 4096;   // larger images are refused

using PngTilePixels = std::array<std::uint32_t, kPngTileSide * kPngTileSide>;  // rows top-down

class PngTileDecoder {
 public:
  // Decodes PNG bytes; name is the file named in error texts.
  void Decode(std::string_view bytes, const std::string& name, PngTilePixels& tile);
  // Reads the file once and decodes it. Throws CartozenError("Unable to open file '...'") when
  // it cannot be read.
  void DecodeFile(const std::string& path, PngTilePixels& tile);

 private:
  std::vector<std::uint8_t> rows_;     // the first rows of the image, full width
  std::vector<std::uint8_t> scratch_;  // rows beyond 255 of an interlaced image
};

}  // namespace cz
