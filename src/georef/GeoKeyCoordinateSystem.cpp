#include "georef/GeoKeyCoordinateSystem.h"

#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <proj_experimental.h>

#include <charconv>
#include <cmath>
#include <string>

#include "georef/GeoTiffReference.h"
#include "platform/Error.h"

namespace cz {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kRadiansPerArcSecond = kRadiansPerDegree / 3600.0;
// The earth's semi-major axis lies near 6378 km in every ellipsoid ever used for charts; a
// value far from it is not an ellipsoid of this planet.
constexpr double kMinSemiMajorMetres = 6.0e6;
constexpr double kMaxSemiMajorMetres = 7.0e6;
// Real flattenings are about 1/300; a tenth is already no longer an earth.
constexpr double kMaxFlattening = 0.1;
// False eastings and northings beyond a hundred thousand kilometres place nothing on earth.
constexpr double kMaxFalseOffsetMetres = 1.0e8;
// Datum shifts: translations of kilometres, rotations and scale of a few hundred units at most.
constexpr double kMaxShiftMetres = 1.0e4;
constexpr double kMaxShiftRotationOrScale = 1.0e3;

bool Coded(int code) {
  return code > 0 && code != KvUserDefined;
}

// A number for a message: enough digits to recognise it, never more than a few characters.
std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, result.ptr);
}

class KeyChecker {
 public:
  KeyChecker(const GTIFDefn& keys, const std::string& path) : keys_(keys), path_(path) {}

  [[noreturn]] void Refuse(const std::string& reason) const {
    throw CartozenError(GeoReferenceProblem(path_, reason));
  }

  double Latitude(int index, const char* what) const {
    const double v = keys_.ProjParm[index];
    if (!std::isfinite(v) || std::abs(v) > 90.0) Refuse(OutOfRange(what, v, "°"));
    return v;
  }
  double Longitude(int index, const char* what) const {
    const double v = keys_.ProjParm[index];
    if (!std::isfinite(v) || std::abs(v) > 360.0) Refuse(OutOfRange(what, v, "°"));
    return v;
  }
  double Azimuth(int index, const char* what) const { return Longitude(index, what); }
  // A scale factor the file does not give is 1.
  double Scale(int index) const {
    const double v = keys_.ProjParm[index];
    if (keys_.ProjParmId[index] == 0 && v == 0.0) return 1.0;
    if (!std::isfinite(v) || v <= 0.0 || v > 10.0) Refuse(OutOfRange("scale factor", v, ""));
    return v;
  }
  double FalseEasting() const { return Offset(5, "false easting"); }
  double FalseNorthing() const { return Offset(6, "false northing"); }
  // Parameters PROJ's constructors cannot take must be zero.
  void RequireZero(int index, const char* what) const {
    const double v = keys_.ProjParm[index];
    if (v != 0.0) Refuse("a " + std::string(what) + " of " + Number(v) + "° is not supported here");
  }

  const GTIFDefn& Keys() const { return keys_; }

 private:
  double Offset(int index, const char* what) const {
    const double v = keys_.ProjParm[index];
    if (!std::isfinite(v) || std::abs(v) > kMaxFalseOffsetMetres) Refuse(OutOfRange(what, v, " m"));
    return v;
  }
  static std::string OutOfRange(const char* what, double value, const char* unit) {
    return std::string("the projection's ") + what + " (" + Number(value) + unit +
           ") is out of range";
  }

  const GTIFDefn& keys_;
  const std::string& path_;
};

ProjObject Checked(PJ* object, const KeyChecker& check, const std::string& what) {
  if (!object) check.Refuse(what);
  return ProjObject(object);
}

// A unit code must name a unit of its kind in the register; GTIFGetDefn would take an unknown
// one for a metre or a degree.
void CheckUnitCode(PJ_CONTEXT* context, int code, const char* category, const KeyChecker& check) {
  if (!Coded(code)) return;
  const std::string text = std::to_string(code);
  const char* found = nullptr;
  if (!proj_uom_get_info_from_database(context, "EPSG", text.c_str(), nullptr, nullptr, &found) ||
      !found || std::string(found) != category) {
    check.Refuse(std::string("unknown ") + category + " unit (EPSG:" + text + ")");
  }
}

ProjObject FromRegister(PJ_CONTEXT* context, int code, PJ_CATEGORY category,
                        const KeyChecker& check, const char* what) {
  const std::string text = std::to_string(code);
  return Checked(proj_create_from_database(context, "EPSG", text.c_str(), category, 0, nullptr),
                 check, std::string("unknown ") + what + " (EPSG:" + text + ")");
}

// The geographic system of the keys: coded, on a coded datum, or of the file's own ellipsoid.
ProjObject BaseGeographicSystem(PJ_CONTEXT* context, const KeyChecker& check) {
  const GTIFDefn& keys = check.Keys();
  if (Coded(keys.GCS)) {
    return FromRegister(context, keys.GCS, PJ_CATEGORY_CRS, check, "geographic coordinate system");
  }
  CheckUnitCode(context, keys.UOMAngle, "angular", check);
  const double degreesPerUnit = keys.UOMAngleInDegrees;
  if (!std::isfinite(degreesPerUnit) || degreesPerUnit <= 0.0 || degreesPerUnit > 1000.0) {
    check.Refuse("the angular unit (" + Number(degreesPerUnit) + "°) is out of range");
  }
  const bool degrees = degreesPerUnit == 1.0;
  const ProjObject axes =
      Checked(proj_create_ellipsoidal_2D_cs(context, PJ_ELLPS2D_LONGITUDE_LATITUDE,
                                            degrees ? "degree" : "unnamed",
                                            degreesPerUnit * kRadiansPerDegree),
              check, "the angular unit is unusable");
  if (Coded(keys.Datum)) {
    const ProjObject datum = FromRegister(context, keys.Datum, PJ_CATEGORY_DATUM, check, "datum");
    return Checked(
        proj_create_geographic_crs_from_datum(context, "unnamed", datum.get(), axes.get()), check,
        "the datum is unusable");
  }
  const double a = keys.SemiMajor, b = keys.SemiMinor;
  if (!std::isfinite(a) || a < kMinSemiMajorMetres || a > kMaxSemiMajorMetres) {
    check.Refuse("the ellipsoid's semi-major axis (" + Number(a) + " m) is out of range");
  }
  if (!std::isfinite(b) || b > a || (a - b) / a > kMaxFlattening) {
    check.Refuse("the ellipsoid's semi-minor axis (" + Number(b) + " m) is out of range");
  }
  const double inverseFlattening = a == b ? 0.0 : a / (a - b);  // PROJ: 0 for a sphere
  const double primeMeridian = keys.PMLongToGreenwich;
  if (!std::isfinite(primeMeridian) || std::abs(primeMeridian) > 180.0) {
    check.Refuse("the prime meridian (" + Number(primeMeridian) + "°) is out of range");
  }
  return Checked(
      proj_create_geographic_crs(context, "unnamed", "unnamed", "unnamed", a, inverseFlattening,
                                 "unnamed", primeMeridian, "degree", kRadiansPerDegree, axes.get()),
      check, "the ellipsoid is unusable");
}

// PROJ's constructors of projection methods, grouped by the parameters they take (after the
// context; all end with the false easting and northing and the units they are given in).
using PlaneMethod = PJ* (*)(PJ_CONTEXT*, double lat, double lon, double fe, double fn, const char*,
                            double, const char*, double);
using ScaledMethod = PJ* (*)(PJ_CONTEXT*, double lat, double lon, double k, double fe, double fn,
                             const char*, double, const char*, double);
using MeridianMethod = PJ* (*)(PJ_CONTEXT*, double lon, double fe, double fn, const char*, double,
                               const char*, double);
using ConicMethod = PJ* (*)(PJ_CONTEXT*, double lat0, double lon0, double lat1, double lat2,
                            double fe, double fn, const char*, double, const char*, double);
using ObliqueMethod = PJ* (*)(PJ_CONTEXT*, double lat, double lon, double azimuth, double angle,
                              double k, double fe, double fn, const char*, double, const char*,
                              double);

// Where GTIFGetDefn puts each method's parameters (ProjParm indexes): the false easting and
// northing are always 5 and 6, a scale factor 4; the latitude is the origin's (0) unless said.
struct PlaneEntry {
  int code;
  PlaneMethod make;
  int latitude = 0;
  const char* latitudeName = "latitude of origin";
};
constexpr PlaneEntry kPlaneMethods[] = {
    {CT_LambertAzimEqualArea, proj_create_conversion_lambert_azimuthal_equal_area},
    {CT_AzimuthalEquidistant, proj_create_conversion_azimuthal_equidistant},
    {CT_CassiniSoldner, proj_create_conversion_cassini_soldner},
    {CT_Polyconic, proj_create_conversion_american_polyconic},
    {CT_Gnomonic, proj_create_conversion_gnomonic},
    {CT_Orthographic, proj_create_conversion_orthographic},
    {CT_NewZealandMapGrid, proj_create_conversion_new_zealand_mapping_grid},
    {CT_CylindricalEqualArea, proj_create_conversion_lambert_cylindrical_equal_area, 0,
     "standard parallel"},
    // Its origin latitude (0) must be the equator: PROJ's constructor has none.
    {CT_Equirectangular, proj_create_conversion_equidistant_cylindrical, 2, "standard parallel"},
};
struct ScaledEntry {
  int code;
  ScaledMethod make;
};
constexpr ScaledEntry kScaledMethods[] = {
    {CT_TransverseMercator, proj_create_conversion_transverse_mercator},
    {CT_TransvMercator_SouthOriented, proj_create_conversion_transverse_mercator_south_oriented},
    {CT_LambertConfConic_1SP, proj_create_conversion_lambert_conic_conformal_1sp},
    {CT_Stereographic, proj_create_conversion_stereographic},
    {CT_ObliqueStereographic, proj_create_conversion_oblique_stereographic},
};
struct MeridianEntry {
  int code;
  MeridianMethod make;
};
constexpr MeridianEntry kMeridianMethods[] = {
    {CT_Robinson, proj_create_conversion_robinson},
    {CT_Sinusoidal, proj_create_conversion_sinusoidal},
    {CT_VanDerGrinten, proj_create_conversion_van_der_grinten},
    // Its origin latitude (0) must be the equator: PROJ's constructor has none.
    {CT_MillerCylindrical, proj_create_conversion_miller_cylindrical},
};
struct ConicEntry {
  int code;
  ConicMethod make;
  int origin;     // index of the origin's latitude, its longitude follows
  int parallels;  // index of the first standard parallel, the second follows
};
constexpr ConicEntry kConicMethods[] = {
    {CT_LambertConfConic_2SP, proj_create_conversion_lambert_conic_conformal_2sp, 0, 2},
    {CT_AlbersEqualArea, proj_create_conversion_albers_equal_area, 2, 0},
    {CT_EquidistantConic, proj_create_conversion_equidistant_conic, 2, 0},
};
struct ObliqueEntry {
  int code;
  ObliqueMethod make;
};
constexpr ObliqueEntry kObliqueMethods[] = {
    {CT_ObliqueMercator, proj_create_conversion_hotine_oblique_mercator_variant_a},
    {CT_HotineObliqueMercatorAzimuthCenter,
     proj_create_conversion_hotine_oblique_mercator_variant_b},
};

template <typename Entry, std::size_t N>
const Entry* Find(const Entry (&table)[N], int code) {
  for (const Entry& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

// The projection of the keys, its parameters in degrees and metres as GTIFGetDefn gives them.
ProjObject Projection(PJ_CONTEXT* c, const KeyChecker& k) {
  const int code = k.Keys().CTProjection;
  const double fe = k.FalseEasting(), fn = k.FalseNorthing();
  constexpr const char* kDegree = "degree";
  constexpr const char* kMetre = "metre";
  constexpr double kDeg = kRadiansPerDegree;
  PJ* made = nullptr;
  if (const PlaneEntry* m = Find(kPlaneMethods, code)) {
    if (code == CT_Equirectangular) k.RequireZero(0, "latitude of origin off the equator");
    const double lat = k.Latitude(m->latitude, m->latitudeName);
    made = m->make(c, lat, k.Longitude(1, "central meridian"), fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else if (const ScaledEntry* m = Find(kScaledMethods, code)) {
    const double lat = k.Latitude(0, "latitude of origin");
    const double lon = k.Longitude(1, "central meridian");
    made = m->make(c, lat, lon, k.Scale(4), fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else if (const MeridianEntry* m = Find(kMeridianMethods, code)) {
    if (code == CT_MillerCylindrical) k.RequireZero(0, "latitude of origin off the equator");
    made = m->make(c, k.Longitude(1, "central meridian"), fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else if (const ConicEntry* m = Find(kConicMethods, code)) {
    const double lat0 = k.Latitude(m->origin, "latitude of origin");
    const double lon0 = k.Longitude(m->origin + 1, "central meridian");
    const double lat1 = k.Latitude(m->parallels, "first standard parallel");
    const double lat2 = k.Latitude(m->parallels + 1, "second standard parallel");
    made = m->make(c, lat0, lon0, lat1, lat2, fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else if (const ObliqueEntry* m = Find(kObliqueMethods, code)) {
    const double lat = k.Latitude(0, "latitude of centre");
    const double lon = k.Longitude(1, "longitude of centre");
    const double azimuth = k.Azimuth(2, "azimuth");
    const double angle = k.Azimuth(3, "rectified grid angle");
    made = m->make(c, lat, lon, azimuth, angle, k.Scale(4), fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else if (code == CT_Mercator) {
    // A standard parallel makes it the two-parallel form; otherwise the scale factor counts.
    const double lon = k.Longitude(1, "central meridian");
    if (k.Keys().ProjParmId[2] == ProjStdParallel1GeoKey) {
      made = proj_create_conversion_mercator_variant_b(c, k.Latitude(2, "standard parallel"), lon,
                                                       fe, fn, kDegree, kDeg, kMetre, 1.0);
    } else {
      const double lat = k.Latitude(0, "latitude of origin");
      made = proj_create_conversion_mercator_variant_a(c, lat, lon, k.Scale(4), fe, fn, kDegree,
                                                       kDeg, kMetre, 1.0);
    }
  } else if (code == CT_PolarStereographic) {
    // Centred on a pole it has a scale factor; otherwise the latitude is where scale is true.
    const double lat = k.Latitude(0, "latitude of true scale");
    const double lon = k.Longitude(1, "straight vertical pole longitude");
    made = std::abs(lat) == 90.0 ? proj_create_conversion_polar_stereographic_variant_a(
                                       c, lat, lon, k.Scale(4), fe, fn, kDegree, kDeg, kMetre, 1.0)
                                 : proj_create_conversion_polar_stereographic_variant_b(
                                       c, lat, lon, fe, fn, kDegree, kDeg, kMetre, 1.0);
  } else {
    k.Refuse("the projection method (GeoTIFF code " + std::to_string(code) + ") is not supported");
  }
  return Checked(made, k, "the projection's parameters are unusable");
}

ProjObject ProjectedSystem(PJ_CONTEXT* context, const ProjObject& base, const KeyChecker& check) {
  const GTIFDefn& keys = check.Keys();
  CheckUnitCode(context, keys.UOMLength, "linear", check);
  const double metresPerUnit = keys.UOMLengthInMeters;
  if (!std::isfinite(metresPerUnit) || metresPerUnit < 1e-6 || metresPerUnit > 1e6) {
    check.Refuse("the linear unit (" + Number(metresPerUnit) + " m) is out of range");
  }
  const ProjObject projection = Projection(context, check);
  const ProjObject axes = Checked(
      proj_create_cartesian_2D_cs(context, PJ_CART2D_EASTING_NORTHING,
                                  metresPerUnit == 1.0 ? "metre" : "unnamed", metresPerUnit),
      check, "the linear unit is unusable");
  return Checked(
      proj_create_projected_crs(context, "unnamed", base.get(), projection.get(), axes.get()),
      check, "the projection does not fit its geographic system");
}

// The file's own shift to WGS 84 (three translations, or seven parameters as position vector),
// bound to the system so that PROJ uses it.
ProjObject WithShiftToWgs84(PJ_CONTEXT* context, ProjObject crs, const ProjObject& base,
                            const KeyChecker& check) {
  const GTIFDefn& keys = check.Keys();
  if (keys.TOWGS84Count == 0) return crs;
  if (keys.TOWGS84Count != 3 && keys.TOWGS84Count != 7) {
    check.Refuse("the shift to WGS 84 has " + std::to_string(keys.TOWGS84Count) +
                 " values, not 3 or 7");
  }
  for (int i = 0; i < keys.TOWGS84Count; ++i) {
    const double v = keys.TOWGS84[i];
    const double limit = i < 3 ? kMaxShiftMetres : kMaxShiftRotationOrScale;
    if (!std::isfinite(v) || std::abs(v) > limit) {
      check.Refuse("the shift to WGS 84 (" + Number(v) + ") is out of range");
    }
  }
  constexpr const char* kNames[7] = {
      "X-axis translation", "Y-axis translation", "Z-axis translation", "X-axis rotation",
      "Y-axis rotation",    "Z-axis rotation",    "Scale difference"};
  constexpr const char* kCodes[7] = {"8605", "8606", "8607", "8608", "8609", "8610", "8611"};
  PJ_PARAM_DESCRIPTION parameters[7];
  for (int i = 0; i < keys.TOWGS84Count; ++i) {
    const bool translation = i < 3, scale = i == 6;
    parameters[i] = {kNames[i],
                     "EPSG",
                     kCodes[i],
                     keys.TOWGS84[i],
                     translation ? "metre"
                     : scale     ? "parts per million"
                                 : "arc-second",
                     translation ? 1.0
                     : scale     ? 1e-6
                                 : kRadiansPerArcSecond,
                     translation ? PJ_UT_LINEAR
                     : scale     ? PJ_UT_SCALE
                                 : PJ_UT_ANGULAR};
  }
  const bool threeParameters = keys.TOWGS84Count == 3;
  const ProjObject wgs84 = Checked(proj_create(context, "EPSG:4326"), check, "PROJ lacks WGS 84");
  const ProjObject shift =
      Checked(proj_create_transformation(
                  context, "shift to WGS 84", nullptr, nullptr, base.get(), wgs84.get(), nullptr,
                  threeParameters ? "Geocentric translations (geog2D domain)"
                                  : "Position Vector transformation (geog2D domain)",
                  "EPSG", threeParameters ? "9603" : "9606", keys.TOWGS84Count, parameters, -1.0),
              check, "the shift to WGS 84 is unusable");
  return Checked(proj_crs_create_bound_crs(context, crs.get(), wgs84.get(), shift.get()), check,
                 "the shift to WGS 84 is unusable");
}

std::string LabelOf(PJ_CONTEXT* context, const PJ* crs) {
  const char* text = proj_as_proj_string(context, crs, PJ_PROJ_5, nullptr);
  return text ? text : "the file's own coordinate system";
}

}  // namespace

GeoKeyCoordinateSystem CoordinateSystemOfGeoKeys(PJ_CONTEXT* context, const GTIFDefn& keys,
                                                 const std::string& path) {
  const KeyChecker check(keys, path);
  if (keys.Model != ModelTypeProjected && keys.Model != ModelTypeGeographic) {
    check.Refuse("the coordinate system is neither geographic nor projected");
  }
  const bool projected = keys.Model == ModelTypeProjected;
  const int code = projected ? keys.PCS : keys.GCS;
  if (Coded(code)) {
    std::string label = "EPSG:" + std::to_string(code);
    ProjObject crs = Checked(proj_create(context, label.c_str()), check,
                             "unknown coordinate system (" + label + ")");
    // The register also holds geocentric, vertical and compound systems under such codes.
    const PJ_TYPE type = proj_get_type(crs.get());
    const bool fits = projected
                          ? type == PJ_TYPE_PROJECTED_CRS
                          : type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
    if (!fits) {
      check.Refuse(label + " is not a " + (projected ? "projected" : "geographic") +
                   " coordinate system");
    }
    return {std::move(crs), std::move(label)};
  }
  const ProjObject base = BaseGeographicSystem(context, check);
  ProjObject crs = projected ? ProjectedSystem(context, base, check)
                             : Checked(proj_clone(context, base.get()), check, "out of memory");
  crs = WithShiftToWgs84(context, std::move(crs), base, check);
  std::string label = LabelOf(context, crs.get());
  return {std::move(crs), std::move(label)};
}

}  // namespace cz
