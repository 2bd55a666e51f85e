#pragma once
//! The package adapter fake of the setup tests: it records what it is given and answers what
//! the test sets; every call no test makes is unexpected.

#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/error_info.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/adapter.h"

namespace coravl_test {

//! The items of a list of strings or numbers, whatever its lower bound.
template <class T>
std::vector<T> listOf(const VARIANT& v) {
  std::vector<T> out;
  LONG lb = 0, ub = -1;
  if ((v.vt & VT_ARRAY) && v.parray)
    SafeArrayGetLBound(v.parray, 1, &lb), SafeArrayGetUBound(v.parray, 1, &ub);
  for (LONG i = lb; i <= ub; ++i) {
    if constexpr (std::is_same_v<T, std::string>)
      out.push_back(SetGet::getString(v, i));
    else
      out.push_back(static_cast<T>(SetGet::getDouble(v, i)));
  }
  return out;
}

//! A list of strings or numbers with the given lower bound.
template <class T>
comlite::Variant arrayOf(const std::vector<T>& items, LONG lower = 0) {
  constexpr bool text = std::is_same_v<T, std::string>;
  comlite::Variant v;
  v.vt = VT_ARRAY | (text ? VT_BSTR : VT_R8);
  v.parray = SafeArrayCreateVector(text ? VT_BSTR : VT_R8, lower, static_cast<ULONG>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) {
    LONG index = lower + static_cast<LONG>(i);
    if constexpr (text) {
      SafeArrayPutElement(v.parray, &index, comlite::Bstr(items[i]).get());
    } else {
      double x = items[i];
      SafeArrayPutElement(v.parray, &index, &x);
    }
  }
  return v;
}
inline comlite::Variant strs(const std::vector<std::string>& items, LONG lower = 0) {
  return arrayOf(items, lower);
}
inline comlite::Variant nums(const std::vector<double>& items) {
  return arrayOf(items);
}

class FakeAdapter : public comlite::ComObject<FakeAdapter, IPackageAdapter> {
 public:
  //! Save: the text (nullopt: a null string).
  std::optional<std::u16string> saveText = u"";
  //! SetValue: the values given.
  std::vector<comlite::Variant> values;
  HRESULT setValueStatus = S_OK;
  //! SetFluidPackageCompounds: the lists given.
  std::vector<std::vector<std::string>> fluidLists;
  //! GetCompoundConstant: the values by compound id.
  std::map<std::string, double> constants;

  HRESULT Save(BSTR* out) override {
    if (!out) return E_POINTER;
    *out = saveText ? comlite::bstrFromUtf16(*saveText) : nullptr;
    return S_OK;
  }
  HRESULT SetValue(BSTR, VARIANT v) override {
    values.emplace_back(v);
    return setValueStatus;
  }
  HRESULT SetFluidPackageCompounds(VARIANT v) override {
    fluidLists.push_back(listOf<std::string>(v));
    return S_OK;
  }
  HRESULT GetCompoundConstant(BSTR id, LONG, double* value) override {
    auto it = constants.find(comlite::bstrToUtf8(id));
    if (it == constants.end()) return comlite::setErrorInfo("no value", "pkg"), E_FAIL;
    *value = it->second;
    return S_OK;
  }

  HRESULT GetPackageList(VARIANT*) override { return E_UNEXPECTED; }
  HRESULT SelectPackage(IDispatch**) override { return E_UNEXPECTED; }
  HRESULT CreatePropPackage(IDispatch**, IDispatch**) override { return E_UNEXPECTED; }
  HRESULT GetMaterialObject(IDispatch**) override { return E_UNEXPECTED; }
  HRESULT GetValue(BSTR, VARIANT*) override { return E_UNEXPECTED; }
  HRESULT Recall(BSTR, VARIANT_BOOL*) override { return E_UNEXPECTED; }
  HRESULT SetWindow(LONGLONG) override { return E_UNEXPECTED; }
  HRESULT GetWindow(LONGLONG*) override { return E_UNEXPECTED; }
  HRESULT GetSelectedPackage(BSTR*) override { return E_UNEXPECTED; }
  HRESULT ReleaseResources() override { return E_UNEXPECTED; }
  HRESULT GetCallerName(BSTR*) override { return E_UNEXPECTED; }
  HRESULT SetCallerName(BSTR) override { return E_UNEXPECTED; }
};

}  // namespace coravl_test
