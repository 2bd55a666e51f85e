#pragma once

#include <span>
#include <vector>

#include "pr_package/model/mixture.h"

namespace pr {

//! Vapour-liquid surface tension by the Macleod-Sugden relation with parachors,
//!
//!   sigma^(1/4) = sum_i [P]_i (x_i rho_L - y_i rho_V)   (Weinaug and Katz, 1943),
//!
//! where each parachor [P]_i is fixed from the compound data: the Brock-Bird corresponding-states
//! surface tension (Poling et al., 5th ed., eq. 12-3.5, from Tc, Pc and Tb) at Tr = 0.7 divided
//! by the difference of the saturated liquid and vapour densities of the equation of state there.
//! A pure compound thus meets Brock-Bird at Tr = 0.7 and follows Macleod-Sugden elsewhere;
//! dissolved light gases lower the mixture value through their small liquid-phase share.
//! Where Tb is missing (carbon dioxide) the equation's own saturation temperature at 101325 Pa
//! stands in.
class SurfaceTension {
 public:
  explicit SurfaceTension(const Mixture& mix);

  //! Parachor of compound i [(N/m)^(1/4) m3/mol].
  double parachor(std::size_t i) const { return m_parachor[i]; }
  //! Brock-Bird surface tension of pure compound i at T; 0 at or above Tc [N/m].
  double brock_bird(std::size_t i, double T_K) const;
  //! Surface tension between a liquid (x, rho_L) and a vapour (y, rho_V) [N/m].
  double mixture(std::span<const double> x, double rho_liq_molm3, std::span<const double> y,
                 double rho_vap_molm3) const;

 private:
  const Mixture& m_mix;
  std::vector<double> m_Tb_K;
  std::vector<double> m_parachor;
};

}  // namespace pr
