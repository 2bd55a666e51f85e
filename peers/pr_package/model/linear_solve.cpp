#include "pr_package/model/linear_solve.h"

#include <cmath>
#include <utility>

namespace pr {

bool lu_solve(std::span<double> A, std::span<double> b, std::size_t n) {
  double scale = 0.0;
  for (std::size_t k = 0; k < n * n; ++k) scale = std::max(scale, std::abs(A[k]));
  if (!(scale > 0.0) || !std::isfinite(scale)) return false;
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t p = k;
    for (std::size_t r = k + 1; r < n; ++r) {
      if (std::abs(A[r * n + k]) > std::abs(A[p * n + k])) p = r;
    }
    if (std::abs(A[p * n + k]) <= 1e-300 + 1e-15 * scale) return false;
    if (p != k) {
      for (std::size_t c = 0; c < n; ++c) std::swap(A[k * n + c], A[p * n + c]);
      std::swap(b[k], b[p]);
    }
    const double pivot = A[k * n + k];
    for (std::size_t r = k + 1; r < n; ++r) {
      const double f = A[r * n + k] / pivot;
      if (f == 0.0) continue;
      for (std::size_t c = k + 1; c < n; ++c) A[r * n + c] -= f * A[k * n + c];
      b[r] -= f * b[k];
    }
  }
  for (std::size_t k = n; k-- > 0;) {
    double s = b[k];
    for (std::size_t c = k + 1; c < n; ++c) s -= A[k * n + c] * b[c];
    b[k] = s / A[k * n + k];
  }
  return true;
}

}  // namespace pr
