#include "pr_package/model/ideal_gas.h"

#include <cmath>

#include "pr_package/model/constants.h"

namespace pr {
namespace {

constexpr double kLn2 = 0.69314718055994530942;

// The fitted form inside [Tmin, Tmax], with closed-form antiderivatives (data README):
//   H = c1 T + c2 c3 coth(c3/T) - c4 c5 tanh(c5/T)
//   S = c1 ln T + c2 [x coth x - ln sinh x] - c4 [y tanh y - ln cosh y],  x = c3/T, y = c5/T
// written with exp(-x) so that large arguments cannot overflow.
AlyLeeCp::Values raw(const AlyLeeCp& c, double T) {
  const double x = c.c3_K / T;
  const double ex = std::exp(-x);
  const double one_m = -std::expm1(-2.0 * x);  // 1 - exp(-2x)
  const double coth = (1.0 + ex * ex) / one_m;
  const double xs = 2.0 * x * ex / one_m;  // x / sinh x
  const double log_sinh = x + std::log(one_m) - kLn2;

  const double y = c.c5_K / T;
  const double ey = std::exp(-y);
  const double ey2 = ey * ey;
  const double tanh = (1.0 - ey2) / (1.0 + ey2);
  const double yc = 2.0 * y * ey / (1.0 + ey2);  // y / cosh y
  const double log_cosh = y + std::log1p(ey2) - kLn2;

  AlyLeeCp::Values v;
  v.cp = c.c1 + c.c2 * xs * xs + c.c4 * yc * yc;
  v.h = c.c1 * T + c.c2 * c.c3_K * coth - c.c4 * c.c5_K * tanh;
  v.s = c.c1 * std::log(T) + c.c2 * (x * coth - log_sinh) - c.c4 * (y * tanh - log_cosh);
  // d(u^2)/dT = -2 u^2 (1 - x coth x) / T for u = x / sinh x, x = c3 / T; likewise with tanh.
  v.dcp_dT = -2.0 * (c.c2 * xs * xs * (1.0 - x * coth) + c.c4 * yc * yc * (1.0 - y * tanh)) / T;
  return v;
}

}  // namespace

AlyLeeCp::Values AlyLeeCp::evaluate(double T) const {
  // Outside the fitted range Cp is held constant, and the antiderivatives continue linearly in
  // T and ln T from the bound.
  if (T < Tmin_K) {
    Values b = raw(*this, Tmin_K);
    return {b.cp, b.h + b.cp * (T - Tmin_K), b.s + b.cp * std::log(T / Tmin_K), 0.0};
  }
  if (T > Tmax_K) {
    Values b = raw(*this, Tmax_K);
    return {b.cp, b.h + b.cp * (T - Tmax_K), b.s + b.cp * std::log(T / Tmax_K), 0.0};
  }
  return raw(*this, T);
}

double AlyLeeCp::cp(double T_K) const {
  return evaluate(T_K).cp;
}

double AlyLeeCp::delta_h(double T_K) const {
  return evaluate(T_K).h - evaluate(T_ref_K).h;
}

double AlyLeeCp::delta_s(double T_K) const {
  return evaluate(T_K).s - evaluate(T_ref_K).s;
}

}  // namespace pr
