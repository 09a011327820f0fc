#pragma once
// The 8 × 8° map cell as a unit of work: a cell job draws only the tiles inside one cell and
// builds that cell's map file (workspace/CellJobs.h), so jobs of different cells write
// disjoint files.
//
// Conventions: a cell is named by its north-west corner, as its map file is: west edge
// −180 + 8 × Column (Column 0..44), north edge 90 − 8 × Row (Row 0..22; the cells of the last
// row reach only to 90° S). Every tile of every level lies inside exactly one cell: the tile
// sides (0.25° to 4°) divide 8° and all grids start at 180° W, 90° N. Cells order north to
// south, then west to east.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "geo/TileGrid.h"

namespace cz {

inline constexpr std::int32_t kMapCellColumns = 45;
inline constexpr std::int32_t kMapCellRows = 23;

struct MapCell {
  std::int32_t Row = 0;  // first, so that cells order north to south
  std::int32_t Column = 0;

  std::int32_t NorthEdge() const { return 90 - 8 * Row; }  // whole degrees
  std::int32_t WestEdge() const { return 8 * Column - 180; }
  auto operator<=>(const MapCell&) const = default;
};

// The cell whose north-west corner is (northEdge, westEdge) in whole degrees, or nothing when
// that is not a cell corner.
std::optional<MapCell> MapCellAtCorner(std::int32_t northEdge, std::int32_t westEdge);

// The cell a tile lies in; position must be a tile of the level.
MapCell MapCellOf(TileLevel level, TilePosition position);

// "E004N50" + "." + extension, the name of the cell's map file.
std::string MapCellFileName(const MapCell& cell, std::string_view extension);
// "E004N50": the cell's name without an extension.
std::string MapCellName(const MapCell& cell);

// The rule a person is told when a corner is refused.
inline constexpr char kMapCellCornerRule[] =
    "a map cell is named by its north-west corner in whole degrees: latitude 90 - 8j "
    "(90, 82, ..., -86), longitude -180 + 8k (-180, -172, ..., 172)";

}  // namespace cz
