#pragma once
//! Test support for the CAPE-OPEN side: a private registry, TEMP and selection file, with the
//! capeside and ideal package modules registered from the build.

#include <gtest/gtest.h>

#include <string>

#include "capeside/support/variant_lists.h"
#include "comlite/error_info.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/cape_fixture.h"
#include "support/module_fixture.h"

namespace capetest {

using capeside::doubleList;
using capeside::findName;
using capeside::longList;
using capeside::makeDoubleArray;
using capeside::makeLongArray;
using capeside::makeStringArray;
using capeside::stringList;

class CapeSide : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(env.registerModule("capeside"), S_OK);
    ASSERT_EQ(env.registerModule("ideal_package"), S_OK);
  }

  //! Writes the selection file the adapter reads.
  void select(const std::string& text) { writeFile(m_selectionFile, text); }

  struct Opened {
    ComPtr<IPackageAdapter> adapter;
    ComPtr<IDispatch> package;
    ComPtr<ICCAPEGUI> gui;
  };
  //! A new adapter with the package of `selection` selected and created.
  Opened open(const std::string& selection) {
    select(selection);
    Opened o{newAdapter(), {}, {}};
    ComPtr<IDispatch> chosen, gui;
    EXPECT_EQ(o.adapter->SelectPackage(chosen.put()), S_OK);
    EXPECT_EQ(o.adapter->CreatePropPackage(o.package.put(), gui.put()), S_OK);
    o.gui = gui.as<ICCAPEGUI>();
    EXPECT_TRUE(o.package && o.gui);
    return o;
  }

  std::vector<std::string> strings(IPackageAdapter* a, const char* name) {
    return capeside::stringList(value(a, name))
        .value_or(std::vector<std::string>{"<not a string list>"});
  }
  Variant value(IPackageAdapter* a, const char* name) {
    Variant v;
    EXPECT_EQ(a->GetValue(Bstr(name).get(), &v), S_OK) << name;
    return v;
  }

  testsupport::ModuleEnvironment env;
  std::string m_selectionFile = env.dir().file("selection.txt");
  testsupport::ScopedEnv m_selection{adapter::kSelectionFileVariable, m_selectionFile};
};

}  // namespace capetest
