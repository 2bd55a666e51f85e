#pragma once

#include <variant>

namespace pr {

//! Value of an alpha function and its first two temperature derivatives.
struct AlphaValue {
  double alpha = 1.0;        //!< [-]
  double dalpha_dT = 0.0;    //!< [1/K]
  double d2alpha_dT2 = 0.0;  //!< [1/K2]
  double d3alpha_dT3 = 0.0;  //!< [1/K3]
};

//! Soave-type alpha function: alpha(T) = [1 + kappa (1 - sqrt(T/Tc))]^2.
//!
//! Soave, Chem. Eng. Sci. 27 (1972) 1197; the form Peng and Robinson (1976) adopted.
struct SoaveAlpha {
  double Tc_K = 1.0;
  double kappa = 0.0;
  AlphaValue operator()(double T_K) const;
};

//! One alpha function per compound; further forms (Twu, Mathias-Copeman) slot in here.
using AlphaFunction = std::variant<SoaveAlpha>;

//! Evaluates any alpha function at T.
AlphaValue evaluate(const AlphaFunction& alpha, double T_K);

}  // namespace pr
