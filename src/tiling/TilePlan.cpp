#include "tiling/TilePlan.h"

#include <algorithm>
#include <cmath>

#include "tiling/CellRenderer.h"
#include "tiling/TileStore.h"

namespace cz {
namespace {

// Walks the levels of one run and writes down its tiles.
class LevelWalk {
 public:
  LevelWalk(const GeoReference& geo, GridOrigin origin, const CellFilter& filter, TilePlan& plan)
      : geo_(geo), origin_(origin), filter_(filter), plan_(plan) {}

  void Level4();
  void Level3();
  void Level2();
  void Level1();
  void Level0();

 private:
  // TopLat of grid row r: the latitude of its north edge.
  GeoCoord RowTop(std::int32_t r) const {
    return static_cast<GeoCoord>(std::nearbyint((geo_.GridTopLatitude - r) * kOneDegree));
  }
  void SubdividedLevel(TileLevel level, std::int32_t n, const std::uint8_t* subCell);
  void BeginTile(TileLevel level, TilePosition position) {
    plan_.Tiles.push_back({level, position, static_cast<std::uint32_t>(plan_.Steps.size()), 0});
    ++plan_.TilesPerLevel[level];
  }
  void Render(TileLevel level, std::int32_t x, std::int32_t y, std::uint8_t q, GeoCoord topLat) {
    if (filter_ && !filter_(x, y)) return;
    plan_.Steps.push_back({level, q, x, y, topLat});
    ++plan_.Tiles.back().StepCount;
  }

  const GeoReference& geo_;
  GridOrigin origin_;
  const CellFilter& filter_;
  TilePlan& plan_;
};

void LevelWalk::Level4() {
  const std::int32_t s = origin_.lonIdx % 4;  // 1° columns of the first tile west of the grid
  std::int32_t t = origin_.latIdx % 4;        // 1° rows of the first tile row north of it
  const std::int32_t lonIdx4 = (origin_.lonIdx - s) / 4;
  const std::int32_t latIdx4 = (origin_.latIdx - t) / 4;
  std::int32_t r0 = 0;
  std::int32_t k = 0;
  GeoCoord topLat = RowTop(0);
  while (r0 < geo_.NLat) {
    std::int32_t c = 0;
    std::int32_t u = 0;
    std::int32_t skip = s;
    std::int32_t reached = r0;  // the largest row cursor of the row's last tile
    while (c < geo_.NLon) {
      BeginTile(4, TilePositionOf(4, lonIdx4 + u, latIdx4 + k));
      reached = r0;
      for (std::int32_t m = 0; m < 4; ++m) {
        if (m < skip) continue;  // a skipped sub-column consumes no grid column
        std::int32_t cursor = r0;
        for (std::int32_t n = t; n < 4; ++n) {
          if (c < geo_.NLon && cursor < geo_.NLat) {
            Render(4, c, cursor, static_cast<std::uint8_t>(4 * n + m), topLat);
            ++cursor;
          }
        }
        if (cursor > reached) reached = cursor;
        ++c;
      }
      ++u;
      skip = 0;
    }
    r0 = reached;
    t = 0;
    ++k;
    topLat = RowTop(r0);
  }
}

void LevelWalk::Level3() {
  const bool lonOdd = origin_.lonIdx % 2 != 0;
  bool northMissing = origin_.latIdx % 2 != 0;
  const std::int32_t lonIdx2 = (origin_.lonIdx - (lonOdd ? 1 : 0)) / 2;
  const std::int32_t latIdx2 = (origin_.latIdx - (northMissing ? 1 : 0)) / 2;
  std::int32_t r0 = 0;
  std::int32_t k = 0;
  GeoCoord topLat = RowTop(0);
  // One grid column into the west (q 0/2) or east (q 1/3) half of the tile.
  const auto half = [&](std::int32_t c, std::uint8_t northQ, std::uint8_t southQ) {
    if (c >= geo_.NLon) return;
    if (!northMissing) {
      if (r0 < geo_.NLat) Render(3, c, r0, northQ, topLat);
      if (r0 + 1 < geo_.NLat) Render(3, c, r0 + 1, southQ, topLat - kOneDegree);
    } else if (r0 < geo_.NLat) {
      Render(3, c, r0, southQ, topLat);
    }
  };
  while (r0 < geo_.NLat) {
    std::int32_t c = 0;
    std::int32_t u = 0;
    bool skipWest = lonOdd;
    while (c < geo_.NLon) {
      BeginTile(3, TilePositionOf(3, lonIdx2 + u, latIdx2 + k));
      if (skipWest) {
        skipWest = false;  // consumes no grid column
      } else {
        half(c, 0, 2);
        ++c;
      }
      half(c, 1, 3);
      ++c;
      ++u;
    }
    r0 += northMissing ? 1 : 2;
    northMissing = false;
    ++k;
    topLat = RowTop(r0);
  }
}

void LevelWalk::Level2() {
  for (std::int32_t r = 0; r < geo_.NLat; ++r) {
    const GeoCoord topLat = RowTop(0) - kOneDegree * r;
    for (std::int32_t c = 0; c < geo_.NLon; ++c) {
      BeginTile(2, TilePositionOf(2, origin_.lonIdx + c, origin_.latIdx + r));
      Render(2, c, r, 0, topLat);
    }
  }
}

// Levels 1 and 0 cut each one-degree cell into n × n tiles, walked row by row; subCell[i] is the
// part of the cell tile i is drawn from (for level 0 not the walking order: see SubTileOrder).
void LevelWalk::SubdividedLevel(TileLevel level, std::int32_t n, const std::uint8_t* subCell) {
  for (std::int32_t r = 0; r < geo_.NLat; ++r) {
    const GeoCoord topLat = RowTop(0) - kOneDegree * r;
    for (std::int32_t c = 0; c < geo_.NLon; ++c) {
      for (std::int32_t i = 0; i < n * n; ++i) {
        BeginTile(level, TilePositionOf(level, n * (origin_.lonIdx + c) + i % n,
                                        n * (origin_.latIdx + r) + i / n));
        Render(level, c, r, subCell[i], topLat);
      }
    }
  }
}

void LevelWalk::Level1() {
  static constexpr std::uint8_t kQuarters[4] = {0, 1, 2, 3};
  SubdividedLevel(1, 2, kQuarters);
}

void LevelWalk::Level0() { SubdividedLevel(0, 4, SubTileOrder); }

}  // namespace

TilePlan PlanTiles(const GeoReference& geo, GridOrigin origin, const CellFilter& filter) {
  TilePlan plan;
  LevelWalk walk(geo, origin, filter, plan);
  if (geo.MapResolution & 16) walk.Level4();
  if (geo.MapResolution & 8) walk.Level3();
  if (geo.MapResolution & 4) walk.Level2();
  if (geo.MapResolution & 2) walk.Level1();
  if (geo.MapResolution & 1) walk.Level0();
  if (filter) {
    std::erase_if(plan.Tiles, [&plan](const PlannedTile& tile) {
      if (tile.StepCount != 0) return false;
      --plan.TilesPerLevel[tile.Level];
      return true;
    });
  }
  return plan;
}

void ClipPlanToCell(TilePlan& plan, const MapCell& cell) {
  std::erase_if(plan.Tiles, [&](const PlannedTile& tile) {
    if (MapCellOf(tile.Level, tile.Position) == cell) return false;
    --plan.TilesPerLevel[tile.Level];
    return true;
  });
}

std::vector<MapCell> CellsOfPlan(const TilePlan& plan) {
  std::vector<MapCell> cells;
  for (const PlannedTile& tile : plan.Tiles) cells.push_back(MapCellOf(tile.Level, tile.Position));
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  return cells;
}

void RenderPlannedTile(const TilePlan& plan, const PlannedTile& tile, CellRenderer& renderer,
                       Raster32& raster, TileStore& store) {
  if (tile.Level >= 3) {
    if (raster.Width() != kTileHeight || raster.Height() != kTileHeight) {
      raster.Allocate(kTileHeight, kTileHeight);
    }
    raster.Clear();
    store.LoadExistingTile(raster, tile.Position, tile.Level);
  }
  for (std::uint32_t s = tile.FirstStep; s < tile.FirstStep + tile.StepCount; ++s) {
    DrawStep(renderer, plan.Steps[s]);
  }
}

void DrawStep(CellRenderer& renderer, const RenderStep& step) {
  switch (step.Level) {
    case 0:
      renderer.DoTransform_0(step.X, step.Y, step.Q, step.TopLat);
      break;
    case 1:
      renderer.DoTransform_1(step.X, step.Y, step.Q, step.TopLat);
      break;
    case 2:
      renderer.DoTransform_2(step.X, step.Y, step.TopLat);
      break;
    case 3:
      renderer.DoTransform_3(step.X, step.Y, step.Q, step.TopLat);
      break;
    default:
      renderer.DoTransform_4(step.X, step.Y, step.Q, step.TopLat);
      break;
  }
}

}  // namespace cz
