#pragma once
//! Test support for the flash unit: a CAPE-OPEN package selected through the built adapter
//! (private class registry, TEMP and data folder), its material object and setup view, and the
//! component-side flash state with an error reporter, as the package component holds them.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/object.h"
#include "errors/method_guard.h"
#include "errors/ravl_error.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_support.h"
#include "outside/adapter.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/module_fixture.h"

namespace flashtest {

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;

inline std::string hex(HRESULT hr) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", static_cast<unsigned>(hr));
  return b;
}

//! An equilibrium routine that answers every question alike (or fails one flash's), counting
//! the questions.
class FakeEquilibrium : public comlite::ComObject<FakeEquilibrium, ICapeThermoEquilibriumRoutine> {
 public:
  HRESULT CalcEquilibrium(VARIANT, VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT CheckEquilibriumSpec(VARIANT s1, VARIANT s2, BSTR, VARIANT_BOOL* ok) override {
    ++questions;
    const auto first = capeside::stringList(s1).value_or(std::vector<std::string>{""});
    const auto second = capeside::stringList(s2).value_or(std::vector<std::string>{""});
    if (first.at(0) == failFirst && second.at(0) == failSecond) return E_FAIL;
    *ok = answer ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  int questions = 0;
  bool answer = true;
  //! The specification properties of the one flash whose question fails.
  std::string failFirst = "-", failSecond = "-";
};

//! A package selected through the adapter, with its material object set on it.
class CapePackage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
    ASSERT_EQ(m_env.registerModule("pr_package"), S_OK);
    ASSERT_EQ(m_env.registerModule("ideal_package"), S_OK);
    // The reporter's creation may leave a notice (no error description component here).
    m_env.notices.clear();
  }
  void TearDown() override {
    m_routine.reset();
    m_matObj.reset();
    m_material.reset();
    m_gui.reset();
    m_package.reset();
    if (m_adapter) {
      EXPECT_EQ(m_adapter->ReleaseResources(), S_OK);
    }
  }

  //! Selects and creates the package of `manager`, as the component's initialisation does.
  void open(const std::string& manager, const std::string& package) {
    const std::string selection = m_env.dir().file("selection.txt");
    {
      std::ofstream out(selection, std::ios::binary);
      out << "manager = " << manager << "\npackage = " << package << "\n";
    }
    testsupport::ScopedEnv selected(adapter::kSelectionFileVariable, selection);
    ASSERT_EQ(CoCreateInstance(adapter::kClsidPackageAdapter, nullptr, CLSCTX_INPROC_SERVER,
                               IPackageAdapter::kIID, m_adapter.putVoid()),
              S_OK);
    ComPtr<IDispatch> selectionGui, gui, material;
    ASSERT_EQ(m_adapter->SelectPackage(selectionGui.put()), S_OK);
    ASSERT_EQ(m_adapter->CreatePropPackage(m_package.put(), gui.put()), S_OK);
    ASSERT_EQ(m_adapter->GetMaterialObject(material.put()), S_OK);
    m_gui = gui.as<ICCAPEGUI>();
    m_matObj = material.as<IMatObj>();
    m_material = material.as<ICapeThermoMaterial>();
    m_routine = m_package.as<ICapeThermoEquilibriumRoutine>();
    ASSERT_TRUE(m_gui && m_matObj && m_material && m_routine);
    ASSERT_EQ(m_package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
    ASSERT_EQ(material.as<ICapeThermoCompounds>()->GetNumCompounds(&m_compoundCount), S_OK);
    ASSERT_EQ(m_adapter->GetValue(Bstr("SelectedPhases").get(), m_phases.out()), S_OK);
    ASSERT_EQ(m_adapter->GetValue(Bstr("SelectedStateOfAggregation").get(), m_states.out()), S_OK);
    ASSERT_EQ(m_matObj->GetPhaseLabel(3, m_vaporLabel.out()), S_OK);
  }
  void openPr() { open("CORavlPR.PackageManager.1", "Natural Gas (PR)"); }
  void openIdeal() { open("CORavlIdeal.PackageManager.1", "Light hydrocarbons"); }

  //! The inputs of an initialised 1.1 component holding this package.
  coravl::flash::FlashCheckInputs inputs() const {
    coravl::flash::FlashCheckInputs in;
    in.packageInitialised = true;
    in.capeOpenVersion = 110;
    in.package = m_package.get();
    in.equilibriumRoutine = m_routine.get();
    in.matObj = m_matObj.get();
    in.material = m_material.get();
    in.compoundCount = m_compoundCount;
    in.selectedPhases = &m_phases;
    in.selectedStates = &m_states;
    in.vaporLabel = m_vaporLabel.get();
    in.setupView = m_gui.get();
    return in;
  }
  //! The flash names the setup view received (empty when none).
  std::vector<std::string> namesShown() {
    Variant names;
    EXPECT_EQ(m_gui->GetSupportedFlashes(&names), S_OK);
    return capeside::stringList(names).value_or(std::vector<std::string>{"<not a list>"});
  }
  bool noticed(const std::string& text) const {
    for (const auto& n : m_env.notices)
      if (n.text.find(text) != std::string::npos) return true;
    return false;
  }

  testsupport::ModuleEnvironment m_env;
  ComPtr<IPackageAdapter> m_adapter;
  ComPtr<IDispatch> m_package;
  ComPtr<ICCAPEGUI> m_gui;
  ComPtr<IMatObj> m_matObj;
  ComPtr<ICapeThermoMaterial> m_material;
  ComPtr<ICapeThermoEquilibriumRoutine> m_routine;
  LONG m_compoundCount = 0;
  Variant m_phases, m_states;
  Bstr m_vaporLabel;

  // The component's side.
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
  CCORVLflashFactory m_factory;
  std::vector<LONG> m_supported;
  Variant m_specification1, m_specification2;
  Bstr m_solutionType;
  coravl::flash::FlashState m_state{m_factory, m_supported, m_specification1, m_specification2,
                                    m_solutionType};
};

}  // namespace flashtest
