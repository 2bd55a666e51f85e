#include "pr_package/model/alpha_function.h"

#include <cmath>

namespace pr {

AlphaValue SoaveAlpha::operator()(double T) const {
  // m = 1 + kappa (1 - sqrt(Tr)); alpha = m^2.
  const double sqrtTr = std::sqrt(T / Tc_K);
  const double m = 1.0 + kappa * (1.0 - sqrtTr);
  const double dm = -kappa * sqrtTr / (2.0 * T);
  const double d2m = kappa * sqrtTr / (4.0 * T * T);
  const double d3m = -3.0 * kappa * sqrtTr / (8.0 * T * T * T);
  return {m * m, 2.0 * m * dm, 2.0 * (dm * dm + m * d2m), 2.0 * (m * d3m + 3.0 * dm * d2m)};
}

AlphaValue evaluate(const AlphaFunction& alpha, double T_K) {
  return std::visit([T_K](const auto& a) { return a(T_K); }, alpha);
}

}  // namespace pr
