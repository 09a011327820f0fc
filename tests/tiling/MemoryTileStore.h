#pragma once
// A tile store in memory for the tiling tests: records every save and load, keeps the saved
// tiles (unless told not to) and serves them back as existing tiles. Loads come from the
// worker threads, so they and the saves share a lock.

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tiling/TileStore.h"

namespace cz::testing {

class MemoryTileStore : public TileStore {
 public:
  using Key = std::pair<TileLevel, TilePosition>;

  void BeginRun() override {
    ++runs;
    created = 0;
  }
  void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) override {
    std::lock_guard lock(mutex);
    // Workers load in any order; kept in run order (levels 4 then 3, positions rising).
    const Key key{level, position};
    loads.insert(std::upper_bound(loads.begin(), loads.end(), key,
                                  [](const Key& a, const Key& b) {
                                    return a.first != b.first ? a.first > b.first
                                                              : a.second < b.second;
                                  }),
                 key);
    const auto it = tiles.find({level, position});
    if (it != tiles.end()) raster = it->second.Clone();
  }
  void SaveTile(const Raster32& raster, TilePosition position, TileLevel level) override {
    if (failAfter >= 0 && created >= failAfter) throw std::runtime_error("disk full");
    std::lock_guard lock(mutex);
    saves.push_back({level, position});
    if (onSave) onSave(raster, position, level);
    if (keepTiles) tiles[{level, position}] = raster.Clone();
    ++created;
  }
  std::int32_t TilesCreated() const override { return created; }

  const Raster32& Tile(TileLevel level, TilePosition position) const {
    return tiles.at({level, position});
  }

  std::map<Key, Raster32> tiles;
  std::vector<Key> saves;
  std::vector<Key> loads;
  std::function<void(const Raster32&, TilePosition, TileLevel)> onSave;
  bool keepTiles = true;
  int failAfter = -1;  // throw on the save after this many
  int runs = 0;
  std::int32_t created = 0;
  std::mutex mutex;
};

}  // namespace cz::testing
