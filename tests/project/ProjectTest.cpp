#include "project/Project.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "project/AppSettings.h"
#include "project/IniFile.h"
#include "project/MapSourceSettings.h"
#include "state/ErrorLog.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

class ProjectTest : public ::testing::Test {
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

TEST_F(ProjectTest, FirstStartWithoutSettingsOpensNothingAndClosingWritesNothing) {
  StartUpProject(state.Project);
  EXPECT_EQ(state.Project.Folder, ProgramDataFolder());
  EXPECT_EQ(state.Project.Folder.back(), '/');
  EXPECT_EQ(state.Project.Name, "");
  EXPECT_FALSE(state.Project.Open);
  EXPECT_EQ(WindowTitle(state.Project), "VDK Avionics Cartozen 2 V1.5 - No project loaded.");

  CloseApplication(state);
  EXPECT_FALSE(FileExists(AppSettingsPath()));
}

TEST_F(ProjectTest, CreatingAProjectAsksThenMakesFoldersAndFirstContent) {
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

TEST_F(ProjectTest, AnsweringNoLeavesEverythingAsItWas) {
  ui.answers = {false};
  EXPECT_FALSE(CreateOrOpenProject(state, work / "new.prg", ui));
  EXPECT_FALSE(state.Project.Open);
  EXPECT_FALSE(FileExists(work / "new.prg"));
  EXPECT_FALSE(DirectoryExists(work / "Tiles"));
}

TEST_F(ProjectTest, TypedNameWithoutExtensionBecomesAPrgProject) {
  ui.answers = {true};
  ASSERT_TRUE(CreateOrOpenProject(state, work / "Swiss", ui));
  EXPECT_TRUE(FileExists(work / "Swiss.prg"));
  EXPECT_EQ(state.Project.Name, "Swiss.prg");
}

TEST_F(ProjectTest, OpeningAnExistingProjectAsksNothingAndReadsItsValues) {
  work.Write("p.prg",
             "[General]\r\nMapSourcePath=/charts/\r\n[MapViewer]\r\nLatitude=8100000\r\n"
             "Longitude=-1080000\r\n");
  ASSERT_TRUE(CreateOrOpenProject(state, work / "p.prg", ui));
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_DOUBLE_EQ(state.Project.ViewerLatitude, 45.0);
  EXPECT_DOUBLE_EQ(state.Project.ViewerLongitude, -6.0);
  EXPECT_EQ(state.Project.MapSourceFolder, "/charts/");
}

TEST_F(ProjectTest, OpeningSavesTheLoadedSourceFirst) {
  state.Source.Path = work / "chart.tif";
  state.Source.GeoRef.SkewLeft = -7;
  CreateProject();
  EXPECT_FALSE(FileExists(work / "chart.INI"));  // nothing loaded: nothing saved
  state.Source.Loaded = true;
  ASSERT_TRUE(CreateOrOpenProject(state, work / "p.prg", ui));
  EXPECT_EQ(IniFile(work / "chart.INI").ReadInteger("GeoRef", "SkewLeft", 0), -7);
}

TEST_F(ProjectTest, SameSourceAddedTwiceKeepsOneKeyInFileOrder) {
  CreateProject();
  AddToMapFileList(state.Project, "/maps/b.tif");
  AddToMapFileList(state.Project, "/maps/a.tif");
  AddToMapFileList(state.Project, "/maps/b.tif");
  EXPECT_EQ(MapFileList(state.Project), (std::vector<std::string>{"/maps/b.tif", "/maps/a.tif"}));
  EXPECT_EQ(IniFile(work / "p.prg").ReadSectionKeys("MapFiles").size(), 2u);
  EXPECT_EQ(IniFile(work / "p.prg").ReadString("MapFiles", "/maps/a.tif", ""), "0");
}

TEST_F(ProjectTest, CloseWritesProjectValuesAndSettingsAndTheNextStartReopens) {
  CreateProject();
  state.Project.ViewerLatitude = 47.5;
  state.Project.ViewerLongitude = 8.25;
  state.Project.Epsg3857SourceFolder = "/tiles/osm";
  CloseApplication(state);
  EXPECT_FALSE(state.Project.File);

  const IniFile project(work / "p.prg");
  EXPECT_EQ(project.ReadInteger("MapViewer", "Latitude", 0), 8550000);
  EXPECT_EQ(project.ReadInteger("MapViewer", "Longitude", 0), 1485000);
  // The source dialog was not used in this run: the value is written empty.
  EXPECT_TRUE(project.ValueExists("General", "MapSourcePath"));
  EXPECT_EQ(project.ReadString("General", "MapSourcePath", "x"), "");
  EXPECT_EQ(project.ReadString("EPGS3857", "SourceFolder", ""), "/tiles/osm");

  AppState next;
  StartUpProject(next.Project);
  EXPECT_TRUE(next.Project.Open);
  EXPECT_EQ(next.Project.Folder, work.Path());
  EXPECT_EQ(next.Project.Name, "p.prg");
  EXPECT_DOUBLE_EQ(next.Project.ViewerLatitude, 47.5);
  EXPECT_EQ(next.Project.MapSourceFolder, work.Path());  // empty MapSourcePath falls back
  EXPECT_EQ(next.Project.Epsg3857SourceFolder, "/tiles/osm");
  ExpectSubFolders(work.Path());
}

TEST_F(ProjectTest, StartUpWithAMissingLastProjectKeepsFolderAndNameButOpensNothing) {
  WriteAppSettings(work / "Gone", "gone.prg");
  StartUpProject(state.Project);
  EXPECT_FALSE(state.Project.Open);
  EXPECT_EQ(state.Project.Folder, work / "Gone");
  EXPECT_EQ(state.Project.Name, "gone.prg");
  EXPECT_FALSE(DirectoryExists(work / "Gone"));
}

TEST_F(ProjectTest, CommandLineOpeningUsesFolderNamePrgAndTheNextStartFindsIt) {
  std::filesystem::create_directories(work / "Alps");
  ASSERT_TRUE(OpenProjectFolder(state, work / "alps/"));  // case and trailing "/" as typed
  EXPECT_EQ(state.Project.Folder, work / "Alps");
  EXPECT_EQ(state.Project.Name, "Alps.prg");
  EXPECT_TRUE(FileExists(work / "Alps/Alps.prg"));
  ExpectSubFolders(work / "Alps");
  CloseApplication(state);

  AppState next;
  StartUpProject(next.Project);
  EXPECT_TRUE(next.Project.Open);
  EXPECT_EQ(next.Project.Name, "Alps.prg");
}

TEST_F(ProjectTest, CommandLineOpeningSharesTheOnlyProjectFileOfTheFolder) {
  work.Write("Alps/mountains.prg", "[General]\r\nCartozen2=Version 1\r\n");
  EXPECT_EQ(CommandLineProjectFile(work / "Alps"), work / "Alps/mountains.prg");
  work.Write("Alps/other.prg", "");
  EXPECT_EQ(CommandLineProjectFile(work / "Alps"), work / "Alps/Alps.prg");
  work.Write("Alps/Alps.prg", "");
  EXPECT_EQ(CommandLineProjectFile(work / "Alps"), work / "Alps/Alps.prg");
}

TEST_F(ProjectTest, CommandLineOpeningOfAMissingFolderLogs) {
  EXPECT_FALSE(OpenProjectFolder(state, work / "Nowhere"));
  EXPECT_FALSE(state.Project.Open);
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Cannot find project " + (work / "Nowhere") + "\r\n");
}

TEST_F(ProjectTest, UnwritableProjectFileLeavesThePreviousProjectOpen) {
  CreateProject();
  const std::string locked = work.Write("locked.prg", "[General]\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
  std::string message;
  try {
    CreateOrOpenProject(state, locked, ui);
  } catch (const CartozenError& error) {
    message = error.what();
  }
  EXPECT_EQ(message, "Unable to write to " + locked);
  EXPECT_EQ(state.Project.Name, "p.prg");
  EXPECT_EQ(state.Project.File->FileName(), work / "p.prg");
}

TEST_F(ProjectTest, DeletingTilesRemovesOnlyGifFilesOfTheTilesFolder) {
  work.Write("Tiles/2_100.GIF", "x");
  work.Write("Tiles/1_5.gif", "x");
  work.Write("Tiles/keep.txt", "x");
  work.Write("Tiles/sub.GIF/inner.GIF", "x");
  work.Write("other.GIF", "x");
  EXPECT_EQ(DeleteProjectTiles(work.Path()), 2);
  EXPECT_FALSE(FileExists(work / "Tiles/2_100.GIF"));
  EXPECT_FALSE(FileExists(work / "Tiles/1_5.gif"));
  EXPECT_TRUE(FileExists(work / "Tiles/keep.txt"));
  EXPECT_TRUE(FileExists(work / "Tiles/sub.GIF/inner.GIF"));
  EXPECT_TRUE(FileExists(work / "other.GIF"));
}

}  // namespace
}  // namespace cz
