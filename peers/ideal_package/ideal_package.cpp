#include "ideal_package/ideal_package.h"

#include <cmath>

#include "capeside/support/error_object.h"
#include "capeside/support/property_ids.h"
#include "capeside/support/string_argument.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "ideal_package/model/model_error.h"
#include "ideal_package/model/pure_compound.h"
#include "ideal_package/model/tp_flash.h"
#include "ideal_package/package_data.h"

namespace ideal {

using capeside::CapeError;
using capeside::cat;
using capeside::sameName;
using capeside::stringArgument;

namespace {

constexpr const char* kVapor = "Vapor";
constexpr const char* kLiquid = "Liquid";

CapeError toCapeError(const ModelError& e) {
  HRESULT code = ECapeUnknownHR;
  switch (e.kind()) {
    case ErrorKind::InvalidArgument:
      code = ECapeInvalidArgumentHR;
      break;
    case ErrorKind::BadArgument:
      code = ECapeBadArgumentHR;
      break;
    case ErrorKind::DataError:
      code = ECapeFailedInitialisationHR;
      break;
    case ErrorKind::SolvingError:
      code = ECapeSolvingErrorHR;
      break;
    case ErrorKind::NotAvailable:
      code = ECapeThrmPropertyNotAvailableHR;
      break;
  }
  return CapeError(code, e.scope(), e.what());
}

std::vector<Compound> select(const CompoundTable& table, const std::vector<std::size_t>& which) {
  std::vector<Compound> out;
  for (std::size_t i : which) out.push_back(table.compounds().at(i));
  return out;
}

std::vector<std::size_t> everyIndex(const CompoundTable& table) {
  std::vector<std::size_t> out(table.compounds().size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = i;
  return out;
}

bool contains(const std::vector<std::string>& list, const std::string& name) {
  return capeside::findName(list, name) >= 0;
}

comlite::Variant constantValue(const Compound& c, const std::string& id, bool* missing) {
  auto number = [&](std::optional<double> v) {
    if (!v) {
      *missing = true;
      return comlite::Variant();
    }
    return comlite::Variant::fromDouble(*v);
  };
  if (sameName(id, "molecularWeight")) return number(c.MW_gmol);
  if (sameName(id, "criticalTemperature")) return number(c.Tc_K);
  if (sameName(id, "criticalPressure")) return number(c.Pc_Pa);
  if (sameName(id, "criticalVolume")) return number(c.Vc_m3mol);
  if (sameName(id, "criticalDensity")) return number(1.0 / c.Vc_m3mol);
  if (sameName(id, "criticalCompressibilityFactor")) return number(c.Zc);
  if (sameName(id, "acentricFactor")) return number(c.omega);
  if (sameName(id, "normalBoilingPoint")) return number(c.Tb_K);
  if (sameName(id, "normalFreezingPoint")) return number(c.Tf_K);
  if (sameName(id, "dipoleMoment")) return number(c.dipole_Cm);
  if (sameName(id, "heatOfVaporizationAtNormalBoilingPoint")) return number(c.hvap_nbp_Jmol);
  if (sameName(id, "heatOfFusionAtNormalFreezingPoint")) return number(c.hfus_Jmol);
  if (sameName(id, "idealGasEnthalpyOfFormationAt25C")) return number(c.hf_ig_298_Jmol);
  if (sameName(id, "idealGasGibbsFreeEnergyOfFormationAt25C")) return number(c.gf_ig_298_Jmol);
  if (sameName(id, "liquidDensityAt25C")) return number(c.rho_liq_25C_molm3);
  if (sameName(id, "liquidVolumeAt25C"))
    return number(c.rho_liq_25C_molm3 ? std::optional<double>(1.0 / *c.rho_liq_25C_molm3)
                                      : std::nullopt);
  if (sameName(id, "casRegistryNumber")) return capeside::makeString(c.cas);
  if (sameName(id, "chemicalFormula")) return capeside::makeString(c.formula);
  if (sameName(id, "iupacName")) return capeside::makeString(c.name);
  throw CapeError(ECapeInvalidArgumentHR, "IdealPackage::GetCompoundConstant",
                  cat("constant \"", id, "\" is not known to the ideal package"))
      .at(1);
}

const std::vector<std::string>& constantIds() {
  static const std::vector<std::string> ids = {"molecularWeight",
                                               "criticalTemperature",
                                               "criticalPressure",
                                               "criticalVolume",
                                               "criticalDensity",
                                               "criticalCompressibilityFactor",
                                               "acentricFactor",
                                               "normalBoilingPoint",
                                               "normalFreezingPoint",
                                               "dipoleMoment",
                                               "heatOfVaporizationAtNormalBoilingPoint",
                                               "heatOfFusionAtNormalFreezingPoint",
                                               "idealGasEnthalpyOfFormationAt25C",
                                               "idealGasGibbsFreeEnergyOfFormationAt25C",
                                               "liquidDensityAt25C",
                                               "liquidVolumeAt25C",
                                               "casRegistryNumber",
                                               "chemicalFormula",
                                               "iupacName"};
  return ids;
}

struct UniversalConstant {
  const char* id;
  double value;
};
constexpr UniversalConstant kConstants[] = {{"avogadroConstant", 6.02214076e23},
                                            {"boltzmannConstant", 1.380649e-23},
                                            {"molarGasConstant", R_JmolK},
                                            {"speedOfLightInVacuum", 299792458.0},
                                            {"standardAccelerationOfGravity", 9.80665},
                                            {"idealGasStateReferencePressure", 101325.0}};

}  // namespace

template <class F>
HRESULT IdealPackage::call(const char* interfaceName, const char* operation, F&& body) noexcept {
  return guard(interfaceName, operation, [&]() -> HRESULT {
    try {
      return body();
    } catch (const ModelError& e) {
      throw toCapeError(e);
    }
  });
}

IdealPackage::IdealPackage()
    : IdealPackage(compoundTable(), everyIndex(*compoundTable()), "Ideal (all compounds)") {}

IdealPackage::IdealPackage(std::shared_ptr<const CompoundTable> table,
                           const std::vector<std::size_t>& compounds, std::string name)
    : CapeComponent(std::move(name),
                    "Ideal gas and ideal solution (Lee-Kesler vapour pressures, Aly-Lee "
                    "ideal-gas heat capacities, Rackett liquid volumes)",
                    kIdealNoParameters),
      m_table(std::move(table)),
      m_compounds(compounds),
      m_mixture(select(*m_table, compounds)) {}

// ---------------------------------------------------------------------------------------------
// ICapeUtilities

HRESULT IdealPackage::Terminate() {
  m_material.reset();
  m_materialMap.clear();
  return CapeComponent::Terminate();
}

HRESULT IdealPackage::Edit() {
  return call("ICapeUtilities", "Edit", [&]() -> HRESULT {
    throw CapeError(ECapeNoImplHR, "IdealPackage::Edit",
                    "the ideal package has no settings to edit: its compounds are chosen "
                    "through its package manager");
  });
}

// ---------------------------------------------------------------------------------------------
// Helpers

ICapeThermoMaterial& IdealPackage::material(const char* scope) const {
  if (!m_material)
    throw CapeError(ECapeBadInvOrderHR, scope, "no material object is set")
        .requested("SetMaterial");
  return *m_material;
}

std::size_t IdealPackage::compoundIndex(const std::string& id, SHORT position,
                                        const char* scope) const {
  for (std::size_t i = 0; i < m_mixture.size(); ++i)
    if (sameName(m_mixture.compounds()[i].name, id) || m_mixture.compounds()[i].cas == id) return i;
  throw CapeError(ECapeInvalidArgumentHR, scope,
                  cat("compound \"", id, "\" is not in package \"", m_name, "\""))
      .at(position);
}

std::vector<std::size_t> IdealPackage::compoundIndexes(const VARIANT& compIds, SHORT position,
                                                       const char* scope) const {
  std::vector<std::size_t> out;
  if (compIds.vt == VT_EMPTY) {
    for (std::size_t i = 0; i < m_mixture.size(); ++i) out.push_back(i);
    return out;
  }
  for (const std::string& id : stringArgument(compIds, position, "compIds", scope))
    out.push_back(compoundIndex(id, position, scope));
  return out;
}

PhaseKind IdealPackage::phaseOf(const std::string& label, SHORT position, const char* scope) const {
  if (sameName(label, kVapor)) return PhaseKind::Vapor;
  if (sameName(label, kLiquid)) return PhaseKind::Liquid;
  throw CapeError(ECapeInvalidArgumentHR, scope,
                  cat("phase \"", label, "\" is not a phase of the ideal package (Vapor, Liquid)"))
      .at(position);
}

void IdealPackage::readPhaseState(const std::string& label, double& T, double& P,
                                  std::vector<double>& x, const char* scope) {
  ICapeThermoMaterial& mo = material(scope);
  comlite::Bstr l(label);
  comlite::Variant composition;
  capeside::check(mo.GetTPFraction(l.get(), &T, &P, &composition), &mo, "ICapeThermoMaterial",
                  "GetTPFraction");
  auto values = capeside::doubleList(composition);
  if (!values || values->size() != m_materialMap.size())
    throw CapeError(
        ECapeInvalidArgumentHR, scope,
        cat("the material gave ", values ? values->size() : 0, " mole fractions of phase \"", label,
            "\" for ", m_materialMap.size(), " compounds"));
  x.assign(m_mixture.size(), 0.0);
  for (std::size_t k = 0; k < values->size(); ++k) x[m_materialMap[k]] = (*values)[k];
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoCompounds

HRESULT IdealPackage::GetCompoundConstant(VARIANT props, VARIANT compIds, VARIANT* propVals) {
  return call("ICapeThermoCompounds", "GetCompoundConstant", [&] {
    static constexpr const char* kScope = "IdealPackage::GetCompoundConstant";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 2, kScope);
    std::vector<comlite::Variant> values;
    bool missing = false;
    for (const std::string& id : ids)  // property-major
      for (std::size_t i : which)
        values.push_back(constantValue(m_mixture.compounds()[i], id, &missing));
    capeside::putVariant(propVals, capeside::makeVariantArray(values));
    if (missing)
      throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                      "some of the requested constants have no value; they are left undefined");
    return S_OK;
  });
}

HRESULT IdealPackage::GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names,
                                      VARIANT* boilTemps, VARIANT* molwts, VARIANT* casnos) {
  return call("ICapeThermoCompounds", "GetCompoundList", [&] {
    if (!compIds || !formulae || !names || !boilTemps || !molwts || !casnos) return E_POINTER;
    std::vector<std::string> ids, f, n, cas;
    std::vector<double> tb, mw;
    for (const Compound& c : m_mixture.compounds()) {
      ids.push_back(c.name);
      f.push_back(c.formula);
      n.push_back(c.name);
      cas.push_back(c.cas);
      tb.push_back(c.Tb_K.value_or(std::nan("")));
      mw.push_back(c.MW_gmol);
    }
    capeside::putVariant(compIds, capeside::makeStringArray(ids));
    capeside::putVariant(formulae, capeside::makeStringArray(f));
    capeside::putVariant(names, capeside::makeStringArray(n));
    capeside::putVariant(boilTemps, capeside::makeDoubleArray(tb));
    capeside::putVariant(molwts, capeside::makeDoubleArray(mw));
    capeside::putVariant(casnos, capeside::makeStringArray(cas));
    return S_OK;
  });
}

HRESULT IdealPackage::GetConstPropList(VARIANT* props) {
  return call("ICapeThermoCompounds", "GetConstPropList", [&] {
    return capeside::putVariant(props, capeside::makeStringArray(constantIds()));
  });
}

HRESULT IdealPackage::GetNumCompounds(LONG* num) {
  if (!num) return E_POINTER;
  *num = static_cast<LONG>(m_mixture.size());
  return S_OK;
}

HRESULT IdealPackage::GetPDependentProperty(VARIANT props, double pressure, VARIANT compIds,
                                            VARIANT* propVals) {
  return call("ICapeThermoCompounds", "GetPDependentProperty", [&] {
    static constexpr const char* kScope = "IdealPackage::GetPDependentProperty";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 3, kScope);
    std::vector<double> values;
    for (const std::string& id : ids) {
      if (!sameName(id, "boilingPointTemperature"))
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("pressure-dependent property \"", id, "\" is not calculated"))
            .at(1);
      for (std::size_t i : which) values.push_back(m_mixture.boilingTemperature(i, pressure));
    }
    return capeside::putVariant(propVals, capeside::makeDoubleArray(values));
  });
}

HRESULT IdealPackage::GetPDependentPropList(VARIANT* props) {
  return call("ICapeThermoCompounds", "GetPDependentPropList", [&] {
    return capeside::putVariant(props, capeside::makeStringArray({"boilingPointTemperature"}));
  });
}

HRESULT IdealPackage::GetTDependentProperty(VARIANT props, double temperature, VARIANT compIds,
                                            VARIANT* propVals) {
  return call("ICapeThermoCompounds", "GetTDependentProperty", [&] {
    static constexpr const char* kScope = "IdealPackage::GetTDependentProperty";
    if (!propVals) return E_POINTER;
    const std::vector<std::string> ids = stringArgument(props, 1, "props", kScope);
    const std::vector<std::size_t> which = compoundIndexes(compIds, 3, kScope);
    std::vector<double> values;
    for (const std::string& id : ids) {
      if (!contains(IdealMixture::temperatureDependentProperties(), id))
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("temperature-dependent property \"", id, "\" is not calculated"))
            .at(1);
      for (std::size_t i : which)
        values.push_back(m_mixture.temperatureDependent(id, i, temperature));
    }
    return capeside::putVariant(propVals, capeside::makeDoubleArray(values));
  });
}

HRESULT IdealPackage::GetTDependentPropList(VARIANT* props) {
  return call("ICapeThermoCompounds", "GetTDependentPropList", [&] {
    return capeside::putVariant(
        props, capeside::makeStringArray(IdealMixture::temperatureDependentProperties()));
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoPhases

HRESULT IdealPackage::GetNumPhases(LONG* num) {
  if (!num) return E_POINTER;
  *num = 2;
  return S_OK;
}

HRESULT IdealPackage::GetPhaseInfo(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value) {
  return call("ICapeThermoPhases", "GetPhaseInfo", [&] {
    static constexpr const char* kScope = "IdealPackage::GetPhaseInfo";
    if (!value) return E_POINTER;
    const PhaseKind phase = phaseOf(capeside::text(phaseLabel), 1, kScope);
    const std::string attribute = capeside::text(phaseAttribute);
    const bool vapor = phase == PhaseKind::Vapor;
    if (sameName(attribute, "StateOfAggregation"))
      return capeside::putVariant(value, capeside::makeString(vapor ? kVapor : kLiquid));
    if (sameName(attribute, "KeyCompoundId") || sameName(attribute, "ExcludedCompoundId"))
      return capeside::putVariant(value, comlite::Variant());  // UNDEFINED
    if (sameName(attribute, "UserDescription"))
      return capeside::putVariant(
          value, capeside::makeString(vapor ? "The vapor phase" : "The liquid phase"));
    if (sameName(attribute, "DensityDescription") || sameName(attribute, "TypeOfSolid"))
      return capeside::putVariant(value, comlite::Variant());
    throw CapeError(ECapeInvalidArgumentHR, kScope,
                    cat("phase attribute \"", attribute, "\" is not known"))
        .at(2);
  });
}

HRESULT IdealPackage::GetPhaseList(VARIANT* phaseLabels, VARIANT* stateOfAggregation,
                                   VARIANT* keyCompoundId) {
  return call("ICapeThermoPhases", "GetPhaseList", [&] {
    if (!phaseLabels || !stateOfAggregation || !keyCompoundId) return E_POINTER;
    capeside::putVariant(phaseLabels, capeside::makeStringArray({kVapor, kLiquid}));
    capeside::putVariant(stateOfAggregation, capeside::makeStringArray({kVapor, kLiquid}));
    capeside::putVariant(keyCompoundId, capeside::makeStringArray({"", ""}));
    return S_OK;
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoPropertyRoutine

HRESULT IdealPackage::CalcAndGetLnPhi(BSTR phaseLabel, double temperature, double pressure,
                                      VARIANT moleNumbers, LONG fFlags, VARIANT* lnPhi,
                                      VARIANT* lnPhiDT, VARIANT* lnPhiDP, VARIANT* lnPhiDn) {
  return call("ICapeThermoPropertyRoutine", "CalcAndGetLnPhi", [&] {
    static constexpr const char* kScope = "IdealPackage::CalcAndGetLnPhi";
    const PhaseKind phase = phaseOf(capeside::text(phaseLabel), 1, kScope);
    material(kScope);
    if (!(temperature > 0))
      throw CapeError(ECapeBadArgumentHR, kScope,
                      cat("temperature ", temperature, " K is not positive"))
          .at(2);
    if (!(pressure > 0))
      throw CapeError(ECapeBadArgumentHR, kScope, cat("pressure ", pressure, " Pa is not positive"))
          .at(3);
    auto n = capeside::doubleList(moleNumbers);
    if (!n || n->size() != m_materialMap.size())
      throw CapeError(ECapeBadArgumentHR, kScope,
                      cat("moleNumbers has ", n ? n->size() : 0, " values for ",
                          m_materialMap.size(), " compounds of the material"))
          .at(4);
    auto pick = [&](const std::vector<double>& all) {
      std::vector<double> out;
      for (std::size_t k : m_materialMap) out.push_back(all[k]);
      return out;
    };
    if (fFlags & CAPE_LOG_FUGACITY_COEFFICIENTS) {
      if (!lnPhi) return E_POINTER;
      capeside::putVariant(
          lnPhi, capeside::makeDoubleArray(pick(m_mixture.lnPhi(phase, temperature, pressure))));
    }
    if (fFlags & CAPE_T_DERIVATIVE) {
      if (!lnPhiDT) return E_POINTER;
      capeside::putVariant(lnPhiDT, capeside::makeDoubleArray(
                                        pick(m_mixture.dlnPhi_dT(phase, temperature, pressure))));
    }
    if (fFlags & CAPE_P_DERIVATIVE) {
      if (!lnPhiDP) return E_POINTER;
      capeside::putVariant(lnPhiDP, capeside::makeDoubleArray(
                                        pick(m_mixture.dlnPhi_dP(phase, temperature, pressure))));
    }
    if (fFlags & CAPE_MOLE_NUMBERS_DERIVATIVES) {
      if (!lnPhiDn) return E_POINTER;
      const std::size_t m = m_materialMap.size();
      capeside::putVariant(lnPhiDn, capeside::makeDoubleArray(std::vector<double>(m * m, 0.0)));
    }
    return S_OK;
  });
}

HRESULT IdealPackage::CalcSinglePhaseProp(VARIANT props, BSTR phaseLabel) {
  return call("ICapeThermoPropertyRoutine", "CalcSinglePhaseProp", [&] {
    static constexpr const char* kScope = "IdealPackage::CalcSinglePhaseProp";
    const std::vector<std::string> names = stringArgument(props, 1, "props", kScope);
    const std::string label = capeside::text(phaseLabel);
    const PhaseKind phase = phaseOf(label, 2, kScope);
    for (const std::string& name : names)
      if (!contains(IdealMixture::singlePhaseProperties(), name))
        throw CapeError(ECapeLimitedImplHR, kScope,
                        cat("property \"", name, "\" is not calculated by the ideal package"))
            .at(1);
    double T = 0, P = 0;
    std::vector<double> x;
    readPhaseState(label, T, P, x, kScope);
    // Everything is calculated before anything is written: a failure writes nothing.
    const std::size_t n = m_mixture.size(), m = m_materialMap.size();
    std::vector<std::vector<double>> results;
    for (const std::string& name : names) {
      std::vector<double> all = m_mixture.singlePhase(name, phase, T, P, x);
      std::vector<double> out;
      if (all.size() == n) {
        for (std::size_t k : m_materialMap) out.push_back(all[k]);
      } else if (all.size() == n * n) {
        for (std::size_t a : m_materialMap)
          for (std::size_t b : m_materialMap) out.push_back(all[a * n + b]);
        (void)m;
      } else {
        out = std::move(all);
      }
      results.push_back(std::move(out));
    }
    ICapeThermoMaterial& mo = material(kScope);
    comlite::Bstr l(label), mole("mole");
    for (std::size_t k = 0; k < names.size(); ++k) {
      comlite::Bstr name(names[k]);
      comlite::Variant values = capeside::makeDoubleArray(results[k]);
      capeside::check(mo.SetSinglePhaseProp(
                          name.get(), l.get(),
                          capeside::isBasisDependentName(names[k]) ? mole.get() : nullptr, values),
                      &mo, "ICapeThermoMaterial", "SetSinglePhaseProp");
    }
    return S_OK;
  });
}

HRESULT IdealPackage::CalcTwoPhaseProp(VARIANT props, VARIANT phaseLabels) {
  return call("ICapeThermoPropertyRoutine", "CalcTwoPhaseProp", [&] {
    static constexpr const char* kScope = "IdealPackage::CalcTwoPhaseProp";
    const std::vector<std::string> names = stringArgument(props, 1, "props", kScope);
    const std::vector<std::string> labels = stringArgument(phaseLabels, 2, "phaseLabels", kScope);
    if (labels.size() != 2)
      throw CapeError(ECapeBadArgumentHR, kScope,
                      cat("phaseLabels has ", labels.size(), " labels instead of 2"))
          .at(2);
    const PhaseKind p1 = phaseOf(labels[0], 2, kScope), p2 = phaseOf(labels[1], 2, kScope);
    for (const std::string& name : names)
      if (!contains(IdealMixture::twoPhaseProperties(), name))
        throw CapeError(
            ECapeLimitedImplHR, kScope,
            cat("two-phase property \"", name, "\" is not calculated by the ideal package"))
            .at(1);
    double T = 0, P = 0;
    std::vector<double> x;
    readPhaseState(labels[0], T, P, x, kScope);
    std::vector<std::vector<double>> results;
    for (const std::string& name : names) {
      const std::vector<double> all = m_mixture.twoPhase(name, p1, p2, T, P);
      std::vector<double> out;
      for (std::size_t k : m_materialMap) out.push_back(all[k]);
      results.push_back(std::move(out));
    }
    ICapeThermoMaterial& mo = material(kScope);
    for (std::size_t k = 0; k < names.size(); ++k) {
      comlite::Bstr name(names[k]);
      comlite::Variant values = capeside::makeDoubleArray(results[k]);
      capeside::check(mo.SetTwoPhaseProp(name.get(), phaseLabels, nullptr, values), &mo,
                      "ICapeThermoMaterial", "SetTwoPhaseProp");
    }
    return S_OK;
  });
}

HRESULT IdealPackage::CheckSinglePhasePropSpec(BSTR property, BSTR phaseLabel,
                                               VARIANT_BOOL* valid) {
  return call("ICapeThermoPropertyRoutine", "CheckSinglePhasePropSpec", [&] {
    if (!valid) return E_POINTER;
    const std::string label = capeside::text(phaseLabel);
    const bool ok = contains(IdealMixture::singlePhaseProperties(), capeside::text(property)) &&
                    (sameName(label, kVapor) || sameName(label, kLiquid));
    *valid = ok ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT IdealPackage::CheckTwoPhasePropSpec(BSTR property, VARIANT phaseLabels,
                                            VARIANT_BOOL* valid) {
  return call("ICapeThermoPropertyRoutine", "CheckTwoPhasePropSpec", [&] {
    if (!valid) return E_POINTER;
    auto labels = capeside::stringList(phaseLabels);
    bool ok = labels && labels->size() == 2 &&
              contains(IdealMixture::twoPhaseProperties(), capeside::text(property));
    if (ok)
      for (const std::string& l : *labels) ok = ok && (sameName(l, kVapor) || sameName(l, kLiquid));
    *valid = ok ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT IdealPackage::GetSinglePhasePropList(VARIANT* props) {
  return call("ICapeThermoPropertyRoutine", "GetSinglePhasePropList", [&] {
    return capeside::putVariant(props,
                                capeside::makeStringArray(IdealMixture::singlePhaseProperties()));
  });
}

HRESULT IdealPackage::GetTwoPhasePropList(VARIANT* props) {
  return call("ICapeThermoPropertyRoutine", "GetTwoPhasePropList", [&] {
    return capeside::putVariant(props,
                                capeside::makeStringArray(IdealMixture::twoPhaseProperties()));
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoEquilibriumRoutine

bool IdealPackage::isTPSpecification(const VARIANT& s1, const VARIANT& s2,
                                     const char* scope) const {
  std::string props[2];
  const VARIANT* specs[2] = {&s1, &s2};
  for (int k = 0; k < 2; ++k) {
    auto spec = capeside::stringList(*specs[k]);
    if (!spec || spec->size() < 3 || spec->size() > 4)
      throw CapeError(ECapeBadArgumentHR, scope,
                      cat("specification ", k + 1, " is not an array of 3 or 4 strings"))
          .at(static_cast<SHORT>(k + 1));
    if (!sameName((*spec)[2], "Overall")) return false;
    props[k] = (*spec)[0];
  }
  return (sameName(props[0], "temperature") && sameName(props[1], "pressure")) ||
         (sameName(props[0], "pressure") && sameName(props[1], "temperature"));
}

HRESULT IdealPackage::CalcEquilibrium(VARIANT specification1, VARIANT specification2,
                                      BSTR solutionType) {
  return call("ICapeThermoEquilibriumRoutine", "CalcEquilibrium", [&] {
    static constexpr const char* kScope = "IdealPackage::CalcEquilibrium";
    if (!isTPSpecification(specification1, specification2, kScope))
      throw CapeError(ECapeLimitedImplHR, kScope,
                      "the ideal package only solves TP flashes (temperature and pressure of "
                      "the overall phase)");
    ICapeThermoMaterial& mo = material(kScope);
    double T = 0, P = 0;
    comlite::Variant composition;
    capeside::check(mo.GetOverallTPFraction(&T, &P, &composition), &mo, "ICapeThermoMaterial",
                    "GetOverallTPFraction");
    auto zm = capeside::doubleList(composition);
    if (!zm || zm->size() != m_materialMap.size())
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("the material gave ", zm ? zm->size() : 0, " overall mole fractions for ",
                          m_materialMap.size(), " compounds"));
    std::vector<double> z(m_mixture.size(), 0.0);
    for (std::size_t k = 0; k < zm->size(); ++k) z[m_materialMap[k]] = (*zm)[k];

    comlite::Variant labelsV, statusV;
    capeside::check(mo.GetPresentPhases(&labelsV, &statusV), &mo, "ICapeThermoMaterial",
                    "GetPresentPhases");
    const std::vector<std::string> present =
        capeside::stringList(labelsV).value_or(std::vector<std::string>{});
    std::string vaporLabel, liquidLabel;
    for (const std::string& l : present) {
      if (sameName(l, kVapor))
        vaporLabel = l;
      else if (sameName(l, kLiquid))
        liquidLabel = l;
    }
    if (vaporLabel.empty() && liquidLabel.empty())
      throw CapeError(ECapeBadInvOrderHR, kScope,
                      "no phase of the ideal package is present on the material")
          .requested("SetPresentPhases");

    FlashResult r;
    if (!vaporLabel.empty() && !liquidLabel.empty()) {
      r = tpFlash(m_mixture, T, P, z);
    } else {
      r.vaporFraction = vaporLabel.empty() ? 0.0 : 1.0;
      r.x = r.y = m_mixture.normalised(z, kScope);
    }
    struct Out {
      std::string label;
      double fraction;
      std::vector<double> composition;
    };
    std::vector<Out> phases;
    if (r.vaporFraction > 0)
      phases.push_back({vaporLabel.empty() ? kVapor : vaporLabel, r.vaporFraction, r.y});
    if (r.vaporFraction < 1)
      phases.push_back({liquidLabel.empty() ? kLiquid : liquidLabel, 1 - r.vaporFraction, r.x});

    std::vector<std::string> labels;
    std::vector<LONG> status;
    for (const Out& p : phases) {
      labels.push_back(p.label);
      status.push_back(CAPE_ATEQUILIBRIUM);
    }
    capeside::check(
        mo.SetPresentPhases(capeside::makeStringArray(labels), capeside::makeLongArray(status)),
        &mo, "ICapeThermoMaterial", "SetPresentPhases");
    comlite::Bstr mole("mole"), tName("temperature"), pName("pressure"), fName("fraction"),
        pfName("phaseFraction");
    for (const Out& p : phases) {
      comlite::Bstr l(p.label);
      std::vector<double> comp;
      for (std::size_t k : m_materialMap) comp.push_back(p.composition[k]);
      capeside::check(
          mo.SetSinglePhaseProp(tName.get(), l.get(), nullptr, capeside::makeDoubleArray({T})), &mo,
          "ICapeThermoMaterial", "SetSinglePhaseProp");
      capeside::check(
          mo.SetSinglePhaseProp(pName.get(), l.get(), nullptr, capeside::makeDoubleArray({P})), &mo,
          "ICapeThermoMaterial", "SetSinglePhaseProp");
      capeside::check(mo.SetSinglePhaseProp(pfName.get(), l.get(), mole.get(),
                                            capeside::makeDoubleArray({p.fraction})),
                      &mo, "ICapeThermoMaterial", "SetSinglePhaseProp");
      capeside::check(
          mo.SetSinglePhaseProp(fName.get(), l.get(), mole.get(), capeside::makeDoubleArray(comp)),
          &mo, "ICapeThermoMaterial", "SetSinglePhaseProp");
    }
    (void)solutionType;  // one solution for a TP flash
    return S_OK;
  });
}

HRESULT IdealPackage::CheckEquilibriumSpec(VARIANT specification1, VARIANT specification2,
                                           BSTR solutionType, VARIANT_BOOL* isSupported) {
  return call("ICapeThermoEquilibriumRoutine", "CheckEquilibriumSpec", [&] {
    if (!isSupported) return E_POINTER;
    *isSupported = VARIANT_FALSE;
    bool tp = false;
    try {
      tp = isTPSpecification(specification1, specification2, "IdealPackage::CheckEquilibriumSpec");
    } catch (const CapeError&) {
      tp = false;  // a malformed specification is not a supported one
    }
    const std::string type = capeside::text(solutionType);
    const bool typeOk = type.empty() || sameName(type, "Unspecified") || sameName(type, "Normal") ||
                        sameName(type, "Retrograde");
    *isSupported = tp && typeOk ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoMaterialContext

HRESULT IdealPackage::SetMaterial(IDispatch* materialObject) {
  return call("ICapeThermoMaterialContext", "SetMaterial", [&] {
    static constexpr const char* kScope = "IdealPackage::SetMaterial";
    if (!materialObject) {
      m_material.reset();
      m_materialMap.clear();
      return S_OK;
    }
    comlite::ComPtr<IDispatch> disp(materialObject);
    auto mo = disp.as<ICapeThermoMaterial>();
    if (!mo)
      throw CapeError(ECapeInvalidArgumentHR, kScope, "the material has no ICapeThermoMaterial")
          .at(1);
    std::vector<std::size_t> map;
    if (auto compounds = disp.as<ICapeThermoCompounds>()) {
      comlite::Variant ids, f, n, tb, mw, cas;
      capeside::check(compounds->GetCompoundList(&ids, &f, &n, &tb, &mw, &cas), compounds.get(),
                      "ICapeThermoCompounds", "GetCompoundList");
      for (const std::string& id : capeside::stringList(ids).value_or(std::vector<std::string>{}))
        map.push_back(compoundIndex(id, 1, kScope));
    } else {
      for (std::size_t i = 0; i < m_mixture.size(); ++i) map.push_back(i);
    }
    m_material = std::move(mo);
    m_materialMap = std::move(map);
    return S_OK;
  });
}

HRESULT IdealPackage::UnsetMaterial() {
  m_material.reset();
  m_materialMap.clear();
  return S_OK;
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoUniversalConstant

HRESULT IdealPackage::GetUniversalConstant(BSTR constantId, VARIANT* constantValue) {
  return call("ICapeThermoUniversalConstant", "GetUniversalConstant", [&] {
    if (!constantValue) return E_POINTER;
    const std::string id = capeside::text(constantId);
    for (const UniversalConstant& c : kConstants)
      if (sameName(id, c.id))
        return capeside::putVariant(constantValue, comlite::Variant::fromDouble(c.value));
    throw CapeError(ECapeInvalidArgumentHR, "IdealPackage::GetUniversalConstant",
                    cat("universal constant \"", id, "\" is not known"))
        .at(1);
  });
}

HRESULT IdealPackage::GetUniversalConstantList(VARIANT* constantIds) {
  return call("ICapeThermoUniversalConstant", "GetUniversalConstantList", [&] {
    std::vector<std::string> ids;
    for (const UniversalConstant& c : kConstants) ids.push_back(c.id);
    return capeside::putVariant(constantIds, capeside::makeStringArray(ids));
  });
}

}  // namespace ideal
