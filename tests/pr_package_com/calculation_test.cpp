//! Single-phase and two-phase properties and ln phi through the material object, each equal to
//! the model called directly at the same state.

#include <cmath>

#include "pr_com_fixture.h"

using namespace prtest;

class Calculation : public PrMaterial {};

TEST_F(Calculation, a_failing_property_writes_nothing_of_the_request) {
  ASSERT_EQ(m_mo->SetState(300, 2e6, kNaturalGasZ.data(), kVapor), S_OK);
  present({"Vapor"});
  EXPECT_EQ(calc({"enthalpy", "entropyF"}, "Vapor"), ECapeLimitedImplHR);
  CapeErrorSeen e = capeErrorOf(m_package.get());
  EXPECT_EQ(e.scope, "PrPackage::CalcSinglePhaseProp");
  EXPECT_EQ(e.name, "ECapeLimitedImpl");
  EXPECT_EQ(e.moreInfo, "raised by PropertyPackage::single_phase_property");
  EXPECT_THAT(e.description, HasSubstr("entropyF"));
  EXPECT_EQ(calc({"enthalpy", "colour"}, "Vapor"), ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(m_package.get()).description, HasSubstr("unknown property 'colour'"));
  Variant out;
  EXPECT_EQ(m_thermo->GetSinglePhaseProp(Bstr("enthalpy").get(), Bstr("Vapor").get(),
                                         Bstr("mole").get(), &out),
            ECapeThrmPropertyNotAvailableHR);
  EXPECT_EQ(calc({"enthalpy"}, "Aqueous"), ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(m_package.get()).description, HasSubstr("\"Aqueous\" is not a phase"));
}

TEST_F(Calculation, kvalues_are_the_models_for_either_phase_order) {
  const double T = 220, P = 3e6;
  ASSERT_EQ(m_mo->SetState(T, P, kNaturalGasZ.data(), kVapor), S_OK);
  const std::vector<double> x = {0.2, 0.08, 0.12, 0.12, 0.08, 0.12, 0.2, 0.01, 0.05, 0.02};
  ASSERT_EQ(m_mo->SetState(T, P, x.data(), kLiquid), S_OK);
  present({"Vapor", "Liquid"});
  const std::vector<std::string> props = {"kvalue", "logKvalue.Dtemperature", "surfaceTension"};
  m_model->set_state(pr::Phase::Vapour, T, P, kNaturalGasZ);
  m_model->set_state(pr::Phase::Liquid, T, P, x);
  for (auto order :
       {std::vector<std::string>{"Vapor", "Liquid"}, std::vector<std::string>{"Liquid", "Vapor"}}) {
    auto labels = ids(order);
    ASSERT_EQ(routine()->CalcTwoPhaseProp(ids(props), labels), S_OK);
    for (const std::string& p : props) {
      Variant out;
      ASSERT_EQ(m_thermo->GetTwoPhaseProp(Bstr(p).get(), labels, nullptr, &out), S_OK) << p;
      EXPECT_EQ(capeside::doubleList(out).value(),
                m_model->two_phase_property(p, pr::Phase::Vapour, pr::Phase::Liquid))
          << p;
    }
  }
  EXPECT_EQ(routine()->CalcTwoPhaseProp(ids({"kvalue.Dmoles"}), ids({"Vapor", "Liquid"})),
            ECapeLimitedImplHR);
  EXPECT_EQ(routine()->CalcTwoPhaseProp(ids({"kvalue"}), ids({"Vapor"})), ECapeBadArgumentHR);
}

TEST_F(Calculation, ln_phi_follows_the_flags_and_equals_the_model) {
  // Two moles in total: the mole-number derivatives are those of that amount.
  std::vector<double> n(kNaturalGasZ);
  for (double& v : n) v *= 2;
  Variant lnPhi, dT, dP, dn;
  ASSERT_EQ(routine()->CalcAndGetLnPhi(
                Bstr("Liquid").get(), 190, 5e6, reals(n),
                CAPE_LOG_FUGACITY_COEFFICIENTS | CAPE_P_DERIVATIVE | CAPE_MOLE_NUMBERS_DERIVATIVES,
                &lnPhi, &dT, &dP, &dn),
            S_OK);
  pr::LnPhiResult expected;
  m_model->calc_ln_phi(pr::Phase::Liquid, 190, 5e6, n, true, false, true, true, expected);
  EXPECT_EQ(capeside::doubleList(lnPhi).value(), expected.lnphi);
  EXPECT_EQ(dT.vt, VT_EMPTY);  // not asked for: untouched
  EXPECT_EQ(capeside::doubleList(dP).value(), expected.dlnphi_dP);
  EXPECT_EQ(capeside::doubleList(dn).value(), expected.dlnphi_dn);
  ASSERT_EQ(expected.dlnphi_dn.size(), 100u);
  // Flags outside the calculation codes, and mole numbers that do not fit the material.
  EXPECT_EQ(routine()->CalcAndGetLnPhi(Bstr("Liquid").get(), 190, 5e6, reals(n), 16, &lnPhi, &dT,
                                       &dP, &dn),
            ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(routine().get()).description, HasSubstr("fFlags 16"));
  EXPECT_EQ(routine()->CalcAndGetLnPhi(Bstr("Liquid").get(), 190, 5e6, reals({1, 2}), 1, &lnPhi,
                                       &dT, &dP, &dn),
            ECapeBadArgumentHR);
  EXPECT_THAT(capeErrorOf(routine().get()).description,
              HasSubstr("moleNumbers: 2 values for 10 compounds"));
}
