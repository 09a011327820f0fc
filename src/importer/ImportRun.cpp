#include "importer/ImportRun.h"

#include <exception>
#include <new>
#include <string>

#include "georef/GridLayout.h"
#include "platform/Error.h"
#include "importer/WebMercator.h"
#include "project/MapSourceSettings.h"

namespace cz {

namespace {

void SetLevelsMask(AppState& app, std::uint8_t levels) {
  app.Source.GeoRef.MapResolution = levels;
  app.CommandLine.ResolutionMask = levels;
}

// The mosaic is dropped and no map is loaded, so the tile creation that follows reports that
// there is nothing to process; the reason stays visible in the status line.
void DropMosaic(ImportContext& context, const std::string& reason) {
  context.App.Source.Image.Release();
  context.App.Source.Loaded = false;
  context.Ui.SetStatusText(reason);
}

// The menu's tile command on the fresh mosaic, as a step of the import (not refused as busy).
void ProcessMosaic(ImportContext& context) {
  OwnStep step(context.App.Busy);
  context.ProcessSourceMap();
}

}  // namespace

void BuildCellMosaic(ImportContext& context, const MosaicArea& area, PngTileDecoder& decoder) {
  MapSourceState& source = context.App.Source;
  source.Loaded = false;
  source.Path.clear();
  try {
    source.Image.Release();
    source.Image = Raster32(area.Width + 20, area.Height + 20);  // all 0: black, alpha 0
    context.Ui.ShowImportMosaic(false);
    SetMosaicGeoReference(source.GeoRef, area);
    LoadPNGTiles(source.Image, context.App.Project.Epsg3857SourceFolder, area, decoder, context.Ui);
    LayoutReferenceGrid(source.GeoRef);
    source.Loaded = true;
    context.Ui.ShowImportMosaic(true);
    context.Ui.SetStatusText(kImportStatusText);
  } catch (const OperationCancelled&) {
    DropMosaic(context, "");
    throw;
  } catch (const std::bad_alloc&) {
    DropMosaic(context, "Not enough memory for the EPSG3857 mosaic of " +
                            std::to_string(area.Width + 20) + " x " +
                            std::to_string(area.Height + 20) + " pixels");
  } catch (const std::exception& error) {
    DropMosaic(context, error.what());
  }
}

void ProcessImport(ImportContext& context) {
  if (RefuseIfBusy(context.App.Busy, context.Ui)) return;
  const ImportState& import = context.Import;
  if (!import.FolderValid || !import.CellChosen) return;
  if (const auto refusal = CheckImportCell(import.NorthEdge, import.WestEdge)) {
    context.Ui.ShowMessage(*refusal);
    return;
  }
  // The first mosaic replaces the loaded chart: its settings file is saved first, as loading
  // another source does, so georeference edits not yet saved are kept. A failed write stops
  // the run here, with the chart still loaded.
  if (context.App.Source.Loaded) SaveMapINI(context.App.Source);
  BusyScope busy(context.App.Busy, LongOperation::Import);
  PngTileDecoder decoder;
  for (int zoom = kFirstImportZoom; zoom < kLastImportZoom; ++zoom) {
    BuildCellMosaic(context, MakeMosaicArea(import.NorthEdge, import.WestEdge, 8, zoom), decoder);
    const std::uint8_t levels = LevelsForZoom(import.ZoomChoices, zoom);
    SetLevelsMask(context.App, levels);
    if (levels != 0) ProcessMosaic(context);
  }
  const std::uint8_t levels = LevelsForZoom(import.ZoomChoices, kLastImportZoom);
  if (levels == 0) return;
  // Quarters north-west, south-west, north-east, south-east.
  constexpr std::int32_t kLatitudeOffsets[4] = {0, 4, 0, 4};
  constexpr std::int32_t kLongitudeOffsets[4] = {0, 0, 4, 4};
  for (int quarter = 0; quarter < 4; ++quarter) {
    BuildCellMosaic(
        context,
        MakeMosaicArea(import.NorthEdge - kLatitudeOffsets[quarter],
                       import.WestEdge + kLongitudeOffsets[quarter], 4, kLastImportZoom),
        decoder);
    SetLevelsMask(context.App, levels);
    ProcessMosaic(context);
  }
}

void StartImportFromCommandLine(ImportContext& context) {
  const CommandLineState& commandLine = context.App.CommandLine;
  ImportState& import = context.Import;
  import.NorthEdge = commandLine.ImportLatitude;
  import.WestEdge = commandLine.ImportLongitude;
  for (int k = 0; k < kEfisZoomCount; ++k) import.ZoomChoices[k] = commandLine.ImportZooms[k];
  SetImportSourceFolder(import, context.App.Project, commandLine.SourceArgument);
  import.CellChosen = true;
  ProcessImport(context);
}

}  // namespace cz
