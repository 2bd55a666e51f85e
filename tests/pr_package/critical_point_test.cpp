#include "pr_package/model/critical_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"
#include "pr_package/model/flash.h"
#include "pr_package/model/saturation.h"
#include "test_data.h"

namespace pr {
namespace {

// Peng and Robinson, "A new two-constant equation of state", Ind. Eng. Chem. Fundam. 15 (1976)
// 59: the equation's critical compressibility factor is 0.307 for every compound, 0.3074013087
// to ten digits (the triple root of its cubic); a pure feed, or one within 1e-9 of it, gives back
// the compound's own Tc and Pc. CO2 + n-hexane (k_ij = 0.11) has one critical point for every
// feed between, on a vapour-liquid critical line joining the two compounds' points as measured
// for CO2 with the lighter n-alkanes (class I or II of van Konynenburg and Scott, Phil. Trans.
// R. Soc. A 298 (1980) 495). Interior references: the fixed-(T, P) binary criteria
// d ln f1/dx1 = d2 ln f1/dx1^2 = 0, solved in python3 with mpmath at 30 digits, independent of
// the fixed-(T, V) eigenvector criteria used here.
TEST(CriticalPoint, pure_limits_zc_and_the_co2_n_hexane_line) {
  const Mixture mix = Mixture::from_database(test::database(), {"carbon dioxide", "n-hexane"});
  struct Case {
    double z_co2, T_K, P_Pa, tol;
  };
  const Case cases[] = {{1.0, 304.21, 7.383e6, 1e-9},
                        {0.0, 507.6, 3.025e6, 1e-9},
                        {1.0 - 1e-9, 304.21, 7.383e6, 1e-6},
                        {0.5, 459.835943645622, 8376970.47090932, 1e-9},
                        {0.7, 413.425659433613, 11287839.0399252, 1e-9}};
  for (const Case& c : cases) {
    const std::vector<double> z = {c.z_co2, 1.0 - c.z_co2};
    for (const CriticalPoint& p : {critical_point(mix, z), critical_point(mix, z, 450.0, 8e6)}) {
      EXPECT_NEAR(p.T_K, c.T_K, c.tol * c.T_K) << c.z_co2;
      EXPECT_NEAR(p.P_Pa, c.P_Pa, c.tol * c.P_Pa) << c.z_co2;
      if (c.z_co2 == 0.0 || c.z_co2 > 0.9) {
        EXPECT_NEAR(p.P_Pa * p.V_m3mol / (R_JmolK * p.T_K), 0.3074013087, 1e-6);
      }
    }
  }
  double T_prev = 507.6;
  for (const double x : {1e-4, 1e-3, 0.01, 0.1, 0.3, 0.6, 0.9, 0.99, 1 - 1e-4, 1 - 1e-6}) {
    const std::vector<CriticalPoint> all = critical_points(mix, std::vector<double>{x, 1.0 - x});
    ASSERT_EQ(all.size(), 1u) << x;
    EXPECT_LT(all[0].T_K, T_prev) << x;
    EXPECT_GT(all[0].T_K, 304.21) << x;
    T_prev = all[0].T_K;
  }
  // CO2 + water's critical line from water rises beyond the model's 1 GPa by 40 % CO2: refused,
  // naming the point out of range, rather than answered with another.
  const Mixture water = Mixture::from_database(test::database(), {"carbon dioxide", "water"});
  const std::string text = test::error_of([&] {
                             critical_point(water, std::vector<double>{0.5, 0.5});
                           }).second;
  EXPECT_NE(text.find("outside the model's range only, at T = 568."), std::string::npos) << text;
}

// A saturation line traced towards its critical point says where it ends, dilute feeds too:
// the dew line of 1 % CO2 above its critical pressure (about 3.097 MPa) and the bubble line of
// 99 % CO2 above its own (about 7.510 MPa), each at the point of the test above's line.
TEST(CriticalPoint, saturation_lines_of_dilute_feeds_end_at_the_critical_point) {
  const Mixture mix = Mixture::from_database(test::database(), {"carbon dioxide", "n-hexane"});
  FlashSolver flash(mix);
  for (const double x : {0.01, 0.99}) {
    const std::vector<double> z = {x, 1.0 - x};
    const CriticalPoint cp = critical_point(mix, z);
    const std::string text =
        test::error_of([&] { flash.pvf(1.05 * cp.P_Pa, x < 0.5 ? 1.0 : 0.0, z); }).second;
    const std::string expected = cat("ends near the mixture critical point T = ", cp.T_K);
    EXPECT_NE(text.find(expected.substr(0, 50)), std::string::npos) << x << ": " << text;
  }
}

// Vapour pressures far below a pascal. As P goes to 0 the liquid root of Peng and Robinson's
// cubic (1976, above) tends to Z = P V0 / (R T), V0 the liquid root of P(T, V) = 0, and the
// vapour pressure to the zero-pressure liquid fugacity from their fugacity-coefficient
// expression, R T / (V0 - b) exp(-1 - a / (2 sqrt2 b R T) ln((V0 + (1 + sqrt2) b) /
// (V0 + (1 - sqrt2) b))); both closed forms, exact up to relative terms of order P V0 / (R T)
// and the vapour's B P / (R T), below 1e-9 here. A heavy compound with its own constants
// (Tc = 723 K, Pc = 1.40 MPa, omega = 0.717, about n-hexadecane), at reduced temperatures of
// 0.28 to 0.32 where B falls to 1e-13.
TEST(LowVapourPressure, liquid_root_and_saturation_meet_their_zero_pressure_limits) {
  CompoundRecord rec = test::database().compound("n-decane");
  rec.Tc_K = 723.0, rec.Pc_Pa = 1.40e6, rec.omega = 0.717;
  const Mixture mix({rec}, {0.0});
  const std::vector<double> x = {1.0};
  const double r2 = std::sqrt(2.0);
  for (const double T : {200.0, 215.0, 230.0}) {
    const double a = mix.cubic().a(0, T), b = mix.cubic().b(0), RT = R_JmolK * T;
    // RT (V^2 + 2 b V - b^2) = a (V - b), its smaller root.
    const double c1 = 2.0 * b * RT - a, c0 = a * b - RT * b * b;
    const double V0 = (-c1 - std::sqrt(c1 * c1 - 4.0 * RT * c0)) / (2.0 * RT);
    const double f0 = RT / (V0 - b) *
                      std::exp(-1.0 - a / (2.0 * r2 * b * RT) *
                                          std::log((V0 + (1.0 + r2) * b) / (V0 + (1.0 - r2) * b)));
    const double P = 1e-3;
    const std::vector<double> roots = mix.cubic().z_roots(T, P, x);
    ASSERT_EQ(roots.size(), 2u) << T;
    EXPECT_NEAR(roots[0], P * V0 / RT, 1e-9 * P * V0 / RT) << T;
    EXPECT_NEAR(saturation_at_T(mix, 0, T).P_Pa, f0, 1e-9 * f0) << T;
  }
}

}  // namespace
}  // namespace pr
