//! Text conversions and parsers on arbitrary bytes: UTF-8 to UTF-16 and back, GUIDs, names.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/name_compare.h"
#include "comlite/bstr.h"
#include "comlite/guid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = comlite::utf8ToUtf16(bytes);
  const std::string narrow = comlite::utf16ToUtf8(wide);
  // Re-encoding a decoded text is stable: invalid input was replaced once, not again.
  if (comlite::utf8ToUtf16(narrow) != wide) std::abort();
  // Arbitrary UTF-16 (the bytes read as code units) always encodes.
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  comlite::Bstr b(units);
  if (b.length() != units.size()) std::abort();
  (void)comlite::utf16ToUtf8(units);

  if (auto g = comlite::parseGuid(bytes)) {
    if (comlite::parseGuid(comlite::guidToString(*g)) != g) std::abort();
  }
  if (!Utils::namesEqual(bytes.c_str(), bytes.c_str())) std::abort();
  return 0;
}
