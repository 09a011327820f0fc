#include "efismap/EfisMapFile.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/Error.h"
#include "platform/LittleEndian.h"

namespace cz {

namespace {

constexpr std::array<std::uint32_t, kTileLevelCount> kDirectoryOffsets = {266, 4362, 5386, 5642,
                                                                          5706};
constexpr std::array<std::int32_t, kTileLevelCount> kDirectorySlots = {1024, 256, 64, 16, 4};

// The directories fill the header exactly, in level order, right after the reserved bytes.
static_assert(kDirectoryOffsets[0] == kReservedOffset + kReservedSize);
static_assert(kDirectoryOffsets[1] == kDirectoryOffsets[0] + 4 * kDirectorySlots[0]);
static_assert(kDirectoryOffsets[2] == kDirectoryOffsets[1] + 4 * kDirectorySlots[1]);
static_assert(kDirectoryOffsets[3] == kDirectoryOffsets[2] + 4 * kDirectorySlots[2]);
static_assert(kDirectoryOffsets[4] == kDirectoryOffsets[3] + 4 * kDirectorySlots[3]);
static_assert(kMapHeaderSize == kDirectoryOffsets[4] + 4 * kDirectorySlots[4]);

// The largest file a 32-bit slot or size can describe. A record may only be appended while
// the finished file (record, worst-case padding and checksum) still fits below it.
constexpr std::uint64_t kLargestMapFile = std::numeric_limits<std::uint32_t>::max();

void CheckLevel(TileLevel level) {
  if (level >= kTileLevelCount) {
    throw CartozenError("Tile level " + std::to_string(level) + " has no EFIS map directory");
  }
}

}  // namespace

std::uint32_t DirectoryOffset(TileLevel level) {
  CheckLevel(level);
  return kDirectoryOffsets[level];
}

std::int32_t DirectorySlots(TileLevel level) {
  CheckLevel(level);
  return kDirectorySlots[level];
}

std::uint32_t SlotOffset(TileLevel level, std::int32_t index) {
  if (index < 0 || index >= DirectorySlots(level)) {
    throw CartozenError("Slot " + std::to_string(index) +
                        " lies outside the directory of tile level " + std::to_string(level));
  }
  return kDirectoryOffsets[level] + 4 * static_cast<std::uint32_t>(index);
}

void WriteEmptyMap(BinaryFile& map) {
  // Built in one zeroed block: magic, format code, then zeros for the reserved bytes and all
  // 1364 slots. Writing it at once keeps a fresh working file from ever holding half a header.
  std::array<unsigned char, kMapHeaderSize> header{};
  std::copy(kMapMagic.begin(), kMapMagic.end(), header.begin());
  header[kMapMagic.size()] = kMapFormatCode;
  map.Seek(0);
  map.Write(header.data(), header.size());
}

std::uint32_t AppendTileRecord(BinaryFile& map, BinaryFile& tile, std::span<char> buffer) {
  const std::uint64_t tileSize = tile.Size();
  const std::uint64_t offset = map.SeekEnd();
  if (tileSize > kLargestMapFile ||
      offset + kTileRecordHeaderSize + tileSize + 3 + kMapChecksumSize > kLargestMapFile) {
    throw CartozenError("Unable to add " + tile.Path() + " to " + map.Path() +
                        ": the EFIS map file would grow beyond 4 GB");
  }
  unsigned char header[kTileRecordHeaderSize];
  StoreUint32LE(header, static_cast<std::uint32_t>(tileSize));
  header[4] = kTileFormatCode;
  map.Write(header, sizeof header);

  // Exactly the size just written is copied, so the record always matches its size field
  // even when the tile file changes while it is read.
  tile.Seek(0);
  std::uint64_t remaining = tileSize;
  while (remaining > 0) {
    const std::size_t block =
        static_cast<std::size_t>(std::min<std::uint64_t>(remaining, buffer.size()));
    tile.ReadExact(buffer.data(), block);
    map.Write(buffer.data(), block);
    remaining -= block;
  }
  return static_cast<std::uint32_t>(offset);
}

void SetSlot(BinaryFile& map, TileLevel level, std::int32_t index, std::uint32_t recordOffset) {
  unsigned char bytes[4];
  StoreUint32LE(bytes, recordOffset);
  map.Seek(SlotOffset(level, index));
  map.Write(bytes, sizeof bytes);
}

void MapChecksumAccumulator::Add(const unsigned char* bytes, std::size_t count) {
  // A byte at file offset p adds byte << 8 × (p mod 4): the word sum is linear in its bytes.
  std::size_t i = 0;
  while (i < count && (length_ + i) % 4 != 0) {
    sum_ += static_cast<std::uint32_t>(bytes[i]) << (8 * ((length_ + i) % 4));
    ++i;
  }
  std::uint32_t sum = sum_;
  for (; i + 4 <= count; i += 4) sum += LoadUint32LE(bytes + i);
  for (std::uint32_t shift = 0; i < count; ++i, shift += 8) {
    sum += static_cast<std::uint32_t>(bytes[i]) << shift;
  }
  sum_ = sum;
  length_ += count;
}

std::uint32_t MapChecksum(BinaryFile& map, std::uint64_t length, std::span<char> buffer) {
  MapChecksumAccumulator checksum;
  map.Seek(0);
  std::uint64_t remaining = length;
  while (remaining > 0) {
    const std::size_t block =
        static_cast<std::size_t>(std::min<std::uint64_t>(remaining, buffer.size()));
    map.ReadExact(buffer.data(), block);
    checksum.Add(reinterpret_cast<const unsigned char*>(buffer.data()), block);
    remaining -= block;
  }
  return checksum.Sum();
}

void FinishMap(BinaryFile& map, std::span<char> buffer) {
  const std::uint64_t length = map.SeekEnd();
  const unsigned char zeros[3] = {0, 0, 0};
  map.Write(zeros, (4 - length % 4) % 4);
  const std::uint64_t padded = map.Position();
  unsigned char sum[kMapChecksumSize];
  StoreUint32LE(sum, MapChecksum(map, padded, buffer));
  map.Seek(padded);
  map.Write(sum, sizeof sum);
}

void CopyFinishedMap(BinaryFile& map, BinaryFile& finished, std::span<char> buffer) {
  MapChecksumAccumulator checksum;
  map.Seek(0);
  finished.Seek(0);
  std::size_t got;
  while ((got = map.ReadSome(buffer.data(), buffer.size())) > 0) {
    checksum.Add(reinterpret_cast<const unsigned char*>(buffer.data()), got);
    finished.Write(buffer.data(), got);
  }
  const unsigned char zeros[3] = {0, 0, 0};
  const std::size_t padding = (4 - checksum.BytesAdded() % 4) % 4;
  checksum.Add(zeros, padding);
  finished.Write(zeros, padding);
  unsigned char sum[kMapChecksumSize];
  StoreUint32LE(sum, checksum.Sum());
  finished.Write(sum, sizeof sum);
}

std::uint32_t ReadSlot(BinaryFile& map, TileLevel level, std::int32_t index) {
  unsigned char bytes[4];
  map.Seek(SlotOffset(level, index));
  map.ReadExact(bytes, sizeof bytes);
  return LoadUint32LE(bytes);
}

TileRecord ReadTileRecord(BinaryFile& map, std::uint32_t offset) {
  if (std::uint64_t{offset} + kTileRecordHeaderSize > map.Size()) {
    throw CartozenError("Unable to read from " + map.Path() + ": the tile record at offset " +
                        std::to_string(offset) + " lies past the end of the file");
  }
  unsigned char header[kTileRecordHeaderSize];
  map.Seek(offset);
  map.ReadExact(header, sizeof header);
  TileRecord record;
  record.offset = offset;
  record.dataSize = LoadUint32LE(header);
  record.formatCode = header[4];
  return record;
}

}  // namespace cz
