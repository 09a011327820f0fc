#include "workspace/CommandAvailability.h"

namespace cz {

namespace {

bool IsViewing(Command command) {
  return command == Command::Zoom || command == Command::Scroll || command == Command::ViewEfisMaps;
}

bool NeedsMap(Command command) {
  switch (command) {
    case Command::ReferenceDialog:
    case Command::EditReference:
    case Command::SkewDialog:
    case Command::MoveSkew:
    case Command::ReadBpw:
    case Command::PressOnChart:
    case Command::EditCoverage:
    case Command::FitGrid:
    case Command::Zoom:
      return true;
    default:
      return false;
  }
}

}  // namespace

Availability AvailabilityOf(const AppState& state, Command command) {
  if (IsBusy(state.Busy) && !IsViewing(command)) {
    return {false, BusyRefusalText(state.Busy.Running)};
  }
  if (NeedsMap(command) && !state.Source.Loaded) return {false, kNoMapLoadedText};
  return {};
}

bool CloseNeedsStopQuestion(const AppState& state, bool displayless) {
  return !displayless && IsBusy(state.Busy);
}

void RequestJobStop(AppState& state) {
  state.Batch.Cancel = true;
  state.CloseAfterJob = true;
}

bool TakeDueClose(AppState& state) {
  if (!state.CloseAfterJob || IsBusy(state.Busy)) return false;
  state.CloseAfterJob = false;
  return true;
}

void ReplaceSource(AppState& state) {
  state.Picks = GridPickState{};
  state.PolygonDraft.clear();
  state.MovingPolygonPoint.reset();
  state.GridFit = GridFitState{};
  state.SourceReplaced.Notify();
}

}  // namespace cz
