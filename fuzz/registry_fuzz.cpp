//! The class registry parser on arbitrary text: it never crashes, and whatever it accepts it
//! writes back in a form that parses to the same content.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "comlite/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  comlite::registry::Data parsed;
  std::string error;
  if (!parsed.parse(text, "fuzz", error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string once = parsed.serialize();
  comlite::registry::Data again;
  if (!again.parse(once, "fuzz", error)) std::abort();
  if (again.serialize() != once) std::abort();
  return 0;
}
