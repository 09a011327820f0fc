#include "TForm1.h"

#include <QStatusBar>

namespace cz {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("VDK Avionics Cartozen 2 V1.5 - No project loaded."));
  resize(1024, 768);
  statusBar();
}

}  // namespace cz
