#include "georef/GridDrawing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "georef/RecordingPainter.h"
#include "support/RecordingUserInterface.h"

namespace cz {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Marker(int x, int y, const char* under, const char* over, int underWidth) {
  std::vector<std::string> calls;
  for (int pass = 0; pass < 2; ++pass) {
    const std::string colour = pass == 0 ? under : over;
    const int width = pass == 0 ? underWidth : 1;
    const auto p = [](int px, int py) { return testing::Describe(PixelPoint{px, py}); };
    calls.push_back("pen " + colour + " w" + std::to_string(width));
    calls.push_back("line " + p(x, y - 10) + "-" + p(x, y + 10));
    calls.push_back("line " + p(x - 10, y) + "-" + p(x + 10, y));
    calls.push_back("rect " + p(x - 5, y - 5) + "-" + p(x + 5, y + 5));
  }
  return calls;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& calls) {
  to.insert(to.end(), calls.begin(), calls.end());
}

// One degree each way: 50° N 4° E at pixel (0, 0) to 49° N 5° E at pixel (100, 200).
GeoReference OneCell(GeoReferencingMethod method) {
  GeoReference geoRef;
  geoRef.TopLeft = {50.0, 4.0, 0, 0};
  geoRef.BottomRight = {49.0, 5.0, 100, 200};
  geoRef.GeoReferencingType = static_cast<std::uint8_t>(method);
  return geoRef;
}

TEST(GridDrawingTest, DrawsReferenceMarkersThenEveryPointWithItsLabel) {
  GeoReference geoRef = OneCell(GeoReferencingMethod::ManualGrid);
  LayoutReferenceGrid(geoRef);  // a second layout has no stale order marks
  testing::RecordingPainter painter;
  testing::RecordingUserInterface ui;
  // Scale 0.5, scrolled 10 right and 20 down.
  const ViewMapping view{0.5, -10, -20};
  const GridLayout layout = DrawGridFromGeoRef(geoRef, view, painter, ui);
  ASSERT_TRUE(layout.LaidOut());

  const char* navy = "0,0,128";
  const char* aqua = "0,255,255";
  const char* darkGreen = "0,128,0";
  const char* lime = "0,255,0";
  std::vector<std::string> expected{"begin"};
  Append(expected, Marker(-10, -20, navy, aqua, 5));  // TopLeft (0, 0)
  Append(expected, Marker(40, 80, navy, aqua, 5));    // BottomRight (100, 200)
  Append(expected, Marker(-10, -20, darkGreen, lime, 3));
  expected.push_back("text (-7,-40) 0/0 0,0,128");
  Append(expected, Marker(40, -20, darkGreen, lime, 3));
  expected.push_back("text (43,-40) 1/0 0,0,128");
  Append(expected, Marker(-10, 80, darkGreen, lime, 3));
  expected.push_back("text (-7,60) 0/1 0,0,128");
  Append(expected, Marker(40, 80, darkGreen, lime, 3));
  expected.push_back("text (43,60) 1/1 0,0,128");
  expected.push_back("end");
  EXPECT_THAT(painter.calls, ElementsAreArray(expected));
  EXPECT_TRUE(ui.statusTexts.empty());
}

TEST(GridDrawingTest, ALabelOnViewRowZeroGoesBelowThePoint) {
  GeoReference geoRef = OneCell(GeoReferencingMethod::ManualGrid);
  LayoutReferenceGrid(geoRef);
  testing::RecordingPainter painter;
  testing::RecordingUserInterface ui;
  DrawGridFromGeoRef(geoRef, ViewMapping{1.0, 0, 0}, painter, ui);
  EXPECT_NE(std::find(painter.calls.begin(), painter.calls.end(), "text (3,2) 0/0 0,0,128"),
            painter.calls.end());
  EXPECT_NE(std::find(painter.calls.begin(), painter.calls.end(), "text (3,180) 0/1 0,0,128"),
            painter.calls.end());
}

TEST(GridDrawingTest, OutOfOrderPointsAreMaroonAndRed) {
  GeoReference geoRef = OneCell(GeoReferencingMethod::ManualGrid);
  LayoutReferenceGrid(geoRef);
  geoRef.Grid[1][0] = {-30, 0, 0.0f, 1};  // right neighbour of (0, 0), placed to its left
  testing::RecordingPainter painter;
  testing::RecordingUserInterface ui;
  DrawGridFromGeoRef(geoRef, ViewMapping{1.0, 0, 0}, painter, ui);
  const std::vector<std::string> red = Marker(0, 0, "128,0,0", "255,0,0", 3);
  const auto at = std::search(painter.calls.begin(), painter.calls.end(), red.begin(), red.end());
  ASSERT_NE(at, painter.calls.end());
  EXPECT_EQ(*(at + red.size()), "text (3,2) 0/0 0,0,128");
  // (1, 0) itself is in order: its right side is the grid's edge and (1, 1) lies below it.
  const std::vector<std::string> green = Marker(-30, 0, "0,128,0", "0,255,0", 3);
  EXPECT_NE(std::search(painter.calls.begin(), painter.calls.end(), green.begin(), green.end()),
            painter.calls.end());
}

TEST(GridDrawingTest, LambertDrawsTheExtendedMeridiansInRedFirst) {
  GeoReference geoRef = OneCell(GeoReferencingMethod::SemiAutomaticLambert);
  geoRef.SkewLeft = -10;
  geoRef.SkewRight = -10;
  testing::RecordingPainter painter;
  testing::RecordingUserInterface ui;
  const GridLayout layout = DrawGridFromGeoRef(geoRef, ViewMapping{1.0, 0, 0}, painter, ui);
  ASSERT_TRUE(geoRef.Apex.Found);
  ASSERT_LT(layout.LeftExtended.Y, layout.LeftTop.Y);  // extended upward: drawn from the feet
  ASSERT_GE(painter.calls.size(), 4u);
  EXPECT_EQ(painter.calls[1], "pen 255,0,0 w1");
  EXPECT_EQ(painter.calls[2], "line " + testing::Describe(layout.LeftBottom) + "-" +
                                  testing::Describe(layout.LeftExtended));
  EXPECT_EQ(painter.calls[3], "line " + testing::Describe(layout.RightBottom) + "-" +
                                  testing::Describe(layout.RightExtended));
  EXPECT_EQ(painter.calls[4], "pen 0,0,128 w5");

  // Leaning outward, the apex is below and the lines run from the top ends.
  geoRef.SkewLeft = 10;
  geoRef.SkewRight = 10;
  painter.calls.clear();
  const GridLayout below = DrawGridFromGeoRef(geoRef, ViewMapping{1.0, 0, 0}, painter, ui);
  ASSERT_TRUE(geoRef.Apex.Found);
  EXPECT_EQ(painter.calls[2], "line " + testing::Describe(below.LeftTop) + "-" +
                                  testing::Describe(below.LeftExtended));
  EXPECT_EQ(painter.calls[3], "line " + testing::Describe(below.RightTop) + "-" +
                                  testing::Describe(below.RightExtended));

  // A manual grid finds the apex too but draws no meridians.
  geoRef.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  painter.calls.clear();
  DrawGridFromGeoRef(geoRef, ViewMapping{1.0, 0, 0}, painter, ui);
  EXPECT_TRUE(geoRef.Apex.Found);
  EXPECT_EQ(std::count(painter.calls.begin(), painter.calls.end(), "pen 255,0,0 w1"), 0);
}

TEST(GridDrawingTest, RefusedLayoutsLeaveTheOverlayEmpty) {
  testing::RecordingPainter painter;
  testing::RecordingUserInterface ui;
  // Out of order: silent.
  GeoReference outOfOrder = OneCell(GeoReferencingMethod::SemiAutomaticLambert);
  outOfOrder.BottomRight.Latitude = 51.0;
  DrawGridFromGeoRef(outOfOrder, ViewMapping{}, painter, ui);
  EXPECT_THAT(painter.calls, ElementsAre("begin", "end"));
  EXPECT_TRUE(ui.statusTexts.empty());
  // 64 steps: silent.
  painter.calls.clear();
  GeoReference tooWide = OneCell(GeoReferencingMethod::SemiAutomaticLambert);
  tooWide.TopLeft.Longitude = 4.0;
  tooWide.BottomRight.Longitude = 67.5;
  DrawGridFromGeoRef(tooWide, ViewMapping{}, painter, ui);
  EXPECT_THAT(painter.calls, ElementsAre("begin", "end"));
  EXPECT_TRUE(ui.statusTexts.empty());
  // Less than a pixel per degree: told in the status line.
  painter.calls.clear();
  GeoReference squeezed = OneCell(GeoReferencingMethod::SemiAutomaticLambert);
  squeezed.BottomRight.Y = 1;
  squeezed.BottomRight.Latitude = 47.0;
  DrawGridFromGeoRef(squeezed, ViewMapping{}, painter, ui);
  EXPECT_THAT(painter.calls, ElementsAre("begin", "end"));
  EXPECT_THAT(ui.statusTexts, ElementsAre(kTooFewPixelsPerDegreeText));
}

TEST(ViewMappingTest, MapsBothWays) {
  const ViewMapping view{0.25, -100, -40};
  EXPECT_EQ(view.ToView({1000, 400}), (PixelPoint{150, 60}));
  EXPECT_EQ(view.ToView({2, 2}), (PixelPoint{-100, -40}));  // -99.5 rounds to even
  EXPECT_EQ(view.ToSource(150, 60), (PixelPoint{1000, 400}));
  EXPECT_EQ(view.ToSource(151, 61), (PixelPoint{1004, 404}));
  EXPECT_EQ(view.ToSource(-150, 0), (PixelPoint{-200, 160}));              // Trunc toward zero
  EXPECT_EQ((ViewMapping{0.0, 0, 0}.ToSource(7, 9)), (PixelPoint{7, 9}));  // no division by 0
}

}  // namespace
}  // namespace cz
