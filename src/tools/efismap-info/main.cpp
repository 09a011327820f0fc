// efismap-info FILE...: checks EFIS map files without changing them and lists their tiles.
// Exit status 0 when every file is sound, 1 when one is corrupt or unreadable, 2 on misuse.

#include <cstdio>
#include <vector>

#include "efismap/MapFileCheck.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"

namespace {

bool ShowFile(const char* path, std::vector<char>& buffer) {
  cz::MapFileReport report;
  try {
    cz::BinaryFile map(path, cz::BinaryFile::Mode::Read);
    report = cz::InspectMapFile(map, buffer);
  } catch (const cz::CartozenError& error) {
    std::fprintf(stderr, "efismap-info: %s\n", error.what());
    return false;
  }
  std::printf("%s: %llu bytes, %zu tiles, %llu records, checksum 0x%08X\n", path,
              static_cast<unsigned long long>(report.fileSize), report.tiles.size(),
              static_cast<unsigned long long>(report.recordCount), report.storedChecksum);
  for (const cz::MapTileEntry& tile : report.tiles) {
    std::printf("  level %d slot %d offset %u size %u\n", tile.level, tile.slot, tile.offset,
                tile.dataSize);
  }
  for (const cz::TileRecord& record : report.unreferencedRecords) {
    std::printf("  unreferenced record offset %u size %u\n", record.offset, record.dataSize);
  }
  if (report.unreferencedCount > report.unreferencedRecords.size()) {
    std::printf("  ... %llu unreferenced records in all\n",
                static_cast<unsigned long long>(report.unreferencedCount));
  }
  for (const std::string& problem : report.problems) {
    std::fprintf(stderr, "efismap-info: %s: corrupt EFIS map file: %s\n", path, problem.c_str());
  }
  return report.Sound();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: efismap-info FILE...\n");
    return 2;
  }
  std::vector<char> buffer(128 * 1024);
  bool allSound = true;
  for (int i = 1; i < argc; ++i) allSound = ShowFile(argv[i], buffer) && allSound;
  return allSound ? 0 : 1;
}
