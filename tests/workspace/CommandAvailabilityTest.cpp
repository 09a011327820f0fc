// What may happen now: which commands a running job leaves available, the georeference edits
// refused in the core while busy, the busy notification, a source replaced, the close rule.
#include "workspace/CommandAvailability.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "georef/GridLayoutView.h"
#include "project/IniFile.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/GeoReferenceEdits.h"
#include "workspace/SourceLoading.h"

namespace cz::testing {
namespace {

struct AvailabilityCase {
  Command command;
  bool withoutMap;  // available idle, no map loaded
  bool whileBusy;   // available while tiles are created
};

TEST(CommandAvailability, BusyLeavesOnlyViewingAndTheGeoreferenceControlsNeedAMap) {
  const AvailabilityCase cases[] = {
      {Command::CreateOrOpenProject, true, false},
      {Command::LoadSource, true, false},
      {Command::UseChartGeoReference, true, false},
      {Command::MapOptions, true, false},
      {Command::DeleteAllTiles, true, false},
      {Command::ProcessSource, true, false},
      {Command::CreateEfisMaps, true, false},
      {Command::Import, true, false},
      {Command::ViewEditProject, true, false},
      {Command::ExecuteBatch, true, false},
      {Command::ReferenceDialog, false, false},
      {Command::EditReference, false, false},
      {Command::SkewDialog, false, false},
      {Command::MoveSkew, false, false},
      {Command::ReadBpw, false, false},
      {Command::PressOnChart, false, false},
      {Command::Zoom, false, true},
      {Command::Scroll, true, true},
      {Command::ViewEfisMaps, true, true},
  };
  for (const AvailabilityCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    AppState state;
    const Availability idle = AvailabilityOf(state, c.command);
    EXPECT_EQ(idle.Available, c.withoutMap);
    EXPECT_EQ(idle.Reason, c.withoutMap ? "" : kNoMapLoadedText);
    state.Source.Loaded = true;
    EXPECT_TRUE(AvailabilityOf(state, c.command).Available);
    BusyScope busy(state.Busy, LongOperation::TileCreation);
    const Availability during = AvailabilityOf(state, c.command);
    EXPECT_EQ(during.Available, c.whileBusy);
    EXPECT_EQ(during.Reason, c.whileBusy ? "" : BusyRefusalText(LongOperation::TileCreation));
  }
}

TEST(CommandAvailability, EveryGeoreferenceEditIsRefusedWhileBusyAndChangesNothing) {
  AppState state;
  state.Source.Loaded = true;
  state.Source.Image = Raster32(40, 30);
  state.Source.GeoRef.TopLeft = {48.0, 6.0, 3, 4};
  state.Source.GeoRef.GeoReferencingType = 1;
  state.Picks.PickX = 20;
  state.Picks.PickY = 10;
  const GeoReference before = state.Source.GeoRef;
  const ReferenceDialogState dialog{ReferenceCorner::TopLeft};
  RecordingUserInterface ui;
  BusyScope busy(state.Busy, LongOperation::Import);

  std::string pixel;
  MapOptions options(state.Source.GeoRef);
  EXPECT_EQ(ShowReferenceDialog(state, dialog, state.Picks).Latitude, "");
  EXPECT_FALSE(EditReferenceLatitude(state, dialog, "N53°00.000", ui));
  EXPECT_FALSE(EditReferenceLongitude(state, dialog, "E009°00.000", ui));
  EXPECT_FALSE(SetReferenceToImageCorner(state, dialog, state.Picks, pixel, ui));
  EXPECT_FALSE(AcceptReferenceEdit(state, dialog, state.Picks, "N53°00.000", "E009°00.000", ui));
  EXPECT_FALSE(MoveSkew(state, SkewDialogState{SkewSide::Left}, 250, ui));
  EXPECT_FALSE(ReadBpw(state, ui));
  EXPECT_FALSE(PressOnChart(state, ViewMapping{1, 0, 0}, 3, 4, false, ui).has_value());
  EXPECT_FALSE(ChooseGeoReferencingMethod(state, options, 0, ui));
  const GeoReference& after = state.Source.GeoRef;
  EXPECT_EQ(after.TopLeft.Latitude, before.TopLeft.Latitude);
  EXPECT_EQ(after.TopLeft.X, before.TopLeft.X);
  EXPECT_EQ(after.SkewLeft, before.SkewLeft);
  EXPECT_EQ(after.GeoReferencingType, before.GeoReferencingType);
  EXPECT_EQ(state.Picks.PickX, 20);
  EXPECT_EQ(ui.statusTexts, std::vector<std::string>(8, BusyRefusalText(LongOperation::Import)));
}

TEST(CommandAvailability, ObserversHearTheOutermostJobStartAndEndOnly) {
  AppState state;
  std::vector<bool> heard;
  const auto subscription =
      state.Busy.Changed.Subscribe([&] { heard.push_back(IsBusy(state.Busy)); });
  try {
    BusyScope import(state.Busy, LongOperation::Import);
    { BusyScope tiles(state.Busy, LongOperation::TileCreation); }
    throw std::runtime_error("a job's error");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST(CommandAvailability, ANewSourceDropsThePointInHandBeforeTheOldOneIsLeft) {
  TempFolder folder;
  AppState state;
  state.Project.Open = true;
  state.Project.Folder = folder.Path();
  state.Project.File = std::make_unique<IniFile>(folder / "P.prg");
  state.Source.Path = folder / "old.bmp";
  state.Picks = {12, 7, {3, 2, true}};
  std::vector<std::string> pathsSeen;
  const auto subscription =
      state.SourceReplaced.Subscribe([&] { pathsSeen.push_back(state.Source.Path); });
  RecordingUserInterface ui;
  GridLayoutView view;
  LoadSourceMap(state, ui, view, [&](const std::string&, const std::string&) {
    return std::optional<std::string>(folder / "new.bmp");
  });
  EXPECT_EQ(pathsSeen, std::vector<std::string>{folder / "old.bmp"});
  EXPECT_EQ(state.Picks.PickX, -1);
  EXPECT_FALSE(state.Picks.MovingPoint.Moving);
}

TEST(CommandAvailability, ClosingDuringAJobAsksWithADisplayAndStopsTheBatch) {
  AppState state;
  EXPECT_FALSE(CloseNeedsStopQuestion(state, false));
  BusyScope batch(state.Busy, LongOperation::Batch);
  EXPECT_TRUE(CloseNeedsStopQuestion(state, false));
  EXPECT_FALSE(CloseNeedsStopQuestion(state, true));  // a command-line run closes as before
  RequestJobStop(state);
  EXPECT_TRUE(state.Batch.Cancel);
}

}  // namespace
}  // namespace cz::testing
