#pragma once
// Reads a GIF file back into a Raster32, for painting a new chart over a tile made earlier.
// giflib decodes; this module checks what giflib leaves to its caller.
//
// The raster takes the size and pixels of the file's first image (its position on the
// logical screen is ignored; the program's tiles always sit at (0, 0)); interlaced images are
// put back in row order. Colours come from the image's local table, else the global one;
// pixels are opaque (alpha 255). An index beyond the table gives black.
//
// Refused, with CartozenError(name + ": " + what is wrong): anything giflib cannot decode, a
// file without an image, an image without a colour table, and an image of more than
// kMaxGifSide pixels across or down (far above any tile, and a guard against files that
// declare gigantic sizes).

#include <string>
#include <string_view>

#include "imaging/Raster32.h"

namespace cz {

inline constexpr int kMaxGifSide = 8192;

// Decodes bytes (the content of the file called name, which error texts quote).
Raster32 DecodeGifImage(std::string_view bytes, const std::string& name);

}  // namespace cz
