// Charts across 180° through the whole command-line run: tiles on both sides of the line, the
// two map files of the cells that meet there, and the viewer's picture across the join
// (support/AntimeridianChart.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "batch/CommandLine.h"
#include "efismap/MapViewer.h"
#include "imaging/GifImageDecoder.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "port/ErrorLog.h"
#include "project/IniFile.h"
#include "support/AntimeridianChart.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/CommandLineRun.h"
#include "workspace/ProjectCommands.h"

namespace cz {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

constexpr double kChartMargin = 1.5 * testing::kAntimeridianPixelSize / 111000 / 0.6;

class AntimeridianRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OverrideProgramDataFolder(program.Path() + "/");
    project = program / "Pacific";
    fs::create_directories(project + "/Map sources");
    WriteSampleGeoTiff(testing::AntimeridianChart(), project + "/Map sources/aleutians.tif");
  }
  void TearDown() override { OverrideProgramDataFolder(""); }

  void Run(const std::vector<std::string>& arguments) {
    StartUpProject(state.Project);
    CommandLineBatch(state, ui, CommandArguments(arguments), host);
    EXPECT_FALSE(FileExists(ErrorLogPath())) << ReadFileBytes(ErrorLogPath());
  }
  std::vector<std::string> FilesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(project + "/" + folder)) {
      names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every tile written is right within area; the levels seen on each side of the line.
  std::set<std::pair<int, bool>> CheckTiles(const LatLonBox& area) {
    std::set<std::pair<int, bool>> seen;
    for (const std::string& name : FilesIn("Tiles")) {
      const auto level = static_cast<TileLevel>(name[0] - '0');
      const TilePosition position = std::stoi(name.substr(2));
      const Raster32 tile = DecodeGifImage(ReadFileBytes(project + "/Tiles/" + name), name);
      const testing::TileTally tally =
          testing::CheckAntimeridianTile(tile, level, position, area, kChartMargin);
      EXPECT_TRUE(tally.Right()) << name << ": " << tally.matching << " of " << tally.checked
                                 << ", " << tally.litOutside << " painted outside";
      seen.insert({level, testing::EastOfTheLine(level, position)});
    }
    return seen;
  }

  testing::TempFolder program;
  std::string project;
  AppState state;
  testing::RecordingUserInterface ui;
  CommandLineHost host;
};

std::set<std::pair<int, bool>> BothSides(std::initializer_list<int> levels) {
  std::set<std::pair<int, bool>> sides;
  for (const int level : levels) sides.insert({{level, false}, {level, true}});
  return sides;
}

// /G at every level and /M: both cells' map files, and a view centred on the line shows the
// chart on both sides of it with no seam.
TEST_F(AntimeridianRunTest, ChartOwnGeoreferenceFillsBothSidesAndTheViewerShowsNoSeam) {
  Run({"/P", project, "/S", "aleutians.tif", "/G", "/R", "0.25", "/R", "0.5", "/R", "1", "/R", "2",
       "/R", "4", "/M"});
  EXPECT_EQ(IniFile(project + "/Map sources/aleutians.INI")
                .ReadInteger("GeoRef", "BottomRightLongitude", 0),
            182 * 180000);
  EXPECT_EQ(CheckTiles({53, 50, 178, 182}), BothSides({0, 1, 2, 3, 4}));
  EXPECT_EQ(FilesIn("EFIS Maps"), (std::vector<std::string>{"E172N58.MAP", "W180N58.MAP"}));

  for (const TileLevel level : {TileLevel{0}, TileLevel{2}, TileLevel{4}}) {
    MapViewer viewer;
    viewer.DrawView(project, {51.5, 180}, level);
    const Raster32& view = viewer.ViewBuffer();
    // Buffer pixel 640 shows the centre; a 1° tile of this row is W pixels wide.
    const double step = TileStep(level) / double(kOneDegree);
    const double width = TileWidthAt(DegreesToGeoCoord(51.5), level);
    std::int64_t west = 0, east = 0, wrong = 0;
    for (std::int32_t y = 600; y < 680; ++y) {
      const double lat = 51.5 - (y - 640) * step / kTileHeight;
      // Within the chart's 2° either side of the line.
      const auto reach = static_cast<std::int32_t>(std::min(200.0, width * 1.8 / step));
      for (std::int32_t x = 640 - reach; x < 640 + reach; ++x) {
        const double lon = 180 + (x - 640) * step / width;
        if (std::abs(lon * 6 - std::nearbyint(lon * 6)) < 0.02 ||
            std::abs(lat * 6 - std::nearbyint(lat * 6)) < 0.02) {
          continue;
        }
        (x < 640 ? west : east) += 1;
        wrong += (view.At(x, y) | 0xFF000000u) != SampleGeoTiffColour({lat, lon});
      }
    }
    EXPECT_GT(west, 4000);
    EXPECT_GT(east, 4000);
    EXPECT_LE(wrong, (west + east) * 3 / 100) << "level " << int(level);
  }
}

// /X as a plain latitude/longitude chart: a geographic GeoTIFF of the same checker, 178° E to
// 178° W, placed by /X 53 178 3 4; and /G of the same file, whose longitudes run past 180°.
TEST_F(AntimeridianRunTest, PlainLatitudeLongitudeChartAcrossTheLineByXAndByG) {
  constexpr double kPixel = 1.0 / 300;
  const SampleGeoTiff plain{"", 4326, 178 - kPixel / 2, 53 + kPixel / 2, kPixel, 1201, 901, false};
  WriteSampleGeoTiff(plain, project + "/Map sources/plain.tif");
  Run({"/P", project, "/S", "plain.tif", "/X", "53", "178", "3", "4", "/R", "1", "/R", "4"});
  EXPECT_EQ(CheckTiles({53, 50, 178, 182}), BothSides({2, 4}));
  Run({"/P", project, "/S", "plain.tif", "/G", "/R", "1", "/R", "4"});
  EXPECT_EQ(state.Source.GeoRef.GridLeftLongitude, 178);
  EXPECT_EQ(state.Source.GeoRef.NLon, 4);
  EXPECT_EQ(CheckTiles({53, 50, 178, 182}), BothSides({2, 4}));
}

// A coverage box across the line, typed west to east as the earth names them: tiles on both
// sides, painted up to the box and nowhere beyond it (CheckTiles).
TEST_F(AntimeridianRunTest, CoverageBoxAcrossTheLinePaintsUpToItOnBothSides) {
  Run({"/P", project, "/S", "aleutians.tif", "/G", "/B", "52.5", "50.25", "178.5", "-178.5", "/R",
       "0.5", "/R", "2"});
  EXPECT_EQ(CheckTiles({52.5, 50.25, 178.5, 181.5}), BothSides({1, 3}));
}

}  // namespace
}  // namespace cz
