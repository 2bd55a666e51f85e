#include "comlite/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "comlite/bstr.h"
#include "comlite/dispatch.h"
#include "comlite/safearray.h"

namespace {

bool isKnownScalar(VARTYPE t) {
  switch (t) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

//! Whether `vt` is a type a VARIANT may carry.
bool isValidVt(VARTYPE vt) {
  const VARTYPE base = vtBase(vt);
  if (vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK)) return false;
  if (vtIsArray(vt))
    return base != VT_EMPTY && base != VT_NULL && (base == VT_VARIANT || isKnownScalar(base));
  if (base == VT_VARIANT) return vtIsByRef(vt);
  if (vtIsByRef(vt) && (base == VT_EMPTY || base == VT_NULL)) return false;
  return isKnownScalar(base);
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof(VARIANT));
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!isValidVt(v->vt)) return DISP_E_BADVARTYPE;
  if (!vtIsByRef(v->vt)) {
    if (vtIsArray(v->vt)) {
      if (v->parray) {
        HRESULT hr = SafeArrayDestroy(v->parray);
        if (FAILED(hr)) return hr;
      }
    } else {
      switch (v->vt) {
        case VT_BSTR:
          SysFreeString(v->bstrVal);
          break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
          if (v->punkVal) v->punkVal->Release();
          break;
        default:
          break;
      }
    }
  }
  VariantInit(v);
  return S_OK;
}

namespace {

//! Copies a non-BYREF source into an empty destination.
HRESULT copyOwned(VARIANT* dest, const VARIANT* src) {
  VARIANT tmp = *src;
  if (vtIsArray(src->vt)) {
    tmp.parray = nullptr;
    if (src->parray) {
      HRESULT hr = SafeArrayCopy(src->parray, &tmp.parray);
      if (FAILED(hr)) return hr;
    }
  } else if (src->vt == VT_BSTR) {
    if (src->bstrVal) {
      tmp.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (!tmp.bstrVal) return E_OUTOFMEMORY;
    }
  } else if (src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) {
    if (tmp.punkVal) tmp.punkVal->AddRef();
  }
  *dest = tmp;
  return S_OK;
}

//! Dereferences a BYREF variant into a plain (non-owning) view.
HRESULT derefView(const VARIANT* src, VARIANT* view) {
  VariantInit(view);
  if (!vtIsByRef(src->vt)) {
    *view = *src;
    return S_OK;
  }
  if (!src->byref) return E_INVALIDARG;
  const VARTYPE t = src->vt & ~VT_BYREF;
  if (vtIsArray(t)) {
    view->vt = t;
    view->parray = *src->pparray;
    return S_OK;
  }
  if (t == VT_VARIANT) {
    if (vtIsByRef(src->pvarVal->vt)) return E_INVALIDARG;  // no nested references
    *view = *src->pvarVal;
    return S_OK;
  }
  // Every scalar sits at the start of the value union: copy as many bytes as the type holds.
  const UINT size = comlite::safeArrayElementSize(t);
  if (size == 0) return DISP_E_BADVARTYPE;
  view->vt = t;
  std::memcpy(&view->llVal, src->byref, size);
  return S_OK;
}

}  // namespace

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidVt(src->vt)) return DISP_E_BADVARTYPE;
  if (dest == src) return S_OK;
  VARIANT tmp;
  VariantInit(&tmp);
  HRESULT hr = vtIsByRef(src->vt) ? (tmp = *src, S_OK) : copyOwned(&tmp, src);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&tmp);
    return hr;
  }
  *dest = tmp;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidVt(src->vt)) return DISP_E_BADVARTYPE;
  VARIANT view;
  HRESULT hr = derefView(src, &view);
  if (FAILED(hr)) return hr;
  VARIANT tmp;
  VariantInit(&tmp);
  hr = copyOwned(&tmp, &view);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&tmp);
    return hr;
  }
  *dest = tmp;
  return S_OK;
}

namespace {

enum class NumKind { Int, Uint, Real, None };

struct Number {
  NumKind kind = NumKind::None;
  long long i = 0;
  unsigned long long u = 0;
  double d = 0;
};

Number readNumber(const VARIANT& v) {
  Number n;
  switch (v.vt) {
    case VT_EMPTY:
      n.kind = NumKind::Int;
      break;
    case VT_I1:
      n.kind = NumKind::Int, n.i = v.cVal;
      break;
    case VT_UI1:
      n.kind = NumKind::Int, n.i = v.bVal;
      break;
    case VT_I2:
      n.kind = NumKind::Int, n.i = v.iVal;
      break;
    case VT_UI2:
      n.kind = NumKind::Int, n.i = v.uiVal;
      break;
    case VT_BOOL:
      n.kind = NumKind::Int, n.i = v.boolVal ? -1 : 0;
      break;
    case VT_I4:
    case VT_INT:
    case VT_ERROR:
      n.kind = NumKind::Int, n.i = v.lVal;
      break;
    case VT_UI4:
    case VT_UINT:
      n.kind = NumKind::Int, n.i = v.ulVal;
      break;
    case VT_I8:
      n.kind = NumKind::Int, n.i = v.llVal;
      break;
    case VT_UI8:
      n.kind = NumKind::Uint, n.u = v.ullVal;
      break;
    case VT_R4:
      n.kind = NumKind::Real, n.d = v.fltVal;
      break;
    case VT_R8:
    case VT_DATE:
      n.kind = NumKind::Real, n.d = v.dblVal;
      break;
    default:
      break;
  }
  return n;
}

//! Parses the whole text as a number (C locale, surrounding blanks allowed).
bool parseText(BSTR s, Number& n) {
  std::string text = comlite::bstrToUtf8(s);
  const char* begin = text.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (!*begin) return false;
  char* end = nullptr;
  errno = 0;
  long long i = std::strtoll(begin, &end, 10);
  const char* tail = end;
  while (*tail == ' ' || *tail == '\t') ++tail;
  if (!*tail && errno == 0) {
    n.kind = NumKind::Int, n.i = i;
    return true;
  }
  errno = 0;
  double d = std::strtod(begin, &end);
  tail = end;
  while (*tail == ' ' || *tail == '\t') ++tail;
  if (*tail || end == begin) return false;
  n.kind = NumKind::Real, n.d = d;
  return true;
}

//! Rounds half to even, as automation conversions do.
bool realToInt(double d, long long lo, long long hi, long long& out) {
  if (!std::isfinite(d)) return false;
  double r = std::nearbyint(d);
  // hi + 1 rather than hi: a 64-bit hi rounds up to 2^63 as a double, which does not fit.
  if (r < static_cast<double>(lo) || r >= static_cast<double>(hi) + 1.0) return false;
  out = static_cast<long long>(r);
  return true;
}

HRESULT toInteger(const Number& n, long long lo, long long hi, long long& out) {
  switch (n.kind) {
    case NumKind::Int:
      if (n.i < lo || n.i > hi) return DISP_E_OVERFLOW;
      out = n.i;
      return S_OK;
    case NumKind::Uint:
      if (n.u > static_cast<unsigned long long>(hi)) return DISP_E_OVERFLOW;
      out = static_cast<long long>(n.u);
      return S_OK;
    case NumKind::Real:
      return realToInt(n.d, lo, hi, out) ? S_OK : DISP_E_OVERFLOW;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

double toReal(const Number& n) {
  switch (n.kind) {
    case NumKind::Int:
      return static_cast<double>(n.i);
    case NumKind::Uint:
      return static_cast<double>(n.u);
    default:
      return n.d;
  }
}

std::string numberText(const Number& n) {
  char buf[64];
  switch (n.kind) {
    case NumKind::Int:
      std::snprintf(buf, sizeof buf, "%lld", n.i);
      break;
    case NumKind::Uint:
      std::snprintf(buf, sizeof buf, "%llu", n.u);
      break;
    default:
      std::snprintf(buf, sizeof buf, "%.15g", n.d);
      break;
  }
  return buf;
}

HRESULT convertScalar(const VARIANT& src, VARTYPE vt, VARIANT& out) {
  VariantInit(&out);
  if (vt == VT_EMPTY) return S_OK;
  if (vt == src.vt) return copyOwned(&out, &src);
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    if (src.vt != VT_UNKNOWN && src.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    if (!src.punkVal) {
      out.vt = vt;
      return S_OK;
    }
    void* p = nullptr;
    HRESULT hr = src.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    out.vt = vt;
    out.punkVal = static_cast<IUnknown*>(p);
    return S_OK;
  }
  Number n = readNumber(src);
  if (src.vt == VT_BSTR) {
    if (vt == VT_BOOL) {
      std::string t = comlite::bstrToUtf8(src.bstrVal);
      for (auto& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (t == "true" || t == "#true#") {
        out.vt = VT_BOOL, out.boolVal = VARIANT_TRUE;
        return S_OK;
      }
      if (t == "false" || t == "#false#") {
        out.vt = VT_BOOL, out.boolVal = VARIANT_FALSE;
        return S_OK;
      }
    }
    if (!parseText(src.bstrVal, n)) return DISP_E_TYPEMISMATCH;
  }
  if (n.kind == NumKind::None) return DISP_E_TYPEMISMATCH;
  long long i = 0;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_BSTR:
      if (src.vt == VT_BOOL) {
        out.bstrVal = comlite::bstrFromUtf8(src.boolVal ? "True" : "False");
      } else {
        out.bstrVal = comlite::bstrFromUtf8(numberText(n));
      }
      if (!out.bstrVal) return E_OUTOFMEMORY;
      out.vt = VT_BSTR;
      return S_OK;
    case VT_BOOL:
      out.vt = VT_BOOL;
      out.boolVal = (n.kind == NumKind::Real ? n.d != 0 : (n.i != 0 || n.u != 0)) ? VARIANT_TRUE
                                                                                  : VARIANT_FALSE;
      return S_OK;
    case VT_R8:
    case VT_DATE:
      out.vt = vt, out.dblVal = toReal(n);
      return S_OK;
    case VT_R4: {
      double d = toReal(n);
      if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
        return DISP_E_OVERFLOW;
      out.vt = VT_R4, out.fltVal = static_cast<float>(d);
      return S_OK;
    }
    case VT_I1:
      hr = toInteger(n, -128, 127, i), out.cVal = static_cast<char>(i);
      break;
    case VT_UI1:
      hr = toInteger(n, 0, 255, i), out.bVal = static_cast<BYTE>(i);
      break;
    case VT_I2:
      hr = toInteger(n, -32768, 32767, i), out.iVal = static_cast<SHORT>(i);
      break;
    case VT_UI2:
      hr = toInteger(n, 0, 65535, i), out.uiVal = static_cast<USHORT>(i);
      break;
    case VT_I4:
    case VT_INT:
    case VT_ERROR:
      hr = toInteger(n, INT32_MIN, INT32_MAX, i), out.lVal = static_cast<LONG>(i);
      break;
    case VT_UI4:
    case VT_UINT:
      hr = toInteger(n, 0, UINT32_MAX, i), out.ulVal = static_cast<ULONG>(i);
      break;
    case VT_I8:
      hr = toInteger(n, INT64_MIN, INT64_MAX, i), out.llVal = i;
      break;
    case VT_UI8:
      if (n.kind == NumKind::Uint) {
        out.ullVal = n.u;
      } else {
        hr = toInteger(n, 0, INT64_MAX, i), out.ullVal = static_cast<ULONGLONG>(i);
      }
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) {
    VariantInit(&out);
    return hr;
  }
  out.vt = vt;
  return S_OK;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT /*flags*/, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidVt(src->vt)) return DISP_E_BADVARTYPE;
  if (vtIsByRef(vt)) return DISP_E_TYPEMISMATCH;
  VARIANT view;
  HRESULT hr = derefView(src, &view);
  if (FAILED(hr)) return hr;
  VARIANT tmp;
  if (vtIsArray(vt) || vtIsArray(view.vt)) {
    if (vt != view.vt) return DISP_E_TYPEMISMATCH;
    VariantInit(&tmp);
    hr = copyOwned(&tmp, &view);
  } else {
    hr = convertScalar(view, vt, tmp);
  }
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&tmp);
    return hr;
  }
  *dest = tmp;
  return S_OK;
}

namespace comlite {

Variant Variant::fromDouble(double d) {
  Variant v;
  v.vt = VT_R8;
  v.dblVal = d;
  return v;
}

Variant Variant::fromLong(LONG l) {
  Variant v;
  v.vt = VT_I4;
  v.lVal = l;
  return v;
}

Variant Variant::fromBool(bool b) {
  Variant v;
  v.vt = VT_BOOL;
  v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::fromString(const char* utf8) {
  Variant v;
  v.vt = VT_BSTR;
  v.bstrVal = bstrFromUtf8(utf8 ? utf8 : "");
  return v;
}

}  // namespace comlite
