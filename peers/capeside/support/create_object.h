#pragma once
//! Class-factory creation for components whose construction may fail (a data file that does
//! not load, ...): exceptions become a failing status with the error set on the thread, so
//! that nothing escapes DllGetClassObject / IClassFactory::CreateInstance.

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

}  // namespace capeside
