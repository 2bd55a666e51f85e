//! Equilibria through CalcEquilibrium on the material object: PH against the model called
//! directly, the phases, fractions and compositions written back, a refused PVF flash, and the
//! specifications the package accepts.

#include <cmath>

#include "pr_com_fixture.h"

using namespace prtest;

namespace {

class Equilibrium : public PrMaterial {
 protected:
  //! The model's own solution of a specification pair, for the feed of the fixture.
  pr::FlashResult direct(pr::EquilibriumCondition a, pr::EquilibriumCondition b, double v1,
                         double v2, const char* type = "") {
    auto request = pr::PropertyPackage::classify_equilibrium(a, b, type);
    EXPECT_TRUE(request.has_value());
    return m_model->calc_equilibrium(*request, v1, v2, kNaturalGasZ);
  }
  //! Checks the phases written back against a model result.
  void expectWritten(const pr::FlashResult& r) {
    Variant labels, status;
    ASSERT_EQ(m_thermo->GetPresentPhases(&labels, &status), S_OK);
    std::vector<std::string> expected;
    if (r.has_vapour) expected.push_back("Vapor");
    if (r.has_liquid) expected.push_back("Liquid");
    ASSERT_EQ(capeside::stringList(labels).value(), expected);
    EXPECT_EQ(capeside::longList(status).value(), std::vector<LONG>(expected.size(), 1));
    for (const std::string& label : expected) {
      const bool vapour = label == "Vapor";
      const std::vector<double>& comp = vapour ? r.y : r.x;
      const std::vector<double> got = phaseValue("fraction", label.c_str());
      ASSERT_EQ(got.size(), comp.size());
      for (std::size_t i = 0; i < comp.size(); ++i) EXPECT_NEAR(got[i], comp[i], 1e-9) << label;
      EXPECT_NEAR(phaseValue("phaseFraction", label.c_str())[0], vapour ? r.beta : 1 - r.beta,
                  1e-9);
      EXPECT_NEAR(phaseValue("temperature", label.c_str(), "")[0], r.T_K, 1e-7 * r.T_K);
      EXPECT_NEAR(phaseValue("pressure", label.c_str(), "")[0], r.P_Pa, 1e-7 * r.P_Pa);
    }
  }
  void setOverall(const char* property, const char* basis, std::vector<double> values) {
    ASSERT_EQ(m_thermo->SetOverallProp(Bstr(property).get(), basis ? Bstr(basis).get() : nullptr,
                                       reals(values)),
              S_OK);
  }
};

}  // namespace

// A feed without a temperature (pressure, composition and enthalpy only), split as the model
// splits it.
TEST_F(Equilibrium, ph_flash_of_a_feed_without_temperature_splits_it_as_the_model_does) {
  const double T = 240, P = 3e6;
  const double h =
      direct({"temperature", "", "Overall", ""}, {"pressure", "", "Overall", ""}, T, P).h_Jmol;
  setOverall("pressure", nullptr, {P});
  setOverall("fraction", "mole", kNaturalGasZ);
  setOverall("enthalpy", "mole", {h});
  present({"Vapor", "Liquid"});
  ASSERT_EQ(m_mo->Flash(kFlashPH), S_OK) << capeErrorOf(m_mo.get()).description;
  const pr::FlashResult r =
      direct({"pressure", "", "Overall", ""}, {"enthalpy", "", "Overall", ""}, P, h);
  ASSERT_TRUE(r.has_vapour && r.has_liquid);
  EXPECT_NEAR(r.T_K, T, 1e-5);
  expectWritten(r);
  EXPECT_NEAR(phaseValue("temperature", "Overall", "")[0], T, 1e-5);
  // The enthalpy stays as given: the routine writes no other property.
  EXPECT_EQ(phaseValue("enthalpy", "Overall")[0], h);
}

// Out of its range a PVF flash's reason reaches the caller (70 % CO2 with n-hexane, whose lines
// end near the feed's critical point, 413.425659 K and 11.287839 MPa by the binary criteria in
// mpmath).
TEST_F(Equilibrium, a_refused_pvf_flash_says_why) {
  std::vector<double> z(10, 0.0);
  z[8] = 0.7;  // carbon dioxide
  z[6] = 0.3;  // n-hexane
  setOverall("pressure", nullptr, {2e7});
  setOverall("fraction", "mole", z);
  present({"Vapor", "Liquid"});
  ASSERT_EQ(m_thermo->SetSinglePhaseProp(Bstr("phaseFraction").get(), Bstr("Vapor").get(),
                                         Bstr("mole").get(), reals({1.0})),
            S_OK);
  EXPECT_EQ(m_mo->Flash(kFlashPVF), ECapeSolvingErrorHR);
  EXPECT_THAT(capeErrorOf(m_mo.get()).description,
              HasSubstr("ends near the mixture critical point T = 413.42565"));
}

// A trace liquid: methane + n-butane (k_ij = 0.0185) at 250 K and 3 MPa, a hair inside the dew
// curve. Reference: phase compositions from equal Peng-Robinson fugacities in python3 with
// mpmath at 50 digits, the liquid amount 1.00000000098e-8 by the lever rule for this feed.
TEST_F(Equilibrium, trace_liquid_amount_through_the_socket) {
  std::vector<double> z(10, 0.0);
  z[0] = 0.9761925708503684;  // methane
  z[3] = 1.0 - z[0];          // n-butane
  ASSERT_EQ(m_mo->SetState(250.0, 3e6, z.data(), kOverall), S_OK);
  present({"Vapor", "Liquid"});
  ASSERT_EQ(m_mo->Flash(kFlashTP), S_OK) << capeErrorOf(m_mo.get()).description;
  EXPECT_NEAR(phaseValue("phaseFraction", "Liquid")[0], 1.00000000098093e-8, 1e-14);
  EXPECT_NEAR(phaseValue("fraction", "Liquid")[0], 0.224220198970, 1e-10);
}

TEST_F(Equilibrium, a_single_present_phase_takes_the_whole_feed_at_fixed_t_and_p) {
  ASSERT_EQ(m_mo->SetState(230, 4e6, kNaturalGasZ.data(), kOverall), S_OK);
  present({"Vapor"});
  ASSERT_EQ(m_mo->Flash(kFlashTP), S_OK);
  Variant labels, status;
  ASSERT_EQ(m_thermo->GetPresentPhases(&labels, &status), S_OK);
  EXPECT_EQ(capeside::stringList(labels).value(), (std::vector<std::string>{"Vapor"}));
  EXPECT_EQ(phaseValue("phaseFraction", "Vapor")[0], 1.0);
  EXPECT_EQ(phaseValue("fraction", "Vapor"), kNaturalGasZ);
  // A phase fraction cannot be met with one phase; no phase at all is out of order.
  present({"Liquid"});
  EXPECT_EQ(m_mo->Flash(kFlashPVF), ECapeInvalidArgumentHR);
  ASSERT_EQ(m_thermo->SetPresentPhases(Variant(), Variant()), S_OK);
  EXPECT_EQ(m_mo->Flash(kFlashTP), ECapeBadInvOrderHR);
}

TEST_F(Equilibrium, specifications_are_checked_before_any_state_is_read) {
  auto eq = m_package.as<ICapeThermoEquilibriumRoutine>();
  auto spec = [](std::vector<std::string> s) { return capeside::makeStringArray(s, true); };
  struct Case {
    std::vector<std::string> s1, s2;
    const char* type;
    bool supported;
    HRESULT calc;  //!< CalcEquilibrium's status on an empty material
  };
  using L = std::vector<std::string>;
  const L T = {"temperature", "", "Overall"};
  constexpr HRESULT kNoState = ECapeThrmPropertyNotAvailableHR, kLimited = ECapeLimitedImplHR;
  const Case cases[] = {
      {T, {"pressure", "", "Overall", ""}, "", true, kNoState},
      {{"pressure", "", "overall"}, {"entropy", "Mass", "Overall"}, "Unspecified", true, kNoState},
      {T, {"phaseFraction", "Mole", "Liquid"}, "Normal", true, kNoState},
      {T, T, "", false, kLimited},
      {T, {"phaseFraction", "mole", "Vapor"}, "Retrograde", false, kLimited},
      {T, {"volume", "", "Overall"}, "", false, kLimited},
      {T, {"pressure"}, "", false, ECapeBadArgumentHR},
      {T, {"pressure", "", "Solid"}, "", false, ECapeInvalidArgumentHR},
      {T, {"enthalpy", "volume", "Overall"}, "", false, ECapeInvalidArgumentHR},
      {T, {"pressure", "", "Overall"}, "Sideways", false, ECapeInvalidArgumentHR},
  };
  ASSERT_EQ(m_mo->ClearState(), S_OK);
  present({"Vapor", "Liquid"});
  for (const Case& c : cases) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(eq->CheckEquilibriumSpec(spec(c.s1), spec(c.s2), Bstr(c.type).get(), &ok), S_OK);
    EXPECT_EQ(ok, c.supported ? VARIANT_TRUE : VARIANT_FALSE) << c.s2[0] << " " << c.type;
    EXPECT_EQ(eq->CalcEquilibrium(spec(c.s1), spec(c.s2), Bstr(c.type).get()), c.calc)
        << c.s2[0] << " " << c.type << ": " << capeErrorOf(eq.get()).description;
  }
}
