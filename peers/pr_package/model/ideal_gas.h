#pragma once

namespace pr {

//! Ideal-gas heat capacity of one compound, DIPPR equation 107 (Aly and Lee, 1981).
//!
//!   Cp(T) = c1 + c2 [(c3/T)/sinh(c3/T)]^2 + c4 [(c5/T)/cosh(c5/T)]^2
//!
//! with c1, c2, c4 in J/(mol K) and c3, c5 in K. Outside [Tmin, Tmax] Cp is held at its value at
//! the nearer bound, so that the hyperbolic terms are never evaluated far from their fit; the
//! enthalpy and entropy integrals follow the same rule and stay continuous.
struct AlyLeeCp {
  double c1 = 0.0;
  double c2 = 0.0;
  double c3_K = 1.0;
  double c4 = 0.0;
  double c5_K = 1.0;
  double Tmin_K = 0.0;
  double Tmax_K = 0.0;

  //! Heat capacity and the two antiderivatives at one temperature, sharing the exponentials.
  struct Values {
    double cp;      //!< Cp [J/(mol K)].
    double h;       //!< Antiderivative of Cp, up to a constant [J/mol].
    double s;       //!< Antiderivative of Cp/T, up to a constant [J/(mol K)].
    double dcp_dT;  //!< Temperature derivative of Cp; 0 outside the fitted range [J/(mol K2)].
  };
  //! Cp and the antiderivatives at T; differences of h and s between temperatures are the
  //! enthalpy and entropy changes.
  Values evaluate(double T_K) const;

  //! Ideal-gas heat capacity at T [J/(mol K)].
  double cp(double T_K) const;
  //! Ideal-gas enthalpy change from T_ref_K to T, the integral of Cp dT [J/mol].
  double delta_h(double T_K) const;
  //! Ideal-gas entropy change from T_ref_K to T at constant pressure, integral of Cp/T dT
  //! [J/(mol K)].
  double delta_s(double T_K) const;
};

}  // namespace pr
