// The main window's buttons and menu entries open their dialogs, and the dialogs act on the
// loaded chart (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "ChartView.h"
#include "MainWindowDialogs.h"
#include "app/TestMainWindow.h"
#include "TGeoRefForm.h"
#include "TSkewMeridian.h"
#include "app/AppTestSupport.h"
#include "imaging/SampleChart.h"
#include "platform/ExecutableFolder.h"
#include "project/MapSourceSettings.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

class MainWindowDialogsTest : public ::testing::Test {
 protected:
  // Project P open; a 400 × 200 chart over 48°N..46°N, 6°E..10°E, referenced on its corner pixels,
  // loaded.
  void SetUp() override {
    testing::Application();
    OverrideProgramDataFolder(programFolder.Path());
    window = std::make_unique<TestMainWindow>(std::vector<std::string>{}, false);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const std::string project = work.Write("P/P.prg", "[General]\r\n");
    window->ChooseProjectFile = [project] { return std::optional<std::string>(project); };
    window->CreateOrOpenProjectClick();
    MapSourceState source;
    source.Path = work / "P/Map sources/chart.tif";
    WriteSampleChart({48, 6, 2, 4, 400, 200, {}}, source.Path);
    source.GeoRef.TopLeft = {48.0, 6.0, 0, 0};
    source.GeoRef.BottomRight = {46.0, 10.0, 399, 199};
    SaveMapINI(source);
    window->ChooseSourceFile = [path = source.Path](const std::string&, const std::string&) {
      return std::optional<std::string>(path);
    };
    testing::MessageBoxAnswerer answerer;
    window->LoadSourceMapClick();
    EXPECT_EQ(answerer.texts, std::vector<std::string>{});
    ASSERT_TRUE(window->State().Source.Loaded);
  }
  void TearDown() override {
    window.reset();
    OverrideProgramDataFolder("");
  }

  GeoReference& GeoRef() { return window->State().Source.GeoRef; }

  testing::TempFolder programFolder;
  testing::TempFolder work;
  std::unique_ptr<TestMainWindow> window;
};

TEST_F(MainWindowDialogsTest, TopLeftOpensBesideItsButtonAndChartPressesMoveTheReference) {
  QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
  TGeoRefForm* form = window->findChild<TGeoRefForm*>();
  ASSERT_TRUE(form && form->isVisible());
  EXPECT_FALSE(form->isModal());
  EXPECT_EQ(form->Label3->text().toStdString(), "For the top/left reference");
  EXPECT_EQ(form->Edit1->text().toStdString(), "X: 0, Y: 0");
  EXPECT_EQ(form->pos(), window->BitBtn1->mapToGlobal(QPoint(0, 0)));

  // At scale 0.25 view pixel (25, 25) is chart pixel (100, 100).
  QTest::mouseClick(window->Image321, Qt::LeftButton, {}, QPoint(25, 25));
  EXPECT_EQ(form->Edit1->text().toStdString(), "X: 100, Y: 100");
  EXPECT_EQ(GeoRef().TopLeft.X, 100);

  QTest::mouseClick(window->BitBtn2, Qt::LeftButton);
  EXPECT_EQ(form->Label3->text().toStdString(), "For the bottom/right reference");
  EXPECT_EQ(form->Edit1->text().toStdString(), "X: 399, Y: 199");
  EXPECT_EQ(form->frameGeometry().bottom() + 1, window->BitBtn2->mapToGlobal(QPoint(0, 0)).y());
}

TEST_F(MainWindowDialogsTest, SkewButtonsChooseTheirMeridian) {
  GeoRef().SkewLeft = 7;
  QTest::mouseClick(window->BitBtn4, Qt::LeftButton);
  TSkewMeridian* skew = window->findChild<TSkewMeridian*>();
  ASSERT_TRUE(skew && skew->isVisible());
  EXPECT_EQ(skew->Target(), SkewSide::Right);
  QTest::keyClick(skew->ScrollBar1, Qt::Key_Right);
  EXPECT_EQ(GeoRef().SkewRight, 1);

  QTest::mouseClick(window->BitBtn3, Qt::LeftButton);
  EXPECT_EQ(skew->Target(), SkewSide::Left);
  EXPECT_EQ(skew->Edit1->text().toStdString(), "7");
  EXPECT_EQ(skew->ScrollBar1->value(), 7);
}

TEST_F(MainWindowDialogsTest, ReadBpwSetsTheCornersFromTheWorldFile) {
  work.Write("P/Map sources/chart.bpw", "0.01\n0\n0\n-0.01\n6.0\n48.0\n");
  QTest::mouseClick(window->BitBtn5, Qt::LeftButton);
  EXPECT_EQ(GeoRef().BottomRight.Latitude, 47.0);
  EXPECT_EQ(GeoRef().BottomRight.X, 400);
  EXPECT_EQ(GeoRef().BottomRight.Y, 100);
  EXPECT_EQ(GeoRef().NLat, 1);  // laid out again
}

TEST_F(MainWindowDialogsTest, MenuEntriesOpenTheirWindowsModally) {
  for (QAction* item :
       {window->MapOptionsItem, window->ViewEditProjectItem, window->ExecuteBatchItem}) {
    std::string title;
    bool modal = false;
    QTimer::singleShot(50, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) return;
      title = dialog->windowTitle().toStdString();
      modal = true;
      dialog->close();
    });
    testing::MessageBoxAnswerer answerer;  // "No project has been opened." and the like
    QMenu* menu = item == window->MapOptionsItem ? window->ProjectMenu : window->BatchMenu;
    testing::ClickMenuItem(window->menuBar(), menu, item);
    EXPECT_TRUE(modal) << item->text().toStdString();
    EXPECT_EQ(title, item == window->MapOptionsItem        ? "Map Options"
                     : item == window->ViewEditProjectItem ? "Project Viewer/Editor"
                                                           : "BatchForm");
  }
}

}  // namespace
}  // namespace cz
