// Charts of known projection land in the tiles where the projection puts them, to a fraction of
// a chart pixel, at the 0.25° and the 1° level (support/DotCharts.h: every dot's centroid in
// the tiles, taken back through the projection, against the dot's centre).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "geo/TileGrid.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "support/DotCharts.h"
#include "support/RecordingUserInterface.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

using testing::DotChartCase;
using testing::ErrorFigures;

ErrorFigures DotErrorsInTiles(const testing::DotChart& chart, const GeoReference& geo,
                              TileLevel level, const ProjectionLattice* placement) {
  GeoReference run = geo;
  run.MapResolution = static_cast<std::uint8_t>(1 << level);
  testing::MemoryTileStore store;
  testing::RecordingUserInterface ui;
  EXPECT_TRUE(CreateTiles(run, chart.image, store, ui, nullptr, placement).has_value());
  std::vector<double> errors;
  for (const auto& [key, tile] : store.tiles) {
    const TileSquare square(level, key.second, level <= 2 ? tile.Width() - 1 : tile.Width());
    const LatLonBox drawn{std::min(square.North, geo.GridTopLatitude),
                          std::max(square.North - square.Step, geo.GridTopLatitude - geo.NLat),
                          std::max(square.West, geo.GridLeftLongitude),
                          std::min(square.West + square.Step, geo.GridLeftLongitude + geo.NLon)};
    AddDotErrors(chart,
                 {&tile, square.North, square.West, square.Step / kTileHeight,
                  square.Step / square.Width, drawn},
                 errors);
  }
  return testing::Figures(errors);
}

class ExactPlacement : public ::testing::TestWithParam<DotChartCase> {};

TEST_P(ExactPlacement, DotsLandWithinAFractionOfAPixelAtTheQuarterAndTheWholeDegree) {
  const testing::DotChart chart = testing::MakeDotChart(GetParam());
  const GeoReference geo = GridFromChartProjection(chart.projection, GetParam().name);
  const ProjectionLattice placement(geo, chart.projection);
  EXPECT_LE(placement.WorstError(), kPlacementTolerance);
  for (const TileLevel level : {TileLevel{0}, TileLevel{2}}) {
    const ErrorFigures e = DotErrorsInTiles(chart, geo, level, &placement);
    std::printf("%s level %d: %zu dots, median %.3f px, 95%% %.3f px, worst %.3f px\n",
                GetParam().name, int(level), e.dots, e.median, e.p95, e.worst);
    EXPECT_GT(e.dots, 200u);
    EXPECT_LE(e.median, 0.1) << "level " << int(level);
    EXPECT_LE(e.worst, 0.25) << "level " << int(level);
  }
}

INSTANTIATE_TEST_SUITE_P(Projections, ExactPlacement, ::testing::ValuesIn(testing::kDotCharts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
