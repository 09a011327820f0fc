#include "importer/WebMercator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/Error.h"

namespace cz {
namespace {

TEST(WebMercatorTest, CellE004N58AtZoom7) {
  const std::int32_t x0 = WebMercatorX(4.0f, 7);
  EXPECT_EQ(x0, 16748);
  EXPECT_EQ(WebTileOf(x0).Tile, 65);
  EXPECT_EQ(WebTileOf(x0).Offset, 108);
  EXPECT_EQ(MosaicWidth(7, 8), 728);
  EXPECT_EQ(WebMercatorY(58.0f, 7), 9869);
  EXPECT_EQ(MosaicHeight(58.0f, 50.0f, 7), 11113 - 9869);
}

struct WidthCase {
  int zoom;
  int degrees;
  std::int32_t width;
};
class MosaicWidths : public ::testing::TestWithParam<WidthCase> {};
TEST_P(MosaicWidths, AreTheWholePixelsOfTheSpan) {
  EXPECT_EQ(MosaicWidth(GetParam().zoom, GetParam().degrees), GetParam().width);
}
INSTANTIATE_TEST_SUITE_P(ImportZooms, MosaicWidths,
                         ::testing::Values(WidthCase{7, 8, 728}, WidthCase{8, 8, 1456},
                                           WidthCase{9, 8, 2912}, WidthCase{10, 8, 5825},
                                           WidthCase{11, 4, 5825}));

struct YCase {
  int latitude;
  int zoom;
  std::int32_t y;
};
class MercatorRows : public ::testing::TestWithParam<YCase> {};
// The sine is held in single precision; near the poles that moves the result by a pixel or two
// against a double-precision sine (87° at zoom 7: −2613 in double, 89° at zoom 10: −66744).
TEST_P(MercatorRows, UseTheSinglePrecisionSine) {
  EXPECT_EQ(WebMercatorY(static_cast<float>(GetParam().latitude), GetParam().zoom), GetParam().y);
}
INSTANTIATE_TEST_SUITE_P(Table, MercatorRows,
                         ::testing::Values(YCase{0, 7, 16384}, YCase{58, 7, 9869},
                                           YCase{50, 7, 11113}, YCase{58, 11, 157910},
                                           YCase{54, 11, 168339}, YCase{82, 9, 10040},
                                           YCase{-78, 10, 225062}, YCase{85, 7, 54},
                                           YCase{86, 7, -1111}, YCase{87, 7, -2612},
                                           YCase{-87, 7, 35380}, YCase{89, 10, -66746}));

TEST(WebMercatorTest, AgreesWithTheTextbookProjectionWithinAPixel) {
  for (int zoom = kFirstImportZoom; zoom <= kLastImportZoom; ++zoom) {
    const double world = std::ldexp(256.0, zoom);
    for (int latitude = -85; latitude <= 85; ++latitude) {
      const double phi = latitude * std::numbers::pi / 180.0;
      const double textbook =
          world * (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / std::numbers::pi) / 2.0;
      ASSERT_NEAR(WebMercatorY(static_cast<float>(latitude), zoom), textbook, 1.0)
          << latitude << " at zoom " << zoom;
    }
    for (int longitude = -180; longitude <= 180; ++longitude) {
      ASSERT_NEAR(WebMercatorX(static_cast<float>(longitude), zoom),
                  world * (longitude + 180) / 360.0, 0.5);
    }
  }
}

TEST(WebMercatorTest, PolesHaveNoRowAndAreRefused) {
  EXPECT_THROW(WebMercatorY(90.0f, 7), CartozenError);
  EXPECT_THROW(WebMercatorY(-90.0f, 11), CartozenError);
  EXPECT_THROW(MosaicHeight(90.0f, 82.0f, 9), CartozenError);
  EXPECT_NO_THROW(WebMercatorY(89.0f, 11));
  EXPECT_NO_THROW(WebMercatorY(-89.0f, 11));
}

TEST(WebMercatorTest, TileIndexFloorsNegativePixels) {
  const std::pair<std::int32_t, WebTileIndex> cases[] = {
      {0, {0, 0}},     {255, {0, 255}}, {256, {1, 0}},     {16748, {65, 108}},
      {-1, {-1, 255}}, {-256, {-1, 0}}, {-257, {-2, 255}}, {-1111, {-5, 169}}};
  for (const auto& [pixel, expected] : cases) {
    EXPECT_EQ(WebTileOf(pixel).Tile, expected.Tile) << pixel;
    EXPECT_EQ(WebTileOf(pixel).Offset, expected.Offset) << pixel;
  }
}

}  // namespace
}  // namespace cz
