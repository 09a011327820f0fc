// How far the tile renderer's mapping lies from the exact projection of a Lambert conformal
// conic chart at 1:500,000, for the usual scanning resolutions: through each cell's projective
// map (as for a chart laid out by hand), and through the chart's exact placement
// (ProjectionLattice.h), as a chart of known projection is drawn.
//
// The chart: 6° × 3° around 48° N 8° E (standard parallels 45° and 51° N), WGS 84. Its
// whole-degree grid is built as for a GeoTIFF chart (exact, rounded to pixels). Then, for every
// tile the renderer makes at level 0 (0.25°, from a sixteenth of a cell) and at level 2 (1°,
// from the whole cell), every 8th tile pixel is mapped through the renderer's own PT and
// compared with the chart pixel PROJ gives for that pixel's latitude and longitude. The
// largest distance, in chart pixels, is printed per resolution and mapping, with the worst
// error the exact placement's own check found.
//
//   cell_mapping_error [DPI ...]      (default 150 200 300 400)

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "geo/GeoCoord.h"
#include "geo/TileGrid.h"
#include "georef/ChartGrid.h"
#include "georef/GeoTiffReference.h"
#include "georef/ProjectionLattice.h"
#include "tiling/CellRenderer.h"

namespace {

constexpr char kLambert[] =
    "+proj=lcc +lat_0=48 +lon_0=8 +lat_1=45 +lat_2=51 +datum=WGS84 +units=m +no_defs";
constexpr double kHalfWidth = 235000, kHalfHeight = 175000;  // metres around the centre

struct Errors {
  double level0 = 0, level2 = 0;
};

// The largest distance between the renderer's last mapping and the exact pixel over every 8th
// pixel of the tile whose north-west corner is (north, west), step degrees wide, w wide.
double TileError(const cz::CellRenderer& renderer, const cz::ChartProjection& chart, double north,
                 double west, double step, double w) {
  double worst = 0;
  renderer.ForEachDrawnPiece([&](const cz::TileRect& rect, const auto& map) {
    for (int j = rect.Top; j < rect.Bottom; j += 8) {
      for (int i = rect.Left; i < rect.Right; i += 8) {
        double sx = 0, sy = 0;
        map.Map(i, j, sx, sy);
        const auto exact = chart.PixelOf({north - j / 600.0 * step, west + i / w * step});
        if (exact) worst = std::max(worst, std::hypot(sx - exact->X, sy - exact->Y));
      }
    }
  });
  return worst;
}

Errors Measure(double dpi, bool exact) {
  const double pixel = 0.0254 / dpi * 500000;  // metres per chart pixel
  const auto width = static_cast<std::int32_t>(2 * kHalfWidth / pixel);
  const auto height = static_cast<std::int32_t>(2 * kHalfHeight / pixel);
  const cz::ChartProjection chart = cz::ChartProjection::Make(
      kLambert, {pixel, 0, -kHalfWidth, 0, -pixel, kHalfHeight}, false, width, height, "chart");
  const cz::GeoReference geo = cz::GridFromChartProjection(chart, "chart");
  const cz::ProjectionLattice lattice(geo, chart);
  cz::Raster32 source(1, 1), tile;
  cz::CellRenderer renderer(source, geo.Grid, tile, exact ? &lattice : nullptr);
  Errors errors;
  for (int r = 0; r < geo.NLat; ++r) {
    for (int c = 0; c < geo.NLon; ++c) {
      const double north = geo.GridTopLatitude - r, west = geo.GridLeftLongitude + c;
      renderer.DoTransform_2(c, r, cz::DegreesToGeoCoord(north));
      const double w2 = tile.Width() - 1;
      errors.level2 = std::max(errors.level2, TileError(renderer, chart, north, west, 1.0, w2));
      for (std::uint8_t q = 0; q < 16; ++q) {
        // Quarter q div 4 and its part q mod 4, each numbered 0 top-left .. 3 bottom-right.
        const int row = (q / 4) / 2 * 2 + (q % 4) / 2, col = (q / 4) % 2 * 2 + (q % 4) % 2;
        const double tileNorth = north - row * 0.25, tileWest = west + col * 0.25;
        renderer.DoTransform_0(c, r, q, cz::DegreesToGeoCoord(tileNorth));
        errors.level0 = std::max(
            errors.level0, TileError(renderer, chart, tileNorth, tileWest, 0.25, tile.Width() - 1));
      }
    }
  }
  std::printf(
      "%4.0f dpi  %6.2f m/px  %5d x %5d px  grid %d x %d cells  %-12s largest error: "
      "level 0 %.3f px, level 2 %.3f px",
      dpi, pixel, width, height, geo.NLon, geo.NLat, exact ? "exact" : "cell corners",
      errors.level0, errors.level2);
  if (exact) std::printf("  (lattice check %.3f px)", lattice.WorstError());
  std::printf("\n");
  return errors;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<double> dpis = {150, 200, 300, 400};
  if (argc > 1) {
    dpis.clear();
    for (int i = 1; i < argc; ++i) dpis.push_back(std::atof(argv[i]));
  }
  for (const double dpi : dpis) {
    Measure(dpi, false);
    Measure(dpi, true);
  }
  return 0;
}
