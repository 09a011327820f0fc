// Whole-program runs: a copy of the built program in a fresh folder, started with switches and
// no display, must close by itself, leave the expected "Error.txt" beside itself and exit with
// status 0 (nothing logged) or 1.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

struct ProgramRun {
  int status = -1;
  bool logExists = false;
  std::string log;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs the program copied into folder with the arguments, without any display.
ProgramRun RunProgram(const TempFolder& folder, const std::vector<std::string>& arguments) {
  const std::string program = folder / "cartozen2";
  if (!std::filesystem::exists(program)) {
    std::filesystem::copy_file(std::string(CARTOZEN_BIN_DIR) + "/cartozen2", program);
  }
  std::string command = "cd " + Quoted(folder.Path()) +
                        " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                        "timeout 60 ./cartozen2";
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  command += " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.logExists = std::filesystem::exists(folder / "Error.txt");
  if (run.logExists) run.log = ReadFileBytes(folder / "Error.txt");
  return run;
}

struct ProgramCase {
  std::vector<std::string> arguments;
  std::string log;  // "$F" stands for the program's folder; empty: no log
};

class ProgramSwitches : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramSwitches, LogExactlyAndCloseByItself) {
  TempFolder folder;
  folder.Write("Error.txt", "stale\r\n");  // every run starts by deleting it
  const ProgramRun run = RunProgram(folder, GetParam().arguments);
  std::string expected = GetParam().log;
  if (const std::size_t at = expected.find("$F"); at != std::string::npos) {
    expected.replace(at, 2, folder.Path() + "/");
  }
  if (expected.empty()) {
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(run.logExists) << run.log;
  } else {
    EXPECT_EQ(run.status, 1);  // 124 would mean it did not close by itself
    EXPECT_EQ(run.log, expected + "\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ProgramSwitches,
    ::testing::Values(ProgramCase{{"/q"}, "Unkown command: /Q"},
                      ProgramCase{{"-P"}, "Bad command leader character -P"},
                      // Only -h, --help and --version as the first argument are answered.
                      ProgramCase{{"-H"}, "Bad command leader character -H"},
                      ProgramCase{{"--Help"}, "Bad command: --HELP"},
                      ProgramCase{{"/S", "--help"}, ""}, ProgramCase{{"/PX"}, "Bad command: /PX"},
                      ProgramCase{{"-reverse"}, "Bad command: -REVERSE"},
                      ProgramCase{{"/P", "Missing"}, "Project folder $FMissing not found"},
                      ProgramCase{{"/X", "48", "6", "two", "4"}, "Cannot understand position: two"},
                      ProgramCase{{"/R", "3"}, "Cannot understand target resolution: 3"},
                      ProgramCase{{"/R", "1", "/R", "0.50", "/M"},
                                  "Cannot understand target resolution: 0.50"},
                      ProgramCase{{"/M", "/O", "EFS"}, ""},
                      ProgramCase{{"/E", "47", "8", "0", "1", "2", "3", "4", "/P", "."}, ""}));

TEST(ProgramRun, BareProjectNameIsBesideTheProgramAndDeleteTilesWorksThere) {
  TempFolder folder;
  const std::string tile = folder.Write("Alps/Tiles/2_1234.GIF", "GIF87a");
  const std::string other = folder.Write("Alps/Tiles/readme.txt", "");
  const ProgramRun run = RunProgram(folder, {"/p", "alps", "/d"});
  EXPECT_EQ(run.status, 0);
  EXPECT_FALSE(run.logExists) << run.log;
  EXPECT_FALSE(std::filesystem::exists(tile));
  EXPECT_TRUE(std::filesystem::exists(other));
  // No project was opened by the switches alone, so no settings were written.
  EXPECT_FALSE(std::filesystem::exists(folder / "Cartozen2.ini"));
}

}  // namespace
}  // namespace cz
