// The whole program on generated charts: a copy of the built cartozen2 beside a project folder
// in a fresh temporary folder, started with switches and without a display, as a script or a
// cron job would. What it leaves behind is checked file by file, the map files with
// efismap-info.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "efismap/MapFileCheck.h"
#include "geo/TileGrid.h"
#include "imaging/SampleChart.h"
#include "platform/BinaryFile.h"
#include "platform/ProgramVersion.h"
#include "project/IniFile.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;

const std::string kBin = CARTOZEN_BIN_DIR;

using testing::Quoted;
using testing::Shell;

struct ProgramRun {
  int status = -1;
  bool logExists = false;
  std::string log;
  std::string standardOutput;
  std::string standardError;
};

// The program folder with a copy of cartozen2 and a project "Alps" holding the generated
// chart alps.tif (48°N 6°E, 2° × 4°) in its "Map sources".
class ProgramFolder {
 public:
  ProgramFolder() {
    fs::copy_file(kBin + "/cartozen2", folder_ / "cartozen2");
    fs::create_directories(Project() + "/Map sources");
    WriteSampleChart({48, 6, 2, 4, 401, 201, {{47, 8}, {47.5, 7}}},
                     Project() + "/Map sources/alps.tif");
  }

  std::string Path() const { return folder_.Path(); }
  std::string Project() const { return folder_ / "Alps"; }
  std::string operator/(const std::string& name) const { return folder_ / name; }

  // fileSizeLimit: the largest file the run may write, in KiB (ulimit -f), 0 for none.
  // environment: "NAME=value ..." for the run.
  ProgramRun Run(const std::vector<std::string>& arguments, int fileSizeLimit = 0,
                 const std::string& environment = "") const {
    std::string command = "cd " + Quoted(folder_.Path()) + " && ";
    if (fileSizeLimit > 0) command += "ulimit -f " + std::to_string(fileSizeLimit) + " && ";
    command += "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment +
               " timeout 120 ./cartozen2";
    for (const std::string& argument : arguments) {
      command += ' ';
      command += Quoted(argument);
    }
    command += " >" + Quoted(streams_ / "out") + " 2>" + Quoted(streams_ / "err");
    ProgramRun run;
    run.status = Shell(command);
    run.logExists = fs::exists(folder_ / "Error.txt");
    if (run.logExists) run.log = ReadFileBytes(folder_ / "Error.txt");
    run.standardOutput = ReadFileBytes(streams_ / "out");
    run.standardError = ReadFileBytes(streams_ / "err");
    return run;
  }

  // Runs the program and sends it SIGINT once its first tile is in place.
  ProgramRun RunInterrupted(const std::vector<std::string>& arguments) const {
    std::string command = "cd " + Quoted(folder_.Path()) +
                          " && { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                          "timeout 120 ./cartozen2";
    for (const std::string& argument : arguments) command += ' ' + Quoted(argument);
    command +=
        " >/dev/null 2>&1 & pid=$!; "
        "until ls Alps/Tiles 2>/dev/null | grep -q GIF; do sleep 0.02; done; "
        "kill -INT $pid; wait $pid; }";
    ProgramRun run;
    run.status = Shell(command);
    run.logExists = fs::exists(folder_ / "Error.txt");
    if (run.logExists) run.log = ReadFileBytes(folder_ / "Error.txt");
    return run;
  }

  std::set<std::string> Files(const std::string& subFolder) const {
    std::set<std::string> names;
    const std::string path = Project() + "/" + subFolder;
    if (!fs::is_directory(path)) return names;
    for (const auto& entry : fs::directory_iterator(path)) names.insert(entry.path().filename());
    return names;
  }

 private:
  TempFolder folder_;
  TempFolder streams_;  // the run's standard output and error, outside the program folder
};

struct ExpectedTile {
  std::string name;  // "L_P.GIF"
  std::string map;   // "E004N50.MAP"
  std::int32_t slot;
};

// The tiles of a level whose north-west corners lie on the chart.
std::vector<ExpectedTile> TilesOnTheChart(TileLevel level) {
  const double step = TileStep(level) / 180000.0;
  std::vector<ExpectedTile> tiles;
  for (double lat = 48.0; lat > 46.0 + 1e-9; lat -= step) {
    for (double lon = 6.0; lon < 10.0 - 1e-9; lon += step) {
      const TilePosition position = TilePositionOf(level, static_cast<int>((lon + 180.0) / step),
                                                   static_cast<int>((90.0 - lat) / step));
      const MapCellSlot cell = MapCellOfTile(level, position);
      tiles.push_back(
          {std::to_string(level) + "_" + std::to_string(position) + ".GIF", cell.name, cell.index});
    }
  }
  return tiles;
}

const std::vector<std::string> kTypicalRun = {"/P", "Alps", "/S", "alps.tif", "/X", "48", "6",
                                              "2",  "4",    "/R", "0.5",      "/R", "1",  "/M"};

TEST(ProgramPipeline, InterruptStopsBetweenTilesLogsAndLeavesNoTemporaryFile) {
  const ProgramFolder program;
  const std::vector<std::string> manyTiles = {"/P", "Alps", "/S", "alps.tif", "/X", "48",  "6",
                                              "2",  "4",    "/R", "0.25",     "/R", "0.5", "/M"};
  const ProgramRun run = program.RunInterrupted(manyTiles);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log, "Tile creation cancelled\r\n");
  const std::set<std::string> tiles = program.Files("Tiles");
  EXPECT_FALSE(tiles.empty());
  EXPECT_LT(tiles.size(), TilesOnTheChart(0).size() + TilesOnTheChart(1).size());
  for (const std::string& name : tiles) EXPECT_NE(name.front(), '.') << name;
  EXPECT_TRUE(program.Files("EFIS Maps").empty());  // /M does not follow a cancelled run
  // Closing saved the settings as after any run.
  EXPECT_EQ(IniFile(program.Project() + "/Map sources/alps.INI")
                .ReadInteger("Options", "MapResolution", 0),
            3);
}

TEST(ProgramPipeline, TypicalRunLeavesSettingsTilesAndASoundMapFile) {
  const ProgramFolder program;
  const ProgramRun run = program.Run(kTypicalRun);
  EXPECT_EQ(run.status, 0);
  EXPECT_FALSE(run.logExists) << run.log;
  // Nothing went wrong, so nothing on standard error (not even Qt's remarks about the
  // missing display); the map builder's progress goes to standard output.
  EXPECT_EQ(run.standardError, "");
  EXPECT_NE(run.standardOutput.find("Adding tile "), std::string::npos);

  // The fresh settings file: the reference keys, the options, and the regular grid.
  const IniFile settings(program.Project() + "/Map sources/alps.INI");
  const std::array<std::pair<const char*, std::int32_t>, 10> geoRef = {{
      {"TopLeftLatitude", 48 * 180000},
      {"TopLeftLongitude", 6 * 180000},
      {"TopLeftY", 0},
      {"TopLeftX", 0},
      {"BottomRightLatitude", 46 * 180000},
      {"BottomRightLongitude", 10 * 180000},
      {"BottomRightY", 200},
      {"BottomRightX", 400},
      {"SkewLeft", 0},
      {"SkewRight", 0},
  }};
  for (const auto& [key, value] : geoRef) {
    EXPECT_TRUE(settings.ValueExists("GeoRef", key)) << key;
    EXPECT_EQ(settings.ReadInteger("GeoRef", key, -1), value) << key;
  }
  EXPECT_EQ(settings.ReadInteger("Options", "MapResolution", -1), 6);
  EXPECT_EQ(settings.ReadInteger("Options", "GeoReferencingType", -1), 1);
  EXPECT_EQ(settings.ReadInteger("Options", "ColorReduction", -1), 0);
  EXPECT_EQ(settings.ReadInteger("Options", "Dithering", -1), 0);
  for (int c = 0; c <= 5; ++c) {
    for (int r = 0; r <= 3; ++r) {
      const std::string at = std::to_string(c) + "/" + std::to_string(r);
      EXPECT_EQ(settings.ReadInteger("GeoRef", "XYSHIFT-" + at, -1), 1) << at;
      EXPECT_EQ(settings.ReadInteger("GeoRef", "X-" + at, -1), 100 * c) << at;
      EXPECT_EQ(settings.ReadInteger("GeoRef", "Y-" + at, -1), 100 * r) << at;
    }
  }

  // Exactly the tiles of 0.5° and 1° per tile over the chart.
  std::vector<ExpectedTile> expected = TilesOnTheChart(1);
  for (const ExpectedTile& tile : TilesOnTheChart(2)) expected.push_back(tile);
  std::set<std::string> names;
  for (const ExpectedTile& tile : expected) {
    names.insert(tile.name);
    EXPECT_EQ(tile.map, "E004N50.MAP");
  }
  EXPECT_EQ(names.size(), 32u + 8u);
  EXPECT_EQ(program.Files("Tiles"), names);

  // One map file, sound by efismap-info, holding exactly those tiles in their slots, each
  // record the tile file's bytes.
  EXPECT_EQ(program.Files("EFIS Maps"), std::set<std::string>{"E004N50.MAP"});
  const std::string map = program.Project() + "/EFIS Maps/E004N50.MAP";
  EXPECT_EQ(Shell(Quoted(kBin + "/efismap-info") + " " + Quoted(map) + " >/dev/null"), 0);
  BinaryFile file(map, BinaryFile::Mode::Read);
  std::vector<char> buffer(64 * 1024);
  const MapFileReport report = InspectMapFile(file, buffer);
  EXPECT_TRUE(report.Sound());
  std::set<std::pair<int, int>> slots;
  for (const MapTileEntry& tile : report.tiles) slots.insert({tile.level, tile.slot});
  std::set<std::pair<int, int>> expectedSlots;
  for (const ExpectedTile& tile : expected) {
    expectedSlots.insert({tile.name[0] - '0', tile.slot});
  }
  EXPECT_EQ(slots, expectedSlots);
  EXPECT_EQ(report.unreferencedCount, 0u);

  // The project is the folder's own project file, remembered for the next start.
  const IniFile projectFile(program.Project() + "/Alps.prg");
  EXPECT_EQ(projectFile.ReadSectionKeys("MapFiles"),
            std::vector<std::string>{program.Project() + "/Map sources/alps.tif"});
  const IniFile appSettings(program / "Cartozen2.ini");
  EXPECT_EQ(appSettings.ReadString("Cartozen2", "LastProjectPath", ""), program.Project());
  EXPECT_EQ(appSettings.ReadString("Cartozen2", "LastProjectName", ""), "Alps.prg");
}

// --help, -h and --version answer on standard output and touch no file, not even the log of
// an earlier run; after the first argument they are ordinary arguments.
struct StandardOptionCase {
  std::vector<std::string> arguments;
  std::string outputStart;
};

class ProgramStandardOptions : public ::testing::TestWithParam<StandardOptionCase> {};

TEST_P(ProgramStandardOptions, AnswerAndTouchNoFile) {
  const ProgramFolder program;
  std::ofstream(program / "Error.txt", std::ios::binary) << "earlier\r\n";
  const ProgramRun run = program.Run(GetParam().arguments);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardOutput.rfind(GetParam().outputStart, 0), 0u) << run.standardOutput;
  EXPECT_EQ(run.standardError, "");
  EXPECT_EQ(run.log, "earlier\r\n");
  EXPECT_FALSE(fs::exists(program / "Cartozen2.ini"));
  EXPECT_FALSE(fs::exists(program.Project() + "/Alps.prg"));
}

INSTANTIATE_TEST_SUITE_P(
    Options, ProgramStandardOptions,
    ::testing::Values(StandardOptionCase{{"--help"}, "Usage: cartozen2 "},
                      StandardOptionCase{{"-h"}, "Usage: cartozen2 "},
                      StandardOptionCase{{"--version"},
                                         std::string("cartozen2 ") + kProgramVersion + "\n"},
                      StandardOptionCase{{"--help", "/P", "Alps", "/M"}, "Usage: cartozen2 "}));

// Without a display the run needs no toolkit: with QT_DEBUG_PLUGINS set, Qt would report on
// standard error every plugin it looks for, the platform plugin first.
TEST(ProgramPipeline, DisplaylessRunLoadsNoQtPlugin) {
  const ProgramFolder program;
  const ProgramRun run =
      program.Run({"/P", "Alps", "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "4"}, 0,
                  "QT_DEBUG_PLUGINS=1");
  EXPECT_EQ(run.status, 0);
  EXPECT_FALSE(run.logExists) << run.log;
  EXPECT_EQ(run.standardError, "");
  EXPECT_FALSE(program.Files("Tiles").empty());
}

TEST(ProgramPipeline, SameRunTwiceGivesByteIdenticalMapFiles) {
  const ProgramFolder program;
  ASSERT_EQ(program.Run(kTypicalRun).status, 0);
  const std::string map = program.Project() + "/EFIS Maps/E004N50.MAP";
  const std::string first = ReadFileBytes(map);
  ASSERT_EQ(program.Run({"/P", "Alps", "/D"}).status, 0);
  EXPECT_TRUE(program.Files("Tiles").empty());
  ASSERT_EQ(program.Run(kTypicalRun).status, 0);
  EXPECT_EQ(ReadFileBytes(map), first);
}

TEST(ProgramPipeline, MakeMapsAloneBuildsTheProjectOfThePreviousRun) {
  const ProgramFolder program;
  ASSERT_EQ(
      program.Run({"/P", "Alps", "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "2"}).status,
      0);
  EXPECT_TRUE(program.Files("EFIS Maps").empty());
  const ProgramRun run = program.Run({"/M"});
  EXPECT_EQ(run.status, 0);
  EXPECT_FALSE(run.logExists) << run.log;
  EXPECT_EQ(program.Files("EFIS Maps"), std::set<std::string>{"E004N50.MAP"});
}

// Runs that end without a log (nothing to do, or nothing asked) or with one line of it.
struct EdgeCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* log;  // empty: none
  bool tilesMade;
  bool mapsMade;
  const char* cause = "";  // said on standard error beside the log, never in it
};

class ProgramEdgeCases : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ProgramEdgeCases, EndAsDescribed) {
  const EdgeCase& c = GetParam();
  const ProgramFolder program;
  fs::create_directories(program / "tree");
  std::ofstream(program.Project() + "/Map sources/broken.tif") << "not a tiff";
  const ProgramRun run = program.Run(c.arguments);
  if (std::string(c.log).empty()) {
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(run.logExists) << run.log;
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.log, std::string(c.log) + "\r\n");
    EXPECT_NE(run.standardError.find(c.cause), std::string::npos) << run.standardError;
  }
  EXPECT_EQ(!program.Files("Tiles").empty(), c.tilesMade);
  EXPECT_EQ(!program.Files("EFIS Maps").empty(), c.mapsMade);
}

const char kLoadFailure[] =
    "The map image failed to load. The operating system is not providing suffient linear "
    "memory to contain the image in full. The image requires 0 bytes. Try reducing the image "
    "resolution or cut the image into two parts using a suitable image editor.";

INSTANTIATE_TEST_SUITE_P(
    Runs, ProgramEdgeCases,
    ::testing::Values(
        EdgeCase{"NoResolution",
                 {"/P", "Alps", "/S", "alps.tif", "/X", "48", "6", "2", "4"},
                 "",
                 false,
                 false},
        EdgeCase{"ImportThenProject",
                 {"/E", "48",       "8",  "0",  "1", "2", "3", "4",  "/P", "Alps",
                  "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "1",  "/M"},
                 "",
                 false,
                 false},
        // Without a display nobody could carry on, so /N closes too; nothing is made.
        EdgeCase{"NoProcessingWithMakeMaps",
                 {"/P", "Alps", "/S", "alps.tif", "/X", "48", "6", "2", "4", "/R", "1", "/N", "/M"},
                 "",
                 false,
                 false},
        EdgeCase{"MissingSource",
                 {"/P", "Alps", "/S", "nothere.tif", "/X", "48", "6", "2", "4", "/R", "1"},
                 "Cannot find Map source file nothere.tif",
                 false,
                 false},
        EdgeCase{"FailedLoad",
                 {"/P", "Alps", "/S", "broken.tif", "/X", "48", "6", "2", "4", "/R", "1"},
                 kLoadFailure,
                 false,
                 false,
                 "Cannot load broken.tif: Unable to open file '"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramPipeline, ErrorInsideTheRunIsLoggedAndEndsItWithoutMaps) {
  const ProgramFolder program;
  // The chart's settings as an operator left them; the refused run closes (and saves) without
  // losing them.
  const std::string settings = program.Project() + "/Map sources/alps.INI";
  std::ofstream(settings, std::ios::binary)
      << "[GeoRef]\r\nTopLeftLatitude=8640000\r\nTopLeftLongitude=1080000\r\n"
         "[Options]\r\nMapResolution=4\r\n";
  const ProgramRun run =
      program.Run({"/P", "Alps", "/S", "alps.tif", "/X", "48", "6", "0.5", "4", "/R", "1", "/M"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log.rfind("Cannot georeference ", 0), 0u) << run.log;
  EXPECT_TRUE(program.Files("Tiles").empty());
  EXPECT_TRUE(program.Files("EFIS Maps").empty());
  const IniFile kept(settings);
  EXPECT_EQ(kept.ReadInteger("GeoRef", "TopLeftLatitude", -1), 8640000);
  EXPECT_EQ(kept.ReadInteger("GeoRef", "TopLeftLongitude", -1), 1080000);
  EXPECT_EQ(kept.ReadInteger("Options", "MapResolution", -1), 4);
}

// GeoTIFFs of hostile GeoKeys (the fuzz corpus keeps them: absurd units, offsets, ellipsoids,
// shifts, NaNs). Each run is refused with the file's name and ends with status 1, never by a
// signal, whatever libgeotiff and PROJ would have made of the values.
TEST(ProgramPipeline, HostileGeoTiffsAreRefusedByName) {
  const ProgramFolder program;
  int tried = 0;
  for (const auto& entry : fs::directory_iterator(CARTOZEN_SOURCE_DIR "/fuzz/corpus/geotiff")) {
    const std::string name = entry.path().filename();
    if (name.rfind("hostile-", 0) != 0) continue;
    ++tried;
    fs::copy_file(entry.path(), program.Project() + "/Map sources/" + name);
    const ProgramRun run = program.Run({"/P", "Alps", "/S", name, "/G", "/R", "1"});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.log.rfind("Cannot use the georeference of " + name + ": ", 0), 0u)
        << name << ": " << run.log;
  }
  EXPECT_GT(tried, 10);
}

// Files under a final name in a folder of the project, with their bytes.
std::map<std::string, std::string> Contents(const ProgramFolder& program, const std::string& sub) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : program.Files(sub)) {
    contents[name] = ReadFileBytes(program.Project() + "/" + sub + "/" + name);
  }
  return contents;
}

// A full disk, as a file-size limit makes it (tiles are 12 to 27 KB here, the map file 770 KB,
// the chart's settings file 1.2 KB, the project file and the log below 1 KB). Each phase ends
// with "Unable to write to " + the file, exit status 1, the files written before untouched and
// nothing partial under a final name.
TEST(ProgramPipeline, FullDiskEndsEachPhaseWithItsFileAndKeepsEarlierFiles) {
  const ProgramFolder program;
  const std::string sources = program.Project() + "/Map sources/";
  const std::string maps = program.Project() + "/EFIS Maps/";

  // The settings save: the chart's settings as an operator left them, larger than the limit.
  const std::string settings = "[Options]\r\nMapResolution=4\r\n" + std::string(1100, ';') + "\r\n";
  std::ofstream(sources + "alps.INI", std::ios::binary) << settings;
  ProgramRun run = program.Run(kTypicalRun, 1);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log, "Unable to write to " + sources + "alps.INI\r\n");
  EXPECT_EQ(ReadFileBytes(sources + "alps.INI"), settings);
  EXPECT_TRUE(program.Files("Tiles").empty());
  fs::remove(sources + "alps.INI");

  // Tile writing: the settings are written, no tile is.
  run = program.Run(kTypicalRun, 4);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log.rfind("Unable to write to " + program.Project() + "/Tiles/", 0), 0u) << run.log;
  EXPECT_EQ(IniFile(sources + "alps.INI").ReadInteger("GeoRef", "X-5/3", -1), 500);
  EXPECT_TRUE(program.Files("Tiles").empty());

  // Map building: tiles and the map of a full run stay as they were.
  ASSERT_EQ(program.Run(kTypicalRun).status, 0);
  const auto tiles = Contents(program, "Tiles");
  const auto mapFiles = Contents(program, "EFIS Maps");
  run = program.Run({"/M"}, 100);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log.rfind("Unable to write to ", 0), 0u) << run.log;
  EXPECT_NE(run.log.find("E004N50.MAP"), std::string::npos) << run.log;
  EXPECT_EQ(Contents(program, "Tiles"), tiles);
  EXPECT_EQ(Contents(program, "EFIS Maps"), mapFiles);
  EXPECT_EQ(program.Files("EFIS Maps"), std::set<std::string>{"E004N50.MAP"});  // nothing hidden
}

}  // namespace
}  // namespace cz
