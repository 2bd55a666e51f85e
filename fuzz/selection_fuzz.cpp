//! The adapter's selection file on arbitrary text: a selection or a refusal that names the
//! file, never a crash; an accepted selection always names a package.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "capeside/selection_file.h"
#include "capeside/support/cape_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const capeside::Selection s = capeside::parseSelection(text, "selection.txt");
    if (s.package.empty() || s.alias.empty()) std::abort();
  } catch (const capeside::CapeError& e) {
    if (std::string(e.what()).empty()) std::abort();
  }
  return 0;
}
