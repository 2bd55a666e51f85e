#pragma once
//! MethodGuard: runs the body of an interface method under the component's failure convention.
//!
//!   CallContextScope call(m_reporter, errorLog, progressMonitor);
//!   return guard.run("calculating properties (main procedure)", [&] { ...; return S_OK; });
//!
//! (A host call's scope is opened before run(), so that the complaint still reaches the call's
//! error log.)
//!
//! Whatever the body throws becomes one kind-1 complaint, not in a calculation:
//!   - CTHCOMError* (a failing host framework call): "Ravelin Exception" + context, E_FAIL;
//!   - comlite::ComError: context + "(_com_error)", then "\n(<description>: <source>)" when the
//!     failing object left a description, with the error's status;
//!   - anything else: context + " exception", E_FAIL.
//! The method then returns the reporter's answer, which is always a failure status. Nothing
//! escapes run().

#include "comlite/types.h"

class CCOError;

class MethodGuard {
 public:
  explicit MethodGuard(CCOError& reporter) : m_reporter(reporter) {}

  //! Runs `body` (returning an HRESULT) and returns its result, or the complaint's status when
  //! it throws.
  template <class Body>
  HRESULT run(const char* context, Body&& body) noexcept {
    // Error information left by an earlier, finished call must not end up in this call's
    // messages.
    clearPendingErrorInfo();
    try {
      return static_cast<HRESULT>(body());
    } catch (...) {
      return complainCurrentException(context);
    }
  }

  //! Drops the calling thread's pending error information.
  static void clearPendingErrorInfo() noexcept;

  //! Turns the exception being handled into the complaint above. Call only inside a catch
  //! block.
  HRESULT complainCurrentException(const char* context) noexcept;

 private:
  CCOError& m_reporter;
};
