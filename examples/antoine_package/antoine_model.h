#pragma once
//! The model of the example package, free of any COM: three aromatics, an ideal gas and an
//! ideal solution whose vapour pressures follow Antoine's equation (Raoult's law), constant
//! ideal-gas heat capacities and a constant heat of vaporisation. SI units throughout.

#include <string>
#include <vector>

namespace antoine {

struct Compound {
  std::string id, formula, cas;
  double mw;                  //!< g/mol
  double tb;                  //!< normal boiling point, K
  double tc, pc;              //!< critical temperature K, pressure Pa
  double a, b, c;             //!< log10(P/mmHg) = a - b / (T/degC + c)
  double cpIdealGas;          //!< J/mol/K
  double heatOfVaporisation;  //!< J/mol
};

//! The compounds the package offers.
const std::vector<Compound>& compounds();

//! Vapour pressure, Pa.
double vapourPressure(const Compound& c, double t);
//! d ln(Psat) / dT, 1/K.
double dLnVapourPressure(const Compound& c, double t);

enum class Phase { Vapor, Liquid };

//! ln of the fugacity coefficient of each compound: 0 in the gas, ln(Psat / P) in the liquid.
std::vector<double> lnPhi(const std::vector<Compound>& cs, Phase p, double t, double pressure);
//! Molar enthalpy of the phase, J/mol (ideal gas at 298.15 K is zero).
double enthalpy(const std::vector<Compound>& cs, Phase p, double t, const std::vector<double>& x);

struct FlashResult {
  double vaporFraction = 0;  //!< mole fraction of the feed in the vapour
  std::vector<double> x, y;  //!< liquid and vapour mole fractions
};
//! Rachford-Rice on K = Psat / P. Throws std::invalid_argument for a bad state or feed.
FlashResult tpFlash(const std::vector<Compound>& cs, double t, double pressure,
                    const std::vector<double>& z);

}  // namespace antoine
