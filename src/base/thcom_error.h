#pragma once
//! CTHCOMError: the exception raised for a failing call on the host framework.
//!
//! It is thrown by pointer, as the host framework wrappers have always done, and whoever catches
//! it owns it: take it with adopt() so that it is freed on every path.
//!
//!   try { thcheck(phase->get_Temperature(&t)); }
//!   catch (CTHCOMError* e) { auto owned = CTHCOMError::adopt(e); ... owned->status() ... }

#include <memory>

#include "comlite/types.h"

class CTHCOMError {
 public:
  explicit CTHCOMError(HRESULT status) : m_status(status) {}

  HRESULT status() const { return m_status; }

  //! Throws a new CTHCOMError holding `status`; the catcher owns it.
  [[noreturn]] static void raise(HRESULT status);
  //! Takes ownership of a caught pointer (null stays null).
  static std::unique_ptr<CTHCOMError> adopt(CTHCOMError* caught) {
    return std::unique_ptr<CTHCOMError>(caught);
  }

 private:
  HRESULT m_status;
};

//! Every host framework call goes through this: a failing `hr` raises CTHCOMError with it;
//! any other value is returned unchanged.
inline HRESULT thcheck(HRESULT hr) {
  if (hr < 0) CTHCOMError::raise(hr);
  return hr;
}
