// GeoTIFF georeferences: every way the tags tie raster to model, EPSG-coded and user-defined
// coordinate systems in GeoKeys, hostile parameter values, broken key directories, and the
// raster layouts charts come in. libgeotiff writes the keys (GTIFKeySet writes any key with
// any value); the broken directories are written as raw tags.
#include <geotiff/geo_normalize.h>
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Seeds.h"
#include "TiffWriter.h"

namespace cz::seeds {
namespace {

using Keys = std::function<void(GTIF*)>;
using Params = std::vector<std::pair<geokey_t, double>>;


struct Georef {
  std::vector<double> TiePoints;  // raster i, j, k, model x, y, z per point
  std::vector<double> PixelScale;
  std::vector<double> Matrix;
  Keys WriteKeys;                      // none: no GeoKey directory
  std::vector<std::uint16_t> RawKeys;  // a directory written as it is, in place of WriteKeys
  std::vector<double> RawDoubles;
  std::string RawAscii;
};

void Short(GTIF* g, geokey_t key, int value) {
  GTIFKeySet(g, key, TYPE_SHORT, 1, value);
}
void Double(GTIF* g, geokey_t key, double value) {
  GTIFKeySet(g, key, TYPE_DOUBLE, 1, value);
}
void Ascii(GTIF* g, geokey_t key, const char* text) {
  GTIFKeySet(g, key, TYPE_ASCII, 0, text);
}

// The tags of a georeference, as the last step before the pixels are written.
void SetGeoTags(TIFF* t, const Georef& geo) {
  if (!geo.TiePoints.empty()) {
    TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, static_cast<int>(geo.TiePoints.size()),
                 geo.TiePoints.data());
  }
  if (!geo.PixelScale.empty()) {
    TIFFSetField(t, TIFFTAG_GEOPIXELSCALE, static_cast<int>(geo.PixelScale.size()),
                 geo.PixelScale.data());
  }
  if (!geo.Matrix.empty()) {
    TIFFSetField(t, TIFFTAG_GEOTRANSMATRIX, static_cast<int>(geo.Matrix.size()), geo.Matrix.data());
  }
  if (!geo.RawKeys.empty()) {
    TIFFSetField(t, TIFFTAG_GEOKEYDIRECTORY, static_cast<int>(geo.RawKeys.size()),
                 geo.RawKeys.data());
    if (!geo.RawDoubles.empty()) {
      TIFFSetField(t, TIFFTAG_GEODOUBLEPARAMS, static_cast<int>(geo.RawDoubles.size()),
                   geo.RawDoubles.data());
    }
    if (!geo.RawAscii.empty()) TIFFSetField(t, TIFFTAG_GEOASCIIPARAMS, geo.RawAscii.c_str());
  } else if (geo.WriteKeys) {
    const std::unique_ptr<GTIF, decltype(&GTIFFree)> gtif(GTIFNew(t), GTIFFree);
    if (!gtif) throw std::runtime_error("GTIFNew failed");
    geo.WriteKeys(gtif.get());
    if (!GTIFWriteKeys(gtif.get())) throw std::runtime_error("GTIFWriteKeys failed");
  }
}

TiffImage SmallGrey() {
  TiffImage image;
  image.Width = image.Height = 8;
  image.Samples = 1;
  image.Photometric = PHOTOMETRIC_MINISBLACK;
  return image;
}

std::string GeoTiff(const Georef& geo, TiffImage image = SmallGrey(), const char* mode = "w") {
  XTIFFInitialize();
  image.Tags = [geo](TIFF* t) { SetGeoTags(t, geo); };
  return TiffBytes({image}, mode);
}

// Model (x, y) at raster (0, 0), `step` model units per pixel.
Georef TieAndScale(double x, double y, double step, Keys keys) {
  Georef geo;
  geo.TiePoints = {0, 0, 0, x, y, 0};
  geo.PixelScale = {step, step, 0};
  geo.WriteKeys = std::move(keys);
  return geo;
}

Keys EpsgGeographic(int code, int rasterType = RasterPixelIsArea) {
  return [=](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeGeographic);
    Short(g, GTRasterTypeGeoKey, rasterType);
    Short(g, GeographicTypeGeoKey, code);
  };
}

Keys EpsgProjected(int code) {
  return [=](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeProjected);
    Short(g, GTRasterTypeGeoKey, RasterPixelIsArea);
    Short(g, ProjectedCSTypeGeoKey, code);
  };
}

// A projected system defined key by key: the coordinate transformation and its parameters on
// the geographic system `geographic` (an EPSG code, or keys of its own), in `units`.
Keys UserProjected(int transformation, Params params, Keys geographic = {},
                   int units = Linear_Meter, Keys more = {}) {
  return [=](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeProjected);
    Short(g, GTRasterTypeGeoKey, RasterPixelIsArea);
    Ascii(g, GTCitationGeoKey, "user-defined projection");
    if (geographic) {
      geographic(g);
    } else {
      Short(g, GeographicTypeGeoKey, GCS_WGS_84);
    }
    Short(g, ProjectedCSTypeGeoKey, KvUserDefined);
    Short(g, ProjectionGeoKey, KvUserDefined);
    Short(g, ProjCoordTransGeoKey, transformation);
    Short(g, ProjLinearUnitsGeoKey, units);
    for (const auto& [key, value] : params) Double(g, key, value);
    if (more) more(g);
  };
}

// A geographic system with its own datum and ellipsoid.
Keys UserGeographic(double semiMajor, double inverseFlattening, Keys more = {}) {
  return [=](GTIF* g) {
    Short(g, GeographicTypeGeoKey, KvUserDefined);
    Ascii(g, GeogCitationGeoKey, "user-defined datum");
    Short(g, GeogGeodeticDatumGeoKey, KvUserDefined);
    Short(g, GeogEllipsoidGeoKey, KvUserDefined);
    Double(g, GeogSemiMajorAxisGeoKey, semiMajor);
    Double(g, GeogInvFlatteningGeoKey, inverseFlattening);
    Short(g, GeogAngularUnitsGeoKey, Angular_Degree);
    if (more) more(g);
  };
}

Keys Then(Keys first, Keys second) {
  return [=](GTIF* g) {
    first(g);
    second(g);
  };
}

Keys ToWgs84(std::vector<double> values) {
  return [=](GTIF* g) {
    GTIFKeySet(g, GeogTOWGS84GeoKey, TYPE_DOUBLE, static_cast<int>(values.size()), values.data());
  };
}

// Transverse Mercator, zone 32 style, its origin at (500000, 0).
Params Utm32(double falseEasting = 500000, double falseNorthing = 0) {
  return {{ProjNatOriginLatGeoKey, 0},
          {ProjNatOriginLongGeoKey, 9},
          {ProjScaleAtNatOriginGeoKey, 0.9996},
          {ProjFalseEastingGeoKey, falseEasting},
          {ProjFalseNorthingGeoKey, falseNorthing}};
}

// A projection centred at (latitude, longitude) with no false origin.
Params Centred(double latitude, double longitude) {
  return {{ProjNatOriginLatGeoKey, latitude}, {ProjNatOriginLongGeoKey, longitude},
          {ProjCenterLatGeoKey, latitude},    {ProjCenterLongGeoKey, longitude},
          {ProjScaleAtNatOriginGeoKey, 1.0},  {ProjFalseEastingGeoKey, 0},
          {ProjFalseNorthingGeoKey, 0}};
}

Params With(Params params, Params more) {
  params.insert(params.end(), more.begin(), more.end());
  return params;
}

// A raw key directory: header (version 1, revision 1.0) and the given entries of four shorts.
std::vector<std::uint16_t> Directory(std::uint16_t declaredKeys,
                                     std::vector<std::uint16_t> entries) {
  std::vector<std::uint16_t> directory = {1, 1, 0, declaredKeys};
  directory.insert(directory.end(), entries.begin(), entries.end());
  return directory;
}

// Ground control points as georeferencing tools write them, on a 64 × 48 chart: enough for
// every fit, too few for some, on a line, coincident, folding, incomplete, hostile values.
void ControlPointSeeds(Corpus& corpus, const Keys& wgs84) {
  TiffImage image = SmallGrey();
  image.Width = 64, image.Height = 48;
  const auto points = [&](std::vector<double> ties) {
    Georef geo;
    geo.TiePoints = std::move(ties);
    geo.WriteKeys = wgs84;
    return GeoTiff(geo, image);
  };
  std::vector<double> twelve, sixteen;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const double i = 4 + 18.5 * c + (r % 2) * 4, j = 3 + 14 * r;
      // A slight bend, as a conic chart's parallels have in longitude and latitude.
      const double lon = 5 + i * 0.01 + 0.00002 * (j - 24) * (i - 32);
      const double lat = 52 - j * 0.01 + 0.00001 * (i - 32) * (i - 32);
      sixteen.insert(sixteen.end(), {i, j, 0, lon, lat, 0});
      if (r < 3) twelve.insert(twelve.end(), {i, j, 0, lon, lat, 0});
    }
  }
  corpus.Write("control-points-12.tif", points(twelve));
  corpus.Write("control-points-16.tif", points(sixteen));
  corpus.Write("control-points-two.tif", points({0, 0, 0, 5, 52, 0, 60, 40, 0, 5.6, 51.6, 0}));
  corpus.Write("control-points-on-a-line.tif",
               points({0, 0, 0, 5, 52, 0, 20, 20, 0, 5.2, 51.8, 0, 40, 40, 0, 5.4, 51.6, 0}));
  corpus.Write("control-points-coincide.tif",
               points({0, 0, 0, 5, 52, 0, 60, 0, 0, 5.6, 52, 0, 0, 40, 0, 5, 51.6, 0, 0, 40, 0, 5,
                       51.6, 0}));
  corpus.Write("control-points-folding.tif",
               points({0, 0, 0, 5, 52, 0, 30, 0, 0, 5.3, 52, 0, 60, 0, 0, 5.6, 52, 0, 15, 20, 0, 5.45,
                       51.8, 0, 45, 20, 0, 5.15, 51.8, 0, 0, 40, 0, 5, 51.6, 0, 30, 40, 0, 5.3, 51.6,
                       0, 60, 40, 0, 5.6, 51.6, 0}));
  std::vector<double> incomplete = twelve;
  incomplete.resize(incomplete.size() - 1);
  corpus.Write("control-points-incomplete.tif", points(incomplete));
  std::vector<double> huge = twelve;
  huge[3] = 1e300, huge[10] = -1e300;
  corpus.Write("control-points-huge.tif", points(huge));
  std::vector<double> nan = twelve;
  nan[4] = kNaN;
  corpus.Write("control-points-nan.tif", points(nan));
}

void EncodingSeeds(Corpus& corpus) {
  const Keys wgs84 = EpsgGeographic(GCS_WGS_84);
  corpus.Write("tie-scale-4326.tif", GeoTiff(TieAndScale(5.0, 52.0, 0.01, wgs84)));
  corpus.Write(
      "pixel-is-point.tif",
      GeoTiff(TieAndScale(5.0, 52.0, 0.01, EpsgGeographic(GCS_WGS_84, RasterPixelIsPoint))));
  Georef offset = TieAndScale(5.0, 52.0, 0.01, wgs84);
  offset.TiePoints = {4, 4, 0, 5.04, 51.96, 0};
  corpus.Write("tie-at-raster-centre.tif", GeoTiff(offset));
  Georef several = TieAndScale(5.0, 52.0, 0.01, wgs84);
  several.TiePoints = {0, 0, 0, 5.0, 52.0, 0, 7, 0, 0, 5.07, 52.0, 0, 0, 7, 0, 5.0, 51.93, 0};
  corpus.Write("several-ties-with-scale.tif", GeoTiff(several));
  Georef control;
  control.TiePoints = {0, 0, 0, 5.0,  52.0,  0, 7, 0, 0, 5.08, 52.01, 0,
                       0, 7, 0, 4.99, 51.93, 0, 7, 7, 0, 5.07, 51.94, 0};
  control.WriteKeys = wgs84;
  corpus.Write("control-points.tif", GeoTiff(control));
  ControlPointSeeds(corpus, wgs84);
  Georef southUp = TieAndScale(5.0, 51.92, 0.01, wgs84);
  southUp.PixelScale = {0.01, -0.01, 0};
  corpus.Write("scale-south-up.tif", GeoTiff(southUp));
  Georef zero = TieAndScale(5.0, 52.0, 0.0, wgs84);
  corpus.Write("scale-zero.tif", GeoTiff(zero));
  Georef rotated;
  const double a = 0.01 * std::cos(0.3), b = 0.01 * std::sin(0.3);
  rotated.Matrix = {a, -b, 0, 5.0, -b, -a, 0, 52.0, 0, 0, 0, 0, 0, 0, 0, 1};
  rotated.WriteKeys = wgs84;
  corpus.Write("matrix-rotated.tif", GeoTiff(rotated));
  Georef utmMatrix;
  utmMatrix.Matrix = {100, 20, 0, 500000, 10, -100, 0, 5800000, 0, 0, 1, 0, 0, 0, 0, 1};
  utmMatrix.WriteKeys = EpsgProjected(32632);
  corpus.Write("matrix-sheared-32632.tif", GeoTiff(utmMatrix));
  Georef both = rotated;
  both.PixelScale = {0.01, 0.01, 0};
  corpus.Write("matrix-and-scale.tif", GeoTiff(both));
  Georef incomplete = rotated;
  incomplete.Matrix.resize(15);
  corpus.Write("matrix-incomplete.tif", GeoTiff(incomplete));
  Georef singular = rotated;
  singular.Matrix = {1, 2, 0, 5, 2, 4, 0, 52, 0, 0, 0, 0, 0, 0, 0, 1};
  corpus.Write("matrix-singular.tif", GeoTiff(singular));
  Georef fiveValues = TieAndScale(5.0, 52.0, 0.01, wgs84);
  fiveValues.TiePoints.resize(5);
  corpus.Write("tie-point-incomplete.tif", GeoTiff(fiveValues));
  Georef nanTie = TieAndScale(kNaN, 52.0, 0.01, wgs84);
  corpus.Write("tie-point-nan.tif", GeoTiff(nanTie));
  Georef infScale = TieAndScale(5.0, 52.0, kInf, wgs84);
  corpus.Write("scale-infinite.tif", GeoTiff(infScale));
  Georef scaleOnly = TieAndScale(5.0, 52.0, 0.01, wgs84);
  scaleOnly.PixelScale.resize(1);
  corpus.Write("scale-one-value.tif", GeoTiff(scaleOnly));
  Georef keysOnly;
  keysOnly.WriteKeys = wgs84;
  corpus.Write("keys-without-tie.tif", GeoTiff(keysOnly));
  corpus.Write("tie-without-keys.tif", GeoTiff(TieAndScale(5.0, 52.0, 0.01, {})));
}

void EpsgSeeds(Corpus& corpus) {
  for (const int code : {4269, 4258, 4230, 4267, 4277, 4807}) {
    corpus.Write("epsg" + std::to_string(code) + ".tif",
                 GeoTiff(TieAndScale(code == 4807 ? 2.7 : -2.0, 52.0, 0.01, EpsgGeographic(code))));
  }
  const struct {
    int code;
    double x, y;
  } projected[] = {{32733, 500000, 8000000}, {27700, 400000, 300000},  {2154, 650000, 6860000},
                   {3857, 1000000, 6000000}, {3035, 4300000, 3300000}, {3413, 0, -2000000},
                   {3031, 0, 2000000},       {5070, 1000000, 2000000}, {28992, 155000, 463000},
                   {2056, 2600000, 1200000}, {3395, 1000000, 6000000}, {2227, 6000000, 2100000},
                   {31370, 150000, 170000},  {3400, 500000, 5800000}};
  for (const auto& p : projected) {
    corpus.Write("epsg" + std::to_string(p.code) + ".tif",
                 GeoTiff(TieAndScale(p.x, p.y, 100, EpsgProjected(p.code))));
  }
  corpus.Write("epsg-unknown-projected.tif", GeoTiff(TieAndScale(0, 0, 100, EpsgProjected(65000))));
  corpus.Write("epsg-unknown-geographic.tif",
               GeoTiff(TieAndScale(0, 0, 0.1, EpsgGeographic(4064))));
  // Codes of the register that name no 2D geographic system: geocentric, geographic 3D.
  corpus.Write("epsg4000-geocentric-as-geographic.tif",
               GeoTiff(TieAndScale(28, 47, 0.01, EpsgGeographic(4000))));
  corpus.Write("epsg4999-geographic-3d.tif",
               GeoTiff(TieAndScale(-149, -17, 0.01, EpsgGeographic(4999))));
  corpus.Write("epsg-with-vertical.tif",
               GeoTiff(TieAndScale(5.0, 52.0, 0.01, Then(EpsgGeographic(GCS_WGS_84), [](GTIF* g) {
                                     Short(g, VerticalCSTypeGeoKey, 5703);
                                     Short(g, VerticalUnitsGeoKey, Linear_Meter);
                                   }))));
  corpus.Write("projected-epsg-projection-code.tif",
               GeoTiff(TieAndScale(500000, 5800000, 100, [](GTIF* g) {
                 Short(g, GTModelTypeGeoKey, ModelTypeProjected);
                 Short(g, GeographicTypeGeoKey, GCS_WGS_84);
                 Short(g, ProjectedCSTypeGeoKey, KvUserDefined);
                 Short(g, ProjectionGeoKey, Proj_UTM_zone_32N);
               })));
}

void UserDefinedSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, int transformation, const Params& params,
                         double x, double y, Keys geographic = {}, int units = Linear_Meter,
                         Keys more = {}, double step = 1000) {
    corpus.Write(
        name, GeoTiff(TieAndScale(x, y, step,
                                  UserProjected(transformation, params, geographic, units, more))));
  };
  write("lcc-1sp.tif", CT_LambertConfConic_1SP,
        {{ProjNatOriginLatGeoKey, 46.8},
         {ProjNatOriginLongGeoKey, 2.337229},
         {ProjScaleAtNatOriginGeoKey, 0.99987742},
         {ProjFalseEastingGeoKey, 600000},
         {ProjFalseNorthingGeoKey, 2200000}},
        592000, 2208000);
  write("lcc-2sp.tif", CT_LambertConfConic_2SP,
        {{ProjStdParallel1GeoKey, 49},
         {ProjStdParallel2GeoKey, 44},
         {ProjFalseOriginLatGeoKey, 46.5},
         {ProjFalseOriginLongGeoKey, 3},
         {ProjFalseOriginEastingGeoKey, 700000},
         {ProjFalseOriginNorthingGeoKey, 6600000}},
        692000, 6608000);
  write("tmerc-utm32.tif", CT_TransverseMercator, Utm32(), 492000, 5808000);
  write("tmerc-south-oriented.tif", CT_TransvMercator_SouthOriented, Utm32(), 492000, -3400000);
  write("mercator.tif", CT_Mercator,
        {{ProjNatOriginLongGeoKey, 0},
         {ProjNatOriginLatGeoKey, 0},
         {ProjScaleAtNatOriginGeoKey, 1},
         {ProjFalseEastingGeoKey, 0},
         {ProjFalseNorthingGeoKey, 0}},
        1000000, 6000000);
  write("mercator-2sp.tif", CT_Mercator,
        {{ProjNatOriginLongGeoKey, 10},
         {ProjStdParallel1GeoKey, 40},
         {ProjFalseEastingGeoKey, 0},
         {ProjFalseNorthingGeoKey, 0}},
        0, 5000000);
  write("laea.tif", CT_LambertAzimEqualArea,
        {{ProjCenterLatGeoKey, 52},
         {ProjCenterLongGeoKey, 10},
         {ProjFalseEastingGeoKey, 4321000},
         {ProjFalseNorthingGeoKey, 3210000}},
        4313000, 3218000);
  write("polar-stereographic.tif", CT_PolarStereographic,
        {{ProjStraightVertPoleLongGeoKey, -45},
         {ProjNatOriginLatGeoKey, 90},
         {ProjScaleAtNatOriginGeoKey, 0.994},
         {ProjFalseEastingGeoKey, 2000000},
         {ProjFalseNorthingGeoKey, 2000000}},
        1992000, 1500000);
  write("polar-stereographic-south.tif", CT_PolarStereographic,
        {{ProjStraightVertPoleLongGeoKey, 0},
         {ProjNatOriginLatGeoKey, -71},
         {ProjFalseEastingGeoKey, 0},
         {ProjFalseNorthingGeoKey, 0}},
        0, 2000000);
  write("albers.tif", CT_AlbersEqualArea,
        {{ProjStdParallel1GeoKey, 29.5},
         {ProjStdParallel2GeoKey, 45.5},
         {ProjNatOriginLatGeoKey, 23},
         {ProjNatOriginLongGeoKey, -96},
         {ProjFalseEastingGeoKey, 0},
         {ProjFalseNorthingGeoKey, 0}},
        0, 1000000);
  write("oblique-stereographic.tif", CT_ObliqueStereographic,
        {{ProjNatOriginLatGeoKey, 52.156160556},
         {ProjNatOriginLongGeoKey, 5.387638889},
         {ProjScaleAtNatOriginGeoKey, 0.9999079},
         {ProjFalseEastingGeoKey, 155000},
         {ProjFalseNorthingGeoKey, 463000}},
        147000, 471000, [](GTIF* g) { Short(g, GeographicTypeGeoKey, GCS_Amersfoort); });
  write("equirectangular.tif", CT_Equirectangular,
        With(Centred(0, 0), {{ProjStdParallel1GeoKey, 45}}), 1000000, 5000000);
  write("stereographic.tif", CT_Stereographic, Centred(45, 10), -8000, 8000);
  write("cassini.tif", CT_CassiniSoldner, Centred(10.44, -61.33), -8000, 8000);
  write("azimuthal-equidistant.tif", CT_AzimuthalEquidistant, Centred(60, 20), -8000, 8000);
  write("equidistant-conic.tif", CT_EquidistantConic,
        With(Centred(40, 20), {{ProjStdParallel1GeoKey, 35}, {ProjStdParallel2GeoKey, 45}}), 0, 0);
  write("oblique-mercator.tif", CT_ObliqueMercator,
        With(Centred(46.95, 7.44), {{ProjAzimuthAngleGeoKey, 90},
                                    {ProjRectifiedGridAngleGeoKey, 90},
                                    {ProjScaleAtCenterGeoKey, 1}}),
        -8000, 8000);
  write("hotine-azimuth-centre.tif", CT_HotineObliqueMercatorAzimuthCenter,
        With(Centred(4, 115), {{ProjAzimuthAngleGeoKey, 53.3}, {ProjScaleAtCenterGeoKey, 0.99984}}),
        -8000, 8000);
  write("polyconic.tif", CT_Polyconic, Centred(0, -54), 0, 0);
  write("sinusoidal.tif", CT_Sinusoidal, Centred(0, 0), 1000000, 5000000);
  write("orthographic.tif", CT_Orthographic, Centred(45, 10), -8000, 8000);
  write("gnomonic.tif", CT_Gnomonic, Centred(45, 10), -8000, 8000);
  write("miller.tif", CT_MillerCylindrical, Centred(0, 0), 1000000, 5000000);
  write("robinson.tif", CT_Robinson, Centred(0, 0), 1000000, 5000000);
  write("van-der-grinten.tif", CT_VanDerGrinten, Centred(0, 0), 1000000, 5000000);
  write("new-zealand-map-grid.tif", CT_NewZealandMapGrid,
        {{ProjNatOriginLatGeoKey, -41},
         {ProjNatOriginLongGeoKey, 173},
         {ProjFalseEastingGeoKey, 2510000},
         {ProjFalseNorthingGeoKey, 6023150}},
        2502000, 6031150);
  write("cylindrical-equal-area.tif", CT_CylindricalEqualArea,
        With(Centred(0, 0), {{ProjStdParallel1GeoKey, 30}}), 1000000, 5000000);

  // Units, datums, ellipsoids and prime meridians.
  write("tmerc-feet.tif", CT_TransverseMercator, Utm32(1640416.67), 1614000, 19000000, {},
        Linear_Foot);
  write("tmerc-us-survey-feet.tif", CT_TransverseMercator, Utm32(1640416.67), 1614000, 19000000, {},
        Linear_Foot_US_Survey);
  write(
      "tmerc-unit-size-km.tif", CT_TransverseMercator, Utm32(500), 492, 5808, {}, KvUserDefined,
      [](GTIF* g) { Double(g, ProjLinearUnitSizeGeoKey, 1000.0); }, 1);
  write("tmerc-unit-size-feet.tif", CT_TransverseMercator, Utm32(1640416.67), 1614000, 19000000, {},
        KvUserDefined, [](GTIF* g) { Double(g, ProjLinearUnitSizeGeoKey, 0.3048006096); });
  write("tmerc-own-ellipsoid.tif", CT_TransverseMercator, Utm32(), 492000, 5808000,
        UserGeographic(6378388.0, 297.0));
  write("tmerc-towgs84-3.tif", CT_TransverseMercator, Utm32(), 492000, 5808000,
        UserGeographic(6378388.0, 297.0, ToWgs84({-87, -98, -121})));
  write(
      "tmerc-towgs84-7.tif", CT_TransverseMercator, Utm32(), 492000, 5808000,
      UserGeographic(6377397.155, 299.1528128,
                     ToWgs84({565.2369, 50.0087, 465.658, -0.406857, 0.350733, -1.87035, 4.0812})));
  write("lcc-datum-epsg-ellipsoid.tif", CT_LambertConfConic_1SP,
        {{ProjNatOriginLatGeoKey, 46.8},
         {ProjNatOriginLongGeoKey, 0},
         {ProjScaleAtNatOriginGeoKey, 0.99987742},
         {ProjFalseEastingGeoKey, 600000},
         {ProjFalseNorthingGeoKey, 2200000}},
        592000, 2208000, [](GTIF* g) {
          Short(g, GeographicTypeGeoKey, KvUserDefined);
          Short(g, GeogGeodeticDatumGeoKey, Datum_European_Datum_1950);
          Short(g, GeogEllipsoidGeoKey, Ellipse_International_1924);
          Short(g, GeogPrimeMeridianGeoKey, PM_Paris);
        });

  const auto geographic = [&](const std::string& name, double x, double y, double step, Keys keys) {
    corpus.Write(name, GeoTiff(TieAndScale(x, y, step, [=](GTIF* g) {
                   Short(g, GTModelTypeGeoKey, ModelTypeGeographic);
                   Short(g, GTRasterTypeGeoKey, RasterPixelIsArea);
                   keys(g);
                 })));
  };
  geographic("geographic-own-ellipsoid.tif", 5, 52, 0.01, UserGeographic(6378388.0, 297.0));
  geographic("geographic-semi-minor.tif", 5, 52, 0.01, UserGeographic(6378137.0, 0, [](GTIF* g) {
               Double(g, GeogSemiMinorAxisGeoKey, 6356752.314);
             }));
  geographic("geographic-sphere.tif", 5, 52, 0.01, [](GTIF* g) {
    Short(g, GeographicTypeGeoKey, KvUserDefined);
    Short(g, GeogGeodeticDatumGeoKey, KvUserDefined);
    Short(g, GeogEllipsoidGeoKey, KvUserDefined);
    Double(g, GeogSemiMajorAxisGeoKey, 6371000.0);
    Double(g, GeogSemiMinorAxisGeoKey, 6371000.0);
  });
  geographic("geographic-grads-paris.tif", 0.3, 57.8, 0.01,
             UserGeographic(6378249.2, 293.4660213, [](GTIF* g) {
               Short(g, GeogAngularUnitsGeoKey, Angular_Grad);
               Short(g, GeogPrimeMeridianGeoKey, KvUserDefined);
               Double(g, GeogPrimeMeridianLongGeoKey, 2.5969213);
             }));
  geographic("geographic-angular-unit-size.tif", 0.087, 0.907, 0.0002,
             UserGeographic(6378137.0, 298.257223563, [](GTIF* g) {
               Short(g, GeogAngularUnitsGeoKey, KvUserDefined);
               Double(g, GeogAngularUnitSizeGeoKey, 1.0);  // radians
             }));
  geographic("geographic-epsg-datum.tif", 5, 52, 0.01, [](GTIF* g) {
    Short(g, GeographicTypeGeoKey, KvUserDefined);
    Short(g, GeogGeodeticDatumGeoKey, Datum_WGS84);
    Short(g, GeogAngularUnitsGeoKey, Angular_Degree);
  });
  geographic("geographic-towgs84.tif", 5, 52, 0.01,
             UserGeographic(6378388.0, 297.0, ToWgs84({-87, -98, -121, 0, 0, 0, 0})));

  // Systems as libgeotiff writes them from PROJ strings.
  for (const auto& [name, proj4] : std::vector<std::pair<std::string, std::string>>{
           {"proj4-lcc-us-feet.tif",
            "+proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 +x_0=0 +y_0=0 +datum=NAD83 "
            "+units=us-ft"},
           {"proj4-tmerc-towgs84.tif",
            "+proj=tmerc +lat_0=0 +lon_0=21 +k=1 +x_0=500000 +y_0=0 +ellps=krass "
            "+towgs84=28,-121,-77,0,0,0,0 +units=m"},
           {"proj4-longlat-pm.tif", "+proj=longlat +ellps=clrk80ign +pm=paris"}}) {
    const std::string text = proj4;
    corpus.Write(name, GeoTiff(TieAndScale(text.find("longlat") != std::string::npos ? 1 : -8000,
                                           text.find("longlat") != std::string::npos ? 48 : 8000,
                                           text.find("longlat") != std::string::npos ? 0.01 : 1000,
                                           [text](GTIF* g) {
                                             if (!GTIFSetFromProj4(g, text.c_str())) {
                                               throw std::runtime_error("GTIFSetFromProj4 " + text);
                                             }
                                             Short(g, GTRasterTypeGeoKey, RasterPixelIsArea);
                                           })));
  }
}

void HostileSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, int transformation, const Params& params,
                         Keys geographic = {}, int units = Linear_Meter, Keys more = {}) {
    corpus.Write(
        "hostile-" + name,
        GeoTiff(TieAndScale(492000, 5808000, 1000,
                            UserProjected(transformation, params, geographic, units, more))));
  };
  const auto unitSize = [](double size) {
    return [size](GTIF* g) { Double(g, ProjLinearUnitSizeGeoKey, size); };
  };
  write("unit-size-1e300.tif", CT_TransverseMercator, Utm32(), {}, KvUserDefined, unitSize(1e300));
  write("unit-size-1e-300.tif", CT_TransverseMercator, Utm32(), {}, KvUserDefined,
        unitSize(1e-300));
  write("unit-size-negative.tif", CT_TransverseMercator, Utm32(), {}, KvUserDefined,
        unitSize(-0.3048));
  write("unit-size-nan.tif", CT_TransverseMercator, Utm32(), {}, KvUserDefined, unitSize(kNaN));
  write("unit-size-missing.tif", CT_TransverseMercator, Utm32(), {}, KvUserDefined);
  write("false-easting-1e308.tif", CT_TransverseMercator, Utm32(1e308));
  write("false-easting-northing-1e308.tif", CT_TransverseMercator, Utm32(1e308, -1e308));
  write("false-origin-1e308.tif", CT_LambertConfConic_2SP,
        {{ProjStdParallel1GeoKey, 49},
         {ProjStdParallel2GeoKey, 44},
         {ProjFalseOriginLatGeoKey, 46.5},
         {ProjFalseOriginLongGeoKey, 3},
         {ProjFalseOriginEastingGeoKey, 1e308},
         {ProjFalseOriginNorthingGeoKey, 1e308}});
  write("latitudes-1e9.tif", CT_LambertConfConic_2SP,
        {{ProjStdParallel1GeoKey, 1e9},
         {ProjStdParallel2GeoKey, -1e9},
         {ProjFalseOriginLatGeoKey, 1e9},
         {ProjFalseOriginLongGeoKey, 1e9},
         {ProjFalseOriginEastingGeoKey, 0},
         {ProjFalseOriginNorthingGeoKey, 0}});
  write("origin-1e300-degrees.tif", CT_TransverseMercator,
        {{ProjNatOriginLatGeoKey, 1e300},
         {ProjNatOriginLongGeoKey, -1e300},
         {ProjScaleAtNatOriginGeoKey, 1e300},
         {ProjFalseEastingGeoKey, 0},
         {ProjFalseNorthingGeoKey, 0}});
  write("nan-parameters.tif", CT_TransverseMercator,
        {{ProjNatOriginLatGeoKey, kNaN},
         {ProjNatOriginLongGeoKey, kNaN},
         {ProjScaleAtNatOriginGeoKey, kNaN},
         {ProjFalseEastingGeoKey, kNaN},
         {ProjFalseNorthingGeoKey, kNaN}});
  write("infinite-parameters.tif", CT_LambertConfConic_1SP,
        {{ProjNatOriginLatGeoKey, kInf},
         {ProjNatOriginLongGeoKey, -kInf},
         {ProjScaleAtNatOriginGeoKey, kInf},
         {ProjFalseEastingGeoKey, kInf},
         {ProjFalseNorthingGeoKey, -kInf}});
  write("scale-zero.tif", CT_TransverseMercator,
        {{ProjNatOriginLatGeoKey, 0},
         {ProjNatOriginLongGeoKey, 9},
         {ProjScaleAtNatOriginGeoKey, 0},
         {ProjFalseEastingGeoKey, 500000}});
  write("equal-standard-parallels.tif", CT_LambertConfConic_2SP,
        {{ProjStdParallel1GeoKey, 0},
         {ProjStdParallel2GeoKey, 0},
         {ProjFalseOriginLatGeoKey, 0},
         {ProjFalseOriginLongGeoKey, 0}});
  write("negative-semi-major.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(-6378137.0, 298.257223563));
  write("semi-major-1e300.tif", CT_TransverseMercator, Utm32(), UserGeographic(1e300, 1e300));
  write("semi-major-zero.tif", CT_TransverseMercator, Utm32(), UserGeographic(0, 0));
  write("semi-minor-above-major.tif", CT_TransverseMercator, Utm32(), [](GTIF* g) {
    Short(g, GeographicTypeGeoKey, KvUserDefined);
    Short(g, GeogGeodeticDatumGeoKey, KvUserDefined);
    Short(g, GeogEllipsoidGeoKey, KvUserDefined);
    Double(g, GeogSemiMajorAxisGeoKey, 6356752.0);
    Double(g, GeogSemiMinorAxisGeoKey, 6378137.0);
  });
  write("prime-meridian-1e300.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(6378137.0, 298.257223563, [](GTIF* g) {
          Short(g, GeogPrimeMeridianGeoKey, KvUserDefined);
          Double(g, GeogPrimeMeridianLongGeoKey, 1e300);
        }));
  write("angular-unit-size-zero.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(6378137.0, 298.257223563, [](GTIF* g) {
          Short(g, GeogAngularUnitsGeoKey, KvUserDefined);
          Double(g, GeogAngularUnitSizeGeoKey, 0.0);
        }));
  write("towgs84-1e300.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(6378388.0, 297.0,
                       ToWgs84({1e300, -1e300, 1e300, 1e300, 1e300, 1e300, 1e300})));
  write("towgs84-nan.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(6378388.0, 297.0, ToWgs84({kNaN, kNaN, kNaN})));
  write("towgs84-two-values.tif", CT_TransverseMercator, Utm32(),
        UserGeographic(6378388.0, 297.0, ToWgs84({1, 2})));
  write("transformation-unknown.tif", 4711, Utm32());
  write("units-unknown.tif", CT_TransverseMercator, Utm32(), {}, 4711);

  // Keys missing.
  const auto keys = [&](const std::string& name, Keys k) {
    corpus.Write("missing-" + name, GeoTiff(TieAndScale(492000, 5808000, 1000, std::move(k))));
  };
  keys("coordinate-transformation.tif", [](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeProjected);
    Short(g, GeographicTypeGeoKey, GCS_WGS_84);
    Short(g, ProjectedCSTypeGeoKey, KvUserDefined);
    Short(g, ProjectionGeoKey, KvUserDefined);
  });
  keys("projection-parameters.tif", [](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeProjected);
    Short(g, ProjectedCSTypeGeoKey, KvUserDefined);
    Short(g, ProjectionGeoKey, KvUserDefined);
    Short(g, ProjCoordTransGeoKey, CT_LambertConfConic_2SP);
  });
  keys("model-type.tif", [](GTIF* g) { Short(g, ProjectedCSTypeGeoKey, 32632); });
  keys("geographic-type.tif", [](GTIF* g) { Short(g, GTModelTypeGeoKey, ModelTypeGeographic); });
  keys("everything-but-raster-type.tif",
       [](GTIF* g) { Short(g, GTModelTypeGeoKey, ModelTypeProjected); });
  keys("projected-type-unknown-projection.tif", [](GTIF* g) {
    Short(g, GTModelTypeGeoKey, ModelTypeProjected);
    Short(g, ProjectedCSTypeGeoKey, KvUserDefined);
    Short(g, ProjectionGeoKey, 12345);
  });
  corpus.Write("model-geocentric.tif", GeoTiff(TieAndScale(4e6, 3e5, 100, [](GTIF* g) {
                 Short(g, GTModelTypeGeoKey, ModelTypeGeocentric);
                 Short(g, GeographicTypeGeoKey, GCS_WGS_84);
               })));
  corpus.Write("model-user-defined.tif", GeoTiff(TieAndScale(5, 52, 0.01, [](GTIF* g) {
                 Short(g, GTModelTypeGeoKey, KvUserDefined);
                 Short(g, GeographicTypeGeoKey, GCS_WGS_84);
               })));
}

void KeyDirectorySeeds(Corpus& corpus) {
  const auto raw = [&](const std::string& name, std::vector<std::uint16_t> directory,
                       std::vector<double> doubles = {}, std::string ascii = {}) {
    Georef geo = TieAndScale(5.0, 52.0, 0.01, {});
    geo.RawKeys = std::move(directory);
    geo.RawDoubles = std::move(doubles);
    geo.RawAscii = std::move(ascii);
    corpus.Write("keydir-" + name, GeoTiff(geo));
  };
  // A key is {key, tag location (0: the value itself), count, value or index}.
  raw("truncated.tif", Directory(5, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic}));
  raw("header-only.tif", {1, 1, 0, 3});
  raw("short-header.tif", {1, 1});
  raw("version-2.tif", {2, 1, 0, 1, GTModelTypeGeoKey, 0, 1, ModelTypeGeographic});
  raw("revision-9.tif", {1, 9, 9, 1, GTModelTypeGeoKey, 0, 1, ModelTypeGeographic});
  raw("no-keys.tif", Directory(0, {}));
  raw("geographic-4326.tif", Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic,
                                           GeographicTypeGeoKey, 0, 1, GCS_WGS_84}));
  raw("double-past-params.tif",
      Directory(3, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GeographicTypeGeoKey, 0, 1,
                    KvUserDefined, GeogSemiMajorAxisGeoKey, TIFFTAG_GEODOUBLEPARAMS, 1, 40}),
      {6378137.0, 298.25});
  raw("double-count-past-params.tif",
      Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GeogTOWGS84GeoKey,
                    TIFFTAG_GEODOUBLEPARAMS, 7, 1}),
      {1.0, 2.0, 3.0});
  raw("double-without-params.tif",
      Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GeogSemiMajorAxisGeoKey,
                    TIFFTAG_GEODOUBLEPARAMS, 1, 0}));
  raw("ascii-past-params.tif",
      Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GTCitationGeoKey,
                    TIFFTAG_GEOASCIIPARAMS, 200, 3}),
      {}, "short|");
  raw("ascii-without-params.tif", Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic,
                                                GTCitationGeoKey, TIFFTAG_GEOASCIIPARAMS, 5, 0}));
  raw("short-in-directory-past-end.tif",
      Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GeographicTypeGeoKey,
                    TIFFTAG_GEOKEYDIRECTORY, 4, 60000}));
  raw("unknown-tag-location.tif", Directory(2, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic,
                                                GeographicTypeGeoKey, 1234, 1, 0}));
  raw("inline-count-2.tif", Directory(1, {GTModelTypeGeoKey, 0, 2, ModelTypeGeographic}));
  raw("duplicate-and-unsorted.tif",
      Directory(
          4, {GeographicTypeGeoKey, 0, 1, GCS_WGS_84, GTModelTypeGeoKey, 0, 1, ModelTypeProjected,
              GTModelTypeGeoKey, 0, 1, ModelTypeGeographic, GeographicTypeGeoKey, 0, 1, 4269}));
  raw("unknown-keys.tif", Directory(3, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic,
                                        GeographicTypeGeoKey, 0, 1, GCS_WGS_84, 65000, 0, 1, 7}));
  raw("declared-keys-65535.tif", Directory(65535, {GTModelTypeGeoKey, 0, 1, ModelTypeGeographic,
                                                   GeographicTypeGeoKey, 0, 1, GCS_WGS_84}));
}

// The raster layouts charts come in, each with a georeference that works.
void RasterSeeds(Corpus& corpus) {
  const Georef wgs84 = TieAndScale(5.0, 52.0, 0.001, EpsgGeographic(GCS_WGS_84));
  const Georef lcc = TieAndScale(
      692000, 6608000, 100,
      UserProjected(CT_LambertConfConic_2SP, {{ProjStdParallel1GeoKey, 49},
                                              {ProjStdParallel2GeoKey, 44},
                                              {ProjFalseOriginLatGeoKey, 46.5},
                                              {ProjFalseOriginLongGeoKey, 3},
                                              {ProjFalseOriginEastingGeoKey, 700000},
                                              {ProjFalseOriginNorthingGeoKey, 6600000}}));
  const auto write = [&](const std::string& name, const Georef& geo,
                         const std::function<void(TiffImage&)>& change, const char* mode = "w") {
    TiffImage image;  // 16 × 16 RGB, strips of 8 rows
    change(image);
    corpus.Write("raster-" + name, GeoTiff(geo, image, mode));
  };
  write("palette8.tif", wgs84, [](TiffImage& i) {
    i.Samples = 1;
    i.Photometric = PHOTOMETRIC_PALETTE;
  });
  write("grey16.tif", wgs84, [](TiffImage& i) {
    i.Samples = 1;
    i.Bits = 16;
    i.Photometric = PHOTOMETRIC_MINISBLACK;
  });
  write("float32-elevation.tif", lcc, [](TiffImage& i) {
    i.Samples = 1;
    i.Bits = 32;
    i.Format = SAMPLEFORMAT_IEEEFP;
    i.Photometric = PHOTOMETRIC_MINISBLACK;
  });
  write("tiled.tif", wgs84, [](TiffImage& i) {
    i.Width = 20;
    i.Height = 18;
    i.TileSide = 16;
  });
  write("striped.tif", lcc, [](TiffImage& i) { i.RowsPerStrip = 3; });
  write(
      "bigtiff.tif", lcc, [](TiffImage&) {}, "w8");
  write(
      "bigtiff-bigendian.tif", wgs84, [](TiffImage& i) { i.Compression = COMPRESSION_LZW; }, "w8b");
  write(
      "bigendian-lcc.tif", lcc, [](TiffImage&) {}, "wb");
  write("lzw.tif", wgs84, [](TiffImage& i) {
    i.Compression = COMPRESSION_LZW;
    i.Predictor = PREDICTOR_HORIZONTAL;
  });
  write("deflate-tiled.tif", lcc, [](TiffImage& i) {
    i.Compression = COMPRESSION_ADOBE_DEFLATE;
    i.TileSide = 16;
  });
  write("packbits.tif", wgs84, [](TiffImage& i) { i.Compression = COMPRESSION_PACKBITS; });
  if (CanWrite(COMPRESSION_JPEG)) {
    write("jpeg-ycbcr.tif", lcc, [](TiffImage& i) {
      i.Compression = COMPRESSION_JPEG;
      i.Photometric = PHOTOMETRIC_YCBCR;
      i.RowsPerStrip = 16;
    });
  }
  write("rgba.tif", wgs84, [](TiffImage& i) {
    i.Samples = 4;
    i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
  });
  XTIFFInitialize();
  TiffImage first;
  first.Tags = [lcc](TIFF* t) { SetGeoTags(t, lcc); };
  TiffImage overview;
  overview.Width = overview.Height = 8;
  overview.Tags = [](TIFF* t) { TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE); };
  corpus.Write("raster-with-overview.tif", TiffBytes({first, overview}));
}

}  // namespace

void MakeGeoTiffSeeds(Corpus& corpus) {
  EncodingSeeds(corpus);
  EpsgSeeds(corpus);
  UserDefinedSeeds(corpus);
  HostileSeeds(corpus);
  KeyDirectorySeeds(corpus);
  RasterSeeds(corpus);
}

}  // namespace cz::seeds
