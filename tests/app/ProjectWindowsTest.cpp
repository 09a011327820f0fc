// Map Options, the project viewer and the batch window driven by mouse clicks.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "AppTestSupport.h"
#include "QtUserInterface.h"
#include "TBatchForm.h"
#include "TProjectOptions.h"
#include "TProjectViewerForm.h"
#include "georef/GridLayoutView.h"
#include "imaging/ChartSamples.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/MapSourceSettings.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/TileFiles.h"
#include "workspace/ProjectCommands.h"

namespace cz {
namespace {

using testing::RecordingUserInterface;

// Clicks a check box or radio button on its box: the widget may be wider than its text, and a
// click beside the text misses, as it would for a person.
void ClickBox(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

class ProjectWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(work / "Proj");
    RecordingUserInterface answerYes;
    answerYes.answers = {true};
    ASSERT_TRUE(CreateOrOpenProject(state, work / "Proj/p.prg", answerYes));
  }

  // A one-degree 48 × 48 chart at 50° N 6° E, listed in the project, with its settings file
  // unless withSettings is false.
  std::string AddChart(const std::string& name, bool withSettings) {
    constexpr int kSize = 48;
    testing::BmpLayout layout;
    layout.width = kSize;
    layout.height = kSize;
    const std::string image =
        work.Write("Proj/Map sources/" + name,
                   testing::BuildBmp(layout, std::string(kSize * kSize * 3, '\x60')));
    if (withSettings) {
      MapSourceState source;
      source.Path = image;
      source.GeoRef.TopLeft = {50.0, 6.0, 0, 0};
      source.GeoRef.BottomRight = {49.0, 7.0, kSize - 1, kSize - 1};
      source.GeoRef.GeoReferencingType = 1;
      source.GeoRef.MapResolution = 4;
      SaveMapINI(source);
    }
    AddToMapFileList(state.Project, image);
    return image;
  }

  static std::uint8_t StoredResolution(const std::string& image) {
    MapSourceState source;
    source.Path = image;
    LoadMapINI(source);
    return source.GeoRef.MapResolution;
  }

  QApplication& application = testing::Application();
  testing::TempFolder work;
  AppState state;
  RecordingUserInterface ui;
};

TEST_F(ProjectWindowsTest, MapOptionsTicksChoosesAndDistributes) {
  const std::string first = AddChart("a.bmp", true);
  const std::string bare = AddChart("b.bmp", false);
  GeoReference& options = state.Source.GeoRef;
  options.MapResolution = 0b01010;
  options.ColorReduction = 3;
  int methodChanges = 0;
  const auto methodChanged = state.GeoReferenceChanged.Subscribe([&] { ++methodChanges; });
  TProjectOptions dialog(state, ui);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Map Options");
  EXPECT_TRUE(dialog.CheckBoxes[1]->isChecked());
  EXPECT_FALSE(dialog.CheckBoxes[0]->isChecked());
  EXPECT_TRUE(dialog.ColorReductionItems->button(3)->isChecked());
  EXPECT_EQ(options.MapResolution, 0b01010);  // filling changed nothing

  ClickBox(dialog.CheckBoxes[0]);
  ClickBox(dialog.CheckBoxes[1]);
  EXPECT_EQ(options.MapResolution, 0b01001);
  ClickBox(dialog.DitheringItems->button(2));
  EXPECT_EQ(options.Dithering, 2);
  ClickBox(dialog.GeoReferencingItems->button(1));
  EXPECT_EQ(options.GeoReferencingType, 1);
  EXPECT_EQ(methodChanges, 1);

  ui.answers = {false, true};
  QTest::mouseClick(dialog.ResolutionDX, Qt::LeftButton);
  EXPECT_EQ(StoredResolution(first), 4);  // No: nothing written
  QTest::mouseClick(dialog.ResolutionDX, Qt::LeftButton);
  EXPECT_EQ(ui.questions.back(), "Distribute resolutions to all maps options in project ?");
  EXPECT_EQ(StoredResolution(first), 0b01001);
  EXPECT_FALSE(FileExists(MapSourceSettingsFile(bare)));
}

TEST_F(ProjectWindowsTest, ProjectViewerDeletesTheSelectedEntry) {
  const std::string first = AddChart("a.bmp", true);
  const std::string second = AddChart("b.bmp", false);
  TProjectViewerForm viewer(state, ui);
  viewer.show();
  EXPECT_EQ(viewer.windowTitle().toStdString(), "Project Viewer/Editor");
  ASSERT_EQ(viewer.ListBox1->count(), 2);

  QTest::mouseClick(viewer.Button1, Qt::LeftButton);  // nothing selected: nothing happens
  EXPECT_EQ(MapFileList(state.Project).size(), 2u);

  const QRect firstRow = viewer.ListBox1->visualItemRect(viewer.ListBox1->item(0));
  QTest::mouseClick(viewer.ListBox1->viewport(), Qt::LeftButton, {}, firstRow.center());
  QTest::mouseClick(viewer.Button1, Qt::LeftButton);
  EXPECT_EQ(MapFileList(state.Project), std::vector<std::string>{second});
  ASSERT_EQ(viewer.ListBox1->count(), 1);
  EXPECT_EQ(viewer.ListBox1->item(0)->text().toStdString(), second);
  EXPECT_TRUE(FileExists(first));
  EXPECT_TRUE(ui.messages.empty());
}

// Clicks "Cancel" as soon as the first source's tiles start, as a person watching would.
class CancelWhenTilingStarts : public QtUserInterface {
 public:
  CancelWhenTilingStarts(QLineEdit* status, UserInterface* messages, QPushButton*& cancel)
      : QtUserInterface(nullptr, status, messages), cancel_(cancel) {}
  void BeginTileJob() override {
    if (!clicked_)
      QTimer::singleShot(0, cancel_, [this] { QTest::mouseClick(cancel_, Qt::LeftButton); });
    clicked_ = true;
  }

 private:
  QPushButton*& cancel_;
  bool clicked_ = false;
};

TEST_F(ProjectWindowsTest, BatchRunLogsEachSourceAndStopsAfterCancel) {
  AddChart("a.bmp", true);
  AddChart("b.bmp", false);
  AddChart("c.bmp", true);
  QLineEdit status;
  QPushButton* cancel = nullptr;
  CancelWhenTilingStarts qtUi(&status, &ui, cancel);
  GridLayoutView view;
  TBatchForm batch(state, qtUi, view);
  cancel = batch.Button2;
  batch.show();
  EXPECT_EQ(batch.windowTitle().toStdString(), "BatchForm");
  EXPECT_EQ(batch.Button1->text().toStdString(), "Run batch");
  EXPECT_EQ(cancel->text().toStdString(), "Cancel");

  QTest::mouseClick(batch.Button1, Qt::LeftButton);
  EXPECT_EQ(batch.Memo1->toPlainText().toStdString(), "Processing a.bmp\nBatch process ended.");
  EXPECT_EQ(state.Source.Path, work / "Proj/Map sources/a.bmp");
  EXPECT_FALSE(ListFiles(TilesFolder(state.Project.Folder), "*.GIF").empty());
  EXPECT_TRUE(ui.messages.empty());

  batch.hide();
  batch.show();
  EXPECT_TRUE(batch.Memo1->toPlainText().isEmpty());
}

}  // namespace
}  // namespace cz
