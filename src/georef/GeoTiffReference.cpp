#include "georef/GeoTiffReference.h"

#include <geotiff/geo_normalize.h>
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>
#include <proj.h>
#include <tiffio.h>

#include <cmath>
#include <vector>

#include "georef/ControlPointFit.h"
#include "georef/GeoKeyCoordinateSystem.h"
#include "imaging/ChartReaders.h"
#include "imaging/TiffFile.h"
#include "platform/Error.h"
#include "platform/Paths.h"

namespace cz {

struct ChartProjection::Proj {
  PJ_CONTEXT* context = nullptr;
  PJ* toChart = nullptr;  // WGS 84 longitude, latitude (degrees) → model easting, northing

  Proj() : context(proj_context_create()) {
    // Refusals are reported by the caller with the file's name; PROJ stays quiet.
    if (context) proj_log_level(context, PJ_LOG_NONE);
  }
  ~Proj() {
    if (toChart) proj_destroy(toChart);
    if (context) proj_context_destroy(context);
  }
  Proj(const Proj&) = delete;
  Proj& operator=(const Proj&) = delete;
};

namespace {

// libgeotiff's messages go nowhere (libtiff's are dropped by OpenTiffForReading): every
// problem surfaces as a refusal below.
void DropGeoTiffMessage(GTIF*, int, const char*, ...) {}

struct GtifFree {
  void operator()(GTIF* gtif) const { GTIFFree(gtif); }
};
struct DefnFree {
  void operator()(GTIFDefn* defn) const { GTIFFreeDefn(defn); }
};

// The values of a GeoTIFF array tag, or an empty list when it is absent or of another type.
// The count's width is the one the tag was registered with.
template <typename T>
std::vector<T> ArrayTag(TIFF* tiff, ttag_t tag, TIFFDataType type) {
  const TIFFField* field = TIFFFieldWithTag(tiff, tag);
  if (!field || TIFFFieldDataType(field) != type || !TIFFFieldPassCount(field)) return {};
  T* values = nullptr;
  std::uint32_t count = 0;
  if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
    if (!TIFFGetField(tiff, tag, &count, &values)) return {};
  } else {
    std::uint16_t shortCount = 0;
    if (!TIFFGetField(tiff, tag, &shortCount, &values)) return {};
    count = shortCount;
  }
  if (!values) return {};
  return std::vector<T>(values, values + count);
}

bool AllFinite(const std::vector<double>& values) {
  for (const double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Raster → model as a, b, c, d, e, f (X = a i + b j + c, Y = d i + e j + f), from the tags.
std::array<double, 6> RasterToModel(const std::vector<double>& tiePoints,
                                    const std::vector<double>& pixelScale,
                                    const std::vector<double>& matrix, const std::string& path) {
  if (!AllFinite(tiePoints) || !AllFinite(pixelScale) || !AllFinite(matrix)) {
    throw CartozenError(GeoReferenceProblem(path, "a georeference tag holds no number"));
  }
  if (!matrix.empty()) {
    if (!pixelScale.empty()) {
      throw CartozenError(
          GeoReferenceProblem(path, "both a pixel scale and a transformation matrix are given"));
    }
    if (matrix.size() != 16) {
      throw CartozenError(GeoReferenceProblem(path, "the transformation matrix is incomplete"));
    }
    return {matrix[0], matrix[1], matrix[3], matrix[4], matrix[5], matrix[7]};
  }
  if (tiePoints.size() < 6 || tiePoints.size() % 6 != 0 || pixelScale.size() < 2) {
    throw CartozenError(
        GeoReferenceProblem(path, "the tie point or the pixel scale is incomplete"));
  }
  const double sx = pixelScale[0];
  const double sy = pixelScale[1];
  // The first tie point anchors the scale, as the GeoTIFF format prescribes.
  const double i0 = tiePoints[0], j0 = tiePoints[1], x0 = tiePoints[3], y0 = tiePoints[4];
  return {sx, 0.0, x0 - i0 * sx, 0.0, -sy, y0 + j0 * sy};
}

// Tie points without a pixel scale or matrix are ground control points: raster i, j, k and
// model x, y, z each, turned into the grid's pixels (pixelOffset: raster coordinate of pixel 0).
std::vector<ControlPoint> ControlPointsOf(const std::vector<double>& tiePoints, double pixelOffset,
                                          const std::string& path) {
  if (!AllFinite(tiePoints)) {
    throw CartozenError(GeoReferenceProblem(path, "a georeference tag holds no number"));
  }
  if (tiePoints.size() % 6 != 0) {
    throw CartozenError(GeoReferenceProblem(path, "the control points are incomplete"));
  }
  std::vector<ControlPoint> points;
  for (std::size_t k = 0; k < tiePoints.size(); k += 6) {
    points.push_back({tiePoints[k] - pixelOffset, tiePoints[k + 1] - pixelOffset,
                      {tiePoints[k + 3], tiePoints[k + 4]}});
  }
  return points;
}

// The chart's coordinate system from a PROJ text: "EPSG:n" or a PROJ string.
ProjObject CoordinateSystemOfText(PJ_CONTEXT* context, const std::string& crsText,
                                  const std::string& path) {
  // A PROJ string names a coordinate system only with "+type=crs".
  const bool projString = crsText.rfind('+', 0) == 0;
  const std::string definition = projString && crsText.find("+type=crs") == std::string::npos
                                     ? crsText + " +type=crs"
                                     : crsText;
  ProjObject crs(proj_create(context, definition.c_str()));
  if (!crs || !proj_is_crs(crs.get())) {
    throw CartozenError(GeoReferenceProblem(path, "unknown coordinate system (" + crsText + ")"));
  }
  return crs;
}

// The coordinate system of the GeoKeys (GeoKeyCoordinateSystem.h).
GeoKeyCoordinateSystem CoordinateSystemOfFile(GTIF* gtif, PJ_CONTEXT* context,
                                              const std::string& path) {
  GTIFAttachPROJContext(gtif, context);
  const std::unique_ptr<GTIFDefn, DefnFree> defn(GTIFAllocDefn());
  if (!defn) throw CartozenError(GeoReferenceProblem(path, "out of memory"));
  const bool read = GTIFGetDefn(gtif, defn.get()) != 0;
  if (!defn->DefnSet) {
    throw CartozenError(GeoReferenceProblem(path, "the file names no coordinate system"));
  }
  if (defn->Model != ModelTypeProjected && defn->Model != ModelTypeGeographic) {
    throw CartozenError(GeoReferenceProblem(path,
                                            "the coordinate system is neither geographic "
                                            "nor projected"));
  }
  if (!read) throw CartozenError(GeoReferenceProblem(path, "unknown coordinate system"));
  return CoordinateSystemOfGeoKeys(context, *defn, path);
}

// WGS 84 longitude and latitude in degrees → the chart's easting and northing (or longitude
// and latitude), in that axis order whatever the coordinate systems declare.
PJ* ChartTransformation(PJ_CONTEXT* context, const PJ* chartCrs, const std::string& crsLabel,
                        const std::string& path) {
  const ProjObject wgs84(proj_create(context, "EPSG:4326"));
  const ProjObject operation(
      wgs84 ? proj_create_crs_to_crs_from_pj(context, wgs84.get(), chartCrs, nullptr, nullptr)
            : nullptr);
  PJ* normalized = operation ? proj_normalize_for_visualization(context, operation.get()) : nullptr;
  if (!normalized) {
    throw CartozenError(
        GeoReferenceProblem(path, "no transformation from latitude and longitude to " + crsLabel));
  }
  return normalized;
}

}  // namespace

std::string GeoReferenceProblem(const std::string& path, const std::string& reason) {
  return "Cannot use the georeference of " + ExtractFileName(path) + ": " + reason;
}

ChartProjection::ChartProjection(std::unique_ptr<Proj> proj, const PJ* chartCrs,
                                 const std::string& crsLabel,
                                 const std::array<double, 6>& rasterToModel, bool pixelIsPoint,
                                 std::int32_t width, std::int32_t height, const std::string& path,
                                 std::unique_ptr<const ControlPointFit> fit)
    : proj_(std::move(proj)),
      fit_(std::move(fit)),
      toModel_(rasterToModel),
      pixelOffset_(pixelIsPoint ? 0.0 : 0.5),
      width_(width),
      height_(height) {
  if (width <= 0 || height <= 0) {
    throw CartozenError(GeoReferenceProblem(path, "the image has no size"));
  }
  if (!fit_) {
    const auto& [a, b, c, d, e, f] = rasterToModel;
    const double det = a * e - b * d;
    if (!std::isfinite(det) || det == 0.0 || !std::isfinite(1.0 / det)) {
      throw CartozenError(GeoReferenceProblem(path, "the pixel scale or matrix is singular"));
    }
    const double ia = e / det, ib = -b / det, id = -d / det, ie = a / det;
    toRaster_ = {ia, ib, -(ia * c + ib * f), id, ie, -(id * c + ie * f)};
  }
  proj_->toChart = ChartTransformation(proj_->context, chartCrs, crsLabel, path);
  // A transformation that cannot place the chart's own centre is of no use.
  if (!PositionOf({(width - 1) / 2.0, (height - 1) / 2.0})) {
    throw CartozenError(GeoReferenceProblem(
        path, "the transformation to latitude and longitude fails (" + crsLabel + ")"));
  }
}

ChartProjection ChartProjection::Make(const std::string& crs,
                                      const std::array<double, 6>& rasterToModel, bool pixelIsPoint,
                                      std::int32_t width, std::int32_t height,
                                      const std::string& path) {
  auto proj = std::make_unique<Proj>();
  if (!proj->context) throw CartozenError(GeoReferenceProblem(path, "out of memory"));
  const ProjObject chartCrs = CoordinateSystemOfText(proj->context, crs, path);
  return ChartProjection(std::move(proj), chartCrs.get(), crs, rasterToModel, pixelIsPoint, width,
                         height, path);
}
ChartProjection::ChartProjection(ChartProjection&&) noexcept = default;
ChartProjection& ChartProjection::operator=(ChartProjection&&) noexcept = default;
ChartProjection::~ChartProjection() = default;

std::optional<ChartPixel> ChartProjection::PixelOf(LatLon position) const {
  PJ_COORD c = proj_coord(position.Longitude, position.Latitude, 0, 0);
  c = proj_trans(proj_->toChart, PJ_FWD, c);
  const double x = c.xy.x, y = c.xy.y;
  if (!std::isfinite(x) || !std::isfinite(y) || x == HUGE_VAL || y == HUGE_VAL) return std::nullopt;
  if (fit_) {
    ChartPixel pixel;
    fit_->PixelOf({x, y}, pixel.X, pixel.Y);
    if (!std::isfinite(pixel.X) || !std::isfinite(pixel.Y)) return std::nullopt;
    return pixel;
  }
  const std::array<double, 6>& m = toRaster_;
  return ChartPixel{m[0] * x + m[1] * y + m[2] - pixelOffset_,
                    m[3] * x + m[4] * y + m[5] - pixelOffset_};
}

std::optional<LatLon> ChartProjection::PositionOf(ChartPixel pixel) const {
  PJ_COORD c{};
  if (fit_) {
    const std::optional<ModelPoint> model = fit_->ModelOf(pixel.X, pixel.Y);
    if (!model) return std::nullopt;
    c = proj_coord(model->X, model->Y, 0, 0);
  } else {
    const double i = pixel.X + pixelOffset_, j = pixel.Y + pixelOffset_;
    const std::array<double, 6>& m = toModel_;
    c = proj_coord(m[0] * i + m[1] * j + m[2], m[3] * i + m[4] * j + m[5], 0, 0);
  }
  c = proj_trans(proj_->toChart, PJ_INV, c);
  const double lon = c.lp.lam, lat = c.lp.phi;
  if (!std::isfinite(lon) || !std::isfinite(lat) || std::abs(lat) > 90) return std::nullopt;
  return LatLon{lat, lon};
}

std::optional<ControlPointFitKind> ChartProjection::FitKind() const {
  if (!fit_) return std::nullopt;
  return fit_->Kind();
}

const ControlPointReport* ChartProjection::ControlPoints() const {
  return fit_ ? &fit_->Report() : nullptr;
}

std::optional<ChartProjection> ReadGeoTiffReference(const std::string& path,
                                                    ControlPointFitKind fit) {
  XTIFFInitialize();  // registers the GeoTIFF tags with libtiff
  TiffHandle tiff;
  try {
    tiff = OpenTiffForReading(path, kNoByteLimit);
  } catch (const CartozenError&) {
    throw CartozenError(GeoReferenceProblem(path, "out of memory"));
  }
  if (!tiff) throw CartozenError(UnableToOpenText(path));

  std::uint32_t width = 0, height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);

  const auto tiePoints = ArrayTag<double>(tiff.get(), TIFFTAG_GEOTIEPOINTS, TIFF_DOUBLE);
  const auto pixelScale = ArrayTag<double>(tiff.get(), TIFFTAG_GEOPIXELSCALE, TIFF_DOUBLE);
  const auto matrix = ArrayTag<double>(tiff.get(), TIFFTAG_GEOTRANSMATRIX, TIFF_DOUBLE);
  const bool hasKeys =
      !ArrayTag<std::uint16_t>(tiff.get(), TIFFTAG_GEOKEYDIRECTORY, TIFF_SHORT).empty();
  if (tiePoints.empty() && pixelScale.empty() && matrix.empty() && !hasKeys) return std::nullopt;
  if (width > INT32_MAX || height > INT32_MAX) {
    throw CartozenError(GeoReferenceProblem(path, "the image is too large"));
  }
  if (tiePoints.empty() && matrix.empty()) {
    throw CartozenError(GeoReferenceProblem(path, "no tie point or transformation matrix"));
  }
  const bool controlPoints = matrix.empty() && pixelScale.empty();
  const std::array<double, 6> toModel =
      controlPoints ? std::array<double, 6>{} : RasterToModel(tiePoints, pixelScale, matrix, path);

  const std::unique_ptr<GTIF, GtifFree> gtif(GTIFNewEx(tiff.get(), DropGeoTiffMessage, nullptr));
  if (!gtif || !hasKeys) {
    throw CartozenError(GeoReferenceProblem(path, "the GeoKey directory is missing or broken"));
  }
  auto proj = std::make_unique<ChartProjection::Proj>();
  if (!proj->context) throw CartozenError(GeoReferenceProblem(path, "out of memory"));
  const GeoKeyCoordinateSystem crs = CoordinateSystemOfFile(gtif.get(), proj->context, path);
  unsigned short rasterType = RasterPixelIsArea;
  GTIFKeyGetSHORT(gtif.get(), GTRasterTypeGeoKey, &rasterType, 0, 1);
  const bool pixelIsPoint = rasterType == RasterPixelIsPoint;
  const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
  std::unique_ptr<const ControlPointFit> fitted;
  if (controlPoints) {
    fitted = std::make_unique<const ControlPointFit>(ControlPointFit::Make(
        ControlPointsOf(tiePoints, pixelIsPoint ? 0.0 : 0.5, path), fit, w, h, path));
  }
  return ChartProjection(std::move(proj), crs.Crs.get(), crs.Label, toModel, pixelIsPoint, w, h,
                         path, std::move(fitted));
}

}  // namespace cz
