// Sweeps over states where solvers meet trouble (critical region, dilute phases, extreme T and
// P): every call either returns finite values or raises the package's error; never a NaN and
// never a crash.
#include <gtest/gtest.h>

#include <cmath>

#include "pr_package/model/error.h"
#include "pr_package/model/property_package.h"
#include "pr_package/model/saturation.h"
#include "test_data.h"

namespace pr {
namespace {

void expect_sane(const FlashResult& r, std::size_t n, const char* what) {
  EXPECT_TRUE(r.has_vapour || r.has_liquid) << what;
  EXPECT_GE(r.beta, 0.0) << what;
  EXPECT_LE(r.beta, 1.0) << what;
  EXPECT_TRUE(std::isfinite(r.h_Jmol) && std::isfinite(r.s_JmolK) && std::isfinite(r.V_m3mol))
      << what;
  for (const auto* v : {&r.x, &r.y}) {
    if (v->empty()) continue;
    ASSERT_EQ(v->size(), n);
    double s = 0.0;
    for (double c : *v) {
      EXPECT_TRUE(std::isfinite(c) && c >= 0.0) << what;
      s += c;
    }
    EXPECT_NEAR(s, 1.0, 1e-9) << what;
  }
}

TEST(Robustness, tp_flash_grid_through_critical_region_never_returns_nan) {
  PropertyPackage pkg(test::database(), test::kNaturalGas);
  const std::size_t n = test::kNaturalGas.size();
  int errors = 0, results = 0;
  for (double T = 150.0; T <= 400.0; T += 12.5) {
    for (double P = 1e5; P <= 2e7; P *= 1.6) {
      try {
        const FlashResult r = pkg.flash_solver().tp(T, P, test::kNaturalGasZ);
        expect_sane(r, n, "tp");
        ++results;
      } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::SolvingError) << e.what();
        ++errors;
      }
    }
  }
  EXPECT_GT(results, 9 * (errors + 1));  // failures, if any, are rare
}

TEST(Robustness, pure_compound_at_its_critical_point_has_finite_properties) {
  PropertyPackage pkg(test::database(), {"propane"});
  const auto& c = pkg.compound(0);
  for (Phase phase : {Phase::Vapour, Phase::Liquid}) {
    pkg.set_state(phase, c.Tc_K, c.Pc_Pa, std::vector<double>{1.0});
    for (const std::string& id : PropertyPackage::single_phase_property_list()) {
      for (double v : pkg.single_phase_property(id, phase)) EXPECT_TRUE(std::isfinite(v)) << id;
    }
    EXPECT_NEAR(pkg.single_phase_property("compressibilityFactor", phase)[0], 0.3074, 3e-3);
  }
  // A saturation request at Tc is out of the model's range, not a NaN.
  EXPECT_THROW(pkg.temperature_dependent_property("vaporPressure", 0, c.Tc_K), Error);
  // Flashes right at the critical point: a result or a clean error.
  try {
    expect_sane(pkg.flash_solver().tp(c.Tc_K, c.Pc_Pa, std::vector<double>{1.0}), 1, "tp");
  } catch (const Error&) {
  }
  EXPECT_THROW(pkg.flash_solver().pvf(c.Pc_Pa, 0.5, std::vector<double>{1.0}), Error);
}

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
