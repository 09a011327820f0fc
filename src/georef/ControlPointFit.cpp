#include "georef/ControlPointFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "georef/DenseSolve.h"
#include "georef/GeoTiffReference.h"
#include "platform/Error.h"

namespace cz {
namespace {

// Polynomial terms u^a v^b, a + b ≤ order, in the order 1, u, v, u², u v, v², u³, ...
int TermCount(int order) { return (order + 1) * (order + 2) / 2; }

int OrderOf(ControlPointFitKind kind) {
  switch (kind) {
    case ControlPointFitKind::Order2:
      return 2;
    case ControlPointFitKind::Order3:
      return 3;
    default:
      return 1;
  }
}

// The terms at (u, v) and, when asked, their derivatives by u and by v.
void Terms(int order, double u, double v, double* t, double* du = nullptr, double* dv = nullptr) {
  int k = 0;
  for (int n = 0; n <= order; ++n) {
    for (int b = 0; b <= n; ++b, ++k) {
      const int a = n - b;
      t[k] = std::pow(u, a) * std::pow(v, b);
      if (du) du[k] = a == 0 ? 0 : a * std::pow(u, a - 1) * std::pow(v, b);
      if (dv) dv[k] = b == 0 ? 0 : b * std::pow(u, a) * std::pow(v, b - 1);
    }
  }
}

// The thin-plate kernel r² ln r and its derivative's factor 2 ln r + 1 (d/du = (u − uᵢ)·it).
double Kernel(double r2) { return r2 > 0 ? 0.5 * r2 * std::log(r2) : 0.0; }
double KernelSlope(double r2) { return r2 > 0 ? std::log(r2) + 1 : 0.0; }

// The spline's system is dense, points + 3 each way, and solved whole (its inverse gives the
// residuals): beyond this many points it would take more memory and time than a chart is worth.
constexpr std::size_t kMostSplinePoints = 1000;

// Points per side of the lattice the fold check evaluates the Jacobian on.
constexpr int kFoldLattice = 33;

}  // namespace

std::size_t ControlPointReport::Worst() const {
  std::size_t worst = 0;
  for (std::size_t k = 1; k < Points.size(); ++k) {
    if (Points[k].Residual > Points[worst].Residual) worst = k;
  }
  return worst;
}

std::string ControlPointSummary(const ControlPointReport& report) {
  char figures[120];
  const std::size_t worst = report.Worst();
  std::snprintf(figures, sizeof figures, "%zu points, RMS %.2f px, worst %.2f px at point %zu",
                report.Points.size(), report.Rms,
                report.Points.empty() ? 0.0 : report.Points[worst].Residual, worst + 1);
  return "Control points: " + ControlPointFitKindName(report.Kind) + ", " + figures +
         (report.Kind == ControlPointFitKind::Spline
              ? " (each point against the spline through the others)"
              : "");
}

std::string ControlPointLine(const ControlPointReport& report, std::size_t index) {
  const ControlPointResidual& p = report.Points.at(index);
  char line[160];
  std::snprintf(line, sizeof line, "  point %zu: pixel %.1f %.1f, fitted %.1f %.1f, residual %.2f px",
                index + 1, p.PixelX, p.PixelY, p.FittedX, p.FittedY, p.Residual);
  return line;
}

ControlPointFit ControlPointFit::Make(const std::vector<ControlPoint>& points,
                                      ControlPointFitKind kind, std::int32_t width,
                                      std::int32_t height, const std::string& path) {
  const auto refuse = [&path](const std::string& reason) {
    return CartozenError(GeoReferenceProblem(path, reason));
  };
  const std::size_t count = points.size();
  // "an order 2 polynomial", "a thin-plate spline"
  const std::string name = (kind == ControlPointFitKind::Spline ? "a " : "an ") +
                           ControlPointFitKindName(kind);
  if (count < static_cast<std::size_t>(MinimumControlPoints(kind))) {
    throw refuse(std::to_string(count) + " control point" + (count == 1 ? " is" : "s are") +
                 " too few for " + name + " (it needs " +
                 std::to_string(MinimumControlPoints(kind)) + ")");
  }
  if (kind == ControlPointFitKind::Spline && count > kMostSplinePoints) {
    throw refuse(std::to_string(count) + " control points are too many for " + name +
                 " (at most " + std::to_string(kMostSplinePoints) + ")");
  }
  const std::string undetermined = "the " + std::to_string(count) +
                                   " control points do not determine " + name +
                                   " (they coincide, or lie on a line or a curve)";
  ControlPointFit fit;
  fit.kind_ = kind;
  double sx = 0, sy = 0;
  for (const ControlPoint& p : points) sx += p.Model.X, sy += p.Model.Y;
  fit.centreX_ = sx / count, fit.centreY_ = sy / count;
  double spread = 0;
  for (const ControlPoint& p : points) {
    spread = std::max({spread, std::abs(p.Model.X - fit.centreX_),
                       std::abs(p.Model.Y - fit.centreY_)});
  }
  if (!(spread > 0) || !std::isfinite(spread)) throw refuse(undetermined);
  fit.scale_ = spread;
  std::vector<double> u(count), v(count);
  Matrix pixels(count, std::vector<double>(2));
  for (std::size_t k = 0; k < count; ++k) {
    u[k] = (points[k].Model.X - fit.centreX_) / spread;
    v[k] = (points[k].Model.Y - fit.centreY_) / spread;
    pixels[k] = {points[k].PixelX, points[k].PixelY};
  }

  // The affine least-squares fit: Newton's start and the fold check's lattice.
  Matrix linear(count, std::vector<double>(3));
  for (std::size_t k = 0; k < count; ++k) linear[k] = {1, u[k], v[k]};
  const std::optional<Matrix> affine = LeastSquares(linear, pixels);
  if (!affine) throw refuse(undetermined);
  const Matrix& af = *affine;
  fit.affine_ = {af[0][0], af[1][0], af[2][0], af[0][1], af[1][1], af[2][1]};
  const double det = af[1][0] * af[2][1] - af[2][0] * af[1][1];
  if (!(std::abs(det) > 0) || !std::isfinite(det)) throw refuse(undetermined);

  fit.report_.Points.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    fit.report_.Points[k].PixelX = pixels[k][0], fit.report_.Points[k].PixelY = pixels[k][1];
  }
  const bool determined = kind == ControlPointFitKind::Spline ? fit.FitSpline(u, v, pixels)
                                                              : fit.FitPolynomial(u, v, pixels);
  if (!determined) throw refuse(undetermined);
  fit.report_.Kind = kind;
  double sum = 0;
  for (ControlPointResidual& r : fit.report_.Points) {
    r.Residual = std::hypot(r.FittedX - r.PixelX, r.FittedY - r.PixelY);
    sum += r.Residual * r.Residual;
  }
  fit.report_.Rms = std::sqrt(sum / count);

  if (fit.Folds(width, height, u, v)) {
    throw refuse("the " + std::to_string(count) + " control points fold " + name +
                 " over the chart (it would show some places twice)");
  }
  return fit;
}

bool ControlPointFit::FitSpline(const std::vector<double>& u, const std::vector<double>& v,
                                const Matrix& pixels) {
  const std::size_t count = u.size(), n = count + 3;
  Matrix m(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) {
      m[i][j] = Kernel((u[i] - u[j]) * (u[i] - u[j]) + (v[i] - v[j]) * (v[i] - v[j]));
    }
    const double p[3] = {1, u[i], v[i]};
    for (std::size_t t = 0; t < 3; ++t) m[i][count + t] = m[count + t][i] = p[t];
  }
  const std::optional<Matrix> inverse = Inverse(m);
  if (!inverse) return false;
  const Matrix& mi = *inverse;
  nodesU_ = u, nodesV_ = v;
  weightsX_.assign(count, 0), weightsY_.assign(count, 0);
  termsX_.assign(3, 0), termsY_.assign(3, 0);
  for (std::size_t i = 0; i < n; ++i) {
    double cx = 0, cy = 0;
    for (std::size_t j = 0; j < count; ++j) cx += mi[i][j] * pixels[j][0], cy += mi[i][j] * pixels[j][1];
    (i < count ? weightsX_[i] : termsX_[i - count]) = cx;
    (i < count ? weightsY_[i] : termsY_[i - count]) = cy;
  }
  // Leave one out in closed form (Rippa): the error at point k of the spline through the
  // others is its weight over the inverse's diagonal element.
  for (std::size_t k = 0; k < count; ++k) {
    ControlPointResidual& r = report_.Points[k];
    const double d = mi[k][k];
    // Without a spline through the others (three points: theirs is no longer determined)
    // the point has no residual of its own.
    const bool others = std::abs(d) > 1e-12;
    r.FittedX = r.PixelX - (others ? weightsX_[k] / d : 0);
    r.FittedY = r.PixelY - (others ? weightsY_[k] / d : 0);
  }
  return true;
}

bool ControlPointFit::FitPolynomial(const std::vector<double>& u, const std::vector<double>& v,
                                    const Matrix& pixels) {
  const int order = OrderOf(kind_);
  Matrix a(u.size(), std::vector<double>(TermCount(order)));
  for (std::size_t k = 0; k < u.size(); ++k) Terms(order, u[k], v[k], a[k].data());
  const std::optional<Matrix> terms = LeastSquares(a, pixels);
  if (!terms) return false;
  for (const auto& row : *terms) termsX_.push_back(row[0]), termsY_.push_back(row[1]);
  for (std::size_t k = 0; k < u.size(); ++k) {
    double out[2], j[4];
    Evaluate(u[k], v[k], out, j);
    report_.Points[k].FittedX = out[0], report_.Points[k].FittedY = out[1];
  }
  return true;
}

// The Jacobian keeps the affine fit's sign over the chart (a lattice of its pixels placed by
// the affine inverse) and at every point.
bool ControlPointFit::Folds(std::int32_t width, std::int32_t height, const std::vector<double>& u,
                            const std::vector<double>& v) const {
  const auto& [a, b, c, d, e, f] = affine_;
  const double det = b * f - c * e;
  const auto folds = [&](double uu, double vv) {
    double out[2], j[4];
    Evaluate(uu, vv, out, j);
    return !((j[0] * j[3] - j[1] * j[2]) * det > 0);
  };
  for (int iy = 0; iy < kFoldLattice; ++iy) {
    for (int ix = 0; ix < kFoldLattice; ++ix) {
      const double x = -0.5 + double(width) * ix / (kFoldLattice - 1) - a;
      const double y = -0.5 + double(height) * iy / (kFoldLattice - 1) - d;
      if (folds((f * x - c * y) / det, (b * y - e * x) / det)) return true;
    }
  }
  for (std::size_t k = 0; k < u.size(); ++k) {
    if (folds(u[k], v[k])) return true;
  }
  return false;
}

void ControlPointFit::Evaluate(double u, double v, double out[2], double jacobian[4]) const {
  if (kind_ == ControlPointFitKind::Spline) {
    out[0] = termsX_[0] + termsX_[1] * u + termsX_[2] * v;
    out[1] = termsY_[0] + termsY_[1] * u + termsY_[2] * v;
    jacobian[0] = termsX_[1], jacobian[1] = termsX_[2];
    jacobian[2] = termsY_[1], jacobian[3] = termsY_[2];
    for (std::size_t k = 0; k < nodesU_.size(); ++k) {
      const double du = u - nodesU_[k], dv = v - nodesV_[k];
      const double r2 = du * du + dv * dv;
      const double kernel = Kernel(r2), slope = KernelSlope(r2);
      out[0] += weightsX_[k] * kernel, out[1] += weightsY_[k] * kernel;
      jacobian[0] += weightsX_[k] * slope * du, jacobian[1] += weightsX_[k] * slope * dv;
      jacobian[2] += weightsY_[k] * slope * du, jacobian[3] += weightsY_[k] * slope * dv;
    }
    return;
  }
  double t[10], tu[10], tv[10];
  const int order = OrderOf(kind_);
  Terms(order, u, v, t, tu, tv);
  out[0] = out[1] = 0;
  std::fill(jacobian, jacobian + 4, 0.0);
  for (int k = 0; k < TermCount(order); ++k) {
    out[0] += termsX_[k] * t[k], out[1] += termsY_[k] * t[k];
    jacobian[0] += termsX_[k] * tu[k], jacobian[1] += termsX_[k] * tv[k];
    jacobian[2] += termsY_[k] * tu[k], jacobian[3] += termsY_[k] * tv[k];
  }
}

void ControlPointFit::PixelOf(ModelPoint model, double& x, double& y) const {
  double out[2], j[4];
  Evaluate((model.X - centreX_) / scale_, (model.Y - centreY_) / scale_, out, j);
  x = out[0], y = out[1];
}

std::optional<ModelPoint> ControlPointFit::ModelOf(double x, double y) const {
  constexpr int kMostSteps = 50;
  constexpr double kSettled = 1e-9;  // chart pixels
  const auto& [a, b, c, d, e, f] = affine_;
  const double det = b * f - c * e;
  double u = (f * (x - a) - c * (y - d)) / det, v = (b * (y - d) - e * (x - a)) / det;
  double out[2], j[4];
  Evaluate(u, v, out, j);
  double miss = std::hypot(out[0] - x, out[1] - y);
  for (int step = 0; step < kMostSteps && miss > kSettled; ++step) {
    const double jd = j[0] * j[3] - j[1] * j[2];
    if (!(std::abs(jd) > 0) || !std::isfinite(jd)) return std::nullopt;
    const double rx = x - out[0], ry = y - out[1];
    double du = (j[3] * rx - j[1] * ry) / jd, dv = (j[0] * ry - j[2] * rx) / jd;
    // Halving a step that overshoots keeps the method from running off where a
    // polynomial of higher order turns back.
    bool improved = false;
    for (int halving = 0; halving < 30 && !improved; ++halving, du /= 2, dv /= 2) {
      double tryOut[2], tryJ[4];
      Evaluate(u + du, v + dv, tryOut, tryJ);
      const double tryMiss = std::hypot(tryOut[0] - x, tryOut[1] - y);
      if (tryMiss < miss) {
        u += du, v += dv, miss = tryMiss, improved = true;
        std::copy(tryOut, tryOut + 2, out), std::copy(tryJ, tryJ + 4, j);
      }
    }
    if (!improved) break;
  }
  // Rounding can stop it short of kSettled; a millionth of a pixel is as good as there.
  if (!(miss <= 1e-6)) return std::nullopt;
  return ModelPoint{centreX_ + u * scale_, centreY_ + v * scale_};
}

}  // namespace cz
