#pragma once
// The commands that turn the loaded source and the project's tiles into output: what a tile
// run of the loaded source reads, "Delete all tiles in tiles folder of this project" and
// "Create EFIS maps". Tile creation from the menu and the batch is in ProjectBatch.h.

#include <cstdint>
#include <memory>

#include "port/UserInterface.h"
#include "tiling/CreateTiles.h"
#include "workspace/AppState.h"

namespace cz {

// The tile job of the loaded source into the open project's "Tiles" folder, taken now: its
// georeference copied, its image shared, and for a chart with coverage the coverage run
// (tiling/CoveredTiles.h), which throws CartozenError for a coverage that cannot be used.
TileJob TileJobOf(const AppState& state);
// The same for a loaded source into projectFolder's "Tiles" folder (a cell job's charts).
TileJob TileJobOf(const MapSourceState& source, const std::string& projectFolder);

// The coverage run of the loaded chart with coverage (its own projection found as TileJobOf
// finds it), or null for an inactive coverage or no loaded chart. Throws CartozenError for a
// coverage the chart cannot use.
std::shared_ptr<const CoverageRun> CoverageRunOf(const MapSourceState& source,
                                                 const ChartCoverage& coverage);

// The same for planning alone, from the chart's size without its pixels (PlanCoverageCells):
// which cells the tile job of the chart, laid out as source.GeoRef, reaches. Null for an
// inactive coverage; throws CartozenError as PlanCoverageCells.
std::shared_ptr<const CoverageRun> CoveragePlanOf(const MapSourceState& source, std::int32_t width,
                                                  std::int32_t height);

// The menu command "Delete all tiles in tiles folder of this project". Refused while a long
// operation runs (BusyState.h). Without an open project it shows "No project has been
// opened." and deletes nothing: the project folder would otherwise be the one remembered from
// an earlier run, or the program's folder. Otherwise asks "Delete all tiles in current
// projects tile folder ?", and on Yes deletes (DeleteAllTiles) and reports "Done, deleted " +
// count + " tiles. Please create new tiles before creating maps". Returns the count, or -1 when
// nothing was deleted (refused, no project, or the question answered No).
std::int32_t DeleteAllTilesCommand(AppState& state, UserInterface& ui);

// The open project's map build (efismap/MakeMaps.h) with the extension in use
// (AppState::MapExtension), the commands' entry: refused while a long operation runs, a second
// build inside a running one included (BusyState.h). Throws CartozenError("No project has been
// opened.") without an open project.
void CreateMaps(AppState& state, UserInterface& ui);

}  // namespace cz
