#include <gmock/gmock.h>
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
using ravelintest::got;
using ravelintest::HostFramework;
using ::testing::Each;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
using P = IBasicPhase;

LONG id(const char* name) {
  return ravelin::requirePropertyId(name);
}

class Phase : public HostFramework {
 protected:
  ravelin::Phase m_phase =
      ravelin::Phase::create(ravelintest::threeCompounds(), ravelin::kPhaseLiquid);
  ComPtr<IBasicPhase> m_iface = ComPtr<IDispatch>(m_phase.dispatch()).as<IBasicPhase>();
};

}  // namespace

TEST_F(Phase, state_is_read_and_written_in_host_units_and_bad_values_are_refused) {
  m_phase.setTemperature(350.0);
  m_phase.setPressure(250.0);
  EXPECT_EQ(got(m_iface, &P::get_Temperature), 350.0);
  EXPECT_EQ(got(m_iface, &P::get_Pressure), 250.0);
  ASSERT_EQ(m_iface->put_Temperature(400.5), S_OK);
  ASSERT_EQ(m_iface->put_Pressure(101.325), S_OK);
  for (double bad : {0.0, -1.0, kNaN, kInf}) {
    EXPECT_EQ(m_iface->put_Temperature(bad), E_INVALIDARG) << bad;
    EXPECT_EQ(m_iface->put_Pressure(bad), E_INVALIDARG) << bad;
  }
  EXPECT_EQ(m_phase.temperature(), 400.5);
  EXPECT_EQ(m_phase.pressure(), 101.325);

  ASSERT_EQ(m_iface->put_PhaseType(ravelin::kPhaseVapour), S_OK);
  EXPECT_EQ(got(m_iface, &P::get_PhaseType), ravelin::kPhaseVapour);
  EXPECT_EQ(got(m_iface, &P::get_NominalType), ravelin::kPhaseLiquid);  // as built
  for (LONG bad : {-1, 0, 2, 11}) EXPECT_EQ(m_iface->put_PhaseType(bad), E_INVALIDARG) << bad;
  EXPECT_EQ(m_phase.type(), ravelin::kPhaseVapour);

  ASSERT_EQ(m_iface->put_PhaseFraction(0.375), S_OK);
  EXPECT_EQ(got(m_iface, &P::get_PhaseFraction), 0.375);
  ASSERT_EQ(m_iface->SetPropertyValue(id("PhaseFraction"), 0.5), S_OK);
  ASSERT_EQ(m_iface->SetPropertyValue(id("Pressure"), 505.0), S_OK);  // the phase's own state
  EXPECT_EQ(m_phase.pressure(), 505.0);
  EXPECT_EQ(got(m_iface, &P::get_PhaseFraction), 0.5);
  EXPECT_EQ(m_iface->put_PhaseFraction(kNaN), E_INVALIDARG);
  ASSERT_EQ(m_iface->put_Status(ravelin::kPhaseStatusAbsent), S_OK);
  EXPECT_EQ(m_iface->put_Status(3), E_INVALIDARG);
  EXPECT_EQ(got(m_iface, &P::get_Status), ravelin::kPhaseStatusAbsent);
  EXPECT_THAT(
      (std::vector<HRESULT>{m_iface->get_Temperature(nullptr), m_iface->get_PhaseType(nullptr),
                            m_iface->get_NumbOfComps(nullptr)}),
      Each(E_POINTER));

  // Compositions and sub-lists that do not fit the fluid package are refused.
  EXPECT_THROW(m_phase.setComposition(std::vector<double>{1.0}), std::invalid_argument);
  EXPECT_THROW(m_phase.setSubList(std::vector<LONG>{1, 1}), std::invalid_argument);
  auto notAnArray = create<IRvlErrorLog>(ravelin::kClsidErrorLog);
  EXPECT_EQ(m_iface->put_Composition(notAnArray.get()), E_NOINTERFACE);
  // A phase created by class id has no compounds until a fluid package is set.
  auto created = create<IBasicPhase>(ravelin::kClsidBasicPhase);
  EXPECT_EQ(got(created, &P::get_NumbOfComps), 0);
}

TEST_F(Phase, per_compound_vectors_take_one_value_per_listed_compound) {
  const double lnphi[] = {-0.1, -0.5, -2.0}, bad[] = {0.0, kNaN, 1.0};
  ASSERT_EQ(m_iface->SetPropertyVector(id("LnFugacityCoeff"), 3, lnphi), S_OK);
  std::vector<double> back(3);
  ASSERT_EQ(m_iface->GetPropertyVector(id("LnFugacityCoeff"), 3, back.data()), S_OK);
  EXPECT_EQ(back, (std::vector<double>{-0.1, -0.5, -2.0}));
  const LONG f = id("LnFugacity");
  EXPECT_THAT((std::vector<HRESULT>{
                  m_iface->SetPropertyVector(f, 2, lnphi), m_iface->SetPropertyVector(f, 4, lnphi),
                  m_iface->SetPropertyVector(12, 3, lnphi), m_iface->SetPropertyVector(f, 3, bad),
                  m_iface->GetPropertyVector(id("LnFugacityCoeff"), 2, back.data())}),
              Each(E_INVALIDARG));
  EXPECT_EQ(m_iface->SetPropertyVector(f, 3, nullptr), E_POINTER);
  EXPECT_FALSE(m_phase.vector("LnFugacity"));
  EXPECT_EQ(m_iface->GetPropertyVector(f, 3, back.data()), RAVELIN_E_NOVALUE);
  EXPECT_FALSE(m_phase.lastValue());  // a vector is not a last scalar value
}

TEST_F(Phase, derivative_requests_are_read_and_answered_through_the_phase) {
  const LONG dHdT = static_cast<LONG>(m_phase.addDerivativeRequest("Enthalpy", "dT"));
  const LONG dlnfdx = static_cast<LONG>(m_phase.addDerivativeRequest("LnFugacity", "dX", false));
  const LONG dVdP = static_cast<LONG>(m_phase.addDerivativeRequest("MolarVolume", "dP"));
  auto requests = m_iface.as<IRvlDerivativeRequests>();
  ASSERT_TRUE(requests);
  using R = IRvlDerivativeRequests;
  EXPECT_EQ(got(requests, &R::get_Count), 3);
  LONG property = 0, variable = 0;
  ASSERT_EQ(requests->GetRequest(dlnfdx, &property, &variable), S_OK);
  EXPECT_EQ(property, id("LnFugacity"));
  EXPECT_EQ(variable, id("dX"));
  EXPECT_EQ(got(requests, &R::get_Wanted, dlnfdx), VARIANT_FALSE);
  EXPECT_EQ(got(requests, &R::get_Wanted, dHdT), VARIANT_TRUE);

  ASSERT_EQ(requests->SetValue(dHdT, 75.3), S_OK);
  ASSERT_EQ(requests->put_RequestStatus(dHdT, ravelin::kDerivativeDone), S_OK);
  const double vec[] = {1.0, -2.0, 3.0};
  ASSERT_EQ(requests->SetVector(dlnfdx, 3, vec), S_OK);
  ASSERT_EQ(requests->put_RequestStatus(dVdP, ravelin::kDerivativeNotAvailable), S_OK);
  // What the package writes is read back by the host in every calculation test.
  EXPECT_EQ(m_phase.derivative(dlnfdx).values, (std::vector<double>{1.0, -2.0, 3.0}));
  EXPECT_FALSE(m_phase.derivative(dVdP).written);
  EXPECT_EQ(got(requests, &R::get_RequestStatus, dVdP), ravelin::kDerivativeNotAvailable);

  VARIANT_BOOL wanted;
  EXPECT_EQ(
      (std::vector<HRESULT>{requests->GetRequest(3, &property, &variable),
                            requests->GetRequest(-1, &property, &variable),
                            requests->GetRequest(0, nullptr, &variable), requests->SetValue(3, 1.0),
                            requests->SetValue(0, kNaN), requests->SetVector(1, 2, vec),
                            requests->SetVector(1, 3, nullptr), requests->put_RequestStatus(0, 1),
                            requests->put_RequestStatus(0, 5),
                            requests->put_RequestStatus(7, ravelin::kDerivativeDone),
                            requests->get_Wanted(7, &wanted)}),
      (std::vector<HRESULT>{DISP_E_BADINDEX, DISP_E_BADINDEX, E_POINTER, DISP_E_BADINDEX,
                            E_INVALIDARG, E_INVALIDARG, E_POINTER, E_INVALIDARG, E_INVALIDARG,
                            DISP_E_BADINDEX, DISP_E_BADINDEX}));
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
