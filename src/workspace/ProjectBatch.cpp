#include "workspace/ProjectBatch.h"

#include <string>
#include <vector>

#include "batch/ProjectMessages.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/ProgressCounter.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "tiling/CreateTiles.h"
#include "workspace/CommandAvailability.h"
#include "workspace/MapCommands.h"
#include "workspace/SourceLoading.h"

namespace cz {

namespace {

void CreateTilesOfLoadedSource(AppState& state, UserInterface& ui) {
  BusyScope busy(state.Busy, LongOperation::TileCreation);
  CreateTiles(TileJobOf(state), ui);
}

void RunBatchSteps(AppState& state, UserInterface& ui, SourceView& view) {
  if (!state.Project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return;
  }
  const std::vector<std::string> entries = MapFileList(state.Project);
  state.Batch.Cancel = false;
  if (entries.empty()) {
    ui.ShowMessage(kNoMapFilesInProjectText);
    return;
  }
  bool previousSourceSaved = false;
  ProgressCounter progress(ui, ProgressTask::Batch, static_cast<std::int64_t>(entries.size()));
  for (const std::string& entry : entries) {
    if (state.Batch.Cancel) break;
    const std::string name = ExtractFileName(entry);
    if (!FileExists(MapSourceSettingsFile(entry))) {
      ui.AddLogLine(MessageLog::Batch, "Skipped " + name + " due missing data");
      progress.Step();
      continue;
    }
    ui.AddLogLine(MessageLog::Batch, "Processing " + name);
    // The source the operator had loaded may hold georeference changes that only reach its
    // settings file when it is saved; loading another source replaces them, so they are saved
    // first, as every other flow that replaces the current source does. The batch's own
    // sources are only read.
    if (!previousSourceSaved) {
      if (state.Source.Loaded) SaveMapINI(state.Source);
      previousSourceSaved = true;
    }
    ReplaceSource(state);
    BatchLoad(entry, state.Source, ui, view, state.Batch.Cancel);
    ui.ProcessEvents();
    if (!state.Batch.Cancel) BatchProcess(state, ui);
    ui.ProcessEvents();
    progress.Step();
  }
}

}  // namespace

bool RunBatch(AppState& state, UserInterface& ui, SourceView& view) {
  if (RefuseIfBusy(state.Busy, ui)) return false;
  BusyScope running(state.Busy, LongOperation::Batch);
  ui.ClearLog(MessageLog::Batch);
  RunBatchSteps(state, ui, view);
  ui.AddLogLine(MessageLog::Batch, kBatchEndedText);
  return true;
}

void CancelBatch(AppState& state) {
  state.Batch.Cancel = true;
}

bool TileCommandsBusy(const AppState& state) {
  return IsBusy(state.Busy);
}

bool ProcessSourceMap(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return false;
  if (!state.Source.Loaded) {
    ui.ShowMessage(kNoMapImageLoadedText);
    return true;
  }
  CreateTilesOfLoadedSource(state, ui);
  return true;
}

void BatchProcess(AppState& state, UserInterface& ui) {
  if (!state.Source.Loaded) {
    ui.ShowMessage(kNoMapImageLoadedText);
    ui.ShowMessage(kBatchEndedDueToErrorText);
    state.Batch.Cancel = true;
    return;
  }
  CreateTilesOfLoadedSource(state, ui);
}

}  // namespace cz
