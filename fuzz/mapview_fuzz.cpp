// Feeds arbitrary bytes as an EFIS map file to the viewer's tile path: every non-zero slot
// (up to 16) is followed to its record and the GIF data there is decoded through the map
// file, bounded by the record's size and the file's end. Read errors of corrupt maps are
// expected; anything else (a crash, an access outside a buffer) is a find.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "efismap/EfisMapFile.h"
#include "efismap/MapTileGif.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"
#include "platform/LittleEndian.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = ::memfd_create("mapview_fuzz", 0);
  static cz::Raster32 view(1280, 1280);
  static cz::GifTileReader reader;
  static std::vector<std::uint8_t> chunk;
  if (fd < 0 || ::ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  int tiles = 0;
  for (cz::TileLevel level = 0; level < cz::kTileLevelCount && tiles < 16; ++level) {
    for (std::int32_t index = 0; index < cz::DirectorySlots(level) && tiles < 16; ++index) {
      const std::uint32_t slot = cz::SlotOffset(level, index);
      if (slot + 4 > size || cz::LoadUint32LE(data + slot) == 0) continue;
      ++tiles;
      try {
        cz::BinaryFile map(path, cz::BinaryFile::Mode::Read);
        const cz::TileRecord record = cz::ReadTileRecord(map, cz::ReadSlot(map, level, index));
        cz::ReadGifTile(map, record, 640 - 300 * (index % 3), 100 * level, 599, view, reader,
                        chunk);
        if (map.Position() > size || map.Position() > record.DataOffset() + record.dataSize) {
          __builtin_trap();
        }
      } catch (const cz::CartozenError&) {
      }
    }
  }
  return 0;
}
