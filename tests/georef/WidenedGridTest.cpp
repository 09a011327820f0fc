#include "georef/WidenedGrid.h"

#include <gtest/gtest.h>

#include "georef/Segments.h"

namespace cz {
namespace {

// A manual grid of 2 × 2 one-degree cells from 52° N 4° E whose points lie on an affine
// lattice (600 × 500 pixels per degree, sheared): continuing its outermost cells' edges must
// give the same lattice beyond them.
PixelPoint Lattice(std::int32_t c, std::int32_t r) {
  return {50 + 600 * c + 30 * r, 40 + 500 * r + 20 * c};
}

GeoReference ManualGrid() {
  GeoReference geo;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.GridTopLatitude = 52;
  geo.GridLeftLongitude = 4;
  geo.NLon = geo.NLat = 2;
  geo.MapResolution = 5;
  for (std::int32_t c = 0; c <= 2; ++c) {
    for (std::int32_t r = 0; r <= 2; ++r) {
      const PixelPoint p = Lattice(c, r);
      geo.Grid[c][r] = {p.X, p.Y, float(52 - r), 1};
    }
  }
  return geo;
}

struct WideningCase {
  const char* name;
  CoverageBounds bounds;
  std::optional<LatLonBox> box;
  std::int32_t top, left, nLat, nLon;  // the widened lattice
};

class ManualGridWidening : public ::testing::TestWithParam<WideningCase> {};

TEST_P(ManualGridWidening, AddsTheCellsTheCoverageReachesOnTheGridsOwnLattice) {
  const WideningCase& c = GetParam();
  const std::optional<WidenedGrid> widened = WidenGrid(ManualGrid(), c.bounds, c.box, nullptr);
  ASSERT_TRUE(widened.has_value());
  const GeoReference& geo = widened->Geo;
  EXPECT_EQ(geo.Method(), GeoReferencingMethod::ManualGrid);
  EXPECT_EQ(geo.MapResolution, 5);
  EXPECT_EQ(geo.GridTopLatitude, c.top);
  EXPECT_EQ(geo.GridLeftLongitude, c.left);
  ASSERT_EQ(geo.NLat, c.nLat);
  ASSERT_EQ(geo.NLon, c.nLon);
  for (std::int32_t col = 0; col <= geo.NLon; ++col) {
    for (std::int32_t row = 0; row <= geo.NLat; ++row) {
      const PixelPoint expected = Lattice(col - (4 - c.left), row - (c.top - 52));
      EXPECT_EQ(geo.Grid[col][row].X, expected.X) << col << "/" << row;
      EXPECT_EQ(geo.Grid[col][row].Y, expected.Y) << col << "/" << row;
      EXPECT_TRUE(widened->CellPlaced(std::min(col, geo.NLon - 1), std::min(row, geo.NLat - 1)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Coverages, ManualGridWidening,
    ::testing::Values(
        // The grid spans x 50..1310, y 40..1080: one ring on every side reaches a chart a
        // little larger, a second one does not.
        WideningCase{"ChartRoundTheGrid", {0, 0, 1349, 1119}, std::nullopt, 53, 3, 4, 4},
        // Bounds beyond the grid to the west and south only: two rings on those sides.
        WideningCase{"PolygonToTheSouthWest", {-700, 200, 900, 1700}, std::nullopt, 52, 2, 4, 4},
        // The box keeps the lattice within its whole degrees (3..6 E, 53..50 N).
        WideningCase{
            "BoxLimits", {-5000, -5000, 5000, 5000}, LatLonBox{52.5, 50.2, 3.5, 5.5}, 53, 3, 3, 3},
        // Bounds inside the grid: nothing added.
        WideningCase{"InsideTheGrid", {300, 300, 900, 800}, std::nullopt, 52, 4, 2, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
