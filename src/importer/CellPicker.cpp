#include "importer/CellPicker.h"

#include <algorithm>
#include <cmath>

#include "geo/TileGrid.h"

namespace cz {

namespace {

constexpr double kGridFactor = 14.22222;   // drawing the grid
constexpr double kPickerFactor = 14.2222;  // picking and framing

std::int32_t RoundToInt(double value) {
  return static_cast<std::int32_t>(std::nearbyint(value));
}

}  // namespace

std::vector<MapLine> WorldMapGridLines() {
  std::vector<MapLine> lines;
  lines.reserve(22 + 45);
  for (int k = 1; k <= 22; ++k) {
    const std::int32_t y = RoundToInt(kGridFactor * k);
    lines.push_back({0, y, kWorldMapWidth - 1, y});
  }
  for (int k = 1; k <= 45; ++k) {
    const std::int32_t x = RoundToInt(kGridFactor * k);
    lines.push_back({x, 0, x, kWorldMapHeight - 1});
  }
  return lines;
}

std::string CellNameWithoutExtension(std::int32_t westEdge, std::int32_t northEdge) {
  std::string name = MapCellName(westEdge, northEdge, "");
  name.pop_back();  // the "." before the empty extension
  return name;
}

PickedCell PickCell(std::int32_t x, std::int32_t y) {
  PickedCell cell;
  cell.Column =
      std::clamp(static_cast<std::int32_t>(std::trunc(x / kPickerFactor)), 0, kCellColumns - 1);
  cell.Row = std::clamp(static_cast<std::int32_t>(std::trunc(y / kPickerFactor)), 0, kCellRows - 1);
  cell.WestEdge = 8 * cell.Column - 180;
  cell.NorthEdge = 90 - 8 * cell.Row;
  cell.Name = CellNameWithoutExtension(cell.WestEdge, cell.NorthEdge);
  cell.Frame = {RoundToInt(cell.Column * kPickerFactor), RoundToInt(cell.Row * kPickerFactor),
                RoundToInt((cell.Column + 1) * kPickerFactor),
                RoundToInt((cell.Row + 1) * kPickerFactor)};
  return cell;
}

}  // namespace cz
