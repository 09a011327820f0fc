#pragma once
// The program's tile store: tiles are GIF files in the project's "Tiles" folder, written with
// the map source's colour options or the custom palette of "Palette.txt" (read at the start of
// every run), and read back for the 2° and 4° tiles. Workers encode and write each tile under
// a temporary name; the commit renames it into place (TileFiles.h). Errors of the tile output
// (a tile that cannot be written or decoded, a palette file that cannot be read) propagate as
// CartozenError.

#include <string>
#include <vector>

#include "port/UserInterface.h"
#include "tiling/TileFiles.h"
#include "tiling/TileStore.h"

namespace cz {

class GifTileStore : public TileStore {
 public:
  GifTileStore(std::string projectFolder, const TileColourOptions& options, UserInterface& ui);

  void BeginRun() override;
  void SetWorkers(int count) override;
  void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) override;
  std::unique_ptr<PendingTile> PrepareTile(const Raster32& raster, TilePosition position,
                                           TileLevel level, int worker) override;
  void CommitTile(const Raster32& raster, TilePosition position, TileLevel level,
                  std::unique_ptr<PendingTile> pending) override;
  void SaveTile(const Raster32& raster, TilePosition position, TileLevel level) override;
  std::int32_t TilesCreated() const override { return run_.TilesCreated; }

 private:
  TileRun run_;
  std::vector<TileEncoder> encoders_;  // one per worker
  UserInterface& ui_;
};

}  // namespace cz
