// TIFF charts: the common layouts decoded directly on several threads, most others through
// libtiff's RGBA interface, and what that refuses (or would read wrong) scaled from its own
// samples.

#include "imaging/TiffChart.h"

#include <tiffio.h>

#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "imaging/TiffDirectDecode.h"
#include "imaging/TiffFile.h"
#include "imaging/TiffGeneralDecode.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/ThreadCount.h"

namespace cz {
namespace {

// Whether the RGBA interface really reads the image: TIFFRGBAImageOK passes layouts it has no
// routine for (RGB of 1, 2 or 4 bits, 16-bit CMYK or palettes), which would load black. When
// it claims the layout but cannot begin, whyNot gets libtiff's words for it.
bool RgbaInterfaceReads(TIFF* tiff, std::string& whyNot) {
  TIFFRGBAImage image{};
  char reason[1024] = "";
  if (!TIFFRGBAImageOK(tiff, reason)) return false;
  if (!TIFFRGBAImageBegin(&image, tiff, 0, reason)) {
    whyNot = reason;
    return false;
  }
  const bool reads = image.put.any != nullptr;
  TIFFRGBAImageEnd(&image);
  return reads;
}

}  // namespace

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

std::optional<ChartSize> ReadTiffChartSize(const std::string& path) {
  // A header is all it reads: no byte cap is needed beyond libtiff's own directory buffers.
  const TiffHandle tiff = OpenTiffForReading(ResolvePath(path), 64u << 20);
  if (!tiff) return std::nullopt;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  constexpr std::uint32_t kLargest = std::numeric_limits<std::int32_t>::max();
  if (width == 0 || height == 0 || width > kLargest || height > kLargest) return std::nullopt;
  return ChartSize{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

TiffDecoder ReadTiffChartOnThreads(const std::string& path, Raster32& raster,
                                   std::uint64_t& requiredBytes, std::uint64_t maxBytes,
                                   int threads) {
  const std::string resolvedPath = ResolvePath(path);
  std::string whyNot;
  TiffHandle tiff = OpenTiffForReading(resolvedPath, maxBytes, &whyNot);
  if (!tiff) {
    // A missing file says no more; a file that is there but no TIFF says libtiff's reason
    // (without the path some of its messages begin with: the text names it already).
    if (whyNot.rfind(resolvedPath + ": ", 0) == 0) whyNot.erase(0, resolvedPath.size() + 2);
    const bool there = FileExists(resolvedPath) && !whyNot.empty();
    throw CartozenError(UnableToOpenText(path) + (there ? ": " + whyNot : std::string()));
  }

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  requiredBytes = Raster32::RequiredBytes(width, height);

  if (width == 0 || height == 0) {
    throw CartozenError("the image has no pixels: its width or height is 0");
  }
  if (const std::string refusal = TiffCodecRefusal(tiff.get()); !refusal.empty()) {
    throw CartozenError(refusal);
  }
  // What the RGBA interface reads stays with it (and the direct decoder), pixel for pixel,
  // except signed samples: it would read them as unsigned, turning -1 into white. Everything
  // else is read from its own samples, or refused with the general reader's reason.
  std::string refusal;
  const std::optional<TiffGeneralLayout> general = FindTiffGeneralLayout(tiff.get(), refusal);
  std::string rgbaRefusal;
  const bool rgba = RgbaInterfaceReads(tiff.get(), rgbaRefusal);
  const bool useGeneral = general && (!rgba || general->Samples.Format == SampleFormat::Signed);
  if (!useGeneral && !rgba) {
    // The RGBA interface's own words, where it took the layout on and then failed, say more
    // than the general reader's "not supported".
    throw CartozenError(rgbaRefusal.empty() ? refusal
                                            : "libtiff cannot read the image: " + rgbaRefusal);
  }

  try {
    // Zeroed, so that strips or tiles that cannot be decoded come out the same on every run.
    AllocateChartRaster(raster, width, height, maxBytes, true);
  } catch (const std::bad_alloc&) {
    throw CartozenError(kBufferTooLargeText);
  }

  const auto reopen = [&] {
    TiffHandle another = OpenTiffForReading(resolvedPath, maxBytes);
    if (!another) throw CartozenError(UnableToOpenText(path));
    return another;
  };
  if (useGeneral) {
    try {
      DecodeTiffGeneral(*general, tiff.get(), reopen, raster, maxBytes);
    } catch (const std::bad_alloc&) {
      throw CartozenError(kBufferTooLargeText);
    }
    return TiffDecoder::General;
  }

  if (const std::optional<TiffDirectLayout> layout = FindTiffDirectLayout(tiff.get(), maxBytes)) {
    try {
      DecodeTiffDirect(*layout, tiff.get(), reopen, raster, threads);
    } catch (const std::bad_alloc&) {
      throw CartozenError(kBufferTooLargeText);
    }
    return TiffDecoder::Direct;
  }

  // The result is not examined: a partly decodable image loads with what was delivered.
  TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.Pixels(), ORIENTATION_TOPLEFT, 0);
  tiff.reset();
  std::uint32_t* pixels = raster.Pixels();
  for (std::size_t i = 0, count = raster.PixelCount(); i < count; ++i) {
    pixels[i] = RasterPixelFromTiffRgba(pixels[i]);
  }
  return TiffDecoder::RgbaInterface;
}

void ReadTiffChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes) {
  ReadTiffChartOnThreads(path, raster, requiredBytes, maxBytes, WorkerThreadCount());
}

}  // namespace cz
