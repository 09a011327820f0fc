#pragma once
// CreateTiles: turns the loaded, georeferenced chart into tiles of every level selected in
// its MapResolution, in the order 4, 3, 2, 1, 0, walking the one-degree cells of the
// reference grid as the last layout left it.
//
// - 1°, 0.5° and 0.25° tiles: one, four or sixteen whole tiles per grid cell, cell by cell,
//   row by row from north to south and west to east.
// - 2° and 4° tiles span 2 × 2 or 4 × 4 grid cells: each tile is first loaded as an earlier
//   run left it, so that charts meeting inside a tile complete each other, then the cells of
//   this chart are drawn over their part of it.
// Tile pixel (i, j) stands for longitude west + i / W × step and latitude north − j / 600 ×
// step of its tile (W from the tile-width table).
//
// A chart with coverage (TileJob::Coverage) is drawn over its widened grid instead, and at
// every level only where it is map, over what earlier runs left (CoveredTiles.h). A grid across
// 180° (geo/Antimeridian.h) gets its tiles on both sides: east of 180° they are the tiles from
// 180° W on, at every level, the 2° and 4° tiles at the line filled from both of its halves. A
// chart of known projection (a GeoTIFF's own grid) is placed through the projection itself, to a
// fraction of a pixel, rather than through each cell's projective map (CellRenderer.h).
//
// Refusals, reported and not thrown: no usable georeferencing (status line "No usable
// georeferencing defined"; also for grids larger than the 63 steps the grid can hold and for
// grids that reach past the poles, which have no tile positions), and a
// manual grid out of order (a message box naming the first offending pair, counted from 1).
// Nothing is written then and no window is shown.
//
// Errors from the tile store (writing or reading tiles) propagate and end the run where it
// stands; the process window then stays visible.
//
// Threads (TileWorkers.h, ThreadCount.h): the tiles are drawn, colour-reduced and encoded on
// worker threads and committed by the calling thread in the order above, so the files, the
// status texts and the process window are those of a one-thread run, and an error leaves the
// tiles a one-thread run would have left. The calling thread lets events run after each
// committed tile (and once more for a 2° or 4° tile, whose stored tile was loaded), reports
// progress (ProgressTask::TileCreation) and, when CancelRequested(), stops after the tiles
// in flight, removes their temporary files, hides the process window and throws
// OperationCancelled("Tile creation cancelled"); committed tiles stay.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "geo/GeoReference.h"
#include "geo/MapCell.h"
#include "imaging/Raster32.h"
#include "port/UserInterface.h"
#include "tiling/TilePlan.h"
#include "tiling/TileStore.h"

namespace cz {

struct CoverageRun;
class ProjectionLattice;

// What a run of the program's tile creation reads, taken when the run starts: a copy of the
// georeference as the last layout left it (its colour options included), the chart shared
// read-only, and the project folder.
struct TileJob {
  GeoReference GeoRef;
  const Raster32& Image;
  std::string ProjectFolder;  // tiles go to its "Tiles" folder
  // A chart with coverage: its widened grid and coverage, fixed at the start (CoveredTiles.h).
  std::shared_ptr<const CoverageRun> Coverage;
  // A chart of known projection without coverage: its exact placement over GeoRef's grid
  // (ProjectionLattice.h; with coverage the run carries its own).
  std::shared_ptr<const ProjectionLattice> Placement;
  // A cell job's run: only the tiles inside this cell are drawn and written.
  std::optional<MapCell> Cell;
};

// One tile-creation run of source with georeference geo into store. Returns the number of
// tiles created, or nothing when the run was refused.
//
// The run reads the georeference it was given when it started, a copy of its own: the window
// handles events between tiles, and whatever a person does to the source's georeference
// meanwhile (a grid point dropped, a reference typed, a zoom that lays the grid out again)
// must not reach tiles still to be drawn. The source raster is shared, read-only; nothing may
// change it while the run lasts (the workspace's busy rule refuses the commands that would).
// With coverage, the run draws the coverage's widened grid (geo is the grid as laid out, whose
// hand-placed points are checked) and paints only covered pixels (CoveredTiles.h).
// placement: the exact placement of a chart of known projection over geo's grid; a run with
// coverage takes the coverage's own instead.
// cell: only the tiles inside it are drawn and written, each exactly as the whole run draws
// it (a tile's pixels never depend on the other tiles of the run).
std::optional<std::int32_t> CreateTiles(GeoReference geo, const Raster32& source, TileStore& store,
                                        UserInterface& ui, const CoverageRun* coverage = nullptr,
                                        const ProjectionLattice* placement = nullptr,
                                        const MapCell* cell = nullptr);

// The tiles a run of geo (with coverage, when given) writes, in the order it writes them, or
// nothing when the run would be refused for want of a usable grid. The order of a manual grid
// is not checked here: the run itself refuses that, with its message.
std::optional<TilePlan> PlanTileRun(const GeoReference& geo, const CoverageRun* coverage);

// The program's run: into the project's "Tiles" folder with the job's colour options, or the
// custom palette when there is one.
std::optional<std::int32_t> CreateTiles(const TileJob& job, UserInterface& ui);

}  // namespace cz
