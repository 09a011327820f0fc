#include "workspace/WindowlessRun.h"

#include <langinfo.h>
#include <strings.h>

#include <clocale>
#include <exception>

#include "batch/CommandLine.h"
#include "efismap/MapViewer.h"
#include "port/HeadlessUserInterface.h"
#include "workspace/CommandLineRun.h"
#include "workspace/ProjectCommands.h"

namespace cz {

namespace {

bool IsUtf8(const char* codeset) {
  return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0;
}

// The locale a run with the toolkit has: the environment's, with a UTF-8 character type when
// the environment's is not (as Qt's application object sets it up).
void AdoptEnvironmentLocale() {
  std::setlocale(LC_ALL, "");
  if (IsUtf8(nl_langinfo(CODESET))) return;
  std::string name = std::setlocale(LC_CTYPE, nullptr);
  name = name.substr(0, name.find_first_of(".@")) + ".UTF-8";
  for (const char* candidate : {name.c_str(), "C.UTF-8", "C.utf8", "UTF-8"}) {
    if (std::setlocale(LC_CTYPE, candidate)) return;
  }
}

}  // namespace

void CloseWithoutWindow(AppState& state, UserInterface& ui) {
  try {
    ProjectState& project = state.Project;
    if (project.Open) {
      const ViewerCentreText shown = UpdateInfo({project.ViewerLatitude, project.ViewerLongitude});
      const ViewerCentre kept = GetViewerLatLong(shown.Latitude, shown.Longitude);
      project.ViewerLatitude = kept.Latitude;
      project.ViewerLongitude = kept.Longitude;
    }
    CloseApplication(state);
  } catch (const std::exception& error) {
    ui.ReportError(error);
  }
}

int RunWithoutWindow(Workspace& workspace) {
  AdoptEnvironmentLocale();
  HeadlessUserInterface ui;
  workspace.StartUp(ui);
  try {
    CommandLineHost host;
    workspace.RunCommandLine(ui, host);
  } catch (const std::exception& error) {
    ui.ReportError(error);
  }
  workspace.LogStartUpFailure();
  CloseWithoutWindow(workspace.State(), ui);
  return CommandLineRunLogged(ui.Logged()) ? 1 : 0;
}

int RunWithoutWindow(std::vector<std::string> arguments) {
  Workspace workspace(std::move(arguments));
  return RunWithoutWindow(workspace);
}

}  // namespace cz
