#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "pr_package/model/compound_data.h"
#include "pr_package/model/flash.h"
#include "pr_package/model/mixture.h"

namespace pr {

//! Phases of the package; CAPE-OPEN labels "Vapor" and "Liquid" (case-insensitive).
enum class Phase { Vapour, Liquid };
//! Basis of a property value; CAPE-OPEN "mole" and "mass" (case-insensitive, empty = mole).
enum class Basis { Mole, Mass };

//! Kinds of flash of the equilibrium routine.
enum class FlashType { TP, PH, TH, PS, TS, TVF, PVF, HVF };

//! What one equilibrium condition fixes.
enum class FixedQuantity {
  Temperature,
  Pressure,
  Enthalpy,
  Entropy,
  VapourFraction,
  LiquidFraction
};

//! One of the two equilibrium conditions a CAPE-OPEN client passes to CalcEquilibrium, as sent:
//! property identifier, basis,
//! phase label and an optional compound id.
struct EquilibriumCondition {
  std::string property;
  std::string basis;
  std::string phase;
  std::string compound;
};

//! A supported pair of conditions, in the order given: the wrapper reads the value of each
//! item from the material (temperature/pressure/enthalpy/entropy of "Overall", phaseFraction of
//! the named phase) and passes them to PropertyPackage::calc_equilibrium in the same order.
struct FlashRequest {
  FlashType type = FlashType::TP;
  FixedQuantity quantity[2] = {FixedQuantity::Temperature, FixedQuantity::Pressure};
  Basis basis[2] = {Basis::Mole, Basis::Mole};
};

//! A compound constant: no value, a number (SI) or a text.
using ConstantValue = std::variant<std::monostate, double, std::string>;

//! Outputs of calc_ln_phi; only the requested vectors are filled.
struct LnPhiResult {
  std::vector<double> lnphi;      //!< ln fugacity coefficients [-], n values.
  std::vector<double> dlnphi_dT;  //!< [1/K], n values.
  std::vector<double> dlnphi_dP;  //!< [1/Pa], n values.
  std::vector<double> dlnphi_dn;  //!< d lnphi_i/d n_j at the given mole numbers [1/mol], n*n,
                                  //!< row-major: index i*n + j.
};

//! The Peng-Robinson property package behind a plain C++ wall, driven by CAPE-OPEN identifier
//! strings (compared case-insensitively). No COM types cross it.
//!
//! Value layouts (every result is a vector of doubles, SI units):
//! - scalar property, and its .Dtemperature / .Dpressure: 1 value;
//! - scalar property .DmolFraction / .Dmoles: n values, entry j = dM/dx_j (dM/dn_j);
//! - per-compound property (fugacity, ..., kvalue) and its .Dtemperature / .Dpressure: n values;
//! - per-compound property .DmolFraction / .Dmoles: n*n values, row-major, entry i*n + j =
//!   dM_i/dx_j (dM_i/dn_j): all derivatives of compound 0's value first.
//!
//! Composition derivatives are taken at constant T and P for one mole of phase: .Dmoles is
//! d/dn_j with the other mole numbers fixed; .DmolFraction is d/dx_j with the other mole
//! fractions fixed, of the property written as a function of mole numbers (homogeneous of
//! degree zero), so the two coincide and sum_j x_j dM/dx_j = 0 for every intensive M.
//!
//! Compositions: entries must be finite and not below -1e-12 (tiny negatives become 0); a sum
//! within 1e-6 of 1 is normalised silently, anything else is BadArgument. States outside
//! [1 K, 5000 K] and [1e-3 Pa, 1e9 Pa] are OutOfBounds. A phase whose root does not exist at
//! the state (one real root of the cubic) gets the one real root; phase_root_exists() tells.
//! The natural logarithm of a zero mole fraction is taken as ln(1e-300), so logFugacity and
//! the composition derivatives of entropy and Gibbs energy stay finite for absent compounds.
class PropertyPackage {
 public:
  //! A package for the named compounds (ids or CAS numbers) of the database, in that order.
  PropertyPackage(const CompoundDatabase& db, const std::vector<std::string>& compounds);
  ~PropertyPackage();
  PropertyPackage(PropertyPackage&&) noexcept;
  PropertyPackage& operator=(PropertyPackage&&) noexcept;

  // Compounds.
  std::size_t compound_count() const;
  const CompoundRecord& compound(std::size_t i) const;
  //! Index of a compound by id or CAS number; InvalidArgument when not in the package.
  std::size_t compound_index(std::string_view id) const;
  const Mixture& mixture() const { return *m_mix; }

  //! Identifiers of the compound constants the package knows.
  static std::vector<std::string> constant_property_list();
  //! A compound constant (molecularWeight in g/mol, others SI); monostate when the data has no
  //! value; InvalidArgument for an unknown identifier.
  ConstantValue compound_constant(std::string_view id, std::size_t compound) const;
  //! Identifiers of the temperature-dependent compound properties (with .Dtemperature forms).
  static std::vector<std::string> temperature_dependent_property_list();
  //! A temperature-dependent compound property. vaporPressure and heatOfVaporization come from
  //! the equation of state; idealGas* from the heat-capacity data (enthalpy with formation,
  //! entropy at 101325 Pa); the transport ones from the data correlations (OutOfBounds outside
  //! their temperature range).
  double temperature_dependent_property(std::string_view id, std::size_t compound,
                                        double T_K) const;
  //! Universal constants: "avogadroConstant", "boltzmannConstant", "molarGasConstant",
  //! "speedOfLightInVacuum", "standardAccelerationOfGravity", "idealGasStateReferencePressure".
  static std::vector<std::string> universal_constant_list();
  static double universal_constant(std::string_view id);

  //! Phase labels of the package, {"Vapor", "Liquid"}; each label is also its state of
  //! aggregation, and neither has a key compound.
  static std::vector<std::string> phase_labels();
  //! "Vapor" / "Liquid" (case-insensitive); InvalidArgument otherwise.
  static Phase parse_phase(std::string_view label);
  //! "mole" / "mass" / "" (case-insensitive); InvalidArgument otherwise.
  static Basis parse_basis(std::string_view basis);
  static std::string_view phase_label(Phase phase);

  // Single-phase properties.
  //! Sets the state of a phase: temperature [K], pressure [Pa] and mole fractions.
  void set_state(Phase phase, double T_K, double P_Pa, std::span<const double> x);
  bool has_state(Phase phase) const;
  //! False when the cubic has a single real root at the phase's state and it is not of the
  //! requested kind (the state then stands for the other phase).
  bool phase_root_exists(Phase phase);
  //! Every identifier, with derivative forms, that single_phase_property accepts.
  static std::vector<std::string> single_phase_property_list();
  //! True when the identifier is supported for that phase label.
  static bool check_single_phase_property(std::string_view id, std::string_view phase_label);
  //! Computes a property of a phase at its state into out (resized; no allocation once big
  //! enough). InvalidArgument for an unknown identifier, NotImplemented for a known one this
  //! package does not compute, BadInvOrder when the phase has no state.
  void single_phase_property(std::string_view id, Phase phase, Basis basis,
                             std::vector<double>& out);
  std::vector<double> single_phase_property(std::string_view id, Phase phase,
                                            Basis basis = Basis::Mole);

  // Two-phase properties, from the states of the two phases.
  static std::vector<std::string> two_phase_property_list();
  static bool check_two_phase_property(std::string_view id, std::string_view label1,
                                       std::string_view label2);
  //! kvalue = y_i/x_i as phi_i^L/phi_i^V [-], logKvalue, with .Dtemperature and .Dpressure
  //! (the same change applied to both phases); surfaceTension [N/m]. The two phases must be
  //! one vapour and one liquid, in either order.
  std::vector<double> two_phase_property(std::string_view id, Phase phase1, Phase phase2,
                                         Basis basis = Basis::Mole);

  //! ln phi and its derivatives at T, P and mole numbers n (any positive total); the material
  //! state is not touched. dlnphi_dn is the derivative at those mole numbers.
  void calc_ln_phi(Phase phase, double T_K, double P_Pa, std::span<const double> moles,
                   bool want_lnphi, bool want_dT, bool want_dP, bool want_dn, LnPhiResult& out);

  // Equilibrium.
  //! Classifies a pair of conditions; empty when the pair or the solution type is not
  //! supported (the wrapper's equilibrium check then answers false). Supported: temperature and
  //! pressure (no basis), enthalpy and entropy (mole or mass, phase "Overall"), phaseFraction
  //! (mole, of "Vapor" or "Liquid"); pairs TP, PH, TH, PS, TS, TVF, PVF, HVF in either order;
  //! solution type "", "Unspecified" or "Normal".
  static std::optional<FlashRequest> classify_equilibrium(const EquilibriumCondition& first,
                                                          const EquilibriumCondition& second,
                                                          std::string_view solution_type);
  //! Solves the equilibrium for overall mole fractions z, with value1 and value2 the values
  //! of the two conditions in classify order (SI; mass basis per kg).
  FlashResult calc_equilibrium(const FlashRequest& request, double value1, double value2,
                               std::span<const double> z);
  FlashSolver& flash_solver() { return *m_flash; }

 private:
  struct PhaseSlot;
  PhaseSlot& slot(Phase phase);
  PhaseState& evaluated(Phase phase);
  void ensure_pure(Phase phase);
  void check_T_P(const char* where, double T, double P) const;
  void normalise(const char* where, std::span<const double> x, std::vector<double>& out) const;

  std::unique_ptr<Mixture> m_mix;
  std::unique_ptr<FlashSolver> m_flash;
  struct Helpers;
  std::unique_ptr<Helpers> m_helpers;
  std::unique_ptr<PhaseSlot> m_slots[2];
  std::vector<double> m_work;
  std::vector<double> m_feed;  //!< the normalised feed of an equilibrium
};

}  // namespace pr
