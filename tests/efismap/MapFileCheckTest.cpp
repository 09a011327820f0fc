#include "efismap/MapFileCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "GifSample.h"
#include "platform/LittleEndian.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::ReadFileBytes;
using testing::SampleGif87a;
using testing::TempFolder;

void PutWord(std::string& bytes, std::size_t offset, std::uint32_t value) {
  StoreUint32LE(reinterpret_cast<unsigned char*>(bytes.data() + offset), value);
}

// A sound map: level 2 slot 28 (first record, 33 bytes of data), level 4 slot 3 (second
// record), so the tile data ends 2 bytes short of a word and one byte of padding follows.
class MapFileCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<char> buffer(64);
    BinaryFile map(temp / "E004N50.MAP", BinaryFile::Mode::Create);
    WriteEmptyMap(map);
    BinaryFile first(temp.Write("a.GIF", std::string(33, 'a')), BinaryFile::Mode::Read);
    SetSlot(map, 2, 28, AppendTileRecord(map, first, buffer));
    BinaryFile second(temp.Write("b.GIF", SampleGif87a(5, 5)), BinaryFile::Mode::Read);
    secondOffset = AppendTileRecord(map, second, buffer);
    SetSlot(map, 4, 3, secondOffset);
    FinishMap(map, buffer);
    map.Close();
    sound = ReadFileBytes(temp / "E004N50.MAP");
  }

  MapFileReport InspectBytes(const std::string& bytes) {
    const std::string path = temp.Write("check.MAP", bytes);
    BinaryFile map(path, BinaryFile::Mode::Read);
    std::vector<char> buffer(100);
    return InspectMapFile(map, buffer);
  }

  // Rewrites the checksum so that only the intended fault remains.
  static void Reseal(std::string& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 < bytes.size(); i += 4) {
      sum += LoadUint32LE(reinterpret_cast<const unsigned char*>(bytes.data() + i));
    }
    PutWord(bytes, bytes.size() - 4, sum);
  }

  TempFolder temp;
  std::string sound;
  std::uint32_t secondOffset = 0;
};

TEST_F(MapFileCheckTest, SoundFileListsItsTiles) {
  const MapFileReport report = InspectBytes(sound);
  EXPECT_THAT(report.problems, IsEmpty());
  ASSERT_EQ(report.tiles.size(), 2u);
  EXPECT_EQ(report.tiles[0].level, 2);
  EXPECT_EQ(report.tiles[0].slot, 28);
  EXPECT_EQ(report.tiles[0].offset, 5722u);
  EXPECT_EQ(report.tiles[0].dataSize, 33u);
  EXPECT_EQ(report.tiles[1].level, 4);
  EXPECT_EQ(report.tiles[1].slot, 3);
  EXPECT_EQ(report.tiles[1].offset, secondOffset);
  EXPECT_EQ(report.recordCount, 2u);
  EXPECT_EQ(report.unreferencedCount, 0u);
  EXPECT_EQ(report.storedChecksum, report.computedChecksum);
}

struct Corruption {
  const char* label;
  std::function<void(std::string&, std::uint32_t secondOffset)> apply;
  bool reseal;
  const char* expected;  // part of one problem
};
class CorruptionTest : public MapFileCheckTest, public ::testing::WithParamInterface<Corruption> {};

TEST_P(CorruptionTest, IsReported) {
  std::string bytes = sound;
  GetParam().apply(bytes, secondOffset);
  if (GetParam().reseal) Reseal(bytes);
  const MapFileReport report = InspectBytes(bytes);
  EXPECT_THAT(report.problems, Contains(HasSubstr(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CorruptionTest,
    ::testing::Values(
        Corruption{"Magic", [](std::string& b, auto) { b[0] = 'W'; }, true, "\"VDKRMAP\""},
        Corruption{"FormatCode", [](std::string& b, auto) { b[7] = 2; }, true,
                   "map format code is 2"},
        Corruption{"Checksum", [](std::string& b, auto) { b[100] = 1; }, false,
                   "but the file sums to"},
        Corruption{"SlotPastTheEnd", [](std::string& b, auto) { PutWord(b, 5498, 1u << 30); }, true,
                   "level 2 slot 28 points at offset 1073741824, past the last"},
        Corruption{"SlotIntoTheHeader", [](std::string& b, auto) { PutWord(b, 266, 100); }, true,
                   "level 0 slot 0 points at offset 100, inside the header"},
        Corruption{"SlotInsideARecord", [](std::string& b, auto) { PutWord(b, 5498, 5730); }, true,
                   "not the start of a tile record"},
        Corruption{"TwoSlotsOneRecord", [](std::string& b, auto) { PutWord(b, 4362, 5722); }, true,
                   "which another slot already points at"},
        Corruption{"TileFormatCode", [](std::string& b, auto) { b[5726] = 0; }, true,
                   "tile format code 0"},
        Corruption{"DataSizeTooLarge",
                   [](std::string& b, std::uint32_t second) { PutWord(b, second, 0xFFFFFFFF); },
                   true, "runs past the end of the file"},
        Corruption{"DataSizeTooSmall", [](std::string& b, auto) { PutWord(b, 5722, 32); }, true,
                   "level 4 slot 3 points at offset 5760, past the last whole tile record"},
        Corruption{"Truncated", [](std::string& b, auto) { b.resize(b.size() - 8); }, false,
                   "runs past the end of the file"},
        Corruption{"ShorterThanTheHeader", [](std::string& b, auto) { b.resize(5721); }, false,
                   "5721 bytes long, shorter than the 5722-byte header"},
        Corruption{"HeaderOnly", [](std::string& b, auto) { b.resize(5722); }, false,
                   "no room for the checksum"},
        Corruption{"OddLength", [](std::string& b, auto) { b += '\0'; }, false,
                   "not a multiple of 4"},
        Corruption{"Padding", [](std::string& b, auto) { b[b.size() - 5] = 7; }, true,
                   "padding after the last tile record is not zero"},
        Corruption{"StrayBytes",
                   [](std::string& b, std::uint32_t second) {
                     // Four bytes after the last record: too many for padding, too few for
                     // a record.
                     const std::size_t end =
                         second + 5 +
                         LoadUint32LE(reinterpret_cast<const unsigned char*>(b.data() + second));
                     b.insert(b.size() - 4, 4 - (b.size() - 4 - end), '\0');
                   },
                   true, "4 bytes from offset"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MapFileCheckTest, UnreferencedRecordsAreListedNotFaulted) {
  std::string bytes = sound;
  PutWord(bytes, SlotOffset(2, 28), 0);
  Reseal(bytes);
  const MapFileReport report = InspectBytes(bytes);
  EXPECT_THAT(report.problems, IsEmpty());
  ASSERT_EQ(report.unreferencedRecords.size(), 1u);
  EXPECT_EQ(report.unreferencedRecords[0].offset, 5722u);
}

// The command people and scripts use: status and text.
std::pair<int, std::string> RunInfo(const std::string& arguments) {
  const std::string command =
      std::string(CARTOZEN_BIN_DIR) + "/efismap-info " + arguments + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST_F(MapFileCheckTest, InfoCommandListsTilesAndFailsOnCorruptFiles) {
  ASSERT_TRUE(std::ifstream(std::string(CARTOZEN_BIN_DIR) + "/efismap-info").good())
      << "build the efismap-info target first";
  const auto [soundStatus, soundText] = RunInfo("'" + temp / "E004N50.MAP" + "'");
  EXPECT_EQ(soundStatus, 0) << soundText;
  EXPECT_THAT(soundText, HasSubstr("level 2 slot 28 offset 5722 size 33"));
  EXPECT_THAT(soundText, HasSubstr("level 4 slot 3 offset " + std::to_string(secondOffset)));

  std::string bytes = sound;
  bytes[7] = 9;
  const std::string corrupt = temp.Write("W004N58.MAP", bytes);
  const auto [badStatus, badText] = RunInfo("'" + temp / "E004N50.MAP" + "' '" + corrupt + "'");
  EXPECT_EQ(badStatus, 1);
  EXPECT_THAT(badText, HasSubstr(corrupt + ": corrupt EFIS map file: the map format code is 9"));

  const auto [missingStatus, missingText] = RunInfo("'" + temp / "none.MAP" + "'");
  EXPECT_EQ(missingStatus, 1);
  EXPECT_THAT(missingText, HasSubstr("Unable to open file '" + temp / "none.MAP" + "'"));
}

}  // namespace
}  // namespace cz
