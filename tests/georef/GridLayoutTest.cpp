#include "georef/GridLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace cz {
namespace {

GeoReference Reference(CornerReference topLeft, CornerReference bottomRight,
                       GeoReferencingMethod method = GeoReferencingMethod::SemiAutomaticLambert,
                       std::int32_t skewLeft = 0, std::int32_t skewRight = 0) {
  GeoReference geoRef;
  geoRef.TopLeft = topLeft;
  geoRef.BottomRight = bottomRight;
  geoRef.GeoReferencingType = static_cast<std::uint8_t>(method);
  geoRef.SkewLeft = skewLeft;
  geoRef.SkewRight = skewRight;
  return geoRef;
}

// 51.25° N 4.25° E at pixel (100, 200) to 49° N 7° E at pixel (1200, 1550).
GeoReference Benelux(GeoReferencingMethod method = GeoReferencingMethod::SemiAutomaticLambert) {
  return Reference({51.25, 4.25, 100, 200}, {49.0, 7.0, 1200, 1550}, method);
}

TEST(GridLayoutTest, DerivesEveryValueFromTheCornerReferences) {
  for (const auto method :
       {GeoReferencingMethod::SemiAutomaticLambert, GeoReferencingMethod::ManualGrid}) {
    GeoReference geoRef = Benelux(method);
    ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
    // The order marks compare with neighbours as the previous layout left them, so only a
    // second layout of a fresh grid is free of them.
    const GridLayout layout = LayoutReferenceGrid(geoRef);
    ASSERT_TRUE(layout.LaidOut());
    EXPECT_EQ(layout.Refusal, "");
    EXPECT_EQ(geoRef.NLon, 3);
    EXPECT_EQ(geoRef.NLat, 3);
    EXPECT_EQ(geoRef.GridTopLatitude, 52.0);
    EXPECT_EQ(geoRef.GridLeftLongitude, 4.0);
    EXPECT_EQ(layout.PixelsPerDegreeX, 400);
    EXPECT_EQ(layout.PixelsPerDegreeY, 600);
    EXPECT_EQ(layout.GridOriginX, 0);
    EXPECT_EQ(layout.GridOriginY, -250);
    EXPECT_FALSE(geoRef.Apex.Found);  // no skew: parallel meridians
    // The regular lattice; (3, 3) is 49° N 7° E, on the bottom-right reference.
    for (int r = 0; r <= 3; ++r) {
      for (int c = 0; c <= 3; ++c) {
        EXPECT_EQ(geoRef.Grid[c][r].X, 400 * c) << c << "/" << r;
        EXPECT_EQ(geoRef.Grid[c][r].Y, -250 + 600 * r) << c << "/" << r;
        EXPECT_EQ(geoRef.Grid[c][r].Latitude, 52.0f - r);
        EXPECT_FALSE(layout.IsOutOfOrder(c, r));
      }
    }
    EXPECT_EQ(geoRef.Grid[3][3].X, 1200);
    EXPECT_EQ(geoRef.Grid[3][3].Y, 1550);
    // Nothing outside the steps is touched.
    EXPECT_EQ(geoRef.Grid[4][0].X, 0);
    EXPECT_EQ(geoRef.Grid[0][4].Latitude, 0.0f);
  }
}

struct TopLatitudeCase {
  double topLatitude;
  double gridTop;
  std::int32_t nLat;
};

class WholeDegreeCorners : public ::testing::TestWithParam<TopLatitudeCase> {};

TEST_P(WholeDegreeCorners, AddARowOnlyForAFraction) {
  GeoReference geoRef = Reference({GetParam().topLatitude, 4.0, 0, 0}, {48.0, 6.0, 800, 1200});
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  EXPECT_EQ(geoRef.GridTopLatitude, GetParam().gridTop);
  EXPECT_EQ(geoRef.NLat, GetParam().nLat);
  EXPECT_EQ(geoRef.GridLeftLongitude, 4.0);
  EXPECT_EQ(geoRef.NLon, 2);
}

INSTANTIATE_TEST_SUITE_P(GridLayout, WholeDegreeCorners,
                         ::testing::Values(TopLatitudeCase{50.0, 50.0, 2},
                                           TopLatitudeCase{50.0001, 51.0, 3},
                                           TopLatitudeCase{49.9999, 50.0, 2}));

TEST(GridLayoutTest, SouthernAndWesternCornersUseFloorAndCeil) {
  GeoReference geoRef = Reference({-10.5, -5.3, 0, 0}, {-12.2, -2.0, 660, 340});
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  EXPECT_EQ(geoRef.GridTopLatitude, -10.0);
  EXPECT_EQ(geoRef.GridLeftLongitude, -6.0);
  EXPECT_EQ(geoRef.NLat, 3);  // -10 - -13, the bottom not whole: rows -10 to -13
  EXPECT_EQ(geoRef.NLon, 4);  // -2 - -6
}

TEST(GridLayoutTest, SkewOffsetsOfBothMeridians) {
  GeoReference geoRef = Reference({52.0, 4.0, 0, 0}, {49.0, 7.0, 1200, 1800},
                                  GeoReferencingMethod::SemiAutomaticLambert, -10, -10);
  geoRef.NLon = 3;
  geoRef.NLat = 3;
  EXPECT_EQ(SkewOffset(geoRef, 0, 3), -30);
  EXPECT_EQ(SkewOffset(geoRef, 3, 0), -30);
  EXPECT_EQ(SkewOffset(geoRef, 0, 0), 0);
  EXPECT_EQ(SkewOffset(geoRef, 3, 3), 0);
  EXPECT_EQ(SkewOffset(geoRef, 1, 1), -14);  // Round(-6.67) + Round(-6.67)
  geoRef.GeoReferencingType = 1;
  EXPECT_EQ(SkewOffset(geoRef, 1, 1), 0);
  geoRef.GeoReferencingType = 0;
  geoRef.NLon = 0;
  EXPECT_EQ(SkewOffset(geoRef, 1, 1), 0);  // before any layout: no division by zero
}

TEST(GridLayoutTest, InwardLeaningMeridiansMeetAboveTheChart) {
  GeoReference geoRef = Reference({52.0, 4.0, 0, 0}, {49.0, 7.0, 1200, 1800},
                                  GeoReferencingMethod::SemiAutomaticLambert, -10, -10);
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(layout.LaidOut());
  EXPECT_EQ(layout.LeftBottom, (PixelPoint{-30, 1800}));
  EXPECT_EQ(layout.RightTop, (PixelPoint{1170, 0}));
  EXPECT_TRUE(layout.Cone.Found);
  EXPECT_TRUE(layout.Cone.ApexAbove);
  ASSERT_TRUE(geoRef.Apex.Found);
  // x = -y / 60 and x = 1170 + y / 60 meet at (585, -35100).
  EXPECT_NEAR(geoRef.Apex.ApexX, 585, 1);
  EXPECT_NEAR(geoRef.Apex.ApexY, -35100, 2);
  EXPECT_LT(layout.LeftExtended.Y, 0);
  // The corners keep the skew geometry; a parallel about an apex above sags in the middle.
  EXPECT_EQ(geoRef.Grid[0][0].X, 0);
  EXPECT_EQ(geoRef.Grid[0][0].Y, 0);
  EXPECT_EQ(geoRef.Grid[0][3].X, -30);
  EXPECT_EQ(geoRef.Grid[3][0].X, 1170);
  EXPECT_EQ(geoRef.Grid[1][1].X, 400 - 14);
  EXPECT_GT(geoRef.Grid[1][0].Y, 0);
  EXPECT_NEAR(geoRef.Grid[3][0].Y, 0, 1);
  EXPECT_EQ(geoRef.Grid[1][1].Y - geoRef.Grid[1][0].Y,
            600);  // each parallel is the first, moved down
}

TEST(GridLayoutTest, OutwardLeaningMeridiansMeetBelowTheChart) {
  GeoReference geoRef = Reference({52.0, 4.0, 0, 0}, {49.0, 7.0, 1200, 1800},
                                  GeoReferencingMethod::SemiAutomaticLambert, 10, 10);
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(geoRef.Apex.Found);
  EXPECT_FALSE(layout.Cone.ApexAbove);
  EXPECT_GT(geoRef.Apex.ApexY, 1800);
  EXPECT_GT(layout.LeftExtended.Y, layout.LeftTop.Y);
  // Arcs about an apex below bend the other way: the middle of a row rises.
  EXPECT_LT(geoRef.Grid[1][0].Y, 0);
  EXPECT_EQ(geoRef.Grid[0][0].Y, 0);
}

TEST(GridLayoutTest, ParallelMeridiansGiveTheRegularLattice) {
  GeoReference skewed = Reference({52.0, 4.0, 0, 0}, {49.0, 7.0, 1200, 1800},
                                  GeoReferencingMethod::SemiAutomaticLambert, 7, -7);
  // A left meridian leaning right and a right one leaning left by the same amount are
  // parallel: no apex, straight parallels.
  LayoutReferenceGrid(skewed);
  EXPECT_FALSE(skewed.Apex.Found);
  for (int c = 0; c <= 3; ++c) EXPECT_EQ(skewed.Grid[c][2].Y, 1200);
  ConeGeometry none;
  EXPECT_EQ(ArcOffset(none, 0.3), 0);
}

TEST(GridLayoutTest, AMeridianThroughTheOtherMeridiansTopEndHasNoCone) {
  // The right meridian's top end falls on the left one's (NLon × 100 + SkewRight × NLat = 0):
  // the meridians meet on the top row, where the cone angles would divide by zero.
  GeoReference geoRef = Reference({52.0, 4.0, 0, 0}, {49.0, 7.0, 300, 1800},
                                  GeoReferencingMethod::SemiAutomaticLambert, 0, -100);
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(layout.LaidOut());
  EXPECT_EQ(layout.RightTop, layout.LeftTop);
  EXPECT_FALSE(geoRef.Apex.Found);
  for (int c = 0; c <= 3; ++c) EXPECT_EQ(geoRef.Grid[c][0].Y, 0);
}

TEST(GridLayoutTest, AMeridianSteeperThanFortyFiveDegreesStillFindsItsApex) {
  // The right meridian leans 700 pixels per 600-pixel degree, so its extension steps in x;
  // it must step away from its foot (to the left), or it never meets the left meridian.
  GeoReference geoRef = Reference({51.0, 4.0, 0, 0}, {50.0, 14.0, 4000, 600},
                                  GeoReferencingMethod::SemiAutomaticLambert, -1, -700);
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(layout.LaidOut());
  EXPECT_LT(layout.RightExtended.X, layout.RightTop.X);
  EXPECT_LT(layout.RightExtended.Y, layout.RightTop.Y);
  ASSERT_TRUE(geoRef.Apex.Found);
  // The lines x = -y / 600 and (4000, 600) + t (-700, -600) meet at t = 4001 / 701.
  EXPECT_NEAR(geoRef.Apex.ApexX, 4001.0 / 701.0 - 1.0, 1.0);
  EXPECT_NEAR(geoRef.Apex.ApexY, 600.0 - 600.0 * 4001.0 / 701.0, 1.0);
}

TEST(GridLayoutTest, AnUnknownMethodLaysOutAsLambert) {
  GeoReference geoRef = Benelux();
  geoRef.GeoReferencingType = 7;
  geoRef.SkewLeft = -10;
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  EXPECT_EQ(geoRef.Grid[0][3].X, -30);
}

TEST(GridLayoutTest, OrderMarksCompareWithNeighboursNotYetLaidOut) {
  GeoReference geoRef = Benelux(GeoReferencingMethod::ManualGrid);
  const GridLayout first = LayoutReferenceGrid(geoRef);
  // A fresh grid holds (0, 0) everywhere: (1, 0), placed at x = 400 before its right
  // neighbour, is compared with that neighbour's old 0.
  EXPECT_TRUE(first.IsOutOfOrder(1, 0));
  EXPECT_FALSE(first.IsOutOfOrder(0, 0));
}

TEST(GridLayoutTest, CornersOutOfOrderKeepTheLastLayout) {
  GeoReference geoRef = Benelux();
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  const ReferenceGrid before = geoRef.Grid;
  geoRef.BottomRight.X = 50;  // left of TopLeft.X
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  EXPECT_EQ(layout.Status, LayoutStatus::CornersOutOfOrder);
  EXPECT_EQ(layout.Refusal, "");
  EXPECT_EQ(geoRef.NLon, 3);
  EXPECT_EQ(geoRef.NLat, 3);
  EXPECT_EQ(geoRef.Grid[2][2].X, before[2][2].X);
  EXPECT_FALSE(CornersInOrder(geoRef));
}

struct RefusalCase {
  const char* name;
  CornerReference topLeft, bottomRight;
  std::int32_t skew;
  LayoutStatus status;
  const char* text;
};

class RefusedLayouts : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedLayouts, ClearTheStepCountsAndMoveNoPoint) {
  const RefusalCase& c = GetParam();
  GeoReference geoRef = Benelux();
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  const ReferenceGrid before = geoRef.Grid;
  geoRef.TopLeft = c.topLeft;
  geoRef.BottomRight = c.bottomRight;
  geoRef.SkewLeft = c.skew;
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  EXPECT_EQ(layout.Status, c.status);
  EXPECT_EQ(layout.Refusal, c.text);
  EXPECT_EQ(geoRef.NLon, 0);
  EXPECT_EQ(geoRef.NLat, 0);
  for (int col = 0; col < kGridSize; ++col) {
    for (int row = 0; row < kGridSize; ++row) {
      ASSERT_EQ(geoRef.Grid[col][row].X, before[col][row].X);
      ASSERT_EQ(geoRef.Grid[col][row].Y, before[col][row].Y);
    }
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    GridLayout, RefusedLayouts,
    // clang-format off
    ::testing::Values(
        // 67.5 - 4: 64 steps, one more than the grid holds.
        RefusalCase{"SixtyFourSteps", {52, 4, 0, 0}, {49, 67.5, 64000, 1800}, 0,
                    LayoutStatus::TooManySteps, ""},
        RefusalCase{"SixtyFourRows", {60, 4, 0, 0}, {-4, 5, 100, 64000}, 0,
                    LayoutStatus::TooManySteps, ""},
        RefusalCase{"InfiniteLongitude", {52, -kInf, 0, 0}, {49, 5, 100, 1800}, 0,
                    LayoutStatus::TooManySteps, ""},
        // 1 pixel over 3 degrees of latitude, and 1 over 2 (0.5 rounds to even, 0).
        RefusalCase{"NoPixelPerDegreeOfLatitude", {52, 4, 0, 0}, {49, 7, 1200, 1}, 0,
                    LayoutStatus::TooFewPixelsPerDegree, kTooFewPixelsPerDegreeText},
        RefusalCase{"HalfAPixelPerDegree", {52, 4, 0, 0}, {50, 7, 1200, 1}, 0,
                    LayoutStatus::TooFewPixelsPerDegree, kTooFewPixelsPerDegreeText},
        RefusalCase{"NoPixelPerDegreeOfLongitude", {52, 4, 0, 0}, {49, 7, 1, 1800}, 0,
                    LayoutStatus::TooFewPixelsPerDegree, kTooFewPixelsPerDegreeText},
        RefusalCase{"HugePixelsPerDegree", {52, 4, 0, 0}, {49, 4.000000001, 100, 1800}, 0,
                    LayoutStatus::OutOfRange, kOutOfRangeText},
        RefusalCase{"BeyondThePole", {90.5, 4, 0, 0}, {89, 5, 100, 1800}, 0,
                    LayoutStatus::OutOfRange, kOutOfRangeText},
        RefusalCase{"BeyondTheSouthPole", {-89, 4, 0, 0}, {-90.5, 5, 100, 1800}, 0,
                    LayoutStatus::OutOfRange, kOutOfRangeText},
        // Its east edge may pass 180° (a chart across the line), its west edge may not.
        RefusalCase{"WestEdgeBeyondTheDateLine", {52, 180.5, 0, 0}, {49, 183, 100, 1800}, 0,
                    LayoutStatus::OutOfRange, kOutOfRangeText},
        RefusalCase{"HugePixelCoordinates", {52, 4, -2000000000, 0}, {49, 7, 2000000000, 1800}, 0,
                    LayoutStatus::OutOfRange, kOutOfRangeText},
        RefusalCase{"HugeSkew", {52, 4, 0, 0}, {49, 7, 1200, 1800},
                    std::numeric_limits<std::int32_t>::min(), LayoutStatus::OutOfRange,
                    kOutOfRangeText}),
    // clang-format on
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridLayoutTest, TheGridMayReachTheDateLineThePolesAndSixtyThreeSteps) {
  GeoReference poles = Reference({90, 120, 0, 0}, {30, 180, 6000, 6000});
  ASSERT_TRUE(LayoutReferenceGrid(poles).LaidOut());
  EXPECT_EQ(poles.NLon, 60);
  EXPECT_EQ(poles.NLat, 60);
  GeoReference wide = Reference({52, 4, 0, 0}, {49, 67, 63000, 1800});
  ASSERT_TRUE(LayoutReferenceGrid(wide).LaidOut());
  EXPECT_EQ(wide.NLon, 63);
  EXPECT_EQ(wide.Grid[63][3].X, 63000);
}

TEST(GridLayoutTest, ManualGridIgnoresSkewsItCannotUse) {
  GeoReference geoRef = Benelux(GeoReferencingMethod::ManualGrid);
  geoRef.SkewLeft = std::numeric_limits<std::int32_t>::max();
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(layout.LaidOut());
  EXPECT_FALSE(geoRef.Apex.Found);
  EXPECT_EQ(geoRef.Grid[3][3].X, 1200);
}

TEST(GridLayoutTest, ManualGridKeepsPlacedPointsAndMarksThoseOutOfOrder) {
  GeoReference geoRef = Benelux(GeoReferencingMethod::ManualGrid);
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  // (1, 0) placed left of (0, 0); (2, 1) placed above (2, 0); (1, 2) exactly on (1, 3)'s row.
  geoRef.Grid[1][0] = {-10, -250, 0.0f, 1};
  geoRef.Grid[2][1] = {800, -300, 0.0f, 1};
  geoRef.Grid[1][2] = {400, 1550, 0.0f, 1};
  const GridLayout layout = LayoutReferenceGrid(geoRef);
  ASSERT_TRUE(layout.LaidOut());
  EXPECT_EQ(geoRef.Grid[1][0].X, -10);
  EXPECT_EQ(geoRef.Grid[2][1].Y, -300);
  EXPECT_EQ(geoRef.Grid[1][0].XYSHIFT, 1);
  EXPECT_EQ(geoRef.Grid[1][0].Latitude, 52.0f);
  EXPECT_TRUE(layout.IsOutOfOrder(0, 0));   // its right neighbour lies to its left
  EXPECT_TRUE(layout.IsOutOfOrder(2, 0));   // its lower neighbour lies above it
  EXPECT_FALSE(layout.IsOutOfOrder(1, 2));  // equal rows are in order
  EXPECT_FALSE(layout.IsOutOfOrder(1, 1));
  int marked = 0;
  for (int c = 0; c <= 3; ++c) {
    for (int r = 0; r <= 3; ++r) marked += layout.IsOutOfOrder(c, r);
  }
  EXPECT_EQ(marked, 2);
}

}  // namespace
}  // namespace cz
