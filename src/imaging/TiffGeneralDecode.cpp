#include "imaging/TiffGeneralDecode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "imaging/Raster32.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"

namespace cz {
namespace {

// The interpretations a refusal names. Those the RGBA interface reads in some layouts name the
// samples too, as it is the samples that keep this file out.
struct Photometric {
  std::uint16_t Code;
  const char* Name;
  bool ReadInSomeLayouts;
};
constexpr Photometric kPhotometrics[] = {
    {PHOTOMETRIC_PALETTE, "palette", true}, {PHOTOMETRIC_MASK, "transparency mask", false},
    {PHOTOMETRIC_SEPARATED, "CMYK", true},  {PHOTOMETRIC_YCBCR, "YCbCr", true},
    {PHOTOMETRIC_CIELAB, "CIELAB", true},   {PHOTOMETRIC_ICCLAB, "ICCLAB", false},
    {PHOTOMETRIC_ITULAB, "ITULAB", false},  {PHOTOMETRIC_CFA, "colour filter array", false},
    {PHOTOMETRIC_LOGL, "LogL", true},       {PHOTOMETRIC_LOGLUV, "LogLuv", true},
};

std::string PhotometricRefusal(std::uint16_t photometric, std::uint16_t bits, std::uint16_t format,
                               std::uint16_t samples) {
  for (const Photometric& p : kPhotometrics) {
    if (p.Code != photometric) continue;
    std::string text =
        "the photometric interpretation (" + std::string(p.Name) + ") is not supported";
    if (p.ReadInSomeLayouts) {
      text += " with " + TiffSampleText(bits, format) + " samples, " + std::to_string(samples) +
              " per pixel";
    }
    return text;
  }
  return "the photometric interpretation (number " + std::to_string(photometric) +
         ") is not supported";
}

// "1 colour sample", "5 colour samples".
std::string ColourSamples(int count) {
  return std::to_string(count) + (count == 1 ? " colour sample" : " colour samples");
}

std::optional<std::uint64_t> Product(std::uint64_t a, std::uint64_t b) {
  std::uint64_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
  return product;
}

// The bytes a chunk takes in one plane: a row, or a whole tile.
std::uint64_t ChunkBytes(const TiffGeneralLayout& layout) {
  return layout.Tiled ? layout.RowBytes * layout.ChunkHeight : layout.RowBytes;
}

// Rows of picture segments as the file yields them, each row of a chunk handed over with a
// pointer into every plane read.
using SegmentVisit = std::function<void(const std::uint8_t* const* planes, std::uint32_t x,
                                        std::uint32_t y, std::uint32_t pixels)>;

class SegmentReader {
 public:
  SegmentReader(const TiffGeneralLayout& layout, TIFF* first,
                const std::function<TiffHandle()>& reopen)
      : layout_(layout) {
    const auto chunkBytes = static_cast<std::size_t>(ChunkBytes(layout));
    for (int plane = 0; plane < layout.Planes; ++plane) {
      buffers_[plane].resize(chunkBytes);
      planes_[plane] = buffers_[plane].data();
      tiff_[plane] = first;
      // Scanline reading keeps one strip open per handle: planes of strips need their own.
      if (plane > 0 && !layout.Tiled) {
        own_[plane] = reopen();
        std::string refusal;
        if (FindTiffGeneralLayout(own_[plane].get(), refusal) != layout) {
          throw CartozenError(kTiffChangedText);
        }
        tiff_[plane] = own_[plane].get();
      }
    }
  }

  // Visits every segment that decodes, in file order. False when none did; FirstFailure()
  // then names the first chunk that failed.
  bool Walk(const SegmentVisit& visit) {
    return layout_.Tiled ? WalkTiles(visit) : WalkStrips(visit);
  }
  const std::string& FirstFailure() const { return firstFailure_; }

 private:
  std::uint16_t SampleOf(int plane) const {
    return static_cast<std::uint16_t>(layout_.Planes > 1 ? plane : 0);
  }
  void NoteFailure(const char* chunk, std::uint32_t index) {
    if (firstFailure_.empty()) {
      firstFailure_ = std::string(chunk) + " " + std::to_string(index) + " cannot be decoded";
    }
  }

  bool WalkStrips(const SegmentVisit& visit) {
    bool any = false;
    // A plane whose row failed skips the rest of that strip: a decoder that failed in a
    // strip delivers nothing trustworthy after the failure.
    std::array<std::uint64_t, 4> skipUntil{};
    for (std::uint32_t y = 0; y < layout_.Height; ++y) {
      bool whole = true;
      for (int plane = 0; plane < layout_.Planes; ++plane) {
        if (y < skipUntil[plane]) {
          whole = false;
        } else if (TIFFReadScanline(tiff_[plane], buffers_[plane].data(), y, SampleOf(plane)) < 0) {
          whole = false;
          NoteFailure("strip", TIFFComputeStrip(tiff_[plane], y, SampleOf(plane)));
          skipUntil[plane] = std::uint64_t{y} - y % layout_.ChunkHeight + layout_.ChunkHeight;
        }
      }
      if (whole) {
        visit(planes_.data(), 0, y, layout_.Width);
        any = true;
      }
    }
    return any;
  }

  bool WalkTiles(const SegmentVisit& visit) {
    bool any = false;
    const auto tileBytes = static_cast<tmsize_t>(ChunkBytes(layout_));
    TIFF* tiff = tiff_[0];
    std::array<const std::uint8_t*, 4> rows{};
    // 64-bit positions: a tile's end may lie past 2^32.
    for (std::uint64_t y = 0; y < layout_.Height; y += layout_.ChunkHeight) {
      const auto rowCount = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(layout_.ChunkHeight, layout_.Height - y));
      for (std::uint64_t x = 0; x < layout_.Width; x += layout_.ChunkWidth) {
        const auto columns = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(layout_.ChunkWidth, layout_.Width - x));
        bool whole = true;
        for (int plane = 0; plane < layout_.Planes && whole; ++plane) {
          const std::uint32_t tile =
              TIFFComputeTile(tiff, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0,
                              SampleOf(plane));
          if (TIFFReadEncodedTile(tiff, tile, buffers_[plane].data(), tileBytes) != tileBytes) {
            whole = false;
            NoteFailure("tile", tile);
          }
        }
        if (!whole) continue;
        any = true;
        for (std::uint32_t r = 0; r < rowCount; ++r) {
          for (int plane = 0; plane < layout_.Planes; ++plane) {
            rows[plane] = buffers_[plane].data() + r * layout_.RowBytes;
          }
          visit(rows.data(), static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y) + r,
                columns);
        }
      }
    }
    return any;
  }

  const TiffGeneralLayout& layout_;
  std::array<TiffHandle, 4> own_;
  std::array<TIFF*, 4> tiff_{};
  std::array<std::vector<std::uint8_t>, 4> buffers_;
  std::array<const std::uint8_t*, 4> planes_{};
  std::string firstFailure_;
};

}  // namespace

std::optional<TiffGeneralLayout> FindTiffGeneralLayout(TIFF* tiff, std::string& refusal) {
  const auto refuse = [&refusal](std::string why) {
    refusal = std::move(why);
    return std::optional<TiffGeneralLayout>();
  };
  TiffGeneralLayout layout;
  std::uint16_t bits = 1, format = SAMPLEFORMAT_UINT, samples = 1, planar = PLANARCONFIG_CONTIG;
  std::uint16_t orientation = ORIENTATION_TOPLEFT, photometric = PHOTOMETRIC_MINISBLACK;
  std::uint16_t extraCount = 0;
  std::uint16_t* extraKinds = nullptr;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.Width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.Height);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
  const bool photometricGiven = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 0;
  const int colourSamples = int{samples} - int{extraCount};

  if (format == SAMPLEFORMAT_COMPLEXINT || format == SAMPLEFORMAT_COMPLEXIEEEFP) {
    return refuse("complex-valued samples are not supported");
  }
  const bool isFloat = format == SAMPLEFORMAT_IEEEFP;
  if (isFloat ? bits != 16 && bits != 32 && bits != 64 : bits < 1 || bits > 32) {
    return refuse(TiffSampleText(bits, format) + " samples are not supported");
  }
  if (!photometricGiven) {
    if (colourSamples != 1 && colourSamples != 3) {
      return refuse("the TIFF has no photometric interpretation and " +
                    ColourSamples(colourSamples) + " per pixel");
    }
    photometric = colourSamples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  if (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_MINISWHITE &&
      photometric != PHOTOMETRIC_RGB) {
    return refuse(PhotometricRefusal(photometric, bits, format, samples));
  }
  const bool rgb = photometric == PHOTOMETRIC_RGB;
  const int colours = rgb ? 3 : 1;
  if (colourSamples != colours) {
    return refuse(std::string("the ") + (rgb ? "RGB" : "grey") + " TIFF has " +
                  ColourSamples(colourSamples) + " per pixel, not " + std::to_string(colours));
  }

  SampleLayout& s = layout.Samples;
  s.Bits = bits;
  s.Format = isFloat                      ? SampleFormat::Float
             : format == SAMPLEFORMAT_INT ? SampleFormat::Signed
                                          : SampleFormat::Unsigned;
  s.ColourChannels = colours;
  s.MinIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
  // The RGBA interface's reading of the first extra sample (TIFFRGBAImageBegin).
  if (extraCount >= 1 && extraKinds != nullptr) {
    if (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA ||
        (extraKinds[0] == EXTRASAMPLE_UNSPECIFIED && samples > 3)) {
      s.Alpha = AlphaKind::Associated;
    } else if (extraKinds[0] == EXTRASAMPLE_UNASSALPHA) {
      s.Alpha = AlphaKind::Unassociated;
    }
  }
  const int channels = colours + (s.Alpha != AlphaKind::None ? 1 : 0);
  const bool separate = planar == PLANARCONFIG_SEPARATE && samples > 1;
  layout.Planes = separate ? channels : 1;
  for (int c = 0; c < channels; ++c) {
    s.Sources[c] = separate ? SampleLayout::Source{c, 0, 1}
                            : SampleLayout::Source{0, static_cast<std::uint32_t>(c), samples};
  }

  // The chunks, and a check that libtiff's rows are exactly as long as the samples need, as
  // the scaler reads them to their last bit.
  layout.Tiled = TIFFIsTiled(tiff) != 0;
  std::uint64_t libtiffRowBytes = 0;
  std::uint64_t libtiffChunkBytes = 0;
  if (layout.Tiled) {
    if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &layout.ChunkWidth) ||
        !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &layout.ChunkHeight) || layout.ChunkWidth == 0 ||
        layout.ChunkHeight == 0) {
      return refuse("the TIFF's tiles have no size");
    }
    libtiffRowBytes = TIFFTileRowSize64(tiff);
    libtiffChunkBytes = TIFFTileSize64(tiff);
  } else {
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0) return refuse("the TIFF's strips have no rows");
    layout.ChunkWidth = layout.Width;
    layout.ChunkHeight = std::min(rowsPerStrip, layout.Height);
    libtiffRowBytes = libtiffChunkBytes = TIFFScanlineSize64(tiff);
  }
  // Below 2^54: width < 2^32, samples < 2^16, bits <= 64.
  layout.RowBytes = (std::uint64_t{layout.ChunkWidth} * (separate ? 1 : samples) * bits + 7) / 8;
  const std::optional<std::uint64_t> chunkBytes =
      layout.Tiled ? Product(layout.RowBytes, layout.ChunkHeight) : layout.RowBytes;
  if (libtiffRowBytes != layout.RowBytes || !chunkBytes || libtiffChunkBytes != *chunkBytes) {
    return refuse("the TIFF's strips or tiles do not hold the samples its tags describe");
  }

  // As the RGBA interface reads the orientations (its setorientation).
  layout.MirrorRows = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_RIGHTBOT ||
                      orientation == ORIENTATION_BOTLEFT || orientation == ORIENTATION_LEFTBOT;
  layout.MirrorColumns = orientation == ORIENTATION_TOPRIGHT ||
                         orientation == ORIENTATION_RIGHTTOP ||
                         orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_RIGHTBOT;
  return layout;
}

void DecodeTiffGeneral(const TiffGeneralLayout& layout, TIFF* first,
                       const std::function<TiffHandle()>& reopen, Raster32& raster,
                       std::uint64_t maxBytes) {
  // The working set must fit beside the raster: chunk buffers for every plane, and the
  // scaler's rows and tables.
  const std::uint64_t rasterBytes = Raster32::RequiredBytes(layout.Width, layout.Height);
  const std::optional<std::uint64_t> buffers = Product(ChunkBytes(layout), layout.Planes);
  const std::uint64_t scaler = SampleScaler::WorkingBytes(layout.Samples, layout.ChunkWidth);
  const std::uint64_t room = maxBytes - std::min(maxBytes, rasterBytes);
  if (!buffers || *buffers > room || scaler > room - *buffers ||
      *buffers > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) {
    throw std::bad_alloc();
  }

  SegmentReader reader(layout, first, reopen);
  SampleScaler scale(layout.Samples, layout.ChunkWidth, TiffNoDataValue(first));
  if (layout.Samples.Format == SampleFormat::Float) {
    const bool any =
        reader.Walk([&](const std::uint8_t* const* planes, std::uint32_t, std::uint32_t,
                        std::uint32_t pixels) { scale.WidenRange(planes, pixels); });
    if (!any) throw CartozenError(reader.FirstFailure());
  }
  const std::uint32_t lastColumn = layout.Width - 1;
  const std::uint32_t lastRow = layout.Height - 1;
  const bool any = reader.Walk([&](const std::uint8_t* const* planes, std::uint32_t x,
                                   std::uint32_t y, std::uint32_t pixels) {
    std::uint32_t* row = raster.Row(static_cast<std::int32_t>(layout.MirrorRows ? lastRow - y : y));
    if (layout.MirrorColumns) {
      scale.ToRaster(planes, pixels, row + (lastColumn - x), -1);
    } else {
      scale.ToRaster(planes, pixels, row + x, 1);
    }
  });
  if (!any) throw CartozenError(reader.FirstFailure());
}

}  // namespace cz
