#pragma once
// The fast way in for the TIFF layouts charts come in: 8 bits per sample, samples contiguous,
// orientation top-left, in strips or tiles of any compression libtiff decodes, holding
//   RGB, RGB with an alpha sample (associated, unassociated or unspecified), grey
//   (min-is-black or min-is-white) or palette colours.
// Whole strips and tiles are decoded straight into the raster's rows by several threads,
// each with its own libtiff handle (handles are not thread-safe) and a contiguous band of
// rows, so that the raster's memory is also first touched in parallel.
//
// The pixels equal those of libtiff's RGBA interface: its alpha rules, its grey map and its
// palette map (16-bit colour maps to 8 bits, or an 8-bit-looking map as it is) are taken from
// it. Only a strip or tile that fails to decode differs: it is left black (all zero), not
// filled with whatever the decoder left behind. Pixels of the image's nodata value
// (TiffNoData.h) then get alpha 0.

#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "imaging/TiffFile.h"

namespace cz {

class Raster32;

struct TiffDirectLayout {
  // How the file cuts its pixels into chunks (strips or tiles); a second handle on the file
  // must show the same before it is trusted with a band.
  struct Cut {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    bool Tiled = false;
    std::uint32_t ChunkWidth = 0;   // tile width, or the image width for strips
    std::uint32_t ChunkHeight = 0;  // tile height, or rows per strip
    std::uint32_t SamplesPerPixel = 0;
    bool operator==(const Cut&) const = default;
  };
  enum class Samples { Rgb, AssociatedAlpha, UnassociatedAlpha, Indexed };

  Cut Chunks;
  Samples Kind = Samples::Rgb;
  std::vector<std::uint32_t> Colours;     // Indexed: the raster pixel of each sample value
  std::vector<std::uint8_t> Premultiply;  // UnassociatedAlpha: [alpha × 256 + value]
  // RGB kinds: the three nodata samples in libtiff's RGBA packing (red in bits 0-7). Indexed
  // images carry theirs in Colours.
  std::optional<std::uint32_t> NoDataSamples;
};

// The layout of the open file's current image, or nothing when it must go through the RGBA
// interface. maxBytes also bounds a tile buffer.
std::optional<TiffDirectLayout> FindTiffDirectLayout(TIFF* tiff, std::uint64_t maxBytes);

// Decodes the image into raster (already sized and zeroed) on up to `threads` threads. The
// first band reads through `first`; the others through handles from `reopen`, which throws
// when it cannot give one. A handle that shows another layout (the file was replaced)
// throws CartozenError(kTiffChangedText); a buffer that cannot be had, std::bad_alloc.
void DecodeTiffDirect(const TiffDirectLayout& layout, TIFF* first,
                      const std::function<TiffHandle()>& reopen, Raster32& raster, int threads);

}  // namespace cz
