//! A saved case's text as PkgRecall reads it, on arbitrary input: both recall steps never crash
//! and leave every option a boolean.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "comlite/bstr.h"
#include "reporter/complaint.h"
#include "setup/package_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = comlite::utf8ToUtf16(bytes);
  coravl::setup::ComponentOptions component;
  RoutingFlags routing;
  coravl::setup::recallOptionsBeforeInit(text, component, routing);
  (void)coravl::setup::recallOptionsAfterInit(text, component);
  return 0;
}
