#pragma once
// The EPSG3857 import run ("Process" of the import window, and the command line's /E): for
// the chosen 8 × 8 degree cell, zoom by zoom from 7 to 11, a mosaic of the web tiles becomes
// the loaded map with a georeference of its own, and the ordinary tile creation runs for the
// EFIS levels that chose that zoom.
//
// Order: zooms 7 to 10 each make one 8-degree mosaic, also when no level chose the zoom;
// zoom 11 runs only when some level chose it, as four 4-degree quarters: north-west,
// south-west, north-east, south-east. After each mosaic the level mask (the source's
// MapResolution and the command line's resolution mask) becomes the levels of that zoom, even
// when there are none, and tile creation runs when there are some. The colour options stay as
// the main window holds them; no settings file is written.
//
// Failures: a mosaic that cannot be built (a PNG that does not decode, a mosaic too large for
// memory) leaves no map loaded, and the following tile creation says "No map image loaded -
// nothing to process..."; the reason goes to the status line. Errors of tile creation itself
// (writing tiles) propagate and end the run. A cell reaching a pole is refused up front with
// a message box (CheckImportCell).

#include <functional>

#include "importer/CellMosaic.h"
#include "importer/ImportState.h"
#include "importer/PngTileDecoder.h"
#include "state/AppState.h"
#include "state/UserInterface.h"

namespace cz {

inline constexpr const char* kImportStatusText = "EPGS3857 import";

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

// Builds the mosaic of area as the loaded map: marks no map loaded, replaces the source image
// by a black (w + 20) × (h + 20) raster, gives it the mosaic's georeference, copies the web
// tiles in, lays the grid out, then marks the map loaded and shows "EPGS3857 import". The
// source's path is cleared, so that no chart's settings file is ever written with the
// mosaic's georeference. Never throws: failures are handled as described above.
void BuildCellMosaic(ImportContext& context, const MosaicArea& area, PngTileDecoder& decoder);

// "Process": the whole run. Refused while another long operation runs (BusyState.h). Does
// nothing, without a message, unless the folder is valid and a cell has been chosen. A loaded
// chart's settings file is saved (SaveMapINI) before the first mosaic replaces it; that write's
// failure throws, before anything is replaced.
void ProcessImport(ImportContext& context);

// The command line's import: the cell corner, the five zoom choices and the folder (the /S
// argument) from the command-line state; the folder becomes the project's EPSG3857 source
// folder, valid when it exists; the cell counts as chosen; then "Process".
void StartImportFromCommandLine(ImportContext& context);

}  // namespace cz
