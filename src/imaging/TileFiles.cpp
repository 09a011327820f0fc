#include "imaging/TileFiles.h"

#include "imaging/GifImageDecoder.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/Project.h"
#include "state/AppState.h"
#include "state/UserInterface.h"

namespace cz {

std::string TilesFolder(const std::string& projectFolder) {
  return JoinPath(projectFolder, "Tiles");
}

std::string TileFileName(const std::string& projectFolder, TileLevel level, TilePosition position) {
  return JoinPath(TilesFolder(projectFolder),
                  std::to_string(int{level}) + "_" + std::to_string(position) + ".GIF");
}

void BeginTileRun(TileRun& run, UserInterface& ui) {
  run.TilesCreated = 0;
  run.CustomPalette.reset();
  // Half-written tiles of an interrupted run would otherwise stay in the folder for good.
  RemoveWriteLeftovers(TilesFolder(run.ProjectFolder));
  const std::string file = TilePaletteFile();
  if (!FileExists(file)) return;
  run.CustomPalette = LoadTilePalette(file);
  if (run.CustomPalette && run.CustomPalette->DeclaredCount > kMaxGifColours) {
    ui.SetStatusText("Palette.txt lists " + std::to_string(run.CustomPalette->DeclaredCount) +
                     " colours; tiles use the first " + std::to_string(kMaxGifColours));
  }
}

void SaveTile(const Raster32& raster, TilePosition position, TileLevel level, TileRun& run,
              UserInterface& ui) {
  const std::string file = TileFileName(run.ProjectFolder, level, position);
  if (raster.Empty()) throw CartozenError("Unable to write to " + file + ": the tile is empty");
  std::string bytes;
  try {
    bytes =
        run.Encoder.Encode(raster, run.Options, run.CustomPalette ? &*run.CustomPalette : nullptr);
  } catch (const CartozenError& error) {
    throw CartozenError("Unable to write to " + file + ": " + error.what());
  }
  // Temporary file then rename. A missing "Tiles" folder fails here like any unwritable
  // folder: the project creates it, and re-creating it silently would hide a wrong path.
  AtomicWriteFile(file, bytes);
  ui.SetStatusText("Created tile resolution " + std::to_string(level + 1) +
                   " with position number " + std::to_string(position));
  ++run.TilesCreated;
}

void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const std::string& projectFolder) {
  const std::string file = TileFileName(projectFolder, level, position);
  if (!FileExists(file)) return;
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

std::int32_t DeleteAllTilesCommand(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return -1;
  if (!state.Project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return -1;
  }
  if (!ui.Confirm("Delete all tiles in current projects tile folder ?")) return -1;
  const std::int32_t count = DeleteAllTiles(state.Project.Folder);
  ui.ShowMessage("Done, deleted " + std::to_string(count) +
                 " tiles. Please create new tiles before creating maps");
  return count;
}

}  // namespace cz
