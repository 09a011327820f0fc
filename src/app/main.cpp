// Program entry: the main window, the start-up timer and, with switches, the command-line run.

#include <cstdlib>
#include <string>
#include <vector>

#include "CartozenApplication.h"
#include "TForm1.h"

namespace {

// Started with switches and no display (a script, a cron job), the program needs no display:
// Qt's offscreen platform is chosen unless the caller chose a platform.
bool ChooseDisplaylessPlatform(int argc) {
  const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  if (argc > 1 && !hasDisplay && !std::getenv("QT_QPA_PLATFORM")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  return argc > 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  // The switches exactly as given, before Qt takes out options it knows ("-reverse", ...).
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  const bool hasSwitches = ChooseDisplaylessPlatform(argc);
  cz::CartozenApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VDK Avionics Cartozen 2"));
  const QString platform = QGuiApplication::platformName();
  const bool displayless = hasSwitches && (platform == QLatin1String("offscreen") ||
                                           platform == QLatin1String("minimal"));

  // The main window; it creates the other windows, in their fixed order, for the whole run.
  cz::TForm1 window(std::move(arguments), displayless);
  app.SetErrorHandler(
      [&window](const std::exception& error) { window.HandleUncaughtError(error); });
  window.show();
  const int status = app.exec();
  if (window.CommandLineRan()) return window.RunLogged() ? 1 : 0;
  return status;
}
