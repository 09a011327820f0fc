// Tiles of a chart placed by its ground control points (support/ControlPointCharts.h: 12
// points in longitude and latitude on a Lambert chart) show it within a pixel of where its
// true projection puts it, at order 2 and with the spline: every dot's centroid in the tiles,
// taken back through the true projection, against the dot's centre.
#include <gtest/gtest.h>

#include <cstdio>

#include "geo/TileGrid.h"
#include "georef/ChartGeoReference.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "support/ControlPointCharts.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

class ControlPointTiles : public ::testing::TestWithParam<ControlPointFitKind> {};

TEST_P(ControlPointTiles, DotsLandWithinAPixelOfTheTruth) {
  testing::TempFolder folder;
  const std::string path = folder / "cp.tif";
  testing::WriteControlPointChart(path);
  const testing::DotChart truth = testing::MakeDotChart(testing::ControlPointChartCase());
  const ChartProjection fitted = *ReadChartGeoReference(path, GetParam());
  GeoReference geo = GridFromChartProjection(fitted, path);
  const ProjectionLattice placement(geo, fitted);
  constexpr TileLevel kLevel{0};
  geo.MapResolution = 1 << kLevel;
  testing::MemoryTileStore store;
  testing::RecordingUserInterface ui;
  ASSERT_TRUE(CreateTiles(geo, truth.image, store, ui, nullptr, &placement).has_value());
  std::vector<double> errors;
  for (const auto& [key, tile] : store.tiles) {
    const TileSquare square(kLevel, key.second, tile.Width() - 1);
    const LatLonBox drawn{std::min(square.North, geo.GridTopLatitude),
                          std::max(square.North - square.Step, geo.GridTopLatitude - geo.NLat),
                          std::max(square.West, geo.GridLeftLongitude),
                          std::min(square.West + square.Step, geo.GridLeftLongitude + geo.NLon)};
    AddDotErrors(truth,
                 {&tile, square.North, square.West, square.Step / kTileHeight,
                  square.Step / square.Width, drawn},
                 errors);
  }
  const testing::ErrorFigures e = testing::Figures(errors);
  std::printf("%s: %zu dots, median %.3f px, 95%% %.3f px, worst %.3f px\n",
              ControlPointFitKindName(GetParam()).c_str(), e.dots, e.median, e.p95, e.worst);
  EXPECT_GT(e.dots, 200u);
  EXPECT_LE(e.worst, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Fits, ControlPointTiles,
                         ::testing::Values(ControlPointFitKind::Order2, ControlPointFitKind::Spline),
                         [](const auto& info) { return info.param == ControlPointFitKind::Spline ? std::string("Spline")
                                                                : "Order" + ControlPointFitKindText(info.param); });

}  // namespace
}  // namespace cz
