#include "efismap/MapFileCheck.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/LittleEndian.h"

namespace cz {

namespace {

constexpr std::size_t kMaxListedUnreferenced = 1000;
constexpr std::size_t kMaxProblems = 100;  // a shredded file would otherwise list thousands

std::string Hex(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string SlotText(const MapTileEntry& tile) {
  return "level " + std::to_string(tile.level) + " slot " + std::to_string(tile.slot);
}

class Inspector {
 public:
  Inspector(BinaryFile& map, std::span<char> buffer) : map_(map), buffer_(buffer) {}

  MapFileReport Run() {
    report_.fileSize = map_.Size();
    if (report_.fileSize < kMapHeaderSize) {
      Problem("the file is " + std::to_string(report_.fileSize) + " bytes long, shorter than the " +
              std::to_string(kMapHeaderSize) + "-byte header");
      return std::move(report_);
    }
    ReadHeader();
    if (report_.fileSize > 0xFFFFFFFFull) {
      Problem("the file is longer than the 4 GB that 32-bit offsets can address");
      return std::move(report_);
    }
    if (report_.fileSize % 4 != 0) {
      Problem("the length " + std::to_string(report_.fileSize) + " is not a multiple of 4");
    }
    if (report_.fileSize < kMapHeaderSize + kMapChecksumSize) {
      Problem("there is no room for the checksum after the header");
      return std::move(report_);
    }
    WalkRecords();
    CheckChecksum();
    return std::move(report_);
  }

 private:
  void Problem(std::string text) {
    if (report_.problems.size() < kMaxProblems) report_.problems.push_back(std::move(text));
  }

  void ReadHeader() {
    std::array<unsigned char, kMapHeaderSize> header;
    map_.Seek(0);
    map_.ReadExact(header.data(), header.size());
    if (!std::equal(kMapMagic.begin(), kMapMagic.end(), header.begin())) {
      Problem("the file does not begin with \"VDKRMAP\"");
    }
    if (header[kMapMagic.size()] != kMapFormatCode) {
      Problem("the map format code is " + std::to_string(header[kMapMagic.size()]) + ", not 1");
    }
    for (TileLevel level = 0; level < kTileLevelCount; ++level) {
      for (std::int32_t slot = 0; slot < DirectorySlots(level); ++slot) {
        const std::uint32_t offset = LoadUint32LE(header.data() + SlotOffset(level, slot));
        if (offset != 0) report_.tiles.push_back({level, slot, offset, 0});
      }
    }
  }

  // Follows the records from the end of the header, matching them against the slots sorted by
  // offset, so each slot is checked against the chain without storing the chain.
  void WalkRecords() {
    const std::uint64_t dataEnd = report_.fileSize - kMapChecksumSize;
    std::vector<std::size_t> bySlotOffset(report_.tiles.size());
    for (std::size_t i = 0; i < bySlotOffset.size(); ++i) bySlotOffset[i] = i;
    std::stable_sort(bySlotOffset.begin(), bySlotOffset.end(), [&](std::size_t a, std::size_t b) {
      return report_.tiles[a].offset < report_.tiles[b].offset;
    });
    std::size_t next = 0;  // first slot (in offset order) not yet matched
    // Slots pointing below position belong to no record start.
    auto settleSlotsBelow = [&](std::uint64_t position) {
      while (next < bySlotOffset.size() && report_.tiles[bySlotOffset[next]].offset < position) {
        const MapTileEntry& tile = report_.tiles[bySlotOffset[next++]];
        if (tile.offset < kMapHeaderSize) {
          Problem(SlotText(tile) + " points at offset " + std::to_string(tile.offset) +
                  ", inside the header");
        } else {
          Problem(SlotText(tile) + " points at offset " + std::to_string(tile.offset) +
                  ", which is not the start of a tile record");
        }
      }
    };

    std::uint64_t position = kMapHeaderSize;
    bool broken = false;
    while (!broken && position + kTileRecordHeaderSize <= dataEnd) {
      const TileRecord record = ReadTileRecord(map_, static_cast<std::uint32_t>(position));
      const std::uint64_t end = record.DataOffset() + record.dataSize;
      if (end > dataEnd) {
        Problem("the tile record at offset " + std::to_string(position) + " holds " +
                std::to_string(record.dataSize) +
                " bytes of data and runs past the end of the file");
        broken = true;
        break;
      }
      ++report_.recordCount;
      if (record.formatCode != kTileFormatCode) {
        Problem("the tile record at offset " + std::to_string(position) + " has tile format code " +
                std::to_string(record.formatCode) + ", not 1");
      }
      settleSlotsBelow(position);
      bool referenced = false;
      while (next < bySlotOffset.size() && report_.tiles[bySlotOffset[next]].offset == position) {
        MapTileEntry& tile = report_.tiles[bySlotOffset[next++]];
        tile.dataSize = record.dataSize;
        if (referenced) {
          Problem(SlotText(tile) + " points at the tile record at offset " +
                  std::to_string(position) + ", which another slot already points at");
        }
        referenced = true;
      }
      if (!referenced) {
        ++report_.unreferencedCount;
        if (report_.unreferencedRecords.size() < kMaxListedUnreferenced) {
          report_.unreferencedRecords.push_back(record);
        }
      }
      position = end;
    }
    if (!broken) CheckPadding(position, dataEnd);
    settleSlotsBelow(position);
    for (; next < bySlotOffset.size(); ++next) {
      const MapTileEntry& tile = report_.tiles[bySlotOffset[next]];
      Problem(SlotText(tile) + " points at offset " + std::to_string(tile.offset) +
              ", past the last whole tile record");
    }
  }

  void CheckPadding(std::uint64_t position, std::uint64_t dataEnd) {
    if (position >= dataEnd) return;
    if (dataEnd - position > 3) {
      Problem(std::to_string(dataEnd - position) + " bytes from offset " +
              std::to_string(position) + " belong to no tile record");
      return;
    }
    unsigned char padding[3];
    map_.Seek(position);
    map_.ReadExact(padding, dataEnd - position);
    if (std::any_of(padding, padding + (dataEnd - position), [](unsigned char b) { return b; })) {
      Problem("the padding after the last tile record is not zero");
    }
  }

  void CheckChecksum() {
    if (report_.fileSize % 4 != 0) return;  // reported already; the words are not whole
    const std::uint64_t dataEnd = report_.fileSize - kMapChecksumSize;
    report_.computedChecksum = MapChecksum(map_, dataEnd, buffer_);
    unsigned char stored[kMapChecksumSize];
    map_.ReadExact(stored, sizeof stored);
    report_.storedChecksum = LoadUint32LE(stored);
    if (report_.storedChecksum != report_.computedChecksum) {
      Problem("the checksum is " + Hex(report_.storedChecksum) + " but the file sums to " +
              Hex(report_.computedChecksum));
    }
  }

  BinaryFile& map_;
  std::span<char> buffer_;
  MapFileReport report_;
};

}  // namespace

MapFileReport InspectMapFile(BinaryFile& map, std::span<char> buffer) {
  return Inspector(map, buffer).Run();
}

}  // namespace cz
