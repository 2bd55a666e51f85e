#pragma once
//! Test support for the CAPE-OPEN side: a private registry, TEMP and selection file, with the
//! capeside and ideal package modules registered from the build.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "capeside/support/variant_lists.h"
#include "comlite/error_info.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/cape_fixture.h"
#include "support/temp_env.h"

namespace capetest {

inline HRESULT registerModule(const std::string& name) {
  void* handle = comlite::loadModule(testsupport::libDir() + "/lib" + name + ".so");
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

  //! Writes the selection file the adapter reads.
  void select(const std::string& text) { writeFile(m_selectionFile, text); }

  //! Selects and creates a package; returns package and GUI.
  void create(IPackageAdapter* a, ComPtr<IDispatch>& package, ComPtr<ICCAPEGUI>& gui) {
    ComPtr<IDispatch> guiDisp;
    ASSERT_NO_FATAL_FAILURE(createPackage(a, package, guiDisp));
    gui = guiDisp.as<ICCAPEGUI>();
    ASSERT_TRUE(gui);
  }

  std::vector<std::string> strings(IPackageAdapter* a, const char* name) {
    return capeside::stringList(value(a, name))
        .value_or(std::vector<std::string>{"<not a string list>"});
  }
  std::vector<double> doubles(IPackageAdapter* a, const char* name) {
    return capeside::doubleList(value(a, name)).value_or(std::vector<double>{});
  }
  Variant value(IPackageAdapter* a, const char* name) {
    Variant v;
    EXPECT_EQ(a->GetValue(Bstr(name).get(), &v), S_OK) << name;
    return v;
  }

  testsupport::TempDir m_dir;
  testsupport::ScopedEnv m_registry{"CORAVL_REGISTRY", m_dir.file("registry")};
  testsupport::ScopedEnv m_temp{"TEMP", m_dir.path()};
  std::string m_selectionFile = m_dir.file("selection.txt");
  testsupport::ScopedEnv m_selection{adapter::kSelectionFileVariable, m_selectionFile};
};

}  // namespace capetest
