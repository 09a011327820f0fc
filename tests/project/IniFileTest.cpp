#include "project/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Error.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

TEST(IniFileTest, LooksUpSectionsAndKeysIgnoringCase) {
  TempFolder dir;
  const std::string path =
      dir.Write("a.ini", "[GeoRef]\nTopLeftX=12\n[Options]\r\nMapResolution=3\r\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("georef", "TOPLEFTX", 0), 12);
  EXPECT_EQ(ini.ReadInteger("OPTIONS", "mapresolution", 30), 3);
  EXPECT_EQ(ini.ReadString("Options", "MapResolution", ""), "3");
  EXPECT_TRUE(ini.SectionExists("options"));
  EXPECT_TRUE(ini.ValueExists("GEOREF", "topleftx"));
  EXPECT_FALSE(ini.ValueExists("GeoRef", "TopLeftY"));
}

struct IntegerCase {
  const char* stored;
  std::int32_t expected;  // default is -7
};

class ReadIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ReadIntegerTest, WhollyIntegerOrDefault) {
  TempFolder dir;
  IniFile ini(dir.Write("a.ini", std::string("[S]\nK=") + GetParam().stored + "\n"));
  EXPECT_EQ(ini.ReadInteger("S", "K", -7), GetParam().expected) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadIntegerTest,
    ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"-16200000", -16200000},
                      IntegerCase{"+5", 5}, IntegerCase{" 17 ", 17}, IntegerCase{"", -7},
                      IntegerCase{"12a", -7}, IntegerCase{"1.5", -7}, IntegerCase{"abc", -7},
                      IntegerCase{"2147483647", 2147483647}, IntegerCase{"2147483648", -7},
                      IntegerCase{"-", -7}, IntegerCase{"0x10", -7}));

TEST(IniFileTest, MissingFileOrKeyGivesDefaultsAndWritesNothing) {
  TempFolder dir;
  IniFile ini(dir / "none.ini");
  EXPECT_EQ(ini.ReadInteger("A", "B", 30), 30);
  EXPECT_EQ(ini.ReadString("A", "B", "x"), "x");
  EXPECT_TRUE(ini.ReadSectionKeys("A").empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

TEST(IniFileTest, WritesReachTheDiskAtOnceWithCrLf) {
  TempFolder dir;
  IniFile ini(dir / "new.ini");
  ini.WriteString("General", "Cartozen2", "Version 1");
  EXPECT_EQ(ReadFileBytes(dir / "new.ini"), "[General]\r\nCartozen2=Version 1\r\n");
  ini.WriteInteger("MapViewer", "Latitude", -42);
  ini.WriteString("general", "MapSourcePath", "");
  EXPECT_EQ(
      ReadFileBytes(dir / "new.ini"),
      "[General]\r\nCartozen2=Version 1\r\nMapSourcePath=\r\n[MapViewer]\r\nLatitude=-42\r\n");
  EXPECT_EQ(IniFile(dir / "new.ini").ReadInteger("MAPVIEWER", "latitude", 0), -42);
}

TEST(IniFileTest, PreservesUnknownLinesCommentsAndOrder) {
  TempFolder dir;
  const std::string original =
      "; made by hand\n[B]\nzeta=1\nalpha=2\n\n; trailing comment\n[A]\nstray line\nk=v\n";
  const std::string path = dir.Write("p.ini", original);
  IniFile ini(path);
  ini.WriteString("b", "ALPHA", "3");  // replaced in place, original spelling kept
  ini.WriteString("B", "beta", "4");   // after the last key of B, before its trailing lines
  EXPECT_EQ(ReadFileBytes(path),
            "; made by hand\r\n[B]\r\nzeta=1\r\nalpha=3\r\nbeta=4\r\n\r\n; trailing comment\r\n"
            "[A]\r\nstray line\r\nk=v\r\n");
  EXPECT_EQ(ini.ReadSectionKeys("B"), (std::vector<std::string>{"zeta", "alpha", "beta"}));
}

TEST(IniFileTest, EraseSectionRemovesItsLines) {
  TempFolder dir;
  const std::string path =
      dir.Write("p.ini", "[MapFiles]\r\n/a.tif=0\r\n/b.tif=0\r\n[General]\r\nx=1\r\n");
  IniFile ini(path);
  ini.EraseSection("mapfiles");
  EXPECT_EQ(ReadFileBytes(path), "[General]\r\nx=1\r\n");
  EXPECT_TRUE(ini.ReadSectionKeys("MapFiles").empty());
  ini.WriteString("MapFiles", "/b.tif", "0");
  EXPECT_EQ(ReadFileBytes(path), "[General]\r\nx=1\r\n[MapFiles]\r\n/b.tif=0\r\n");
}

TEST(IniFileTest, ReadOnlyFileRaisesAndStaysUnchanged) {
  TempFolder dir;
  const std::string path = dir.Write("ro.ini", "[S]\r\nK=1\r\n");
  ::chmod(path.c_str(), 0444);
  IniFile ini(path);
  try {
    ini.WriteInteger("S", "K", 2);
    FAIL() << "no error";
  } catch (const CartozenError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=1\r\n");
  EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);  // memory follows the disk
}

TEST(IniFileTest, MissingFolderRaises) {
  TempFolder dir;
  IniFile ini(dir / "no/such/folder.ini");
  EXPECT_THROW(ini.WriteString("S", "K", "v"), CartozenError);
}

TEST(IniFileTest, InterruptedWriteLeavesTheOldFileWhole) {
  // A write that dies before its rename leaves only a temporary file; the settings file keeps
  // its old content, and the leftover is never mistaken for settings.
  TempFolder dir;
  const std::string path = dir.Write("s.ini", "[S]\r\nK=1\r\n");
  dir.Write(".s.ini.tmp999-0", "[S]\r\nK=");  // what a crash mid-write leaves
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
  ini.WriteInteger("S", "K", 2);
  EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=2\r\n");
}

TEST(IniFileTest, BatchWritesOnceAtItsEnd) {
  TempFolder dir;
  const std::string path = dir / "grid.ini";
  IniFile ini(path);
  ini.Batch([&] {
    for (int c = 0; c < 64; ++c) {
      for (int r = 0; r < 64; ++r)
        ini.WriteInteger("GeoRef", "X-" + std::to_string(c) + "/" + std::to_string(r), c * r);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
  });
  IniFile reread(path);
  EXPECT_EQ(reread.ReadInteger("georef", "x-63/63", 0), 63 * 63);
  EXPECT_EQ(reread.ReadSectionKeys("GeoRef").size(), 4096u);
}

TEST(IniFileTest, BatchThatThrowsStillSavesWhatItWrote) {
  TempFolder dir;
  IniFile ini(dir / "b.ini");
  EXPECT_THROW(ini.Batch([&] {
    ini.WriteInteger("S", "A", 1);
    throw CartozenError("stop");
  }),
               CartozenError);
  EXPECT_EQ(ReadFileBytes(dir / "b.ini"), "[S]\r\nA=1\r\n");
}

TEST(IniFileTest, FileFoundInAnotherCase) {
  TempFolder dir;
  dir.Write("Chart.INI", "[Options]\r\nDithering=4\r\n");
  IniFile ini(dir / "chart.ini");
  EXPECT_EQ(ini.ReadInteger("Options", "Dithering", 0), 4);
  ini.WriteInteger("Options", "Dithering", 5);
  EXPECT_EQ(ReadFileBytes(dir / "Chart.INI"), "[Options]\r\nDithering=5\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "chart.ini"));
}

TEST(IniFileTest, TwoWritersOnOneFileKeepEachOthersKeys) {
  // The window holds the project file open while a command-line run adds a source to it.
  TempFolder dir;
  const std::string path = dir / "p.prg";
  IniFile window(path);
  window.WriteString("General", "Cartozen2", "Version 1");
  IniFile run(path);
  run.WriteString("MapFiles", "/maps/a.tif", "0");
  window.WriteInteger("MapViewer", "Latitude", 5);
  window.Batch([&] {
    window.WriteInteger("MapViewer", "Longitude", 6);
    run.WriteString("MapFiles", "/maps/b.tif", "0");  // lands while the batch is open
  });
  // Replaced in place with the same size: still seen.
  std::string text = ReadFileBytes(path);
  text.replace(text.find("Latitude=5"), 10, "Latitude=7");
  dir.Write("p.prg", text);
  EXPECT_EQ(window.ReadSectionKeys("MapFiles"),
            (std::vector<std::string>{"/maps/a.tif", "/maps/b.tif"}));
  EXPECT_EQ(run.ReadInteger("MapViewer", "Longitude", 0), 6);
  EXPECT_EQ(window.ReadInteger("MapViewer", "Latitude", 0), 7);
  EXPECT_EQ(ReadFileBytes(path),
            "[General]\r\nCartozen2=Version 1\r\n[MapFiles]\r\n/maps/a.tif=0\r\n/maps/b.tif=0\r\n"
            "[MapViewer]\r\nLatitude=7\r\nLongitude=6\r\n");
}

TEST(IniFileTest, SnapshotKeepsOneStateOfAFileReplacedWhileItIsRead) {
  // A cell job reads a chart's settings while the operator saves the chart in the window.
  TempFolder dir;
  dir.Write("c.INI", "[GeoRef]\r\nTopLeftX=1\r\nTopLeftY=1\r\n");
  const IniFile snapshot(dir / "c.INI", IniFile::Reading::Snapshot);
  EXPECT_EQ(snapshot.ReadInteger("GeoRef", "TopLeftX", 0), 1);
  AtomicWriteFile(dir / "c.INI", "[GeoRef]\r\nTopLeftX=2\r\nTopLeftY=2\r\n");
  EXPECT_EQ(snapshot.ReadInteger("GeoRef", "TopLeftY", 0), 1);
  EXPECT_EQ(IniFile(dir / "c.INI").ReadInteger("GeoRef", "TopLeftY", 0), 2);
}

// Something that exists under the settings file's name but cannot be read as a file.
enum class Unreadable { Folder, Fifo, NoPermission };

class UnreadableIniFile : public ::testing::TestWithParam<Unreadable> {};

TEST_P(UnreadableIniFile, RaisesAndIsNeverWrittenOver) {
  if (GetParam() == Unreadable::NoPermission && ::geteuid() == 0) {
    GTEST_SKIP() << "root reads any file";
  }
  TempFolder dir;
  const std::string path = dir / "chart.INI";
  const std::string keep = "[GeoRef]\r\nX-0/0=12\r\n";
  const auto makeUnreadable = [&] {
    std::filesystem::remove_all(path);
    if (GetParam() == Unreadable::Folder) std::filesystem::create_directory(path);
    if (GetParam() == Unreadable::Fifo) ::mkfifo(path.c_str(), 0644);
    if (GetParam() == Unreadable::NoPermission) ::chmod(dir.Write("chart.INI", keep).c_str(), 0);
  };
  const std::string message = "Unable to open file '" + path + "'";
  makeUnreadable();
  try {
    IniFile ini(path);
    FAIL() << "read as empty";
  } catch (const CartozenError& error) {
    EXPECT_EQ(error.what(), message);
  }
  // Readable when opened, unreadable when the next write comes.
  std::filesystem::remove_all(path);
  dir.Write("chart.INI", keep);
  IniFile ini(path);
  makeUnreadable();
  try {
    ini.WriteInteger("Options", "Dithering", 1);
    FAIL() << "written over";
  } catch (const CartozenError& error) {
    EXPECT_EQ(error.what(), message);
  }
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(S_ISDIR(st.st_mode), GetParam() == Unreadable::Folder);
  EXPECT_EQ(S_ISFIFO(st.st_mode), GetParam() == Unreadable::Fifo);
  if (GetParam() == Unreadable::NoPermission) {
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(ReadFileBytes(path), keep);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableIniFile,
                         ::testing::Values(Unreadable::Folder, Unreadable::Fifo,
                                           Unreadable::NoPermission));

TEST(IniFileTest, KeysTheFormatCannotHoldAreRefused) {
  for (const char* name :
       {"a=b.tif", " lead.tif", "trail.tif\t", ";x.tif", "[x].tif", "a\nb", ""}) {
    EXPECT_FALSE(IniFile::CanHoldKey(name)) << name;
  }
  for (const char* name : {"/maps/a b;[c].tif", "X-0/0", "k"}) {
    EXPECT_TRUE(IniFile::CanHoldKey(name)) << name;
  }
  TempFolder dir;
  IniFile ini(dir / "k.ini");
  EXPECT_THROW(ini.WriteString("S", "a=b", "0"), CartozenError);
  EXPECT_FALSE(std::filesystem::exists(dir / "k.ini"));
}

}  // namespace
}  // namespace cz
