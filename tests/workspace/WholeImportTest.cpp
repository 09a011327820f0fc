// The whole import on a generated tile tree: web tiles of zooms 7 to 9 for a cell (E004N50, and
// E172N58, whose east edge is 180° and the web map's),
// each web pixel coloured by the 10-minute checkerboard square its centre lies in, imported
// with tile creation writing real GIF tiles into a project. Every tile of the chosen levels
// must exist under its name, and tile pixels away from the squares' edges must show the
// square of the position they stand for.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "geo/TileGrid.h"
#include "imaging/GifImageDecoder.h"
#include "importer/PngTestFiles.h"
#include "importer/WebMercator.h"
#include "platform/FileSystem.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CreateTiles.h"
#include "tiling/TileFiles.h"
#include "workspace/ImportCommands.h"
#include "workspace/MapCommands.h"

namespace cz {
namespace {

using testing::TempFolder;

constexpr std::uint32_t kRed = 0xE03030, kBlue = 0x3030E0;

// 0 or 1: the checkerboard class of a point, squares of 1/6 degree.
int SquareClass(double latitude, double longitude) {
  const auto row = static_cast<std::int64_t>(std::floor(latitude * 6));
  const auto column = static_cast<std::int64_t>(std::floor(longitude * 6));
  return static_cast<int>(((row + column) % 2 + 2) % 2);
}

double WorldPixels(int zoom) {
  return std::ldexp(256.0, zoom);
}

// The tiles of one zoom that cover the cell, each pixel coloured by the class of its centre.
void WriteTileTree(const std::string& folder, int zoom, std::int32_t north, std::int32_t west) {
  const MosaicArea area = MakeMosaicArea(north, west, 8, zoom);
  const std::int32_t x0 = WebMercatorX(static_cast<float>(west), zoom);
  const std::int32_t y0 = WebMercatorY(static_cast<float>(north), zoom);
  const double world = WorldPixels(zoom);
  for (std::int32_t c = WebTileOf(x0).Tile; c <= WebTileOf(x0 + area.Width - 1).Tile; ++c) {
    for (std::int32_t r = WebTileOf(y0).Tile; r <= WebTileOf(y0 + area.Height - 1).Tile; ++r) {
      double latitudes[256];  // of the tile's rows
      for (int y = 0; y < 256; ++y) {
        latitudes[y] =
            std::atan(std::sinh(std::numbers::pi * (1 - 2 * (r * 256 + y + 0.5) / world))) * 180.0 /
            std::numbers::pi;
      }
      const std::string png = testing::EncodeRgbPng(256, 256, [&](int x, int y) {
        const double longitude = (c * 256 + x + 0.5) / world * 360.0 - 180.0;
        return SquareClass(latitudes[y], longitude) == 0 ? kRed : kBlue;
      });
      const std::string path = WebTilePath(folder, zoom, c, r);
      ForceDirectories(path.substr(0, path.rfind('/')));
      AtomicWriteFile(path, png);
    }
  }
}

// Distance in degrees from v to the nearest multiple of 1/6 degree.
double EdgeDistance(double v) {
  return std::abs(v * 6 - std::nearbyint(v * 6)) / 6;
}

struct Tally {
  std::int64_t checked = 0;
  std::int64_t matching = 0;
};

// Checks one tile: pixel (i, j) stands for longitude west + i / W × step and latitude north −
// j / 600 × step; pixels closer to a square's edge than the sampling can resolve are skipped.
void CheckTile(const Raster32& tile, TileLevel level, TilePosition position, int zoom,
               Tally& tally) {
  const double step = TileStep(level) / double(kOneDegree);
  const std::int32_t w = level <= 2 ? tile.Width() - 1 : tile.Width();
  const double west = -180 + (position % TileColumns(level)) * step;
  const double north = 90 - (position / TileColumns(level)) * step;
  // One and a half web pixels (the mosaic's sampling, pixel centres against corners), two
  // tile pixels, and the mercator curve against the straight interpolation inside a degree.
  const double webPixel = 360.0 / WorldPixels(zoom);
  for (std::int32_t j = 0; j < tile.Height(); ++j) {
    const double latitude = north - j / 600.0 * step;
    const double latitudeMargin =
        1.5 * webPixel * std::cos(latitude * std::numbers::pi / 180) + 2 * step / 600 + 0.003;
    if (EdgeDistance(latitude) <= latitudeMargin) continue;
    for (std::int32_t i = 0; i < w; ++i) {
      const double longitude = west + double(i) / w * step;
      if (EdgeDistance(longitude) <= 1.5 * webPixel + 2 * step / w) continue;
      const std::uint32_t pixel = tile.At(i, j);
      const int shown = RedOf(pixel) > BlueOf(pixel) ? 0 : (BlueOf(pixel) > RedOf(pixel) ? 1 : -1);
      ++tally.checked;
      if (shown == SquareClass(latitude, longitude)) ++tally.matching;
    }
  }
}

struct ImportedCell {
  const char* name;
  std::int32_t north, west;
};

class WholeImportTest : public ::testing::TestWithParam<ImportedCell> {};

TEST_P(WholeImportTest, CheckerboardTilesFromZooms7To9) {
  const std::int32_t kNorth = GetParam().north, kWest = GetParam().west;
  TempFolder root;
  const std::string tiles = root / "tiles";
  for (int zoom = 7; zoom <= 9; ++zoom) WriteTileTree(tiles, zoom, kNorth, kWest);

  AppState app;
  app.Project.Folder = root / "project";
  app.Project.Open = true;
  ASSERT_TRUE(ForceDirectories(TilesFolder(app.Project.Folder)));
  app.Source.GeoRef.ColorReduction = 0;
  app.Source.GeoRef.Dithering = 0;
  ImportState import;
  import.NorthEdge = kNorth;
  import.WestEdge = kWest;
  import.CellChosen = true;
  import.ZoomChoices = {0, 1, 2, 2, 2};  // level 0 from zoom 7, 1 from 8, 2 to 4 from 9
  SetImportSourceFolder(import, app.Project, tiles);
  testing::RecordingUserInterface ui;
  ImportContext context{import, app, ui, [&] {
                          if (!app.Source.Loaded) {
                            ui.ShowMessage("No map image loaded - nothing to process...");
                            return;
                          }
                          ASSERT_TRUE(CreateTiles(TileJobOf(app), ui).has_value());
                        }};
  ProcessImport(context);
  EXPECT_TRUE(ui.messages.empty());

  // Exactly the tiles of the cell at every level, under their names.
  std::set<std::string> expected;
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    const std::int32_t n = TilesPerCellSide(level);
    const std::int32_t c0 = (kWest + 180) * kOneDegree / TileStep(level);
    const std::int32_t r0 = (90 - kNorth) * kOneDegree / TileStep(level);
    for (std::int32_t r = r0; r < r0 + n; ++r) {
      for (std::int32_t c = c0; c < c0 + n; ++c) {
        expected.insert(std::to_string(level) + "_" + std::to_string(TilePositionOf(level, c, r)) +
                        ".GIF");
      }
    }
  }
  const std::vector<std::string> listed = ListFiles(TilesFolder(app.Project.Folder), "*");
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);

  // Pixels: every tile of levels 1 to 4, every third of level 0.
  const int zoomOfLevel[kTileLevelCount] = {7, 8, 9, 9, 9};
  Tally tallies[kTileLevelCount];
  int index = 0;
  for (const std::string& name : expected) {
    const TileLevel level = static_cast<TileLevel>(name[0] - '0');
    if (level == 0 && index++ % 3 != 0) continue;
    const TilePosition position = std::stoi(name.substr(2));
    const std::string path = TileFileName(app.Project.Folder, level, position);
    const Raster32 tile = DecodeGifImage(ReadWholeFile(path), path);
    CheckTile(tile, level, position, zoomOfLevel[level], tallies[level]);
  }
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    const Tally& tally = tallies[level];
    const std::int64_t percent = level == 0 ? 90 : 97;
    ASSERT_GT(tally.checked, 100000) << int{level};
    EXPECT_GE(tally.matching * 100, tally.checked * percent)
        << tally.matching << " of " << tally.checked << " at level " << int{level};
  }
}

INSTANTIATE_TEST_SUITE_P(Cells, WholeImportTest,
                         ::testing::Values(ImportedCell{"E004N50", 50, 4},
                                           ImportedCell{"E172N58", 58, 172}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cz
