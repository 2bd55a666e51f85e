//! The host's flashes end to end: the built component, adapter side, packages and host framework
//! in a private class registry, driven in the simulator's order (compounds, setup, property
//! registration, Execute), checked against the packages' own flash models.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/variant.h"
#include "frame/host_interfaces.h"
#include "ideal_package/model/compound_table.h"
#include "ideal_package/model/tp_flash.h"
#include "pr_package/model/property_package.h"
#include "ravelin/compound.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "support/module_fixture.h"

using comlite::ComPtr;

namespace {

struct HostCompound {
  const char* name;
  const char* cas;
  const char* id;  //!< the packages' compound id
};

const std::vector<HostCompound> kNaturalGas = {
    {"Methane", "74-82-8", "methane"},     {"Ethane", "74-84-0", "ethane"},
    {"Propane", "74-98-6", "propane"},     {"n-Butane", "106-97-8", "n-butane"},
    {"i-Butane", "75-28-5", "isobutane"},  {"n-Pentane", "109-66-0", "n-pentane"},
    {"n-Hexane", "110-54-3", "n-hexane"},  {"Nitrogen", "7727-37-9", "nitrogen"},
    {"CO2", "124-38-9", "carbon dioxide"}, {"H2S", "7783-06-4", "hydrogen sulfide"},
};
const std::vector<double> kGasFeed = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};
const std::vector<HostCompound> kLight = {{"Methane", "74-82-8", "methane"},
                                          {"Ethane", "74-84-0", "ethane"},
                                          {"Propane", "74-98-6", "propane"},
                                          {"n-Butane", "106-97-8", "n-butane"}};
const std::vector<double> kLightFeed = {0.4, 0.3, 0.2, 0.1};

//! The Peng-Robinson package of the natural gas, as the module builds it.
pr::PropertyPackage& naturalGasModel() {
  static pr::CompoundDatabase db = pr::CompoundDatabase::load_folder(PR_PACKAGE_DATA_DIR);
  static pr::PropertyPackage model(db, [] {
    std::vector<std::string> ids;
    for (const auto& c : kNaturalGas) ids.push_back(c.id);
    return ids;
  }());
  return model;
}

//! Largest absolute difference between two lists (infinite for lists of other sizes).
double largestDifference(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return INFINITY;
  double d = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

class Execute : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* module : {"ravelin", "capeside", "pr_package", "ideal_package", "CORavl11"})
      ASSERT_EQ(m_env.registerModule(module), S_OK) << module;
    select("manager = CORavlPR.PackageManager.1\npackage = Natural Gas (PR)\n");
  }
  void select(const std::string& text) { std::ofstream(m_env.dir().file("selection.txt")) << text; }

  //! The component as the simulator sets it up, with `compounds` added in that order.
  ComPtr<IExtendedFlash> open(const std::vector<HostCompound>& compounds, bool setUp = true) {
    ComPtr<IExtendedPropPackage> pkg;
    EXPECT_EQ(CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                               IExtendedPropPackage::kIID, pkg.putVoid()),
              S_OK);
    if (!pkg) return {};
    INT n = 0;
    comlite::Variant ids, names, identifiers;
    comlite::Bstr identifierName;
    EXPECT_EQ(pkg->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers), S_OK);
    std::vector<ravelin::Compound> added;
    for (std::size_t i = 0; i < compounds.size(); ++i) {
      added.push_back(ravelin::Compound::create(
          {compounds[i].name, compounds[i].cas, "", static_cast<LONG>(i + 1), {}}));
      EXPECT_EQ(pkg->AddLastCompound(added.back().dispatch()), S_OK) << compounds[i].name;
    }
    m_compounds = ravelin::CompoundList::create(added);
    if (setUp) {
      INT status = -1;
      comlite::Variant none;
      EXPECT_EQ(pkg->SetupPkg(0, none, nullptr, &status), S_OK);
    }
    EXPECT_EQ(pkg->InitializePropertyID(m_registry.dispatch()), S_OK);
    m_package = pkg;
    // Set-up notices (the process's first look for the CAS-number file) are not the flash's.
    m_env.notices.clear();
    return pkg.as<IExtendedFlash>();
  }
  //! The simulator's collection: an overall phase at T [K], P [kPa] with feed `z`, and a vapour
  //! and a liquid phase object.
  ravelin::PhaseCollection collection(double T, double P, const std::vector<double>& z) {
    auto overall = ravelin::Phase::create(m_compounds, ravelin::kPhaseOverall);
    overall.setTemperature(T);
    overall.setPressure(P);
    overall.setComposition(z);
    return ravelin::PhaseCollection::create(
        overall, {ravelin::Phase::create(m_compounds, ravelin::kPhaseVapour),
                  ravelin::Phase::create(m_compounds, ravelin::kPhaseLiquid)});
  }
  HRESULT execute(IExtendedFlash* flash, tagFlashTypeEnum type, const ravelin::PhaseCollection& c,
                  IDispatch* errorLog = nullptr) {
    return flash->Execute(type, nullptr, c.dispatch(), c.dispatch(), errorLog, nullptr);
  }
  //! The collection holds a vapour and a liquid as `r` has them (K, kPa in the host).
  void expectTwoPhases(const ravelin::PhaseCollection& c, const pr::FlashResult& r,
                       const char* what) {
    ASSERT_TRUE(r.has_vapour && r.has_liquid) << what;
    ASSERT_EQ(c.numberOfPhases(), 2) << what;
    const auto v = c.phase(0), l = c.phase(1);
    EXPECT_EQ(v.type(), ravelin::kPhaseVapour) << what;
    EXPECT_EQ(l.type(), ravelin::kPhaseLiquid) << what;
    EXPECT_EQ(v.status(), ravelin::kPhaseStatusPresent) << what;
    EXPECT_EQ(l.status(), ravelin::kPhaseStatusPresent) << what;
    EXPECT_NEAR(v.fraction(), r.beta, 1e-7) << what;
    EXPECT_NEAR(l.fraction(), 1.0 - r.beta, 1e-7) << what;
    EXPECT_NEAR(c.overall().fraction(), r.beta, 1e-7) << what;
    EXPECT_LT(largestDifference(v.composition(), r.y), 1e-7) << what;
    EXPECT_LT(largestDifference(l.composition(), r.x), 1e-7) << what;
    for (const auto& p : {v, l}) {
      EXPECT_NEAR(p.temperature(), r.T_K, 1e-6 * r.T_K) << what;
      EXPECT_NEAR(p.pressure(), r.P_Pa / 1000.0, 1e-6 * r.P_Pa / 1000.0) << what;
    }
    std::printf(
        "[ measured ] %s: T %.6f K, P %.6f kPa, vapour fraction %.8f, "
        "|dy| %.2e, |dx| %.2e\n",
        what, v.temperature(), v.pressure(), v.fraction(), largestDifference(v.composition(), r.y),
        largestDifference(l.composition(), r.x));
  }

  testsupport::ModuleEnvironment m_env;
  testsupport::ScopedEnv m_selection{"CORAVL_CAPE_SELECTION", m_env.dir().file("selection.txt")};
  ravelin::PropertyRegistry m_registry = ravelin::PropertyRegistry::create();
  ravelin::CompoundList m_compounds = ravelin::CompoundList::create({});
  ComPtr<IExtendedPropPackage> m_package;
};

}  // namespace

TEST_F(Execute, tp_ph_and_ps_flashes_of_the_natural_gas_match_the_peng_robinson_flash) {
  auto flash = open(kNaturalGas);
  ASSERT_TRUE(flash);
  const pr::FlashResult tp = naturalGasModel().flash_solver().tp(250.0, 3.0e6, kGasFeed);

  auto c = collection(250.0, 3000.0, kGasFeed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK);
  expectTwoPhases(c, tp, "TP 250 K, 3000 kPa");
  // Both specified: the overall state stays the host's.
  EXPECT_DOUBLE_EQ(c.overall().temperature(), 250.0);
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 3000.0);

  // The host's enthalpy and entropy are per kmol in kJ: numerically the package's J/mol.
  auto ph = collection(300.0, 3000.0, kGasFeed);
  ph.overall().setValue("Enthalpy", tp.h_Jmol);
  ASSERT_EQ(execute(flash.get(), xftPHFlash, ph), S_OK);
  expectTwoPhases(ph, naturalGasModel().flash_solver().ph(3.0e6, tp.h_Jmol, kGasFeed), "PH");
  EXPECT_NEAR(ph.overall().temperature(), 250.0, 1e-5);
  EXPECT_DOUBLE_EQ(ph.overall().pressure(), 3000.0);

  auto ps = collection(300.0, 3000.0, kGasFeed);
  ps.overall().setValue("Entropy", tp.s_JmolK);
  ASSERT_EQ(execute(flash.get(), xftPSFlash, ps), S_OK);
  expectTwoPhases(ps, naturalGasModel().flash_solver().ps(3.0e6, tp.s_JmolK, kGasFeed), "PS");
  EXPECT_NEAR(ps.overall().temperature(), 250.0, 1e-5);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Execute, tvf_flashes_find_the_bubble_and_dew_pressures) {
  auto flash = open(kNaturalGas);
  ASSERT_TRUE(flash);
  for (double beta : {0.0, 1.0}) {
    const pr::FlashResult r = naturalGasModel().flash_solver().tvf(250.0, beta, kGasFeed);
    auto c = collection(250.0, 100.0, kGasFeed);
    c.overall().setFraction(beta);
    ASSERT_EQ(execute(flash.get(), xftTVFlash, c), S_OK) << beta;
    const std::string what = beta == 0.0 ? "TVF bubble point 250 K" : "TVF dew point 250 K";
    // The incipient phase is a result phase with fraction 0.
    expectTwoPhases(c, r, what.c_str());
    EXPECT_NEAR(c.overall().pressure(), r.P_Pa / 1000.0, 1e-6 * r.P_Pa / 1000.0);
    EXPECT_DOUBLE_EQ(c.overall().temperature(), 250.0);
  }
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Execute, single_phase_results_fill_the_first_phase_object) {
  auto flash = open(kNaturalGas);
  ASSERT_TRUE(flash);
  auto gas = collection(400.0, 1000.0, kGasFeed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, gas), S_OK);
  EXPECT_EQ(gas.numberOfPhases(), 1);
  EXPECT_EQ(gas.phase(0).type(), ravelin::kPhaseVapour);
  EXPECT_DOUBLE_EQ(gas.phase(0).fraction(), 1.0);
  EXPECT_LT(largestDifference(gas.phase(0).composition(), kGasFeed), 1e-12);
  EXPECT_EQ(gas.phase(1).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_DOUBLE_EQ(gas.overall().fraction(), 1.0);

  auto liquid = collection(150.0, 10000.0, kGasFeed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, liquid), S_OK);
  EXPECT_EQ(liquid.numberOfPhases(), 1);
  EXPECT_EQ(liquid.phase(0).type(), ravelin::kPhaseLiquid);
  EXPECT_DOUBLE_EQ(liquid.phase(0).fraction(), 1.0);
  EXPECT_DOUBLE_EQ(liquid.phase(0).pressure(), 10000.0);
  EXPECT_LT(largestDifference(liquid.phase(0).composition(), kGasFeed), 1e-12);
  EXPECT_DOUBLE_EQ(liquid.overall().fraction(), 0.0);
}

TEST_F(Execute, the_ideal_package_flashes_at_given_temperature_and_pressure_only) {
  select("manager = CORavlIdeal.PackageManager.1\npackage = Light hydrocarbons\n");
  auto flash = open(kLight);
  ASSERT_TRUE(flash);
  const auto table = ideal::CompoundTable::load(IDEAL_PACKAGE_DATA_DIR "/compounds.csv");
  std::vector<ideal::Compound> compounds;
  for (const auto& c : kLight) compounds.push_back(table.compounds()[*table.find(c.id)]);
  const ideal::FlashResult ref =
      ideal::tpFlash(ideal::IdealMixture(compounds), 250.0, 1.0e6, kLightFeed);

  auto c = collection(250.0, 1000.0, kLightFeed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK);
  ASSERT_EQ(c.numberOfPhases(), 2);
  EXPECT_NEAR(c.overall().fraction(), ref.vaporFraction, 1e-8);
  EXPECT_LT(largestDifference(c.phase(0).composition(), ref.y), 1e-8);
  EXPECT_LT(largestDifference(c.phase(1).composition(), ref.x), 1e-8);
  std::printf("[ measured ] ideal TP 250 K, 1000 kPa: vapour fraction %.8f (model %.8f)\n",
              c.overall().fraction(), ref.vaporFraction);

  // A PH flash is not the ideal package's: refused without a message, nothing written.
  auto ph = collection(250.0, 1000.0, kLightFeed);
  ph.overall().setValue("Enthalpy", -100000.0);
  EXPECT_EQ(execute(flash.get(), xftPHFlash, ph), E_NOTIMPL);
  EXPECT_EQ(ph.numberOfPhases(), 2);
  EXPECT_EQ(ph.phase(0).status(), ravelin::kPhaseStatusUnknown);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Execute, what_the_component_refuses) {
  // Not set up yet.
  auto early = open(kNaturalGas, false);
  ASSERT_TRUE(early);
  auto c = collection(250.0, 3000.0, kGasFeed);
  EXPECT_EQ(execute(early.get(), xftPTFlash, c), E_FAIL);
  EXPECT_EQ(c.phase(0).status(), ravelin::kPhaseStatusUnknown);

  auto flash = open(kNaturalGas);
  ASSERT_TRUE(flash);
  EXPECT_EQ(execute(flash.get(), xftZPFlash, c), E_NOTIMPL);
  EXPECT_TRUE(m_env.notices.empty());

  // An unfeasible feed, reported in the call's error log.
  auto log = ravelin::ErrorLog::create();
  std::vector<double> bad = kGasFeed;
  bad[1] = -0.5;
  auto wrong = collection(250.0, 3000.0, bad);
  EXPECT_EQ(execute(flash.get(), xftPTFlash, wrong, log.dispatch()), E_FAIL);
  ASSERT_FALSE(log.entries().empty());
  EXPECT_NE(log.entries().back().message.find(
                "INTERNAL ERROR: The Simulator provided unfeasible thermodynamic values "),
            std::string::npos);
  EXPECT_NE(log.entries().back().message.find("calculating flash TP"), std::string::npos);
}

TEST_F(Execute, exchanged_compounds_reach_the_package_in_its_own_order) {
  auto flash = open(kNaturalGas);
  ASSERT_TRUE(flash);
  // The simulator swaps methane and n-hexane in its fluid package.
  ASSERT_EQ(m_package->ExchangeCompounds(0, 6), S_OK);
  std::vector<HostCompound> order = kNaturalGas;
  std::swap(order[0], order[6]);
  std::vector<ravelin::Compound> swapped;
  for (std::size_t i = 0; i < order.size(); ++i)
    swapped.push_back(
        ravelin::Compound::create({order[i].name, order[i].cas, "", static_cast<LONG>(i + 1), {}}));
  m_compounds = ravelin::CompoundList::create(swapped);
  auto swap = [](std::vector<double> v) {
    std::swap(v[0], v[6]);
    return v;
  };
  pr::FlashResult r = naturalGasModel().flash_solver().tp(250.0, 3.0e6, kGasFeed);
  r.y = swap(r.y);
  r.x = swap(r.x);
  auto c = collection(250.0, 3000.0, swap(kGasFeed));
  ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK);
  expectTwoPhases(c, r, "TP after an exchange of compounds");
}
