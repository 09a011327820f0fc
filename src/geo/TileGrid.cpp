#include "geo/TileGrid.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace cz {

namespace {

constexpr std::array<GeoCoord, kTileLevelCount> kSteps = {kQuarterDegree, kHalfDegree, kOneDegree,
                                                          kTwoDegrees, kFourDegrees};
constexpr std::array<std::int32_t, kTileLevelCount> kColumns = {1440, 720, 360, 180, 90};
constexpr std::array<std::int32_t, kTileLevelCount> kRows = {720, 360, 180, 90, 45};
constexpr std::array<std::int32_t, kTileLevelCount> kCellSide = {32, 16, 8, 4, 2};
constexpr std::array<const char*, kTileLevelCount> kCaptions = {
    "0.25 degrees per tile", "0.5 degrees per tile", "1 degree per tile", "2 degrees per tile",
    "4 degrees per tile"};

// Level 4 is given whole: it departs from the cosine rule at rows 22 and 37, and the EFIS
// expects exactly these widths.
constexpr std::array<std::uint16_t, 45> kLevel4Widths = {
    20,  62,  104, 145, 185, 224, 263, 300, 335, 369, 401, 431, 459, 485, 508,
    529, 548, 563, 576, 586, 594, 598, 599, 598, 594, 586, 576, 563, 548, 529,
    508, 485, 459, 431, 401, 369, 335, 299, 263, 224, 185, 145, 104, 62,  20};

// Levels 0 to 3 follow the rule W = Trunc(600 × cos(row middle)); no entry lies near an
// integer boundary, so double precision gives the table exactly.
std::vector<std::uint16_t> WidthsByRule(TileLevel level) {
  const double stepDegrees = kSteps[level] / 180000.0;
  std::vector<std::uint16_t> widths(static_cast<std::size_t>(kRows[level]));
  for (std::int32_t row = 0; row < kRows[level]; ++row) {
    const double middle = 90.0 - (row + 0.5) * stepDegrees;
    widths[static_cast<std::size_t>(row)] =
        static_cast<std::uint16_t>(std::trunc(600.0 * std::cos(middle * M_PI / 180.0)));
  }
  return widths;
}

const std::vector<std::uint16_t>& WidthTable(TileLevel level) {
  static const std::array<std::vector<std::uint16_t>, kTileLevelCount> tables = {
      WidthsByRule(0), WidthsByRule(1), WidthsByRule(2), WidthsByRule(3),
      std::vector<std::uint16_t>(kLevel4Widths.begin(), kLevel4Widths.end())};
  return tables[level];
}

}  // namespace

GeoCoord TileStep(TileLevel level) { return kSteps[level]; }
std::int32_t TileColumns(TileLevel level) { return kColumns[level]; }
std::int32_t TileRows(TileLevel level) { return kRows[level]; }
std::int32_t TilesPerCellSide(TileLevel level) { return kCellSide[level]; }
const char* TileLevelCaption(TileLevel level) { return kCaptions[level]; }

TileSquare::TileSquare(TileLevel level, TilePosition position, std::int32_t width) : Width(width) {
  const std::int32_t columns = TileColumns(level);
  Step = double(TileStep(level)) / kOneDegree;
  West = -180 + (position % columns) * Step;
  North = 90 - (position / columns) * Step;
}

TilePosition TilePositionOf(TileLevel level, std::int32_t column, std::int32_t row) {
  const std::int32_t columns = kColumns[level];
  const std::int32_t onEarth = ((column % columns) + columns) % columns;
  return onEarth + row * columns;
}

std::uint16_t TileWidthOfRow(TileLevel level, std::int32_t row) {
  return WidthTable(level)[static_cast<std::size_t>(row)];
}

std::uint16_t TileWidthAt(GeoCoord latitude, std::uint8_t level) {
  if (level >= kTileLevelCount) return 100;
  const std::int64_t row = (16200001LL - latitude) / kSteps[level];
  // Latitudes at or past the south pole (or above the north pole) have no row; the nearest
  // row's width is the safe answer rather than a read outside the table.
  const std::int64_t clamped = row < 0 ? 0 : row >= kRows[level] ? kRows[level] - 1 : row;
  return TileWidthOfRow(level, static_cast<std::int32_t>(clamped));
}

std::string MapCellName(std::int32_t westEdge, std::int32_t northEdge,
                        std::string_view extension) {
  std::string name = westEdge < 0 ? "W" : "E";
  name += ZeroPad(std::abs(westEdge), 3);
  name += northEdge > 0 ? "N" : "S";
  name += ZeroPad(std::abs(northEdge), 2);
  name += '.';
  name += extension;
  return name;
}

MapCellSlot MapCellOfTile(TileLevel level, TilePosition position, std::string_view extension) {
  const std::int32_t n = kCellSide[level];
  const std::int32_t c = position % kColumns[level];
  const std::int32_t r = position / kColumns[level];
  const std::int32_t k = c / n;
  const std::int32_t j = r / n;
  return {MapCellName(8 * k - 180, 90 - 8 * j, extension), (c % n) + (r % n) * n};
}

MapCellPoint MapCellOfPoint(GeoCoord latitude, GeoCoord longitude, TileLevel level) {
  const GeoCoord step = kSteps[level];
  const std::int32_t k = (longitude + k180Degrees) / kEightDegrees;
  const std::int32_t j = (k90Degrees - latitude) / kEightDegrees;
  return {MapCellName(8 * k - 180, 90 - 8 * j, "MAP"),
          ((longitude + k180Degrees) % kEightDegrees) / step,
          ((k90Degrees - latitude) % kEightDegrees) / step};
}

}  // namespace cz
