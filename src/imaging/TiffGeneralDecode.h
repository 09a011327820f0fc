#pragma once
// The way in for TIFF samples as scans and GIS exports come: grey (one colour sample) or RGB
// (three), each optionally followed by an alpha or other extra samples, of unsigned or signed
// integers of 1 to 32 bits or IEEE floats of 16, 32 or 64 bits, contiguous or in planes, in
// strips or tiles of any compression and predictor libtiff decodes, scaled to 8 bits per
// channel by TiffSampleScaling.h. ReadTiffChart sends here what the direct decoder and the RGBA
// interface cannot read, and signed samples, which the RGBA interface would read as unsigned.
// It runs on one thread: libtiff's scanline reading goes one row after the other.
//
// Where the file leaves room, the RGBA interface's reading is followed, so that a picture
// looks the same at every depth:
//   - Orientation: rows and columns are mirrored as the tag says; the four transposed
//     orientations are read as their untransposed partners (the raster keeps the file's width
//     and height, as the georeference does).
//   - Alpha: the first extra sample, when it says associated or unassociated alpha, or when it
//     is unspecified and the pixel has more than three samples. Other extra samples are skipped.
//   - A missing photometric tag means grey for one colour sample and RGB for three.
// Nodata: pixels of the image's nodata value (TiffNoData.h) get alpha 0.
// Damage: a strip or tile that fails to decode leaves its pixels black (all zero), as in the
// direct decoder; a strip image is read row by row, so the rows of a strip before its damage
// are kept. When nothing decodes at all, the load fails ("strip 0 cannot be decoded") rather
// than pass for a black chart.
//
// Memory: the raster and one row of every plane (strips, read through libtiff's scanline
// interface, which reads even a single-strip image a piece at a time), or one tile of every
// plane; floats are decoded twice (the first pass finds their range) rather than held.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "imaging/TiffFile.h"
#include "imaging/TiffSampleScaling.h"

namespace cz {

class Raster32;

struct TiffGeneralLayout {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  bool Tiled = false;
  std::uint32_t ChunkWidth = 0;   // tile width, or the image width for strips
  std::uint32_t ChunkHeight = 0;  // tile height, or rows per strip
  int Planes = 1;                 // planes read: 1 when contiguous, else one per channel
  std::uint64_t RowBytes = 0;     // bytes of one row of a chunk in each plane read
  SampleLayout Samples;
  bool MirrorRows = false;     // the file's first row is the picture's last
  bool MirrorColumns = false;  // the file's first column is the picture's last
  bool operator==(const TiffGeneralLayout&) const = default;
};

// The layout of the open file's current image, or nothing with `refusal` saying why not in a
// short plain sentence ("the RGB TIFF has 2 colour samples per pixel, not 3"). Assumes width and
// height above 0 and TiffCodecRefusal passed.
std::optional<TiffGeneralLayout> FindTiffGeneralLayout(TIFF* tiff, std::string& refusal);

// Decodes the image into raster, already sized to it and zeroed. Separate strip planes read
// through handles of their own from `reopen` (libtiff's scanline reading goes one strip at a
// time); a handle that shows another layout throws CartozenError(kTiffChangedText). Throws
// std::bad_alloc when the working set does not fit beside the raster within maxBytes, and
// CartozenError("strip 3 cannot be decoded") when not one chunk decodes.
void DecodeTiffGeneral(const TiffGeneralLayout& layout, TIFF* first,
                       const std::function<TiffHandle()>& reopen, Raster32& raster,
                       std::uint64_t maxBytes);

}  // namespace cz
