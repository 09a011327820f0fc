#include "importer/CellMosaic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

#include "PngTestFiles.h"
#include "importer/WebMercator.h"
#include "platform/Error.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::EncodeRgbPng;
using testing::TempFolder;

class ImportRecorder : public testing::RecordingUserInterface {
 public:
  void ShowImportReading(const std::string& path) override { files.push_back(path); }
  std::vector<std::string> files;
};

// The colour every web pixel of the test trees has: it names its own position.
std::uint32_t WebPixelColour(std::int32_t x, std::int32_t y) {
  return (static_cast<std::uint32_t>(x & 0xFF) << 16) |
         (static_cast<std::uint32_t>(y & 0xFF) << 8) |
         static_cast<std::uint32_t>(((x >> 8) * 31 + (y >> 8) * 7) & 0xFF);
}

// Writes the tiles column..lastColumn × row..lastRow of a zoom, each 256 × 256.
void WriteTiles(const TempFolder& folder, int zoom, std::int32_t firstColumn,
                std::int32_t lastColumn, std::int32_t firstRow, std::int32_t lastRow,
                const std::set<std::pair<int, int>>& skip = {}) {
  for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
      if (skip.count({c, r})) continue;
      folder.Write(
          std::to_string(zoom) + "/" + std::to_string(c) + "/" + std::to_string(r) + ".png",
          EncodeRgbPng(256, 256,
                       [&](int x, int y) { return WebPixelColour(c * 256 + x, r * 256 + y); }));
    }
  }
}

Raster32 EmptyMosaic(const MosaicArea& area) {
  Raster32 mosaic(area.Width + 20, area.Height + 20);
  mosaic.Clear();
  return mosaic;
}

TEST(CellMosaicTest, TilePathsHaveNoPadding) {
  EXPECT_EQ(WebTilePath("/data/osm", 7, 65, 38), "/data/osm/7/65/38.png");
  EXPECT_EQ(WebTilePath("/data/osm/", 11, 0, 1234), "/data/osm/11/0/1234.png");
}

TEST(CellMosaicTest, AreaOfE004N58AtZoom7) {
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  EXPECT_EQ(area.Width, 728);
  EXPECT_EQ(area.Height, 1244);
}

TEST(CellMosaicTest, CopiesEveryWebPixelOfTheAreaWithAlphaZero) {
  TempFolder folder;
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  // X0 16748 (tile 65, offset 108), Y0 9869 (tile 38, offset 141): tiles 65..68 × 38..43.
  WriteTiles(folder, 7, 64, 69, 37, 44);  // a ring of tiles beyond the area must not be read
  Raster32 mosaic = EmptyMosaic(area);
  PngTileDecoder decoder;
  ImportRecorder ui;
  LoadPNGTiles(mosaic, folder.Path(), area, decoder, ui);

  for (std::int32_t j = 0; j < mosaic.Height(); ++j) {
    for (std::int32_t i = 0; i < mosaic.Width(); ++i) {
      const std::uint32_t expected =
          (i < area.Width && j < area.Height) ? WebPixelColour(16748 + i, 9869 + j) : 0;
      ASSERT_EQ(mosaic.At(i, j), expected) << i << ", " << j;
    }
  }
  // Each file once, row by row from the north, west to east within a row.
  ASSERT_EQ(ui.files.size(), 4u * 6u);
  EXPECT_EQ(ui.files.front(), WebTilePath(folder.Path(), 7, 65, 38));
  EXPECT_EQ(ui.files[1], WebTilePath(folder.Path(), 7, 66, 38));
  EXPECT_EQ(ui.files[4], WebTilePath(folder.Path(), 7, 65, 39));
  EXPECT_EQ(ui.files.back(), WebTilePath(folder.Path(), 7, 68, 43));
  EXPECT_EQ(ui.processEventsCalls, 24);
}

// The main window paints the mosaic at every ProcessEvents while the workers decode ahead:
// they must not write into it, or the paint races with them (ThreadSanitizer saw it).
TEST(CellMosaicTest, WorkersAheadLeaveTheMosaicToTheImportingThread) {
  TempFolder folder;
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  WriteTiles(folder, 7, 65, 68, 38, 43);
  Raster32 mosaic = EmptyMosaic(area);
  PngTileDecoder decoder;
  ImportRecorder ui;
  const char* threads = std::getenv("CARTOZEN_THREADS");
  const std::string savedThreads = threads ? threads : "";
  setenv("CARTOZEN_THREADS", "4", 1);
  int shown = 0;
  // The last tile (68, 43) ends at the area's bottom-right pixel. The first pause lets the
  // workers get well ahead, as a slow paint would.
  ui.onProcessEvents = [&] {
    if (shown++ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(mosaic.At(area.Width - 1, area.Height - 1), 0u) << "while showing file " << shown;
  };
  LoadPNGTiles(mosaic, folder.Path(), area, decoder, ui);
  if (threads) {
    setenv("CARTOZEN_THREADS", savedThreads.c_str(), 1);
  } else {
    unsetenv("CARTOZEN_THREADS");
  }
  EXPECT_EQ(shown, 24);
  EXPECT_EQ(mosaic.At(area.Width - 1, area.Height - 1),
            WebPixelColour(16748 + area.Width - 1, 9869 + area.Height - 1));
}

TEST(CellMosaicTest, MissingTilesLeaveBlackSilently) {
  TempFolder folder;
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  WriteTiles(folder, 7, 65, 68, 38, 43, {{66, 39}});
  Raster32 mosaic = EmptyMosaic(area);
  PngTileDecoder decoder;
  ImportRecorder ui;
  LoadPNGTiles(mosaic, folder.Path(), area, decoder, ui);
  EXPECT_EQ(ui.files.size(), 23u);
  EXPECT_TRUE(ui.messages.empty());
  // Tile (66, 39) covers mosaic columns 148..403 and rows 115..370.
  EXPECT_EQ(mosaic.At(148, 115), 0u);
  EXPECT_EQ(mosaic.At(403, 370), 0u);
  EXPECT_EQ(mosaic.At(147, 115), WebPixelColour(16748 + 147, 9869 + 115));
  EXPECT_EQ(mosaic.At(404, 371), WebPixelColour(16748 + 404, 9869 + 371));
}

TEST(CellMosaicTest, SmallAndLargeTilesAreAddressedAs256By256) {
  TempFolder folder;
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  WriteTiles(folder, 7, 65, 68, 38, 43, {{66, 39}, {67, 39}});
  // (66, 39): only 100 × 50 pixels. (67, 39): 400 × 400, whose extra pixels must not spill.
  folder.Write("7/66/39.png", EncodeRgbPng(100, 50, [](int, int) { return 0x123456u; }));
  folder.Write("7/67/39.png", EncodeRgbPng(400, 400, [](int x, int y) {
                 return x < 256 && y < 256 ? 0x00FF00u : 0xFF00FFu;
               }));
  Raster32 mosaic = EmptyMosaic(area);
  PngTileDecoder decoder;
  ImportRecorder ui;
  LoadPNGTiles(mosaic, folder.Path(), area, decoder, ui);
  // Tile (66, 39) starts at mosaic (148, 115).
  EXPECT_EQ(mosaic.At(148, 115), 0x123456u);
  EXPECT_EQ(mosaic.At(148 + 99, 115 + 49), 0x123456u);
  EXPECT_EQ(mosaic.At(148 + 100, 115), 0u);
  EXPECT_EQ(mosaic.At(148, 115 + 50), 0u);
  // Tile (67, 39) covers columns 404..659, rows 115..370; its neighbours keep their pixels.
  for (std::int32_t j = 115; j <= 370; ++j) {
    ASSERT_EQ(mosaic.At(404, j), 0x00FF00u);
    ASSERT_EQ(mosaic.At(659, j), 0x00FF00u);
    ASSERT_EQ(mosaic.At(660, j), WebPixelColour(16748 + 660, 9869 + j));
  }
  EXPECT_EQ(mosaic.At(500, 371), WebPixelColour(16748 + 500, 9869 + 371));
}

TEST(CellMosaicTest, UndecodableTileEndsTheCopyNamingTheFile) {
  TempFolder folder;
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  WriteTiles(folder, 7, 65, 68, 38, 43);
  folder.Write("7/67/40.png", "\x89PNG\r\n\x1a\n broken");
  Raster32 mosaic = EmptyMosaic(area);
  PngTileDecoder decoder;
  ImportRecorder ui;
  try {
    LoadPNGTiles(mosaic, folder.Path(), area, decoder, ui);
    FAIL() << "a broken tile was accepted";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find("67/40.png"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ui.files.back(), WebTilePath(folder.Path(), 7, 67, 40));
}

TEST(CellMosaicTest, GeoReferenceOfAnEightDegreeMosaic) {
  GeoReference geo;
  geo.MapResolution = 5;
  geo.ColorReduction = 4;
  geo.Dithering = 3;
  geo.SkewLeft = -7;
  geo.Grid[10][3].X = 999;  // outside the 10 × 10 block: left alone
  const MosaicArea area = MakeMosaicArea(58, 4, 8, 7);
  SetMosaicGeoReference(geo, area);

  EXPECT_DOUBLE_EQ(geo.TopLeft.Latitude, 58.0);
  EXPECT_DOUBLE_EQ(geo.TopLeft.Longitude, 4.0);
  EXPECT_EQ(geo.TopLeft.X, 0);
  EXPECT_EQ(geo.TopLeft.Y, 0);
  EXPECT_DOUBLE_EQ(geo.BottomRight.Latitude, 50.0);
  EXPECT_DOUBLE_EQ(geo.BottomRight.Longitude, 12.0);
  EXPECT_EQ(geo.BottomRight.X, 727);
  EXPECT_EQ(geo.BottomRight.Y, 1243);
  EXPECT_EQ(geo.Method(), GeoReferencingMethod::ManualGrid);
  EXPECT_EQ(geo.SkewLeft, 0);
  EXPECT_EQ(geo.SkewRight, 0);
  // The processing options stay as the main window holds them.
  EXPECT_EQ(geo.MapResolution, 5);
  EXPECT_EQ(geo.ColorReduction, 4);
  EXPECT_EQ(geo.Dithering, 3);
  EXPECT_EQ(geo.Grid[10][3].X, 999);

  const std::int32_t y0 = WebMercatorY(58.0f, 7);
  for (int k = 0; k <= 9; ++k) {
    for (int m = 0; m <= 9; ++m) {
      const GridPoint& point = geo.Grid[m][k];
      EXPECT_EQ(point.X, 91 * m);  // 728 / 8 = 91 exactly
      EXPECT_EQ(point.Y, WebMercatorY(static_cast<float>(58 - k), 7) - y0);
      EXPECT_FLOAT_EQ(point.Latitude, static_cast<float>(58 - k));
      EXPECT_EQ(point.XYSHIFT, 1);
    }
  }
  EXPECT_EQ(geo.Grid[0][8].Y, 1244);  // the bottom edge: h, one row beyond the corner reference
}

TEST(CellMosaicTest, GeoReferenceOfAZoom11QuarterTruncatesColumns) {
  GeoReference geo;
  const MosaicArea area = MakeMosaicArea(54, 8, 4, 11);  // south-east quarter of E004N58
  EXPECT_EQ(area.Width, 5825);
  SetMosaicGeoReference(geo, area);
  const std::int32_t expectedX[] = {0, 1456, 2912, 4368, 5825, 7281};  // trunc(1456.25 m)
  for (int m = 0; m <= 5; ++m) EXPECT_EQ(geo.Grid[m][2].X, expectedX[m]) << m;
  EXPECT_EQ(geo.Grid[0][4].Y, area.Height);
  EXPECT_EQ(geo.BottomRight.X, 5824);
}

}  // namespace
}  // namespace cz
