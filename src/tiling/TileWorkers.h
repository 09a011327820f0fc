#pragma once
// Draws the tiles of a plan on worker threads and hands them out in plan order
// (OrderedParallel.h).
//
// Each worker owns its cell renderer and tile raster, reads the chart and the grid (shared,
// never written during the run), draws a tile, and has the store prepare it (encode, write a
// temporary file). The calling thread takes the tiles with Next() in plan order and commits
// them. A few tiles per worker are ahead of the commit at most, which bounds the memory.
//
// Destroying the object stops the workers after the tiles in flight; tiles drawn but not
// taken are destroyed with their PendingTile, which removes whatever the store had written
// for them. An error while drawing or preparing tile i is rethrown by Next() for tile i, so
// every tile before it can be committed as a one-thread run would have.

#include <memory>
#include <mutex>
#include <vector>

#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "platform/OrderedParallel.h"
#include "tiling/TilePlan.h"
#include "tiling/TileStore.h"

namespace cz {

struct CoverageRun;
class ProjectionLattice;

class TileWorkers {
 public:
  struct Tile {
    Raster32 Raster;
    std::unique_ptr<TileStore::PendingTile> Pending;
    bool Covered = true;  // false: a chart with coverage left no pixel in it; not to be stored
  };

  // Everything passed must outlive the object. workers ≥ 1. coverage: the run of a chart
  // with coverage (CoveredTiles.h), whose tiles are drawn that way. placement: the exact
  // placement of a chart of known projection over grid (CellRenderer.h), or null.
  TileWorkers(const TilePlan& plan, const Raster32& source, const ReferenceGrid& grid,
              TileStore& store, int workers, const CoverageRun* coverage = nullptr,
              const ProjectionLattice* placement = nullptr);

  // The next tile in plan order, waiting for it; rethrows the error of that tile.
  Tile Next() { return tiles_.Next(); }
  // Gives a committed tile's raster back for reuse.
  void Recycle(Raster32 raster);

 private:
  Tile Make(std::size_t index, int worker);

  const TilePlan& plan_;
  const Raster32& source_;
  const ReferenceGrid& grid_;
  TileStore& store_;
  const CoverageRun* coverage_;
  const ProjectionLattice* placement_;
  std::vector<Raster32> scratch_;  // per worker: a cell part before its covered pixels are taken
  std::mutex spareMutex_;
  std::vector<Raster32> spare_;
  const std::size_t mostSpare_;
  OrderedParallel<Tile> tiles_;  // last: its workers use everything above
};

}  // namespace cz
