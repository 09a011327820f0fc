// Two neighbouring Lambert charts as they are printed: neat lines at odd minutes, a collar of
// margins, legend box and title block round each, and a band of latitude the two share. Each
// is tiled with its georeference from the GeoTIFF and its neat line as the coverage box, one
// after the other into one store, at each level. Over the union of the neat lines the tiles
// must show the map of SampleGeoTiffColour, up to the neat lines and across the join; beyond
// them black; the collar nowhere. The other order of the runs may change only pixels where
// both charts are map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geo/TileGrid.h"
#include "georef/ChartGeoReference.h"
#include "georef/ChartGrid.h"
#include "georef/SampleCharts.h"
#include "imaging/ChartReaders.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CoveredTiles.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

constexpr char kLambert[] =
    "+proj=lcc +lat_1=46 +lat_2=49 +lat_0=47.5 +lon_0=9 +datum=WGS84 +units=m +no_defs";
// A 1:500,000 chart at 100 dpi has 127 m pixels; 500 m keeps the test fast, the geometry alike.
constexpr double kPixelSize = 500, kCollar = 15000;
constexpr double kMinute = 1.0 / 60;
// The north chart holds a whole cell (48° to 49° N, 8° to 9° E) and partial ones round it;
// the south one lies inside no whole cell (its grid is the lines round it). They share the
// cells of 47° to 48° N, 8° to 10° E.
constexpr LatLonBox kNorthNeatLine{49 + 13 * kMinute, 47 + 37 * kMinute, 7 + 53 * kMinute,
                                   9 + 7 * kMinute};
constexpr LatLonBox kSouthNeatLine{47 + 44 * kMinute, 46 + 53 * kMinute, 8 + 29 * kMinute,
                                   9 + 41 * kMinute};
// Chart pixels per degree near 48° N, for the margins along lines the chart's pixels blur.
constexpr double kChartPxPerDegLat = 111200 / kPixelSize, kChartPxPerDegLon = 74400 / kPixelSize;

struct LoadedChart {
  std::string name;
  LatLonBox neatLine;
  ChartProjection projection;
  GeoReference geo;  // as /G lays it out
  Raster32 image;
};

// Both charts, written and read back once per test program.
const std::vector<LoadedChart>& Charts() {
  static const testing::TempFolder folder;
  static const std::vector<LoadedChart> charts = [] {
    std::vector<LoadedChart> loaded;
    for (const auto& [name, neatLine] :
         {std::pair{"north.tif", kNorthNeatLine}, std::pair{"south.tif", kSouthNeatLine}}) {
      const std::string path = folder / name;
      WriteSampleGeoTiff(testing::CollaredChart(kLambert, neatLine, kPixelSize, kCollar), path,
                         neatLine);
      ChartProjection projection = *ReadChartGeoReference(path);
      GeoReference geo = GridFromChartProjection(projection, path, true);
      Raster32 image;
      std::uint64_t bytes = 0;
      ReadTiffChart(path, image, bytes);
      loaded.push_back({name, neatLine, std::move(projection), geo, std::move(image)});
    }
    return loaded;
  }();
  return charts;
}

void RunChart(const LoadedChart& chart, TileLevel level, testing::MemoryTileStore& store) {
  GeoReference geo = chart.geo;
  geo.MapResolution = static_cast<std::uint8_t>(1 << level);
  ChartCoverage coverage;
  coverage.Box = chart.neatLine;
  const auto run = PrepareCoverageRun(geo, coverage, chart.image, &chart.projection, chart.name);
  testing::RecordingUserInterface ui;
  ASSERT_TRUE(CreateTiles(geo, chart.image, store, ui, run.get()).has_value());
}

std::uint32_t Rgb(std::uint32_t pixel) {
  return PackPixel(RedOf(pixel), GreenOf(pixel), BlueOf(pixel), 255);
}

// Whether (lat, lon) lies inside box by more than the margins.
bool DeepInside(const LatLonBox& box, double lat, double lon, double latMargin, double lonMargin) {
  return lat < box.North - latMargin && lat > box.South + latMargin && lon > box.West + lonMargin &&
         lon < box.East - lonMargin;
}

// Distance in degrees from v to the nearest 10-minute line.
double SquareEdgeDistance(double v) {
  const double sixths = v * 6;
  return std::abs(sixths - std::nearbyint(sixths)) / 6;
}

// W of a tile: levels 0 to 2 carry one column more, never drawn.
std::int32_t DrawnWidth(TileLevel level, const Raster32& tile) {
  return level <= 2 ? tile.Width() - 1 : tile.Width();
}

struct Tally {
  std::int64_t checked = 0, matching = 0;  // deep inside, away from the squares' edges
  std::int64_t holes = 0;                  // black deep inside
  std::int64_t litBeyond = 0;              // not black outside both neat lines
  std::int64_t collar = 0;                 // collar colours deep inside
};

class NeighbouringCharts : public ::testing::TestWithParam<int> {};

TEST_P(NeighbouringCharts, FillTheUnionUpToTheNeatLinesWithoutCollarOrSeam) {
  const auto level = static_cast<TileLevel>(GetParam());
  const LoadedChart& north = Charts()[0];
  const LoadedChart& south = Charts()[1];
  testing::MemoryTileStore northFirst;
  RunChart(north, level, northFirst);
  RunChart(south, level, northFirst);

  const auto collarColours = SampleCollarColours();
  const double step = TileStep(level) / double(kOneDegree);
  // Every tile position over the union's extent: a missing tile counts as black.
  const auto firstColumn = static_cast<std::int32_t>((kNorthNeatLine.West + 180) / step);
  const auto lastColumn = static_cast<std::int32_t>((kSouthNeatLine.East + 180) / step);
  static_assert(kSouthNeatLine.East > kNorthNeatLine.East &&
                kNorthNeatLine.West < kSouthNeatLine.West);
  const auto firstRow = static_cast<std::int32_t>((90 - kNorthNeatLine.North) / step);
  const auto lastRow = static_cast<std::int32_t>((90 - kSouthNeatLine.South) / step);
  Tally tally;
  std::size_t stored = 0;
  for (std::int32_t row = firstRow; row <= lastRow; ++row) {
    for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
      const TilePosition position = TilePositionOf(level, column, row);
      const auto found = northFirst.tiles.find({level, position});
      const Raster32 blank(TileWidthOfRow(level, row) + 1, kTileHeight);
      const Raster32& tile = found != northFirst.tiles.end() ? found->second : blank;
      stored += found != northFirst.tiles.end();
      const TileSquare square(level, position, DrawnWidth(level, tile));
      const double latMargin = std::max(2 * step / kTileHeight, 2 / kChartPxPerDegLat);
      const double lonMargin = std::max(2 * step / square.Width, 2 / kChartPxPerDegLon);
      for (std::int32_t j = 0; j < kTileHeight; ++j) {
        const double lat = square.Latitude(j);
        for (std::int32_t i = 0; i < square.Width; ++i) {
          const double lon = square.Longitude(i);
          const std::uint32_t colour = Rgb(tile.At(i, j));
          const bool black = colour == PackPixel(0, 0, 0, 255);
          if (!kNorthNeatLine.Contains(lat, lon) && !kSouthNeatLine.Contains(lat, lon)) {
            tally.litBeyond += !black;
            continue;
          }
          if (!DeepInside(kNorthNeatLine, lat, lon, latMargin, lonMargin) &&
              !DeepInside(kSouthNeatLine, lat, lon, latMargin, lonMargin)) {
            continue;
          }
          tally.holes += black;
          const bool c =
              std::find(collarColours.begin(), collarColours.end(), colour) != collarColours.end();
          tally.collar += c;
          if (SquareEdgeDistance(lat) <= latMargin || SquareEdgeDistance(lon) <= lonMargin) {
            continue;
          }
          ++tally.checked;
          tally.matching += colour == SampleGeoTiffColour({lat, lon});
        }
      }
    }
  }
  EXPECT_EQ(stored, northFirst.tiles.size()) << "tiles beyond the charts";
  EXPECT_EQ(tally.holes, 0);
  EXPECT_EQ(tally.litBeyond, 0);
  EXPECT_EQ(tally.collar, 0);
  ASSERT_GT(tally.checked, 20000);
  EXPECT_GE(tally.matching, tally.checked * 99 / 100) << tally.matching << " of " << tally.checked;

  // The other order: the same tiles, differing only where both charts are map. (Levels 0 to
  // 2 compose alike; level 0, the slowest by far, is left out.)
  if (level == 0) return;
  testing::MemoryTileStore southFirst;
  RunChart(south, level, southFirst);
  RunChart(north, level, southFirst);
  ASSERT_EQ(southFirst.tiles.size(), northFirst.tiles.size());
  std::int64_t changedOutsideOverlap = 0;
  for (const auto& [key, tile] : northFirst.tiles) {
    const auto other = southFirst.tiles.find(key);
    ASSERT_NE(other, southFirst.tiles.end());
    const TileSquare square(key.first, key.second, DrawnWidth(key.first, tile));
    for (std::int32_t j = 0; j < kTileHeight; ++j) {
      for (std::int32_t i = 0; i < square.Width; ++i) {
        if (tile.At(i, j) == other->second.At(i, j)) continue;
        const double lat = square.Latitude(j), lon = square.Longitude(i);
        changedOutsideOverlap +=
            !(kNorthNeatLine.Contains(lat, lon) && kSouthNeatLine.Contains(lat, lon));
      }
    }
  }
  EXPECT_EQ(changedOutsideOverlap, 0);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, NeighbouringCharts, ::testing::Range(0, 5));

// The charts are what the test means: each has every collar colour round its map.
TEST(NeighbouringChartsMade, HaveCollarsRoundTheirMaps) {
  for (const LoadedChart& chart : Charts()) {
    for (const std::uint32_t collar : SampleCollarColours()) {
      const auto* pixels = chart.image.Pixels();
      EXPECT_TRUE(std::any_of(pixels, pixels + chart.image.PixelCount(), [collar](std::uint32_t p) {
        return Rgb(p) == collar;
      })) << chart.name;
    }
  }
}

}  // namespace
}  // namespace cz
