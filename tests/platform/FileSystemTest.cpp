#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/ObtainableMemory.h"
#include "platform/Paths.h"
#include "support/AddressSanitizer.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

TEST(PathsTest, SplitsAtEitherSeparator) {
  EXPECT_EQ(ExtractFilePath("/a/b/c.tif"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("C:\\charts\\alps.tif"), "C:\\charts\\");
  EXPECT_EQ(ExtractFileName("a\\b/c.tif"), "c.tif");
  EXPECT_EQ(ExtractFileName("plain"), "plain");
  EXPECT_EQ(ExtractFileExt("/x/map.jpeg"), ".jpeg");
  EXPECT_EQ(ExtractFileExt("/x.d/map"), "");
  EXPECT_EQ(ChangeFileExt("/x/map.jpeg", ".INI"), "/x/map.INI");
  EXPECT_EQ(ChangeFileExt("/x.d/map", ".INI"), "/x.d/map.INI");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(WithoutTrailingSeparator("/a/b/"), "/a/b");
  EXPECT_EQ(WithTrailingSeparator("/a/b"), "/a/b/");
  EXPECT_TRUE(SameTextIgnoringCase("Map Sources", "map sources"));
  EXPECT_FALSE(SameTextIgnoringCase("Map", "Maps"));
}

TEST(FileSystemTest, ResolvesEachComponentIgnoringCase) {
  TempFolder dir;
  dir.Write("map sources/X.tif", "x");
  const std::string resolved = ResolvePath(dir / "Map Sources/x.TIF");
  EXPECT_EQ(resolved, dir / "map sources/X.tif");
  EXPECT_TRUE(FileExists(dir / "Map Sources/x.TIF"));
  EXPECT_TRUE(DirectoryExists(dir / "MAP SOURCES"));
  EXPECT_FALSE(FileExists(dir / "MAP SOURCES"));
  // A new file inside an existing folder takes the folder's real spelling.
  EXPECT_EQ(ResolvePath(dir / "MAP SOURCES/new.INI"), dir / "map sources/new.INI");
  EXPECT_EQ(ResolvePath(dir / "missing/deeper/x"), dir / "missing/deeper/x");
}

TEST(FileSystemTest, ExactSpellingWinsOverOtherCases) {
  TempFolder dir;
  dir.Write("tiles/a.gif", "lower");
  dir.Write("Tiles/a.gif", "upper");
  EXPECT_EQ(ReadWholeFile(dir / "Tiles/a.gif"), "upper");
  EXPECT_EQ(ReadWholeFile(dir / "tiles/a.gif"), "lower");
}

TEST(FileSystemTest, WildcardListingIgnoresCaseAndListsOnlyOrdinaryFiles) {
  TempFolder dir;
  dir.Write("Tiles/2_15668.GIF", "");
  dir.Write("Tiles/2_15669.gif", "");
  dir.Write("Tiles/notes.txt", "");
  dir.Write("Tiles/.hidden.gif", "");
  dir.Write("Tiles/sub.gif/inner", "");  // a folder named like a tile
  auto names = ListFiles(dir / "tiles", "*.GIF");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"2_15668.GIF", "2_15669.gif"}));
  EXPECT_TRUE(ListFiles(dir / "none", "*.GIF").empty());
  EXPECT_TRUE(WildcardMatch("?_*.gif", "2_1.GIF"));
  EXPECT_FALSE(WildcardMatch("?_*.gif", "22_1.GIF"));
  EXPECT_TRUE(WildcardMatch("*", "anything"));
  EXPECT_FALSE(WildcardMatch("*.gif", "a.gift"));
}

TEST(FileSystemTest, ForceDirectoriesFollowsExistingSpelling) {
  TempFolder dir;
  ASSERT_TRUE(ForceDirectories(dir / "Project/Tiles"));
  ASSERT_TRUE(ForceDirectories(dir / "PROJECT/EFIS Maps"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Project/EFIS Maps"));
  EXPECT_FALSE(std::filesystem::exists(dir / "PROJECT"));
  dir.Write("afile", "");
  EXPECT_FALSE(ForceDirectories(dir / "afile/sub"));
}

TEST(FileSystemTest, AtomicWriteReplacesWholeFilesAndKeepsNoTemporaries) {
  TempFolder dir;
  AtomicWriteFile(dir / "t.bin", std::string(100000, 'a'));
  AtomicWriteFile(dir / "T.BIN", "short");
  EXPECT_EQ(ReadFileBytes(dir / "t.bin"), "short");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(FileSize(dir / "t.bin"), 5);
  EXPECT_EQ(FileSize(dir / "none"), -1);
  EXPECT_THROW(ReadWholeFile(dir / "none"), CartozenError);
  EXPECT_TRUE(DeleteFileAt(dir / "T.bin"));
  EXPECT_FALSE(DeleteFileAt(dir / "t.bin"));
}

// The tile writers' file: nothing in place before the commit, nothing left when dropped, the
// target's permissions kept when it is replaced, and the object handed on by moves.
TEST(FileSystemTest, UnsyncedTemporaryFileAppearsOnlyWhenCommitted) {
  TempFolder dir;
  const auto entries = [&] {
    return std::distance(std::filesystem::directory_iterator(dir.Path()),
                         std::filesystem::directory_iterator());
  };
  { UnsyncedTemporaryFile dropped(dir / "a.gif", "lost", "a.gif"); }
  EXPECT_EQ(entries(), 0);

  dir.Write("b.gif", "old");
  ASSERT_EQ(::chmod((dir / "b.gif").c_str(), 0640), 0);
  UnsyncedTemporaryFile file(dir / "b.gif", "new bytes", "b.gif");
  UnsyncedTemporaryFile moved = std::move(file);
  EXPECT_TRUE(file.Empty());
  EXPECT_EQ(ReadFileBytes(dir / "b.gif"), "old");
  moved.Commit(dir / "b.gif", "b.gif");
  EXPECT_TRUE(moved.Empty());
  EXPECT_EQ(ReadFileBytes(dir / "b.gif"), "new bytes");
  EXPECT_EQ(std::filesystem::status(dir / "b.gif").permissions(),
            std::filesystem::perms(0640));
  EXPECT_EQ(entries(), 1);

  ASSERT_EQ(::chmod((dir / "b.gif").c_str(), 0444), 0);
  EXPECT_THROW(UnsyncedTemporaryFile(dir / "b.gif", "x", "b.gif"), CartozenError);
  EXPECT_EQ(entries(), 1);
}

TEST(FileSystemTest, WriteLeftoversOfEndedWritersAreRemoved) {
  TempFolder dir;
  const std::string live = ".1_5.GIF.tmp" + std::to_string(::getpid()) + "-0";
  // Names as this version writes them carry the machine: another machine's writer may run.
  const std::string ours = TemporarySibling(dir / "2_7.GIF");
  const std::string host = ours.substr(ours.rfind('@'));
  const std::string otherMachine = ".1_6.GIF.tmp99999999-3@" + host.substr(1) + "x";
  const std::string ended = ".2_7.GIF.tmp99999999-1" + host;
  for (const std::string name :
       {".1_4.GIF.tmp99999999-3", ".E004N50.MAP.part", live.c_str(), "1_4.GIF", ".hidden", "x.part",
        "a.tmp1-1", ended.c_str(), otherMachine.c_str()}) {
    dir.Write(name, "x");
  }
  EXPECT_EQ(RemoveWriteLeftovers(dir.Path()), 3);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    left.push_back(entry.path().filename());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{live, otherMachine, ".hidden", "1_4.GIF", "a.tmp1-1",
                                            "x.part"}));
}

#ifndef CZ_UNDER_ASAN
TEST(ObtainableMemoryTest, StaysWithinTheAddressSpaceLimit) {
  // In a child: the limit stays with it.
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{1u << 30, 1u << 30};
    ::setrlimit(RLIMIT_AS, &limit);
    ::_exit(ObtainableMemoryBytes() < (1u << 30) ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(ObtainableMemoryBytes(), 0u);
}
#endif

TEST(ExecutableFolderTest, EndsWithSeparatorAndCanBeOverridden) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  TempFolder dir;
  OverrideProgramDataFolder(dir.Path());
  EXPECT_EQ(ProgramDataFolder(), dir.Path() + "/");
  OverrideProgramDataFolder("");
  EXPECT_EQ(ProgramDataFolder(), folder);  // the build folder is writable
}

struct DataFolderCase {
  const char* executableFolder;
  bool writable;
  const char* xdgConfigHome;
  const char* home;
  const char* expected;
};

class ProgramDataFolderChoice : public ::testing::TestWithParam<DataFolderCase> {};

TEST_P(ProgramDataFolderChoice, BesideAPortableCopyElsePerUser) {
  const DataFolderCase& c = GetParam();
  EXPECT_EQ(ChooseProgramDataFolder(c.executableFolder, c.writable, c.xdgConfigHome, c.home),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ProgramDataFolderChoice,
    ::testing::Values(
        DataFolderCase{"/home/ann/cz/", true, "/x", "/home/ann", "/home/ann/cz/"},
        DataFolderCase{"/home/ann/cz/", false, "/cfg", "/home/ann", "/cfg/Cartozen2/"},
        DataFolderCase{"/home/ann/cz/", false, "", "/home/ann", "/home/ann/.config/Cartozen2/"},
        DataFolderCase{"/home/ann/cz/", false, nullptr, nullptr, "/home/ann/cz/"},
        // Root may write the package's folders; the program still keeps out of them.
        DataFolderCase{"/usr/bin/", true, nullptr, "/root", "/root/.config/Cartozen2/"},
        DataFolderCase{"/usr/local/bin/", true, "/cfg/", "/root", "/cfg/Cartozen2/"},
        DataFolderCase{"/usrdata/cz/", true, nullptr, "/root", "/usrdata/cz/"}));

}  // namespace
}  // namespace cz
