//! The flash run on its own: the built material object bound to a package that answers a
//! scripted equilibrium, the host's own phase collection, and a phase table given by hand.

#include "flash/flash_execution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/object.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_support.h"
#include "frame/host_interfaces.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "ravelin/arrays.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "reporter/method_guard.h"
#include "reporter/ravl_error.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

namespace fl = coravl::flash;
using capeside::makeDoubleArray;
using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;
using Doubles = std::vector<double>;
using Strings = std::vector<std::string>;

namespace {

struct ScriptPhase {
  std::string label;
  double fraction = 0.0;
  Doubles x;
  bool withFraction = true;
};

//! Three compounds; phases Vap, Liq1, Liq2 (a second liquid), Ice (a solid) and Foam (of no
//! known kind). The equilibrium routine notes what it is given, then writes `result`, T and P.
class ScriptedPackage : public comlite::ComObject<ScriptedPackage, ICapeThermoEquilibriumRoutine,
                                                  ICapeThermoMaterialContext, ICapeThermoCompounds,
                                                  ICapeThermoPhases> {
 public:
  std::vector<ScriptPhase> result;
  double T = 250.0, P = 2.0e6;
  HRESULT failure = S_OK;
  int calls = 0;
  Strings spec1, spec2, allowed;
  std::string solutionType;
  std::map<std::string, Doubles> seen;  //!< overall values, and the vapour's "phaseFraction"

  HRESULT SetMaterial(IDispatch* m) override {
    m_mo = ComPtr<IDispatch>(m).as<ICapeThermoMaterial>();
    return S_OK;
  }
  HRESULT UnsetMaterial() override { return S_OK; }
  HRESULT CalcEquilibrium(VARIANT s1, VARIANT s2, BSTR type) override {
    ++calls;
    spec1 = strings(s1);
    spec2 = strings(s2);
    solutionType = capeside::text(type);
    Variant labels, status, v;
    m_mo->GetPresentPhases(&labels, &status);
    allowed = strings(labels);
    for (const char* p : {"fraction", "temperature", "pressure", "enthalpy"})
      if (SUCCEEDED(m_mo->GetOverallProp(Bstr(p).get(), Bstr("mole").get(), v.out())))
        seen[p] = capeside::doubleList(v).value_or(Doubles{});
    if (SUCCEEDED(m_mo->GetSinglePhaseProp(Bstr("phaseFraction").get(), Bstr("Vap").get(),
                                           Bstr("mole").get(), v.out())))
      seen["phaseFraction"] = capeside::doubleList(v).value_or(Doubles{});
    if (FAILED(failure)) {
      comlite::setErrorInfo("no solution at this state", "FakeEquilibrium");
      return failure;
    }
    // A fresh answer: no value of an earlier one stays on the phases.
    m_mo->SetPresentPhases(capeside::makeStringArray({}), capeside::makeLongArray({}));
    Strings present;
    for (const auto& p : result) present.push_back(p.label);
    HRESULT hr =
        m_mo->SetPresentPhases(capeside::makeStringArray(present),
                               capeside::makeLongArray(std::vector<LONG>(present.size(), 1)));
    for (const auto& p : result) {
      if (p.withFraction && SUCCEEDED(hr)) hr = put("phaseFraction", p.label, {p.fraction});
      if (SUCCEEDED(hr)) hr = put("fraction", p.label, p.x);
    }
    if (SUCCEEDED(hr))
      hr = m_mo->SetOverallProp(Bstr("temperature").get(), nullptr, makeDoubleArray({T}));
    if (SUCCEEDED(hr))
      hr = m_mo->SetOverallProp(Bstr("pressure").get(), nullptr, makeDoubleArray({P}));
    return hr;
  }
  HRESULT CheckEquilibriumSpec(VARIANT, VARIANT, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT GetCompoundList(VARIANT* ids, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return capeside::putVariant(ids, capeside::makeStringArray({"methane", "ethane", "propane"}));
  }
  HRESULT GetNumCompounds(LONG* n) override { return *n = 3, S_OK; }
  HRESULT GetCompoundConstant(VARIANT, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetConstPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetNumPhases(LONG* n) override { return *n = 5, S_OK; }
  HRESULT GetPhaseInfo(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT*) override {
    capeside::putVariant(labels, capeside::makeStringArray({"Vap", "Liq1", "Liq2", "Ice", "Foam"}));
    return capeside::putVariant(
        states, capeside::makeStringArray({"Vapor", "Liquid", "Liquid", "Solid", "Foam"}));
  }

 private:
  static Strings strings(const VARIANT& v) { return capeside::stringList(v).value_or(Strings{}); }
  HRESULT put(const char* property, const std::string& label, const Doubles& values) {
    return m_mo->SetSinglePhaseProp(Bstr(property).get(), Bstr(label).get(), Bstr("mole").get(),
                                    makeDoubleArray(values));
  }
  ComPtr<ICapeThermoMaterial> m_mo;
};

//! Slots as the material object client places the package's phases: Vap 0, Liq1 1, Liq2 2,
//! Ice 4 (read by label); Foam has none.
class HandPhaseTable : public fl::FlashPhaseTable {
 public:
  explicit HandPhaseTable(ICapeThermoMaterial* material) : m_material(material) {}
  LONG hostPhaseCount() const override { return 5; }
  BSTR labelOfSlot(LONG slot) const override {
    return slot >= 0 && slot < 6 ? labels[slot].get() : nullptr;
  }
  CQoBSTR labels[6] = {"Vap", "Liq1", "Liq2", "", "Ice", ""};
  LONG phaseIdOfSlot(LONG slot) const override { return slot >= 0 && slot < 3 ? 3 + slot : 0; }
  LONG hostPhaseTypeOfSlot(LONG slot) const override { return slot == 0 ? 3 : slot >= 4 ? 6 : 4; }
  HRESULT readOfSlot(LONG property, LONG slot, std::span<double> values) override {
    Variant v;
    HRESULT hr = m_material->GetSinglePhaseProp(COIds::id2str(property), labelOfSlot(slot),
                                                Bstr("mole").get(), &v);
    const Doubles read = capeside::doubleList(v).value_or(Doubles{});
    if (SUCCEEDED(hr))
      std::copy(read.begin(), read.begin() + std::min(read.size(), values.size()), values.begin());
    return hr;
  }
  void rememberComposition(std::span<const double> x, LONG slot) override {
    remembered[slot] = Doubles(x.begin(), x.end());
  }
  std::map<LONG, Doubles> remembered;

 private:
  ICapeThermoMaterial* m_material;
};

class FlashExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
    // The host's property ids, so that enthalpy and vapour fraction specifications resolve.
    ComPtr<IPropertyEnumerationRegistry> registry;
    m_registry.dispatch()->QueryInterface(IPropertyEnumerationRegistry::kIID, registry.putVoid());
    propertyFactory().registerAll(registry.get());
    m_package = ComPtr<ScriptedPackage>::attach(comlite::makeObject<ScriptedPackage>());
    ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                               IMatObj::kIID, m_matObj.putVoid()),
              S_OK);
    ASSERT_EQ(m_matObj->SetPackage(static_cast<ICapeThermoPhases*>(m_package.get())), S_OK);
    m_material = m_matObj.as<ICapeThermoMaterial>();
    m_table = std::make_unique<HandPhaseTable>(m_material.get());
    m_array.dispatch()->QueryInterface(IRealArrayDisp::kIID, m_arrayObject.putVoid());
    for (LONG id = COIds::FlashTP; id <= COIds::FlashTS; ++id) m_supported.push_back(id);
    m_reporter.setCallContext(m_log.dispatch(), nullptr);
  }
  void TearDown() override {
    m_reporter.setCallContext(nullptr, nullptr);
    m_matObj->SetPackage(nullptr);
  }
  //! An overall phase at 250 K and 2000 kPa with `x`, and `phases` phase objects.
  ravelin::PhaseCollection collection(Doubles x = {0.5, 0.3, 0.2}, int phases = 2,
                                      const ravelin::CompoundList* other = nullptr) {
    const auto& list = other ? *other : m_compounds;
    auto overall = ravelin::Phase::create(list, ravelin::kPhaseOverall);
    overall.setTemperature(250.0);
    overall.setPressure(2000.0);
    if (!x.empty()) overall.setComposition(x);
    std::vector<ravelin::Phase> objects;
    for (int i = 0; i < phases; ++i) objects.push_back(ravelin::Phase::create(list, 3 + (i > 0)));
    return ravelin::PhaseCollection::create(overall, objects);
  }
  HRESULT run(LONG type, const ravelin::PhaseCollection& c, bool withThermo = true) {
    fl::FlashLinks links{m_matObj.get(),
                         m_material.get(),
                         static_cast<ICapeThermoPhases*>(m_package.get()),
                         m_package.get(),
                         m_arrayObject.get(),
                         m_table.get(),
                         3,
                         m_positionMap};
    fl::FlashState state{m_factory, m_supported, m_spec1, m_spec2, m_solutionType};
    fl::FlashRecord record{m_count, m_compositions, m_labels, &m_scratch};
    return fl::executeFlash(type, c.dispatch(), withThermo ? c.dispatch() : nullptr, links, {},
                            state, record, m_reporter, m_guard);
  }
  bool logged(const std::string& text) const {
    for (const auto& e : m_log.entries())
      if (e.message.find(text) != std::string::npos) return true;
    return false;
  }
  Strings labels() const {
    Strings out;
    for (const auto& l : m_labels) out.push_back(l.narrow());
    return out;
  }

  testsupport::ModuleEnvironment m_env;
  ravelin::PropertyRegistry m_registry = ravelin::PropertyRegistry::create();
  ravelin::CompoundList m_compounds = ravelin::CompoundList::create(
      {ravelin::Compound::create({"Methane", "74-82-8", "CH4", 1, {}}),
       ravelin::Compound::create({"Ethane", "74-84-0", "C2H6", 2, {}}),
       ravelin::Compound::create({"Propane", "74-98-6", "C3H8", 3, {}})});
  ComPtr<ScriptedPackage> m_package;
  ComPtr<IMatObj> m_matObj;
  ComPtr<ICapeThermoMaterial> m_material;
  std::unique_ptr<HandPhaseTable> m_table;
  ravelin::RealArray m_array = ravelin::RealArray::create();
  ComPtr<IRealArrayDisp> m_arrayObject;
  ravelin::ErrorLog m_log = ravelin::ErrorLog::create();
  std::vector<LONG> m_positionMap, m_supported;
  CCORVLflashFactory m_factory;
  Variant m_spec1, m_spec2;
  Bstr m_solutionType;
  LONG m_count = fl::kNoCompounds;
  std::vector<Doubles> m_compositions;
  std::vector<CQoBSTR> m_labels;
  fl::FlashScratch m_scratch;
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
};

const Doubles kY = {0.8, 0.15, 0.05}, kX = {0.3, 0.4, 0.3};

}  // namespace

TEST_F(FlashExecution, a_tp_flash_puts_the_feed_on_the_material_and_copies_each_phase_back) {
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  m_package->P = 101325.0;  // the package's pressure is what the phases show
  auto c = collection();
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(m_package->seen["fraction"], (Doubles{0.5, 0.3, 0.2}));
  EXPECT_EQ(m_package->seen["pressure"], Doubles{2.0e6});
  EXPECT_EQ(m_package->spec1, (Strings{"temperature", "", "Overall", ""}));
  EXPECT_EQ(m_package->spec2, (Strings{"pressure", "", "Overall", ""}));
  EXPECT_EQ(m_package->solutionType, "Unspecified");
  EXPECT_EQ(m_solutionType.utf8(), "Unspecified");
  // Every package phase that has a slot may be present, whatever the collection holds.
  EXPECT_EQ(m_package->allowed, (Strings{"Vap", "Liq1", "Liq2", "Ice"}));

  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.4);
  for (int i : {0, 1}) {
    const auto p = c.phase(static_cast<std::size_t>(i));
    EXPECT_EQ(p.type(), i == 0 ? ravelin::kPhaseVapour : ravelin::kPhaseLiquid);
    EXPECT_EQ(p.status(), ravelin::kPhaseStatusPresent);
    EXPECT_DOUBLE_EQ(p.fraction(), i == 0 ? 0.4 : 0.6);
    EXPECT_EQ(p.composition(), i == 0 ? kY : kX);
    EXPECT_DOUBLE_EQ(p.temperature(), 250.0);
    EXPECT_DOUBLE_EQ(p.pressure(), 101.325);
  }
  // Both specified: the overall state stays the host's.
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 2000.0);
  EXPECT_EQ(c.overall().composition(), (Doubles{0.5, 0.3, 0.2}));
  EXPECT_EQ(labels(), (Strings{"Vap", "Liq1"}));
  EXPECT_EQ(m_compositions.at(3), (Doubles{0.5, 0.3, 0.2}));
  EXPECT_EQ(m_reporter.currentPhases(), 1);
  EXPECT_EQ(m_count, fl::kNoCompounds);
  EXPECT_TRUE(m_log.entries().empty());
  // A flash after the package's phases changed offers the new ones.
  m_table->labels[2] = CQoBSTR("Foam");
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(m_package->allowed, (Strings{"Vap", "Liq1", "Foam", "Ice"}));
  m_table->labels[2] = CQoBSTR("Liq2");

  // A fluid package of propane, methane, ethane reaches the material in the package's order.
  m_positionMap = {2, 0, 1};
  auto reordered = collection({0.2, 0.5, 0.3});
  ASSERT_EQ(run(xftPTFlash, reordered), S_OK);
  EXPECT_EQ(m_package->seen["fraction"], (Doubles{0.5, 0.3, 0.2}));
  EXPECT_EQ(reordered.phase(0).composition(), (Doubles{0.05, 0.8, 0.15}));
  // Two of them are a subset; without a map they cannot be placed.
  auto two =
      ravelin::CompoundList::create({ravelin::Compound::create({"Methane", "74-82-8", "", 1, {}}),
                                     ravelin::Compound::create({"Ethane", "74-84-0", "", 2, {}})});
  auto subset = collection({0.5, 0.5}, 2, &two);
  m_positionMap = {1, 0};
  ASSERT_EQ(run(xftPTFlash, subset), S_OK);
  EXPECT_EQ(m_package->seen["fraction"], (Doubles{0.5, 0.5, 0.0}));
  EXPECT_EQ(subset.phase(0).composition(), (Doubles{0.15, 0.8}));
  m_positionMap.clear();
  EXPECT_EQ(run(xftPTFlash, subset), E_FAIL);
  EXPECT_TRUE(
      logged("The simulator provided 2 compounds, which cannot be matched with the 3 "
             "compounds of the CAPE-OPEN package."));
}

TEST_F(FlashExecution, the_collection_takes_what_it_can_hold_of_the_package_answer) {
  // PH: enthalpy from the host; three phases for two objects, the smallest goes (traced).
  m_package->result = {{"Vap", 0.5, kY}, {"Liq1", 0.1, kX}, {"Liq2", 0.4, kX}};
  m_package->T = 231.5;
  auto c = collection();
  c.overall().setValue("Enthalpy", -5000.0);
  ASSERT_EQ(run(xftPHFlash, c), S_OK);
  EXPECT_EQ(m_package->seen["enthalpy"], Doubles{-5000.0});
  EXPECT_TRUE(
      logged("Too many phases. Phase 'Liq2' will be removed. Inconsistency error may appear"));
  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_EQ(labels(), (Strings{"Vap", "Liq2"}));
  EXPECT_DOUBLE_EQ(c.phase(1).fraction(), 0.4);
  EXPECT_DOUBLE_EQ(c.overall().temperature(), 231.5);  // found
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 2000.0);    // specified
  // On equal fractions the later slot goes.
  m_package->result = {{"Vap", 0.2, kY}, {"Liq1", 0.2, kX}, {"Liq2", 0.6, kX}};
  ASSERT_EQ(run(xftPHFlash, c), S_OK);
  EXPECT_EQ(labels(), (Strings{"Vap", "Liq2"}));

  // A liquid without its fraction takes what the vapour leaves; alone, the whole feed.
  m_package->result = {{"Vap", 0.3, kY}, {"Liq1", 0.0, kX, false}};
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_DOUBLE_EQ(c.phase(1).fraction(), 0.7);
  m_package->result = {{"Liq1", 0.0, kX, false}};
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(c.numberOfPhases(), 1);
  EXPECT_DOUBLE_EQ(c.phase(0).fraction(), 1.0);
  EXPECT_EQ(c.phase(0).type(), ravelin::kPhaseLiquid);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);
  EXPECT_EQ(c.phase(1).status(), ravelin::kPhaseStatusAbsent);

  // A solid is read by its label and remembered for its slot.
  m_package->result = {{"Vap", 0.9, kY}, {"Ice", 0.1, {0.0, 0.0, 1.0}}};
  auto three = collection({0.5, 0.3, 0.2}, 3);
  ASSERT_EQ(run(xftPTFlash, three), S_OK);
  EXPECT_EQ(three.phase(1).type(), ravelin::kPhaseSolid);
  EXPECT_DOUBLE_EQ(three.phase(1).fraction(), 0.1);
  EXPECT_EQ(three.phase(2).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_EQ(m_table->remembered[4], (Doubles{0.0, 0.0, 1.0}));

  // No phase the host knows: an empty collection, and no message.
  m_log.clear();
  m_package->result = {{"Foam", 1.0, kX}};
  c.overall().setFraction(0.7);
  EXPECT_EQ(run(xftPTFlash, c), CORAVL_E_NOPHASES);
  EXPECT_EQ(c.numberOfPhases(), 0);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);
  EXPECT_EQ(c.phase(0).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_TRUE(m_log.entries().empty());
}

TEST_F(FlashExecution, an_unfeasible_or_failed_answer_leaves_no_phase_present) {
  auto c = collection();
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  ASSERT_EQ(c.numberOfPhases(), 2);
  const Doubles nan3 = {0.5, std::nan(""), 0.5};
  const struct {
    std::vector<ScriptPhase> result;
    const char* what;
  } cases[] = {
      {{{"Vap", 0.0, kY, false}, {"Liq1", 0.6, kX}}, "a phase lost: fractions sum to 0.6"},
      {{{"Vap", 0.4, kY}, {"Liq1", 0.7, kX}}, "fractions sum to 1.1"},
      {{{"Vap", 1.2, kY}}, "fraction above 1"},
      {{{"Vap", std::nan(""), kY}}, "fraction not a number"},
      {{{"Vap", 0.4, {0.8, 0.15, 0.15}}, {"Liq1", 0.6, kX}}, "composition sums to 1.1"},
      {{{"Vap", 0.4, {1.1, -0.1, 0.0}}, {"Liq1", 0.6, kX}}, "composition outside [0, 1]"},
      {{{"Vap", 1.0, nan3}}, "composition not a number"},
  };
  for (const auto& k : cases) {
    m_log.clear();
    m_package->result = k.result;
    EXPECT_EQ(run(xftPTFlash, c), E_FAIL) << k.what;
    EXPECT_TRUE(
        logged("The CAPE-OPEN package returned unfeasible phase fractions or "
               "compositions. Phase: "))
        << k.what;
    EXPECT_EQ(c.numberOfPhases(), 0) << k.what;
    for (int i : {0, 1}) EXPECT_EQ(c.phase(i).status(), ravelin::kPhaseStatusAbsent) << k.what;
  }
  // Rounding noise at the ends is no failure.
  m_package->result = {{"Vap", 1.0 + 1e-12, {0.5, 0.5 + 1e-12, -1e-12}}};
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(c.phase(0).composition(), (Doubles{0.5, 0.5 + 1e-12, 0.0}));
  EXPECT_DOUBLE_EQ(c.phase(0).fraction(), 1.0);
  // The package fails after an earlier success: nothing of that success stays present.
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  m_package->failure = ECapeSolvingErrorHR;
  EXPECT_EQ(run(xftPTFlash, c), ECapeSolvingErrorHR);
  EXPECT_EQ(c.numberOfPhases(), 0);
  for (int i : {0, 1}) EXPECT_EQ(c.phase(i).status(), ravelin::kPhaseStatusAbsent);
}

TEST_F(FlashExecution, a_tvf_flash_fixes_the_vapour_fraction_and_finds_the_pressure) {
  m_package->result = {{"Vap", 0.0, kY}, {"Liq1", 1.0, kX}};
  m_package->P = 1.5e6;
  auto c = collection();
  c.overall().setFraction(0.0);
  ASSERT_EQ(run(xftTVFlash, c), S_OK);
  EXPECT_EQ(m_package->seen["temperature"], Doubles{250.0});
  EXPECT_EQ(m_package->seen["phaseFraction"], Doubles{0.0});
  EXPECT_EQ(m_package->spec2, (Strings{"phaseFraction", "mole", "Vap", ""}));
  EXPECT_EQ(m_package->solutionType, "Normal");
  EXPECT_EQ(c.numberOfPhases(), 2);  // the incipient vapour is a result phase
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 1500.0);
  EXPECT_DOUBLE_EQ(c.overall().temperature(), 250.0);
}

TEST_F(FlashExecution, what_ends_a_flash_and_how_it_is_told) {
  // Flash types not served and unfeasible feeds are checked through the component.
  auto c = collection();
  // A compound without a value, an enthalpy the host does not hold: E_FAIL, no message.
  auto partial = collection();
  partial.overall().setSubList(std::vector<LONG>{1, 2});
  EXPECT_EQ(run(xftPTFlash, partial), E_FAIL);
  EXPECT_EQ(run(xftPHFlash, c), E_FAIL);
  EXPECT_TRUE(m_log.entries().empty());
  // An unfeasible host pressure, no compounds, no thermo property.
  c.overall().setPressure(0.0);
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("for property 'pressure'"));
  c.overall().setPressure(2000.0);
  auto none = ravelin::CompoundList::create({});
  EXPECT_EQ(run(xftPTFlash, collection({}, 2, &none)), E_FAIL);
  EXPECT_TRUE(logged(std::string("INTERNAL ERROR ") + fl::kEmptyCompoundsText));
  EXPECT_EQ(run(xftPTFlash, c, false), E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR Ravelin ExceptionError executing flash"));
  EXPECT_EQ(m_package->calls, 0);
  EXPECT_EQ(m_count, fl::kNoCompounds);

  // The package fails: its own status, and its own reason once in the host's log.
  m_log.clear();
  m_package->failure = ECapeSolvingErrorHR;
  EXPECT_EQ(run(xftPTFlash, c), ECapeSolvingErrorHR);
  ASSERT_EQ(m_log.entries().size(), 1u);
  EXPECT_TRUE(logged("calculating an equilibrium (CalcEquilibrium)"));
  EXPECT_TRUE(logged("no solution at this state"));
  m_package->failure = S_OK;
  // The package answers a state that is none.
  m_package->result = {{"Vap", 1.0, kY}};
  m_package->T = 0.0;
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("did not follow the standard while CAPE-OPEN flash returns T <= 0 K."));
  m_package->T = 250.0;
  m_package->P = -1.0;
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("CAPE-OPEN flash returns P <=0 Pa."));
  m_package->P = 2.0e6;
  // A phase object of another fluid package refuses the composition: a host failure inside.
  auto two = ravelin::CompoundList::create({ravelin::Compound::create({"Methane", "", "", 1, {}})});
  auto overall = c.overall();
  // The first phase takes its result, the second refuses it: no half-written collection.
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  auto mixed = ravelin::PhaseCollection::create(
      overall, {ravelin::Phase::create(m_compounds, 3), ravelin::Phase::create(two, 4)});
  mixed.overall().setFraction(0.25);
  EXPECT_EQ(run(xftPTFlash, mixed), E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR Ravelin Exceptionexecuting flash TP"));
  EXPECT_EQ(mixed.numberOfPhases(), 0);
  EXPECT_EQ(mixed.phase(0).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_DOUBLE_EQ(mixed.overall().fraction(), 0.25);
}
