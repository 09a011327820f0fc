#include "project/CoverageSettings.h"

#include <gtest/gtest.h>

#include "geo/GeoCoord.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

// An operator's settings file as an earlier version wrote it, comments and order kept.
constexpr char kOperatorFile[] =
    "; checked by hand\r\n[GeoRef]\r\nTopLeftLatitude=8640000\r\n\r\n[Options]\r\n"
    "MapResolution=4\r\n";

class CoverageSettingsTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string chart = folder / "chart.tif";
  std::string settings = folder / "chart.INI";
};

TEST_F(CoverageSettingsTest, ChartWithoutCoverageKeepsItsFileByteForByte) {
  folder.Write("chart.INI", kOperatorFile);
  SaveCoverage(chart, ChartCoverage{});
  EXPECT_EQ(ReadFileBytes(settings), kOperatorFile);
  EXPECT_EQ(LoadCoverage(chart), ChartCoverage{});
}

TEST_F(CoverageSettingsTest, CoverageRoundTripsAndAnEmptyOneErasesItsSection) {
  folder.Write("chart.INI", kOperatorFile);
  // Box edges in whole GeoCoord units (odd minutes are), so they come back exactly.
  ChartCoverage coverage{{{-5, 7}, {2400, 0}, {2400, 1800}, {0, 1900}},
                         LatLonBox{GeoCoordToDegrees(8859000), GeoCoordToDegrees(8586600),
                                   GeoCoordToDegrees(-1401000), GeoCoordToDegrees(1808999)},
                         true};
  SaveCoverage(chart, coverage);
  EXPECT_EQ(LoadCoverage(chart), coverage);
  // A narrower coverage replaces the whole section: no key of the earlier one survives.
  coverage.Polygon.clear();
  coverage.Transparency = false;
  SaveCoverage(chart, coverage);
  EXPECT_EQ(LoadCoverage(chart), coverage);
  SaveCoverage(chart, ChartCoverage{});
  EXPECT_EQ(LoadCoverage(chart), ChartCoverage{});
  EXPECT_EQ(ReadFileBytes(settings).find("Coverage"), std::string::npos);
}

// Values that cannot be read leave that part of the coverage absent, not half-read.
struct UnreadableCase {
  const char* name;
  const char* section;
  ChartCoverage expected;
};

class UnreadableCoverage : public CoverageSettingsTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableCoverage, ReadsAsAbsent) {
  folder.Write("chart.INI", std::string("[Coverage]\r\n") + GetParam().section);
  EXPECT_EQ(LoadCoverage(chart), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnreadableCoverage,
    ::testing::Values(
        UnreadableCase{"OddPolygon", "Polygon=1 2 3 4 5\r\nTransparency=1\r\n", {{}, {}, true}},
        UnreadableCase{"TwoPoints", "Polygon=1 2 3 4\r\n", {}},
        UnreadableCase{"NotNumbers", "Polygon=1 2 3 4 5 x\r\n", {}},
        UnreadableCase{"BoxOfThreeKeys", "North=9000000\r\nSouth=8000000\r\nWest=0\r\n", {}},
        UnreadableCase{
            "BoxUpsideDown", "North=8000000\r\nSouth=9000000\r\nWest=0\r\nEast=1\r\n", {}},
        UnreadableCase{
            "BoxNotAnInteger", "North=9000000\r\nSouth=8000000\r\nWest=0\r\nEast=1.5\r\n", {}},
        UnreadableCase{"TransparencyOtherThanOne", "Transparency=2\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PolygonText, RoundTripsAndRefusesWhatIsNotAnEvenListOfIntegers) {
  const std::vector<CoveragePoint> polygon{{-2147483647 - 1, 0}, {2147483647, -1}, {3, 4}};
  EXPECT_EQ(ParsePolygonText(PolygonText(polygon)), polygon);
  EXPECT_EQ(ParsePolygonText(" 1\t2  3 4 "), (std::vector<CoveragePoint>{{1, 2}, {3, 4}}));
  for (const char* bad : {"1 2 3", "1 2 3 99999999999", "1,2 3 4", "1 2 3 4x"}) {
    EXPECT_FALSE(ParsePolygonText(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace cz
