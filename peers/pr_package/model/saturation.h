#pragma once

#include <cstddef>

#include "pr_package/model/mixture.h"

namespace pr {

//! A saturation point of a pure compound on the model's own (Peng-Robinson) phase boundary.
struct SaturationPoint {
  double T_K = 0.0;
  double P_Pa = 0.0;         //!< Vapour pressure [Pa].
  double V_liq_m3mol = 0.0;  //!< Saturated-liquid molar volume [m3/mol].
  double V_vap_m3mol = 0.0;  //!< Saturated-vapour molar volume [m3/mol].
  double h_vap_Jmol = 0.0;   //!< Enthalpy of vaporization [J/mol].
  double dP_dT_PaK = 0.0;    //!< Slope of the vapour-pressure curve, Clapeyron [Pa/K].
};

//! Vapour pressure of compound i of the mixture at T, from equal liquid and vapour fugacities
//! of the equation of state (Newton in ln P on ln phi_L - ln phi_V, bracketed by the sign of
//! that difference and by the side of the single root where only one exists).
//!
//! dP/dT comes from the Clapeyron equation dP/dT = h_vap / (T (V_vap - V_liq)), exact for the
//! equation's own saturation curve. OutOfBounds at or above Tc, SolvingError without
//! convergence.
SaturationPoint saturation_at_T(const Mixture& mix, std::size_t i, double T_K);

//! Saturation temperature of compound i at P (Newton in 1/T on ln P_sat); OutOfBounds at or
//! above Pc.
SaturationPoint saturation_at_P(const Mixture& mix, std::size_t i, double P_Pa);

}  // namespace pr
