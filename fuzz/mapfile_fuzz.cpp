// Feeds arbitrary bytes as an EFIS map file to everything that reads map files: the
// inspection behind efismap-info and the slot and record reads of the viewer.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "efismap/EfisMapFile.h"
#include "efismap/MapFileCheck.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"

namespace {

// One in-memory file for the whole run, refilled per input.
int MapFd() {
  static const int fd = ::memfd_create("mapfile_fuzz", 0);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = MapFd();
  if (fd < 0 || ::ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  std::vector<char> buffer(61);  // deliberately not a multiple of 4
  try {
    cz::BinaryFile map(path, cz::BinaryFile::Mode::Read);
    const cz::MapFileReport report = cz::InspectMapFile(map, buffer);
    if (report.Sound() && report.fileSize % 4 != 0) __builtin_trap();
    // The viewer's path: a slot, then the record it names. Every non-zero slot the
    // inspection found, plus one slot per level picked by the input itself.
    auto readTile = [&](cz::TileLevel level, std::int32_t index) {
      try {
        const std::uint32_t offset = cz::ReadSlot(map, level, index);
        if (offset == 0) return;
        const cz::TileRecord record = cz::ReadTileRecord(map, offset);
        if (map.Position() != record.DataOffset()) __builtin_trap();
      } catch (const cz::CartozenError&) {
      }
    };
    for (const cz::MapTileEntry& tile : report.tiles) readTile(tile.level, tile.slot);
    for (cz::TileLevel level = 0; level < cz::kTileLevelCount; ++level) {
      const std::int32_t pick = size > level ? data[size - 1 - level] : 0;
      readTile(level, pick % cz::DirectorySlots(level));
    }
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
