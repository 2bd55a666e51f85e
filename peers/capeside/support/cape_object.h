#pragma once
//! CapeObject: the object idiom of our CAPE-OPEN components, with the CAPE-OPEN error protocol.
//!
//! Derive `class Foo : public capeside::CapeObject<Foo, ICapeThermoCompounds, ...>`. Besides
//! the listed interfaces the object answers ECapeUser, ECapeRoot and ISupportErrorInfo, and,
//! after a failure, the specific ECape interface of the last error (ECapeBadArgument,
//! ECapeSolvingError, ...). Each vtable method runs its body through `guard`, which turns any
//! exception into the error record, keeps it on the object, sets it as the thread's error
//! information and returns its code; nothing escapes.

#include <exception>
#include <string>

#include "capeside/support/cape_error.h"
#include "comlite/error_info.h"
#include "comlite/object.h"
#include "outside/capeopen_errors.h"

namespace capeside {

//! A new BSTR for an [out] parameter; E_POINTER for a null slot, E_OUTOFMEMORY on failure.
HRESULT putString(BSTR* out, const std::string& utf8);
//! The record of the exception being handled (call only inside a catch block). CapeError keeps
//! its record; other exceptions become ECapeUnknown / ECapeOutOfResources under `scope`.
ErrorRecord recordOfCurrentException(const char* scope, bool* forwarded);
//! Whether `iid` names one of the specific ECape interfaces (neither ECapeRoot nor ECapeUser).
bool isSpecificErrorInterface(REFIID iid);
//! Whether a record with status `code` answers the specific ECape interface `iid`.
bool errorAnswers(HRESULT code, REFIID iid);
//! Sets `record` as the calling thread's error information (an object that also answers the
//! ECape interfaces) and returns its code.
HRESULT raise(const ErrorRecord& record);

template <class Derived, class... Interfaces>
class CapeObject
    : public comlite::ComObject<Derived, Interfaces..., ECapeUser, ECapeRoot, ECapeBadArgument,
                                ECapeBadInvOrder, ECapeBadCOParameter, ECapePersistenceNotFound,
                                ECapeBoundaries, ISupportErrorInfo> {
  using Base = comlite::ComObject<Derived, Interfaces..., ECapeUser, ECapeRoot, ECapeBadArgument,
                                  ECapeBadInvOrder, ECapeBadCOParameter, ECapePersistenceNotFound,
                                  ECapeBoundaries, ISupportErrorInfo>;

 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (isSpecificErrorInterface(riid)) {
      if (!errorAnswers(m_lastError.code, riid)) return E_NOINTERFACE;
      // Interfaces without members of their own share the IDispatch part of ECapeRoot.
      if (!hasOwnMembers(riid)) {
        *ppv = static_cast<ECapeRoot*>(this);
        this->AddRef();
        return S_OK;
      }
    }
    return Base::QueryInterface(riid, ppv);
  }

  // ECapeRoot
  HRESULT get_name(BSTR* name) override { return putString(name, m_lastError.name()); }
  // ECapeUser
  HRESULT get_code(LONG* code) override {
    if (!code) return E_POINTER;
    *code = m_lastError.code;
    return S_OK;
  }
  HRESULT get_description(BSTR* s) override { return putString(s, m_lastError.description); }
  HRESULT get_scope(BSTR* s) override { return putString(s, m_lastError.scope); }
  HRESULT get_interfaceName(BSTR* s) override { return putString(s, m_lastError.interfaceName); }
  HRESULT get_operation(BSTR* s) override { return putString(s, m_lastError.operation); }
  HRESULT get_moreInfo(BSTR* s) override { return putString(s, m_lastError.moreInfo); }
  // ECapeBadArgument
  HRESULT get_position(SHORT* position) override {
    if (!position) return E_POINTER;
    *position = m_lastError.position;
    return S_OK;
  }
  // ECapeBadInvOrder
  HRESULT get_requestedOperation(BSTR* s) override {
    return putString(s, m_lastError.requestedOperation);
  }
  // ECapeBadCOParameter
  HRESULT get_parameterName(BSTR* s) override { return putString(s, m_lastError.parameterName); }
  HRESULT get_parameter(IDispatch** parameter) override {
    if (!parameter) return E_POINTER;
    *parameter = nullptr;
    return S_OK;
  }
  // ECapePersistenceNotFound
  HRESULT get_itemName(BSTR* s) override { return putString(s, m_lastError.itemName); }
  // ECapeBoundaries
  HRESULT get_LowerBound(double* v) override { return putDouble(v, m_lastError.lowerBound); }
  HRESULT get_UpperBound(double* v) override { return putDouble(v, m_lastError.upperBound); }
  HRESULT get_value(double* v) override { return putDouble(v, m_lastError.value); }
  HRESULT get_Type(BSTR* s) override { return putString(s, m_lastError.boundType); }
  // ISupportErrorInfo: every interface of the object leaves error information on failure.
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return ((riid == Interfaces::kIID) || ...) ? S_OK : S_FALSE;
  }

  //! The record of the last failure of this object.
  const ErrorRecord& lastError() const { return m_lastError; }

 protected:
  //! Runs `body` (returning HRESULT) as the method `operation` of `interfaceName`.
  template <class F>
  HRESULT guard(const char* interfaceName, const char* operation, F&& body) noexcept {
    try {
      return body();
    } catch (...) {
      bool forwarded = false;
      ErrorRecord record = recordOfCurrentException(interfaceName, &forwarded);
      return fail(std::move(record), forwarded, interfaceName, operation);
    }
  }

  //! Keeps `record` as the object's last error, raises it on the thread and returns its code.
  //! A forwarded record keeps the interface and operation of the component that raised it.
  HRESULT fail(ErrorRecord record, bool forwarded, const char* interfaceName,
               const char* operation) noexcept {
    try {
      if (!forwarded || record.interfaceName.empty()) record.interfaceName = interfaceName;
      if (!forwarded || record.operation.empty()) record.operation = operation;
      m_lastError = std::move(record);
      return raise(m_lastError);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

 private:
  static bool hasOwnMembers(REFIID riid) {
    return riid == ECapeBadArgument::kIID || riid == ECapeBadInvOrder::kIID ||
           riid == ECapeBadCOParameter::kIID || riid == ECapePersistenceNotFound::kIID ||
           riid == ECapeBoundaries::kIID;
  }
  static HRESULT putDouble(double* out, double v) {
    if (!out) return E_POINTER;
    *out = v;
    return S_OK;
  }

 protected:
  ErrorRecord m_lastError;
};

}  // namespace capeside
