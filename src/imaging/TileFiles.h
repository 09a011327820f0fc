#pragma once
// The project's tile files: writing a rendered tile as its GIF, reading an existing one back,
// and deleting them all.
//
// A tile of level L (0..4) and position P lives in the project folder's "Tiles" sub-folder
// as "L_P.GIF" (position in decimal, no padding): level 2, position 15668 -> "2_15668.GIF".
// Tiles are written under a temporary name in that folder and renamed over the final name,
// so a crash never leaves a truncated tile that a later run would fail to load.
//
// Errors (CartozenError, text names the file): a tile that cannot be written ("Unable to write
// to " + file, also when the "Tiles" folder is missing), an existing tile that cannot be
// decoded (see GifImageDecoder.h), a "Palette.txt" that exists but cannot be read.

#include <cstdint>
#include <optional>
#include <string>

#include "geo/TileGrid.h"
#include "imaging/TileEncoder.h"
#include "imaging/TilePalette.h"

namespace cz {

class Raster32;
class UserInterface;
struct AppState;

// What the tile output keeps for one tile-creation run.
struct TileRun {
  std::string ProjectFolder;
  TileColourOptions Options;                 // the current map source's options
  std::optional<TilePalette> CustomPalette;  // set: every tile uses it, without dithering
  std::int32_t TilesCreated = 0;             // tiles saved in this run
  TileEncoder Encoder;                       // working memory reused from tile to tile
};

// projectFolder + "/Tiles".
std::string TilesFolder(const std::string& projectFolder);
// TilesFolder + "/" + level + "_" + position + ".GIF".
std::string TileFileName(const std::string& projectFolder, TileLevel level, TilePosition position);

// Start of a run: loads "Palette.txt" (TilePaletteFile()) into run.CustomPalette when the file
// exists and declares colours, else clears it (the options apply); sets TilesCreated to 0.
// A palette of more than 256 colours keeps the first 256 and says so in the status line.
void BeginTileRun(TileRun& run, UserInterface& ui);

// Writes raster (not empty) as the tile's file, overwriting it; puts "Created tile resolution "
// + (level + 1) + " with position number " + position in the status line; counts the tile.
void SaveTile(const Raster32& raster, TilePosition position, TileLevel level, TileRun& run,
              UserInterface& ui);

// When the tile's file exists, replaces raster's size and pixels with the decoded tile
// (opaque pixels); otherwise leaves raster as it is.
void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const std::string& projectFolder);

// Deletes every "*.GIF" file (any case; ordinary, non-hidden files) in the project's "Tiles"
// folder. Returns how many were found, deleted or not. Never throws.
std::int32_t DeleteAllTiles(const std::string& projectFolder);

// The menu command "Delete all tiles in tiles folder of this project". Refused while a long
// operation runs (BusyState.h). Without an open project it shows "No project has been
// opened." and deletes nothing: the project folder would otherwise be the one remembered from
// an earlier run, or the program's folder. Otherwise asks "Delete all tiles in current
// projects tile folder ?", and on Yes deletes and reports "Done, deleted " + count + " tiles.
// Please create new tiles before creating maps". Returns the count, or -1 when nothing was
// deleted (refused, no project, or the question answered No).
std::int32_t DeleteAllTilesCommand(AppState& state, UserInterface& ui);

}  // namespace cz
