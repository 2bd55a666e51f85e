#pragma once

#include <span>

namespace pr {

//! Solution of the Rachford-Rice equation.
struct RachfordRice {
  double beta = 0.0;  //!< Vapour fraction; may lie outside [0, 1] (negative flash) [-].
  //! -1 when every K <= 1 (no vapour possible), +1 when every K >= 1 (no liquid), else 0.
  int one_sided = 0;
};

//! Solves sum_i z_i (K_i - 1) / (1 + beta (K_i - 1)) = 0 for beta on the whole interval where
//! every phase amount stays positive, (1/(1 - K_max), 1/(1 - K_min)), so that single-phase
//! states give a root outside [0, 1] (Whitson and Michelsen, Fluid Phase Equilib. 53 (1989) 51).
//!
//! Newton on the function multiplied by (beta - beta_min)(beta_max - beta), which removes the
//! poles at both ends (Leibovici and Neoschil, Fluid Phase Equilib. 74 (1992) 303), kept inside
//! a bisection bracket. Compounds with z_i = 0 are ignored.
RachfordRice solve_rachford_rice(std::span<const double> z, std::span<const double> K);

//! Rachford-Rice residual sum_i z_i (K_i - 1) / (1 + beta (K_i - 1)) at a given beta [-].
double rachford_rice_residual(std::span<const double> z, std::span<const double> K, double beta);

}  // namespace pr
