#pragma once
// The fixed world grid of tiles and the 8 × 8 degree map cells.
//
// Conventions:
// - TileLevel 0..4 is 0.25, 0.5, 1, 2, 4 degrees per tile; a level mask has bit k for level k.
// - Column c counts eastward from 180° W, row r southward from 90° N; a tile is named by its
//   north-west corner. TilePosition = c + r × Columns. A column past either end names the
//   tile a whole turn round the earth: the grid of a chart across 180° runs on east of it
//   (geo/Antimeridian.h), and its tiles there are those from 180° W on.
// - A latitude on the border of two tile rows belongs to the row whose north edge it is
//   (the row below the border).
// - Every tile is 600 pixels tall; its nominal width W (the pitch at which tiles of a row join)
//   comes from a fixed per-level table indexed by row.
// - A map cell is 8° × 8°, west edges at −180 + 8k, north edges at 90 − 8j, named after its
//   north-west corner ("W004N58.MAP"). A point exactly on a cell's north or west edge belongs
//   to that cell.

#include <cstdint>
#include <string>
#include <string_view>

#include "geo/GeoCoord.h"

namespace cz {

using TileLevel = std::uint8_t;
using TilePosition = std::int32_t;

inline constexpr int kTileLevelCount = 5;
inline constexpr int kTileHeight = 600;

// Per-level constants; level must be 0..4.
GeoCoord TileStep(TileLevel level);              // 45000 .. 720000 units
std::int32_t TileColumns(TileLevel level);       // 1440, 720, 360, 180, 90
std::int32_t TileRows(TileLevel level);          // 720, 360, 180, 90, 45
std::int32_t TilesPerCellSide(TileLevel level);  // N = 32, 16, 8, 4, 2

// The dialogs' name of a level: "0.25 degrees per tile", ..., "4 degrees per tile".
const char* TileLevelCaption(TileLevel level);

// column is taken modulo Columns (see above); row must be within 0 .. Rows − 1.
TilePosition TilePositionOf(TileLevel level, std::int32_t column, std::int32_t row);

// W of the row containing latitude (callers pass a tile row's top latitude);
// row = (16200001 − latitude) div step. A level outside 0..4 yields 100.
std::uint16_t TileWidthAt(GeoCoord latitude, std::uint8_t level);

// The width table entry of a row (row within 0 .. TileRows(level) − 1).
std::uint16_t TileWidthOfRow(TileLevel level, std::int32_t row);

// Where a tile lies, in degrees: tile pixel (i, j) of a tile drawn width pixels wide stands
// for longitude West + i / Width × Step and latitude North − j / 600 × Step (integer pixel
// positions, not pixel centres).
struct TileSquare {
  TileSquare(TileLevel level, TilePosition position, std::int32_t width);
  double West = 0, North = 0, Step = 0;
  std::int32_t Width = 0;

  double Longitude(std::int32_t i) const { return West + double(i) / Width * Step; }
  double Latitude(std::int32_t j) const { return North - double(j) / kTileHeight * Step; }
};

// Cell name from west and north edges in whole degrees: "W004N58" + "." + extension.
std::string MapCellName(std::int32_t westEdge, std::int32_t northEdge, std::string_view extension);

struct MapCellSlot {
  std::string name;    // with extension, "E004N50.MAP"
  std::int32_t index;  // (c mod N) + (r mod N) × N
};
// The cell a tile lies in and its slot there. extension without the dot ("MAP").
MapCellSlot MapCellOfTile(TileLevel level, TilePosition position,
                          std::string_view extension = "MAP");

struct MapCellPoint {
  std::string name;     // always with ".MAP"
  std::int32_t column;  // tile column inside the cell
  std::int32_t row;     // tile row inside the cell
};
MapCellPoint MapCellOfPoint(GeoCoord latitude, GeoCoord longitude, TileLevel level);

}  // namespace cz
