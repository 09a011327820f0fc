#include "tiling/CreateTiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "geo/TileGrid.h"
#include "support/RecordingUserInterface.h"
#include "tiling/CellGeometry.h"
#include "tiling/MemoryTileStore.h"
#include "tiling/TilingTestSupport.h"

namespace cz {
namespace {

using testing::FillRegularGrid;
using testing::MemoryTileStore;
using testing::RecordingUserInterface;
using Key = MemoryTileStore::Key;

constexpr std::uint32_t kChartColour = PackPixel(90, 120, 150, 255);

// A chart of NLon × NLat degrees at 100 pixels per degree whose grid starts at the given
// north-west corner, laid out as a regular lattice.
class CreateTilesTest : public ::testing::Test {
 protected:
  void UseGrid(double top, double left, std::int32_t nLon, std::int32_t nLat) {
    geo.GridTopLatitude = top;
    geo.GridLeftLongitude = left;
    geo.NLon = nLon;
    geo.NLat = nLat;
    FillRegularGrid(geo.Grid, 0, 0, 100, 100);
    chart = Raster32(100 * nLon + 1, 100 * nLat + 1);
    chart.Fill(kChartColour);
  }
  std::optional<std::int32_t> Run(std::uint8_t mask) {
    geo.MapResolution = mask;
    return CreateTiles(geo, chart, store, ui);
  }
  // Whether a block of the raster was drawn from the chart (opaque) or left as reset (0).
  static bool Drawn(const Raster32& tile, const TileRect& rect) {
    return tile.At((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2) == kChartColour;
  }
  // Which quarters of a 2° tile were drawn.
  static std::vector<bool> DrawnQuarters(const Raster32& tile) {
    std::vector<bool> drawn;
    for (int q = 0; q < 4; ++q) drawn.push_back(Drawn(tile, Level3Rectangle(tile.Width(), q)));
    return drawn;
  }

  GeoReference geo;
  Raster32 chart;
  MemoryTileStore store;
  RecordingUserInterface ui;
};

TEST_F(CreateTilesTest, NoLevelsSelectedOpensAndClosesTheProcessWindow) {
  UseGrid(52, 4, 3, 3);
  EXPECT_EQ(Run(0), 0);
  EXPECT_EQ(ui.processWindowShown, 1);
  EXPECT_EQ(ui.processWindowHidden, 1);
  EXPECT_EQ(ui.LastStatus(), "Done, created 0 tiles");
  EXPECT_EQ(store.runs, 1);
}

TEST_F(CreateTilesTest, RefusesGridsWithoutTilePositions) {
  struct Case {
    double top, left;
    std::int32_t nLon, nLat;
  };
  for (const Case& c : {Case{52, 4, 0, 3}, Case{52, 4, 3, 0}, Case{52, 4, 64, 3},
                        Case{-88, 4, 3, 3},      // past the south pole
                        Case{91, 4, 3, 3},       // north of the pole
                        Case{52, NAN, 3, 3}}) {  // nowhere
    UseGrid(c.top, c.left, 3, 3);
    geo.NLon = c.nLon;
    geo.NLat = c.nLat;
    RecordingUserInterface fresh;
    EXPECT_EQ(CreateTiles(geo, chart, store, fresh), std::nullopt) << c.top << " " << c.left;
    EXPECT_EQ(fresh.LastStatus(), "No usable georeferencing defined");
    EXPECT_EQ(fresh.processWindowShown, 0);
  }
  EXPECT_EQ(store.runs, 0);
  EXPECT_TRUE(store.saves.empty());
}

TEST_F(CreateTilesTest, GridReachingTheAntimeridianExactlyIsUsable) {
  UseGrid(52, 177, 3, 1);
  EXPECT_EQ(Run(4), 3);
}

struct OrderCase {
  std::int32_t c, r;  // the point moved
  std::int32_t x, y;  // to here
  const char* message;
};

class ManualGridOrderTest : public CreateTilesTest,
                            public ::testing::WithParamInterface<OrderCase> {};

TEST_P(ManualGridOrderTest, NamesTheFirstPairOutOfOrder) {
  UseGrid(52, 4, 3, 3);
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.Grid[GetParam().c][GetParam().r] = {GetParam().x, GetParam().y};
  EXPECT_EQ(Run(4), std::nullopt);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], GetParam().message);
  EXPECT_TRUE(store.saves.empty());
  EXPECT_EQ(ui.processWindowShown, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ManualGridOrderTest,
    ::testing::Values(
        OrderCase{
            2, 0, 99, 0,
            "Map referencing error at Longitude 2 (from left) to 3. Latitude (from top) is 1."},
        OrderCase{1, 2, 100, 99,
                  "Map referencing error at Longitude 2 (from left), Latitude (from top) 2 to "
                  "Latitude 3."},
        // The east column and the bottom row take part as neighbours.
        OrderCase{
            3, 2, 199, 200,
            "Map referencing error at Longitude 3 (from left) to 4. Latitude (from top) is 3."},
        OrderCase{0, 3, 0, 199,
                  "Map referencing error at Longitude 1 (from left), Latitude (from top) 3 to "
                  "Latitude 4."}));

TEST_F(CreateTilesTest, OrderCheckPassesWhatItDoesNotCompare) {
  const struct {
    const char* label;
    GeoReferencingMethod method;
    std::vector<std::tuple<int, int, GridPoint>> moved;
  } cases[] = {
      // Pairs within the east column or the bottom row are not compared.
      {"east column, bottom row",
       GeoReferencingMethod::ManualGrid,
       {{3, 3, {150, 300}}, {3, 1, {300, -1}}}},  // left of (2, 3); above (3, 0)
      {"equal neighbours", GeoReferencingMethod::ManualGrid, {{2, 0, {100, 0}}}},
      {"Lambert", GeoReferencingMethod::SemiAutomaticLambert, {{2, 0, {99, 0}}}},
  };
  for (const auto& c : cases) {
    UseGrid(52, 4, 3, 3);
    geo.GeoReferencingType = static_cast<std::uint8_t>(c.method);
    for (const auto& [col, row, point] : c.moved) geo.Grid[col][row] = point;
    ui = RecordingUserInterface();
    EXPECT_EQ(Run(4), 9) << c.label;
    EXPECT_TRUE(ui.messages.empty()) << c.label;
  }
}

// The window handles events between tiles; a person editing the georeference meanwhile
// (here: a grid point dropped 40 px away and the grid moved a degree north at every tile)
// changes nothing of the run under way.
TEST_F(CreateTilesTest, ARunReadsTheGeoreferenceAsItStarted) {
  UseGrid(52, 4, 3, 3);
  for (std::int32_t y = 0; y < chart.Height(); ++y) {
    for (std::int32_t x = 0; x < chart.Width(); ++x)
      chart.At(x, y) = PackPixel(x & 255, y & 255, (x ^ y) & 255, 255);
  }
  ASSERT_EQ(Run(7), 9 * 21);
  const std::map<Key, Raster32> alone = std::move(store.tiles);

  MemoryTileStore edited;
  ui.onProcessEvents = [this] {
    geo.Grid[1][1].X += 40;
    geo.GridTopLatitude += 1;
  };
  ASSERT_EQ(CreateTiles(geo, chart, edited, ui), 9 * 21);
  ASSERT_EQ(edited.tiles.size(), alone.size());
  for (const auto& [key, tile] : alone) {
    const Raster32& other = edited.Tile(key.first, key.second);
    EXPECT_TRUE(std::equal(tile.Pixels(), tile.Pixels() + tile.PixelCount(), other.Pixels()))
        << "level " << key.first << " tile " << key.second;
  }
}

TEST_F(CreateTilesTest, OneDegreeTilesRowByRow) {
  UseGrid(52, 4, 3, 3);
  EXPECT_EQ(Run(4), 9);
  ASSERT_EQ(store.saves.size(), 9u);
  EXPECT_EQ(store.saves.front(), (Key{2, 13864}));  // 184 + 38 × 360
  EXPECT_EQ(store.saves[1], (Key{2, 13865}));
  EXPECT_EQ(store.saves[3], (Key{2, 14224}));
  EXPECT_EQ(store.saves.back(), (Key{2, 14586}));  // 186 + 40 × 360
  EXPECT_TRUE(store.loads.empty());
  EXPECT_EQ(ui.LastStatus(), "Done, created 9 tiles");
  EXPECT_EQ(store.Tile(2, 13864).Width(), TileWidthAt(52 * kOneDegree, 2) + 1);
}

TEST_F(CreateTilesTest, HalfDegreeTilesCellByCell) {
  UseGrid(52, 4, 3, 3);
  EXPECT_EQ(Run(2), 36);
  const std::vector<Key> first = {store.saves.begin(), store.saves.begin() + 5};
  EXPECT_EQ(first, (std::vector<Key>{{1, 368 + 76 * 720},
                                     {1, 369 + 76 * 720},
                                     {1, 368 + 77 * 720},
                                     {1, 369 + 77 * 720},
                                     {1, 370 + 76 * 720}}));
}

TEST_F(CreateTilesTest, QuarterDegreeTilesFollowTheRowsOfTheCell) {
  UseGrid(52, 4, 3, 3);
  EXPECT_EQ(Run(1), 144);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(store.saves[i], (Key{0, 4 * 184 + i % 4 + (4 * 38 + i / 4) * 1440})) << i;
  }
  EXPECT_EQ(store.saves[16], (Key{0, 4 * 185 + (4 * 38) * 1440}));
  // All sixteen take the width of the cell's top 0.25° row.
  EXPECT_EQ(store.Tile(0, 4 * 184 + (4 * 38 + 3) * 1440).Width(),
            TileWidthAt(52 * kOneDegree, 0) + 1);
}

TEST_F(CreateTilesTest, FourDegreeTilesOfTheChartAt52North4East) {
  UseGrid(52, 4, 3, 3);
  EXPECT_EQ(Run(16), 2);
  EXPECT_EQ(store.saves, (std::vector<Key>{{4, 856}, {4, 946}}));  // 46 + 9 × 90, 46 + 10 × 90
  EXPECT_EQ(store.loads, store.saves);
  const Raster32& north = store.Tile(4, 856);
  const std::int32_t w = TileWidthAt(52 * kOneDegree, 4);
  ASSERT_EQ(north.Width(), w);
  for (int q = 0; q < 16; ++q) {
    // Sub-rows 2 and 3 hold grid rows 0 and 1; sub-columns 0 to 2 the three grid columns.
    EXPECT_EQ(Drawn(north, Level4Rectangle(w, q)), q / 4 >= 2 && q % 4 < 3) << q;
  }
  const Raster32& south = store.Tile(4, 946);
  for (int q = 0; q < 16; ++q) {
    EXPECT_EQ(Drawn(south, Level4Rectangle(south.Width(), q)), q / 4 == 0 && q % 4 < 3) << q;
  }
}

TEST_F(CreateTilesTest, TwoDegreeTilesKeepWhatAnEarlierChartLeft) {
  UseGrid(52, 4, 3, 3);
  const std::int32_t w = TileWidthAt(52 * kOneDegree, 3);
  const std::uint32_t earlier = PackPixel(1, 2, 3, 255);
  Raster32 existing(w, 600);
  existing.Fill(earlier);
  store.tiles[{3, 93 + 19 * 180}] = std::move(existing);
  EXPECT_EQ(Run(8), 4);
  EXPECT_EQ(store.saves,
            (std::vector<Key>{
                {3, 92 + 19 * 180}, {3, 93 + 19 * 180}, {3, 92 + 20 * 180}, {3, 93 + 20 * 180}}));
  const Raster32& east = store.Tile(3, 93 + 19 * 180);
  EXPECT_TRUE(Drawn(east, Level3Rectangle(w, 0)));  // grid column 2, row 0
  EXPECT_TRUE(Drawn(east, Level3Rectangle(w, 2)));  // grid column 2, row 1
  EXPECT_EQ(east.At(w - 1, 0), earlier);            // the east half keeps the earlier tile
  EXPECT_EQ(east.At(w - 1, 599), earlier);
  const Raster32& southWest = store.Tile(3, 92 + 20 * 180);
  EXPECT_TRUE(Drawn(southWest, Level3Rectangle(southWest.Width(), 1)));   // grid row 2
  EXPECT_FALSE(Drawn(southWest, Level3Rectangle(southWest.Width(), 3)));  // no grid row 3
}

TEST_F(CreateTilesTest, TwoDegreeTilesWithTheNorthHalfMissingAndTheWestHalfSkipped) {
  UseGrid(51, 5, 3, 3);  // lonIdx 185 and latIdx 39 are odd
  EXPECT_EQ(Run(8), 4);
  EXPECT_EQ(store.saves,
            (std::vector<Key>{
                {3, 92 + 19 * 180}, {3, 93 + 19 * 180}, {3, 92 + 20 * 180}, {3, 93 + 20 * 180}}));
  const Raster32& first = store.Tile(3, 92 + 19 * 180);
  // Only the south-east quarter: grid column 0, row 0.
  EXPECT_EQ(DrawnQuarters(first), (std::vector<bool>{false, false, false, true}));
  const Raster32& second = store.Tile(3, 93 + 19 * 180);  // grid columns 1 and 2, row 0
  EXPECT_EQ(DrawnQuarters(second), (std::vector<bool>{false, false, true, true}));
  const Raster32& third = store.Tile(3, 92 + 20 * 180);  // grid column 0, rows 1 and 2
  EXPECT_EQ(DrawnQuarters(third), (std::vector<bool>{false, true, false, true}));
}

TEST_F(CreateTilesTest, LevelsRunFromFourDegreesDown) {
  UseGrid(52, 4, 1, 1);
  EXPECT_EQ(Run(31), 1 + 1 + 1 + 4 + 16);
  std::vector<TileLevel> order;
  for (const Key& k : store.saves) {
    if (order.empty() || order.back() != k.first) order.push_back(k.first);
  }
  EXPECT_EQ(order, (std::vector<TileLevel>{4, 3, 2, 1, 0}));
  EXPECT_EQ(ui.processWindowShown, 1);
  EXPECT_EQ(ui.processWindowHidden, 1);
  // Every renderer call shows the raster; events run after every save and every load.
  EXPECT_EQ(ui.tilesShown, 23);
  EXPECT_EQ(ui.processEventsCalls, 23 + 2);
  EXPECT_EQ(ui.LastStatus(), "Done, created 23 tiles");
}

TEST_F(CreateTilesTest, StoreErrorsEndTheRunWithTheWindowOpen) {
  UseGrid(52, 4, 3, 3);
  store.failAfter = 4;
  geo.MapResolution = 4;
  EXPECT_THROW(CreateTiles(geo, chart, store, ui), std::runtime_error);
  EXPECT_EQ(store.saves.size(), 4u);
  EXPECT_EQ(ui.processWindowShown, 1);
  EXPECT_EQ(ui.processWindowHidden, 0);
}

}  // namespace
}  // namespace cz
