// Cell jobs on generated charts: four charts over three map cells, made one after another on
// one machine and then cut into cell jobs that run under GNU parallel and in reverse order.
// Every tile and map file must come out byte for byte the same.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "imaging/SampleChart.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;

using testing::Quoted;
using testing::Shell;

struct Chart {
  const char* name;
  SampleChart chart;
  std::vector<std::string> coverage;  // the /B box, or none
};

// Two charts overlap in E004N50, one crosses from W004N50 into it, one lies in E004N58. The
// coverage boxes leave partly covered tiles at every level, which later charts complete: the
// order of the charts shows in the bytes. Corners and boxes are on quarter degrees, which the
// settings files keep exactly.
const std::vector<Chart> kCharts = {
    {"a.tif", {48, 5, 2, 3, 301, 201, {}}, {"47.75", "46.25", "5.25", "7.5"}},
    {"b.tif", {47.5, 6.5, 2, 3, 301, 201, {}}, {"47.25", "45.75", "6.75", "9.25"}},
    {"c.tif", {49, 2, 2, 4, 401, 201, {}}, {"48.75", "47.25", "2.5", "5.5"}},
    {"d.tif", {53, 6, 2, 2, 201, 201, {}}, {}},
};

std::string Number(double value) {
  std::string text = std::to_string(value);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

// The program folder with a copy of cartozen2; runs it without a display.
class Program {
 public:
  Program() { fs::copy_file(std::string(CARTOZEN_BIN_DIR) + "/cartozen2", folder_ / "cartozen2"); }

  std::string operator/(const std::string& name) const { return folder_ / name; }
  void Write(const std::string& name, const std::string& bytes) const {
    folder_.Write(name, bytes);
  }

  // A shell command line, run in the program folder; its output in Out() and Err().
  int Run(const std::string& commandLine) const {
    return Shell("cd " + Quoted(folder_.Path()) +
                 " && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && { " + commandLine + "; } >" +
                 Quoted(streams_ / "out") + " 2>" + Quoted(streams_ / "err"));
  }
  std::string Out() const { return ReadFileBytes(streams_ / "out"); }
  std::string Err() const { return ReadFileBytes(streams_ / "err"); }

  // The project's charts made one after another in list order by the pipeline, then /M.
  void MakeProjectOnOneMachine(const std::string& project) const {
    fs::create_directories(folder_ / (project + "/Map sources"));
    for (std::size_t i = 0; i < kCharts.size(); ++i) {
      const Chart& chart = kCharts[i];
      WriteSampleChart(chart.chart, folder_ / (project + "/Map sources/" + chart.name));
      const SampleChart& c = chart.chart;
      std::string line = "./cartozen2 /P " + project + " /S " + chart.name + " /X " +
                         Number(c.North) + " " + Number(c.West) + " " + Number(c.LatitudeExtent) +
                         " " + Number(c.LongitudeExtent) + " /R 4 /R 2 /R 1 /R 0.5 /R 0.25";
      if (!chart.coverage.empty()) {
        line += " /B";
        for (const std::string& edge : chart.coverage) line += " " + edge;
      }
      if (i + 1 == kCharts.size()) line += " /M";
      ASSERT_EQ(Run(line), 0) << line << "\n" << Err();
    }
  }

 private:
  TempFolder folder_;
  TempFolder streams_;
};

// Every file of the project's tiles and map files, by name.
std::map<std::string, std::string> Output(const std::string& project) {
  std::map<std::string, std::string> files;
  for (const char* sub : {"Tiles", "EFIS Maps"}) {
    for (const auto& entry : fs::directory_iterator(project + "/" + sub)) {
      files[std::string(sub) + "/" + entry.path().filename().string()] =
          ReadFileBytes(entry.path());
    }
  }
  return files;
}

bool HasParallel() {
  return Shell("parallel --version >/dev/null 2>&1") == 0;
}

TEST(CellJobs, AnyOrderAndAnyNumberAtOnceGiveTheOneMachineBytes) {
  if (!HasParallel()) GTEST_SKIP() << "GNU parallel is not installed";
  const Program program;
  program.MakeProjectOnOneMachine("One");
  const std::string settingsBefore = ReadFileBytes(program / "Cartozen2.ini");

  // Two more projects listing the same charts, and one chart that is gone.
  for (const std::string name : {"Two", "Three"}) {
    std::string list = ReadFileBytes(program / "One/One.prg");
    const std::string section = "[MapFiles]\r\n";
    list.insert(list.find(section) + section.size(), program / "gone.tif" + "=0\r\n");
    program.Write(name + "/" + name + ".prg", list);
  }
  const std::string projectFile = ReadFileBytes(program / "Two/Two.prg");

  ASSERT_EQ(program.Run("./cartozen2 /P Two /J"), 0) << program.Err();
  const std::string jobs = program.Out();
  const std::string head = Quoted(program / "cartozen2") + " /P " + Quoted(program / "Two");
  EXPECT_EQ(jobs, head + " /C 58 4\n" + head + " /C 50 -4\n" + head + " /C 50 4\n");
  EXPECT_NE(program.Err().find("Skipped gone.tif due missing data"), std::string::npos);
  std::ofstream(program / "jobs.txt") << jobs;
  EXPECT_EQ(program.Run("parallel --halt now,fail=1 -j 2 < jobs.txt"), 0) << program.Err();

  ASSERT_EQ(program.Run("./cartozen2 /P Three /J | tac | parallel -j 1"), 0) << program.Err();

  const std::map<std::string, std::string> expected = Output(program / "One");
  EXPECT_EQ(expected.size(), 356u);  // 353 tiles, 3 map files
  EXPECT_TRUE(Output(program / "Two") == expected);
  EXPECT_TRUE(Output(program / "Three") == expected);
  // The jobs wrote neither the project file nor the program's settings, logged nothing, and
  // left no snapshot behind.
  EXPECT_EQ(ReadFileBytes(program / "Two/Two.prg"), projectFile);
  EXPECT_EQ(ReadFileBytes(program / "Cartozen2.ini"), settingsBefore);
  EXPECT_FALSE(fs::exists(program / "Error.txt"));
  EXPECT_TRUE(fs::is_empty(program / "Two/Temp"));
}

// A chart across 180° reaches the two cells that meet there; their jobs give the one-machine
// bytes too.
TEST(CellJobs, CellsOnBothSidesOfTheDateLine) {
  const Program program;
  fs::create_directories(program / "One/Map sources");
  WriteSampleChart({53, 178, 3, 4, 401, 301, {}}, program / "One/Map sources/line.tif");
  ASSERT_EQ(program.Run("./cartozen2 /P One /S line.tif /X 53 178 3 4 /R 4 /R 1 /M"), 0)
      << program.Err();
  program.Write("Two/Two.prg", ReadFileBytes(program / "One/One.prg"));
  ASSERT_EQ(program.Run("./cartozen2 /P Two /J"), 0) << program.Err();
  const std::string head = Quoted(program / "cartozen2") + " /P " + Quoted(program / "Two");
  EXPECT_EQ(program.Out(), head + " /C 58 -180\n" + head + " /C 58 172\n");
  ASSERT_EQ(program.Run("./cartozen2 /P Two /J | sh"), 0) << program.Err();
  const std::map<std::string, std::string> expected = Output(program / "One");
  EXPECT_EQ(expected.size(), 16u);  // 12 + 2 tiles, E172N58.MAP and W180N58.MAP
  EXPECT_TRUE(expected.count("EFIS Maps/E172N58.MAP") && expected.count("EFIS Maps/W180N58.MAP"));
  EXPECT_TRUE(Output(program / "Two") == expected);
}

TEST(CellJobs, BadCellsAndSwitchesAreSaidAndWriteNothing) {
  const Program program;
  fs::create_directories(program / "P/Tiles");
  program.Write("P/P.prg", "[MapFiles]\r\n");
  const struct {
    std::string arguments;
    int status;
    std::string said;  // on standard output for status 0, else in the log
  } cases[] = {
      {"/P P /C 2 -4", 0, "No chart of the project reaches the map cell W004N02: nothing to do\n"},
      {"/P P /C 49 6", 1, "[/C 49 6] Not a map cell corner: /C 49 6 (a map cell is named"},
      {"/P P /C 50 4x", 1, "[/C 50 4x] Not a map cell corner: /C 50 4x"},
      {"/P P /C 50 4 /R 1", 1, "[/C 50 4] /R cannot be given with /C or /J"},
      {"/P P /J /C 50 4", 1, "[/C 50 4] /C and /J cannot be given together"},
      {"/C 50 4", 1, "[/C 50 4] A cell job (/C) or the job list (/J) needs the project"},
      {"/P Nowhere /J", 1, "[/J] Project folder "},
  };
  for (const auto& c : cases) {
    fs::remove(program / "Error.txt");
    EXPECT_EQ(program.Run("./cartozen2 " + c.arguments), c.status) << c.arguments;
    if (c.status == 0) {
      EXPECT_EQ(program.Out(), c.said) << c.arguments;
      EXPECT_FALSE(fs::exists(program / "Error.txt")) << c.arguments;
    } else {
      EXPECT_EQ(ReadFileBytes(program / "Error.txt").rfind(c.said, 0), 0u)
          << c.arguments << ": " << ReadFileBytes(program / "Error.txt");
      // The scheduler's per-job log has it too.
      EXPECT_NE(program.Err().find(c.said.substr(c.said.find(']') + 2)), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(program / "P/Tiles")) << c.arguments;
    EXPECT_FALSE(fs::exists(program / "Cartozen2.ini")) << c.arguments;
  }
}

}  // namespace
}  // namespace cz
