#pragma once
//! GUID / IID / CLSID, their text forms and a compile-time parser.
//!
//! Registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex, as Windows writes it.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "comlite/types.h"

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    // As two words: every QueryInterface compares a few.
    using Words = std::array<std::uint64_t, 2>;
    const auto x = std::bit_cast<Words>(a), y = std::bit_cast<Words>(b);
    return x[0] == y[0] && x[1] == y[1];
  }
};

using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
  return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
  return a == b;
}

namespace comlite {

namespace detail {
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace detail

//! Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces.
//! Returns nullopt for anything else (wrong length, misplaced dash, non-hex digit).
constexpr std::optional<GUID> parseGuid(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return std::nullopt;
  std::uint8_t bytes[16] = {};
  int b = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '-') {
      ++i;
      continue;
    }
    int hi = detail::hexDigit(text[i]);
    int lo = detail::hexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[b++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  GUID g{};
  g.Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
            (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
  g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

//! Compile-time GUID from its text; a malformed literal fails to compile.
consteval GUID makeGuid(std::string_view text) {
  auto g = parseGuid(text);
  if (!g) throw "malformed GUID literal";
  return *g;
}

//! Registry form with braces, upper-case hex.
std::string guidToString(const GUID& g);

//! A fresh random (version 4) GUID.
GUID newGuid();

}  // namespace comlite

template <>
struct std::hash<GUID> {
  std::size_t operator()(const GUID& g) const noexcept {
    std::size_t h = g.Data1;
    h = h * 1000003u ^ g.Data2;
    h = h * 1000003u ^ g.Data3;
    for (auto b : g.Data4) h = h * 131u ^ b;
    return h;
  }
};
