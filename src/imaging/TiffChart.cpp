// TIFF charts through libtiff's RGBA interface.

#include <tiffio.h>

#include <cstdarg>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {

std::string UnableToOpenText(const std::string& path) {
  return "Unable to open file '" + path + "'";
}

void AllocateChartRaster(Raster32& raster, std::int64_t width, std::int64_t height,
                         std::uint64_t maxBytes, bool zeroed) {
  if (width <= 0 || height <= 0 || width > std::numeric_limits<std::int32_t>::max() ||
      height > std::numeric_limits<std::int32_t>::max() ||
      Raster32::RequiredBytes(width, height) > maxBytes) {
    throw std::bad_alloc();
  }
  const auto w = static_cast<std::int32_t>(width);
  const auto h = static_cast<std::int32_t>(height);
  if (zeroed) {
    raster.AllocateZeroed(w, h);
  } else {
    raster.Allocate(w, h);
  }
}

namespace {

// libtiff's messages go nowhere: the handlers below claim them (return 1) so that libtiff's
// process-wide default handlers, which print to stderr, are never reached. A failed open is
// seen through TIFFOpenExt's null result; decoding errors are tolerated by design.
int DropTiffMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct TiffOptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// libtiff packs red in bits 0-7 and blue in bits 16-23; the raster wants them swapped.
void SwapRedAndBlue(std::uint32_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = pixels[i];
    pixels[i] = (p & 0xFF00FF00u) | ((p & 0x000000FFu) << 16) | ((p >> 16) & 0x000000FFu);
  }
}

}  // namespace

void ReadTiffChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes) {
  std::unique_ptr<TIFFOpenOptions, TiffOptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) throw CartozenError(kBufferTooLargeText);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), DropTiffMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DropTiffMessage, nullptr);
  // Under a cap, libtiff's own buffers (strips, tiles) stay within it as well.
  if (maxBytes != kNoByteLimit) {
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxBytes));
  }
  std::unique_ptr<TIFF, TiffCloser> tiff(
      TIFFOpenExt(ResolvePath(path).c_str(), "r", options.get()));
  if (!tiff) throw CartozenError(UnableToOpenText(path));

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  requiredBytes = Raster32::RequiredBytes(width, height);

  // A file libtiff cannot turn into RGBA at all (an unknown photometric interpretation or
  // sample layout) would leave the raster as allocated and still count as loaded: refuse it
  // here, as any image without pixels.
  char reason[1024] = "";
  if (width == 0 || height == 0 || !TIFFRGBAImageOK(tiff.get(), reason)) {
    throw CartozenError(kBufferNotDecodedText);
  }

  try {
    // Zeroed, so that strips libtiff cannot decode come out the same on every run.
    AllocateChartRaster(raster, width, height, maxBytes, true);
  } catch (const std::bad_alloc&) {
    throw CartozenError(kBufferTooLargeText);
  }

  // The result is not examined: a partly decodable image loads with what was delivered.
  TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.Pixels(), ORIENTATION_TOPLEFT, 0);
  tiff.reset();

  SwapRedAndBlue(raster.Pixels(), raster.PixelCount());
}

}  // namespace cz
