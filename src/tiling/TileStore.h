#pragma once
// Where tile creation sends its finished tiles and finds the tiles of earlier runs. The
// program's store writes GIF files into the project's "Tiles" folder (GifTileStore.h); tests
// and benchmarks keep tiles in memory or drop them. Called once per tile, never per pixel.

#include <cstdint>

#include "geo/TileGrid.h"
#include "imaging/Raster32.h"

namespace cz {

class TileStore {
 public:
  virtual ~TileStore() = default;

  // Start of a run, after the georeference passed its checks (the custom palette is read
  // here) and before the first tile.
  virtual void BeginRun() {}
  // When the tile exists, replaces raster's size and pixels with it; otherwise leaves raster
  // as it is.
  virtual void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) = 0;
  // Stores raster as the tile, replacing an earlier one, and counts it.
  virtual void SaveTile(const Raster32& raster, TilePosition position, TileLevel level) = 0;
  // Tiles saved since BeginRun.
  virtual std::int32_t TilesCreated() const = 0;
};

}  // namespace cz
