#include "pr_package/model/rachford_rice.h"

#include <cmath>

namespace pr {

double rachford_rice_residual(std::span<const double> z, std::span<const double> K, double beta) {
  double f = 0.0;
  for (std::size_t i = 0; i < z.size(); ++i) {
    if (z[i] > 0.0) f += z[i] * (K[i] - 1.0) / (1.0 + beta * (K[i] - 1.0));
  }
  return f;
}

RachfordRice solve_rachford_rice(std::span<const double> z, std::span<const double> K) {
  double Kmax = 0.0, Kmin = HUGE_VAL;
  for (std::size_t i = 0; i < z.size(); ++i) {
    if (z[i] <= 0.0) continue;
    Kmax = std::max(Kmax, K[i]);
    Kmin = std::min(Kmin, K[i]);
  }
  if (Kmax <= 1.0) return {0.0, -1};
  if (Kmin >= 1.0) return {1.0, +1};
  const double bmin = 1.0 / (1.0 - Kmax);
  const double bmax = 1.0 / (1.0 - Kmin);
  double lo = bmin, hi = bmax;
  double beta = (bmin < 0.5 && 0.5 < bmax) ? 0.5 : 0.5 * (bmin + bmax);
  for (int it = 0; it < 200; ++it) {
    double f = 0.0, df = 0.0;
    for (std::size_t i = 0; i < z.size(); ++i) {
      if (z[i] <= 0.0) continue;
      const double k1 = K[i] - 1.0;
      const double d = 1.0 / (1.0 + beta * k1);
      f += z[i] * k1 * d;
      df -= z[i] * k1 * k1 * d * d;
    }
    if (f > 0.0)
      lo = beta;
    else
      hi = beta;  // f decreases with beta
    if (f == 0.0) break;
    const double w = (beta - bmin) * (bmax - beta);
    const double h = w * f;
    const double dh = (bmax + bmin - 2.0 * beta) * f + w * df;
    double next = dh != 0.0 ? beta - h / dh : 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    const double step = std::abs(next - beta);
    beta = next;
    if (step <= 1e-15 * (1.0 + std::abs(beta)) || hi - lo <= 1e-15 * (1.0 + std::abs(beta))) break;
  }
  return {beta, 0};
}

}  // namespace pr
