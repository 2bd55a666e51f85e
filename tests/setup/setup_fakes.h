#pragma once
//! A package adapter whose save answers what the test sets; every other call is unexpected.

#include <optional>
#include <string>

#include "comlite/bstr.h"
#include "comlite/object.h"
#include "outside/adapter.h"

namespace coravl_test {

class FakeAdapter : public comlite::ComObject<FakeAdapter, IPackageAdapter> {
 public:
  //! The save text (nullopt: a null string) and the status of Save.
  std::optional<std::u16string> saveText = u"";
  HRESULT saveStatus = S_OK;
  int saveCalls = 0;

  HRESULT Save(BSTR* out) override {
    ++saveCalls;
    if (!out) return E_POINTER;
    // A failing adapter may still hand out text; the caller must free it all the same.
    *out = saveText ? comlite::bstrFromUtf16(*saveText) : nullptr;
    return saveStatus;
  }

  HRESULT GetPackageList(VARIANT*) override { return E_UNEXPECTED; }
  HRESULT SelectPackage(IDispatch**) override { return E_UNEXPECTED; }
  HRESULT CreatePropPackage(IDispatch**, IDispatch**) override { return E_UNEXPECTED; }
  HRESULT GetMaterialObject(IDispatch**) override { return E_UNEXPECTED; }
  HRESULT GetCompoundConstant(BSTR, LONG, double*) override { return E_UNEXPECTED; }
  HRESULT GetValue(BSTR, VARIANT*) override { return E_UNEXPECTED; }
  HRESULT SetValue(BSTR, VARIANT) override { return E_UNEXPECTED; }
  HRESULT Recall(BSTR, VARIANT_BOOL*) override { return E_UNEXPECTED; }
  HRESULT SetWindow(LONGLONG) override { return E_UNEXPECTED; }
  HRESULT GetWindow(LONGLONG*) override { return E_UNEXPECTED; }
  HRESULT GetSelectedPackage(BSTR*) override { return E_UNEXPECTED; }
  HRESULT SetFluidPackageCompounds(VARIANT) override { return E_UNEXPECTED; }
  HRESULT ReleaseResources() override { return E_UNEXPECTED; }
  HRESULT GetCallerName(BSTR*) override { return E_UNEXPECTED; }
  HRESULT SetCallerName(BSTR) override { return E_UNEXPECTED; }
};

}  // namespace coravl_test
