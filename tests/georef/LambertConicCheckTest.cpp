// How well the semi-automatic layout follows a real Lambert conformal conic chart.
//
// The test projects the whole-degree intersections of a 4 × 4 degree chart with the
// spherical Lambert conformal conic formulas (standard parallels 33° and 45° N), fits the two
// corner references and the two skews the way an operator would (corners on the outer
// intersections, each skew from its edge meridian's lean), lays the grid out, and measures
// how far each grid point lands from the true intersection.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "georef/GridLayout.h"

namespace cz {
namespace {

constexpr double kDegree = M_PI / 180.0;

struct LambertConic {
  double n, f, rho0, lambda0;

  LambertConic(double standard1, double standard2, double originLatitude, double centralMeridian) {
    const double p1 = standard1 * kDegree, p2 = standard2 * kDegree;
    n = std::log(std::cos(p1) / std::cos(p2)) /
        std::log(std::tan(M_PI / 4 + p2 / 2) / std::tan(M_PI / 4 + p1 / 2));
    f = std::cos(p1) * std::pow(std::tan(M_PI / 4 + p1 / 2), n) / n;
    rho0 = Rho(originLatitude);
    lambda0 = centralMeridian;
  }
  double Rho(double latitude) const {
    return kEarthRadius * f / std::pow(std::tan(M_PI / 4 + latitude * kDegree / 2), n);
  }
  // Kilometres east and north of the projection's origin.
  void Project(double latitude, double longitude, double& x, double& y) const {
    const double rho = Rho(latitude);
    const double theta = n * (longitude - lambda0) * kDegree;
    x = rho * std::sin(theta);
    y = rho0 - rho * std::cos(theta);
  }
  static constexpr double kEarthRadius = 6371.0;
};

struct PlottedPixel {
  double x, y;
};

// A chart of 4 × 4 degrees from (top, left), about 600 pixels per degree of latitude, with
// its top-left intersection near pixel (300, 300).
class SyntheticChart {
 public:
  SyntheticChart(const LambertConic& projection, double top, double left)
      : projection_(projection), top_(top), left_(left) {
    scale_ = 600.0 / (LambertConic::kEarthRadius * kDegree);
    double x, y;
    projection_.Project(top, left, x, y);
    // Leave room for the bulge of the top parallel.
    double midX, midY;
    projection_.Project(top, left + 2, midX, midY);
    originX_ = 300 - x * scale_;
    originY_ = 300 + std::max(y, midY) * scale_;
  }
  PlottedPixel At(double latitude, double longitude) const {
    double x, y;
    projection_.Project(latitude, longitude, x, y);
    return {originX_ + x * scale_, originY_ - y * scale_};
  }
  double Top() const { return top_; }
  double Left() const { return left_; }

 private:
  const LambertConic& projection_;
  double top_, left_, scale_, originX_, originY_;
};

struct Deviation {
  double max = 0, rms = 0;
};

Deviation Measure(const SyntheticChart& chart, GeoReference geoRef) {
  EXPECT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  EXPECT_EQ(geoRef.NLon, 4);
  EXPECT_EQ(geoRef.NLat, 4);
  Deviation d;
  for (int r = 0; r <= 4; ++r) {
    for (int c = 0; c <= 4; ++c) {
      const PlottedPixel truth = chart.At(chart.Top() - r, chart.Left() + c);
      const double dx = geoRef.Grid[c][r].X - truth.x, dy = geoRef.Grid[c][r].Y - truth.y;
      const double distance = std::hypot(dx, dy);
      d.max = std::max(d.max, distance);
      d.rms += distance * distance;
    }
  }
  d.rms = std::sqrt(d.rms / 25);
  return d;
}

// Corners on the outer intersections; skews from the lean of the edge meridians, in pixels
// per degree of latitude (negative when the meridian leans inward going up).
GeoReference OperatorFit(const SyntheticChart& chart) {
  const PlottedPixel tl = chart.At(chart.Top(), chart.Left());
  const PlottedPixel bl = chart.At(chart.Top() - 4, chart.Left());
  const PlottedPixel tr = chart.At(chart.Top(), chart.Left() + 4);
  const PlottedPixel br = chart.At(chart.Top() - 4, chart.Left() + 4);
  GeoReference geoRef;
  geoRef.TopLeft = {chart.Top(), chart.Left(), static_cast<std::int32_t>(std::lrint(tl.x)),
                    static_cast<std::int32_t>(std::lrint(tl.y))};
  geoRef.BottomRight = {chart.Top() - 4, chart.Left() + 4,
                        static_cast<std::int32_t>(std::lrint(br.x)),
                        static_cast<std::int32_t>(std::lrint(br.y))};
  geoRef.SkewLeft = static_cast<std::int32_t>(std::lrint((bl.x - tl.x) / 4));
  geoRef.SkewRight = static_cast<std::int32_t>(std::lrint((tr.x - br.x) / 4));
  return geoRef;
}

// The best the operator could do by moving both skews by up to 30 pixels per degree.
Deviation BestSkewFit(const SyntheticChart& chart, GeoReference geoRef) {
  Deviation best = Measure(chart, geoRef);
  const std::int32_t left = geoRef.SkewLeft, right = geoRef.SkewRight;
  for (int dl = -30; dl <= 30; ++dl) {
    for (int dr = -30; dr <= 30; ++dr) {
      geoRef.SkewLeft = left + dl;
      geoRef.SkewRight = right + dr;
      const Deviation d = Measure(chart, geoRef);
      if (d.max < best.max) best = d;
    }
  }
  return best;
}

struct ChartCase {
  const char* name;
  double top, left, centralMeridian;
  double maxPixels;  // bound for the operator's fit: the measure rounded up (600 px a degree)
};

class LambertConicCheck : public ::testing::TestWithParam<ChartCase> {};

TEST_P(LambertConicCheck, LayoutFollowsTheGraticule) {
  const ChartCase& c = GetParam();
  const LambertConic projection(33.0, 45.0, 39.0, c.centralMeridian);
  const SyntheticChart chart(projection, c.top, c.left);
  const GeoReference fit = OperatorFit(chart);
  const Deviation fitted = Measure(chart, fit);
  const Deviation best = BestSkewFit(chart, fit);
  std::printf(
      "[ LCC 33/45 ] %s: skews %d/%d, operator fit max %.2f px rms %.2f px; "
      "best skews max %.2f px rms %.2f px (600 px per degree)\n",
      c.name, fit.SkewLeft, fit.SkewRight, fitted.max, fitted.rms, best.max, best.rms);
  RecordProperty("fit_max_px", std::to_string(fitted.max));
  RecordProperty("fit_rms_px", std::to_string(fitted.rms));
  EXPECT_LT(fitted.max, c.maxPixels);
  // The reference corners themselves are hit to the rounding of their pixels.
  GeoReference laidOut = fit;
  LayoutReferenceGrid(laidOut);
  EXPECT_LE(std::abs(laidOut.Grid[0][0].X - fit.TopLeft.X), 1);
  EXPECT_LE(std::abs(laidOut.Grid[0][0].Y - fit.TopLeft.Y), 1);
}

INSTANTIATE_TEST_SUITE_P(
    GridLayout, LambertConicCheck,
    ::testing::Values(ChartCase{"CentredOnTheCentralMeridian", 51.0, 4.0, 6.0, 6.0},
                      ChartCase{"BetweenTheStandardParallels", 42.0, -2.0, 0.0, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

// The method assumes a chart about the projection's central meridian: the apex is searched
// above only when the left edge meridian leans inward. A chart wholly east of the central
// meridian has both meridians leaning the same way, the apex is not found and the parallels
// are laid out straight (about 144 pixels off at 600 pixels a degree). Such charts need the
// manual grid.
TEST(LambertConicLimits, AChartOffTheCentralMeridianGetsStraightParallels) {
  const LambertConic projection(33.0, 45.0, 39.0, 6.0);
  const SyntheticChart chart(projection, 51.0, 12.0);
  GeoReference geoRef = OperatorFit(chart);
  EXPECT_GT(geoRef.SkewLeft, 0);
  EXPECT_LT(geoRef.SkewRight, 0);
  const Deviation d = Measure(chart, geoRef);
  std::printf(
      "[ LCC 33/45 ] EightDegreesEastOfTheCentralMeridian: skews %d/%d, max %.2f px "
      "rms %.2f px\n",
      geoRef.SkewLeft, geoRef.SkewRight, d.max, d.rms);
  LayoutReferenceGrid(geoRef);
  EXPECT_FALSE(geoRef.Apex.Found);
}

}  // namespace
}  // namespace cz
