// Tiles of a chart placed by its own georeference (GeoTIFF, SampleCharts.h) show the chart
// where latitude and longitude say.
#include <gtest/gtest.h>

#include <cmath>

#include "geo/TileGrid.h"
#include "georef/ChartGeoReference.h"
#include "georef/ChartGrid.h"
#include "georef/SampleCharts.h"
#include "imaging/ChartReaders.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

using testing::ChartCase;
using testing::kCharts;

// Distance in degrees from v to the nearest 10-minute line.
double EdgeDistance(double v) {
  const double sixths = v * 6;
  return std::abs(sixths - std::nearbyint(sixths)) / 6;
}

class ChartProjectionTiles : public ::testing::TestWithParam<ChartCase> {
 protected:
  void SetUp() override { WriteSampleGeoTiff(GetParam().chart, path); }
  testing::TempFolder folder;
  std::string path = folder / "chart.tif";
};

// Every tile pixel away from the 10-minute lines shows the square of its own position. "Away"
// is 2 tile pixels or 1.5 chart pixels, whichever is more: a tile finer than the chart shows
// the chart's own pixel steps along every line.
TEST_P(ChartProjectionTiles, TilesShowTheChartWhereLatitudeAndLongitudeSay) {
  const std::optional<ChartProjection> chart = ReadChartGeoReference(path);
  ASSERT_TRUE(chart.has_value());
  GeoReference geo = GridFromChartProjection(*chart, path);
  Raster32 image;
  std::uint64_t bytes = 0;
  ReadTiffChart(path, image, bytes);

  const double chartPxPerDegLat = double(geo.Grid[0][geo.NLat].Y - geo.Grid[0][0].Y) / geo.NLat;
  const double chartPxPerDegLon = double(geo.Grid[geo.NLon][0].X - geo.Grid[0][0].X) / geo.NLon;
  for (const int level : {0, 2, 4}) {
    geo.MapResolution = static_cast<std::uint8_t>(1 << level);
    const double step = TileStep(static_cast<TileLevel>(level)) / double(kOneDegree);
    const double latMargin = std::max(2 * step / 600, 1.5 / chartPxPerDegLat);
    std::int64_t checked = 0, matching = 0;
    testing::MemoryTileStore store;
    store.keepTiles = false;
    store.onSave = [&](const Raster32& tile, TilePosition position, TileLevel tileLevel) {
      const std::int32_t w = level <= 2 ? tile.Width() - 1 : tile.Width();
      const double west = -180 + (position % TileColumns(tileLevel)) * step;
      const double north = 90 - (position / TileColumns(tileLevel)) * step;
      for (std::int32_t j = 0; j < tile.Height(); ++j) {
        const double lat = north - j / 600.0 * step;
        if (lat < geo.GridTopLatitude - geo.NLat || lat > geo.GridTopLatitude ||
            EdgeDistance(lat) <= latMargin) {
          continue;
        }
        const double lonMargin = std::max(2 * step / w, 1.5 / chartPxPerDegLon);
        for (std::int32_t i = 0; i < w; ++i) {
          const double lon = west + double(i) / w * step;
          if (lon < geo.GridLeftLongitude || lon > geo.GridLeftLongitude + geo.NLon ||
              EdgeDistance(lon) <= lonMargin) {
            continue;
          }
          ++checked;
          matching += tile.At(i, j) == SampleGeoTiffColour({lat, lon});
        }
      }
    };
    testing::RecordingUserInterface ui;
    ASSERT_TRUE(CreateTiles(geo, image, store, ui).has_value());
    ASSERT_GT(checked, 20000);
    EXPECT_GE(matching, checked * 99 / 100) << matching << " of " << checked << " at " << level;
  }
}

INSTANTIATE_TEST_SUITE_P(Projections, ChartProjectionTiles, ::testing::ValuesIn(kCharts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
