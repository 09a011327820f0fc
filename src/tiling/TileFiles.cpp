#include "tiling/TileFiles.h"

#include <utility>

#include "imaging/GifImageDecoder.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/UserInterface.h"
#include "project/Project.h"

namespace cz {

std::string TilesFolder(const std::string& projectFolder) {
  return JoinPath(projectFolder, kTilesFolder);
}

namespace {

std::string TileName(TileLevel level, TilePosition position) {
  return std::to_string(int{level}) + "_" + std::to_string(position) + ".GIF";
}

}  // namespace

std::string TileFileName(const std::string& projectFolder, TileLevel level, TilePosition position) {
  return JoinPath(TilesFolder(projectFolder), TileName(level, position));
}

TileFolder::TileFolder(const std::string& projectFolder)
    : folder_(ResolvePath(TilesFolder(projectFolder))) {
  for (std::string& name : ListFiles(folder_, "*.GIF")) {
    realNames_.emplace(UpperCase(name), std::move(name));
  }
}

std::string TileFolder::PathOf(TileLevel level, TilePosition position) const {
  const std::string name = TileName(level, position);  // upper case already
  const auto it = realNames_.find(name);
  return JoinPath(folder_, it != realNames_.end() ? it->second : name);
}

bool TileFolder::Listed(TileLevel level, TilePosition position) const {
  return realNames_.count(TileName(level, position)) != 0;
}

void BeginTileRun(TileRun& run, UserInterface& ui) {
  run.TilesCreated = 0;
  run.CustomPalette.reset();
  // Half-written tiles of an interrupted run would otherwise stay in the folder for good.
  RemoveWriteLeftovers(TilesFolder(run.ProjectFolder));
  run.Folder.emplace(run.ProjectFolder);
  const std::string file = TilePaletteFile();
  if (!FileExists(file)) return;
  run.CustomPalette = LoadTilePalette(file);
  if (run.CustomPalette && run.CustomPalette->DeclaredCount > kMaxGifColours) {
    ui.SetStatusText("Palette.txt lists " + std::to_string(run.CustomPalette->DeclaredCount) +
                     " colours; tiles use the first " + std::to_string(kMaxGifColours));
  }
}

PreparedTileFile PrepareTileFile(const Raster32& raster, TilePosition position, TileLevel level,
                                 const TileRun& run, TileEncoder& encoder) {
  PreparedTileFile tile;
  tile.ShownName = TileFileName(run.ProjectFolder, level, position);
  tile.Position = position;
  tile.Level = level;
  if (raster.Empty()) {
    throw CartozenError("Unable to write to " + tile.ShownName + ": the tile is empty");
  }
  std::string bytes;
  try {
    bytes = encoder.Encode(raster, run.Options, run.CustomPalette ? &*run.CustomPalette : nullptr);
  } catch (const CartozenError& error) {
    throw CartozenError("Unable to write to " + tile.ShownName + ": " + error.what());
  }
  // A missing "Tiles" folder fails here like any unwritable folder: the project creates it,
  // and re-creating it silently would hide a wrong path.
  tile.FinalPath = run.Folder ? run.Folder->PathOf(level, position) : ResolvePath(tile.ShownName);
  tile.Temporary = UnsyncedTemporaryFile(tile.FinalPath, bytes, tile.ShownName);
  return tile;
}

void CommitTileFile(PreparedTileFile& tile, TileRun& run, UserInterface& ui) {
  tile.Temporary.Commit(tile.FinalPath, tile.ShownName);
  ui.SetStatusText("Created tile resolution " + std::to_string(tile.Level + 1) +
                   " with position number " + std::to_string(tile.Position));
  ++run.TilesCreated;
}

void SaveTile(const Raster32& raster, TilePosition position, TileLevel level, TileRun& run,
              UserInterface& ui) {
  PreparedTileFile tile = PrepareTileFile(raster, position, level, run, run.Encoder);
  CommitTileFile(tile, run, ui);
}

void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const std::string& projectFolder) {
  const std::string file = TileFileName(projectFolder, level, position);
  if (!FileExists(file)) return;
  raster = DecodeGifImage(ReadWholeFile(file), file);
}

void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const TileFolder& folder) {
  if (!folder.Listed(level, position)) return;
  const std::string file = folder.PathOf(level, position);
  raster = DecodeGifImage(ReadWholeFile(file), file);
}

std::int32_t DeleteAllTiles(const std::string& projectFolder) {
  const std::string folder = TilesFolder(projectFolder);
  std::int32_t count = 0;
  for (const std::string& name : ListFiles(folder, "*.GIF")) {
    DeleteFileAt(JoinPath(ResolvePath(folder), name));  // a failure is not reported
    ++count;
  }
  return count;
}

}  // namespace cz
