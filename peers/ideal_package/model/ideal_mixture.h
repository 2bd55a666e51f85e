#pragma once
//! The ideal mixture: ideal gas for the vapour, ideal solution for the liquid.
//!
//! Vapour: fugacity coefficients 1, Z = 1. Liquid: phi_i = Psat_i(T) / P (Raoult, no Poynting
//! term), so that H_L,i = H_ig,i - R T^2 dlnPsat_i/dT and S_L,i = S_ig,i(T) - R ln(Psat_i/P0)
//! - R T dlnPsat_i/dT follow from the Gibbs energy; the liquid density comes from the Rackett
//! volumes, mixed linearly. Enthalpy and entropy are referred to the ideal gas at 298.15 K and
//! 101325 Pa. Every value is SI per mole.

#include <string>
#include <vector>

#include "ideal_package/model/compound_table.h"

namespace ideal {

enum class PhaseKind { Vapor, Liquid };

class IdealMixture {
 public:
  explicit IdealMixture(std::vector<Compound> compounds);

  const std::vector<Compound>& compounds() const { return m_compounds; }
  std::size_t size() const { return m_compounds.size(); }

  //! The single-phase properties served (CAPE-OPEN names with their derivatives).
  static const std::vector<std::string>& singlePhaseProperties();
  //! The two-phase properties served.
  static const std::vector<std::string>& twoPhaseProperties();
  //! The temperature-dependent pure-compound properties served.
  static const std::vector<std::string>& temperatureDependentProperties();

  //! A single-phase property by name (ASCII case ignored): one value for a scalar, one per
  //! compound for a per-compound property or a composition derivative of a scalar, n x n
  //! (row i: d value_i / d x_j) for a composition derivative of a per-compound property.
  //! Throws ModelError: InvalidArgument for a name not served, BadArgument for a bad state
  //! (T or P not positive, x of the wrong size, negative or all zero), NotAvailable when a
  //! value is not finite.
  std::vector<double> singlePhase(const std::string& name, PhaseKind phase, double T, double P,
                                  const std::vector<double>& x) const;
  //! A two-phase property of (phase1, phase2): "kvalue" = phi_2 / phi_1 ... x_1 / x_2.
  std::vector<double> twoPhase(const std::string& name, PhaseKind phase1, PhaseKind phase2,
                               double T, double P) const;
  //! ln of the fugacity coefficients and their T and P derivatives.
  std::vector<double> lnPhi(PhaseKind phase, double T, double P) const;
  std::vector<double> dlnPhi_dT(PhaseKind phase, double T, double P) const;
  std::vector<double> dlnPhi_dP(PhaseKind phase, double T, double P) const;
  //! A temperature-dependent property of one compound: vaporPressure [Pa],
  //! vaporPressure.Dtemperature [Pa/K], idealGasHeatCapacity [J/(mol K)], idealGasEnthalpy
  //! [J/mol], idealGasEntropy [J/(mol K)], heatOfVaporization [J/mol].
  double temperatureDependent(const std::string& name, std::size_t compound, double T) const;
  //! Temperature [K] at which the vapour pressure equals P (Newton on Lee-Kesler).
  double boilingTemperature(std::size_t compound, double P) const;

  //! Mole fractions checked and normalised (see singlePhase for the errors).
  std::vector<double> normalised(const std::vector<double>& x, const char* scope) const;

 private:
  std::vector<Compound> m_compounds;
};

}  // namespace ideal
