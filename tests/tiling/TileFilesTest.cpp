#include "tiling/TileFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "imaging/GifImageDecoder.h"
#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "support/ChartLikeTile.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ChartLikeTile;
using testing::MeanColourError;
using testing::RandomTile;

class TileFilesTest : public ::testing::Test {
 protected:
  TileFilesTest() {
    std::filesystem::create_directories(project.Path() + "/Tiles");
    std::filesystem::create_directories(programFolder.Path());
    OverrideProgramDataFolder(programFolder.Path() + "/");
    run.ProjectFolder = project.Path();
  }
  ~TileFilesTest() override { OverrideProgramDataFolder(""); }

  std::set<std::string> FilesInTiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(project.Path() + "/Tiles")) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  testing::TempFolder project;
  testing::TempFolder programFolder;
  testing::RecordingUserInterface ui;
  TileRun run;
};

TEST_F(TileFilesTest, NamesLevelUnderscorePositionDotGif) {
  EXPECT_EQ(TileFileName("/p", 0, 0), "/p/Tiles/0_0.GIF");
  EXPECT_EQ(TileFileName("/p/", 4, 4049), "/p/Tiles/4_4049.GIF");
  EXPECT_EQ(TileFileName("/p", 2, 15668), "/p/Tiles/2_15668.GIF");
}

TEST_F(TileFilesTest, SaveTileWritesReportsAndCounts) {
  project.Write("Tiles/2_15668.GIF", "old bytes that are no GIF");  // replaced
  const Raster32 tile = ChartLikeTile(426, 600, 1);
  SaveTile(tile, 15668, 2, run, ui);
  SaveTile(tile, 4049, 4, run, ui);
  EXPECT_EQ(run.TilesCreated, 2);
  EXPECT_EQ(ui.statusTexts,
            (std::vector<std::string>{"Created tile resolution 3 with position number 15668",
                                      "Created tile resolution 5 with position number 4049"}));
  // Nothing but the two tiles: no temporary file is left behind.
  EXPECT_EQ(FilesInTiles(), (std::set<std::string>{"2_15668.GIF", "4_4049.GIF"}));
  EXPECT_EQ(testing::ReadFileBytes(project / "Tiles/2_15668.GIF").substr(0, 6), "GIF87a");
}

struct RoundTrip {
  const char* name;
  bool chartLike;
  std::uint8_t colorReduction;
  std::uint8_t dithering;
  double maxMeanError;
};

class TileRoundTrip : public TileFilesTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(TileRoundTrip, LoadsBackWhatWasSaved) {
  const RoundTrip c = GetParam();
  const Raster32 tile = c.chartLike ? ChartLikeTile(599, 600, 17) : RandomTile(300, 600, 17);
  run.Options = {c.colorReduction, c.dithering};
  SaveTile(tile, 123, 3, run, ui);
  Raster32 back(5, 5);
  LoadExistingTile(back, 123, 3, project.Path());
  ASSERT_EQ(back.Width(), tile.Width());
  ASSERT_EQ(back.Height(), 600);
  EXPECT_LT(MeanColourError(tile, back), c.maxMeanError);
  for (std::size_t i = 0; i < back.PixelCount(); ++i) ASSERT_EQ(AlphaOf(back.Pixels()[i]), 255);
}

INSTANTIATE_TEST_SUITE_P(Tiles, TileRoundTrip,
                         ::testing::Values(RoundTrip{"Chart64", true, 2, 0, 5.0},
                                           RoundTrip{"Chart256", true, 0, 0, 3.0},
                                           RoundTrip{"Random64Stucki", false, 2, 2, 60.0}),
                         [](const auto& info) { return info.param.name; });

TEST_F(TileFilesTest, LoadingAMissingTileLeavesTheRasterAlone) {
  Raster32 raster(600, 600);
  raster.Fill(PackPixel(1, 2, 3));
  LoadExistingTile(raster, 856, 4, project.Path());
  EXPECT_EQ(raster.Width(), 600);
  EXPECT_EQ(raster.At(599, 599), PackPixel(1, 2, 3));
}

TEST_F(TileFilesTest, ACorruptTileIsAnErrorNamingTheFile) {
  const std::string file = project.Write("Tiles/4_946.GIF", "GIF87a\x10\x00");
  Raster32 raster;
  try {
    LoadExistingTile(raster, 946, 4, project.Path());
    FAIL() << "expected an error";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find(file), std::string::npos) << error.what();
  }
}

TEST_F(TileFilesTest, AMissingTilesFolderIsAnErrorNamingTheFile) {
  std::filesystem::remove_all(project.Path() + "/Tiles");
  try {
    SaveTile(ChartLikeTile(20, 600, 1), 5, 0, run, ui);
    FAIL() << "expected an error";
  } catch (const CartozenError& error) {
    EXPECT_NE(std::string(error.what()).find(TileFileName(project.Path(), 0, 5)),
              std::string::npos);
  }
  EXPECT_EQ(run.TilesCreated, 0);
  EXPECT_TRUE(ui.statusTexts.empty());
}

TEST_F(TileFilesTest, CustomPaletteGivesEveryTileExactlyItsTableWithoutDithering) {
  std::string text = "my palette\n\n16\n";
  std::vector<PaletteColour> colours;
  for (int i = 0; i < 16; ++i) {
    colours.push_back({static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 9),
                       static_cast<std::uint8_t>(i * i)});
    text += std::to_string(i * 16) + " " + std::to_string(255 - i * 9) + " " +
            std::to_string(i * i) + "\n";
  }
  programFolder.Write("Palette.txt", text);
  run.Options = {0, 1};  // 256 colours with Floyd-Steinberg: the palette overrides both
  BeginTileRun(run, ui);
  ASSERT_TRUE(run.CustomPalette);
  const Raster32 tile = ChartLikeTile(300, 600, 5);
  SaveTile(tile, 1, 2, run, ui);
  const std::string bytes = testing::ReadFileBytes(project / "Tiles/2_1.GIF");
  ASSERT_EQ(static_cast<std::uint8_t>(bytes[22]), 0x80 | 3);  // 16-entry local table
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[23 + 3 * i]), colours[i].Red);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[24 + 3 * i]), colours[i].Green);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[25 + 3 * i]), colours[i].Blue);
  }
  // No dithering: equal source pixels give equal tile pixels.
  Raster32 back;
  LoadExistingTile(back, 1, 2, project.Path());
  std::map<std::uint32_t, std::uint32_t> mapping;
  for (std::size_t i = 0; i < tile.PixelCount(); ++i) {
    const auto [it, added] = mapping.emplace(tile.Pixels()[i] & 0xFFFFFF, back.Pixels()[i]);
    ASSERT_EQ(it->second, back.Pixels()[i]) << "pixel " << i << " was dithered";
  }
}

TEST_F(TileFilesTest, ShortCustomPaletteIsPaddedWithBlack) {
  programFolder.Write("Palette.txt", "\n\n3\n10 20 30\n40 50 60\n70 80 90\n");
  BeginTileRun(run, ui);
  SaveTile(ChartLikeTile(30, 600, 5), 2, 2, run, ui);
  const std::string bytes = testing::ReadFileBytes(project / "Tiles/2_2.GIF");
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[22]), 0x80 | 1);  // 4 entries
  EXPECT_EQ(bytes.substr(23, 12), std::string("\x0a\x14\x1e\x28\x32\x3c\x46\x50\x5a\0\0\0", 12));
}

TEST_F(TileFilesTest, RunWithoutUsablePaletteUsesTheOptionsAgain) {
  programFolder.Write("Palette.txt", "\n\n2\n1 1 1\n2 2 2\n");
  BeginTileRun(run, ui);
  EXPECT_TRUE(run.CustomPalette);
  programFolder.Write("Palette.txt", "\n\nnone\n");
  run.TilesCreated = 5;
  BeginTileRun(run, ui);
  EXPECT_FALSE(run.CustomPalette);
  EXPECT_EQ(run.TilesCreated, 0);
  run.CustomPalette = TilePalette{{{1, 1, 1}}, 1};
  std::filesystem::remove(programFolder / "Palette.txt");
  BeginTileRun(run, ui);
  EXPECT_FALSE(run.CustomPalette);
}

TEST_F(TileFilesTest, OversizedPaletteIsReportedInTheStatusLine) {
  std::string text = "\n\n257\n";
  for (int i = 0; i < 257; ++i) text += "1 2 3\n";
  programFolder.Write("Palette.txt", text);
  BeginTileRun(run, ui);
  ASSERT_TRUE(run.CustomPalette);
  EXPECT_EQ(run.CustomPalette->Colours.size(), 256u);
  EXPECT_EQ(ui.LastStatus(), "Palette.txt lists 257 colours; tiles use the first 256");
}

TEST_F(TileFilesTest, DeleteAllTilesDeletesGifFilesOnlyAndCountsThem) {
  project.Write("Tiles/0_1.GIF", "x");
  project.Write("Tiles/4_2.gif", "x");
  project.Write("Tiles/notes.txt", "x");
  project.Write("Tiles/2_3.GIF.bak", "x");
  project.Write("Tiles/sub.GIF/inner.GIF", "x");
  project.Write("other.GIF", "x");  // beside the folder, not in it
  EXPECT_EQ(DeleteAllTiles(project.Path()), 2);
  EXPECT_EQ(FilesInTiles(), (std::set<std::string>{"notes.txt", "2_3.GIF.bak", "sub.GIF"}));
  EXPECT_TRUE(FileExists(project / "Tiles/sub.GIF/inner.GIF"));
  EXPECT_TRUE(FileExists(project / "other.GIF"));
  EXPECT_EQ(DeleteAllTiles(project.Path()), 0);
  EXPECT_EQ(DeleteAllTiles(project.Path() + "/nowhere"), 0);
}

}  // namespace
}  // namespace cz
