#include "tiling/CoverageShape.h"

#include <algorithm>
#include <cmath>

namespace cz {
namespace {

using Wide = std::int64_t;

// The sign of the turn a → b → c: positive counter-clockwise (in pixel rows, clockwise on
// screen), 0 on one line.
int Turn(CoveragePoint a, CoveragePoint b, CoveragePoint c) {
  const Wide cross = (Wide{b.X} - a.X) * (Wide{c.Y} - a.Y) - (Wide{b.Y} - a.Y) * (Wide{c.X} - a.X);
  return (cross > 0) - (cross < 0);
}

bool OnSegment(CoveragePoint a, CoveragePoint b, CoveragePoint p) {
  return Turn(a, b, p) == 0 && std::min(a.X, b.X) <= p.X && p.X <= std::max(a.X, b.X) &&
         std::min(a.Y, b.Y) <= p.Y && p.Y <= std::max(a.Y, b.Y);
}

// Whether segments a–b and c–d have any point in common.
bool SegmentsMeet(CoveragePoint a, CoveragePoint b, CoveragePoint c, CoveragePoint d) {
  const int d1 = Turn(c, d, a), d2 = Turn(c, d, b), d3 = Turn(a, b, c), d4 = Turn(a, b, d);
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  return OnSegment(c, d, a) || OnSegment(c, d, b) || OnSegment(a, b, c) || OnSegment(a, b, d);
}

}  // namespace

std::string PolygonProblem(const std::vector<CoveragePoint>& polygon) {
  const std::size_t n = polygon.size();
  if (n < 3) return "a coverage polygon needs at least three points";
  const auto edgeText = [](std::size_t k) { return std::to_string(k + 1); };
  // Repeats first: an edge of no length would make its neighbours seem to cross.
  for (std::size_t i = 0; i < n; ++i) {
    if (polygon[i] == polygon[(i + 1) % n]) {
      return "point " + edgeText(i) + " of the coverage polygon repeats the next one";
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const CoveragePoint a = polygon[i], b = polygon[(i + 1) % n];
    for (std::size_t j = i + 1; j < n; ++j) {
      const CoveragePoint c = polygon[j], d = polygon[(j + 1) % n];
      const bool next = j == i + 1, wraps = i == 0 && j == n - 1;
      if (next || wraps) {
        // Neighbours share one vertex; they may only not fold back along each other.
        const CoveragePoint own = next ? a : c, shared = next ? b : a, far = next ? d : b;
        const Wide along = (Wide{shared.X} - own.X) * (Wide{far.X} - shared.X) +
                           (Wide{shared.Y} - own.Y) * (Wide{far.Y} - shared.Y);
        if (Turn(own, shared, far) == 0 && along < 0) {
          return "edges " + edgeText(i) + " and " + edgeText(j) +
                 " of the coverage polygon run back along each other";
        }
        continue;
      }
      if (SegmentsMeet(a, b, c, d)) {
        return "edges " + edgeText(i) + " and " + edgeText(j) + " of the coverage polygon cross";
      }
    }
  }
  return {};
}

CoverageShape::CoverageShape(const ChartCoverage& coverage, const Raster32& chart)
    : CoverageShape(coverage, chart.Width(), chart.Height()) {
  chart_ = &chart;
}

CoverageShape::CoverageShape(const ChartCoverage& coverage, std::int32_t width, std::int32_t height)
    : chart_(nullptr),
      lastX_(width - 1.0),
      lastY_(height - 1.0),
      transparency_(coverage.Transparency),
      polygon_(!coverage.Polygon.empty()) {
  bounds_ = {0, 0, width - 1, height - 1};
  if (!polygon_) return;
  const std::vector<CoveragePoint>& points = coverage.Polygon;
  std::int32_t top = points[0].Y, bottom = points[0].Y, left = points[0].X, right = points[0].X;
  for (const CoveragePoint& p : points) {
    top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
    left = std::min(left, p.X), right = std::max(right, p.X);
  }
  bounds_ = {std::max(left, 0), std::max(top, 0), std::min(right, bounds_.Right),
             std::min(bottom, bounds_.Bottom)};
  if (bounds_.Empty()) {
    bounds_ = {0, 0, -1, -1};
    rowStart_.assign(1, 0);
    return;
  }

  // Per row: the edges' crossings of the row line (half-open in y, so a vertex counts once),
  // paired into inside spans, and the pixels lying on an edge, which count as inside too.
  const std::size_t n = points.size();
  std::vector<double> crossings;
  std::vector<std::pair<std::int32_t, std::int32_t>> row;
  rowStart_.reserve(static_cast<std::size_t>(bounds_.Bottom - bounds_.Top) + 2);
  for (std::int32_t y = bounds_.Top; y <= bounds_.Bottom; ++y) {
    rowStart_.push_back(static_cast<std::uint32_t>(spans_.size() / 2));
    crossings.clear();
    row.clear();
    for (std::size_t k = 0; k < n; ++k) {
      const CoveragePoint a = points[k], b = points[(k + 1) % n];
      if (a.Y == b.Y) {
        if (a.Y == y) row.push_back({std::min(a.X, b.X), std::max(a.X, b.X)});
        continue;
      }
      const double x = a.X + (double(y) - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y);
      if ((a.Y <= y) != (b.Y <= y)) crossings.push_back(x);
      if (y >= std::min(a.Y, b.Y) && y <= std::max(a.Y, b.Y) && x == std::floor(x)) {
        const auto on = static_cast<std::int32_t>(x);
        row.push_back({on, on});
      }
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
      const double first = std::ceil(crossings[k]), last = std::floor(crossings[k + 1]);
      if (first <= last) {
        row.push_back({static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)});
      }
    }
    std::sort(row.begin(), row.end());
    std::int32_t openFirst = 0, openLast = 0;
    bool open = false;
    for (const auto& [first, last] : row) {
      if (open && first <= openLast + 1) {
        openLast = std::max(openLast, last);
        continue;
      }
      if (open) spans_.insert(spans_.end(), {openFirst, openLast});
      openFirst = first, openLast = last, open = true;
    }
    if (open) spans_.insert(spans_.end(), {openFirst, openLast});
  }
  rowStart_.push_back(static_cast<std::uint32_t>(spans_.size() / 2));
}

bool CoverageShape::InPolygon(std::int32_t x, std::int32_t y) const {
  if (y < bounds_.Top || y > bounds_.Bottom) return false;
  const std::size_t k = static_cast<std::size_t>(y - bounds_.Top);
  for (std::uint32_t s = rowStart_[k]; s < rowStart_[k + 1]; ++s) {
    if (x < spans_[2 * s]) return false;
    if (x <= spans_[2 * s + 1]) return true;
  }
  return false;
}

}  // namespace cz
