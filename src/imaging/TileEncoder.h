#pragma once
// Turns a rendered tile into the bytes of its GIF file: colour reduction (adaptive octree to
// at most 2^bits colours, with the chosen dithering) or, when the run has a fixed palette,
// nearest-colour mapping to that palette without dithering; then the GIF layout of
// GifTileWriter.h. Only red, green and blue reach the file; alpha is ignored.
//
// A TileEncoder keeps its working memory (octree, colour cache, index and error buffers, LZW
// dictionary) from tile to tile, so one encoder per tile-creation run allocates nothing per
// pixel and almost nothing per tile. Output depends only on the pixels and the options.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/ErrorDiffusion.h"
#include "imaging/GifTileWriter.h"
#include "imaging/NearestColour.h"
#include "imaging/OctreeQuantizer.h"
#include "imaging/TilePalette.h"

namespace cz {

class Raster32;

// The map source's options that act on tiles (values as stored in its settings file).
struct TileColourOptions {
  std::uint8_t ColorReduction = 2;  // 0..4: 256, 128, 64, 32, 16 colours; others: 64
  std::uint8_t Dithering = 0;       // 1..6 error diffusion; others: none
};

// Colour bits of a ColorReduction value: 8, 7, 6, 5, 4 for 0..4, 6 for any other value.
int ColourBitsFor(std::uint8_t colorReduction);

class TileEncoder {
 public:
  // The GIF file of raster (not empty). customPalette, when given, replaces the options.
  // Throws CartozenError when the GIF cannot be encoded.
  std::string Encode(const Raster32& raster, const TileColourOptions& options,
                     const TilePalette* customPalette = nullptr);

  // The colours of the last tile's table before padding.
  const std::vector<PaletteColour>& LastPalette() const { return palette_; }

 private:
  OctreeQuantizer quantizer_;
  NearestColourMap nearest_;
  PixelMapper mapper_;
  std::vector<PaletteColour> palette_;
  std::vector<std::uint8_t> indices_;
  GifTileWriter gif_;
};

}  // namespace cz
