#pragma once
// The program's tile store: tiles are GIF files in the project's "Tiles" folder, written with
// the map source's colour options or the custom palette of "Palette.txt" (read at the start of
// every run), and read back for the 2° and 4° tiles. Errors of the tile output (a tile that
// cannot be written or decoded, a palette file that cannot be read) propagate as
// CartozenError.

#include <string>

#include "imaging/TileFiles.h"
#include "state/UserInterface.h"
#include "tiling/TileStore.h"

namespace cz {

class GifTileStore : public TileStore {
 public:
  GifTileStore(std::string projectFolder, const TileColourOptions& options, UserInterface& ui);

  void BeginRun() override;
  void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) override;
  void SaveTile(const Raster32& raster, TilePosition position, TileLevel level) override;
  std::int32_t TilesCreated() const override { return run_.TilesCreated; }

 private:
  TileRun run_;
  UserInterface& ui_;
};

}  // namespace cz
