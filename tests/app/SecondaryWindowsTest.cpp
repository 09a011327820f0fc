// The shell's secondary windows: the splash, the process window and the map builder's window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QTest>

#include "TSplashScreen.h"
#include "app/TestApplication.h"

namespace cz {
namespace {

class SecondaryWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::TestApplication(); }
};

TEST_F(SecondaryWindowsTest, SplashIsBorderlessShowsThePictureAndCentresOnTheMainWindow) {
  QWidget mainWindow;
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

}  // namespace
}  // namespace cz
