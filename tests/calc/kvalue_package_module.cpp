//! A test module: the Peng-Robinson "Natural Gas (PR)" package as a stand-alone CAPE-OPEN 1.1
//! package whose single-phase list leaves out fugacity, fugacityCoefficient and
//! activityCoefficient (with their derivatives), as a package that only offers K-values for
//! equilibrium ratios does. Everything else is the Peng-Robinson package itself: the wrapper
//! answers ICapeThermoPropertyRoutine and hands every other interface of the package out.

#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/module.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "opened_package.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_thermo.h"

namespace {

constexpr CLSID kClsidKvaluePackage = comlite::makeGuid("5A0E6C43-93D4-4E0B-9C2B-6E1B7F0A52D1");

bool hidden(const std::u16string_view name) {
  for (std::u16string_view root : {u"fugacity", u"fugacityCoefficient", u"activityCoefficient"}) {
    if (name.size() < root.size() || name.substr(0, root.size()) != root) continue;
    if (name.size() == root.size() || name[root.size()] == u'.') return true;
  }
  return false;
}

class KvaluePackage : public comlite::ComObject<KvaluePackage, ICapeThermoPropertyRoutine> {
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
    return m_package->QueryInterface(ICapeThermoPropertyRoutine::kIID, m_routine.putVoid());
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == ICapeThermoPropertyRoutine::kIID || riid == IID_IUnknown || riid == IID_IDispatch)
      return ComObject::QueryInterface(riid, ppv);
    return m_package->QueryInterface(riid, ppv);
  }

  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    return m_routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    return m_routine->CalcSinglePhaseProp(props, label);
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    return m_routine->CalcTwoPhaseProp(props, labels);
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    if (hidden(comlite::bstrView(property))) {
      if (valid) *valid = VARIANT_FALSE;
      return valid ? S_OK : E_POINTER;
    }
    return m_routine->CheckSinglePhasePropSpec(property, label, valid);
  }
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT labels, VARIANT_BOOL* valid) override {
    return m_routine->CheckTwoPhasePropSpec(property, labels, valid);
  }
  HRESULT GetSinglePhasePropList(VARIANT* props) override {
    if (!props) return E_POINTER;
    comlite::Variant all;
    HRESULT hr = m_routine->GetSinglePhasePropList(&all);
    if (FAILED(hr)) return hr;
    std::vector<comlite::Bstr> kept;
    for (LONG i = 0; i < static_cast<LONG>(comlite::safeArrayCount(all.parray)); ++i) {
      BSTR s = nullptr;
      SafeArrayGetElement(all.parray, &i, &s);
      auto name = comlite::Bstr::attach(s);
      if (!hidden(name.view())) kept.push_back(std::move(name));
    }
    VariantClear(props);
    props->vt = VT_ARRAY | VT_BSTR;
    props->parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(kept.size()));
    for (LONG i = 0; i < static_cast<LONG>(kept.size()); ++i)
      SafeArrayPutElement(props->parray, &i, kept[static_cast<std::size_t>(i)].get());
    return S_OK;
  }
  HRESULT GetTwoPhasePropList(VARIANT* props) override {
    return m_routine->GetTwoPhasePropList(props);
  }

 private:
  comlite::ComPtr<ICapeThermoPropertyPackageManager> m_manager;
  comlite::ComPtr<IDispatch> m_package;
  comlite::ComPtr<ICapeThermoPropertyRoutine> m_routine;
};

comlite::Module& kvalueModule() {
  static comlite::Module module(
      {comlite::ClassInfo{kClsidKvaluePackage,
                          "Peng-Robinson natural gas with K-values only",
                          "CORavlTest.KvaluePackage.1",
                          "CORavlTest.KvaluePackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &calctest::createOpened<KvaluePackage>}},
      {});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(kvalueModule())
