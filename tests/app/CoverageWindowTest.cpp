// The coverage's window bindings: the polygon tool draws with real clicks on the chart, the
// Coverage dialog takes a typed box, and both reach the chart's settings file.

#include <gtest/gtest.h>

#include <filesystem>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "CoordinateEdit.h"
#include "TCoverageForm.h"
#include "app/AppTestSupport.h"
#include "app/TestMainWindow.h"
#include "imaging/SampleChart.h"
#include "platform/ExecutableFolder.h"
#include "project/CoverageSettings.h"
#include "project/MapSourceSettings.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

TEST(CoverageWindow, PolygonToolAndDialogEditTheChartsCoverage) {
  testing::Application();
  testing::TempFolder programFolder;
  testing::TempFolder work;
  OverrideProgramDataFolder(programFolder.Path());
  TestMainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.Timer1Timer();  // the splash away

  const std::string project = work.Write("P/P.prg", "[General]\r\n");
  std::filesystem::create_directories(work / "P/Map sources");
  MapSourceState chart;
  chart.Path = work / "P/Map sources/chart.tif";
  WriteSampleChart({48, 6, 2, 4, 800, 400, {}}, chart.Path);
  chart.GeoRef.TopLeft = {48.0, 6.0, 0, 0};
  chart.GeoRef.BottomRight = {46.0, 10.0, 799, 399};
  chart.GeoRef.GeoReferencingType = 1;
  SaveMapINI(chart);
  window.ChooseProjectFile = [project] { return std::optional<std::string>(project); };
  window.ChooseSourceFile = [&chart](const std::string&, const std::string&) {
    return std::optional<std::string>(chart.Path);
  };
  const auto click = [&](QAction* item) {
    testing::ClickMenuItem(window.menuBar(), window.ProjectMenu, item);
  };
  const auto clickCoverage = [&](QAction* item) {
    testing::ClickMenuItem(window.menuBar(), window.CoverageMenu, item);
  };
  click(window.CreateOrOpenProjectItem);
  click(window.LoadSourceMapItem);
  ASSERT_TRUE(window.State().Source.Loaded);

  // Four clicks draw a polygon (chart pixels are view pixels over the zoom in use).
  clickCoverage(window.PolygonToolItem);
  const ViewMapping view = window.Image321->Mapping();
  for (QPoint p : {QPoint(20, 20), QPoint(200, 20), QPoint(200, 150), QPoint(20, 150)}) {
    QTest::mouseClick(window.Image321, Qt::LeftButton, {}, p);
  }
  const auto stored = [&] { return LoadCoverage(chart.Path); };
  ASSERT_EQ(stored().Polygon.size(), 4u);
  const PixelPoint corner = view.ToSource(200, 150);
  EXPECT_EQ(stored().Polygon[2], (CoveragePoint{corner.X, corner.Y}));
  // A point picked up and dropped elsewhere; a right click deletes one.
  QTest::mouseClick(window.Image321, Qt::LeftButton, {}, QPoint(200, 150));
  QTest::mouseClick(window.Image321, Qt::LeftButton, {}, QPoint(220, 170));
  EXPECT_EQ(stored().Polygon[2], (CoveragePoint{view.ToSource(220, 170).X, view.ToSource(220, 170).Y}));
  QTest::mouseClick(window.Image321, Qt::RightButton, {}, QPoint(20, 150));
  EXPECT_EQ(stored().Polygon.size(), 3u);
  clickCoverage(window.PolygonToolItem);  // off: presses pick the grid again
  QTest::mouseClick(window.Image321, Qt::LeftButton, {}, QPoint(300, 100));
  EXPECT_EQ(stored().Polygon.size(), 3u);

  // The dialog: a box typed, OK.
  clickCoverage(window.CoverageItem);
  auto* dialog = window.findChild<TCoverageForm*>();
  ASSERT_TRUE(dialog && dialog->isVisible());
  QTest::mouseClick(dialog->findChild<QCheckBox*>("UseBox"), Qt::LeftButton);
  auto* north = dialog->findChild<CoordinateEdit*>("North");
  ASSERT_TRUE(north->isEnabled());
  QTest::mouseClick(north, Qt::LeftButton);
  QTest::keyClick(north, Qt::Key_Home);
  QTest::keyClicks(north, "n4745000");
  QTest::mouseClick(dialog->findChild<QPushButton*>("OK"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  ASSERT_TRUE(stored().Box.has_value());
  EXPECT_DOUBLE_EQ(stored().Box->North, 47.75);
  EXPECT_EQ(stored().Polygon.size(), 3u);
}

}  // namespace
}  // namespace cz
