#pragma once
// Charts of known projection that show where they land: white, 250 m pixels, with a dot of
// 3 × 3 pixels, drawn with sub-pixel coverage, at every 5′ of latitude and longitude. A dot's
// centroid in any latitude/longitude raster made from the chart (the tiles, or a peer's warp),
// taken back through the projection, says how far that raster misplaces the chart there.
// Shared by the placement tests and the placement benchmark against gdalwarp.

#include <algorithm>
#include <cmath>
#include <vector>

#include "georef/SampleCharts.h"
#include "imaging/Raster32.h"

namespace cz::testing {

inline constexpr double kDotPixelSize = 250, kDotSpacing = 5.0 / 60;

struct DotChartCase {
  const char* name;
  const char* proj;
  LatLonBox extent;  // the chart's content; its whole-degree grid lies inside
};

inline const DotChartCase kDotCharts[] = {
    {"Lambert", "+proj=lcc +lat_1=45 +lat_2=51 +lat_0=48 +lon_0=7 +datum=WGS84 +units=m",
     {49.1, 46.9, 6.9, 9.1}},
    // 6° to 8° east of the central meridian, where the meridians curve and the scale grows.
    {"TransverseMercatorFarFromItsMeridian",
     "+proj=tmerc +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000 +datum=WGS84 +units=m",
     {49.1, 46.9, 8.9, 11.1}},
    {"PolarStereographic", "+proj=stere +lat_0=90 +lat_ts=70 +lon_0=-45 +datum=WGS84 +units=m",
     {67.1, 64.9, -46.1, -43.9}},
};

struct Dot {
  LatLon position;
  ChartPixel pixel;  // its centre, exactly
};

struct DotChart {
  SampleGeoTiff layout;  // its extent and pixel size, as a GeoTIFF of it would say
  ChartProjection projection;
  Raster32 image;
  std::vector<Dot> dots;
};

// Length of [a − ½, a + ½] ∩ [c − 1.5, c + 1.5]: how much of pixel a a dot centred at c covers.
inline double DotCover(double a, double c) {
  return std::max(0.0, std::min(a + 0.5, c + 1.5) - std::max(a - 0.5, c - 1.5));
}

inline DotChart MakeDotChart(const DotChartCase& c) {
  const SampleGeoTiff layout = CollaredChart(c.proj, c.extent, kDotPixelSize, 0);
  DotChart chart{layout, SampleGeoTiffProjection(layout, c.name),
                 Raster32(layout.Width, layout.Height), {}};
  chart.image.Fill(PackPixel(255, 255, 255, 255));
  for (double lat = std::ceil(c.extent.South / kDotSpacing) * kDotSpacing; lat < c.extent.North;
       lat += kDotSpacing) {
    for (double lon = std::ceil(c.extent.West / kDotSpacing) * kDotSpacing; lon < c.extent.East;
         lon += kDotSpacing) {
      const ChartPixel p = *chart.projection.PixelOf({lat, lon});
      chart.dots.push_back({{lat, lon}, p});
      for (auto y = std::int32_t(std::floor(p.Y - 2)); y <= std::int32_t(std::ceil(p.Y + 2)); ++y) {
        for (auto x = std::int32_t(std::floor(p.X - 2)); x <= std::int32_t(std::ceil(p.X + 2));
             ++x) {
          if (x < 0 || y < 0 || x >= layout.Width || y >= layout.Height) continue;
          const double dark = DotCover(x, p.X) * DotCover(y, p.Y);
          const auto v = static_cast<std::uint8_t>(std::lround(255 * (1 - dark)));
          chart.image.Row(y)[x] = PackPixel(v, v, v, 255);
        }
      }
    }
  }
  return chart;
}

// A raster whose pixel (i, j) shows latitude North − j × DLat and longitude West + i × DLon,
// trusted only inside Area.
struct LatLonRaster {
  const Raster32* image = nullptr;
  double North = 0, West = 0, DLat = 0, DLon = 0;
  LatLonBox Area;
};

// The misplacement, in chart pixels, of every dot lying wholly inside raster's area: seven
// chart pixels round it (its blur and any misplacement, none of its neighbours), its pixels'
// darkness as weights.
inline void AddDotErrors(const DotChart& chart, const LatLonRaster& raster,
                         std::vector<double>& errors) {
  const Raster32& image = *raster.image;
  for (const Dot& dot : chart.dots) {
    const double lat = dot.position.Latitude, lon = dot.position.Longitude;
    const double dLat = 7 * kDotPixelSize / 111000, dLon = dLat / std::cos(lat * M_PI / 180);
    const LatLonBox& a = raster.Area;
    if (lat + dLat > a.North || lat - dLat < a.South || lon - dLon < a.West || lon + dLon > a.East) {
      continue;
    }
    const auto column = [&](double l) { return std::int32_t((l - raster.West) / raster.DLon); };
    const auto row = [&](double l) { return std::int32_t((raster.North - l) / raster.DLat); };
    double sum = 0, si = 0, sj = 0;
    for (std::int32_t j = std::max(0, row(lat + dLat));
         j <= std::min(image.Height() - 1, row(lat - dLat)); ++j) {
      for (std::int32_t i = std::max(0, column(lon - dLon));
           i <= std::min(image.Width() - 1, column(lon + dLon)); ++i) {
        const std::uint32_t p = image.At(i, j);
        const double darkness = 255 - (RedOf(p) + GreenOf(p) + BlueOf(p)) / 3.0;
        sum += darkness, si += darkness * i, sj += darkness * j;
      }
    }
    if (sum <= 0) continue;
    const LatLon seen{raster.North - sj / sum * raster.DLat, raster.West + si / sum * raster.DLon};
    const ChartPixel at = *chart.projection.PixelOf(seen);
    errors.push_back(std::hypot(at.X - dot.pixel.X, at.Y - dot.pixel.Y));
  }
}

struct ErrorFigures {
  std::size_t dots = 0;
  double median = 0, p95 = 0, worst = 0;
};

inline ErrorFigures Figures(std::vector<double> errors) {
  ErrorFigures figures;
  figures.dots = errors.size();
  if (errors.empty()) return figures;
  std::sort(errors.begin(), errors.end());
  figures.median = errors[errors.size() / 2];
  figures.p95 = errors[errors.size() * 95 / 100];
  figures.worst = errors.back();
  return figures;
}

}  // namespace cz::testing
