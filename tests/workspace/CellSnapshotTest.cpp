#include "workspace/CellSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
namespace fs = std::filesystem;

// 2_15668 and 2_15669 lie in E004N50, 4_0 in W180N90.
class CellSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project.Write("Tiles/2_15668.GIF", "before");
    project.Write("Tiles/4_0.GIF", "other cell");
    fs::create_directories(project / "Temp");
  }

  std::map<std::string, std::string> Tiles() const {
    std::map<std::string, std::string> tiles;
    for (const auto& entry : fs::directory_iterator(project / "Tiles")) {
      tiles[entry.path().filename()] = ReadFileBytes(entry.path());
    }
    return tiles;
  }

  // What an attempt of the job writes: a tile replaced by rename, one added.
  void Attempt() const {
    project.Write("Tiles/new", "after");
    fs::rename(project / "Tiles/new", project / "Tiles/2_15668.GIF");
    project.Write("Tiles/2_15669.GIF", "added");
  }

  TempFolder project;
  const MapCell cell = *MapCellAtCorner(50, 4);
};

TEST_F(CellSnapshotTest, ReRunAfterAnUnfinishedAttemptStartsFromTheTilesBeforeIt) {
  const std::map<std::string, std::string> before = Tiles();
  {
    const CellLock first = BeginCellTiles(project.Path(), cell);
    Attempt();
    // A second job of the cell while the first runs is refused.
    EXPECT_THROW((void)BeginCellTiles(project.Path(), cell), CartozenError);
  }
  project.Write("Tiles/4_0.GIF", "another job meanwhile");
  const CellLock rerun = BeginCellTiles(project.Path(), cell);
  std::map<std::string, std::string> expected = before;
  expected["4_0.GIF"] = "another job meanwhile";  // not this cell's
  EXPECT_EQ(Tiles(), expected);
  Attempt();
  EndCellTiles(project.Path(), cell);
  EXPECT_TRUE(fs::is_empty(project / "Temp"));
}

TEST_F(CellSnapshotTest, AfterACleanEndTheNextRunStartsFromTheTilesAsTheyAre) {
  {
    const CellLock lock = BeginCellTiles(project.Path(), cell);
    Attempt();
    EndCellTiles(project.Path(), cell);
  }
  const std::map<std::string, std::string> finished = Tiles();
  const CellLock lock = BeginCellTiles(project.Path(), cell);
  EXPECT_EQ(Tiles(), finished);
  EXPECT_EQ(ReadFileBytes(project / "Tiles/2_15668.GIF"), "after");
}

TEST_F(CellSnapshotTest, SnapshotCutShortBeforeItsMarkerIsTakenAgain) {
  project.Write("Temp/Cell E004N50/2_15669.GIF", "half a snapshot");
  { const CellLock lock = BeginCellTiles(project.Path(), cell); }
  Attempt();
  const CellLock lock = BeginCellTiles(project.Path(), cell);
  EXPECT_FALSE(fs::exists(project / "Tiles/2_15669.GIF"));
  EXPECT_EQ(ReadFileBytes(project / "Tiles/2_15668.GIF"), "before");
}

}  // namespace
}  // namespace cz
