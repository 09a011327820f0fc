// Geometry end to end: a plate-carrée chart whose colour at every latitude and longitude is
// known (a checkerboard of 10-minute squares), georeferenced as a regular whole-degree grid,
// must come out of every level with each tile pixel (i, j) showing the colour of longitude
// west + i / W × step and latitude north − j / 600 × step.

#include <gtest/gtest.h>

#include <cmath>

#include "geo/TileGrid.h"
#include "support/RecordingUserInterface.h"
#include "tiling/CoveredTiles.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

// The chart: grid point (c, r) = 52° N − r, 4° E + c at pixel (kX0 + c × kPxLon, kY0 + r × kPxLat),
// with a margin of chart around the 2 × 2 degree grid.
constexpr double kTop = 52, kLeft = 4;
constexpr std::int32_t kSteps = 2;
constexpr std::int32_t kX0 = 50, kY0 = 40, kPxLon = 600, kPxLat = 500;
constexpr std::uint32_t kDark = PackPixel(200, 30, 30, 255);
constexpr std::uint32_t kLight = PackPixel(30, 30, 200, 255);

// Colour of the square holding a point, squares counted from the grid's north-west corner.
std::uint32_t SquareColour(double lon, double lat) {
  const auto col = static_cast<std::int64_t>(std::floor((lon - kLeft) * 6));
  const auto row = static_cast<std::int64_t>(std::floor((kTop - lat) * 6));
  return (col + row) % 2 == 0 ? kDark : kLight;
}

Raster32 CheckerboardChart() {
  Raster32 chart(kX0 + kSteps * kPxLon + 30, kY0 + kSteps * kPxLat + 30);
  for (std::int32_t y = 0; y < chart.Height(); ++y) {
    for (std::int32_t x = 0; x < chart.Width(); ++x) {
      chart.At(x, y) =
          SquareColour(kLeft + double(x - kX0) / kPxLon, kTop - double(y - kY0) / kPxLat);
    }
  }
  return chart;
}

// Distance in pixels from v to the nearest multiple of 1/6 degree, pixelsPerDegree given.
double EdgeDistance(double v, double pixelsPerDegree) {
  const double sixths = v * 6;
  return std::abs(sixths - std::nearbyint(sixths)) / 6 * pixelsPerDegree;
}

struct Tally {
  std::int64_t checked = 0;
  std::int64_t matching = 0;
};

GeoReference CheckerboardGrid(TileLevel level) {
  GeoReference geo;
  geo.GridTopLatitude = kTop;
  geo.GridLeftLongitude = kLeft;
  geo.NLon = geo.NLat = kSteps;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  for (int c = 0; c <= kSteps; ++c) {
    for (int r = 0; r <= kSteps; ++r) {
      geo.Grid[c][r] = {kX0 + c * kPxLon, kY0 + r * kPxLat, 0.0f, 1};
    }
  }
  geo.MapResolution = static_cast<std::uint8_t>(1 << level);
  return geo;
}

class CheckerboardTest : public ::testing::TestWithParam<int> {};

TEST_P(CheckerboardTest, TilePixelsShowTheSquareAtTheirPosition) {
  const auto level = static_cast<TileLevel>(GetParam());
  const Raster32 chart = CheckerboardChart();
  const GeoReference geo = CheckerboardGrid(level);

  const double step = TileStep(level) / double(kOneDegree);
  Tally tally;
  std::int32_t tiles = 0;
  testing::MemoryTileStore store;
  store.keepTiles = false;
  store.onSave = [&](const Raster32& tile, TilePosition position, TileLevel) {
    ++tiles;
    const std::int32_t w = level <= 2 ? tile.Width() - 1 : tile.Width();
    const double west = -180 + (position % TileColumns(level)) * step;
    const double north = 90 - (position / TileColumns(level)) * step;
    for (std::int32_t j = 0; j < tile.Height(); ++j) {
      const double lat = north - j / 600.0 * step;
      if (lat < kTop - kSteps || lat > kTop || EdgeDistance(lat, 600 / step) <= 2) continue;
      for (std::int32_t i = 0; i < w; ++i) {
        const double lon = west + double(i) / w * step;
        if (lon < kLeft || lon > kLeft + kSteps || EdgeDistance(lon, w / step) <= 2) continue;
        ++tally.checked;
        if (tile.At(i, j) == SquareColour(lon, lat)) ++tally.matching;
      }
    }
  };
  testing::RecordingUserInterface ui;
  ASSERT_TRUE(CreateTiles(geo, chart, store, ui).has_value());
  const int expectedTiles[] = {64, 16, 4, 1, 1};
  EXPECT_EQ(tiles, expectedTiles[level]);
  // Even the 4° tile, a quarter of which the grid fills, checks tens of thousands of pixels.
  ASSERT_GT(tally.checked, 20000);
  EXPECT_GE(tally.matching, tally.checked * 99 / 100)
      << tally.matching << " of " << tally.checked << " at level " << int{level};
}

// The same chart with a polygon drawn in its margins, beyond the grid on every side: the
// partial cells continue the grid's nearest cells, so the edge bands show the squares of their
// positions up to the polygon, and black beyond it. (Levels 0 and 1 compose as level 2 does,
// and take many times as long: NeighbouringChartsTest runs them.)
class CheckerboardPolygonTest : public ::testing::TestWithParam<int> {};

TEST_P(CheckerboardPolygonTest, PolygonBeyondTheGridFillsTheEdgeBandsUpToIt) {
  const auto level = static_cast<TileLevel>(GetParam());
  const Raster32 chart = CheckerboardChart();
  const GeoReference geo = CheckerboardGrid(level);
  constexpr std::int32_t kLeftX = 12, kRightX = 1268, kTopY = 9, kBottomY = 1061;
  ChartCoverage coverage;
  coverage.Polygon = {{kLeftX, kTopY}, {kRightX, kTopY}, {kRightX, kBottomY}, {kLeftX, kBottomY}};
  const auto run = PrepareCoverageRun(geo, coverage, chart, nullptr, "checkerboard");

  const double step = TileStep(level) / double(kOneDegree);
  Tally tally;
  std::int64_t holes = 0, litBeyond = 0;
  std::int32_t tiles = 0;
  testing::MemoryTileStore store;
  store.keepTiles = false;
  store.onSave = [&](const Raster32& tile, TilePosition position, TileLevel) {
    ++tiles;
    const TileSquare square(level, position, level <= 2 ? tile.Width() - 1 : tile.Width());
    for (std::int32_t j = 0; j < tile.Height(); ++j) {
      const double lat = square.Latitude(j);
      const double y = kY0 + (kTop - lat) * kPxLat;  // its chart row
      for (std::int32_t i = 0; i < square.Width; ++i) {
        const double lon = square.Longitude(i);
        const double x = kX0 + (lon - kLeft) * kPxLon;
        const bool black = (tile.At(i, j) & 0xFFFFFF) == 0;
        if (x < kLeftX - 1 || x > kRightX + 1 || y < kTopY - 1 || y > kBottomY + 1) {
          litBeyond += !black;
          continue;
        }
        if (x < kLeftX + 2 || x > kRightX - 2 || y < kTopY + 2 || y > kBottomY - 2) continue;
        holes += black;
        if (EdgeDistance(lat, 600 / step) <= 2 || EdgeDistance(lon, square.Width / step) <= 2) {
          continue;
        }
        ++tally.checked;
        tally.matching += tile.At(i, j) == SquareColour(lon, lat);
      }
    }
  };
  testing::RecordingUserInterface ui;
  ASSERT_TRUE(CreateTiles(geo, chart, store, ui, run.get()).has_value());
  // Every tile the polygon reaches, 52.06° N to 49.96° N and 3.94° E to 6.03° E.
  const int expectedTiles[] = {100, 36, 16, 9, 4};
  EXPECT_EQ(tiles, expectedTiles[level]);
  EXPECT_EQ(holes, 0);
  EXPECT_EQ(litBeyond, 0);
  ASSERT_GT(tally.checked, 20000);
  EXPECT_GE(tally.matching, tally.checked * 99 / 100)
      << tally.matching << " of " << tally.checked << " at level " << int{level};
}

INSTANTIATE_TEST_SUITE_P(AllLevels, CheckerboardTest, ::testing::Range(0, 5));
INSTANTIATE_TEST_SUITE_P(Levels, CheckerboardPolygonTest, ::testing::Range(2, 5));

}  // namespace
}  // namespace cz
