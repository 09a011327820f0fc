#include "efismap/MakeMaps.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <span>
#include <unordered_set>

#include "efismap/EfisMapFile.h"
#include "efismap/TileName.h"
#include "geo/TileGrid.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "port/ProgressCounter.h"
#include "project/Project.h"

namespace cz {

namespace {

unsigned char FoldCase(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// Ordinal comparison of the upper-cased names, as the program compares texts without regard
// to case.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return FoldCase(x) < FoldCase(y); });
}

void CheckExtension(const std::string& extension) {
  if (extension.empty() || extension.find_first_of("/\\*?") != std::string::npos ||
      extension.find('\0') != std::string::npos) {
    throw CartozenError("Invalid EFIS map file extension '" + extension + "'");
  }
}

// Sorts without regard to case; names equal but for case follow their exact spelling, so the
// order never depends on how the folder happens to list them.
void SortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return LessIgnoringCase(a, b) || (!LessIgnoringCase(b, a) && a < b);
  });
}

// The working files of the current extension, in the same order as the tile list.
std::vector<std::string> ListWorkingFiles(const std::string& tempFolder,
                                          const std::string& extension) {
  std::vector<std::string> names = ListFiles(tempFolder, "*." + extension);
  SortNames(names);
  return names;
}

void DeleteOrFail(const std::string& path) {
  if (!DeleteFileAt(path)) throw CartozenError("Unable to delete file '" + path + "'");
}

// Replacing a map file that has no write permission fails, as replacing a read-only file
// does elsewhere in the program, rather than letting a rename quietly take its place.
void CheckReplaceable(const std::string& target) {
  struct stat st;
  if (::stat(ResolvePath(target).c_str(), &st) == 0 &&
      (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0)) {
    throw CartozenError("Unable to write to " + target);
  }
}

// Copies a working file into the maps folder under a hidden name beside its final one,
// finishing the copy on the way when the working file is not finished yet, and renames it into
// place. The hidden name is fixed per map, so a copy left by a crash is overwritten by the
// next build of that map.
void CopyIntoPlace(const std::string& source, const std::string& target, bool finish,
                   std::span<char> buffer) {
  CheckReplaceable(target);
  const std::string resolvedTarget = ResolvePath(target);
  const std::string part =
      ExtractFilePath(resolvedTarget) + "." + ExtractFileName(resolvedTarget) + ".part";
  BinaryFile from(source, BinaryFile::Mode::Read);
  // Failures to write the hidden copy name the map: that is the file the person knows (a
  // missing maps folder, a full disk).
  const auto failWrite = [&] { throw CartozenError("Unable to write to " + target); };
  std::optional<BinaryFile> opened;
  try {
    opened.emplace(part, BinaryFile::Mode::Create);
  } catch (const CartozenError&) {
    failWrite();
  }
  BinaryFile& to = *opened;
  try {
    if (finish) {
      CopyFinishedMap(from, to, buffer);
    } else {
      std::size_t got;
      while ((got = from.ReadSome(buffer.data(), buffer.size())) > 0) {
        to.Write(buffer.data(), got);
      }
    }
    to.Sync();
    to.Close();
  } catch (const CartozenError& error) {
    DeleteFileAt(part);  // a half copy is of no use to anyone
    if (std::string(error.what()).rfind("Unable to write to " + part, 0) == 0) failWrite();
    throw;
  }
  from.Close();
  ReplaceFile(part, target);
  DeleteOrFail(source);
}

// Finishes a working file in place and moves it into the maps folder by a rename, which puts
// it there whole and at once. Where the rename cannot cross between the folders after all
// (a bind mount of the same file system), the finished file is copied instead.
void FinishAndRenameIntoPlace(const std::string& source, const std::string& target,
                              std::span<char> buffer) {
  BinaryFile map(source, BinaryFile::Mode::ReadWrite);
  FinishMap(map, buffer);
  map.Sync();  // the bytes are on the device before the rename makes them final
  map.Close();
  CheckReplaceable(target);
  if (::rename(ResolvePath(source).c_str(), ResolvePath(target).c_str()) == 0) return;
  if (errno != EXDEV) throw CartozenError("Unable to write to " + target);
  CopyIntoPlace(source, target, false, buffer);
}

bool OnOneFileSystem(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(ResolvePath(a).c_str(), &sa) == 0 && ::stat(ResolvePath(b).c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev;
}

// Adds one tile to the working file of its cell, creating that file on first use.
void AddTile(const std::string& tilesFolder, const std::string& tempFolder,
             const std::string& tileName, const TileName& tile, const std::string& extension,
             std::unordered_set<std::string>& workingFiles, std::span<char> buffer,
             UserInterface& ui) {
  const MapCellSlot cell = MapCellOfTile(tile.level, tile.position, extension);
  const std::string mapPath = JoinPath(tempFolder, cell.name);
  const bool fresh = workingFiles.insert(cell.name).second;
  BinaryFile map(mapPath, fresh ? BinaryFile::Mode::Create : BinaryFile::Mode::ReadWrite);
  if (fresh) WriteEmptyMap(map);

  ui.AddLogLine(MessageLog::MapBuilding, "Adding tile " + tileName);
  ui.ProcessEvents();

  BinaryFile tileFile(JoinPath(tilesFolder, tileName), BinaryFile::Mode::Read);
  const std::uint32_t offset = AppendTileRecord(map, tileFile, buffer);
  tileFile.Close();
  SetSlot(map, tile.level, cell.index, offset);
  map.Close();
}

}  // namespace

std::vector<std::string> ReadTileList(const std::string& tilesFolder) {
  std::vector<std::string> names = ListFiles(tilesFolder, "*.GIF");
  SortNames(names);
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) {
                            return SameTextIgnoringCase(a, b);
                          }),
              names.end());
  return names;
}

void CreateMaps(const MakeMapsJob& job, UserInterface& ui) {
  ui.ClearLog(MessageLog::MapBuilding);
  ui.AddLogLine(MessageLog::MapBuilding, "Reading tile file names");
  std::vector<std::string> tileList = ReadTileList(JoinPath(job.projectFolder, kTilesFolder));
  if (job.cell) {
    std::erase_if(tileList, [&](const std::string& name) {
      const std::optional<TileName> tile = ParseTileName(name);
      return !tile || MapCellOf(tile->level, tile->position) != *job.cell;
    });
  }
  ui.AddLogLine(MessageLog::MapBuilding, "Found " + std::to_string(tileList.size()) + " tile files");
  if (tileList.empty()) {
    ui.AddLogLine(MessageLog::MapBuilding, "Nothing to do, no maps created.");
    return;
  }
  DoMakeMaps(job, tileList, ui);
}

void DoMakeMaps(const MakeMapsJob& job, const std::vector<std::string>& tileList,
                UserInterface& ui) {
  CheckExtension(job.extension);
  const std::string tilesFolder = JoinPath(job.projectFolder, kTilesFolder);
  const std::string tempFolder = JoinPath(job.projectFolder, kTempFolder);
  const std::string mapsFolder = JoinPath(job.projectFolder, kEfisMapsFolder);
  std::vector<char> buffer(std::max<std::size_t>(job.bufferSize, 1));

  // A leftover that stayed would take this build's records after its own stale ones. A cell's
  // build clears only its own: the other working files may belong to builds running now, and
  // its hidden copy beside the maps is rewritten from scratch when it is needed.
  const auto workingFiles = [&] {
    std::vector<std::string> names = ListWorkingFiles(tempFolder, job.extension);
    if (job.cell) {
      const std::string own = MapCellFileName(*job.cell, job.extension);
      std::erase_if(names,
                    [&](const std::string& name) { return !SameTextIgnoringCase(name, own); });
    }
    return names;
  };
  for (const std::string& name : workingFiles()) DeleteOrFail(JoinPath(tempFolder, name));
  // Copies an interrupted build left half done beside the maps.
  if (!job.cell) RemoveWriteLeftovers(mapsFolder);

  std::unordered_set<std::string> started;
  ProgressCounter progress(ui, ProgressTask::MapBuilding,
                           static_cast<std::int64_t>(tileList.size()));
  for (const std::string& tileName : tileList) {
    if (const std::optional<TileName> tile = ParseTileName(tileName)) {
      AddTile(tilesFolder, tempFolder, tileName, *tile, job.extension, started, buffer, ui);
    }
    progress.Step();
    // Cancelling is possible while tiles are added, not once finished maps start to replace
    // the earlier ones: "EFIS Maps" then holds either the old set or the new one.
    if (ui.CancelRequested()) {
      for (const std::string& name : started) DeleteFileAt(JoinPath(tempFolder, name));
      throw OperationCancelled("Map building cancelled");
    }
  }

  // Finished files are moved by rename where the folders share a file system; otherwise
  // each is finished while it is copied, so that it is read only once.
  const bool byRename = job.moveByRename && OnOneFileSystem(tempFolder, mapsFolder);
  int created = 0;
  for (const std::string& name : workingFiles()) {
    const std::string workingPath = JoinPath(tempFolder, name);
    const std::string target = JoinPath(mapsFolder, name);
    ui.AddLogLine(MessageLog::MapBuilding, "Creating EFIS map file " + name);
    ++created;
    if (byRename) {
      FinishAndRenameIntoPlace(workingPath, target, buffer);
    } else {
      CopyIntoPlace(workingPath, target, true, buffer);
    }
  }

  ui.AddLogLine(MessageLog::MapBuilding,
                 created > 0 ? "Done, created " + std::to_string(created) + " EFIS maps"
                             : "Nothing to do, no EFIS maps created");
}

}  // namespace cz
