#include "app/TestMainWindow.h"

#include <gtest/gtest.h>

#include <array>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "CoordinateEdit.h"
#include "TMapViewerForm.h"
#include "app/AppTestSupport.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "project/AppSettings.h"
#include "project/IniFile.h"
#include "support/TempFolder.h"
#include "workspace/WindowlessRun.h"

namespace cz {
namespace {

using testing::Application;
using testing::ReadFileBytes;
using testing::TempFolder;

class TForm1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    OverrideProgramDataFolder(programFolder.Path());
  }
  void TearDown() override { OverrideProgramDataFolder(""); }

  TempFolder programFolder;
  TempFolder work;
};

TEST_F(TForm1Test, StartsWithoutProjectAndArmsTheLongTimer) {
  TestMainWindow window({}, false);
  EXPECT_EQ(window.windowTitle().toStdString(),
            "VDK Avionics Cartozen 2 V1.5 - No project loaded.");
  EXPECT_EQ(window.size(), QSize(1024, 768));
  EXPECT_EQ(window.Edit1->text().toStdString(), "No map loaded");
  EXPECT_TRUE(window.Edit1->isReadOnly());
  EXPECT_TRUE(window.Timer1->isSingleShot());
  EXPECT_TRUE(window.Timer1->isActive());
  EXPECT_EQ(window.Timer1->interval(), 3000);

  // Without arguments the timer only stops: no log is touched.
  programFolder.Write("Error.txt", "kept\r\n");
  window.Timer1Timer();
  EXPECT_FALSE(window.Timer1->isActive());
  EXPECT_FALSE(window.CommandLineRan());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "kept\r\n");
}

TEST_F(TForm1Test, ArgumentsArmTheShortTimer) {
  TestMainWindow window({"/M"}, true);
  EXPECT_EQ(window.Timer1->interval(), 100);
}

TEST_F(TForm1Test, StatusLineIsThePortsStatusText) {
  TestMainWindow window({}, false);
  window.Ui().SetStatusText("Loading chart.tif, please wait...");
  EXPECT_EQ(window.Edit1->text().toStdString(), "Loading chart.tif, please wait...");
}

TEST_F(TForm1Test, ReopensTheLastProjectAndSavesItOnClosing) {
  work.Write("p.prg", "[General]\r\n[MapViewer]\r\nLatitude=8100000\r\n");
  WriteAppSettings(work.Path(), "p.prg");
  {
    TestMainWindow window({}, false);
    EXPECT_EQ(window.windowTitle().toStdString(), "VDK Avionics Cartozen 2 V1.5 - project: p.prg");
    // Closing stores the position the map viewer's edits hold.
    window.MapViewerForm->MaskEdit2->SetCoordinate("E007°30.000");
    window.show();
    EXPECT_TRUE(window.close());
  }
  const IniFile project(work / "p.prg");
  EXPECT_EQ(project.ReadString("General", "Cartozen2", ""), "Version 1");
  EXPECT_EQ(project.ReadInteger("MapViewer", "Latitude", 0), 8100000);
  EXPECT_EQ(project.ReadInteger("MapViewer", "Longitude", 0), 1350000);
  EXPECT_EQ(ReadAppSettings().Name, "p.prg");
}

TEST_F(TForm1Test, FailingSwitchLogsAndClosesTheWindow) {
  TestMainWindow window({"/x", "1", "north"}, true);
  window.show();
  window.Timer1Timer();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.CommandLineRan());
  EXPECT_TRUE(window.RunLogged());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Cannot understand position: north\r\n");
}

TEST_F(TForm1Test, SuccessfulRunLeavesNoLogAndCloses) {
  programFolder.Write("Error.txt", "old\r\n");
  TestMainWindow window({"/M", "/O", "EFS"}, true);
  window.show();
  window.Timer1Timer();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.RunLogged());
  EXPECT_EQ(window.State().MapExtension(), "EFS");
}

TEST_F(TForm1Test, WithoutDisplayAFailedSaveOnClosingIsLoggedAndTheWindowCloses) {
  const std::string file = work.Write("p.prg", "[General]\r\n");
  WriteAppSettings(work.Path(), "p.prg");
  TestMainWindow window({"/M"}, true);
  ASSERT_TRUE(window.State().Project.Open);
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  window.show();
  window.Timer1Timer();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.RunLogged());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Unable to write to " + file + "\r\n");
}

}  // namespace
}  // namespace cz

namespace cz {
namespace {

TEST_F(TForm1Test, StartUpFailureStaysInTheCommandLineLog) {
  const std::string file = work.Write("p.prg", "[General]\r\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  WriteAppSettings(work.Path(), "p.prg");
  TestMainWindow window({"/M"}, true);
  EXPECT_FALSE(window.State().Project.Open);
  window.show();
  window.Timer1Timer();
  EXPECT_TRUE(window.RunLogged());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Unable to write to " + file + "\r\n");
}

}  // namespace
}  // namespace cz

namespace cz {
namespace {

// Without a display the command line runs without this window (workspace/WindowlessRun.h): it
// must leave the files and the exit status that this window's run and closing leave. The
// viewer centre lies between two steps of the viewer's edits, which the closing rounds.
TEST_F(TForm1Test, WindowlessRunLeavesWhatTheWindowsRunLeaves) {
  std::array<std::string, 2> projectFiles, settingsFiles;
  std::array<int, 2> statuses{};
  for (const bool windowless : {false, true}) {
    work.Write("p.prg", "[General]\r\n[MapViewer]\r\nLatitude=8100001\r\nLongitude=1350002\r\n");
    WriteAppSettings(work.Path(), "p.prg");
    if (windowless) {
      statuses[1] = RunWithoutWindow({"/M"});
    } else {
      TestMainWindow window({"/M"}, true);
      window.show();
      window.Timer1Timer();
      statuses[0] = window.RunLogged() ? 1 : 0;
    }
    projectFiles[windowless] = ReadFileBytes(work / "p.prg");
    settingsFiles[windowless] = ReadFileBytes(programFolder / "Cartozen2.ini");
  }
  EXPECT_EQ(projectFiles[1], projectFiles[0]);
  EXPECT_EQ(projectFiles[0].find("8100001"), std::string::npos);
  EXPECT_EQ(settingsFiles[1], settingsFiles[0]);
  EXPECT_EQ(statuses[1], statuses[0]);
}

}  // namespace
}  // namespace cz
