// Continuous longitudes across 180° and their names on the earth.
#include <gtest/gtest.h>

#include "geo/Antimeridian.h"

namespace cz {
namespace {

struct EastCase {
  double east, west, expected;
};

class EastOf : public ::testing::TestWithParam<EastCase> {};

TEST_P(EastOf, KeepsTheEastEdgeEastOfTheWestWithinAGrid) {
  EXPECT_EQ(LongitudeEastOf(GetParam().east, GetParam().west), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Antimeridian, EastOf,
    ::testing::Values(EastCase{-178, 178, 182},                 // typed across the line
                      EastCase{182, 178, 182},                  // kept from before
                      EastCase{8.123456789, 4.1, 8.123456789},  // off the line: itself, exactly
                      EastCase{-179, -178, -179},               // just west: out of order, as typed
                      EastCase{0, 0, 0},                        // no span
                      EastCase{180, -175, 180},                 // 355° round: as it is
                      EastCase{-116, 180, -116}, EastCase{-117, 180, 243}));

TEST(Antimeridian, LongitudesNearAReferenceAndAsShown) {
  EXPECT_EQ(LongitudeNear(-179, 179.5), 181);
  EXPECT_EQ(LongitudeNear(8.5, 0), 8.5);
  EXPECT_EQ(LongitudeOnEarth(180), -180);
  EXPECT_EQ(LongitudeOnEarth(-181), 179);
  EXPECT_EQ(FormatLongitude(ShownLongitude(182)), "W178°00.000");
  EXPECT_EQ(FormatLongitude(ShownLongitude(180)), "E180°00.000");
  EXPECT_EQ(FormatLongitude(ShownLongitude(-180)), "W180°00.000");
}

}  // namespace
}  // namespace cz
