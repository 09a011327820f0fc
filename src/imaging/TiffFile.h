#pragma once
// What the TIFF readers share: opening a file for reading the one way they all do it, without
// memory mapping (a mapped chart's pages would count in the process's memory on top of the
// raster), libtiff's messages dropped (nothing is printed; failures are seen through
// results) and libtiff's own buffers (strips, tiles) capped at maxBytes; and libtiff's RGBA
// pixel packing turned into the raster's; and the refusals that hold for every decoder.

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

namespace cz {

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Null when libtiff cannot open the file; whyNot, when given, then holds libtiff's own first
// complaint ("Not a TIFF or MDI file, bad magic number ..."), or nothing. Throws
// CartozenError(kBufferTooLargeText) when not even libtiff's open options can be had.
// resolvedPath is opened as it is (see ResolvePath).
TiffHandle OpenTiffForReading(const std::string& resolvedPath, std::uint64_t maxBytes,
                              std::string* whyNot = nullptr);

// Why libtiff cannot decode a single strip or tile of the current image, as a short plain
// sentence, or "" when it can: a compression it does not have, or a predictor that does not
// suit the samples. Asked before anything is decoded, so that such a file is refused with its
// reason instead of loading black.
std::string TiffCodecRefusal(TIFF* tiff);

// How refusals name a file's samples: "12-bit", "16-bit signed", "32-bit floating-point".
std::string TiffSampleText(std::uint16_t bits, std::uint16_t sampleFormat);

// A second handle on the file shows another image than the first did.
inline constexpr const char* kTiffChangedText = "the file changed while it was being read";

// libtiff's RGBA interface packs red in bits 0-7 and blue in bits 16-23; the raster wants
// them the other way round (green and alpha stay).
constexpr std::uint32_t RasterPixelFromTiffRgba(std::uint32_t p) {
  return (p & 0xFF00FF00u) | ((p & 0x000000FFu) << 16) | ((p >> 16) & 0x000000FFu);
}

}  // namespace cz
