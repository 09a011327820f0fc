#pragma once
// The project's tile files: writing a rendered tile as its GIF, reading an existing one back,
// and deleting them all (the one implementation: the menu command and /D both use it).
//
// A tile of level L (0..4) and position P lives in the project folder's "Tiles" sub-folder
// as "L_P.GIF" (position in decimal, no padding): level 2, position 15668 -> "2_15668.GIF".
// Tiles are written under a temporary name in that folder and renamed over the final name,
// so a crash never leaves a truncated tile that a later run would fail to load.
//
// A run writes in two steps so that workers can do the expensive half: PrepareTileFile
// encodes the tile and writes its temporary file; CommitTileFile waits until that file is on
// the device (so the rename never exposes a truncated file), renames it into place in run
// order and reports it. A prepared tile that is never committed removes its temporary file.
//
// A run reads the "Tiles" folder once (TileFolder) and resolves every tile name against that
// listing, so writing a tile costs the same whether the folder holds ten files or 20,000.
//
// Errors (CartozenError, text names the file): a tile that cannot be written ("Unable to write
// to " + file, also when the "Tiles" folder is missing), an existing tile that cannot be
// decoded (see GifImageDecoder.h), a "Palette.txt" that exists but cannot be read.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "geo/TileGrid.h"
#include "imaging/TileEncoder.h"
#include "imaging/TilePalette.h"
#include "platform/FileSystem.h"

namespace cz {

class Raster32;
class UserInterface;

// The project's "Tiles" folder as listed once: its real path and the real spelling of the
// tile names it held, so that "2_15668.gif" written by another program is found and replaced
// rather than joined by a "2_15668.GIF". Tiles a run creates take the canonical spelling,
// which is why the listing stays right while the run adds files. Read-only once made.
class TileFolder {
 public:
  explicit TileFolder(const std::string& projectFolder);

  // The tile's file: its existing spelling or the canonical name.
  std::string PathOf(TileLevel level, TilePosition position) const;
  // Whether the tile was in the folder when it was listed.
  bool Listed(TileLevel level, TilePosition position) const;

 private:
  std::string folder_;                                      // real spelling
  std::unordered_map<std::string, std::string> realNames_;  // upper case -> on disk
};

// What the tile output keeps for one tile-creation run.
struct TileRun {
  std::string ProjectFolder;
  TileColourOptions Options;                 // the current map source's options
  std::optional<TilePalette> CustomPalette;  // set: every tile uses it, without dithering
  std::int32_t TilesCreated = 0;             // tiles saved in this run
  TileEncoder Encoder;                       // working memory of SaveTile, reused per tile
  std::optional<TileFolder> Folder;          // listed by BeginTileRun
};

// A tile encoded and written under its temporary name, not yet in place (nor known to be on
// the device: the commit waits for that). Moving it hands the file on; destroying it
// uncommitted deletes the temporary file.
struct PreparedTileFile {
  UnsyncedTemporaryFile Temporary;
  std::string FinalPath;  // real spelling
  std::string ShownName;  // for messages: TileFileName
  TilePosition Position = 0;
  TileLevel Level = 0;
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
// The same as CommitTileFile(PrepareTileFile(..., run.Encoder)).
void SaveTile(const Raster32& raster, TilePosition position, TileLevel level, TileRun& run,
              UserInterface& ui);

// The first half of SaveTile: may run on any thread, with an encoder of its own, while the
// run is only read.
PreparedTileFile PrepareTileFile(const Raster32& raster, TilePosition position, TileLevel level,
                                 const TileRun& run, TileEncoder& encoder);
// The second half: waits for the file to reach the device, puts it in place, reports and
// counts it. The wait is the commit's so that the workers never stand still for the device.
void CommitTileFile(PreparedTileFile& tile, TileRun& run, UserInterface& ui);

// When the tile's file exists, replaces raster's size and pixels with the decoded tile
// (opaque pixels); otherwise leaves raster as it is.
void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const std::string& projectFolder);
// The same against a run's listing of the folder; safe from several threads.
void LoadExistingTile(Raster32& raster, TilePosition position, TileLevel level,
                      const TileFolder& folder);

// Deletes every "*.GIF" file (any case; ordinary, non-hidden files) in the project's "Tiles"
// folder. Returns how many were found, deleted or not. Never throws.
std::int32_t DeleteAllTiles(const std::string& projectFolder);

}  // namespace cz
