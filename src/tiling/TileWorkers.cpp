#include "tiling/TileWorkers.h"

#include <utility>

#include "tiling/CellRenderer.h"

namespace cz {
namespace {

// Tiles ahead of the commit per worker: enough that a slow tile (a 4° tile drawn from sixteen
// cells and a stored tile) does not leave the others idle, few enough to stay a few megabytes.
constexpr std::size_t kTilesAheadPerWorker = 4;

}  // namespace

TileWorkers::TileWorkers(const TilePlan& plan, const Raster32& source, const ReferenceGrid& grid,
                         TileStore& store, int workers)
    : plan_(plan),
      source_(source),
      grid_(grid),
      store_(store),
      window_(workers > 1 ? kTilesAheadPerWorker * static_cast<std::size_t>(workers) : 1),
      slots_(window_) {
  if (workers <= 1) return;
  threads_.reserve(static_cast<std::size_t>(workers));
  for (int w = 0; w < workers; ++w) threads_.emplace_back(&TileWorkers::Work, this, w);
}

TileWorkers::~TileWorkers() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

TileWorkers::Slot TileWorkers::Make(std::size_t index, int worker, Raster32& raster) {
  Slot slot;
  try {
    const PlannedTile& tile = plan_.Tiles[index];
    CellRenderer renderer(source_, grid_, raster);
    RenderPlannedTile(plan_, tile, renderer, raster, store_);
    slot.Result.Pending = store_.PrepareTile(raster, tile.Position, tile.Level, worker);
  } catch (...) {
    slot.Error = std::current_exception();
  }
  slot.Result.Raster = std::move(raster);
  slot.Ready = true;
  return slot;
}

void TileWorkers::Work(int worker) {
  Raster32 raster;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return stopping_ || (nextToDraw_ < plan_.Tiles.size() && nextToDraw_ < nextToTake_ + window_);
    });
    if (stopping_) return;
    const std::size_t index = nextToDraw_++;
    if (!spare_.empty()) {
      raster = std::move(spare_.back());
      spare_.pop_back();
    }
    lock.unlock();
    Slot made = Make(index, worker, raster);
    lock.lock();
    slots_[index % window_] = std::move(made);
    changed_.notify_all();
  }
}

TileWorkers::Tile TileWorkers::Next() {
  Slot slot;
  if (threads_.empty()) {
    Raster32 raster;
    if (!spare_.empty()) {
      raster = std::move(spare_.back());
      spare_.pop_back();
    }
    slot = Make(nextToTake_++, 0, raster);
  } else {
    std::unique_lock lock(mutex_);
    Slot& waiting = slots_[nextToTake_ % window_];
    changed_.wait(lock, [&] { return waiting.Ready; });
    slot = std::move(waiting);
    waiting = Slot{};
    ++nextToTake_;
    lock.unlock();
    changed_.notify_all();
  }
  if (slot.Error) std::rethrow_exception(slot.Error);
  return std::move(slot.Result);
}

void TileWorkers::Recycle(Raster32 raster) {
  std::lock_guard lock(mutex_);
  if (spare_.size() < window_) spare_.push_back(std::move(raster));
}

}  // namespace cz
