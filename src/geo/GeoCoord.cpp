#include "geo/GeoCoord.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace cz {

GeoCoord DegreesToGeoCoord(double degrees) {
  const long double product = static_cast<long double>(degrees) * kUnitsPerDegree;
  // llrint rounds in the current mode (nearest, ties to even) and never has undefined
  // behaviour for out-of-range input, unlike a plain cast.
  return static_cast<GeoCoord>(std::llrint(product));
}

double GeoCoordToDegrees(GeoCoord units) { return units / 180000.0; }

namespace {

std::string FormatAngle(GeoCoord value, char positive, char negative, std::uint8_t degreeDigits) {
  const std::int32_t wholeMinutes = value / kUnitsPerMinute;
  const std::int32_t rest = value - wholeMinutes * kUnitsPerMinute;
  const std::int32_t degrees = std::abs(wholeMinutes / 60);
  const std::int32_t minutes = std::abs(wholeMinutes % 60);
  const std::int32_t thousandths = std::abs(rest / 3);
  std::string text(1, value < 0 ? negative : positive);
  text += ZeroPad(degrees, degreeDigits);
  text += "\xC2\xB0";
  text += ZeroPad(minutes, 2);
  text += '.';
  text += ZeroPad(thousandths, 3);
  return text;
}

// The text split into characters (UTF-8 sequences), so positions count characters.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> chars;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                           : (lead >> 3) == 0x1E ? 4 : 1;
    if (i + length > text.size()) length = text.size() - i;
    chars.push_back(text.substr(i, length));
    i += length;
  }
  return chars;
}

// Decimal value of characters [first, first + count) (1-based), 0 when they do not convert.
std::int32_t Field(const std::vector<std::string_view>& chars, std::size_t first,
                   std::size_t count) {
  std::int32_t value = 0;
  bool any = false;
  for (std::size_t pos = first; pos < first + count && pos <= chars.size(); ++pos) {
    const std::string_view c = chars[pos - 1];
    if (c.size() != 1 || c[0] < '0' || c[0] > '9') return 0;
    value = value * 10 + (c[0] - '0');
    any = true;
  }
  return any ? value : 0;
}

GeoCoord ParseAngle(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  const std::vector<std::string_view> chars = Characters(text);
  if (chars.empty()) return 0;
  int sign = 0;
  if (chars[0] == std::string_view(&positive, 1)) sign = 1;
  if (chars[0] == std::string_view(&negative, 1)) sign = -1;
  const std::size_t minutesAt = 2 + degreeDigits + 1;
  const std::int32_t degrees = Field(chars, 2, degreeDigits);
  const std::int32_t minutes = Field(chars, minutesAt, 2);
  const std::int32_t thousandths = Field(chars, minutesAt + 3, 3);
  return sign * (degrees * kUnitsPerDegree + minutes * kUnitsPerMinute + thousandths * 3);
}

}  // namespace

std::string FormatLatitude(GeoCoord latitude) { return FormatAngle(latitude, 'N', 'S', 2); }
std::string FormatLongitude(GeoCoord longitude) { return FormatAngle(longitude, 'E', 'W', 3); }

GeoCoord ParseLatitude(std::string_view text) { return ParseAngle(text, 'N', 'S', 2); }
GeoCoord ParseLongitude(std::string_view text) { return ParseAngle(text, 'E', 'W', 3); }

GeoCoord ClampLatitude(GeoCoord latitude) {
  if (latitude >= k90Degrees) return k90Degrees;
  if (latitude < -k90Degrees) return -k90Degrees;
  return latitude;
}

GeoCoord WrapLongitude(GeoCoord longitude) {
  if (longitude > k180Degrees - 1) return longitude - k360Degrees;
  if (longitude < -k180Degrees) return longitude + k360Degrees;
  return longitude;
}

std::string ZeroPad(std::int32_t value, std::uint8_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace cz
