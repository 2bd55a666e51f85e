#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "comlite/bstr.h"
#include "fluid_package.h"
#include "host_fixture.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "ravelin/arrays.h"
#include "ravelin/phase.h"
#include "ravelin/property_names.h"

using comlite::ComPtr;
using ravelintest::hex;
using ravelintest::HostFramework;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ComPtr<IBasicPhase> basic(const ravelin::Phase& p) {
  ComPtr<IBasicPhase> out;
  EXPECT_EQ(p.dispatch()->QueryInterface(IBasicPhase::kIID, out.putVoid()), S_OK);
  return out;
}

LONG id(const char* name) {
  return ravelin::requirePropertyId(name);
}

class Phase : public HostFramework {
 protected:
  ravelin::Phase m_phase =
      ravelin::Phase::create(ravelintest::threeCompounds(), ravelin::kPhaseLiquid);
  ComPtr<IBasicPhase> m_iface = basic(m_phase);
};

}  // namespace

TEST_F(Phase, state_is_read_and_written_in_host_units_and_bad_values_are_refused) {
  m_phase.setTemperature(350.0);
  m_phase.setPressure(250.0);
  double v = 0;
  ASSERT_EQ(m_iface->get_Temperature(&v), S_OK);
  EXPECT_EQ(v, 350.0);
  ASSERT_EQ(m_iface->get_Pressure(&v), S_OK);
  EXPECT_EQ(v, 250.0);

  ASSERT_EQ(m_iface->put_Temperature(400.5), S_OK);
  ASSERT_EQ(m_iface->put_Pressure(101.325), S_OK);
  EXPECT_EQ(m_phase.temperature(), 400.5);
  EXPECT_EQ(m_phase.pressure(), 101.325);
  for (double bad : {0.0, -1.0, kNaN, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(m_iface->put_Temperature(bad), E_INVALIDARG) << bad;
    EXPECT_EQ(m_iface->put_Pressure(bad), E_INVALIDARG) << bad;
  }
  EXPECT_EQ(m_phase.temperature(), 400.5);
  EXPECT_EQ(m_phase.pressure(), 101.325);

  LONG type = 0;
  ASSERT_EQ(m_iface->put_PhaseType(ravelin::kPhaseVapour), S_OK);
  ASSERT_EQ(m_iface->get_PhaseType(&type), S_OK);
  EXPECT_EQ(type, ravelin::kPhaseVapour);
  // The second type query keeps what the phase was built as.
  ASSERT_EQ(m_iface->get_NominalType(&type), S_OK);
  EXPECT_EQ(type, ravelin::kPhaseLiquid);
  for (LONG bad : {-1, 0, 2, 11}) EXPECT_EQ(m_iface->put_PhaseType(bad), E_INVALIDARG) << bad;
  EXPECT_EQ(m_phase.type(), ravelin::kPhaseVapour);

  ASSERT_EQ(m_iface->put_PhaseFraction(0.375), S_OK);
  ASSERT_EQ(m_iface->get_PhaseFraction(&v), S_OK);
  EXPECT_EQ(v, 0.375);
  EXPECT_EQ(m_iface->put_PhaseFraction(kNaN), E_INVALIDARG);
  ASSERT_EQ(m_iface->put_Status(ravelin::kPhaseStatusAbsent), S_OK);
  EXPECT_EQ(m_phase.status(), ravelin::kPhaseStatusAbsent);
  EXPECT_EQ(m_iface->put_Status(3), E_INVALIDARG);
  LONG status = 0;
  ASSERT_EQ(m_iface->get_Status(&status), S_OK);
  EXPECT_EQ(status, ravelin::kPhaseStatusAbsent);

  EXPECT_EQ(m_iface->get_Temperature(nullptr), E_POINTER);
  EXPECT_EQ(m_iface->get_PhaseType(nullptr), E_POINTER);
  EXPECT_EQ(m_iface->get_NumbOfComps(nullptr), E_POINTER);
}

TEST_F(Phase, builder_can_hand_over_values_the_interface_would_refuse) {
  // A host may pass a package bad input; the package must cope with it.
  m_phase.setTemperature(0.0);
  m_phase.setType(11);
  double T = 1;
  LONG type = 0;
  ASSERT_EQ(m_iface->get_Temperature(&T), S_OK);
  ASSERT_EQ(m_iface->get_PhaseType(&type), S_OK);
  EXPECT_EQ(T, 0.0);
  EXPECT_EQ(type, 11);
}

TEST_F(Phase, written_property_values_are_kept_by_host_id) {
  double v = 0;
  EXPECT_EQ(m_iface->get_LastValue(&v), RAVELIN_E_NOVALUE);
  ASSERT_EQ(m_iface->put_Enthalpy(-1234.5), S_OK);
  ASSERT_EQ(m_iface->put_MolarVolume(22.4), S_OK);
  ASSERT_EQ(m_iface->put_HeatCapacity(35.2), S_OK);
  ASSERT_EQ(m_iface->SetPropertyValue(id("ZFactor"), 0.98), S_OK);
  EXPECT_EQ(m_phase.value("Enthalpy"), -1234.5);
  EXPECT_EQ(m_phase.value("MolarVolume"), 22.4);
  EXPECT_EQ(m_phase.value("Cp"), 35.2);
  EXPECT_EQ(m_phase.value("ZFactor"), 0.98);
  EXPECT_FALSE(m_phase.value("Entropy"));
  EXPECT_EQ(m_phase.lastValue(), 0.98);
  ASSERT_EQ(m_iface->GetPropertyValue(id("MolarVolume"), &v), S_OK);
  EXPECT_EQ(v, 22.4);
  ASSERT_EQ(m_iface->get_LastValue(&v), S_OK);
  EXPECT_EQ(v, 0.98);
  EXPECT_EQ(m_iface->GetPropertyValue(id("Entropy"), &v), RAVELIN_E_NOVALUE);

  // State names address the phase's own state, in host units.
  ASSERT_EQ(m_iface->SetPropertyValue(id("Pressure"), 505.0), S_OK);
  EXPECT_EQ(m_phase.pressure(), 505.0);
  ASSERT_EQ(m_iface->GetPropertyValue(id("Temperature"), &v), S_OK);
  EXPECT_EQ(v, m_phase.temperature());

  // Refused writes change nothing, not even the last value.
  EXPECT_EQ(m_iface->SetPropertyValue(0, 1.0), E_INVALIDARG);
  EXPECT_EQ(m_iface->SetPropertyValue(ravelin::kNoPropertyId, 1.0), E_INVALIDARG);
  EXPECT_EQ(m_iface->put_Enthalpy(kNaN), E_INVALIDARG);
  EXPECT_EQ(m_iface->put_MolarVolume(std::numeric_limits<double>::infinity()), E_INVALIDARG);
  EXPECT_EQ(m_iface->SetPropertyValue(id("Pressure"), -1.0), E_INVALIDARG);
  EXPECT_EQ(m_phase.value("Enthalpy"), -1234.5);
  EXPECT_EQ(m_phase.lastValue(), 505.0);
  EXPECT_EQ(m_iface->GetPropertyValue(id("Enthalpy"), nullptr), E_POINTER);
  EXPECT_EQ(m_iface->get_LastValue(nullptr), E_POINTER);

  m_phase.clearResults();
  EXPECT_FALSE(m_phase.value("Enthalpy"));
  EXPECT_EQ(m_iface->get_LastValue(&v), RAVELIN_E_NOVALUE);
}

TEST_F(Phase, per_compound_vectors_take_one_value_per_listed_compound) {
  const double lnphi[] = {-0.1, -0.5, -2.0};
  ASSERT_EQ(m_iface->SetPropertyVector(id("LnFugacityCoeff"), 3, lnphi), S_OK);
  EXPECT_EQ(m_phase.vector("LnFugacityCoeff"), (std::vector<double>{-0.1, -0.5, -2.0}));
  std::vector<double> back(3);
  ASSERT_EQ(m_iface->GetPropertyVector(id("LnFugacityCoeff"), 3, back.data()), S_OK);
  EXPECT_EQ(back, (std::vector<double>{-0.1, -0.5, -2.0}));

  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 2, lnphi), E_INVALIDARG);
  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 4, lnphi), E_INVALIDARG);
  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 3, nullptr), E_POINTER);
  EXPECT_EQ(m_iface->SetPropertyVector(12, 3, lnphi), E_INVALIDARG);
  const double bad[] = {0.0, kNaN, 1.0};
  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 3, bad), E_INVALIDARG);
  EXPECT_FALSE(m_phase.vector("LnFugacity"));
  EXPECT_EQ(m_iface->GetPropertyVector(id("LnFugacity"), 3, back.data()), RAVELIN_E_NOVALUE);
  EXPECT_EQ(m_iface->GetPropertyVector(id("LnFugacityCoeff"), 2, back.data()), E_INVALIDARG);
  // A vector is not a last scalar value.
  EXPECT_FALSE(m_phase.lastValue());
}

TEST_F(Phase, composition_is_the_phases_own_array_and_setting_it_copies) {
  m_phase.setComposition(std::vector<double>{0.2, 0.3, 0.5});
  ComPtr<IDispatch> disp;
  ASSERT_EQ(m_iface->get_Composition(disp.put()), S_OK);
  auto array = disp.as<IRealArrayDisp>();
  ASSERT_TRUE(array);
  LONG n = 0;
  ASSERT_EQ(array->get_Count(&n), S_OK);
  ASSERT_EQ(n, 3);
  double x = 0;
  ASSERT_EQ(array->get_IthValue(2, &x), S_OK);
  EXPECT_EQ(x, 0.5);

  // A package writes a result composition from its own array, then reuses that array.
  auto mine = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(mine);
  ASSERT_EQ(mine->SetSize(3), S_OK);
  for (LONG i = 0; i < 3; ++i) ASSERT_EQ(mine->put_IthValue(i, 0.1 * (i + 1)), S_OK);
  ASSERT_EQ(m_iface->put_Composition(mine.get()), S_OK);
  ASSERT_EQ(mine->put_IthValue(0, 0.9), S_OK);
  EXPECT_EQ(m_phase.composition(), (std::vector<double>{0.1, 0.2, 0.30000000000000004}));

  ASSERT_EQ(mine->SetSize(2), S_OK);
  EXPECT_EQ(m_iface->put_Composition(mine.get()), E_INVALIDARG);
  auto notAnArray = create<IRvlErrorLog>(ravelin::kClsidErrorLog);
  EXPECT_EQ(m_iface->put_Composition(notAnArray.get()), E_NOINTERFACE);
  EXPECT_EQ(m_iface->put_Composition(nullptr), E_POINTER);
  EXPECT_EQ(m_iface->get_Composition(nullptr), E_POINTER);
  EXPECT_EQ(m_phase.composition()[0], 0.1);

  EXPECT_THROW(m_phase.setComposition(std::vector<double>{1.0}), std::invalid_argument);
}

TEST_F(Phase, sub_list_maps_the_phases_compounds_into_the_fluid_package) {
  auto subList = m_iface.as<IRvlSubCompList>();
  ASSERT_TRUE(subList);
  LONG count = 0;
  ComPtr<IIntegerArrayDisp> mapping;
  ASSERT_EQ(subList->GetSubCompList(&count, mapping.put()), S_OK);
  ASSERT_EQ(count, 3);
  LONG k = -1;
  ASSERT_EQ(mapping->get_IthValue(2, &k), S_OK);
  EXPECT_EQ(k, 2);  // identity without a sub-list

  m_phase.setComposition(std::vector<double>{0.4, 0.25, 0.6});
  m_phase.setSubList(std::vector<LONG>{2, 0});
  ASSERT_EQ(m_iface->get_NumbOfComps(&count), S_OK);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(subList->GetSubCompList(&count, mapping.put()), S_OK);
  ASSERT_EQ(count, 2);
  std::vector<LONG> map(2);
  for (LONG j = 0; j < 2; ++j) ASSERT_EQ(mapping->get_IthValue(j, &map[j]), S_OK);
  EXPECT_EQ(map, (std::vector<LONG>{2, 0}));
  EXPECT_EQ(mapping->get_IthValue(2, &k), DISP_E_BADINDEX);
  // The compound outside the list has no mole fraction in the phase.
  EXPECT_EQ(m_phase.composition(), (std::vector<double>{0.4, ravelin::kNoValue, 0.6}));
  // Per-compound values now follow the sub-list.
  const double two[] = {1.0, 2.0};
  const double three[] = {1.0, 2.0, 3.0};
  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 3, three), E_INVALIDARG);
  EXPECT_EQ(m_iface->SetPropertyVector(id("LnFugacity"), 2, two), S_OK);

  EXPECT_EQ(subList->GetSubCompList(nullptr, mapping.put()), E_POINTER);
  EXPECT_EQ(subList->GetSubCompList(&count, nullptr), E_POINTER);
  EXPECT_THROW(m_phase.setSubList(std::vector<LONG>{3}), std::invalid_argument);
  EXPECT_THROW(m_phase.setSubList(std::vector<LONG>{1, 1}), std::invalid_argument);

  m_phase.offerSubList(false);
  HRESULT hr = S_OK;
  EXPECT_FALSE(m_iface.as<IRvlSubCompList>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
}

TEST_F(Phase, derivative_requests_are_read_and_answered_through_the_phase) {
  const auto dHdT = m_phase.addDerivativeRequest("Enthalpy", "dT");
  const auto dlnfdx = m_phase.addDerivativeRequest("LnFugacity", "dX", false);
  const auto dVdP = m_phase.addDerivativeRequest("MolarVolume", "dP");
  auto requests = m_iface.as<IRvlDerivativeRequests>();
  ASSERT_TRUE(requests);
  LONG count = 0;
  ASSERT_EQ(requests->get_Count(&count), S_OK);
  ASSERT_EQ(count, 3);
  LONG property = 0, variable = 0;
  ASSERT_EQ(requests->GetRequest(static_cast<LONG>(dlnfdx), &property, &variable), S_OK);
  EXPECT_EQ(property, id("LnFugacity"));
  EXPECT_EQ(variable, id("dX"));
  VARIANT_BOOL wanted = VARIANT_TRUE;
  ASSERT_EQ(requests->get_Wanted(static_cast<LONG>(dlnfdx), &wanted), S_OK);
  EXPECT_EQ(wanted, VARIANT_FALSE);
  ASSERT_EQ(requests->get_Wanted(static_cast<LONG>(dHdT), &wanted), S_OK);
  EXPECT_EQ(wanted, VARIANT_TRUE);

  ASSERT_EQ(requests->SetValue(static_cast<LONG>(dHdT), 75.3), S_OK);
  ASSERT_EQ(requests->put_RequestStatus(static_cast<LONG>(dHdT), ravelin::kDerivativeDone), S_OK);
  const double vec[] = {1.0, -2.0, 3.0};
  ASSERT_EQ(requests->SetVector(static_cast<LONG>(dlnfdx), 3, vec), S_OK);
  ASSERT_EQ(requests->put_RequestStatus(static_cast<LONG>(dVdP), ravelin::kDerivativeNotAvailable),
            S_OK);

  auto first = m_phase.derivative(dHdT);
  EXPECT_EQ(first.status, ravelin::kDerivativeDone);
  EXPECT_TRUE(first.written);
  EXPECT_EQ(first.values, std::vector<double>{75.3});
  auto second = m_phase.derivative(dlnfdx);
  EXPECT_EQ(second.values, (std::vector<double>{1.0, -2.0, 3.0}));
  EXPECT_EQ(second.status, ravelin::kDerivativePending);
  auto third = m_phase.derivative(dVdP);
  EXPECT_EQ(third.status, ravelin::kDerivativeNotAvailable);
  EXPECT_FALSE(third.written);
  LONG status = 0;
  ASSERT_EQ(requests->get_RequestStatus(static_cast<LONG>(dVdP), &status), S_OK);
  EXPECT_EQ(status, ravelin::kDerivativeNotAvailable);

  EXPECT_EQ(requests->GetRequest(3, &property, &variable), DISP_E_BADINDEX);
  EXPECT_EQ(requests->GetRequest(-1, &property, &variable), DISP_E_BADINDEX);
  EXPECT_EQ(requests->GetRequest(0, nullptr, &variable), E_POINTER);
  EXPECT_EQ(requests->SetValue(3, 1.0), DISP_E_BADINDEX);
  EXPECT_EQ(requests->SetValue(0, kNaN), E_INVALIDARG);
  EXPECT_EQ(requests->SetVector(1, 2, vec), E_INVALIDARG);
  EXPECT_EQ(requests->SetVector(1, 3, nullptr), E_POINTER);
  EXPECT_EQ(requests->put_RequestStatus(0, 1), E_INVALIDARG);
  EXPECT_EQ(requests->put_RequestStatus(0, 5), E_INVALIDARG);
  EXPECT_EQ(requests->put_RequestStatus(7, ravelin::kDerivativeDone), DISP_E_BADINDEX);
  EXPECT_EQ(requests->get_Wanted(7, &wanted), DISP_E_BADINDEX);
  EXPECT_EQ(m_phase.derivative(dHdT).values, std::vector<double>{75.3});
  EXPECT_THROW(m_phase.derivative(3), std::out_of_range);
  EXPECT_THROW(m_phase.addDerivativeRequest("Enthalpy", "dQ"), std::invalid_argument);

  m_phase.clearResults();
  EXPECT_EQ(m_phase.derivative(dHdT).status, ravelin::kDerivativePending);
  EXPECT_TRUE(m_phase.derivative(dHdT).values.empty());
  EXPECT_EQ(m_phase.derivativeCount(), 3u);

  m_phase.offerDerivatives(false);
  HRESULT hr = S_OK;
  EXPECT_FALSE(m_iface.as<IRvlDerivativeRequests>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_TRUE(m_iface.as<IBasicPhase>());
}

TEST_F(Phase, compound_list_of_the_phase_is_the_fluid_package) {
  ComPtr<IDispatch> disp;
  ASSERT_EQ(m_iface->get_Compounds(disp.put()), S_OK);
  auto list = disp.as<IRvlCompoundList>();
  ASSERT_TRUE(list);
  LONG n = 0;
  ASSERT_EQ(list->get_Count(&n), S_OK);
  EXPECT_EQ(n, 3);
  ComPtr<IDispatch> item;
  ASSERT_EQ(list->get_Item(1, item.put()), S_OK);
  auto compound = item.as<IRvlCompound>();
  ASSERT_TRUE(compound);
  double mw = 0;
  ASSERT_EQ(compound->GetMolecularWeight(273.15, 101.325, &mw), S_OK);
  EXPECT_EQ(mw, 44.097);
  EXPECT_EQ(m_iface->get_Compounds(nullptr), E_POINTER);
}

TEST_F(HostFramework, phase_created_by_class_id_is_empty_until_given_a_fluid_package) {
  auto iface = create<IBasicPhase>(ravelin::kClsidBasicPhase);
  ASSERT_TRUE(iface);
  LONG n = -1;
  ASSERT_EQ(iface->get_NumbOfComps(&n), S_OK);
  EXPECT_EQ(n, 0);
  auto phase = ravelin::Phase::from(iface.get());
  ASSERT_TRUE(phase);
  phase->setCompounds(ravelintest::threeCompounds());
  ASSERT_EQ(iface->get_NumbOfComps(&n), S_OK);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(phase->composition(), (std::vector<double>{0.0, 0.0, 0.0}));
  auto log = create<IRvlErrorLog>(ravelin::kClsidErrorLog);
  EXPECT_FALSE(ravelin::Phase::from(log.get()));
}
