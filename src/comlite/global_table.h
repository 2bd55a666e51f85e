#pragma once
//! The process-wide global interface table.

#include "comlite/unknown.h"

struct IGlobalInterfaceTable : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("00000146-0000-0000-C000-000000000046");
  //! Registers `unk` (the table holds one reference) and returns a cookie, never 0, never
  //! reused while the registration lives.
  /* 3 */ virtual HRESULT RegisterInterfaceInGlobal(/*[in]*/ IUnknown* unk, /*[in]*/ REFIID riid,
                                                    /*[out]*/ DWORD* cookie) = 0;
  //! Releases the table's reference. RETURNS: E_INVALIDARG for an unknown cookie.
  /* 4 */ virtual HRESULT RevokeInterfaceFromGlobal(/*[in]*/ DWORD cookie) = 0;
  //! A new reference on the registered interface (queried for `riid`).
  /* 5 */ virtual HRESULT GetInterfaceFromGlobal(/*[in]*/ DWORD cookie, /*[in]*/ REFIID riid,
                                                 /*[out]*/ void** ppv) = 0;
};

constexpr CLSID CLSID_StdGlobalInterfaceTable =
    comlite::makeGuid("00000323-0000-0000-C000-000000000046");

namespace comlite {
//! The table of this process (also reachable by CoCreateInstance of
//! CLSID_StdGlobalInterfaceTable). Thread-safe.
IGlobalInterfaceTable* globalInterfaceTable();
}  // namespace comlite
