#include "georef/GridPicking.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "georef/GridLayout.h"
#include "support/RecordingUserInterface.h"

namespace cz {
namespace {

using ::testing::ElementsAre;

// A 3 × 3-step manual grid with points 400 pixels apart, (0, 0) at pixel (0, 0).
GeoReference ManualGrid() {
  GeoReference geoRef;
  geoRef.TopLeft = {52.0, 4.0, 0, 0};
  geoRef.BottomRight = {49.0, 7.0, 1200, 1200};
  geoRef.GeoReferencingType = 1;
  LayoutReferenceGrid(geoRef);
  return geoRef;
}

// Each test starts from that grid, no pick and no status text.
class GridPickingTest : public ::testing::Test {
 protected:
  GeoReference geoRef = ManualGrid();
  GridPickState state;
  testing::RecordingUserInterface ui;
};

struct ReachCase {
  double scale;
  std::int32_t u, v;  // the press, in view pixels
  bool picked;
};

class PickReach : public GridPickingTest, public ::testing::WithParamInterface<ReachCase> {};

TEST_P(PickReach, IsTenViewPixelsEachWayStrictly) {
  const ViewMapping view{GetParam().scale, 0, 0};
  const OverlayPressResult result =
      PressOnOverlay(state, geoRef, view, GetParam().u, GetParam().v, true, false, ui);
  EXPECT_EQ(result, GetParam().picked ? OverlayPressResult::PickedUp : OverlayPressResult::Missed);
  EXPECT_EQ(state.MovingPoint.Moving, GetParam().picked);
}

// Grid point (1, 1) lies at source (400, 400).
INSTANTIATE_TEST_SUITE_P(
    GridPicking, PickReach,
    ::testing::Values(ReachCase{1.0, 409, 400, true}, ReachCase{1.0, 410, 400, false},
                      ReachCase{1.0, 391, 409, true}, ReachCase{1.0, 400, 390, false},
                      // At scale 0.5, 9 view pixels are 18 source pixels.
                      ReachCase{0.5, 209, 200, true}, ReachCase{0.5, 210, 200, false}));

TEST_F(GridPickingTest, PicksUpThenDropsAPoint) {
  const ViewMapping view{1.0, -100, -50};  // scrolled 100 right and 50 down
  EXPECT_EQ(PressOnOverlay(state, geoRef, view, 305, 755, true, false, ui),
            OverlayPressResult::PickedUp);
  EXPECT_EQ(state.PickX, 405);
  EXPECT_EQ(state.PickY, 805);
  EXPECT_EQ(state.MovingPoint.Column, 1);
  EXPECT_EQ(state.MovingPoint.Row, 2);
  EXPECT_THAT(ui.statusTexts, ElementsAre("Moving 1, 2"));

  // The drop goes anywhere, even far outside the chart.
  EXPECT_EQ(PressOnOverlay(state, geoRef, view, -5000, 20, true, false, ui),
            OverlayPressResult::Dropped);
  EXPECT_FALSE(state.MovingPoint.Moving);
  EXPECT_EQ(geoRef.Grid[1][2].X, -4900);
  EXPECT_EQ(geoRef.Grid[1][2].Y, 70);
  EXPECT_EQ(geoRef.Grid[1][2].XYSHIFT, 1);
  EXPECT_THAT(ui.statusTexts, ElementsAre("Moving 1, 2", ""));
  // The layout keeps it there.
  LayoutReferenceGrid(geoRef);
  EXPECT_EQ(geoRef.Grid[1][2].X, -4900);
}

TEST_F(GridPickingTest, TheLowerRowThenTheLowerColumnWins) {
  // Three points piled up around (800, 800): (2, 2) itself, (3, 2) and (1, 3).
  geoRef.Grid[3][2] = {803, 800, 0.0f, 1};
  geoRef.Grid[1][3] = {800, 797, 0.0f, 1};
  PressOnOverlay(state, geoRef, ViewMapping{}, 801, 799, true, false, ui);
  EXPECT_EQ(state.MovingPoint.Column, 2);
  EXPECT_EQ(state.MovingPoint.Row, 2);
  // With (2, 2) moved away, (3, 2) of the same row comes before (1, 3).
  geoRef.Grid[2][2] = {5000, 5000, 0.0f, 1};
  state = {};
  PressOnOverlay(state, geoRef, ViewMapping{}, 801, 799, true, false, ui);
  EXPECT_EQ(state.MovingPoint.Column, 3);
  EXPECT_EQ(state.MovingPoint.Row, 2);
}

TEST_F(GridPickingTest, TheReferenceDialogTakesThePick) {
  EXPECT_EQ(PressOnOverlay(state, geoRef, ViewMapping{}, 400, 400, true, true, ui),
            OverlayPressResult::ReferenceDialog);
  EXPECT_EQ(state.PickX, 400);
  EXPECT_FALSE(state.MovingPoint.Moving);
  // Even a point already moving is not dropped.
  state.MovingPoint = {1, 1, true};
  PressOnOverlay(state, geoRef, ViewMapping{}, 10, 10, true, true, ui);
  EXPECT_TRUE(state.MovingPoint.Moving);
  EXPECT_EQ(geoRef.Grid[1][1].X, 400);
  EXPECT_TRUE(ui.statusTexts.empty());
}

TEST_F(GridPickingTest, NothingMovesWithoutASourceOrUnderLambert) {
  EXPECT_EQ(PressOnOverlay(state, geoRef, ViewMapping{}, 400, 400, false, false, ui),
            OverlayPressResult::NoSource);
  EXPECT_EQ(state.PickX, -1);  // not even the pick changes
  geoRef.GeoReferencingType = 0;
  EXPECT_EQ(PressOnOverlay(state, geoRef, ViewMapping{}, 400, 400, true, false, ui),
            OverlayPressResult::NotManualGrid);
  EXPECT_EQ(state.PickX, 400);
  EXPECT_FALSE(state.MovingPoint.Moving);
  EXPECT_TRUE(ui.statusTexts.empty());
}

TEST_F(GridPickingTest, StepCountsBeyondTheGridAreBounded) {
  geoRef.NLon = 1000;  // not from a layout; the search must still stay inside the grid
  geoRef.NLat = 1000;
  EXPECT_EQ(PressOnOverlay(state, geoRef, ViewMapping{}, 100000, 100000, true, false, ui),
            OverlayPressResult::Missed);
  state.MovingPoint = {70, -3, true};  // a corrupt moving point is dropped without a write
  EXPECT_EQ(PressOnOverlay(state, geoRef, ViewMapping{}, 1, 1, true, false, ui),
            OverlayPressResult::Dropped);
}

}  // namespace
}  // namespace cz
