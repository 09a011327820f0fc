#include "georef/GridPicking.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace cz {

namespace {

bool WithinReach(std::int32_t pick, std::int32_t position, double scale) {
  return std::fabs(static_cast<double>(pick) - position) * scale < kPickReach;
}

bool IsGridIndex(std::int32_t i) {
  return i >= 0 && i < kGridSize;
}

}  // namespace

OverlayPressResult PressOnOverlay(GridPickState& state, GeoReference& geoRef,
                                  const ViewMapping& view, std::int32_t u, std::int32_t v,
                                  bool sourceLoaded, bool referenceDialogShowing,
                                  UserInterface& ui) {
  if (!sourceLoaded) return OverlayPressResult::NoSource;
  const PixelPoint pick = view.ToSource(u, v);
  state.PickX = pick.X;
  state.PickY = pick.Y;
  if (referenceDialogShowing) return OverlayPressResult::ReferenceDialog;
  if (geoRef.Method() != GeoReferencingMethod::ManualGrid) return OverlayPressResult::NotManualGrid;

  MovingGridPoint& moving = state.MovingPoint;
  if (moving.Moving) {
    if (IsGridIndex(moving.Column) && IsGridIndex(moving.Row)) {
      GridPoint& point = geoRef.Grid[moving.Column][moving.Row];
      point.X = pick.X;
      point.Y = pick.Y;
      point.XYSHIFT = 1;
    }
    moving.Moving = false;
    ui.SetStatusText("");
    return OverlayPressResult::Dropped;
  }
  const double scale = view.EffectiveScale();
  // The step counts never exceed 63 after a layout; the bound keeps any other value safe.
  const std::int32_t lastRow = std::min(geoRef.NLat, kMaxGridSteps);
  const std::int32_t lastColumn = std::min(geoRef.NLon, kMaxGridSteps);
  for (std::int32_t r = 0; r <= lastRow; ++r) {
    for (std::int32_t c = 0; c <= lastColumn; ++c) {
      const GridPoint& point = geoRef.Grid[c][r];
      if (WithinReach(pick.X, point.X, scale) && WithinReach(pick.Y, point.Y, scale)) {
        moving = {c, r, true};
        ui.SetStatusText("Moving " + std::to_string(c) + ", " + std::to_string(r));
        return OverlayPressResult::PickedUp;
      }
    }
  }
  return OverlayPressResult::Missed;
}

}  // namespace cz
