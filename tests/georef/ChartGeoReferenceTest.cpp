// A chart's own georeference end to end: GeoTIFFs written here in a Lambert conformal conic
// and a transverse Mercator projection (SampleCharts.h), their grid checked against
// intersections PROJ places independently (their tiles: tests/tiling); then tag sets the
// reader must refuse.
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <functional>

#include "SampleCharts.h"
#include "geo/TileGrid.h"
#include "georef/ChartGeoReference.h"
#include "georef/ChartGrid.h"
#include "georef/SampleGeoTiff.h"
#include "imaging/ChartReaders.h"
#include "platform/Error.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"

namespace cz {
namespace {

using testing::ChartCase;
using testing::kCharts;

// Where PROJ itself, without the reader, puts a latitude and longitude on the chart.
ChartPixel TruePixel(const SampleGeoTiff& chart, double lat, double lon) {
  PJ_CONTEXT* context = proj_context_create();
  PJ* op =
      proj_create_crs_to_crs(context, "EPSG:4326", (chart.Proj4 + " +type=crs").c_str(), nullptr);
  PJ* norm = proj_normalize_for_visualization(context, op);
  const PJ_COORD xy = proj_trans(norm, PJ_FWD, proj_coord(lon, lat, 0, 0));
  proj_destroy(norm);
  proj_destroy(op);
  proj_context_destroy(context);
  // PixelIsArea: pixel x's centre lies half a pixel in from the corner.
  return {(xy.xy.x - chart.Left) / chart.PixelSize - 0.5,
          (chart.Top - xy.xy.y) / chart.PixelSize - 0.5};
}

class ChartGrids : public ::testing::TestWithParam<ChartCase> {
 protected:
  void SetUp() override { WriteSampleGeoTiff(GetParam().chart, path); }
  testing::TempFolder folder;
  std::string path = folder / "chart.tif";
};

TEST_P(ChartGrids, PointsLieWithinHalfAPixelOfTheTrueIntersections) {
  const ChartCase& c = GetParam();
  const std::optional<ChartProjection> chart = ReadChartGeoReference(path);
  ASSERT_TRUE(chart.has_value());
  const GeoReference geo = GridFromChartProjection(*chart, path);
  EXPECT_EQ(geo.GeoReferencingType, 1);
  EXPECT_EQ(geo.NLon, c.nLon);
  EXPECT_EQ(geo.NLat, c.nLat);
  EXPECT_EQ(geo.GridTopLatitude, c.top);
  EXPECT_EQ(geo.GridLeftLongitude, c.left);
  for (int r = 0; r <= geo.NLat; ++r) {
    for (int col = 0; col <= geo.NLon; ++col) {
      const ChartPixel truth = TruePixel(c.chart, c.top - r, c.left + col);
      const GridPoint& p = geo.Grid[col][r];
      EXPECT_LE(std::abs(p.X - truth.X), 0.5) << col << "/" << r;
      EXPECT_LE(std::abs(p.Y - truth.Y), 0.5) << col << "/" << r;
      EXPECT_EQ(p.XYSHIFT, 1);
    }
  }
  EXPECT_EQ(geo.Grid[geo.NLon + 1][0].XYSHIFT, 0);  // nothing beyond the rectangle
  EXPECT_EQ(geo.TopLeft.X, geo.Grid[0][0].X);
  EXPECT_EQ(geo.BottomRight.Y, geo.Grid[geo.NLon][geo.NLat].Y);
  EXPECT_EQ(geo.BottomRight.Longitude, c.left + c.nLon);
}

INSTANTIATE_TEST_SUITE_P(Projections, ChartGrids, ::testing::ValuesIn(kCharts),
                         [](const auto& info) { return std::string(info.param.name); });

// Tag sets written by hand: each is refused with the file's name and the reason.
struct TagCase {
  const char* name;
  std::function<void(TIFF*, GTIF*)> tags;
  const char* reason;  // empty: no georeference at all
};

void TieAndScale(TIFF* tiff) {
  const double tie[6] = {0, 0, 0, -140000, 145000, 0};
  const double scale[3] = {400, 400, 0};
  TIFFSetField(tiff, TIFFTAG_GEOTIEPOINTS, 6, tie);
  TIFFSetField(tiff, TIFFTAG_GEOPIXELSCALE, 3, scale);
}
void Projected(GTIF* gtif, int code) {
  GTIFKeySet(gtif, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
  GTIFKeySet(gtif, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, code);
}

// A transverse Mercator of the file's own parameters on WGS 84; then one key set as a case
// wants it (the value of an angle in degrees, of a length in metres).
void UserDefinedMercator(GTIF* gtif, geokey_t key, double value) {
  GTIFKeySet(gtif, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
  GTIFKeySet(gtif, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gtif, ProjectionGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gtif, ProjCoordTransGeoKey, TYPE_SHORT, 1, CT_TransverseMercator);
  GTIFKeySet(gtif, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84);
  GTIFKeySet(gtif, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, Linear_Meter);
  GTIFKeySet(gtif, ProjNatOriginLongGeoKey, TYPE_DOUBLE, 1, 9.0);
  GTIFKeySet(gtif, ProjScaleAtNatOriginGeoKey, TYPE_DOUBLE, 1, 0.9996);
  GTIFKeySet(gtif, ProjFalseEastingGeoKey, TYPE_DOUBLE, 1, 500000.0);
  if (key == ProjLinearUnitSizeGeoKey) {
    GTIFKeySet(gtif, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, KvUserDefined);
  }
  if (key == GeogSemiMajorAxisGeoKey) {
    GTIFKeySet(gtif, GeographicTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
    GTIFKeySet(gtif, GeogGeodeticDatumGeoKey, TYPE_SHORT, 1, KvUserDefined);
    GTIFKeySet(gtif, GeogEllipsoidGeoKey, TYPE_SHORT, 1, KvUserDefined);
    GTIFKeySet(gtif, GeogInvFlatteningGeoKey, TYPE_DOUBLE, 1, 298.257223563);
  }
  if (key == ProjCoordTransGeoKey) {
    GTIFKeySet(gtif, key, TYPE_SHORT, 1, static_cast<int>(value));
  } else if (key != 0) {
    GTIFKeySet(gtif, key, TYPE_DOUBLE, 1, value);
  }
}
TagCase OwnProjection(const char* name, geokey_t key, double value, const char* reason) {
  return {name,
          [key, value](TIFF* t, GTIF* g) {
            TieAndScale(t);
            UserDefinedMercator(g, key, value);
          },
          reason};
}

const TagCase kTagCases[] = {
    // Values libgeotiff's own PROJ-string builder wrote into fixed buffers.
    OwnProjection("HugeLinearUnit", ProjLinearUnitSizeGeoKey, 1e300,
                  "the linear unit (1e+300 m) is out of range"),
    OwnProjection("HugeFalseEasting", ProjFalseEastingGeoKey, 1e308,
                  "the projection's false easting (1e+308 m) is out of range"),
    OwnProjection("LatitudeOffTheEarth", ProjNatOriginLatGeoKey, 1e9,
                  "the projection's latitude of origin (1e+09°) is out of range"),
    OwnProjection("CentralMeridianNotANumber", ProjNatOriginLongGeoKey, std::nan(""),
                  "the projection's central meridian (nan°) is out of range"),
    OwnProjection("NegativeSemiMajorAxis", GeogSemiMajorAxisGeoKey, -6378137,
                  "the ellipsoid's semi-major axis (-6.37814e+06 m) is out of range"),
    OwnProjection("UnknownMethod", ProjCoordTransGeoKey, CT_ObliqueMercator_Laborde,
                  "the projection method (GeoTIFF code 4) is not supported"),
    {"NoTags", [](TIFF*, GTIF*) {}, ""},
    {"KeysWithoutTiePoint", [](TIFF*, GTIF* g) { Projected(g, 32632); },
     "no tie point or transformation matrix"},
    {"TooFewControlPoints",
     [](TIFF* t, GTIF* g) {
       const double tie[12] = {0, 0, 0, 1, 2, 0, 5, 5, 0, 3, 4, 0};
       TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, 12, tie);
       Projected(g, 32632);
     },
     "2 control points are too few for an order 1 polynomial (it needs 3)"},
    {"ScaleAndMatrix",
     [](TIFF* t, GTIF* g) {
       TieAndScale(t);
       const double m[16] = {400, 0, 0, 0, 0, -400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
       TIFFSetField(t, TIFFTAG_GEOTRANSMATRIX, 16, m);
       Projected(g, 32632);
     },
     "both a pixel scale and a transformation matrix are given"},
    {"ZeroScale",
     [](TIFF* t, GTIF* g) {
       const double tie[6] = {0, 0, 0, 0, 0, 0}, scale[3] = {0, 400, 0};
       TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, 6, tie);
       TIFFSetField(t, TIFFTAG_GEOPIXELSCALE, 3, scale);
       Projected(g, 32632);
     },
     "the pixel scale or matrix is singular"},
    {"TiePointWithoutKeys", [](TIFF* t, GTIF*) { TieAndScale(t); },
     "the GeoKey directory is missing or broken"},
    {"UnknownCrs",
     [](TIFF* t, GTIF* g) {
       TieAndScale(t);
       Projected(g, 29999);
     },
     "unknown coordinate system"},
};

class RefusedTags : public ::testing::TestWithParam<TagCase> {};

TEST_P(RefusedTags, NameTheFileAndTheReason) {
  testing::TempFolder folder;
  const std::string path = folder / "bad.tif";
  {
    XTIFFInitialize();
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 4u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 4u);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    GTIF* gtif = GTIFNew(tiff);
    GetParam().tags(tiff, gtif);
    GTIFWriteKeys(gtif);
    GTIFFree(gtif);
    const std::uint8_t row[4] = {};
    for (std::uint32_t y = 0; y < 4; ++y)
      TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(row), y);
    TIFFClose(tiff);
  }
  const std::string reason = GetParam().reason;
  if (reason.empty()) {
    EXPECT_FALSE(ReadChartGeoReference(path).has_value());
    return;
  }
  try {
    ReadChartGeoReference(path);
    FAIL() << "accepted";
  } catch (const CartozenError& error) {
    EXPECT_EQ(
        std::string(error.what()).rfind("Cannot use the georeference of bad.tif: " + reason, 0), 0u)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Tags, RefusedTags, ::testing::ValuesIn(kTagCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Charts whose whole-degree grid cannot be had.
TEST(ChartGridLimits, WideOrTinyChartsAreRefused) {
  testing::TempFolder folder;
  const auto refusal = [&](const SampleGeoTiff& chart) {
    try {
      GridFromChartProjection(SampleGeoTiffProjection(chart, folder / "c.tif"), folder / "c.tif");
    } catch (const CartozenError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  // Plate carrée from 10° W, 80 degrees wide; and half a degree square.
  EXPECT_EQ(refusal({"", 4326, -10, 50, 0.5, 160, 40, false}),
            "Cannot use the georeference of c.tif: the chart spans more than 63 degrees of "
            "latitude or longitude");
  // Also across 180° (140° E to 140° W), where a narrow chart is not refused.
  EXPECT_EQ(refusal({"", 4326, 140, 50, 0.5, 160, 40, false}),
            "Cannot use the georeference of c.tif: the chart spans more than 63 degrees of "
            "latitude or longitude");
  EXPECT_EQ(refusal({"", 4326, 170, 50, 0.5, 40, 40, false}), "");
  EXPECT_EQ(refusal({"", 4326, 6.2, 47.8, 0.01, 50, 50, false}),
            "Cannot use the georeference of c.tif: no whole one-degree cell lies inside the chart");
  // Upside down (a negative scale turns the rows).
  EXPECT_EQ(refusal({"", 4326, 6, 46, -0.01, 401, 201, false}),
            "Cannot use the georeference of c.tif: the chart is not drawn north up");
}

}  // namespace
}  // namespace cz
