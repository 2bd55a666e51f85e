#pragma once
//! Late binding from a static type description: the tables a dual interface's type library
//! would hold, and the GetIDsOfNames / Invoke / ITypeInfo services built on them.
//!
//! A module describes each interface once (methods with DISPID, vtable slot, parameters and an
//! invoker that calls the C++ method with typed arguments) and uses the description for
//! IDispatch, for registration and in tests that compare slots with the C++ declaration.

#include <cstddef>
#include <vector>

#include "comlite/type_info.h"

namespace comlite::automation {

enum class Dir : std::uint8_t { In, InOut, Out, OutRetval };

struct ParamDesc {
  const char* name;
  VARTYPE
  vt;  //!< VT_I4, VT_I2, VT_UI1, VT_R8, VT_BOOL, VT_BSTR, VT_VARIANT, VT_DISPATCH, VT_UNKNOWN
  Dir dir;
  const char* typeName = nullptr;  //!< set for an enumeration passed as VT_I4
};

class Args;
//! Calls the C++ method on `self` (the interface pointer the description belongs to).
using Invoker = HRESULT (*)(void* self, Args& args);

struct MethodDesc {
  const char* name;
  DISPID dispid;
  int slot;  //!< vtable slot (0-2 IUnknown, 3-6 IDispatch, own methods from 7)
  INVOKEKIND kind;
  const char* help;
  std::vector<ParamDesc> params;
  Invoker invoke;
};

struct InterfaceDesc {
  const char* name;
  IID iid;
  const char* help;
  WORD typeFlags;  //!< e.g. TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE
  std::vector<MethodDesc> methods;
};

struct EnumDesc {
  const char* name;
  const char* help;
  std::vector<std::pair<const char*, LONG>> values;
};

struct CoClassDesc {
  const char* name;
  CLSID clsid;
  const char* help;
  std::vector<std::pair<const InterfaceDesc*, bool>> interfaces;  //!< (interface, is default)
};

struct LibraryDesc {
  const char* name;
  GUID libid;
  const char* help;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  std::vector<const InterfaceDesc*> interfaces;
  std::vector<EnumDesc> enums;
  std::vector<CoClassDesc> classes;
};

//! Typed access to the converted arguments of one call, in declaration order. Values of
//! in-out and out parameters are written through the returned pointers, which point into the
//! caller's storage when the caller passed the argument by reference.
class Args {
 public:
  LONG i4(std::size_t i) const;
  LONG* i4Ref(std::size_t i);
  SHORT i2(std::size_t i) const;
  BYTE ui1(std::size_t i) const;
  double r8(std::size_t i) const;
  double* r8Ref(std::size_t i);
  VARIANT_BOOL boolean(std::size_t i) const;
  VARIANT_BOOL* boolRef(std::size_t i);
  //! An [in] string: owned by the call, not to be freed by the method.
  BSTR bstr(std::size_t i) const;
  BSTR* bstrRef(std::size_t i);
  //! An [in] VARIANT passed by value as COM does (a shallow view the method must not clear).
  VARIANT var(std::size_t i) const;
  VARIANT* varRef(std::size_t i);
  IDispatch* disp(std::size_t i) const;
  IDispatch** dispRef(std::size_t i);
  IUnknown* unk(std::size_t i) const;

  struct Slot {
    VARIANT value;        //!< converted [in] value, or local storage
    void* ref = nullptr;  //!< where the method reads/writes by reference
  };
  std::vector<Slot> slots;
};

//! Names to DISPIDs, ignoring case. The first name is a method; further names are parameters
//! of it (DISPID = parameter position). Unknown names give DISPID_UNKNOWN and
//! DISP_E_UNKNOWNNAME.
HRESULT getIDsOfNames(const InterfaceDesc& desc, LPOLESTR* names, UINT cNames, DISPID* ids);

//! IDispatch::Invoke over the description: picks the member by DISPID and call kind, converts
//! the arguments (by value or by reference) to the declared types, calls the invoker and
//! writes results back. Named arguments are taken by DISPID (the parameter's position, or
//! DISPID_PROPERTYPUT for a put's value). RETURNS: DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
//! DISP_E_PARAMNOTFOUND for a named DISPID that is no parameter or is named twice,
//! DISP_E_PARAMNOTOPTIONAL for an [in] parameter left out, DISP_E_BADVARTYPE for an argument
//! of no valid type, DISP_E_OVERFLOW for a value out of the parameter's range (1e300 or NaN
//! for an integer), DISP_E_TYPEMISMATCH for any other failed conversion (each with *puArgErr
//! = the argument's index in rgvarg);
//! a failure of the method itself is returned as is, or as DISP_E_EXCEPTION with the status and
//! pending error text in *pExcepInfo when the caller supplied one.
HRESULT invoke(const InterfaceDesc& desc, void* self, DISPID dispid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

//! A new ITypeInfo (one reference, owned by the caller) describing `desc`.
HRESULT createTypeInfo(const InterfaceDesc& desc, const LibraryDesc& library, ITypeInfo** out);

//! The method of `desc` at vtable `slot`, or nullptr.
const MethodDesc* methodAtSlot(const InterfaceDesc& desc, int slot);

}  // namespace comlite::automation

namespace comlite::automation {

//! The IDispatch half of one dual interface `I` of an object that implements several: each
//! base gets its own overriders, bound to its own description, so that late binding on any
//! interface of the object dispatches to that interface's methods. `Desc` and `Lib` return
//! nullptr for an interface without a description (then only the vtable is served).
template <class I, const InterfaceDesc* (*Desc)(), const LibraryDesc* (*Lib)()>
class DualImpl : public I {
 public:
  //! Tells ComObject not to add its "no type information" defaults over these overriders.
  static constexpr bool kServesDispatch = true;

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = Desc() ? 1 : 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Desc() || !Lib() || index != 0) return DISP_E_BADINDEX;
    return createTypeInfo(*Desc(), *Lib(), out);
  }
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!Desc()) return DISP_E_UNKNOWNNAME;
    return getIDsOfNames(*Desc(), names, count, ids);
  }
  HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr) override {
    if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!Desc()) return DISP_E_MEMBERNOTFOUND;
    return invoke(*Desc(), static_cast<I*>(this), id, flags, params, result, excep, argErr);
  }
};

//! For DualImpl: an interface served by vtable only.
inline const InterfaceDesc* noInterfaceDesc() {
  return nullptr;
}
inline const LibraryDesc* noLibraryDesc() {
  return nullptr;
}

}  // namespace comlite::automation
