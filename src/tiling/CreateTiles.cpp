#include "tiling/CreateTiles.h"

#include <cmath>
#include <string>

#include "geo/Antimeridian.h"
#include "geo/GeoCoord.h"
#include "geo/TileGrid.h"
#include "platform/Error.h"
#include "platform/ThreadCount.h"
#include "port/ProgressCounter.h"
#include "tiling/CoveredTiles.h"
#include "tiling/GifTileStore.h"
#include "tiling/TilePlan.h"
#include "tiling/TileWorkers.h"

namespace cz {
namespace {

constexpr char kNoGeoreferencing[] = "No usable georeferencing defined";
constexpr char kTileCreationCancelled[] = "Tile creation cancelled";

// The grid's position in the world, or nothing when it has no tiles to give: no steps, more
// steps than the grid holds, or cells past the poles (their positions would name tiles of
// another row or none at all). A grid across 180° keeps its continuous longitudes
// (geo/Antimeridian.h): its origin is taken on the earth, and its columns east of 180° name
// the tiles from 180° W on (TilePositionOf).
std::optional<GridOrigin> UsableGrid(const GeoReference& geo) {
  if (geo.NLon <= 0 || geo.NLat <= 0) return std::nullopt;
  if (geo.NLon > kMaxGridSteps || geo.NLat > kMaxGridSteps) return std::nullopt;
  const double lon = std::nearbyint(LongitudeOnEarth(geo.GridLeftLongitude)) + 180;
  const double lat = 90 - std::nearbyint(geo.GridTopLatitude);
  if (!(lon >= 0 && lon < 360 && lat >= 0 && lat + geo.NLat <= 180)) return std::nullopt;
  return GridOrigin{static_cast<std::int32_t>(lon), static_cast<std::int32_t>(lat)};
}

// The first pair of neighbours out of order in a manual grid, as the message that names it
// (columns and rows counted from 1); empty when the grid is in order. Equal positions pass.
std::string GridOrderProblem(const GeoReference& geo) {
  const ReferenceGrid& g = geo.Grid;
  for (std::int32_t r = 0; r < geo.NLat; ++r) {
    for (std::int32_t c = 0; c < geo.NLon; ++c) {
      if (g[c][r].X > g[c + 1][r].X) {
        return "Map referencing error at Longitude " + std::to_string(c + 1) + " (from left) to " +
               std::to_string(c + 2) + ". Latitude (from top) is " + std::to_string(r + 1) + ".";
      }
      if (g[c][r].Y > g[c][r + 1].Y) {
        return "Map referencing error at Longitude " + std::to_string(c + 1) +
               " (from left), Latitude (from top) " + std::to_string(r + 1) + " to Latitude " +
               std::to_string(r + 2) + ".";
      }
    }
  }
  return {};
}

void CommitTile(const PlannedTile& planned, TileWorkers::Tile& tile, TileWorkers& workers,
                TileStore& store, UserInterface& ui);

// Takes the drawn tiles in plan order and commits them: the store's commit (the file
// rename), the process window, events, progress, and the question whether to stop.
void CommitTiles(const TilePlan& plan, TileWorkers& workers, TileStore& store, UserInterface& ui) {
  ProgressCounter progress(ui, ProgressTask::TileCreation,
                           static_cast<std::int64_t>(plan.Tiles.size()));
  for (const PlannedTile& planned : plan.Tiles) {
    TileWorkers::Tile tile = workers.Next();
    if (tile.Covered) {
      CommitTile(planned, tile, workers, store, ui);
    } else {
      workers.Recycle(std::move(tile.Raster));
    }
    progress.Step(planned.Level, plan.TilesPerLevel[planned.Level]);
    if (ui.CancelRequested() && !progress.Finished()) {
      throw OperationCancelled(kTileCreationCancelled);
    }
  }
}

void CommitTile(const PlannedTile& planned, TileWorkers::Tile& tile, TileWorkers& workers,
                TileStore& store, UserInterface& ui) {
  {
    ui.ShowTileMade(tile.Raster);
    // A 2° or 4° tile began by loading the stored one; the window had its events then.
    if (planned.Level >= 3) ui.ProcessEvents();
    store.CommitTile(tile.Raster, planned.Position, planned.Level, std::move(tile.Pending));
    workers.Recycle(std::move(tile.Raster));
    ui.ProcessEvents();
  }
}

}  // namespace

std::optional<TilePlan> PlanTileRun(const GeoReference& geo, const CoverageRun* coverage) {
  const GeoReference& grid = coverage ? coverage->Grid.Geo : geo;
  const std::optional<GridOrigin> origin = UsableGrid(grid);
  if (!origin) return std::nullopt;
  return coverage ? PlanTiles(grid, *origin, coverage->Cells()) : PlanTiles(grid, *origin);
}

std::optional<std::int32_t> CreateTiles(GeoReference geo, const Raster32& source, TileStore& store,
                                        UserInterface& ui, const CoverageRun* coverage,
                                        const ProjectionLattice* placement, const MapCell* cell) {
  std::optional<TilePlan> plan = PlanTileRun(geo, coverage);
  if (!plan) {
    ui.SetStatusText(kNoGeoreferencing);
    return std::nullopt;
  }
  // A hand-placed grid is checked as placed; the cells a coverage adds continue it.
  if (geo.Method() == GeoReferencingMethod::ManualGrid && (!coverage || geo.NLon > 0)) {
    const std::string problem = GridOrderProblem(geo);
    if (!problem.empty()) {
      ui.ShowMessage(problem);
      return std::nullopt;
    }
  }
  store.BeginRun();
  ui.BeginTileJob();
  if (cell) ClipPlanToCell(*plan, *cell);
  const GeoReference& grid = coverage ? coverage->Grid.Geo : geo;
  const int threads = plan->Tiles.size() > 1 ? WorkerThreadCount() : 1;
  store.SetWorkers(threads);
  try {
    TileWorkers workers(*plan, source, grid.Grid, store, threads, coverage,
                        coverage ? coverage->Placement.get() : placement);
    CommitTiles(*plan, workers, store, ui);
  } catch (const OperationCancelled&) {
    // A stop the person asked for: the status line says it; the window has nothing left to
    // show. (A failure keeps it open on the tile where the run ended.)
    ui.EndTileJob();
    throw;
  }
  const std::int32_t created = store.TilesCreated();
  ui.SetStatusText("Done, created " + std::to_string(created) + " tiles");
  ui.EndTileJob();
  return created;
}

std::optional<std::int32_t> CreateTiles(const TileJob& job, UserInterface& ui) {
  const GeoReference& geo = job.GeoRef;
  GifTileStore store(job.ProjectFolder, TileColourOptions{geo.ColorReduction, geo.Dithering}, ui);
  return CreateTiles(geo, job.Image, store, ui, job.Coverage.get(), job.Placement.get(),
                     job.Cell ? &*job.Cell : nullptr);
}

}  // namespace cz
