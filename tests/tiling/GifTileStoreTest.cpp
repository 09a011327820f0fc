// Tile creation of the program's tile job, into GIF files of a project.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "tiling/CellGeometry.h"
#include "tiling/CreateTiles.h"
#include "tiling/TileFiles.h"
#include "tiling/TilingTestSupport.h"

namespace cz {
namespace {

constexpr std::uint32_t kRed = PackPixel(255, 0, 0);
constexpr std::uint32_t kBlue = PackPixel(0, 0, 255);

class GifTileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(project / "Tiles");
    OverrideProgramDataFolder(programFolder.Path() + "/");  // no Palette.txt unless written
  }
  void TearDown() override { OverrideProgramDataFolder(""); }

  // A one-degree chart of one colour whose grid cell is the degree north-west at top, left.
  void UseChart(double top, double left, std::uint32_t colour) {
    geo.GridTopLatitude = top;
    geo.GridLeftLongitude = left;
    geo.NLon = geo.NLat = 1;
    testing::FillRegularGrid(geo.Grid, 0, 0, 200, 200);
    image = Raster32(201, 201);
    image.Fill(colour);
  }
  TileJob Job() const { return TileJob{geo, image, project.Path(), nullptr, nullptr, {}}; }

  Raster32 Load(TileLevel level, TilePosition position) {
    Raster32 tile;
    LoadExistingTile(tile, position, level, project.Path());
    return tile;
  }

  testing::TempFolder project;
  testing::TempFolder programFolder;
  GeoReference geo;
  Raster32 image;
  testing::RecordingUserInterface ui;
};

TEST_F(GifTileStoreTest, WritesOneGifPerTileAndReportsEach) {
  UseChart(52, 4, kRed);
  geo.MapResolution = 4;
  EXPECT_EQ(CreateTiles(Job(), ui), 1);
  EXPECT_TRUE(std::filesystem::exists(project / "Tiles/2_13864.GIF"));
  ASSERT_GE(ui.statusTexts.size(), 2u);
  EXPECT_EQ(ui.statusTexts[ui.statusTexts.size() - 2],
            "Created tile resolution 3 with position number 13864");
  EXPECT_EQ(ui.LastStatus(), "Done, created 1 tiles");
  const Raster32 tile = Load(2, 13864);
  EXPECT_EQ(tile.Width(), TileWidthAt(52 * kOneDegree, 2) + 1);
  EXPECT_EQ(tile.At(10, 10) & 0xFFFFFFu, kRed & 0xFFFFFFu);
}

TEST_F(GifTileStoreTest, ChartsMeetingInsideAFourDegreeTileCompleteEachOther) {
  UseChart(52, 4, kRed);
  geo.MapResolution = 16;
  ASSERT_EQ(CreateTiles(Job(), ui), 1);
  UseChart(52, 5, kBlue);  // the next degree east, same 4° tile 856
  ASSERT_EQ(CreateTiles(Job(), ui), 1);
  const Raster32 tile = Load(4, 856);
  const std::int32_t w = TileWidthAt(52 * kOneDegree, 4);
  ASSERT_EQ(tile.Width(), w);
  const auto centre = [&](int q) {
    const TileRect r = Level4Rectangle(w, q);
    return tile.At((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2) & 0xFFFFFFu;
  };
  EXPECT_EQ(centre(8), kRed & 0xFFFFFFu);   // sub-row 2, column 0: the first chart
  EXPECT_EQ(centre(9), kBlue & 0xFFFFFFu);  // column 1: the second
  EXPECT_EQ(centre(10), 0u);                // nobody drew here
}

TEST_F(GifTileStoreTest, PaletteFileBesideTheProgramFixesTheColours) {
  programFolder.Write("Palette.txt", "custom\r\npalette\r\n2\r\n0 0 0\r\n255 255 255\r\n");
  UseChart(52, 4, PackPixel(250, 200, 200));
  geo.MapResolution = 4;
  ASSERT_EQ(CreateTiles(Job(), ui), 1);
  const Raster32 tile = Load(2, 13864);
  EXPECT_EQ(tile.At(10, 10) & 0xFFFFFFu, 0xFFFFFFu);  // nearest of black and white
}

TEST_F(GifTileStoreTest, MissingTilesFolderEndsTheRunWithTheError) {
  std::filesystem::remove_all(project / "Tiles");
  UseChart(52, 4, kRed);
  geo.MapResolution = 4;
  EXPECT_THROW(CreateTiles(Job(), ui), CartozenError);
  EXPECT_EQ(ui.processWindowHidden, 0);
}

}  // namespace
}  // namespace cz
