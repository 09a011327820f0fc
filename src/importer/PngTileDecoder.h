#pragma once
// Decoding of one web tile (a PNG file of a slippy-map tile tree) into the 256 × 256 pixels
// the import uses.
//
// Promises: every colour type and bit depth a tile server may write (palette, grey,
// grey + alpha, RGB, RGBA; 1 to 16 bits) comes out as red, green and blue, 8 bits each, and
// 16-bit samples keep their high byte. The tile is addressed as 256 × 256 whatever its real
// size: positions a smaller image lacks are black, pixels of a larger image beyond column or
// row 255 are never used. Alpha (PngAlpha): by default it is ignored and every pixel is
// 0x00RRGGBB, alpha 0, as the import's mosaic has always held them; kept, a pixel carries the
// PNG's own alpha (an alpha channel, or tRNS for palettes and colour keys; 255 without
// either) and positions a smaller image lacks are 0: the mosaic then tells map from no map.
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
inline constexpr std::int32_t kMaxPngTileSide = 4096;  // larger images are refused

using PngTilePixels = std::array<std::uint32_t, kPngTileSide * kPngTileSide>;  // rows top-down

// A rectangle of the 256 × 256 tile: columns X..X + Width − 1, rows Y..Y + Height − 1, all
// within 0..255.
struct TileRegion {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = kPngTileSide;
  std::int32_t Height = kPngTileSide;
};

enum class PngAlpha { Ignored, Kept };

class PngTileDecoder {
 public:
  explicit PngTileDecoder(PngAlpha alpha = PngAlpha::Ignored) : alpha_(alpha) {}

  PngAlpha Alpha() const { return alpha_; }

  // Decodes PNG bytes into the whole 256 × 256 tile; name is the file named in error texts.
  void Decode(std::string_view bytes, const std::string& name, PngTilePixels& tile);

  // Decodes only what region needs and writes it to target: tile pixel (X + i, Y + j) goes to
  // target[j × stride + i]. Rows below the region are not decompressed at all (unless the
  // PNG is interlaced). On failure the region may be partly written.
  void DecodeRegion(std::string_view bytes, const std::string& name, const TileRegion& region,
                    std::uint32_t* target, std::ptrdiff_t stride);

  // Reads the file once and decodes it. Throws CartozenError("Unable to open file '...'") when
  // it cannot be read.
  void DecodeFile(const std::string& path, PngTilePixels& tile);

 private:
  PngAlpha alpha_;
  std::vector<std::uint8_t> rows_;     // an interlaced image's rows up to the region's last
  std::vector<std::uint8_t> scratch_;  // one row
};

}  // namespace cz
