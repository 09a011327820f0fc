#pragma once
// What makes a cell job safe to run again after it was killed or failed: the cell's tiles as
// they were before the job's first attempt, kept in the project's "Temp/Cell <cell name>"
// folder (a link per tile, or a copy where the file system has no links: tiles are replaced by
// rename, never rewritten in place, so a link keeps the old bytes).
//
//   BeginCellTiles: when a whole snapshot of an unfinished attempt is there, the cell's tiles
//     are put back as it holds them (tiles the attempt added go, tiles it replaced come back);
//     otherwise the cell's tiles are kept as a fresh snapshot. The snapshot counts as whole
//     once its marker file is written, after the last tile.
//   EndCellTiles: the job ended cleanly; the marker goes first (from then on the job counts
//     as done), then the snapshot.
//
// Only the cell's own tiles and its own folder are touched, so jobs of other cells may run at
// the same time. Two jobs of one cell would undo each other's tiles, so BeginCellTiles first
// takes the cell's lock (an flock on a file in the snapshot folder, which NFS carries between
// machines) and refuses when another job holds it; the lock lasts as long as the object it
// returns. Errors throw CartozenError naming the file or the cell.

#include <string>

#include "geo/MapCell.h"

namespace cz {

// Held while a job works on its cell.
class CellLock {
 public:
  explicit CellLock(int fd) : fd_(fd) {}
  CellLock(CellLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  CellLock(const CellLock&) = delete;
  CellLock& operator=(const CellLock&) = delete;
  CellLock& operator=(CellLock&&) = delete;
  ~CellLock();

 private:
  int fd_;
};

[[nodiscard]] CellLock BeginCellTiles(const std::string& projectFolder, const MapCell& cell);
void EndCellTiles(const std::string& projectFolder, const MapCell& cell);

}  // namespace cz
