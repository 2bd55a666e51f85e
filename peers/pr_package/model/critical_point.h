#pragma once

#include <span>
#include <vector>

#include "pr_package/model/mixture.h"

namespace pr {

//! A mixture critical point: where the phases of the saturation curve of a composition become
//! identical.
struct CriticalPoint {
  double T_K = 0.0;
  double P_Pa = 0.0;
  double V_m3mol = 0.0;  //!< Molar volume [m3/mol].
  int iterations = 0;    //!< Criteria evaluations spent on this point.
};

//! The two criteria of Heidemann and Khalil at fixed T and V (AIChE J. 26 (1980) 769), in
//! Michelsen's scaled form (Fluid Phase Equilib. 4 (1980) 1; Michelsen and Mollerup,
//! Thermodynamic Models, 2nd ed. 2007, chapter 12), for one mole of feed z:
//!
//!   lambda: smallest eigenvalue of M_ij = sqrt(z_i z_j) d2(A/RT)/dn_i dn_j, the stability limit;
//!   cubic:  sum_ijk dn_i dn_j dn_k d3(A/RT)/dn_i dn_j dn_k along dn = sqrt(z) u, u its unit
//!           eigenvector signed so that the co-volume grows along dn.
//!
//! Both from closed-form second and third composition derivatives of the cubic's Helmholtz
//! energy. Zero together at a critical point.
struct CriticalityResidual {
  double lambda = 0.0;
  double cubic = 0.0;
};
CriticalityResidual criticality_residual(const Mixture& mix, std::span<const double> z, double T_K,
                                         double V_m3mol);

//! Every critical point of z the search finds, hottest first: each stability-limit branch
//! T(V) (all roots of lambda in T, scanned at packing fractions B/V from 0.02 to 0.9) is
//! followed in V for a change of sign of the cubic term, which is then bracketed down to
//! 1e-13. Points of negative pressure or outside the model's range are left out. A single
//! compound gives its own Tc and Pc. Empty when none is found.
std::vector<CriticalPoint> critical_points(const Mixture& mix, std::span<const double> z);

//! Critical point of composition z, from a start (T, P) near it (the end of a traced
//! saturation curve, say): Newton on the two criteria in (ln T, ln V); without convergence,
//! the point of critical_points() nearest the start. SolvingError when there is none.
CriticalPoint critical_point(const Mixture& mix, std::span<const double> z, double T_start_K,
                             double P_start_Pa);

//! Critical point of z with no start: the first of critical_points(). SolvingError when there
//! is none.
CriticalPoint critical_point(const Mixture& mix, std::span<const double> z);

}  // namespace pr
