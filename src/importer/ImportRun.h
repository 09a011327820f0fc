#pragma once
// The EPSG3857 import run: for the chosen 8 × 8 degree cell, zoom by zoom from 7 to 11, a
// mosaic of the web tiles becomes the loaded map with a georeference of its own, and the
// ordinary tile creation runs for the EFIS levels that chose that zoom. The command that
// starts it ("Process" of the import window, the command line's /E) and its refusals are the
// workspace's (workspace/ImportCommands.h).
//
// Order: zooms 7 to 10 each make one 8-degree mosaic, also when no level chose the zoom;
// zoom 11 runs only when some level chose it, as four 4-degree quarters: north-west,
// south-west, north-east, south-east. After each mosaic the source's MapResolution becomes
// the levels of that zoom, even when there are none, and the caller is told (MosaicReady),
// which creates the tiles when there are some. The colour options stay as the loaded source
// held them; no settings file is written.
//
// Failures: a mosaic that cannot be built (a PNG that does not decode, a mosaic too large for
// memory) leaves no map loaded, and the following tile creation says "No map image loaded -
// nothing to process..."; the reason goes to the status line. Errors of tile creation itself
// (writing tiles) propagate and end the run.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/MapSource.h"
#include "importer/CellMosaic.h"
#include "importer/ImportState.h"
#include "importer/PngTileDecoder.h"
#include "port/UserInterface.h"

namespace cz {

inline constexpr const char* kImportStatusText = "EPGS3857 import";

// What a run reads, taken when it starts: nothing changed in the import window while it runs
// (the folder, a radio group) reaches its mosaics.
struct ImportJob {
  std::int32_t NorthEdge = 0;  // the cell's north-west corner, whole degrees
  std::int32_t WestEdge = 0;
  std::array<std::uint8_t, kEfisZoomCount> ZoomChoices{};  // as ImportState holds them
  std::string SourceFolder;                                // the tile tree
  bool CoverageFromTransparency = false;                   // as ImportState holds it
};

// The job of the cell and choices of the import window, with the tile tree's folder.
ImportJob ImportJobOf(const ImportState& import, const std::string& sourceFolder);

// Where a run puts its mosaics and whom it tells.
struct MosaicTarget {
  MapSourceState& Source;  // the loaded map: each mosaic replaces it
  UserInterface& Ui;
  // After each mosaic, with the level mask (bit k = TileLevel k) of its zoom, possibly empty.
  std::function<void(std::uint8_t levels)> MosaicReady;
};

// Builds the mosaic of area from the tile tree in folder as the loaded map: marks no map
// loaded, replaces the source image by a black (w + 20) × (h + 20) raster, gives it the
// mosaic's georeference, copies the web tiles in, lays the grid out, then marks the map loaded
// and shows "EPGS3857 import". The source's path is cleared, so that no chart's settings file
// is ever written with the mosaic's georeference. The mosaic's coverage (in memory only) is
// its transparency exactly when the decoder keeps the tiles' alpha (PngAlpha::Kept), so that
// its tiles are painted only where a web tile has opaque pixels; else it has none. Never
// throws but OperationCancelled: failures are handled as described above.
void BuildCellMosaic(MosaicTarget& target, const std::string& folder, const MosaicArea& area,
                     PngTileDecoder& decoder);

// The whole run of job, in the order above.
void ImportCellMosaics(const ImportJob& job, MosaicTarget& target);

}  // namespace cz
