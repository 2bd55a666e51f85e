#include "pr_package/pr_property_package.h"

#include <algorithm>
#include <cmath>

#include "capeside/support/property_ids.h"
#include "capeside/support/string_argument.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "pr_package/cape_errors.h"
#include "pr_package/data_folder.h"
#include "pr_package/model/saturation.h"

namespace prcape {

using capeside::CapeError;
using capeside::cat;
using capeside::sameName;
using capeside::stringArgument;

namespace {

constexpr const char* kVapor = "Vapor";
constexpr const char* kLiquid = "Liquid";
constexpr const char* kRoutine = "ICapeThermoPropertyRoutine";
constexpr const char* kEquilibrium = "ICapeThermoEquilibriumRoutine";
constexpr const char* kCompounds = "ICapeThermoCompounds";

//! Pressure-dependent compound properties: the equation's own saturation temperature.
const std::vector<std::string>& pressureDependentProperties() {
  static const std::vector<std::string> ids = {"boilingPointTemperature",
                                               "boilingPointTemperature.Dpressure"};
  return ids;
}

std::unique_ptr<pr::PropertyPackage> makeModel(const PackageConfiguration& c) {
  try {
    return std::make_unique<pr::PropertyPackage>(*database(c.kijFile), c.compounds);
  } catch (const pr::Error& e) {
    CapeError out = toCapeError(e, "PrPackage::PrPackage");
    out.record().code = ECapeFailedInitialisationHR;
    throw out;
  }
}

//! The phase of a label; ECapeInvalidArgument at `position` for any other label.
pr::Phase phaseOf(const std::string& label, SHORT position, const char* scope) {
  if (sameName(label, kVapor)) return pr::Phase::Vapour;
  if (sameName(label, kLiquid)) return pr::Phase::Liquid;
  throw CapeError(
      ECapeInvalidArgumentHR, scope,
      cat("phase \"", label, "\" is not a phase of the Peng-Robinson package (Vapor, Liquid)"))
      .at(position);
}

bool contains(const std::vector<std::string>& list, const std::string& name) {
  return capeside::findName(list, name) >= 0;
}

comlite::Variant constantVariant(const pr::ConstantValue& value, bool* missing) {
  if (const double* d = std::get_if<double>(&value)) return comlite::Variant::fromDouble(*d);
  if (const std::string* s = std::get_if<std::string>(&value)) return capeside::makeString(*s);
  *missing = true;
  return comlite::Variant();  // UNDEFINED
}

}  // namespace

template <class F>
HRESULT PrPackage::call(const char* interfaceName, const char* operation, F&& body) noexcept {
  return guard(interfaceName, operation, [&]() -> HRESULT {
    try {
      return body();
    } catch (const pr::Error& e) {
      throw toCapeError(e, ("PrPackage::" + std::string(operation)).c_str());
    }
  });
}

PrPackage::PrPackage() : PrPackage(standAloneConfiguration()) {}

PrPackage::PrPackage(const PackageConfiguration& configuration)
    : CapeComponent(configuration.name,
                    configuration.description.empty()
                        ? "Peng-Robinson equation of state with ideal-gas heat capacities"
                        : configuration.description,
                    kPrNoParameters),
      m_configuration(configuration),
      m_model(makeModel(configuration)) {}

PrPackage::~PrPackage() = default;

// ---------------------------------------------------------------------------------------------
// ICapeUtilities

HRESULT PrPackage::Terminate() {
  m_material.reset();
  return CapeComponent::Terminate();
}

HRESULT PrPackage::Edit() {
  return call("ICapeUtilities", "Edit", [&]() -> HRESULT {
    throw CapeError(ECapeNoImplHR, "PrPackage::Edit",
                    cat("the Peng-Robinson package has no dialog: package \"", m_configuration.name,
                        "\" is configured in packages.txt of ", dataFolder(),
                        " and chosen through the package manager"));
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoCompounds

std::vector<std::size_t> PrPackage::compoundIndexes(const VARIANT& compIds, SHORT position,
                                                    const char* scope) const {
  std::vector<std::size_t> out;
  if (compIds.vt == VT_EMPTY) {
    for (std::size_t i = 0; i < m_model->compound_count(); ++i) out.push_back(i);
    return out;
  }
  for (const std::string& id : stringArgument(compIds, position, "compIds", scope)) {
    try {
      out.push_back(m_model->compound_index(id));
    } catch (const pr::Error&) {
      throw CapeError(ECapeInvalidArgumentHR, scope,
                      cat("compound \"", id, "\" is not in package \"", m_name, "\""))
          .at(position);
    }
  }
  return out;
}

HRESULT PrPackage::GetCompoundConstant(VARIANT props, VARIANT compIds, VARIANT* propVals) {
  return call(kCompounds, "GetCompoundConstant", [&] {
    static constexpr const char* kScope = "PrPackage::GetCompoundConstant";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    const std::vector<std::string> known = pr::PropertyPackage::constant_property_list();
    for (const std::string& id : ids)
      if (!contains(known, id))
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("compound constant \"", id, "\" is not known to the package"))
            .at(1);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 2, kScope);
    std::vector<comlite::Variant> values;
    bool missing = false;
    for (const std::string& id : ids)  // property-major
      for (std::size_t i : which)
        values.push_back(constantVariant(m_model->compound_constant(id, i), &missing));
    capeside::putVariant(propVals, capeside::makeVariantArray(values));
    if (missing)
      throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                      "some of the requested constants have no value in the compound data; "
                      "they are left undefined");
    return S_OK;
  });
}

HRESULT PrPackage::GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names,
                                   VARIANT* boilTemps, VARIANT* molwts, VARIANT* casnos) {
  return call(kCompounds, "GetCompoundList", [&] {
    if (!compIds || !formulae || !names || !boilTemps || !molwts || !casnos) return E_POINTER;
    std::vector<std::string> ids, f, cas;
    std::vector<double> tb, mw;
    for (std::size_t i = 0; i < m_model->compound_count(); ++i) {
      const pr::CompoundRecord& c = m_model->compound(i);
      ids.push_back(c.name);
      f.push_back(c.formula);
      cas.push_back(c.cas);
      tb.push_back(c.Tb_K.value_or(std::nan("")));  // NaN: no normal boiling point (CO2)
      mw.push_back(c.MW_gmol);
    }
    capeside::putVariant(compIds, capeside::makeStringArray(ids));
    capeside::putVariant(formulae, capeside::makeStringArray(f));
    capeside::putVariant(names, capeside::makeStringArray(ids));
    capeside::putVariant(boilTemps, capeside::makeDoubleArray(tb));
    capeside::putVariant(molwts, capeside::makeDoubleArray(mw));
    capeside::putVariant(casnos, capeside::makeStringArray(cas));
    return S_OK;
  });
}

HRESULT PrPackage::GetConstPropList(VARIANT* props) {
  return call(kCompounds, "GetConstPropList", [&] {
    return capeside::putVariant(
        props, capeside::makeStringArray(pr::PropertyPackage::constant_property_list()));
  });
}

HRESULT PrPackage::GetNumCompounds(LONG* num) {
  if (!num) return E_POINTER;
  *num = static_cast<LONG>(m_model->compound_count());
  return S_OK;
}

HRESULT PrPackage::GetPDependentProperty(VARIANT props, double pressure, VARIANT compIds,
                                         VARIANT* propVals) {
  return call(kCompounds, "GetPDependentProperty", [&] {
    static constexpr const char* kScope = "PrPackage::GetPDependentProperty";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    for (const std::string& id : ids)
      if (!contains(pressureDependentProperties(), id))
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("pressure-dependent property \"", id, "\" is not calculated"))
            .at(1);
    checkPressure(pressure, 2, kScope);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 3, kScope);
    std::vector<double> values;
    for (const std::string& id : ids) {
      const bool slope = sameName(id, "boilingPointTemperature.Dpressure");
      for (std::size_t i : which) {
        const pr::SaturationPoint s = pr::saturation_at_P(m_model->mixture(), i, pressure);
        values.push_back(slope ? 1.0 / s.dP_dT_PaK : s.T_K);  // dT/dP from Clapeyron's dP/dT
      }
    }
    checkFinite(values, "pressure-dependent property", kScope);
    return capeside::putVariant(propVals, capeside::makeDoubleArray(values));
  });
}

HRESULT PrPackage::GetPDependentPropList(VARIANT* props) {
  return call(kCompounds, "GetPDependentPropList", [&] {
    return capeside::putVariant(props, capeside::makeStringArray(pressureDependentProperties()));
  });
}

HRESULT PrPackage::GetTDependentProperty(VARIANT props, double temperature, VARIANT compIds,
                                         VARIANT* propVals) {
  return call(kCompounds, "GetTDependentProperty", [&] {
    static constexpr const char* kScope = "PrPackage::GetTDependentProperty";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    const std::vector<std::string> known =
        pr::PropertyPackage::temperature_dependent_property_list();
    for (const std::string& id : ids)
      if (!contains(known, id))
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("temperature-dependent property \"", id, "\" is not calculated"))
            .at(1);
    checkTemperature(temperature, 2, kScope);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 3, kScope);
    std::vector<double> values;
    for (const std::string& id : ids)
      for (std::size_t i : which)
        values.push_back(m_model->temperature_dependent_property(id, i, temperature));
    checkFinite(values, "temperature-dependent property", kScope);
    return capeside::putVariant(propVals, capeside::makeDoubleArray(values));
  });
}

HRESULT PrPackage::GetTDependentPropList(VARIANT* props) {
  return call(kCompounds, "GetTDependentPropList", [&] {
    return capeside::putVariant(
        props,
        capeside::makeStringArray(pr::PropertyPackage::temperature_dependent_property_list()));
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoPhases

HRESULT PrPackage::GetNumPhases(LONG* num) {
  if (!num) return E_POINTER;
  *num = 2;
  return S_OK;
}

HRESULT PrPackage::GetPhaseInfo(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value) {
  return call("ICapeThermoPhases", "GetPhaseInfo", [&] {
    static constexpr const char* kScope = "PrPackage::GetPhaseInfo";
    if (!value) return E_POINTER;
    const bool vapor = phaseOf(capeside::text(phaseLabel), 1, kScope) == pr::Phase::Vapour;
    const std::string attribute = capeside::text(phaseAttribute);
    if (sameName(attribute, "StateOfAggregation"))
      return capeside::putVariant(value, capeside::makeString(vapor ? kVapor : kLiquid));
    if (sameName(attribute, "UserDescription"))
      return capeside::putVariant(
          value, capeside::makeString(vapor ? "Vapour: the largest root of the Peng-Robinson cubic"
                                            : "Liquid: the smallest root of the Peng-Robinson "
                                              "cubic (one liquid phase)"));
    if (sameName(attribute, "KeyCompoundId") || sameName(attribute, "ExcludedCompoundId") ||
        sameName(attribute, "DensityDescription") || sameName(attribute, "TypeOfSolid"))
      return capeside::putVariant(value, comlite::Variant());  // UNDEFINED for these phases
    throw CapeError(ECapeInvalidArgumentHR, kScope,
                    cat("phase attribute \"", attribute, "\" is not known"))
        .at(2);
  });
}

HRESULT PrPackage::GetPhaseList(VARIANT* phaseLabels, VARIANT* stateOfAggregation,
                                VARIANT* keyCompoundId) {
  return call("ICapeThermoPhases", "GetPhaseList", [&] {
    if (!phaseLabels || !stateOfAggregation || !keyCompoundId) return E_POINTER;
    capeside::putVariant(phaseLabels, capeside::makeStringArray({kVapor, kLiquid}));
    capeside::putVariant(stateOfAggregation, capeside::makeStringArray({kVapor, kLiquid}));
    capeside::putVariant(keyCompoundId, capeside::makeStringArray({"", ""}, true));
    return S_OK;
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoPropertyRoutine

bool PrPackage::loadPhase(const std::string& label, pr::Phase phase, const char* scope) {
  return loadPhase(comlite::Bstr(label).get(), label, phase, scope);
}

bool PrPackage::loadPhase(BSTR label, const std::string& text, pr::Phase phase, const char* scope) {
  double T = 0, P = 0;
  m_material.phaseState(label, text, T, P, m_x, scope);
  checkTemperature(T, 0, scope);
  checkPressure(P, 0, scope);
  m_model->set_state(phase, T, P, m_x);
  return m_model->phase_root_exists(phase);
}

HRESULT PrPackage::CalcAndGetLnPhi(BSTR phaseLabel, double temperature, double pressure,
                                   VARIANT moleNumbers, LONG fFlags, VARIANT* lnPhi,
                                   VARIANT* lnPhiDT, VARIANT* lnPhiDP, VARIANT* lnPhiDn) {
  return call(kRoutine, "CalcAndGetLnPhi", [&] {
    static constexpr const char* kScope = "PrPackage::CalcAndGetLnPhi";
    const pr::Phase phase = phaseOf(capeside::text(phaseLabel), 1, kScope);
    checkTemperature(temperature, 2, kScope);
    checkPressure(pressure, 3, kScope);
    if (fFlags < 0 || fFlags > (CAPE_LOG_FUGACITY_COEFFICIENTS | CAPE_T_DERIVATIVE |
                                CAPE_P_DERIVATIVE | CAPE_MOLE_NUMBERS_DERIVATIVES))
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("fFlags ", fFlags, " is not a sum of the calculation codes 1, 2, 4, 8"))
          .at(5);
    const bool wantLnPhi = fFlags & CAPE_LOG_FUGACITY_COEFFICIENTS;
    const bool wantDT = fFlags & CAPE_T_DERIVATIVE, wantDP = fFlags & CAPE_P_DERIVATIVE;
    const bool wantDn = fFlags & CAPE_MOLE_NUMBERS_DERIVATIVES;
    if ((wantLnPhi && !lnPhi) || (wantDT && !lnPhiDT) || (wantDP && !lnPhiDP) ||
        (wantDn && !lnPhiDn))
      return E_POINTER;
    m_material.material(kScope);
    auto n = capeside::doubleList(moleNumbers);
    if (!n)
      throw CapeError(ECapeBadArgumentHR, kScope, "moleNumbers is not a list of numbers").at(4);
    double total = 0;
    for (double v : *n) {
      if (!std::isfinite(v) || v < 0)
        throw CapeError(ECapeBadArgumentHR, kScope, cat("moleNumbers holds ", v)).at(4);
      total += v;
    }
    m_material.toPackageOrder(*n, m_x, "moleNumbers", 4, kScope);
    if (!(total > 0)) throw CapeError(ECapeBadArgumentHR, kScope, "moleNumbers sum to zero").at(4);
    if (fFlags == 0) return S_OK;
    pr::LnPhiResult r;
    m_model->calc_ln_phi(phase, temperature, pressure, m_x, wantLnPhi, wantDT, wantDP, wantDn, r);
    // Every output is checked before any is written.
    const std::pair<const std::vector<double>*, const char*> outputs[] = {
        {&r.lnphi, "lnPhi"},
        {&r.dlnphi_dT, "lnPhiDT"},
        {&r.dlnphi_dP, "lnPhiDP"},
        {&r.dlnphi_dn, "lnPhiDn"}};
    for (const auto& [values, name] : outputs) checkFinite(*values, name, kScope);
    VARIANT* targets[] = {lnPhi, lnPhiDT, lnPhiDP, lnPhiDn};
    const bool wanted[] = {wantLnPhi, wantDT, wantDP, wantDn};
    for (int k = 0; k < 4; ++k) {
      if (!wanted[k]) continue;
      m_material.toMaterialOrder(*outputs[k].first, m_picked);
      capeside::putVariant(targets[k], capeside::makeDoubleArray(m_picked));
    }
    return S_OK;
  });
}

const PrPackage::SinglePhaseRequest& PrPackage::singlePhaseRequest(const VARIANT& props,
                                                                   BSTR phaseLabel,
                                                                   const char* scope) {
  for (const SinglePhaseRequest& r : m_singles)
    if (r.valid && comlite::bstrView(phaseLabel) == r.givenLabel &&
        capeside::sameStringList(props, r.given))
      return r;
  SinglePhaseRequest& r = m_singles[m_nextSingle];
  m_nextSingle = (m_nextSingle + 1) % m_singles.size();
  r.valid = false;
  r.names = stringArgument(props, 1, "props", scope);
  r.label = capeside::text(phaseLabel);
  r.phase = phaseOf(r.label, 2, scope);
  for (const std::string& name : r.names) {
    if (pr::PropertyPackage::check_single_phase_property(name, r.label)) continue;
    // The model says why: an unknown identifier or one it does not calculate.
    m_model->single_phase_property(name, r.phase, pr::Basis::Mole, m_values);
    throw CapeError(ECapeInvalidArgumentHR, scope, cat("property \"", name, "\" is not known"))
        .at(1);
  }
  capeside::readWideStringList(props, r.given);
  r.givenLabel = comlite::bstrView(phaseLabel);
  r.names16.clear();
  r.perBasis.clear();
  for (const std::string& name : r.names) {
    r.names16.emplace_back(name);
    r.perBasis.push_back(capeside::isBasisDependentName(name));
  }
  r.valid = true;
  return r;
}

HRESULT PrPackage::CalcSinglePhaseProp(VARIANT props, BSTR phaseLabel) {
  return call(kRoutine, "CalcSinglePhaseProp", [&] {
    static constexpr const char* kScope = "PrPackage::CalcSinglePhaseProp";
    const SinglePhaseRequest& r = singlePhaseRequest(props, phaseLabel, kScope);
    if (!loadPhase(phaseLabel, r.label, r.phase, kScope) &&
        m_configuration.missingRoot == MissingRoot::Unavailable)
      throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                      cat("the cubic has no ", r.label,
                          " root at this state (only the other "
                          "kind of root exists)"));
    // Everything is calculated before anything is written: a failure writes nothing.
    const std::size_t count = r.names.size();
    if (m_results.size() < count) m_results.resize(count);
    if (m_valueArrays.size() < count) m_valueArrays.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
      m_model->single_phase_property(r.names[k], r.phase, pr::Basis::Mole, m_values);
      checkFinite(m_values, r.names[k], kScope);
      m_material.toMaterialOrder(m_values, m_results[k]);
    }
    for (std::size_t k = 0; k < count; ++k)
      m_material.setPhaseProp(r.names16[k].get(), phaseLabel,
                              r.perBasis[k] ? m_mole.get() : nullptr, m_results[k],
                              m_valueArrays[k], kScope);
    return S_OK;
  });
}

HRESULT PrPackage::CalcTwoPhaseProp(VARIANT props, VARIANT phaseLabels) {
  return call(kRoutine, "CalcTwoPhaseProp", [&] {
    static constexpr const char* kScope = "PrPackage::CalcTwoPhaseProp";
    const std::vector<std::string> names = stringArgument(props, 1, "props", kScope);
    const std::vector<std::string> labels = stringArgument(phaseLabels, 2, "phaseLabels", kScope);
    if (labels.size() != 2)
      throw CapeError(ECapeBadArgumentHR, kScope,
                      cat("phaseLabels has ", labels.size(), " labels instead of 2"))
          .at(2);
    const pr::Phase p1 = phaseOf(labels[0], 2, kScope), p2 = phaseOf(labels[1], 2, kScope);
    if (p1 == p2)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("phaseLabels names ", labels[0],
                          " twice; a vapour and a liquid are "
                          "needed"))
          .at(2);
    for (const std::string& name : names) {
      if (pr::PropertyPackage::check_two_phase_property(name, labels[0], labels[1])) continue;
      m_model->two_phase_property(name, p1, p2);
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("two-phase property \"", name, "\" is not known"))
          .at(1);
    }
    loadPhase(labels[0], p1, kScope);
    loadPhase(labels[1], p2, kScope);
    std::vector<std::vector<double>> results(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
      const std::vector<double> all = m_model->two_phase_property(names[k], p1, p2);
      checkFinite(all, names[k], kScope);
      m_material.toMaterialOrder(all, results[k]);
    }
    for (std::size_t k = 0; k < names.size(); ++k)
      m_material.setTwoPhaseProp(names[k], phaseLabels, results[k], kScope);
    return S_OK;
  });
}

HRESULT PrPackage::CheckSinglePhasePropSpec(BSTR property, BSTR phaseLabel, VARIANT_BOOL* valid) {
  return call(kRoutine, "CheckSinglePhasePropSpec", [&] {
    if (!valid) return E_POINTER;
    *valid = pr::PropertyPackage::check_single_phase_property(capeside::text(property),
                                                              capeside::text(phaseLabel))
                 ? VARIANT_TRUE
                 : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT PrPackage::CheckTwoPhasePropSpec(BSTR property, VARIANT phaseLabels, VARIANT_BOOL* valid) {
  return call(kRoutine, "CheckTwoPhasePropSpec", [&] {
    if (!valid) return E_POINTER;
    auto labels = capeside::stringList(phaseLabels);
    const bool ok = labels && labels->size() == 2 &&
                    pr::PropertyPackage::check_two_phase_property(capeside::text(property),
                                                                  (*labels)[0], (*labels)[1]);
    *valid = ok ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT PrPackage::GetSinglePhasePropList(VARIANT* props) {
  return call(kRoutine, "GetSinglePhasePropList", [&] {
    return capeside::putVariant(
        props, capeside::makeStringArray(pr::PropertyPackage::single_phase_property_list()));
  });
}

HRESULT PrPackage::GetTwoPhasePropList(VARIANT* props) {
  return call(kRoutine, "GetTwoPhasePropList", [&] {
    return capeside::putVariant(
        props, capeside::makeStringArray(pr::PropertyPackage::two_phase_property_list()));
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoEquilibriumRoutine

std::optional<pr::FlashRequest> PrPackage::equilibriumRequest(const VARIANT& s1, const VARIANT& s2,
                                                              BSTR solutionType,
                                                              std::vector<std::string> specs[2],
                                                              const char* scope) const {
  const VARIANT* given[2] = {&s1, &s2};
  pr::EquilibriumCondition conditions[2];
  for (int k = 0; k < 2; ++k) {
    const SHORT position = static_cast<SHORT>(k + 1);
    std::vector<std::string>& spec = specs[k];
    if (!capeside::readStringList(*given[k], spec) || spec.size() < 3 || spec.size() > 4)
      throw CapeError(ECapeBadArgumentHR, scope,
                      cat("specification ", k + 1,
                          " is not an array of 3 or 4 strings (property, basis, phase, compound)"))
          .at(position);
    static const std::string kNoCompound;
    const std::string& basis = spec[1];
    const std::string& phase = spec[2];
    if (!basis.empty() && !sameName(basis, "mole") && !sameName(basis, "mass"))
      throw CapeError(
          ECapeInvalidArgumentHR, scope,
          cat("specification ", k + 1, ": basis \"", basis, "\" is neither \"mole\" nor \"mass\""))
          .at(position);
    if (!phase.empty() && !sameName(phase, "Overall") && !sameName(phase, kVapor) &&
        !sameName(phase, kLiquid))
      throw CapeError(ECapeInvalidArgumentHR, scope,
                      cat("specification ", k + 1, ": phase \"", phase,
                          "\" is neither \"Overall\" nor a phase of the package"))
          .at(position);
    conditions[k] = {spec[0], basis, phase, spec.size() > 3 ? spec[3] : kNoCompound};
  }
  const std::string type = capeside::text(solutionType);
  if (!type.empty() && !sameName(type, "Unspecified") && !sameName(type, "Normal") &&
      !sameName(type, "Retrograde"))
    throw CapeError(
        ECapeInvalidArgumentHR, scope,
        cat("solution type \"", type, "\" is not one of Unspecified, Normal and Retrograde"))
        .at(3);
  return pr::PropertyPackage::classify_equilibrium(conditions[0], conditions[1], type);
}

HRESULT PrPackage::CalcEquilibrium(VARIANT specification1, VARIANT specification2,
                                   BSTR solutionType) {
  return call(kEquilibrium, "CalcEquilibrium", [&] {
    static constexpr const char* kScope = "PrPackage::CalcEquilibrium";
    KnownEquilibrium& known = m_knownEquilibrium;
    std::optional<pr::FlashRequest> request;
    if (known.valid && comlite::sameUnits(comlite::bstrView(solutionType), known.type) &&
        capeside::sameStringList(specification1, known.given[0]) &&
        capeside::sameStringList(specification2, known.given[1])) {
      request = known.request;  // m_specs still hold them, read
    } else {
      known.valid = false;
      request = equilibriumRequest(specification1, specification2, solutionType, m_specs, kScope);
      if (request) {
        for (int k = 0; k < 2; ++k) {
          known.property[k] = comlite::Bstr(m_specs[k][0]);
          known.basis[k] = m_specs[k][1].empty() ? comlite::Bstr() : comlite::Bstr(m_specs[k][1]);
        }
        known.request = *request;
        known.type.assign(comlite::bstrView(solutionType));
        known.valid = capeside::readWideStringList(specification1, known.given[0]) &&
                      capeside::readWideStringList(specification2, known.given[1]);
      }
    }
    if (!request)
      throw CapeError(ECapeLimitedImplHR, kScope,
                      cat("the specification pair (", m_specs[0][0], ", ", m_specs[1][0],
                          ") with solution type \"", capeside::text(solutionType),
                          "\" is not solved; supported are two of temperature, pressure, "
                          "enthalpy and entropy of \"Overall\" and the mole phaseFraction of a "
                          "phase, with solution type Unspecified or Normal"));
    m_material.material(kScope);

    // The phases the equilibrium may have: those present on the material.
    std::vector<std::u16string>& present = m_present;
    m_material.presentPhases(present, m_presentStatus, kScope);
    const std::u16string* vaporLabel = nullptr;
    const std::u16string* liquidLabel = nullptr;
    for (const std::u16string& l : present) {
      if (sameName(l, u"Vapor")) vaporLabel = &l;
      if (sameName(l, u"Liquid")) liquidLabel = &l;
    }
    if (!vaporLabel && !liquidLabel)
      throw CapeError(ECapeBadInvOrderHR, kScope,
                      "neither Vapor nor Liquid is present on the material: the equilibrium has "
                      "no phase to consider")
          .requested("SetPresentPhases");
    const bool bothAllowed = vaporLabel && liquidLabel;

    // The values of the two specifications and the feed, from the material.
    double values[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      const std::string& property = m_specs[k][0];
      const std::string& basis = m_specs[k][1];
      if (request->quantity[k] == pr::FixedQuantity::VapourFraction ||
          request->quantity[k] == pr::FixedQuantity::LiquidFraction) {
        if (!bothAllowed)
          throw CapeError(ECapeInvalidArgumentHR, kScope,
                          "a phase-fraction specification needs both Vapor and Liquid present "
                          "on the material")
              .at(static_cast<SHORT>(k + 1));
        values[k] =
            m_material.phaseValue(property, m_specs[k][2], basis.empty() ? "mole" : basis, kScope);
      } else {
        values[k] = m_material.overallValue(known.property[k].get(), known.basis[k].get(), property,
                                            kScope);
      }
      if (request->quantity[k] == pr::FixedQuantity::Temperature)
        checkTemperature(values[k], 0, kScope);
      if (request->quantity[k] == pr::FixedQuantity::Pressure) checkPressure(values[k], 0, kScope);
    }
    std::vector<double>& z = m_z;
    m_material.overallFractions(z, kScope);

    pr::FlashResult r;
    if (!bothAllowed && request->type == pr::FlashType::TP) {
      // One phase allowed: at fixed T and P it is the whole feed.
      const bool tFirst = request->quantity[0] == pr::FixedQuantity::Temperature;
      r.T_K = tFirst ? values[0] : values[1];
      r.P_Pa = tFirst ? values[1] : values[0];
      r.has_vapour = vaporLabel != nullptr;
      r.has_liquid = !r.has_vapour;
      r.beta = r.has_vapour ? 1.0 : 0.0;
      m_model->set_state(r.has_vapour ? pr::Phase::Vapour : pr::Phase::Liquid, r.T_K, r.P_Pa, z);
      (r.has_vapour ? r.y : r.x) = z;
    } else {
      r = m_model->calc_equilibrium(*request, values[0], values[1], z);
      if (!bothAllowed &&
          (r.has_vapour != (vaporLabel != nullptr) || r.has_liquid != (liquidLabel != nullptr)))
        throw CapeError(
            ECapeSolvingErrorHR, kScope,
            cat("the equilibrium state has ",
                r.has_vapour && r.has_liquid ? "two phases"
                : r.has_vapour               ? "a vapour"
                                             : "a liquid",
                ", but only ", comlite::utf16ToUtf8(vaporLabel ? *vaporLabel : *liquidLabel),
                " is present on the material"));
    }
    auto finite = [](const std::vector<double>& values) {
      return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
    };
    if (!std::isfinite(r.T_K) || !std::isfinite(r.P_Pa) || !std::isfinite(r.beta) || !finite(r.y) ||
        !finite(r.x))
      throw CapeError(ECapeSolvingErrorHR, kScope,
                      "the equilibrium calculation ended on a state that is not finite");

    // Results: the phases at equilibrium, each with T, P, phase fraction and composition,
    // then the overall T and P that were not specified. Nothing else is written.
    struct Out {
      std::u16string_view label;
      double fraction;
      const std::vector<double>* composition;
    };
    Out phases[2];
    std::size_t count = 0;
    using Label = std::u16string_view;
    if (r.has_vapour) phases[count++] = {vaporLabel ? Label(*vaporLabel) : u"Vapor", r.beta, &r.y};
    if (r.has_liquid)
      phases[count++] = {liquidLabel ? Label(*liquidLabel) : u"Liquid", 1.0 - r.beta, &r.x};
    m_labels.resize(count);
    for (std::size_t k = 0; k < count; ++k) m_labels[k].assign(phases[k].label);
    m_presentStatus.assign(count, CAPE_ATEQUILIBRIUM);
    m_material.setPresentPhases(m_labels, m_presentStatus, kScope);
    // Names and arrays handed to the material are kept between flashes and refilled.
    if (m_equilibriumArrays.size() < 8) m_equilibriumArrays.resize(8);
    std::vector<double>& one = m_one;
    one.resize(1);
    for (std::size_t k = 0; k < count; ++k) {
      const Out& p = phases[k];
      comlite::Bstr& label = m_resultLabels[k];
      if (!label.get() || !comlite::sameUnits(label.view(), p.label))
        label = comlite::Bstr(p.label);
      comlite::Variant* arrays = &m_equilibriumArrays[4 * k];
      one[0] = r.T_K;
      m_material.setPhaseProp(m_temperature.get(), label.get(), nullptr, one, arrays[0], kScope);
      one[0] = r.P_Pa;
      m_material.setPhaseProp(m_pressure.get(), label.get(), nullptr, one, arrays[1], kScope);
      one[0] = p.fraction;
      m_material.setPhaseProp(m_phaseFraction.get(), label.get(), m_mole.get(), one, arrays[2],
                              kScope);
      m_material.toMaterialOrder(*p.composition, m_picked);
      m_material.setPhaseProp(m_fraction.get(), label.get(), m_mole.get(), m_picked, arrays[3],
                              kScope);
    }
    auto specified = [&](pr::FixedQuantity q) {
      return request->quantity[0] == q || request->quantity[1] == q;
    };
    one[0] = r.T_K;
    if (!specified(pr::FixedQuantity::Temperature))
      m_material.setOverallProp("temperature", one, kScope);
    one[0] = r.P_Pa;
    if (!specified(pr::FixedQuantity::Pressure)) m_material.setOverallProp("pressure", one, kScope);
    return S_OK;
  });
}

HRESULT PrPackage::CheckEquilibriumSpec(VARIANT specification1, VARIANT specification2,
                                        BSTR solutionType, VARIANT_BOOL* isSupported) {
  return call(kEquilibrium, "CheckEquilibriumSpec", [&] {
    if (!isSupported) return E_POINTER;
    bool ok = false;
    try {
      std::vector<std::string> specs[2];
      ok = equilibriumRequest(specification1, specification2, solutionType, specs,
                              "PrPackage::CheckEquilibriumSpec")
               .has_value();
    } catch (const CapeError&) {
      ok = false;  // a malformed specification is not a supported one, and not an error here
    }
    *isSupported = ok ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoMaterialContext

HRESULT PrPackage::SetMaterial(IDispatch* material) {
  return call("ICapeThermoMaterialContext", "SetMaterial", [&] {
    m_material.bind(material, *m_model, "PrPackage::SetMaterial");
    return S_OK;
  });
}

HRESULT PrPackage::UnsetMaterial() {
  m_material.reset();
  return S_OK;
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoUniversalConstant

HRESULT PrPackage::GetUniversalConstant(BSTR constantId, VARIANT* constantValue) {
  return call("ICapeThermoUniversalConstant", "GetUniversalConstant", [&] {
    if (!constantValue) return E_POINTER;
    const std::string id = capeside::text(constantId);
    if (!contains(pr::PropertyPackage::universal_constant_list(), id))
      throw CapeError(ECapeInvalidArgumentHR, "PrPackage::GetUniversalConstant",
                      cat("universal constant \"", id, "\" is not known"))
          .at(1);
    return capeside::putVariant(
        constantValue, comlite::Variant::fromDouble(pr::PropertyPackage::universal_constant(id)));
  });
}

HRESULT PrPackage::GetUniversalConstantList(VARIANT* constantIds) {
  return call("ICapeThermoUniversalConstant", "GetUniversalConstantList", [&] {
    return capeside::putVariant(
        constantIds, capeside::makeStringArray(pr::PropertyPackage::universal_constant_list()));
  });
}

}  // namespace prcape
