#pragma once
//! Test support for the CAPE-OPEN side: a private registry, TEMP and selection file, with the
//! capeside and ideal package modules registered from the build.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "outside/adapter.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_errors.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/temp_env.h"

namespace capetest {

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;

//! Status in hex for failure messages.
inline std::string hex(HRESULT hr) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", static_cast<unsigned>(hr));
  return b;
}

inline HRESULT registerModule(const std::string& name) {
  const std::string path = testsupport::libDir() + "/lib" + name + ".so";
  void* handle = comlite::loadModule(path);
  if (!handle) return E_FAIL;
  auto reg = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllRegisterServer"));
  return reg ? reg() : E_FAIL;
}

class CapeSide : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(registerModule("capeside"), S_OK);
    ASSERT_EQ(registerModule("ideal_package"), S_OK);
  }

  void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  //! Writes the selection file the adapter reads.
  void select(const std::string& text) { writeFile(m_selectionFile, text); }

  ComPtr<IPackageAdapter> newAdapter() {
    ComPtr<IPackageAdapter> a;
    EXPECT_EQ(CoCreateInstance(adapter::kClsidPackageAdapter, nullptr, CLSCTX_INPROC_SERVER,
                               IPackageAdapter::kIID, a.putVoid()),
              S_OK);
    return a;
  }

  //! Selects and creates a package; returns package and GUI.
  void create(IPackageAdapter* a, ComPtr<IDispatch>& package, ComPtr<ICCAPEGUI>& gui) {
    ComPtr<IDispatch> selection, guiDisp;
    ASSERT_EQ(a->SelectPackage(selection.put()), S_OK);
    ASSERT_EQ(a->CreatePropPackage(package.put(), guiDisp.put()), S_OK);
    ASSERT_TRUE(package);
    gui = guiDisp.as<ICCAPEGUI>();
    ASSERT_TRUE(gui);
  }

  std::vector<std::string> strings(IPackageAdapter* a, const char* name) {
    Variant v;
    Bstr n(name);
    EXPECT_EQ(a->GetValue(n.get(), &v), S_OK) << name;
    return capeside::stringList(v).value_or(std::vector<std::string>{"<not a string list>"});
  }
  std::vector<double> doubles(IPackageAdapter* a, const char* name) {
    Variant v;
    Bstr n(name);
    EXPECT_EQ(a->GetValue(n.get(), &v), S_OK) << name;
    return capeside::doubleList(v).value_or(std::vector<double>{});
  }

  testsupport::TempDir m_dir;
  testsupport::ScopedEnv m_registry{"CORAVL_REGISTRY", m_dir.file("registry")};
  testsupport::ScopedEnv m_temp{"TEMP", m_dir.path()};
  std::string m_selectionFile = m_dir.file("selection.txt");
  testsupport::ScopedEnv m_selection{adapter::kSelectionFileVariable, m_selectionFile};
};

//! The ECapeUser fields of the object a failing call was made on.
struct CapeErrorSeen {
  std::string name, description, scope, interfaceName, operation;
  LONG code = 0;
  SHORT position = 0;
  bool hasSpecific = false;  //!< answers the ECape interface of the code
};

inline CapeErrorSeen capeErrorOf(IUnknown* obj) {
  CapeErrorSeen e;
  ComPtr<IUnknown> unk(obj);
  auto user = unk.as<ECapeUser>();
  auto root = unk.as<ECapeRoot>();
  if (!user || !root) return e;
  Bstr s;
  root->get_name(s.out());
  e.name = s.utf8();
  user->get_code(&e.code);
  user->get_description(s.out());
  e.description = s.utf8();
  user->get_scope(s.out());
  e.scope = s.utf8();
  user->get_interfaceName(s.out());
  e.interfaceName = s.utf8();
  user->get_operation(s.out());
  e.operation = s.utf8();
  if (const capeopen::ErrorKind* kind = capeopen::errorKindOf(e.code)) {
    ComPtr<IUnknown> specific;
    e.hasSpecific = SUCCEEDED(obj->QueryInterface(kind->iid, specific.putVoid()));
  }
  if (auto bad = unk.as<ECapeBadArgument>()) bad->get_position(&e.position);
  return e;
}

}  // namespace capetest
