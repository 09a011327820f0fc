#pragma once
// Where tile creation sends its finished tiles and finds the tiles of earlier runs. The
// program's store writes GIF files into the project's "Tiles" folder (GifTileStore.h); tests
// and benchmarks keep tiles in memory or drop them. Called once per tile, never per pixel.
//
// Threads: tile creation renders on worker threads. Workers call LoadExistingTile and
// PrepareTile, concurrently for different tiles; everything else, and CommitTile in the
// one-thread order of the tiles, runs on the thread that called CreateTiles. A store that
// only implements SaveTile gets it called at commit time on that thread.

#include <cstdint>
#include <memory>

#include "geo/TileGrid.h"
#include "imaging/Raster32.h"

namespace cz {

class TileStore {
 public:
  // Whatever a worker made of a tile ahead of its commit. Destroying one that was not
  // committed must leave nothing behind (an error or a cancel stops the run).
  class PendingTile {
   public:
    virtual ~PendingTile() = default;
  };

  virtual ~TileStore() = default;

  // Start of a run, after the georeference passed its checks (the custom palette is read
  // here) and before the first tile.
  virtual void BeginRun() {}
  // How many workers the run uses; PrepareTile gets worker numbers below it. Called after
  // BeginRun, before the first tile.
  virtual void SetWorkers(int /*count*/) {}
  // When the tile exists, replaces raster's size and pixels with it; otherwise leaves raster
  // as it is. Called from workers: must be safe to call concurrently.
  virtual void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) = 0;
  // Worker side of storing raster (encoding, writing a temporary file). Default: nothing.
  virtual std::unique_ptr<PendingTile> PrepareTile(const Raster32& /*raster*/,
                                                   TilePosition /*position*/, TileLevel /*level*/,
                                                   int /*worker*/) {
    return nullptr;
  }
  // Makes the tile final and counts it; pending is what PrepareTile returned. Default:
  // SaveTile.
  virtual void CommitTile(const Raster32& raster, TilePosition position, TileLevel level,
                          std::unique_ptr<PendingTile> /*pending*/) {
    SaveTile(raster, position, level);
  }
  // Stores raster as the tile, replacing an earlier one, and counts it.
  virtual void SaveTile(const Raster32& raster, TilePosition position, TileLevel level) = 0;
  // Tiles saved since BeginRun.
  virtual std::int32_t TilesCreated() const = 0;
};

}  // namespace cz
