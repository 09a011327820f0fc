#include "tiling/GifTileStore.h"

#include <utility>

namespace cz {

GifTileStore::GifTileStore(std::string projectFolder, const TileColourOptions& options,
                           UserInterface& ui)
    : ui_(ui) {
  run_.ProjectFolder = std::move(projectFolder);
  run_.Options = options;
}

void GifTileStore::BeginRun() {
  BeginTileRun(run_, ui_);
}

void GifTileStore::LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) {
  cz::LoadExistingTile(raster, position, level, run_.ProjectFolder);
}

void GifTileStore::SaveTile(const Raster32& raster, TilePosition position, TileLevel level) {
  cz::SaveTile(raster, position, level, run_, ui_);
}

}  // namespace cz
