//! A test module: the Peng-Robinson "Natural Gas (PR)" package as three stand-alone CAPE-OPEN 1.1
//! packages, two of which offer less of the volume's pressure dependence:
//!   - "CORavlTest.CompressibilityPackage.1" leaves out "volume.Dpressure" (the isothermal
//!     "compressibility" stays);
//!   - "CORavlTest.NoVolumeSlopePackage.1" leaves out both.
//!   - "CORavlTest.LoggedPackage.1" leaves out nothing.
//! Everything else is the Peng-Robinson package itself: the wrapper answers
//! ICapeThermoPropertyRoutine and hands every other interface of the package out. Every
//! single-phase calculation is logged ("<property>@<label>;"), so that a test can see which
//! properties the socket asked for; read and cleared through the two exported functions below.

#include <mutex>
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

constexpr CLSID kClsidCompressibilityPackage =
    comlite::makeGuid("0F2D7B61-3C4A-4E8E-A1B3-6C2E9D4F7A15");
constexpr CLSID kClsidNoVolumeSlopePackage =
    comlite::makeGuid("6B9E3A27-8D15-4C70-9F42-1E7A5C3B8D06");
constexpr CLSID kClsidLoggedPackage = comlite::makeGuid("C4A81F3E-2B7D-4F96-8E05-9D3B6A1C7E48");

std::mutex g_logLock;
std::string g_log;

enum class Hidden { Nothing, VolumeSlope, VolumeSlopeAndCompressibility };

bool hidden(Hidden which, std::u16string_view name) {
  if (which == Hidden::Nothing) return false;
  if (name == u"volume.Dpressure") return true;
  return which == Hidden::VolumeSlopeAndCompressibility && name == u"compressibility";
}

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

template <Hidden Which>
class SlopePackage : public comlite::ComObject<SlopePackage<Which>, ICapeThermoPropertyRoutine> {
  using Base = comlite::ComObject<SlopePackage<Which>, ICapeThermoPropertyRoutine>;

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
      return Base::QueryInterface(riid, ppv);
    return m_package->QueryInterface(riid, ppv);
  }

  HRESULT CalcAndGetLnPhi(BSTR label, double T, double P, VARIANT n, LONG flags, VARIANT* lnPhi,
                          VARIANT* dT, VARIANT* dP, VARIANT* dn) override {
    return m_routine->CalcAndGetLnPhi(label, T, P, n, flags, lnPhi, dT, dP, dn);
  }
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR label) override {
    {
      std::lock_guard<std::mutex> lock(g_logLock);
      for (const auto& p : stringsOf(props))
        g_log += p.utf8() + "@" + comlite::bstrToUtf8(label) + ";";
    }
    for (const auto& p : stringsOf(props))
      if (hidden(Which, p.view())) return ECapeInvalidArgumentHR;
    return m_routine->CalcSinglePhaseProp(props, label);
  }
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT labels) override {
    return m_routine->CalcTwoPhaseProp(props, labels);
  }
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR label, VARIANT_BOOL* valid) override {
    if (hidden(Which, comlite::bstrView(property))) {
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
    for (auto& name : stringsOf(all))
      if (!hidden(Which, name.view())) kept.push_back(std::move(name));
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

comlite::Module& slopeModule() {
  static comlite::Module module(
      {comlite::ClassInfo{kClsidCompressibilityPackage,
                          "Peng-Robinson natural gas without the volume's pressure derivative",
                          "CORavlTest.CompressibilityPackage.1",
                          "CORavlTest.CompressibilityPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &calctest::createOpened<SlopePackage<Hidden::VolumeSlope>>},
       comlite::ClassInfo{
           kClsidNoVolumeSlopePackage,
           "Peng-Robinson natural gas without any pressure derivative of the volume",
           "CORavlTest.NoVolumeSlopePackage.1",
           "CORavlTest.NoVolumeSlopePackage",
           "Apartment",
           {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
           &calctest::createOpened<SlopePackage<Hidden::VolumeSlopeAndCompressibility>>},
       comlite::ClassInfo{kClsidLoggedPackage,
                          "Peng-Robinson natural gas, its calculations logged",
                          "CORavlTest.LoggedPackage.1",
                          "CORavlTest.LoggedPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &calctest::createOpened<SlopePackage<Hidden::Nothing>>}},
      {});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(slopeModule())

//! The single-phase calculations asked of the module's packages since the last clear.
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
