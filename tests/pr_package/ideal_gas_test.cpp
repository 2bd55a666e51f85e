#include "pr_package/model/ideal_gas.h"

#include <gtest/gtest.h>

#include <cmath>

#include "pr_package/model/constants.h"
#include "test_data.h"

namespace pr {
namespace {

double simpson(auto f, double a, double b, int n = 2000) {
  const double h = (b - a) / n;
  double s = f(a) + f(b);
  for (int k = 1; k < n; ++k) s += (k % 2 ? 4.0 : 2.0) * f(a + k * h);
  return s * h / 3.0;
}

// Values of the DIPPR 107 fits at 298.15 K as tabulated in the data README (Perry 2-156),
// cross-checked there against CRC and Poling et al. Appendix A.
TEST(AlyLeeCp, cp_at_298_matches_tabulated_values) {
  const auto& db = test::database();
  const std::pair<const char*, double> table[] = {
      {"methane", 35.68}, {"propane", 73.47},  {"n-butane", 98.35}, {"carbon dioxide", 37.24},
      {"water", 33.58},   {"hydrogen", 28.78}, {"toluene", 104.72}};
  for (auto [name, cp] : table) {
    EXPECT_NEAR(db.compound(name).cp_ig.cp(298.15), cp, 0.011) << name;
  }
  EXPECT_DOUBLE_EQ(db.compound("argon").cp_ig.cp(500.0), 20.786);  // 5/2 R, monatomic
}

TEST(AlyLeeCp, enthalpy_and_entropy_are_integrals_of_cp) {
  const auto& db = test::database();
  for (const char* name : {"methane", "n-decane", "hydrogen sulfide", "water"}) {
    const AlyLeeCp& c = db.compound(name).cp_ig;
    for (double T : {250.0, 600.0, 1200.0}) {
      const double h = simpson([&](double t) { return c.cp(t); }, T_ref_K, T);
      const double s = simpson([&](double t) { return c.cp(t) / t; }, T_ref_K, T);
      EXPECT_NEAR(c.delta_h(T), h, 1e-5 * std::abs(h) + 1e-6) << name << " " << T;
      EXPECT_NEAR(c.delta_s(T), s, 1e-5 * std::abs(s) + 1e-8) << name << " " << T;
    }
    EXPECT_NEAR(c.delta_h(T_ref_K), 0.0, 1e-9);
    EXPECT_NEAR(c.delta_s(T_ref_K), 0.0, 1e-12);
  }
}

TEST(AlyLeeCp, held_constant_and_continuous_outside_fitted_range) {
  const AlyLeeCp& c = test::database().compound("ethane").cp_ig;  // fitted 200 to 1500 K
  EXPECT_DOUBLE_EQ(c.cp(100.0), c.cp(200.0));
  EXPECT_DOUBLE_EQ(c.cp(3000.0), c.cp(1500.0));
  for (double Tb : {c.Tmin_K, c.Tmax_K}) {
    const double dT = 2e-9 * Tb;  // h and s change by Cp dT and Cp dT / T across the bound
    EXPECT_NEAR(c.delta_h(Tb * (1 + 1e-9)) - c.delta_h(Tb * (1 - 1e-9)), c.cp(Tb) * dT, 1e-7);
    EXPECT_NEAR(c.delta_s(Tb * (1 + 1e-9)) - c.delta_s(Tb * (1 - 1e-9)), c.cp(Tb) * dT / Tb, 1e-10);
  }
  // Below the range h and s follow the constant Cp exactly.
  EXPECT_NEAR(c.delta_h(150.0) - c.delta_h(100.0), 50.0 * c.cp(200.0), 1e-8);
  EXPECT_NEAR(c.delta_s(150.0) - c.delta_s(100.0), c.cp(200.0) * std::log(1.5), 1e-10);
  // Very low and very high temperatures stay finite (no overflow of the hyperbolic terms).
  EXPECT_TRUE(std::isfinite(c.delta_h(1.0)));
  EXPECT_TRUE(std::isfinite(c.delta_s(5000.0)));
}

}  // namespace
}  // namespace pr
