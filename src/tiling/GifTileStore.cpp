#include "tiling/GifTileStore.h"

#include <utility>

namespace cz {
namespace {

struct PendingGif : TileStore::PendingTile {
  explicit PendingGif(PreparedTileFile file) : File(std::move(file)) {}
  PreparedTileFile File;
};

}  // namespace

GifTileStore::GifTileStore(std::string projectFolder, const TileColourOptions& options,
                           UserInterface& ui)
    : ui_(ui) {
  run_.ProjectFolder = std::move(projectFolder);
  run_.Options = options;
}

void GifTileStore::BeginRun() { BeginTileRun(run_, ui_); }

void GifTileStore::SetWorkers(int count) { encoders_.resize(count > 0 ? count : 1); }

void GifTileStore::LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level) {
  if (run_.Folder) {
    cz::LoadExistingTile(raster, position, level, *run_.Folder);
  } else {
    cz::LoadExistingTile(raster, position, level, run_.ProjectFolder);
  }
}

std::unique_ptr<TileStore::PendingTile> GifTileStore::PrepareTile(const Raster32& raster,
                                                                  TilePosition position,
                                                                  TileLevel level, int worker) {
  return std::make_unique<PendingGif>(
      PrepareTileFile(raster, position, level, run_, encoders_.at(worker)));
}

void GifTileStore::CommitTile(const Raster32& raster, TilePosition position, TileLevel level,
                              std::unique_ptr<PendingTile> pending) {
  if (auto* gif = dynamic_cast<PendingGif*>(pending.get())) {
    CommitTileFile(gif->File, run_, ui_);
  } else {
    SaveTile(raster, position, level);
  }
}

void GifTileStore::SaveTile(const Raster32& raster, TilePosition position, TileLevel level) {
  cz::SaveTile(raster, position, level, run_, ui_);
}

}  // namespace cz
