#include "TSplashScreen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

// The resource lives in the app's static library: nothing would pull it into the program
// without this reference (Q_INIT_RESOURCE must be called outside any namespace).
static void InitSplashResource() {
  Q_INIT_RESOURCE(Splash);
}

namespace cz {

namespace {
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 307;
}  // namespace

TSplashScreen::TSplashScreen(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::SplashScreen | Qt::FramelessWindowHint) {
  InitSplashResource();
  setFixedSize(kClientWidth, kClientHeight);
  Image1 = new QLabel(this);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setGeometry(0, 0, kClientWidth, kClientHeight);
  Image1->setPixmap(QPixmap(QStringLiteral(":/cartozen/Splash.jpg")));
}

void TSplashScreen::ShowCentred() {
  const QWidget* mainWindow = parentWidget();
  QRect area;
  if (mainWindow && mainWindow->isVisible()) {
    area = mainWindow->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) {
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(area.center());
    move(placed.topLeft());
  }
  show();
  raise();
}

}  // namespace cz
