#pragma once
//! The Windows COM and automation programming surface on comlite, for package sources written
//! for Windows. Compile with -fshort-wchar: wchar_t is then 16 bits, as OLECHAR is, and L"..."
//! literals convert to OLECHAR strings with the casts these headers hide.
//!
//! BSTR stays comlite's (char16_t*): the CAPE-OPEN interfaces use it. Where Windows code hands a
//! wchar_t* to a BSTR / LPOLESTR the overloads below convert; a raw L"..." passed straight to a
//! BSTR parameter does not compile and must be wrapped (_bstr_t, CComBSTR).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <type_traits>

#include "comlite/bstr.h"
#include "comlite/creation.h"
#include "comlite/dispatch.h"
#include "comlite/error_info.h"
#include "comlite/guid.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "comlite/types.h"
#include "comlite/unknown.h"
#include "comlite/variant.h"

static_assert(sizeof(wchar_t) == sizeof(OLECHAR),
              "compile Windows-style sources with -fshort-wchar");

// Calling conventions and declaration decorations have no meaning here.
#define __stdcall
#define __cdecl
#define WINAPI
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE
#define ATL_NO_VTABLE
#define DECLSPEC_NOVTABLE
#define __RPC_FAR
#ifndef interface
#define interface struct
#endif

#define STDMETHOD(method) virtual HRESULT method
#define STDMETHOD_(type, method) virtual type method
#define STDMETHODIMP HRESULT
#define STDMETHODIMP_(type) type
#define STDAPI extern "C" __attribute__((visibility("default"))) HRESULT
#define STDAPI_(type) extern "C" __attribute__((visibility("default"))) type
#define PURE = 0
#define EXTERN_C extern "C"
#define THIS_
#define THIS void

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

using WCHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using TCHAR = char;  // no UNICODE build: TCHAR text is narrow, as _com_error::ErrorMessage's
using LPTSTR = char*;
using LPCTSTR = const char*;
using LPVOID = void*;
using PVOID = void*;
using HINSTANCE = void*;
using HMODULE = void*;
using LPUNKNOWN = IUnknown*;
using LPDISPATCH = IDispatch*;
using LPSAFEARRAY = SAFEARRAY*;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using FLOAT = float;
using DOUBLE = double;
using BOOLEAN = BYTE;
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
#ifndef _T
#define _T(x) x
#define _TEXT(x) x
#define TEXT(x) x
#endif

// HRESULT macros beside comlite's SUCCEEDED / FAILED.
#define SEVERITY_SUCCESS 0
#define SEVERITY_ERROR 1
#define FACILITY_ITF 4
#define FACILITY_WIN32 7
#define MAKE_HRESULT(sev, fac, code) \
  ((HRESULT)(((unsigned long)(sev) << 31) | ((unsigned long)(fac) << 16) | ((unsigned long)(code))))
#define MAKE_SCODE(sev, fac, code) MAKE_HRESULT(sev, fac, code)
#define HRESULT_CODE(hr) ((hr)&0xFFFF)
#define SCODE_CODE(sc) ((sc)&0xFFFF)
#define HRESULT_FACILITY(hr) (((hr) >> 16) & 0x1fff)
#define HRESULT_SEVERITY(hr) (((hr) >> 31) & 0x1)
#define IS_ERROR(hr) ((unsigned long)(hr) >> 31 == SEVERITY_ERROR)
inline HRESULT HRESULT_FROM_WIN32(unsigned long x) {
  return static_cast<HRESULT>(x) <= 0
             ? static_cast<HRESULT>(x)
             : static_cast<HRESULT>((x & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}
#ifndef NOERROR
#define NOERROR 0
#endif
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_DATA 13L

namespace coravl_win __attribute__((visibility("hidden"))) {

  inline const OLECHAR* ole(const wchar_t* s) {
    return reinterpret_cast<const OLECHAR*>(s);
  }
  inline OLECHAR* ole(wchar_t * s) {
    return reinterpret_cast<OLECHAR*>(s);
  }
  inline const wchar_t* wide(const OLECHAR* s) {
    return reinterpret_cast<const wchar_t*>(s);
  }
  inline wchar_t* wide(OLECHAR * s) {
    return reinterpret_cast<wchar_t*>(s);
  }

  //! The IID of an interface (its kIID) or of a class declared with CORAVL_DECLARE_UUID.
  template <class T>
  struct UuidOf {
    static constexpr GUID value = T::kIID;
  };

  //! A read-only 16-bit wide string argument: wchar_t*, OLECHAR* (BSTR) or a wrapper that converts
  //! to one (_bstr_t, CComBSTR), as Windows code mixes them freely.
  struct WStr {
    const wchar_t* p;
    WStr(const wchar_t* s) : p(s) {}
    WStr(const char16_t* s) : p(reinterpret_cast<const wchar_t*>(s)) {}
    template <class S>
    requires(!std::is_pointer_v<S> && std::is_convertible_v<const S&, const wchar_t*>)
        WStr(const S& s)
        : p(static_cast<const wchar_t*>(s)) {}
    template <class S>
    requires(!std::is_pointer_v<S> && !std::is_convertible_v<const S&, const wchar_t*> &&
             std::is_convertible_v<const S&, BSTR>) WStr(const S& s)
        : p(reinterpret_cast<const wchar_t*>(static_cast<BSTR>(s))) {}
  };

  // 16-bit wide-string functions: the C library's work on 32-bit wchar_t and cannot be used.
  // A null string reads as empty, as BSTR code expects.
  inline std::size_t wide_wcslen(WStr s) {
    std::size_t n = 0;
    while (s.p && s.p[n]) ++n;
    return n;
  }
  inline int wide_wcsncmp(WStr x, WStr y, std::size_t n) {
    const wchar_t* a = x.p ? x.p : L"";
    const wchar_t* b = y.p ? y.p : L"";
    for (std::size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
      if (!a[i]) return 0;
    }
    return 0;
  }
  inline int wide_wcscmp(WStr a, WStr b) {
    return wide_wcsncmp(a, b, std::size_t(-1));
  }
  inline wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c;
  }
  inline int wide_wcsnicmp(WStr x, WStr y, std::size_t n) {
    const wchar_t* a = x.p ? x.p : L"";
    const wchar_t* b = y.p ? y.p : L"";
    for (std::size_t i = 0; i < n; ++i) {
      const wchar_t u = lowerAscii(a[i]), v = lowerAscii(b[i]);
      if (u != v) return u < v ? -1 : 1;
      if (!u) return 0;
    }
    return 0;
  }
  inline int wide_wcsicmp(WStr a, WStr b) {
    return wide_wcsnicmp(a, b, std::size_t(-1));
  }
  inline wchar_t* wide_wcscpy(wchar_t * d, WStr from) {
    const wchar_t* s = from.p;
    std::size_t i = 0;
    for (; s[i]; ++i) d[i] = s[i];
    d[i] = 0;
    return d;
  }
  inline wchar_t* wide_wcsncpy(wchar_t * d, WStr from, std::size_t n) {
    const wchar_t* s = from.p;
    std::size_t i = 0;
    for (; i < n && s[i]; ++i) d[i] = s[i];
    for (; i < n; ++i) d[i] = 0;
    return d;
  }
  inline wchar_t* wide_wcscat(wchar_t * d, WStr s) {
    return wide_wcscpy(d + wide_wcslen(d), s);
  }
  inline const wchar_t* wide_wcschr(const wchar_t* s, wchar_t c) {
    for (;; ++s) {
      if (*s == c) return s;
      if (!*s) return nullptr;
    }
  }
  inline const wchar_t* wide_wcsstr(const wchar_t* h, WStr n) {
    const std::size_t len = wide_wcslen(n);
    for (; *h; ++h)
      if (wide_wcsncmp(h, n, len) == 0) return h;
    return len == 0 ? h : nullptr;
  }
  inline wchar_t* wide_wcsdup(WStr s) {
    const std::size_t n = wide_wcslen(s) + 1;
    auto* d = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
    if (d) std::memcpy(d, s.p ? s.p : L"", n * sizeof(wchar_t));
    return d;
  }
  //! UTF-8 of a 16-bit wide string, and back.
  inline std::string narrow(WStr s) {
    return s.p ? comlite::utf16ToUtf8(std::u16string_view(ole(s.p), wide_wcslen(s)))
               : std::string();
  }
  inline std::u16string widen(const char* s) {
    return comlite::utf8ToUtf16(s ? s : "");
  }
  inline double wide_wcstod(const wchar_t* s, wchar_t** end) {
    const std::string n = narrow(s);
    char* e = nullptr;
    const double v = std::strtod(n.c_str(), &e);
    if (end) *end = const_cast<wchar_t*>(s) + (e - n.c_str());  // ASCII digits: one unit each
    return v;
  }
  inline long wide_wcstol(const wchar_t* s, wchar_t** end, int base) {
    const std::string n = narrow(s);
    char* e = nullptr;
    const long v = std::strtol(n.c_str(), &e, base);
    if (end) *end = const_cast<wchar_t*>(s) + (e - n.c_str());
    return v;
  }
  //! swprintf over the narrow formatter: the format's %s / %ls take 16-bit wide strings.
  template <class... Args>
  int wide_swprintf(wchar_t * buffer, std::size_t count, const wchar_t* format, Args... args) {
    std::string f = narrow(format);
    for (std::size_t p = 0; (p = f.find("%ls", p)) != std::string::npos;) f.erase(p + 1, 1);
    std::string narrowArgs[sizeof...(Args) + 1];
    std::size_t k = 0;
    auto conv = [&](auto a) {
      if constexpr (std::is_same_v<decltype(a), const wchar_t*> ||
                    std::is_same_v<decltype(a), wchar_t*>) {
        narrowArgs[k] = narrow(a);
        return narrowArgs[k++].c_str();
      } else {
        return a;
      }
    };
    char out[1024];
    std::snprintf(out, sizeof out, f.c_str(), conv(args)...);
    const std::u16string w = widen(out);
    const std::size_t n = w.size() < count ? w.size() : (count ? count - 1 : 0);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<wchar_t>(w[i]);
    if (count) buffer[n] = 0;
    return static_cast<int>(n);
  }

}  // namespace )

// The wide-string names Windows sources call, on the 16-bit implementations.
#define wcslen ::coravl_win::wide_wcslen
#define wcscmp ::coravl_win::wide_wcscmp
#define wcsncmp ::coravl_win::wide_wcsncmp
#define wcscpy ::coravl_win::wide_wcscpy
#define wcsncpy ::coravl_win::wide_wcsncpy
#define wcscat ::coravl_win::wide_wcscat
#define wcschr ::coravl_win::wide_wcschr
#define wcsstr ::coravl_win::wide_wcsstr
#define wcstod ::coravl_win::wide_wcstod
#define wcstol ::coravl_win::wide_wcstol
#define swprintf ::coravl_win::wide_swprintf
#define _wcsicmp ::coravl_win::wide_wcsicmp
#define wcsicmp ::coravl_win::wide_wcsicmp
#define _wcsnicmp ::coravl_win::wide_wcsnicmp
#define _wcsdup ::coravl_win::wide_wcsdup
#define lstrlenW(s) static_cast<int>(::coravl_win::wide_wcslen(s))
#define lstrcmpiW ::coravl_win::wide_wcsicmp
#define _stricmp strcasecmp
#define _strnicmp strncasecmp

//! __uuidof(T) for interfaces (and classes given an id by CORAVL_DECLARE_UUID); an lvalue, so
//! &__uuidof(T) works.
#define __uuidof(T) (::coravl_win::UuidOf<T>::value)
//! Stands in for `class __declspec(uuid("...")) T`: gives T an id for __uuidof.
#define CORAVL_DECLARE_UUID(T, text)                         \
  template <>                                                \
  struct coravl_win::UuidOf<T> {                             \
    static constexpr GUID value = ::comlite::makeGuid(text); \
  }
#define __declspec(x)

// Automation functions taking the 16-bit wchar_t strings Windows code passes.
inline BSTR SysAllocString(const wchar_t* s) {
  return SysAllocString(coravl_win::ole(s));
}
inline BSTR SysAllocStringLen(const wchar_t* s, UINT n) {
  return SysAllocStringLen(coravl_win::ole(s), n);
}
inline BOOL SysReAllocString(BSTR* p, const wchar_t* s) {
  return SysReAllocString(p, coravl_win::ole(s));
}
inline HRESULT CLSIDFromProgID(const wchar_t* progId, CLSID* clsid) {
  return CLSIDFromProgID(coravl_win::ole(progId), clsid);
}
inline HRESULT CLSIDFromString(const wchar_t* text, CLSID* clsid) {
  return CLSIDFromString(coravl_win::ole(text), clsid);
}
inline int StringFromGUID2(REFGUID g, wchar_t* buffer, int cch) {
  return StringFromGUID2(g, coravl_win::ole(buffer), cch);
}
#define InlineIsEqualGUID IsEqualGUID
inline constexpr CLSID CLSID_NULL = GUID_NULL;
inline constexpr IID IID_NULL = GUID_NULL;
