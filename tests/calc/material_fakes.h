#pragma once
//! Small fakes of the CAPE-OPEN side for the material object client: a package that lists
//! the phases it is given, one without ICapeThermoPhases, and a material that records what it
//! is asked and answers with the values it holds.

#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/object.h"
#include "comlite/variant.h"
#include "outside/capeopen_thermo.h"

namespace calctest {

inline std::vector<std::string> strings(const VARIANT& v) {
  return capeside::stringList(v).value_or(std::vector<std::string>{});
}

//! A package with the given phase list and an equilibrium routine.
class FakePackage
    : public comlite::ComObject<FakePackage, ICapeThermoPhases, ICapeThermoEquilibriumRoutine> {
 public:
  std::vector<std::string> labels, states, keys;
  std::vector<std::string>* releaseLog = nullptr;

  ULONG Release() override {
    if (releaseLog) releaseLog->push_back("package");
    return ComObject::Release();
  }
  //! What GetNumPhases answers; the number of labels when negative.
  LONG claimedPhases = -1;
  HRESULT GetNumPhases(LONG* num) override {
    *num = claimedPhases >= 0 ? claimedPhases : static_cast<LONG>(labels.size());
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPhaseList(VARIANT* l, VARIANT* s, VARIANT* k) override {
    *l = capeside::makeStringArray(labels).detach();
    *s = capeside::makeStringArray(states).detach();
    *k = capeside::makeStringArray(keys).detach();
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
  //! The last call as "method property labels basis", labels joined by '+', and its values.
  std::string last;
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
  void note(const char* m, BSTR p, const std::vector<std::string>& l, BSTR b) {
    last = std::string(m) + " " + comlite::bstrToUtf8(p) + " ";
    for (std::size_t i = 0; i < l.size(); ++i) last += (i ? "+" : "") + l[i];
    last += " " + comlite::bstrToUtf8(b);
  }
  HRESULT read(const char* m, BSTR p, std::vector<std::string> l, BSTR b, VARIANT* r) {
    note(m, p, l, b);
    if (FAILED(failure)) return failure;
    VariantClear(r);
    *r = capeside::makeDoubleArray(answer).detach();
    return S_OK;
  }
  HRESULT write(const char* m, BSTR p, std::vector<std::string> l, BSTR b, VARIANT v) {
    note(m, p, l, b);
    written = capeside::doubleList(v).value_or(std::vector<double>{});
    return failure;
  }
};

}  // namespace calctest
