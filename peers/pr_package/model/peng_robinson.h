#pragma once

#include <vector>

#include "pr_package/model/generic_cubic.h"

namespace pr {

//! Peng-Robinson constants: delta1,2 = 1 +- sqrt(2); Omega_a and Omega_b are the exact values
//! that make the critical point of a pure compound fall on (Tc, Pc) (Peng and Robinson,
//! Ind. Eng. Chem. Fundam. 15 (1976) 59; digits as in Bell et al., teqp,
//! doi:10.1021/acs.iecr.2c00237).
inline constexpr double kPengRobinsonDelta1 = 2.41421356237309504880;
inline constexpr double kPengRobinsonDelta2 = -0.41421356237309504880;
inline constexpr double kPengRobinsonOmegaA = 0.45723552892138218938;
inline constexpr double kPengRobinsonOmegaB = 0.077796073903888455972;

//! Peng-Robinson kappa(omega) [-].
//!
//! omega <= 0.49: kappa = 0.37464 + 1.54226 omega - 0.26992 omega^2 (Peng and Robinson 1976);
//! omega > 0.49:  kappa = 0.379642 + 1.48503 omega - 0.164423 omega^2 + 0.016666 omega^3
//! (Robinson and Peng, GPA Research Report RR-28, 1978).
double peng_robinson_kappa(double omega);

//! The Peng-Robinson equation as a generic cubic: fixes delta1, delta2, Omega_a, Omega_b and a
//! Soave alpha function with kappa(omega) per compound. kij is row-major n x n, symmetric.
GenericCubic make_peng_robinson(std::vector<double> Tc_K, std::vector<double> Pc_Pa,
                                const std::vector<double>& omega, std::vector<double> kij);

}  // namespace pr
