#include "workspace/CellSnapshot.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <vector>

#include "efismap/TileName.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/Project.h"

namespace cz {

namespace {

constexpr char kMarker[] = "Snapshot complete";
constexpr char kLock[] = ".lock";  // hidden: listings of the snapshot pass it over

std::string SnapshotFolder(const std::string& projectFolder, const MapCell& cell) {
  return JoinPath(JoinPath(projectFolder, kTempFolder), "Cell " + MapCellName(cell));
}

// The tile files of the cell in folder.
std::vector<std::string> CellTiles(const std::string& folder, const MapCell& cell) {
  std::vector<std::string> names = ListFiles(folder, "*.GIF");
  std::erase_if(names, [&](const std::string& name) {
    const std::optional<TileName> tile = ParseTileName(name);
    return !tile || MapCellOf(tile->level, tile->position) != cell;
  });
  return names;
}

// Puts from's bytes at to, replacing what is there in one rename: a link where the file
// system has them, else a copy.
void PlaceFile(const std::string& from, const std::string& to) {
  const std::string temporary = TemporarySibling(to);
  if (::link(ResolvePath(from).c_str(), temporary.c_str()) == 0) {
    ReplaceFile(temporary, to);
  } else {
    AtomicWriteFile(to, ReadWholeFile(from));
  }
}

void DeleteOrFail(const std::string& path) {
  if (FileExists(path) && !DeleteFileAt(path)) {
    throw CartozenError("Unable to delete file '" + path + "'");
  }
}

CellLock LockCell(const std::string& snapshot, const MapCell& cell) {
  if (!ForceDirectories(snapshot)) throw CartozenError("Unable to write to " + snapshot);
  const std::string path = JoinPath(ResolvePath(snapshot), kLock);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throw CartozenError("Unable to write to " + path);
  CellLock lock(fd);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    throw CartozenError("The map cell " + MapCellName(cell) +
                        " is being processed by another job (" + path + ")");
  }
  return lock;
}

}  // namespace

CellLock::~CellLock() {
  if (fd_ >= 0) ::close(fd_);
}

CellLock BeginCellTiles(const std::string& projectFolder, const MapCell& cell) {
  const std::string tiles = JoinPath(projectFolder, kTilesFolder);
  const std::string snapshot = SnapshotFolder(projectFolder, cell);
  CellLock lock = LockCell(snapshot, cell);
  if (FileExists(JoinPath(snapshot, kMarker))) {
    const std::vector<std::string> kept = CellTiles(snapshot, cell);
    for (const std::string& name : CellTiles(tiles, cell)) {
      if (!FileExists(JoinPath(snapshot, name))) DeleteOrFail(JoinPath(tiles, name));
    }
    for (const std::string& name : kept) PlaceFile(JoinPath(snapshot, name), JoinPath(tiles, name));
    return lock;
  }
  // A snapshot without its marker was cut short: it holds nothing to trust.
  for (const std::string& name : ListFiles(snapshot, "*")) DeleteOrFail(JoinPath(snapshot, name));
  for (const std::string& name : CellTiles(tiles, cell)) {
    PlaceFile(JoinPath(tiles, name), JoinPath(snapshot, name));
  }
  AtomicWriteFile(JoinPath(snapshot, kMarker), "");
  return lock;
}

void EndCellTiles(const std::string& projectFolder, const MapCell& cell) {
  const std::string snapshot = SnapshotFolder(projectFolder, cell);
  DeleteOrFail(JoinPath(snapshot, kMarker));
  for (const std::string& name : ListFiles(snapshot, "*")) DeleteOrFail(JoinPath(snapshot, name));
  // The lock file goes while the lock is still held: a job that opens it now finds it locked
  // and refuses, one that comes later makes a fresh one.
  DeleteOrFail(JoinPath(snapshot, kLock));
  ::rmdir(ResolvePath(snapshot).c_str());
}

}  // namespace cz
