//! The host's flashes end to end: the built component, adapter side, packages and host framework
//! in a private class registry, driven in the simulator's order (compounds, setup, property
//! registration, Execute), checked against the packages' own flash models.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "comlite/com_ptr.h"
#include "frame/host_interfaces.h"
#include "ideal_package/model/compound_table.h"
#include "ideal_package/model/tp_flash.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_phase.h"
#include "pr_package/model/property_package.h"
#include "pr_package/test_data.h"
#include "ravelin/arrays.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "support/socket_fixture.h"
#include "vocabulary/co_ids.h"

using comlite::ComPtr;
using Doubles = std::vector<double>;

namespace {

//! The natural gas as the host holds it, and its feed (the packages' ids: pr::test::kNaturalGas).
const std::vector<ravelin::CompoundSpec> kNaturalGas = testsupport::naturalGasCompounds();
const Doubles& kGasFeed = pr::test::kNaturalGasZ;

//! The module's Peng-Robinson flash of the natural gas, on the same data.
pr::FlashSolver& prFlash() {
  static pr::PropertyPackage model(pr::test::database(), pr::test::kNaturalGas);
  return model.flash_solver();
}

double largestDifference(const Doubles& a, const Doubles& b) {
  if (a.size() != b.size()) return INFINITY;
  double d = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

class Execute : public testsupport::SocketFixture {
 protected:
  std::vector<const char*> extraModules() const override { return {"test_packages"}; }
  //! The component as the simulator sets it up, with `compounds` added in that order.
  ComPtr<IExtendedFlash> openFlash(const std::vector<ravelin::CompoundSpec>& compounds,
                                   bool setUp = true) {
    m_package = open(nullptr, compounds, setUp);
    return m_package.as<IExtendedFlash>();
  }
  //! An overall phase at T [K], P [kPa] with feed `z`, and a vapour and a liquid phase object.
  ravelin::PhaseCollection collection(double T, double P, const Doubles& z) {
    return ravelin::PhaseCollection::create(
        phase(ravelin::kPhaseOverall, T, P, z),
        {ravelin::Phase::create(*fluid, ravelin::kPhaseVapour),
         ravelin::Phase::create(*fluid, ravelin::kPhaseLiquid)});
  }
  HRESULT execute(IExtendedFlash* flash, tagFlashTypeEnum type, const ravelin::PhaseCollection& c,
                  IDispatch* errorLog = nullptr) {
    return flash->Execute(type, nullptr, c.dispatch(), c.dispatch(), errorLog, nullptr);
  }
  //! The collection holds the vapour and the liquid of `r` (K and kPa in the host).
  void expectPhases(const ravelin::PhaseCollection& c, const pr::FlashResult& r,
                    const std::string& what) {
    ASSERT_TRUE(r.has_vapour && r.has_liquid) << what;
    ASSERT_EQ(c.numberOfPhases(), 2) << what;
    const auto v = c.phase(0), l = c.phase(1);
    EXPECT_EQ(v.type(), ravelin::kPhaseVapour) << what;
    EXPECT_EQ(l.type(), ravelin::kPhaseLiquid) << what;
    EXPECT_NEAR(v.fraction(), r.beta, 1e-7) << what;
    EXPECT_NEAR(l.fraction(), 1.0 - r.beta, 1e-7) << what;
    EXPECT_NEAR(c.overall().fraction(), r.beta, 1e-7) << what;
    EXPECT_LT(largestDifference(v.composition(), r.y), 1e-7) << what;
    EXPECT_LT(largestDifference(l.composition(), r.x), 1e-7) << what;
    for (const auto& p : {v, l}) {
      EXPECT_EQ(p.status(), ravelin::kPhaseStatusPresent) << what;
      EXPECT_NEAR(p.temperature(), r.T_K, 1e-6 * r.T_K) << what;
      EXPECT_NEAR(p.pressure(), r.P_Pa / 1000.0, 1e-6 * r.P_Pa / 1000.0) << what;
    }
  }

  ComPtr<IExtendedPropPackage> m_package;
};

}  // namespace

// TP flashes of a stream: at a round pressure, into a collection reused after a single-phase
// result or of four phase objects, after the simulator exchanged compounds, and of all compounds
// with the component set up for some.
TEST_F(Execute, tp_flashes_match_the_peng_robinson_flash_in_any_collection) {
  auto flash = openFlash(kNaturalGas);
  ASSERT_TRUE(flash);
  const pr::FlashResult tp = prFlash().tp(250.0, 3.0e6, kGasFeed);
  // 70 kPa equals a guarded-logarithm limit in the simulator's units; it is a pressure.
  for (double P : {3000.0, 70.0, 70.001}) {
    auto c = collection(250.0, P, kGasFeed);
    ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK) << P;
    expectPhases(c, prFlash().tp(250.0, P * 1000.0, kGasFeed),
                 "TP 250 K, " + std::to_string(P) + " kPa");
    EXPECT_DOUBLE_EQ(c.overall().temperature(), 250.0);  // specified: left as they were
    EXPECT_DOUBLE_EQ(c.overall().pressure(), P);
  }
  // A stream's collection on every pass: a single-phase result first, in the first phase object.
  for (auto [T, P, type] : {std::tuple{400.0, 1000.0, ravelin::kPhaseVapour},
                            std::tuple{150.0, 10000.0, ravelin::kPhaseLiquid}}) {
    auto c = collection(T, P, kGasFeed);
    ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK) << T;
    ASSERT_EQ(c.numberOfPhases(), 1) << T;
    EXPECT_EQ(c.phase(0).type(), type) << T;
    EXPECT_DOUBLE_EQ(c.phase(0).fraction(), 1.0) << T;
    EXPECT_DOUBLE_EQ(c.phase(0).pressure(), P) << T;
    EXPECT_LT(largestDifference(c.phase(0).composition(), kGasFeed), 1e-12) << T;
    EXPECT_EQ(c.phase(1).status(), ravelin::kPhaseStatusAbsent) << T;
    EXPECT_DOUBLE_EQ(c.overall().fraction(), type == ravelin::kPhaseVapour ? 1.0 : 0.0) << T;
    c.overall().setTemperature(250.0);
    c.overall().setPressure(3000.0);
    ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK);
    expectPhases(c, tp, "TP 250 K, 3000 kPa after a single-phase pass");
  }
  // Four phase objects: the two results, the others absent.
  std::vector<ravelin::Phase> objects;
  for (int i = 0; i < 4; ++i)
    objects.push_back(ravelin::Phase::create(*fluid, ravelin::kPhaseVapour));
  auto four = ravelin::PhaseCollection::create(
      phase(ravelin::kPhaseOverall, 250.0, 3000.0, kGasFeed), objects);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, four), S_OK) << notices();
  expectPhases(four, tp, "TP 250 K, 3000 kPa into four phase objects");
  for (std::size_t i : {2u, 3u}) EXPECT_EQ(four.phase(i).status(), ravelin::kPhaseStatusAbsent);
  // The simulator swaps methane and n-hexane in its fluid package: the package still sees its
  // own order.
  ASSERT_EQ(m_package->ExchangeCompounds(0, 6), S_OK);
  pr::FlashResult swapped = tp;
  Doubles feed = kGasFeed;
  for (Doubles* v : {&swapped.y, &swapped.x, &feed}) std::swap((*v)[0], (*v)[6]);
  auto exchanged = collection(250.0, 3000.0, feed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, exchanged), S_OK);
  expectPhases(exchanged, swapped, "TP after an exchange of compounds");
  // Set up for some of the compounds, the component flashes a collection of all of them in the
  // package's order.
  flash = openFlash(testsupport::naturalGasCompounds(4));
  useFluid(kNaturalGas);
  auto all = collection(250.0, 3000.0, kGasFeed);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, all), S_OK) << notices();
  expectPhases(all, tp, "TP 250 K, 3000 kPa of all compounds");
  EXPECT_TRUE(env.notices.empty()) << notices();
}

TEST_F(Execute, the_other_flash_types_match_the_peng_robinson_flash) {
  auto flash = openFlash(kNaturalGas);
  ASSERT_TRUE(flash);
  pr::FlashSolver& ref = prFlash();
  const pr::FlashResult tp = ref.tp(250.0, 3.0e6, kGasFeed);
  const double h = tp.h_Jmol, s = tp.s_JmolK, vf = tp.beta;
  struct Case {
    tagFlashTypeEnum type;
    const char* what;
    pr::FlashResult want;
    double T, P;  //!< the collection's overall state before the flash [K, kPa]
    const char* property;
    double value, vapourFraction = -1.0;
  };
  const Case cases[] = {
      // Back to the TP flash's state; the host's kJ/kmol are numerically the package's J/mol.
      {xftPHFlash, "PH at 3000 kPa", ref.ph(3.0e6, h, kGasFeed), 300.0, 3000.0, "Enthalpy", h},
      {xftPSFlash, "PS at 3000 kPa", ref.ps(3.0e6, s, kGasFeed), 300.0, 3000.0, "Entropy", s},
      {xftTHFlash, "TH at 250 K", ref.th(250.0, h, kGasFeed), 250.0, 100.0, "Enthalpy", h},
      {xftTSFlash, "TS at 250 K", ref.ts(250.0, s, kGasFeed), 250.0, 100.0, "Entropy", s},
      {xftPVFlash, "PVF at 3000 kPa", ref.pvf(3.0e6, vf, kGasFeed), 300.0, 3000.0, nullptr, 0.0,
       vf},
      // Bubble and dew points: the incipient phase is a result phase with fraction 0.
      {xftTVFlash, "TVF bubble point", ref.tvf(250.0, 0.0, kGasFeed), 250.0, 100.0, nullptr, 0.0,
       0.0},
      {xftTVFlash, "TVF dew point", ref.tvf(250.0, 1.0, kGasFeed), 250.0, 100.0, nullptr, 0.0, 1.0},
      {xftHVFlash, "HVF", ref.hvf(h, vf, kGasFeed), 300.0, 100.0, "Enthalpy", h, vf},
  };
  for (const auto& k : cases) {
    auto c = collection(k.T, k.P, kGasFeed);
    if (k.property) c.overall().setValue(k.property, k.value);
    if (k.vapourFraction >= 0.0) c.overall().setFraction(k.vapourFraction);
    ASSERT_EQ(execute(flash.get(), k.type, c), S_OK) << k.what << notices();
    expectPhases(c, k.want, k.what);
    EXPECT_NEAR(c.overall().temperature(), k.want.T_K, 1e-6 * k.want.T_K) << k.what;
    EXPECT_NEAR(c.overall().pressure(), k.want.P_Pa / 1000.0, 1e-6 * k.want.P_Pa / 1000.0)
        << k.what;
  }
  EXPECT_TRUE(env.notices.empty()) << notices();
}

TEST_F(Execute, a_flash_before_the_property_registration_is_told) {
  // The property ids are the module's, once per process: a fresh process has none.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto flashBeforeRegistration = [this] {
    auto pkg = open(testsupport::kPengRobinsonSelection, kNaturalGas, true, false);
    auto flash = pkg.as<IExtendedFlash>();
    for (auto [type, name] :
         {std::pair{xftPHFlash, "Enthalpy"}, std::pair{xftTSFlash, "Entropy"}}) {
      auto c = collection(250.0, 3000.0, kGasFeed);
      c.overall().setValue(name, -1000.0);
      auto log = ravelin::ErrorLog::create();
      const HRESULT hr = execute(flash.get(), type, c, log.dispatch());
      std::fprintf(stderr, "<%s %s %zu:%s>\n", name, hr == E_FAIL ? "E_FAIL" : "other",
                   log.entries().size(),
                   log.entries().empty() ? "" : log.entries()[0].message.c_str());
    }
    std::fflush(stderr);
    std::_Exit(0);
  };
  EXPECT_EXIT(flashBeforeRegistration(), ::testing::ExitedWithCode(0),
              "<Enthalpy E_FAIL 1:[^\n]*The simulator has given no id for property 'enthalpy': "
              "the property ids are not initialised.[^\n]*\n[^\n]*<Entropy E_FAIL 1:[^\n]*"
              "'entropy'");
}

TEST_F(Execute, the_ideal_package_flashes_at_given_temperature_and_pressure_only) {
  select(testsupport::kIdealSelection);
  const auto light = testsupport::naturalGasCompounds(4);
  const Doubles z = {0.4, 0.3, 0.2, 0.1};
  auto flash = openFlash(light);
  ASSERT_TRUE(flash);
  const auto table = ideal::CompoundTable::load(IDEAL_PACKAGE_DATA_DIR "/compounds.csv");
  std::vector<ideal::Compound> compounds;
  for (std::size_t i = 0; i < 4; ++i)
    compounds.push_back(table.compounds()[*table.find(pr::test::kNaturalGas[i])]);
  const auto ref = ideal::tpFlash(ideal::IdealMixture(compounds), 250.0, 1.0e6, z);

  auto c = collection(250.0, 1000.0, z);
  ASSERT_EQ(execute(flash.get(), xftPTFlash, c), S_OK);
  ASSERT_EQ(c.numberOfPhases(), 2);
  EXPECT_NEAR(c.overall().fraction(), ref.vaporFraction, 1e-8);
  EXPECT_LT(largestDifference(c.phase(0).composition(), ref.y), 1e-8);
  EXPECT_LT(largestDifference(c.phase(1).composition(), ref.x), 1e-8);

  // PH is not the ideal package's: refused without a message, nothing written.
  auto ph = collection(250.0, 1000.0, z);
  ph.overall().setValue("Enthalpy", -100000.0);
  EXPECT_EQ(execute(flash.get(), xftPHFlash, ph), E_NOTIMPL);
  EXPECT_EQ(ph.phase(0).status(), ravelin::kPhaseStatusUnknown);
  INT status = -1;
  EXPECT_EQ(flash->CanHandleFlashType(xftPHFlash, &status), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(env.notices.empty());
}

TEST_F(Execute, what_the_component_refuses) {
  auto early = openFlash(kNaturalGas, false);  // not set up yet
  ASSERT_TRUE(early);
  auto c = collection(250.0, 3000.0, kGasFeed);
  EXPECT_EQ(execute(early.get(), xftPTFlash, c), E_FAIL);
  EXPECT_EQ(c.phase(0).status(), ravelin::kPhaseStatusUnknown);

  auto flash = openFlash(kNaturalGas);
  EXPECT_EQ(execute(flash.get(), xftZPFlash, c), E_NOTIMPL);
  EXPECT_TRUE(env.notices.empty());
  // An unfeasible feed in an array of the host's own, told in the call's error log.
  auto log = ravelin::ErrorLog::create();
  Doubles bad = kGasFeed;
  bad[1] = -0.5;
  auto unfeasible = collection(250.0, 3000.0, kGasFeed);
  ComPtr<IBasicPhase> overall;
  unfeasible.overall().dispatch()->QueryInterface(IBasicPhase::kIID, overall.putVoid());
  ASSERT_EQ(overall->put_Composition(ravelin::RealArray::create(bad).dispatch()), S_OK);
  EXPECT_EQ(execute(flash.get(), xftPTFlash, unfeasible, log.dispatch()), E_FAIL);
  ASSERT_EQ(log.entries().size(), 1u);
  EXPECT_NE(log.entries()[0].message.find("INTERNAL ERROR: The Simulator provided unfeasible "
                                          "thermodynamic values "),
            std::string::npos);
  EXPECT_NE(log.entries()[0].message.find("calculating flash TP"), std::string::npos);
  // A collection of another fluid package: no compounds, or fewer than the package's.
  for (std::size_t n : {0u, 3u}) {
    useFluid(testsupport::naturalGasCompounds(n));
    auto other = ravelin::ErrorLog::create();
    EXPECT_EQ(execute(flash.get(), xftPTFlash,
                      collection(250.0, 3000.0, Doubles(n, 1.0 / static_cast<double>(n))),
                      other.dispatch()),
              E_FAIL);
    ASSERT_EQ(other.entries().size(), 1u) << n;
    EXPECT_NE(other.entries()[0].message.find(
                  n ? "The simulator provided 3 compounds, which cannot be matched with the 10 "
                      "compounds of the CAPE-OPEN package."
                    : "INTERNAL ERROR "),
              std::string::npos)
        << other.entries()[0].message;
  }
}

TEST_F(Execute, a_package_answer_out_of_bounds_is_told_or_trimmed_to_the_collection) {
  static constexpr const char* kLiquidRemoved =
      "Too many phases. Phase 'Liquid' will be removed. Inconsistency error may appear";
  select("package = CORavlTest.OddFlashPackage.1\n");
  auto flash = openFlash(kNaturalGas);
  ASSERT_TRUE(flash);
  const struct {
    const char* answer;
    HRESULT hr;
    const char* told;  //!< in the call's error log ("" for nothing)
    Doubles fractions;
  } rows[] = {
      {"cold", E_FAIL, "CAPE-OPEN flash returns T <= 0 K.", {}},
      {"vacuum", E_FAIL, "CAPE-OPEN flash returns P <=0 Pa.", {}},
      {"sum", E_FAIL, "unfeasible phase fractions or compositions. Phase: all", {}},
      // The smallest phase goes, and is the one named; on equal fractions the later slot.
      {"three", S_OK, kLiquidRemoved, {0.5, 0.4}},
      {"tie", S_OK, kLiquidRemoved, {0.2, 0.6}},
      // A liquid without its fraction takes what the vapour leaves.
      {"liquid-share", S_OK, "", {0.3, 0.7}},
      {"foam", CORAVL_E_NOPHASES, "", {}},
  };
  for (const auto& row : rows) {
    testsupport::ScopedEnv answer("CORAVL_TEST_FLASH", row.answer);
    auto c = collection(250.0, 3000.0, kGasFeed);
    c.overall().setFraction(0.5);
    auto log = ravelin::ErrorLog::create();
    EXPECT_EQ(execute(flash.get(), xftPTFlash, c, log.dispatch()), row.hr) << row.answer;
    std::string all;
    for (const auto& e : log.entries()) all += e.message + "\n";
    if (*row.told) {
      EXPECT_NE(all.find(row.told), std::string::npos) << row.answer << ": " << all;
    } else {
      EXPECT_EQ(all, "") << row.answer;
    }
    ASSERT_EQ(c.numberOfPhases(), static_cast<LONG>(row.fractions.size())) << row.answer;
    for (std::size_t i = 0; i < row.fractions.size(); ++i) {
      EXPECT_DOUBLE_EQ(c.phase(i).fraction(), row.fractions[i]) << row.answer;
      EXPECT_EQ(c.phase(i).type(), i ? ravelin::kPhaseLiquid : ravelin::kPhaseVapour) << row.answer;
    }
    if (row.hr == CORAVL_E_NOPHASES) {
      EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);
    }
  }
}

TEST_F(Execute, the_material_object_names_the_second_liquid_by_the_packages_label) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"CORavlTest.OddFlashPackage.1", &clsid), S_OK);
  ComPtr<IDispatch> package;
  ASSERT_EQ(
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, package.putVoid()),
      S_OK);
  ComPtr<IMatObj> material;
  ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                             IMatObj::kIID, material.putVoid()),
            S_OK);
  ASSERT_EQ(material->SetPackage(package.get()), S_OK);
  for (auto [id, label] :
       {std::pair{COIds::PhaseVapor, "Vapor"}, std::pair{COIds::PhaseLiquid2, "Liquid2"}}) {
    comlite::Bstr got;
    ASSERT_EQ(material->GetPhaseLabel(id, got.out()), S_OK) << label;
    EXPECT_EQ(got.utf8(), label);
  }
  material->SetPackage(nullptr);
}
