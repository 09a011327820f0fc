#pragma once
// Writes small TIFF files of any layout libtiff can write, for the TIFF and GeoTIFF seeds.
// Samples are packed from Pattern() at the image's depth and format; floating-point images
// also hold NaN, infinities and values outside 0..1 in their first row.

#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cz::seeds {

struct TiffImage {
  std::uint32_t Width = 16;
  std::uint32_t Height = 16;
  std::uint16_t Bits = 8;
  std::uint16_t Samples = 3;
  std::uint16_t Format = SAMPLEFORMAT_UINT;
  std::uint16_t Photometric = PHOTOMETRIC_RGB;
  std::uint16_t Planar = PLANARCONFIG_CONTIG;
  std::uint16_t Compression = COMPRESSION_NONE;
  std::uint16_t Predictor = PREDICTOR_NONE;
  std::uint32_t TileSide = 0;  // 0: strips of RowsPerStrip rows
  std::uint32_t RowsPerStrip = 8;
  std::vector<std::uint16_t> ExtraSamples;
  std::uint16_t Orientation = ORIENTATION_TOPLEFT;
  bool ColourMapLooks8Bit = false;  // palette entries below 256, as some writers leave them
  std::uint16_t SubsamplingX = 0;   // YCbCr subsampling when not 0
  std::uint16_t SubsamplingY = 0;
  bool RawChunks = false;           // chunks filled with pattern bytes instead of packed samples
  bool NoPixels = false;            // the directory only: every strip offset and size 0
  std::function<void(TIFF*)> Tags;  // further tags, set before the pixels are written
};

// A TIFF of these pages. mode is libtiff's: "w" little-endian, "wb" big-endian, "w8" BigTIFF.
// Throws std::runtime_error when libtiff refuses to write it.
std::string TiffBytes(const std::vector<TiffImage>& pages, const char* mode = "w");

// The file with the value of a one-value SHORT or LONG tag of its first directory replaced
// (little-endian classic TIFF only), for directories libtiff would refuse to write.
std::string PatchTag(std::string tiff, std::uint16_t tag, std::uint32_t value);

// Whether this libtiff can write the compression scheme.
bool CanWrite(std::uint16_t compression);

}  // namespace cz::seeds
