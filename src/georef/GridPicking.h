#pragma once
// Picking up and dropping grid points with the mouse, under the manual grid method.
//
// The main window keeps one GridPickState for the run of the application and forwards every
// mouse-button press on the overlay (any button) to PressOnOverlay with its view position.
// A press first becomes the pick (PickX, PickY: the source pixel under it). Then:
// - with the reference dialog showing, the dialog takes the pick and no grid point moves;
// - under the manual grid, a point being moved is dropped at the pick (it becomes placed,
//   XYSHIFT = 1, and the status line is cleared); otherwise the first point, by row and then
//   column, within 10 view pixels each way (strictly less) is picked up and the status line
//   shows "Moving c, r". A press that hits nothing changes nothing.
// Whatever happened, the caller then redraws the grid (DrawGridFromGeoRef); when the result
// is ReferenceDialog it first lets the dialog update itself from the pick.

#include <cstdint>

#include "geo/GeoReference.h"
#include "georef/ViewMapping.h"
#include "port/UserInterface.h"

namespace cz {

// Half the side of the square around a grid point, in view pixels, in which a press picks it.
inline constexpr double kPickReach = 10.0;

struct MovingGridPoint {
  std::int32_t Column = 0;
  std::int32_t Row = 0;
  bool Moving = false;
};

struct GridPickState {
  std::int32_t PickX = -1;  // -1: no click on the chart yet
  std::int32_t PickY = -1;
  MovingGridPoint MovingPoint;  // stays picked up until the next drop (or a new source)
};

enum class OverlayPressResult : std::uint8_t {
  NoSource,         // no chart loaded: nothing but the redraw
  ReferenceDialog,  // the reference dialog takes the pick
  NotManualGrid,    // the Lambert method has no movable points
  Dropped,          // the moving point was placed at the pick
  PickedUp,         // a point now moves with the next press
  Missed,           // no point within reach
};

OverlayPressResult PressOnOverlay(GridPickState& state, GeoReference& geoRef,
                                  const ViewMapping& view, std::int32_t u, std::int32_t v,
                                  bool sourceLoaded, bool referenceDialogShowing,
                                  UserInterface& ui);

}  // namespace cz
