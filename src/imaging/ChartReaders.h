#pragma once
// Decoders of chart images into a Raster32: TIFF (libtiff), JPEG (libjpeg-turbo) and Windows
// bitmaps (our own reader). Each reads the whole file at full resolution into one block,
// every pixel opaque (alpha 255) unless a TIFF carries alpha of its own.
//
// The path is opened without regard to case (ResolvePath); messages name it as given.
//
// Each reader records the required byte count (width × height × 4, in 64 bits) in
// requiredBytes as soon as the file's header has given the dimensions; it leaves it alone
// before that. On failure it throws CartozenError and the raster may hold anything; the
// caller empties it. Nothing is printed and nothing aborts, whatever the file holds.
//
// maxBytes caps the raster a file may ask for; above it the reader fails as if the memory
// could not be had. The program passes what the machine can back (ObtainableMemoryBytes);
// the fuzz targets pass a small cap.

#include <cstdint>
#include <limits>
#include <string>

namespace cz {

class Raster32;

inline constexpr std::uint64_t kNoByteLimit = std::numeric_limits<std::uint64_t>::max();

// Raised texts shared by the readers.
inline constexpr const char* kBufferTooLargeText =
    "Unable to create image buffer. Image is too large to fit into available memory at original "
    "resolution.";
inline constexpr const char* kBufferNotDecodedText =
    "Unable to create image buffer. Image is too large or cannot be decoded.";
// "Unable to open file '" + path + "'".
std::string UnableToOpenText(const std::string& path);

// TIFF with the pixels of libtiff's RGBA interface, oriented top-left; the common layouts
// are decoded directly on WorkerThreadCount() threads (TiffChart.h). A file libtiff cannot
// open throws UnableToOpenText; a raster that cannot be had throws kBufferTooLargeText.
// Strips or tiles that fail to decode do not stop the load: in the common layouts they are
// left black (all zero), in the others they hold whatever libtiff delivered.
void ReadTiffChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes = kNoByteLimit);

// JPEG (baseline, progressive, grey, RGB, CMYK) decoded straight into BGRA. A missing file
// throws UnableToOpenText; every decoding or allocation failure throws kBufferNotDecodedText.
void ReadJpegChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes = kNoByteLimit);

// Windows bitmap: 1, 4 and 8 bit palettes, 16, 24 and 32 bit, BI_BITFIELDS, RLE4 and RLE8,
// bottom-up and top-down. A missing file throws UnableToOpenText, a raster that cannot be had
// kBufferTooLargeText, anything malformed "Unable to read bitmap '" + path + "': " + reason.
void ReadBmpChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                  std::uint64_t maxBytes = kNoByteLimit);

// Sizes raster to width × height (uninitialised, or zeroed when asked) unless that exceeds
// maxBytes or the memory cannot be had: then throws std::bad_alloc.
void AllocateChartRaster(Raster32& raster, std::int64_t width, std::int64_t height,
                         std::uint64_t maxBytes, bool zeroed);

}  // namespace cz
