//! The flash run on its own: the built material object bound to a package that answers a
//! scripted equilibrium, the host's own phase collection, and a phase table given by hand.

#include "flash/flash_execution.h"

#include <gtest/gtest.h>

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
#include "frame/host_interfaces.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "ravelin/arrays.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

namespace fl = coravl::flash;
using capeside::makeDoubleArray;
using capeside::makeLongArray;
using capeside::makeStringArray;
using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;

namespace {

//! One phase of the scripted answer.
struct ScriptPhase {
  std::string label;
  double fraction = 0.0;
  std::vector<double> x;
  bool withFraction = true;
};

//! A package of three compounds and the phases Vap, Liq1, Liq2 (a second liquid), Ice (a
//! solid) and Foam (of no known kind). Its equilibrium routine notes what it was given and
//! writes `result`, `T` and `P` on the material.
class ScriptedPackage : public comlite::ComObject<ScriptedPackage, ICapeThermoEquilibriumRoutine,
                                                  ICapeThermoMaterialContext, ICapeThermoCompounds,
                                                  ICapeThermoPhases> {
 public:
  std::vector<ScriptPhase> result;
  double T = 250.0, P = 2.0e6;
  HRESULT failure = S_OK;
  // What the equilibrium routine saw.
  int calls = 0;
  std::vector<std::string> spec1, spec2, allowed;
  std::string solutionType;
  std::vector<double> feed;
  double seenT = 0, seenP = 0, seenH = 0, seenVaporFraction = -1;

  HRESULT SetMaterial(IDispatch* material) override {
    m_material = ComPtr<IDispatch>(material).as<ICapeThermoMaterial>();
    return S_OK;
  }
  HRESULT UnsetMaterial() override {
    m_material.reset();
    return S_OK;
  }
  HRESULT CalcEquilibrium(VARIANT s1, VARIANT s2, BSTR type) override {
    ++calls;
    spec1 = capeside::stringList(s1).value_or(std::vector<std::string>{});
    spec2 = capeside::stringList(s2).value_or(std::vector<std::string>{});
    solutionType = capeside::text(type);
    if (!m_material) return ECapeBadInvOrderHR;
    Variant labels, status;
    m_material->GetPresentPhases(&labels, &status);
    allowed = capeside::stringList(labels).value_or(std::vector<std::string>{});
    feed = overall("fraction", "mole");
    seenT = first(overall("temperature", ""));
    seenP = first(overall("pressure", ""));
    seenH = first(overall("enthalpy", "mole"));
    Variant vf;
    if (SUCCEEDED(m_material->GetSinglePhaseProp(Bstr("phaseFraction").get(), Bstr("Vap").get(),
                                                 Bstr("mole").get(), &vf)))
      seenVaporFraction = first(capeside::doubleList(vf).value_or(std::vector<double>{}));
    if (FAILED(failure)) return failure;

    std::vector<std::string> present;
    for (const auto& p : result) present.push_back(p.label);
    HRESULT hr = m_material->SetPresentPhases(makeStringArray(present),
                                              makeLongArray(std::vector<LONG>(present.size(), 1)));
    for (const auto& p : result) {
      if (p.withFraction && SUCCEEDED(hr))
        hr = m_material->SetSinglePhaseProp(Bstr("phaseFraction").get(), Bstr(p.label).get(),
                                            Bstr("mole").get(), makeDoubleArray({p.fraction}));
      if (SUCCEEDED(hr))
        hr = m_material->SetSinglePhaseProp(Bstr("fraction").get(), Bstr(p.label).get(),
                                            Bstr("mole").get(), makeDoubleArray(p.x));
    }
    if (SUCCEEDED(hr))
      hr = m_material->SetOverallProp(Bstr("temperature").get(), nullptr, makeDoubleArray({T}));
    if (SUCCEEDED(hr))
      hr = m_material->SetOverallProp(Bstr("pressure").get(), nullptr, makeDoubleArray({P}));
    return hr;
  }
  HRESULT CheckEquilibriumSpec(VARIANT, VARIANT, BSTR, VARIANT_BOOL* ok) override {
    *ok = VARIANT_TRUE;
    return S_OK;
  }

  HRESULT GetCompoundList(VARIANT* ids, VARIANT* formulae, VARIANT* names, VARIANT* boil,
                          VARIANT* mw, VARIANT* cas) override {
    capeside::putVariant(ids, makeStringArray({"methane", "ethane", "propane"}));
    capeside::putVariant(formulae, makeStringArray({"CH4", "C2H6", "C3H8"}));
    capeside::putVariant(names, makeStringArray({"Methane", "Ethane", "Propane"}));
    capeside::putVariant(boil, makeDoubleArray({111.66, 184.55, 231.02}));
    capeside::putVariant(mw, makeDoubleArray({16.04, 30.07, 44.1}));
    return capeside::putVariant(cas, makeStringArray({"74-82-8", "74-84-0", "74-98-6"}));
  }
  HRESULT GetNumCompounds(LONG* n) override {
    *n = 3;
    return S_OK;
  }
  HRESULT GetCompoundConstant(VARIANT, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetConstPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetNumPhases(LONG* n) override {
    *n = 5;
    return S_OK;
  }
  HRESULT GetPhaseInfo(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPhaseList(VARIANT* labels, VARIANT* states, VARIANT* keys) override {
    capeside::putVariant(labels, makeStringArray({"Vap", "Liq1", "Liq2", "Ice", "Foam"}));
    capeside::putVariant(states, makeStringArray({"Vapor", "Liquid", "Liquid", "Solid", "Foam"}));
    return capeside::putVariant(keys, makeStringArray({"", "", "", "", ""}));
  }

 private:
  static double first(const std::vector<double>& v) { return v.empty() ? -1.0 : v[0]; }
  std::vector<double> overall(const char* property, const char* basis) {
    Variant v;
    if (FAILED(m_material->GetOverallProp(Bstr(property).get(), Bstr(basis).get(), &v))) return {};
    return capeside::doubleList(v).value_or(std::vector<double>{});
  }
  ComPtr<ICapeThermoMaterial> m_material;
};

//! The package's phases by host slot as the material object client would place them: Vap in
//! slot 0, Liq1 in 1, Liq2 in 2, Ice (a solid) in 4; Foam has no slot.
class HandPhaseTable : public fl::FlashPhaseTable {
 public:
  explicit HandPhaseTable(ICapeThermoMaterial* material) : m_material(material) {}
  LONG hostPhaseCount() const override { return 5; }
  CQoBSTR labelOfSlot(LONG slot) const override {
    static const char* const labels[] = {"Vap", "Liq1", "Liq2", "", "Ice", ""};
    return slot >= 0 && slot < 6 ? CQoBSTR(labels[slot]) : CQoBSTR();
  }
  LONG phaseIdOfSlot(LONG slot) const override {
    static const LONG ids[] = {COIds::PhaseVapor, COIds::PhaseLiquid, COIds::PhaseLiquid2};
    return slot >= 0 && slot < 3 ? ids[slot] : 0;
  }
  LONG hostPhaseTypeOfSlot(LONG slot) const override { return slot == 0 ? 3 : slot >= 4 ? 6 : 4; }
  HRESULT readOfSlot(LONG propertyId, LONG slot, std::span<double> values) override {
    Variant v;
    HRESULT hr = m_material->GetSinglePhaseProp(COIds::id2str(propertyId), labelOfSlot(slot).get(),
                                                Bstr("mole").get(), &v);
    if (FAILED(hr)) return hr;
    auto list = capeside::doubleList(v).value_or(std::vector<double>{});
    if (list.size() > values.size()) return E_FAIL;
    std::copy(list.begin(), list.end(), values.begin());
    return S_OK;
  }
  void rememberComposition(std::span<const double> x, LONG slot) override {
    remembered.push_back({slot, std::vector<double>(x.begin(), x.end())});
  }
  std::vector<std::pair<LONG, std::vector<double>>> remembered;

 private:
  ICapeThermoMaterial* m_material;
};

class FlashExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
    // The host's property names, so that enthalpy and vapour fraction specifications resolve.
    auto registry = ravelin::PropertyRegistry::create();
    ComPtr<IPropertyEnumerationRegistry> r;
    ASSERT_EQ(registry.dispatch()->QueryInterface(IPropertyEnumerationRegistry::kIID, r.putVoid()),
              S_OK);
    propertyFactory().registerAll(r.get());

    m_package = ComPtr<ScriptedPackage>::attach(comlite::makeObject<ScriptedPackage>());
    ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                               IMatObj::kIID, m_matObj.putVoid()),
              S_OK);
    ASSERT_EQ(m_matObj->SetPackage(static_cast<ICapeThermoPhases*>(m_package.get())), S_OK);
    m_material = m_matObj.as<ICapeThermoMaterial>();
    m_table = std::make_unique<HandPhaseTable>(m_material.get());
    for (LONG id = COIds::FlashTP; id <= COIds::FlashTS; ++id) m_supported.push_back(id);
    m_reporter.setCallContext(m_log.dispatch(), nullptr);
  }
  void TearDown() override {
    m_reporter.setCallContext(nullptr, nullptr);
    if (m_matObj) m_matObj->SetPackage(nullptr);
  }

  //! An overall phase with `x` at 250 K and 2000 kPa, and `phases` phase objects.
  ravelin::PhaseCollection collection(std::vector<double> x = {0.5, 0.3, 0.2}, int phases = 2,
                                      const ravelin::CompoundList* compounds = nullptr) {
    const ravelin::CompoundList& list = compounds ? *compounds : m_compounds;
    auto overall = ravelin::Phase::create(list, ravelin::kPhaseOverall);
    overall.setTemperature(250.0);
    overall.setPressure(2000.0);
    if (!x.empty()) overall.setComposition(x);
    std::vector<ravelin::Phase> objects;
    for (int i = 0; i < phases; ++i)
      objects.push_back(
          ravelin::Phase::create(list, i == 0 ? ravelin::kPhaseVapour : ravelin::kPhaseLiquid));
    return ravelin::PhaseCollection::create(overall, objects);
  }
  HRESULT run(LONG type, const ravelin::PhaseCollection& c, IDispatch* thermo = nullptr) {
    fl::FlashLinks links;
    links.matObj = m_matObj.get();
    links.material = m_material.get();
    links.package = static_cast<ICapeThermoPhases*>(m_package.get());
    links.equilibriumRoutine = m_package.get();
    IRealArrayDisp* array = nullptr;
    m_array.dispatch()->QueryInterface(IRealArrayDisp::kIID, reinterpret_cast<void**>(&array));
    ComPtr<IRealArrayDisp> held = ComPtr<IRealArrayDisp>::attach(array);
    links.compositionArray = array;
    links.phases = m_table.get();
    links.packageCompoundCount = 3;
    links.positionMap = m_positionMap;
    fl::FlashCheckInputs support;
    fl::FlashState state{m_factory, m_supported, m_spec1, m_spec2, m_solutionType};
    fl::FlashRecord record{m_count, m_compositions, m_labels};
    return fl::executeFlash(type, c.dispatch(), thermo ? thermo : c.dispatch(), links, support,
                            state, record, m_reporter, m_guard);
  }
  //! Whether a message holding `text` reached the host's log.
  bool logged(const std::string& text) const {
    for (const auto& e : m_log.entries())
      if (e.message.find(text) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> labels() const {
    std::vector<std::string> out;
    for (const auto& l : m_labels) out.push_back(l.narrow());
    return out;
  }

  testsupport::ModuleEnvironment m_env;
  ravelin::CompoundList m_compounds = ravelin::CompoundList::create({
      ravelin::Compound::create({"Methane", "74-82-8", "CH4", 1, {}}),
      ravelin::Compound::create({"Ethane", "74-84-0", "C2H6", 2, {}}),
      ravelin::Compound::create({"Propane", "74-98-6", "C3H8", 3, {}}),
  });
  ComPtr<ScriptedPackage> m_package;
  ComPtr<IMatObj> m_matObj;
  ComPtr<ICapeThermoMaterial> m_material;
  std::unique_ptr<HandPhaseTable> m_table;
  ravelin::RealArray m_array = ravelin::RealArray::create();
  ravelin::ErrorLog m_log = ravelin::ErrorLog::create();
  std::vector<LONG> m_positionMap;
  CCORVLflashFactory m_factory;
  std::vector<LONG> m_supported;
  Variant m_spec1, m_spec2;
  Bstr m_solutionType;
  LONG m_count = fl::kNoCompounds;
  std::vector<std::vector<double>> m_compositions;
  std::vector<CQoBSTR> m_labels;
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
};

const std::vector<double> kY = {0.8, 0.15, 0.05};
const std::vector<double> kX = {0.3, 0.4, 0.3};

}  // namespace

TEST_F(FlashExecution, tp_flash_puts_the_feed_on_the_material_and_copies_the_phases_back) {
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  m_package->P = 101325.0;  // the package's own pressure, as the phases must show it
  auto c = collection();
  ASSERT_EQ(run(xftPTFlash, c), S_OK);

  // What the package was given: the feed in the state, the material's TP specification, the
  // phases the collection can take.
  EXPECT_EQ(m_package->feed, (std::vector<double>{0.5, 0.3, 0.2}));
  EXPECT_DOUBLE_EQ(m_package->seenT, 250.0);
  EXPECT_DOUBLE_EQ(m_package->seenP, 2.0e6);
  EXPECT_EQ(m_package->spec1, (std::vector<std::string>{"temperature", "", "Overall", ""}));
  EXPECT_EQ(m_package->spec2, (std::vector<std::string>{"pressure", "", "Overall", ""}));
  EXPECT_EQ(m_package->solutionType, "Unspecified");
  EXPECT_EQ(m_package->allowed, (std::vector<std::string>{"Vap", "Liq1"}));
  EXPECT_EQ(capeside::stringList(m_spec1)->at(0), "temperature");
  EXPECT_EQ(m_solutionType.utf8(), "Unspecified");

  // What the host got back.
  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.4);
  const auto v = c.phase(0), l = c.phase(1);
  EXPECT_EQ(v.type(), ravelin::kPhaseVapour);
  EXPECT_EQ(l.type(), ravelin::kPhaseLiquid);
  EXPECT_EQ(v.status(), ravelin::kPhaseStatusPresent);
  EXPECT_EQ(l.status(), ravelin::kPhaseStatusPresent);
  EXPECT_DOUBLE_EQ(v.fraction(), 0.4);
  EXPECT_DOUBLE_EQ(l.fraction(), 0.6);
  EXPECT_EQ(v.composition(), kY);
  EXPECT_EQ(l.composition(), kX);
  EXPECT_DOUBLE_EQ(v.temperature(), 250.0);
  EXPECT_DOUBLE_EQ(v.pressure(), 101.325);
  EXPECT_DOUBLE_EQ(l.pressure(), 101.325);
  // Both were specified: the overall state stays the host's.
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 2000.0);
  EXPECT_EQ(c.overall().composition(), (std::vector<double>{0.5, 0.3, 0.2}));

  // What the component keeps: labels, compositions by slot (the overall slot holds the feed),
  // the reporter's material state; the compound count is reset.
  EXPECT_EQ(labels(), (std::vector<std::string>{"Vap", "Liq1"}));
  ASSERT_GE(m_compositions.size(), 4u);
  EXPECT_EQ(m_compositions[0], kY);
  EXPECT_EQ(m_compositions[3], (std::vector<double>{0.5, 0.3, 0.2}));
  EXPECT_EQ(m_reporter.currentPhases(), 1);
  EXPECT_EQ(m_count, fl::kNoCompounds);
  EXPECT_TRUE(m_log.entries().empty());
}

TEST_F(FlashExecution, more_phases_than_the_collection_holds_drop_the_smallest) {
  // A PH flash: enthalpy comes from the host's overall phase, temperature from the package.
  m_package->result = {{"Vap", 0.5, kY}, {"Liq1", 0.1, kX}, {"Liq2", 0.4, kX}};
  m_package->T = 231.5;
  auto c = collection();
  c.overall().setValue("Enthalpy", -5000.0);
  ASSERT_EQ(run(xftPHFlash, c), S_OK);
  EXPECT_DOUBLE_EQ(m_package->seenH, -5000.0);
  EXPECT_DOUBLE_EQ(m_package->seenP, 2.0e6);
  EXPECT_TRUE(
      logged("Too many phases. Phase 'Liq2' will be removed. Inconsistency error may "
             "appear"));
  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Vap", "Liq2"}));
  EXPECT_DOUBLE_EQ(c.phase(1).fraction(), 0.4);
  EXPECT_EQ(c.phase(1).type(), ravelin::kPhaseLiquid);
  // Pressure was specified, temperature was found.
  EXPECT_DOUBLE_EQ(c.overall().temperature(), 231.5);
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 2000.0);

  // On equal fractions the later slot goes.
  m_package->result = {{"Vap", 0.2, kY}, {"Liq1", 0.2, kX}, {"Liq2", 0.6, kX}};
  c.setNumberOfPhases(2);
  ASSERT_EQ(run(xftPHFlash, c), S_OK);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Vap", "Liq2"}));
}

TEST_F(FlashExecution, a_liquid_without_its_fraction_takes_what_the_vapour_leaves) {
  m_package->result = {{"Vap", 0.3, kY}, {"Liq1", 0.0, kX, false}};
  auto c = collection();
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_DOUBLE_EQ(c.phase(1).fraction(), 0.7);
  EXPECT_EQ(c.phase(1).composition(), kX);

  // Alone, it is the whole feed (never more).
  m_package->result = {{"Liq1", 0.0, kX, false}};
  c.setNumberOfPhases(2);
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(c.numberOfPhases(), 1);
  EXPECT_DOUBLE_EQ(c.phase(0).fraction(), 1.0);
  EXPECT_EQ(c.phase(0).type(), ravelin::kPhaseLiquid);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);
  EXPECT_EQ(c.phase(1).status(), ravelin::kPhaseStatusAbsent);

  // Another phase without its fraction is lost.
  m_package->result = {{"Vap", 0.0, kY, false}, {"Liq1", 0.6, kX}};
  c.setNumberOfPhases(2);
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Liq1"}));
}

TEST_F(FlashExecution, solids_are_read_by_label_and_remembered) {
  m_package->result = {{"Vap", 0.9, kY}, {"Ice", 0.1, {0.0, 0.0, 1.0}}};
  auto c = collection({0.5, 0.3, 0.2}, 3);
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_EQ(c.phase(1).type(), ravelin::kPhaseSolid);
  EXPECT_DOUBLE_EQ(c.phase(1).fraction(), 0.1);
  EXPECT_EQ(c.phase(2).status(), ravelin::kPhaseStatusAbsent);
  ASSERT_EQ(m_table->remembered.size(), 1u);
  EXPECT_EQ(m_table->remembered[0].first, 4);
  EXPECT_EQ(m_table->remembered[0].second, (std::vector<double>{0.0, 0.0, 1.0}));
}

TEST_F(FlashExecution, no_matching_phase_leaves_an_empty_collection) {
  m_package->result = {{"Foam", 1.0, kX}};
  auto c = collection();
  c.overall().setFraction(0.7);
  EXPECT_EQ(run(xftPTFlash, c), CORAVL_E_NOPHASES);
  EXPECT_EQ(c.numberOfPhases(), 0);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);
  EXPECT_EQ(c.phase(0).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_EQ(c.phase(1).status(), ravelin::kPhaseStatusAbsent);
  EXPECT_TRUE(m_log.entries().empty());
}

TEST_F(FlashExecution, tvf_flash_fixes_the_vapour_fraction_and_finds_the_pressure) {
  m_package->result = {{"Vap", 0.0, kY}, {"Liq1", 1.0, kX}};
  m_package->P = 1.5e6;
  auto c = collection();
  c.overall().setFraction(0.0);
  ASSERT_EQ(run(xftTVFlash, c), S_OK);
  EXPECT_DOUBLE_EQ(m_package->seenT, 250.0);
  EXPECT_DOUBLE_EQ(m_package->seenVaporFraction, 0.0);
  EXPECT_EQ(m_package->spec2, (std::vector<std::string>{"phaseFraction", "mole", "Vap", ""}));
  EXPECT_EQ(m_package->solutionType, "Normal");
  // The incipient vapour is a result phase of its own.
  EXPECT_EQ(c.numberOfPhases(), 2);
  EXPECT_DOUBLE_EQ(c.phase(0).fraction(), 0.0);
  EXPECT_DOUBLE_EQ(c.overall().pressure(), 1500.0);
  EXPECT_DOUBLE_EQ(c.overall().temperature(), 250.0);
}

TEST_F(FlashExecution, refusals_before_the_package_is_asked) {
  auto c = collection();
  // No record, and not supported: E_NOTIMPL without a message.
  EXPECT_EQ(run(xftZPFlash, c), E_NOTIMPL);
  m_supported = {COIds::FlashTP};
  EXPECT_EQ(run(xftPHFlash, c), E_NOTIMPL);
  EXPECT_TRUE(m_log.entries().empty());
  // ... but only after the feed was checked.
  auto bad = collection({0.5, 1.5, 0.2});
  EXPECT_EQ(run(xftPHFlash, bad), E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR: The Simulator provided unfeasible thermodynamic values "));
  EXPECT_TRUE(logged("calculating flash PH"));
  m_log.clear();

  // A compound left without a value: E_FAIL, no message.
  auto partial = collection();
  const LONG subList[] = {1, 2};
  partial.overall().setSubList(subList);
  EXPECT_EQ(run(xftPTFlash, partial), E_FAIL);
  EXPECT_TRUE(m_log.entries().empty());

  // No compounds at all.
  auto none = ravelin::CompoundList::create({});
  auto empty = collection({}, 2, &none);
  EXPECT_EQ(run(xftPTFlash, empty), E_FAIL);
  EXPECT_TRUE(
      logged("INTERNAL ERROR Executing flash. The simulator provided an empty list of "
             "compounds.Please check Selvar Ravelin CAPE-OPEN 1.1 limitations document. "));

  // No thermo property: a host failure of the whole flash.
  m_log.clear();
  fl::FlashLinks links;
  fl::FlashCheckInputs support;
  fl::FlashState state{m_factory, m_supported, m_spec1, m_spec2, m_solutionType};
  fl::FlashRecord record{m_count, m_compositions, m_labels};
  EXPECT_EQ(fl::executeFlash(xftPTFlash, c.dispatch(), nullptr, links, support, state, record,
                             m_reporter, m_guard),
            E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR Ravelin ExceptionError executing flash"));
  EXPECT_EQ(m_count, fl::kNoCompounds);
  EXPECT_EQ(m_package->calls, 0);
}

TEST_F(FlashExecution, unusable_values_end_the_flash) {
  auto c = collection();
  // An unfeasible pressure of the host: kind 10.
  c.overall().setPressure(0.0);
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR: The Simulator provided unfeasible thermodynamic values "));
  EXPECT_TRUE(logged("for property 'pressure'"));
  c.overall().setPressure(2000.0);
  // An enthalpy the host does not hold: E_FAIL, no message.
  m_log.clear();
  EXPECT_EQ(run(xftPHFlash, c), E_FAIL);
  EXPECT_TRUE(m_log.entries().empty());
  EXPECT_EQ(m_package->calls, 0);

  // The package fails: its status, no message of ours.
  m_package->failure = ECapeSolvingErrorHR;
  EXPECT_EQ(run(xftPTFlash, c), ECapeSolvingErrorHR);
  EXPECT_TRUE(m_log.entries().empty());
  m_package->failure = S_OK;

  // The package answers a state that is no state.
  m_package->result = {{"Vap", 1.0, kY}};
  m_package->T = 0.0;
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("did not follow the standard while CAPE-OPEN flash returns T <= 0 K."));
  m_package->T = 250.0;
  m_package->P = -1.0;
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("CAPE-OPEN flash returns P <=0 Pa."));
}

TEST_F(FlashExecution, a_failing_host_call_in_the_flash_is_reported_with_the_flash_name) {
  // A phase object of another fluid package refuses the three-compound composition.
  auto two = ravelin::CompoundList::create({
      ravelin::Compound::create({"Methane", "74-82-8", "CH4", 1, {}}),
      ravelin::Compound::create({"Ethane", "74-84-0", "C2H6", 2, {}}),
  });
  auto overall = ravelin::Phase::create(m_compounds, ravelin::kPhaseOverall);
  overall.setTemperature(250.0);
  overall.setPressure(2000.0);
  overall.setComposition(std::vector<double>{0.5, 0.3, 0.2});
  auto c = ravelin::PhaseCollection::create(overall,
                                            {ravelin::Phase::create(two, ravelin::kPhaseVapour)});
  m_package->result = {{"Vap", 1.0, kY}};
  EXPECT_EQ(run(xftPTFlash, c), E_FAIL);
  EXPECT_TRUE(logged("INTERNAL ERROR Ravelin Exceptionexecuting flash TP"));
}

TEST_F(FlashExecution, host_compounds_reach_the_material_in_the_package_order) {
  // The fluid package lists propane, methane, ethane.
  m_positionMap = {2, 0, 1};
  m_package->result = {{"Vap", 0.4, kY}, {"Liq1", 0.6, kX}};
  auto c = collection({0.2, 0.5, 0.3});
  ASSERT_EQ(run(xftPTFlash, c), S_OK);
  EXPECT_EQ(m_package->feed, (std::vector<double>{0.5, 0.3, 0.2}));
  EXPECT_EQ(c.phase(0).composition(), (std::vector<double>{0.05, 0.8, 0.15}));

  // Two host compounds cannot be placed among three without a map.
  auto two = ravelin::CompoundList::create({
      ravelin::Compound::create({"Methane", "74-82-8", "CH4", 1, {}}),
      ravelin::Compound::create({"Ethane", "74-84-0", "C2H6", 2, {}}),
  });
  m_positionMap.clear();
  auto short_ = collection({0.5, 0.5}, 2, &two);
  EXPECT_EQ(run(xftPTFlash, short_), E_FAIL);
  EXPECT_TRUE(
      logged("The simulator provided 2 compounds, which cannot be matched with the 3 "
             "compounds of the CAPE-OPEN package."));
  // With the map they are a subset: the third compound takes no part.
  m_positionMap = {1, 0};
  ASSERT_EQ(run(xftPTFlash, short_), S_OK);
  EXPECT_EQ(m_package->feed, (std::vector<double>{0.5, 0.5, 0.0}));
  EXPECT_EQ(short_.phase(0).composition(), (std::vector<double>{0.15, 0.8}));
}

TEST(FlashCompoundOrder, map_identity_or_nothing) {
  const std::vector<LONG> map = {2, 0, 1}, repeated = {0, 0, 1}, unmapped = {0, -1, 1};
  EXPECT_EQ(fl::compoundOrder(3, map, 3), map);
  EXPECT_EQ(fl::compoundOrder(3, repeated, 3), (std::vector<LONG>{0, 1, 2}));
  EXPECT_EQ(fl::compoundOrder(3, unmapped, 3), (std::vector<LONG>{0, 1, 2}));
  EXPECT_EQ(fl::compoundOrder(3, {}, 3), (std::vector<LONG>{0, 1, 2}));
  EXPECT_TRUE(fl::compoundOrder(2, {}, 3).empty());
  EXPECT_TRUE(fl::compoundOrder(4, map, 3).empty());
  EXPECT_EQ(fl::compoundOrder(2, std::vector<LONG>{2, 0}, 3), (std::vector<LONG>{2, 0}));
  EXPECT_TRUE(fl::compoundOrder(2, std::vector<LONG>{3, 0}, 3).empty());
  EXPECT_TRUE(fl::compoundOrder(0, {}, 0).empty());
}
