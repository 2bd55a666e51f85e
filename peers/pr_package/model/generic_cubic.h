#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "pr_package/model/alpha_function.h"

namespace pr {

//! Which root of the cubic a phase takes.
enum class RootChoice {
  Vapour,    //!< Largest compressibility factor.
  Liquid,    //!< Smallest compressibility factor.
  MinGibbs,  //!< The root of lowest Gibbs energy (the stable one of the two).
};

//! How much of the residual state to compute.
enum class Level {
  LnPhi,  //!< Root, Z, V and ln phi only (the inner loops of the flash).
  Full,   //!< Everything, with temperature, pressure and mole-number derivatives.
};

//! Residual properties of one phase at T, P and mole fractions x, for one mole of mixture.
//!
//! Residual means "real minus ideal gas at the same T, P and composition". Holds its own
//! buffers, so evaluating into the same object again does not allocate.
struct ResidualState {
  std::size_t n = 0;   //!< Number of compounds.
  int root_count = 0;  //!< Admissible real roots of the cubic (1 or 2, the unstable dropped).
  bool is_largest_root = true;  //!< The chosen root is the largest one.
  double T_K = 0.0;
  double P_Pa = 0.0;
  double Z = 0.0;        //!< Compressibility factor [-].
  double V_m3mol = 0.0;  //!< Molar volume [m3/mol].

  // Full level only.
  double dP_dT_V = 0.0;     //!< (dP/dT) at constant V and n [Pa/K].
  double dP_dV_T = 0.0;     //!< (dP/dV) at constant T and n, for one mole [Pa mol/m3].
  double dV_dT_P = 0.0;     //!< (dV/dT) at constant P and n [m3/(mol K)].
  double dV_dP_T = 0.0;     //!< (dV/dP) at constant T and n [m3/(mol Pa)].
  double a_res = 0.0;       //!< Residual Helmholtz energy at T, V [J/mol].
  double h_res = 0.0;       //!< Residual enthalpy [J/mol].
  double s_res = 0.0;       //!< Residual entropy at T, P [J/(mol K)].
  double g_res = 0.0;       //!< Residual Gibbs energy at T, P [J/mol].
  double cv_res = 0.0;      //!< Residual isochoric heat capacity [J/(mol K)].
  double cp_res = 0.0;      //!< Residual isobaric heat capacity [J/(mol K)].
  double dcv_res_dT = 0.0;  //!< d cv_res / dT at constant P [J/(mol K2)].
  double dcv_res_dP = 0.0;  //!< d cv_res / dP at constant T [J/(mol K Pa)].
  double dcp_res_dT = 0.0;  //!< d cp_res / dT at constant P [J/(mol K2)].
  double dcp_res_dP = 0.0;  //!< d cp_res / dP at constant T [J/(mol K Pa)].
  double phase_id = 0.0;    //!< Phase identification parameter Pi; below 1 gas-like [-].

  std::vector<double> lnphi;      //!< ln fugacity coefficients [-], n values.
  std::vector<double> dlnphi_dT;  //!< At constant P and n [1/K], n values.
  std::vector<double> dlnphi_dP;  //!< At constant T and n [1/Pa], n values.
  std::vector<double> dlnphi_dn;  //!< d lnphi_i / d n_j at T, P, one mole total [1/mol], n*n.
  std::vector<double> V_partial;  //!< Partial molar volumes [m3/mol], n values.

  // Scratch.
  std::vector<double> s, s_T, s_TT, s_TTT, D_i, D_iT, P_i;

  void resize(std::size_t count);
};

//! A two-parameter cubic equation of state with van der Waals one-fluid mixing:
//!
//!   P = R T / (V - b) - a(T) / ((V + delta1 b)(V + delta2 b))
//!   a_i = Omega_a R^2 Tc_i^2 / Pc_i alpha_i(T),  b_i = Omega_b R Tc_i / Pc_i
//!   a = sum_ij x_i x_j (1 - k_ij) sqrt(a_i a_j),   b = sum_i x_i b_i
//!
//! Everything is derived from one function, the reduced residual Helmholtz energy of n moles
//! (Michelsen and Mollerup, Thermodynamic Models: Fundamentals and Computational Aspects,
//! 2nd ed. 2007, chapter 3):
//!
//!   F(n, T, V) = A_res / (R T) = -n g(V, B) - D(T) f(V, B) / T
//!   g = ln(1 - B/V),  f = ln((V + delta1 B)/(V + delta2 B)) / (R B (delta1 - delta2))
//!
//! with B = n b and D = n^2 a. Its derivatives in n, T and V give pressure, fugacity
//! coefficients, departure functions and all their derivatives in one place.
class GenericCubic {
 public:
  GenericCubic(double delta1, double delta2, double Omega_a, double Omega_b,
               std::vector<double> Tc_K, std::vector<double> Pc_Pa,
               std::vector<AlphaFunction> alpha, std::vector<double> kij);

  std::size_t size() const { return m_b.size(); }
  double delta1() const { return m_delta1; }
  double delta2() const { return m_delta2; }
  //! Co-volume of compound i [m3/mol].
  double b(std::size_t i) const { return m_b[i]; }
  //! Energy parameter of compound i at T [Pa m6/mol2].
  double a(std::size_t i, double T_K) const;
  double kij(std::size_t i, std::size_t j) const { return m_kij[i * size() + j]; }

  //! Residual state of a phase at T, P and normalised mole fractions x.
  void residual(double T_K, double P_Pa, std::span<const double> x, RootChoice root, Level level,
                ResidualState& out) const;

  //! Pressure at T and molar volume V for mole fractions x [Pa].
  double pressure(double T_K, double V_m3mol, std::span<const double> x) const;

  //! Admissible compressibility-factor roots at T, P, x, ascending (1 or 2 values; the middle
  //! root of three is unstable and left out).
  std::vector<double> z_roots(double T_K, double P_Pa, std::span<const double> x) const;

 private:
  struct Mix {
    double B, D, D_T, D_TT, D_TTT;
  };
  Mix mix(double T, std::span<const double> x, ResidualState& w, bool full) const;
  int roots(double A, double B, double z[3]) const;

  double m_delta1, m_delta2, m_Omega_a, m_Omega_b;
  std::vector<double> m_Tc_K, m_Pc_Pa;
  std::vector<AlphaFunction> m_alpha;
  std::vector<double> m_kij;  // row-major n x n
  std::vector<double> m_ac;   // Omega_a R^2 Tc^2 / Pc
  std::vector<double> m_b;
};

//! Real roots of z^3 + c2 z^2 + c1 z + c0 = 0, ascending, polished by Newton; returns the count.
int solve_cubic(double c2, double c1, double c0, double roots[3]);

}  // namespace pr
