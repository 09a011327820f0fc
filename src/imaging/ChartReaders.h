#pragma once
// Decoders of chart images into a Raster32: TIFF (libtiff), JPEG (libjpeg-turbo) and Windows
// bitmaps (our own reader). Each reads the whole file at full resolution into one block,
// every pixel opaque (alpha 255) unless a TIFF carries alpha or a nodata value of its own.
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
#include <optional>
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

// TIFF, oriented top-left. What libtiff's RGBA interface reads (1, 2, 4, 8 and 16-bit
// unsigned samples: grey, RGB, palette, CMYK, YCbCr, CIELAB, ...) loads with its pixels, the
// common 8-bit layouts decoded directly on WorkerThreadCount() threads (TiffChart.h). Every
// other grey and RGB image loads scaled to 8 bits per channel (TiffGeneralDecode.h,
// TiffSampleScaling.h): unsigned and signed integers of 1 to 32 bits (signed ones at every
// depth, as the RGBA interface would read them as unsigned) and IEEE floats of 16, 32 and 64
// bits, with or without alpha, contiguous or in planes, with any predictor libtiff decodes.
// A file libtiff cannot open throws UnableToOpenText, followed by ": " and libtiff's own
// complaint when the file is there (no TIFF, a broken header); a raster (or, for the scaled
// layouts, its working set beside it) that cannot be had throws kBufferTooLargeText. Any other file
// that cannot be loaded throws its reason as a short plain sentence without the path, such as "the
// photometric interpretation (CIELAB) is not supported with 12-bit samples, 3 per pixel",
// "12-bit samples with a floating-point predictor are not supported", "the compression (JBIG)
// is not supported", "the image has no pixels: its width or height is 0" or, when not one
// strip or tile decodes in a scaled layout, "strip 0 cannot be decoded".
// Strips or tiles that fail to decode do not stop the load: in the common and the scaled
// layouts they are left black (all zero), in the others they hold whatever libtiff delivered.
// A GeoTIFF's nodata value (GDAL_NODATA) gives its pixels alpha 0 in the common and the scaled
// layouts (TiffNoData.h).
void ReadTiffChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes = kNoByteLimit);

// The pixel size of a TIFF chart as ReadTiffChart loads it, from its header alone; nothing
// when the file is no TIFF that libtiff opens or has no pixels (the load then says why).
struct ChartSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};
std::optional<ChartSize> ReadTiffChartSize(const std::string& path);

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
