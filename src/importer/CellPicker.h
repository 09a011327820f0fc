#pragma once
// The import window's world map: the cell grid drawn on it and the picking of an 8 × 8 degree
// map cell by a click.
//
// The map is 640 × 320 pixels of plate carrée, 0.5625° per pixel, so one cell is 14.2222
// pixels each way: pixel (0, 0) is 90° N 180° W. The grid lines are drawn with the factor
// 14.22222 and the picker computes with 14.2222; both are kept as the window always had them.

#include <cstdint>
#include <string>
#include <vector>

namespace cz {

inline constexpr std::int32_t kWorldMapWidth = 640;
inline constexpr std::int32_t kWorldMapHeight = 320;
inline constexpr std::int32_t kCellColumns = 45;  // 0..44, west edges −180..172
inline constexpr std::int32_t kCellRows = 23;     // 0..22, north edges 90..−86

struct MapLine {
  std::int32_t X1, Y1, X2, Y2;  // from (X1, Y1) to (X2, Y2), both ends drawn
  bool operator==(const MapLine&) const = default;
};

// The white cell grid: 22 horizontal lines at y = round(14.22222 k), k = 1..22, from x 0 to
// 639, then 45 vertical lines at x = round(14.22222 k), k = 1..45, from y 0 to 319 (the last
// one, at x 640, falls just outside the picture).
std::vector<MapLine> WorldMapGridLines();

struct FrameRect {
  std::int32_t Left, Top, Right, Bottom;
  bool operator==(const FrameRect&) const = default;
};

// What a click on the world map picks.
struct PickedCell {
  std::int32_t Column;     // trunc(x / 14.2222)
  std::int32_t Row;        // trunc(y / 14.2222)
  std::int32_t WestEdge;   // 8 × column − 180
  std::int32_t NorthEdge;  // 90 − 8 × row
  std::string Name;        // cell name without extension, "W004N58"
  FrameRect Frame;         // the yellow frame, 3 pixels wide, drawn on the overlay
};

// Image1MouseDown's arithmetic for a click at picture pixel (x, y). A click outside the picture
// (possible on a window border) picks the nearest cell of the edge, never a cell that does not
// exist.
PickedCell PickCell(std::int32_t x, std::int32_t y);

// The cell's name without extension from its edges in whole degrees: "E004N58", "W180N90".
std::string CellNameWithoutExtension(std::int32_t westEdge, std::int32_t northEdge);

}  // namespace cz
