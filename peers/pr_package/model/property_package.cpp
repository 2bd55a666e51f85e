#include "pr_package/model/property_package.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"
#include "pr_package/model/saturation.h"
#include "pr_package/model/surface_tension.h"
#include "pr_package/model/transport.h"

namespace pr {
namespace {

enum class Prop {
  Enthalpy,
  EnthalpyNF,
  Entropy,
  InternalEnergy,
  GibbsEnergy,
  HelmholtzEnergy,
  Volume,
  Density,
  CompressibilityFactor,
  MolecularWeight,
  IdealGasEnthalpy,
  IdealGasHeatCapacity,
  HeatCapacityCp,
  HeatCapacityCv,
  JouleThomson,
  SpeedOfSound,
  Compressibility,
  ExcessEnthalpy,
  ExcessEntropy,
  ExcessGibbs,
  ExcessHelmholtz,
  ExcessInternal,
  ExcessVolume,
  Viscosity,
  ThermalConductivity,
  Fugacity,
  FugacityCoefficient,
  LogFugacity,
  LogFugacityCoefficient,
  ActivityCoefficient,
  Activity,
  PartialEnthalpy,
  PartialEnergy,
  PartialGibbs,
  PartialHelmholtz,
  PartialVolume,
};

enum class Deriv { None, Temperature, Pressure, MolFraction, Moles };

struct PropInfo {
  const char* name;
  Prop prop;
  bool vector;      // one value per compound
  int derivatives;  // bit mask of the available derivatives: kDT | kDP | kDX
  int mass_power;   // value per kg = value per mol * MW^mass_power; 0: basis does not apply
};

constexpr int kDT = 1, kDP = 2, kDX = 4, kAll = kDT | kDP | kDX;

// Mass basis: -1 divides by the molar mass (per kg), +1 multiplies (density).
constexpr PropInfo kSinglePhase[] = {
    {"enthalpy", Prop::Enthalpy, false, kAll, -1},
    {"enthalpyF", Prop::Enthalpy, false, kAll, -1},
    {"enthalpyNF", Prop::EnthalpyNF, false, kAll, -1},
    {"entropy", Prop::Entropy, false, kAll, -1},
    {"internalEnergy", Prop::InternalEnergy, false, kAll, -1},
    {"gibbsEnergy", Prop::GibbsEnergy, false, kAll, -1},
    {"helmholtzEnergy", Prop::HelmholtzEnergy, false, kAll, -1},
    {"volume", Prop::Volume, false, kAll, -1},
    {"density", Prop::Density, false, kAll, +1},
    {"compressibilityFactor", Prop::CompressibilityFactor, false, kAll, 0},
    {"molecularWeight", Prop::MolecularWeight, false, kAll, 0},
    {"idealGasEnthalpy", Prop::IdealGasEnthalpy, false, kAll, -1},
    {"idealGasHeatCapacity", Prop::IdealGasHeatCapacity, false, kDT | kDP, -1},
    {"heatCapacityCp", Prop::HeatCapacityCp, false, kDT | kDP, -1},
    {"heatCapacityCv", Prop::HeatCapacityCv, false, kDT | kDP, -1},
    {"jouleThomsonCoefficient", Prop::JouleThomson, false, 0, 0},
    {"speedOfSound", Prop::SpeedOfSound, false, 0, 0},
    {"compressibility", Prop::Compressibility, false, 0, 0},
    {"excessEnthalpy", Prop::ExcessEnthalpy, false, 0, -1},
    {"excessEntropy", Prop::ExcessEntropy, false, 0, -1},
    {"excessGibbsEnergy", Prop::ExcessGibbs, false, 0, -1},
    {"excessHelmholtzEnergy", Prop::ExcessHelmholtz, false, 0, -1},
    {"excessInternalEnergy", Prop::ExcessInternal, false, 0, -1},
    {"excessVolume", Prop::ExcessVolume, false, 0, -1},
    {"viscosity", Prop::Viscosity, false, 0, 0},
    {"thermalConductivity", Prop::ThermalConductivity, false, 0, 0},
    {"fugacity", Prop::Fugacity, true, kAll, 0},
    {"fugacityCoefficient", Prop::FugacityCoefficient, true, kAll, 0},
    {"logFugacity", Prop::LogFugacity, true, kAll, 0},
    {"logFugacityCoefficient", Prop::LogFugacityCoefficient, true, kAll, 0},
    {"activityCoefficient", Prop::ActivityCoefficient, true, kAll, 0},
    {"activity", Prop::Activity, true, kAll, 0},
    {"partialMolarEnthalpy", Prop::PartialEnthalpy, true, 0, -1},
    {"partialMolarEnergy", Prop::PartialEnergy, true, 0, -1},
    {"partialGibbsFreeEnergy", Prop::PartialGibbs, true, 0, -1},
    {"partialHelmholtzFreeEnergy", Prop::PartialHelmholtz, true, 0, -1},
    {"partialMolarVolume", Prop::PartialVolume, true, 0, -1},
};

// Standard identifiers this package knows but does not compute.
constexpr const char* kNotComputed[] = {"entropyF",
                                        "entropyNF",
                                        "selfDiffusionCoefficient",
                                        "dissociationConstant",
                                        "meanActivityCoefficient",
                                        "osmoticCoefficient",
                                        "pH",
                                        "bubblePointPressure",
                                        "bubblePointTemperature",
                                        "dewPointPressure",
                                        "dewPointTemperature"};

constexpr const char* kSuffix[] = {"", ".Dtemperature", ".Dpressure", ".DmolFraction", ".Dmoles"};

struct Request {
  const PropInfo* info;
  Deriv deriv;
};

// Splits "name.Dsuffix" and finds the name in a table; InvalidArgument / NotImplemented.
template <std::size_t N>
Request parse(std::string_view id, const PropInfo (&table)[N], const char* where) {
  Deriv deriv = Deriv::None;
  std::string_view base = id;
  std::size_t dot = std::string_view::npos;
  for (std::size_t k = 0; k + 1 < id.size(); ++k) {
    if (id[k] == '.' && (id[k + 1] == 'D' || id[k + 1] == 'd')) {
      dot = k;
      break;
    }
  }
  if (dot != std::string_view::npos) {
    const std::string_view suffix = id.substr(dot);
    base = id.substr(0, dot);
    bool known = false;
    for (int k = 1; k <= 4; ++k) {
      if (iequals(suffix, kSuffix[k])) {
        deriv = static_cast<Deriv>(k);
        known = true;
      }
    }
    if (!known) {
      throw Error(ErrorKind::InvalidArgument, where, cat("unknown derivative in '", id, "'"));
    }
  }
  for (const PropInfo& p : table) {
    if (iequals(base, p.name)) {
      const int bit = deriv == Deriv::Temperature ? kDT : deriv == Deriv::Pressure ? kDP : kDX;
      if (deriv != Deriv::None && !(p.derivatives & bit)) {
        throw Error(ErrorKind::NotImplemented, where,
                    cat("derivatives of '", p.name, "' are not calculated ('", id, "')"));
      }
      return {&p, deriv};
    }
  }
  for (const char* name : kNotComputed) {
    if (iequals(base, name)) {
      throw Error(ErrorKind::NotImplemented, where, cat("property '", id, "' is not calculated"));
    }
  }
  throw Error(ErrorKind::InvalidArgument, where, cat("unknown property '", id, "'"));
}

constexpr PropInfo kTwoPhase[] = {
    {"kvalue", Prop::Fugacity, true, kDT | kDP, 0},
    {"logKvalue", Prop::LogFugacity, true, kDT | kDP, 0},
    {"surfaceTension", Prop::Viscosity, false, 0, 0},
};

constexpr double kTinyFraction = 1e-300;

double safe_log(double x) {
  return std::log(std::max(x, kTinyFraction));
}

}  // namespace

struct PropertyPackage::PhaseSlot {
  bool has = false;
  bool evaluated = false;
  bool pure_valid = false;
  double T_K = 0.0, P_Pa = 0.0;
  std::vector<double> x;
  PhaseState state;
  std::vector<PhaseState> pure;
};

struct PropertyPackage::Helpers {
  explicit Helpers(const Mixture& m) : transport(m) {}
  ChungTransport transport;
  std::unique_ptr<SurfaceTension> surface;
  PhaseState lnphi_state;
  std::vector<double> lnphi_x;
  std::vector<double> dn;  // scalar composition derivatives
};

PropertyPackage::PropertyPackage(const CompoundDatabase& db,
                                 const std::vector<std::string>& compounds)
    : m_mix(std::make_unique<Mixture>(Mixture::from_database(db, compounds))),
      m_flash(std::make_unique<FlashSolver>(*m_mix)),
      m_helpers(std::make_unique<Helpers>(*m_mix)) {
  m_slots[0] = std::make_unique<PhaseSlot>();
  m_slots[1] = std::make_unique<PhaseSlot>();
  m_helpers->dn.assign(m_mix->size(), 0.0);
}

PropertyPackage::~PropertyPackage() = default;
PropertyPackage::PropertyPackage(PropertyPackage&&) noexcept = default;
PropertyPackage& PropertyPackage::operator=(PropertyPackage&&) noexcept = default;

std::size_t PropertyPackage::compound_count() const {
  return m_mix->size();
}
const CompoundRecord& PropertyPackage::compound(std::size_t i) const {
  if (i >= m_mix->size()) {
    throw Error(ErrorKind::BadArgument, "PropertyPackage::compound",
                cat("index ", i, " outside 0..", m_mix->size() - 1));
  }
  return m_mix->compound(i);
}

std::size_t PropertyPackage::compound_index(std::string_view id) const {
  for (std::size_t i = 0; i < m_mix->size(); ++i) {
    if (iequals(m_mix->compound(i).name, id) || m_mix->compound(i).cas == id) return i;
  }
  throw Error(ErrorKind::InvalidArgument, "PropertyPackage::compound_index",
              cat("compound '", id, "' is not in the package"));
}

// --- compound constants and temperature-dependent properties ---

std::vector<std::string> PropertyPackage::constant_property_list() {
  return {"casRegistryNumber",
          "iupacName",
          "chemicalFormula",
          "molecularWeight",
          "criticalTemperature",
          "criticalPressure",
          "criticalVolume",
          "criticalCompressibilityFactor",
          "criticalDensity",
          "acentricFactor",
          "dipoleMoment",
          "normalBoilingPoint",
          "heatOfVaporizationAtNormalBoilingPoint",
          "normalFreezingPoint",
          "heatOfFusionAtNormalFreezingPoint",
          "liquidDensityAt25C",
          "liquidVolumeAt25C",
          "idealGasEnthalpyOfFormationAt25C",
          "idealGasGibbsFreeEnergyOfFormationAt25C"};
}

ConstantValue PropertyPackage::compound_constant(std::string_view id, std::size_t i) const {
  const CompoundRecord& c = compound(i);
  auto opt = [](const std::optional<double>& v) -> ConstantValue {
    if (v) return *v;
    return std::monostate{};
  };
  if (iequals(id, "casRegistryNumber")) return c.cas;
  if (iequals(id, "iupacName")) return c.name;
  if (iequals(id, "chemicalFormula")) return c.formula;
  if (iequals(id, "molecularWeight")) return c.MW_gmol;
  if (iequals(id, "criticalTemperature")) return c.Tc_K;
  if (iequals(id, "criticalPressure")) return c.Pc_Pa;
  if (iequals(id, "criticalVolume")) return c.Vc_m3mol;
  if (iequals(id, "criticalCompressibilityFactor")) return c.Zc;
  if (iequals(id, "criticalDensity")) return 1.0 / c.Vc_m3mol;
  if (iequals(id, "acentricFactor")) return c.omega;
  if (iequals(id, "dipoleMoment")) return opt(c.dipole_Cm);
  if (iequals(id, "normalBoilingPoint")) return opt(c.Tb_K);
  if (iequals(id, "heatOfVaporizationAtNormalBoilingPoint")) return opt(c.hvap_nbp_Jmol);
  if (iequals(id, "normalFreezingPoint")) return opt(c.Tf_K);
  if (iequals(id, "heatOfFusionAtNormalFreezingPoint")) return opt(c.hfus_Jmol);
  if (iequals(id, "liquidDensityAt25C")) return opt(c.rho_liq_25C_molm3);
  if (iequals(id, "liquidVolumeAt25C")) {
    if (c.rho_liq_25C_molm3) return 1.0 / *c.rho_liq_25C_molm3;
    return std::monostate{};
  }
  if (iequals(id, "idealGasEnthalpyOfFormationAt25C")) return c.hf_ig_298_Jmol;
  if (iequals(id, "idealGasGibbsFreeEnergyOfFormationAt25C")) return c.gf_ig_298_Jmol;
  throw Error(ErrorKind::InvalidArgument, "PropertyPackage::compound_constant",
              cat("unknown compound constant '", id, "'"));
}

std::vector<std::string> PropertyPackage::temperature_dependent_property_list() {
  return {"vaporPressure",
          "vaporPressure.Dtemperature",
          "heatOfVaporization",
          "idealGasHeatCapacity",
          "idealGasEnthalpy",
          "idealGasEnthalpy.Dtemperature",
          "idealGasEntropy",
          "idealGasEntropy.Dtemperature",
          "viscosityOfLiquid",
          "viscosityOfVapor",
          "thermalConductivityOfLiquid",
          "thermalConductivityOfVapor"};
}

double PropertyPackage::temperature_dependent_property(std::string_view id, std::size_t i,
                                                       double T) const {
  const char* where = "PropertyPackage::temperature_dependent_property";
  const CompoundRecord& c = compound(i);
  if (!std::isfinite(T)) throw Error(ErrorKind::BadArgument, where, cat("T = ", T));
  if (T < T_min_K || T > T_max_K) {
    throw Error(ErrorKind::OutOfBounds, where, cat("T = ", T, " K outside the model range"));
  }
  if (iequals(id, "vaporPressure")) return saturation_at_T(*m_mix, i, T).P_Pa;
  if (iequals(id, "vaporPressure.Dtemperature")) return saturation_at_T(*m_mix, i, T).dP_dT_PaK;
  if (iequals(id, "heatOfVaporization")) return saturation_at_T(*m_mix, i, T).h_vap_Jmol;
  if (iequals(id, "idealGasHeatCapacity") || iequals(id, "idealGasEnthalpy.Dtemperature")) {
    return c.cp_ig.cp(T);
  }
  if (iequals(id, "idealGasEnthalpy")) return m_mix->h_ig(i, T);
  if (iequals(id, "idealGasEntropy")) return m_mix->s_ig(i, T, P_ref_Pa);
  if (iequals(id, "idealGasEntropy.Dtemperature")) return c.cp_ig.cp(T) / T;
  auto ranged = [&](const auto& corr, const char* what) {
    if (!corr) {
      throw Error(ErrorKind::NotImplemented, where,
                  cat("no ", what, " correlation for '", c.name, "'"));
    }
    if (T < corr->Tmin_K || T > corr->Tmax_K) {
      throw Error(ErrorKind::OutOfBounds, where,
                  cat(what, " of '", c.name, "' at T = ", T, " K: correlation valid from ",
                      corr->Tmin_K, " to ", corr->Tmax_K, " K"));
    }
    return (*corr)(T);
  };
  if (iequals(id, "viscosityOfLiquid")) return ranged(c.visc_liq_Pas, "viscosityOfLiquid");
  if (iequals(id, "viscosityOfVapor")) return ranged(c.visc_vap_Pas, "viscosityOfVapor");
  if (iequals(id, "thermalConductivityOfLiquid")) {
    return ranged(c.thcond_liq_WmK, "thermalConductivityOfLiquid");
  }
  if (iequals(id, "thermalConductivityOfVapor")) {
    return ranged(c.thcond_vap_WmK, "thermalConductivityOfVapor");
  }
  throw Error(ErrorKind::InvalidArgument, where,
              cat("unknown temperature-dependent property '", id, "'"));
}

std::vector<std::string> PropertyPackage::universal_constant_list() {
  return {"avogadroConstant",
          "boltzmannConstant",
          "molarGasConstant",
          "speedOfLightInVacuum",
          "standardAccelerationOfGravity",
          "idealGasStateReferencePressure"};
}

double PropertyPackage::universal_constant(std::string_view id) {
  if (iequals(id, "avogadroConstant")) return Avogadro_per_mol;
  if (iequals(id, "boltzmannConstant")) return Boltzmann_JK;
  if (iequals(id, "molarGasConstant")) return R_JmolK;
  if (iequals(id, "speedOfLightInVacuum")) return SpeedOfLight_ms;
  if (iequals(id, "standardAccelerationOfGravity")) return StandardGravity_ms2;
  if (iequals(id, "idealGasStateReferencePressure")) return P_ref_Pa;
  throw Error(ErrorKind::InvalidArgument, "PropertyPackage::universal_constant",
              cat("unknown universal constant '", id, "'"));
}

// --- phases, bases, states ---

std::vector<std::string> PropertyPackage::phase_labels() {
  return {"Vapor", "Liquid"};
}

Phase PropertyPackage::parse_phase(std::string_view label) {
  if (iequals(label, "Vapor")) return Phase::Vapour;
  if (iequals(label, "Liquid")) return Phase::Liquid;
  throw Error(ErrorKind::InvalidArgument, "PropertyPackage::parse_phase",
              cat("unknown phase label '", label, "' (expected Vapor or Liquid)"));
}

Basis PropertyPackage::parse_basis(std::string_view basis) {
  if (basis.empty() || iequals(basis, "mole")) return Basis::Mole;
  if (iequals(basis, "mass")) return Basis::Mass;
  throw Error(ErrorKind::InvalidArgument, "PropertyPackage::parse_basis",
              cat("unknown basis '", basis, "' (expected mole or mass)"));
}

std::string_view PropertyPackage::phase_label(Phase phase) {
  return phase == Phase::Vapour ? "Vapor" : "Liquid";
}

void PropertyPackage::check_T_P(const char* where, double T, double P) const {
  if (!std::isfinite(T) || !std::isfinite(P)) {
    throw Error(ErrorKind::BadArgument, where, cat("T = ", T, " K, P = ", P, " Pa not finite"));
  }
  if (T < T_min_K || T > T_max_K) {
    throw Error(ErrorKind::OutOfBounds, where,
                cat("T = ", T, " K outside [", T_min_K, ", ", T_max_K, "] K"));
  }
  if (P < P_min_Pa || P > P_max_Pa) {
    throw Error(ErrorKind::OutOfBounds, where,
                cat("P = ", P, " Pa outside [", P_min_Pa, ", ", P_max_Pa, "] Pa"));
  }
}

void PropertyPackage::normalise(const char* where, std::span<const double> x,
                                std::vector<double>& out) const {
  const std::size_t n = m_mix->size();
  if (x.size() != n) {
    throw Error(ErrorKind::BadArgument, where,
                cat("composition has ", x.size(), " values for ", n, " compounds"));
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(x[i]) || x[i] < -1e-12) {
      throw Error(ErrorKind::BadArgument, where,
                  cat("mole fraction of '", m_mix->compound(i).name, "' is ", x[i]));
    }
    sum += std::max(x[i], 0.0);
  }
  if (std::abs(sum - 1.0) > 1e-6) {
    throw Error(ErrorKind::BadArgument, where, cat("mole fractions sum to ", sum, ", not 1"));
  }
  out.resize(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = std::max(x[i], 0.0) / sum;
}

PropertyPackage::PhaseSlot& PropertyPackage::slot(Phase phase) {
  return *m_slots[phase == Phase::Vapour ? 0 : 1];
}

void PropertyPackage::set_state(Phase phase, double T, double P, std::span<const double> x) {
  const char* where = "PropertyPackage::set_state";
  check_T_P(where, T, P);
  PhaseSlot& s = slot(phase);
  normalise(where, x, m_work);
  if (s.has && s.T_K == T && s.P_Pa == P && s.x == m_work) return;  // keep the evaluation
  s.x.swap(m_work);
  s.T_K = T;
  s.P_Pa = P;
  s.has = true;
  s.evaluated = false;
  s.pure_valid = false;
}

bool PropertyPackage::has_state(Phase phase) const {
  return m_slots[phase == Phase::Vapour ? 0 : 1]->has;
}

PhaseState& PropertyPackage::evaluated(Phase phase) {
  PhaseSlot& s = slot(phase);
  if (!s.has) {
    throw Error(ErrorKind::BadInvOrder, "PropertyPackage::evaluated",
                cat("no state set for phase ", phase_label(phase)));
  }
  if (!s.evaluated) {
    m_mix->evaluate(s.T_K, s.P_Pa, s.x,
                    phase == Phase::Vapour ? RootChoice::Vapour : RootChoice::Liquid, Level::Full,
                    s.state);
    s.evaluated = true;
  }
  return s.state;
}

bool PropertyPackage::phase_root_exists(Phase phase) {
  const PhaseState& st = evaluated(phase);
  if (st.res.root_count == 2) return true;
  return (st.res.phase_id <= 1.0) == (phase == Phase::Vapour);
}

void PropertyPackage::ensure_pure(Phase phase) {
  PhaseSlot& s = slot(phase);
  evaluated(phase);
  if (s.pure_valid) return;
  const std::size_t n = m_mix->size();
  s.pure.resize(n);
  m_work.assign(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    m_work[i] = 1.0;
    m_mix->evaluate(s.T_K, s.P_Pa, m_work,
                    phase == Phase::Vapour ? RootChoice::Vapour : RootChoice::Liquid, Level::Full,
                    s.pure[i]);
    m_work[i] = 0.0;
  }
  s.pure_valid = true;
}

// --- single-phase properties ---

std::vector<std::string> PropertyPackage::single_phase_property_list() {
  std::vector<std::string> out;
  for (const PropInfo& p : kSinglePhase) {
    out.emplace_back(p.name);
    const int bits[] = {0, kDT, kDP, kDX, kDX};
    for (int k = 1; k <= 4; ++k) {
      if (p.derivatives & bits[k]) out.push_back(std::string(p.name) + kSuffix[k]);
    }
  }
  return out;
}

bool PropertyPackage::check_single_phase_property(std::string_view id,
                                                  std::string_view phase_label) {
  try {
    parse_phase(phase_label);
    parse(id, kSinglePhase, "PropertyPackage::check_single_phase_property");
    return true;
  } catch (const Error&) {
    return false;
  }
}

std::vector<double> PropertyPackage::single_phase_property(std::string_view id, Phase phase,
                                                           Basis basis) {
  std::vector<double> out;
  single_phase_property(id, phase, basis, out);
  return out;
}

void PropertyPackage::single_phase_property(std::string_view id, Phase phase, Basis basis,
                                            std::vector<double>& out) {
  const char* where = "PropertyPackage::single_phase_property";
  const Request rq = parse(id, kSinglePhase, where);
  const PropInfo& info = *rq.info;
  const bool composition = rq.deriv == Deriv::MolFraction || rq.deriv == Deriv::Moles;
  const Prop prop = info.prop;
  if (prop == Prop::ActivityCoefficient || prop == Prop::Activity ||
      (prop >= Prop::ExcessEnthalpy && prop <= Prop::ExcessVolume)) {
    ensure_pure(phase);
  }
  PhaseState& st = evaluated(phase);
  const PhaseSlot& sl = slot(phase);
  const ResidualState& r = st.res;
  const std::size_t n = m_mix->size();
  const double T = st.T_K, P = st.P_Pa, RT = R_JmolK * T;
  const double V = r.V_m3mol, VT = r.dV_dT_P, VP = r.dV_dP_T;
  const std::vector<double>& x = st.x;

  // Partial molar quantities, one mole of phase:
  //   Hbar_j = h_ig_j - R T^2 dlnphi_j/dT,  Sbar_j = s_ig_j - R ln x_j - R lnphi_j - R T
  //   dlnphi_j/dT
  auto Hbar = [&](std::size_t j) { return st.h_ig_i[j] - RT * T * r.dlnphi_dT[j]; };
  auto Sbar = [&](std::size_t j) {
    return st.s_ig_i[j] - R_JmolK * (safe_log(x[j]) + r.lnphi[j] + T * r.dlnphi_dT[j]);
  };

  if (!info.vector) {
    double v = 0.0, dT = 0.0, dP = 0.0;
    std::vector<double>& dn = m_helpers->dn;
    for (std::size_t j = 0; j < n; ++j) dn[j] = 0.0;
    switch (prop) {
      case Prop::Enthalpy:
      case Prop::EnthalpyNF: {
        double hf = 0.0;
        if (prop == Prop::EnthalpyNF) {
          for (std::size_t j = 0; j < n; ++j) hf += x[j] * m_mix->compound(j).hf_ig_298_Jmol;
        }
        v = st.h - hf, dT = st.cp, dP = V - T * VT;
        for (std::size_t j = 0; j < n; ++j) {
          const double hfj = prop == Prop::EnthalpyNF ? m_mix->compound(j).hf_ig_298_Jmol : 0.0;
          dn[j] = Hbar(j) - hfj - v;
        }
        break;
      }
      case Prop::Entropy:
        v = st.s, dT = st.cp / T, dP = -VT;
        for (std::size_t j = 0; j < n; ++j) dn[j] = Sbar(j) - v;
        break;
      case Prop::GibbsEnergy:
        v = st.g, dT = -st.s, dP = V;
        for (std::size_t j = 0; j < n; ++j) dn[j] = Hbar(j) - T * Sbar(j) - v;
        break;
      case Prop::InternalEnergy:
        v = st.u, dT = st.cp - P * VT, dP = -T * VT - P * VP;
        for (std::size_t j = 0; j < n; ++j) dn[j] = Hbar(j) - P * r.V_partial[j] - v;
        break;
      case Prop::HelmholtzEnergy:
        v = st.a, dT = -st.s - P * VT, dP = -P * VP;
        for (std::size_t j = 0; j < n; ++j) {
          dn[j] = Hbar(j) - T * Sbar(j) - P * r.V_partial[j] - v;
        }
        break;
      case Prop::Volume:
        v = V, dT = VT, dP = VP;
        for (std::size_t j = 0; j < n; ++j) dn[j] = r.V_partial[j] - V;
        break;
      case Prop::Density:
        v = 1.0 / V, dT = -VT / (V * V), dP = -VP / (V * V);
        for (std::size_t j = 0; j < n; ++j) dn[j] = -(r.V_partial[j] - V) / (V * V);
        break;
      case Prop::CompressibilityFactor:
        v = r.Z, dT = P * VT / RT - r.Z / T, dP = (V + P * VP) / RT;
        for (std::size_t j = 0; j < n; ++j) dn[j] = P * (r.V_partial[j] - V) / RT;
        break;
      case Prop::MolecularWeight:
        v = 1e3 * st.MW_kgmol;
        for (std::size_t j = 0; j < n; ++j) dn[j] = m_mix->compound(j).MW_gmol - v;
        break;
      case Prop::IdealGasEnthalpy:
        v = st.h_ig, dT = st.cp_ig;
        for (std::size_t j = 0; j < n; ++j) dn[j] = st.h_ig_i[j] - v;
        break;
      case Prop::IdealGasHeatCapacity:
        v = st.cp_ig, dT = st.dcp_ig_dT;
        break;
      case Prop::HeatCapacityCp:
        v = st.cp, dT = st.dcp_ig_dT + r.dcp_res_dT, dP = r.dcp_res_dP;
        break;
      case Prop::HeatCapacityCv:
        v = st.cv, dT = st.dcp_ig_dT + r.dcv_res_dT, dP = r.dcv_res_dP;
        break;
      case Prop::JouleThomson:
        v = (T * VT - V) / st.cp;
        break;
      case Prop::SpeedOfSound:
        v = std::sqrt(-(st.cp / st.cv) * V * V * r.dP_dV_T / st.MW_kgmol);
        break;
      case Prop::Compressibility:
        v = -VP / V;
        break;
      case Prop::ExcessEnthalpy:
      case Prop::ExcessEntropy:
      case Prop::ExcessGibbs:
      case Prop::ExcessHelmholtz:
      case Prop::ExcessInternal:
      case Prop::ExcessVolume: {
        double hE = r.h_res, sE = r.s_res, gE = r.g_res, vE = V;
        for (std::size_t j = 0; j < n; ++j) {
          const ResidualState& p = sl.pure[j].res;
          hE -= x[j] * p.h_res;
          sE -= x[j] * p.s_res;
          gE -= x[j] * p.g_res;
          vE -= x[j] * p.V_m3mol;
        }
        v = prop == Prop::ExcessEnthalpy    ? hE
            : prop == Prop::ExcessEntropy   ? sE
            : prop == Prop::ExcessGibbs     ? gE
            : prop == Prop::ExcessHelmholtz ? gE - P * vE
            : prop == Prop::ExcessInternal  ? hE - P * vE
                                            : vE;
        break;
      }
      case Prop::Viscosity:
        v = m_helpers->transport.viscosity(T, 1.0 / V, x);
        break;
      case Prop::ThermalConductivity:
        v = m_helpers->transport.thermal_conductivity(T, 1.0 / V, x, st.cp_ig - R_JmolK);
        break;
      default:
        break;
    }
    const bool mass = basis == Basis::Mass && info.mass_power != 0;
    const double M = st.MW_kgmol;
    const double f = mass ? std::pow(M, info.mass_power) : 1.0;
    if (composition) {
      out.resize(n);
      for (std::size_t j = 0; j < n; ++j) {
        out[j] = dn[j] * f;
        if (mass) {
          out[j] += v * info.mass_power * f / M * (m_mix->compound(j).MW_kgmol() - M);
        }
      }
    } else {
      out.resize(1);
      out[0] = (rq.deriv == Deriv::Temperature ? dT : rq.deriv == Deriv::Pressure ? dP : v) * f;
    }
    for (double value : out) {
      if (!std::isfinite(value)) {
        throw Error(ErrorKind::OutOfBounds, where,
                    cat("'", id, "' is not finite at T = ", T, " K, P = ", P, " Pa"));
      }
    }
    return;
  }

  // Per-compound properties.
  out.resize(composition ? n * n : n);
  const double* Phi = r.dlnphi_dn.data();
  for (std::size_t i = 0; i < n; ++i) {
    const double lnphi = r.lnphi[i];
    double lnref = 0.0, dTref = 0.0, dPref = 0.0;
    if (prop == Prop::ActivityCoefficient || prop == Prop::Activity) {
      const ResidualState& p = sl.pure[i].res;
      lnref = p.lnphi[i], dTref = p.dlnphi_dT[i], dPref = p.dlnphi_dP[i];
    }
    switch (prop) {
      case Prop::LogFugacityCoefficient:
        if (rq.deriv == Deriv::None) out[i] = lnphi;
        if (rq.deriv == Deriv::Temperature) out[i] = r.dlnphi_dT[i];
        if (rq.deriv == Deriv::Pressure) out[i] = r.dlnphi_dP[i];
        if (composition) {
          for (std::size_t j = 0; j < n; ++j) out[i * n + j] = Phi[i * n + j];
        }
        break;
      case Prop::FugacityCoefficient: {
        const double phi = std::exp(lnphi);
        if (rq.deriv == Deriv::None) out[i] = phi;
        if (rq.deriv == Deriv::Temperature) out[i] = phi * r.dlnphi_dT[i];
        if (rq.deriv == Deriv::Pressure) out[i] = phi * r.dlnphi_dP[i];
        if (composition) {
          for (std::size_t j = 0; j < n; ++j) out[i * n + j] = phi * Phi[i * n + j];
        }
        break;
      }
      case Prop::LogFugacity:
        // ln f_i = ln x_i + ln phi_i + ln P
        if (rq.deriv == Deriv::None) out[i] = safe_log(x[i]) + lnphi + std::log(P);
        if (rq.deriv == Deriv::Temperature) out[i] = r.dlnphi_dT[i];
        if (rq.deriv == Deriv::Pressure) out[i] = r.dlnphi_dP[i] + 1.0 / P;
        if (composition) {
          for (std::size_t j = 0; j < n; ++j) {
            out[i * n + j] =
                Phi[i * n + j] - 1.0 + (i == j ? 1.0 / std::max(x[i], kTinyFraction) : 0.0);
          }
        }
        break;
      case Prop::Fugacity: {
        const double phiP = std::exp(lnphi) * P;
        const double f = x[i] * phiP;
        if (rq.deriv == Deriv::None) out[i] = f;
        if (rq.deriv == Deriv::Temperature) out[i] = f * r.dlnphi_dT[i];
        if (rq.deriv == Deriv::Pressure) out[i] = f * (r.dlnphi_dP[i] + 1.0 / P);
        if (composition) {
          // d f_i/d n_j = f_i (Phi_ij - 1) + delta_ij phi_i P, finite at x_i = 0.
          for (std::size_t j = 0; j < n; ++j) {
            out[i * n + j] = f * (Phi[i * n + j] - 1.0) + (i == j ? phiP : 0.0);
          }
        }
        break;
      }
      case Prop::ActivityCoefficient:
      case Prop::Activity: {
        // gamma_i = phi_i / phi_i(pure, same T, P and phase); activity a_i = x_i gamma_i.
        const double gamma = std::exp(lnphi - lnref);
        const double xi = prop == Prop::Activity ? x[i] : 1.0;
        if (rq.deriv == Deriv::None) out[i] = xi * gamma;
        if (rq.deriv == Deriv::Temperature) out[i] = xi * gamma * (r.dlnphi_dT[i] - dTref);
        if (rq.deriv == Deriv::Pressure) out[i] = xi * gamma * (r.dlnphi_dP[i] - dPref);
        if (composition) {
          for (std::size_t j = 0; j < n; ++j) {
            double d = gamma * Phi[i * n + j];
            if (prop == Prop::Activity) d = x[i] * d + gamma * ((i == j ? 1.0 : 0.0) - x[i]);
            out[i * n + j] = d;
          }
        }
        break;
      }
      case Prop::PartialEnthalpy:
      case Prop::PartialEnergy:
      case Prop::PartialGibbs:
      case Prop::PartialHelmholtz:
      case Prop::PartialVolume: {
        const double Vi = r.V_partial[i];
        const double H = Hbar(i);
        const double G = H - T * Sbar(i);
        double v = prop == Prop::PartialEnthalpy    ? H
                   : prop == Prop::PartialEnergy    ? H - P * Vi
                   : prop == Prop::PartialGibbs     ? G
                   : prop == Prop::PartialHelmholtz ? G - P * Vi
                                                    : Vi;
        if (basis == Basis::Mass) v /= m_mix->compound(i).MW_kgmol();
        out[i] = v;
        break;
      }
      default:
        break;
    }
  }
  for (double v : out) {
    if (!std::isfinite(v)) {
      throw Error(ErrorKind::OutOfBounds, where,
                  cat("'", id, "' is not finite at T = ", T, " K, P = ", P, " Pa"));
    }
  }
}

// --- two-phase properties ---

std::vector<std::string> PropertyPackage::two_phase_property_list() {
  return {"kvalue",        "kvalue.Dtemperature",    "kvalue.Dpressure",
          "logKvalue",     "logKvalue.Dtemperature", "logKvalue.Dpressure",
          "surfaceTension"};
}

bool PropertyPackage::check_two_phase_property(std::string_view id, std::string_view label1,
                                               std::string_view label2) {
  try {
    const Phase a = parse_phase(label1), b = parse_phase(label2);
    if (a == b) return false;
    const Request rq = parse(id, kTwoPhase, "PropertyPackage::check_two_phase_property");
    return rq.deriv == Deriv::None || rq.deriv == Deriv::Temperature || rq.deriv == Deriv::Pressure;
  } catch (const Error&) {
    return false;
  }
}

std::vector<double> PropertyPackage::two_phase_property(std::string_view id, Phase phase1,
                                                        Phase phase2, Basis) {
  const char* where = "PropertyPackage::two_phase_property";
  const Request rq = parse(id, kTwoPhase, where);
  if (phase1 == phase2) {
    throw Error(ErrorKind::InvalidArgument, where,
                cat("'", id, "' needs a vapour and a liquid phase, got two ", phase_label(phase1),
                    " phases"));
  }
  if (rq.deriv == Deriv::MolFraction || rq.deriv == Deriv::Moles) {
    throw Error(ErrorKind::NotImplemented, where,
                cat("composition derivatives of '", id, "' are not calculated"));
  }
  const PhaseState& v = evaluated(Phase::Vapour);
  const PhaseState& l = evaluated(Phase::Liquid);
  const std::size_t n = m_mix->size();
  std::vector<double> out;
  if (rq.info->vector) {
    out.resize(n);
    const bool log = rq.info->prop == Prop::LogFugacity;
    for (std::size_t i = 0; i < n; ++i) {
      const double lnK = l.res.lnphi[i] - v.res.lnphi[i];
      double d = 0.0;
      if (rq.deriv == Deriv::Temperature) d = l.res.dlnphi_dT[i] - v.res.dlnphi_dT[i];
      if (rq.deriv == Deriv::Pressure) d = l.res.dlnphi_dP[i] - v.res.dlnphi_dP[i];
      if (rq.deriv == Deriv::None) {
        out[i] = log ? lnK : std::exp(lnK);
      } else {
        out[i] = log ? d : std::exp(lnK) * d;
      }
    }
  } else {
    if (!m_helpers->surface) m_helpers->surface = std::make_unique<SurfaceTension>(*m_mix);
    out.assign(1, m_helpers->surface->mixture(l.x, 1.0 / l.res.V_m3mol, v.x, 1.0 / v.res.V_m3mol));
  }
  for (double d : out) {
    if (!std::isfinite(d)) {
      throw Error(ErrorKind::OutOfBounds, where, cat("'", id, "' is not finite"));
    }
  }
  return out;
}

// --- ln phi for given mole numbers ---

void PropertyPackage::calc_ln_phi(Phase phase, double T, double P, std::span<const double> moles,
                                  bool want_lnphi, bool want_dT, bool want_dP, bool want_dn,
                                  LnPhiResult& out) {
  const char* where = "PropertyPackage::calc_ln_phi";
  check_T_P(where, T, P);
  const std::size_t n = m_mix->size();
  if (moles.size() != n) {
    throw Error(ErrorKind::BadArgument, where,
                cat("mole numbers have ", moles.size(), " values for ", n, " compounds"));
  }
  double total = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(moles[i]) || moles[i] < 0.0) {
      throw Error(ErrorKind::BadArgument, where,
                  cat("mole number of '", m_mix->compound(i).name, "' is ", moles[i]));
    }
    total += moles[i];
  }
  if (!(total > 0.0)) {
    throw Error(ErrorKind::BadArgument, where, cat("mole numbers sum to ", total));
  }
  std::vector<double>& x = m_helpers->lnphi_x;
  x.resize(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = moles[i] / total;
  PhaseState& st = m_helpers->lnphi_state;
  const bool derivs = want_dT || want_dP || want_dn;
  m_mix->evaluate(T, P, x, phase == Phase::Vapour ? RootChoice::Vapour : RootChoice::Liquid,
                  derivs ? Level::Full : Level::LnPhi, st);
  if (want_lnphi) out.lnphi.assign(st.res.lnphi.begin(), st.res.lnphi.end());
  if (want_dT) out.dlnphi_dT.assign(st.res.dlnphi_dT.begin(), st.res.dlnphi_dT.end());
  if (want_dP) out.dlnphi_dP.assign(st.res.dlnphi_dP.begin(), st.res.dlnphi_dP.end());
  if (want_dn) {
    out.dlnphi_dn.resize(n * n);
    for (std::size_t k = 0; k < n * n; ++k) out.dlnphi_dn[k] = st.res.dlnphi_dn[k] / total;
  }
}

// --- equilibrium ---

std::optional<FlashRequest> PropertyPackage::classify_equilibrium(const EquilibriumCondition& s1,
                                                                  const EquilibriumCondition& s2,
                                                                  std::string_view solution_type) {
  if (!(solution_type.empty() || iequals(solution_type, "Unspecified") ||
        iequals(solution_type, "Normal"))) {
    return std::nullopt;
  }
  FlashRequest request;
  const EquilibriumCondition* items[2] = {&s1, &s2};
  for (int k = 0; k < 2; ++k) {
    const EquilibriumCondition& s = *items[k];
    if (!s.compound.empty()) return std::nullopt;
    const bool overall = s.phase.empty() || iequals(s.phase, "Overall");
    if (iequals(s.property, "temperature") && overall) {
      request.quantity[k] = FixedQuantity::Temperature;
    } else if (iequals(s.property, "pressure") && overall) {
      request.quantity[k] = FixedQuantity::Pressure;
    } else if ((iequals(s.property, "enthalpy") || iequals(s.property, "entropy")) && overall) {
      request.quantity[k] =
          iequals(s.property, "enthalpy") ? FixedQuantity::Enthalpy : FixedQuantity::Entropy;
      if (s.basis.empty() || iequals(s.basis, "mole")) {
        request.basis[k] = Basis::Mole;
      } else if (iequals(s.basis, "mass")) {
        request.basis[k] = Basis::Mass;
      } else {
        return std::nullopt;
      }
    } else if (iequals(s.property, "phaseFraction") &&
               (s.basis.empty() || iequals(s.basis, "mole"))) {
      if (iequals(s.phase, "Vapor")) {
        request.quantity[k] = FixedQuantity::VapourFraction;
      } else if (iequals(s.phase, "Liquid")) {
        request.quantity[k] = FixedQuantity::LiquidFraction;
      } else {
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  auto has = [&](FixedQuantity q) {
    auto is = [q](FixedQuantity a) {
      if (q == FixedQuantity::VapourFraction) {
        return a == FixedQuantity::VapourFraction || a == FixedQuantity::LiquidFraction;
      }
      return a == q;
    };
    return is(request.quantity[0]) || is(request.quantity[1]);
  };
  const bool T = has(FixedQuantity::Temperature), P = has(FixedQuantity::Pressure);
  const bool H = has(FixedQuantity::Enthalpy), S = has(FixedQuantity::Entropy);
  const bool VF = has(FixedQuantity::VapourFraction);
  if (T && P)
    request.type = FlashType::TP;
  else if (P && H)
    request.type = FlashType::PH;
  else if (T && H)
    request.type = FlashType::TH;
  else if (P && S)
    request.type = FlashType::PS;
  else if (T && S)
    request.type = FlashType::TS;
  else if (T && VF)
    request.type = FlashType::TVF;
  else if (P && VF)
    request.type = FlashType::PVF;
  else if (H && VF)
    request.type = FlashType::HVF;
  else
    return std::nullopt;
  return request;
}

FlashResult PropertyPackage::calc_equilibrium(const FlashRequest& request, double value1,
                                              double value2, std::span<const double> z_in) {
  const char* where = "PropertyPackage::calc_equilibrium";
  std::vector<double>& z = m_feed;
  normalise(where, z_in, z);
  double T = NAN, P = NAN, H = NAN, S = NAN, VF = NAN;
  const double M = m_mix->molar_mass_kgmol(z);
  const double values[2] = {value1, value2};
  for (int k = 0; k < 2; ++k) {
    const double v = values[k];
    if (!std::isfinite(v)) {
      throw Error(ErrorKind::BadArgument, where, cat("condition value ", k + 1, " is ", v));
    }
    const double per_mole = request.basis[k] == Basis::Mass ? v * M : v;
    switch (request.quantity[k]) {
      case FixedQuantity::Temperature:
        T = v;
        break;
      case FixedQuantity::Pressure:
        P = v;
        break;
      case FixedQuantity::Enthalpy:
        H = per_mole;
        break;
      case FixedQuantity::Entropy:
        S = per_mole;
        break;
      case FixedQuantity::VapourFraction:
        VF = v;
        break;
      case FixedQuantity::LiquidFraction:
        VF = 1.0 - v;
        break;
    }
  }
  if (!std::isnan(T) && (T < T_min_K || T > T_max_K)) {
    throw Error(ErrorKind::OutOfBounds, where, cat("T = ", T, " K outside the model range"));
  }
  if (!std::isnan(P) && (P < P_min_Pa || P > P_max_Pa)) {
    throw Error(ErrorKind::OutOfBounds, where, cat("P = ", P, " Pa outside the model range"));
  }
  if (!std::isnan(VF) && (VF < 0.0 || VF > 1.0)) {
    throw Error(ErrorKind::OutOfBounds, where, cat("vapour fraction ", VF, " outside [0, 1]"));
  }
  FlashSolver& f = *m_flash;
  switch (request.type) {
    case FlashType::TP:
      return f.tp(T, P, z);
    case FlashType::PH:
      return f.ph(P, H, z);
    case FlashType::TH:
      return f.th(T, H, z);
    case FlashType::PS:
      return f.ps(P, S, z);
    case FlashType::TS:
      return f.ts(T, S, z);
    case FlashType::TVF:
      return f.tvf(T, VF, z);
    case FlashType::PVF:
      return f.pvf(P, VF, z);
    case FlashType::HVF:
      return f.hvf(H, VF, z);
  }
  throw Error(ErrorKind::InvalidArgument, where, "unknown kind of flash");
}

}  // namespace pr
