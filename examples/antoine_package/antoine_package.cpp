#include "antoine_package.h"

#include <cmath>
#include <stdexcept>

#include "capeside/support/error_object.h"
#include "capeside/support/string_argument.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"

namespace antoine {

using capeside::CapeError;
using capeside::cat;
using capeside::makeDoubleArray;
using capeside::makeStringArray;
using capeside::putVariant;
using capeside::sameName;

namespace {

const std::vector<std::string> kPhases = {"Vapor", "Liquid"};
const std::vector<std::string> kProperties = {"logFugacityCoefficient", "fugacityCoefficient",
                                              "enthalpy"};
const std::vector<std::string> kConstants = {"molecularWeight", "normalBoilingPoint",
                                             "criticalTemperature", "criticalPressure"};

Phase phaseOf(const std::string& label, SHORT position, const char* scope) {
  if (sameName(label, "Vapor")) return Phase::Vapor;
  if (sameName(label, "Liquid")) return Phase::Liquid;
  throw CapeError(ECapeInvalidArgumentHR, scope, cat("phase \"", label, "\" is not known"))
      .at(position);
}

// The values of one property for a phase of the given compounds, in their order.
std::vector<double> property(const std::string& name, const std::vector<Compound>& cs, Phase p,
                             double t, double pressure, const std::vector<double>& x) {
  if (sameName(name, "enthalpy")) return {enthalpy(cs, p, t, x)};
  std::vector<double> v = lnPhi(cs, p, t, pressure);
  if (sameName(name, "fugacityCoefficient"))
    for (double& e : v) e = std::exp(e);
  return v;
}

}  // namespace

Package::Package()
    : CapeComponent("Antoine example", "Ideal gas and Raoult's law with Antoine vapour pressures",
                    "the example package has no parameters") {}

HRESULT Package::Edit() {
  return guard("ICapeUtilities", "Edit", []() -> HRESULT {
    throw CapeError(ECapeNoImplHR, "Package::Edit", "the example package has nothing to edit");
  });
}

HRESULT Package::Terminate() {
  UnsetMaterial();
  return CapeComponent::Terminate();
}

ICapeThermoMaterial& Package::material(const char* scope) const {
  if (!m_material)
    throw CapeError(ECapeBadInvOrderHR, scope, "no material is set").requested("SetMaterial");
  return *m_material;
}

std::vector<std::size_t> Package::compoundIndexes(const VARIANT& compIds, SHORT position,
                                                  const char* scope) const {
  std::vector<std::size_t> out;
  if (compIds.vt == VT_EMPTY) {  // UNDEFINED: every compound
    for (std::size_t i = 0; i < compounds().size(); ++i) out.push_back(i);
    return out;
  }
  for (const std::string& id : capeside::stringArgument(compIds, position, "compIds", scope)) {
    std::size_t i = 0;
    while (i < compounds().size() && !sameName(compounds()[i].id, id) && compounds()[i].cas != id)
      ++i;
    if (i == compounds().size())
      throw CapeError(ECapeInvalidArgumentHR, scope, cat("compound \"", id, "\" is not known"))
          .at(position);
    out.push_back(i);
  }
  return out;
}

std::vector<Compound> Package::materialCompounds() const {
  std::vector<Compound> out;
  for (std::size_t i : m_materialMap) out.push_back(compounds()[i]);
  return out;
}

// --- ICapeThermoCompounds --------------------------------------------------------------------

HRESULT Package::GetCompoundConstant(VARIANT props, VARIANT compIds, VARIANT* propVals) {
  return guard("ICapeThermoCompounds", "GetCompoundConstant", [&] {
    static constexpr const char* kScope = "Package::GetCompoundConstant";
    std::vector<comlite::Variant> values;  // property-major
    for (const std::string& id : capeside::stringArgument(props, 1, "props", kScope)) {
      for (std::size_t i : compoundIndexes(compIds, 2, kScope)) {
        const Compound& c = compounds()[i];
        double v = 0;
        if (sameName(id, "molecularWeight"))
          v = c.mw;
        else if (sameName(id, "normalBoilingPoint"))
          v = c.tb;
        else if (sameName(id, "criticalTemperature"))
          v = c.tc;
        else if (sameName(id, "criticalPressure"))
          v = c.pc;
        else
          throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                          cat("constant \"", id, "\" is not available"));
        values.push_back(comlite::Variant::fromDouble(v));
      }
    }
    return putVariant(propVals, capeside::makeVariantArray(values));
  });
}

HRESULT Package::GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names,
                                 VARIANT* boilTemps, VARIANT* molwts, VARIANT* casnos) {
  return guard("ICapeThermoCompounds", "GetCompoundList", [&] {
    std::vector<std::string> ids, f, cas;
    std::vector<double> tb, mw;
    for (const Compound& c : compounds()) {
      ids.push_back(c.id);
      f.push_back(c.formula);
      cas.push_back(c.cas);
      tb.push_back(c.tb);
      mw.push_back(c.mw);
    }
    putVariant(compIds, makeStringArray(ids));
    putVariant(formulae, makeStringArray(f));
    putVariant(names, makeStringArray(ids));
    putVariant(boilTemps, makeDoubleArray(tb));
    putVariant(molwts, makeDoubleArray(mw));
    return putVariant(casnos, makeStringArray(cas));
  });
}

HRESULT Package::GetConstPropList(VARIANT* props) {
  return guard("ICapeThermoCompounds", "GetConstPropList",
               [&] { return putVariant(props, makeStringArray(kConstants)); });
}

HRESULT Package::GetNumCompounds(LONG* num) {
  if (!num) return E_POINTER;
  *num = static_cast<LONG>(compounds().size());
  return S_OK;
}

HRESULT Package::GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) {
  return guard("ICapeThermoCompounds", "GetPDependentProperty", []() -> HRESULT {
    throw CapeError(ECapeThrmPropertyNotAvailableHR, "Package::GetPDependentProperty",
                    "the example package has no pressure-dependent properties");
  });
}

HRESULT Package::GetPDependentPropList(VARIANT* props) {
  return guard("ICapeThermoCompounds", "GetPDependentPropList",
               [&] { return putVariant(props, makeStringArray({})); });
}

HRESULT Package::GetTDependentProperty(VARIANT props, double temperature, VARIANT compIds,
                                       VARIANT* propVals) {
  return guard("ICapeThermoCompounds", "GetTDependentProperty", [&] {
    static constexpr const char* kScope = "Package::GetTDependentProperty";
    std::vector<double> values;
    for (const std::string& id : capeside::stringArgument(props, 1, "props", kScope)) {
      if (!sameName(id, "vaporPressure"))
        throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                        cat("property \"", id, "\" is not available"));
      for (std::size_t i : compoundIndexes(compIds, 3, kScope))
        values.push_back(vapourPressure(compounds()[i], temperature));
    }
    return putVariant(propVals, makeDoubleArray(values));
  });
}

HRESULT Package::GetTDependentPropList(VARIANT* props) {
  return guard("ICapeThermoCompounds", "GetTDependentPropList",
               [&] { return putVariant(props, makeStringArray({"vaporPressure"})); });
}

// --- ICapeThermoPhases -----------------------------------------------------------------------

HRESULT Package::GetNumPhases(LONG* num) {
  if (!num) return E_POINTER;
  *num = 2;
  return S_OK;
}

HRESULT Package::GetPhaseInfo(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value) {
  return guard("ICapeThermoPhases", "GetPhaseInfo", [&] {
    const std::string label = capeside::text(phaseLabel);
    phaseOf(label, 1, "Package::GetPhaseInfo");
    if (sameName(capeside::text(phaseAttribute), "StateOfAggregation"))
      return putVariant(value, capeside::makeString(label));
    return putVariant(value, comlite::Variant());  // every other attribute: UNDEFINED
  });
}

HRESULT Package::GetPhaseList(VARIANT* phaseLabels, VARIANT* stateOfAggregation,
                              VARIANT* keyCompoundId) {
  return guard("ICapeThermoPhases", "GetPhaseList", [&] {
    putVariant(phaseLabels, makeStringArray(kPhases));
    putVariant(stateOfAggregation, makeStringArray(kPhases));
    return putVariant(keyCompoundId, makeStringArray({"", ""}));
  });
}

// --- ICapeThermoPropertyRoutine ----------------------------------------------------------------

HRESULT Package::CalcAndGetLnPhi(BSTR phaseLabel, double temperature, double pressure,
                                 VARIANT moleNumbers, LONG fFlags, VARIANT* lnPhiOut,
                                 VARIANT* lnPhiDT, VARIANT* lnPhiDP, VARIANT* lnPhiDn) {
  return guard("ICapeThermoPropertyRoutine", "CalcAndGetLnPhi", [&] {
    static constexpr const char* kScope = "Package::CalcAndGetLnPhi";
    const Phase p = phaseOf(capeside::text(phaseLabel), 1, kScope);
    material(kScope);
    if (!(temperature > 0) || !(pressure > 0))
      throw CapeError(ECapeBadArgumentHR, kScope, "temperature and pressure must be positive")
          .at(temperature > 0 ? 3 : 2);
    const std::vector<Compound> cs = materialCompounds();
    const bool liquid = p == Phase::Liquid;
    if (fFlags & CAPE_LOG_FUGACITY_COEFFICIENTS)
      putVariant(lnPhiOut, makeDoubleArray(lnPhi(cs, p, temperature, pressure)));
    std::vector<double> dT, dP;
    for (const Compound& c : cs) {
      dT.push_back(liquid ? dLnVapourPressure(c, temperature) : 0.0);
      dP.push_back(liquid ? -1.0 / pressure : 0.0);
    }
    if (fFlags & CAPE_T_DERIVATIVE) putVariant(lnPhiDT, makeDoubleArray(dT));
    if (fFlags & CAPE_P_DERIVATIVE) putVariant(lnPhiDP, makeDoubleArray(dP));
    if (fFlags & CAPE_MOLE_NUMBERS_DERIVATIVES)  // ideal: no composition dependence
      putVariant(lnPhiDn, makeDoubleArray(std::vector<double>(cs.size() * cs.size(), 0.0)));
    return S_OK;
  });
}

HRESULT Package::CalcSinglePhaseProp(VARIANT props, BSTR phaseLabel) {
  return guard("ICapeThermoPropertyRoutine", "CalcSinglePhaseProp", [&] {
    static constexpr const char* kScope = "Package::CalcSinglePhaseProp";
    const std::vector<std::string> names = capeside::stringArgument(props, 1, "props", kScope);
    const std::string label = capeside::text(phaseLabel);
    const Phase p = phaseOf(label, 2, kScope);
    for (const std::string& n : names)
      if (capeside::findName(kProperties, n) < 0)
        throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                        cat("property \"", n, "\" is not calculated"));
    ICapeThermoMaterial& mo = material(kScope);
    comlite::Bstr l(label), mole("mole");
    double t = 0, pressure = 0;
    comlite::Variant x;
    capeside::check(mo.GetTPFraction(l.get(), &t, &pressure, &x), &mo, "ICapeThermoMaterial",
                    "GetTPFraction");
    const std::vector<double> fractions = capeside::doubleList(x).value_or(std::vector<double>{});
    if (fractions.size() != m_materialMap.size())
      throw CapeError(ECapeInvalidArgumentHR, kScope, "the material's composition does not fit");
    for (const std::string& n : names) {
      comlite::Bstr name(n);
      const auto values = property(n, materialCompounds(), p, t, pressure, fractions);
      capeside::check(
          mo.SetSinglePhaseProp(name.get(), l.get(), sameName(n, "enthalpy") ? mole.get() : nullptr,
                                makeDoubleArray(values)),
          &mo, "ICapeThermoMaterial", "SetSinglePhaseProp");
    }
    return S_OK;
  });
}

HRESULT Package::CalcTwoPhaseProp(VARIANT, VARIANT) {
  return guard("ICapeThermoPropertyRoutine", "CalcTwoPhaseProp", []() -> HRESULT {
    throw CapeError(ECapeThrmPropertyNotAvailableHR, "Package::CalcTwoPhaseProp",
                    "the example package has no two-phase properties");
  });
}

HRESULT Package::CheckSinglePhasePropSpec(BSTR property, BSTR phaseLabel, VARIANT_BOOL* valid) {
  if (!valid) return E_POINTER;
  const std::string label = capeside::text(phaseLabel);
  const bool phaseOk = sameName(label, "Vapor") || sameName(label, "Liquid");
  *valid = phaseOk && capeside::findName(kProperties, capeside::text(property)) >= 0
               ? VARIANT_TRUE
               : VARIANT_FALSE;
  return S_OK;
}

HRESULT Package::CheckTwoPhasePropSpec(BSTR, VARIANT, VARIANT_BOOL* valid) {
  if (!valid) return E_POINTER;
  *valid = VARIANT_FALSE;
  return S_OK;
}

HRESULT Package::GetSinglePhasePropList(VARIANT* props) {
  return guard("ICapeThermoPropertyRoutine", "GetSinglePhasePropList",
               [&] { return putVariant(props, makeStringArray(kProperties)); });
}

HRESULT Package::GetTwoPhasePropList(VARIANT* props) {
  return guard("ICapeThermoPropertyRoutine", "GetTwoPhasePropList",
               [&] { return putVariant(props, makeStringArray({})); });
}

// --- ICapeThermoEquilibriumRoutine -------------------------------------------------------------

namespace {

// Whether the pair is temperature and pressure of the overall phase, in either order.
bool isTP(const VARIANT& s1, const VARIANT& s2) {
  auto a = capeside::stringList(s1), b = capeside::stringList(s2);
  if (!a || !b || a->size() < 3 || b->size() < 3) return false;
  if (!sameName((*a)[2], "Overall") || !sameName((*b)[2], "Overall")) return false;
  return (sameName((*a)[0], "temperature") && sameName((*b)[0], "pressure")) ||
         (sameName((*a)[0], "pressure") && sameName((*b)[0], "temperature"));
}

}  // namespace

HRESULT Package::CalcEquilibrium(VARIANT specification1, VARIANT specification2, BSTR) {
  return guard("ICapeThermoEquilibriumRoutine", "CalcEquilibrium", [&] {
    static constexpr const char* kScope = "Package::CalcEquilibrium";
    if (!isTP(specification1, specification2))
      throw CapeError(ECapeLimitedImplHR, kScope, "the example package solves TP flashes only");
    ICapeThermoMaterial& mo = material(kScope);
    double t = 0, pressure = 0;
    comlite::Variant zv;
    capeside::check(mo.GetOverallTPFraction(&t, &pressure, &zv), &mo, "ICapeThermoMaterial",
                    "GetOverallTPFraction");
    FlashResult r;
    try {
      r = tpFlash(materialCompounds(), t, pressure,
                  capeside::doubleList(zv).value_or(std::vector<double>{}));
    } catch (const std::invalid_argument& e) {
      throw CapeError(ECapeSolvingErrorHR, kScope, e.what());
    }
    struct Out {
      const char* label;
      double fraction;
      const std::vector<double>& composition;
    };
    std::vector<Out> present;
    if (r.vaporFraction > 0) present.push_back({"Vapor", r.vaporFraction, r.y});
    if (r.vaporFraction < 1) present.push_back({"Liquid", 1 - r.vaporFraction, r.x});
    std::vector<std::string> labels;
    for (const Out& o : present) labels.push_back(o.label);
    capeside::check(
        mo.SetPresentPhases(makeStringArray(labels), capeside::makeLongArray(std::vector<LONG>(
                                                         labels.size(), CAPE_ATEQUILIBRIUM))),
        &mo, "ICapeThermoMaterial", "SetPresentPhases");
    comlite::Bstr mole("mole"), tn("temperature"), pn("pressure"), pf("phaseFraction"),
        fr("fraction");
    for (const Out& o : present) {
      comlite::Bstr l(o.label);
      auto set = [&](BSTR name, BSTR basis, const std::vector<double>& v) {
        capeside::check(mo.SetSinglePhaseProp(name, l.get(), basis, makeDoubleArray(v)), &mo,
                        "ICapeThermoMaterial", "SetSinglePhaseProp");
      };
      set(tn.get(), nullptr, {t});
      set(pn.get(), nullptr, {pressure});
      set(pf.get(), mole.get(), {o.fraction});
      set(fr.get(), mole.get(), o.composition);
    }
    return S_OK;
  });
}

HRESULT Package::CheckEquilibriumSpec(VARIANT specification1, VARIANT specification2, BSTR,
                                      VARIANT_BOOL* isSupported) {
  if (!isSupported) return E_POINTER;
  *isSupported = isTP(specification1, specification2) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// --- ICapeThermoMaterialContext ----------------------------------------------------------------

HRESULT Package::SetMaterial(IDispatch* materialObject) {
  return guard("ICapeThermoMaterialContext", "SetMaterial", [&] {
    static constexpr const char* kScope = "Package::SetMaterial";
    UnsetMaterial();
    if (!materialObject) return S_OK;
    comlite::ComPtr<IDispatch> disp(materialObject);
    auto mo = disp.as<ICapeThermoMaterial>();
    if (!mo)
      throw CapeError(ECapeInvalidArgumentHR, kScope, "the material has no ICapeThermoMaterial")
          .at(1);
    // The material may carry fewer compounds than the package, in its own order.
    std::vector<std::size_t> map;
    if (auto list = disp.as<ICapeThermoCompounds>()) {
      comlite::Variant ids, f, n, tb, mw, cas;
      capeside::check(list->GetCompoundList(&ids, &f, &n, &tb, &mw, &cas), list.get(),
                      "ICapeThermoCompounds", "GetCompoundList");
      map = compoundIndexes(ids, 1, kScope);
    } else {
      map = compoundIndexes(comlite::Variant(), 1, kScope);
    }
    m_material = std::move(mo);
    m_materialMap = std::move(map);
    return S_OK;
  });
}

HRESULT Package::UnsetMaterial() {
  m_material.reset();
  m_materialMap.clear();
  return S_OK;
}

}  // namespace antoine
