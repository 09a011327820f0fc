#include "workspace/MapCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "efismap/GifSample.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::SampleGif87a;

class MapCommandsTest : public ::testing::Test {
 protected:
  MapCommandsTest() {
    for (const char* folder : {"Tiles", "Temp", "EFIS Maps"}) {
      std::filesystem::create_directories(project / folder);
    }
  }

  std::set<std::string> FilesInTiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(project / "Tiles")) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  testing::TempFolder project;
  testing::RecordingUserInterface ui;
};

TEST_F(MapCommandsTest, DeleteCommandNeedsAProjectAsksThenReports) {
  project.Write("Tiles/0_1.GIF", "x");
  AppState state;
  state.Project.Folder = project.Path();  // remembered from an earlier run, not open
  EXPECT_EQ(DeleteAllTilesCommand(state, ui), -1);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"No project has been opened."});
  EXPECT_TRUE(ui.questions.empty());
  ui.messages.clear();

  state.Project.Open = true;
  EXPECT_EQ(DeleteAllTilesCommand(state, ui), -1);  // answered No
  EXPECT_EQ(ui.questions,
            std::vector<std::string>{"Delete all tiles in current projects tile folder ?"});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(FilesInTiles().count("0_1.GIF"), 1u);

  ui.answers = {true, true};
  EXPECT_EQ(DeleteAllTilesCommand(state, ui), 1);
  EXPECT_EQ(DeleteAllTilesCommand(state, ui), 0);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{
                "Done, deleted 1 tiles. Please create new tiles before creating maps",
                "Done, deleted 0 tiles. Please create new tiles before creating maps"}));
}

TEST_F(MapCommandsTest, NeedsAnOpenProject) {
  AppState state;
  EXPECT_THROW(CreateMaps(state, ui), CartozenError);
  state.Project.Open = true;
  state.Project.Folder = project.Path() + "/";
  state.CommandLine.MapExtension = "EFM";
  project.Write("Tiles/2_15668.GIF", SampleGif87a(3, 3));
  CreateMaps(state, ui);
  EXPECT_TRUE(FileExists(project / "EFIS Maps/E004N50.EFM"));
}

}  // namespace
}  // namespace cz
