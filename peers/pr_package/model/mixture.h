#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "pr_package/model/compound_data.h"
#include "pr_package/model/generic_cubic.h"

namespace pr {

//! Everything about one phase at T, P and mole fractions x, for one mole of mixture.
//!
//! Enthalpy is referenced to the elements at 298.15 K (the ideal-gas enthalpy of formation of
//! each compound); entropy to each pure compound as ideal gas at 298.15 K and 101325 Pa, plus
//! the ideal mixing term -R sum x ln x.
struct PhaseState {
  ResidualState res;      //!< Residual part (root, Z, ln phi and their derivatives).
  std::vector<double> x;  //!< Mole fractions [-].
  double T_K = 0.0;
  double P_Pa = 0.0;
  bool full = false;  //!< Evaluated at Level::Full (all fields below are set).

  std::vector<double> cp_ig_i;  //!< Pure ideal-gas heat capacities [J/(mol K)].
  std::vector<double> h_ig_i;   //!< Pure ideal-gas enthalpies [J/mol].
  std::vector<double> s_ig_i;   //!< Pure ideal-gas entropies at T, P [J/(mol K)].
  double MW_kgmol = 0.0;        //!< Molar mass [kg/mol].
  double cp_ig = 0.0;           //!< Ideal-gas mixture Cp [J/(mol K)].
  double dcp_ig_dT = 0.0;       //!< Its temperature derivative [J/(mol K2)].
  double h_ig = 0.0;            //!< Ideal-gas mixture enthalpy [J/mol].
  double s_ig = 0.0;            //!< Ideal-gas mixture entropy with mixing term [J/(mol K)].

  double h = 0.0;   //!< Enthalpy [J/mol].
  double s = 0.0;   //!< Entropy [J/(mol K)].
  double u = 0.0;   //!< Internal energy [J/mol].
  double g = 0.0;   //!< Gibbs energy [J/mol].
  double a = 0.0;   //!< Helmholtz energy [J/mol].
  double cp = 0.0;  //!< Isobaric heat capacity [J/(mol K)].
  double cv = 0.0;  //!< Isochoric heat capacity [J/(mol K)].

  std::vector<double> dcp_ig_i;  // pure ideal-gas dCp/dT, cached with T
  std::vector<double> s_ig0_i;   // pure ideal-gas entropies at T and P_ref, cached with T
  double ig_cache_T_K = -1.0;    // temperature of the cached pure ideal-gas values

  std::size_t size() const { return x.size(); }
};

//! The Peng-Robinson property model of a chosen list of compounds: the cubic, the ideal-gas
//! heat capacities and the compound constants, in the order the compounds were chosen.
class Mixture {
 public:
  //! kij is row-major n x n in the order of compounds.
  Mixture(std::vector<CompoundRecord> compounds, std::vector<double> kij);
  //! The compounds named (id or CAS, case-insensitive) from a database; InvalidArgument for an
  //! unknown or repeated name, or an empty list.
  static Mixture from_database(const CompoundDatabase& db, const std::vector<std::string>& names);

  std::size_t size() const { return m_compounds.size(); }
  const CompoundRecord& compound(std::size_t i) const { return m_compounds[i]; }
  const GenericCubic& cubic() const { return m_cubic; }

  //! Evaluates a phase at T, P and normalised mole fractions x into out (no allocation when out
  //! was used for this mixture before).
  void evaluate(double T_K, double P_Pa, std::span<const double> x, RootChoice root, Level level,
                PhaseState& out) const;

  //! Molar mass of a mixture [kg/mol].
  double molar_mass_kgmol(std::span<const double> x) const;
  //! Ideal-gas enthalpy of compound i, with its enthalpy of formation [J/mol].
  double h_ig(std::size_t i, double T_K) const;
  //! Ideal-gas entropy of pure compound i at T and P [J/(mol K)].
  double s_ig(std::size_t i, double T_K, double P_Pa) const;

 private:
  std::vector<CompoundRecord> m_compounds;
  GenericCubic m_cubic;
  std::vector<double> m_h_ref, m_s_ref;  // antiderivatives of Cp and Cp/T at 298.15 K
};

}  // namespace pr
