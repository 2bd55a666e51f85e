#pragma once
//! ITypeInfo and its description structures, with the Windows vtable order and layouts, for
//! the automation types a dual interface exposes (see automation.h for the implementation).

#include "comlite/dispatch.h"

using HREFTYPE = DWORD;

enum TYPEKIND : int {
  TKIND_ENUM = 0,
  TKIND_RECORD,
  TKIND_MODULE,
  TKIND_INTERFACE,
  TKIND_DISPATCH,
  TKIND_COCLASS,
  TKIND_ALIAS,
  TKIND_UNION,
  TKIND_MAX
};
enum FUNCKIND : int {
  FUNC_VIRTUAL = 0,
  FUNC_PUREVIRTUAL,
  FUNC_NONVIRTUAL,
  FUNC_STATIC,
  FUNC_DISPATCH
};
enum INVOKEKIND : int {
  INVOKE_FUNC = 1,
  INVOKE_PROPERTYGET = 2,
  INVOKE_PROPERTYPUT = 4,
  INVOKE_PROPERTYPUTREF = 8
};
enum CALLCONV : int { CC_FASTCALL = 0, CC_CDECL = 1, CC_STDCALL = 4 };

constexpr USHORT PARAMFLAG_NONE = 0;
constexpr USHORT PARAMFLAG_FIN = 0x1;
constexpr USHORT PARAMFLAG_FOUT = 0x2;
constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
constexpr WORD TYPEFLAG_FHIDDEN = 0x10;
constexpr WORD TYPEFLAG_FDUAL = 0x40;
constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr VARTYPE VT_PTR = 26;
constexpr VARTYPE VT_USERDEFINED = 29;

struct TYPEDESC {
  union {
    TYPEDESC* lptdesc;
    void* lpadesc;
    HREFTYPE hreftype;
  };
  VARTYPE vt;
};

struct PARAMDESC {
  void* pparamdescex;
  USHORT wParamFlags;
};

struct IDLDESC {
  std::uintptr_t dwReserved;
  USHORT wIDLFlags;
};

struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
};

struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  SHORT cParams;
  SHORT cParamsOpt;
  SHORT oVft;  //!< byte offset of the method in the vtable (slot * pointer size)
  SHORT cScodes;
  ELEMDESC elemdescFunc;
  WORD wFuncFlags;
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  LPOLESTR lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};

struct ITypeComp;
struct ITypeLib;
struct VARDESC;

struct ITypeInfo : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("00020401-0000-0000-C000-000000000046");
  /* 3 */ virtual HRESULT GetTypeAttr(/*[out]*/ TYPEATTR** ppTypeAttr) = 0;
  /* 4 */ virtual HRESULT GetTypeComp(/*[out]*/ ITypeComp** ppTComp) = 0;
  /* 5 */ virtual HRESULT GetFuncDesc(/*[in]*/ UINT index, /*[out]*/ FUNCDESC** ppFuncDesc) = 0;
  /* 6 */ virtual HRESULT GetVarDesc(/*[in]*/ UINT index, /*[out]*/ VARDESC** ppVarDesc) = 0;
  /* 7 */ virtual HRESULT GetNames(/*[in]*/ MEMBERID memid, /*[out]*/ BSTR* rgBstrNames,
                                   /*[in]*/ UINT cMaxNames, /*[out]*/ UINT* pcNames) = 0;
  /* 8 */ virtual HRESULT GetRefTypeOfImplType(/*[in]*/ UINT index,
                                               /*[out]*/ HREFTYPE* pRefType) = 0;
  /* 9 */ virtual HRESULT GetImplTypeFlags(/*[in]*/ UINT index, /*[out]*/ INT* pImplTypeFlags) = 0;
  /* 10 */ virtual HRESULT GetIDsOfNames(/*[in]*/ LPOLESTR* rgszNames, /*[in]*/ UINT cNames,
                                         /*[out]*/ MEMBERID* pMemId) = 0;
  /* 11 */ virtual HRESULT Invoke(/*[in]*/ void* pvInstance, /*[in]*/ MEMBERID memid,
                                  /*[in]*/ WORD wFlags, /*[in,out]*/ DISPPARAMS* pDispParams,
                                  /*[out]*/ VARIANT* pVarResult, /*[out]*/ EXCEPINFO* pExcepInfo,
                                  /*[out]*/ UINT* puArgErr) = 0;
  /* 12 */ virtual HRESULT GetDocumentation(/*[in]*/ MEMBERID memid, /*[out]*/ BSTR* pBstrName,
                                            /*[out]*/ BSTR* pBstrDocString,
                                            /*[out]*/ DWORD* pdwHelpContext,
                                            /*[out]*/ BSTR* pBstrHelpFile) = 0;
  /* 13 */ virtual HRESULT GetDllEntry(/*[in]*/ MEMBERID memid, /*[in]*/ INVOKEKIND invKind,
                                       /*[out]*/ BSTR* pBstrDllName, /*[out]*/ BSTR* pBstrName,
                                       /*[out]*/ WORD* pwOrdinal) = 0;
  /* 14 */ virtual HRESULT GetRefTypeInfo(/*[in]*/ HREFTYPE hRefType,
                                          /*[out]*/ ITypeInfo** ppTInfo) = 0;
  /* 15 */ virtual HRESULT AddressOfMember(/*[in]*/ MEMBERID memid, /*[in]*/ INVOKEKIND invKind,
                                           /*[out]*/ void** ppv) = 0;
  /* 16 */ virtual HRESULT CreateInstance(/*[in]*/ IUnknown* pUnkOuter, /*[in]*/ REFIID riid,
                                          /*[out]*/ void** ppvObj) = 0;
  /* 17 */ virtual HRESULT GetMops(/*[in]*/ MEMBERID memid, /*[out]*/ BSTR* pBstrMops) = 0;
  /* 18 */ virtual HRESULT GetContainingTypeLib(/*[out]*/ ITypeLib** ppTLib,
                                                /*[out]*/ UINT* pIndex) = 0;
  /* 19 */ virtual void ReleaseTypeAttr(/*[in]*/ TYPEATTR* pTypeAttr) = 0;
  /* 20 */ virtual void ReleaseFuncDesc(/*[in]*/ FUNCDESC* pFuncDesc) = 0;
  /* 21 */ virtual void ReleaseVarDesc(/*[in]*/ VARDESC* pVarDesc) = 0;
};
