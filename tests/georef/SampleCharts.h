#pragma once
// Two GeoTIFF charts in different projections, for the georeference and tile tests.

#include <cstdint>

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

}  // namespace cz::testing
