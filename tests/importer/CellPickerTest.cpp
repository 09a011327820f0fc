#include "importer/CellPicker.h"

#include <gtest/gtest.h>

#include "importer/ImportState.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

struct PickCase {
  std::int32_t x, y;
  std::int32_t column, row, west, north;
  const char* name;
};
class Picks : public ::testing::TestWithParam<PickCase> {};

TEST_P(Picks, ChooseTheCellUnderTheClick) {
  const PickCase& c = GetParam();
  const PickedCell cell = PickCell(c.x, c.y);
  EXPECT_EQ(cell.Column, c.column);
  EXPECT_EQ(cell.Row, c.row);
  EXPECT_EQ(cell.WestEdge, c.west);
  EXPECT_EQ(cell.NorthEdge, c.north);
  EXPECT_EQ(cell.Name, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    WorldMap, Picks,
    ::testing::Values(
        PickCase{330, 70, 23, 4, 4, 58, "E004N58"}, PickCase{320, 70, 22, 4, -4, 58, "W004N58"},
        PickCase{0, 0, 0, 0, -180, 90, "W180N90"}, PickCase{639, 319, 44, 22, 172, -86, "E172S86"},
        PickCase{100, 313, 7, 22, -124, -86, "W124S86"},  // bottom row from 313
        PickCase{100, 312, 7, 21, -124, -78, "W124S78"},
        PickCase{626, 150, 44, 10, 172, 10, "E172N10"},  // column 44 from 626
        PickCase{625, 150, 43, 10, 164, 10, "E164N10"}, PickCase{340, 170, 23, 11, 4, 2, "E004N02"},
        PickCase{341, 171, 23, 12, 4, -6, "E004S06"},
        // Outside the picture (a window border): the nearest edge cell.
        PickCase{-3, -1, 0, 0, -180, 90, "W180N90"},
        PickCase{700, 400, 44, 22, 172, -86, "E172S86"}));

TEST(CellPickerTest, FrameOfTheChosenCell) {
  // column 23: round(327.1106) .. round(341.3328); row 4: round(56.8888) .. round(71.111)
  EXPECT_EQ(PickCell(330, 70).Frame, (FrameRect{327, 57, 341, 71}));
  EXPECT_EQ(PickCell(0, 0).Frame, (FrameRect{0, 0, 14, 14}));
  EXPECT_EQ(PickCell(639, 319).Frame, (FrameRect{626, 313, 640, 327}));
}

TEST(CellPickerTest, GridLinesOfTheWorldMap) {
  const std::vector<MapLine> lines = WorldMapGridLines();
  ASSERT_EQ(lines.size(), 22u + 45u);
  EXPECT_EQ(lines[0], (MapLine{0, 14, 639, 14}));
  EXPECT_EQ(lines[1], (MapLine{0, 28, 639, 28}));
  EXPECT_EQ(lines[21], (MapLine{0, 313, 639, 313}));  // round(312.88884)
  EXPECT_EQ(lines[22], (MapLine{14, 0, 14, 319}));
  EXPECT_EQ(lines[22 + 43], (MapLine{626, 0, 626, 319}));  // round(625.77768)
  EXPECT_EQ(lines[22 + 44], (MapLine{640, 0, 640, 319}));  // round(639.9999), off the picture
  // Every line after the first lies 14 or 15 pixels past the one before it.
  for (std::size_t i = 1; i < 22; ++i) {
    const int gap = lines[i].Y1 - lines[i - 1].Y1;
    EXPECT_TRUE(gap == 14 || gap == 15) << i;
  }
}

TEST(ImportStateTest, DefaultChoicesServeOneLevelPerZoom) {
  const ImportState state;
  EXPECT_EQ(LevelsForZoom(state.ZoomChoices, 7), 1);  // RadioGroup1: TileLevel 0 from zoom 7
  EXPECT_EQ(LevelsForZoom(state.ZoomChoices, 8), 2);
  EXPECT_EQ(LevelsForZoom(state.ZoomChoices, 9), 4);
  EXPECT_EQ(LevelsForZoom(state.ZoomChoices, 10), 8);
  EXPECT_EQ(LevelsForZoom(state.ZoomChoices, 11), 16);  // RadioGroup5: TileLevel 4 from zoom 11
  EXPECT_EQ(std::string(kEfisZoomCaptions[0]), "EFIS zoom  1 (lowest)");
  EXPECT_EQ(std::string(kWebZoomItems[4]), "Use EPSG3857 zoom level 11");
}

TEST(ImportStateTest, PickingChoosesTheCell) {
  ImportState state;
  EXPECT_FALSE(state.CellChosen);
  const PickedCell cell = ChooseCellAt(state, 330, 70);
  EXPECT_TRUE(state.CellChosen);
  EXPECT_EQ(state.NorthEdge, 58);
  EXPECT_EQ(state.WestEdge, 4);
  EXPECT_EQ(cell.Name, "E004N58");
}

TEST(ImportStateTest, GroupsSharingAZoomServeTogether) {
  const std::array<std::uint8_t, kEfisZoomCount> choices = {2, 2, 2, 3, 0};
  EXPECT_EQ(LevelsForZoom(choices, 9), 0b00111);
  EXPECT_EQ(LevelsForZoom(choices, 7), 0b10000);
  EXPECT_EQ(LevelsForZoom(choices, 8), 0);
  EXPECT_EQ(LevelsForZoom(choices, 11), 0);
  // An index no radio group has chooses nothing.
  EXPECT_EQ(LevelsForZoom({5, 9, 255, 4, 4}, 11), 0b11000);
  EXPECT_EQ(LevelsForZoom({5, 9, 255, 4, 4}, 12), 0);
}

TEST(ImportStateTest, CellsReachingAPoleOrOffTheGridAreRefused) {
  EXPECT_FALSE(CheckImportCell(58, 4));
  EXPECT_FALSE(CheckImportCell(82, -180));
  EXPECT_FALSE(CheckImportCell(-78, 172));
  const auto top = CheckImportCell(90, -4);
  ASSERT_TRUE(top);
  EXPECT_NE(top->find("W004N90"), std::string::npos) << *top;
  EXPECT_TRUE(CheckImportCell(-86, 4));
  EXPECT_TRUE(CheckImportCell(100, 4));
  EXPECT_TRUE(CheckImportCell(-81, 4));  // its last grid row would be the south pole
  EXPECT_TRUE(CheckImportCell(58, 180));
  EXPECT_TRUE(CheckImportCell(58, -181));
}

TEST(ImportStateTest, SourceFolderBecomesTheProjectsAndIsValidWhenItExists) {
  testing::TempFolder folder;
  ImportState state;
  ProjectState project;
  SetImportSourceFolder(state, project, folder.Path());
  EXPECT_TRUE(state.FolderValid);
  EXPECT_EQ(project.Epsg3857SourceFolder, folder.Path());
  SetImportSourceFolder(state, project, folder / "missing");
  EXPECT_FALSE(state.FolderValid);
  EXPECT_EQ(project.Epsg3857SourceFolder, folder / "missing");
  SetImportSourceFolder(state, project, "");
  EXPECT_FALSE(state.FolderValid);
}

}  // namespace
}  // namespace cz
