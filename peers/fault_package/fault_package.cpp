//! A package that misbehaves on purpose (see README.md): the Peng-Robinson "Natural Gas (PR)"
//! package, made through its manager, behind a wrapper of every interface it offers. Each call
//! reads CORAVL_FAULT; the one call it names breaks in the way it names, every other call is
//! the Peng-Robinson package's own.

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/module.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_errors.h"
#include "outside/capeopen_thermo.h"

namespace {

constexpr CLSID kClsidFaultPackage = comlite::makeGuid("3B7C2E94-51A8-4D6F-B0E3-8A4C19D27F65");
constexpr const char* kFaultVariable = "CORAVL_FAULT";

//! The fault CORAVL_FAULT names for `method` ("" for none).
std::string faultOf(std::string_view method) {
  const char* setting = std::getenv(kFaultVariable);
  if (!setting) return "";
  std::string_view all(setting);
  while (!all.empty()) {
    const std::size_t end = all.find(';');
    const std::string_view item = all.substr(0, end);
    const std::size_t colon = item.find(':');
    if (colon != std::string_view::npos &&
        (item.substr(0, colon) == method || item.substr(0, colon) == "*"))
      return std::string(item.substr(colon + 1));
    if (end == std::string_view::npos) break;
    all.remove_prefix(end + 1);
  }
  return "";
}

//! The faults any method can show; true with `hr` set when `fault` is one of them and the call
//! is to return at once.
bool commonFault(const std::string& fault, const char* method, HRESULT& hr) {
  if (fault.empty()) return false;
  if (fault == "slow") {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return false;
  }
  if (fault == "no-info") {
    std::string d, s;
    comlite::takeErrorInfo(d, s);
    hr = E_FAIL;
    return true;
  }
  if (fault == "nothing") {
    hr = S_OK;
    return true;
  }
  if (fault == "throw") throw std::runtime_error(std::string("injected failure in ") + method);
  if (fault.rfind("cape-", 0) == 0) {
    std::string d, s;
    comlite::takeErrorInfo(d, s);
    for (const auto& k : capeopen::kErrorKinds)
      if (fault.compare(5, std::string::npos, k.name) == 0) {
        hr = k.hr;
        return true;
      }
    hr = E_UNEXPECTED;
    return true;
  }
  return false;
}

std::vector<comlite::Bstr> stringsOf(const VARIANT& v) {
  std::vector<comlite::Bstr> out;
  if (v.vt != (VT_ARRAY | VT_BSTR) || !v.parray) return out;
  LONG lower = 0;
  SafeArrayGetLBound(v.parray, 1, &lower);
  const auto n = static_cast<LONG>(comlite::safeArrayCount(v.parray));
  for (LONG i = 0; i < n; ++i) {
    BSTR s = nullptr;
    const LONG at = lower + i;
    SafeArrayGetElement(v.parray, &at, &s);
    out.push_back(comlite::Bstr::attach(s));
  }
  return out;
}

comlite::Variant doubles(const std::vector<double>& values) {
  comlite::Variant v;
  v.vt = VT_ARRAY | VT_R8;
  v.parray = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    double d = values[static_cast<std::size_t>(i)];
    SafeArrayPutElement(v.parray, &i, &d);
  }
  return v;
}

comlite::Variant strings(const std::vector<std::string>& values) {
  comlite::Variant v;
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    comlite::Bstr s(values[static_cast<std::size_t>(i)]);
    SafeArrayPutElement(v.parray, &i, s.get());
  }
  return v;
}

comlite::Variant longs(const std::vector<LONG>& values) {
  comlite::Variant v;
  v.vt = VT_ARRAY | VT_I4;
  v.parray = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    LONG d = values[static_cast<std::size_t>(i)];
    SafeArrayPutElement(v.parray, &i, &d);
  }
  return v;
}

void replace(VARIANT* out, comlite::Variant value) {
  if (!out) return;
  VariantClear(out);
  *out = value.detach();
}

//! The values a result fault writes in place of `count` real ones; false for no result fault.
bool badValues(const std::string& fault, std::size_t count, comlite::Variant& out) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  if (fault == "nan" || fault == "inf" || fault == "huge" || fault == "negative") {
    const double v = fault == "nan" ? nan : fault == "inf" ? inf : fault == "huge" ? 1e308 : -2.0;
    out = doubles(std::vector<double>(count, v));
  } else if (fault == "few") {
    out = doubles({});
  } else if (fault == "many") {
    out = doubles(std::vector<double>(50, 1.0));
  } else if (fault == "strings") {
    out = strings(std::vector<std::string>(count, "1.0"));
  } else if (fault == "matrix") {
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {static_cast<ULONG>(count), 0}};
    out.vt = VT_ARRAY | VT_R8;
    out.parray = SafeArrayCreate(VT_R8, 2, bounds);
  } else if (fault == "empty") {
    out = comlite::Variant();
  } else {
    return false;
  }
  return true;
}

bool wrongForm(const std::string& fault) {
  return fault == "few" || fault == "many" || fault == "strings" || fault == "matrix" ||
         fault == "empty";
}

class FaultPackage
    : public comlite::ComObject<FaultPackage, ICapeThermoPropertyRoutine, ICapeIdentification,
                                ICapeUtilities, ICapeThermoCompounds, ICapeThermoPhases,
                                ICapeThermoEquilibriumRoutine, ICapeThermoMaterialContext,
                                ICapeThermoUniversalConstant> {
 public:
  HRESULT open() {
    CLSID manager{};
    HRESULT hr = CLSIDFromProgID(u"CORavlPR.PackageManager.1", &manager);
    if (FAILED(hr)) return hr;
    comlite::ComPtr<ICapeThermoPropertyPackageManager> ppm;
    hr = CoCreateInstance(manager, nullptr, CLSCTX_INPROC_SERVER,
                          ICapeThermoPropertyPackageManager::kIID, ppm.putVoid());
    if (FAILED(hr)) return hr;
    comlite::Bstr name("Natural Gas (PR)");
    comlite::ComPtr<IDispatch> package;
    hr = ppm->GetPropertyPackage(name.get(), package.put());
    if (FAILED(hr)) return hr;
    for (auto [iid, slot] :
         {std::pair{ICapeThermoPropertyRoutine::kIID, m_routine.putVoid()},
          std::pair{ICapeIdentification::kIID, m_identification.putVoid()},
          std::pair{ICapeUtilities::kIID, m_utilities.putVoid()},
          std::pair{ICapeThermoCompounds::kIID, m_compounds.putVoid()},
          std::pair{ICapeThermoPhases::kIID, m_phases.putVoid()},
          std::pair{ICapeThermoEquilibriumRoutine::kIID, m_equilibrium.putVoid()},
          std::pair{ICapeThermoMaterialContext::kIID, m_context.putVoid()},
          std::pair{ICapeThermoUniversalConstant::kIID, m_constants.putVoid()}}) {
      hr = package->QueryInterface(iid, slot);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

  // ICapeIdentification
  HRESULT get_ComponentName(BSTR* name) override {
    return m_identification->get_ComponentName(name);
  }
  HRESULT put_ComponentName(BSTR name) override {
    return m_identification->put_ComponentName(name);
  }
  HRESULT get_ComponentDescription(BSTR* d) override {
    return m_identification->get_ComponentDescription(d);
  }
  HRESULT put_ComponentDescription(BSTR d) override {
    return m_identification->put_ComponentDescription(d);
  }
  // ICapeUtilities
  HRESULT get_parameters(IDispatch** p) override {
    return wrap("get_parameters", [&] { return m_utilities->get_parameters(p); });
  }
  HRESULT put_simulationContext(IDispatch* c) override {
    return wrap("put_simulationContext", [&] { return m_utilities->put_simulationContext(c); });
  }
  HRESULT Initialize() override {
    return wrap("Initialize", [&] { return m_utilities->Initialize(); });
  }
  HRESULT Terminate() override {
    m_material.reset();
    return wrap("Terminate", [&] { return m_utilities->Terminate(); });
  }
  HRESULT Edit() override {
    return wrap("Edit", [&] { return m_utilities->Edit(); });
  }
  // ICapeThermoCompounds
  HRESULT GetCompoundConstant(VARIANT props, VARIANT ids, VARIANT* values) override {
    return wrapResult("GetCompoundConstant", values,
                      [&] { return m_compounds->GetCompoundConstant(props, ids, values); });
  }
  HRESULT GetCompoundList(VARIANT* ids, VARIANT* formulae, VARIANT* names, VARIANT* boil,
                          VARIANT* mw, VARIANT* cas) override {
    const std::string fault = faultOf("GetCompoundList");
    HRESULT hr = wrap("GetCompoundList", [&] {
      return m_compounds->GetCompoundList(ids, formulae, names, boil, mw, cas);
    });
    if (FAILED(hr) || fault.empty() || !ids) return hr;
    std::vector<comlite::Bstr> list = stringsOf(*ids);
    if (fault == "same-ids") {
      std::vector<std::string> same(list.size(), list.empty() ? "methane" : list[0].utf8());
      replace(ids, strings(same));
    } else if (fault == "huge") {
      replace(ids, strings(std::vector<std::string>(kHuge, "methane")));
    } else if (fault == "strings") {
      replace(ids, doubles(std::vector<double>(list.size(), 1.0)));
    } else if (fault == "changes" && (++m_calls % 2 == 0) && !list.empty()) {
      std::vector<std::string> fewer;
      for (std::size_t i = 0; i + 1 < list.size(); ++i) fewer.push_back(list[i].utf8());
      for (VARIANT* v : {ids, formulae, names, cas})
        if (v) replace(v, strings(fewer));
      std::vector<double> numbers(fewer.size(), 100.0);
      for (VARIANT* v : {boil, mw})
        if (v) replace(v, doubles(numbers));
    }
    return hr;
  }
  HRESULT GetConstPropList(VARIANT* props) override {
    return wrap("GetConstPropList", [&] { return m_compounds->GetConstPropList(props); });
  }
  HRESULT GetNumCompounds(LONG* num) override {
    return wrapCount("GetNumCompounds", num, [&] { return m_compounds->GetNumCompounds(num); });
  }
  HRESULT GetPDependentProperty(VARIANT props, double P, VARIANT ids, VARIANT* values) override {
    return wrapResult("GetPDependentProperty", values,
                      [&] { return m_compounds->GetPDependentProperty(props, P, ids, values); });
  }
  HRESULT GetPDependentPropList(VARIANT* props) override {
    return wrap("GetPDependentPropList", [&] { return m_compounds->GetPDependentPropList(props); });
  }
  HRESULT GetTDependentProperty(VARIANT props, double T, VARIANT ids, VARIANT* values) override {
    return wrapResult("GetTDependentProperty", values,
                      [&] { return m_compounds->GetTDependentProperty(props, T, ids, values); });
  }
  HRESULT GetTDependentPropList(VARIANT* props) override {
    return wrap("GetTDependentPropList", [&] { return m_compounds->GetTDependentPropList(props); });
  }
  // ICapeThermoPhases
  HRESULT GetNumPhases(LONG* num) override {
    return wrapCount("GetNumPhases", num, [&] { return m_phases->GetNumPhases(num); });
  }
  HRESULT GetPhaseInfo(BSTR label, BSTR attribute, VARIANT* value) override {
    return wrap("GetPhaseInfo", [&] { return m_phases->GetPhaseInfo(label, attribute, value); });
  }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys) override {
    const std::string fault = faultOf("GetPhaseList");
    HRESULT hr = wrap("GetPhaseList", [&] { return m_phases->GetPhaseList(labels, states, keys); });
    if (FAILED(hr) || fault.empty() || !labels || !states) return hr;
    std::vector<comlite::Bstr> list = stringsOf(*labels);
    std::vector<comlite::Bstr> aggregation = stringsOf(*states);
    if (fault == "short-states" && !aggregation.empty()) {
      std::vector<std::string> fewer;
      for (std::size_t i = 0; i + 1 < aggregation.size(); ++i)
        fewer.push_back(aggregation[i].utf8());
      replace(states, strings(fewer));
    } else if (fault == "huge") {
      replace(labels, strings(std::vector<std::string>(kHuge, "Vapor")));
      replace(states, strings(std::vector<std::string>(kHuge, "Vapor")));
    } else if (fault == "changes" && (++m_calls % 2 == 0)) {
      replace(labels, strings({"Gas", "Oil"}));
      replace(states, strings({"Vapor", "Liquid"}));
      if (keys) replace(keys, strings({"", ""}));
    }
    return hr;
  }
  // ICapeThermoPropertyRoutine
  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    return wrapResult("CalcAndGetLnPhi", lnPhi, [&] {
      return m_routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
    });
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    const std::string fault = faultOf("CalcSinglePhaseProp");
    // An answer of the wrong form is all the package writes: the material may refuse it.
    HRESULT hr = wrap("CalcSinglePhaseProp", [&] {
      return wrongForm(fault) ? S_OK : m_routine->CalcSinglePhaseProp(props, label);
    });
    if (FAILED(hr) || fault.empty() || !m_material) return hr;
    for (const auto& p : stringsOf(props)) {
      comlite::Variant bad;
      if (!badValues(fault, valueCount(p.view()), bad)) break;
      comlite::Bstr mole("Mole");
      // What the material makes of it is its own business: a bad package does not look.
      m_material->SetSinglePhaseProp(p.get(), label, mole.get(), bad);
    }
    return hr;
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    const std::string fault = faultOf("CalcTwoPhaseProp");
    HRESULT hr = wrap("CalcTwoPhaseProp", [&] {
      return wrongForm(fault) ? S_OK : m_routine->CalcTwoPhaseProp(props, labels);
    });
    if (FAILED(hr) || fault.empty() || !m_material) return hr;
    for (const auto& p : stringsOf(props)) {
      comlite::Variant bad;
      if (!badValues(fault, kCompounds, bad)) break;
      comlite::Bstr mole("Mole");
      m_material->SetTwoPhaseProp(p.get(), labels, mole.get(), bad);
    }
    return hr;
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    return wrap("CheckSinglePhasePropSpec",
                [&] { return m_routine->CheckSinglePhasePropSpec(property, label, valid); });
  }
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT labels, VARIANT_BOOL* valid) override {
    return wrap("CheckTwoPhasePropSpec",
                [&] { return m_routine->CheckTwoPhasePropSpec(property, labels, valid); });
  }
  HRESULT GetSinglePhasePropList(VARIANT* props) override {
    return wrap("GetSinglePhasePropList", [&] { return m_routine->GetSinglePhasePropList(props); });
  }
  HRESULT GetTwoPhasePropList(VARIANT* props) override {
    return wrap("GetTwoPhasePropList", [&] { return m_routine->GetTwoPhasePropList(props); });
  }
  // ICapeThermoEquilibriumRoutine
  HRESULT CalcEquilibrium(VARIANT s1, VARIANT s2, BSTR solutionType) override {
    const std::string fault = faultOf("CalcEquilibrium");
    HRESULT hr = wrap("CalcEquilibrium",
                      [&] { return m_equilibrium->CalcEquilibrium(s1, s2, solutionType); });
    if (FAILED(hr) || fault.empty() || !m_material) return hr;
    comlite::Bstr vapour("Vapor"), liquid("Liquid"), mole("Mole"), fraction("fraction"),
        phaseFraction("phaseFraction");
    if (fault == "fractions") {
      m_material->SetPresentPhases(strings({"Vapor", "Liquid"}),
                                   longs({CAPE_ATEQUILIBRIUM, CAPE_ATEQUILIBRIUM}));
      m_material->SetSinglePhaseProp(phaseFraction.get(), vapour.get(), mole.get(),
                                     doubles({-0.5}));
      m_material->SetSinglePhaseProp(phaseFraction.get(), liquid.get(), mole.get(), doubles({1.5}));
      std::vector<double> x(kCompounds, 0.2);
      x[0] = -0.8;
      m_material->SetSinglePhaseProp(fraction.get(), vapour.get(), mole.get(), doubles(x));
      m_material->SetSinglePhaseProp(fraction.get(), liquid.get(), mole.get(), doubles(x));
    } else if (fault == "nan") {
      const double nan = std::numeric_limits<double>::quiet_NaN();
      m_material->SetSinglePhaseProp(phaseFraction.get(), vapour.get(), mole.get(), doubles({nan}));
    }
    return hr;
  }
  HRESULT CheckEquilibriumSpec(VARIANT s1, VARIANT s2, BSTR type, VARIANT_BOOL* ok) override {
    return wrap("CheckEquilibriumSpec",
                [&] { return m_equilibrium->CheckEquilibriumSpec(s1, s2, type, ok); });
  }
  // ICapeThermoMaterialContext
  HRESULT SetMaterial(IDispatch* material) override {
    return wrap("SetMaterial", [&] {
      m_material.reset();
      if (material) material->QueryInterface(ICapeThermoMaterial::kIID, m_material.putVoid());
      return m_context->SetMaterial(material);
    });
  }
  HRESULT UnsetMaterial() override {
    return wrap("UnsetMaterial", [&] {
      m_material.reset();
      return m_context->UnsetMaterial();
    });
  }
  // ICapeThermoUniversalConstant
  HRESULT GetUniversalConstant(BSTR id, VARIANT* value) override {
    return wrapResult("GetUniversalConstant", value,
                      [&] { return m_constants->GetUniversalConstant(id, value); });
  }
  HRESULT GetUniversalConstantList(VARIANT* ids) override {
    return wrap("GetUniversalConstantList",
                [&] { return m_constants->GetUniversalConstantList(ids); });
  }

 private:
  //! Natural Gas (PR) has ten compounds.
  static constexpr std::size_t kCompounds = 10;
  //! The length of a very large answer.
  static constexpr std::size_t kHuge = 1000000;

  template <class Call>
  HRESULT wrap(const char* method, Call&& call) {
    HRESULT hr = S_OK;
    if (commonFault(faultOf(method), method, hr)) return hr;
    return call();
  }
  //! A call with one VARIANT of values: its results broken as the fault says.
  template <class Call>
  HRESULT wrapResult(const char* method, VARIANT* values, Call&& call) {
    const std::string fault = faultOf(method);
    HRESULT hr = wrap(method, call);
    if (FAILED(hr) || fault.empty() || !values) return hr;
    comlite::Variant bad;
    if (badValues(fault, kCompounds, bad)) replace(values, std::move(bad));
    return hr;
  }
  template <class Call>
  HRESULT wrapCount(const char* method, LONG* count, Call&& call) {
    const std::string fault = faultOf(method);
    HRESULT hr = wrap(method, call);
    if (SUCCEEDED(hr) && count && fault == "huge") *count = std::numeric_limits<LONG>::max();
    return hr;
  }
  static std::size_t valueCount(std::u16string_view property) {
    // Per-compound properties in the package's order; the rest are scalars.
    for (std::u16string_view p : {u"fugacity", u"fugacityCoefficient", u"logFugacityCoefficient",
                                  u"fugacityCoefficient.Dtemperature", u"fraction"})
      if (property == p) return kCompounds;
    return property.find(u".Dmol") != std::u16string_view::npos ? kCompounds : 1;
  }

  comlite::ComPtr<ICapeThermoPropertyRoutine> m_routine;
  comlite::ComPtr<ICapeIdentification> m_identification;
  comlite::ComPtr<ICapeUtilities> m_utilities;
  comlite::ComPtr<ICapeThermoCompounds> m_compounds;
  comlite::ComPtr<ICapeThermoPhases> m_phases;
  comlite::ComPtr<ICapeThermoEquilibriumRoutine> m_equilibrium;
  comlite::ComPtr<ICapeThermoMaterialContext> m_context;
  comlite::ComPtr<ICapeThermoUniversalConstant> m_constants;
  comlite::ComPtr<ICapeThermoMaterial> m_material;
  int m_calls = 0;
};

HRESULT createPackage(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto package = comlite::ComPtr<FaultPackage>::attach(comlite::makeObject<FaultPackage>());
  if (!package) return E_OUTOFMEMORY;
  const HRESULT hr = package->open();
  if (FAILED(hr)) return hr;
  return package->QueryInterface(riid, ppv);
}

comlite::Module& faultModule() {
  static comlite::Module module(
      {comlite::ClassInfo{kClsidFaultPackage,
                          "Peng-Robinson natural gas that misbehaves as CORAVL_FAULT says",
                          "CORavlFault.PropertyPackage.1",
                          "CORavlFault.PropertyPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &createPackage}},
      {});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(faultModule())
