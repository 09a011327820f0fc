// The grid fit in the window, with real clicks: a scan-like chart laid out by its two corners,
// the Project menu's fit, the report window's table sorted by a header click, a row clicked to
// scroll the chart to its point, and the fit undone.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "TGridReportForm.h"
#include "app/AppTestSupport.h"
#include "app/TestMainWindow.h"
#include "platform/ExecutableFolder.h"
#include "project/MapSourceSettings.h"
#include "support/ScanLikeChart.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

TEST(GridReportWindow, FitsShowsSortsScrollsToAPointAndUndoes) {
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
  const testing::ScanLikeChart chart;
  MapSourceState source;
  source.Path = work / "P/Map sources/scan.jpg";
  testing::Scanned(testing::Draw(chart, true), source.Path);
  const GeoReference model = testing::TwoCornerModel(chart);
  source.GeoRef = model;
  SaveMapINI(source);
  window.ChooseProjectFile = [project] { return std::optional<std::string>(project); };
  window.ChooseSourceFile = [&source](const std::string&, const std::string&) {
    return std::optional<std::string>(source.Path);
  };
  const auto click = [&](QAction* item) {
    testing::ClickMenuItem(window.menuBar(), window.ProjectMenu, item);
  };
  click(window.CreateOrOpenProjectItem);
  click(window.LoadSourceMapItem);
  ASSERT_TRUE(window.State().Source.Loaded);

  click(window.FitGridItem);
  auto* report = window.findChild<TGridReportForm*>();
  ASSERT_NE(report, nullptr);
  EXPECT_TRUE(report->isVisible());
  EXPECT_EQ(window.State().Source.GeoRef.Method(), GeoReferencingMethod::ManualGrid);
  EXPECT_NE(window.State().Source.GeoRef.Grid[1][1].X, model.Grid[1][1].X);
  EXPECT_NE(window.Edit1->text().indexOf(QStringLiteral("1 of 12 points flagged: 2/1")), -1)
      << window.Edit1->text().toStdString();
  auto* table = report->findChild<QTableWidget*>(QStringLiteral("Points"));
  ASSERT_EQ(table->rowCount(), 12);

  // Sorted by the mark column with a click on its header: the point under the legend, which
  // the fit could not find, first.
  QHeaderView* header = table->horizontalHeader();
  const int markColumn = 6;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(markColumn) + 5, header->height() / 2));
  EXPECT_EQ(table->item(0, markColumn)->text(), QStringLiteral("not found"));
  EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("2/1"));
  EXPECT_EQ(table->item(0, 5)->text(), QString());
  // The one flagged point is that one: the next is at worst doubtful.
  EXPECT_TRUE(table->item(1, markColumn)->text() == QStringLiteral("doubtful") ||
              table->item(1, markColumn)->text() == QStringLiteral("good"));

  // A click on its row scrolls the chart to the point (zoomed in so that it can scroll), as
  // near the middle of the view as the scroll range allows.
  window.ScrollBar1->setValue(99);
  const int before = window.ScrollBarHorizontal->value();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(0, 0)).center());
  const ReportedPoint& point = window.State().GridFit.Report->Points[2 + 1 * 4];
  const PixelPoint shown =
      window.Image321->Mapping().ToView({int(point.Found.X), int(point.Found.Y)});
  EXPECT_NE(window.ScrollBarHorizontal->value(), before);
  EXPECT_NEAR(shown.X, window.Image321->width() / 2, 20);
  EXPECT_NEAR(shown.Y, window.Image321->height() / 2, 20);

  // The point under the legend placed by hand on its crossing, with two clicks on the chart:
  // the report follows the grid as it now stands, and the fit can still be undone.
  const ChartPixel truth = chart.Truth(testing::kCoveredColumn, testing::kCoveredRow);
  const auto clickChart = [&](double x, double y) {
    const PixelPoint at = window.Image321->Mapping().ToView({int(std::lround(x)), int(std::lround(y))});
    QTest::mouseClick(window.Image321, Qt::LeftButton, {}, QPoint(at.X, at.Y));
  };
  clickChart(point.Found.X, point.Found.Y);
  clickChart(truth.X, truth.Y);
  EXPECT_NEAR(window.State().Source.GeoRef.Grid[2][1].X, truth.X, 1.5);
  EXPECT_NE(report->findChild<QLabel*>(QStringLiteral("Summary"))->text().indexOf(QStringLiteral("Grid check: ")), -1);
  EXPECT_EQ(window.State().GridFit.Report->Points[2 + 1 * 4].Mark, PointMark::Good);
  EXPECT_EQ(window.State().GridFit.Report->Flagged(), 0);

  auto* undo = report->findChild<QPushButton*>(QStringLiteral("Undo"));
  ASSERT_TRUE(undo->isEnabled());
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_EQ(window.State().Source.GeoRef.Method(), model.Method());
  EXPECT_EQ(window.State().Source.GeoRef.Grid[1][1].X, model.Grid[1][1].X);
  EXPECT_FALSE(undo->isEnabled());
  MapSourceState stored;
  stored.Path = source.Path;
  LoadMapINI(stored);
  EXPECT_EQ(stored.GeoRef.Method(), model.Method());
}

}  // namespace
}  // namespace cz
