#pragma once
// The two ways a chart's own georeference (GeoTIFF) becomes the loaded source's from the
// windows: the question after a chart is loaded, and the "Project" menu command. Both apply it
// through ApplyChartGeoReference (georef/ChartGeoReference.h), then redraw the grid and set the
// controls for the manual grid.

#include "imaging/MapSource.h"
#include "imaging/SourceView.h"
#include "port/UserInterface.h"

namespace cz {

inline constexpr char kUseChartGeoReferenceQuestion[] =
    "This chart carries its own georeference. Use it?";
inline constexpr char kUseChartNoDataQuestion[] =
    "Use the chart's nodata pixels as the edge of its map area?";

// The load questions: for a freshly loaded chart that had no settings file, asks
// kUseChartGeoReferenceQuestion when the chart carries a usable georeference; Yes applies it
// (keeping the options). A georeference that cannot be used is named in the status line
// instead of being asked about; a refusal after Yes is shown in a message box.
// Then, whatever the answer, when the chart is a TIFF with a nodata value (TiffNoData.h) and
// some of its pixels loaded as nodata (alpha 0), asks kUseChartNoDataQuestion: Yes makes its
// coverage come from its transparency and saves its settings file (SaveMapINI, which throws
// what a failed write throws).
void OfferChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view);

// The "Project" menu command: the same for the loaded chart at any time, without asking. Shows
// "No map image loaded - nothing to process..." without a chart, NoGeoReferenceText for a chart
// without one, and every refusal in a message box.
void UseChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view);

}  // namespace cz
