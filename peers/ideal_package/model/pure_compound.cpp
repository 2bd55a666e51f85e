#include "ideal_package/model/pure_compound.h"

#include <cmath>

namespace ideal {

LnVaporPressure leeKesler(const Compound& c, double T) {
  const double Tr = T / c.Tc_K;
  const double Tr5 = std::pow(Tr, 5), Tr6 = Tr5 * Tr;
  const double f0 = 5.92714 - 6.09648 / Tr - 1.28862 * std::log(Tr) + 0.169347 * Tr6;
  const double f1 = 15.2518 - 15.6875 / Tr - 13.4721 * std::log(Tr) + 0.43577 * Tr6;
  const double df0 = 6.09648 / (Tr * Tr) - 1.28862 / Tr + 6 * 0.169347 * Tr5;
  const double df1 = 15.6875 / (Tr * Tr) - 13.4721 / Tr + 6 * 0.43577 * Tr5;
  const double d2f0 =
      -2 * 6.09648 / (Tr * Tr * Tr) + 1.28862 / (Tr * Tr) + 30 * 0.169347 * Tr * Tr * Tr * Tr;
  const double d2f1 =
      -2 * 15.6875 / (Tr * Tr * Tr) + 13.4721 / (Tr * Tr) + 30 * 0.43577 * Tr * Tr * Tr * Tr;
  LnVaporPressure out;
  out.lnP = std::log(c.Pc_Pa) + f0 + c.omega * f1;
  out.dlnP_dT = (df0 + c.omega * df1) / c.Tc_K;
  out.d2lnP_dT2 = (d2f0 + c.omega * d2f1) / (c.Tc_K * c.Tc_K);
  return out;
}

namespace {

//! ln(sinh x) and ln(cosh x) without overflow for large x (x > 0).
double lnSinh(double x) {
  return x > 20 ? x + std::log1p(-std::exp(-2 * x)) - std::log(2.0) : std::log(std::sinh(x));
}
double lnCosh(double x) {
  return x > 20 ? x + std::log1p(std::exp(-2 * x)) - std::log(2.0) : std::log(std::cosh(x));
}

//! Cp and the (un-referenced) integrals of the correlation itself, inside its range.
IdealGasState alyLeeRaw(const Compound& c, double T) {
  const double a = c.cp[2] / T, b = c.cp[4] / T;
  IdealGasState s;
  const double sa = a / std::sinh(a), cb = b / std::cosh(b);
  s.Cp = c.cp[0] + c.cp[1] * sa * sa + c.cp[3] * cb * cb;
  s.H = c.cp[0] * T + c.cp[1] * c.cp[2] / std::tanh(a) - c.cp[3] * c.cp[4] * std::tanh(b);
  s.S = c.cp[0] * std::log(T) + c.cp[1] * (a / std::tanh(a) - lnSinh(a)) -
        c.cp[3] * (b * std::tanh(b) - lnCosh(b));
  return s;
}

//! The correlation with Cp held constant outside [Tmin, Tmax].
IdealGasState alyLeeHeld(const Compound& c, double T) {
  const double Tl = c.cp_Tmin_K, Th = c.cp_Tmax_K;
  if (T >= Tl && T <= Th) return alyLeeRaw(c, T);
  const double Te = T < Tl ? Tl : Th;
  IdealGasState e = alyLeeRaw(c, Te);
  e.H += e.Cp * (T - Te);
  e.S += e.Cp * std::log(T / Te);
  return e;
}

}  // namespace

IdealGasState alyLee(const Compound& c, double T) {
  IdealGasState s = alyLeeHeld(c, T);
  const IdealGasState ref = alyLeeHeld(c, T0_K);
  s.H -= ref.H;
  s.S -= ref.S;
  return s;
}

LiquidVolume rackett(const Compound& c, double T) {
  const double zra = c.rackett_ZRA.value_or(c.Zc);
  const double Tr = T / c.Tc_K;
  const double base = R_JmolK * c.Tc_K / c.Pc_Pa;
  LiquidVolume out;
  if (Tr >= 1) {
    out.V = base * zra;
    return out;
  }
  const double tau = std::pow(1 - Tr, 2.0 / 7.0);
  out.V = base * std::pow(zra, 1 + tau);
  // d tau/dT = -(2/7) (1 - Tr)^(-5/7) / Tc
  const double dtau_dT = -(2.0 / 7.0) * std::pow(1 - Tr, -5.0 / 7.0) / c.Tc_K;
  out.dV_dT = out.V * std::log(zra) * dtau_dT;
  return out;
}

}  // namespace ideal
