#pragma once
// Writes a tile as the program's GIF: exactly the layout the EFIS and the map viewer's own
// decoder rely on, byte for byte:
//   "GIF87a"; logical screen descriptor (tile width, height, packed byte 0x77 = no global
//   colour table, colour resolution and table-size fields 7, background 0, aspect 0);
//   no extension block; one image descriptor at (0, 0) covering the tile, not interlaced,
//   with a local colour table of 2^k entries (2 .. 256): the palette, padded with black;
//   LZW image data (GifLzw.h); the trailer 0x3B.
// These are the bytes giflib 5.2 wrote for the same tile; the tests keep giflib as the
// reference.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/GifLzw.h"
#include "imaging/TilePalette.h"

namespace cz {

// Keeps the LZW coder's working memory from tile to tile (one writer per worker).
class GifTileWriter {
 public:
  // The GIF file of a width × height image of palette indices (row by row, top-down), each
  // index below palette.size() (1 .. 256 colours; further colours are left out). Throws
  // CartozenError when a GIF cannot hold that size.
  std::string Encode(std::int32_t width, std::int32_t height, const std::uint8_t* indices,
                     const std::vector<PaletteColour>& palette);

 private:
  GifLzwCoder lzw_;
};

// GifTileWriter::Encode with a writer of its own.
std::string EncodeTileGif(std::int32_t width, std::int32_t height, const std::uint8_t* indices,
                          const std::vector<PaletteColour>& palette);

// Entries of the local colour table for a palette of count colours: the next power of two,
// at least 2, at most 256.
int ColourTableSize(int count);

}  // namespace cz
