// The one busy rule: every command that writes a running operation's files or replaces the
// project or the source is refused while a long operation runs, and changes nothing.

#include "workspace/BusyState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "batch/MapOptions.h"
#include "georef/GridLayoutView.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/ImportCommands.h"
#include "workspace/MapCommands.h"
#include "workspace/ProjectBatch.h"
#include "workspace/ProjectCommands.h"
#include "workspace/SourceLoading.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::TempFolder;

enum class BusyCommand {
  CreateOrOpenProject,
  LoadSourceMap,
  ProcessSourceMap,
  DeleteAllTiles,
  DistributeOption,
  CreateMaps,
  Import,
  RunBatch
};

class BusyRuleTest : public ::testing::Test {
 protected:
  BusyRuleTest() {
    std::filesystem::create_directories(work / "P");
    RecordingUserInterface answerYes;
    answerYes.answers = {true};
    EXPECT_TRUE(CreateOrOpenProject(state, work / "P/p.prg", answerYes));
    work.Write("P/Tiles/2_15668.GIF", "GIF87a tile");
    work.Write("P/Map sources/a.bmp", "BM chart");
    work.Write("P/Map sources/a.INI", "[Options]\r\nMapResolution=4\r\n");
    AddToMapFileList(state.Project, work / "P/Map sources/a.bmp");
    ui.answers = {true, true, true};
  }

  // Runs the command as its window or menu would, with every question answered Yes.
  void Run(BusyCommand command) {
    switch (command) {
      case BusyCommand::CreateOrOpenProject:
        CreateOrOpenProject(state, work / "Other/o.prg", ui);
        break;
      case BusyCommand::LoadSourceMap:
        LoadSourceMap(state, ui, view, [this](const std::string&, const std::string&) {
          ++dialogsShown;
          return std::optional<std::string>(work / "P/Map sources/a.bmp");
        });
        break;
      case BusyCommand::ProcessSourceMap:
        ProcessSourceMap(state, ui);
        break;
      case BusyCommand::DeleteAllTiles:
        DeleteAllTilesCommand(state, ui);
        break;
      case BusyCommand::DistributeOption:
        DistributeMapOption(state, MapOptions(state.Source.GeoRef),
                            DistributedOption::MapResolution, ui);
        break;
      case BusyCommand::CreateMaps:
        CreateMaps(state, ui);
        break;
      case BusyCommand::Import: {
        import.FolderValid = true;  // a cell at the pole: refused by a message when it runs
        import.CellChosen = true;
        import.NorthEdge = 90;
        ImportContext context{import, state, ui, [this] { ProcessSourceMap(state, ui); }};
        ProcessImport(context);
        break;
      }
      case BusyCommand::RunBatch:
        RunBatch(state, ui, view);
        break;
    }
  }

  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work.Path())) {
      files[entry.path().string()] = entry.is_regular_file() ? ReadFileBytes(entry.path()) : "/";
    }
    return files;
  }

  TempFolder work;
  AppState state;
  RecordingUserInterface ui;
  GridLayoutView view;
  ImportState import;
  int dialogsShown = 0;
};

class EveryCommandWhileEachOperationRuns
    : public BusyRuleTest,
      public ::testing::WithParamInterface<std::tuple<BusyCommand, LongOperation>> {};

TEST_P(EveryCommandWhileEachOperationRuns, IsRefusedAndChangesNothing) {
  const auto [command, running] = GetParam();
  const auto filesBefore = Files();
  const std::string projectBefore = state.Project.Name;
  {
    BusyScope busy(state.Busy, running);
    Run(command);
  }
  const bool touched = !ui.messages.empty() || !ui.questions.empty() || ui.memoClears > 0 ||
                       dialogsShown > 0 || Files() != filesBefore;
  if (running == LongOperation::None) {
    // The control row: the same command does act when nothing runs.
    EXPECT_TRUE(touched);
    EXPECT_NE(ui.LastStatus().find("still running"), 0u);
    return;
  }
  EXPECT_EQ(ui.statusTexts, std::vector<std::string>{BusyRefusalText(running)});
  EXPECT_FALSE(touched);
  EXPECT_EQ(state.Project.Name, projectBefore);
  EXPECT_FALSE(state.Source.Loaded);
  EXPECT_FALSE(IsBusy(state.Busy));  // the scope has ended
}

INSTANTIATE_TEST_SUITE_P(
    Table, EveryCommandWhileEachOperationRuns,
    ::testing::Combine(::testing::Values(BusyCommand::CreateOrOpenProject, BusyCommand::LoadSourceMap,
                                         BusyCommand::ProcessSourceMap, BusyCommand::DeleteAllTiles,
                                         BusyCommand::DistributeOption, BusyCommand::CreateMaps,
                                         BusyCommand::Import, BusyCommand::RunBatch),
                       ::testing::Values(LongOperation::None, LongOperation::Load,
                                         LongOperation::TileCreation, LongOperation::MapBuilding,
                                         LongOperation::Import, LongOperation::Batch)));

TEST_F(BusyRuleTest, ASecondMapBuildInsideARunningOneIsRefusedAndTheLogStaysWhole) {
  work.Write("P/Tiles/2_15669.GIF", "GIF87a tile");
  RecordingUserInterface inner;
  ui.onProcessEvents = [&] { CreateMaps(state, inner); };
  CreateMaps(state, ui);
  EXPECT_EQ(inner.statusTexts.front(), BusyRefusalText(LongOperation::MapBuilding));
  EXPECT_TRUE(inner.makeMapsMemo.empty());
  EXPECT_EQ(ui.makeMapsMemo.back(), "Done, created 1 EFIS maps");
  EXPECT_TRUE(std::filesystem::exists(work / "P/EFIS Maps/E004N50.MAP"));
}

TEST_F(BusyRuleTest, NestedOperationsKeepTheOuterNameAndOwnStepsPassOnce) {
  BusyScope import(state.Busy, LongOperation::Import);
  {
    BusyScope tiles(state.Busy, LongOperation::TileCreation);
    EXPECT_TRUE(RefuseIfBusy(state.Busy, ui));
    EXPECT_EQ(ui.LastStatus(), BusyRefusalText(LongOperation::Import));
  }
  EXPECT_TRUE(IsBusy(state.Busy));  // the inner scope ended, the import still runs
  {
    OwnStep step(state.Busy);
    ProcessSourceMap(state, ui);  // the import's own call of the menu command runs
  }
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoMapImageLoadedText});
  EXPECT_FALSE(ProcessSourceMap(state, ui));  // the person's is refused again
}

}  // namespace
}  // namespace cz
