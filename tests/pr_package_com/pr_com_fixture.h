#pragma once
//! Test support for the Peng-Robinson package module: a private registry, data and TEMP with
//! the capeside and pr_package modules registered from the build, the package selected through
//! the generic adapter by its manager and configuration name, its material object, and the
//! model itself for comparisons.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "pr_package/model/property_package.h"
#include "pr_package/test_data.h"
#include "support/cape_fixture.h"
#include "support/module_fixture.h"

namespace prtest {

using namespace capetest;
using ::testing::HasSubstr;

//! The data folder beside the built module.
inline std::string builtDataFolder() {
  return testsupport::libDir() + "/pr_package";
}

//! The compounds of "Natural Gas (PR)" and a feed with a condensate tail.
using pr::test::kNaturalGas;
using pr::test::kNaturalGasZ;

class PrModule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
    ASSERT_EQ(m_env.registerModule("pr_package"), S_OK);
  }

  //! The package manager, created by a ProgID of it.
  ComPtr<ICapeThermoPropertyPackageManager> manager(
      const OLECHAR* progId = u"CORavlPR.PackageManager") {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    ComPtr<ICapeThermoPropertyPackageManager> ppm;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                               ICapeThermoPropertyPackageManager::kIID, ppm.putVoid()),
              S_OK);
    return ppm;
  }
  //! A new package of a configuration, straight from the manager.
  ComPtr<IDispatch> fromManager(const char* name) {
    ComPtr<IDispatch> package;
    if (auto ppm = manager(u"CORavlPR.PackageManager.1")) {
      EXPECT_EQ(ppm->GetPropertyPackage(Bstr(name).get(), package.put()), S_OK) << name;
    }
    return package;
  }

  //! Lists as the CAPE-OPEN calls take them.
  static Variant ids(const std::vector<std::string>& v) { return capeside::makeStringArray(v); }
  static Variant reals(const std::vector<double>& v) { return capeside::makeDoubleArray(v); }

  testsupport::ModuleEnvironment m_env;
};

//! The package selected through the adapter, with its material object set on it.
class PrMaterial : public PrModule {
 protected:
  void SetUp() override {
    PrModule::SetUp();
    const std::string selection = m_env.dir().file("selection.txt");
    writeFile(selection, "manager = CORavlPR.PackageManager.1\npackage = " + packageName() + "\n");
    testsupport::ScopedEnv selected(adapter::kSelectionFileVariable, selection);
    m_adapter = newAdapter();
    ASSERT_TRUE(m_adapter);
    ComPtr<IDispatch> gui, material;
    ASSERT_NO_FATAL_FAILURE(createPackage(m_adapter.get(), m_package, gui));
    ASSERT_EQ(m_adapter->GetMaterialObject(material.put()), S_OK);
    m_mo = material.as<IMatObj>();
    m_thermo = material.as<ICapeThermoMaterial>();
    ASSERT_TRUE(m_package && m_mo && m_thermo);
    ASSERT_EQ(m_package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
    m_db = pr::CompoundDatabase::load_folder(builtDataFolder());
    m_model.emplace(m_db, compounds());
  }
  void TearDown() override {
    m_mo.reset();
    m_thermo.reset();
    m_package.reset();
    if (m_adapter) {
      EXPECT_EQ(m_adapter->ReleaseResources(), S_OK);
    }
  }

  virtual std::string packageName() const { return "Natural Gas (PR)"; }
  virtual std::vector<std::string> compounds() const { return kNaturalGas; }

  void present(const std::vector<std::string>& labels) {
    ASSERT_EQ(m_thermo->SetPresentPhases(
                  ids(labels), capeside::makeLongArray(std::vector<LONG>(labels.size(), 0))),
              S_OK);
  }
  ComPtr<ICapeThermoPropertyRoutine> routine() {
    return m_package.as<ICapeThermoPropertyRoutine>();
  }
  //! CalcSinglePhaseProp of the package on the material.
  HRESULT calc(const std::vector<std::string>& props, const char* label) {
    return routine()->CalcSinglePhaseProp(ids(props), Bstr(label).get());
  }
  //! A property of a phase (or "Overall") as the material holds it, mole basis.
  std::vector<double> phaseValue(const char* property, const char* label,
                                 const char* basis = "mole") {
    Variant out;
    const HRESULT hr = std::string(label) == "Overall"
                           ? m_thermo->GetOverallProp(Bstr(property).get(), Bstr(basis).get(), &out)
                           : m_thermo->GetSinglePhaseProp(Bstr(property).get(), Bstr(label).get(),
                                                          Bstr(basis).get(), &out);
    EXPECT_EQ(hr, S_OK) << property << " of " << label << ": " << hex(hr);
    return capeside::doubleList(out).value_or(std::vector<double>{});
  }

  ComPtr<IPackageAdapter> m_adapter;
  ComPtr<IDispatch> m_package;
  ComPtr<IMatObj> m_mo;
  ComPtr<ICapeThermoMaterial> m_thermo;
  pr::CompoundDatabase m_db;
  std::optional<pr::PropertyPackage> m_model;
};

constexpr LONG kOverall = 1, kVapor = 3, kLiquid = 4;
constexpr LONG kFlashTP = 15, kFlashPH = 16, kFlashPVF = 19;

}  // namespace prtest
