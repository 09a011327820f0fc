#pragma once
// The map builder: packs every GIF tile of a project's "Tiles" folder, byte for byte, into the
// EFIS map file of its 8 × 8 degree cell, and places the finished files in "EFIS Maps".
//
// Every build starts from scratch. Working files are assembled in "Temp" under their final
// names ("E004N50.MAP"), after the working files of an earlier, interrupted build with the
// same extension have been deleted. Tiles go in tile-list order (names sorted without regard
// to case); a later tile for the same level and slot replaces the earlier one in the
// directory. Each finished file reaches "EFIS Maps" whole: it is moved there by a rename, or,
// where "Temp" and "EFIS Maps" lie on different file systems, copied under a hidden temporary
// name and renamed, so "EFIS Maps" never holds a half-written file under a map name. Map
// files of cells that no longer have tiles are left as they are.
//
// Progress goes line by line to the MakeMaps memo of the user-interface port, with pending
// events processed after each "Adding tile" line, and as ProgressTask::MapBuilding reports
// (tiles added of the tile list). CancelRequested() is asked after each tile: the build then
// deletes its working files and throws OperationCancelled("Map building cancelled"), leaving
// "EFIS Maps" as it was. Once the finished files start to move into "EFIS Maps" the build
// runs to its end, so that folder never holds half of the new maps and half of the old. Nothing is
// held whole in memory: tiles and maps stream through one buffer. Any file failure (missing "Temp"
// or "EFIS Maps", unreadable tile, full disk) throws CartozenError and ends the build there: maps
// finished before stay in "EFIS Maps", working files stay in "Temp" for the next build to clear.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "geo/MapCell.h"
#include "port/UserInterface.h"

namespace cz {

inline constexpr std::size_t kMakeMapsBufferSize = 128 * 1024;

struct MakeMapsJob {
  std::string projectFolder;
  // Map-file extension without the dot. Any name the file system accepts, of any length;
  // refused (CartozenError) when empty or holding "/", "\", "*" or "?", which would make it
  // a path or a wildcard rather than an extension.
  std::string extension = "MAP";
  // The one copy and checksum buffer. The files written do not depend on its size.
  std::size_t bufferSize = kMakeMapsBufferSize;
  // False copies finished files into "EFIS Maps" even where a rename would do.
  bool moveByRename = true;
  // A cell job's build: only this cell's map file, from its tiles alone. It touches no other
  // working file, map file or leftover, so builds of different cells may run at once.
  std::optional<MapCell> cell;
};

// Names of the "*.GIF" files in folder, sorted in ascending order without regard to case
// (ties in the exact spelling, so the order never depends on the folder listing), each name
// once: of names that differ only in case, the first in that order is kept.
std::vector<std::string> ReadTileList(const std::string& tilesFolder);

// Lists the tiles (of the job's cell, for a cell build) and reports how many; builds the maps
// when there is at least one.
void CreateMaps(const MakeMapsJob& job, UserInterface& ui);

// Builds all map files from a tile list as ReadTileList returns it.
void DoMakeMaps(const MakeMapsJob& job, const std::vector<std::string>& tileList,
                UserInterface& ui);

}  // namespace cz
