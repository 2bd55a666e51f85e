#pragma once
//! A private class registry with the host framework registered in it, and creation of its
//! objects by class id, as a package or the simulator would create them.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "support/module_fixture.h"

namespace ravelintest {

//! Formats a status for failure messages.
inline std::string hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

//! Calls a getter whose last parameter receives the result, expects S_OK and returns the
//! result (text as UTF-8).
template <class O, class I, class... P, class... A>
auto got(O* object, HRESULT (I::*getter)(P...), A... args) {
  using Out = std::remove_pointer_t<std::tuple_element_t<sizeof...(P) - 1, std::tuple<P...>>>;
  if constexpr (std::is_same_v<Out, BSTR>) {
    comlite::Bstr text;
    EXPECT_EQ((object->*getter)(args..., text.out()), S_OK);
    return text.utf8();
  } else {
    Out v{};
    const HRESULT hr = (object->*getter)(args..., &v);
    EXPECT_EQ(hr, S_OK) << hex(hr);
    return v;
  }
}
template <class O, class... R>
auto got(const comlite::ComPtr<O>& object, R... rest) {
  return got(object.get(), rest...);
}

class HostFramework : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(call("DllRegisterServer"), S_OK); }
  HRESULT call(const char* entry) { return env.call("ravelin", entry); }

  //! Creates an object of the host by class id and asks it for `I`.
  template <class I>
  comlite::ComPtr<I> create(const CLSID& clsid) {
    comlite::ComPtr<I> out;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::kIID, out.putVoid());
    EXPECT_EQ(hr, S_OK) << hex(hr);
    return out;
  }

  testsupport::ModuleEnvironment env;
};

}  // namespace ravelintest
