#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pr_package/model/ideal_gas.h"
#include "pr_package/model/pure_correlations.h"

namespace pr {

//! Constants and correlations of one compound, SI per mole, as read from the compound file.
//!
//! Empty fields of the file are "no value" and stay empty optionals; they are never read as 0.
struct CompoundRecord {
  std::string name;                         //!< Compound id, lower case ("n-butane").
  std::string formula;                      //!< Hill-order formula ("C4H10").
  std::string cas;                          //!< CAS registry number ("106-97-8").
  double MW_gmol = 0.0;                     //!< Molar mass [g/mol].
  double Tc_K = 0.0;                        //!< Critical temperature [K].
  double Pc_Pa = 0.0;                       //!< Critical pressure [Pa].
  double Vc_m3mol = 0.0;                    //!< Critical volume [m3/mol].
  double Zc = 0.0;                          //!< Critical compressibility factor [-].
  double omega = 0.0;                       //!< Acentric factor [-].
  std::optional<double> Tb_K;               //!< Normal boiling point [K].
  std::optional<double> Tf_K;               //!< Normal melting point [K].
  std::optional<double> dipole_Cm;          //!< Dipole moment [C m].
  std::optional<double> hvap_nbp_Jmol;      //!< Enthalpy of vaporization at Tb [J/mol].
  std::optional<double> hfus_Jmol;          //!< Enthalpy of fusion at Tf [J/mol].
  double hf_ig_298_Jmol = 0.0;              //!< Ideal-gas enthalpy of formation, 298.15 K [J/mol].
  double gf_ig_298_Jmol = 0.0;              //!< Ideal-gas Gibbs energy of formation [J/mol].
  std::optional<double> rho_liq_25C_molm3;  //!< Saturated-liquid density at 298.15 K [mol/m3].
  std::optional<double> rackett_ZRA;        //!< Rackett parameter Z_RA [-].
  AlyLeeCp cp_ig;                           //!< Ideal-gas heat capacity.
  std::optional<Dippr101> visc_liq_Pas;     //!< Saturated-liquid viscosity [Pa s].
  std::optional<Dippr102> visc_vap_Pas;     //!< Dilute-gas viscosity [Pa s].
  std::optional<ChemSep16> thcond_liq_WmK;  //!< Saturated-liquid thermal conductivity [W/(m K)].
  std::optional<Dippr102> thcond_vap_WmK;   //!< Dilute-gas thermal conductivity [W/(m K)].

  //! Molar mass [kg/mol].
  double MW_kgmol() const { return 1e-3 * MW_gmol; }
};

//! All compounds of the package's data files and their binary interaction parameters.
//!
//! Files are plain comma-separated text with one header row (columns found by name, so their
//! order is free). Every problem (missing file, missing column, wrong field count, a number that
//! does not parse, a value out of its physical range, an unknown or repeated pair) is a
//! DataError whose message names the file, the line and, where there is one, the column.
class CompoundDatabase {
 public:
  //! Reads the compound file and the interaction-parameter file.
  static CompoundDatabase load(const std::string& compounds_path, const std::string& kij_path);
  //! Reads "compounds.csv" and "pr_kij.csv" from one folder.
  static CompoundDatabase load_folder(const std::string& folder);

  const std::vector<CompoundRecord>& compounds() const { return m_compounds; }
  //! Index of a compound by id or CAS number (case-insensitive), empty when unknown.
  std::optional<std::size_t> find(std::string_view name_or_cas) const;
  //! Record of a compound by id or CAS number; InvalidArgument when unknown.
  const CompoundRecord& compound(std::string_view name_or_cas) const;
  //! Interaction parameter k_ij of two compounds by index (0 when the pair is not listed) [-].
  double kij(std::size_t i, std::size_t j) const;

 private:
  std::vector<CompoundRecord> m_compounds;
  std::vector<double> m_kij;  // row-major, size() x size()
};

//! ASCII case-insensitive equality.
bool iequals(std::string_view a, std::string_view b);

}  // namespace pr
