#pragma once
//! Small fakes of the CAPE-OPEN side for the material object client: a package that lists
//! the phases it is given, one without ICapeThermoPhases, and a material that records what it
//! is asked and answers with the values it holds.

#include <string>
#include <type_traits>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/capeopen_thermo.h"

namespace calctest {

//! A 1-D array (lower bound 0) of `vt` elements; strings are given as UTF-8.
template <class T>
comlite::Variant makeArray(VARTYPE vt, const std::vector<T>& items) {
  comlite::Variant v;
  v.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  v.parray = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(items.size()));
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    if constexpr (std::is_same_v<T, std::string>) {
      comlite::Bstr s(items[i]);
      SafeArrayPutElement(v.parray, &i, s.get());
    } else {
      T item = items[i];
      SafeArrayPutElement(v.parray, &i, &item);
    }
  }
  return v;
}
inline comlite::Variant stringArray(const std::vector<std::string>& items) {
  return makeArray(VT_BSTR, items);
}
inline comlite::Variant doubleArray(const std::vector<double>& items) {
  return makeArray(VT_R8, items);
}
inline comlite::Variant longArray(const std::vector<LONG>& items) {
  return makeArray(VT_I4, items);
}

inline std::vector<std::string> strings(const VARIANT& v) {
  std::vector<std::string> out;
  if (v.vt != (VT_ARRAY | VT_BSTR)) return out;
  for (LONG i = 0; i < static_cast<LONG>(comlite::safeArrayCount(v.parray)); ++i) {
    BSTR s = nullptr;
    SafeArrayGetElement(v.parray, &i, &s);
    out.push_back(comlite::bstrToUtf8(s));
    SysFreeString(s);
  }
  return out;
}

inline std::vector<double> doubles(const VARIANT& v) {
  std::vector<double> out;
  if (v.vt != (VT_ARRAY | VT_R8)) return out;
  for (LONG i = 0; i < static_cast<LONG>(comlite::safeArrayCount(v.parray)); ++i) {
    double d = 0;
    SafeArrayGetElement(v.parray, &i, &d);
    out.push_back(d);
  }
  return out;
}

//! A package with the given phase list and an equilibrium routine.
class FakePackage
    : public comlite::ComObject<FakePackage, ICapeThermoPhases, ICapeThermoEquilibriumRoutine> {
 public:
  std::vector<std::string> labels, states, keys;
  HRESULT listFailure = S_OK;
  std::vector<std::string>* releaseLog = nullptr;

  ULONG Release() override {
    if (releaseLog) releaseLog->push_back("package");
    return ComObject::Release();
  }
  HRESULT GetNumPhases(LONG* num) override {
    *num = static_cast<LONG>(labels.size());
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPhaseList(VARIANT* l, VARIANT* s, VARIANT* k) override {
    if (FAILED(listFailure)) return listFailure;
    *l = stringArray(labels).detach();
    *s = stringArray(states).detach();
    *k = stringArray(keys).detach();
    return S_OK;
  }
  HRESULT CalcEquilibrium(VARIANT, VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT CheckEquilibriumSpec(VARIANT, VARIANT, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

//! A package that offers no phase list.
class BarePackage : public comlite::ComObject<BarePackage, ICapeThermoEquilibriumRoutine> {
 public:
  HRESULT CalcEquilibrium(VARIANT, VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT CheckEquilibriumSpec(VARIANT, VARIANT, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

//! A material of `compounds` compounds: reads answer `answer` (or `failure`), writes are kept.
class FakeMaterial
    : public comlite::ComObject<FakeMaterial, ICapeThermoMaterial, ICapeThermoCompounds> {
 public:
  LONG compounds = 4;
  HRESULT failure = S_OK;
  std::vector<double> answer;
  //! The last call: its method, property, labels, basis and values.
  std::string method, property, basis;
  std::vector<std::string> labels;
  std::vector<double> written;
  std::vector<std::string>* releaseLog = nullptr;

  ULONG Release() override {
    if (releaseLog) releaseLog->push_back("material");
    return ComObject::Release();
  }
  HRESULT GetNumCompounds(LONG* num) override {
    *num = compounds;
    return failure;
  }
  HRESULT GetOverallProp(BSTR p, BSTR b, VARIANT* r) override {
    return read("GetOverallProp", p, {}, b, r);
  }
  HRESULT GetSinglePhaseProp(BSTR p, BSTR l, BSTR b, VARIANT* r) override {
    return read("GetSinglePhaseProp", p, {comlite::bstrToUtf8(l)}, b, r);
  }
  HRESULT GetTwoPhaseProp(BSTR p, VARIANT l, BSTR b, VARIANT* r) override {
    return read("GetTwoPhaseProp", p, strings(l), b, r);
  }
  HRESULT SetOverallProp(BSTR p, BSTR b, VARIANT v) override {
    return write("SetOverallProp", p, {}, b, v);
  }
  HRESULT SetSinglePhaseProp(BSTR p, BSTR l, BSTR b, VARIANT v) override {
    return write("SetSinglePhaseProp", p, {comlite::bstrToUtf8(l)}, b, v);
  }
  HRESULT SetTwoPhaseProp(BSTR p, VARIANT l, BSTR b, VARIANT v) override {
    return write("SetTwoPhaseProp", p, strings(l), b, v);
  }

  HRESULT ClearAllProps() override { return E_NOTIMPL; }
  HRESULT CopyFromMaterial(IDispatch**) override { return E_NOTIMPL; }
  HRESULT CreateMaterial(IDispatch**) override { return E_NOTIMPL; }
  HRESULT GetOverallTPFraction(double*, double*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPresentPhases(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTPFraction(BSTR, double*, double*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT SetPresentPhases(VARIANT, VARIANT) override { return E_NOTIMPL; }
  HRESULT GetCompoundConstant(VARIANT, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetCompoundList(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT GetConstPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentPropList(VARIANT*) override { return E_NOTIMPL; }

 private:
  void note(const char* m, BSTR p, std::vector<std::string> l, BSTR b) {
    method = m;
    property = comlite::bstrToUtf8(p);
    labels = std::move(l);
    basis = comlite::bstrToUtf8(b);
  }
  HRESULT read(const char* m, BSTR p, std::vector<std::string> l, BSTR b, VARIANT* r) {
    note(m, p, std::move(l), b);
    if (FAILED(failure)) return failure;
    VariantClear(r);
    *r = doubleArray(answer).detach();
    return S_OK;
  }
  HRESULT write(const char* m, BSTR p, std::vector<std::string> l, BSTR b, VARIANT v) {
    note(m, p, std::move(l), b);
    written = doubles(v);
    return failure;
  }
};

}  // namespace calctest
