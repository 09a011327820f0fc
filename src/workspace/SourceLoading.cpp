#include "workspace/SourceLoading.h"

#include "imaging/SourceImage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/UserInterface.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "workspace/AppState.h"
#include "workspace/ChartGeoReferenceCommands.h"
#include "workspace/CommandAvailability.h"

namespace cz {
namespace {

// Shared tail of both flows: the status text painted before the long load, the source's
// settings, then the image. Returns whether the image loaded.
bool ReadSettingsAndLoad(MapSourceState& source, UserInterface& ui, SourceView& view) {
  ui.SetStatusText("Loading " + ExtractFileName(source.Path) + ", please wait...");
  ui.ProcessEvents();
  LoadMapINI(source);
  VisualizeFileInImage(source, ui, view);
  return source.Loaded;
}

}  // namespace

void LoadSourceMap(AppState& state, UserInterface& ui, SourceView& view,
                   const ChooseSourceImage& chooseFile) {
  if (RefuseIfBusy(state.Busy, ui)) return;
  ProjectState& project = state.Project;
  MapSourceState& source = state.Source;
  if (!project.Open) {
    ui.ShowMessage("Please create a new project or open an existing project first");
    return;
  }
  const std::optional<std::string> chosen = chooseFile(project.MapSourceFolder, kSourceImageFilter);
  if (!chosen) return;
  // Refused before anything changes: the loaded source stays current and whole.
  CheckMapFileListEntry(project, *chosen);
  // Remembered for the project's MapSourcePath when the application closes.
  project.LastChosenSourceFolder = ExtractFilePath(*chosen);

  // The dialog let events run: a command started meanwhile may be running now.
  if (RefuseIfBusy(state.Busy, ui)) return;
  BusyScope loading(state.Busy, LongOperation::Load);
  ReplaceSource(state);
  if (source.Loaded) SaveMapINI(source);
  source.Path = *chosen;
  AddToMapFileList(project, source.Path);
  const bool firstOpening = !FileExists(MapSourceSettingsFile(source.Path));
  if (!ReadSettingsAndLoad(source, ui, view)) {
    ui.ShowMessageWithCause(LoadFailureMessage(source.RequiredBytes), LoadFailureCauseText(source));
    return;
  }
  // Only a chart without settings is asked about: a settings file holds an operator's own
  // georeference, which the question must not tempt anyone to overwrite.
  if (firstOpening) state.GridFit.ControlPoints = OfferChartGeoReference(source, ui, view);
}

void BatchLoad(const std::string& path, MapSourceState& source, UserInterface& ui, SourceView& view,
               bool& batchCanceled) {
  source.Path = path;
  if (!ReadSettingsAndLoad(source, ui, view)) {
    ui.ShowMessageWithCause(LoadFailureMessage(source.RequiredBytes), LoadFailureCauseText(source));
    ui.ShowMessage("Batch canceled due to error");
    batchCanceled = true;
  }
}

}  // namespace cz
