// A chart across 180° gets its tiles on both sides of the line, at every level, each showing
// the chart where latitude and longitude say (support/AntimeridianChart.h).
#include <gtest/gtest.h>

#include <set>

#include "georef/ChartGeoReference.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "imaging/ChartReaders.h"
#include "support/AntimeridianChart.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

TEST(AntimeridianTiles, EveryTileOnBothSidesShowsTheChartAtEveryLevel) {
  testing::TempFolder folder;
  const std::string path = folder / "aleutians.tif";
  WriteSampleGeoTiff(testing::AntimeridianChart(), path);
  const std::optional<ChartProjection> chart = ReadChartGeoReference(path);
  ASSERT_TRUE(chart.has_value());
  GeoReference geo = GridFromChartProjection(*chart, path);
  // Continuous longitudes: west edge on the earth, east edge past 180°.
  EXPECT_EQ(geo.GridLeftLongitude, 178);
  EXPECT_EQ(geo.NLon, 4);
  EXPECT_EQ(geo.GridTopLatitude, 53);
  EXPECT_EQ(geo.NLat, 3);
  EXPECT_EQ(geo.BottomRight.Longitude, 182);
  Raster32 image;
  std::uint64_t bytes = 0;
  ReadTiffChart(path, image, bytes);
  const ProjectionLattice placement(geo, *chart);
  const LatLonBox area{53, 50, 178, 182};
  const double margin = 1.5 * testing::kAntimeridianPixelSize / 111000 / std::cos(53 * M_PI / 180);

  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    geo.MapResolution = static_cast<std::uint8_t>(1 << level);
    std::set<bool> sides;
    std::int64_t wrong = 0, tiles = 0;
    testing::MemoryTileStore store;
    store.keepTiles = false;
    store.onSave = [&](const Raster32& tile, TilePosition position, TileLevel) {
      ++tiles;
      sides.insert(testing::EastOfTheLine(level, position));
      const testing::TileTally tally =
          testing::CheckAntimeridianTile(tile, level, position, area, margin);
      if (!tally.Right()) {
        ++wrong;
        ADD_FAILURE() << "level " << int(level) << " tile " << position << ": " << tally.matching
                      << " of " << tally.checked << ", " << tally.litOutside << " outside";
      }
    };
    testing::RecordingUserInterface ui;
    ASSERT_TRUE(CreateTiles(geo, image, store, ui, nullptr, &placement).has_value());
    // 12 one-degree cells: 192, 48, 12 tiles; 2 × 2 of 2°, and the two 4° tiles at the line.
    const std::int64_t expected[] = {192, 48, 12, 4, 2};
    EXPECT_EQ(tiles, expected[level]) << int(level);
    EXPECT_EQ(sides, (std::set<bool>{false, true})) << "level " << int(level);
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace cz
