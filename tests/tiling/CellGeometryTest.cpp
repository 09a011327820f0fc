#include "tiling/CellGeometry.h"

#include <gtest/gtest.h>

namespace cz {
namespace {

TEST(CellGeometryTest, MidHalvesTowardZero) {
  EXPECT_EQ(Mid({0, 0}, {5, 7}), (PixelPoint{2, 3}));
  EXPECT_EQ(Mid({5, 7}, {0, 0}), (PixelPoint{3, 4}));      // 5 + (−5 halved = −2)
  EXPECT_EQ(Mid({-3, -3}, {0, 0}), (PixelPoint{-2, -2}));  // −3 + 1
  // Extreme positions do not overflow.
  EXPECT_EQ(Mid({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}), (PixelPoint{-1, -1}));
}

TEST(CellGeometryTest, CellCentreOfRectangleAndTrapezoid) {
  EXPECT_EQ(CellCentre({0, 0}, {400, 0}, {400, 600}, {0, 600}), (PixelPoint{200, 300}));
  // x = (10 + 0) halved + ((410 − 10) halved + (401 − 0) halved) halved = 5 + (200 + 200) / 2
  // y = (3 + 0) halved + ((601 − 3) halved + (600 − 0) halved) halved = 1 + (299 + 300) / 2
  EXPECT_EQ(CellCentre({10, 3}, {410, 0}, {401, 600}, {0, 601}), (PixelPoint{205, 300}));
}

TEST(CellGeometryTest, QuartersListCornersClockwiseFromTopLeft) {
  const QuadLattice q = CellQuarters({PixelPoint{0, 0}, {400, 0}, {400, 600}, {0, 600}});
  const PixelQuad expected[4] = {
      {PixelPoint{0, 0}, {200, 0}, {200, 300}, {0, 300}},
      {PixelPoint{200, 0}, {400, 0}, {400, 300}, {200, 300}},
      {PixelPoint{0, 300}, {200, 300}, {200, 600}, {0, 600}},
      {PixelPoint{200, 300}, {400, 300}, {400, 600}, {200, 600}},
  };
  for (int k = 0; k < 4; ++k) EXPECT_EQ(q.Part(k), expected[k]) << "quarter " << k;
}

TEST(CellGeometryTest, SubdivideQuadCentresOnTheDiagonals) {
  // A trapezoid: the diagonals cross off the midpoint of the halved edges.
  const QuadLattice q = SubdivideQuad({0, 0}, {100, 0}, {80, 100}, {20, 100});
  EXPECT_TRUE(q.CentreFound);
  EXPECT_EQ(q.Points[1][1], (PixelPoint{50, 62}));  // (50, 62.5), ties to even
  EXPECT_EQ(q.Part(3), (PixelQuad{PixelPoint{50, 62}, {90, 50}, {80, 100}, {50, 100}}));
}

TEST(CellGeometryTest, SubdivideQuadOfFoldedQuarterHasNoCentre) {
  const QuadLattice q = SubdivideQuad({0, 0}, {100, 0}, {0, 100}, {100, 100});  // bow tie
  EXPECT_FALSE(q.CentreFound);
  EXPECT_EQ(q.Points[1][1], (PixelPoint{0, 0}));
}

struct RectangleCase {
  int level;
  std::int32_t width;
  int q;
  TileRect expected;
};

class TileRectangleTest : public ::testing::TestWithParam<RectangleCase> {};

TEST_P(TileRectangleTest, RoundsTiesToEven) {
  const RectangleCase& c = GetParam();
  const TileRect got = c.level == 3 ? Level3Rectangle(c.width, c.q) : Level4Rectangle(c.width, c.q);
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TileRectangleTest,
    ::testing::Values(RectangleCase{3, 599, 0, {0, 0, 300, 300}},  // Round(299.5) = 300
                      RectangleCase{3, 599, 1, {300, 0, 599, 300}},
                      RectangleCase{3, 599, 3, {300, 300, 599, 600}},
                      RectangleCase{3, 597, 2, {0, 300, 298, 600}},    // Round(298.5) = 298
                      RectangleCase{4, 594, 6, {297, 150, 446, 300}},  // 148.5 → 148, 445.5 → 446
                      RectangleCase{4, 594, 4, {0, 150, 148, 300}},
                      RectangleCase{4, 594, 15, {446, 450, 594, 600}},
                      RectangleCase{4, 20, 3, {15, 0, 20, 150}}));

TEST(TileRectangleTest, BlocksTileTheWholeRaster) {
  for (std::int32_t width : {20, 62, 299, 594, 599}) {
    for (int n = 0; n < 4; ++n) {
      EXPECT_EQ(Level4Rectangle(width, 4 * n).Left, 0);
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Level4Rectangle(width, 4 * n + k).Right,
                  Level4Rectangle(width, 4 * n + k + 1).Left);
      }
      EXPECT_EQ(Level4Rectangle(width, 4 * n + 3).Right, width);
    }
    EXPECT_EQ(Level3Rectangle(width, 0).Right, Level3Rectangle(width, 1).Left);
    EXPECT_EQ(Level3Rectangle(width, 3).Right, width);
  }
}

}  // namespace
}  // namespace cz
