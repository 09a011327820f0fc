#pragma once
// A command-line run without a display, straight from main(): no window and no Qt. It takes
// the steps of every run on the same Workspace type the main window is given (Workspace.h),
// in the order the main window takes them:
//
//   1. the user's locale, as the toolkit would adopt it (the /X numbers are read in it);
//   2. start-up: "Cartozen2.ini" read, the last project reopened (Workspace::StartUp); a
//      failure is logged and remembered;
//   3. the switches' run (Workspace::RunCommandLine) with the display-less port
//      (HeadlessUserInterface) and the core's default host (no chart view, the import's
//      state, the workspace's tile and map commands); an error that escapes the run is logged
//      and ends it;
//   4. the start-up failure logged when the run logged nothing else;
//   5. closing as the window closes: the viewer centre as its edits give it back
//      (CloseWithoutWindow), the source's settings file, the project file and
//      "Cartozen2.ini" saved; a failed save is logged. /N closes too: nobody could carry on.
//
// Returns the exit status: 1 when the run logged anything, else 0.

#include <string>
#include <vector>

#include "port/UserInterface.h"
#include "workspace/AppState.h"
#include "workspace/Workspace.h"

namespace cz {

// The run on workspace, made by main() with the switches.
int RunWithoutWindow(Workspace& workspace);
// The same on a workspace of its own; arguments: the command line without the program name.
int RunWithoutWindow(std::vector<std::string> arguments);

// Step 5. The map viewer shows the project's centre in its edits to 0.001 minute and stores
// what they hold at closing; without a window the centre takes that rounding too, so the
// project file is the one a window's closing writes.
void CloseWithoutWindow(AppState& state, UserInterface& ui);

}  // namespace cz
