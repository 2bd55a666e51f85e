#pragma once
//! Test support: a package selected through the built adapter the way the component selects it
//! (selection, property package and its GUI component, and the material object).

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "outside/adapter.h"
#include "support/module_fixture.h"

namespace testsupport {

class AdapterPackage {
 public:
  AdapterPackage() = default;
  AdapterPackage(const AdapterPackage&) = delete;
  AdapterPackage& operator=(const AdapterPackage&) = delete;
  ~AdapterPackage() { release(); }

  //! Selects `manager`/`package` through the selection file in `env`'s folder; the material
  //! object too when `withMaterial`. Failures are test failures.
  void open(const ModuleEnvironment& env, const std::string& manager, const std::string& name,
            bool withMaterial = true) {
    const std::string selection = env.dir().file("selection.txt");
    std::ofstream(selection) << "manager = " << manager << "\npackage = " << name << "\n";
    ScopedEnv selected(adapter::kSelectionFileVariable, selection);
    ASSERT_EQ(CoCreateInstance(adapter::kClsidPackageAdapter, nullptr, CLSCTX_INPROC_SERVER,
                               IPackageAdapter::kIID, adapter.putVoid()),
              S_OK);
    comlite::ComPtr<IDispatch> selectionGui;
    ASSERT_EQ(adapter->SelectPackage(selectionGui.put()), S_OK);
    ASSERT_EQ(adapter->CreatePropPackage(package.put(), gui.put()), S_OK);
    if (withMaterial) {
      ASSERT_EQ(adapter->GetMaterialObject(material.put()), S_OK);
    }
  }

  //! Lets the adapter go; whatever else refers to its objects must be released first.
  void release() {
    material.reset();
    gui.reset();
    package.reset();
    if (adapter) {
      EXPECT_EQ(adapter->ReleaseResources(), S_OK);
    }
    adapter.reset();
  }

  comlite::ComPtr<IPackageAdapter> adapter;
  comlite::ComPtr<IDispatch> package, gui, material;
};

}  // namespace testsupport
