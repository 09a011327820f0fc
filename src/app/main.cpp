#include <QApplication>

#include <cstdlib>

#include "TForm1.h"

int main(int argc, char* argv[]) {
  // A run with switches on a machine without a display (a script, a cron job) still works:
  // Qt's offscreen platform needs no display.
  const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  if (argc > 1 && !hasDisplay && !std::getenv("QT_QPA_PLATFORM")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication app(argc, argv);
  cz::TForm1 window;
  window.show();
  return app.exec();
}
