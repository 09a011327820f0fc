// Charts of known projection land in the tiles where the projection puts them, to a fraction of
// a chart pixel, at the 0.25° and the 1° level. Each chart (250 m pixels, white) carries a dot
// of 3 × 3 pixels, drawn with sub-pixel coverage, at every 5′ of latitude and longitude; each
// dot's centroid in the tiles, taken back through the projection, must lie where the dot is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "geo/TileGrid.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "georef/SampleCharts.h"
#include "support/RecordingUserInterface.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

constexpr double kPixelSize = 250, kDotSpacing = 5.0 / 60;

struct DotChartCase {
  const char* name;
  const char* proj;
  LatLonBox extent;  // the chart's content; its grid lies inside by whole degrees
};

const DotChartCase kDotCharts[] = {
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

// Length of [a − ½, a + ½] ∩ [c − 1.5, c + 1.5]: how much of pixel a a dot centred at c covers.
double Cover(double a, double c) {
  return std::max(0.0, std::min(a + 0.5, c + 1.5) - std::max(a - 0.5, c - 1.5));
}

struct DotChart {
  ChartProjection projection;
  Raster32 image;
  std::vector<Dot> dots;
};

DotChart MakeDotChart(const DotChartCase& c) {
  const SampleGeoTiff layout = testing::CollaredChart(c.proj, c.extent, kPixelSize, 0);
  DotChart chart{SampleGeoTiffProjection(layout, c.name), Raster32(layout.Width, layout.Height), {}};
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
          const auto v = static_cast<std::uint8_t>(std::lround(255 * (1 - Cover(x, p.X) * Cover(y, p.Y))));
          chart.image.Row(y)[x] = PackPixel(v, v, v, 255);
        }
      }
    }
  }
  return chart;
}

struct ErrorFigures {
  std::size_t dots = 0;
  double median = 0, p95 = 0, worst = 0;
};

// Every dot wholly inside a tile of the level and inside the grid: its centroid there (the
// pixels' darkness as weights), back through the projection, against its centre.
ErrorFigures DotErrors(const DotChart& chart, const GeoReference& geo, TileLevel level,
                       const ProjectionLattice* placement) {
  GeoReference run = geo;
  run.MapResolution = static_cast<std::uint8_t>(1 << level);
  testing::MemoryTileStore store;
  testing::RecordingUserInterface ui;
  EXPECT_TRUE(CreateTiles(run, chart.image, store, ui, nullptr, placement).has_value());
  std::vector<double> errors;
  for (const auto& [key, tile] : store.tiles) {
    const TileSquare square(level, key.second, level <= 2 ? tile.Width() - 1 : tile.Width());
    for (const Dot& dot : chart.dots) {
      const double lat = dot.position.Latitude, lon = dot.position.Longitude;
      // Seven chart pixels round the dot: its blur and any misplacement, none of its neighbours.
      const double dLat = 7 * kPixelSize / 111000, dLon = dLat / std::cos(lat * M_PI / 180);
      if (lat + dLat > std::min(square.North, geo.GridTopLatitude) ||
          lat - dLat < std::max(square.North - square.Step, geo.GridTopLatitude - geo.NLat) ||
          lon - dLon < std::max(square.West, geo.GridLeftLongitude) ||
          lon + dLon > std::min(square.West + square.Step, geo.GridLeftLongitude + geo.NLon)) {
        continue;
      }
      const auto column = [&](double l) { return (l - square.West) / square.Step * square.Width; };
      const auto row = [&](double l) { return (square.North - l) / square.Step * kTileHeight; };
      double sum = 0, si = 0, sj = 0;
      for (auto j = std::int32_t(row(lat + dLat)); j <= std::int32_t(row(lat - dLat)); ++j) {
        for (auto i = std::int32_t(column(lon - dLon)); i <= std::int32_t(column(lon + dLon)); ++i) {
          const std::uint32_t p = tile.At(i, j);
          const double darkness = 255 - (RedOf(p) + GreenOf(p) + BlueOf(p)) / 3.0;
          sum += darkness, si += darkness * i, sj += darkness * j;
        }
      }
      if (sum <= 0) continue;
      const LatLon seen{square.Latitude(0) - sj / sum / kTileHeight * square.Step,
                        square.Longitude(0) + si / sum / square.Width * square.Step};
      const ChartPixel at = *chart.projection.PixelOf(seen);
      errors.push_back(std::hypot(at.X - dot.pixel.X, at.Y - dot.pixel.Y));
    }
  }
  ErrorFigures figures;
  figures.dots = errors.size();
  if (errors.empty()) return figures;
  std::sort(errors.begin(), errors.end());
  figures.median = errors[errors.size() / 2];
  figures.p95 = errors[errors.size() * 95 / 100];
  figures.worst = errors.back();
  return figures;
}

class ExactPlacement : public ::testing::TestWithParam<DotChartCase> {};

TEST_P(ExactPlacement, DotsLandWithinAFractionOfAPixelAtTheQuarterAndTheWholeDegree) {
  const DotChart chart = MakeDotChart(GetParam());
  const GeoReference geo = GridFromChartProjection(chart.projection, GetParam().name);
  const ProjectionLattice placement(geo, chart.projection);
  EXPECT_LE(placement.WorstError(), kPlacementTolerance);
  for (const TileLevel level : {TileLevel{0}, TileLevel{2}}) {
    const ErrorFigures e = DotErrors(chart, geo, level, &placement);
    std::printf("%s level %d: %zu dots, median %.3f px, 95%% %.3f px, worst %.3f px\n",
                GetParam().name, int(level), e.dots, e.median, e.p95, e.worst);
    EXPECT_GT(e.dots, 200u);
    EXPECT_LE(e.median, 0.1) << "level " << int(level);
    EXPECT_LE(e.worst, 0.25) << "level " << int(level);
  }
}

INSTANTIATE_TEST_SUITE_P(Projections, ExactPlacement, ::testing::ValuesIn(kDotCharts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
