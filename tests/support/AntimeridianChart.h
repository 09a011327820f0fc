#pragma once
// A chart across 180° and the check of its tiles: a UTM zone 60 N GeoTIFF checker chart
// (SampleGeoTiff.h) of the western Aleutians, 49.8° to 53.2° N and 177.8° E to 177.8° W, at
// 250 m pixels; its grid runs from 178 to 182 (continuous longitudes, geo/Antimeridian.h), two
// cells on each side of the line. A tile shows it right where each pixel away from the
// 10-minute lines has the colour of its own latitude and longitude.

#include <cmath>
#include <cstdint>

#include "geo/Antimeridian.h"
#include "geo/TileGrid.h"
#include "georef/SampleCharts.h"
#include "imaging/Raster32.h"

namespace cz::testing {

inline constexpr LatLonBox kAntimeridianNeatLine{53.2, 49.8, 177.8, 182.2};
inline constexpr double kAntimeridianPixelSize = 250;  // metres

inline SampleGeoTiff AntimeridianChart() {
  SampleGeoTiff chart =
      CollaredChart("EPSG:32660", kAntimeridianNeatLine, kAntimeridianPixelSize, 0);
  chart.EpsgCode = 32660;
  return chart;
}

struct TileTally {
  std::int64_t checked = 0;
  std::int64_t matching = 0;
  bool Right() const { return checked > 0 && matching >= checked * 97 / 100; }
};

// The pixels of a tile (level, position) inside area (continuous longitudes) and more than
// margin degrees (and two tile pixels) from every 10-minute line, against the chart's colours.
inline TileTally CheckAntimeridianTile(const Raster32& tile, TileLevel level, TilePosition position,
                                       const LatLonBox& area, double margin) {
  const TileSquare square(level, position, level <= 2 ? tile.Width() - 1 : tile.Width());
  const auto nearLine = [](double v, double away) {
    return std::abs(v * 6 - std::nearbyint(v * 6)) / 6 <= away;
  };
  TileTally tally;
  for (std::int32_t j = 0; j < kTileHeight; ++j) {
    const double lat = square.Latitude(j);
    if (lat > area.North || lat < area.South ||
        nearLine(lat, std::max(margin, 2 * square.Step / kTileHeight))) {
      continue;
    }
    for (std::int32_t i = 0; i < square.Width; ++i) {
      const double lon = square.Longitude(i);
      const double continuous = LongitudeNear(lon, (area.West + area.East) / 2);
      if (continuous < area.West || continuous > area.East ||
          nearLine(lon, std::max(margin, 2 * square.Step / square.Width))) {
        continue;
      }
      ++tally.checked;
      tally.matching += (tile.At(i, j) | 0xFF000000u) == SampleGeoTiffColour({lat, lon});
    }
  }
  return tally;
}

// Whether a tile lies east of 180° (its west edge from 180° W on, within the chart's reach).
inline bool EastOfTheLine(TileLevel level, TilePosition position) {
  return TileSquare(level, position, 1).West < 0;
}

}  // namespace cz::testing
