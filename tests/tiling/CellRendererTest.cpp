#include "tiling/CellRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "geo/TileGrid.h"
#include "platform/Error.h"
#include "support/ChartLikeTile.h"
#include "tiling/BilinearSampler.h"
#include "tiling/Resampling.h"
#include "tiling/TilingTestSupport.h"

namespace cz {
namespace {

using testing::CoordinateColour;
using testing::FillRegularGrid;
using testing::MakeChart;

constexpr GeoCoord kLat47 = 47 * kOneDegree;
constexpr GeoCoord kLat45 = 45 * kOneDegree;

// --- Bilinear samples and boxes --------------------------------------------------------

class SampleTest : public ::testing::Test {
 protected:
  // 4 × 3 chart; pixel (x, y) = CoordinateColour.
  Raster32 chart = MakeChart(4, 3, CoordinateColour);
};

struct BorderCase {
  double sx, sy;
  bool inside;
  std::int32_t px = 0, py = 0;  // the chart pixel expected when inside
};

class BorderSampleTest : public SampleTest, public ::testing::WithParamInterface<BorderCase> {};

TEST_P(BorderSampleTest, OutsideIsZeroEdgeIsEdgePixel) {
  const BorderCase& c = GetParam();
  const std::uint32_t expected = c.inside ? chart.At(c.px, c.py) : 0u;
  EXPECT_EQ(SampleBilinear(chart, c.sx, c.sy), expected) << c.sx << ", " << c.sy;
}

INSTANTIATE_TEST_SUITE_P(
    Borders, BorderSampleTest,
    ::testing::Values(BorderCase{0, 0, true, 0, 0}, BorderCase{3, 2, true, 3, 2},  // last corner
                      BorderCase{3, 1, true, 3, 1}, BorderCase{1, 2, true, 1, 2},
                      BorderCase{-1.0 / 1024, 0, true, 0, 0},  // rounds onto column 0
                      BorderCase{-0.01, 1, false}, BorderCase{1, -0.01, false},
                      BorderCase{3.01, 1, false}, BorderCase{1, 2.01, false},
                      BorderCase{-1e300, 0, false}, BorderCase{1e300, 1e300, false},
                      BorderCase{std::numeric_limits<double>::quiet_NaN(), 1, false},
                      BorderCase{std::numeric_limits<double>::infinity(), 1, false}));

TEST_F(SampleTest, BilinearWeighsEachByte) {
  Raster32 two = MakeChart(2, 2, [](std::int32_t x, std::int32_t y) {
    return x == 0 ? PackPixel(0, 100, 200, 255) : PackPixel(255, 0, 100, y == 0 ? 255 : 55);
  });
  // A quarter of the way across: 3/4 of column 0, 1/4 of column 1.
  EXPECT_EQ(SampleBilinear(two, 0.25, 0), PackPixel(64, 75, 175, 255));
  // The middle of all four.
  EXPECT_EQ(SampleBilinear(two, 0.5, 0.5), PackPixel(128, 50, 150, 205));
}

// Every 1/256 position of a small chart of random bytes, edges included, against the
// four-product formula each byte: sum of pixel × (256 − wx or wx) × (256 − wy or wy), rounded.
TEST_F(SampleTest, BilinearEqualsTheFourProductSumEverywhere) {
  testing::TinyRandom random(5);
  const Raster32 noise =
      MakeChart(7, 5, [&random](std::int32_t, std::int32_t) { return random.Next(); });
  for (std::int32_t fy = 0; fy <= 4 * 256; ++fy) {
    for (std::int32_t fx = 0; fx <= 6 * 256; ++fx) {
      const std::int32_t x = fx >> 8, y = fy >> 8;
      const auto wx = static_cast<std::uint32_t>(fx & 255),
                 wy = static_cast<std::uint32_t>(fy & 255);
      const std::uint32_t corners[4] = {noise.At(x, y), noise.At(std::min(x + 1, 6), y),
                                        noise.At(x, std::min(y + 1, 4)),
                                        noise.At(std::min(x + 1, 6), std::min(y + 1, 4))};
      const std::uint32_t weights[4] = {(256u - wx) * (256u - wy), wx * (256u - wy),
                                        (256u - wx) * wy, wx * wy};
      std::uint32_t expected = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        std::uint32_t sum = 0x8000;
        for (int k = 0; k < 4; ++k) sum += ((corners[k] >> shift) & 0xFF) * weights[k];
        expected |= (sum >> 16) << shift;
      }
      ASSERT_EQ(SampleBilinear(noise, fx / 256.0, fy / 256.0), expected) << fx << ", " << fy;
    }
  }
}

// The row sampler (four at a time where the processor allows) against one sample at a time:
// rows of positions running from beyond the left edge to beyond the right one, at every
// 1/256 row position and beyond the top and bottom, with NaN here and there, so that groups
// of four fall wholly inside, across an edge and outside.
TEST_F(SampleTest, RowSamplerEqualsOneSampleAtATime) {
  testing::TinyRandom random(11);
  const Raster32 noise =
      MakeChart(9, 6, [&random](std::int32_t, std::int32_t) { return random.Next(); });
  const FixedChart chart(noise);
  std::vector<double> tx, ty;
  for (std::int32_t fy = -300; fy <= 5 * 256 + 300; ++fy) {
    tx.clear(), ty.clear();
    for (std::int32_t fx = -263; fx <= 8 * 256 + 263; ++fx) {
      tx.push_back(fx + 0.5 + (fy & 3) * 0.25);
      ty.push_back((fx % 97 == 0) ? std::numeric_limits<double>::quiet_NaN() : fy + 0.5);
    }
    std::vector<std::uint32_t> fast(tx.size()), one(tx.size());
    SampleFixedRow(chart, tx.data(), ty.data(), tx.size(), fast.data());
    SampleFixedRowOneByOne(chart, tx.data(), ty.data(), tx.size(), one.data());
    ASSERT_EQ(fast, one) << "row " << fy;
  }
}

TEST_F(SampleTest, BoxAverageClampsAndDropsAlpha) {
  Raster32 flat = MakeChart(5, 5, [](std::int32_t x, std::int32_t) {
    return PackPixel(static_cast<std::uint8_t>(10 * x), 7, 1, 255);
  });
  // Inside: columns 1..3 average 20; alpha 0.
  EXPECT_EQ(BoxAverage(flat, 2, 2, 1), PackPixel(20, 7, 1, 0));
  // At the left edge the columns −1, 0, 1 read 0, 0, 10: 10 / 3 = 3 by integer division.
  EXPECT_EQ(BoxAverage(flat, 0, 0, 1), PackPixel(3, 7, 1, 0));
  // Far outside, the nearest edge repeats.
  EXPECT_EQ(BoxAverage(flat, 1000, -1000, 2), PackPixel(40, 7, 1, 0));
  EXPECT_EQ(BoxAverage(flat, 2, 2, 0), PackPixel(20, 7, 1, 0));
  EXPECT_EQ(BoxAverage(Raster32(), 0, 0, 1), 0u);
}

struct ScaleCase {
  double measure;
  bool box;
  std::uint8_t radius;
};

class BoxRadiusTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(BoxRadiusTest, RoundsAThirdOfTheScaleIn8Bits) {
  EXPECT_EQ(BoxRadius(GetParam().measure), GetParam().radius);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, BoxRadiusTest,
                         ::testing::Values(ScaleCase{2.0, true, 1},    // 0.67 → 1
                                           ScaleCase{3.53, true, 1},   // 1.18 → 1
                                           ScaleCase{4.5, true, 2},    // 1.5 → 2 (ties to even)
                                           ScaleCase{7.06, true, 2},   // 2.35 → 2
                                           ScaleCase{7.5, true, 2},    // 2.5 → 2 (ties to even)
                                           ScaleCase{771.0, true, 1},  // 257 held in 8 bits
                                           ScaleCase{1e300, true, 0}));

// --- Renderers ------------------------------------------------------------------------

class CellRendererTest : public ::testing::Test {
 protected:
  void UseChart(std::int32_t width, std::int32_t height) {
    chart = MakeChart(width, height, CoordinateColour);
  }
  CellRenderer Renderer() { return CellRenderer(chart, grid, tile); }

  Raster32 chart;
  ReferenceGrid grid{};
  Raster32 tile;
};

TEST_F(CellRendererTest, AxisParallelCellIsAffineAndSamplesAlongTheEdges) {
  UseChart(500, 700);
  FillRegularGrid(grid, 10, 20, 400, 600);
  CellRenderer renderer = Renderer();
  renderer.DoTransform_2(0, 0, kLat47);
  const std::int32_t w = TileWidthAt(kLat47, 2);
  ASSERT_TRUE(renderer.PT.Affine());
  for (std::int32_t j : {0, 1, 299, 599}) {
    for (std::int32_t i : {0, 1, 200, w - 1}) {
      const double sx = 10 + static_cast<double>(i) / w * 400;
      const double sy = 20 + j / 600.0 * 600;
      EXPECT_EQ(tile.At(i, j), SampleBilinear(chart, sx, sy)) << i << ", " << j;
    }
  }
}

TEST_F(CellRendererTest, ProjectiveCellMatchesDirectEvaluation) {
  UseChart(600, 700);
  FillRegularGrid(grid, 0, 0, 400, 600);
  grid[0][0] = {30, 10};
  grid[1][0] = {390, 40};
  grid[1][1] = {560, 650};
  grid[0][1] = {5, 600};
  CellRenderer renderer = Renderer();
  renderer.DoTransform_2(0, 0, kLat47);
  const std::int32_t w = TileWidthAt(kLat47, 2);
  ASSERT_TRUE(renderer.PT.Defined());
  ASSERT_FALSE(renderer.PT.Affine());
  double sx, sy;
  renderer.PT.Map(w, 600, sx, sy);  // corners land on the grid points
  EXPECT_NEAR(sx, 560, 1e-6);
  EXPECT_NEAR(sy, 650, 1e-6);
  renderer.PT.Map(w, 0, sx, sy);
  EXPECT_NEAR(sx, 390, 1e-6);
  EXPECT_NEAR(sy, 40, 1e-6);
  for (std::int32_t j = 0; j < 600; j += 37) {
    for (std::int32_t i = 0; i < w; i += 29) {
      renderer.PT.Map(i, j, sx, sy);
      EXPECT_EQ(tile.At(i, j), SampleBilinear(chart, sx, sy)) << i << ", " << j;
    }
  }
}

TEST_F(CellRendererTest, PixelsBeyondTheChartAreTransparentBlack) {
  UseChart(200, 300);
  FillRegularGrid(grid, -100, -100, 400, 600);
  Renderer().DoTransform_2(0, 0, kLat47);
  EXPECT_EQ(tile.At(0, 0), 0u);                   // source (−100, −100)
  EXPECT_NE(AlphaOf(tile.At(150, 200)), 0);       // well inside
  EXPECT_EQ(tile.At(tile.Width() - 2, 599), 0u);  // source near (300, 500)
}

struct LevelCase {
  int level;
  std::int32_t expectedWidth;  // raster width
};

class ClearedLevelTest : public CellRendererTest,
                         public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ClearedLevelTest, RasterIsOneWiderAndItsLastColumnStaysZero) {
  UseChart(1201, 1201);
  FillRegularGrid(grid, 0, 0, 1200, 1200);
  tile = MakeChart(3, 3, CoordinateColour);  // whatever it held is cleared
  CellRenderer renderer = Renderer();
  switch (GetParam().level) {
    case 0:
      renderer.DoTransform_0(0, 0, 15, kLat45);
      break;
    case 1:
      renderer.DoTransform_1(0, 0, 0, kLat45);
      break;
    default:
      renderer.DoTransform_2(0, 0, kLat45);
      break;
  }
  ASSERT_EQ(tile.Width(), GetParam().expectedWidth);
  ASSERT_EQ(tile.Height(), 600);
  const std::int32_t w = tile.Width() - 1;
  for (std::int32_t j = 0; j < 600; ++j) {
    ASSERT_EQ(tile.At(w, j), 0u) << j;
    ASSERT_EQ(AlphaOf(tile.At(w - 1, j)), 255) << j;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, ClearedLevelTest,
                         ::testing::Values(LevelCase{0, 426},  // W = 425 at 45° N, level 0
                                           LevelCase{1, 427},  // level-1 row 90: 426
                                           LevelCase{2, 427 + 1}));

// Half-degree quarters take the width of their own row; quarter-degree parts all take the
// width of the cell's top row.
TEST_F(CellRendererTest, PartsTakeTheirRowWidth) {
  UseChart(100, 100);
  FillRegularGrid(grid, 0, 0, 100, 100);
  CellRenderer renderer = Renderer();
  const std::int32_t north = TileWidthAt(kLat47, 1);
  const std::int32_t south = TileWidthAt(kLat47 - kHalfDegree, 1);
  ASSERT_NE(north, south);
  for (std::uint8_t q = 0; q < 4; ++q) {
    renderer.DoTransform_1(0, 0, q, kLat47);
    EXPECT_EQ(tile.Width(), (q < 2 ? north : south) + 1) << int{q};
  }
  ASSERT_NE(TileWidthAt(kLat47, 0), TileWidthAt(kLat47 - 3 * kQuarterDegree, 0));
  for (std::uint8_t q = 0; q < 16; ++q) {
    renderer.DoTransform_0(0, 0, q, kLat47);
    EXPECT_EQ(tile.Width(), TileWidthAt(kLat47, 0) + 1) << int{q};
  }
}

struct ScaleWidthCase {
  std::int32_t cellWidth;
  double measure;
  std::uint8_t radius;  // 255: bilinear expected
};

class QuarterDegreeScaleTest : public CellRendererTest,
                               public ::testing::WithParamInterface<ScaleWidthCase> {};

TEST_P(QuarterDegreeScaleTest, WideCellsAverageBoxes) {
  const ScaleWidthCase& c = GetParam();
  UseChart(c.cellWidth + 1, 101);
  FillRegularGrid(grid, 0, 0, c.cellWidth, 100);
  CellRenderer renderer = Renderer();
  renderer.DoTransform_0(0, 0, 0, kLat45);  // W = 425
  const double measure = ScaleMeasure(renderer.PT.Destination(), 425);
  EXPECT_NEAR(measure, c.measure, 0.01);
  double sx, sy;
  renderer.PT.Map(100, 300, sx, sy);
  const std::uint32_t pixel = tile.At(100, 300);
  if (c.radius == 255) {
    EXPECT_EQ(pixel, SampleBilinear(chart, sx, sy));
  } else {
    EXPECT_EQ(BoxRadius(measure), c.radius);
    EXPECT_EQ(pixel, BoxAverage(chart, static_cast<std::int64_t>(sx), static_cast<std::int64_t>(sy),
                                c.radius));
    EXPECT_EQ(AlphaOf(pixel), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, QuarterDegreeScaleTest,
                         ::testing::Values(ScaleWidthCase{400, 0.353, 255},
                                           ScaleWidthCase{4000, 3.529, 1},
                                           ScaleWidthCase{8000, 7.059, 2}));

TEST_F(CellRendererTest, BoxAveragedPixelsBeyondTheChartRepeatItsEdge) {
  chart = MakeChart(4001, 101, [](std::int32_t x, std::int32_t) {
    return x == 0 ? PackPixel(90, 90, 90, 255) : PackPixel(10, 10, 10, 255);
  });
  FillRegularGrid(grid, -4000, 0, 4000, 100);  // the west half of the cell lies off the chart
  CellRenderer renderer = Renderer();
  renderer.DoTransform_0(0, 0, 0, kLat45);
  EXPECT_EQ(tile.At(0, 0), PackPixel(90, 90, 90, 0));
}

TEST_F(CellRendererTest, TwoDegreeQuarterDrawsOnlyItsRectangleAndKeepsTheRest) {
  UseChart(100, 100);
  FillRegularGrid(grid, 0, 0, 100, 100);
  const GeoCoord lat = 2 * kOneDegree;  // level-3 row 44: W = 599
  ASSERT_EQ(TileWidthAt(lat, 3), 599);
  tile = Raster32(599, 600);
  const std::uint32_t kept = PackPixel(1, 2, 3, 4);
  tile.Fill(kept);
  Renderer().DoTransform_3(0, 0, 1, lat);
  EXPECT_EQ(tile.At(299, 0), kept);  // quarter 0 ends at column 299
  EXPECT_NE(tile.At(300, 0), kept);  // quarter 1 starts at Round(299.5) = 300
  EXPECT_NE(tile.At(598, 299), kept);
  EXPECT_EQ(tile.At(300, 300), kept);  // the south half is untouched
}

TEST_F(CellRendererTest, GrowingTheRasterAddsOpaqueBlack) {
  UseChart(100, 100);
  FillRegularGrid(grid, 0, 0, 100, 100);
  const GeoCoord lat = 4 * kOneDegree;  // level-4 row 21: W = 598
  tile = Raster32(10, 600);
  const std::uint32_t kept = PackPixel(1, 2, 3, 4);
  tile.Fill(kept);
  Renderer().DoTransform_4(0, 0, 0, lat);
  ASSERT_EQ(tile.Width(), 598);
  EXPECT_NE(tile.At(0, 0), kept);                         // block 0 drawn
  EXPECT_EQ(tile.At(5, 150), kept);                       // below block 0: kept
  EXPECT_EQ(tile.At(300, 150), PackPixel(0, 0, 0, 255));  // new pixel, not drawn
}

// --- Folded and degenerate cells ------------------------------------------------------

struct FoldedCase {
  const char* name;
  PixelQuad quad;
};

class FoldedCellTest : public CellRendererTest, public ::testing::WithParamInterface<FoldedCase> {
 protected:
  void SetUp() override {
    UseChart(300, 300);
    FillRegularGrid(grid, 0, 0, 100, 100);
    const PixelQuad& q = GetParam().quad;
    grid[0][0] = {q[0].X, q[0].Y};
    grid[1][0] = {q[1].X, q[1].Y};
    grid[1][1] = {q[2].X, q[2].Y};
    grid[0][1] = {q[3].X, q[3].Y};
  }
  // Every pixel of rect is 0.
  void ExpectBlack(const TileRect& rect) {
    for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
      for (std::int32_t i = rect.Left; i < rect.Right; ++i) {
        ASSERT_EQ(tile.At(i, j), 0u) << GetParam().name << " at " << i << ", " << j;
      }
    }
  }
};

// The whole cell is one quadrilateral at levels 2 to 4.
TEST_P(FoldedCellTest, RendersBlackAtOneToFourDegrees) {
  CellRenderer renderer = Renderer();
  const GeoCoord lat = 4 * kOneDegree;
  renderer.DoTransform_2(0, 0, lat);
  EXPECT_FALSE(renderer.PT.Defined());
  ExpectBlack({0, 0, tile.Width(), 600});
  tile = Raster32(600, 600);
  tile.Fill(0xFFFFFFFFu);
  renderer.DoTransform_3(0, 0, 2, lat);
  ExpectBlack(Level3Rectangle(TileWidthAt(lat, 3), 2));
  renderer.DoTransform_4(0, 0, 9, lat);
  ExpectBlack(Level4Rectangle(TileWidthAt(lat, 4), 9));
}

// Quarters and sixteenths of a folded cell may themselves be sound quadrilaterals and render;
// those that are not stay black. Either way nothing is read outside the chart (the
// sanitizer build checks that).
TEST_P(FoldedCellTest, PartsRenderOnlyWhereTheyAreConvex) {
  CellRenderer renderer = Renderer();
  const GeoCoord lat = 4 * kOneDegree;
  for (std::uint8_t q = 0; q < 4; ++q) {
    renderer.DoTransform_1(0, 0, q, lat);
    if (!renderer.PT.Defined()) ExpectBlack({0, 0, tile.Width(), 600});
  }
  for (std::uint8_t q = 0; q < 16; ++q) {
    renderer.DoTransform_0(0, 0, q, lat);
    if (!renderer.PT.Defined()) ExpectBlack({0, 0, tile.Width(), 600});
  }
}

TEST_F(CellRendererTest, QuarterDegreePartsOfAFoldedQuarterAreBlack) {
  UseChart(300, 300);
  FillRegularGrid(grid, 0, 0, 100, 100);
  grid[0][0] = {0, 0};
  grid[1][0] = {200, 0};
  grid[1][1] = {0, 200};  // bow tie: every quarter is folded as well
  grid[0][1] = {200, 200};
  CellRenderer renderer = Renderer();
  for (std::uint8_t q = 0; q < 16; ++q) {
    renderer.DoTransform_0(0, 0, q, 4 * kOneDegree);
    for (std::int32_t j = 0; j < 600; j += 7) {
      for (std::int32_t i = 0; i < tile.Width(); i += 7) ASSERT_EQ(tile.At(i, j), 0u) << int{q};
    }
  }
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Cells, FoldedCellTest,
    ::testing::Values(
        FoldedCase{"bow tie", {PixelPoint{0, 0}, {100, 0}, {0, 100}, {100, 100}}},
        FoldedCase{"top edge reversed", {PixelPoint{100, 0}, {0, 0}, {100, 100}, {0, 100}}},
        FoldedCase{"one point", {PixelPoint{50, 50}, {50, 50}, {50, 50}, {50, 50}}},
        FoldedCase{"three corners in a line", {PixelPoint{0, 0}, {50, 0}, {100, 0}, {0, 100}}},
        FoldedCase{"concave", {PixelPoint{0, 0}, {100, 0}, {10, 10}, {0, 100}}},
        FoldedCase{"extreme", {PixelPoint{kMin, kMin}, {kMax, kMax}, {kMin, kMax}, {kMax, kMin}}}),
    [](const ::testing::TestParamInfo<FoldedCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) ch = ch == ' ' ? '_' : ch;
      return name;
    });

TEST_F(CellRendererTest, HugeButConvexCellsStayWithinTheChart) {
  UseChart(50, 50);
  FillRegularGrid(grid, 0, 0, 100, 100);
  grid[0][0] = {kMin, kMin};
  grid[1][0] = {kMax, kMin};
  grid[1][1] = {kMax, kMax};
  grid[0][1] = {kMin + 5, kMax};
  CellRenderer renderer = Renderer();
  renderer.DoTransform_2(0, 0, kLat47);
  for (std::uint8_t q = 0; q < 16; ++q) renderer.DoTransform_0(0, 0, q, kLat47);
  SUCCEED();
}

TEST_F(CellRendererTest, CellsOutsideTheGridAreRefused) {
  UseChart(10, 10);
  CellRenderer renderer = Renderer();
  EXPECT_THROW(renderer.DoTransform_2(63, 0, kLat47), CartozenError);
  EXPECT_THROW(renderer.DoTransform_2(0, -1, kLat47), CartozenError);
  EXPECT_THROW(renderer.DoTransform_4(0, 0, 16, kLat47), CartozenError);
}

}  // namespace
}  // namespace cz

namespace cz {
namespace {

// --- Box averaging by summed areas ---------------------------------------------------------

struct BoxCase {
  const char* label;
  std::array<FloatPoint, 4> quad;  // where the tile rectangle lands on the 300 × 200 chart
  TileRect rect;                   // tile pixels drawn, of a 0..60 × 0..40 rectangle
  std::uint8_t k;
};

class BoxAverageRenderTest : public ::testing::TestWithParam<BoxCase> {};

// RenderBoxAverage gives what summing every box pixel by pixel (BoxAverage at the
// incrementally evaluated position) always gave, whichever way it sums.
TEST_P(BoxAverageRenderTest, EqualsThePixelByPixelSums) {
  const BoxCase& c = GetParam();
  const Raster32 chart = testing::MakeChart(300, 200, [](std::int32_t x, std::int32_t y) {
    return PackPixel(static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 11 + x),
                     static_cast<std::uint8_t>((x ^ y) * 5), 255);
  });
  ProjectiveTransform pt;
  pt.SetDestination(c.quad);
  pt.SetSource({0, 0, 60, 40});
  ASSERT_TRUE(pt.Defined());
  Raster32 tile(60, 40);
  RenderBoxAverage(pt, chart, tile, c.rect, c.k);
  for (std::int32_t j = c.rect.Top; j < c.rect.Bottom; ++j) {
    const ProjectiveTransform::RowLine line = pt.Row(j);
    double x = line.X0 + line.DX * c.rect.Left, y = line.Y0 + line.DY * c.rect.Left;
    double w = line.W0 + line.DW * c.rect.Left;
    for (std::int32_t i = c.rect.Left; i < c.rect.Right; ++i) {
      const auto bounded = [](double v) {
        return static_cast<std::int64_t>(std::clamp(v, -1e12, 1e12));
      };
      ASSERT_EQ(tile.At(i, j), BoxAverage(chart, bounded(x / w), bounded(y / w), c.k))
          << c.label << " at " << i << ", " << j;
      x += line.DX, y += line.DY, w += line.DW;
    }
  }
}

constexpr std::array<FloatPoint, 4> kOnChart = {{{20, 10}, {280, 20}, {270, 190}, {10, 180}}};
constexpr std::array<FloatPoint, 4> kTwiceTheChart = {{{-300, -200}, {600, -200}, {600, 400},
                                                       {-300, 400}}};
constexpr std::array<FloatPoint, 4> kMistypedCorner = {{{0, 0}, {90000, 0}, {90000, 200},
                                                        {0, 150}}};
constexpr std::array<FloatPoint, 4> kFarAway = {{{-9e5, 1e5}, {-8e5, 1e5}, {-8e5, 2e5},
                                                 {-9e5, 2e5}}};

INSTANTIATE_TEST_SUITE_P(
    Cases, BoxAverageRenderTest,
    ::testing::Values(BoxCase{"small radius inside", kOnChart, {0, 0, 60, 40}, 1},
                      BoxCase{"radius 0", kOnChart, {3, 5, 50, 9}, 0},
                      BoxCase{"boxes over every edge", kTwiceTheChart, {0, 0, 60, 40}, 7},
                      BoxCase{"boxes larger than the chart", kTwiceTheChart, {0, 0, 60, 8}, 255},
                      BoxCase{"mistyped corner", kMistypedCorner, {0, 0, 60, 20}, 200},
                      BoxCase{"far beyond a corner", kFarAway, {10, 10, 30, 20}, 255},
                      BoxCase{"one column", kOnChart, {59, 0, 60, 40}, 40}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace cz
