#include "georef/Segments.h"

#include <cmath>

#include "geo/Rounding.h"

namespace cz {

namespace {

// The sign rule of the crossing test: zero counts as positive.
int Sign(double v) {
  return v >= 0.0 ? 1 : -1;
}

}  // namespace

SegmentCrossing IntersectSegments(PixelPoint p1, PixelPoint p2, PixelPoint p3, PixelPoint p4) {
  const double x1 = p1.X, y1 = p1.Y, x2 = p2.X, y2 = p2.Y;
  const double x3 = p3.X, y3 = p3.Y, x4 = p4.X, y4 = p4.Y;
  const double den = (x2 - x1) * (y4 - y3) - (y2 - y1) * (x4 - x3);
  const double na = (y1 - y3) * (x4 - x3) - (x1 - x3) * (y4 - y3);
  const double nb = (y1 - y3) * (x2 - x1) - (x1 - x3) * (y2 - y1);
  if (den == 0.0) return {};
  if (std::fabs(na) > std::fabs(den) || Sign(na) != Sign(den)) return {};
  if (std::fabs(nb) > std::fabs(den) || Sign(nb) != Sign(den)) return {};
  // 0 ≤ na / den ≤ 1 here, so the point lies within the bounding box of p1–p2.
  return {true, {RoundToInt32(x1 + (x2 - x1) * na / den), RoundToInt32(y1 + (y2 - y1) * na / den)}};
}

void ExtendSegment(PixelPoint a, PixelPoint& p, std::int32_t d) {
  if (p == a) return;
  const double dx = static_cast<double>(p.X) - a.X;
  const double dy = static_cast<double>(p.Y) - a.Y;
  const double s = dx / dy;  // ±infinity for a horizontal line, which the first branch takes
  if (std::fabs(s) >= 1.0) {
    // Step in x away from a. (Always stepping +d here would pull a line that runs to the
    // left back through a.)
    const double stepX = dx >= 0.0 ? d : -static_cast<double>(d);
    p.X = RoundToInt32(p.X + stepX);
    p.Y = RoundToInt32(p.Y + stepX / s);
  } else if (p.Y < a.Y) {
    p.Y = RoundToInt32(static_cast<double>(p.Y) - d);
    p.X = RoundToInt32(p.X - d * s);
  } else {
    p.Y = RoundToInt32(static_cast<double>(p.Y) + d);
    p.X = RoundToInt32(p.X + d * s);
  }
}

}  // namespace cz
