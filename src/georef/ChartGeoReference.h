#pragma once
// Taking a chart's own georeference (GeoTIFF) as the source's: the grid of ChartGrid.h written
// through the source's settings file like any other georeference, so that layout, tile
// creation and the batch run treat it as a manual grid.
//
// Three callers: the question after a chart is loaded and the "Project" menu command
// (workspace/ChartGeoReferenceCommands.h), and the command line's /G.

#include <optional>
#include <string>

#include "georef/GeoTiffReference.h"

namespace cz {

struct GeoReference;
struct MapSourceState;

// "No georeference in " + the file's name.
std::string NoGeoReferenceText(const std::string& path);

// The georeference of the chart at path: nothing for a chart that is not a TIFF (".TIF",
// ".TIFF", as the loader tells them) or has no GeoTIFF tags. Control points are fitted as fit
// says, or without it as the chart's settings file says (ControlPointSettings.h; order 1 when
// it says nothing). Throws CartozenError naming the file for a georeference that cannot be
// used (ReadGeoTiffReference).
std::optional<ChartProjection> ReadChartGeoReference(
    const std::string& path, std::optional<ControlPointFitKind> fit = std::nullopt);

// Builds the grid of chart (GridFromChartProjection; a chart with coverage smaller than a cell
// gets the enclosing one) and makes it the source's georeference,
// with the processing options (MapResolution, ColorReduction, Dithering) of options, then
// writes the settings file (SaveMapINI) with the chart's control-point fit (or none). Throws CartozenError; the georeference in memory is
// then unchanged, and the settings file too unless the refusal came from writing it.
void ApplyChartGeoReference(MapSourceState& source, const ChartProjection& chart,
                            const GeoReference& options);

}  // namespace cz
