#pragma once
// Straight-line geometry on integer pixel positions, shared by the grid layout (the cone
// apex of the edge meridians) and the cell renderers (the crossing of a cell's diagonals).
//
// Arithmetic is in double precision from the integer inputs; results become pixels by Round
// (nearest, ties to even). Nothing here divides by zero or converts a NaN to an integer.

#include <cstdint>

namespace cz {

// A position in source (chart) pixels, or in view pixels where a function says so.
struct PixelPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct SegmentCrossing {
  bool Found = false;
  PixelPoint Point;  // (0, 0) when not found
};

// The crossing of segment p1–p2 with segment p3–p4.
//
// With den = (x2 − x1)(y4 − y3) − (y2 − y1)(x4 − x3), na = (y1 − y3)(x4 − x3) −
// (x1 − x3)(y4 − y3) and nb = (y1 − y3)(x2 − x1) − (x1 − x3)(y2 − y1), the segments cross
// when den ≠ 0, |na| ≤ |den|, |nb| ≤ |den| and both numerators have the sign of den, where a
// zero counts as positive. So a crossing at a segment's end counts, but when a numerator is 0
// only if den is positive. Parallel, colinear and coincident segments (den = 0) never cross.
// The point is p1 + (p2 − p1) × na / den, each coordinate rounded.
SegmentCrossing IntersectSegments(PixelPoint p1, PixelPoint p2, PixelPoint p3, PixelPoint p4);

// How far the grid layout pushes an edge meridian past its end to find the cone apex.
inline constexpr std::int32_t kExtendDistance = 500000;

// Moves p d pixels further along the line from a through p (p is changed in place). With
// s = (p.x − a.x) / (p.y − a.y): a line at 45° or flatter (|s| ≥ 1) steps d in x, away from
// a, and d / s in y; a steeper line steps d in y, away from a, and d × s in x. The new
// coordinates are rounded. p equal to a gives no direction and p stays where it is.
void ExtendSegment(PixelPoint a, PixelPoint& p, std::int32_t d = kExtendDistance);

}  // namespace cz
