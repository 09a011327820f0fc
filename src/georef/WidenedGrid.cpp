#include "georef/WidenedGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "geo/Rounding.h"
#include "georef/GridLayout.h"
#include "platform/Error.h"

namespace cz {
namespace {

// A lattice of whole-degree lines: its north-west intersection and its steps.
struct Lattice {
  std::int32_t Top = 0;   // latitude of row 0
  std::int32_t Left = 0;  // longitude of column 0
  std::int32_t Rows = 0;  // steps of latitude
  std::int32_t Cols = 0;  // steps of longitude
};

// Extends a point function over a lattice into a manual grid.
using PointAt = std::function<std::optional<PixelPoint>(std::int32_t lat, std::int32_t lon)>;

WidenedGrid MakeGrid(const GeoReference& options, const Lattice& lattice, const PointAt& pointAt) {
  WidenedGrid widened;
  GeoReference& geo = widened.Geo;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.MapResolution = options.MapResolution;
  geo.ColorReduction = options.ColorReduction;
  geo.Dithering = options.Dithering;
  geo.NLat = lattice.Rows;
  geo.NLon = lattice.Cols;
  geo.GridTopLatitude = lattice.Top;
  geo.GridLeftLongitude = lattice.Left;
  for (std::int32_t r = 0; r <= lattice.Rows; ++r) {
    for (std::int32_t c = 0; c <= lattice.Cols; ++c) {
      const std::optional<PixelPoint> p = pointAt(lattice.Top - r, lattice.Left + c);
      if (!p) widened.Unplaced[static_cast<std::size_t>(c) * kGridSize + r] = true;
      geo.Grid[c][r] = {p ? p->X : 0, p ? p->Y : 0, static_cast<float>(lattice.Top - r), 1};
    }
  }
  const GridPoint& tl = geo.Grid[0][0];
  const GridPoint& br = geo.Grid[lattice.Cols][lattice.Rows];
  geo.TopLeft = {double(lattice.Top), double(lattice.Left), tl.X, tl.Y};
  geo.BottomRight = {double(lattice.Top - lattice.Rows), double(lattice.Left + lattice.Cols),
                     br.X, br.Y};
  return widened;
}

// The lattice clipped to the box (widened to whole degrees, taken in the lattice's longitudes)
// and to the earth's latitudes; its longitudes run on round 180° (geo/Antimeridian.h).
bool ClipLattice(Lattice& lattice, const std::optional<LatLonBox>& box) {
  std::int32_t top = lattice.Top, bottom = lattice.Top - lattice.Rows;
  std::int32_t left = lattice.Left, right = lattice.Left + lattice.Cols;
  if (box) {
    const LatLonBox near = box->Near(lattice.Left + lattice.Cols / 2.0);
    top = std::min<std::int32_t>(top, static_cast<std::int32_t>(std::ceil(near.North)));
    bottom = std::max<std::int32_t>(bottom, static_cast<std::int32_t>(std::floor(near.South)));
    left = std::max<std::int32_t>(left, static_cast<std::int32_t>(std::floor(near.West)));
    right = std::min<std::int32_t>(right, static_cast<std::int32_t>(std::ceil(near.East)));
  }
  top = std::min(top, 90), bottom = std::max(bottom, -90);
  if (top <= bottom || right <= left) return false;
  lattice = {top, left, top - bottom, right - left};
  return true;
}

std::optional<PixelPoint> ProjectedPoint(const ChartProjection& chart, double lat, double lon) {
  const std::optional<ChartPixel> p = chart.PixelOf({lat, lon});
  if (!p || !(std::fabs(p->X) < 1e9 && std::fabs(p->Y) < 1e9)) return std::nullopt;
  // An image of the point from outside the projection's domain does not map back onto it.
  const std::optional<LatLon> back = chart.PositionOf(*p);
  if (!back || std::abs(back->Latitude - lat) > 1e-6 ||
      std::abs(std::remainder(back->Longitude - lon, 360.0)) > 1e-6) {
    return std::nullopt;
  }
  return PixelPoint{RoundToInt32(p->X), RoundToInt32(p->Y)};
}

// The whole degrees the coverage bounds reach under the projection, one degree of margin for
// extremes between the samples (cells the coverage misses are left out later anyway).
std::optional<Lattice> ProjectedLattice(const ChartProjection& chart, const CoverageBounds& b) {
  constexpr int kSamples = 64;
  double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
  bool any = false;
  for (int i = 0; i <= kSamples; ++i) {
    for (int j = 0; j <= kSamples; ++j) {
      const double x = b.Left + (double(b.Right) - b.Left) * i / kSamples;
      const double y = b.Top + (double(b.Bottom) - b.Top) * j / kSamples;
      const std::optional<LatLon> p = chart.PositionOf({x, y});
      if (!p || !std::isfinite(p->Latitude) || !std::isfinite(p->Longitude)) continue;
      minLat = std::min(minLat, p->Latitude), maxLat = std::max(maxLat, p->Latitude);
      minLon = std::min(minLon, p->Longitude), maxLon = std::max(maxLon, p->Longitude);
      any = true;
    }
  }
  if (!any || maxLat > 90 || minLat < -90 || minLon < -540 || maxLon > 540) return std::nullopt;
  const auto top = static_cast<std::int32_t>(std::ceil(maxLat)) + 1;
  const auto bottom = static_cast<std::int32_t>(std::floor(minLat)) - 1;
  const auto left = static_cast<std::int32_t>(std::floor(minLon)) - 1;
  const auto right = static_cast<std::int32_t>(std::ceil(maxLon)) + 1;
  return Lattice{top, left, top - bottom, right - left};
}

// A point of the laid-out grid's lattice, also beyond it, for the methods without a
// projection. (c, r) are counted in the laid-out grid.
class GridContinuation {
 public:
  explicit GridContinuation(const GeoReference& geo) : geo_(geo) {
    if (geo.Method() != GeoReferencingMethod::ManualGrid) {
      GeoReference copy = geo;
      layout_ = LayoutReferenceGrid(copy);
    }
  }

  PixelPoint At(std::int32_t c, std::int32_t r) const {
    const std::int32_t n = geo_.NLon, m = geo_.NLat;
    if (c >= 0 && c <= n && r >= 0 && r <= m) return Point(c, r);
    if (layout_.LaidOut()) return LambertGridPoint(geo_, layout_, c, r);
    // The nearest cell's edges continued: one step of the outermost column or row per degree.
    const std::int32_t c0 = std::clamp(c, 0, n), r0 = std::clamp(r, 0, m);
    const std::int64_t dc = std::abs(c - c0), dr = std::abs(r - r0);
    const PixelPoint base = Point(c0, r0);
    const PixelPoint colFrom = Point(c < 0 ? 1 : n - 1, r0), colTo = Point(c < 0 ? 0 : n, r0);
    const PixelPoint rowFrom = Point(c0, r < 0 ? 1 : m - 1), rowTo = Point(c0, r < 0 ? 0 : m);
    const std::int64_t x = base.X + dc * (std::int64_t{colTo.X} - colFrom.X) +
                           dr * (std::int64_t{rowTo.X} - rowFrom.X);
    const std::int64_t y = base.Y + dc * (std::int64_t{colTo.Y} - colFrom.Y) +
                           dr * (std::int64_t{rowTo.Y} - rowFrom.Y);
    return {NarrowToInt32(x), NarrowToInt32(y)};
  }

 private:
  PixelPoint Point(std::int32_t c, std::int32_t r) const {
    return {geo_.Grid[c][r].X, geo_.Grid[c][r].Y};
  }
  const GeoReference& geo_;
  GridLayout layout_;
};

// Whether the cells between grid columns c0..c1 and rows r0..r1 of the continuation reach
// the bounds (by the rectangles round their corners).
bool BandReaches(const GridContinuation& grid, std::int32_t c0, std::int32_t c1, std::int32_t r0,
                 std::int32_t r1, const CoverageBounds& b) {
  std::int64_t left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
  for (std::int32_t c = c0; c <= c1; ++c) {
    for (std::int32_t r = r0; r <= r1; ++r) {
      const PixelPoint p = grid.At(c, r);
      left = std::min<std::int64_t>(left, p.X), right = std::max<std::int64_t>(right, p.X);
      top = std::min<std::int64_t>(top, p.Y), bottom = std::max<std::int64_t>(bottom, p.Y);
    }
  }
  return left <= b.Right && right >= b.Left && top <= b.Bottom && bottom >= b.Top;
}

}  // namespace

std::optional<WidenedGrid> WidenGrid(const GeoReference& laidOut, const CoverageBounds& bounds,
                                     const std::optional<LatLonBox>& box,
                                     const ChartProjection* projection) {
  if (projection) {
    std::optional<Lattice> lattice = ProjectedLattice(*projection, bounds);
    if (!lattice || !ClipLattice(*lattice, box)) return std::nullopt;
    if (lattice->Rows > kMaxGridSteps || lattice->Cols > kMaxGridSteps) {
      throw CartozenError("The coverage spans more than 63 degrees of latitude or longitude");
    }
    return MakeGrid(laidOut, *lattice, [projection](std::int32_t lat, std::int32_t lon) {
      return ProjectedPoint(*projection, lat, lon);
    });
  }
  if (laidOut.NLat <= 0 || laidOut.NLon <= 0) return std::nullopt;
  const GridContinuation grid(laidOut);
  const auto top = static_cast<std::int32_t>(std::nearbyint(laidOut.GridTopLatitude));
  const auto left = static_cast<std::int32_t>(std::nearbyint(laidOut.GridLeftLongitude));
  // Rings of cells added on each side, in grid columns and rows.
  std::int32_t west = 0, east = 0, north = 0, south = 0;
  Lattice limit{top + kMaxGridSteps, left - kMaxGridSteps, 2 * kMaxGridSteps, 2 * kMaxGridSteps};
  ClipLattice(limit, box);
  const std::int32_t limitBottom = limit.Top - limit.Rows, limitRight = limit.Left + limit.Cols;
  // One more ring on a side when the grid has room, it stays within the limit, and the band
  // of cells it adds reaches the bounds.
  const auto grow = [&](int side) {
    const std::int32_t c0 = -west, c1 = laidOut.NLon + east;
    const std::int32_t r0 = -north, r1 = laidOut.NLat + south;
    const bool roomLon = c1 - c0 < kMaxGridSteps, roomLat = r1 - r0 < kMaxGridSteps;
    switch (side) {
      case 0:
        if (!roomLon || left + c0 - 1 < limit.Left || !BandReaches(grid, c0 - 1, c0, r0, r1, bounds))
          return false;
        return ++west, true;
      case 1:
        if (!roomLon || left + c1 + 1 > limitRight || !BandReaches(grid, c1, c1 + 1, r0, r1, bounds))
          return false;
        return ++east, true;
      case 2:
        if (!roomLat || top - r0 + 1 > limit.Top || !BandReaches(grid, c0, c1, r0 - 1, r0, bounds))
          return false;
        return ++north, true;
      default:
        if (!roomLat || top - r1 - 1 < limitBottom || !BandReaches(grid, c0, c1, r1, r1 + 1, bounds))
          return false;
        return ++south, true;
    }
  };
  for (bool grew = true; grew;) {
    grew = false;
    for (int side = 0; side < 4; ++side) grew = grow(side) || grew;
  }
  const Lattice lattice{top + north, left - west, laidOut.NLat + north + south,
                        laidOut.NLon + west + east};
  return MakeGrid(laidOut, lattice, [&](std::int32_t lat, std::int32_t lon) {
    return std::optional<PixelPoint>(grid.At(lon - left, top - lat));
  });
}

bool GridIsChartProjection(const GeoReference& geo, const ChartProjection& projection) {
  if (geo.Method() != GeoReferencingMethod::ManualGrid || geo.NLat <= 0 || geo.NLon <= 0) {
    return false;
  }
  for (std::int32_t r = 0; r <= geo.NLat; ++r) {
    for (std::int32_t c = 0; c <= geo.NLon; ++c) {
      const std::optional<PixelPoint> p = ProjectedPoint(projection, geo.GridTopLatitude - r,
                                                         geo.GridLeftLongitude + c);
      if (!p || p->X != geo.Grid[c][r].X || p->Y != geo.Grid[c][r].Y) return false;
    }
  }
  return true;
}

}  // namespace cz
