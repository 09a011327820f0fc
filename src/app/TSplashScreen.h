#pragma once
// The start-up picture: a borderless window of 320 × 307 client pixels, centred on the main
// window, showing our 321 × 308 chart picture (compiled in as a Qt resource, drawn by
// scripts/make-splash-picture.py). The main window shows it on its first showing and its
// start-up timer hides it.

#include <QWidget>

class QLabel;

namespace cz {

class TSplashScreen : public QWidget {
  Q_OBJECT
 public:
  // mainWindow: the window it is centred on and belongs to.
  explicit TSplashScreen(QWidget* mainWindow);

  // Centres the window on the main window (on its screen when the main window is hidden) and
  // shows it on top.
  void ShowCentred();

  QLabel* Image1 = nullptr;  // the picture, at its own size from the top-left corner
};

}  // namespace cz
