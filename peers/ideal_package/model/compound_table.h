#pragma once
//! Pure-compound data of the ideal package, read from a comma-separated file.

#include <optional>
#include <string>
#include <vector>

namespace ideal {

//! Constants of one compound, SI per mole. Empty fields of the file stay empty optionals.
struct Compound {
  std::string name;  //!< compound id, e.g. "n-butane"
  std::string formula;
  std::string cas;
  double MW_gmol = 0;  //!< molar mass [g/mol]
  double Tc_K = 0;
  double Pc_Pa = 0;
  double Vc_m3mol = 0;
  double Zc = 0;
  double omega = 0;
  std::optional<double> Tb_K;
  std::optional<double> Tf_K;
  std::optional<double> dipole_Cm;
  std::optional<double> hvap_nbp_Jmol;
  std::optional<double> hfus_Jmol;
  std::optional<double> hf_ig_298_Jmol;
  std::optional<double> gf_ig_298_Jmol;
  std::optional<double> rho_liq_25C_molm3;
  std::optional<double> rackett_ZRA;
  //! Aly-Lee ideal-gas Cp coefficients c1..c5 (c1, c2, c4 [J/(mol K)], c3, c5 [K]).
  double cp[5] = {0, 0, 0, 0, 0};
  double cp_Tmin_K = 0;
  double cp_Tmax_K = 0;
};

//! The compounds of a data file, in file order.
class CompoundTable {
 public:
  //! Reads the file. Columns are found by their header names (name, formula, cas, mw, tc, pc,
  //! vc, zc, omega, tb, tf, dipole, hvap_nbp, hfus, hf_ig_298, gf_ig_298, liq_density_25c,
  //! rackett_zra, cp_ig_c1..c5, cp_ig_tmin, cp_ig_tmax; others are ignored). Throws ModelError
  //! (DataError) naming the file and line for a missing file or column, a wrong field count,
  //! an unreadable or non-positive required number, or a repeated compound.
  static CompoundTable load(const std::string& path);

  const std::vector<Compound>& compounds() const { return m_compounds; }
  //! Index of a compound by id or CAS number (ASCII case ignored); nullopt when unknown.
  std::optional<std::size_t> find(const std::string& idOrCas) const;

 private:
  std::vector<Compound> m_compounds;
};

}  // namespace ideal
