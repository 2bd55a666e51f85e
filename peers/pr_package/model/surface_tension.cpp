#include "pr_package/model/surface_tension.h"

#include <cmath>

#include "pr_package/model/saturation.h"

namespace pr {

SurfaceTension::SurfaceTension(const Mixture& mix) : m_mix(mix) {
  for (std::size_t i = 0; i < mix.size(); ++i) {
    const CompoundRecord& c = mix.compound(i);
    double Tb = c.Tb_K.value_or(0.0);
    if (!(Tb > 0.0 && Tb < c.Tc_K)) Tb = saturation_at_P(mix, i, 101325.0).T_K;
    m_Tb_K.push_back(Tb);
    const double Tref = 0.7 * c.Tc_K;
    const SaturationPoint s = saturation_at_T(mix, i, Tref);
    const double drho = 1.0 / s.V_liq_m3mol - 1.0 / s.V_vap_m3mol;
    m_parachor.push_back(std::pow(brock_bird(i, Tref), 0.25) / drho);
  }
}

double SurfaceTension::brock_bird(std::size_t i, double T) const {
  const CompoundRecord& c = m_mix.compound(i);
  if (T >= c.Tc_K) return 0.0;
  const double Pc_bar = 1e-5 * c.Pc_Pa;
  const double Tbr = m_Tb_K[i] / c.Tc_K;
  const double Q = 0.1196 * (1.0 + Tbr * std::log(Pc_bar / 1.01325) / (1.0 - Tbr)) - 0.279;
  const double sigma_mNm =
      std::pow(Pc_bar, 2.0 / 3.0) * std::cbrt(c.Tc_K) * Q * std::pow(1.0 - T / c.Tc_K, 11.0 / 9.0);
  return 1e-3 * sigma_mNm;
}

double SurfaceTension::mixture(std::span<const double> x, double rho_liq, std::span<const double> y,
                               double rho_vap) const {
  double s = 0.0;
  for (std::size_t i = 0; i < m_mix.size(); ++i) {
    s += m_parachor[i] * (x[i] * rho_liq - y[i] * rho_vap);
  }
  return s > 0.0 ? s * s * s * s : 0.0;
}

}  // namespace pr
