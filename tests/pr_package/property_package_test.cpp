#include "pr_package/model/property_package.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>

#include "pr_package/model/error.h"
#include "test_data.h"

namespace pr {
namespace {

class Package : public ::testing::Test {
 protected:
  Package() : pkg(test::database(), test::kNaturalGas) {
    pkg.set_state(Phase::Vapour, 300.0, 5e6, test::kNaturalGasZ);
    pkg.set_state(Phase::Liquid, 250.0, 3e6, test::kNaturalGasZ);
  }
  ErrorKind kind_of(auto&& f) {
    try {
      f();
    } catch (const Error& e) {
      EXPECT_FALSE(e.message().empty());
      EXPECT_NE(e.procedure().find("::"), std::string::npos);
      return e.kind();
    }
    ADD_FAILURE() << "no error";
    return ErrorKind::DataError;
  }
  PropertyPackage pkg;
  const std::size_t n = test::kNaturalGas.size();
};

TEST_F(Package, unknown_unsupported_and_out_of_order_requests_have_distinct_kinds) {
  constexpr auto V = Phase::Vapour, L = Phase::Liquid;
  constexpr auto kInvalid = ErrorKind::InvalidArgument, kNotImpl = ErrorKind::NotImplemented;
  PropertyPackage fresh(test::database(), {"methane", "ethane"});
  const std::pair<std::function<void()>, ErrorKind> cases[] = {
      {[&] { pkg.single_phase_property("enthalpyy", V); }, kInvalid},
      {[&] { pkg.single_phase_property("enthalpy.Dvolume", V); }, kInvalid},
      {[&] { pkg.single_phase_property("heatCapacityCv.DmolFraction", V); }, kNotImpl},
      {[&] { pkg.single_phase_property("pH", L); }, kNotImpl},
      {[] { PropertyPackage::parse_phase("Solid"); }, kInvalid},
      {[] { PropertyPackage::parse_basis("volume"); }, kInvalid},
      {[] {
         PropertyPackage(test::database(), {"methane", "kryptonite"});
       },
       kInvalid},
      {[] {
         PropertyPackage(test::database(), {"methane", "METHANE"});
       },
       kInvalid},
      {[&] { pkg.two_phase_property("kvalue", V, V); }, kInvalid},
      {[&] { pkg.compound_constant("boilingColour", 0); }, kInvalid},
      {[] { PropertyPackage::universal_constant("piConstant"); }, kInvalid},
      // A property asked for before any state is set.
      {[&] { fresh.single_phase_property("volume", L); }, ErrorKind::BadInvOrder},
      {[&] { fresh.two_phase_property("kvalue", V, L); }, ErrorKind::BadInvOrder},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(kind_of(cases[i].first), cases[i].second) << "case " << i;
  EXPECT_FALSE(fresh.has_state(V));
}

TEST_F(Package, calc_equilibrium_converts_mass_basis_and_liquid_fraction) {
  const auto& z = test::kNaturalGasZ;
  const FlashResult ref = pkg.flash_solver().tp(250.0, 3e6, z);
  const EquilibriumCondition P{"pressure", "", "Overall", ""};
  const auto ph = *PropertyPackage::classify_equilibrium(
      P, EquilibriumCondition{"enthalpy", "mass", "Overall", ""}, "");
  pkg.set_state(Phase::Vapour, 300.0, 1e5, z);
  const double M = 1e-3 * pkg.single_phase_property("molecularWeight", Phase::Vapour)[0];
  const FlashResult r = pkg.calc_equilibrium(ph, 3e6, ref.h_Jmol / M, z);
  EXPECT_NEAR(r.T_K, 250.0, 1e-6);
  const auto lf = *PropertyPackage::classify_equilibrium(
      EquilibriumCondition{"phaseFraction", "mole", "Liquid", ""},
      EquilibriumCondition{"temperature", "", "Overall", ""}, "");
  const FlashResult t = pkg.calc_equilibrium(lf, 1.0 - ref.beta, 250.0, z);
  EXPECT_NEAR(t.P_Pa, 3e6, 1e-3);
  EXPECT_EQ(kind_of([&] { pkg.calc_equilibrium(lf, 1.5, 250.0, z); }), ErrorKind::OutOfBounds);
  EXPECT_EQ(kind_of([&] { pkg.calc_equilibrium(ph, 3e6, std::nan(""), z); }),
            ErrorKind::BadArgument);
  EXPECT_EQ(kind_of([&] { pkg.calc_equilibrium(ph, -3e6, 1.0, z); }), ErrorKind::OutOfBounds);
  // A temperature out of the model's range, a feed of another size.
  EXPECT_EQ(kind_of([&] { pkg.calc_equilibrium(lf, 0.5, 0.0, z); }), ErrorKind::OutOfBounds);
  EXPECT_EQ(kind_of([&] { pkg.calc_equilibrium(lf, 0.5, 250.0, std::vector<double>(3, 0.5)); }),
            ErrorKind::BadArgument);
}

TEST_F(Package, lists_only_hold_computable_identifiers) {
  for (const auto& id : PropertyPackage::single_phase_property_list()) {
    EXPECT_NO_THROW(pkg.single_phase_property(id, Phase::Vapour)) << id;
    EXPECT_NO_THROW(pkg.single_phase_property(id, Phase::Liquid, Basis::Mass)) << id;
  }
  for (const auto& id : PropertyPackage::two_phase_property_list()) {
    EXPECT_NO_THROW(pkg.two_phase_property(id, Phase::Vapour, Phase::Liquid)) << id;
  }
  for (const auto& id : PropertyPackage::temperature_dependent_property_list()) {
    EXPECT_NO_THROW(pkg.temperature_dependent_property(id, 2, 250.0)) << id;
  }
}

// Values of the data file at its reference state; a correlation used outside its range is refused.
TEST_F(Package, temperature_dependent_properties_check_their_range) {
  const std::size_t c3 = pkg.compound_index("propane");
  EXPECT_NEAR(pkg.temperature_dependent_property("idealGasEnthalpy", c3, 298.15), -104680.0, 1e-6);
  EXPECT_NEAR(pkg.temperature_dependent_property("viscosityOfLiquid", c3, 231.0), 2e-4, 1e-4);
  EXPECT_EQ(kind_of([&] { pkg.temperature_dependent_property("viscosityOfLiquid", c3, 400.0); }),
            ErrorKind::OutOfBounds);
}

}  // namespace
}  // namespace pr
