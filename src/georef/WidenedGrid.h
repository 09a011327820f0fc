#pragma once
// The grid of a run for a chart with coverage: the laid-out grid widened by the one-degree
// cells around it that the coverage reaches, so that the tiles fill up to the coverage's edge
// and not only to the outermost whole-degree lines inside the chart.
//
// How the georeference is carried past the grid's outermost lines:
// - a chart of known projection (a GeoTIFF whose grid is its own): every intersection of the
//   widened lattice straight from the projection, as the grid's own points are;
// - the Lambert method: its own layout (LambertGridPoint), continued;
// - a manual grid: each point beyond continues the nearest cell's edges in straight lines
//   (one cell's width per degree, from the two outermost points of its row and column).
// The widened lattice spans the whole degrees that the coverage's pixel bounds reach, within
// the coverage's box when it has one, the earth's latitudes (longitudes run on round 180°,
// geo/Antimeridian.h), and the grid's 63 steps. Its points all lie
// inside the grid's 64 × 64; the result is a manual grid with every point flagged as placed,
// whose cells inside the original grid have exactly the original points.

#include <bitset>
#include <cstdint>
#include <optional>

#include "geo/ChartCoverage.h"
#include "geo/GeoReference.h"
#include "georef/GeoTiffReference.h"

namespace cz {

// The chart-pixel rectangle (inclusive) the coverage can reach.
struct CoverageBounds {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct WidenedGrid {
  GeoReference Geo;  // manual grid over the widened lattice, the options of the original
  // Points the projection could not place, [c × kGridSize + r]: their cells are left out.
  std::bitset<kGridSize * kGridSize> Unplaced;

  bool CellPlaced(std::int32_t c, std::int32_t r) const {
    const auto at = [this](std::int32_t cc, std::int32_t rr) {
      return !Unplaced[static_cast<std::size_t>(cc) * kGridSize + rr];
    };
    return at(c, r) && at(c + 1, r) && at(c, r + 1) && at(c + 1, r + 1);
  }
};

// laidOut: a georeference as the last layout left it (NLat, NLon, GridTopLatitude and
// GridLeftLongitude set; for a chart of known projection they may be 0, the lattice then
// comes from the projection alone). projection: the chart's own, when its grid is its own.
// Nothing when no cell at all is left.
std::optional<WidenedGrid> WidenGrid(const GeoReference& laidOut, const CoverageBounds& bounds,
                                     const std::optional<LatLonBox>& box,
                                     const ChartProjection* projection);

// Whether the grid points in use of geo are those the chart's projection gives (rounded as
// ChartGrid.h rounds them): the grid was taken from the chart and not edited since.
bool GridIsChartProjection(const GeoReference& geo, const ChartProjection& projection);

}  // namespace cz
