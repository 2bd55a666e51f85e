#pragma once
//! Test support: the built socket opened the way the simulator opens it (create, compounds, set
//! up, property registration), with the host framework, the adapter side and the packages
//! registered in a private class registry, and host phases built with the host framework.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/variant.h"
#include "frame/host_interfaces.h"
#include "outside/cape_gui.h"
#include "ravelin/compound.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase.h"
#include "ravelin/phase_collection.h"
#include "support/module_fixture.h"

namespace testsupport {

constexpr const char* kPengRobinsonSelection =
    "manager = CORavlPR.PackageManager.1\npackage = Natural Gas (PR)\n";
constexpr const char* kIdealSelection =
    "manager = CORavlIdeal.PackageManager.1\npackage = Light hydrocarbons\n";

//! The simulator's natural gas compounds in the package's order, with the normal boiling point
//! and molecular weight the host offers.
inline std::vector<ravelin::CompoundSpec> naturalGasCompounds() {
  return {{"Methane", "74-82-8", "CH4", 1, {{"NBP", 111.66}, {"MW", 16.043}}},
          {"Ethane", "74-84-0", "C2H6", 2, {{"NBP", 184.55}, {"MW", 30.070}}},
          {"Propane", "74-98-6", "C3H8", 3, {{"NBP", 231.02}, {"MW", 44.097}}},
          {"n-Butane", "106-97-8", "C4H10", 4, {{"NBP", 272.66}, {"MW", 58.123}}},
          {"i-Butane", "75-28-5", "C4H10", 5, {{"NBP", 261.34}, {"MW", 58.123}}},
          {"n-Pentane", "109-66-0", "C5H12", 6, {{"NBP", 309.22}, {"MW", 72.150}}},
          {"n-Hexane", "110-54-3", "C6H14", 7, {{"NBP", 341.88}, {"MW", 86.177}}},
          {"Nitrogen", "7727-37-9", "N2", 8, {{"NBP", 77.35}, {"MW", 28.014}}},
          {"CO2", "124-38-9", "CO2", 9, {{"NBP", 194.67}, {"MW", 44.010}}},
          {"H2S", "7783-06-4", "H2S", 10, {{"NBP", 212.84}, {"MW", 34.081}}}};
}
//! The first `n` of them.
inline std::vector<ravelin::CompoundSpec> naturalGasCompounds(std::size_t n) {
  auto all = naturalGasCompounds();
  all.resize(n);
  return all;
}

//! The entries of `values` at the indexes of `order`: the host's view of package-ordered values.
template <class T>
std::vector<T> pick(const std::vector<T>& values, const std::vector<std::size_t>& order) {
  std::vector<T> out;
  for (std::size_t k : order) out.push_back(values.at(k));
  return out;
}

//! The socket in a private registry. The selection file and the setup view's edits file are
//! the fixture's own; the modules registered are the common ones and extraModules().
class SocketFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<const char*> modules = {"ravelin", "capeside", "pr_package", "ideal_package"};
    for (const char* m : extraModules()) modules.push_back(m);
    modules.push_back("CORavl11");
    for (const char* module : modules) ASSERT_EQ(env.registerModule(module), S_OK) << module;
    select(kPengRobinsonSelection);
    edit("");
  }
  virtual std::vector<const char*> extraModules() const { return {}; }

  void select(const std::string& text) { std::ofstream(env.dir().file("selection.txt")) << text; }
  //! The user's edits in the next setup view.
  void edit(const std::string& text) { std::ofstream(env.dir().file("edits.txt")) << text; }

  comlite::ComPtr<IExtendedPropPackage> create() {
    comlite::ComPtr<IExtendedPropPackage> pkg;
    EXPECT_EQ(CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                               IExtendedPropPackage::kIID, pkg.putVoid()),
              S_OK);
    return pkg;
  }

  //! The simulator's steps after creating `pkg`: compounds, set up (unless `setUp` is false),
  //! property registration (unless `registerIds` is false), up to the first that fails; its
  //! status, S_OK when none did. The host's compounds become `compounds` and fluid.
  HRESULT openSteps(IExtendedPropPackage* pkg,
                    const std::vector<ravelin::CompoundSpec>& hostCompounds, bool setUp = true,
                    bool registerIds = true) {
    INT n = 0, status = -1;
    comlite::Variant ids, names, identifiers;
    comlite::Bstr identifierName;
    HRESULT hr = pkg->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers);
    compounds.clear();
    for (std::size_t k = 0; k < hostCompounds.size() && hr == S_OK; ++k) {
      compounds.push_back(ravelin::Compound::create(hostCompounds[k]));
      hr = pkg->AddLastCompound(compounds.back().dispatch());
    }
    fluid = ravelin::CompoundList::create(compounds);
    if (hr == S_OK && setUp) hr = pkg->SetupPkg(0, comlite::Variant(), nullptr, &status);
    if (hr == S_OK && registerIds) hr = pkg->InitializePropertyID(registry.dispatch());
    return hr;
  }
  //! A new object opened by openSteps. A null `selection` keeps the current one.
  comlite::ComPtr<IExtendedPropPackage> open(
      const char* selection, const std::vector<ravelin::CompoundSpec>& hostCompounds,
      bool setUp = true, bool registerIds = true) {
    if (selection) select(selection);
    auto pkg = create();
    if (!pkg) return pkg;
    EXPECT_EQ(openSteps(pkg.get(), hostCompounds, setUp, registerIds), S_OK) << notices();
    // What setting up showed (a missing CAS-number file, ...) is not the test's business.
    env.notices.clear();
    return pkg;
  }

  //! The host's fluid package from now on.
  void useFluid(const std::vector<ravelin::CompoundSpec>& hostCompounds) {
    std::vector<ravelin::Compound> compounds;
    for (const auto& c : hostCompounds) compounds.push_back(ravelin::Compound::create(c));
    fluid = ravelin::CompoundList::create(compounds);
  }

  //! A host phase of the fluid at T [K], P [kPa] and composition x.
  ravelin::Phase phase(LONG type, double T, double P_kPa, const std::vector<double>& x) {
    auto p = ravelin::Phase::create(*fluid, type);
    p.setTemperature(T);
    p.setPressure(P_kPa);
    p.setComposition(x);
    return p;
  }

  bool noticed(const std::string& part) const {
    for (const auto& n : env.notices)
      if (n.text.find(part) != std::string::npos) return true;
    return false;
  }
  std::string notices() const {
    std::string all;
    for (const auto& n : env.notices) all += n.text + "\n";
    return all;
  }

  ModuleEnvironment env;
  ScopedEnv selection{"CORAVL_CAPE_SELECTION", env.dir().file("selection.txt")};
  ScopedEnv edits{capegui::kViewEditsVariable, env.dir().file("edits.txt")};
  ravelin::PropertyRegistry registry = ravelin::PropertyRegistry::create();
  std::vector<ravelin::Compound> compounds;
  std::optional<ravelin::CompoundList> fluid;
};

}  // namespace testsupport
