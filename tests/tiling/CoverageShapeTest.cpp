#include "tiling/CoverageShape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cz {
namespace {

struct PolygonCase {
  const char* name;
  std::vector<CoveragePoint> polygon;
  const char* problem;  // empty: usable
};

class PolygonProblems : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(PolygonProblems, NameWhatIsWrong) {
  EXPECT_EQ(PolygonProblem(GetParam().polygon), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Polygons, PolygonProblems,
    ::testing::Values(
        PolygonCase{"Triangle", {{0, 0}, {10, 0}, {3, 8}}, ""},
        PolygonCase{"Concave", {{0, 0}, {10, 0}, {10, 10}, {5, 3}, {0, 10}}, ""},
        PolygonCase{"StraightAngle", {{0, 0}, {5, 0}, {10, 0}, {10, 10}}, ""},
        PolygonCase{
            "TwoPoints", {{0, 0}, {10, 0}}, "a coverage polygon needs at least three points"},
        PolygonCase{"None", {}, "a coverage polygon needs at least three points"},
        PolygonCase{"RepeatedPoint",
                    {{0, 0}, {10, 0}, {10, 0}, {3, 8}},
                    "point 2 of the coverage polygon repeats the next one"},
        PolygonCase{"BowTie",
                    {{0, 0}, {10, 10}, {10, 0}, {0, 10}},
                    "edges 1 and 3 of the coverage polygon cross"},
        PolygonCase{"VertexOnAnotherEdge",
                    {{0, 0}, {10, 0}, {10, 10}, {5, 0}, {0, -5}},
                    "edges 1 and 3 of the coverage polygon cross"},
        PolygonCase{"Spike",
                    {{0, 0}, {10, 0}, {4, 0}, {3, 8}},
                    "edges 1 and 2 of the coverage polygon run back along each other"},
        PolygonCase{"SpikeAtTheClosingPoint",
                    {{10, 0}, {4, 0}, {3, 8}, {0, 0}},
                    "edges 1 and 4 of the coverage polygon run back along each other"}),
    [](const auto& info) { return std::string(info.param.name); });

// The pixel centre (x, y) inside the polygon or on one of its edges, by crossings of a ray
// to the east, with exact integer arithmetic.
bool InsideOrOnEdge(const std::vector<CoveragePoint>& polygon, std::int64_t x, std::int64_t y) {
  bool inside = false;
  for (std::size_t k = 0; k < polygon.size(); ++k) {
    const CoveragePoint a = polygon[k], b = polygon[(k + 1) % polygon.size()];
    const std::int64_t cross = (b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X);
    if (cross == 0 && x >= std::min(a.X, b.X) && x <= std::max(a.X, b.X) &&
        y >= std::min(a.Y, b.Y) && y <= std::max(a.Y, b.Y)) {
      return true;
    }
    if ((a.Y > y) != (b.Y > y) && (cross > 0) == (b.Y > a.Y)) inside = !inside;
  }
  return inside;
}

// Every pixel of the chart, and positions off the pixel centres, against the polygon itself:
// spans hold edges, vertices, peaks and horizontal runs, and the image bounds cut them.
TEST(CoverageShape, CoversThePixelsInsideThePolygonAndOnItsEdges) {
  const Raster32 chart(40, 30);
  const std::vector<std::vector<CoveragePoint>> polygons = {
      {{3, 2}, {30, 5}, {17, 25}},                                       // slanted edges
      {{2, 2}, {35, 2}, {35, 20}, {20, 8}, {12, 26}, {2, 20}},           // concave, flat top
      {{-10, -6}, {25, 3}, {50, 14}, {20, 40}},                          // beyond the image
      {{5, 5}, {20, 5}, {20, 15}, {12, 15}, {12, 10}, {8, 10}, {5, 15}}  // notch, flat runs
  };
  for (const auto& polygon : polygons) {
    ASSERT_EQ(PolygonProblem(polygon), "");
    const CoverageShape shape(ChartCoverage{polygon, {}, false}, chart);
    for (std::int32_t y = 0; y < chart.Height(); ++y) {
      for (std::int32_t x = 0; x < chart.Width(); ++x) {
        const bool expected = InsideOrOnEdge(polygon, x, y);
        ASSERT_EQ(shape.Covers(x, y), expected)
            << x << ", " << y << " of polygon " << polygon.size();
        // A sample position is judged by its nearest pixel.
        ASSERT_EQ(shape.Covers(std::max(0.0, x - 0.49), std::max(0.0, y - 0.49)), expected);
      }
    }
    EXPECT_GE(shape.Bounds().Left, 0);
    EXPECT_LE(shape.Bounds().Bottom, chart.Height() - 1);
  }
}

TEST(CoverageShape, EndsAtTheImageAsBilinearSamplingReadsItAndAtTransparentPixels) {
  Raster32 chart(8, 6);
  for (std::int32_t y = 0; y < 6; ++y) {
    for (std::int32_t x = 0; x < 8; ++x) chart.At(x, y) = PackPixel(9, 9, 9, x == 3 ? 0 : 255);
  }
  const CoverageShape bounds(ChartCoverage{{}, {}, false}, chart);
  EXPECT_TRUE(bounds.Covers(0, 0));
  EXPECT_TRUE(bounds.Covers(7, 5));
  EXPECT_FALSE(bounds.Covers(7.01, 2));
  EXPECT_FALSE(bounds.Covers(2, -0.01));
  EXPECT_TRUE(bounds.Covers(3, 2));  // alpha counts only with transparency

  const CoverageShape transparent(ChartCoverage{{}, {}, true}, chart);
  EXPECT_FALSE(transparent.Covers(3, 2));
  EXPECT_FALSE(transparent.Covers(3.4, 2));
  EXPECT_TRUE(transparent.Covers(3.6, 2));
  EXPECT_TRUE(transparent.Covers(2.4, 5));
}

}  // namespace
}  // namespace cz
