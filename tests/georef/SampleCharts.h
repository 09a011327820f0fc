#pragma once
// Two GeoTIFF charts in different projections, for the georeference and tile tests.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "georef/SampleGeoTiff.h"

namespace cz::testing {

struct ChartCase {
  const char* name;
  SampleGeoTiff chart;
  std::int32_t nLon, nLat;  // the grid the chart must give
  double top, left;         // its north-west intersection
};

// Both about 1:2,000,000 charts at 400 m per pixel, centred on 47° N 8° E.
const ChartCase kCharts[] = {
    {"Lambert",
     {"+proj=lcc +lat_1=44 +lat_2=50 +lat_0=47 +lon_0=8 +datum=WGS84 +units=m +no_defs", 0, -140000,
      145000, 400, 700, 725, false},
     2,
     2,
     48,
     7},
    {"TransverseMercator",
     {"+proj=tmerc +lat_0=0 +lon_0=9 +k=0.9996 +x_0=500000 +y_0=0 +datum=WGS84 +units=m", 0, 340000,
      5335000, 400, 600, 650, false},
     3,
     2,
     48,
     7},
    // Coordinates in survey feet. (No false easting: libgeotiff's writer stores a PROJ
    // string's x_0, which is in metres, as if it were in feet.)
    {"TransverseMercatorInFeet",
     {"+proj=tmerc +lat_0=0 +lon_0=9 +k=0.9996 +x_0=0 +y_0=0 +datum=WGS84 +units=us-ft", 0,
      -160000 / 0.3048006096, 5335000 / 0.3048006096, 400 / 0.3048006096, 600, 650, false},
     3,
     2,
     48,
     7},
};

// A chart in the projected system proj round neatLine (written with its collar, as
// WriteSampleGeoTiff(chart, path, neatLine)): margin model units of collar all round the neat
// line's extent, pixelSize units per pixel.
inline SampleGeoTiff CollaredChart(const std::string& proj, const LatLonBox& neatLine,
                                   double pixelSize, double margin) {
  // Model coordinates through a chart of one unit per pixel: X = x + ½, Y = −(y + ½).
  const ChartProjection model =
      ChartProjection::Make(proj, {1, 0, 0, 0, -1, 0}, false, 2, 2, "extent");
  double left = INFINITY, right = -INFINITY, top = -INFINITY, bottom = INFINITY;
  constexpr int kSamples = 64;
  for (int k = 0; k <= kSamples; ++k) {
    const double f = double(k) / kSamples;
    const double lat = neatLine.South + f * (neatLine.North - neatLine.South);
    const double lon = neatLine.West + f * (neatLine.East - neatLine.West);
    for (const LatLon p : {LatLon{lat, neatLine.West}, LatLon{lat, neatLine.East},
                           LatLon{neatLine.North, lon}, LatLon{neatLine.South, lon}}) {
      const ChartPixel at = *model.PixelOf(p);
      left = std::min(left, at.X + 0.5), right = std::max(right, at.X + 0.5);
      top = std::max(top, -(at.Y + 0.5)), bottom = std::min(bottom, -(at.Y + 0.5));
    }
  }
  SampleGeoTiff chart{proj, 0, 0, 0, pixelSize, 2, 2, false};
  chart.Left = std::floor((left - margin) / pixelSize) * pixelSize;
  chart.Top = std::ceil((top + margin) / pixelSize) * pixelSize;
  chart.Width = static_cast<int>(std::ceil((right + margin - chart.Left) / pixelSize));
  chart.Height = static_cast<int>(std::ceil((chart.Top - bottom + margin) / pixelSize));
  return chart;
}

}  // namespace cz::testing
