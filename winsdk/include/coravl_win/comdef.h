#pragma once
//! The compiler-support smart types of Windows sources: _bstr_t, _variant_t, _com_error,
//! _com_ptr_t with _COM_SMARTPTR_TYPEDEF, and _com_issue_error. Failures throw _com_error.

#include <string>
#include <utility>

#include "coravl_win/base.h"

class _com_error {
 public:
  explicit _com_error(HRESULT hr, IErrorInfo* info = nullptr, bool addRef = false) : m_hr(hr) {
    m_info = info;
    if (m_info && addRef) m_info->AddRef();
  }
  _com_error(const _com_error& o) : m_hr(o.m_hr), m_info(o.m_info) {
    if (m_info) m_info->AddRef();
  }
  _com_error& operator=(const _com_error& o) {
    if (this != &o) {
      if (o.m_info) o.m_info->AddRef();
      if (m_info) m_info->Release();
      m_hr = o.m_hr;
      m_info = o.m_info;
    }
    return *this;
  }
  virtual ~_com_error() {
    if (m_info) m_info->Release();
  }
  HRESULT Error() const { return m_hr; }
  WORD WCode() const { return static_cast<WORD>(m_hr & 0xFFFF); }
  IErrorInfo* ErrorInfo() const {
    if (m_info) m_info->AddRef();
    return m_info;
  }
  //! Narrow text (TCHAR is char here).
  const TCHAR* ErrorMessage() const {
    if (m_message.empty()) {
      char text[32];
      std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(m_hr));
      m_message = text;
    }
    return m_message.c_str();
  }
  // std::wstring is compiled into the C++ library for 32-bit wchar_t: UTF-16 text travels as
  // std::u16string.
  std::u16string DescriptionText() const { return text(&IErrorInfo::GetDescription); }
  std::u16string SourceText() const { return text(&IErrorInfo::GetSource); }
  inline class _bstr_t Description() const;
  inline class _bstr_t Source() const;

 private:
  std::u16string text(HRESULT (IErrorInfo::*get)(BSTR*)) const {
    BSTR s = nullptr;
    if (!m_info || FAILED((m_info->*get)(&s)) || !s) return {};
    std::u16string out(s, SysStringLen(s));
    SysFreeString(s);
    return out;
  }
  HRESULT m_hr;
  IErrorInfo* m_info = nullptr;
  mutable std::string m_message;
};

[[noreturn]] inline void _com_issue_error(HRESULT hr) {
  throw _com_error(hr);
}
[[noreturn]] inline void _com_issue_errorex(HRESULT hr, IUnknown*, REFIID) {
  IErrorInfo* info = nullptr;
  GetErrorInfo(0, &info);
  throw _com_error(hr, info);
}
[[noreturn]] inline void _com_raise_error(HRESULT hr, IErrorInfo* info = nullptr) {
  throw _com_error(hr, info);
}

//! An owning BSTR with conversions to wide and narrow text. Copies copy the string.
class _bstr_t {
 public:
  _bstr_t() = default;
  _bstr_t(const char* s) : m_str(s ? comlite::bstrFromUtf8(s) : nullptr) { check(s); }
  _bstr_t(const wchar_t* s) : m_str(s ? SysAllocString(s) : nullptr) { check(s); }
  _bstr_t(const std::string& s) : _bstr_t(s.c_str()) {}
  //! fCopy false takes ownership of `s`.
  _bstr_t(BSTR s, bool fCopy) : m_str(fCopy && s ? SysAllocStringLen(s, SysStringLen(s)) : s) {}
  _bstr_t(const _bstr_t& o) : _bstr_t(o.m_str, true) {}
  _bstr_t(_bstr_t&& o) noexcept : m_str(std::exchange(o.m_str, nullptr)) {}
  inline _bstr_t(const class _variant_t& v);
  ~_bstr_t() { SysFreeString(m_str); }
  _bstr_t& operator=(_bstr_t o) noexcept {
    std::swap(m_str, o.m_str);
    m_narrow.clear();
    return *this;
  }
  _bstr_t& operator=(const wchar_t* s) { return *this = _bstr_t(s); }
  _bstr_t& operator=(const char* s) { return *this = _bstr_t(s); }

  operator const wchar_t*() const { return m_str ? coravl_win::wide(m_str) : nullptr; }
  operator wchar_t*() const { return m_str ? coravl_win::wide(m_str) : nullptr; }
  //! For BSTR parameters (BSTR is char16_t* here, wchar_t* on Windows).
  operator BSTR() const { return m_str; }
  operator const char*() const {
    m_narrow = comlite::bstrToUtf8(m_str);
    return m_narrow.c_str();
  }
  bool operator!() const { return !m_str; }
  unsigned int length() const { return SysStringLen(m_str); }
  BSTR copy(bool fCopy = true) const {
    return fCopy ? (m_str ? SysAllocStringLen(m_str, SysStringLen(m_str)) : nullptr) : m_str;
  }
  void Attach(BSTR s) {
    SysFreeString(m_str);
    m_str = s;
  }
  BSTR Detach() { return std::exchange(m_str, nullptr); }
  BSTR& GetBSTR() { return m_str; }
  BSTR* GetAddress() {
    SysFreeString(m_str);
    m_str = nullptr;
    return &m_str;
  }
  _bstr_t& operator+=(const _bstr_t& o) {
    std::u16string s(comlite::bstrView(m_str));
    s += comlite::bstrView(o.m_str);
    return *this = _bstr_t(comlite::bstrFromUtf16(s), false);
  }
  friend _bstr_t operator+(_bstr_t a, const _bstr_t& b) { return a += b; }
  friend bool operator==(const _bstr_t& a, const _bstr_t& b) {
    return comlite::bstrView(a.m_str) == comlite::bstrView(b.m_str);
  }
  friend bool operator==(const _bstr_t& a, const wchar_t* b) { return a == _bstr_t(b); }
  friend bool operator==(const _bstr_t& a, const char* b) { return a == _bstr_t(b); }
  friend bool operator<(const _bstr_t& a, const _bstr_t& b) {
    return comlite::bstrView(a.m_str) < comlite::bstrView(b.m_str);
  }

 private:
  void check(const void* source) {
    if (source && !m_str) _com_issue_error(E_OUTOFMEMORY);
  }
  BSTR m_str = nullptr;
  mutable std::string m_narrow;
};

inline _bstr_t _com_error::Description() const {
  const std::u16string s = DescriptionText();
  return _bstr_t(comlite::bstrFromUtf16(s), false);
}
inline _bstr_t _com_error::Source() const {
  const std::u16string s = SourceText();
  return _bstr_t(comlite::bstrFromUtf16(s), false);
}

//! A VARIANT that clears itself, with the usual constructors and conversions.
class _variant_t : public VARIANT {
 public:
  _variant_t() { VariantInit(this); }
  _variant_t(const VARIANT& v) {
    VariantInit(this);
    check(VariantCopy(this, &v));
  }
  _variant_t(const _variant_t& v) : _variant_t(static_cast<const VARIANT&>(v)) {}
  //! fCopy false takes ownership of `v`'s content.
  _variant_t(VARIANT& v, bool fCopy) {
    VariantInit(this);
    if (fCopy) {
      check(VariantCopy(this, &v));
    } else {
      *static_cast<VARIANT*>(this) = v;
      v.vt = VT_EMPTY;
    }
  }
  _variant_t(double d) {
    VariantInit(this);
    vt = VT_R8;
    dblVal = d;
  }
  _variant_t(float f) : _variant_t(static_cast<double>(f)) {}
  _variant_t(LONG l, VARTYPE type = VT_I4) {
    VariantInit(this);
    vt = type == VT_ERROR ? VT_ERROR : VT_I4;
    lVal = l;
  }
  _variant_t(short s) {
    VariantInit(this);
    vt = VT_I2;
    iVal = s;
  }
  _variant_t(bool b) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  }
  _variant_t(const _bstr_t& s) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = s.copy();
  }
  _variant_t(const wchar_t* s) : _variant_t(_bstr_t(s)) {}
  _variant_t(const char* s) : _variant_t(_bstr_t(s)) {}
  _variant_t(IDispatch* p, bool fAddRef = true) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = p;
    if (p && fAddRef) p->AddRef();
  }
  ~_variant_t() { VariantClear(this); }
  _variant_t& operator=(const _variant_t& v) {
    if (this != &v) check(VariantCopy(this, &v));
    return *this;
  }
  _variant_t& operator=(const VARIANT& v) {
    check(VariantCopy(this, &v));
    return *this;
  }

  void Clear() { check(VariantClear(this)); }
  void Attach(VARIANT& v) {
    Clear();
    *static_cast<VARIANT*>(this) = v;
    v.vt = VT_EMPTY;
  }
  VARIANT Detach() {
    VARIANT v = *this;
    vt = VT_EMPTY;
    return v;
  }
  VARIANT& GetVARIANT() { return *this; }
  VARIANT* GetAddress() {
    Clear();
    return this;
  }
  void ChangeType(VARTYPE type, const _variant_t* src = nullptr) {
    check(VariantChangeType(this, src ? src : this, 0, type));
  }
  operator double() const { return as(VT_R8).dblVal; }
  operator LONG() const { return as(VT_I4).lVal; }
  operator short() const { return as(VT_I2).iVal; }
  operator bool() const { return as(VT_BOOL).boolVal != VARIANT_FALSE; }
  operator _bstr_t() const { return _bstr_t(as(VT_BSTR).bstrVal, true); }

 private:
  static void check(HRESULT hr) {
    if (FAILED(hr)) _com_issue_error(hr);
  }
  _variant_t as(VARTYPE type) const {
    if (vt == type) return *this;
    _variant_t out;
    check(VariantChangeType(&out, this, 0, type));
    return out;
  }
};

inline _bstr_t::_bstr_t(const _variant_t& v) : _bstr_t(v.operator _bstr_t()) {}

inline const _variant_t vtMissing(static_cast<LONG>(DISP_E_PARAMNOTFOUND), VT_ERROR);

template <class I, const IID* piid>
struct _com_IIID {
  using Interface = I;
  static const IID& GetIID() { return *piid; }
};

//! A smart interface pointer: counts references, queries on assignment from another interface
//! and throws _com_error(E_POINTER) through a null operator->.
template <class IIID>
class _com_ptr_t {
 public:
  using Interface = typename IIID::Interface;
  static const IID& GetIID() { return IIID::GetIID(); }

  _com_ptr_t() = default;
  // NULL, 0 and nullptr all arrive as a null Interface*.
  _com_ptr_t(Interface* p, bool addRef = true) : m_p(p) {
    if (m_p && addRef) m_p->AddRef();
  }
  template <class Q>
  _com_ptr_t(Q* p) {
    if (p) p->QueryInterface(GetIID(), reinterpret_cast<void**>(&m_p));
  }
  template <class OtherIIID>
  _com_ptr_t(const _com_ptr_t<OtherIIID>& o) : _com_ptr_t(o.GetInterfacePtr()) {}
  _com_ptr_t(const _com_ptr_t& o) : _com_ptr_t(o.m_p, true) {}
  _com_ptr_t(_com_ptr_t&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  _com_ptr_t(const _variant_t& v) {
    if ((v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal)
      v.punkVal->QueryInterface(GetIID(), reinterpret_cast<void**>(&m_p));
  }
  explicit _com_ptr_t(const CLSID& clsid, IUnknown* outer = nullptr, DWORD ctx = CLSCTX_ALL) {
    const HRESULT hr = CreateInstance(clsid, outer, ctx);
    if (FAILED(hr)) _com_issue_error(hr);
  }
  ~_com_ptr_t() { _Release(); }

  _com_ptr_t& operator=(_com_ptr_t o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  _com_ptr_t& operator=(Interface* p) { return *this = _com_ptr_t(p); }
  template <class Q>
  _com_ptr_t& operator=(Q* p) {
    return *this = _com_ptr_t(p);
  }

  HRESULT CreateInstance(const CLSID& clsid, IUnknown* outer = nullptr, DWORD ctx = CLSCTX_ALL) {
    _Release();
    return CoCreateInstance(clsid, outer, ctx, GetIID(), reinterpret_cast<void**>(&m_p));
  }
  HRESULT CreateInstance(const wchar_t* progId, IUnknown* outer = nullptr, DWORD ctx = CLSCTX_ALL) {
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    return FAILED(hr) ? hr : CreateInstance(clsid, outer, ctx);
  }
  HRESULT CreateInstance(const char* progId, IUnknown* outer = nullptr, DWORD ctx = CLSCTX_ALL) {
    return CreateInstance(_bstr_t(progId).operator const wchar_t*(), outer, ctx);
  }
  template <class Q>
  HRESULT QueryInterface(const IID& iid, Q** p) const {
    return m_p ? m_p->QueryInterface(iid, reinterpret_cast<void**>(p)) : E_POINTER;
  }
  template <class Q>
  HRESULT QueryInterface(const IID& iid, Q*& p) const {
    return QueryInterface(iid, &p);
  }

  void Attach(Interface* p) {
    _Release();
    m_p = p;
  }
  void Attach(Interface* p, bool addRef) {
    if (p && addRef) p->AddRef();
    Attach(p);
  }
  Interface* Detach() { return std::exchange(m_p, nullptr); }
  void Release() {
    if (!m_p) _com_issue_error(E_POINTER);
    _Release();
  }
  void AddRef() {
    if (!m_p) _com_issue_error(E_POINTER);
    m_p->AddRef();
  }
  Interface* GetInterfacePtr() const { return m_p; }
  Interface*& GetInterfacePtr() { return m_p; }
  operator Interface*() const { return m_p; }
  Interface& operator*() const {
    if (!m_p) _com_issue_error(E_POINTER);
    return *m_p;
  }
  Interface** operator&() {
    _Release();
    return &m_p;
  }
  Interface* operator->() const {
    if (!m_p) _com_issue_error(E_POINTER);
    return m_p;
  }
  explicit operator bool() const { return m_p != nullptr; }
  bool operator!() const { return m_p == nullptr; }
  template <class Q>
  bool operator==(Q* p) const {
    return m_p == p;
  }
  bool operator==(std::nullptr_t) const { return m_p == nullptr; }

 private:
  void _Release() {
    if (m_p) std::exchange(m_p, nullptr)->Release();
  }
  Interface* m_p = nullptr;
};

#define _COM_SMARTPTR_TYPEDEF(Interface, IID) \
  typedef _com_ptr_t<_com_IIID<Interface, &IID>> Interface##Ptr

_COM_SMARTPTR_TYPEDEF(IUnknown, IUnknown::kIID);
_COM_SMARTPTR_TYPEDEF(IDispatch, IDispatch::kIID);
_COM_SMARTPTR_TYPEDEF(IErrorInfo, IErrorInfo::kIID);
