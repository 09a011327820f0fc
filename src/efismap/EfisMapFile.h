#pragma once
// The EFIS map file: one binary file per 8 × 8 degree map cell, read by the aircraft EFIS and
// by our viewer. Byte layout (all integers unsigned 32-bit little-endian, no alignment):
//
//   EfisMapHeader, 5722 bytes
//     0     "VDKRMAP" (7 bytes, no terminator)
//     7     map format code, 1
//     8     258 reserved zero bytes
//     266   TileDirectory of each level 0..4 at 266, 4362, 5386, 5642, 5706:
//           N × N slots (N = 32, 16, 8, 4, 2); slot k of a level holds the absolute offset of
//           the tile record of in-cell index k, or 0 when the cell has no tile there
//   TileRecord, back to back from 5722 in the order they were appended
//     +0    data size n;  +4  tile format code, 1;  +5  the n bytes of the GIF tile file
//   0..3 zero bytes of padding to a multiple of 4, then the MapChecksum: the sum modulo 2^32
//   of every 32-bit word before it.
//
// Later records for a slot replace earlier ones in the directory; the earlier records stay
// in the file, unreferenced. Every function works on a BinaryFile and streams: tiles and
// maps are never held whole, callers hand in the copy buffer. Functions throw
// CartozenError for any file failure (see BinaryFile.h) and for the cases named below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "geo/TileGrid.h"
#include "platform/BinaryFile.h"

namespace cz {

inline constexpr std::array<char, 7> kMapMagic = {'V', 'D', 'K', 'R', 'M', 'A', 'P'};
inline constexpr std::uint8_t kMapFormatCode = 1;
inline constexpr std::uint8_t kTileFormatCode = 1;
inline constexpr std::uint32_t kReservedOffset = 8;
inline constexpr std::uint32_t kReservedSize = 258;
inline constexpr std::uint32_t kMapHeaderSize = 5722;
inline constexpr std::uint32_t kTileRecordHeaderSize = 5;  // data size + tile format code
inline constexpr std::uint32_t kMapChecksumSize = 4;

// Byte offset of a level's directory (266, 4362, 5386, 5642, 5706); level must be 0..4.
std::uint32_t DirectoryOffset(TileLevel level);
// Number of slots in a level's directory, N × N.
std::int32_t DirectorySlots(TileLevel level);
// Offset of slot index of a level: DirectoryOffset(level) + 4 × index. index must lie in
// 0 .. DirectorySlots(level) − 1; anything else throws, since it would name header bytes of
// another level (or bytes past the header) as a slot.
std::uint32_t SlotOffset(TileLevel level, std::int32_t index);

// Writes the empty header to a new, empty file; afterwards the file is 5722 bytes long and
// the position is at its end.
void WriteEmptyMap(BinaryFile& map);

// Appends a TileRecord for the tile file at the end of the map, copying the tile through
// buffer, and returns the record's offset (the map's length before). Exactly the tile's size
// taken at the start is copied: a tile that ends earlier is a read error. Throws when the
// tile is too large for a 32-bit data size or the record would end past the 4 GiB that a
// 32-bit slot can address.
std::uint32_t AppendTileRecord(BinaryFile& map, BinaryFile& tile, std::span<char> buffer);

// Writes the record offset into the slot (overwriting what it held).
void SetSlot(BinaryFile& map, TileLevel level, std::int32_t index, std::uint32_t recordOffset);

// Pads the map to a multiple of 4 bytes and appends its MapChecksum, reading the file back
// through buffer (any size of at least 1 byte gives the same result).
void FinishMap(BinaryFile& map, std::span<char> buffer);

// Writes a finished copy of an unfinished map into an empty file: the same bytes, then the
// padding and MapChecksum that FinishMap would append, in one pass through buffer. The
// unfinished map stays as it was.
void CopyFinishedMap(BinaryFile& map, BinaryFile& finished, std::span<char> buffer);

// Running MapChecksum over bytes fed in any pieces; bytes count at their file offset, so the
// sum equals adding up the little-endian words of the concatenated bytes.
class MapChecksumAccumulator {
 public:
  void Add(const unsigned char* bytes, std::size_t count);
  std::uint32_t Sum() const { return sum_; }
  std::uint64_t BytesAdded() const { return length_; }

 private:
  std::uint32_t sum_ = 0;
  std::uint64_t length_ = 0;
};

// The MapChecksum of the first length bytes of the file (length a multiple of 4), read
// through buffer. The position afterwards is length.
std::uint32_t MapChecksum(BinaryFile& map, std::uint64_t length, std::span<char> buffer);

// The record offset in a slot, or 0. A map too short to hold the slot is a read error.
std::uint32_t ReadSlot(BinaryFile& map, TileLevel level, std::int32_t index);

struct TileRecord {
  std::uint32_t offset = 0;    // of the record's data-size field
  std::uint32_t dataSize = 0;  // bytes of GIF data that follow the 5-byte record header
  std::uint8_t formatCode = 0;
  std::uint64_t DataOffset() const { return std::uint64_t{offset} + kTileRecordHeaderSize; }
};

// Reads the record header at offset and leaves the position at the first GIF byte. An offset
// whose 5-byte header does not lie inside the file is a corrupt map: read error naming the
// offset. Neither the data size nor the format code is checked here (dataSize may reach past
// the file end; readers that use the data must bound themselves by it and by the file size).
TileRecord ReadTileRecord(BinaryFile& map, std::uint32_t offset);

}  // namespace cz
