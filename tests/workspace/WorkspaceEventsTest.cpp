// What the workspace tells its observers: the observer list's rules, which georeference edits
// tell a change, and the close that waits for a running job.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/CommandAvailability.h"
#include "workspace/GeoReferenceEdits.h"
#include "workspace/ObserverList.h"

namespace cz::testing {
namespace {

TEST(ObserverList, TellsInOrderUntilItsSubscriptionGoesAndNotOneTakenOffMeanwhile) {
  ObserverList list;
  std::vector<int> heard;
  ObserverList::Subscription second;
  const auto first = list.Subscribe([&] {
    heard.push_back(1);
    second = {};  // takes the next one off while the list is being told
  });
  second = list.Subscribe([&] { heard.push_back(2); });
  {
    const auto third = list.Subscribe([&] { heard.push_back(3); });
    list.Notify();
  }
  list.Notify();
  EXPECT_EQ(heard, (std::vector<int>{1, 3, 1}));

  ObserverList::Subscription outlivesItsList;
  {
    ObserverList gone;
    outlivesItsList = gone.Subscribe([] {});
  }
}  // destroying a subscription of a list that is gone is harmless

TEST(GeoReferenceChanged, ToldByEveryEditThatChangedTheGeoreferenceAndByNoOther) {
  TempFolder folder;
  AppState state;
  state.Source.Loaded = true;
  state.Source.Image = Raster32(40, 30);
  state.Source.Path = folder / "missing folder/chart.bmp";  // its settings cannot be written
  int told = 0;
  const auto counting = state.GeoReferenceChanged.Subscribe([&] { ++told; });
  RecordingUserInterface ui;
  MapOptions options(state.Source.GeoRef);

  EXPECT_TRUE(MoveSkew(state, SkewDialogState{SkewSide::Left}, 25, ui));
  EXPECT_EQ(told, 1);
  EXPECT_FALSE(ChooseGeoReferencingMethod(state, options, -1, ui));  // no item: no change
  EXPECT_TRUE(ChooseGeoReferencingMethod(state, options, 1, ui));
  EXPECT_EQ(told, 2);
  // Far from every grid point: a pick, drawn by the caller, not a georeference change.
  EXPECT_EQ(PressOnChart(state, ViewMapping{1, 0, 0}, 5000, 5000, false, ui),
            OverlayPressResult::Missed);
  EXPECT_EQ(told, 2);
  // The reference changed before its settings file failed: still told.
  const ReferenceDialogState dialog{ReferenceCorner::TopLeft};
  EXPECT_THROW(AcceptReferenceEdit(state, dialog, state.Picks, "N53°00.000", "E009°00.000", ui),
               std::exception);
  EXPECT_EQ(told, 3);

  BusyScope busy(state.Busy, LongOperation::TileCreation);
  EXPECT_FALSE(MoveSkew(state, SkewDialogState{SkewSide::Left}, 30, ui));
  EXPECT_EQ(told, 3);
}

TEST(CloseAfterJob, DueOnceWhenTheJobHasEnded) {
  AppState state;
  EXPECT_FALSE(TakeDueClose(state));  // nobody asked
  {
    BusyScope tiles(state.Busy, LongOperation::TileCreation);
    RequestJobStop(state);
    EXPECT_FALSE(TakeDueClose(state));  // the job still runs
  }
  EXPECT_TRUE(TakeDueClose(state));
  EXPECT_FALSE(TakeDueClose(state));  // a later job's end closes nothing
}

}  // namespace
}  // namespace cz::testing
