// Two-phase derivatives against central differences, and flash input the facade refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "pr_package/model/error.h"
#include "pr_package/model/property_package.h"
#include "test_data.h"

namespace pr {
namespace {

// kvalue and logKvalue derivatives against central differences (both phases moved together).
TEST(TwoPhaseDerivatives, kvalue_derivatives_eq_central_difference) {
  PropertyPackage pkg(test::database(), test::kNaturalGas);
  const FlashResult r = pkg.flash_solver().tp(250.0, 3e6, test::kNaturalGasZ);
  auto at = [&](double T, double P, const char* id) {
    pkg.set_state(Phase::Vapour, T, P, r.y);
    pkg.set_state(Phase::Liquid, T, P, r.x);
    return pkg.two_phase_property(id, Phase::Vapour, Phase::Liquid);
  };
  for (const char* id : {"kvalue", "logKvalue"}) {
    const auto dT = at(250.0, 3e6, (std::string(id) + ".Dtemperature").c_str());
    const auto dP = at(250.0, 3e6, (std::string(id) + ".Dpressure").c_str());
    const auto Tp = at(250.01, 3e6, id), Tm = at(249.99, 3e6, id);
    const auto Pp = at(250.0, 3e6 + 30.0, id), Pm = at(250.0, 3e6 - 30.0, id);
    for (std::size_t i = 0; i < dT.size(); ++i) {
      const double fT = (Tp[i] - Tm[i]) / 0.02, fP = (Pp[i] - Pm[i]) / 60.0;
      EXPECT_NEAR(dT[i], fT, 1e-5 * std::abs(fT) + 1e-12) << id << " " << i;
      EXPECT_NEAR(dP[i], fP, 1e-5 * std::abs(fP) + 1e-15) << id << " " << i;
    }
  }
}

TEST(Robustness, flash_inputs_are_validated_at_the_facade) {
  PropertyPackage pkg(test::database(), test::kNaturalGas);
  const auto tp = *PropertyPackage::classify_equilibrium({"temperature", "", "Overall", ""},
                                                         {"pressure", "", "Overall", ""}, "");
  std::vector<double> z = test::kNaturalGasZ;
  z[0] = std::nan("");
  EXPECT_THROW(pkg.calc_equilibrium(tp, 300.0, 1e6, z), Error);
  z = test::kNaturalGasZ;
  z[0] = 0.1;  // sums to 0.5
  EXPECT_THROW(pkg.calc_equilibrium(tp, 300.0, 1e6, z), Error);
  EXPECT_THROW(pkg.calc_equilibrium(tp, 0.0, 1e6, test::kNaturalGasZ), Error);
  EXPECT_THROW(pkg.calc_equilibrium(tp, 300.0, 0.0, test::kNaturalGasZ), Error);
  EXPECT_THROW(pkg.calc_equilibrium(tp, 300.0, 1e6, std::vector<double>(3, 1.0 / 3)), Error);
}

}  // namespace
}  // namespace pr
