#include "tiling/TileWorkers.h"

#include <utility>

#include "tiling/CellRenderer.h"
#include "tiling/CoveredTiles.h"

namespace cz {
namespace {

// Tiles ahead of the commit per worker: enough that a slow tile (a 4° tile drawn from sixteen
// cells and a stored tile) does not leave the others idle, few enough to stay a few megabytes.
constexpr std::size_t kTilesAheadPerWorker = 4;

}  // namespace

TileWorkers::TileWorkers(const TilePlan& plan, const Raster32& source, const ReferenceGrid& grid,
                         TileStore& store, int workers, const CoverageRun* coverage,
                         const ProjectionLattice* placement)
    : plan_(plan),
      source_(source),
      grid_(grid),
      store_(store),
      coverage_(coverage),
      placement_(placement),
      scratch_(coverage ? static_cast<std::size_t>(workers) : 0),
      mostSpare_(kTilesAheadPerWorker * static_cast<std::size_t>(workers)),
      tiles_(plan.Tiles.size(), workers, mostSpare_,
             [this](std::size_t index, int worker) { return Make(index, worker); }) {}

TileWorkers::Tile TileWorkers::Make(std::size_t index, int worker) {
  Tile tile;
  {
    std::lock_guard lock(spareMutex_);
    if (!spare_.empty()) {
      tile.Raster = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  const PlannedTile& planned = plan_.Tiles[index];
  if (coverage_) {
    Raster32& scratch = scratch_[static_cast<std::size_t>(worker)];
    CellRenderer renderer(source_, grid_, scratch, placement_);
    tile.Covered =
        RenderCoveredTile(plan_, planned, renderer, scratch, tile.Raster, store_, *coverage_) > 0;
    if (!tile.Covered) return tile;
  } else {
    CellRenderer renderer(source_, grid_, tile.Raster, placement_);
    RenderPlannedTile(plan_, planned, renderer, tile.Raster, store_);
  }
  tile.Pending = store_.PrepareTile(tile.Raster, planned.Position, planned.Level, worker);
  return tile;
}

void TileWorkers::Recycle(Raster32 raster) {
  std::lock_guard lock(spareMutex_);
  if (spare_.size() < mostSpare_) spare_.push_back(std::move(raster));
}

}  // namespace cz
