#pragma once
//! The test module's interface and ids, shared by the module and the tests.

#include "comlite/dispatch.h"

struct ICounter : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("5B0C8E52-3E21-4C7A-9A55-0D7B61A3C901");
  /* 7 */ virtual HRESULT Add(/*[in]*/ LONG amount) = 0;
  /* 8 */ virtual HRESULT get_Total(/*[out]*/ LONG* total) = 0;
};

constexpr CLSID CLSID_TestCounter = comlite::makeGuid("5B0C8E52-3E21-4C7A-9A55-0D7B61A3C902");
constexpr CATID CATID_TestCategory = comlite::makeGuid("5B0C8E52-3E21-4C7A-9A55-0D7B61A3C903");
