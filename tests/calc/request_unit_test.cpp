//! The pieces of a property request on their own: the composition check, the host-version
//! rule, the conversion of values and derivatives, the choice of the record, and the saturation
//! flash options against the host framework's flash control.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

#include "calc/material_client.h"
#include "calc/single_phase_request.h"
#include "calc/value_conversion.h"
#include "comlite/object.h"
#include "comlite/variant.h"
#include "flash/sat_flash_control.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_registry.h"
#include "ravelin/flash_control.h"
#include "reporter/ravl_error.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

using namespace coravl;

namespace {

CCOPropertyTranslator* translator(LONG coId) {
  return propertyFactory().findByCOId(coId);
}

}  // namespace

// ---- Composition check ------------------------------------------------------------------------

TEST(CompositionCheck, only_the_first_out_of_range_composition_is_reported) {
  using V = calc::CompositionVerdict;
  calc::resetCompositionWarningForTests();
  const struct Case {
    std::vector<double> x;
    bool secondPhase;
    V want;
  } silent[] = {
      {{0.5, -1e-31, 0.5, -0.0}, false, V::Good},
      {{1.5, 0.0, -0.2}, false, V::FailSilently},  // clipped, sums to one
      {{0.5, std::nan(""), 0.5}, false, V::FailSilently},
      {{0.5, INFINITY, 0.5}, false, V::FailSilently},
      // The no-value marker hands a second phase to the first; in a first phase it is out of
      // range like any other entry.
      {{0.5, ravelin::kNoValue, 0.5}, true, V::UsePhaseZero},
      {{0.5, ravelin::kNoValue, 0.5}, false, V::FailSilently},
  };
  for (auto c : silent) {
    const auto check = calc::checkComposition(c.x, c.secondPhase);
    EXPECT_EQ(check.verdict, c.want);
    EXPECT_TRUE(check.message.empty());
  }
  EXPECT_FALSE(calc::compositionWarningShown());
  std::vector<double> x = {1.2, 0.25, -0.5};
  EXPECT_EQ(calc::checkComposition(x, false).verdict, V::FailWithReport);
  EXPECT_EQ(x[0], 1.2);  // the phase's own values are not repaired
  EXPECT_TRUE(calc::compositionWarningShown());
  EXPECT_EQ(calc::checkComposition(x, false).verdict, V::FailSilently);
  calc::resetCompositionWarningForTests();
}

// ---- Conversions --------------------------------------------------------------------------------

TEST(ValueConversion, ln_fugacity_of_absent_compounds_and_through_the_coefficient) {
  calc::SlotConversion c{translator(COIds::PropFugacityCoefficient), 0, true, true, 200.0};
  EXPECT_EQ(calc::slotValueToHost(c, 0.9, 0.9, 0.0), calc::kLnOfZero);
  EXPECT_EQ(calc::slotValueToHost(c, 0.9, 0.9, 1e-30), calc::kLnOfZero);
  EXPECT_NEAR(calc::slotValueToHost(c, 0.9, 0.9, 0.25), std::log(0.9) + std::log(0.25 * 200.0),
              1e-14);
  // d ln f/dP = d ln phi/dP + 1/P; d ln f/dx = d ln phi/dx + 1/x.
  c.variable = COIds::DerivPressure;
  EXPECT_NEAR(calc::slotValueToHost(c, -1.8e-6, 0.9, 0.25), -2e-6 * 1000.0 + 1.0 / 200.0, 1e-15);
  c.variable = COIds::DerivMolFraction;
  EXPECT_NEAR(calc::slotValueToHost(c, 0.09, 0.9, 0.25), 0.1 + 4.0, 1e-14);
  // Without the fallback no partial-pressure term is added.
  calc::SlotConversion direct{translator(COIds::PropLogFugacityCoefficient), 0, false, false,
                              200.0};
  EXPECT_DOUBLE_EQ(calc::slotValueToHost(direct, -0.3, -0.3, 0.0), -0.3);
}

// ---- Choice of the record ---------------------------------------------------------------------

namespace {

//! A component state of plain members, as the component lends its own.
struct StateHolder {
  const calc::RegisteredProperty* current = nullptr;
  LONG label = 0, type = 0, derivativeCount = 0;
  double T = 0, P = 0;
  comlite::Variant names, labels, statuses;
  std::array<LONG, 5> slots{};
  std::array<std::vector<double>, 13> compositions;
  comlite::ComPtr<IBasicPhase> phase;
  calc::CalculationState state{current,      label,  T,        P,     type,
                               names,        labels, statuses, slots, derivativeCount,
                               compositions, phase};
};

calc::RegisteredProperty record(LONG coId, LONG hostId, bool supported) {
  calc::RegisteredProperty r;
  r.coId = coId;
  r.hostId = hostId;
  r.supported = supported;
  r.names[0] = COIds::id2cstr(coId);
  return r;
}

}  // namespace

TEST(RecordChoice, cp_and_molar_volume_fall_back_to_their_derived_records) {
  std::array<LONG, calc::kHostPropertyCount> ids;
  ids.fill(calc::kNotRegistered);
  for (auto [slot, id] : {std::pair{calc::HostCp, 104},
                          {calc::HostMolarVolume, 103},
                          {calc::HostHDT, 222},
                          {calc::HostMolarDensity, 223},
                          {calc::HostEnthalpy, 101}})
    ids[slot] = id;
  const std::vector<calc::RegisteredProperty> table = {
      record(COIds::PropEnthalpy, 101, true), record(COIds::PropVolume, 103, false),
      record(COIds::PropHeatCapacityCp, 104, false),
      record(COIds::PropEnthalpyDtemperature, 222, true), record(COIds::PropDensity, 223, true)};
  StateHolder holder;
  CCORavlError reporter(1e-30);
  CCOMOclient client;
  calc::CalculationLinks links;
  links.reporter = &reporter;
  links.materialClient = &client;
  links.hostPropertyIds = &ids;
  links.registered = table;
  calc::PropertyRequest request(holder.state, links);
  // A fresh request asks for no derivatives.
  EXPECT_EQ(holder.slots, (std::array<LONG, 5>{0, -1, -1, -1, -1}));

  calc::CalculationMode mode{};
  using M = calc::CalculationMode;
  for (auto [hostId, want, wantMode] : {std::tuple{101, &table[0], M::Direct},
                                        {104, &table[3], M::HeatCapacityFromDHdT},
                                        {103, &table[4], M::MolarVolumeFromDensity}}) {
    EXPECT_EQ(request.chooseRecord(hostId, mode), want) << hostId;
    EXPECT_EQ(mode, wantMode) << hostId;
  }
  EXPECT_EQ(request.chooseRecord(999, mode), nullptr);
  EXPECT_EQ(request.chooseRecord(calc::kNotRegistered, mode), nullptr);

  // Neither heat capacity nor the enthalpy derivative: "Cp" is not served at all.
  const std::vector<calc::RegisteredProperty> bare = {
      record(COIds::PropHeatCapacityCp, 104, false)};
  links.registered = bare;
  calc::PropertyRequest without(holder.state, links);
  EXPECT_EQ(without.chooseRecord(104, mode), nullptr);
}

// ---- Saturation flash options -----------------------------------------------------------------

namespace {

//! A property callback whose registry knows no name, and whose provider gives a flash control.
class UnknownNamesCallback
    : public comlite::ComObject<UnknownNamesCallback, IRvlFlashControlProvider,
                                IPropertyEnumerationRegistry> {
 public:
  IDispatch* control = nullptr;
  HRESULT GetFlashControl(IDispatch** out) override {
    *out = control;
    if (control) control->AddRef();
    return S_OK;
  }
  HRESULT GetPropertyID(BSTR, LONG* id) override {
    *id = ravelin::kNoPropertyId;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT FindPropertyID(BSTR, LONG*, LONG) override { return E_NOTIMPL; }
  HRESULT GetPropertyName(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT get_Count(LONG*) override { return E_NOTIMPL; }
};

class SatFlash : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(env.registerModule("ravelin"), S_OK); }
  void profile(const std::string& text) { std::ofstream(ini) << text; }
  HRESULT change(IDispatch* callback, bool otherHost = false) {
    return flash::changeSatFlashControl(callback, held, *reporter, otherHost, ini.c_str());
  }

  testsupport::ModuleEnvironment env;
  std::string ini = env.dir().file("CORavl11.ini");
  std::unique_ptr<CCORavlError> reporter = std::make_unique<CCORavlError>(1e-30);
  comlite::ComPtr<IDispatch> held;
  ravelin::FlashControl control = ravelin::FlashControl::create();
};

}  // namespace

TEST_F(SatFlash, profile_options_reach_the_host_flash_control_once_and_failures_are_told) {
  auto callback = ravelin::PropertyManager::create(control);
  profile("[Flash]\nI_O_PVNONSAT = 3\nI_O_PVSAT = -1\n");
  EXPECT_EQ(change(callback.dispatch()), S_OK);
  EXPECT_EQ(control.option("I_O_PVNONSAT"), 3.0);
  EXPECT_FALSE(control.option("I_O_PVSAT"));  // minus one leaves the option as it is
  EXPECT_EQ(control.setOptionCalls(), 1u);
  EXPECT_TRUE(held);
  EXPECT_EQ(change(callback.dispatch()), S_OK);  // held now: nothing happens again
  EXPECT_EQ(control.setOptionCalls(), 1u);

  // Missing keys mean zero, except in the other host applications.
  profile("[Other]\nI_O_PVSAT = 5\n");
  held.reset();
  EXPECT_EQ(change(callback.dispatch(), true), S_OK);
  EXPECT_EQ(control.setOptionCalls(), 1u);
  held.reset();
  EXPECT_EQ(change(callback.dispatch(), false), S_OK);
  EXPECT_EQ(control.option("I_O_PVNONSAT"), 0.0);
  EXPECT_EQ(control.option("I_O_PVSAT"), 0.0);

  // A refused option is returned; a failed lookup is shown as a crash.
  held.reset();
  control.setLocked(true);
  EXPECT_EQ(change(callback.dispatch()), RAVELIN_E_LOCKED);
  control.setLocked(false);
  held.reset();
  auto unknown =
      comlite::ComPtr<UnknownNamesCallback>::attach(comlite::makeObject<UnknownNamesCallback>());
  unknown->control = control.dispatch();
  env.notices.clear();
  EXPECT_EQ(change(static_cast<IRvlFlashControlProvider*>(unknown.get())), S_OK);
  bool shown = false;
  for (const auto& n : env.notices)
    shown |= n.text.find("Crash in CORavlPP::changeSatFlashControl") != std::string::npos;
  EXPECT_TRUE(shown);
}
