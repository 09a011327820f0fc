// The main window driven as a person drives it: menu items clicked, keys typed on the zoom
// bar, presses on the chart (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "ChartView.h"
#include "FileDialogs.h"
#include "app/TestMainWindow.h"
#include "TMakeMaps.h"
#include "TProcessViewer.h"
#include "TSplashScreen.h"
#include "app/AppTestSupport.h"
#include "imaging/SampleChart.h"
#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "port/ErrorLog.h"
#include "project/MapSourceSettings.h"
#include "support/TempFolder.h"
#include "workspace/BusyState.h"

namespace cz {
namespace {

using testing::Application;
using testing::ClickMenuItem;
using testing::MessageBoxAnswerer;
using testing::TempFolder;

constexpr int kChartWidth = 400;
constexpr int kChartHeight = 200;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    OverrideProgramDataFolder(programFolder.Path());
    window = std::make_unique<TestMainWindow>(std::vector<std::string>{}, false);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window.reset();
    OverrideProgramDataFolder("");
  }

  // Opens the existing project P/P.prg through the menu.
  void OpenProject() {
    const std::string file = work.Write("P/P.prg", "[General]\r\n");
    window->ChooseProjectFile = [file] { return std::optional<std::string>(file); };
    Click(window->CreateOrOpenProjectItem);
    ASSERT_TRUE(window->State().Project.Open);
  }

  // A 400 × 200 sample chart over 48°N..46°N, 6°E..10°E with its settings file: the corner
  // references on its corner pixels (100 pixels per degree), the given method.
  std::string WriteChart(GeoReferencingMethod method) {
    MapSourceState source;
    std::filesystem::create_directories(work / "P/Map sources");
    source.Path = work / "P/Map sources/chart.tif";
    WriteSampleChart({48, 6, 2, 4, kChartWidth, kChartHeight, {}}, source.Path);
    source.GeoRef.TopLeft = {48.0, 6.0, 0, 0};
    source.GeoRef.BottomRight = {46.0, 10.0, kChartWidth - 1, kChartHeight - 1};
    source.GeoRef.GeoReferencingType = static_cast<std::uint8_t>(method);
    SaveMapINI(source);
    return source.Path;
  }

  // Opens the project and loads the chart through "Load a source map ...".
  void LoadChart(GeoReferencingMethod method) {
    OpenProject();
    const std::string chart = WriteChart(method);
    window->ChooseSourceFile = [chart](const std::string&, const std::string&) {
      return std::optional<std::string>(chart);
    };
    Click(window->LoadSourceMapItem);
    ASSERT_TRUE(window->State().Source.Loaded);
  }

  void Click(QAction* item) { ClickMenuItem(window->menuBar(), window->ProjectMenu, item); }

  // The overlay's colour where grid point (c, r) shows.
  QColor OverlayAtGridPoint(int c, int r) {
    const GridPoint& point = window->State().Source.GeoRef.Grid[c][r];
    const PixelPoint at = window->Image321->Mapping().ToView({point.X, point.Y});
    return window->Image321->Overlay().pixelColor(at.X, at.Y);
  }

  TempFolder programFolder;
  TempFolder work;
  std::unique_ptr<TestMainWindow> window;
};

TEST_F(MainWindowTest, SplashOnTheFirstShowingOnlyHiddenByTheTimer) {
  EXPECT_TRUE(window->SplashScreen->isVisible());
  window->Timer1Timer();
  EXPECT_FALSE(window->SplashScreen->isVisible());
  window->hide();
  window->show();
  EXPECT_FALSE(window->SplashScreen->isVisible());
}

TEST_F(MainWindowTest, LoadCommandShowsTheChartAtAQuarterWithItsGrid) {
  LoadChart(GeoReferencingMethod::SemiAutomaticLambert);
  EXPECT_EQ(window->ScrollBar1->value(), 24);
  EXPECT_EQ(window->Image321->Mapping().Scale, 0.25);
  EXPECT_EQ(window->ScrollBarHorizontal->value(), 0);
  EXPECT_EQ(window->ScrollBarVertical->value(), 0);
  EXPECT_EQ(window->Edit1->text().toStdString(), "Loaded chart.tif");
  EXPECT_EQ(window->State().Source.GeoRef.NLon, 4);
  EXPECT_EQ(window->State().Source.GeoRef.NLat, 2);
  // Grid point 1/1 (47°N 7°E) lies on source pixel (100, 100), shown at (25, 25) in lime.
  EXPECT_EQ(window->State().Source.GeoRef.Grid[1][1].X, 100);
  EXPECT_EQ(OverlayAtGridPoint(1, 1), QColor(0, 255, 0));
  EXPECT_EQ(window->Image321->Overlay().pixelColor(60, 60).alpha(), 0);  // clear between
  for (QPushButton* button :
       {window->BitBtn1, window->BitBtn2, window->BitBtn3, window->BitBtn4, window->BitBtn5}) {
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(button->isVisible());
  }
}

// "/N": the run georeferences the chart (a manual grid from /X) and leaves the window open on
// it at 0.25 with its grid and the buttons of its method.
TEST_F(MainWindowTest, NoProcessingRunLeavesTheChartOnShow) {
  WriteChart(GeoReferencingMethod::SemiAutomaticLambert);
  TestMainWindow run({"/P", work / "P", "/S", "chart.tif", "/X", "48", "6", "2", "4", "/R", "1", "/N"},
             false);
  run.show();
  run.Timer1Timer();
  EXPECT_TRUE(run.isVisible());
  EXPECT_EQ(run.ScrollBar1->value(), 24);
  EXPECT_EQ(run.Edit1->text().toStdString(), "Loaded chart.tif");
  const GridPoint& point = run.State().Source.GeoRef.Grid[1][1];
  const PixelPoint at = run.Image321->Mapping().ToView({point.X, point.Y});
  EXPECT_EQ(run.Image321->Overlay().pixelColor(at.X, at.Y), QColor(0, 255, 0));
  EXPECT_FALSE(run.BitBtn3->isVisible());
  EXPECT_TRUE(run.BitBtn2->isVisible());
}

// "Cancel" in the process window during a command-line run with a display: the tiles already
// made stay, the run is logged as cancelled, and the window stays open without a box to dismiss.
TEST_F(MainWindowTest, CancelInTheWindowEndsTheRunButNotTheProgram) {
  WriteChart(GeoReferencingMethod::SemiAutomaticLambert);
  TestMainWindow run({"/P", work / "P", "/S", "chart.tif", "/X", "48", "6", "2", "4", "/R", "0.25", "/M"},
             false);
  run.show();
  bool boxShown = false;
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      boxShown = true;
      box->close();
    }
    QPushButton* cancel = run.ProcessViewer->Progress->CancelButton;
    if (run.ProcessViewer->Progress->Bar->value() > 0 && cancel->isEnabled()) {
      QTest::mouseClick(cancel, Qt::LeftButton);
    }
  });
  clicker.start(1);
  run.Timer1Timer();
  clicker.stop();
  EXPECT_TRUE(run.isVisible());
  EXPECT_FALSE(boxShown);
  EXPECT_EQ(run.Edit1->text().toStdString(), "Tile creation cancelled");
  EXPECT_EQ(testing::ReadFileBytes(ErrorLogPath()), "Tile creation cancelled\r\n");
  const auto tiles = std::distance(std::filesystem::directory_iterator(work / "P/Tiles"),
                                   std::filesystem::directory_iterator());
  EXPECT_GT(tiles, 0);
  EXPECT_LT(tiles, 128);
  EXPECT_TRUE(!std::filesystem::exists(work / "P/EFIS Maps") ||
              std::filesystem::is_empty(work / "P/EFIS Maps"));  // /M did not run
}

struct ZoomKeys {
  std::vector<Qt::Key> keys;
  int position;
  double scale;
};

class ZoomBarTest : public MainWindowTest, public ::testing::WithParamInterface<ZoomKeys> {};

TEST_P(ZoomBarTest, PositionGivesTheScale) {
  LoadChart(GeoReferencingMethod::SemiAutomaticLambert);
  for (Qt::Key key : GetParam().keys) QTest::keyClick(window->ScrollBar1, key);
  EXPECT_EQ(window->ScrollBar1->value(), GetParam().position);
  EXPECT_DOUBLE_EQ(window->Image321->Mapping().Scale, GetParam().scale);
  // The grid follows the zoom (at 0.01 the whole grid is a few pixels: markers overlap).
  if (GetParam().scale > 0.2) {
    EXPECT_EQ(OverlayAtGridPoint(1, 1), QColor(0, 255, 0));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ZoomBarTest,
    ::testing::Values(ZoomKeys{{Qt::Key_Home}, 0, 0.01}, ZoomKeys{{Qt::Key_End}, 100, 1.01},
                      ZoomKeys{{Qt::Key_Home, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Down,
                                Qt::Key_Down, Qt::Key_Down, Qt::Key_Down},
                               24,
                               0.25}));

struct ScrollRange {
  int chartWidth;
  int range;
};

class ScrollRangeTest : public MainWindowTest, public ::testing::WithParamInterface<ScrollRange> {};

// At scale 0.25 in a chart view panel 772 pixels wide: the part that does not fit, or the
// panel's width when all of it fits.
TEST_P(ScrollRangeTest, FollowsTheScaledChart) {
  window->resize(772 + window->ScrollBarVertical->width(), 600);
  QApplication::processEvents();
  ASSERT_EQ(window->Panel2->width(), 772);
  window->State().Source.Image.Allocate(GetParam().chartWidth, 8);
  window->ShowNewRaster();
  EXPECT_EQ(window->ScrollBarHorizontal->maximum(), GetParam().range);
  EXPECT_EQ(window->ScrollBarVertical->maximum(), window->Panel2->height());
}

INSTANTIATE_TEST_SUITE_P(Examples, ScrollRangeTest,
                         ::testing::Values(ScrollRange{4000, 228}, ScrollRange{2000, 772}));

TEST_F(MainWindowTest, ScrollingMovesTheViewAndTheGrid) {
  LoadChart(GeoReferencingMethod::SemiAutomaticLambert);
  QTest::keyClick(window->ScrollBar1, Qt::Key_End);  // 1.01: 404 × 202, wider than nothing
  window->ScrollBarHorizontal->setFocus();
  QTest::keyClick(window->ScrollBarHorizontal, Qt::Key_PageDown);
  const int scrolled = window->ScrollBarHorizontal->value();
  ASSERT_GT(scrolled, 0);
  EXPECT_EQ(window->Image321->Mapping().HorizontalOffset, -scrolled);
  EXPECT_EQ(OverlayAtGridPoint(3, 1), QColor(0, 255, 0));
}

TEST_F(MainWindowTest, EnableStuffFollowsTheMethod) {
  const std::vector<QPushButton*> all = {window->BitBtn1, window->BitBtn2, window->BitBtn3,
                                         window->BitBtn4, window->BitBtn5};
  for (QPushButton* button : all) EXPECT_FALSE(button->isEnabled());
  EXPECT_FALSE(window->ScrollBar1->isEnabled());

  LoadChart(GeoReferencingMethod::ManualGrid);
  for (QPushButton* button : all) EXPECT_TRUE(button->isEnabled());
  EXPECT_TRUE(window->ScrollBar1->isEnabled());
  EXPECT_TRUE(window->BitBtn1->isVisible());
  EXPECT_TRUE(window->BitBtn2->isVisible());
  EXPECT_FALSE(window->BitBtn3->isVisible());
  EXPECT_FALSE(window->BitBtn4->isVisible());
  EXPECT_FALSE(window->BitBtn5->isVisible());

  window->State().Source.GeoRef.GeoReferencingType = 0;
  window->EnableStuff();
  for (QPushButton* button : all) EXPECT_TRUE(button->isVisible());
}

struct RefusedCommand {
  QAction* TestMainWindow::*item;
  const char* message;
};

class RefusedCommandTest : public MainWindowTest,
                           public ::testing::WithParamInterface<RefusedCommand> {};

TEST_P(RefusedCommandTest, ShowsItsMessage) {
  MessageBoxAnswerer answerer;
  Click(window.get()->*GetParam().item);
  EXPECT_EQ(answerer.texts, std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    WithoutMapOrProject, RefusedCommandTest,
    ::testing::Values(RefusedCommand{&TestMainWindow::ProcessSourceMapItem,
                                     "No map image loaded - nothing to process..."},
                      RefusedCommand{&TestMainWindow::CreateEfisMapsItem, "No project has been opened."},
                      RefusedCommand{&TestMainWindow::DeleteAllTilesItem, "No project has been opened."}));

TEST_F(MainWindowTest, AGridPointIsPickedUpAndDroppedWithTheMouse) {
  LoadChart(GeoReferencingMethod::ManualGrid);
  // Grid point 1/1 shows at (25, 25); a press 2 pixels off picks it up.
  QTest::mouseClick(window->Image321, Qt::LeftButton, {}, QPoint(27, 24));
  EXPECT_EQ(window->Edit1->text().toStdString(), "Moving 1, 1");
  QTest::mouseClick(window->Image321, Qt::RightButton, {}, QPoint(40, 30));
  const GridPoint& point = window->State().Source.GeoRef.Grid[1][1];
  EXPECT_EQ(point.X, 160);
  EXPECT_EQ(point.Y, 120);
  EXPECT_EQ(point.XYSHIFT, 1);
  EXPECT_EQ(window->Edit1->text().toStdString(), "");
  EXPECT_EQ(OverlayAtGridPoint(1, 1), QColor(0, 255, 0));  // redrawn where it was dropped
}

TEST_F(MainWindowTest, WhileTheReferenceDialogShowsAPressIsItsPick) {
  LoadChart(GeoReferencingMethod::ManualGrid);
  std::vector<std::pair<int, int>> picks;
  window->SetReferencePickHandler(
      [] { return true; },
      [&] { picks.emplace_back(window->PickState().PickX, window->PickState().PickY); });
  QTest::mouseClick(window->Image321, Qt::LeftButton, {}, QPoint(25, 25));
  EXPECT_EQ(picks, (std::vector<std::pair<int, int>>{{100, 100}}));
  EXPECT_FALSE(window->PickState().MovingPoint.Moving);
}

TEST_F(MainWindowTest, AnErrorInACommandIsShownInAMessageBox) {
  window->ChooseProjectFile = []() -> std::optional<std::string> {
    throw CartozenError("Unable to open file 'x.prg'");
  };
  MessageBoxAnswerer answerer;
  Click(window->CreateOrOpenProjectItem);
  EXPECT_EQ(answerer.texts, std::vector<std::string>{"Unable to open file 'x.prg'"});
  EXPECT_TRUE(window->isVisible());

  // A job the person cancelled is said on the status line, without a box.
  window->ChooseProjectFile = []() -> std::optional<std::string> {
    throw OperationCancelled("Tile creation cancelled");
  };
  Click(window->CreateOrOpenProjectItem);
  EXPECT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(window->Edit1->text().toStdString(), "Tile creation cancelled");
}

// Runs check() each time the window lets events run (between tiles, between map files).
class DuringTheRun {
 public:
  explicit DuringTheRun(std::function<void()> check) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, check);
    timer_.start();
  }

 private:
  QTimer timer_;
};

TEST_F(MainWindowTest, TilesShowInTheProcessWindowAndTheMapBuilderLogsEachLine) {
  LoadChart(GeoReferencingMethod::ManualGrid);
  int visibleTiles = 0;
  {
    DuringTheRun watch([&] {
      if (window->ProcessViewer->isVisible() && window->ProcessViewer->Image().At(10, 10) != 0) {
        ++visibleTiles;
      }
    });
    Click(window->ProcessSourceMapItem);
  }
  EXPECT_GT(visibleTiles, 0);
  EXPECT_FALSE(window->ProcessViewer->isVisible());
  const std::string done = window->Edit1->text().toStdString();
  EXPECT_EQ(done.rfind("Done, created ", 0), 0u) << done;

  std::vector<std::string> linesWhileBuilding;
  QObject::connect(window->MakeMaps->Memo1, &QPlainTextEdit::textChanged, [&] {
    const QString text = window->MakeMaps->Memo1->toPlainText();
    if (!text.isEmpty()) linesWhileBuilding.push_back(text.section('\n', -1).toStdString());
  });
  Click(window->CreateEfisMapsItem);
  EXPECT_TRUE(window->MakeMaps->isVisible());
  ASSERT_GT(linesWhileBuilding.size(), 4u);
  EXPECT_EQ(linesWhileBuilding.front(), "Reading tile file names");
  EXPECT_EQ(linesWhileBuilding[2].rfind("Adding tile ", 0), 0u);
  EXPECT_EQ(linesWhileBuilding.back().rfind("Done, created ", 0), 0u);
}

// While tiles are being created the window lets events run; a command that would replace the
// source or delete the tiles is disabled, its tooltip saying why, and a click does nothing.
TEST_F(MainWindowTest, CommandsClickedDuringTileCreationAreRefused) {
  LoadChart(GeoReferencingMethod::ManualGrid);
  bool chooserAsked = false;
  window->ChooseSourceFile = [&](const std::string&, const std::string&) {
    chooserAsked = true;
    return std::optional<std::string>();
  };
  std::vector<std::string> refusals;
  {
    DuringTheRun clickOnce([&] {
      if (!refusals.empty() || !window->ProcessViewer->isVisible()) return;
      for (QAction* item : {window->LoadSourceMapItem, window->DeleteAllTilesItem,
                            window->ProcessSourceMapItem, window->CreateOrOpenProjectItem}) {
        Click(item);
        refusals.push_back(item->isEnabled() ? "enabled" : item->toolTip().toStdString());
      }
    });
    Click(window->ProcessSourceMapItem);
  }
  EXPECT_EQ(refusals, std::vector<std::string>(4, BusyRefusalText(LongOperation::TileCreation)));
  EXPECT_FALSE(chooserAsked);
  EXPECT_TRUE(window->State().Source.Loaded);
  EXPECT_FALSE(std::filesystem::is_empty(work / "P/Tiles"));
}

TEST(FileDialogs, TheSourceImageFilterInQtsFormMatchesEitherCase) {
  EXPECT_EQ(QtImageFilter(kSourceImageFilter).toStdString(),
            "Image files (*.TIF *.tif *.TIFF *.tiff *.JPG *.jpg *.JPEG *.jpeg *.BMP *.bmp)");
}

}  // namespace
}  // namespace cz
