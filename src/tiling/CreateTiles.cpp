#include "tiling/CreateTiles.h"

#include <cmath>
#include <string>

#include "geo/GeoCoord.h"
#include "geo/TileGrid.h"
#include "state/AppState.h"
#include "tiling/CellRenderer.h"
#include "tiling/GifTileStore.h"

namespace cz {
namespace {

constexpr char kNoGeoreferencing[] = "No usable georeferencing defined";

// Where grid cell (0, 0) lies on the 1° tile grid.
struct GridOrigin {
  std::int32_t lonIdx = 0;  // level-2 tile column of grid column 0
  std::int32_t latIdx = 0;  // level-2 tile row of grid row 0
};

// The grid's position in the world, or nothing when it has no tiles to give: no steps, more
// steps than the grid holds, or cells past the poles or the antimeridian (their positions
// would name tiles of another row or none at all).
std::optional<GridOrigin> UsableGrid(const GeoReference& geo) {
  if (geo.NLon <= 0 || geo.NLat <= 0) return std::nullopt;
  if (geo.NLon > kMaxGridSteps || geo.NLat > kMaxGridSteps) return std::nullopt;
  const double lon = std::nearbyint(geo.GridLeftLongitude) + 180;
  const double lat = 90 - std::nearbyint(geo.GridTopLatitude);
  if (!(lon >= 0 && lon + geo.NLon <= 360 && lat >= 0 && lat + geo.NLat <= 180)) {
    return std::nullopt;
  }
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

// One run over the levels; holds the TileRaster and the renderers' state.
class LevelWalk {
 public:
  LevelWalk(const GeoReference& geo, const Raster32& source, TileStore& store, UserInterface& ui,
            GridOrigin origin)
      : geo_(geo), store_(store), ui_(ui), origin_(origin), renderer_(source, geo.Grid, raster_) {}

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
  // The process window shows the raster after every renderer call.
  void Rendered() { ui_.ShowTile(raster_); }
  void Save(TilePosition position, TileLevel level) {
    store_.SaveTile(raster_, position, level);
    ui_.ProcessEvents();
  }
  // Start of a 2° or 4° tile: a black 600 × 600 raster, then the tile as stored.
  void StartCompositeTile(TilePosition position, TileLevel level) {
    if (raster_.Width() != kTileHeight || raster_.Height() != kTileHeight) {
      raster_.Allocate(kTileHeight, kTileHeight);
    }
    raster_.Clear();
    store_.LoadExistingTile(raster_, position, level);
    ui_.ProcessEvents();
  }

  const GeoReference& geo_;
  TileStore& store_;
  UserInterface& ui_;
  GridOrigin origin_;
  Raster32 raster_;  // the TileRaster
  CellRenderer renderer_;
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
      const TilePosition p = TilePositionOf(4, lonIdx4 + u, latIdx4 + k);
      StartCompositeTile(p, 4);
      reached = r0;
      for (std::int32_t m = 0; m < 4; ++m) {
        if (m < skip) continue;  // a skipped sub-column consumes no grid column
        std::int32_t cursor = r0;
        for (std::int32_t n = t; n < 4; ++n) {
          if (c < geo_.NLon && cursor < geo_.NLat) {
            renderer_.DoTransform_4(c, cursor, static_cast<std::uint8_t>(4 * n + m), topLat);
            Rendered();
            ++cursor;
          }
        }
        if (cursor > reached) reached = cursor;
        ++c;
      }
      Save(p, 4);
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
      if (r0 < geo_.NLat) {
        renderer_.DoTransform_3(c, r0, northQ, topLat);
        Rendered();
      }
      if (r0 + 1 < geo_.NLat) {
        renderer_.DoTransform_3(c, r0 + 1, southQ, topLat - kOneDegree);
        Rendered();
      }
    } else if (r0 < geo_.NLat) {
      renderer_.DoTransform_3(c, r0, southQ, topLat);
      Rendered();
    }
  };
  while (r0 < geo_.NLat) {
    std::int32_t c = 0;
    std::int32_t u = 0;
    bool skipWest = lonOdd;
    while (c < geo_.NLon) {
      const TilePosition p = TilePositionOf(3, lonIdx2 + u, latIdx2 + k);
      StartCompositeTile(p, 3);
      if (skipWest) {
        skipWest = false;  // consumes no grid column
      } else {
        half(c, 0, 2);
        ++c;
      }
      half(c, 1, 3);
      ++c;
      Save(p, 3);
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
      renderer_.DoTransform_2(c, r, topLat);
      Rendered();
      Save(TilePositionOf(2, origin_.lonIdx + c, origin_.latIdx + r), 2);
    }
  }
}

void LevelWalk::Level1() {
  for (std::int32_t r = 0; r < geo_.NLat; ++r) {
    const GeoCoord topLat = RowTop(0) - kOneDegree * r;
    for (std::int32_t c = 0; c < geo_.NLon; ++c) {
      for (std::uint8_t m = 0; m < 4; ++m) {
        renderer_.DoTransform_1(c, r, m, topLat);
        Rendered();
        Save(TilePositionOf(1, 2 * (origin_.lonIdx + c) + m % 2, 2 * (origin_.latIdx + r) + m / 2),
             1);
      }
    }
  }
}

void LevelWalk::Level0() {
  for (std::int32_t r = 0; r < geo_.NLat; ++r) {
    const GeoCoord topLat = RowTop(0) - kOneDegree * r;
    for (std::int32_t c = 0; c < geo_.NLon; ++c) {
      for (std::int32_t i = 0; i < 16; ++i) {
        renderer_.DoTransform_0(c, r, SubTileOrder[i], topLat);
        Rendered();
        Save(TilePositionOf(0, 4 * (origin_.lonIdx + c) + i % 4, 4 * (origin_.latIdx + r) + i / 4),
             0);
      }
    }
  }
}

}  // namespace

std::optional<std::int32_t> CreateTiles(const GeoReference& geo, const Raster32& source,
                                        TileStore& store, UserInterface& ui) {
  const std::optional<GridOrigin> origin = UsableGrid(geo);
  if (!origin) {
    ui.SetStatusText(kNoGeoreferencing);
    return std::nullopt;
  }
  if (geo.Method() == GeoReferencingMethod::ManualGrid) {
    const std::string problem = GridOrderProblem(geo);
    if (!problem.empty()) {
      ui.ShowMessage(problem);
      return std::nullopt;
    }
  }
  store.BeginRun();
  ui.ShowProcessWindow();
  LevelWalk run(geo, source, store, ui, *origin);
  if (geo.MapResolution & 16) run.Level4();
  if (geo.MapResolution & 8) run.Level3();
  if (geo.MapResolution & 4) run.Level2();
  if (geo.MapResolution & 2) run.Level1();
  if (geo.MapResolution & 1) run.Level0();
  const std::int32_t created = store.TilesCreated();
  ui.SetStatusText("Done, created " + std::to_string(created) + " tiles");
  ui.HideProcessWindow();
  return created;
}

std::optional<std::int32_t> CreateTiles(AppState& state, UserInterface& ui) {
  const GeoReference& geo = state.Source.GeoRef;
  GifTileStore store(state.Project.Folder, TileColourOptions{geo.ColorReduction, geo.Dithering},
                     ui);
  return CreateTiles(geo, state.Source.Image, store, ui);
}

}  // namespace cz
