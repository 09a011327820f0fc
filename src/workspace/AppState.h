#pragma once
// The state of a running Cartozen: the open project, the current map source with its pixels
// and georeference, the command line's run state, the batch's cancel flag and which long
// operation runs. Each record is defined by the subsystem it belongs to; the workspace holds
// them together. One AppState is owned by the application object (the main window, or a
// display-less run) and handed to the commands explicitly; nothing reaches for it through a
// global.

#include <functional>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "georef/GridPicking.h"
#include "imaging/MapSource.h"
#include "project/Project.h"
#include "workspace/BusyState.h"

namespace cz {

// The project batch's cancel flag: read by the batch run between its steps and set by the
// batch window's Cancel button, by a failed BatchLoad and by BatchProcess without an image;
// it is cleared only when a run starts.
struct BatchState {
  bool Cancel = false;
};

struct AppState {
  ProjectState Project;
  MapSourceState Source;
  CommandLineState CommandLine;
  BatchState Batch;
  BusyState Busy;  // which long operation runs, for the one busy rule (BusyState.h)
  GridPickState Picks;  // the last press on the chart and the grid point in the mouse's hand
  // A coverage polygon being drawn that has fewer than three points yet (CoverageEdits.h).
  std::vector<CoveragePoint> PolygonDraft;
  // Told just before another source replaces the loaded one (ReplaceSource in
  // CommandAvailability.h), while the old one is still current: what belongs to it (open
  // reference and skew dialogs) closes without writing into the new one.
  std::vector<std::function<void()>> SourceReplacedObservers;

  // The map-file extension in use, without the dot.
  std::string MapExtension() const {
    return CommandLine.MapExtension.empty() ? std::string("MAP") : CommandLine.MapExtension;
  }
};

}  // namespace cz
