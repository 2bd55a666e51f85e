#pragma once
//! The template-library wrappers of Windows sources: CComPtr, CComQIPtr, CComBSTR, CComVariant
//! and CComSafeArray, on comlite.

#include <new>
#include <utility>

#include "coravl_win/base.h"

template <class T>
class CComPtr {
 public:
  CComPtr() = default;
  CComPtr(std::nullptr_t) {}
  CComPtr(T* p) : p(p) {
    if (p) p->AddRef();
  }
  CComPtr(const CComPtr& o) : CComPtr(o.p) {}
  CComPtr(CComPtr&& o) noexcept : p(std::exchange(o.p, nullptr)) {}
  ~CComPtr() { Release(); }
  CComPtr& operator=(CComPtr o) noexcept {
    std::swap(p, o.p);
    return *this;
  }
  CComPtr& operator=(T* q) { return *this = CComPtr(q); }
  operator T*() const { return p; }
  T& operator*() const { return *p; }
  T** operator&() { return &p; }  // must be empty, as with the original
  T* operator->() const { return p; }
  bool operator!() const { return !p; }
  void Release() {
    if (p) std::exchange(p, nullptr)->Release();
  }
  void Attach(T* q) {
    Release();
    p = q;
  }
  T* Detach() { return std::exchange(p, nullptr); }
  HRESULT CopyTo(T** out) const {
    if (!out) return E_POINTER;
    *out = p;
    if (p) p->AddRef();
    return S_OK;
  }
  template <class Q>
  HRESULT QueryInterface(Q** out) const {
    return p ? p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(out)) : E_POINTER;
  }
  HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer = nullptr, DWORD ctx = CLSCTX_ALL) {
    Release();
    return ::CoCreateInstance(clsid, outer, ctx, __uuidof(T), reinterpret_cast<void**>(&p));
  }
  HRESULT CoCreateInstance(const wchar_t* progId, IUnknown* outer = nullptr,
                           DWORD ctx = CLSCTX_ALL) {
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    return FAILED(hr) ? hr : CoCreateInstance(clsid, outer, ctx);
  }
  bool IsEqualObject(IUnknown* other) const {
    CComPtr<IUnknown> a, b;
    if (p) p->QueryInterface(IUnknown::kIID, reinterpret_cast<void**>(&a));
    if (other) other->QueryInterface(IUnknown::kIID, reinterpret_cast<void**>(&b));
    return a.p == b.p;
  }

  T* p = nullptr;
};

//! A CComPtr that queries whatever interface it is given.
template <class T, const IID* piid = &__uuidof(T)>
class CComQIPtr : public CComPtr<T> {
 public:
  CComQIPtr() = default;
  CComQIPtr(T* q) : CComPtr<T>(q) {}
  CComQIPtr(IUnknown* q) {
    if (q) q->QueryInterface(*piid, reinterpret_cast<void**>(&this->p));
  }
  template <class Q>
  CComQIPtr(const CComPtr<Q>& q) : CComQIPtr(static_cast<IUnknown*>(q.p)) {}
  CComQIPtr& operator=(IUnknown* q) {
    *this = CComQIPtr(q);
    return *this;
  }
};

class CComBSTR {
 public:
  CComBSTR() = default;
  CComBSTR(const wchar_t* s) : m_str(s ? SysAllocString(s) : nullptr) {}
  CComBSTR(LPCOLESTR s) : m_str(s ? SysAllocString(s) : nullptr) {}
  CComBSTR(const char* s) : m_str(s ? comlite::bstrFromUtf8(s) : nullptr) {}
  CComBSTR(int len, const wchar_t* s) : m_str(SysAllocStringLen(s, static_cast<UINT>(len))) {}
  CComBSTR(const CComBSTR& o) : m_str(o.Copy()) {}
  CComBSTR(CComBSTR&& o) noexcept : m_str(std::exchange(o.m_str, nullptr)) {}
  ~CComBSTR() { SysFreeString(m_str); }
  CComBSTR& operator=(CComBSTR o) noexcept {
    std::swap(m_str, o.m_str);
    return *this;
  }
  CComBSTR& operator=(const wchar_t* s) { return *this = CComBSTR(s); }
  CComBSTR& operator=(const char* s) { return *this = CComBSTR(s); }
  operator BSTR() const { return m_str; }
  BSTR* operator&() { return &m_str; }
  bool operator!() const { return !m_str; }
  unsigned int Length() const { return SysStringLen(m_str); }
  unsigned int ByteLength() const { return SysStringByteLen(m_str); }
  BSTR Copy() const { return m_str ? SysAllocStringLen(m_str, SysStringLen(m_str)) : nullptr; }
  HRESULT CopyTo(BSTR* out) const {
    if (!out) return E_POINTER;
    *out = Copy();
    return !m_str || *out ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT CopyTo(VARIANT* out) const {
    if (!out) return E_POINTER;
    out->vt = VT_BSTR;
    out->bstrVal = Copy();
    return !m_str || out->bstrVal ? S_OK : E_OUTOFMEMORY;
  }
  void Attach(BSTR s) {
    SysFreeString(m_str);
    m_str = s;
  }
  BSTR Detach() { return std::exchange(m_str, nullptr); }
  void Empty() { Attach(nullptr); }
  HRESULT Append(const CComBSTR& o) { return AppendBSTR(o.m_str); }
  HRESULT Append(const wchar_t* s) { return Append(CComBSTR(s)); }
  HRESULT Append(const char* s) { return Append(CComBSTR(s)); }
  HRESULT AppendBSTR(BSTR s) {
    std::u16string t(comlite::bstrView(m_str));
    t += comlite::bstrView(s);
    BSTR n = comlite::bstrFromUtf16(t);
    if (!n) return E_OUTOFMEMORY;
    Attach(n);
    return S_OK;
  }
  CComBSTR& operator+=(const CComBSTR& o) {
    Append(o);
    return *this;
  }
  bool operator==(const CComBSTR& o) const {
    return comlite::bstrView(m_str) == comlite::bstrView(o.m_str);
  }
  bool operator==(const wchar_t* s) const { return *this == CComBSTR(s); }
  bool operator!=(const wchar_t* s) const { return !(*this == s); }
  HRESULT ToLower() {
    for (UINT i = 0; i < Length(); ++i)
      if (m_str[i] >= u'A' && m_str[i] <= u'Z') m_str[i] = char16_t(m_str[i] + 32);
    return S_OK;
  }

  BSTR m_str = nullptr;
};

class CComVariant : public VARIANT {
 public:
  CComVariant() { VariantInit(this); }
  CComVariant(const VARIANT& v) {
    VariantInit(this);
    VariantCopy(this, &v);
  }
  CComVariant(const CComVariant& v) : CComVariant(static_cast<const VARIANT&>(v)) {}
  CComVariant(double d) {
    VariantInit(this);
    vt = VT_R8;
    dblVal = d;
  }
  CComVariant(LONG l, VARTYPE type = VT_I4) {
    VariantInit(this);
    vt = type == VT_ERROR ? VT_ERROR : VT_I4;
    lVal = l;
  }
  CComVariant(short s) {
    VariantInit(this);
    vt = VT_I2;
    iVal = s;
  }
  CComVariant(bool b) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  }
  CComVariant(LPCOLESTR s) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocString(s);
  }
  CComVariant(const wchar_t* s) : CComVariant(coravl_win::ole(s)) {}
  CComVariant(const char* s) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = comlite::bstrFromUtf8(s);
  }
  CComVariant(const CComBSTR& s) : CComVariant(static_cast<LPCOLESTR>(s.m_str)) {}
  CComVariant(IDispatch* p) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = p;
    if (p) p->AddRef();
  }
  //! Takes a copy of the array.
  CComVariant(const SAFEARRAY* psa) {
    VariantInit(this);
    VARTYPE t = VT_EMPTY;
    SAFEARRAY* copy = nullptr;
    if (psa && SUCCEEDED(SafeArrayGetVartype(const_cast<SAFEARRAY*>(psa), &t)) &&
        SUCCEEDED(SafeArrayCopy(const_cast<SAFEARRAY*>(psa), &copy))) {
      vt = static_cast<VARTYPE>(VT_ARRAY | t);
      parray = copy;
    }
  }
  ~CComVariant() { VariantClear(this); }
  CComVariant& operator=(const CComVariant& v) {
    if (this != &v) VariantCopy(this, &v);
    return *this;
  }
  CComVariant& operator=(const VARIANT& v) {
    VariantCopy(this, &v);
    return *this;
  }
  HRESULT Clear() { return VariantClear(this); }
  HRESULT Copy(const VARIANT* src) { return VariantCopy(this, src); }
  HRESULT CopyTo(VARIANT* out) const {
    if (!out) return E_POINTER;
    VariantInit(out);
    return VariantCopy(out, this);
  }
  HRESULT Attach(VARIANT* src) {
    if (!src) return E_INVALIDARG;
    Clear();
    *static_cast<VARIANT*>(this) = *src;
    src->vt = VT_EMPTY;
    return S_OK;
  }
  HRESULT Detach(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantClear(out);
    *out = *this;
    vt = VT_EMPTY;
    return S_OK;
  }
  HRESULT ChangeType(VARTYPE type, const VARIANT* src = nullptr) {
    return VariantChangeType(this, src ? src : this, 0, type);
  }
};

namespace coravl_win __attribute__((visibility("hidden"))) {
  template <class T>
  struct SafeArrayType;
  template <>
  struct SafeArrayType<double> {
    static constexpr VARTYPE vt = VT_R8;
  };
  template <>
  struct SafeArrayType<LONG> {
    static constexpr VARTYPE vt = VT_I4;
  };
  template <>
  struct SafeArrayType<BSTR> {
    static constexpr VARTYPE vt = VT_BSTR;
  };
  template <>
  struct SafeArrayType<VARIANT> {
    static constexpr VARTYPE vt = VT_VARIANT;
  };
  template <>
  struct SafeArrayType<VARIANT_BOOL> {
    static constexpr VARTYPE vt = VT_BOOL;
  };
}  // namespace )

//! A one-dimensional safe array of double, LONG, BSTR, VARIANT or VARIANT_BOOL.
template <class T>
class CComSafeArray {
  static constexpr VARTYPE kVt = coravl_win::SafeArrayType<T>::vt;

 public:
  CComSafeArray() = default;
  explicit CComSafeArray(ULONG count, LONG lowerBound = 0) { Create(count, lowerBound); }
  CComSafeArray(const SAFEARRAY* psa) { CopyFrom(psa); }
  CComSafeArray(const CComSafeArray& o) { CopyFrom(o.m_psa); }
  ~CComSafeArray() { Destroy(); }
  CComSafeArray& operator=(const CComSafeArray& o) {
    if (this != &o) CopyFrom(o.m_psa);
    return *this;
  }

  HRESULT Create(ULONG count = 0, LONG lowerBound = 0) {
    Destroy();
    m_psa = SafeArrayCreateVector(kVt, lowerBound, count);
    return m_psa ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT Destroy() {
    HRESULT hr = S_OK;
    if (m_psa) hr = SafeArrayDestroy(std::exchange(m_psa, nullptr));
    return hr;
  }
  //! Takes `psa` over; E_INVALIDARG when its element type is not T's.
  HRESULT Attach(SAFEARRAY* psa) {
    VARTYPE t = VT_EMPTY;
    if (!psa || FAILED(SafeArrayGetVartype(psa, &t)) || t != kVt) return E_INVALIDARG;
    Destroy();
    m_psa = psa;
    return S_OK;
  }
  SAFEARRAY* Detach() { return std::exchange(m_psa, nullptr); }
  HRESULT CopyFrom(const SAFEARRAY* psa) {
    Destroy();
    if (!psa) return S_OK;
    SAFEARRAY* copy = nullptr;
    const HRESULT hr = SafeArrayCopy(const_cast<SAFEARRAY*>(psa), &copy);
    if (FAILED(hr)) return hr;
    const HRESULT a = Attach(copy);
    if (FAILED(a)) SafeArrayDestroy(copy);
    return a;
  }
  HRESULT CopyTo(SAFEARRAY** out) const {
    if (!out) return E_POINTER;
    return SafeArrayCopy(m_psa, out);
  }
  ULONG GetCount() const { return m_psa ? comlite::safeArrayCount(m_psa) : 0; }
  LONG GetLowerBound() const {
    LONG l = 0;
    if (m_psa) SafeArrayGetLBound(m_psa, 1, &l);
    return l;
  }
  LONG GetUpperBound() const {
    LONG u = -1;
    if (m_psa) SafeArrayGetUBound(m_psa, 1, &u);
    return u;
  }
  //! The element at `index` (counted from the lower bound, as the original does).
  T& GetAt(LONG index) const {
    void* p = nullptr;
    const LONG i = index;
    SafeArrayPtrOfIndex(m_psa, &i, &p);
    return *static_cast<T*>(p);
  }
  T& operator[](LONG index) const { return GetAt(index); }
  //! Stores a copy of `value` (BSTR and VARIANT values are copied unless fCopy is false).
  HRESULT SetAt(LONG index, const T& value, bool fCopy = true) {
    void* p = nullptr;
    const LONG i = index;
    HRESULT hr = SafeArrayPtrOfIndex(m_psa, &i, &p);
    if (FAILED(hr)) return hr;
    T& slot = *static_cast<T*>(p);
    if constexpr (kVt == VT_BSTR) {
      SysFreeString(slot);
      slot = fCopy && value ? SysAllocStringLen(value, SysStringLen(value)) : value;
    } else if constexpr (kVt == VT_VARIANT) {
      if (fCopy) return VariantCopy(&slot, &value);
      VariantClear(&slot);
      slot = value;
    } else {
      slot = value;
    }
    return S_OK;
  }
  HRESULT Add(const T& value, bool fCopy = true) {
    const ULONG n = GetCount();
    if (!m_psa) {
      const HRESULT hr = Create(0);
      if (FAILED(hr)) return hr;
    }
    SAFEARRAYBOUND bound{n + 1, GetLowerBound()};
    const HRESULT hr = SafeArrayRedim(m_psa, &bound);
    return FAILED(hr) ? hr : SetAt(GetLowerBound() + static_cast<LONG>(n), value, fCopy);
  }
  HRESULT Resize(ULONG count, LONG lowerBound = 0) {
    if (!m_psa) return Create(count, lowerBound);
    SAFEARRAYBOUND bound{count, lowerBound};
    return SafeArrayRedim(m_psa, &bound);
  }
  operator SAFEARRAY*() const { return m_psa; }
  SAFEARRAY** GetSafeArrayPtr() { return &m_psa; }

  SAFEARRAY* m_psa = nullptr;
};
