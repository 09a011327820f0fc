// The display-less run from main(): start-up, the run and closing around it, and the exit
// status, without a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ExecutableFolder.h"
#include "port/ErrorLog.h"
#include "port/HeadlessUserInterface.h"
#include "project/AppSettings.h"
#include "project/Project.h"
#include "support/TempFolder.h"
#include "workspace/WindowlessRun.h"

namespace cz {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;

class WindowlessRunTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(program.Path() + "/"); }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // A last project whose file cannot be written: reopening it at start-up fails.
  std::string UnwritableLastProject() {
    const std::string file = work.Write("p.prg", "[General]\r\n");
    fs::permissions(file, fs::perms::owner_read);
    WriteAppSettings(work.Path(), "p.prg");
    return file;
  }

  TempFolder program;
  TempFolder work;
};

struct StartUpFailureCase {
  std::vector<std::string> arguments;
  std::string log;  // empty: the start-up failure itself
};

class WindowlessStartUpFailure : public WindowlessRunTest,
                                 public ::testing::WithParamInterface<StartUpFailureCase> {};

// The run deletes the log first; the start-up failure comes back unless the run logged its own.
TEST_P(WindowlessStartUpFailure, IsLoggedWhenTheRunLoggedNothingElse) {
  const std::string file = UnwritableLastProject();
  EXPECT_EQ(RunWithoutWindow(GetParam().arguments), 1);
  const std::string expected =
      GetParam().log.empty() ? "Unable to write to " + file : GetParam().log;
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), expected + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Runs, WindowlessStartUpFailure,
                         ::testing::Values(StartUpFailureCase{{"/M"}, ""},
                                           StartUpFailureCase{{"/q"}, "Unkown command: /Q"}));

TEST_F(WindowlessRunTest, AFailedSaveOnClosingIsLogged) {
  const std::string file = work.Write("p.prg", "[General]\r\n");
  WriteAppSettings(work.Path(), "p.prg");
  AppState state;
  StartUpProject(state.Project);
  ASSERT_TRUE(state.Project.Open);
  fs::permissions(file, fs::perms::owner_read);
  HeadlessUserInterface ui;
  CloseWithoutWindow(state, ui);
  EXPECT_TRUE(ui.Logged());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Unable to write to " + file + "\r\n");
}

TEST_F(WindowlessRunTest, ASuccessfulRunExitsZeroAndLeavesNoLog) {
  program.Write("Error.txt", "old\r\n");
  EXPECT_EQ(RunWithoutWindow({"/M", "/O", "EFS"}), 0);
  EXPECT_FALSE(fs::exists(ErrorLogPath()));
}

}  // namespace
}  // namespace cz
