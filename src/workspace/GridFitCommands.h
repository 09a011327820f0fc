#pragma once
// Fitting the loaded chart's grid to its printed graticule (georef/GraticuleFit.h), from the
// window's command and from the command line's /F.

#include "georef/GraticuleFit.h"
#include "imaging/MapSource.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

inline constexpr char kNoGridToFitText[] = "No georeferenced map loaded - nothing to fit";
inline constexpr char kGridFitUndoneText[] = "The grid is back as it was before the fit";
inline constexpr char kGridFitCancelledText[] = "Grid fit cancelled";

// The window's command: refused while busy and without a loaded chart whose grid is laid out;
// otherwise the fit (FitSourceGrid) runs marked busy, with progress (ProgressTask::GridFit)
// and the port's Cancel, which leaves the grid as it was. The grid from before is kept for one
// undo, the report for the markers and the report window, the summary goes to the status line,
// and the georeference change is told (AppState::GeoReferenceChanged).
void FitGridCommand(AppState& state, UserInterface& ui);

// Puts the grid from before the last fit back and saves it; the report is dropped. Nothing to
// undo: nothing happens.
void UndoGridFitCommand(AppState& state, UserInterface& ui);

// The residual report of the grid as it stands (GridResiduals: hand-placed points, control
// points), for the markers and the report window, its summary on the status line; a grid
// from the chart's own control points gets their residuals too (ControlPointReportOf).
void CheckGridCommand(AppState& state, UserInterface& ui);

// After an edit of the grid (a point moved by hand, new corners, another method): a report
// already shown is made again of the grid as it stands, so that its markers never show where
// the points were before; the undo of a fit is kept. Without a report: nothing.
void RecheckGridReport(AppState& state);

// Fits source's grid, as the last layout left it: when any point was accepted the source takes the fitted grid (the manual
// method) and its settings file is saved; otherwise nothing changes. Throws
// OperationCancelled when the person stops it, CartozenError when the settings file cannot be
// written.
GridReport FitSourceGrid(MapSourceState& source, UserInterface& ui);

// /F: FitSourceGrid, its summary and its worst points on standard error. A chart where nothing
// was found keeps its grid; neither stops the run.
void FitGridOnCommandLine(MapSourceState& source, UserInterface& ui);

}  // namespace cz
