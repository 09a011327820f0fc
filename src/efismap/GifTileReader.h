#pragma once
// GifTileReader: the viewer's own decoder of the GIF tiles stored in EFIS map files.
//
// It accepts the subset the tile output writes and nothing more: the signature "GIF87a" (the
// GIF89a one is refused), a logical screen descriptor with an optional global colour table,
// the image descriptor straight after it (no extension blocks), an optional local colour table
// and the LZW data sub-blocks of that one image. The trailer is not read.
//
// Pixels go straight into a view raster as red × 65536 + green × 256 + blue (alpha 0) with the
// image's top-left pixel at the origin, and every image row is fitted to a target width W:
// with image width w > W every P-th pixel (P = w div (w − W)) is overwritten by its successor,
// with w < W every P-th pixel (P = w div (W − w)) is doubled; w = W leaves rows as they are.
// Rows are drawn in the order they are stored (interlacing is not undone). Pixels outside the
// raster are dropped one by one.
//
// Codes below the Clear code are literal colour indices. Every index is masked with the
// screen descriptor's table size (its flag byte's low three bits); the tile output writes
// that field as 7 so that every 8-bit index passes.
//
// Safety: the decoder reads only what the source hands it and writes only inside the raster
// and its own fixed tables, whatever the data holds. The compressed data is bounded by the
// source (for a map file: the tile record's size and the file's end), the code table gains no
// entry once it holds 4096, and a code string longer than any table can hold (a cycle in
// corrupt data) ends the decoding. Nothing throws; the outcome says what happened.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/Raster32.h"

namespace cz {

// Where the decoder takes its bytes from: Read copies up to size bytes and returns how many
// it copied; fewer than asked means the data ends there.
class GifByteSource {
 public:
  virtual ~GifByteSource() = default;
  virtual std::size_t Read(std::uint8_t* destination, std::size_t size) = 0;
};

// A GIF held in memory. Position() is how many bytes the decoder has taken.
class MemoryGifSource final : public GifByteSource {
 public:
  explicit MemoryGifSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(std::uint8_t* destination, std::size_t size) override;
  std::size_t Position() const { return position_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

enum class GifTileOutcome {
  kDrawn,         // decoded up to its End code, or until its rows passed the raster's bottom
  kDataEnded,     // the LZW data ended without an End code: drawn up to there
  kCorruptCodes,  // a code led into a cycle of the code table: drawn up to that code
  kRefused,       // signature other than "GIF87a": nothing drawn, 13 bytes taken
  kUnsupported,   // image width 0 or LZW minimum code size outside 2..8: nothing drawn
  kTruncated,     // data ended inside the header, a colour table or the sub-blocks:
                  // nothing drawn, everything there was taken
};

// One decoder; its tables are reused from one tile to the next (reset for every tile).
class GifTileReader {
 public:
  GifTileReader();

  // Decodes the one image at the source's current position into view, the image's top-left
  // pixel at (originX, originY), every row fitted to targetWidth. Afterwards the source has
  // been read just past the image's block terminator (13 bytes when the signature is refused).
  GifTileOutcome Read(GifByteSource& source, std::int32_t originX, std::int32_t originY,
                      std::uint16_t targetWidth, Raster32& view);

 private:
  static constexpr std::size_t kTableSize = 4096;
  // Longest string a well-formed table can hold (4096 entries chained) plus the repeated
  // first pixel of a code not yet in the table. 1025 bytes would do for any tile of 600 rows;
  // this size refuses no valid GIF of any size.
  static constexpr std::size_t kStackSize = kTableSize + 2;

  bool ReadColourTable(GifByteSource& source, std::uint32_t entries);
  GifTileOutcome Decode(std::uint32_t minimumCodeSize, std::uint16_t imageWidth,
                        std::int32_t originX, std::int32_t originY, std::uint16_t targetWidth,
                        Raster32& view);

  std::array<std::uint32_t, 256> palette_{};  // colours, red × 65536 + green × 256 + blue
  std::uint32_t bitMask_ = 0;                 // 2^bpp − 1
  std::array<std::uint16_t, kTableSize> prefix_{};
  std::array<std::uint8_t, kTableSize> suffix_{};
  std::array<std::uint8_t, kStackSize> stack_{};
  std::vector<std::uint8_t> compressed_;  // the sub-blocks' data, concatenated
};

// Decodes one tile with a fresh decoder (for callers that draw a single tile).
GifTileOutcome ReadGifTile(GifByteSource& source, std::int32_t originX, std::int32_t originY,
                           std::uint16_t targetWidth, Raster32& view);

}  // namespace cz
