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
  int iterations = 0;
};

//! Critical point of composition z, from a start (T, P) near it (the end of a traced
//! saturation curve, say).
//!
//! Michelsen's criteria on the tangent-plane distance of a trial phase W = z + s sqrt(z) u at
//! fixed T and P (Michelsen, Fluid Phase Equilib. 4 (1980) 1; Michelsen and Mollerup,
//! Thermodynamic Models, 2nd ed. 2007, chapter 12): the smallest eigenvalue of
//! B_ij = delta_ij + sqrt(z_i z_j) d ln phi_i/d n_j vanishes, with u its eigenvector, and so
//! does the cubic term d3 tm/ds3 at s = 0. Newton in (ln T, ln P). SolvingError without
//! convergence, with the start and the last residuals.
CriticalPoint critical_point(const Mixture& mix, std::span<const double> z, double T_start_K,
                             double P_start_Pa);

//! Critical point of z from a pseudo-critical estimate (no start needed). A feed with a compound
//! below about 5 % may fail: the criteria at fixed T and P then vary within a region of the
//! dilute fraction's width around the main compound's critical point; the error says so.
CriticalPoint critical_point(const Mixture& mix, std::span<const double> z);

//! The two criteria at T, P: the smallest eigenvalue of B and the cubic term (for tests and
//! for a start search).
struct CriticalityResidual {
  double lambda = 0.0;
  double cubic = 0.0;
};
CriticalityResidual criticality_residual(const Mixture& mix, std::span<const double> z, double T_K,
                                         double P_Pa);

}  // namespace pr
