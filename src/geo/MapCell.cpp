#include "geo/MapCell.h"

namespace cz {

std::optional<MapCell> MapCellAtCorner(std::int32_t northEdge, std::int32_t westEdge) {
  // Differences in 64 bits: a corner typed near the integer limits must not wrap into range.
  const std::int64_t south = 90 - static_cast<std::int64_t>(northEdge);
  const std::int64_t east = static_cast<std::int64_t>(westEdge) + 180;
  if (south < 0 || east < 0 || south % 8 != 0 || east % 8 != 0) return std::nullopt;
  const MapCell cell{static_cast<std::int32_t>(south / 8), static_cast<std::int32_t>(east / 8)};
  if (cell.Row >= kMapCellRows || cell.Column >= kMapCellColumns) return std::nullopt;
  return cell;
}

MapCell MapCellOf(TileLevel level, TilePosition position) {
  const std::int32_t n = TilesPerCellSide(level);
  return {position / TileColumns(level) / n, position % TileColumns(level) / n};
}

std::string MapCellFileName(const MapCell& cell, std::string_view extension) {
  return cz::MapCellName(cell.WestEdge(), cell.NorthEdge(), extension);
}

std::string MapCellName(const MapCell& cell) {
  std::string name = MapCellFileName(cell, "");
  name.pop_back();  // the dot
  return name;
}

}  // namespace cz
