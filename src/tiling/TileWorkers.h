#pragma once
// Draws the tiles of a plan on worker threads and hands them out in plan order.
//
// Each worker owns its cell renderer and tile raster, reads the chart and the grid (shared,
// never written during the run), draws a tile, and has the store prepare it (encode, write a
// temporary file). The calling thread takes the tiles with Next() in plan order and commits
// them. At most a fixed window of tiles is ahead of the commit, which bounds the memory to a
// few tiles per worker. With one worker nothing runs on another thread: Next() draws the tile
// itself.
//
// Destroying the object stops the workers after the tiles in flight; tiles that were drawn
// but not taken are destroyed with their PendingTile, which removes whatever the store had
// written for them. An error while drawing or preparing tile i is rethrown by Next() for
// tile i, so every tile before it can be committed as a one-thread run would have.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "tiling/TilePlan.h"
#include "tiling/TileStore.h"

namespace cz {

class TileWorkers {
 public:
  struct Tile {
    Raster32 Raster;
    std::unique_ptr<TileStore::PendingTile> Pending;
  };

  // Everything passed must outlive the object. workers ≥ 1.
  TileWorkers(const TilePlan& plan, const Raster32& source, const ReferenceGrid& grid,
              TileStore& store, int workers);
  ~TileWorkers();
  TileWorkers(const TileWorkers&) = delete;
  TileWorkers& operator=(const TileWorkers&) = delete;

  // The next tile in plan order, waiting for it; rethrows the error of that tile.
  Tile Next();
  // Gives a committed tile's raster back for reuse.
  void Recycle(Raster32 raster);

 private:
  struct Slot {
    bool Ready = false;
    Tile Result;
    std::exception_ptr Error;
  };

  void Work(int worker);
  // Draws and prepares tile index; errors go into the returned slot.
  Slot Make(std::size_t index, int worker, Raster32& raster);

  const TilePlan& plan_;
  const Raster32& source_;
  const ReferenceGrid& grid_;
  TileStore& store_;
  const std::size_t window_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;  // tile i in slots_[i % window_]
  std::size_t nextToDraw_ = 0;
  std::size_t nextToTake_ = 0;
  bool stopping_ = false;
  std::vector<Raster32> spare_;
  std::vector<std::thread> threads_;
};

}  // namespace cz
