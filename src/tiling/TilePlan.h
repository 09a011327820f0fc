#pragma once
// The tiles of one tile-creation run, worked out before any pixel is drawn: for every tile,
// in the order the run stores them, its level, position and the renderer calls that draw it.
// Levels run 4, 3, 2, 1, 0 (those selected in MapResolution); within a level the walk over
// the one-degree cells of the reference grid is the one CreateTiles.h describes.
//
// Within a run every tile position occurs once per level, and a tile reads nothing a run
// writes except, at levels 3 and 4, the stored tile of its own position from earlier runs.
// So the tiles are independent: any thread may draw any tile (RenderPlannedTile), as long as
// they are stored in plan order.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "geo/GeoCoord.h"
#include "geo/GeoReference.h"
#include "geo/MapCell.h"
#include "geo/TileGrid.h"
#include "imaging/Raster32.h"

namespace cz {

class CellRenderer;
class TileStore;

// Which 0.25° tile of a grid cell DoTransform_0 part Q makes: entry i, for the tile in row
// i div 4 and column i mod 4 of the cell, is its Q (quarter Q div 4, part Q mod 4).
inline constexpr std::uint8_t SubTileOrder[16] = {0, 1, 4,  5,  2,  3,  6,  7,
                                                  8, 9, 12, 13, 10, 11, 14, 15};

// Where grid cell (0, 0) lies on the 1° tile grid.
struct GridOrigin {
  std::int32_t lonIdx = 0;  // level-2 tile column of grid column 0
  std::int32_t latIdx = 0;  // level-2 tile row of grid row 0
};

// One call DoTransform_<Level>(X, Y, Q, TopLat) of the cell renderer (Q unused at level 2).
struct RenderStep {
  TileLevel Level = 0;
  std::uint8_t Q = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  GeoCoord TopLat = 0;
};

struct PlannedTile {
  TileLevel Level = 0;
  TilePosition Position = 0;
  std::uint32_t FirstStep = 0;  // its steps in TilePlan::Steps
  std::uint32_t StepCount = 0;
};

struct TilePlan {
  std::vector<PlannedTile> Tiles;
  std::vector<RenderStep> Steps;
  std::array<std::int64_t, 5> TilesPerLevel{};
};

// Which grid cells a run draws (column, row); a run without one draws them all.
using CellFilter = std::function<bool(std::int32_t c, std::int32_t r)>;

// The plan for geo (MapResolution selects the levels), whose grid starts at origin. With a
// filter, the steps of cells it refuses are left out, and so are tiles left without a step.
TilePlan PlanTiles(const GeoReference& geo, GridOrigin origin, const CellFilter& filter = {});

// Leaves out the tiles outside cell (a cell job's run); the steps stay, unreferenced.
void ClipPlanToCell(TilePlan& plan, const MapCell& cell);

// The cells the plan's tiles lie in, in cell order, each once.
std::vector<MapCell> CellsOfPlan(const TilePlan& plan);

// Draws one planned tile into raster with renderer (which writes raster): levels 3 and 4
// start from a black 600 × 600 raster replaced by the stored tile when there is one.
void RenderPlannedTile(const TilePlan& plan, const PlannedTile& tile, CellRenderer& renderer,
                       Raster32& raster, TileStore& store);

// The renderer call of one step.
void DrawStep(CellRenderer& renderer, const RenderStep& step);

}  // namespace cz
