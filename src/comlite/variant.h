#pragma once
//! VARIANT: the automation value, with the Windows 64-bit layout (24 bytes).
//!
//! Ownership follows COM: a VARIANT owns its BSTR, its array and one reference on its interface
//! pointer; BYREF variants own nothing. VariantClear releases what is owned and leaves VT_EMPTY.

#include "comlite/types.h"

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;
struct VARIANT;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

//! The largest member of the value union: it gives VARIANT its 24-byte size.
struct VariantRecord {
  void* pvRecord;
  void* pRecInfo;
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    LONGLONG* pllVal;
    float* pfltVal;
    double* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    char cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    VariantRecord brecord;
  };
};
static_assert(sizeof(VARIANT) == 24, "VARIANT must keep the automation layout");

using VARIANTARG = VARIANT;

constexpr VARTYPE vtBase(VARTYPE vt) {
  return vt & VT_TYPEMASK;
}
constexpr bool vtIsArray(VARTYPE vt) {
  return (vt & VT_ARRAY) != 0;
}
constexpr bool vtIsByRef(VARTYPE vt) {
  return (vt & VT_BYREF) != 0;
}

//! Sets `v` to VT_EMPTY without freeing anything.
void VariantInit(VARIANT* v);
//! Frees what `v` owns and sets it to VT_EMPTY.
//! RETURNS: S_OK; E_INVALIDARG for nullptr; DISP_E_BADVARTYPE for a type it does not know
//! (then `v` is left as it was); DISP_E_ARRAYISLOCKED for a locked array.
HRESULT VariantClear(VARIANT* v);
//! Deep copy: `dest` is cleared first, then receives a copy of `src` (strings and arrays are
//! duplicated, interfaces AddRef'ed). BYREF sources are copied as BYREF (the pointer only).
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
//! Like VariantCopy, but a BYREF source is dereferenced into an owned value.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
//! Converts `src` to type `vt` into `dest` (dest may equal src). Supports the numeric types,
//! VT_BOOL, VT_BSTR (numbers to and from text), VT_EMPTY, VT_DISPATCH/VT_UNKNOWN by query,
//! and BYREF sources. RETURNS: DISP_E_TYPEMISMATCH for an impossible conversion, DISP_E_OVERFLOW
//! when a number does not fit; `dest` is untouched on failure.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);

namespace comlite {

//! Owning VARIANT holder: clears on destruction, deep-copies on copy.
class Variant : public VARIANT {
 public:
  Variant() { VariantInit(this); }
  Variant(const Variant& o) {
    VariantInit(this);
    VariantCopy(this, &o);
  }
  Variant(const VARIANT& o) {
    VariantInit(this);
    VariantCopy(this, &o);
  }
  Variant(Variant&& o) noexcept {
    static_cast<VARIANT&>(*this) = o;
    VariantInit(&o);
  }
  Variant& operator=(const Variant& o) {
    if (this != &o) VariantCopy(this, &o);
    return *this;
  }
  Variant& operator=(Variant&& o) noexcept {
    if (this != &o) {
      VariantClear(this);
      static_cast<VARIANT&>(*this) = o;
      VariantInit(&o);
    }
    return *this;
  }
  ~Variant() { VariantClear(this); }

  static Variant fromDouble(double d);
  static Variant fromLong(LONG l);
  static Variant fromBool(bool b);
  //! Takes a copy of the UTF-8 text as a BSTR.
  static Variant fromString(const char* utf8);

  //! Clears and returns the raw VARIANT for an [out] parameter.
  VARIANT* out() {
    VariantClear(this);
    return this;
  }
  //! Gives the value away: the caller owns the returned VARIANT, this one becomes empty.
  VARIANT detach() {
    VARIANT v = *this;
    VariantInit(this);
    return v;
  }
};
static_assert(sizeof(Variant) == sizeof(VARIANT));

}  // namespace comlite
