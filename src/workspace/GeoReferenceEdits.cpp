#include "workspace/GeoReferenceEdits.h"

#include "georef/WorldFile.h"
#include "workspace/ChartGeoReferenceCommands.h"
#include "workspace/GridFitCommands.h"

namespace cz {
namespace {

// After any edit of the georeference: the grid report follows the grid, then the observers are
// told.
void TellEdited(AppState& state) {
  RecheckGridReport(state);
  state.GeoReferenceChanged.Notify();
}

// Runs an edit of the loaded source's georeference and tells the observers afterwards, also
// when the edit throws after changing it (a settings file that cannot be written).
template <typename Edit>
auto EditAndTell(AppState& state, Edit edit) {
  try {
    auto result = edit();
    TellEdited(state);
    return result;
  } catch (...) {
    TellEdited(state);
    throw;
  }
}

}  // namespace

ReferenceDialogTexts ShowReferenceDialog(AppState& state, const ReferenceDialogState& dialog,
                                         const GridPickState& pick) {
  if (IsBusy(state.Busy)) return {PickedPixelText(pick), {}, {}};
  return UpdateInfo(dialog, state.Source.GeoRef, pick);
}

bool EditReferenceLatitude(AppState& state, const ReferenceDialogState& dialog,
                           std::string_view text, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  LatitudeEdited(dialog, state.Source.GeoRef, text);
  return true;
}

bool EditReferenceLongitude(AppState& state, const ReferenceDialogState& dialog,
                            std::string_view text, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  LongitudeEdited(dialog, state.Source.GeoRef, text);
  return true;
}

bool SetReferenceToImageCorner(AppState& state, const ReferenceDialogState& dialog,
                               GridPickState& pick, std::string& pixelText, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  const Raster32& image = state.Source.Image;
  pixelText = SetToImageCorner(dialog, state.Source.GeoRef, pick, image.Width(), image.Height());
  return true;
}

bool AcceptReferenceEdit(AppState& state, const ReferenceDialogState& dialog,
                         const GridPickState& pick, std::string_view latitudeText,
                         std::string_view longitudeText, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  return EditAndTell(state, [&] {
    AcceptReference(dialog, state.Source, pick, latitudeText, longitudeText);
    return true;
  });
}

bool MoveSkew(AppState& state, const SkewDialogState& dialog, std::int32_t position,
              UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  return EditAndTell(state, [&] {
    SkewSliderMoved(dialog, state.Source.GeoRef, position);
    return true;
  });
}

bool ReadBpw(AppState& state, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  const bool read = ReadBpwFile(state.Source, ui);
  if (read) TellEdited(state);
  return read;
}

std::optional<OverlayPressResult> PressOnChart(AppState& state, const ViewMapping& view,
                                               std::int32_t u, std::int32_t v,
                                               bool referenceDialogShowing, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return std::nullopt;
  const OverlayPressResult result = PressOnOverlay(state.Picks, state.Source.GeoRef, view, u, v,
                                                   state.Source.Loaded, referenceDialogShowing, ui);
  if (result == OverlayPressResult::Dropped) TellEdited(state);
  return result;
}

bool ChooseGeoReferencingMethod(AppState& state, MapOptions& options, int itemIndex,
                                UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return false;
  const bool changed = options.GeoReferencingClicked(itemIndex);
  if (changed) TellEdited(state);
  return changed;
}

void UseChartGeoReference(AppState& state, UserInterface& ui, SourceView& view) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return;
  if (auto report = UseChartGeoReference(state.Source, ui, view)) {
    state.GridFit.ControlPoints = std::move(report);
  }
}

}  // namespace cz
