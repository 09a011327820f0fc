#include "georef/ProjectionLattice.h"

#include <algorithm>
#include <cmath>

namespace cz {
namespace {

ChartPixel Mix(const ChartPixel& a, const ChartPixel& b, double t) {
  return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t};
}

double Distance(const ChartPixel& a, const ChartPixel& b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

// The exact positions of an m × m lattice over the cell whose north-west corner is (north,
// west), row by row; nothing when the projection cannot place one of them.
std::optional<std::vector<ChartPixel>> ExactLattice(const ChartProjection& chart, double north,
                                                    double west, std::int32_t m) {
  std::vector<ChartPixel> points;
  points.reserve(static_cast<std::size_t>(m + 1) * (m + 1));
  for (std::int32_t j = 0; j <= m; ++j) {
    for (std::int32_t i = 0; i <= m; ++i) {
      const std::optional<ChartPixel> p = chart.PixelOf({north - double(j) / m, west + double(i) / m});
      if (!p || !(std::fabs(p->X) < 1e9 && std::fabs(p->Y) < 1e9)) return std::nullopt;
      points.push_back(*p);
    }
  }
  return points;
}

// How far the bilinear positions of the even points of fine (a 2n × 2n lattice) lie from its
// odd ones: the middles of the n × n lattice's squares and edges.
double MiddleError(const std::vector<ChartPixel>& fine, std::int32_t n) {
  const std::int32_t m = 2 * n, stride = m + 1;
  const auto at = [&](std::int32_t i, std::int32_t j) { return fine[j * stride + i]; };
  double worst = 0;
  for (std::int32_t j = 0; j <= m; ++j) {
    for (std::int32_t i = 0; i <= m; ++i) {
      const bool oddI = i % 2 != 0, oddJ = j % 2 != 0;
      if (!oddI && !oddJ) continue;
      ChartPixel estimate;
      if (oddI && oddJ) {
        estimate = Mix(Mix(at(i - 1, j - 1), at(i + 1, j - 1), 0.5),
                       Mix(at(i - 1, j + 1), at(i + 1, j + 1), 0.5), 0.5);
      } else if (oddI) {
        estimate = Mix(at(i - 1, j), at(i + 1, j), 0.5);
      } else {
        estimate = Mix(at(i, j - 1), at(i, j + 1), 0.5);
      }
      worst = std::max(worst, Distance(estimate, at(i, j)));
    }
  }
  return worst;
}

std::optional<LatticeCell> PlaceCell(const ChartProjection& chart, double north, double west) {
  for (std::int32_t n = 1;; n *= 2) {
    std::optional<std::vector<ChartPixel>> fine = ExactLattice(chart, north, west, 2 * n);
    if (!fine) return std::nullopt;
    const double error = MiddleError(*fine, n);
    if (error <= kLatticeTarget || n == kMostLatticeSteps) {
      LatticeCell cell{n, {}, error};
      cell.Points.reserve(static_cast<std::size_t>(n + 1) * (n + 1));
      for (std::int32_t j = 0; j <= 2 * n; j += 2) {
        for (std::int32_t i = 0; i <= 2 * n; i += 2) cell.Points.push_back((*fine)[j * (2 * n + 1) + i]);
      }
      return cell;
    }
  }
}

}  // namespace

ChartPixel LatticeCell::Between(std::int32_t i, std::int32_t j, double s, double t) const {
  return Mix(Mix(At(i, j), At(i + 1, j), s), Mix(At(i, j + 1), At(i + 1, j + 1), s), t);
}

ChartPixel LatticeCell::PositionAt(double du, double dv) const {
  const double x = std::clamp(du, 0.0, 1.0) * Steps, y = std::clamp(dv, 0.0, 1.0) * Steps;
  const std::int32_t i = std::min(static_cast<std::int32_t>(x), Steps - 1);
  const std::int32_t j = std::min(static_cast<std::int32_t>(y), Steps - 1);
  return Between(i, j, x - i, y - j);
}

ProjectionLattice::ProjectionLattice(const GeoReference& geo, const ChartProjection& chart)
    : columns_(std::clamp(geo.NLon, 0, kMaxGridSteps)), rows_(std::clamp(geo.NLat, 0, kMaxGridSteps)) {
  cells_.reserve(static_cast<std::size_t>(columns_) * rows_);
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      cells_.push_back(PlaceCell(chart, geo.GridTopLatitude - r, geo.GridLeftLongitude + c));
      if (cells_.back()) worst_ = std::max(worst_, cells_.back()->WorstError);
    }
  }
}

const LatticeCell* ProjectionLattice::Cell(std::int32_t c, std::int32_t r) const {
  if (c < 0 || r < 0 || c >= columns_ || r >= rows_) return nullptr;
  const std::optional<LatticeCell>& cell = cells_[static_cast<std::size_t>(r) * columns_ + c];
  return cell ? &*cell : nullptr;
}

}  // namespace cz
