//! The host driver's case files on arbitrary text: commands or a refusal naming the line,
//! never a crash; numbers and name lists of every command parse or are refused the same way.

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "case_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  using namespace coravl::driver;
  try {
    for (const Command& c : parseCase(text, "case")) {
      if (c.line < 1 || c.verb.empty()) std::abort();
      for (const auto& [key, value] : c.named) {
        try {
          (void)parseNumbers(value);
        } catch (const std::runtime_error&) {
        }
        (void)parseNames(value);
      }
    }
  } catch (const std::runtime_error& e) {
    if (std::string(e.what()).find("case:") != 0) std::abort();
  }
  return 0;
}
