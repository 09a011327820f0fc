// Program entry. It makes the process's one workspace (workspace/Workspace.h), which owns the
// program's state. Started with switches and no display (a script, a cron job), the command
// line runs straight on it, without Qt (workspace/WindowlessRun.h); so do cell jobs (/C, /J),
// display or not, without the workspace's start-up (workspace/CellCommand.h). Otherwise the main
// window is given it, with its start-up timer and, with switches, the command-line run from that
// timer.

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "CartozenApplication.h"
#include "DesktopIdentity.h"
#include "QtMessageFilter.h"
#include "StartUpFailure.h"
#include "TForm1.h"
#include "batch/StandardOptions.h"
#include "workspace/CellCommand.h"
#include "workspace/WindowlessRun.h"
#include "workspace/Workspace.h"

namespace {

// Switches, no display and no platform chosen by the caller. A caller that sets QT_QPA_PLATFORM
// (offscreen, xcb, ...) asks for the window path, and gets it.
bool RunsWithoutWindow(int argc) {
  const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  return argc > 1 && !hasDisplay && !std::getenv("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char* argv[]) {
  // The switches exactly as given, before Qt takes out options it knows ("-reverse", ...).
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  // --help and --version need neither Qt nor a file.
  if (const std::optional<int> status = cz::AnswerStandardOption(arguments)) return *status;

  // A file-size limit (ulimit -f) then fails the write with EFBIG, which is reported as
  // "Unable to write to ..." like a full disk, instead of killing the program mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  // Cell jobs run many at once from a scheduler: never a window, never the program's start-up
  // or closing, whose settings file all of them share.
  if (const cz::CommandArguments switches(arguments); cz::IsCellCommand(switches)) {
    return cz::RunCellCommand(switches);
  }
  cz::Workspace workspace(std::move(arguments));
  if (RunsWithoutWindow(argc)) return cz::RunWithoutWindow(workspace);

  const bool hasSwitches = argc > 1;
  cz::InstallQtMessageFilter(hasSwitches && cz::DisplaylessPlatformRequested());
  cz::StartUpFailureGuard startUpGuard;  // until the application object stands
  cz::CartozenApplication app(argc, argv);
  startUpGuard.Release();
  QApplication::setApplicationName(QStringLiteral("VDK Avionics Cartozen 2"));
  cz::ApplyDesktopIdentity();
  const QString platform = QGuiApplication::platformName();
  const bool displayless = hasSwitches && (platform == QLatin1String("offscreen") ||
                                           platform == QLatin1String("minimal"));
  cz::SetQtMessagesQuiet(displayless);

  // The main window; it creates the other windows, in their fixed order, for the whole run.
  cz::TForm1 window(workspace, displayless);
  app.SetErrorHandler(
      [&window](const std::exception& error) { window.HandleUncaughtError(error); });
  window.show();
  // TForm1::FormShow keeps the start-up timer from firing while the splash lets events run; should
  // any other event during show() still end a command-line run with the window closed, the event
  // loop would wait for a close already past, so it is skipped.
  const int status = window.isVisible() ? app.exec() : 0;
  if (workspace.CommandLineRan()) return window.RunLogged() ? 1 : 0;
  return status;
}
