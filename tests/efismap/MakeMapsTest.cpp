#include "efismap/MakeMaps.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GifSample.h"
#include "MapFileBuilder.h"
#include "efismap/EfisMapFile.h"
#include "efismap/MapFileCheck.h"
#include "efismap/TileName.h"
#include "platform/Error.h"
#include "platform/LittleEndian.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::SampleGif87a;
using testing::TempFolder;
using testing::WordAt;
namespace fs = std::filesystem;

class MakeMapsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(project / "Tiles");
    fs::create_directories(project / "Temp");
    fs::create_directories(project / "EFIS Maps");
    job.projectFolder = project.Path();
  }

  std::string AddTile(const std::string& name, const std::string& bytes) {
    project.Write("Tiles/" + name, bytes);
    return bytes;
  }

  std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(project / folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string MapBytes(const std::string& name) {
    return ReadFileBytes(project / ("EFIS Maps/" + name));
  }

  MapFileReport Inspect(const std::string& name) {
    BinaryFile map(project / ("EFIS Maps/" + name), BinaryFile::Mode::Read);
    std::vector<char> buffer(4096);
    return InspectMapFile(map, buffer);
  }

  TempFolder project;
  MakeMapsJob job;
  RecordingUserInterface ui;
};

TEST_F(MakeMapsTest, NeighbouringTilesLandInSlots28And29OfTheirCell) {
  const std::string first = AddTile("2_15668.GIF", SampleGif87a(30, 20, 1));
  const std::string second = AddTile("2_15669.GIF", SampleGif87a(31, 20, 2));
  CreateMaps(job, ui);

  EXPECT_THAT(ui.makeMapsMemo,
              ElementsAre("Reading tile file names", "Found 2 tile files",
                          "Adding tile 2_15668.GIF", "Adding tile 2_15669.GIF",
                          "Creating EFIS map file E004N50.MAP", "Done, created 1 EFIS maps"));
  EXPECT_EQ(ui.memoClears, 1);
  EXPECT_THAT(Listing("Temp"), IsEmpty());
  ASSERT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP"));
  const std::string bytes = MapBytes("E004N50.MAP");
  EXPECT_EQ(WordAt(bytes, SlotOffset(2, 28)), 5722u);
  EXPECT_EQ(WordAt(bytes, SlotOffset(2, 29)), 5722u + 5 + first.size());
  EXPECT_EQ(bytes.substr(5727, first.size()), first);
  EXPECT_EQ(bytes.substr(5732 + first.size(), second.size()), second);
  const MapFileReport report = Inspect("E004N50.MAP");
  EXPECT_THAT(report.problems, IsEmpty());
  EXPECT_EQ(report.tiles.size(), 2u);
  EXPECT_EQ(report.fileSize, (5722 + 10 + first.size() + second.size() + 3) / 4 * 4 + 4);
}

TEST_F(MakeMapsTest, LevelsZeroAndFourShareTheFileOfTheirCell) {
  // Both tiles are the north-west tile of cell E004N50 at their level.
  const std::string level4 = AddTile("4_946.GIF", SampleGif87a(8, 8, 3));
  const std::string level0 = AddTile("0_231136.GIF", SampleGif87a(9, 9, 4));
  CreateMaps(job, ui);
  const std::string bytes = MapBytes("E004N50.MAP");
  EXPECT_EQ(WordAt(bytes, SlotOffset(0, 0)), 5722u);  // list order: level 0 first
  EXPECT_EQ(WordAt(bytes, SlotOffset(4, 0)), 5722u + 5 + level0.size());
  EXPECT_THAT(Inspect("E004N50.MAP").problems, IsEmpty());
}

TEST_F(MakeMapsTest, TilesOfSeveralCellsGiveOneFinishedFileEach) {
  AddTile("2_15668.GIF", SampleGif87a(5, 5));    // E004N50
  AddTile("4_0.GIF", SampleGif87a(5, 5));        // W180N90
  AddTile("0_1036799.GIF", SampleGif87a(5, 5));  // E172S86, index 511
  CreateMaps(job, ui);
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP", "E172S86.MAP", "W180N90.MAP"));
  EXPECT_EQ(ui.makeMapsMemo.back(), "Done, created 3 EFIS maps");
  EXPECT_EQ(WordAt(MapBytes("E172S86.MAP"), SlotOffset(0, 511)), 5722u);
  for (const char* name : {"E004N50.MAP", "E172S86.MAP", "W180N90.MAP"}) {
    EXPECT_THAT(Inspect(name).problems, IsEmpty()) << name;
  }
}

TEST_F(MakeMapsTest, LaterNameForTheSameSlotWinsAndBothRecordsStay) {
  const std::string padded = AddTile("2_015668.GIF", SampleGif87a(4, 4, 1));
  const std::string plain = AddTile("2_15668.GIF", SampleGif87a(6, 4, 2));
  CreateMaps(job, ui);
  const MapFileReport report = Inspect("E004N50.MAP");
  EXPECT_THAT(report.problems, IsEmpty());
  EXPECT_EQ(report.recordCount, 2u);
  ASSERT_EQ(report.unreferencedCount, 1u);
  EXPECT_EQ(report.unreferencedRecords[0].offset, 5722u);
  EXPECT_EQ(WordAt(MapBytes("E004N50.MAP"), SlotOffset(2, 28)), 5722u + 5 + padded.size());
}

TEST_F(MakeMapsTest, CellBuildTouchesOnlyItsOwnCell) {
  // What concurrent builds of other cells have in flight: their working files and hidden copies.
  const std::string tile = AddTile("2_15668.GIF", SampleGif87a(5, 5));  // E004N50
  AddTile("4_0.GIF", SampleGif87a(5, 5));                               // W180N90
  project.Write("Temp/W180N90.MAP", "another job's working file");
  project.Write("Temp/E004N50.MAP", "left by this cell's interrupted build");
  project.Write("EFIS Maps/.W180N90.MAP.part", "another job's copy");
  job.cell = MapCellAtCorner(50, 4);
  CreateMaps(job, ui);
  EXPECT_THAT(
      ui.makeMapsMemo,
      ElementsAre("Reading tile file names", "Found 1 tile files", "Adding tile 2_15668.GIF",
                  "Creating EFIS map file E004N50.MAP", "Done, created 1 EFIS maps"));
  EXPECT_THAT(Listing("Temp"), ElementsAre("W180N90.MAP"));
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre(".W180N90.MAP.part", "E004N50.MAP"));
  // The same bytes as the whole build gives that cell.
  const std::string cellBuild = MapBytes("E004N50.MAP");
  fs::remove(project / "Temp/W180N90.MAP");
  job.cell.reset();
  CreateMaps(job, ui);
  EXPECT_EQ(MapBytes("E004N50.MAP"), cellBuild);
}

struct EmptyTilesCase {
  const char* label;
  bool tilesFolderExists;
};
class EmptyTilesTest : public MakeMapsTest, public ::testing::WithParamInterface<EmptyTilesCase> {};

TEST_P(EmptyTilesTest, NothingIsDoneAndTempIsNotTouched) {
  if (!GetParam().tilesFolderExists) fs::remove(project / "Tiles");
  project.Write("Temp/E004N50.MAP", "leftover");
  ui.makeMapsMemo.push_back("line of an earlier build");
  CreateMaps(job, ui);
  EXPECT_THAT(ui.makeMapsMemo, ElementsAre("Reading tile file names", "Found 0 tile files",
                                           "Nothing to do, no maps created."));
  EXPECT_THAT(Listing("Temp"), ElementsAre("E004N50.MAP"));
  EXPECT_THAT(Listing("EFIS Maps"), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Folders, EmptyTilesTest,
                         ::testing::Values(EmptyTilesCase{"Empty", true},
                                           EmptyTilesCase{"Missing", false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MakeMapsTest, OnlyRefusedNamesClearLeftoversAndCreateNothing) {
  for (const char* name : {"readme.gif", "7_12.GIF", "2_.GIF", "2_abc.GIF", "2_-1.GIF",
                           "0_1036800.GIF", "4_4050.GIF", "2x15668.GIF"}) {
    AddTile(name, "GIF87a");
  }
  AddTile("2_15668.TIF", "not listed");
  project.Write("Temp/W004N58.map", "leftover of an interrupted build");
  project.Write("Temp/notes.txt", "kept");
  CreateMaps(job, ui);
  EXPECT_THAT(ui.makeMapsMemo, ElementsAre("Reading tile file names", "Found 8 tile files",
                                           "Nothing to do, no EFIS maps created"));
  EXPECT_THAT(Listing("Temp"), ElementsAre("notes.txt"));
  EXPECT_THAT(Listing("EFIS Maps"), IsEmpty());
}

TEST_F(MakeMapsTest, EventsRunRightAfterEachAddingTileLine) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  AddTile("2_15669.GIF", SampleGif87a(3, 3));
  std::vector<std::string> lastLines;
  ui.onProcessEvents = [&] { lastLines.push_back(ui.makeMapsMemo.back()); };
  CreateMaps(job, ui);
  EXPECT_THAT(lastLines, ElementsAre("Adding tile 2_15668.GIF", "Adding tile 2_15669.GIF"));
}

// Every way of building gives the same bytes: a rebuild, other buffer sizes, the copy path.
struct RebuildCase {
  const char* label;
  std::size_t bufferSize;
  bool moveByRename;
};
class RebuildTest : public MakeMapsTest, public ::testing::WithParamInterface<RebuildCase> {};

TEST_P(RebuildTest, GivesByteIdenticalFiles) {
  AddTile("2_15668.GIF", SampleGif87a(40, 30, 1));
  AddTile("0_231137.GIF", SampleGif87a(41, 30, 2));
  AddTile("1_30000.GIF", SampleGif87a(17, 13, 3));
  AddTile("3_2000.GIF", SampleGif87a(2, 1, 4));
  CreateMaps(job, ui);
  std::vector<std::pair<std::string, std::string>> reference;
  for (const std::string& name : Listing("EFIS Maps")) reference.emplace_back(name, MapBytes(name));

  job.bufferSize = GetParam().bufferSize;
  job.moveByRename = GetParam().moveByRename;
  CreateMaps(job, ui);
  std::vector<std::pair<std::string, std::string>> rebuilt;
  for (const std::string& name : Listing("EFIS Maps")) rebuilt.emplace_back(name, MapBytes(name));
  EXPECT_EQ(rebuilt, reference);
  EXPECT_THAT(Listing("Temp"), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ways, RebuildTest,
                         ::testing::Values(RebuildCase{"Same", kMakeMapsBufferSize, true},
                                           RebuildCase{"OneByteBuffer", 1, true},
                                           RebuildCase{"OddBuffer", 1023, true},
                                           RebuildCase{"Copied", 1024, false},
                                           RebuildCase{"CopiedOneByte", 1, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MakeMapsTest, OtherExtensionLeavesMapFilesAlone) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  project.Write("EFIS Maps/E004N50.MAP", "older map");
  project.Write("Temp/W004N58.MAP", "older working file");
  job.extension = "efismap";  // longer than the usual three or four characters
  CreateMaps(job, ui);
  EXPECT_THAT(ui.makeMapsMemo, ::testing::Contains("Creating EFIS map file E004N50.efismap"));
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP", "E004N50.efismap"));
  EXPECT_EQ(MapBytes("E004N50.MAP"), "older map");
  EXPECT_THAT(Listing("Temp"), ElementsAre("W004N58.MAP"));
}

TEST_F(MakeMapsTest, ExtensionsThatAreNoFileNamePartAreRefusedBeforeAnythingIsTouched) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  project.Write("Temp/keep.MAP", "x");
  for (const char* extension : {"*", "M?P", "../MAP", "a\\b", ""}) {
    job.extension = extension;
    EXPECT_THROW(CreateMaps(job, ui), CartozenError) << extension;
  }
  EXPECT_THAT(Listing("Temp"), ElementsAre("keep.MAP"));
}

TEST_F(MakeMapsTest, MapsOfCellsWithoutTilesStay) {
  project.Write("EFIS Maps/W004N58.MAP", "map of another chart");
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  CreateMaps(job, ui);
  EXPECT_EQ(MapBytes("W004N58.MAP"), "map of another chart");
}

TEST_F(MakeMapsTest, CancelLeavesTheEarlierMapsAndNoWorkingFile) {
  project.Write("EFIS Maps/E004N50.MAP", "earlier map");
  AddTile("2_15668.GIF", SampleGif87a(5, 5));  // E004N50
  AddTile("4_0.GIF", SampleGif87a(5, 5));      // W180N90
  AddTile("4_1.GIF", SampleGif87a(5, 5));
  ui.cancelAfterProgress = 2;
  try {
    CreateMaps(job, ui);
    FAIL() << "not cancelled";
  } catch (const OperationCancelled& cancelled) {
    EXPECT_STREQ(cancelled.what(), "Map building cancelled");
  }
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP"));
  EXPECT_EQ(MapBytes("E004N50.MAP"), "earlier map");
  EXPECT_THAT(Listing("Temp"), IsEmpty());
  ASSERT_EQ(ui.progress.size(), 2u);
  EXPECT_EQ(ui.progress.back().Planned, 3);
  EXPECT_EQ(ui.progress.back().Task, ProgressTask::MapBuilding);
}

TEST_F(MakeMapsTest, MissingMapsFolderEndsTheBuildAndTheNextBuildClearsLeftovers) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  fs::remove(project / "EFIS Maps");
  try {
    CreateMaps(job, ui);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    // The map, not the hidden copy it was going to be written through.
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + project / "EFIS Maps/E004N50.MAP");
  }
  EXPECT_THAT(Listing("Temp"), ElementsAre("E004N50.MAP"));  // finished, never moved

  // What a build killed while copying or a crashed map write leaves.
  project.Write("EFIS Maps/.E004N50.MAP.part", "half");
  project.Write("EFIS Maps/.E004N58.MAP.tmp99999999-0", "half");
  ui = RecordingUserInterface();
  CreateMaps(job, ui);
  EXPECT_EQ(ui.makeMapsMemo.back(), "Done, created 1 EFIS maps");
  EXPECT_THAT(Inspect("E004N50.MAP").problems, IsEmpty());
  EXPECT_THAT(Listing("Temp"), IsEmpty());
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP"));
}

TEST_F(MakeMapsTest, MissingTempFolderIsAWriteErrorNamingTheFile) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  fs::remove(project / "Temp");
  try {
    CreateMaps(job, ui);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + project / "Temp/E004N50.MAP");
  }
}

TEST_F(MakeMapsTest, TileThatCannotBeReadEndsTheBuildNamingIt) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  try {
    DoMakeMaps(job, {"2_15668.GIF", "2_15669.GIF"}, ui);  // the second vanished since listing
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to open file '" + project / "Tiles/2_15669.GIF'");
  }
  EXPECT_THAT(Listing("Temp"), ElementsAre("E004N50.MAP"));
  EXPECT_THAT(Listing("EFIS Maps"), IsEmpty());
}

TEST_F(MakeMapsTest, ReadOnlyMapIsNotReplaced) {
  AddTile("2_15668.GIF", SampleGif87a(3, 3));
  const std::string target = project.Write("EFIS Maps/E004N50.MAP", "protected");
  ::chmod(target.c_str(), 0444);
  EXPECT_THROW(CreateMaps(job, ui), CartozenError);
  EXPECT_EQ(MapBytes("E004N50.MAP"), "protected");
}

TEST_F(MakeMapsTest, MapsFolderOnAnotherFileSystemGetsACompleteCopy) {
  // /dev/shm is a tmpfs on Linux: a rename into it fails, so the copy path is taken.
  TempFolder card;
  const fs::path shm = fs::path("/dev/shm") / fs::path(card.Path()).filename();
  std::error_code error;
  if (!fs::create_directory(shm, error)) GTEST_SKIP() << "no /dev/shm";
  fs::remove(project / "EFIS Maps");
  fs::create_directory_symlink(shm, project / "EFIS Maps");
  AddTile("2_15668.GIF", SampleGif87a(20, 20));
  CreateMaps(job, ui);
  EXPECT_THAT(Listing("EFIS Maps"), ElementsAre("E004N50.MAP"));  // no hidden copy left over
  EXPECT_THAT(Inspect("E004N50.MAP").problems, IsEmpty());
  EXPECT_THAT(Listing("Temp"), IsEmpty());
  fs::remove_all(shm);
}

TEST(ReadTileListTest, SortsIgnoringCaseAndKeepsEachNameOnce) {
  TempFolder tiles;
  for (const char* name : {"0_11.GIF", "0_100.gif", "0_1.GIF", "0_10.GIF", "2_5.gif", "2_5.GIF",
                           "notes.txt", ".hidden.GIF"}) {
    tiles.Write(name, "x");
  }
  fs::create_directories(tiles / "3_1.GIF");  // a folder is no tile
  EXPECT_THAT(ReadTileList(tiles.Path()),
              ElementsAre("0_1.GIF", "0_10.GIF", "0_100.gif", "0_11.GIF", "2_5.GIF"));
}

struct TileNameCase {
  const char* name;
  bool accepted;
  int level;
  int position;
};
TileNameCase Refused(const char* name) {
  return {name, false, 0, 0};
}

class ParseTileNameTest : public ::testing::TestWithParam<TileNameCase> {};

TEST_P(ParseTileNameTest, AcceptsOnlyTilesOfTheGrid) {
  const std::optional<TileName> tile = ParseTileName(GetParam().name);
  ASSERT_EQ(tile.has_value(), GetParam().accepted);
  if (tile) {
    EXPECT_EQ(tile->level, GetParam().level);
    EXPECT_EQ(tile->position, GetParam().position);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ParseTileNameTest,
    ::testing::Values(TileNameCase{"2_15668.GIF", true, 2, 15668},
                      TileNameCase{"0_0.gif", true, 0, 0},
                      TileNameCase{"0_1036799.GIF", true, 0, 1036799}, Refused("0_1036800.GIF"),
                      TileNameCase{"4_4049.GIF", true, 4, 4049}, Refused("4_4050.GIF"),
                      Refused("2_-1.GIF"), TileNameCase{"2_+7.GIF", true, 2, 7},
                      Refused("2_+-7.GIF"), TileNameCase{"2_007.GIF", true, 2, 7},
                      TileNameCase{"2_12.5.GIF", true, 2, 12}, Refused("2_.GIF"),
                      Refused("2_1x.GIF"), Refused("2_ 1.GIF"), Refused("2_99999999999.GIF"),
                      Refused("5_1.GIF"), Refused("2-1.GIF"), Refused("2_"), Refused(""),
                      TileNameCase{"3_17", true, 3, 17}));

}  // namespace
}  // namespace cz
