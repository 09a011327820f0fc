#pragma once
// The program's state for one run and the steps every run takes on it, window or not. main()
// makes the one Workspace of the process before anything else and hands it to the main window
// (app/TForm1.h) or to the display-less run (WindowlessRun.h); it outlives both.
//
// It owns the AppState (open project, loaded source, busy state, cancel flags and the events
// windows subscribe to: AppState.h), the switches the program was started with, and what the
// start-up could not do. The commands themselves are free functions on the AppState (one
// header per group: ProjectCommands.h, SourceLoading.h, GeoReferenceEdits.h, ...), each with
// its refusal rules.
//
// A run: StartUp, then (with switches) RunCommandLine, LogStartUpFailure after it, and at the
// end the closing (CloseApplication, ProjectCommands.h).

#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"
#include "workspace/CommandLineRun.h"

namespace cz {

class Workspace {
 public:
  // arguments: the command line without the program name.
  explicit Workspace(std::vector<std::string> arguments = {});
  // Windows hold references into it.
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  AppState& State() { return state_; }
  const AppState& State() const { return state_; }
  const CommandArguments& Arguments() const { return arguments_; }

  // "Cartozen2.ini" read and the last project reopened (StartUpApplication); a failure is
  // reported on ui and kept for LogStartUpFailure.
  void StartUp(UserInterface& ui);

  // The switches' run (CommandLineBatch) with host's share of it; errors propagate to the
  // caller's general error handler.
  CommandLineOutcome RunCommandLine(UserInterface& ui, CommandLineHost& host);
  bool CommandLineRan() const { return commandLineRan_; }

  // After the run: the start-up failure is logged when the run logged nothing else.
  void LogStartUpFailure() const;

 private:
  AppState state_;
  CommandArguments arguments_;
  std::string startUpError_;
  bool commandLineRan_ = false;
};

}  // namespace cz
