#include "workspace/CommandLineRun.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(programFolder.Path()); }
  void TearDown() override { OverrideProgramDataFolder(""); }

  CommandLineOutcome Run(std::vector<std::string> arguments) {
    return CommandLineBatch(state, ui, CommandArguments(std::move(arguments)));
  }
  // The log's text without its line end; empty when nothing was logged.
  std::string Logged() {
    if (!FileExists(ErrorLogPath())) return "";
    const std::string text = ReadFileBytes(ErrorLogPath());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return text.substr(0, text.size() - 2);
  }

  TempFolder programFolder;
  TempFolder project;
  AppState state;
  RecordingUserInterface ui;
};

// Each case ends with "/M": whether it was reached tells whether the reading stopped.
struct SwitchCase {
  std::vector<std::string> arguments;
  std::string logged;  // "$P" stands for the temporary project folder
  std::uint32_t switchSet;
  bool stops;
};

class SwitchRules : public CommandLineTest, public ::testing::WithParamInterface<SwitchCase> {};

std::string Expand(std::string text, const std::string& folder) {
  for (std::size_t at = text.find("$P"); at != std::string::npos; at = text.find("$P")) {
    text.replace(at, 2, folder);
  }
  return text;
}

TEST_P(SwitchRules, LogStateAndStop) {
  std::vector<std::string> arguments;
  for (const std::string& argument : GetParam().arguments) {
    arguments.push_back(Expand(argument, project.Path()));
  }
  arguments.push_back("/M");
  EXPECT_EQ(Run(arguments), CommandLineOutcome::Close);
  EXPECT_EQ(Logged(), Expand(GetParam().logged, project.Path()));
  EXPECT_EQ(state.CommandLine.SwitchSet, GetParam().switchSet);
  EXPECT_EQ(state.CommandLine.MakeMaps, !GetParam().stops);
  EXPECT_FALSE(state.CommandLine.Active);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SwitchRules,
    ::testing::Values(
        SwitchCase{{"/p", "$P"}, "", 1, false},
        SwitchCase{{"-P"}, "Bad command leader character -P", 0, true},
        SwitchCase{{"/PX"}, "Bad command: /PX", 0, true},
        SwitchCase{{"/q"}, "Unkown command: /Q", 0, true},
        SwitchCase{{""}, "Bad command: ", 0, true},
        SwitchCase{{"/\xC3\xA9"}, "Unkown command: /\xC3\xA9", 0, true},
        SwitchCase{{"/P", "$P/Missing"}, "Project folder $P/Missing not found", 1, true},
        SwitchCase{{"/X", "48", "6", "two", "4"}, "Cannot understand position: two", 0, true},
        SwitchCase{{"/X", "48"}, "Cannot understand position: /M", 0, true},
        SwitchCase{{"/R", "3"}, "Cannot understand target resolution: 3", 0, true},
        SwitchCase{{"/R", "0.50"}, "Cannot understand target resolution: 0.50", 0, true},
        SwitchCase{{"/R", "1", "/R", "3"}, "Cannot understand target resolution: 3", 8, false},
        SwitchCase{{"/R", "1", "/R", "3x", "/R", "bad2"},
                   "Cannot understand target resolution: bad2",
                   8,
                   false},
        SwitchCase{{"/P", "$P", "/S", "a.tif", "/X", "48", "6", "2", "4"}, "", 7, false},
        // The switches are sound; the run then finds no a.tif in the project.
        SwitchCase{{"/P", "$P", "/S", "a.tif", "/X", "48", "6", "2", "4", "/R", "0.5", "/R", "1"},
                   "Cannot find Map source file a.tif",
                   15,
                   false},
        SwitchCase{{"/T", "5"}, "Cannot understand control point fit: 5 (1, 2, 3 or spline)", 0,
                   true},
        // /T only beside /G, whichever comes first; an /X after /G takes its place.
        SwitchCase{{"/X", "48", "6", "2", "4", "/T", "2"},
                   "/T needs /G: only the chart's own control points are fitted", 4, false},
        SwitchCase{{"/G", "/T", "spline", "/X", "48", "6", "2", "4"},
                   "/T needs /G: only the chart's own control points are fitted", 4, false},
        SwitchCase{{"/P", "$P", "/S", "a.tif", "/T", "spline", "/G", "/R", "1"},
                   "Cannot find Map source file a.tif", 15, false},
        // /G stands for /X in the switch set.
        SwitchCase{{"/P", "$P", "/S", "a.tif", "/g", "/R", "1"},
                   "Cannot find Map source file a.tif",
                   15,
                   false},
        SwitchCase{{"/E", "47", "8", "1", "2", "3", "4", "5", "/P", "$P"}, "", 17, false},
        SwitchCase{{"/P", "$P", "/E", "47", "8", "1", "2", "3", "4", "5"}, "", 16, false},
        SwitchCase{{"/O", "EFS", "/D"}, "", 0, false}));

TEST_F(CommandLineTest, SwitchArgumentsAreNeverSwitches) {
  Run({"/S", "/M"});
  EXPECT_EQ(state.CommandLine.SourceArgument, "/M");
  EXPECT_FALSE(state.CommandLine.MakeMaps);
  EXPECT_EQ(state.CommandLine.SwitchSet, 2u);
}

TEST_F(CommandLineTest, MissingArgumentsReadAsEmptyText) {
  Run({"/X", "48"});
  EXPECT_EQ(Logged(), "Cannot understand position: ");
  EXPECT_EQ(state.CommandLine.Position[0], 48.0f);
  Run({"/R"});
  EXPECT_EQ(Logged(), "Cannot understand target resolution: ");
}

TEST_F(CommandLineTest, ValuesAreStoredAsRead) {
  Run({"/X", "48.5", "-6.25", "2", "nope"});
  EXPECT_EQ(state.CommandLine.Position[0], 48.5f);
  EXPECT_EQ(state.CommandLine.Position[1], -6.25f);
  EXPECT_EQ(state.CommandLine.Position[2], 2.0f);
  EXPECT_EQ(state.CommandLine.SwitchSet, 0u);

  AppState other;
  CommandLineBatch(other, ui, CommandArguments({"/R", "4", "/R", "0.25", "/O", "efm", "/N"}));
  EXPECT_EQ(other.CommandLine.ResolutionMask, 17);
  EXPECT_EQ(other.CommandLine.MapExtension, "efm");
  EXPECT_EQ(other.MapExtension(), "efm");
  EXPECT_TRUE(other.CommandLine.NoProcessing);
}

TEST_F(CommandLineTest, ImportWithFewerThanSevenValuesSelectsNothing) {
  Run({"/E", "47", "x", "3"});
  EXPECT_EQ(state.CommandLine.SwitchSet, 0u);
  EXPECT_EQ(state.CommandLine.ImportLatitude, 47);
  EXPECT_EQ(state.CommandLine.ImportLongitude, 0);  // not an integer: 0
  EXPECT_EQ(state.CommandLine.ImportZooms[0], 3);
  EXPECT_EQ(state.CommandLine.ImportZooms[1], 0);
  EXPECT_EQ(Logged(), "");

  AppState alone;
  CommandLineBatch(alone, ui, CommandArguments({"/E"}));
  EXPECT_EQ(alone.CommandLine.SwitchSet, 0u);
}

TEST_F(CommandLineTest, NoProcessingKeepsTheApplicationOpen) {
  EXPECT_EQ(Run({"/N"}), CommandLineOutcome::StayOpen);
  EXPECT_EQ(Run({"/N", "/Q"}), CommandLineOutcome::Close);  // a failing switch closes anyway
}

TEST_F(CommandLineTest, BareProjectNameIsInTheProgramFolder) {
  EXPECT_EQ(ResolveProjectFolderArgument("Alps"), ProgramDataFolder() + "Alps");
  EXPECT_EQ(ResolveProjectFolderArgument("/data/Alps"), "/data/Alps");
  EXPECT_EQ(ResolveProjectFolderArgument("projects\\Alps"), "projects\\Alps");
  Run({"/P", "NoSuchProject-4711"});
  EXPECT_EQ(Logged(), "Project folder " + ProgramDataFolder() + "NoSuchProject-4711 not found");
}

TEST_F(CommandLineTest, RunStartsByDeletingTheLog) {
  programFolder.Write("Error.txt", "old\r\n");
  Run({"/M"});
  EXPECT_FALSE(FileExists(ErrorLogPath()));
}

TEST_F(CommandLineTest, DeleteTilesActsOnlyInsideTheGivenProject) {
  const std::string stray = project.Write("Tiles/1_7.GIF", "x");
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(project.Path());
  Run({"/D"});  // no /P yet: nothing, not even the tiles below the current folder
  std::filesystem::current_path(previous);
  EXPECT_TRUE(FileExists(stray));

  Run({"/P", project.Path(), "/D"});
  EXPECT_FALSE(FileExists(stray));
}

TEST_F(CommandLineTest, ArgumentsBeyondTheLastReachableOneAreNotRead) {
  std::vector<std::string> arguments(255, "/M");
  arguments.push_back("/Q");
  Run(arguments);
  EXPECT_EQ(Logged(), "");
  EXPECT_TRUE(state.CommandLine.MakeMaps);

  // A switch on the last reachable argument reads empty text for its own arguments.
  std::vector<std::string> last(254, "/M");
  last.push_back("/S");
  last.push_back("beyond");
  Run(last);
  EXPECT_EQ(state.CommandLine.SourceArgument, "");
}

}  // namespace
}  // namespace cz
