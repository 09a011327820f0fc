// Program entry: the main window, the start-up timer and, with switches, the command-line run.

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "CartozenApplication.h"
#include "DesktopIdentity.h"
#include "QtMessageFilter.h"
#include "TForm1.h"
#include "batch/StandardOptions.h"

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
  // --help and --version need neither Qt nor a file.
  if (const std::optional<int> status = cz::AnswerStandardOption(arguments)) return *status;

  const bool hasSwitches = ChooseDisplaylessPlatform(argc);
  cz::InstallQtMessageFilter(hasSwitches && cz::DisplaylessPlatformRequested());
  cz::CartozenApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VDK Avionics Cartozen 2"));
  cz::ApplyDesktopIdentity();
  const QString platform = QGuiApplication::platformName();
  const bool displayless = hasSwitches && (platform == QLatin1String("offscreen") ||
                                           platform == QLatin1String("minimal"));
  cz::SetQtMessagesQuiet(displayless);

  // The main window; it creates the other windows, in their fixed order, for the whole run.
  cz::TForm1 window(std::move(arguments), displayless);
  app.SetErrorHandler(
      [&window](const std::exception& error) { window.HandleUncaughtError(error); });
  window.show();
  // Showing the splash lets pending events run (Qt does so for splash windows). After a slow
  // start the start-up timer fires in there, and a command-line run can end with the window
  // closed before the event loop starts; that loop would wait for a close already past.
  const int status = window.isVisible() ? app.exec() : 0;
  if (window.CommandLineRan()) return window.RunLogged() ? 1 : 0;
  return status;
}
