#pragma once
// Writes a tile as the program's GIF: exactly the layout the EFIS and the map viewer's own
// decoder rely on, byte for byte:
//   "GIF87a"; logical screen descriptor (tile width, height, packed byte 0x77 = no global
//   colour table, colour resolution and table-size fields 7, background 0, aspect 0);
//   no extension block; one image descriptor at (0, 0) covering the tile, not interlaced,
//   with a local colour table of 2^k entries (2 .. 256): the palette, padded with black;
//   LZW image data; the trailer 0x3B.
// giflib does the LZW coding; the bytes it writes are checked by the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/TilePalette.h"

namespace cz {

// The GIF file of a width × height image of palette indices (row by row, top-down), each
// index below palette.size() (1 .. 256 colours). indices is used as working storage and may
// be changed. Throws CartozenError naming what failed when giflib refuses.
std::string EncodeTileGif(std::int32_t width, std::int32_t height, std::uint8_t* indices,
                          const std::vector<PaletteColour>& palette);

// Entries of the local colour table for a palette of count colours: the next power of two,
// at least 2, at most 256.
int ColourTableSize(int count);

}  // namespace cz
