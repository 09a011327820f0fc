#pragma once
// The integer angle unit and the coordinate texts.
//
// GeoCoord counts 1/180000 of a degree (1 minute = 3000, 0.001 minute = 3; north and east
// positive). Texts are fixed width: latitude "N45°30.000" (10 characters), longitude
// "E008°30.500" (11 characters). "°" is U+00B0, two bytes in UTF-8; the parsers count
// characters, not bytes. Formatting drops up to 2 units (the thousandths of a minute are
// units / 3), so format-then-parse is exact only for multiples of 3.

#include <cstdint>
#include <string>
#include <string_view>

namespace cz {

using GeoCoord = std::int32_t;

inline constexpr GeoCoord kUnitsPerDegree = 180000;
inline constexpr GeoCoord kUnitsPerMinute = 3000;
inline constexpr GeoCoord kQuarterDegree = 45000;
inline constexpr GeoCoord kHalfDegree = 90000;
inline constexpr GeoCoord kOneDegree = 180000;
inline constexpr GeoCoord kTwoDegrees = 360000;
inline constexpr GeoCoord kFourDegrees = 720000;
inline constexpr GeoCoord kEightDegrees = 1440000;
inline constexpr GeoCoord k90Degrees = 16200000;
inline constexpr GeoCoord k180Degrees = 32400000;
inline constexpr GeoCoord k360Degrees = 64800000;

// degrees × 180000, rounded to nearest with ties to even (the product in extended precision).
GeoCoord DegreesToGeoCoord(double degrees);
double GeoCoordToDegrees(GeoCoord units);

std::string FormatLatitude(GeoCoord latitude);    // "N45°30.000"
std::string FormatLongitude(GeoCoord longitude);  // "E008°30.500"

// Inverse of the formats by fixed character positions. A first letter other than N/S (E/W),
// lower case included, gives 0; a field that is not a decimal number (say "4_") counts 0.
GeoCoord ParseLatitude(std::string_view text);
GeoCoord ParseLongitude(std::string_view text);

// The normalisation applied right after parsing typed text: latitudes clamp to ±90°,
// longitudes above 179°59'59.98" (or below −180°) move by one turn of 360°.
GeoCoord ClampLatitude(GeoCoord latitude);
GeoCoord WrapLongitude(GeoCoord longitude);

// Decimal text of value left-padded with "0" to at least width digits.
std::string ZeroPad(std::int32_t value, std::uint8_t width);

}  // namespace cz
