#include "pr_package/model/saturation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"

namespace pr {

SaturationPoint saturation_at_T(const Mixture& mix, std::size_t i, double T) {
  const CompoundRecord& c = mix.compound(i);
  if (!(T > 0.0) || !(T < c.Tc_K * (1.0 - 1e-7))) {
    throw Error(ErrorKind::OutOfBounds, "pr::saturation_at_T",
                cat("T = ", T, " K is not below the critical temperature ", c.Tc_K, " K of '",
                    c.name, "'"));
  }
  std::vector<double> x(mix.size(), 0.0);
  x[i] = 1.0;
  const double Vc_model = 0.3074013086987 * R_JmolK * c.Tc_K / c.Pc_Pa;
  PhaseState liq, vap;
  // Wilson's estimate as a start (Wilson 1968, as given by Michelsen and Mollerup).
  double lnP = std::log(c.Pc_Pa) + 5.373 * (1.0 + c.omega) * (1.0 - c.Tc_K / T);
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::log(c.Pc_Pa) + 1.0;
  for (int it = 0; it < 200; ++it) {
    const double P = std::exp(lnP);
    mix.evaluate(T, P, x, RootChoice::Liquid, Level::LnPhi, liq);
    mix.evaluate(T, P, x, RootChoice::Vapour, Level::LnPhi, vap);
    double next;
    if (liq.res.root_count == 2) {
      const double d = liq.res.lnphi[i] - vap.res.lnphi[i];
      if (d > 0.0)
        lo = lnP;
      else
        hi = lnP;  // liquid fugacity above vapour: P below P_sat
      const double dlnP = -d / (liq.res.Z - vap.res.Z);
      if (std::abs(dlnP) < 1e-13) {
        SaturationPoint s;
        s.T_K = T;
        s.P_Pa = P;
        mix.evaluate(T, P, x, RootChoice::Liquid, Level::Full, liq);
        mix.evaluate(T, P, x, RootChoice::Vapour, Level::Full, vap);
        s.V_liq_m3mol = liq.res.V_m3mol;
        s.V_vap_m3mol = vap.res.V_m3mol;
        s.h_vap_Jmol = vap.res.h_res - liq.res.h_res;
        s.dP_dT_PaK = s.h_vap_Jmol / (T * (s.V_vap_m3mol - s.V_liq_m3mol));
        return s;
      }
      next = lnP + dlnP;
    } else if (liq.res.V_m3mol > Vc_model) {
      lo = lnP;  // only a gas-like root: below the liquid spinodal
      next = lnP + 1.0;
    } else {
      hi = lnP;  // only a liquid-like root: above the vapour spinodal
      next = lnP - 1.0;
    }
    if (std::isfinite(lo) && (next <= lo || next >= hi)) next = 0.5 * (lo + hi);
    if (!std::isfinite(lo) && next >= hi) next = hi - 1.0;
    lnP = next;
  }
  throw Error(ErrorKind::SolvingError, "pr::saturation_at_T",
              cat("no convergence for '", c.name, "' at T = ", T, " K"));
}

SaturationPoint saturation_at_P(const Mixture& mix, std::size_t i, double P) {
  const CompoundRecord& c = mix.compound(i);
  if (!(P > 0.0) || !(P < c.Pc_Pa * (1.0 - 1e-7))) {
    throw Error(ErrorKind::OutOfBounds, "pr::saturation_at_P",
                cat("P = ", P, " Pa is not below the critical pressure ", c.Pc_Pa, " Pa of '",
                    c.name, "'"));
  }
  // Wilson's estimate inverted for T, then Newton on ln P_sat(T) - ln P in 1/T.
  const double T_hi = c.Tc_K * (1.0 - 1e-7);
  double T = c.Tc_K / (1.0 - std::log(P / c.Pc_Pa) / (5.373 * (1.0 + c.omega)));
  T = std::min(std::max(T, 0.05 * c.Tc_K), 0.999 * c.Tc_K);
  double lo = 0.0, hi = T_hi;
  for (int it = 0; it < 100; ++it) {
    const SaturationPoint s = saturation_at_T(mix, i, T);
    const double r = std::log(s.P_Pa / P);
    if (r < 0.0)
      lo = T;
    else
      hi = T;
    // d ln P_sat / d(1/T) = -T^2 (dP/dT) / P
    const double slope = -T * T * s.dP_dT_PaK / s.P_Pa;
    const double inv = 1.0 / T - r / slope;
    double next = inv > 0.0 ? 1.0 / inv : 0.5 * (lo + hi);
    if (next <= lo || next >= hi) next = 0.5 * (lo + hi);
    if (std::abs(r) < 1e-12) {
      SaturationPoint out = s;
      return out;
    }
    T = next;
  }
  throw Error(ErrorKind::SolvingError, "pr::saturation_at_P",
              cat("no convergence for '", c.name, "' at P = ", P, " Pa"));
}

}  // namespace pr
