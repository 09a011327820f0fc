#pragma once
// The command-line run: what the switches asked for, once all of them are read, in a fixed
// order and without dialogs of its own.
//
//   1. SwitchSet 15 (/P /S /X or /G, /R): RunSourcePipeline. SwitchSet 16 (/E): RunImport.
//   2. /M without /N, with a project open: the map files of the open project (the /P project
//      when the pipeline opened it, else the one reopened at start-up).
//   3. The caller closes the application unless /N was given (CommandLineBatch's outcome);
//      closing saves the source's settings file, the project file and "Cartozen2.ini".
//
// Problems of the run go to the error log ("Error.txt", LogError):
//   "Cannot find project " + folder            (OpenProjectFolder)
//   "Cannot find Map source file " + argument
//   /G: "No georeference in " + file name, or the reason its georeference cannot be used
//       (control points too few for the /T fit, or folding it); a chart of control points
//       has its fit's summary and every point's residual on standard error
//   the load-failure message with the byte count the loader recorded
//   the refusal of tile creation (its message box or status text), so that a run that made no
//   tiles is never taken for a successful one
// Each ends the pipeline; /M and closing still follow. An error thrown by an operation
// (settings files, tiles, map files, a position MakeMapINI refuses) ends the whole run: it
// propagates to the application's general error handler.

#include "batch/CommandLine.h"
#include "georef/GridLayoutView.h"
#include "importer/ImportState.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

// The main window's share of a run: its chart view (loading, grid overlay), the import
// window's state and the menu command "Process source map (create tiles)". The defaults serve
// a run without windows: nothing is shown, the grid is laid out without being drawn.
class CommandLineHost : public GridLayoutView {
 public:
  // The import window's cell, folder and zoom choices, kept between showings.
  virtual ImportState& ImportWindow() { return import_; }
  // The menu command "Process source map (create tiles)", which the import runs after each
  // mosaic. Default: the workspace's command (ProjectBatch.h).
  virtual void ProcessSourceMap(AppState& state, UserInterface& ui);
  // /M: the map build of the open project. Default: the workspace's command (MapCommands.h);
  // with a display the main window shows its map-builder window meanwhile, as the menu does.
  virtual void CreateMaps(AppState& state, UserInterface& ui);

 private:
  ImportState import_;
};

// SwitchSet 15: opens the /P project, adds the /S source of its "Map Sources" folder to the
// map-file list, loads it, writes its fresh settings file from /X and /R (MakeMapINI) or from
// the chart's own georeference and /R (/G), lays the grid out and, unless /N, creates its
// tiles.
void RunSourcePipeline(AppState& state, UserInterface& ui, CommandLineHost& host);

// SwitchSet 16: the EPSG3857 import of the /E cell from the /S tile tree, into the project
// known at start-up (StartImportFromCommandLine).
void RunImport(AppState& state, UserInterface& ui, CommandLineHost& host);

// Steps 1 and 2 above.
void RunCommandLine(AppState& state, UserInterface& ui, CommandLineHost& host);

// What the application does once the command line has been handled.
enum class CommandLineOutcome {
  Close,     // the run is over (or a switch failed): close the application
  StayOpen,  // /N: the person carries on interactively
};

// The timer's command-line driver: deletes "Error.txt", reads every switch into state
// (stopping at the first failure; batch/CommandLine.h), then hands over to RunCommandLine with
// the main window's share of the run in host. Errors raised by the run propagate to the
// caller's general error handler.
CommandLineOutcome CommandLineBatch(AppState& state, UserInterface& ui,
                                    const CommandArguments& arguments, CommandLineHost& host);
// The same for a caller without a chart view or import window of its own.
CommandLineOutcome CommandLineBatch(AppState& state, UserInterface& ui,
                                    const CommandArguments& arguments);

// After the run: it began by deleting the log, so a start-up failure (StartUpApplication's
// text; empty for none) is logged when the run logged nothing else.
void LogStartUpFailure(const std::string& startUpError);

// Whether the run logged a problem, so that the process exits with status 1: the port says it
// logged something (portLogged), or "Error.txt" exists.
bool CommandLineRunLogged(bool portLogged);

}  // namespace cz
