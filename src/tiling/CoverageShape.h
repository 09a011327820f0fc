#pragma once
// Which chart positions a chart's coverage (geo/ChartCoverage.h) holds, in chart pixels: the
// image bounds, narrowed by the polygon and by the chart's transparency. (The box is a matter
// of latitude and longitude and is tested where they are known: CoveredTiles.h.)
//
// A position (x, y) is covered when it lies within the image as bilinear sampling reads it
// (0 ≤ x ≤ width − 1, 0 ≤ y ≤ height − 1) and the nearest pixel is inside the polygon (its
// centre, the integer point, inside or on an edge) and, with transparency, not of alpha 0.
// The polygon is rasterised once into spans per chart row, so a test costs a few comparisons.

#include <cstdint>
#include <string>
#include <vector>

#include "geo/ChartCoverage.h"
#include "imaging/Raster32.h"

namespace cz {

// Why a polygon cannot be a coverage, or empty when it can: fewer than three points, or two of
// its edges crossing or touching other than at the vertex they share.
std::string PolygonProblem(const std::vector<CoveragePoint>& polygon);

// The chart-pixel rectangle the coverage can reach (inclusive), within the image.
struct PixelBounds {
  std::int32_t Left = 0, Top = 0, Right = -1, Bottom = -1;
  bool Empty() const { return Right < Left || Bottom < Top; }
};

class CoverageShape {
 public:
  // chart must outlive the shape. The polygon is taken as given (PolygonProblem first).
  CoverageShape(const ChartCoverage& coverage, const Raster32& chart);
  // The shape of a chart of that size whose pixels are not at hand: its bounds are the same
  // (they never depend on pixels), but it cannot tell transparent pixels and covers them.
  // Enough to plan which cells a run reaches (PlanCoverageCells), never to draw.
  CoverageShape(const ChartCoverage& coverage, std::int32_t width, std::int32_t height);

  bool Covers(double x, double y) const {
    if (!(x >= 0 && y >= 0 && x <= lastX_ && y <= lastY_)) return false;
    const auto px = static_cast<std::int32_t>(x + 0.5);
    const auto py = static_cast<std::int32_t>(y + 0.5);
    if (transparency_ && chart_ && AlphaOf(chart_->At(px, py)) == 0) return false;
    return !polygon_ || InPolygon(px, py);
  }

  const PixelBounds& Bounds() const { return bounds_; }
  // Whether the shape is the image bounds alone (no polygon, no transparency), so that the
  // covered part of a line of positions is one stretch found without testing each position.
  bool ImageOnly() const { return !polygon_ && !transparency_; }
  double LastX() const { return lastX_; }
  double LastY() const { return lastY_; }

 private:
  bool InPolygon(std::int32_t x, std::int32_t y) const;

  const Raster32* chart_;  // null: the pixels are not at hand
  double lastX_ = -1, lastY_ = -1;
  bool transparency_ = false;
  bool polygon_ = false;
  PixelBounds bounds_;
  // Spans of row bounds_.Top + k: spans_[rowStart_[k] .. rowStart_[k + 1]), sorted pairs of
  // first and last covered column.
  std::vector<std::uint32_t> rowStart_;
  std::vector<std::int32_t> spans_;
};

}  // namespace cz
