#pragma once
// The project batch ("Batch" > "Execute batch", window "BatchForm") and the tile-creation
// entry points that check for a loaded image first.
//
// RunBatch loads and tiles every source of the project's map-file list in list order,
// logging to the batch window's memo (MessageLog::Batch):
//   "Processing " + file name      for a source whose settings file exists,
//   "Skipped " + file name + " due missing data"   for one without (neither loaded nor tiled),
//   "Batch process ended."         at the end: after an empty list ("No map files in project"
//                                  in a message box), after a cancellation and after a failed
//                                  load alike.
// Between its steps it lets window events run (UserInterface::ProcessEvents), which is how a
// click on "Cancel" (CancelBatch) is seen: the source being tiled is finished, the next is not
// started. After each source (tiled or skipped) it reports ProgressTask::Batch progress. A failed
// load (BatchLoad) shows its messages and cancels the run. An error thrown by tile creation leaves
// the run where it stands and reaches the caller's error handler; the closing line is then not
// written. The sources' settings files are only read; the last source loaded stays the current one.
// A source that was loaded before the run has its settings saved (SaveMapINI) before the first load
// replaces it, so that changes not yet saved are kept.
//
// Nested runs: the window lets events run, so "Run batch", the menu command or the import could
// be started again from inside a run. The one busy rule (BusyState.h) refuses them:
// while any long operation runs, RunBatch and ProcessSourceMap put the refusal text in the
// status line and return false, changing nothing, so the running one's log and tiles stay
// whole. TileCommandsBusy tells the windows when to disable their buttons.

#include "imaging/SourceView.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

inline constexpr char kBatchEndedText[] = "Batch process ended.";
inline constexpr char kBatchEndedDueToErrorText[] = "Batch process ended due to error";

// "Run batch". Without an open project it shows "No project has been opened." and logs only
// the closing line. Returns false when refused because a long operation runs.
bool RunBatch(AppState& state, UserInterface& ui, SourceView& view);

// "Cancel": the run stops before its next step.
void CancelBatch(AppState& state);

// True while any long operation (load, tile creation, map build, import, batch) runs.
bool TileCommandsBusy(const AppState& state);

// Menu "Process source map (create tiles)", also used by the EPSG3857 import for each mosaic:
// creates the tiles of the loaded source, or shows "No map image loaded - nothing to
// process...". Returns false when refused because a long operation runs.
bool ProcessSourceMap(AppState& state, UserInterface& ui);

// The batch's tile step: creates the tiles of the loaded source with the options of its
// settings file; without an image shows "No map image loaded - nothing to process...", then
// "Batch process ended due to error", and cancels the batch.
void BatchProcess(AppState& state, UserInterface& ui);

}  // namespace cz
