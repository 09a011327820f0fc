#pragma once
// Editing the loaded chart's coverage (geo/ChartCoverage.h) from the window: the "Coverage"
// dialog's box and transparency, and the polygon tool's points on the chart. Every edit is
// refused while a long operation runs (the busy text is shown, nothing changes, false is
// returned), like the georeference edits (GeoReferenceEdits.h), since the next run reads it.
//
// An edit that would give a coverage the chart cannot use is refused with its reason in a
// message naming the chart (a box outside the chart or folding under its georeference, a
// polygon whose edges cross) and changes nothing. A box is checked only against a usable
// georeference; one set before the chart has any is checked by the run. A polygon of fewer than three points is a
// draft: it is kept and shown, but the chart's coverage gets it only from its third point on.
// Every accepted edit is written to the chart's settings file at once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/ChartCoverage.h"
#include "georef/CoverageDrawing.h"
#include "georef/ViewMapping.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

// The "Coverage" dialog's edits: latitudes as "N47°45.000", longitudes as "E008°30.000"
// (geo/GeoCoord.h), and its check box.
struct CoverageDialogTexts {
  std::string North, South, West, East;
  bool UseBox = false;
  bool Transparency = false;
};

// The texts of the loaded chart's coverage (an empty box shows the chart's georeferenced
// corners, so that a person edits from where the chart lies).
CoverageDialogTexts CoverageDialogTextsOf(const AppState& state);

// OK of the dialog.
bool ApplyCoverageDialog(AppState& state, const CoverageDialogTexts& texts, UserInterface& ui);

// The polygon tool. Positions are chart pixels; pickRadius in chart pixels.
// A press near a point (within pickRadius) returns its index, to be moved; elsewhere adds a
// point: on the nearest edge when it lies within pickRadius of one, else at the end.
std::optional<std::size_t> PolygonPointNear(const std::vector<CoveragePoint>& polygon,
                                            CoveragePoint at, double pickRadius);
bool AddPolygonPoint(AppState& state, CoveragePoint at, double pickRadius, UserInterface& ui);
bool MovePolygonPoint(AppState& state, std::size_t index, CoveragePoint to, UserInterface& ui);
bool DeletePolygonPoint(AppState& state, std::size_t index, UserInterface& ui);
bool ClearPolygon(AppState& state, UserInterface& ui);

// A press on the chart while the polygon tool is active, at view pixel (u, v): with the
// secondary button, deletes the point within reach; otherwise drops the point in the mouse's
// hand there, or picks up the point within reach, or adds a point (as AddPolygonPoint).
// Reach is 6 view pixels. Refused while busy (nothing picked up or changed).
enum class PolygonPress : std::uint8_t { Added, PickedUp, Dropped, Deleted, Missed, Refused };
PolygonPress PressWithPolygonTool(AppState& state, const ViewMapping& view, std::int32_t u,
                                  std::int32_t v, bool secondaryButton, UserInterface& ui);

// The polygon as shown: the coverage's, or the draft while it has fewer than three points.
const std::vector<CoveragePoint>& ShownPolygon(const AppState& state);

// What the overlay shows of the loaded chart's coverage: the polygon (or draft) and the box
// carried through the georeference (nothing of the box while the chart cannot use it). Costs
// a coverage run's preparation: made when the coverage or the georeference changes, not per
// repaint.
CoverageOverlay CoverageOverlayOf(const AppState& state);

}  // namespace cz
