#pragma once
// The commands on the project as a whole: the application's start-up, create or open one from
// the menu, distribute a map option to its sources' settings files, and the application's
// closing.

#include <string>

#include "batch/MapOptions.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

// The start-up of every run, window or not: "Cartozen2.ini" read and the last project reopened
// (StartUpProject). A failure is reported on ui (ReportError) and its text returned, so that a
// command-line run can still log it (LogStartUpFailure); empty when the start-up went well.
std::string StartUpApplication(AppState& state, UserInterface& ui);

// The menu's create-or-open flow for the file chosen in the project-file dialog. A file that
// does not exist is created only after the question kCreateProjectQuestion is answered Yes;
// a chosen name without an extension gets ".prg". The current source's settings file is saved
// before the project changes. Refused while a long operation runs (BusyState.h). Returns true
// when a project was opened or created.
bool CreateOrOpenProject(AppState& state, const std::string& chosenFile, UserInterface& ui);

// A "DX" button of the Map Options dialog (MapOptions::Distribute). Refused while a long
// operation runs, since a running batch reads those files. Returns how many files were written.
int DistributeMapOption(AppState& state, const MapOptions& options, DistributedOption option,
                        UserInterface& ui);

// The application's closing: saves the loaded source's settings file, then the project's
// (CloseProject). A failed write throws and leaves the project open, so the closing can be
// abandoned and tried again.
void CloseApplication(AppState& state);

}  // namespace cz
