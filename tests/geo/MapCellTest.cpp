#include "geo/MapCell.h"

#include <gtest/gtest.h>

namespace cz {
namespace {

struct CornerCase {
  std::int32_t north, west;
  bool corner;
  const char* name;  // when it is one
};

class MapCellCorner : public ::testing::TestWithParam<CornerCase> {};

TEST_P(MapCellCorner, IsACellCornerOrNot) {
  const CornerCase& c = GetParam();
  const std::optional<MapCell> cell = MapCellAtCorner(c.north, c.west);
  ASSERT_EQ(cell.has_value(), c.corner);
  if (!cell) return;
  EXPECT_EQ(MapCellName(*cell), c.name);
  EXPECT_EQ(MapCellFileName(*cell, "EFM"), std::string(c.name) + ".EFM");
  EXPECT_EQ(cell->NorthEdge(), c.north);
  EXPECT_EQ(cell->WestEdge(), c.west);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, MapCellCorner,
    ::testing::Values(CornerCase{90, -180, true, "W180N90"}, CornerCase{50, 4, true, "E004N50"},
                      CornerCase{50, -4, true, "W004N50"}, CornerCase{2, -4, true, "W004N02"},
                      CornerCase{-86, 172, true, "E172S86"},  // the last, half cell
                      CornerCase{49, 4, false, ""}, CornerCase{50, 5, false, ""},
                      CornerCase{-94, 4, false, ""},   // past the south pole
                      CornerCase{98, 4, false, ""},    // north of the pole
                      CornerCase{50, 180, false, ""},  // the antimeridian is no west edge
                      CornerCase{50, -188, false, ""}, CornerCase{INT32_MIN, INT32_MIN, false, ""},
                      CornerCase{INT32_MAX - 5, INT32_MAX - 3, false, ""}));

TEST(MapCellTest, TilesOfEveryLevelLieInTheCellTheirMapFileNames) {
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    const std::int32_t count = TileColumns(level) * TileRows(level);
    for (TilePosition position = 0; position < count; position += 997) {
      EXPECT_EQ(MapCellFileName(MapCellOf(level, position), "MAP"),
                MapCellOfTile(level, position).name)
          << int(level) << " " << position;
    }
    EXPECT_EQ(MapCellName(MapCellOf(level, count - 1)), "E172S86");
  }
}

TEST(MapCellTest, CellsOrderNorthToSouthThenWestToEast) {
  EXPECT_LT(*MapCellAtCorner(58, 4), *MapCellAtCorner(50, -4));
  EXPECT_LT(*MapCellAtCorner(50, -4), *MapCellAtCorner(50, 4));
}

}  // namespace
}  // namespace cz
