#include "project/Project.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "project/AppSettings.h"
#include "project/IniFile.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(programFolder.Path()); }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // Creates and opens work/p.prg.
  void CreateProject() { OpenProjectFile(project, work / "p.prg"); }

  void ExpectSubFolders(const std::string& folder) {
    for (const char* sub : kProjectSubFolders) {
      EXPECT_TRUE(DirectoryExists(folder + "/" + sub)) << sub;
    }
  }

  TempFolder programFolder;
  TempFolder work;
  ProjectState project;
};

TEST_F(ProjectTest, FirstStartWithoutSettingsOpensNothingAndClosingWritesNothing) {
  StartUpProject(project);
  EXPECT_EQ(project.Folder, ProgramDataFolder());
  EXPECT_EQ(project.Folder.back(), '/');
  EXPECT_EQ(project.Name, "");
  EXPECT_FALSE(project.Open);
  EXPECT_EQ(WindowTitle(project), "VDK Avionics Cartozen 2 V1.5 - No project loaded.");

  CloseProject(project);
  EXPECT_FALSE(FileExists(AppSettingsPath()));
}

TEST_F(ProjectTest, SameSourceAddedTwiceKeepsOneKeyInFileOrder) {
  CreateProject();
  AddToMapFileList(project, "/maps/b.tif");
  AddToMapFileList(project, "/maps/a.tif");
  AddToMapFileList(project, "/maps/b.tif");
  EXPECT_EQ(MapFileList(project), (std::vector<std::string>{"/maps/b.tif", "/maps/a.tif"}));
  EXPECT_EQ(IniFile(work / "p.prg").ReadSectionKeys("MapFiles").size(), 2u);
  EXPECT_EQ(IniFile(work / "p.prg").ReadString("MapFiles", "/maps/a.tif", ""), "0");
}

TEST_F(ProjectTest, ASourcePathTheListCannotHoldIsRefusedNamingTheFile) {
  CreateProject();
  const std::string before = ReadWholeFile(work / "p.prg");
  try {
    AddToMapFileList(project, "/maps/a=b.tif");
    FAIL() << "written";
  } catch (const CartozenError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("/maps/a=b.tif"), std::string::npos) << message;
    EXPECT_NE(message.find(project.File->FileName()), std::string::npos) << message;
  }
  EXPECT_EQ(ReadWholeFile(work / "p.prg"), before);
}

TEST_F(ProjectTest, CloseWritesProjectValuesAndSettingsAndTheNextStartReopens) {
  CreateProject();
  project.ViewerLatitude = 47.5;
  project.ViewerLongitude = 8.25;
  project.Epsg3857SourceFolder = "/tiles/osm";
  CloseProject(project);
  EXPECT_FALSE(project.File);

  const IniFile project(work / "p.prg");
  EXPECT_EQ(project.ReadInteger("MapViewer", "Latitude", 0), 8550000);
  EXPECT_EQ(project.ReadInteger("MapViewer", "Longitude", 0), 1485000);
  // The source dialog was not used in this run: the value is written empty.
  EXPECT_TRUE(project.ValueExists("General", "MapSourcePath"));
  EXPECT_EQ(project.ReadString("General", "MapSourcePath", "x"), "");
  EXPECT_EQ(project.ReadString("EPGS3857", "SourceFolder", ""), "/tiles/osm");

  ProjectState next;
  StartUpProject(next);
  EXPECT_TRUE(next.Open);
  EXPECT_EQ(next.Folder, work.Path());
  EXPECT_EQ(next.Name, "p.prg");
  EXPECT_DOUBLE_EQ(next.ViewerLatitude, 47.5);
  EXPECT_EQ(next.MapSourceFolder, work.Path());  // empty MapSourcePath falls back
  EXPECT_EQ(next.Epsg3857SourceFolder, "/tiles/osm");
  ExpectSubFolders(work.Path());
}

TEST_F(ProjectTest, StartUpWithAMissingLastProjectKeepsFolderAndNameButOpensNothing) {
  WriteAppSettings(work / "Gone", "gone.prg");
  StartUpProject(project);
  EXPECT_FALSE(project.Open);
  EXPECT_EQ(project.Folder, work / "Gone");
  EXPECT_EQ(project.Name, "gone.prg");
  EXPECT_FALSE(DirectoryExists(work / "Gone"));
}

TEST_F(ProjectTest, CommandLineOpeningUsesFolderNamePrgAndTheNextStartFindsIt) {
  std::filesystem::create_directories(work / "Alps");
  ASSERT_TRUE(OpenProjectFolder(project, work / "alps/"));  // case and trailing "/" as typed
  EXPECT_EQ(project.Folder, work / "Alps");
  EXPECT_EQ(project.Name, "Alps.prg");
  EXPECT_TRUE(FileExists(work / "Alps/Alps.prg"));
  ExpectSubFolders(work / "Alps");
  CloseProject(project);

  ProjectState next;
  StartUpProject(next);
  EXPECT_TRUE(next.Open);
  EXPECT_EQ(next.Name, "Alps.prg");
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
  EXPECT_FALSE(OpenProjectFolder(project, work / "Nowhere"));
  EXPECT_FALSE(project.Open);
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Cannot find project " + (work / "Nowhere") + "\r\n");
}

TEST_F(ProjectTest, UnwritableProjectFileLeavesThePreviousProjectOpen) {
  CreateProject();
  const std::string locked = work.Write("locked.prg", "[General]\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
  std::string message;
  try {
    OpenProjectFile(project, locked);
  } catch (const CartozenError& error) {
    message = error.what();
  }
  EXPECT_EQ(message, "Unable to write to " + locked);
  EXPECT_EQ(project.Name, "p.prg");
  EXPECT_EQ(project.File->FileName(), work / "p.prg");
}

}  // namespace
}  // namespace cz
