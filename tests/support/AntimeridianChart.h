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
  std::int64_t litOutside = 0;  // pixels painted outside the area (and two tile pixels round it)
  bool Right() const { return checked > 0 && matching >= checked * 97 / 100 && litOutside == 0; }
};

// A tile (level, position) against the chart within area (continuous longitudes): its pixels
// more than margin degrees (and two tile pixels) from every 10-minute line have the chart's
// colour there, and those outside the area are black (no earlier run filled them).
inline TileTally CheckAntimeridianTile(const Raster32& tile, TileLevel level, TilePosition position,
                                       const LatLonBox& area, double margin) {
  const TileSquare square(level, position, level <= 2 ? tile.Width() - 1 : tile.Width());
  const double pixelLat = square.Step / kTileHeight, pixelLon = square.Step / square.Width;
  const auto nearLine = [](double v, double away) {
    return std::abs(v * 6 - std::nearbyint(v * 6)) / 6 <= away;
  };
  TileTally tally;
  for (std::int32_t j = 0; j < kTileHeight; ++j) {
    const double lat = square.Latitude(j);
    const bool latInside = lat <= area.North && lat >= area.South;
    const bool latBeyond = lat > area.North + 2 * pixelLat || lat < area.South - 2 * pixelLat;
    for (std::int32_t i = 0; i < square.Width; ++i) {
      const double lon = square.Longitude(i);
      const double continuous = LongitudeNear(lon, (area.West + area.East) / 2);
      const std::uint32_t colour = tile.At(i, j) | 0xFF000000u;
      if (latBeyond || continuous < area.West - 2 * pixelLon ||
          continuous > area.East + 2 * pixelLon) {
        tally.litOutside += colour != PackPixel(0, 0, 0, 255);
      } else if (latInside && continuous >= area.West && continuous <= area.East &&
                 !nearLine(lat, std::max(margin, 2 * pixelLat)) &&
                 !nearLine(lon, std::max(margin, 2 * pixelLon))) {
        ++tally.checked;
        tally.matching += colour == SampleGeoTiffColour({lat, lon});
      }
    }
  }
  return tally;
}

// Whether a tile lies east of 180° (its west edge from 180° W on, within the chart's reach).
inline bool EastOfTheLine(TileLevel level, TilePosition position) {
  return TileSquare(level, position, 1).West < 0;
}

}  // namespace cz::testing
