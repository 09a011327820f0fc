#pragma once
// Where the pixels of a GeoTIFF chart lie on the earth, as the file itself says: the raster-to-
// model mapping (one tie point with a pixel scale, the model transformation matrix, or ground
// control points: several tie points without a scale, through which a transform is fitted,
// ControlPointFit.h) and the
// coordinate system of the GeoKeys (geographic or projected; an EPSG code or user-defined
// parameters), turned into a PROJ transformation from WGS 84 latitude and longitude.
//
// Pixels are counted as the reference grid counts them: pixel (x, y) is the sample of column
// x and row y, so under the usual PixelIsArea raster type the pixel's centre, half a pixel in
// from its top-left corner in raster space; under PixelIsPoint the raster point itself.
//
// Latitudes and longitudes are WGS 84, the datum of the EFIS's position, whatever the datum of
// the chart; PROJ picks the datum shift it knows (none when the chart names no datum).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "geo/ControlPointFitKind.h"

struct PJconsts;  // PROJ's object, PJ

namespace cz {

class ControlPointFit;
struct ControlPointReport;

struct ChartPixel {
  double X = 0.0;  // column
  double Y = 0.0;  // row
};

struct LatLon {
  double Latitude = 0.0;
  double Longitude = 0.0;
};

class ChartProjection {
 public:
  ChartProjection(ChartProjection&&) noexcept;
  ChartProjection& operator=(ChartProjection&&) noexcept;
  ~ChartProjection();

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  // The pixel showing a latitude and longitude, or nothing when PROJ cannot place it.
  std::optional<ChartPixel> PixelOf(LatLon position) const;
  // The latitude and longitude of a pixel, or nothing outside the projection's domain.
  std::optional<LatLon> PositionOf(ChartPixel pixel) const;

  // A chart georeferenced by control points: how its transform was fitted and how well it
  // meets each point. Nothing for a chart with an exact mapping.
  std::optional<ControlPointFitKind> FitKind() const;
  const ControlPointReport* ControlPoints() const;

  // A chart of width × height pixels in the coordinate system crs (PROJ text: "EPSG:n" or a
  // PROJ string), whose raster point (i, j) lies at model X = a i + b j + c, Y = d i + e j + f
  // for rasterToModel = {a, b, c, d, e, f}. Throws CartozenError (GeoReferenceProblem with
  // path) for an unknown system, a singular mapping or a transformation that fails.
  static ChartProjection Make(const std::string& crs, const std::array<double, 6>& rasterToModel,
                              bool pixelIsPoint, std::int32_t width, std::int32_t height,
                              const std::string& path);

 private:
  struct Proj;
  // chartCrs is PROJ's object of the coordinate system (a PJ), crsLabel its name in messages.
  // fit: the control points' transform, in place of rasterToModel (then unused).
  ChartProjection(std::unique_ptr<Proj> proj, const PJconsts* chartCrs, const std::string& crsLabel,
                  const std::array<double, 6>& rasterToModel, bool pixelIsPoint, std::int32_t width,
                  std::int32_t height, const std::string& path,
                  std::unique_ptr<const ControlPointFit> fit = nullptr);
  friend std::optional<ChartProjection> ReadGeoTiffReference(const std::string& path,
                                                             ControlPointFitKind fit);

  std::unique_ptr<Proj> proj_;
  std::unique_ptr<const ControlPointFit> fit_;
  // Raster (i, j) → model: X = a i + b j + c, Y = d i + e j + f; and its inverse.
  std::array<double, 6> toModel_{};
  std::array<double, 6> toRaster_{};
  double pixelOffset_ = 0.5;  // raster coordinate of pixel (0, 0)
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

// Reads the georeference of the TIFF at path; a chart of control points is fitted as fit says.
// Nothing when the file has no GeoTIFF tags at all. Throws CartozenError naming the file when
// it cannot be opened, when the tags are broken or contradict each other, when PROJ does not
// know the coordinate system, when the transformation fails, or when the control points cannot
// be fitted (ControlPointFit::Make).
std::optional<ChartProjection> ReadGeoTiffReference(
    const std::string& path, ControlPointFitKind fit = ControlPointFitKind::Order1);

// The message of every refusal above: "Cannot use the georeference of " + file name + ": " +
// reason.
std::string GeoReferenceProblem(const std::string& path, const std::string& reason);

}  // namespace cz
