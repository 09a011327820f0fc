// The shell's secondary windows: the splash, the process window and the map builder's window.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "QtUserInterface.h"
#include "TMakeMaps.h"
#include "TProcessViewer.h"
#include "TSplashScreen.h"
#include "app/TestApplication.h"
#include "project/Project.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "workspace/ProjectCommands.h"

namespace cz {
namespace {

class SecondaryWindowsTest : public ::testing::Test {
 protected:
  QApplication& application = testing::TestApplication();  // before any widget
  QWidget mainWindow;
  QLineEdit statusLine;
  testing::RecordingUserInterface boxes;  // message boxes, recorded instead of shown
  QtUserInterface ui{&mainWindow, &statusLine, &boxes};
};

TEST_F(SecondaryWindowsTest, SplashIsBorderlessShowsThePictureAndCentresOnTheMainWindow) {
  mainWindow.setGeometry(100, 60, 1024, 768);
  mainWindow.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));

  TSplashScreen splash(&mainWindow);
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.size(), QSize(320, 307));
  EXPECT_EQ(splash.Image1->pixmap().size(), QSize(321, 308));  // compiled in

  splash.ShowCentred();
  EXPECT_TRUE(splash.isVisible());
  const QPoint offset = splash.frameGeometry().center() - mainWindow.frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(SecondaryWindowsTest, ProcessWindowShowsEachTileOpaqueAtScaleOne) {
  TProcessViewer viewer(&mainWindow);
  EXPECT_EQ(viewer.windowTitle().toStdString(), "Transformation process Viewer");
  EXPECT_EQ(viewer.size(), QSize(616, 617 + ProgressPanel::kHeight));  // image, then progress
  EXPECT_EQ(viewer.ProcessImage->size(), QSize(600, 600));
  ASSERT_EQ(viewer.Image().Width(), 600);
  ASSERT_EQ(viewer.Image().Height(), 600);
  EXPECT_EQ(viewer.Image().At(599, 599), 0u);

  ui.SetProcessViewer(&viewer);
  ui.BeginTileJob();
  EXPECT_TRUE(viewer.isVisible());
  // A level-2 tile: W + 1 = 601 columns, alpha 0 as the renderers leave it.
  Raster32 tile(601, 600);
  tile.Fill(0x00204080u);
  tile.At(0, 0) = 0x00FF0000u;
  ui.ShowTileMade(tile);
  tile.Fill(0);  // the run reuses its raster: the window keeps what it was shown

  const QImage shown = viewer.ProcessImage->grab().toImage();
  EXPECT_EQ(shown.pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(shown.pixel(599, 599), 0xFF204080u);
  ui.EndTileJob();
  EXPECT_FALSE(viewer.isVisible());
}

TEST_F(SecondaryWindowsTest, MapBuilderShowsItsWindowAndEachLineWhileItBuilds) {
  testing::TempFolder work;
  AppState state;
  TMakeMaps window(&mainWindow);
  window.AttachTo(ui);
  EXPECT_EQ(window.windowTitle().toStdString(), "MakeMaps");

  window.CreateMaps(state, ui);
  EXPECT_EQ(boxes.messages, std::vector<std::string>{"No project has been opened."});
  EXPECT_FALSE(window.isVisible());

  std::filesystem::create_directories(work / "P");
  boxes.answers = {true};
  ASSERT_TRUE(CreateOrOpenProject(state, work / "P/p.prg", ui));
  work.Write("P/Tiles/2_15668.GIF", "GIF87a");
  work.Write("P/Tiles/2_15669.GIF", "GIF87a");
  window.Memo1->setPlainText(QStringLiteral("the log of an earlier build"));
  std::vector<std::string> seen;  // each line as the memo shows it, and whether it is visible
  QObject::connect(window.Memo1, &QPlainTextEdit::textChanged, [&] {
    const QString text = window.Memo1->toPlainText();
    if (!text.isEmpty() && window.isVisible()) seen.push_back(text.section('\n', -1).toStdString());
  });
  window.CreateMaps(state, ui);
  EXPECT_EQ(seen, (std::vector<std::string>{"Reading tile file names", "Found 2 tile files",
                                            "Adding tile 2_15668.GIF", "Adding tile 2_15669.GIF",
                                            "Creating EFIS map file E004N50.MAP",
                                            "Done, created 1 EFIS maps"}));
  EXPECT_EQ(window.Memo1->document()->blockCount(), 6);

  // A build started while another long operation runs leaves this log alone.
  BusyScope busy(state.Busy, LongOperation::TileCreation);
  window.CreateMaps(state, ui);
  EXPECT_EQ(statusLine.text().toStdString(), BusyRefusalText(LongOperation::TileCreation));
  EXPECT_EQ(window.Memo1->document()->blockCount(), 6);
}

TEST_F(SecondaryWindowsTest, ProgressBarsFollowTheirJobsAndCancelAsksTheJobToStop) {
  QtUserInterface windowed(&mainWindow, &statusLine, nullptr);
  TProcessViewer viewer(&mainWindow);
  TMakeMaps builder(&mainWindow);
  windowed.SetProcessViewer(&viewer);
  builder.AttachTo(windowed);
  windowed.BeginTileJob();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));

  ProgressReport tiles{ProgressTask::TileCreation, 3, 12, 0, 3, 8, 1.5};
  windowed.ShowProgress(tiles);
  EXPECT_EQ(viewer.Progress->Bar->maximum(), 12);
  EXPECT_EQ(viewer.Progress->Bar->value(), 3);
  EXPECT_FALSE(viewer.Progress->Text->text().isEmpty());
  windowed.ShowProgress({ProgressTask::MapBuilding, 1, 2});
  EXPECT_EQ(builder.Progress->Bar->value(), 1);
  EXPECT_EQ(viewer.Progress->Bar->value(), 3);  // each window its own job

  EXPECT_FALSE(windowed.CancelRequested());
  QTest::mouseClick(viewer.Progress->CancelButton, Qt::LeftButton);
  EXPECT_TRUE(windowed.CancelRequested());
  EXPECT_FALSE(viewer.Progress->CancelButton->isEnabled());
  windowed.BeginTileJob();  // the next run starts afresh
  EXPECT_FALSE(windowed.CancelRequested());
  EXPECT_TRUE(viewer.Progress->CancelButton->isEnabled());
  ProgressReport ended = tiles;
  ended.Ended = true;
  windowed.ShowProgress(ended);
  EXPECT_FALSE(viewer.Progress->CancelButton->isEnabled());  // nothing left to cancel

  builder.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&builder));
  QTest::mouseClick(builder.Progress->CancelButton, Qt::LeftButton);
  EXPECT_TRUE(windowed.CancelRequested());
}

}  // namespace
}  // namespace cz
