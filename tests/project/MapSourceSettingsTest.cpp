#include "project/MapSourceSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <tuple>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/IniFile.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;

TEST(MapSourceSettingsFile, ReplacesTheExtensionByINI) {
  EXPECT_EQ(MapSourceSettingsFile("/p/Map sources/map.jpeg"), "/p/Map sources/map.INI");
  EXPECT_EQ(MapSourceSettingsFile("/p/chart.v2.TIF"), "/p/chart.v2.INI");
  EXPECT_EQ(MapSourceSettingsFile("/p.d/chart"), "/p.d/chart.INI");
  EXPECT_EQ(MapSourceSettingsFile("C:\\maps.d\\chart"), "C:\\maps.d\\chart.INI");
}

class MapSourceSettingsTest : public ::testing::Test {
 protected:
  MapSourceSettingsTest() { source.Path = folder / "chart.tif"; }

  void LoadImage(int width, int height) { source.Image = LoadedImageSize{width, height}; }
  std::string SettingsText() { return ReadFileBytes(folder / "chart.INI"); }
  IniFile Settings() { return IniFile(folder / "chart.INI"); }

  // What the settings file is read into and written from: the chart's path, its
  // georeference and, while it is loaded, its image size.
  struct Source {
    std::string Path;
    GeoReference GeoRef;
    std::optional<LoadedImageSize> Image;
  };
  void LoadMapINI(Source& s) { cz::LoadMapINI(s.Path, s.GeoRef); }
  void SaveMapINI(const Source& s) { cz::SaveMapINI(s.Path, s.GeoRef, s.Image.has_value()); }
  void MakeMapINI(Source& s, const float position[4], std::int32_t mask) {
    cz::MakeMapINI(s.Path, s.GeoRef, s.Image, position, mask);
  }

  TempFolder folder;
  Source source;
};

TEST_F(MapSourceSettingsTest, MissingFileGivesTheDefaults) {
  source.GeoRef.TopLeft.Latitude = 12;
  source.GeoRef.Grid[5][7].X = 99;
  source.GeoRef.MapResolution = 1;
  LoadMapINI(source);
  const GeoReference& geo = source.GeoRef;
  EXPECT_EQ(geo.TopLeft.Latitude, 0.0);
  EXPECT_EQ(geo.Grid[5][7].X, 0);
  EXPECT_EQ(geo.MapResolution, 30);
  EXPECT_EQ(geo.GeoReferencingType, 0);
  EXPECT_EQ(geo.ColorReduction, 2);
  EXPECT_EQ(geo.Dithering, 0);
}

struct OptionsCase {
  const char* text;
  int mapResolution, geoReferencingType, colorReduction, dithering;
};

class OptionsReading : public MapSourceSettingsTest,
                       public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(OptionsReading, KeepsLowBitsAndDefaults) {
  folder.Write("chart.INI", GetParam().text);
  LoadMapINI(source);
  EXPECT_EQ(source.GeoRef.MapResolution, GetParam().mapResolution);
  EXPECT_EQ(source.GeoRef.GeoReferencingType, GetParam().geoReferencingType);
  EXPECT_EQ(source.GeoRef.ColorReduction, GetParam().colorReduction);
  EXPECT_EQ(source.GeoRef.Dithering, GetParam().dithering);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OptionsReading,
    ::testing::Values(
        OptionsCase{"[GeoRef]\r\nTopLeftX=4\r\n", 30, 0, 2, 0},  // no Options section
        OptionsCase{"[Options]\r\nMapResolution=286\r\n", 30, 0, 2, 0},
        OptionsCase{"[options]\nmapresolution=5\ngeoreferencingtype=1\ncolorreduction=4\n"
                    "dithering=6\n",
                    5, 1, 4, 6},
        OptionsCase{"[Options]\r\nMapResolution=3x\r\nColorReduction=\r\nDithering=-1\r\n", 30, 0,
                    2, 255}));

TEST_F(MapSourceSettingsTest, SaveThenLoadRoundTripsEveryField) {
  LoadImage(10, 10);
  GeoReference& geo = source.GeoRef;
  geo.TopLeft = {51.25, -4.5, 100, 200};
  geo.BottomRight = {-49.0 - 1.0 / 180000, 7.0, 1200, 1550};
  geo.SkewLeft = -10;
  geo.SkewRight = 12;
  geo.MapResolution = 17;
  geo.GeoReferencingType = 1;
  geo.ColorReduction = 3;
  geo.Dithering = 5;
  geo.NLat = 63;
  geo.NLon = 63;
  for (int c = 0; c < kGridSize; ++c) {
    for (int r = 0; r < kGridSize; ++r) geo.Grid[c][r] = {c * 100 - 50, r * 70 + 3, 0.f, 1};
  }
  SaveMapINI(source);

  Source loaded;
  loaded.Path = folder / "chart.JPG";  // the same settings file
  LoadMapINI(loaded);
  EXPECT_EQ(loaded.GeoRef.TopLeft.Latitude, 51.25);
  EXPECT_EQ(loaded.GeoRef.TopLeft.Longitude, -4.5);
  EXPECT_EQ(loaded.GeoRef.BottomRight.Latitude, -49.0 - 1.0 / 180000);
  EXPECT_EQ(loaded.GeoRef.TopLeft.X, 100);
  EXPECT_EQ(loaded.GeoRef.BottomRight.Y, 1550);
  EXPECT_EQ(loaded.GeoRef.SkewLeft, -10);
  EXPECT_EQ(loaded.GeoRef.SkewRight, 12);
  EXPECT_EQ(loaded.GeoRef.MapResolution, 17);
  EXPECT_EQ(loaded.GeoRef.GeoReferencingType, 1);
  EXPECT_EQ(loaded.GeoRef.ColorReduction, 3);
  EXPECT_EQ(loaded.GeoRef.Dithering, 5);
  for (int c = 0; c < kGridSize; ++c) {
    for (int r = 0; r < kGridSize; ++r) {
      ASSERT_EQ(loaded.GeoRef.Grid[c][r].X, c * 100 - 50);
      ASSERT_EQ(loaded.GeoRef.Grid[c][r].Y, r * 70 + 3);
      ASSERT_EQ(loaded.GeoRef.Grid[c][r].XYSHIFT, 1);
    }
  }
}

TEST_F(MapSourceSettingsTest, SaveWritesKeysInOrderAndRoundsDegrees) {
  LoadImage(2, 2);
  source.GeoRef.TopLeft = {50.0 + 0.4 / 180000, 6.0 - 1.6 / 180000, 0, 0};  // nearest unit
  source.GeoRef.Grid[0][0] = {-3, 4, 0.f, 1};
  source.GeoRef.NLat = 0;
  source.GeoRef.NLon = 0;
  SaveMapINI(source);
  EXPECT_EQ(SettingsText(),
            "[GeoRef]\r\nTopLeftLatitude=9000000\r\nTopLeftLongitude=1079998\r\nTopLeftY=0\r\n"
            "TopLeftX=0\r\nBottomRightLatitude=0\r\nBottomRightLongitude=0\r\nBottomRightY=0\r\n"
            "BottomRightX=0\r\nSkewLeft=0\r\nSkewRight=0\r\nXYSHIFT-0/0=1\r\nX-0/0=-3\r\n"
            "Y-0/0=4\r\n[Options]\r\nMapResolution=30\r\nGeoReferencingType=0\r\n"
            "ColorReduction=2\r\nDithering=0\r\n");
}

TEST_F(MapSourceSettingsTest, SaveWritesOnlyTheGridInUseAndKeepsOtherKeys) {
  folder.Write("chart.INI", "[GeoRef]\r\nX-9/9=77\r\n");
  LoadImage(2, 2);
  source.GeoRef.NLat = 1;
  source.GeoRef.NLon = 2;
  SaveMapINI(source);
  const IniFile ini = Settings();
  EXPECT_TRUE(ini.ValueExists("GeoRef", "X-2/1"));
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-3/1"));
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-2/2"));
  EXPECT_EQ(ini.ReadInteger("GeoRef", "X-9/9", 0), 77);
}

TEST_F(MapSourceSettingsTest, SaveWritesNoGridWithoutImageOrWithANegativeCount) {
  source.GeoRef.NLat = 3;
  source.GeoRef.NLon = 3;
  SaveMapINI(source);
  EXPECT_FALSE(Settings().ValueExists("GeoRef", "X-0/0"));
  LoadImage(2, 2);
  source.GeoRef.NLat = -1;
  SaveMapINI(source);
  EXPECT_FALSE(Settings().ValueExists("GeoRef", "X-0/0"));
  EXPECT_TRUE(Settings().ValueExists("Options", "Dithering"));
}

TEST_F(MapSourceSettingsTest, SaveToAReadOnlyFileThrows) {
  const std::string file = folder.Write("chart.INI", "");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  try {
    SaveMapINI(source);
    FAIL() << "no error";
  } catch (const CartozenError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + file);
  }
}

// The command-line example: 1001 × 801 pixels at 50 N 6 E, 2 by 4 degrees.
TEST_F(MapSourceSettingsTest, MakeMapINIBuildsTheRegularGrid) {
  LoadImage(1001, 801);
  const float position[4] = {50, 6, 2, 4};
  MakeMapINI(source, position, 0x106);
  const GeoReference& geo = source.GeoRef;
  EXPECT_EQ(geo.NLat, 2);
  EXPECT_EQ(geo.NLon, 4);
  EXPECT_EQ(geo.BottomRight.Latitude, 48.0);
  EXPECT_EQ(geo.BottomRight.Longitude, 10.0);
  EXPECT_EQ(geo.BottomRight.X, 1000);
  EXPECT_EQ(geo.BottomRight.Y, 800);
  EXPECT_EQ(geo.MapResolution, 6);
  EXPECT_EQ(geo.GeoReferencingType, 1);
  EXPECT_EQ(geo.ColorReduction, 0);

  const std::string text = SettingsText();
  EXPECT_EQ(text.substr(0, text.find("XYSHIFT")),
            "[GeoRef]\r\nTopLeftLatitude=9000000\r\nTopLeftLongitude=1080000\r\nTopLeftY=0\r\n"
            "TopLeftX=0\r\nBottomRightLatitude=8640000\r\nBottomRightLongitude=1800000\r\n"
            "BottomRightY=800\r\nBottomRightX=1000\r\nSkewLeft=0\r\nSkewRight=0\r\n");
  EXPECT_NE(text.find("[Options]\r\nMapResolution=6\r\nGeoReferencingType=1\r\n"
                      "ColorReduction=0\r\nDithering=0\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("XYSHIFT-0/0=1\r\nX-0/0=0\r\nY-0/0=0\r\nXYSHIFT-1/0=1\r\n"),
            std::string::npos);

  const IniFile ini = Settings();
  EXPECT_EQ(ini.ReadInteger("GeoRef", "X-4/3", -1), 1000);
  EXPECT_EQ(ini.ReadInteger("GeoRef", "Y-4/3", -1), 1200);
  EXPECT_EQ(ini.ReadInteger("GeoRef", "X-5/3", -1), 1250);
  EXPECT_EQ(ini.ReadInteger("GeoRef", "XYSHIFT-5/3", -1), 1);
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-6/0"));
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-0/4"));
  for (int c = 0; c <= 5; ++c) {
    for (int r = 0; r <= 3; ++r) {
      EXPECT_EQ(geo.Grid[c][r].X, 250 * c);
      EXPECT_EQ(geo.Grid[c][r].Y, 400 * r);
      EXPECT_EQ(geo.Grid[c][r].XYSHIFT, 1);
    }
  }
}

TEST_F(MapSourceSettingsTest, MakeMapINIShiftsRowsForAFractionalTopLatitude) {
  LoadImage(1001, 801);
  const float position[4] = {50.25f, 6, 2, 4};
  MakeMapINI(source, position, 2);
  EXPECT_EQ(source.GeoRef.Grid[0][0].Y, -300);
  EXPECT_EQ(source.GeoRef.Grid[0][1].Y, 100);
  EXPECT_EQ(source.GeoRef.Grid[3][1].X, 750);
  EXPECT_EQ(Settings().ReadInteger("GeoRef", "Y-0/0", 0), -300);
}

TEST_F(MapSourceSettingsTest, MakeMapINIWithoutAnImageWritesNoGrid) {
  const float position[4] = {50, 6, 2, 4};
  MakeMapINI(source, position, 2);
  EXPECT_EQ(Settings().ReadInteger("GeoRef", "BottomRightX", 0), -1);
  EXPECT_FALSE(Settings().ValueExists("GeoRef", "X-0/0"));
}

// Every grid point must lie on the whole-degree intersection it names: row r on latitude
// Ceil(top) − r and column c on longitude Floor(left) + c, in every hemisphere, also when
// an extent has a fraction.
struct HemisphereCase {
  float latitude, longitude, latitudeExtent, longitudeExtent;
  int lastRow, lastColumn;  // the grid written
};

class MakeMapINIHemispheres : public MapSourceSettingsTest,
                              public ::testing::WithParamInterface<HemisphereCase> {};

TEST_P(MakeMapINIHemispheres, EveryPointLiesOnItsIntersection) {
  const HemisphereCase& p = GetParam();
  LoadImage(1201, 901);
  const float position[4] = {p.latitude, p.longitude, p.latitudeExtent, p.longitudeExtent};
  MakeMapINI(source, position, 30);
  const double top = p.latitude, left = p.longitude;
  const double bottom = top - p.latitudeExtent, right = left + p.longitudeExtent;
  const double pixelsPerDegreeX = 1200.0 / (right - left);
  const double pixelsPerDegreeY = 900.0 / (top - bottom);
  const IniFile ini = Settings();
  for (int r = 0; r <= p.lastRow; ++r) {
    for (int c = 0; c <= p.lastColumn; ++c) {
      const double latitude = std::ceil(top) - r;
      const double longitude = std::floor(left) + c;
      const GridPoint& point = source.GeoRef.Grid[c][r];
      EXPECT_NEAR(point.X, (longitude - left) * pixelsPerDegreeX, 1.0) << c << "/" << r;
      EXPECT_NEAR(point.Y, (top - latitude) * pixelsPerDegreeY, 1.0) << c << "/" << r;
      const std::string key = std::to_string(c) + "/" + std::to_string(r);
      EXPECT_EQ(ini.ReadInteger("GeoRef", "X-" + key, -99999), point.X);
      EXPECT_EQ(ini.ReadInteger("GeoRef", "Y-" + key, -99999), point.Y);
    }
  }
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-0/" + std::to_string(p.lastRow + 1)));
  EXPECT_FALSE(ini.ValueExists("GeoRef", "X-" + std::to_string(p.lastColumn + 1) + "/0"));
  // The grid reaches the bottom-right corner.
  EXPECT_LE(std::ceil(top) - p.lastRow, bottom);
  EXPECT_GE(std::floor(left) + p.lastColumn, right);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, MakeMapINIHemispheres,
    ::testing::Values(HemisphereCase{50.25f, 6.25f, 3, 4, 4, 5},      // north, east
                      HemisphereCase{-10.25f, 6.25f, 3, 4, 4, 5},     // south, east
                      HemisphereCase{50.25f, -6.25f, 3, 4, 4, 5},     // north, west
                      HemisphereCase{-10.75f, -6.75f, 3, 4, 4, 5},    // south, west
                      HemisphereCase{0.5f, -0.5f, 2, 2, 3, 3},        // across 0 and 0
                      HemisphereCase{48.1f, 6.3f, 2.5f, 3.5f, 4, 4},  // fractional extents
                      HemisphereCase{-33, 151, 2, 3, 3, 4}));         // whole degrees

struct RefusalCase {
  float latitudeExtent, longitudeExtent;
  float latitude = 50.0f;
  const char* reason;
  float longitude = 6.0f;
};

class MakeMapINIRefusals : public MapSourceSettingsTest,
                           public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(MakeMapINIRefusals, ThrowBeforeWritingAnything) {
  LoadImage(100, 100);
  source.GeoRef.MapResolution = 30;
  const float position[4] = {GetParam().latitude, GetParam().longitude, GetParam().latitudeExtent,
                             GetParam().longitudeExtent};
  try {
    MakeMapINI(source, position, 2);
    FAIL() << "not refused";
  } catch (const CartozenError& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Cannot georeference " + source.Path + ": the position ", 0), 0u)
        << message;
    EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
  }
  EXPECT_FALSE(FileExists(folder / "chart.INI"));
  EXPECT_EQ(source.GeoRef.MapResolution, 30);
}

INSTANTIATE_TEST_SUITE_P(
    Extents, MakeMapINIRefusals,
    ::testing::Values(RefusalCase{0.5f, 4, 50, "less than one whole degree"},
                      RefusalCase{2, 0.999f, 50, "less than one whole degree"},
                      RefusalCase{0, 0, 50, "less than one whole degree"},
                      RefusalCase{-2, 4, 50, "less than one whole degree"},
                      RefusalCase{63, 4, 50, "64 by 64"}, RefusalCase{2, 70, 50, "64 by 64"},
                      RefusalCase{62.6f, 4, 50.5f, "64 by 64"},  // needs row 64
                      // Off the earth: never a wrapped GeoCoord.
                      RefusalCase{2, 4, 91, "leaves the earth"},
                      RefusalCase{2, 4, 3.4e38f, "leaves the earth"},
                      RefusalCase{2, 4, -89, "leaves the earth"},
                      RefusalCase{2, 4, 50, "leaves the earth", 181},
                      RefusalCase{2, 4, 50, "leaves the earth", -181},
                      RefusalCase{2, 3e38f, 50, "leaves the earth"}));

// /X 53 178 3 4 and /X 53 180 3 4: the east edge past 180° is kept as such (182, 184), as the
// GeoCoord integers the file holds, and read back the same.
TEST_F(MapSourceSettingsTest, MakeMapINIAcrossTheDateLineRoundTripsItsEastEdge) {
  LoadImage(1201, 901);
  for (const auto& [west, keptWest, keptEast] :
       {std::tuple{178.0f, 178.0, 182.0}, std::tuple{180.0f, -180.0, -176.0}}) {
    const float position[4] = {53, west, 3, 4};
    MakeMapINI(source, position, 2);
    EXPECT_EQ(Settings().ReadInteger("GeoRef", "TopLeftLongitude", 0), keptWest * 180000);
    EXPECT_EQ(Settings().ReadInteger("GeoRef", "BottomRightLongitude", 0), keptEast * 180000);
    EXPECT_EQ(Settings().ReadInteger("GeoRef", "X-5/4", 0), 1500);
    const std::string written = SettingsText();
    Source loaded{source.Path, {}, source.Image};
    LoadMapINI(loaded);
    EXPECT_EQ(loaded.GeoRef.TopLeft.Longitude, keptWest);
    EXPECT_EQ(loaded.GeoRef.BottomRight.Longitude, keptEast);
    loaded.GeoRef.NLon = 4;
    loaded.GeoRef.NLat = 3;
    SaveMapINI(loaded);
    EXPECT_EQ(SettingsText(), written);
  }
}

TEST_F(MapSourceSettingsTest, MakeMapINIUsesTheWholeGridAtSixtyTwoDegrees) {
  LoadImage(6201, 6201);
  const float position[4] = {80, -30, 62, 62};
  MakeMapINI(source, position, 2);
  EXPECT_EQ(source.GeoRef.Grid[63][63].X, 6300);
  EXPECT_EQ(Settings().ReadInteger("GeoRef", "Y-63/63", 0), 6300);
}

}  // namespace
}  // namespace cz
