#include "efismap/EfisMapFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MapFileBuilder.h"
#include "platform/Error.h"
#include "platform/LittleEndian.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WordAt;

// The checksum as a reader computes it: every word before the last, added up with wrap-around.
std::uint32_t SumOfWordsBeforeLast(const std::string& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 4 < bytes.size(); i += 4) sum += WordAt(bytes, i);
  return sum;
}

std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 17) % 251);
  return bytes;
}

class EfisMapFileTest : public ::testing::Test {
 protected:
  // Builds a finished map from (level, index, tile bytes) entries, in order.
  std::string Build(const testing::MapTiles& tiles, std::size_t bufferSize = 1024) {
    return ReadFileBytes(testing::WriteMapFile(temp, "E004N50.MAP", tiles, bufferSize));
  }

  TempFolder temp;
};

TEST_F(EfisMapFileTest, EmptyMapIsTheBareHeader) {
  BinaryFile map(temp / "empty.MAP", BinaryFile::Mode::Create);
  WriteEmptyMap(map);
  EXPECT_EQ(map.Position(), 5722u);
  map.Close();
  const std::string bytes = ReadFileBytes(temp / "empty.MAP");
  ASSERT_EQ(bytes.size(), 5722u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("VDKRMAP\x01", 8));
  EXPECT_EQ(bytes.substr(8), std::string(5714, '\0'));
}

TEST_F(EfisMapFileTest, OneLevelTwoTileGivesTheWorkedExample) {
  const std::string gif = PatternBytes(1000, 1);
  const std::string bytes = Build({{2, 28, gif}});
  ASSERT_EQ(bytes.size(), 6732u);
  EXPECT_EQ(WordAt(bytes, 5498), 5722u);
  EXPECT_EQ(WordAt(bytes, 5722), 1000u);
  EXPECT_EQ(bytes[5726], '\x01');
  EXPECT_EQ(bytes.substr(5727, 1000), gif);
  EXPECT_EQ(bytes[6727], '\0');  // one byte of padding
  EXPECT_EQ(WordAt(bytes, 6728), SumOfWordsBeforeLast(bytes));
  // Every other slot stays empty.
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    for (int index = 0; index < DirectorySlots(level); ++index) {
      if (level == 2 && index == 28) continue;
      ASSERT_EQ(WordAt(bytes, SlotOffset(level, index)), 0u) << int(level) << " " << index;
    }
  }
}

TEST_F(EfisMapFileTest, RecordEndingOnAWordNeedsNoPadding) {
  // 5722 + 5 + 1 = 5728, a multiple of 4.
  const std::string bytes = Build({{4, 0, "x"}});
  ASSERT_EQ(bytes.size(), 5732u);
  EXPECT_EQ(WordAt(bytes, 5728), SumOfWordsBeforeLast(bytes));
}

TEST_F(EfisMapFileTest, LaterRecordForTheSameSlotWinsAndTheEarlierStays) {
  const std::string first = PatternBytes(10, 2), second = PatternBytes(20, 3);
  const std::string bytes = Build({{3, 5, first}, {3, 5, second}});
  EXPECT_EQ(WordAt(bytes, SlotOffset(3, 5)), 5722u + 5 + 10);
  EXPECT_EQ(bytes.substr(5727, 10), first);
  EXPECT_EQ(bytes.substr(5742, 20), second);
}

struct SlotCase {
  TileLevel level;
  int index;
  std::uint32_t offset;
};
class SlotOffsetTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotOffsetTest, LiesInItsLevelsDirectory) {
  EXPECT_EQ(SlotOffset(GetParam().level, GetParam().index), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(Corners, SlotOffsetTest,
                         ::testing::Values(SlotCase{0, 0, 266}, SlotCase{0, 1023, 4358},
                                           SlotCase{1, 0, 4362}, SlotCase{1, 255, 5382},
                                           SlotCase{2, 28, 5498}, SlotCase{3, 15, 5702},
                                           SlotCase{4, 3, 5718}));

TEST(SlotOffsetRangeTest, IndexOutsideTheDirectoryIsRefused) {
  EXPECT_THROW(SlotOffset(4, 4), CartozenError);
  EXPECT_THROW(SlotOffset(0, -1), CartozenError);
  EXPECT_THROW(SlotOffset(5, 0), CartozenError);
}

TEST_F(EfisMapFileTest, OutputDoesNotDependOnTheBufferSize) {
  const testing::MapTiles tiles = {
      {0, 1023, PatternBytes(4099, 4)}, {4, 3, PatternBytes(1, 5)}, {2, 0, PatternBytes(1025, 6)}};
  const std::string reference = Build(tiles, 1024);
  for (std::size_t size : {1u, 3u, 4096u, 65536u}) EXPECT_EQ(Build(tiles, size), reference) << size;
  EXPECT_EQ(WordAt(reference, SlotOffset(0, 1023)), 5722u);
  EXPECT_EQ(WordAt(reference, SlotOffset(4, 3)), 5722u + 5 + 4099);
}

TEST(MapChecksumAccumulatorTest, WrapsAndCountsBytesAtTheirOffsets) {
  const std::string bytes("\xff\xff\xff\xff\x02\x00\x00\x00\x01\x02", 10);
  MapChecksumAccumulator whole, pieces;
  whole.Add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  for (char c : bytes) pieces.Add(reinterpret_cast<const unsigned char*>(&c), 1);
  EXPECT_EQ(whole.Sum(), 0x00000001u + 0x0201u);  // 0xffffffff + 2 wraps to 1
  EXPECT_EQ(pieces.Sum(), whole.Sum());
}

TEST_F(EfisMapFileTest, ReadsSlotsAndRecordsBack) {
  const std::string gif = PatternBytes(77, 7);
  Build({{1, 200, gif}});
  BinaryFile map(temp / "E004N50.MAP", BinaryFile::Mode::Read);
  EXPECT_EQ(ReadSlot(map, 1, 199), 0u);
  const std::uint32_t offset = ReadSlot(map, 1, 200);
  ASSERT_EQ(offset, 5722u);
  const TileRecord record = ReadTileRecord(map, offset);
  EXPECT_EQ(record.dataSize, 77u);
  EXPECT_EQ(record.formatCode, 1);
  EXPECT_EQ(map.Position(), record.DataOffset());
  std::string data(77, '\0');
  map.ReadExact(data.data(), data.size());
  EXPECT_EQ(data, gif);
}

TEST_F(EfisMapFileTest, RecordPastTheEndIsAReadErrorNamingTheFile) {
  Build({{2, 28, "abc"}});  // 5722 + 5 + 3, 2 bytes of padding, checksum: 5736 bytes
  BinaryFile map(temp / "E004N50.MAP", BinaryFile::Mode::Read);
  EXPECT_NO_THROW(ReadTileRecord(map, 5736 - 5));
  try {
    ReadTileRecord(map, 5736 - 4);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find("E004N50.MAP"), std::string::npos) << error.what();
  }
  BinaryFile shortMap(temp.Write("short.MAP", "VDKRMAP"), BinaryFile::Mode::Read);
  EXPECT_THROW(ReadSlot(shortMap, 0, 0), CartozenError);
}

}  // namespace
}  // namespace cz
