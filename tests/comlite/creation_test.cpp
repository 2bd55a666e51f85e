#include <dlfcn.h>
#include <gtest/gtest.h>

#include "comlite/categories.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/global_table.h"
#include "comlite/object.h"
#include "comlite/registry.h"
#include "comlite/vtable_slot.h"
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

TEST_F(Creation, module_registers_and_is_created_by_class_id_and_prog_id) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  comlite::registry::Data d;
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  const std::string key = "CLSID\\" + comlite::guidToString(CLSID_TestCounter);
  EXPECT_EQ(d.value(key + "\\InprocServer32"), m_module);
  EXPECT_EQ(d.value(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(d.value("Comlite.TestCounter\\CurVer"), "Comlite.TestCounter.1");
  EXPECT_EQ(comlite::classesImplementing(d, CATID_TestCategory),
            std::vector<CLSID>{CLSID_TestCounter});
  EXPECT_EQ(comlite::categoryDescription(d, CATID_TestCategory, 1033), "Test category");

  ComPtr<ICounter> byId;
  ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ICounter::kIID,
                             byId.putVoid()),
            S_OK);
  ASSERT_EQ(byId->Add(5), S_OK);
  EXPECT_EQ(call("DllCanUnloadNow"), S_FALSE);

  CLSID fromProg;
  ASSERT_EQ(CLSIDFromProgID(u"comlite.testcounter", &fromProg), S_OK);
  EXPECT_EQ(fromProg, CLSID_TestCounter);
  ComPtr<IDispatch> byProg;
  ASSERT_EQ(CoCreateInstance(fromProg, nullptr, CLSCTX_ALL, IID_IDispatch, byProg.putVoid()), S_OK);
  auto counter = byProg.as<ICounter>();
  ASSERT_TRUE(counter);
  LONG total = -1;
  counter->get_Total(&total);
  EXPECT_EQ(total, 0);  // a separate object
  EXPECT_FALSE(comlite::sameObject(byId.get(), counter.get()));

  byId.reset();
  byProg.reset();
  counter.reset();
  EXPECT_EQ(call("DllCanUnloadNow"), S_OK);

  // Registering twice leaves exactly one class key; unregistering removes the class but keeps
  // the CLSID root and the category.
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  EXPECT_EQ(d.subkeys("CLSID").size(), 1u);
  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  EXPECT_FALSE(d.hasKey(key));
  EXPECT_FALSE(d.hasKey("Comlite.TestCounter.1"));
  EXPECT_TRUE(d.hasKey("CLSID"));
  EXPECT_TRUE(d.hasKey("Component Categories\\" + comlite::guidToString(CATID_TestCategory)));
}

TEST_F(Creation, failures_give_specific_statuses_and_null_results) {
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, &p),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(p, nullptr);
  ASSERT_EQ(call("DllRegisterServer"), S_OK);

  p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IClassFactory, &p),
            E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr),
            E_POINTER);
  CountingUnknown outer;
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, &outer, CLSCTX_ALL, IID_IUnknown, &p),
            CLASS_E_NOAGGREGATION);

  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_handle, "DllGetClassObject"));
  EXPECT_EQ(getClassObject(CATID_TestCategory, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(p, nullptr);

  CLSID c;
  EXPECT_EQ(CLSIDFromProgID(u"No.Such.Class", &c), CO_E_CLASSSTRING);

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

namespace {
struct Probe {
  virtual void a() = 0;
  virtual int b(int) = 0;
  void plain() {}
};
}  // namespace

TEST(Vtable, slots_decode_in_declaration_order_and_idispatch_matches_com) {
  EXPECT_EQ(comlite::vtableSlot(&Probe::a), 0);
  EXPECT_EQ(comlite::vtableSlot(&Probe::b), 1);
  EXPECT_EQ(comlite::vtableSlot(&Probe::plain), -1);
  EXPECT_EQ(comlite::vtableSlot(&IDispatch::GetTypeInfoCount), 3);
  EXPECT_EQ(comlite::vtableSlot(&IDispatch::Invoke), 6);
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
