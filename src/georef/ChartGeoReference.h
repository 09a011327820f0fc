#pragma once
// Taking a chart's own georeference (GeoTIFF) as the source's: the grid of ChartGrid.h written
// through the source's settings file like any other georeference, so that layout, tile
// creation and the batch run treat it as a manual grid.
//
// Three callers: the question after a chart is loaded, the "Project" menu command, and the
// command line's /G.

#include <optional>
#include <string>

#include "georef/GeoTiffReference.h"

namespace cz {

struct GeoReference;
struct MapSourceState;
class SourceView;
class UserInterface;

inline constexpr char kUseChartGeoReferenceQuestion[] =
    "This chart carries its own georeference. Use it?";

// "No georeference in " + the file's name.
std::string NoGeoReferenceText(const std::string& path);

// The georeference of the chart at path: nothing for a chart that is not a TIFF (".TIF",
// ".TIFF", as the loader tells them) or has no GeoTIFF tags. Throws CartozenError naming the
// file for a georeference that cannot be used (ReadGeoTiffReference).
std::optional<ChartProjection> ReadChartGeoReference(const std::string& path);

// Builds the grid of chart (GridFromChartProjection) and makes it the source's georeference,
// with the processing options (MapResolution, ColorReduction, Dithering) of options, then
// writes the settings file (SaveMapINI). Throws CartozenError; the georeference in memory is
// then unchanged, and the settings file too unless the refusal came from writing it.
void ApplyChartGeoReference(MapSourceState& source, const ChartProjection& chart,
                            const GeoReference& options);

// The load question: for a freshly loaded chart that had no settings file, asks
// kUseChartGeoReferenceQuestion when the chart carries a usable georeference; Yes applies it
// (keeping the options), redraws the grid and sets the controls for the manual grid. A georeference that cannot be used is named in
// the status line instead of being asked about; a refusal after Yes is shown in a message box.
void OfferChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view);

// The "Project" menu command: the same for the loaded chart at any time, without asking. Shows
// "No map image loaded - nothing to process..." without a chart, NoGeoReferenceText for a chart
// without one, and every refusal in a message box.
void UseChartGeoReference(MapSourceState& source, UserInterface& ui, SourceView& view);

}  // namespace cz
