#pragma once
//! A private class registry with the host framework registered in it, and creation of its
//! objects by class id, as a package or the simulator would create them.

#include <gtest/gtest.h>

#include <string>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "support/cape_fixture.h"
#include "support/module_fixture.h"

namespace ravelintest {

using capetest::got;
using capetest::hex;

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
