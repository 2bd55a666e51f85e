#pragma once
//! Automation strings (BSTR) and UTF-8 / UTF-16 conversion.
//!
//! Layout of one block (same as Windows):
//!   [uint32 byte length][UTF-16 characters ...][uint16 0]
//!                        ^ the BSTR points here
//! The prefix counts bytes, not characters, and excludes the terminator. Embedded zeros are
//! allowed; the terminator is always present so a BSTR is also a valid C string of char16_t.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "comlite/types.h"

//! Allocates a copy of the zero-terminated `s`. Returns nullptr when `s` is nullptr or on
//! allocation failure. The caller frees the result with SysFreeString.
BSTR SysAllocString(const OLECHAR* s);
//! Allocates `len` characters copied from `s` (or zero-filled when `s` is nullptr).
BSTR SysAllocStringLen(const OLECHAR* s, UINT len);
//! Allocates a block of `len` bytes copied from `s`, zero-filled when `s` is nullptr.
BSTR SysAllocStringByteLen(const char* s, UINT len);
//! Frees a BSTR. `s` may be nullptr, in which case nothing happens.
void SysFreeString(BSTR s);
//! Replaces `*pbstr` by a copy of `s`. Returns FALSE_ (and leaves `*pbstr`) on failure.
BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* s);
//! Replaces `*pbstr` by `len` characters of `s`.
BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* s, UINT len);
//! Length in characters; 0 for nullptr.
UINT SysStringLen(BSTR s);
//! Length in bytes; 0 for nullptr.
UINT SysStringByteLen(BSTR s);

namespace comlite {

//! UTF-8 to UTF-16. Invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view s);
//! UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view s);
//! The characters of a BSTR (nullptr reads as empty); inline, as every compare of names starts
//! with it. Reads the length prefix of the layout above.
inline std::u16string_view bstrView(BSTR s) {
  if (!s) return {};
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const char*>(s) - sizeof bytes, sizeof bytes);
  return {s, bytes / sizeof(char16_t)};
}
//! Whether two UTF-16 texts are the same, unit for unit: equality alone, which compares the
//! bytes faster than the ordering of char16_t would.
inline bool sameUnits(std::u16string_view a, std::u16string_view b) {
  // The first unit tells most names apart without a call.
  return a.size() == b.size() &&
         (a.empty() ||
          (a[0] == b[0] && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0));
}
//! A BSTR's text as UTF-8 (nullptr reads as empty).
std::string bstrToUtf8(BSTR s);
//! A new BSTR holding `s`; the caller frees it. Returns nullptr only on allocation failure.
BSTR bstrFromUtf8(std::string_view s);
//! A new BSTR holding `s`; the caller frees it.
BSTR bstrFromUtf16(std::u16string_view s);

//! Owning BSTR holder: frees on destruction, deep-copies on copy.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8) : m_s(bstrFromUtf8(utf8)) {}
  explicit Bstr(std::u16string_view utf16) : m_s(bstrFromUtf16(utf16)) {}
  Bstr(const char* utf8) : Bstr(std::string_view(utf8 ? utf8 : "")) {}
  Bstr(const Bstr& o) : m_s(o.m_s ? SysAllocStringLen(o.m_s, SysStringLen(o.m_s)) : nullptr) {}
  Bstr(Bstr&& o) noexcept : m_s(o.m_s) { o.m_s = nullptr; }
  Bstr& operator=(Bstr o) noexcept {
    std::swap(m_s, o.m_s);
    return *this;
  }
  ~Bstr() { SysFreeString(m_s); }

  //! Takes ownership of `s`.
  static Bstr attach(BSTR s) {
    Bstr b;
    b.m_s = s;
    return b;
  }
  //! Gives up ownership; the caller frees the result.
  BSTR detach() {
    BSTR s = m_s;
    m_s = nullptr;
    return s;
  }
  //! Frees the current string and returns the slot for an [out] parameter.
  BSTR* out() {
    SysFreeString(m_s);
    m_s = nullptr;
    return &m_s;
  }
  BSTR get() const { return m_s; }
  //! A new copy for an [out] parameter; the receiver frees it.
  BSTR copy() const { return m_s ? SysAllocStringLen(m_s, SysStringLen(m_s)) : nullptr; }
  UINT length() const { return SysStringLen(m_s); }
  bool empty() const { return length() == 0; }
  std::string utf8() const { return bstrToUtf8(m_s); }
  std::u16string_view view() const { return bstrView(m_s); }

 private:
  BSTR m_s = nullptr;
};

}  // namespace comlite
