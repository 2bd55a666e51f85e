//! The persisted option records (a saved case read back) and the "key = value" settings files
//! on arbitrary input: never a crash; accepted records write back to the same records.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "capeside/support/cape_error.h"
#include "capeside/support/option_records.h"
#include "capeside/support/settings_text.h"
#include "comlite/bstr.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = comlite::utf8ToUtf16(bytes);
  if (auto records = capeside::parseRecords(text)) {
    std::u16string rebuilt;
    for (auto& [key, value] : *records) capeside::appendRecord(rebuilt, key, value);
    auto again = capeside::parseRecords(rebuilt);
    if (!again || *again != *records) std::abort();
    if (!records->empty() && !capeside::findRecord(text, records->front().first)) std::abort();
  }
  try {
    for (const auto& s : capeside::parseSettings(bytes, "fuzz", "fuzz")) {
      if (s.key.empty() || s.line < 1) std::abort();
      (void)capeside::parseFlag(s.value);
      (void)capeside::splitList(s.value);
    }
  } catch (const capeside::CapeError&) {
    // A malformed line is refused with its file and line: expected.
  }
  return 0;
}
