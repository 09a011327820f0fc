#include "georef/DenseSolve.h"

#include <algorithm>
#include <cmath>

namespace cz {

std::optional<Matrix> LeastSquares(Matrix a, Matrix b) {
  const std::size_t m = a.size(), n = a[0].size(), rhs = b[0].size();
  double largest = 0;
  for (std::size_t k = 0; k < n; ++k) {
    double norm = 0;
    for (std::size_t i = k; i < m; ++i) norm += a[i][k] * a[i][k];
    norm = std::sqrt(norm);
    if (norm == 0) return std::nullopt;
    const double alpha = a[k][k] > 0 ? -norm : norm;
    std::vector<double> h(m, 0.0);
    for (std::size_t i = k; i < m; ++i) h[i] = a[i][k];
    h[k] -= alpha;
    double hh = 0;
    for (std::size_t i = k; i < m; ++i) hh += h[i] * h[i];
    const auto reflect = [&](auto& matrix, std::size_t columns, std::size_t first) {
      for (std::size_t j = first; j < columns; ++j) {
        double s = 0;
        for (std::size_t i = k; i < m; ++i) s += h[i] * matrix[i][j];
        s *= 2 / hh;
        for (std::size_t i = k; i < m; ++i) matrix[i][j] -= s * h[i];
      }
    };
    if (hh > 0) {
      reflect(a, n, k);
      reflect(b, rhs, 0);
    }
    largest = std::max(largest, std::abs(a[k][k]));
  }
  for (std::size_t k = 0; k < n; ++k) {
    if (!(std::abs(a[k][k]) > 1e-10 * largest)) return std::nullopt;
  }
  Matrix x(n, std::vector<double>(rhs, 0.0));
  for (std::size_t c = 0; c < rhs; ++c) {
    for (std::size_t k = n; k-- > 0;) {
      double s = b[k][c];
      for (std::size_t j = k + 1; j < n; ++j) s -= a[k][j] * x[j][c];
      x[k][c] = s / a[k][k];
    }
  }
  return x;
}

std::optional<Matrix> Inverse(Matrix a) {
  const std::size_t n = a.size();
  double largest = 0;
  for (const auto& row : a) {
    for (const double v : row) largest = std::max(largest, std::abs(v));
  }
  Matrix inv(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) inv[i][i] = 1;
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t pivot = k;
    for (std::size_t i = k + 1; i < n; ++i) {
      if (std::abs(a[i][k]) > std::abs(a[pivot][k])) pivot = i;
    }
    if (!(std::abs(a[pivot][k]) > 1e-12 * largest)) return std::nullopt;
    std::swap(a[k], a[pivot]);
    std::swap(inv[k], inv[pivot]);
    const double p = a[k][k];
    for (std::size_t j = 0; j < n; ++j) a[k][j] /= p, inv[k][j] /= p;
    for (std::size_t i = 0; i < n; ++i) {
      if (i == k || a[i][k] == 0) continue;
      const double f = a[i][k];
      for (std::size_t j = 0; j < n; ++j) a[i][j] -= f * a[k][j], inv[i][j] -= f * inv[k][j];
    }
  }
  return inv;
}

}  // namespace cz
