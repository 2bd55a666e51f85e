#pragma once
//! IDispatch (late binding) with the argument structures of Invoke.

#include "comlite/unknown.h"
#include "comlite/variant.h"

struct ITypeInfo;

struct DISPPARAMS {
  VARIANTARG* rgvarg;  //!< Arguments in reverse order: rgvarg[0] is the last one.
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

struct IDispatch : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("00020400-0000-0000-C000-000000000046");
  /* 3 */ virtual HRESULT GetTypeInfoCount(/*[out]*/ UINT* pctinfo) = 0;
  /* 4 */ virtual HRESULT GetTypeInfo(/*[in]*/ UINT iTInfo, /*[in]*/ LCID lcid,
                                      /*[out]*/ ITypeInfo** ppTInfo) = 0;
  /* 5 */ virtual HRESULT GetIDsOfNames(/*[in]*/ REFIID riid, /*[in]*/ LPOLESTR* rgszNames,
                                        /*[in]*/ UINT cNames, /*[in]*/ LCID lcid,
                                        /*[out]*/ DISPID* rgDispId) = 0;
  /* 6 */ virtual HRESULT Invoke(/*[in]*/ DISPID dispIdMember, /*[in]*/ REFIID riid,
                                 /*[in]*/ LCID lcid, /*[in]*/ WORD wFlags,
                                 /*[in,out]*/ DISPPARAMS* pDispParams,
                                 /*[out]*/ VARIANT* pVarResult, /*[out]*/ EXCEPINFO* pExcepInfo,
                                 /*[out]*/ UINT* puArgErr) = 0;
};

constexpr IID IID_IDispatch = IDispatch::kIID;
