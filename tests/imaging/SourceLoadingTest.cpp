#include "imaging/SourceLoading.h"

#include <gtest/gtest.h>

#include <memory>

#include "imaging/ChartSamples.h"
#include "imaging/SourceImage.h"
#include "imaging/SourceView.h"
#include "project/IniFile.h"
#include "project/Project.h"
#include "state/AppState.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

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
