#include "workspace/SourceLoading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "georef/ChartGeoReference.h"
#include "georef/SampleGeoTiff.h"
#include "imaging/ChartSamples.h"
#include "imaging/SourceImage.h"
#include "imaging/SourceView.h"
#include "project/CoverageSettings.h"
#include "project/IniFile.h"
#include "project/Project.h"
#include "support/ControlPointCharts.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/AppState.h"
#include "workspace/ChartGeoReferenceCommands.h"

namespace cz::testing {
namespace {

// Records what the grid drawing would see: the skew read from the settings file.
class GridWatchingView : public SourceView {
 public:
  void DrawGridFromGeoRef(GeoReference& geoRef, UserInterface&) override {
    skewsSeen.push_back(geoRef.SkewLeft);
  }
  std::vector<std::int32_t> skewsSeen;
};

std::string WriteBmp(const TempFolder& folder, const std::string& name) {
  BmpLayout layout{4, 3, 24, 0, {}, {}, 40};
  return folder.Write(name, BuildBmp(layout, std::string(3 * 12, '\x20')));
}

struct Flow {
  TempFolder folder;
  AppState app;
  ProjectState& project = app.Project;
  MapSourceState& source = app.Source;
  RecordingUserInterface ui;
  GridWatchingView view;
  std::vector<std::string> dialogFolders;

  Flow() {
    project.Open = true;
    project.Folder = folder.Path();
    project.File = std::make_unique<IniFile>(folder / "Alps.prg");
    project.MapSourceFolder = folder / "Map sources";
  }
  ChooseSourceImage Choose(std::optional<std::string> answer) {
    return [this, answer](const std::string& initialFolder, const std::string& filter) {
      dialogFolders.push_back(initialFolder);
      EXPECT_EQ(filter,
                "Image files (*.TIF; *.TIFF; *.JPG; *.JPEG; *.BMP)|*.TIF; *.TIFF; *.jpg; *.jpeg; "
                "*.BMP");
      return answer;
    };
  }
};

TEST(LoadSourceMap, NeedsAnOpenProject) {
  Flow flow;
  flow.project.Open = false;
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(std::nullopt));
  EXPECT_EQ(flow.ui.messages, std::vector<std::string>{
                                  "Please create a new project or open an existing project first"});
  EXPECT_TRUE(flow.dialogFolders.empty());
}

TEST(LoadSourceMap, CancellingChangesNothing) {
  Flow flow;
  flow.source.Path = "/somewhere/old.tif";
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(std::nullopt));
  EXPECT_EQ(flow.dialogFolders, std::vector<std::string>{flow.project.MapSourceFolder});
  EXPECT_EQ(flow.source.Path, "/somewhere/old.tif");
  EXPECT_TRUE(MapFileList(flow.project).empty());
  EXPECT_TRUE(flow.ui.statusTexts.empty());
  EXPECT_TRUE(flow.project.LastChosenSourceFolder.empty());
}

TEST(LoadSourceMap, SavesThePreviousSourceThenReadsTheNewSettingsBeforeTheGrid) {
  Flow flow;
  const std::string first = WriteBmp(flow.folder, "Map sources/first.bmp");
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(first));
  ASSERT_TRUE(flow.source.Loaded);
  flow.source.GeoRef.SkewLeft = 9;  // edited in memory, not yet saved

  const std::string second = WriteBmp(flow.folder, "Map sources/second.BMP");
  flow.folder.Write("Map sources/second.INI", "[GeoRef]\r\nSkewLeft=-4\r\n");
  flow.ui.statusTexts.clear();
  flow.ui.processEventsCalls = 0;
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(second));

  EXPECT_TRUE(flow.source.Loaded);
  EXPECT_EQ(flow.source.Path, second);
  EXPECT_EQ(IniFile(flow.folder / "Map sources/first.INI").ReadInteger("GeoRef", "SkewLeft", 0), 9);
  EXPECT_EQ(flow.view.skewsSeen.back(), -4);
  EXPECT_EQ(flow.ui.statusTexts,
            (std::vector<std::string>{"Loading second.BMP, please wait...", "Loaded second.BMP"}));
  EXPECT_EQ(flow.ui.processEventsCalls, 1);
  EXPECT_TRUE(flow.ui.messages.empty());
  EXPECT_EQ(MapFileList(flow.project), (std::vector<std::string>{first, second}));
  EXPECT_EQ(flow.project.LastChosenSourceFolder, flow.folder / "Map sources/");
}

TEST(LoadSourceMap, AFailedLoadIsReportedAndTheSourceStaysListed) {
  Flow flow;
  const std::string png = flow.folder.Write("chart.png", "\x89PNG");
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(png));
  EXPECT_FALSE(flow.source.Loaded);
  EXPECT_EQ(flow.ui.messages,
            (std::vector<std::string>{"Cannot load this file type", LoadFailureMessage(0)}));
  EXPECT_EQ(flow.ui.statusTexts, std::vector<std::string>{"Loading chart.png, please wait..."});
  EXPECT_EQ(MapFileList(flow.project), std::vector<std::string>{png});
}

TEST(BatchLoad, LoadsWithTheSourcesOwnSettings) {
  Flow flow;
  const std::string chart = WriteBmp(flow.folder, "chart.bmp");
  flow.folder.Write("chart.INI", "[GeoRef]\r\nSkewLeft=3\r\n");
  bool canceled = false;
  BatchLoad(chart, flow.source, flow.ui, flow.view, canceled);
  EXPECT_TRUE(flow.source.Loaded);
  EXPECT_FALSE(canceled);
  EXPECT_EQ(flow.view.skewsSeen, std::vector<std::int32_t>{3});
  EXPECT_EQ(flow.ui.statusTexts,
            (std::vector<std::string>{"Loading chart.bmp, please wait...", "Loaded chart.bmp"}));
}

TEST(BatchLoad, AFailedLoadCancelsTheBatch) {
  Flow flow;
  bool canceled = false;
  BatchLoad(flow.folder / "missing.tif", flow.source, flow.ui, flow.view, canceled);
  EXPECT_TRUE(canceled);
  EXPECT_EQ(flow.source.Path, flow.folder / "missing.tif");
  EXPECT_EQ(flow.ui.messages,
            (std::vector<std::string>{LoadFailureMessage(0), "Batch canceled due to error"}));
}

}  // namespace
}  // namespace cz::testing

namespace cz::testing {
namespace {

// A Lambert chart of 47° N 8° E at 1 km per pixel: a 2 × 2 degree grid.
std::string WriteLambertChart(const TempFolder& folder) {
  const std::string path = folder / "Map sources/lambert.tif";
  std::filesystem::create_directories(folder / "Map sources");
  WriteSampleGeoTiff({"+proj=lcc +lat_1=44 +lat_2=50 +lat_0=47 +lon_0=8 +datum=WGS84 +units=m", 0,
                      -140000, 145000, 1000, 280, 290, true},
                     path);
  return path;
}

// The load question: asked only for a chart seen for the first time; Yes makes and saves the
// grid with the source's options and redraws, No leaves everything as loaded.
struct QuestionCase {
  const char* name;
  bool settingsBefore;
  bool answer;
  bool asked;
  bool gridMade;
};

class LoadQuestion : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(LoadQuestion, OffersTheChartsOwnGeoreference) {
  const QuestionCase& c = GetParam();
  Flow flow;
  const std::string path = WriteLambertChart(flow.folder);
  const std::string settings = flow.folder / "Map sources/lambert.INI";
  if (c.settingsBefore) IniFile(settings).WriteInteger("Options", "MapResolution", 4);
  flow.ui.answers.push_back(c.answer);
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(path));
  ASSERT_TRUE(flow.source.Loaded);
  EXPECT_EQ(flow.ui.questions, c.asked ? std::vector<std::string>{kUseChartGeoReferenceQuestion}
                                       : std::vector<std::string>{});
  EXPECT_EQ(flow.view.skewsSeen.size(), c.gridMade ? 2u : 1u);  // the load's drawing, then Yes
  EXPECT_EQ(flow.source.GeoRef.NLon, c.gridMade ? 2 : 0);
  const IniFile file(settings);
  EXPECT_EQ(file.ReadInteger("Options", "GeoReferencingType", -1), c.gridMade ? 1 : -1);
  EXPECT_EQ(file.ReadInteger("GeoRef", "XYSHIFT-2/2", -1), c.gridMade ? 1 : -1);
  if (c.gridMade) {
    EXPECT_EQ(file.ReadInteger("Options", "MapResolution", -1), 30);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadQuestion,
                         ::testing::Values(QuestionCase{"FirstOpeningYes", false, true, true, true},
                                           QuestionCase{"FirstOpeningNo", false, false, true,
                                                        false},
                                           QuestionCase{"SettingsExist", true, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The nodata question follows the georeference question, whatever its answer, for a chart
// whose nodata value made pixels transparent; Yes stores the coverage from transparency.
TEST(LoadQuestion, OffersTheNodataPixelsAsTheMapsEdge) {
  for (const bool yes : {true, false}) {
    Flow flow;
    const std::string path = flow.folder / "Map sources/bordered.tif";
    std::filesystem::create_directories(flow.folder / "Map sources");
    WriteSampleGeoTiff({"", 4326, 6, 48, 0.01, 200, 100, true, 5}, path);
    flow.ui.answers = {false, yes};
    LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(path));
    EXPECT_EQ(flow.ui.questions,
              (std::vector<std::string>{kUseChartGeoReferenceQuestion, kUseChartNoDataQuestion}));
    EXPECT_EQ(flow.source.Coverage.Transparency, yes);
    EXPECT_EQ(LoadCoverage(path).Transparency, yes);
  }
  Flow flow;  // a chart without nodata pixels is not asked about them
  flow.ui.answers = {false};
  LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(WriteLambertChart(flow.folder)));
  EXPECT_EQ(flow.ui.questions, std::vector<std::string>{kUseChartGeoReferenceQuestion});
}

// A chart of control points is asked how to fit them (its last fit, order 1 at first,
// preselected): the choice is applied, kept and reported; Cancel applies nothing.
TEST(LoadQuestion, AsksHowToFitControlPoints) {
  for (const int choice : {3, -1}) {
    Flow flow;
    const std::string path = flow.folder / "Map sources/cp.tif";
    std::filesystem::create_directories(flow.folder / "Map sources");
    WriteControlPointChart(path);
    flow.ui.answers = {true};
    flow.ui.choices = {choice};
    LoadSourceMap(flow.app, flow.ui, flow.view, flow.Choose(path));
    EXPECT_EQ(flow.ui.questions, (std::vector<std::string>{kUseChartGeoReferenceQuestion,
                                                           kChooseControlPointFitQuestion}));
    EXPECT_EQ(flow.ui.offered, std::vector<std::vector<std::string>>{ControlPointFitOptions()});
    const IniFile file(flow.folder / "Map sources/cp.INI");
    if (choice < 0) {
      EXPECT_EQ(flow.source.GeoRef.NLon, 0);
      EXPECT_FALSE(file.SectionExists("ControlPoints"));
      EXPECT_FALSE(flow.app.GridFit.ControlPoints.has_value());
      continue;
    }
    EXPECT_EQ(flow.source.GeoRef.NLon, 2);
    EXPECT_EQ(file.ReadString("ControlPoints", "Fit", ""), "spline");
    ASSERT_TRUE(flow.app.GridFit.ControlPoints.has_value());
    EXPECT_EQ(flow.app.GridFit.ControlPoints->Kind, ControlPointFitKind::Spline);
    EXPECT_EQ(flow.app.GridFit.ControlPoints->Points.size(), 12u);
  }
}

TEST(UseChartGeoReference, NeedsALoadedChartThatCarriesOne) {
  Flow flow;
  UseChartGeoReference(flow.source, flow.ui, flow.view);
  flow.source.Path = WriteBmp(flow.folder, "plain.bmp");
  flow.source.Loaded = true;
  UseChartGeoReference(flow.source, flow.ui, flow.view);
  EXPECT_EQ(flow.ui.messages,
            (std::vector<std::string>{"No map image loaded - nothing to process...",
                                      "No georeference in plain.bmp"}));
  flow.source.Path = WriteLambertChart(flow.folder);
  UseChartGeoReference(flow.source, flow.ui, flow.view);
  EXPECT_EQ(flow.ui.messages.size(), 2u);
  EXPECT_EQ(flow.view.skewsSeen.size(), 1u);
  EXPECT_EQ(flow.source.GeoRef.GridTopLatitude, 48);
}

}  // namespace
}  // namespace cz::testing
