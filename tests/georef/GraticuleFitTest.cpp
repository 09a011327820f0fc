// Fitting the grid to the printed graticule of a scan-like chart whose truth is known
// (support/ScanLikeChart.h), and the residual report of hand-placed grids.
#include "georef/GraticuleFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "support/ScanLikeChart.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using namespace testing;  // the scan-like chart

class GraticuleFitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    chart_ = new ScanLikeChart;
    testing::TempFolder folder;
    printed_ = new Raster32(Scanned(Draw(*chart_, true), folder / "scan.jpg"));
    blank_ = new Raster32(Scanned(Draw(*chart_, false), folder / "blank.jpg"));
  }
  static void TearDownTestSuite() {
    delete chart_, delete printed_, delete blank_;
  }
  static ScanLikeChart* chart_;
  static Raster32* printed_;
  static Raster32* blank_;
};
ScanLikeChart* GraticuleFitTest::chart_ = nullptr;
Raster32* GraticuleFitTest::printed_ = nullptr;
Raster32* GraticuleFitTest::blank_ = nullptr;

TEST_F(GraticuleFitTest, FindsThePrintedCrossingsAndFlagsTheOneUnderTheLegend) {
  const GeoReference model = TwoCornerModel(*chart_);
  ASSERT_EQ(model.NLon, kNLon);  // laid out
  ASSERT_EQ(model.NLat, kNLat);
  const GridReport report = FindGraticule(*printed_, model);
  ASSERT_EQ(report.Points.size(), std::size_t((kNLon + 1) * (kNLat + 1)));
  double before = 0, after = 0;
  int accepted = 0;
  for (const ReportedPoint& p : report.Points) {
    const ChartPixel truth = chart_->Truth(p.Column, p.Row);
    if (p.Column == kCoveredColumn && p.Row == kCoveredRow) {
      EXPECT_EQ(p.Mark, PointMark::Flagged);
      EXPECT_EQ(p.Found.X, p.Model.X);
      EXPECT_EQ(p.Found.Y, p.Model.Y);
      continue;
    }
    EXPECT_NE(p.Mark, PointMark::Flagged) << p.Column << "/" << p.Row;
    before += std::pow(std::hypot(p.Model.X - truth.X, p.Model.Y - truth.Y), 2);
    after += std::pow(std::hypot(p.Found.X - truth.X, p.Found.Y - truth.Y), 2);
    ++accepted;
  }
  before = std::sqrt(before / accepted), after = std::sqrt(after / accepted);
  std::printf("two-corner model %.2f px RMS from the truth, fitted points %.2f px\n", before, after);
  EXPECT_LT(after, 0.5);
  EXPECT_GT(before, 2 * after);

  // The fitted grid is a hand-placed one with the found points; the covered one kept.
  const GeoReference fitted = WithFittedGrid(model, report);
  EXPECT_EQ(fitted.Method(), GeoReferencingMethod::ManualGrid);
  EXPECT_EQ(fitted.Grid[kCoveredColumn][kCoveredRow].X, model.Grid[kCoveredColumn][kCoveredRow].X);
  const ChartPixel truth = chart_->Truth(1, 1);
  EXPECT_NEAR(fitted.Grid[1][1].X, truth.X, 0.5 + 0.5);
  EXPECT_NEAR(fitted.Grid[1][1].Y, truth.Y, 0.5 + 0.5);
}

TEST_F(GraticuleFitTest, WithoutAPrintedGraticuleEveryPointIsFlaggedAndTheGridKept) {
  const GeoReference model = TwoCornerModel(*chart_);
  const GridReport report = FindGraticule(*blank_, model);
  EXPECT_EQ(report.Flagged(), std::int32_t(report.Points.size()));
  const GeoReference kept = WithFittedGrid(model, report);
  EXPECT_EQ(kept.Method(), model.Method());
  EXPECT_EQ(GridFitSummary(report), "No printed graticule was found: the grid is left as it was");
}

TEST(GridResidualsTest, FlagThePointMovedByHand) {
  GeoReference geo;
  geo.TopLeft = {50, 5, 100, 100};
  geo.BottomRight = {46, 11, 100 + 6 * 400, 100 + 4 * 560};
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::SemiAutomaticLambert);
  ASSERT_TRUE(LayoutReferenceGrid(geo).LaidOut());
  EXPECT_EQ(GridResiduals(geo).Flagged(), 0);
  geo.Grid[3][2].X += 30;
  const GridReport report = GridResiduals(geo);
  EXPECT_EQ(report.Flagged(), 1);
  const ReportedPoint& worst = report.Points[report.Worst().front()];
  EXPECT_EQ(worst.Column, 3);
  EXPECT_EQ(worst.Row, 2);
  EXPECT_EQ(worst.Mark, PointMark::Flagged);
}

}  // namespace
}  // namespace cz
