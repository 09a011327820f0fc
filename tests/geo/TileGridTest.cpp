#include "geo/TileGrid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cz {
namespace {

TEST(TileGridTest, LevelConstants) {
  const GeoCoord steps[] = {45000, 90000, 180000, 360000, 720000};
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    EXPECT_EQ(TileStep(level), steps[level]);
    EXPECT_EQ(TileColumns(level) * TileStep(level), k360Degrees);
    EXPECT_EQ(TileRows(level) * TileStep(level), 2 * k90Degrees);
    EXPECT_EQ(TilesPerCellSide(level) * TileStep(level), kEightDegrees);
  }
  EXPECT_STREQ(TileLevelCaption(2), "1 degree per tile");
  EXPECT_STREQ(TileLevelCaption(0), "0.25 degrees per tile");
}

TEST(TileGridTest, WidthTablesFollowTheCosineRuleForLevelsZeroToThree) {
  for (TileLevel level = 0; level < 4; ++level) {
    const double step = TileStep(level) / 180000.0;
    for (std::int32_t row = 0; row < TileRows(level); ++row) {
      const double middle = 90.0 - (row + 0.5) * step;
      const auto expected = static_cast<std::uint16_t>(600.0 * std::cos(middle * M_PI / 180.0));
      ASSERT_EQ(TileWidthOfRow(level, row), expected) << int(level) << " row " << row;
      ASSERT_EQ(TileWidthOfRow(level, row), TileWidthOfRow(level, TileRows(level) - 1 - row));
    }
  }
}

struct WidthRow {
  TileLevel level;
  std::int32_t row;
  std::uint16_t width;
};

class WidthCheckRows : public ::testing::TestWithParam<WidthRow> {};

TEST_P(WidthCheckRows, MatchTheListedWidths) {
  const WidthRow& c = GetParam();
  EXPECT_EQ(TileWidthOfRow(c.level, c.row), c.width);
  // The top latitude of the row looks up the same entry.
  const GeoCoord top = k90Degrees - c.row * TileStep(c.level);
  EXPECT_EQ(TileWidthAt(top, c.level), c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Listed, WidthCheckRows,
    ::testing::Values(WidthRow{0, 0, 1}, WidthRow{0, 1, 3}, WidthRow{0, 180, 425},
                      WidthRow{0, 359, 599}, WidthRow{0, 360, 599}, WidthRow{0, 719, 1},
                      WidthRow{1, 0, 2}, WidthRow{1, 1, 7}, WidthRow{1, 90, 426},
                      WidthRow{1, 179, 599}, WidthRow{1, 180, 599}, WidthRow{1, 359, 2},
                      WidthRow{2, 0, 5}, WidthRow{2, 1, 15}, WidthRow{2, 45, 427},
                      WidthRow{2, 89, 599}, WidthRow{2, 90, 599}, WidthRow{2, 179, 5},
                      WidthRow{3, 0, 10}, WidthRow{3, 1, 31}, WidthRow{3, 22, 424},
                      WidthRow{3, 44, 599}, WidthRow{3, 45, 599}, WidthRow{3, 89, 10},
                      WidthRow{4, 0, 20}, WidthRow{4, 7, 300}, WidthRow{4, 22, 599},
                      WidthRow{4, 37, 299}, WidthRow{4, 44, 20}));

TEST(TileGridTest, LevelFourTableIsTheListedOne) {
  const std::uint16_t listed[45] = {20,  62,  104, 145, 185, 224, 263, 300, 335, 369, 401, 431,
                                    459, 485, 508, 529, 548, 563, 576, 586, 594, 598, 599, 598,
                                    594, 586, 576, 563, 548, 529, 508, 485, 459, 431, 401, 369,
                                    335, 299, 263, 224, 185, 145, 104, 62,  20};
  for (int row = 0; row < 45; ++row) EXPECT_EQ(TileWidthOfRow(4, row), listed[row]) << row;
}

TEST(TileGridTest, TileWidthAtRowOwnership) {
  EXPECT_EQ(TileWidthAt(16200000, 2), TileWidthOfRow(2, 0));
  // On a row border the row below (whose north edge it is) answers.
  EXPECT_EQ(TileWidthAt(16200000 - 180000, 2), TileWidthOfRow(2, 1));
  // The lookup adds one unit before dividing, so one unit above a border still counts below.
  EXPECT_EQ(TileWidthAt(16200000 - 180000 + 1, 2), TileWidthOfRow(2, 1));
  EXPECT_EQ(TileWidthAt(16200000 - 180000 + 2, 2), TileWidthOfRow(2, 0));
  EXPECT_EQ(TileWidthAt(0, 4), 599);          // row 22 is centred on the equator
  EXPECT_EQ(TileWidthAt(kOneDegree * 2, 4), 599);  // 2° N is the north edge of row 22
  EXPECT_EQ(TileWidthAt(1000, 5), 100);
  EXPECT_EQ(TileWidthAt(1000, 255), 100);
  // Past the table (the south pole) answers the last row rather than reading beyond it.
  EXPECT_EQ(TileWidthAt(-16200000, 2), TileWidthOfRow(2, 179));
}

TEST(TileGridTest, TilePositionAndCellOfTile) {
  // Level 2, 8.5° E, top latitude 47° N.
  const std::int32_t c = (DegreesToGeoCoord(8.5) + k180Degrees) / kOneDegree;
  const std::int32_t r = (k90Degrees - DegreesToGeoCoord(47)) / kOneDegree;
  EXPECT_EQ(c, 188);
  EXPECT_EQ(r, 43);
  EXPECT_EQ(TilePositionOf(2, c, r), 15668);
  const MapCellSlot slot = MapCellOfTile(2, 15668);
  EXPECT_EQ(slot.name, "E004N50.MAP");
  EXPECT_EQ(slot.index, 28);

  EXPECT_EQ(MapCellOfTile(0, 0).name, "W180N90.MAP");
  EXPECT_EQ(MapCellOfTile(0, 0).index, 0);
  EXPECT_EQ(TilePositionOf(0, 1439, 719), 1036799);
  EXPECT_EQ(MapCellOfTile(0, 1036799).name, "E172S86.MAP");
  EXPECT_EQ(MapCellOfTile(0, 1036799).index, 31 + 15 * 32);
  EXPECT_EQ(MapCellOfTile(4, 4049).name, "E172S86.MAP");
  EXPECT_EQ(MapCellOfTile(4, 4049).index, 1);
  EXPECT_EQ(MapCellOfTile(2, 15668, "EFM").name, "E004N50.EFM");
}

TEST(TileGridTest, CellNames) {
  EXPECT_EQ(MapCellName(-4, 58, "MAP"), "W004N58.MAP");
  EXPECT_EQ(MapCellName(148, -30, "MAP"), "E148S30.MAP");
  EXPECT_EQ(MapCellName(-180, 90, "MAP"), "W180N90.MAP");
  EXPECT_EQ(MapCellName(172, -86, "MAP"), "E172S86.MAP");
  // The cell straddling Greenwich is W004, the one straddling the equator N02.
  EXPECT_EQ(MapCellOfPoint(0, 0, 2).name.substr(0, 4), "W004");
  EXPECT_EQ(MapCellOfPoint(0, 0, 2).name.substr(4, 3), "N02");
}

TEST(TileGridTest, CellOfPoint) {
  const MapCellPoint p = MapCellOfPoint(DegreesToGeoCoord(47), DegreesToGeoCoord(8.5), 2);
  EXPECT_EQ(p.name, "E004N50.MAP");
  EXPECT_EQ(p.column, 4);
  EXPECT_EQ(p.row, 3);
  // On the north and west edges of a cell the point belongs to that cell.
  const MapCellPoint edge = MapCellOfPoint(DegreesToGeoCoord(50), DegreesToGeoCoord(4), 0);
  EXPECT_EQ(edge.name, "E004N50.MAP");
  EXPECT_EQ(edge.column, 0);
  EXPECT_EQ(edge.row, 0);
  const MapCellPoint corner = MapCellOfPoint(16200000, -32400000, 4);
  EXPECT_EQ(corner.name, "W180N90.MAP");
  // Every tile's own north-west corner finds the tile's cell and slot.
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    for (TilePosition pos : {0, 12345 % (TileColumns(level) * TileRows(level)),
                             TileColumns(level) * TileRows(level) - 1}) {
      const std::int32_t c = pos % TileColumns(level), r = pos / TileColumns(level);
      const MapCellPoint pt = MapCellOfPoint(k90Degrees - r * TileStep(level),
                                             -k180Degrees + c * TileStep(level), level);
      const MapCellSlot slot = MapCellOfTile(level, pos);
      EXPECT_EQ(pt.name, slot.name);
      EXPECT_EQ(pt.column + pt.row * TilesPerCellSide(level), slot.index);
    }
  }
}

}  // namespace
}  // namespace cz
