#include "workspace/ProjectCommands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "project/IniFile.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

class ProjectCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(programFolder.Path()); }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // Creates and opens work/p.prg, answering Yes to the question.
  void CreateProject() {
    ui.answers = {true};
    ASSERT_TRUE(CreateOrOpenProject(state, work / "p.prg", ui));
  }

  void ExpectSubFolders(const std::string& folder) {
    for (const char* sub : kProjectSubFolders) {
      EXPECT_TRUE(DirectoryExists(folder + "/" + sub)) << sub;
    }
  }

  TempFolder programFolder;
  TempFolder work;
  AppState state;
  RecordingUserInterface ui;
};

TEST_F(ProjectCommandsTest, CreatingAProjectAsksThenMakesFoldersAndFirstContent) {
  const std::string file = work / "Alps/alps.prg";
  std::filesystem::create_directories(work / "Alps");
  ui.answers = {true};
  ASSERT_TRUE(CreateOrOpenProject(state, file, ui));
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0], kCreateProjectQuestion);
  EXPECT_EQ(ReadFileBytes(file), "[General]\r\nCartozen2=Version 1\r\n");
  ExpectSubFolders(work / "Alps");
  EXPECT_EQ(state.Project.Folder, work / "Alps");
  EXPECT_EQ(state.Project.Name, "alps.prg");
  EXPECT_EQ(state.Project.MapSourceFolder, work / "Alps");
  EXPECT_EQ(WindowTitle(state.Project), "VDK Avionics Cartozen 2 V1.5 - project: alps.prg");
}

TEST_F(ProjectCommandsTest, AnsweringNoLeavesEverythingAsItWas) {
  ui.answers = {false};
  EXPECT_FALSE(CreateOrOpenProject(state, work / "new.prg", ui));
  EXPECT_FALSE(state.Project.Open);
  EXPECT_FALSE(FileExists(work / "new.prg"));
  EXPECT_FALSE(DirectoryExists(work / "Tiles"));
}

TEST_F(ProjectCommandsTest, TypedNameWithoutExtensionBecomesAPrgProject) {
  ui.answers = {true};
  ASSERT_TRUE(CreateOrOpenProject(state, work / "Swiss", ui));
  EXPECT_TRUE(FileExists(work / "Swiss.prg"));
  EXPECT_EQ(state.Project.Name, "Swiss.prg");
}

TEST_F(ProjectCommandsTest, OpeningAnExistingProjectAsksNothingAndReadsItsValues) {
  work.Write("p.prg",
             "[General]\r\nMapSourcePath=/charts/\r\n[MapViewer]\r\nLatitude=8100000\r\n"
             "Longitude=-1080000\r\n");
  ASSERT_TRUE(CreateOrOpenProject(state, work / "p.prg", ui));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_DOUBLE_EQ(state.Project.ViewerLatitude, 45.0);
  EXPECT_DOUBLE_EQ(state.Project.ViewerLongitude, -6.0);
  EXPECT_EQ(state.Project.MapSourceFolder, "/charts/");
}

TEST_F(ProjectCommandsTest, OpeningSavesTheLoadedSourceFirst) {
  state.Source.Path = work / "chart.tif";
  state.Source.GeoRef.SkewLeft = -7;
  CreateProject();
  EXPECT_FALSE(FileExists(work / "chart.INI"));  // nothing loaded: nothing saved
  state.Source.Loaded = true;
  ASSERT_TRUE(CreateOrOpenProject(state, work / "p.prg", ui));
  EXPECT_EQ(IniFile(work / "chart.INI").ReadInteger("GeoRef", "SkewLeft", 0), -7);
}

}  // namespace
}  // namespace cz
