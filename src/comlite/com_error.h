#pragma once
//! ComError: the exception raised for a failing call on a COM object (CAPE-OPEN package,
//! adapter, material object...). It carries the status, the failing interface and the
//! thread's error information captured when it was raised.

#include <exception>
#include <string>

#include "comlite/guid.h"
#include "comlite/hresult.h"

namespace comlite {

class ComError : public std::exception {
 public:
  //! Captures (and clears) the calling thread's pending error information.
  explicit ComError(HRESULT hr, const IID& iid = GUID_NULL);
  ComError(HRESULT hr, const IID& iid, std::string description, std::string source);

  HRESULT status() const { return m_hr; }
  const IID& iid() const { return m_iid; }
  const std::string& description() const { return m_description; }
  const std::string& source() const { return m_source; }
  const char* what() const noexcept override { return m_what.c_str(); }

 private:
  HRESULT m_hr;
  IID m_iid;
  std::string m_description;
  std::string m_source;
  std::string m_what;
};

//! Throws ComError when `hr` is a failure; returns `hr` otherwise.
inline HRESULT check(HRESULT hr, const IID& iid = GUID_NULL) {
  if (FAILED(hr)) throw ComError(hr, iid);
  return hr;
}

//! As check, naming `call` in the message when the callee left no error information.
inline HRESULT check(HRESULT hr, const IID& iid, const char* call) {
  if (SUCCEEDED(hr)) return hr;
  ComError e(hr, iid);
  if (!e.description().empty()) throw e;
  throw ComError(hr, iid, std::string(call) + " failed and gave no error information", e.source());
}

}  // namespace comlite
