#pragma once
//! A static IUnknown that counts every call, to prove exactly which calls a helper makes.

#include "comlite/unknown.h"

struct CountingUnknown : IUnknown {
  int queries = 0, addRefs = 0, releases = 0;
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    ++queries;
    if (riid != IID_IUnknown) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = this;
    ++addRefs;
    return S_OK;
  }
  ULONG AddRef() override { return ++addRefs; }
  ULONG Release() override { return ++releases; }
  int balance() const { return addRefs - releases; }
};
