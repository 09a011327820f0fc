#include "georef/WorldFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "georef/GridLayout.h"
#include "platform/Error.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using ::testing::ElementsAre;

WorldFile Parse(const std::string& text, std::string_view separator = ".") {
  std::istringstream in(text);
  return ParseWorldFile(in, separator);
}

struct LinesCase {
  const char* name;
  const char* text;
  const char* separator;
  WorldFile expected;
};

class WorldFileLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(WorldFileLines, CountUnreadableOrMissingLinesAsZero) {
  const LinesCase& c = GetParam();
  const WorldFile world = Parse(c.text, c.separator);
  EXPECT_EQ(world.A, c.expected.A);
  EXPECT_EQ(world.D, c.expected.D);
  EXPECT_EQ(world.B, c.expected.B);
  EXPECT_EQ(world.E, c.expected.E);
  EXPECT_EQ(world.C, c.expected.C);
  EXPECT_EQ(world.F, c.expected.F);
}

INSTANTIATE_TEST_SUITE_P(
    WorldFile, WorldFileLines,
    // clang-format off
    ::testing::Values(
        LinesCase{"SixLines", "0.001953125\n0\n0\n-0.0009765625\n4.0\n53.5\n", ".",
                  {0.001953125, 0, 0, -0.0009765625, 4, 53.5}},
        LinesCase{"RotationLinesHoldText", "0.5\nrotation\nnone\n-0.25\n4\n53\n", ".",
                  {0.5, 0, 0, -0.25, 4, 53}},
        LinesCase{"CrLfAndBlanks", "  0.5 \r\n0\r\n0\r\n-0.25\t\r\n4\r\n53\r\n", ".",
                  {0.5, 0, 0, -0.25, 4, 53}},
        LinesCase{"CarriageReturnsOnly", "0.5\r0\r0\r-0.25\r4\r53", ".", {0.5, 0, 0, -0.25, 4, 53}},
        LinesCase{"MissingLines", "0.5\n0\n0\n-0.25\n", ".", {0.5, 0, 0, -0.25, 0, 0}},
        LinesCase{"EmptyLine", "0.5\n0\n0\n\n4\n53\n", ".", {0.5, 0, 0, 0, 4, 53}},
        LinesCase{"LaterLinesNotRead", "1\n2\n3\n4\n5\n6\n7\n8\n", ".", {1, 2, 3, 4, 5, 6}},
        LinesCase{"TrailingGarbage", "0.5x\n0\n0\n-0.25\n4\n53\n", ".", {0, 0, 0, -0.25, 4, 53}},
        LinesCase{"Exponents", "5E-1\n0\n0\n-2.5e-1\n+4\n53.\n", ".", {0.5, 0, 0, -0.25, 4, 53}},
        LinesCase{"NoInfinityOrNan", "inf\nnan\n0x10\n1e999\n4\n53\n", ".", {0, 0, 0, 0, 4, 53}},
        LinesCase{"CommaLocale", "0,5\n0\n0\n-0,25\n4.5\n53,5\n", ",",
                  {0.5, 0, 0, -0.25, 0, 53.5}}),
    // clang-format on
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorldFileTest, AVeryLongLineCountsAsZeroAndKeepsTheLineCount) {
  const WorldFile world = Parse(std::string(100000, '1') + "\n0\n0\n-0.25\n4\n53\n");
  EXPECT_EQ(world.A, 0.0);
  EXPECT_EQ(world.E, -0.25);
  EXPECT_EQ(world.F, 53.0);
}

struct CornersCase {
  const char* name;
  WorldFile world;
  std::int32_t width, height;
  CornerReference topLeft, bottomRight;
};

class WorldFileCorners : public ::testing::TestWithParam<CornersCase> {};

TEST_P(WorldFileCorners, LieOnWholeDegreesInsideTheChart) {
  const CornersCase& c = GetParam();
  GeoReference geoRef;
  ASSERT_EQ(CornersFromWorldFile(c.world, c.width, c.height, geoRef), WorldFileCornersResult::Set);
  EXPECT_EQ(geoRef.TopLeft.Latitude, c.topLeft.Latitude);
  EXPECT_EQ(geoRef.TopLeft.Longitude, c.topLeft.Longitude);
  EXPECT_EQ(geoRef.TopLeft.X, c.topLeft.X);
  EXPECT_EQ(geoRef.TopLeft.Y, c.topLeft.Y);
  EXPECT_EQ(geoRef.BottomRight.Latitude, c.bottomRight.Latitude);
  EXPECT_EQ(geoRef.BottomRight.Longitude, c.bottomRight.Longitude);
  EXPECT_EQ(geoRef.BottomRight.X, c.bottomRight.X);
  EXPECT_EQ(geoRef.BottomRight.Y, c.bottomRight.Y);
}

INSTANTIATE_TEST_SUITE_P(
    WorldFile, WorldFileCorners,
    // clang-format off
    ::testing::Values(
        CornersCase{"Example", {0.001953125, 0, 0, -0.0009765625, 4.0, 53.5}, 2048, 3072,
                    {53, 4, 0, 512}, {51, 8, 2048, 2560}},
        // West of Greenwich: the meridian east of -5.3 is -5, Trunc(0.3 / a) = 307 pixels in.
        CornersCase{"WesternLongitude", {1.0 / 1024, 0, 0, -1.0 / 1024, -5.3, 50.0}, 4096, 3072,
                    {50, -5, 307, 0}, {48, -2, 3379, 2048}},
        // The bottom edge exactly on 50°: the corner is the whole degree above it.
        CornersCase{"BottomEdgeOnAWholeDegree", {0.01, 0, 0, -0.01, 4.0, 53.0}, 400, 300,
                    {53, 4, 0, 0}, {51, 8, 400, 200}},
        // A positive E (south-up file sign) is used by its absolute value.
        CornersCase{"AbsolutePixelSizes", {-0.01, 0, 0, 0.01, 4.0, 53.0}, 400, 300,
                    {53, 4, 0, 0}, {51, 8, 400, 200}}),
    // clang-format on
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorldFileTest, TheExampleLaysOutAThreeByTwoDegreeGrid) {
  GeoReference geoRef;
  ASSERT_EQ(CornersFromWorldFile({0.001953125, 0, 0, -0.0009765625, 4.0, 53.5}, 2048, 3072, geoRef),
            WorldFileCornersResult::Set);
  ASSERT_TRUE(LayoutReferenceGrid(geoRef).LaidOut());
  EXPECT_EQ(geoRef.NLon, 4);
  EXPECT_EQ(geoRef.NLat, 2);
  EXPECT_EQ(geoRef.Grid[4][2].X, 2048);
  EXPECT_EQ(geoRef.Grid[4][2].Y, 2560);
}

TEST(WorldFileTest, AChartUnderOneDegreeGivesCornersOutOfOrder) {
  GeoReference geoRef;
  ASSERT_EQ(CornersFromWorldFile({0.001, 0, 0, -0.001, 4.2, 53.5}, 500, 400, geoRef),
            WorldFileCornersResult::Set);
  EXPECT_FALSE(CornersInOrder(geoRef));
  EXPECT_EQ(LayoutReferenceGrid(geoRef).Status, LayoutStatus::CornersOutOfOrder);
}

TEST(WorldFileTest, RefusesZeroPixelSizesAndNumbersOutOfRange) {
  GeoReference geoRef;
  geoRef.TopLeft = {1, 2, 3, 4};
  EXPECT_EQ(CornersFromWorldFile({0, 0, 0, -0.01, 4, 53}, 100, 100, geoRef),
            WorldFileCornersResult::ZeroPixelSize);
  EXPECT_EQ(CornersFromWorldFile({0.01, 0, 0, 0, 4, 53}, 100, 100, geoRef),
            WorldFileCornersResult::ZeroPixelSize);
  // Pixel counts beyond 32 bits, and a pixel size so large the right edge is infinite.
  EXPECT_EQ(CornersFromWorldFile({1e-300, 0, 0, -0.01, 4.5, 53}, 100, 100, geoRef),
            WorldFileCornersResult::OutOfRange);
  EXPECT_EQ(CornersFromWorldFile({1e308, 0, 0, -0.01, 4, 53}, 100, 100, geoRef),
            WorldFileCornersResult::OutOfRange);
  EXPECT_EQ(CornersFromWorldFile({0.01, 0, 0, -1e-300, 4, 53.5}, 100, 100, geoRef),
            WorldFileCornersResult::OutOfRange);
  EXPECT_EQ(geoRef.TopLeft.X, 3);  // unchanged by every refusal
  EXPECT_EQ(geoRef.TopLeft.Latitude, 1.0);
}

class ReadBpwFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_.Path = folder_ / "Chart.tif";
    source_.Image.Allocate(2048, 3072);
    source_.Loaded = true;
    source_.GeoRef.GeoReferencingType = 1;
    source_.GeoRef.SkewLeft = -7;
    source_.GeoRef.Grid[1][1] = {5, 6, 0.0f, 1};
  }
  testing::TempFolder folder_;
  MapSourceState source_;
  testing::RecordingUserInterface ui_;
};

TEST_F(ReadBpwFileTest, SetsTheCornersFromTheFileBesideTheChart) {
  folder_.Write("CHART.bpw", "0.001953125\r\n0\r\n0\r\n-0.0009765625\r\n4.0\r\n53.5\r\n");
  ASSERT_TRUE(ReadBpwFile(source_, ui_));
  EXPECT_EQ(source_.GeoRef.TopLeft.Latitude, 53.0);
  EXPECT_EQ(source_.GeoRef.TopLeft.Y, 512);
  EXPECT_EQ(source_.GeoRef.BottomRight.Longitude, 8.0);
  EXPECT_EQ(source_.GeoRef.BottomRight.X, 2048);
  // The method, the skews and the grid stay as they were.
  EXPECT_EQ(source_.GeoRef.GeoReferencingType, 1);
  EXPECT_EQ(source_.GeoRef.SkewLeft, -7);
  EXPECT_EQ(source_.GeoRef.Grid[1][1].X, 5);
  EXPECT_TRUE(ui_.statusTexts.empty());
}

TEST_F(ReadBpwFileTest, DoesNothingWithoutAFileOrASource) {
  EXPECT_FALSE(ReadBpwFile(source_, ui_));
  folder_.Write("Chart.BPW", "1\n0\n0\n-1\n4\n53\n");
  source_.Loaded = false;
  EXPECT_FALSE(ReadBpwFile(source_, ui_));
  EXPECT_EQ(source_.GeoRef.TopLeft.Latitude, 0.0);
  EXPECT_TRUE(ui_.statusTexts.empty());
}

TEST_F(ReadBpwFileTest, RefusesAZeroPixelSizeInTheStatusLine) {
  folder_.Write("Chart.BPW", "0\n0\n0\n-0.001\n4\n53\n");
  EXPECT_FALSE(ReadBpwFile(source_, ui_));
  EXPECT_THAT(ui_.statusTexts, ElementsAre("World file '" + (folder_ / "Chart.BPW") +
                                           "' gives a pixel size of 0; corners not changed"));
  EXPECT_EQ(source_.GeoRef.TopLeft.Latitude, 0.0);
}

TEST_F(ReadBpwFileTest, AnUnreadableFileRaisesTheOpenError) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = folder_.Write("Chart.BPW", "1\n0\n0\n-1\n4\n53\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  try {
    ReadBpwFile(source_, ui_);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to open file '" + folder_ / "Chart.BPW" + "'");
  }
}

}  // namespace
}  // namespace cz
