// Level-0 tiles of a scan-like chart (support/ScanLikeChart.h) from its grid fitted to the
// printed graticule lie within a pixel of the truth: every 8th tile pixel of every 0.25° tile,
// through the renderer's own mapping, against where the scan truly shows that pixel's latitude
// and longitude.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "geo/GeoCoord.h"
#include "georef/GraticuleFit.h"
#include "support/ScanLikeChart.h"
#include "support/TempFolder.h"
#include "tiling/CellRenderer.h"

namespace cz {
namespace {

// The renderer's distances from the truth over the level-0 tiles of grid, sorted, in the cells
// without a corner under the legend (a point not found keeps the model's position).
std::vector<double> Level0Errors(const testing::ScanLikeChart& chart, const Raster32& scan,
                                 const GeoReference& grid) {
  Raster32 tile;
  CellRenderer renderer(scan, grid.Grid, tile);
  std::vector<double> errors;
  for (int r = 0; r < grid.NLat; ++r) {
    for (int c = 0; c < grid.NLon; ++c) {
      if ((c == testing::kCoveredColumn || c + 1 == testing::kCoveredColumn) &&
          (r == testing::kCoveredRow || r + 1 == testing::kCoveredRow)) {
        continue;
      }
      for (std::uint8_t q = 0; q < 16; ++q) {
        const int row = (q / 4) / 2 * 2 + (q % 4) / 2, col = (q / 4) % 2 * 2 + (q % 4) % 2;
        const double north = grid.GridTopLatitude - r - row * 0.25;
        const double west = grid.GridLeftLongitude + c + col * 0.25;
        renderer.DoTransform_0(c, r, q, DegreesToGeoCoord(north));
        const double w = tile.Width() - 1;
        for (int j = 0; j < 600; j += 8) {
          for (int i = 0; i < w; i += 8) {
            double x = 0, y = 0;
            renderer.PT.Map(i, j, x, y);
            const ChartPixel truth = chart.scan.Forward(
                *chart.projection.PixelOf({north - j / 600.0 * 0.25, west + i / w * 0.25}));
            errors.push_back(std::hypot(x - truth.X, y - truth.Y));
          }
        }
      }
    }
  }
  std::sort(errors.begin(), errors.end());
  return errors;
}

TEST(FittedGridTiles, Level0TilesLieAsCloseToTheTruthAsTheTrueGridsDo) {
  const testing::ScanLikeChart chart;
  const testing::TempFolder folder;
  const Raster32 scan = testing::Scanned(testing::Draw(chart, true), folder / "scan.jpg");
  const GeoReference model = testing::TwoCornerModel(chart);
  const GeoReference fitted = WithFittedGrid(model, FindGraticule(scan, model));
  // The grid of the true intersections, rounded as every grid is: what remains is the cells'
  // own mapping (four corners cannot bend a parallel's arc).
  GeoReference truth = fitted;
  for (int r = 0; r <= fitted.NLat; ++r) {
    for (int c = 0; c <= fitted.NLon; ++c) {
      truth.Grid[c][r].X = static_cast<std::int32_t>(std::lround(chart.Truth(c, r).X));
      truth.Grid[c][r].Y = static_cast<std::int32_t>(std::lround(chart.Truth(c, r).Y));
    }
  }
  const std::vector<double> before = Level0Errors(chart, scan, model);
  const std::vector<double> after = Level0Errors(chart, scan, fitted);
  const std::vector<double> best = Level0Errors(chart, scan, truth);
  const auto median = [](const std::vector<double>& e) { return e[e.size() / 2]; };
  const auto p95 = [](const std::vector<double>& e) { return e[e.size() * 95 / 100]; };
  std::printf("level-0 tile pixels from the truth (median, 95%%): two-corner model %.2f, %.2f px; "
              "fitted grid %.2f, %.2f px; true grid %.2f, %.2f px\n",
              median(before), p95(before), median(after), p95(after), median(best), p95(best));
  EXPECT_LT(median(after), 1.0);
  EXPECT_LE(median(after), median(best) + 0.1);
  EXPECT_LE(p95(after), p95(best) + 0.2);
  EXPECT_GT(median(before), 10 * median(after));
}

}  // namespace
}  // namespace cz
