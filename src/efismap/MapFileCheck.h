#pragma once
// Read-only inspection of a finished EFIS map file (layout in EfisMapFile.h), for the
// efismap-info command and for tests: everything a file promises is checked, nothing is
// changed.
//
// Checks: the magic and the map format code; a length that is a multiple of 4 with room for
// the checksum; the tile records lying back to back from the end of the header, each wholly
// before the padding, with tile format code 1, followed by at most 3 zero bytes of padding;
// every non-zero slot pointing at the start of one of those records, no two slots at the same
// record; and the MapChecksum. The file is streamed; memory stays bounded whatever the file
// holds.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "efismap/EfisMapFile.h"
#include "platform/BinaryFile.h"

namespace cz {

struct MapTileEntry {
  TileLevel level = 0;
  std::int32_t slot = 0;
  std::uint32_t offset = 0;    // of the record
  std::uint32_t dataSize = 0;  // bytes of GIF data
};

struct MapFileReport {
  std::uint64_t fileSize = 0;
  std::uint32_t storedChecksum = 0;
  std::uint32_t computedChecksum = 0;
  std::vector<MapTileEntry> tiles;              // every non-zero slot, by level, then slot
  std::uint64_t recordCount = 0;                // records found back to back after the header
  std::vector<TileRecord> unreferencedRecords;  // records no slot points at (first 1000)
  std::uint64_t unreferencedCount = 0;
  std::vector<std::string> problems;  // one sentence each; empty for a sound file

  bool Sound() const { return problems.empty(); }
};

// Inspects an open map file, reading through buffer (at least 1 byte). Corruption is
// reported in problems; only a failing read throws (CartozenError).
MapFileReport InspectMapFile(BinaryFile& map, std::span<char> buffer);

}  // namespace cz
