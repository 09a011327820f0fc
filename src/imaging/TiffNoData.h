#pragma once
// A GeoTIFF's nodata value: the GDAL_NODATA tag (42113, ASCII), the sample value that marks
// pixels that are not map. The TIFF readers load such pixels with alpha 0 and their colour
// unchanged: tiles ignore alpha, so a chart without coverage tiles as it always did, and with
// its coverage from transparency (geo/ChartCoverage.h) they lie outside its map area.
//
// The text comes from the file and is read strictly: up to its first NUL, between optional
// spaces or tabs, one number as std::from_chars reads it ("0", "-9999", "255.0",
// "-3.4028234663852886e+38", "nan", "inf"). Anything else (empty, junk, a number followed by
// more text, a tag that is not ASCII) is ignored: the image loads as if it had no nodata value.
//
// A pixel is nodata when every colour sample (the grey one, or all three of RGB; an alpha
// sample is not compared; a palette image's index) equals the value as the file stores it,
// before any scaling to 8 bits:
//   integer samples: the value must be a whole number within the samples' range (unsigned,
//     or signed two's complement), else no pixel matches;
//   float samples: equal as numbers, NaN matching NaN; for 16- and 32-bit floats the value is
//     first rounded to single precision, as a writer holding float samples wrote it.
// The direct and the general decoders apply it (TiffDirectDecode.h, TiffGeneralDecode.h).
// The layouts left to libtiff's RGBA interface (ReadTiffChart: 16-bit unsigned and 1-, 2-,
// 4-bit samples, CMYK, YCbCr, CIELAB, 8-bit images in planes or not oriented top-left) load
// without it: their samples are not seen before libtiff scales them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

typedef struct tiff TIFF;  // as tiffio.h has it: the scaler needs no libtiff

namespace cz {

// The value of a GDAL_NODATA text, or nothing as said above.
std::optional<double> ParseNoDataText(std::string_view text);

// The nodata value of the open file's current image, or nothing.
std::optional<double> TiffNoDataValue(TIFF* tiff);

// The nodata value of the TIFF at path (found without regard to case), or nothing when it has
// none or cannot be opened.
std::optional<double> ReadTiffNoData(const std::string& path);

// The raw bits of an integer sample of `bits` bits (1-32) that equal value, or nothing when no
// sample can.
std::optional<std::uint32_t> NoDataSampleBits(std::optional<double> value, int bits, bool isSigned);

// Writes text as the GDAL_NODATA tag of the image being written (tests, samples, corpora).
void WriteTiffNoData(TIFF* tiff, const std::string& text);

}  // namespace cz
