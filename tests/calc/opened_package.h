#pragma once
//! The creation function of a test package that wraps the Peng-Robinson package: like
//! `comlite::createObject`, but the wrapped package is opened before the first query.

#include "comlite/com_ptr.h"
#include "comlite/module.h"

namespace calctest {

template <class Package>
HRESULT createOpened(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto package = comlite::ComPtr<Package>::attach(comlite::makeObject<Package>());
  if (!package) return E_OUTOFMEMORY;
  const HRESULT hr = package->open();
  if (FAILED(hr)) return hr;
  return package->QueryInterface(riid, ppv);
}

}  // namespace calctest
