#pragma once

#include <span>

#include "pr_package/model/mixture.h"

namespace pr {

//! Viscosity and thermal conductivity of a gas or liquid mixture by the corresponding-states
//! method of Chung, Ajlan, Lee and Starling (Ind. Eng. Chem. Res. 27 (1988) 671), with its
//! dense-fluid correction, as given by Poling, Prausnitz and O'Connell, The Properties of Gases
//! and Liquids, 5th ed. (2001), eqs. 9-4.10, 9-5.24 to 9-5.44, 9-6.18 to 9-6.21 and 10-5.5,
//! tables 9-6 and 10-5.
//!
//! The density comes from the equation of state, so the same formula serves both phases.
//! Mixtures use Chung's one-fluid rules for sigma, epsilon, omega, M and the dipole moment. The
//! association factor kappa is taken as 0 (the compound data has none), which makes the method
//! less accurate for water and the alcohols.
class ChungTransport {
 public:
  explicit ChungTransport(const Mixture& mix) : m_mix(mix) {}

  //! Viscosity at T, molar density rho and mole fractions x [Pa s].
  double viscosity(double T_K, double rho_molm3, std::span<const double> x) const;
  //! Thermal conductivity at T, molar density rho and mole fractions x; cv_ig is the ideal-gas
  //! isochoric heat capacity of the mixture [W/(m K)].
  double thermal_conductivity(double T_K, double rho_molm3, std::span<const double> x,
                              double cv_ig_JmolK) const;

  //! One-fluid pseudo-compound of Chung's mixing rules (Poling et al. eqs. 9-5.24 to 9-5.44).
  struct Pseudo {
    double Tc_K, Vc_cm3mol, omega, M_gmol, mu_r, Fc;
  };
  Pseudo pseudo(std::span<const double> x) const;

 private:
  const Mixture& m_mix;
};

}  // namespace pr
