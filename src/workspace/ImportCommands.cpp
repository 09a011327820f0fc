#include "workspace/ImportCommands.h"

#include "imaging/MapSource.h"
#include "workspace/CommandAvailability.h"

namespace cz {

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
  ReplaceSource(context.App);
  const ImportJob job = ImportJobOf(import, context.App.Project.Epsg3857SourceFolder);
  MosaicTarget target{context.App.Source, context.Ui, [&context](std::uint8_t levels) {
                        context.App.CommandLine.ResolutionMask = levels;
                        if (levels == 0) return;
                        // The menu's tile command on the fresh mosaic, as a step of the import
                        // (not refused as busy).
                        OwnStep step(context.App.Busy);
                        context.ProcessSourceMap();
                      }};
  ImportCellMosaics(job, target);
}

void StartImportFromCommandLine(ImportContext& context) {
  const CommandLineState& commandLine = context.App.CommandLine;
  ImportState& import = context.Import;
  import.NorthEdge = commandLine.ImportLatitude;
  import.WestEdge = commandLine.ImportLongitude;
  for (int k = 0; k < kEfisZoomCount; ++k) import.ZoomChoices[k] = commandLine.ImportZooms[k];
  import.CoverageFromTransparency = commandLine.CoverageFromTransparency;
  SetImportSourceFolder(import, context.App.Project, commandLine.SourceArgument);
  import.CellChosen = true;
  ProcessImport(context);
}

}  // namespace cz
