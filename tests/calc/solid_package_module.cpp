//! A test module: "CORavlTest.SolidPackage.1", the Peng-Robinson "Natural Gas (PR)" package with
//! a third phase, "Solid" (state of aggregation "Solid"). The solid has a plain model of its own:
//!   enthalpy = 40 (T - 298.15) - 10000 J/mol, heatCapacityCp = 40 J/mol/K,
//!   density = 25000 mol/m3, volume = 4e-5 m3/mol,
//! read from the solid phase's own temperature on the material. A TP equilibrium below 100 K
//! puts the whole feed into the solid; every other equilibrium and every fluid calculation is the
//! Peng-Robinson package's.

#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/hresult.h"
#include "comlite/module.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "opened_package.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_thermo.h"

namespace {

constexpr CLSID kClsidSolidPackage = comlite::makeGuid("5E7C2A94-1B3D-4F68-9A0E-7D4B8C2F6A31");
constexpr double kFreezing = 100.0;  // K

std::vector<comlite::Bstr> stringsOf(const VARIANT& v) {
  std::vector<comlite::Bstr> out;
  if (v.vt != (VT_ARRAY | VT_BSTR) || !v.parray) return out;
  for (LONG i = 0; i < static_cast<LONG>(comlite::safeArrayCount(v.parray)); ++i) {
    BSTR s = nullptr;
    SafeArrayGetElement(v.parray, &i, &s);
    out.push_back(comlite::Bstr::attach(s));
  }
  return out;
}

std::vector<double> doublesOf(const VARIANT& v) {
  std::vector<double> out;
  if (v.vt != (VT_ARRAY | VT_R8) || !v.parray) return out;
  for (LONG i = 0; i < static_cast<LONG>(comlite::safeArrayCount(v.parray)); ++i) {
    double d = 0.0;
    SafeArrayGetElement(v.parray, &i, &d);
    out.push_back(d);
  }
  return out;
}

comlite::Variant doubleArray(const std::vector<double>& values) {
  comlite::Variant v;
  v.vt = VT_ARRAY | VT_R8;
  v.parray = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i)
    SafeArrayPutElement(v.parray, &i, const_cast<double*>(&values[static_cast<std::size_t>(i)]));
  return v;
}

comlite::Variant stringArray(const std::vector<comlite::Bstr>& values) {
  comlite::Variant v;
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i)
    SafeArrayPutElement(v.parray, &i, values[static_cast<std::size_t>(i)].get());
  return v;
}

bool isSolid(BSTR label) {
  return comlite::bstrView(label) == u"Solid";
}

//! The solid's value of a property at T, or false for a property it does not have.
bool solidValue(std::u16string_view name, double T, double& value) {
  if (name == u"enthalpy")
    value = 40.0 * (T - 298.15) - 10000.0;
  else if (name == u"heatCapacityCp")
    value = 40.0;
  else if (name == u"density")
    value = 25000.0;
  else if (name == u"volume")
    value = 4e-5;
  else
    return false;
  return true;
}

class SolidPackage
    : public comlite::ComObject<SolidPackage, ICapeThermoPropertyRoutine, ICapeThermoPhases,
                                ICapeThermoMaterialContext, ICapeThermoEquilibriumRoutine> {
  using Base = comlite::ComObject<SolidPackage, ICapeThermoPropertyRoutine, ICapeThermoPhases,
                                  ICapeThermoMaterialContext, ICapeThermoEquilibriumRoutine>;

 public:
  HRESULT open() {
    CLSID manager{};
    HRESULT hr = CLSIDFromProgID(u"CORavlPR.PackageManager.1", &manager);
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(manager, nullptr, CLSCTX_INPROC_SERVER,
                          ICapeThermoPropertyPackageManager::kIID, m_manager.putVoid());
    if (FAILED(hr)) return hr;
    comlite::Bstr name("Natural Gas (PR)");
    hr = m_manager->GetPropertyPackage(name.get(), m_package.put());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = m_package->QueryInterface(ICapeThermoPropertyRoutine::kIID,
                                              m_routine.putVoid())) ||
        FAILED(hr = m_package->QueryInterface(ICapeThermoPhases::kIID, m_phases.putVoid())) ||
        FAILED(
            hr = m_package->QueryInterface(ICapeThermoMaterialContext::kIID, m_context.putVoid())))
      return hr;
    return m_package->QueryInterface(ICapeThermoEquilibriumRoutine::kIID, m_equilibrium.putVoid());
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == ICapeThermoPropertyRoutine::kIID || riid == ICapeThermoPhases::kIID ||
        riid == ICapeThermoMaterialContext::kIID || riid == ICapeThermoEquilibriumRoutine::kIID ||
        riid == IID_IUnknown || riid == IID_IDispatch)
      return Base::QueryInterface(riid, ppv);
    return m_package->QueryInterface(riid, ppv);
  }

  // ICapeThermoPhases: the package's phases and the solid.
  HRESULT GetNumPhases(LONG* num) override {
    if (!num) return E_POINTER;
    *num = 3;
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR label, BSTR attribute, VARIANT* value) override {
    if (!isSolid(label)) return m_phases->GetPhaseInfo(label, attribute, value);
    if (!value) return E_POINTER;
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(u"Solid");
    return S_OK;
  }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys) override {
    if (!labels || !states || !keys) return E_POINTER;
    comlite::Variant l, s, k;
    HRESULT hr = m_phases->GetPhaseList(&l, &s, &k);
    if (FAILED(hr)) return hr;
    auto withSolid = [](const comlite::Variant& list, const char* solid) {
      std::vector<comlite::Bstr> out = stringsOf(list);
      out.emplace_back(solid);
      return stringArray(out);
    };
    VariantClear(labels);
    VariantClear(states);
    VariantClear(keys);
    *labels = withSolid(l, "Solid").detach();
    *states = withSolid(s, "Solid").detach();
    *keys = withSolid(k, "").detach();
    return S_OK;
  }

  // ICapeThermoMaterialContext: the solid's calculations read the same material.
  HRESULT SetMaterial(IDispatch* material) override {
    m_material.reset();
    if (material) material->QueryInterface(ICapeThermoMaterial::kIID, m_material.putVoid());
    return m_context->SetMaterial(material);
  }
  HRESULT UnsetMaterial() override {
    m_material.reset();
    return m_context->UnsetMaterial();
  }

  // ICapeThermoPropertyRoutine
  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    if (isSolid(label)) return ECapeInvalidArgumentHR;
    return m_routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    if (!isSolid(label)) return m_routine->CalcSinglePhaseProp(props, label);
    if (!m_material) return ECapeBadInvOrderHR;
    comlite::Bstr temperature("temperature"), none(""), mole("mole");
    comlite::Variant t;
    HRESULT hr = m_material->GetSinglePhaseProp(temperature.get(), label, none.get(), &t);
    if (FAILED(hr)) return hr;
    const std::vector<double> T = doublesOf(t);
    if (T.size() != 1) return ECapeThrmPropertyNotAvailableHR;
    for (const auto& name : stringsOf(props)) {
      double value = 0.0;
      if (!solidValue(name.view(), T[0], value)) return ECapeThrmPropertyNotAvailableHR;
      hr = m_material->SetSinglePhaseProp(name.get(), label, mole.get(), doubleArray({value}));
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    return m_routine->CalcTwoPhaseProp(props, labels);
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    if (!isSolid(label)) return m_routine->CheckSinglePhasePropSpec(property, label, valid);
    if (!valid) return E_POINTER;
    double value = 0.0;
    *valid = solidValue(comlite::bstrView(property), 300.0, value) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT labels, VARIANT_BOOL* valid) override {
    return m_routine->CheckTwoPhasePropSpec(property, labels, valid);
  }
  HRESULT GetSinglePhasePropList(VARIANT* props) override {
    return m_routine->GetSinglePhasePropList(props);
  }
  HRESULT GetTwoPhasePropList(VARIANT* props) override {
    return m_routine->GetTwoPhasePropList(props);
  }

  // ICapeThermoEquilibriumRoutine: a cold TP equilibrium freezes the whole feed.
  HRESULT CalcEquilibrium(VARIANT spec1, VARIANT spec2, BSTR solutionType) override {
    const std::vector<comlite::Bstr> s1 = stringsOf(spec1), s2 = stringsOf(spec2);
    const bool tp =
        !s1.empty() && !s2.empty() && s1[0].view() == u"temperature" && s2[0].view() == u"pressure";
    double T = 0.0, P = 0.0;
    comlite::Variant x;
    if (tp && m_material && SUCCEEDED(m_material->GetOverallTPFraction(&T, &P, &x)) &&
        T < kFreezing) {
      comlite::Bstr solid("Solid"), mole("mole"), none("");
      std::vector<comlite::Bstr> present;
      present.emplace_back("Solid");
      comlite::Variant status;
      status.vt = VT_ARRAY | VT_I4;
      status.parray = SafeArrayCreateVector(VT_I4, 0, 1);
      LONG zero = 0, equilibrium = CAPE_ATEQUILIBRIUM;
      SafeArrayPutElement(status.parray, &zero, &equilibrium);
      HRESULT hr = m_material->SetPresentPhases(stringArray(present), status);
      auto put = [&](const char* name, BSTR basis, const comlite::Variant& values) {
        comlite::Bstr n(name);
        if (SUCCEEDED(hr)) hr = m_material->SetSinglePhaseProp(n.get(), solid.get(), basis, values);
      };
      put("temperature", none.get(), doubleArray({T}));
      put("pressure", none.get(), doubleArray({P}));
      put("phaseFraction", mole.get(), doubleArray({1.0}));
      put("fraction", mole.get(), doubleArray(doublesOf(x)));
      return hr;
    }
    return m_equilibrium->CalcEquilibrium(spec1, spec2, solutionType);
  }
  HRESULT CheckEquilibriumSpec(VARIANT spec1, VARIANT spec2, BSTR solutionType,
                               VARIANT_BOOL* supported) override {
    return m_equilibrium->CheckEquilibriumSpec(spec1, spec2, solutionType, supported);
  }

 private:
  comlite::ComPtr<ICapeThermoPropertyPackageManager> m_manager;
  comlite::ComPtr<IDispatch> m_package;
  comlite::ComPtr<ICapeThermoPropertyRoutine> m_routine;
  comlite::ComPtr<ICapeThermoPhases> m_phases;
  comlite::ComPtr<ICapeThermoMaterialContext> m_context;
  comlite::ComPtr<ICapeThermoEquilibriumRoutine> m_equilibrium;
  comlite::ComPtr<ICapeThermoMaterial> m_material;
};

comlite::Module& solidModule() {
  static comlite::Module module(
      {comlite::ClassInfo{kClsidSolidPackage,
                          "Peng-Robinson natural gas with a solid phase",
                          "CORavlTest.SolidPackage.1",
                          "CORavlTest.SolidPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &calctest::createOpened<SolidPackage>}},
      {});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(solidModule())
