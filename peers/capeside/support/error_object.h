#pragma once
//! ErrorObject: the thread's error information for a CAPE-OPEN error.
//!
//! It answers IErrorInfo (description, source = scope) for plain COM callers and ECapeRoot /
//! ECapeUser / the specific ECape interface for CAPE-OPEN callers.

#include "capeside/support/cape_object.h"

namespace capeside {

class ErrorObject : public CapeObject<ErrorObject, IErrorInfo> {
 public:
  explicit ErrorObject(ErrorRecord record) { m_lastError = std::move(record); }

  // IErrorInfo
  HRESULT GetGUID(GUID* guid) override;
  HRESULT GetSource(BSTR* source) override;
  HRESULT GetDescription(BSTR* description) override;
  HRESULT GetHelpFile(BSTR* helpFile) override;
  HRESULT GetHelpContext(DWORD* helpContext) override;
};

//! The error a failing call on `failing` left: the object's own ECapeUser / ECapeRoot when it
//! reports `hr`, else the thread's error information (taken and cleared), else a record that
//! only names the status. `interfaceName` / `operation` fill what the callee did not say.
ErrorRecord recordOfFailure(IUnknown* failing, HRESULT hr, const char* interfaceName,
                            const char* operation);

//! Throws the callee's error unchanged (a forwarded CapeError) when `hr` failed.
void check(HRESULT hr, IUnknown* callee, const char* interfaceName, const char* operation);

}  // namespace capeside
