//! A test module: the Peng-Robinson "Natural Gas (PR)" package as stand-alone CAPE-OPEN 1.1
//! packages that each offer less, or more, than the package itself:
//!   - "CORavlTest.KvaluePackage.1" leaves out fugacity, fugacityCoefficient and
//!     activityCoefficient (with their derivatives), as a package that only offers K-values;
//!   - "CORavlTest.CompressibilityPackage.1" leaves out "volume.Dpressure" (the isothermal
//!     "compressibility" stays);
//!   - "CORavlTest.NoVolumeSlopePackage.1" leaves out both;
//!   - "CORavlTest.FugacityPackage.1" leaves out logFugacity, and
//!     "CORavlTest.LnPhiOnlyPackage.1" fugacity and fugacityCoefficient besides;
//!   - "CORavlTest.LoggedPackage.1" leaves out nothing;
//!   - "CORavlTest.SolidPackage.1" adds a third phase, "Solid", with a plain model of its own:
//!     enthalpy = 40 (T - 298.15) - 10000 J/mol, heatCapacityCp = 40 J/mol/K,
//!     density = 25000 mol/m3, volume = 4e-5 m3/mol, at the solid phase's own temperature on the
//!     material. A TP equilibrium below 100 K puts the whole feed into the solid;
//!   - "CORavlTest.OddFlashPackage.1" adds "Liquid2" (a second liquid) and "Foam" (a state the
//!     host has no phase for); its equilibrium answers as CORAVL_TEST_FLASH names (kAnswers),
//!     each phase with the feed's composition, or as the Peng-Robinson package without one.
//!     GetNumPhases answers CORAVL_TEST_PHASE_COUNT when set (else 4), and the phase that
//!     CORAVL_TEST_AQUEOUS names has the key compound "AQUEOUS".
//! Everything else is the Peng-Robinson package's. Every single-phase calculation of the filtering
//! packages is logged ("<property>@<label>;"), so that a test can see which properties the socket
//! asked for; read and cleared through the two exported functions below.

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/hresult.h"
#include "comlite/module.h"
#include "comlite/variant.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_thermo.h"

namespace {

using capeside::makeDoubleArray;
using capeside::makeLongArray;
using capeside::makeStringArray;

constexpr double kFreezing = 100.0;  // K

std::mutex g_logLock;
std::string g_log;

std::vector<std::string> stringsOf(const VARIANT& v) {
  return capeside::stringList(v).value_or(std::vector<std::string>{});
}

std::vector<double> doublesOf(const VARIANT& v) {
  return capeside::doubleList(v).value_or(std::vector<double>{});
}

//! Hands out the labels, states of aggregation and keys of GetPhaseList.
HRESULT putPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys,
                     const std::vector<std::string> (&lists)[3]) {
  if (!labels || !states || !keys) return E_POINTER;
  VARIANT* out[] = {labels, states, keys};
  for (int i = 0; i < 3; ++i) capeside::putVariant(out[i], makeStringArray(lists[i]));
  return S_OK;
}

//! The wrapped package's interfaces.
struct Wrapped {
  HRESULT open() {
    CLSID manager{};
    HRESULT hr = CLSIDFromProgID(u"CORavlPR.PackageManager.1", &manager);
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(manager, nullptr, CLSCTX_INPROC_SERVER,
                          ICapeThermoPropertyPackageManager::kIID, m_manager.putVoid());
    if (FAILED(hr)) return hr;
    comlite::Bstr name("Natural Gas (PR)");
    if (FAILED(hr = m_manager->GetPropertyPackage(name.get(), package.put())) ||
        FAILED(hr = package->QueryInterface(ICapeThermoPropertyRoutine::kIID, routine.putVoid())) ||
        FAILED(hr = package->QueryInterface(ICapeThermoPhases::kIID, phases.putVoid())) ||
        FAILED(hr = package->QueryInterface(ICapeThermoMaterialContext::kIID, context.putVoid())))
      return hr;
    return package->QueryInterface(ICapeThermoEquilibriumRoutine::kIID, equilibrium.putVoid());
  }
  //! The material is kept for the wrapper's own calculations, and handed on.
  HRESULT setMaterial(IDispatch* given) {
    material.reset();
    if (given) given->QueryInterface(ICapeThermoMaterial::kIID, material.putVoid());
    return context->SetMaterial(given);
  }
  HRESULT unsetMaterial() {
    material.reset();
    return context->UnsetMaterial();
  }

  comlite::ComPtr<ICapeThermoPropertyPackageManager> m_manager;
  comlite::ComPtr<IDispatch> package;
  comlite::ComPtr<ICapeThermoPropertyRoutine> routine;
  comlite::ComPtr<ICapeThermoPhases> phases;
  comlite::ComPtr<ICapeThermoMaterialContext> context;
  comlite::ComPtr<ICapeThermoEquilibriumRoutine> equilibrium;
  comlite::ComPtr<ICapeThermoMaterial> material;
};

//! A package of its own interfaces that hands any other to the wrapped package.
template <class Self, class... Interfaces>
class Wrapper : public comlite::ComObject<Self, Interfaces...> {
 public:
  Wrapped pr;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    const HRESULT hr = comlite::ComObject<Self, Interfaces...>::QueryInterface(riid, ppv);
    return hr == E_NOINTERFACE ? pr.package->QueryInterface(riid, ppv) : hr;
  }
};

//! Like `comlite::createObject`, but the wrapped package is opened before the first query.
template <class Package>
HRESULT createOpened(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto package = comlite::ComPtr<Package>::attach(comlite::makeObject<Package>());
  if (!package) return E_OUTOFMEMORY;
  const HRESULT hr = package->pr.open();
  if (FAILED(hr)) return hr;
  return package->QueryInterface(riid, ppv);
}

enum class Hidden {
  Nothing,
  VolumeSlope,
  VolumeSlopeAndCompressibility,
  LnPhi,
  LogFugacity,
  AllButLogFugacityCoefficient
};

bool hidden(Hidden which, std::string_view name) {
  auto under = [name](std::initializer_list<std::string_view> roots) {
    for (std::string_view root : roots)
      if (name.substr(0, root.size()) == root &&
          (name.size() == root.size() || name[root.size()] == '.'))
        return true;
    return false;
  };
  if (which == Hidden::LnPhi)
    return under({"fugacity", "fugacityCoefficient", "activityCoefficient"});
  if (which == Hidden::LogFugacity) return under({"logFugacity"});
  if (which == Hidden::AllButLogFugacityCoefficient)
    return under({"logFugacity", "fugacity", "fugacityCoefficient"});
  if (which == Hidden::Nothing) return false;
  if (name == "volume.Dpressure") return true;
  return which == Hidden::VolumeSlopeAndCompressibility && name == "compressibility";
}

//! The package without the single-phase properties `Which` hides.
template <Hidden Which>
class FilteredPackage : public Wrapper<FilteredPackage<Which>, ICapeThermoPropertyRoutine> {
 public:
  using Wrapper<FilteredPackage<Which>, ICapeThermoPropertyRoutine>::pr;
  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    return pr.routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    {
      std::lock_guard<std::mutex> lock(g_logLock);
      for (const auto& p : stringsOf(props)) g_log += p + "@" + comlite::bstrToUtf8(label) + ";";
    }
    for (const auto& p : stringsOf(props))
      if (hidden(Which, p)) return ECapeInvalidArgumentHR;
    return pr.routine->CalcSinglePhaseProp(props, label);
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    return pr.routine->CalcTwoPhaseProp(props, labels);
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    if (hidden(Which, comlite::bstrToUtf8(property))) {
      if (valid) *valid = VARIANT_FALSE;
      return valid ? S_OK : E_POINTER;
    }
    return pr.routine->CheckSinglePhasePropSpec(property, label, valid);
  }
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT labels, VARIANT_BOOL* valid) override {
    return pr.routine->CheckTwoPhasePropSpec(property, labels, valid);
  }
  HRESULT GetSinglePhasePropList(VARIANT* props) override {
    if (!props) return E_POINTER;
    comlite::Variant all;
    HRESULT hr = pr.routine->GetSinglePhasePropList(&all);
    if (FAILED(hr)) return hr;
    std::vector<std::string> kept;
    for (auto& name : stringsOf(all))
      if (!hidden(Which, name)) kept.push_back(std::move(name));
    VariantClear(props);
    *props = makeStringArray(kept).detach();
    return S_OK;
  }
  HRESULT GetTwoPhasePropList(VARIANT* props) override {
    return pr.routine->GetTwoPhasePropList(props);
  }
};

bool isSolid(BSTR label) {
  return comlite::bstrView(label) == u"Solid";
}

//! The solid's values of a property at T with n compounds, or false for a property it does not
//! have. Per compound: ln phi_i = -3 + i / 10, its mole-fraction derivatives 0.5 + i on the
//! diagonal and 0.01 elsewhere (n x n).
bool solidValues(std::string_view name, double T, std::size_t n, std::vector<double>& values) {
  values.assign(1, 0.0);
  if (name == "enthalpy")
    values[0] = 40.0 * (T - 298.15) - 10000.0;
  else if (name == "heatCapacityCp")
    values[0] = 40.0;
  else if (name == "density")
    values[0] = 25000.0;
  else if (name == "volume")
    values[0] = 4e-5;
  else if (name == "logFugacityCoefficient" || name == "logFugacityCoefficient.DmolFraction") {
    const bool matrix = name.ends_with("DmolFraction");
    values.assign(matrix ? n * n : n, 0.01);
    for (std::size_t i = 0; i < n; ++i)
      values[matrix ? i * n + i : i] = matrix ? 0.5 + double(i) : -3.0 + 0.1 * double(i);
  } else
    return false;
  return true;
}

class SolidPackage : public Wrapper<SolidPackage, ICapeThermoPropertyRoutine, ICapeThermoPhases,
                                    ICapeThermoMaterialContext, ICapeThermoEquilibriumRoutine> {
 public:
  // ICapeThermoPhases: the package's phases and the solid.
  HRESULT GetNumPhases(LONG* num) override {
    if (!num) return E_POINTER;
    *num = 3;
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR label, BSTR attribute, VARIANT* value) override {
    if (!isSolid(label)) return pr.phases->GetPhaseInfo(label, attribute, value);
    return capeside::putVariant(value, capeside::makeString("Solid"));
  }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys) override {
    if (!labels || !states || !keys) return E_POINTER;
    comlite::Variant l, s, k;
    HRESULT hr = pr.phases->GetPhaseList(&l, &s, &k);
    if (FAILED(hr)) return hr;
    std::vector<std::string> lists[] = {stringsOf(l), stringsOf(s), stringsOf(k)};
    lists[0].emplace_back("Solid");
    lists[1].emplace_back("Solid");
    lists[2].emplace_back("");
    return putPhaseList(labels, states, keys, lists);
  }

  // ICapeThermoMaterialContext: the solid's calculations read the same material.
  HRESULT SetMaterial(IDispatch* material) override { return pr.setMaterial(material); }
  HRESULT UnsetMaterial() override { return pr.unsetMaterial(); }

  // ICapeThermoPropertyRoutine
  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    if (isSolid(label)) return ECapeInvalidArgumentHR;
    return pr.routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    if (!isSolid(label)) return pr.routine->CalcSinglePhaseProp(props, label);
    if (!pr.material) return ECapeBadInvOrderHR;
    comlite::Bstr temperature("temperature"), none(""), mole("mole");
    comlite::Variant t;
    HRESULT hr = pr.material->GetSinglePhaseProp(temperature.get(), label, none.get(), &t);
    if (FAILED(hr)) return hr;
    const std::vector<double> T = doublesOf(t);
    if (T.size() != 1) return ECapeThrmPropertyNotAvailableHR;
    comlite::Variant x;
    hr = pr.material->GetSinglePhaseProp(comlite::Bstr("fraction").get(), label, mole.get(), &x);
    if (FAILED(hr)) return hr;
    std::vector<double> values;
    for (const auto& name : stringsOf(props)) {
      if (!solidValues(name, T[0], doublesOf(x).size(), values))
        return ECapeThrmPropertyNotAvailableHR;
      hr = pr.material->SetSinglePhaseProp(comlite::Bstr(name).get(), label, mole.get(),
                                           makeDoubleArray(values));
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    return pr.routine->CalcTwoPhaseProp(props, labels);
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    if (!isSolid(label)) return pr.routine->CheckSinglePhasePropSpec(property, label, valid);
    if (!valid) return E_POINTER;
    std::vector<double> values;
    *valid =
        solidValues(comlite::bstrToUtf8(property), 300.0, 1, values) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT labels, VARIANT_BOOL* valid) override {
    return pr.routine->CheckTwoPhasePropSpec(property, labels, valid);
  }
  HRESULT GetSinglePhasePropList(VARIANT* props) override {
    return pr.routine->GetSinglePhasePropList(props);
  }
  HRESULT GetTwoPhasePropList(VARIANT* props) override {
    return pr.routine->GetTwoPhasePropList(props);
  }

  // ICapeThermoEquilibriumRoutine: a cold TP equilibrium freezes the whole feed.
  HRESULT CalcEquilibrium(VARIANT spec1, VARIANT spec2, BSTR solutionType) override {
    const std::vector<std::string> s1 = stringsOf(spec1), s2 = stringsOf(spec2);
    const bool tp = !s1.empty() && !s2.empty() && s1[0] == "temperature" && s2[0] == "pressure";
    double T = 0.0, P = 0.0;
    comlite::Variant x;
    if (tp && pr.material && SUCCEEDED(pr.material->GetOverallTPFraction(&T, &P, &x)) &&
        T < kFreezing) {
      comlite::Bstr solid("Solid"), mole("mole"), none("");
      HRESULT hr = pr.material->SetPresentPhases(makeStringArray({"Solid"}),
                                                 makeLongArray({CAPE_ATEQUILIBRIUM}));
      auto put = [&](const char* name, BSTR basis, const std::vector<double>& values) {
        comlite::Bstr n(name);
        if (SUCCEEDED(hr))
          hr =
              pr.material->SetSinglePhaseProp(n.get(), solid.get(), basis, makeDoubleArray(values));
      };
      put("temperature", none.get(), {T});
      put("pressure", none.get(), {P});
      put("phaseFraction", mole.get(), {1.0});
      put("fraction", mole.get(), doublesOf(x));
      return hr;
    }
    return pr.equilibrium->CalcEquilibrium(spec1, spec2, solutionType);
  }
  HRESULT CheckEquilibriumSpec(VARIANT spec1, VARIANT spec2, BSTR solutionType,
                               VARIANT_BOOL* supported) override {
    return pr.equilibrium->CheckEquilibriumSpec(spec1, spec2, solutionType, supported);
  }
};

//! A scripted equilibrium answer: the phases present with their fractions (NaN: none written),
//! and the state written back (NaN: the material's own).
struct ScriptedPhase {
  const char* label;
  double fraction;
};
struct ScriptedAnswer {
  const char* name;
  std::vector<ScriptedPhase> phases;
  double T = NAN, P = NAN;
};
const ScriptedAnswer kAnswers[] = {
    {"cold", {{"Vapor", 1.0}}, 0.0},
    {"vacuum", {{"Vapor", 1.0}}, NAN, -1.0},
    {"sum", {{"Vapor", 0.4}, {"Liquid", 0.7}}},
    {"three", {{"Vapor", 0.5}, {"Liquid", 0.1}, {"Liquid2", 0.4}}},
    {"tie", {{"Vapor", 0.2}, {"Liquid", 0.2}, {"Liquid2", 0.6}}},
    {"liquid-share", {{"Vapor", 0.3}, {"Liquid", NAN}}},
    {"foam", {{"Foam", 1.0}}},
};

class OddFlashPackage : public Wrapper<OddFlashPackage, ICapeThermoPhases,
                                       ICapeThermoMaterialContext, ICapeThermoEquilibriumRoutine> {
 public:
  HRESULT GetNumPhases(LONG* num) override {
    if (!num) return E_POINTER;
    const char* claimed = std::getenv("CORAVL_TEST_PHASE_COUNT");
    *num = claimed && *claimed ? std::atoi(claimed) : 4;
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR label, BSTR attribute, VARIANT* value) override {
    return pr.phases->GetPhaseInfo(label, attribute, value);
  }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys) override {
    const char* aqueous = std::getenv("CORAVL_TEST_AQUEOUS");
    std::vector<std::string> lists[3];
    for (auto [label, state] : {std::pair{"Vapor", "Vapor"}, std::pair{"Liquid", "Liquid"},
                                std::pair{"Liquid2", "Liquid"}, std::pair{"Foam", "Foam"}}) {
      lists[0].emplace_back(label);
      lists[1].emplace_back(state);
      lists[2].emplace_back(aqueous && std::string(aqueous) == label ? "AQUEOUS" : "");
    }
    return putPhaseList(labels, states, keys, lists);
  }

  HRESULT SetMaterial(IDispatch* material) override { return pr.setMaterial(material); }
  HRESULT UnsetMaterial() override { return pr.unsetMaterial(); }

  HRESULT CalcEquilibrium(VARIANT spec1, VARIANT spec2, BSTR solutionType) override {
    const char* chosen = std::getenv("CORAVL_TEST_FLASH");
    const ScriptedAnswer* answer = nullptr;
    for (const auto& a : kAnswers)
      if (chosen && std::string(chosen) == a.name) answer = &a;
    if (!answer || !pr.material) return pr.equilibrium->CalcEquilibrium(spec1, spec2, solutionType);
    double T = 0.0, P = 0.0;
    comlite::Variant x;
    HRESULT hr = pr.material->GetOverallTPFraction(&T, &P, &x);
    std::vector<std::string> present;
    for (const auto& p : answer->phases) present.emplace_back(p.label);
    // A fresh answer: no value of an earlier one stays on the phases.
    if (SUCCEEDED(hr)) hr = pr.material->SetPresentPhases(makeStringArray({}), makeLongArray({}));
    if (SUCCEEDED(hr))
      hr = pr.material->SetPresentPhases(
          makeStringArray(present),
          makeLongArray(std::vector<LONG>(present.size(), CAPE_ATEQUILIBRIUM)));
    comlite::Bstr mole("mole"), fraction("fraction"), phaseFraction("phaseFraction");
    for (const auto& p : answer->phases) {
      comlite::Bstr label(p.label);
      if (SUCCEEDED(hr) && !std::isnan(p.fraction))
        hr = pr.material->SetSinglePhaseProp(phaseFraction.get(), label.get(), mole.get(),
                                             makeDoubleArray({p.fraction}));
      if (SUCCEEDED(hr))
        hr = pr.material->SetSinglePhaseProp(fraction.get(), label.get(), mole.get(), x);
    }
    for (auto [name, value] : {std::pair{"temperature", std::isnan(answer->T) ? T : answer->T},
                               std::pair{"pressure", std::isnan(answer->P) ? P : answer->P}}) {
      comlite::Bstr n(name);
      if (SUCCEEDED(hr))
        hr = pr.material->SetOverallProp(n.get(), nullptr, makeDoubleArray({value}));
    }
    return hr;
  }
  HRESULT CheckEquilibriumSpec(VARIANT spec1, VARIANT spec2, BSTR solutionType,
                               VARIANT_BOOL* supported) override {
    return pr.equilibrium->CheckEquilibriumSpec(spec1, spec2, solutionType, supported);
  }
};

template <class Package>
comlite::ClassInfo classOf(const CLSID& clsid, const char* description, const char* name) {
  const std::string progId = std::string("CORavlTest.") + name;
  return comlite::ClassInfo{clsid,
                            description,
                            progId + ".1",
                            progId,
                            "Apartment",
                            {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                            &createOpened<Package>};
}

comlite::Module& testPackagesModule() {
  static comlite::Module module(
      {classOf<FilteredPackage<Hidden::LnPhi>>(
           comlite::makeGuid("5A0E6C43-93D4-4E0B-9C2B-6E1B7F0A52D1"),
           "Peng-Robinson natural gas with K-values only", "KvaluePackage"),
       classOf<FilteredPackage<Hidden::VolumeSlope>>(
           comlite::makeGuid("0F2D7B61-3C4A-4E8E-A1B3-6C2E9D4F7A15"),
           "Peng-Robinson natural gas without the volume's pressure derivative",
           "CompressibilityPackage"),
       classOf<FilteredPackage<Hidden::VolumeSlopeAndCompressibility>>(
           comlite::makeGuid("6B9E3A27-8D15-4C70-9F42-1E7A5C3B8D06"),
           "Peng-Robinson natural gas without any pressure derivative of the volume",
           "NoVolumeSlopePackage"),
       classOf<FilteredPackage<Hidden::LogFugacity>>(
           comlite::makeGuid("2C8E4F17-6A3B-4D92-8E51-7B0C9D3A4F26"),
           "Peng-Robinson natural gas without the logarithm of the fugacity", "FugacityPackage"),
       classOf<FilteredPackage<Hidden::AllButLogFugacityCoefficient>>(
           comlite::makeGuid("8A1D5E39-4C7F-4B06-9D28-3F6E2A7C1B54"),
           "Peng-Robinson natural gas with the logarithm of the fugacity coefficient only",
           "LnPhiOnlyPackage"),
       classOf<FilteredPackage<Hidden::Nothing>>(
           comlite::makeGuid("C4A81F3E-2B7D-4F96-8E05-9D3B6A1C7E48"),
           "Peng-Robinson natural gas, its calculations logged", "LoggedPackage"),
       classOf<SolidPackage>(comlite::makeGuid("5E7C2A94-1B3D-4F68-9A0E-7D4B8C2F6A31"),
                             "Peng-Robinson natural gas with a solid phase", "SolidPackage"),
       classOf<OddFlashPackage>(comlite::makeGuid("9D3F6B21-7A4E-4C85-B1D2-3E8F5A6C7B90"),
                                "Peng-Robinson natural gas whose flashes answer as told",
                                "OddFlashPackage")},
      {});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(testPackagesModule())

//! The single-phase calculations asked of the filtering packages since the last clear.
extern "C" __attribute__((visibility("default"))) const char* slopePackagesLog() {
  std::lock_guard<std::mutex> lock(g_logLock);
  static thread_local std::string copy;
  copy = g_log;
  return copy.c_str();
}

extern "C" __attribute__((visibility("default"))) void slopePackagesClearLog() {
  std::lock_guard<std::mutex> lock(g_logLock);
  g_log.clear();
}
