// A chart that carries its own georeference, in the main window as a person meets it: the
// question when it is loaded, and the "Project" menu command (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QInputDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "ChartView.h"
#include "TGridReportForm.h"
#include "app/TestMainWindow.h"
#include "app/AppTestSupport.h"
#include "georef/ChartGeoReference.h"
#include "georef/SampleGeoTiff.h"
#include "platform/ExecutableFolder.h"
#include "support/ControlPointCharts.h"
#include "support/TempFolder.h"
#include "workspace/ChartGeoReferenceCommands.h"

namespace cz {
namespace {

using testing::Application;
using testing::ClickMenuItem;
using testing::MessageBoxAnswerer;
using testing::TempFolder;

// The main window shown, its program folder in programFolder and the project P (in work)
// opened through its Project menu.
std::unique_ptr<TestMainWindow> OpenProject(const TempFolder& programFolder, const TempFolder& work) {
  Application();
  OverrideProgramDataFolder(programFolder.Path());
  auto window = std::make_unique<TestMainWindow>(std::vector<std::string>{}, false);
  window->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const std::string project = work.Write("P/P.prg", "[General]\r\n");
  window->ChooseProjectFile = [project] { return std::optional<std::string>(project); };
  ClickMenuItem(window->menuBar(), window->ProjectMenu, window->CreateOrOpenProjectItem);
  return window;
}

TEST(ChartGeoReferenceWindow, NoAtLoadingThenTheMenuCommandDrawsTheChartsGrid) {
  TempFolder programFolder, work;
  auto window = OpenProject(programFolder, work);
  const auto click = [&](QAction* item) {
    ClickMenuItem(window->menuBar(), window->ProjectMenu, item);
  };
  // A Lambert chart around 47° N 8° E at 1 km per pixel: a 2 × 2 degree grid.
  const std::string chart = work / "P/Map sources/lambert.tif";
  std::filesystem::create_directories(work / "P/Map sources");
  WriteSampleGeoTiff({"+proj=lcc +lat_1=44 +lat_2=50 +lat_0=47 +lon_0=8 +datum=WGS84", 0, -140000,
                      145000, 1000, 280, 290, true},
                     chart);
  window->ChooseSourceFile = [chart](const std::string&, const std::string&) {
    return std::optional<std::string>(chart);
  };
  {
    MessageBoxAnswerer no(false);
    click(window->LoadSourceMapItem);
    EXPECT_EQ(no.texts, std::vector<std::string>{kUseChartGeoReferenceQuestion});
  }
  const GeoReference& geo = window->State().Source.GeoRef;
  ASSERT_TRUE(window->State().Source.Loaded);
  EXPECT_EQ(geo.GeoReferencingType, 0);

  {
    MessageBoxAnswerer none;
    click(window->UseChartGeoReferenceItem);
    EXPECT_TRUE(none.texts.empty());
  }
  EXPECT_EQ(geo.GeoReferencingType, 1);
  EXPECT_EQ(geo.NLon, 2);
  EXPECT_EQ(geo.NLat, 2);
  // Grid point 1/1, 47° N 8° E, the chart's centre: drawn in lime where it lies.
  const GridPoint& centre = geo.Grid[1][1];
  EXPECT_EQ(centre.X, 140);
  const PixelPoint at = window->Image321->Mapping().ToView({centre.X, centre.Y});
  EXPECT_EQ(window->Image321->Overlay().pixelColor(at.X, at.Y), QColor(0, 255, 0));
  // The manual grid's buttons: only the two corner references.
  EXPECT_TRUE(window->BitBtn1->isVisible());
  EXPECT_FALSE(window->BitBtn4->isVisible());

  window.reset();
  OverrideProgramDataFolder("");
}

// Chooses the last option of the input dialog that shows, with the keyboard, as a person would.
class LastOptionChooser {
 public:
  LastOptionChooser() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !dialog->isVisible()) return;
      labels.push_back(dialog->labelText().toStdString());
      auto* options = dialog->findChild<QComboBox*>();
      QTest::keyClick(options, Qt::Key_End);
      QTest::keyClick(options, Qt::Key_Return);
    });
    timer_.start();
  }
  std::vector<std::string> labels;

 private:
  QTimer timer_;
};

TEST(ChartGeoReferenceWindow, ControlPointsAreFittedAsChosenAndListedInTheGridReport) {
  TempFolder programFolder, work;
  auto window = OpenProject(programFolder, work);
  const auto click = [&](QAction* item) {
    ClickMenuItem(window->menuBar(), window->ProjectMenu, item);
  };
  const std::string chart = work / "P/Map sources/cp.tif";
  std::filesystem::create_directories(work / "P/Map sources");
  testing::WriteControlPointChart(chart);
  window->ChooseSourceFile = [chart](const std::string&, const std::string&) {
    return std::optional<std::string>(chart);
  };
  {
    MessageBoxAnswerer no(false);
    click(window->LoadSourceMapItem);
  }
  {
    LastOptionChooser spline;
    click(window->UseChartGeoReferenceItem);
    EXPECT_EQ(spline.labels, std::vector<std::string>{kChooseControlPointFitQuestion});
  }
  EXPECT_EQ(window->State().Source.GeoRef.NLon, 2);
  ASSERT_TRUE(window->State().GridFit.ControlPoints.has_value());
  EXPECT_EQ(window->State().GridFit.ControlPoints->Kind, ControlPointFitKind::Spline);

  click(window->GridReportItem);
  auto* report = window->findChild<TGridReportForm*>();
  ASSERT_NE(report, nullptr);
  auto* table = report->findChild<QTableWidget*>(QStringLiteral("ControlPoints"));
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(table->isVisible());
  EXPECT_EQ(table->rowCount(), 12);

  window.reset();
  OverrideProgramDataFolder("");
}

}  // namespace
}  // namespace cz
