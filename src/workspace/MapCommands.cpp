#include "workspace/MapCommands.h"

#include <string>

#include "efismap/MakeMaps.h"
#include "georef/ChartGeoReference.h"
#include "georef/ProjectionLattice.h"
#include "georef/WidenedGrid.h"
#include "platform/Paths.h"
#include "platform/Error.h"
#include "project/Project.h"
#include "tiling/CoveredTiles.h"
#include "tiling/TileFiles.h"

namespace cz {

namespace {

// The chart's own projection when its grid is the one that projection gives (the GeoTIFF
// command or /G, not edited since): partial cells then follow the projection exactly.
std::optional<ChartProjection> OwnProjection(const MapSourceState& source) {
  if (source.GeoRef.Method() != GeoReferencingMethod::ManualGrid) return std::nullopt;
  try {
    std::optional<ChartProjection> chart = ReadChartGeoReference(source.Path);
    if (chart && GridIsChartProjection(source.GeoRef, *chart)) return chart;
  } catch (const CartozenError&) {
    // A georeference that cannot be used is not the grid's: the grid then continues itself.
  }
  return std::nullopt;
}

std::shared_ptr<const CoverageRun> CoverageRunOf(const MapSourceState& source,
                                                 const ChartCoverage& coverage,
                                                 const ChartProjection* projection) {
  if (!coverage.Active() || !source.Loaded) return nullptr;
  return PrepareCoverageRun(source.GeoRef, coverage, source.Image, projection,
                            ExtractFileName(source.Path));
}

}  // namespace

std::shared_ptr<const CoverageRun> CoverageRunOf(const MapSourceState& source,
                                                 const ChartCoverage& coverage) {
  if (!coverage.Active() || !source.Loaded) return nullptr;
  const std::optional<ChartProjection> projection = OwnProjection(source);
  return CoverageRunOf(source, coverage, projection ? &*projection : nullptr);
}

std::shared_ptr<const CoverageRun> CoveragePlanOf(const MapSourceState& source, std::int32_t width,
                                                  std::int32_t height) {
  if (!source.Coverage.Active()) return nullptr;
  const std::optional<ChartProjection> projection = OwnProjection(source);
  return PlanCoverageCells(source.GeoRef, source.Coverage, width, height,
                           projection ? &*projection : nullptr, ExtractFileName(source.Path));
}

TileJob TileJobOf(const AppState& state) {
  return TileJobOf(state.Source, state.Project.Folder);
}

TileJob TileJobOf(const MapSourceState& source, const std::string& projectFolder) {
  const std::optional<ChartProjection> projection =
      source.Loaded ? OwnProjection(source) : std::nullopt;
  TileJob job{
      source.GeoRef, source.Image,
      projectFolder, CoverageRunOf(source, source.Coverage, projection ? &*projection : nullptr),
      nullptr,       std::nullopt};
  if (projection && !job.Coverage) {
    job.Placement = std::make_shared<ProjectionLattice>(source.GeoRef, *projection);
  }
  return job;
}

std::int32_t DeleteAllTilesCommand(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return -1;
  if (!state.Project.Open) {
    ui.ShowMessage(kNoProjectOpenedText);
    return -1;
  }
  if (!ui.Confirm("Delete all tiles in current projects tile folder ?")) return -1;
  const std::int32_t count = DeleteAllTiles(state.Project.Folder);
  ui.ShowMessage("Done, deleted " + std::to_string(count) +
                 " tiles. Please create new tiles before creating maps");
  return count;
}

void CreateMaps(AppState& state, UserInterface& ui) {
  if (RefuseIfBusy(state.Busy, ui)) return;
  if (!state.Project.Open) throw CartozenError("No project has been opened.");
  BusyScope building(state.Busy, LongOperation::MapBuilding);
  MakeMapsJob job;
  job.projectFolder = state.Project.Folder;
  job.extension = state.MapExtension();
  CreateMaps(job, ui);
}

}  // namespace cz
