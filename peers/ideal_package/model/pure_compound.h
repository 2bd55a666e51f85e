#pragma once
//! Pure-compound correlations of the ideal package, SI per mole.

#include "ideal_package/model/compound_table.h"

namespace ideal {

//! Molar gas constant [J/(mol K)] (CODATA 2018, exact).
inline constexpr double R_JmolK = 8.314462618;
//! Reference state of enthalpy and entropy: ideal gas at 298.15 K and 101325 Pa.
inline constexpr double T0_K = 298.15;
inline constexpr double P0_Pa = 101325.0;

//! ln of the vapour pressure [ln Pa] and its first two temperature derivatives.
struct LnVaporPressure {
  double lnP = 0;        //!< [ln Pa]
  double dlnP_dT = 0;    //!< [1/K]
  double d2lnP_dT2 = 0;  //!< [1/K^2]
};

//! Lee-Kesler corresponding-states vapour pressure:
//! ln(Psat/Pc) = f0(Tr) + omega f1(Tr), f0 = 5.92714 - 6.09648/Tr - 1.28862 ln Tr
//! + 0.169347 Tr^6, f1 = 15.2518 - 15.6875/Tr - 13.4721 ln Tr + 0.43577 Tr^6
//! (Lee and Kesler, AIChE J. 21 (1975) 510). Used above Tc as an extrapolation.
LnVaporPressure leeKesler(const Compound& c, double T_K);

//! Ideal-gas heat capacity with its integrals from T0_K.
struct IdealGasState {
  double Cp = 0;  //!< [J/(mol K)]
  double H = 0;   //!< H(T) - H(T0) [J/mol]
  double S = 0;   //!< integral of Cp/T from T0 [J/(mol K)]
};

//! Aly-Lee (DIPPR 107) Cp = c1 + c2 [(c3/T)/sinh(c3/T)]^2 + c4 [(c5/T)/cosh(c5/T)]^2 with its
//! closed-form integrals; Cp is held constant outside the correlation's range.
IdealGasState alyLee(const Compound& c, double T_K);

//! Saturated-liquid molar volume [m3/mol] and its temperature derivative [m3/(mol K)].
struct LiquidVolume {
  double V = 0;
  double dV_dT = 0;
};

//! Spencer-Danner modified Rackett: V = (R Tc/Pc) Z_RA^(1 + (1 - Tr)^(2/7)), Z_RA falling back
//! to Zc; above Tc the critical value is kept.
LiquidVolume rackett(const Compound& c, double T_K);

}  // namespace ideal
