#include "comlite/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "comlite/block_cache.h"

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);

//! Allocates a block for `bytes` bytes of characters plus prefix and a two-byte terminator.
BSTR allocBlock(std::size_t bytes) {
  // Overflow check before allocating: the prefix stores the byte length in 32 bits.
  if (bytes > std::numeric_limits<std::uint32_t>::max() - kPrefix - 2) return nullptr;
  auto* block = static_cast<char*>(comlite::detail::allocBlock(kPrefix + bytes + 2));
  if (!block) return nullptr;
  const auto len = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &len, kPrefix);
  std::memset(block + kPrefix + bytes, 0, 2);
  return reinterpret_cast<BSTR>(block + kPrefix);
}

std::size_t wcsLength(const OLECHAR* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* s) {
  if (!s) return nullptr;
  return SysAllocStringLen(s, static_cast<UINT>(wcsLength(s)));
}

BSTR SysAllocStringLen(const OLECHAR* s, UINT len) {
  BSTR b = allocBlock(std::size_t(len) * sizeof(OLECHAR));
  if (!b) return nullptr;
  if (s)
    std::memcpy(b, s, std::size_t(len) * sizeof(OLECHAR));
  else
    std::memset(b, 0, std::size_t(len) * sizeof(OLECHAR));
  return b;
}

BSTR SysAllocStringByteLen(const char* s, UINT len) {
  BSTR b = allocBlock(len);
  if (!b) return nullptr;
  auto* bytes = reinterpret_cast<char*>(b);
  if (s)
    std::memcpy(bytes, s, len);
  else
    std::memset(bytes, 0, len);
  // An odd byte length leaves one extra zero byte before the terminator.
  return b;
}

void SysFreeString(BSTR s) {
  if (!s) return;
  comlite::detail::freeBlock(reinterpret_cast<char*>(s) - kPrefix);
}

BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* s) {
  if (!pbstr) return FALSE_;
  if (!s) {
    SysFreeString(*pbstr);
    *pbstr = nullptr;
    return TRUE_;
  }
  return SysReAllocStringLen(pbstr, s, static_cast<UINT>(wcsLength(s)));
}

BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* s, UINT len) {
  if (!pbstr) return FALSE_;
  // Copy first: `s` may point into the old string.
  BSTR fresh = SysAllocStringLen(s, len);
  if (!fresh) return FALSE_;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return TRUE_;
}

UINT SysStringByteLen(BSTR s) {
  if (!s) return 0;
  std::uint32_t len;
  std::memcpy(&len, reinterpret_cast<char*>(s) - kPrefix, kPrefix);
  return len;
}

UINT SysStringLen(BSTR s) {
  return SysStringByteLen(s) / sizeof(OLECHAR);
}

namespace comlite {

namespace {

//! Identifiers and labels are ASCII: they convert one unit for one.
bool isAscii(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool isAscii(std::u16string_view s) {
  for (const char16_t c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view s) {
  if (isAscii(s)) return std::u16string(s.begin(), s.end());
  std::u16string out;
  out.reserve(s.size());
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned char c = p[i];
    char32_t cp = 0xFFFD;
    std::size_t extra = 0;
    char32_t min = 0;
    if (c < 0x80) {
      cp = c;
    } else if (c == 0xC0 || c == 0xC1 || c >= 0xF5) {
      // Never valid as a lead byte: each such byte is replaced on its own.
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F, extra = 1, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F, extra = 2, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07, extra = 3, min = 0x10000;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    std::size_t j = 1;
    for (; j <= extra; ++j) {
      if (i + j >= n || (p[i + j] & 0xC0) != 0x80) break;
      cp = (cp << 6) | (p[i + j] & 0x3F);
    }
    if (j <= extra || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
      i += j;
      continue;
    }
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
  if (isAscii(s)) {
    std::string ascii(s.size(), '\0');
    for (std::size_t i = 0; i < s.size(); ++i) ascii[i] = static_cast<char>(s[i]);
    return ascii;
  }
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string bstrToUtf8(BSTR s) {
  return utf16ToUtf8(bstrView(s));
}

BSTR bstrFromUtf16(std::u16string_view s) {
  return SysAllocStringLen(s.empty() ? u"" : s.data(), static_cast<UINT>(s.size()));
}

BSTR bstrFromUtf8(std::string_view s) {
  if (isAscii(s)) {
    // Straight into the string's block, without a wide copy in between.
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(s.size()));
    if (b)
      for (std::size_t i = 0; i < s.size(); ++i) b[i] = static_cast<unsigned char>(s[i]);
    return b;
  }
  return bstrFromUtf16(utf8ToUtf16(s));
}

}  // namespace comlite
