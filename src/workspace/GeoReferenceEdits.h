#pragma once
// The windows' edits of the loaded source's georeference, each refused while a long operation
// runs (RefuseGeoReferenceEditIfBusy: the busy text is shown, nothing changes, false is
// returned). The logic of each edit is georef's (ReferenceDialogs.h, GridPicking.h,
// WorldFile.h, ChartGeoReference.h); these add the one rule that a running job's source is
// edited by nobody, so what the person sees is what the next run reads.
//
// An edit that changed the georeference tells AppState::GeoReferenceChanged, so the windows
// redraw from it: OK of the reference dialog (also when its settings file then fails), a skew
// moved, "Read BPW" that set the corners, a grid point dropped, another method. The reference
// dialog's edits and " = Image Corner" are its work in progress and are told once, at OK,
// when the dialog applies them (the grid follows at OK, as it always did).

#include <optional>
#include <string>
#include <string_view>

#include "batch/MapOptions.h"
#include "georef/ReferenceDialogs.h"
#include "georef/ViewMapping.h"
#include "imaging/SourceView.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

// The reference dialog's pick is the main window's (AppState::Picks).
//
// The reference dialog on activation and after each chart click: its texts (UpdateInfo).
// While busy only the pixel text is given (Latitude and Longitude stay empty) and nothing is
// moved or rounded; no refusal is shown, since nobody asked for a change.
ReferenceDialogTexts ShowReferenceDialog(AppState& state, const ReferenceDialogState& dialog,
                                         const GridPickState& pick);

// Typing in the latitude or longitude edit.
bool EditReferenceLatitude(AppState& state, const ReferenceDialogState& dialog,
                           std::string_view text, UserInterface& ui);
bool EditReferenceLongitude(AppState& state, const ReferenceDialogState& dialog,
                            std::string_view text, UserInterface& ui);

// " = Image Corner"; pixelText receives the pixel text to show.
bool SetReferenceToImageCorner(AppState& state, const ReferenceDialogState& dialog,
                               GridPickState& pick, std::string& pixelText, UserInterface& ui);

// OK, or closing the dialog (AcceptReference; throws what it throws).
bool AcceptReferenceEdit(AppState& state, const ReferenceDialogState& dialog,
                         const GridPickState& pick, std::string_view latitudeText,
                         std::string_view longitudeText, UserInterface& ui);

// A move of the skew dialog's slider.
bool MoveSkew(AppState& state, const SkewDialogState& dialog, std::int32_t position,
              UserInterface& ui);

// "Read BPW": true when the world file set the corners.
bool ReadBpw(AppState& state, UserInterface& ui);

// A press on the chart; nothing (no pick, no grid point moved) while busy. The caller
// redraws for the pick unless the result is Dropped (told as a georeference change).
std::optional<OverlayPressResult> PressOnChart(AppState& state, const ViewMapping& view,
                                               std::int32_t u, std::int32_t v,
                                               bool referenceDialogShowing, UserInterface& ui);

// A click on a "Georeferencing method" item of the map options (MapOptions::
// GeoReferencingClicked): true when the method changed.
bool ChooseGeoReferencingMethod(AppState& state, MapOptions& options, int itemIndex,
                                UserInterface& ui);

// The "Project" menu's GeoTIFF command (UseChartGeoReference).
void UseChartGeoReference(AppState& state, UserInterface& ui, SourceView& view);

}  // namespace cz
