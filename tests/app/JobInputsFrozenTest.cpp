// A tile run while a person keeps using the window: viewing goes on, every edit of what the
// run reads is disabled or refused where it can be seen, and the tiles are those of the run
// left alone (QT_QPA_PLATFORM=offscreen, real events).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "ChartView.h"
#include "app/TestMainWindow.h"
#include "TGeoRefForm.h"
#include "TProcessViewer.h"
#include "TSkewMeridian.h"
#include "app/AppTestSupport.h"
#include "imaging/SampleChart.h"
#include "platform/ExecutableFolder.h"
#include "project/MapSourceSettings.h"
#include "support/TempFolder.h"
#include "workspace/BusyState.h"

namespace cz {
namespace {

using Clock = std::chrono::steady_clock;

std::map<std::string, std::string> TileFiles(const std::filesystem::path& folder) {
  std::map<std::string, std::string> tiles;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    tiles[entry.path().filename().string()] = bytes.str();
  }
  return tiles;
}

TEST(JobInputsFrozen, EditsDuringATileRunAreRefusedVisiblyAndTheTilesAreThoseOfARunLeftAlone) {
  testing::Application();
  testing::TempFolder programFolder;
  testing::TempFolder work;
  OverrideProgramDataFolder(programFolder.Path());
  auto window = std::make_unique<TestMainWindow>(std::vector<std::string>{}, false);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->Timer1Timer();  // the splash away

  const std::string project = work.Write("P/P.prg", "[General]\r\n");
  std::filesystem::create_directories(work / "P/Map sources");
  std::filesystem::create_directories(work / "P/Tiles");
  MapSourceState chart;
  chart.Path = work / "P/Map sources/big.tif";
  const int width = 6400, height = 3200;
  WriteSampleChart({50, 4, 4, 8, width, height, {}}, chart.Path);
  chart.GeoRef.TopLeft = {50.0, 4.0, 0, 0};
  chart.GeoRef.BottomRight = {46.0, 12.0, width - 1, height - 1};
  chart.GeoRef.MapResolution = 31;  // with the 0.25° tiles: a run of several seconds
  SaveMapINI(chart);
  window->ChooseProjectFile = [project] { return std::optional<std::string>(project); };
  window->ChooseSourceFile = [&chart](const std::string&, const std::string&) {
    return std::optional<std::string>(chart.Path);
  };
  const auto click = [&](QAction* item) {
    testing::ClickMenuItem(window->menuBar(), window->ProjectMenu, item);
  };
  click(window->CreateOrOpenProjectItem);
  click(window->LoadSourceMapItem);
  ASSERT_TRUE(window->State().Source.Loaded);

  // The reference and skew dialogs are open when the run starts.
  QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
  auto* reference = window->findChild<TGeoRefForm*>();
  QTest::mouseClick(window->BitBtn3, Qt::LeftButton);
  auto* skew = window->findChild<TSkewMeridian*>();
  ASSERT_TRUE(reference->isVisible() && skew->isVisible());
  const std::int32_t skewBefore = window->State().Source.GeoRef.SkewLeft;
  const std::string refused = BusyRefusalText(LongOperation::TileCreation);

  bool acted = false;
  Clock::time_point refusedAt;
  std::vector<std::string> statusSoonAfter;
  QTimer during;
  during.setInterval(0);
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!IsBusy(window->State().Busy)) return;
    if (acted) {
      if (Clock::now() - refusedAt < std::chrono::milliseconds(200)) {
        statusSoonAfter.push_back(window->Edit1->text().toStdString());
      }
      return;
    }
    acted = true;
    QTest::mouseClick(window->ScrollBarHorizontal, Qt::LeftButton, {},
                      window->ScrollBarHorizontal->rect().center() + QPoint(40, 0));
    QTest::keyClick(window->ScrollBar1, Qt::Key_Right);
    window->resize(900, 650);
    QTest::keyClick(skew->ScrollBar1, Qt::Key_Right);
    QTest::mouseClick(reference->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(skew->ScrollBar1->isEnabled());
    EXPECT_FALSE(reference->BitBtn1->isEnabled());
    EXPECT_EQ(reference->BitBtn1->toolTip().toStdString(), refused);
    EXPECT_FALSE(window->BitBtn2->isEnabled());
    EXPECT_FALSE(window->LoadSourceMapItem->isEnabled());
    // A press on the chart (a pick, or a grid point moved) is refused in the status line.
    QTest::mouseClick(window->Image321, Qt::LeftButton, {}, QPoint(60, 60));
    refusedAt = Clock::now();
    EXPECT_EQ(window->Edit1->text().toStdString(), refused);
  });
  during.start();
  click(window->ProcessSourceMapItem);
  during.stop();
  ASSERT_TRUE(acted);
  EXPECT_FALSE(statusSoonAfter.empty());
  for (const std::string& text : statusSoonAfter) EXPECT_EQ(text, refused);
  EXPECT_NE(window->Image321->Mapping().Scale, 0.25);  // viewing went on
  EXPECT_EQ(window->State().Source.GeoRef.SkewLeft, skewBefore);
  EXPECT_TRUE(window->LoadSourceMapItem->isEnabled());  // the run has ended
  EXPECT_TRUE(skew->ScrollBar1->isEnabled());
  const auto touched = TileFiles(work / "P/Tiles");
  ASSERT_FALSE(touched.empty());

  std::filesystem::remove_all(work / "P/Tiles");
  std::filesystem::create_directories(work / "P/Tiles");
  click(window->ProcessSourceMapItem);
  const auto alone = TileFiles(work / "P/Tiles");
  EXPECT_EQ(alone.size(), touched.size());
  EXPECT_TRUE(alone == touched);
  window.reset();
  OverrideProgramDataFolder("");
}

}  // namespace
}  // namespace cz
