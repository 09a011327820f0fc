#pragma once
// The coverage of a chart: the part of its pixels that is map, as opposed to its collar
// (margins, legend, title block) and whatever lies beyond its neat line. It is the image
// bounds narrowed by any of:
// - a polygon of chart pixels drawn round the map area,
// - a latitude/longitude box (the neat line of most charts), which the chart's georeference
//   carries onto its pixels, so that a parallel on a conic chart is a curve there,
// - the chart's own transparency: pixels of alpha 0 (a GeoTIFF's nodata value loads so).
// A chart with none of these has no coverage: its tiles are made as they always were.
// Tiles of a chart with coverage are painted only where it covers them (CoveredTiles.h).

#include <cstdint>
#include <optional>
#include <vector>

#include "geo/Antimeridian.h"

namespace cz {

struct CoveragePoint {
  std::int32_t X = 0;  // chart pixel column
  std::int32_t Y = 0;  // chart pixel row
  friend bool operator==(const CoveragePoint&, const CoveragePoint&) = default;
};

// Degrees, east and north positive; North > South and East > West (a box across 180° has its
// East past 180, geo/Antimeridian.h).
struct LatLonBox {
  double North = 0.0;
  double South = 0.0;
  double West = 0.0;
  double East = 0.0;
  friend bool operator==(const LatLonBox&, const LatLonBox&) = default;

  bool Contains(double latitude, double longitude) const {
    return latitude <= North && latitude >= South && longitude >= West && longitude <= East;
  }
  // The same box moved by whole turns of longitude so that its middle lies within 180° of
  // longitude: the box in the longitudes of a grid or a tile there.
  LatLonBox Near(double longitude) const {
    const double shift = LongitudeNear((West + East) / 2, longitude) - (West + East) / 2;
    return {North, South, West + shift, East + shift};
  }
};

struct ChartCoverage {
  std::vector<CoveragePoint> Polygon;  // empty: no polygon; else at least three points
  std::optional<LatLonBox> Box;
  bool Transparency = false;  // pixels of alpha 0 lie outside

  bool Active() const { return !Polygon.empty() || Box.has_value() || Transparency; }
  friend bool operator==(const ChartCoverage&, const ChartCoverage&) = default;
};

}  // namespace cz
