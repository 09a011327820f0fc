#include "georef/ReferenceDialogs.h"

#include <gtest/gtest.h>

#include "geo/GeoCoord.h"

namespace cz {
namespace {

GeoCoord Units(double degrees) {
  return DegreesToGeoCoord(degrees);
}

struct ShownCase {
  const char* name;
  double latitude, longitude;
  const char* latitudeText;
  const char* longitudeText;
  GeoCoord latitudeAfter, longitudeAfter;  // what the reference holds once shown
};

class ShowingAReference : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ShowingAReference, RoundsItToTheTextItShows) {
  const ShownCase& c = GetParam();
  GeoReference geoRef;
  geoRef.BottomRight = {c.latitude, c.longitude, 7, 8};
  ReferenceDialogState dialog;
  GridPickState pick;
  ChooseReference(dialog, ReferenceCorner::BottomRight, geoRef, pick);
  const ReferenceDialogTexts texts = UpdateInfo(dialog, geoRef, pick);
  EXPECT_EQ(texts.Pixel, "X: 7, Y: 8");
  EXPECT_EQ(texts.Latitude, c.latitudeText);
  EXPECT_EQ(texts.Longitude, c.longitudeText);
  EXPECT_EQ(Units(geoRef.BottomRight.Latitude), c.latitudeAfter);
  EXPECT_EQ(Units(geoRef.BottomRight.Longitude), c.longitudeAfter);
  // Showing it again changes nothing more.
  UpdateInfo(dialog, geoRef, pick);
  EXPECT_EQ(Units(geoRef.BottomRight.Latitude), c.latitudeAfter);
  EXPECT_EQ(Units(geoRef.BottomRight.Longitude), c.longitudeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    ReferenceDialogs, ShowingAReference,
    ::testing::Values(
        ShownCase{"ThousandthOfAMinute", 51.123456, -0.5, "N51°07.407", "W000°30.000", 9202221,
                  -90000},
        ShownCase{"SouthEast", -33.8765, 151.2093, "S33°52.590", "E151°12.558", -6097770, 27217674},
        // A settings file edited by hand: the text shows it, and typing it clamps and wraps.
        ShownCase{"BeyondThePoleAndDateLine", 95.0, 180.0, "N95°00.000", "E180°00.000", k90Degrees,
                  -k180Degrees}),
    [](const auto& info) { return std::string(info.param.name); });

struct TypedCase {
  const char* name;
  bool latitude;
  const char* text;
  GeoCoord stored;
};

class TypingACoordinate : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypingACoordinate, StoresWhatTheParsersGive) {
  const TypedCase& c = GetParam();
  GeoReference geoRef;
  geoRef.TopLeft = {1.0, 1.0, 0, 0};
  ReferenceDialogState dialog;
  GridPickState pick;
  ChooseReference(dialog, ReferenceCorner::TopLeft, geoRef, pick);
  if (c.latitude) {
    LatitudeEdited(dialog, geoRef, c.text);
    EXPECT_EQ(Units(geoRef.TopLeft.Latitude), c.stored);
    EXPECT_EQ(geoRef.TopLeft.Longitude, 1.0);
  } else {
    LongitudeEdited(dialog, geoRef, c.text);
    EXPECT_EQ(Units(geoRef.TopLeft.Longitude), c.stored);
    EXPECT_EQ(geoRef.TopLeft.Latitude, 1.0);
  }
  EXPECT_EQ(geoRef.BottomRight.Latitude, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    ReferenceDialogs, TypingACoordinate,
    ::testing::Values(TypedCase{"NorthOfThePole", true, "N95°00.000", k90Degrees},
                      TypedCase{"SouthOfThePole", true, "S91°00.000", -k90Degrees},
                      TypedCase{"DateLineEast", false, "E180°00.000", -k180Degrees}),
    [](const auto& info) { return std::string(info.param.name); });

// A chart from 178° E to 178° W: its references typed as the earth names them, kept with the
// bottom-right one east of the top-left one, and shown again as typed.
TEST(ReferenceDialogs, ReferencesAcrossTheDateLineStayInOrder) {
  GeoReference geoRef;
  ReferenceDialogState dialog;
  GridPickState pick;
  ChooseReference(dialog, ReferenceCorner::TopLeft, geoRef, pick);
  LongitudeEdited(dialog, geoRef, "E178°00.000");
  ChooseReference(dialog, ReferenceCorner::BottomRight, geoRef, pick);
  LongitudeEdited(dialog, geoRef, "W178°00.000");
  EXPECT_EQ(geoRef.BottomRight.Longitude, 182.0);
  EXPECT_EQ(UpdateInfo(dialog, geoRef, pick).Longitude, "W178°00.000");
  EXPECT_EQ(geoRef.BottomRight.Longitude, 182.0);
  // The top-left reference typed again, on either side of the line.
  ChooseReference(dialog, ReferenceCorner::TopLeft, geoRef, pick);
  LongitudeEdited(dialog, geoRef, "E179°00.000");
  EXPECT_EQ(geoRef.BottomRight.Longitude, 182.0);
  LongitudeEdited(dialog, geoRef, "W179°00.000");
  EXPECT_EQ(geoRef.BottomRight.Longitude, -178.0);
}

TEST(ReferenceDialogs, CornerButtonStartsThePickAtTheReferenceItself) {
  GeoReference geoRef;
  geoRef.TopLeft = {53.0, 4.0, 120, 340};
  geoRef.BottomRight = {51.0, 8.0, -1, 900};
  ReferenceDialogState dialog;
  GridPickState pick;  // no click since start-up
  ChooseReference(dialog, ReferenceCorner::TopLeft, geoRef, pick);
  EXPECT_EQ(UpdateInfo(dialog, geoRef, pick).Pixel, "X: 120, Y: 340");
  EXPECT_EQ(geoRef.TopLeft.X, 120);
  EXPECT_EQ(geoRef.TopLeft.Y, 340);

  // A click on the chart while the dialog shows moves the reference to it.
  pick.PickX = 77;
  pick.PickY = 88;
  EXPECT_EQ(UpdateInfo(dialog, geoRef, pick).Pixel, "X: 77, Y: 88");
  EXPECT_EQ(geoRef.TopLeft.X, 77);
  EXPECT_EQ(geoRef.TopLeft.Y, 88);

  ChooseReference(dialog, ReferenceCorner::BottomRight, geoRef, pick);
  EXPECT_EQ(UpdateInfo(dialog, geoRef, pick).Pixel, "Click on map location");
  EXPECT_EQ(geoRef.TopLeft.X, 77);
}

TEST(ReferenceDialogs, WithoutAChosenReferenceNothingChanges) {
  GeoReference geoRef;
  geoRef.TopLeft = {51.123456, 4.0, 5, 6};
  const ReferenceDialogState dialog;
  GridPickState pick{9, 9, {}};
  EXPECT_EQ(UpdateInfo(dialog, geoRef, pick).Latitude, "");
  LatitudeEdited(dialog, geoRef, "N10°00.000");
  EXPECT_EQ(SetToImageCorner(dialog, geoRef, pick, 4000, 3000), "X: 9, Y: 9");
  EXPECT_EQ(geoRef.TopLeft.Latitude, 51.123456);
  EXPECT_EQ(geoRef.TopLeft.X, 5);
}

TEST(ReferenceDialogs, ImageCornerIsTheFirstOrLastPixel) {
  GeoReference geoRef;
  ReferenceDialogState dialog;
  GridPickState pick;
  ChooseReference(dialog, ReferenceCorner::BottomRight, geoRef, pick);
  EXPECT_EQ(SetToImageCorner(dialog, geoRef, pick, 4000, 3000), "X: 3999, Y: 2999");
  EXPECT_EQ(geoRef.BottomRight.X, 3999);
  EXPECT_EQ(pick.PickY, 2999);
  ChooseReference(dialog, ReferenceCorner::TopLeft, geoRef, pick);
  EXPECT_EQ(SetToImageCorner(dialog, geoRef, pick, 4000, 3000), "X: 0, Y: 0");
  EXPECT_EQ(geoRef.TopLeft.X, 0);
  EXPECT_EQ(geoRef.BottomRight.X, 3999);
}

}  // namespace
}  // namespace cz
