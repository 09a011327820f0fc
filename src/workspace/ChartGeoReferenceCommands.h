#pragma once
// The two ways a chart's own georeference (GeoTIFF) becomes the loaded source's from the
// windows: the question after a chart is loaded, and the "Project" menu command. Both apply it
// through ApplyChartGeoReference (georef/ChartGeoReference.h), then redraw the grid and set the
// controls for the manual grid.

#include <optional>
#include <string>
#include <vector>

#include "georef/ControlPointFit.h"
#include "imaging/MapSource.h"
#include "imaging/SourceView.h"
#include "port/UserInterface.h"

namespace cz {

inline constexpr char kUseChartGeoReferenceQuestion[] =
    "This chart carries its own georeference. Use it?";
inline constexpr char kUseChartNoDataQuestion[] =
    "Use the chart's nodata pixels as the edge of its map area?";
inline constexpr char kChooseControlPointFitQuestion[] =
    "This chart is georeferenced by control points. Fit them with:";

// The options of kChooseControlPointFitQuestion, in the order of ControlPointFitKind.
std::vector<std::string> ControlPointFitOptions();

// The load questions: for a freshly loaded chart that had no settings file, asks
// kUseChartGeoReferenceQuestion when the chart carries a usable georeference; Yes applies it
// (keeping the options), a chart of control points after asking how to fit them
// (kChooseControlPointFitQuestion; Cancel applies nothing). A georeference that cannot be used is named in the status line
// instead of being asked about; a refusal after Yes is shown in a message box.
// Then, whatever the answer, when the chart is a TIFF with a nodata value (TiffNoData.h) and
// some of its pixels loaded as nodata (alpha 0), asks kUseChartNoDataQuestion: Yes makes its
// coverage come from its transparency and saves its settings file (SaveMapINI, which throws
// what a failed write throws).
// Both return the control points' report of the georeference applied, if it has one.
std::optional<ControlPointReport> OfferChartGeoReference(MapSourceState& source, UserInterface& ui,
                                                         SourceView& view);

// The "Project" menu command: the same for the loaded chart at any time, without asking
// whether (but how to fit control points, the chart's last choice preselected). Shows
// "No map image loaded - nothing to process..." without a chart, NoGeoReferenceText for a chart
// without one, and every refusal in a message box.
std::optional<ControlPointReport> UseChartGeoReference(MapSourceState& source, UserInterface& ui,
                                                       SourceView& view);

// The control points' report of the source's grid when that grid is its chart's own
// (GridIsChartProjection, fitted as its settings file says); nothing otherwise.
std::optional<ControlPointReport> ControlPointReportOf(const MapSourceState& source);

}  // namespace cz
