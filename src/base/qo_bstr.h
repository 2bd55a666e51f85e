#pragma once
//! CQoBSTR: an owning automation (wide) string with value semantics.
//!
//! It holds one BSTR, freed on destruction and deep-copied on copy. Narrow text is UTF-8.
//! Equality is name equality (ASCII case ignored, see name_compare.h).

#include <string>
#include <string_view>

#include "comlite/types.h"

class CQoBSTR {
 public:
  CQoBSTR() = default;
  //! From narrow (UTF-8) text; null reads as empty.
  CQoBSTR(const char* narrow);
  CQoBSTR(std::string_view narrow);
  CQoBSTR(const std::string& narrow) : CQoBSTR(std::string_view(narrow)) {}
  //! From a wide string (a BSTR or any zero-terminated text); null reads as empty. The text is
  //! copied.
  CQoBSTR(const OLECHAR* wide);
  CQoBSTR(std::u16string_view wide);
  //! Numbers: "%d", "%ld", "%lld" and "%f" (six decimals).
  explicit CQoBSTR(int value);
  explicit CQoBSTR(long value);
  explicit CQoBSTR(long long value);
  explicit CQoBSTR(double value);

  CQoBSTR(const CQoBSTR& other);
  CQoBSTR(CQoBSTR&& other) noexcept;
  CQoBSTR& operator=(CQoBSTR other) noexcept;
  ~CQoBSTR();

  //! Takes ownership of `s` (which the caller must not free any more).
  static CQoBSTR attach(BSTR s);
  //! Gives up ownership; the caller frees the result with SysFreeString.
  BSTR detach();
  //! A new copy for an [out] parameter; the receiver frees it. Never null unless allocation
  //! fails.
  BSTR copy() const;
  //! Frees the current string and returns the slot for an [out] parameter.
  BSTR* out();
  //! The owned string (may be null when empty); do not free it.
  BSTR get() const { return m_s; }

  //! Appends text or a number (formatted as the matching constructor does).
  CQoBSTR& append(const CQoBSTR& other);
  CQoBSTR& append(const char* narrow);
  CQoBSTR& append(const OLECHAR* wide);
  CQoBSTR& append(int value);
  CQoBSTR& append(long value);
  CQoBSTR& append(long long value);
  CQoBSTR& append(double value);
  CQoBSTR& operator+=(const CQoBSTR& other) { return append(other); }

  //! Name equality.
  bool operator==(const CQoBSTR& other) const;
  bool equals(const OLECHAR* wide) const;
  bool equals(const char* narrow) const;

  UINT length() const;
  bool empty() const { return length() == 0; }
  //! The text as UTF-8.
  std::string narrow() const;
  std::u16string_view view() const;

 private:
  void appendWide(std::u16string_view text);

  BSTR m_s = nullptr;
};
