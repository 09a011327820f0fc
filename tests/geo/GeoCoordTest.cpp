#include "geo/GeoCoord.h"

#include <gtest/gtest.h>

namespace cz {
namespace {

struct FormatCase {
  GeoCoord value;
  const char* latitude;
  const char* longitude;
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatsBothHemispheres) {
  const FormatCase& c = GetParam();
  if (c.latitude[0]) {
    EXPECT_EQ(FormatLatitude(c.value), c.latitude);
  }
  if (c.longitude[0]) {
    EXPECT_EQ(FormatLongitude(c.value), c.longitude);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatTest,
    ::testing::Values(FormatCase{8190000, "N45°30.000", ""},
                      FormatCase{-6097770, "S33°52.590", ""},
                      FormatCase{1530000, "", "E008°30.000"},
                      FormatCase{-22026150, "", "W122°22.050"},
                      FormatCase{-1500, "S00°00.500", "W000°00.500"},
                      FormatCase{0, "N00°00.000", "E000°00.000"},
                      FormatCase{3001, "N00°01.000", "E000°01.000"},
                      FormatCase{3002, "N00°01.000", ""},  // drops up to 2 units
                      FormatCase{-32400000, "", "W180°00.000"},
                      // degrees beyond the field width are not cut
                      FormatCase{16200000 * 2, "N180°00.000", "E180°00.000"}));

struct ParseCase {
  const char* text;
  bool latitude;
  GeoCoord expected;
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ParsesByCharacterPosition) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(c.latitude ? ParseLatitude(c.text) : ParseLongitude(c.text), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ParseTest,
    ::testing::Values(ParseCase{"N45°30.500", true, 8191500},
                      ParseCase{"W008°30.500", false, -1531500},
                      ParseCase{"n45°30.500", true, 0},          // lower case letter: sign 0
                      ParseCase{"N4_°30.500", true, 91500},      // unfilled degree field
                      ParseCase{"E180°00.000", false, 32400000},
                      ParseCase{"S33°52.590", true, -6097770},
                      ParseCase{"N00°01.000", true, 3000},
                      ParseCase{"N00°75.000", true, 225000},     // minutes of 60+ just add
                      ParseCase{"N45", true, 8100000},            // short text: fields present
                      ParseCase{"", true, 0},
                      ParseCase{"X45°30.500", true, 0},
                      // the separators are not examined, only positions count
                      ParseCase{"N45x30y500", true, 8191500},
                      ParseCase{"E008°30.500", false, 1531500}));

TEST(GeoCoordTest, FormatThenParseIsExactForMultiplesOfThree) {
  for (GeoCoord v : {0, 3, -3, 8190000, -6097770, 16199997, -16200000}) {
    EXPECT_EQ(ParseLatitude(FormatLatitude(v)), v) << v;
  }
  for (GeoCoord v : {0, 3, -3, 1531503, -32399997, 32399997, -22026150}) {
    EXPECT_EQ(ParseLongitude(FormatLongitude(v)), v) << v;
  }
  EXPECT_EQ(ParseLatitude(FormatLatitude(3001)), 3000);
}

TEST(GeoCoordTest, NormalisationAfterParsing) {
  EXPECT_EQ(WrapLongitude(ParseLongitude("E180°00.000")), -32400000);
  EXPECT_EQ(ClampLatitude(ParseLatitude("N95°00.000")), 16200000);
  EXPECT_EQ(ClampLatitude(ParseLatitude("S95°00.000")), -16200000);
  EXPECT_EQ(ClampLatitude(-16200000), -16200000);
  EXPECT_EQ(ClampLatitude(16199999), 16199999);
  EXPECT_EQ(WrapLongitude(32399999), 32399999);
  EXPECT_EQ(WrapLongitude(-32400000), -32400000);
  EXPECT_EQ(WrapLongitude(-32400001), 32399999);
  EXPECT_EQ(WrapLongitude(ParseLongitude("E999°00.000")), 179820000 - 64800000);  // one step only
}

TEST(GeoCoordTest, DegreesRoundHalfToEven) {
  const double unit = 1.0 / 180000.0;
  // A double number of degrees times 180000 is never exactly n + 0.5 units (that would need
  // a factor 1/5625 in binary), so ties cannot reach the conversion; rounding is to nearest.
  EXPECT_EQ(DegreesToGeoCoord(50.25), 9045000);
  EXPECT_EQ(DegreesToGeoCoord(-4.0), -720000);
  EXPECT_EQ(DegreesToGeoCoord(1.4 * unit), 1);
  EXPECT_DOUBLE_EQ(GeoCoordToDegrees(8190000), 45.5);
  for (GeoCoord v : {0, 1, -1, 8190000, -32400000, 16200000, 12345677}) {
    EXPECT_EQ(DegreesToGeoCoord(GeoCoordToDegrees(v)), v);
  }
}

TEST(GeoCoordTest, ZeroPad) {
  EXPECT_EQ(ZeroPad(4, 3), "004");
  EXPECT_EQ(ZeroPad(172, 3), "172");
  EXPECT_EQ(ZeroPad(1234, 3), "1234");
  EXPECT_EQ(ZeroPad(0, 2), "00");
  EXPECT_EQ(ZeroPad(7, 0), "7");
}

}  // namespace
}  // namespace cz
