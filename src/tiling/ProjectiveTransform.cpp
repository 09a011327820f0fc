#include "tiling/ProjectiveTransform.h"

#include <cmath>

namespace cz {

void ProjectiveTransform::SetDestination(const std::array<FloatPoint, 4>& quad) {
  quad_ = quad;
  Update();
}

void ProjectiveTransform::SetSource(const FloatRect& rect) {
  rect_ = rect;
  Update();
}

namespace {

// Strict convexity: the turns at all four corners are non-zero and of one sense. This is the
// same as the two diagonals crossing inside both of them.
bool StrictlyConvex(const std::array<FloatPoint, 4>& q) {
  int positive = 0;
  int negative = 0;
  for (int k = 0; k < 4; ++k) {
    const FloatPoint& a = q[k];
    const FloatPoint& b = q[(k + 1) % 4];
    const FloatPoint& c = q[(k + 2) % 4];
    const double turn =
        (double{b.X} - a.X) * (double{c.Y} - b.Y) - (double{b.Y} - a.Y) * (double{c.X} - b.X);
    if (turn > 0) ++positive;
    if (turn < 0) ++negative;
  }
  return positive == 4 || negative == 4;
}

}  // namespace

void ProjectiveTransform::Update() {
  const double x0 = quad_[0].X, y0 = quad_[0].Y;
  const double x1 = quad_[1].X, y1 = quad_[1].Y;
  const double x2 = quad_[2].X, y2 = quad_[2].Y;
  const double x3 = quad_[3].X, y3 = quad_[3].Y;

  // Unit square to quadrilateral (Heckbert): X = (a u + b v + c) / (g u + h v + 1), likewise Y.
  double a, b, c, d, e, f, g, h;
  const double sumX = x0 - x1 + x2 - x3;
  const double sumY = y0 - y1 + y2 - y3;
  affine_ = sumX == 0 && sumY == 0;
  if (affine_) {
    a = x1 - x0, b = x2 - x1, c = x0;
    d = y1 - y0, e = y2 - y1, f = y0;
    g = 0, h = 0;
  } else {
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double den = dx1 * dy2 - dx2 * dy1;
    if (den == 0) {
      defined_ = false;
      return;
    }
    g = (sumX * dy2 - dx2 * sumY) / den;
    h = (dx1 * sumY - sumX * dy1) / den;
    a = x1 - x0 + g * x1, b = x3 - x0 + h * x3, c = x0;
    d = y1 - y0 + g * y1, e = y3 - y0 + h * y3, f = y0;
  }

  // Compose with u = (x − left) / width, v = (y − top) / height.
  const double width = double{rect_.Right} - rect_.Left;
  const double height = double{rect_.Bottom} - rect_.Top;
  if (!(std::isfinite(width) && std::isfinite(height) && width != 0 && height != 0)) {
    defined_ = false;
    return;
  }
  const double left = rect_.Left, top = rect_.Top;
  m_ = {a / width, b / height, c - a * left / width - b * top / height,
        d / width, e / height, f - d * left / width - e * top / height,
        g / width, h / height, 1 - g * left / width - h * top / height};
  defined_ = StrictlyConvex(quad_);
  for (double v : m_) defined_ = defined_ && std::isfinite(v);
}

void ProjectiveTransform::Map(double x, double y, double& sx, double& sy) const {
  const double w = m_[6] * x + m_[7] * y + m_[8];
  sx = (m_[0] * x + m_[1] * y + m_[2]) / w;
  sy = (m_[3] * x + m_[4] * y + m_[5]) / w;
}

ProjectiveTransform::RowLine ProjectiveTransform::Row(double y) const {
  return {m_[1] * y + m_[2], m_[0], m_[4] * y + m_[5], m_[3], m_[7] * y + m_[8], m_[6]};
}

}  // namespace cz
