#include "georef/ChartViewSampling.h"

#include <gtest/gtest.h>

#include <vector>

namespace cz {
namespace {

// Every pixel names its own position: x in red and green, y in blue; alpha 0 as a decoder
// may leave it.
Raster32 PositionChart(int width, int height) {
  Raster32 chart(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      chart.At(x, y) = PackPixel(static_cast<std::uint8_t>(x >> 8), static_cast<std::uint8_t>(x),
                                 static_cast<std::uint8_t>(y), 0);
    }
  }
  return chart;
}

class ChartViewSampling : public ::testing::TestWithParam<ViewMapping> {};

// What view pixel (u, v) shows is the source pixel a press there picks; past the chart's
// edges the background shows.
TEST_P(ChartViewSampling, ShowsThePixelAPressPicks) {
  const Raster32 chart = PositionChart(3000, 200);
  const ViewMapping mapping = GetParam();
  constexpr int kWidth = 300, kHeight = 120, kStride = 310;
  constexpr std::uint32_t kBackground = 0xFF010203u;
  std::vector<std::uint32_t> view(kStride * kHeight, 7);
  SampleChartView(chart, mapping, kWidth, kHeight, kBackground, view.data(), kStride);
  for (int v = 0; v < kHeight; ++v) {
    for (int u = 0; u < kWidth; ++u) {
      const PixelPoint source = mapping.ToSource(u, v);
      const bool onChart = u >= mapping.HorizontalOffset && v >= mapping.VerticalOffset &&
                           source.X < chart.Width() && source.Y < chart.Height();
      const std::uint32_t expected =
          onChart ? (chart.At(source.X, source.Y) | 0xFF000000u) : kBackground;
      ASSERT_EQ(view[v * kStride + u], expected) << "view pixel " << u << "," << v;
    }
    ASSERT_EQ(view[v * kStride + kWidth], 7u) << "wrote past the row";
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, ChartViewSampling,
                         ::testing::Values(ViewMapping{0.25, 0, 0}, ViewMapping{0.25, -37, -11},
                                           ViewMapping{0.01, 0, 0}, ViewMapping{1.01, -990, -13},
                                           ViewMapping{0.37, 25, 40}, ViewMapping{0.99, -5, 0},
                                           ViewMapping{1.01, -5000, 0}));

TEST(ChartViewSampling, AnEmptyChartShowsOnlyBackground) {
  std::vector<std::uint32_t> view(4 * 3, 0);
  SampleChartView(Raster32{}, ViewMapping{0.25, 0, 0}, 4, 3, 9u, view.data(), 4);
  EXPECT_EQ(view, std::vector<std::uint32_t>(12, 9u));
}

}  // namespace
}  // namespace cz
