#pragma once
//! Class-factory creation for components whose construction may fail (a data file that does
//! not load, ...): exceptions become a failing status with the error set on the thread, so
//! that nothing escapes DllGetClassObject / IClassFactory::CreateInstance.

#include <new>
#include <utility>

#include "capeside/support/cape_object.h"

namespace capeside {

//! comlite::CreateFn for T (default-constructible, no aggregation).
template <class T>
HRESULT createGuarded(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  try {
    T* obj = comlite::makeObject<T>();
    if (!obj) return E_OUTOFMEMORY;
    const HRESULT hr = obj->QueryInterface(riid, ppv);
    obj->Release();
    return hr;
  } catch (...) {
    bool forwarded = false;
    try {
      return raise(recordOfCurrentException("createGuarded", &forwarded));
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
}

//! Makes T from `args` and hands its IDispatch out through `out` (nulled first; the caller
//! releases it). E_POINTER for a null `out`; std::bad_alloc when T cannot be made.
template <class T, class... Args>
HRESULT handOutDispatch(IDispatch** out, Args&&... args) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* obj = comlite::makeObject<T>(std::forward<Args>(args)...);
  if (!obj) throw std::bad_alloc();
  const HRESULT hr = obj->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(out));
  obj->Release();
  return hr;
}

}  // namespace capeside
