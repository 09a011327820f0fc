#pragma once
// Small dense linear systems for the control-point fits (a few hundred unknowns at most):
// least squares by Householder QR, which keeps the conditioning of the system itself rather
// than squaring it as the normal equations would, and the inverse by Gauss-Jordan elimination
// with partial pivoting. Both say when the matrix has no full rank instead of dividing by a
// pivot that is zero in all but rounding.

#include <optional>
#include <vector>

namespace cz {

using Matrix = std::vector<std::vector<double>>;  // rows

// x minimising |a x − b| for each column of b (a: m × n, m ≥ n; b: m × k); nothing when a's
// columns are dependent (a pivot below 1e-10 of the largest).
std::optional<Matrix> LeastSquares(Matrix a, Matrix b);

// The inverse of the square matrix a; nothing when it is singular (a pivot below 1e-12 of its
// largest element).
std::optional<Matrix> Inverse(Matrix a);

}  // namespace cz
