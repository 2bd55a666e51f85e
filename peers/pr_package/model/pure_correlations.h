#pragma once

namespace pr {

//! The temperature correlations of the compound data for saturated-liquid and dilute-gas
//! transport properties, each valid on [Tmin_K, Tmax_K].

//! DIPPR equation 101: y = exp(A + B/T + C ln T + D T^E).
struct Dippr101 {
  double A = 0.0, B = 0.0, C = 0.0, D = 0.0, E = 0.0;
  double Tmin_K = 0.0, Tmax_K = 0.0;
  double operator()(double T_K) const;
};

//! DIPPR equation 102: y = A T^B / (1 + C/T + D/T^2).
struct Dippr102 {
  double A = 0.0, B = 0.0, C = 0.0, D = 0.0;
  double Tmin_K = 0.0, Tmax_K = 0.0;
  double operator()(double T_K) const;
};

//! ChemSep equation 16: y = A + exp(B/T + C + D T + E T^2).
struct ChemSep16 {
  double A = 0.0, B = 0.0, C = 0.0, D = 0.0, E = 0.0;
  double Tmin_K = 0.0, Tmax_K = 0.0;
  double operator()(double T_K) const;
};

}  // namespace pr
