#pragma once

//! Physical constants and reference states of the package, SI per mole.

namespace pr {

//! Molar gas constant, CODATA 2018 (exact by the 2019 SI definition) [J/(mol K)].
inline constexpr double R_JmolK = 8.314462618;
//! Avogadro constant, exact by the 2019 SI definition [1/mol].
inline constexpr double Avogadro_per_mol = 6.02214076e23;
//! Boltzmann constant, exact by the 2019 SI definition [J/K].
inline constexpr double Boltzmann_JK = 1.380649e-23;
//! Speed of light in vacuum, exact [m/s].
inline constexpr double SpeedOfLight_ms = 299792458.0;
//! Standard acceleration of gravity (CGPM 1901) [m/s2].
inline constexpr double StandardGravity_ms2 = 9.80665;

//! Reference temperature of enthalpies of formation and of the entropy origin [K].
inline constexpr double T_ref_K = 298.15;
//! Reference pressure of the ideal-gas entropy origin [Pa].
inline constexpr double P_ref_Pa = 101325.0;

//! Range of states the model accepts; outside it the package reports OutOfBounds.
inline constexpr double T_min_K = 1.0;
inline constexpr double T_max_K = 5000.0;
inline constexpr double P_min_Pa = 1e-3;
inline constexpr double P_max_Pa = 1e9;

}  // namespace pr
