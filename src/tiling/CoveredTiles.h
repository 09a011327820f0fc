#pragma once
// Tiles of a chart with coverage (geo/ChartCoverage.h): painted only where the chart is map.
//
// Every tile of such a run, at every level, starts as an earlier run left it (or black where
// there is none), and only its covered pixels are replaced: a tile pixel is covered when its
// latitude and longitude lie in the coverage's box (when there is one) and the chart position
// it samples (PT of its cell part) is covered by the CoverageShape. Pixels of folded cell parts
// are never covered. A tile without a covered pixel is not stored at all, so what other charts
// left there stays as it was; later runs lie over earlier ones.
//
// The grid of such a run is the widened one (georef/WidenedGrid.h); the cells it draws are
// those with all four corners placed whose corners' rectangle reaches the coverage's pixel
// bounds and whose degree square meets the box.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <optional>

#include "geo/ChartCoverage.h"
#include "georef/ProjectionLattice.h"
#include "georef/WidenedGrid.h"
#include "imaging/Raster32.h"
#include "tiling/CellRenderer.h"
#include "tiling/CoverageShape.h"
#include "tiling/TilePlan.h"

namespace cz {

class TileStore;

// What a run of a chart with coverage reads besides the chart: fixed when the run starts.
struct CoverageRun {
  CoverageShape Shape;
  std::optional<LatLonBox> Box;  // in the longitudes of Grid (a grid across 180° runs past it)
  WidenedGrid Grid;
  // A chart of known projection: its exact placement over Grid (ProjectionLattice.h).
  std::shared_ptr<const ProjectionLattice> Placement;

  // The plan's cell filter for this run.
  CellFilter Cells() const;
};

// The coverage run of the chart, laid out as laidOut, with projection when its grid is its own
// (GridIsChartProjection), which then places it exactly. chartName names the chart in refusals. Throws CartozenError, before
// anything is drawn, for a polygon that PolygonProblem refuses, a box that lies outside the
// chart or folds under its georeference, and a coverage that reaches no one-degree cell.
std::shared_ptr<const CoverageRun> PrepareCoverageRun(const GeoReference& laidOut,
                                                      const ChartCoverage& coverage,
                                                      const Raster32& chart,
                                                      const ChartProjection* projection,
                                                      const std::string& chartName);

// The cells a coverage run of a chart of that size reaches, planned without its pixels: which
// cells a run draws depends on the grid, the coverage and the chart's size alone (its
// transparency only decides which pixels of those cells are map). A run of the loaded chart
// may still refuse a box that only its pixels show to lie outside the map. Throws CartozenError
// as PrepareCoverageRun for a polygon it refuses or a coverage that reaches no cell.
std::shared_ptr<const CoverageRun> PlanCoverageCells(const GeoReference& laidOut,
                                                     const ChartCoverage& coverage,
                                                     std::int32_t width, std::int32_t height,
                                                     const ChartProjection* projection,
                                                     const std::string& chartName);

// The chart position of a latitude and longitude through the run's grid cell that holds it
// (its exact placement, or else the cell's projective map), or nothing outside the grid or in
// an unplaced cell.
std::optional<FloatPoint> ChartPositionOf(const CoverageRun& run, double latitude,
                                          double longitude);

// The run's box in chart pixels, for the overlay: its four edges through the georeference,
// as polylines (an edge the grid cannot place in part is split there).
std::vector<std::vector<FloatPoint>> BoxOutline(const CoverageRun& run);

// Draws planned tile into raster as the top of this file says, using scratch for each cell
// part before its covered pixels are taken. renderer draws into scratch. Returns the number
// of covered pixels (0: the tile is not to be stored).
std::int64_t RenderCoveredTile(const TilePlan& plan, const PlannedTile& tile,
                               CellRenderer& renderer, Raster32& scratch, Raster32& raster,
                               TileStore& store, const CoverageRun& coverage);

}  // namespace cz
