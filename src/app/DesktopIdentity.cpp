#include "DesktopIdentity.h"

#include <QGuiApplication>
#include <QIcon>

// The resources live in this static library; naming them here keeps the linker from dropping
// them from the program.
static void InitIconResources() {
  Q_INIT_RESOURCE(Icons);
}

namespace cz {

void ApplyDesktopIdentity() {
  InitIconResources();
  QIcon icon;
  for (const int size : {48, 128, 256}) {
    icon.addFile(QStringLiteral(":/cartozen/cartozen2-%1.png").arg(size), QSize(size, size));
  }
  QGuiApplication::setWindowIcon(icon);
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryName));
}

}  // namespace cz
