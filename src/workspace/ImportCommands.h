#pragma once
// The commands that start the EPSG3857 import (importer/ImportRun.h): "Process" of the import
// window and the command line's /E. The run's cell, zoom choices and tile tree are taken when
// it starts (ImportJob); after each mosaic the command line's resolution mask follows the
// source's MapResolution, and the menu's tile command runs as a step of the import. A cell
// reaching a pole is refused up front with a message box (CheckImportCell).

#include <functional>

#include "importer/ImportRun.h"
#include "importer/ImportState.h"
#include "port/UserInterface.h"
#include "workspace/AppState.h"

namespace cz {

// What a run works on and with.
struct ImportContext {
  ImportState& Import;
  AppState& App;
  UserInterface& Ui;
  // The main window's "Process source map (create tiles)": creates the tiles of the loaded
  // map, or shows "No map image loaded - nothing to process..." when none is loaded. The
  // import calls exactly the entry the menu uses.
  std::function<void()> ProcessSourceMap;
};

// "Process": the whole run. Refused while another long operation runs (BusyState.h). Does
// nothing, without a message, unless the folder is valid and a cell has been chosen. A loaded
// chart's settings file is saved (SaveMapINI) before the first mosaic replaces it; that write's
// failure throws, before anything is replaced.
void ProcessImport(ImportContext& context);

// The command line's import: the cell corner, the five zoom choices, /A (the coverage from
// transparency) and the folder (the /S argument) from the command-line state; the folder becomes
// the project's EPSG3857 source folder, valid when it exists; the cell counts as chosen; then
// "Process".
void StartImportFromCommandLine(ImportContext& context);

}  // namespace cz
