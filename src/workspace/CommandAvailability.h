#pragma once
// What a person may do now, and why not. The windows enable each menu item, button, slider
// and dialog button from AvailabilityOf and show its Reason as tooltip; they ask again when
// the busy state changes (BusyState::Changed) and after a load. The commands themselves
// refuse the same things (RefuseIfBusy, RefuseGeoReferenceEditIfBusy), so a control that
// stays enabled by mistake still changes nothing.
//
// The rules:
// - While a long operation runs, every command that changes what a run reads or writes is
//   unavailable with BusyRefusalText: the project, source and tile commands, the map options,
//   the import, the project viewer and the batch, and every edit of the georeference (the
//   reference and skew dialogs and their buttons, "Read BPW", grid points, the GeoTIFF
//   command). A run reads its own copy (runs read a frozen snapshot), but the next run would
//   read an edit made meanwhile that the person saw nothing happen for.
// - Viewing stays available while busy: zoom, scrolling, resizing, the map viewer.
// - The georeference controls (the five buttons, the zoom bar, the dialogs' edits) need a
//   loaded map: "No map loaded". The menu commands keep their own messages for a missing
//   project or map ("No project has been opened.", "No map image loaded - nothing to
//   process..."), so they are available then and show them.
//
// Closing the main window while a job runs asks kStopJobAndCloseQuestion (with a display);
// Yes asks the job to stop (RequestJobStop) and the window closes once the busy state ends
// (TakeDueClose). A source replaced (ReplaceSource) drops the grid point in the mouse's hand
// and the pick and tells AppState::SourceReplaced.

#include <cstdint>
#include <string>

#include "workspace/AppState.h"

namespace cz {

enum class Command : std::uint8_t {
  CreateOrOpenProject,
  LoadSource,
  UseChartGeoReference,
  MapOptions,
  DeleteAllTiles,
  ProcessSource,
  CreateEfisMaps,
  Import,
  ViewEfisMaps,
  ViewEditProject,
  ExecuteBatch,
  ReferenceDialog,  // "Top Left", "Bottom Right"
  EditReference,    // the reference dialog's edits, " = Image Corner", OK
  SkewDialog,       // the two "Meridian skew" buttons
  MoveSkew,         // the skew dialog's slider
  ReadBpw,
  PressOnChart,  // a pick for the reference dialog, picking up or dropping a grid point
  EditCoverage,  // the "Coverage" dialog and its buttons, the polygon tool
  FitGrid,       // fitting the grid to the printed graticule, checking it, undoing the fit
  Zoom,
  Scroll,  // scroll bars, wheel, resize
};

inline constexpr char kNoMapLoadedText[] = "No map loaded";
inline constexpr char kStopJobAndCloseQuestion[] =
    "A job is still running. Stop it at its next step and close Cartozen 2?";

struct Availability {
  bool Available = true;
  std::string Reason;  // why not; empty when available
};

Availability AvailabilityOf(const AppState& state, Command command);

// Closing the main window: true when the person must first be asked whether to stop the
// running job (a display-less run closes as it always did).
bool CloseNeedsStopQuestion(const AppState& state, bool displayless);

// After Yes: the running job stops at its next step (the batch before its next source; the
// port's cancel, which the caller sets, stops tiles, maps and the import), and the close
// waits for the job's end (AppState::CloseAfterJob).
void RequestJobStop(AppState& state);

// Asked when the busy state changes: true once, when a close waited for the job that has now
// ended; the window then closes (a close that fails again is the person's to retry).
bool TakeDueClose(AppState& state);

// Every flow that makes another chart or mosaic the loaded source calls this first, while the
// old one is still current.
void ReplaceSource(AppState& state);

}  // namespace cz
