#include "port/ErrorLog.h"

#include <gtest/gtest.h>

#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/HeadlessUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override { OverrideProgramDataFolder(folder.Path()); }
  void TearDown() override { OverrideProgramDataFolder(""); }
  TempFolder folder;
};

TEST_F(ErrorLogTest, HoldsTheLatestMessageWithCrLf) {
  EXPECT_EQ(ErrorLogPath(), folder / "Error.txt");
  LogError("first");
  LogError("Cannot find project /x/\xC3\xA9");
  EXPECT_EQ(ReadFileBytes(folder / "Error.txt"), "Cannot find project /x/\xC3\xA9\r\n");
  DeleteErrorLog();
  EXPECT_FALSE(FileExists(folder / "Error.txt"));
  DeleteErrorLog();  // nothing to delete is fine
}

TEST_F(ErrorLogTest, HeadlessPortLogsMessagesAndAnswersNo) {
  HeadlessUserInterface headless;
  headless.SetStatusText("Loading");
  EXPECT_FALSE(headless.Logged());
  EXPECT_FALSE(FileExists(ErrorLogPath()));
  headless.ShowMessage("No map image loaded - nothing to process...");
  EXPECT_TRUE(headless.Logged());
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "No map image loaded - nothing to process...\r\n");
  EXPECT_FALSE(headless.Confirm("Delete?"));
  EXPECT_EQ(ReadFileBytes(ErrorLogPath()), "Delete?\r\n");
}

TEST_F(ErrorLogTest, SharedLogAppendsOneLinePerMessageAndIsNeverDeleted) {
  folder.Write("Error.txt", "[/C 50 4] earlier job\r\n");
  ShareErrorLog("/C 58 4");
  HeadlessUserInterface headless;
  headless.ShowMessage("Cannot find Map source file /x/a.tif");
  LogError("second");
  DeleteErrorLog();
  const bool shared = ErrorLogShared();
  ShareErrorLog("");  // back to the latest message, for the other tests
  EXPECT_TRUE(shared);
  EXPECT_FALSE(ErrorLogShared());
  EXPECT_EQ(ReadFileBytes(folder / "Error.txt"),
            "[/C 50 4] earlier job\r\n[/C 58 4] Cannot find Map source file /x/a.tif\r\n"
            "[/C 58 4] second\r\n");
  EXPECT_TRUE(ErrorLoggedByThisProcess());
}

}  // namespace
}  // namespace cz
