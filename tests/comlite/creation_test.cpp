#include <dlfcn.h>
#include <gtest/gtest.h>

#include "comlite/categories.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/global_table.h"
#include "comlite/object.h"
#include "comlite/registry.h"
#include "counting_unknown.h"
#include "support/temp_env.h"
#include "test_module.h"

using comlite::ComPtr;

namespace {

class Creation : public ::testing::Test {
 protected:
  void SetUp() override {
    m_module = testsupport::libDir() + "/libcomlite_test_module.so";
    m_handle = comlite::loadModule(m_module);
    ASSERT_NE(m_handle, nullptr) << m_module;
  }
  HRESULT call(const char* name) {
    auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(m_handle, name));
    return fn ? fn() : E_FAIL;
  }
  testsupport::TempDir m_dir;
  testsupport::ScopedEnv m_env{"CORAVL_REGISTRY", m_dir.file("registry")};
  std::string m_module;
  void* m_handle = nullptr;
};

}  // namespace

TEST_F(Creation, failures_give_specific_statuses_and_null_results) {
  // An unregistered class is refused in the create-interface tests of the socket's base.
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IClassFactory, &p),
            E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr),
            E_POINTER);
  CountingUnknown outer;
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, &outer, CLSCTX_ALL, IID_IUnknown, &p),
            CLASS_E_NOAGGREGATION);
  ComPtr<ICounter> counter;
  ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ICounter::kIID,
                             counter.putVoid()),
            S_OK);
  EXPECT_EQ(call("DllCanUnloadNow"), S_FALSE);  // a live object holds the module
  counter.reset();
  EXPECT_EQ(call("DllCanUnloadNow"), S_OK);

  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_handle, "DllGetClassObject"));
  EXPECT_EQ(getClassObject(CATID_TestCategory, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(p, nullptr);

  // A class whose module is missing: the loader's reason travels as error information.
  comlite::registry::update([](comlite::registry::Data& d) {
    d.setValue("CLSID\\" + comlite::guidToString(CATID_TestCategory) + "\\InprocServer32", "",
               "/nonexistent/libnothing.so");
    return true;
  });
  EXPECT_EQ(CoCreateInstance(CATID_TestCategory, nullptr, CLSCTX_ALL, IID_IUnknown, &p),
            CO_E_DLLNOTFOUND);
  std::string description, source;
  EXPECT_TRUE(comlite::takeErrorInfo(description, source));
  EXPECT_NE(description.find("libnothing"), std::string::npos);
}

TEST(GlobalTable, holds_one_reference_per_registration_and_never_reuses_live_cookies) {
  IGlobalInterfaceTable* git = comlite::globalInterfaceTable();
  ComPtr<IGlobalInterfaceTable> viaCreate;
  ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                             IGlobalInterfaceTable::kIID, viaCreate.putVoid()),
            S_OK);
  EXPECT_EQ(viaCreate.get(), git);

  CountingUnknown unk;
  DWORD a = 0, b = 0;
  ASSERT_EQ(git->RegisterInterfaceInGlobal(&unk, IID_IUnknown, &a), S_OK);
  ASSERT_EQ(git->RegisterInterfaceInGlobal(&unk, IID_IUnknown, &b), S_OK);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(unk.balance(), 2);
  void* p = nullptr;
  ASSERT_EQ(git->GetInterfaceFromGlobal(a, IID_IUnknown, &p), S_OK);
  EXPECT_EQ(p, &unk);
  unk.Release();
  EXPECT_EQ(git->RevokeInterfaceFromGlobal(a), S_OK);
  EXPECT_EQ(git->RevokeInterfaceFromGlobal(a), E_INVALIDARG);
  EXPECT_EQ(git->GetInterfaceFromGlobal(a, IID_IUnknown, &p), E_INVALIDARG);
  EXPECT_EQ(git->RegisterInterfaceInGlobal(&unk, IID_IDispatch, &a), E_NOINTERFACE);
  EXPECT_EQ(git->RevokeInterfaceFromGlobal(b), S_OK);
  EXPECT_EQ(unk.balance(), 0);
}

TEST(ComError, carries_status_interface_and_pending_description) {
  comlite::setErrorInfo("no such compound", "Package");
  try {
    comlite::check(E_INVALIDARG, IUnknown::kIID);
    FAIL() << "check did not throw";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_INVALIDARG);
    EXPECT_EQ(e.iid(), IUnknown::kIID);
    EXPECT_EQ(e.description(), "no such compound");
    EXPECT_NE(std::string(e.what()).find("0x80070057"), std::string::npos);
  }
  EXPECT_EQ(comlite::check(S_FALSE), S_FALSE);
}
