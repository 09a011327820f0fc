// GeoTIFFs of ground control points: the fitted transform against the chart's true projection
// (12 points on a Lambert chart), each point's residual, and the point sets that must be
// refused with the file's name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "georef/ChartGeoReference.h"
#include "georef/ControlPointFit.h"
#include "platform/Error.h"
#include "support/ControlPointCharts.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

struct FitCase {
  ControlPointFitKind kind;
  const char* file;       // 12 points (4 × 3), or 16 (4 × 4) for order 3, whose v³ term three
                          // rows of points cannot tell apart
  double worstFromTruth;  // chart pixels, over the chart
};

class ControlPointCharts : public ::testing::TestWithParam<FitCase> {
 protected:
  static void SetUpTestSuite() {
    folder = new testing::TempFolder;
    layout = new SampleGeoTiff(testing::WriteControlPointChart(*folder / "cp.tif"));
    testing::WriteControlPointChart(*folder / "cp16.tif", 4, 4);
  }
  static void TearDownTestSuite() {
    delete layout;
    delete folder;
  }
  static testing::TempFolder* folder;
  static SampleGeoTiff* layout;
};
testing::TempFolder* ControlPointCharts::folder = nullptr;
SampleGeoTiff* ControlPointCharts::layout = nullptr;

// Over a lattice of the chart: the fitted pixel of every position against the true one, and
// the fitted inverse against the fitted forward map.
TEST_P(ControlPointCharts, FitFollowsTheTrueProjectionAndInvertsItself) {
  const std::optional<ChartProjection> fitted = ReadChartGeoReference(*folder / GetParam().file, GetParam().kind);
  ASSERT_TRUE(fitted && fitted->ControlPoints());
  EXPECT_EQ(fitted->FitKind(), GetParam().kind);
  const ChartProjection truth = SampleGeoTiffProjection(*layout, "truth");
  double worst = 0, worstBack = 0;
  for (int j = 0; j <= 20; ++j) {
    for (int i = 0; i <= 20; ++i) {
      const ChartPixel pixel{(layout->Width - 1) * i / 20.0, (layout->Height - 1) * j / 20.0};
      const LatLon p = *truth.PositionOf(pixel);
      const ChartPixel at = *fitted->PixelOf(p);
      worst = std::max(worst, std::hypot(at.X - pixel.X, at.Y - pixel.Y));
      const std::optional<LatLon> back = fitted->PositionOf(at);
      ASSERT_TRUE(back.has_value());
      worstBack = std::max({worstBack, std::abs(back->Latitude - p.Latitude),
                            std::abs(back->Longitude - p.Longitude)});
    }
  }
  std::printf("%s: worst %.3f px from the truth over the chart; %s\n",
              ControlPointFitKindName(GetParam().kind).c_str(), worst,
              ControlPointSummary(*fitted->ControlPoints()).c_str());
  EXPECT_LE(worst, GetParam().worstFromTruth);
  EXPECT_LE(worstBack, 1e-9);
}

// The residuals tell a misplaced point: one moved by 12 px stands out as the worst, whatever
// the fit, and a spline's residual is what the spline through the others says there.
TEST_P(ControlPointCharts, AMisplacedPointHasTheWorstResidual) {
  SampleGeoTiff moved = *layout;
  if (GetParam().kind == ControlPointFitKind::Order3) {
    moved.ControlPoints = SampleControlPoints(moved, 4, 4);
  }
  moved.ControlPoints[5].PixelX += 12;
  const std::string path = *folder / "moved.tif";
  WriteSampleGeoTiff(moved, path);
  const ChartProjection fitted = *ReadChartGeoReference(path, GetParam().kind);
  const ControlPointReport& report = *fitted.ControlPoints();
  EXPECT_EQ(report.Worst(), 5u);
  EXPECT_GT(report.Points[5].Residual, 4.0);
  EXPECT_DOUBLE_EQ(report.Points[5].PixelX, moved.ControlPoints[5].PixelX);
  if (GetParam().kind != ControlPointFitKind::Spline) return;
  std::vector<ControlPoint> others = moved.ControlPoints;
  others.erase(others.begin() + 5);
  const ControlPointFit spline =
      ControlPointFit::Make(others, ControlPointFitKind::Spline, moved.Width, moved.Height, path);
  double x = 0, y = 0;
  spline.PixelOf(moved.ControlPoints[5].Model, x, y);
  EXPECT_NEAR(report.Points[5].FittedX, x, 1e-6);
  EXPECT_NEAR(report.Points[5].FittedY, y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Fits, ControlPointCharts,
                         ::testing::Values(FitCase{ControlPointFitKind::Order1, "cp.tif", 20},
                                           FitCase{ControlPointFitKind::Order2, "cp.tif", 0.5},
                                           FitCase{ControlPointFitKind::Order3, "cp16.tif", 0.5},
                                           FitCase{ControlPointFitKind::Spline, "cp.tif", 1.0}),
                         [](const auto& info) {
                           return info.param.kind == ControlPointFitKind::Spline ? std::string("Spline")
                                                                : "Order" + ControlPointFitKindText(info.param.kind);
                         });

// Point sets on a small geographic chart (model = degrees) that cannot be fitted.
struct RefusedCase {
  const char* name;
  std::vector<ControlPoint> points;
  ControlPointFitKind kind;
  const char* reason;
};

ControlPoint At(double x, double y) { return {x, y, {5 + x / 100, 52 - y / 100}}; }

std::vector<ControlPoint> Lattice(int count) {
  std::vector<ControlPoint> points;
  for (int k = 0; k < count; ++k) points.push_back(At(k % 40, k / 40));
  return points;
}

const RefusedCase kRefused[] = {
    {"TwoPointsForOrder2", {At(5, 5), At(30, 30)}, ControlPointFitKind::Order2,
     "2 control points are too few for an order 2 polynomial (it needs 6)"},
    {"NinePointsForOrder3",
     {At(0, 0), At(20, 0), At(39, 0), At(0, 20), At(20, 20), At(39, 20), At(0, 39), At(20, 39),
      At(39, 39)},
     ControlPointFitKind::Order3,
     "9 control points are too few for an order 3 polynomial (it needs 10)"},
    {"PointsOnALine", {At(0, 0), At(10, 10), At(20, 20), At(30, 30)}, ControlPointFitKind::Order1,
     "the 4 control points do not determine an order 1 polynomial (they coincide, or lie on a "
     "line or a curve)"},
    {"TwoPointsCoincide", {At(0, 0), At(39, 0), At(0, 39), At(0, 39)}, ControlPointFitKind::Spline,
     "the 4 control points do not determine a thin-plate spline (they coincide, or lie on a line "
     "or a curve)"},
    // The spline's dense system would grow with the square of a file's count.
    {"TooManyForASpline", Lattice(1001), ControlPointFitKind::Spline,
     "1001 control points are too many for a thin-plate spline (at most 1000)"},
    // The middle row's points swap places: the spline through them must turn the chart over.
    {"SwappedNeighboursFold",
     {At(0, 0), At(20, 0), At(39, 0), {10, 20, {5.3, 51.8}}, {30, 20, {5.1, 51.8}}, At(0, 39),
      At(20, 39), At(39, 39)},
     ControlPointFitKind::Spline,
     "the 8 control points fold a thin-plate spline over the chart (it would show some places "
     "twice)"},
};

class RefusedControlPoints : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedControlPoints, NameTheFileAndWhatIsWrong) {
  testing::TempFolder folder;
  const std::string path = folder / "points.tif";
  SampleGeoTiff chart{"", 4326, 5, 52, 0.01, 40, 40, false};
  chart.ControlPoints = GetParam().points;
  WriteSampleGeoTiff(chart, path);
  try {
    ReadChartGeoReference(path, GetParam().kind);
    FAIL() << "accepted";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()),
              std::string("Cannot use the georeference of points.tif: ") + GetParam().reason);
  }
}

INSTANTIATE_TEST_SUITE_P(Points, RefusedControlPoints, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
