#include "imaging/TiffNoData.h"

#include <tiffio.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "imaging/ChartReaders.h"
#include "imaging/TiffFile.h"
#include "platform/FileSystem.h"

namespace cz {
namespace {

// libtiff has no entry for the tag (GDAL registers it itself): read back, it is an anonymous
// field; written, it needs this one.
const TIFFFieldInfo kNoDataField[] = {{TIFFTAG_GDAL_NODATA, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
                                       const_cast<char*>("GDALNoDataValue")}};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> ParseNoDataText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> TiffNoDataValue(TIFF* tiff) {
  const TIFFField* field = TIFFFindField(tiff, TIFFTAG_GDAL_NODATA, TIFF_ANY);
  if (field == nullptr || TIFFFieldDataType(field) != TIFF_ASCII) return std::nullopt;
  const char* text = nullptr;
  std::uint32_t count = 0;
  int found = 0;
  if (!TIFFFieldPassCount(field)) {
    found = TIFFGetField(tiff, TIFFTAG_GDAL_NODATA, &text);
    if (found && text != nullptr) count = static_cast<std::uint32_t>(std::strlen(text));
  } else if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
    found = TIFFGetField(tiff, TIFFTAG_GDAL_NODATA, &count, &text);
  } else {
    std::uint16_t shortCount = 0;
    found = TIFFGetField(tiff, TIFFTAG_GDAL_NODATA, &shortCount, &text);
    count = shortCount;
  }
  if (!found || text == nullptr) return std::nullopt;
  return ParseNoDataText(std::string_view(text, count));
}

std::optional<double> ReadTiffNoData(const std::string& path) {
  const TiffHandle tiff = OpenTiffForReading(ResolvePath(path), kNoByteLimit);
  if (!tiff) return std::nullopt;
  return TiffNoDataValue(tiff.get());
}

std::optional<std::uint32_t> NoDataSampleBits(std::optional<double> value, int bits,
                                              bool isSigned) {
  if (!value || !std::isfinite(*value) || std::floor(*value) != *value) return std::nullopt;
  const double span = std::ldexp(1.0, isSigned ? bits - 1 : bits);
  const double lowest = isSigned ? -span : 0;
  if (*value < lowest || *value > span - 1) return std::nullopt;
  const auto whole = static_cast<std::int64_t>(*value);
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole) & mask);
}

void WriteTiffNoData(TIFF* tiff, const std::string& text) {
  TIFFMergeFieldInfo(tiff, kNoDataField, 1);
  TIFFSetField(tiff, TIFFTAG_GDAL_NODATA, text.c_str());
}

}  // namespace cz
