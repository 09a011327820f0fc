#include "imaging/TiffDirectDecode.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"
#include "platform/OrderedParallel.h"
#include "platform/ProcessorFeatures.h"

#if CZ_VECTOR_PATHS
#include <immintrin.h>
#endif

namespace cz {
namespace {

using Cut = TiffDirectLayout::Cut;
using Samples = TiffDirectLayout::Samples;

// Larger tiles (one buffer per thread) are left to the RGBA interface, which needs only one.
constexpr std::uint64_t kMostTileBytes = std::uint64_t{64} << 20;

std::uint32_t DivideRoundingUp(std::uint32_t a, std::uint32_t b) {
  return a / b + (a % b != 0 ? 1 : 0);
}

// The cut of the current image, or nothing unless its chunks are the plain ones: rows of
// width × samples bytes, one chunk per strip or tile position.
std::optional<Cut> ChunkCutOf(TIFF* tiff) {
  Cut cut;
  std::uint16_t samples = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &cut.Width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &cut.Height);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  cut.SamplesPerPixel = samples;
  if (cut.Width == 0 || cut.Height == 0) return std::nullopt;
  std::uint64_t chunks = 0;
  std::uint64_t positions = 0;
  if (TIFFIsTiled(tiff)) {
    cut.Tiled = true;
    if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &cut.ChunkWidth) ||
        !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &cut.ChunkHeight) || cut.ChunkWidth == 0 ||
        cut.ChunkHeight == 0 ||
        TIFFTileSize64(tiff) != std::uint64_t{cut.ChunkWidth} * cut.ChunkHeight * samples) {
      return std::nullopt;
    }
    chunks = TIFFNumberOfTiles(tiff);
    positions = std::uint64_t{DivideRoundingUp(cut.Width, cut.ChunkWidth)} *
                DivideRoundingUp(cut.Height, cut.ChunkHeight);
  } else {
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || TIFFScanlineSize64(tiff) != std::uint64_t{cut.Width} * samples) {
      return std::nullopt;
    }
    cut.ChunkWidth = cut.Width;
    cut.ChunkHeight = std::min(rowsPerStrip, cut.Height);
    chunks = TIFFNumberOfStrips(tiff);
    positions = DivideRoundingUp(cut.Height, cut.ChunkHeight);
  }
  if (chunks != positions) return std::nullopt;
  return cut;
}

// Four sample bytes in libtiff's RGBA packing: the first in bits 0-7 (a little-endian load,
// as Raster32 assumes).
std::uint32_t FourSamples(const std::uint8_t* at) {
  std::uint32_t samples;
  std::memcpy(&samples, at, 4);
  return samples;
}

#if CZ_VECTOR_PATHS
// RGB pixels [0, groups × 4) widened four at a time (SSSE3 byte shuffles), the last group
// first, under ConvertPixels's rule for `to` starting where `from` does: a group reads its
// 16 bytes before it writes its 16, and the groups after it wrote from 4 bytes beyond its
// last read on. Each group reads 4 bytes past its samples.
__attribute__((target("ssse3"))) void WidenRgbGroups(const std::uint8_t* from, std::uint32_t* to,
                                                     std::size_t groups) {
  // Blue, green, red of each pixel, then an empty byte that alpha fills.
  const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (std::size_t g = groups; g-- > 0;) {
    const __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12 * g));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * g),
                     _mm_or_si128(_mm_shuffle_epi8(samples, order), opaque));
  }
}
#endif

// How many leading groups of four of count RGB pixels WidenRgbGroups may take: their reads
// must stay within the 3 × count + 1 bytes ConvertPixels may read.
std::size_t WideGroups(std::size_t count) {
#if CZ_VECTOR_PATHS
  if (count >= 5 && ProcessorHasSsse3()) return (count - 5) / 4 + 1;
#endif
  (void)count;
  return 0;
}

// Turns count pixels of file samples at `from` into raster pixels at `to`, last pixel first:
// `to` may start where `from` does (a strip decoded into the rows it fills), as a pixel's
// samples are read before its own or any later pixel's bytes are written. RGB samples are
// read four bytes at a time, so one byte beyond the last pixel's must be readable. With
// kNoData, pixels whose colour samples are `noData` lose their alpha.
template <bool kNoData>
void ConvertPixels(const TiffDirectLayout& layout, const std::uint8_t* from, std::uint32_t* to,
                   std::size_t count, std::uint32_t noData) {
  const auto alphaOf = [noData](std::uint32_t samples, std::uint32_t pixel) {
    if constexpr (kNoData) {
      if ((samples & 0x00FFFFFFu) == noData) return pixel & 0x00FFFFFFu;
    }
    return pixel;
  };
  switch (layout.Kind) {
    case Samples::Rgb: {
      // Without nodata, the leading groups of four go sixteen bytes at a time, after the rest.
      const std::size_t groups = kNoData ? 0 : WideGroups(count);
      for (std::size_t i = count; i-- > 4 * groups;) {
        const std::uint32_t samples = FourSamples(from + 3 * i);
        to[i] = alphaOf(samples, 0xFF000000u | RasterPixelFromTiffRgba(samples));
      }
#if CZ_VECTOR_PATHS
      WidenRgbGroups(from, to, groups);
#endif
      break;
    }
    case Samples::AssociatedAlpha:
      for (std::size_t i = count; i-- > 0;) {
        const std::uint32_t samples = FourSamples(from + 4 * i);
        to[i] = alphaOf(samples, RasterPixelFromTiffRgba(samples));
      }
      break;
    case Samples::UnassociatedAlpha:
      for (std::size_t i = count; i-- > 0;) {
        const std::uint8_t* s = from + 4 * i;
        const std::uint8_t* times = layout.Premultiply.data() + std::size_t{s[3]} * 256;
        to[i] =
            alphaOf(FourSamples(s), std::uint32_t{s[3]} << 24 | std::uint32_t{times[s[0]]} << 16 |
                                        std::uint32_t{times[s[1]]} << 8 | times[s[2]]);
      }
      break;
    case Samples::Indexed:
      for (std::size_t i = count; i-- > 0;) to[i] = layout.Colours[from[i]];
      break;
  }
}

void ToRasterPixels(const TiffDirectLayout& layout, const std::uint8_t* from, std::uint32_t* to,
                    std::size_t count) {
  if (layout.NoDataSamples) {
    ConvertPixels<true>(layout, from, to, count, *layout.NoDataSamples);
  } else {
    ConvertPixels<false>(layout, from, to, count, 0);
  }
}

// Strips [first, end): each decoded into the rows it covers, then widened in place.
void DecodeStrips(const TiffDirectLayout& layout, TIFF* tiff, Raster32& raster, std::uint32_t first,
                  std::uint32_t end) {
  const Cut& cut = layout.Chunks;
  for (std::uint32_t strip = first; strip < end; ++strip) {
    // Below Height: there are Height / rows strips, rounded up.
    const std::uint32_t y = strip * cut.ChunkHeight;
    const std::uint32_t rows = std::min(cut.ChunkHeight, cut.Height - y);
    const std::size_t pixels = std::size_t{cut.Width} * rows;
    const auto bytes = static_cast<tmsize_t>(pixels * cut.SamplesPerPixel);
    std::uint32_t* at = raster.Row(static_cast<std::int32_t>(y));
    if (TIFFReadEncodedStrip(tiff, strip, at, bytes) == bytes) {
      ToRasterPixels(layout, reinterpret_cast<const std::uint8_t*>(at), at, pixels);
    } else {
      std::fill_n(at, pixels, 0u);  // black, whatever the decoder left there
    }
  }
}

// Rows of tiles [first, end), each tile through the band's own buffer.
void DecodeTileRows(const TiffDirectLayout& layout, TIFF* tiff, Raster32& raster,
                    std::uint32_t first, std::uint32_t end) {
  const Cut& cut = layout.Chunks;
  const std::size_t tileRowBytes = std::size_t{cut.ChunkWidth} * cut.SamplesPerPixel;
  const auto tileBytes = static_cast<tmsize_t>(tileRowBytes * cut.ChunkHeight);
  // One byte more than a tile: see ToRasterPixels.
  std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes) + 1);
  for (std::uint32_t tileRow = first; tileRow < end; ++tileRow) {
    const std::uint32_t y = tileRow * cut.ChunkHeight;
    const std::uint32_t rows = std::min(cut.ChunkHeight, cut.Height - y);
    for (std::uint32_t x = 0, columns = 0; x < cut.Width; x += columns) {
      columns = std::min(cut.ChunkWidth, cut.Width - x);
      // A tile that fails to decode leaves its pixels as allocated: black.
      if (TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, x, y, 0, 0), tile.data(), tileBytes) !=
          tileBytes) {
        continue;
      }
      for (std::uint32_t r = 0; r < rows; ++r) {
        ToRasterPixels(layout, tile.data() + r * tileRowBytes,
                       raster.Row(static_cast<std::int32_t>(y + r)) + x, columns);
      }
    }
  }
}

struct RgbaImageEnd {
  void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

}  // namespace

std::optional<TiffDirectLayout> FindTiffDirectLayout(TIFF* tiff, std::uint64_t maxBytes) {
  std::uint16_t bits = 0, planes = 0, orientation = 0, compression = 0, photometric = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planes);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
  // Without the tag the RGBA interface guesses the colours; old-style JPEG decodes to
  // colours of its own. Both stay with the RGBA interface.
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) || bits != 8 ||
      planes != PLANARCONFIG_CONTIG || orientation != ORIENTATION_TOPLEFT ||
      compression == COMPRESSION_OJPEG) {
    return std::nullopt;
  }
  const std::optional<Cut> cut = ChunkCutOf(tiff);
  if (!cut) return std::nullopt;
  const std::uint32_t samples = cut->SamplesPerPixel;
  const bool indexed = photometric == PHOTOMETRIC_MINISBLACK ||
                       photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_PALETTE;
  if (!(indexed && samples == 1) &&
      !(photometric == PHOTOMETRIC_RGB && samples >= 3 && samples <= 4)) {
    return std::nullopt;
  }
  if (cut->Tiled) {
    const std::uint64_t tileBytes = std::uint64_t{cut->ChunkWidth} * cut->ChunkHeight * samples;
    if (tileBytes > maxBytes || tileBytes > kMostTileBytes) return std::nullopt;
  }

  // libtiff's own reading of the layout decides the alpha and gives the maps, so that the
  // pixels are the RGBA interface's by construction.
  TIFFRGBAImage image{};
  char reason[1024] = "";
  if (!TIFFRGBAImageBegin(&image, tiff, 0, reason)) return std::nullopt;
  const std::unique_ptr<TIFFRGBAImage, RgbaImageEnd> end(&image);
  if (!image.isContig || image.bitspersample != 8 || image.photometric != photometric ||
      image.put.any == nullptr) {
    return std::nullopt;
  }
  TiffDirectLayout layout;
  layout.Chunks = *cut;
  const std::optional<std::uint32_t> noData = NoDataSampleBits(TiffNoDataValue(tiff), 8, false);
  if (indexed) {
    std::uint32_t** map = photometric == PHOTOMETRIC_PALETTE ? image.PALmap : image.BWmap;
    if (map == nullptr) return std::nullopt;
    layout.Kind = Samples::Indexed;
    layout.Colours.resize(256);
    for (std::size_t v = 0; v < 256; ++v) layout.Colours[v] = RasterPixelFromTiffRgba(map[v][0]);
    if (noData) layout.Colours[*noData] &= 0x00FFFFFFu;
  } else if (samples == 3 && image.alpha == 0) {
    layout.Kind = Samples::Rgb;
  } else if (samples == 4 && image.alpha == EXTRASAMPLE_ASSOCALPHA) {
    layout.Kind = Samples::AssociatedAlpha;
  } else if (samples == 4 && image.alpha == EXTRASAMPLE_UNASSALPHA && image.UaToAa != nullptr) {
    layout.Kind = Samples::UnassociatedAlpha;
    layout.Premultiply.assign(image.UaToAa, image.UaToAa + 256 * 256);
  } else {
    return std::nullopt;
  }
  if (noData && !indexed) layout.NoDataSamples = *noData * 0x010101u;
  return layout;
}

void DecodeTiffDirect(const TiffDirectLayout& layout, TIFF* first,
                      const std::function<TiffHandle()>& reopen, Raster32& raster, int threads) {
  const Cut& cut = layout.Chunks;
  // Rows of chunks: strips, or rows of tiles. Each band takes a contiguous run of them.
  const std::uint32_t chunkRows = DivideRoundingUp(cut.Height, cut.ChunkHeight);
  const auto bands = static_cast<std::size_t>(std::clamp<std::int64_t>(threads, 1, chunkRows));
  OrderedParallel<bool> decoded(
      bands, static_cast<int>(bands), bands, [&](std::size_t band, int /*worker*/) {
        const auto from = static_cast<std::uint32_t>(band * chunkRows / bands);
        const auto to = static_cast<std::uint32_t>((band + 1) * chunkRows / bands);
        TiffHandle own;
        TIFF* tiff = first;
        if (band != 0) {
          own = reopen();
          if (ChunkCutOf(own.get()) != cut) throw CartozenError(kTiffChangedText);
          tiff = own.get();
        }
        if (cut.Tiled) {
          DecodeTileRows(layout, tiff, raster, from, to);
        } else {
          DecodeStrips(layout, tiff, raster, from, to);
        }
        return true;
      });
  for (std::size_t band = 0; band < bands; ++band) decoded.Next();
}

}  // namespace cz
