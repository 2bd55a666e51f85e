#pragma once
//! Small fakes of the outside objects the error reporter talks to: the package GUI component
//! (only its text getters answer), the host's error log (it records what it is given and can
//! refuse), a dispatch object without an error log, and one whose query fails outright.

#include <stdexcept>
#include <string>
#include <vector>

#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/object.h"
#include "outside/cape_gui.h"
#include "outside/ravelin_error_log.h"
#include "support/gui_stub.h"

namespace coravl_test {

class FakeGui : public testsupport::GuiStub<FakeGui> {
 public:
  std::string name = "PR Package", alias, progId = "Test.PR.1", description = "Peng-Robinson";
  //! Slot whose getter fails (9, 10, 12 or 13); 0 for none.
  int failingSlot = 0;
  //! Makes get_PackageName throw, as a broken component might: 1 a host error, 2 anything else.
  int throwOnName = 0;

  HRESULT get_PackageName(BSTR* out) override {
    if (throwOnName == 1) CTHCOMError::raise(E_FAIL);
    if (throwOnName == 2) throw std::runtime_error("broken component");
    return give(9, name, out);
  }
  HRESULT get_PackageAlias(BSTR* out) override { return give(10, alias, out); }
  HRESULT get_PackageProgID(BSTR* out) override { return give(12, progId, out); }
  HRESULT get_PackageDescription(BSTR* out) override { return give(13, description, out); }

 private:
  HRESULT give(int slot, const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    if (slot == failingSlot) return E_UNEXPECTED;
    *out = comlite::bstrFromUtf8(text);
    return S_OK;
  }
};

struct LogEntry {
  LONG status;
  std::string message;
  LONG level;
  VARIANT_BOOL show;
};

class FakeErrorLog : public comlite::ComObject<FakeErrorLog, IRvlErrorLog> {
 public:
  std::vector<LogEntry> entries;
  //! Answer of AddMessage: S_OK takes the message, anything else refuses it.
  HRESULT answer = S_OK;

  HRESULT AddMessage(LONG status, BSTR message, LONG level, VARIANT_BOOL show) override {
    entries.push_back({status, comlite::bstrToUtf8(message), level, show});
    return answer;
  }
  HRESULT get_Count(LONG*) override { return E_NOTIMPL; }
  HRESULT GetMessage(LONG, LONG*, BSTR*, LONG*) override { return E_NOTIMPL; }
  HRESULT Clear() override { return E_NOTIMPL; }
  //! The current reference count.
  ULONG refs() {
    AddRef();
    return Release();
  }
};

//! A dispatch object whose query for anything but IUnknown and IDispatch fails outright.
class BrokenDispatch : public comlite::ComObject<BrokenDispatch, IDispatch> {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IUnknown::kIID || riid == IDispatch::kIID)
      return ComObject::QueryInterface(riid, ppv);
    if (ppv) *ppv = nullptr;
    return E_UNEXPECTED;
  }
};

}  // namespace coravl_test
