#pragma once
//! IUnknown and IClassFactory in vtable order.
//!
//! Interfaces are structs of pure virtual functions with no data and no virtual destructor: with
//! the Itanium ABI the vtable pointer then addresses slot 0, so slot numbers match Windows COM.
//! Each interface carries its IID as `kIID` (a static member, outside the object layout).

#include "comlite/guid.h"
#include "comlite/hresult.h"

struct IUnknown {
  static constexpr IID kIID = comlite::makeGuid("00000000-0000-0000-C000-000000000046");
  /* 0 */ virtual HRESULT QueryInterface(/*[in]*/ REFIID riid, /*[out]*/ void** ppv) = 0;
  /* 1 */ virtual ULONG AddRef() = 0;
  /* 2 */ virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("00000001-0000-0000-C000-000000000046");
  /* 3 */ virtual HRESULT CreateInstance(/*[in]*/ IUnknown* outer, /*[in]*/ REFIID riid,
                                         /*[out]*/ void** ppv) = 0;
  /* 4 */ virtual HRESULT LockServer(/*[in]*/ BOOL lock) = 0;
};

constexpr IID IID_IUnknown = IUnknown::kIID;
constexpr IID IID_IClassFactory = IClassFactory::kIID;
