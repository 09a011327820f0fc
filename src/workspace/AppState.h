#pragma once
// The state of a running Cartozen: the open project, the current map source with its pixels
// and georeference, the command line's run state, the batch's cancel flag, which long
// operation runs, and the events the windows subscribe to. Each record is defined by the
// subsystem it belongs to; the workspace holds them together. The one AppState of a run is
// owned by its Workspace (Workspace.h), which main() creates before any window, and is handed
// to the commands explicitly; nothing reaches for it through a global.

#include <optional>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "georef/GraticuleFit.h"
#include "georef/GridPicking.h"
#include "imaging/MapSource.h"
#include "project/Project.h"
#include "workspace/BusyState.h"
#include "workspace/ObserverList.h"

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
  BusyState Busy;       // which long operation runs, for the one busy rule (BusyState.h)
  GridPickState Picks;  // the last press on the chart and the grid point in the mouse's hand
  // A coverage polygon being drawn that has fewer than three points yet, and the polygon tool:
  // whether presses on the chart draw the polygon, and the point in the mouse's hand
  // (CoverageEdits.h).
  std::vector<CoveragePoint> PolygonDraft;
  bool PolygonToolActive = false;
  std::optional<std::size_t> MovingPolygonPoint;
  // The last grid fit or check of the loaded chart (GridFitCommands.h).
  GridFitState GridFit;
  // The person chose to stop the running job and close the main window (RequestJobStop): it
  // closes once the busy state ends.
  bool CloseAfterJob = false;

  // Told just before another source replaces the loaded one (ReplaceSource in
  // CommandAvailability.h), while the old one is still current: what belongs to it (open
  // reference and skew dialogs) closes without writing into the new one.
  ObserverList SourceReplaced;
  // Told after a georeference edit of GeoReferenceEdits.h changed the loaded source's
  // georeference (a reference, a skew, a dropped grid point, the world file, the method): the
  // main window redraws the grid and shows the method's buttons. A load, and the chart's own
  // georeference taken, draw their new grid through their SourceView instead; the layout that
  // a redraw makes for the view tells nothing (it is the redraw).
  ObserverList GeoReferenceChanged;

  // The map-file extension in use, without the dot.
  std::string MapExtension() const {
    return CommandLine.MapExtension.empty() ? std::string("MAP") : CommandLine.MapExtension;
  }
};

}  // namespace cz
