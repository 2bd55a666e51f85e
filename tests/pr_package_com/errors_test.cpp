//! Errors raised by the package through the CAPE-OPEN error interfaces: capeErrorUtils reads
//! them, bad input of every kind gives a standard error with a clear description, never a
//! crash, and leaves no value behind.

#include <gmock/gmock.h>

#include <cmath>

#include "outside/cape_error_utils.h"
#include "pr_com_fixture.h"

using namespace prtest;
using ::testing::AllOf;

namespace {

class Errors : public PrMaterial {
 protected:
  void SetUp() override {
    PrMaterial::SetUp();
    ASSERT_EQ(CoCreateInstance(errorutils::kClsidCapeErrorUtils, nullptr, CLSCTX_INPROC_SERVER,
                               ICapeErrorUtils::kIID, m_utils.putVoid()),
              S_OK);
  }
  //! capeErrorUtils' description of the last error of the package.
  std::string describe(const char* doing, HRESULT status) {
    Variant failing;
    failing.vt = VT_DISPATCH;
    failing.pdispVal = m_package.get();
    m_package->AddRef();
    Variant description;
    EXPECT_EQ(m_utils->DescribeError(Bstr(doing).get(), failing, status, &description), S_OK);
    return description.vt == VT_BSTR ? comlite::bstrToUtf8(description.bstrVal) : "";
  }
  ComPtr<ICapeErrorUtils> m_utils;
};

}  // namespace

TEST_F(Errors, error_utils_describe_bad_argument_and_out_of_bounds_errors) {
  Variant lnPhi, dT, dP, dn;
  const HRESULT bad = routine()->CalcAndGetLnPhi(
      Bstr("Vapor").get(), 300, 1e5, reals({0.5, 0.5, NAN, 0, 0, 0, 0, 0, 0, 0}),
      CAPE_LOG_FUGACITY_COEFFICIENTS, &lnPhi, &dT, &dP, &dn);
  ASSERT_EQ(bad, ECapeBadArgumentHR);
  EXPECT_EQ(lnPhi.vt, VT_EMPTY);
  const std::string d1 = describe("calculating ln phi", bad);
  EXPECT_THAT(d1, AllOf(HasSubstr("calculating ln phi\nECapeBadArgument (0x80040505)"),
                        HasSubstr("Description: moleNumbers holds nan"),
                        HasSubstr("Scope: PrPackage::CalcAndGetLnPhi"),
                        HasSubstr("Interface: ICapeThermoPropertyRoutine"),
                        HasSubstr("Argument position: 4")));

  // Above the model's temperature range: ECapeOutOfBounds with the bounds.
  ASSERT_EQ(m_mo->SetState(6000, 1e5, kNaturalGasZ.data(), kVapor), S_OK);
  const HRESULT bounds = calc({"enthalpy"}, "Vapor");
  ASSERT_EQ(bounds, ECapeOutOfBoundsHR);
  const std::string d3 = describe("calculating enthalpy", bounds);
  EXPECT_THAT(d3, AllOf(HasSubstr("ECapeOutOfBounds (0x80040507)"),
                        HasSubstr("temperature 6000 K is outside the model's range [1, 5000] K")));
  ComPtr<ECapeBoundaries> b;
  ASSERT_EQ(m_package->QueryInterface(ECapeBoundaries::kIID, b.putVoid()), S_OK);
  double low = 0, high = 0, value = 0;
  ASSERT_EQ(b->get_LowerBound(&low), S_OK);
  ASSERT_EQ(b->get_UpperBound(&high), S_OK);
  ASSERT_EQ(b->get_value(&value), S_OK);
  EXPECT_EQ(low, 1.0);
  EXPECT_EQ(high, 5000.0);
  EXPECT_EQ(value, 6000.0);
}

TEST_F(Errors, bad_states_give_standard_errors_and_write_nothing) {
  struct Case {
    double T, P;
    std::vector<double> x;
    HRESULT expected;
    const char* text;
  };
  std::vector<double> half(kNaturalGasZ);
  for (double& v : half) v /= 2;
  std::vector<double> negative(kNaturalGasZ);
  negative[0] = -0.1;
  negative[1] += 0.1;
  std::vector<double> withNan(kNaturalGasZ);
  withNan[3] = NAN;
  const Case cases[] = {
      {0, 1e5, kNaturalGasZ, ECapeBadArgumentHR, "temperature 0 K is not positive"},
      {300, -1e5, kNaturalGasZ, ECapeBadArgumentHR, "pressure -100000 Pa is not positive"},
      {NAN, 1e5, kNaturalGasZ, ECapeBadArgumentHR, "temperature nan K"},
      {300, 2e9, kNaturalGasZ, ECapeOutOfBoundsHR, "outside the model's range"},
      {300, 1e5, half, ECapeBadArgumentHR, "mole fractions sum to 0.5, not 1"},
      {300, 1e5, negative, ECapeBadArgumentHR, "mole fraction of 'methane' is -0.1"},
      {300, 1e5, withNan, ECapeBadArgumentHR, "mole fraction of 'n-butane' is nan"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(m_mo->SetState(c.T, c.P, c.x.data(), kVapor), S_OK);
    present({"Vapor"});
    EXPECT_EQ(calc({"enthalpy", "fugacityCoefficient"}, "Vapor"), c.expected) << c.text;
    EXPECT_THAT(capeErrorOf(m_package.get()).description, HasSubstr(c.text));
    Variant out;
    EXPECT_EQ(m_thermo->GetSinglePhaseProp(Bstr("enthalpy").get(), Bstr("Vapor").get(),
                                           Bstr("mole").get(), &out),
              ECapeThrmPropertyNotAvailableHR)
        << c.text;
    // The same state as a feed of a flash.
    ASSERT_EQ(m_mo->SetState(c.T, c.P, c.x.data(), kOverall), S_OK);
    present({"Vapor", "Liquid"});
    const HRESULT flash = m_mo->Flash(kFlashTP);
    EXPECT_TRUE(flash == ECapeBadArgumentHR || flash == ECapeOutOfBoundsHR) << c.text << hex(flash);
  }
  // Without a material the routines are out of order; an object that is not one is refused.
  auto context = m_package.as<ICapeThermoMaterialContext>();
  ASSERT_EQ(context->UnsetMaterial(), S_OK);
  EXPECT_EQ(calc({"enthalpy"}, "Vapor"), ECapeBadInvOrderHR);
  auto compounds = m_package.as<ICapeThermoCompounds>();
  EXPECT_EQ(context->SetMaterial(reinterpret_cast<IDispatch*>(compounds.get())),
            ECapeInvalidArgumentHR);
}
