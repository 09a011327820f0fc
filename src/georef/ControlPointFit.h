#pragma once
// The transform of a chart georeferenced by ground control points: fitted from model
// coordinates (the projected, or geographic, coordinates of the chart's coordinate system) to
// chart pixels, as a polynomial of order 1 to 3 (least squares) or a thin-plate spline with
// an affine part (through every point). Both are solved in coordinates centred on the points
// and scaled to about ±1, so that an order 3 fit in metres stays well conditioned.
//
// Pixels are the reference grid's (GeoTiffReference.h): the caller turns raster coordinates
// into pixels before fitting.
//
// PixelOf is the fit itself; ModelOf its inverse, by Newton's method from the affine least-
// squares fit, which a transform that does not fold always reaches. Make refuses points that
// fold the transform: the sign of its Jacobian must stay the same over a lattice covering the
// chart and the points.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geo/ControlPointFitKind.h"

namespace cz {

struct ModelPoint {
  double X = 0.0;  // easting (or longitude)
  double Y = 0.0;  // northing (or latitude)
};

struct ControlPoint {
  double PixelX = 0.0, PixelY = 0.0;  // where the point lies on the chart
  ModelPoint Model;                   // where it lies in the chart's coordinate system
};

// How well the fit meets each point. A polynomial's residual is its distance from the point;
// a spline passes through every point, so its residual is the distance from the spline
// through all the other points (leave one out): what the point's own placement decides.
struct ControlPointResidual {
  double PixelX = 0.0, PixelY = 0.0;    // the point as the chart gives it
  double FittedX = 0.0, FittedY = 0.0;  // where the fit (the others' spline) puts its model
  double Residual = 0.0;                // chart pixels between the two
};

struct ControlPointReport {
  ControlPointFitKind Kind = ControlPointFitKind::Order1;
  std::vector<ControlPointResidual> Points;  // in the file's order
  double Rms = 0.0;

  // The index of the largest residual (0 without points).
  std::size_t Worst() const;
};

// "Control points: order 2 polynomial, 12 points, RMS 0.02 px, worst 0.03 px at point 7"
// (points counted from 1 in the file's order).
std::string ControlPointSummary(const ControlPointReport& report);
// "  point 7: pixel 410.0 233.5, fitted 410.0 233.5, residual 0.03 px".
std::string ControlPointLine(const ControlPointReport& report, std::size_t index);

class ControlPointFit {
 public:
  // Fits points as kind over a chart of width × height pixels. Throws CartozenError
  // (GeoReferenceProblem with path) for too few points for the kind (or more than 1000 for
  // the spline, whose dense system grows with their square), points that do not
  // determine it (coincident, on a line, or on a curve the polynomial cannot tell from its
  // own terms), and points that fold it over the chart.
  static ControlPointFit Make(const std::vector<ControlPoint>& points, ControlPointFitKind kind,
                              std::int32_t width, std::int32_t height, const std::string& path);

  ControlPointFitKind Kind() const { return kind_; }
  const ControlPointReport& Report() const { return report_; }

  // The pixel (x, y) of a model point.
  void PixelOf(ModelPoint model, double& x, double& y) const;
  // The model point of a pixel; nothing when Newton's method does not settle there.
  std::optional<ModelPoint> ModelOf(double x, double y) const;

 private:
  ControlPointFit() = default;
  // Through the normalised points (u, v) and their pixels: the terms, and each point's fitted
  // pixel in the report; false when the points do not determine the fit.
  bool FitSpline(const std::vector<double>& u, const std::vector<double>& v,
                 const std::vector<std::vector<double>>& pixels);
  bool FitPolynomial(const std::vector<double>& u, const std::vector<double>& v,
                     const std::vector<std::vector<double>>& pixels);
  // Whether the fit folds over a chart of width × height pixels or at a point.
  bool Folds(std::int32_t width, std::int32_t height, const std::vector<double>& u,
             const std::vector<double>& v) const;
  // Pixel and its derivatives by the normalised u and v at (u, v).
  void Evaluate(double u, double v, double out[2], double jacobian[4]) const;

  ControlPointFitKind kind_ = ControlPointFitKind::Order1;
  double centreX_ = 0, centreY_ = 0, scale_ = 1;  // u = (X − centreX) / scale, likewise v
  std::vector<double> termsX_, termsY_;  // polynomial coefficients, or the spline's affine part
  std::vector<double> nodesU_, nodesV_;  // spline: the points, normalised
  std::vector<double> weightsX_, weightsY_;
  std::array<double, 6> affine_{};  // (u, v) → pixel: x = a + b u + c v, y = d + e u + f v
  ControlPointReport report_;
};

}  // namespace cz
