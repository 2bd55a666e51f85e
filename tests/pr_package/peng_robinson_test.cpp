#include "pr_package/model/peng_robinson.h"

#include <gtest/gtest.h>

#include <cmath>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"
#include "pr_package/model/mixture.h"
#include "pr_package/model/saturation.h"
#include "test_data.h"

namespace pr {
namespace {

const std::vector<double> kPure = {1.0};

// Smith, Van Ness and Abbott, Introduction to Chemical Engineering Thermodynamics, 7th ed.,
// Example 3.9: n-butane at 350 K and 9.4573 bar (its vapour pressure), Tc = 425.1 K,
// Pc = 37.96 bar, omega = 0.200. Peng-Robinson saturated-vapour volume 2486 cm3/mol.
TEST(PengRobinson, n_butane_vapour_volume_matches_textbook_example) {
  const GenericCubic pr = make_peng_robinson({425.1}, {37.96e5}, {0.200}, {0.0});
  ResidualState v, l;
  pr.residual(350.0, 9.4573e5, kPure, RootChoice::Vapour, Level::Full, v);
  pr.residual(350.0, 9.4573e5, kPure, RootChoice::Liquid, Level::Full, l);
  EXPECT_NEAR(v.V_m3mol * 1e6, 2486.0, 1.0);
  EXPECT_EQ(v.root_count, 2);
  EXPECT_LT(l.V_m3mol, v.V_m3mol / 10);
  // At the measured vapour pressure the two roots have nearly equal fugacities.
  EXPECT_NEAR(v.lnphi[0], l.lnphi[0], 0.01);
}

// Pressure three ways: the closed-form EOS, the chosen root, and the residual derivatives.
TEST(PengRobinson, pressure_of_root_volume_returns_the_pressure) {
  const Mixture mix = Mixture::from_database(test::database(), test::kNaturalGas);
  PhaseState st;
  for (double P : {1e4, 3e6, 2e7}) {
    for (RootChoice root : {RootChoice::Vapour, RootChoice::Liquid}) {
      mix.evaluate(260.0, P, test::kNaturalGasZ, root, Level::Full, st);
      EXPECT_NEAR(mix.cubic().pressure(260.0, st.res.V_m3mol, st.x), P, 1e-8 * P);
      EXPECT_NEAR(st.res.Z, P * st.res.V_m3mol / (R_JmolK * 260.0), 1e-14);
    }
  }
}

// Low-pressure limit: ln phi_i = (2 sum_j y_j B_ij - B) P / (R T) with the equation's second
// virial coefficients B_ij = (b_i + b_j)/2 - a_ij/(R T), a closed form independent of the
// residual Helmholtz derivatives.
TEST(PengRobinson, lnphi_meets_second_virial_limit) {
  const Mixture mix = Mixture::from_database(test::database(), test::kNaturalGas);
  const auto& pr = mix.cubic();
  const double T = 300.0, P = 10.0, RT = R_JmolK * T;
  const auto& y = test::kNaturalGasZ;
  const std::size_t n = y.size();
  auto Bij = [&](std::size_t i, std::size_t j) {
    const double aij = (1.0 - pr.kij(i, j)) * std::sqrt(pr.a(i, T) * pr.a(j, T));
    return 0.5 * (pr.b(i) + pr.b(j)) - aij / RT;
  };
  double B = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) B += y[i] * y[j] * Bij(i, j);
  PhaseState st;
  mix.evaluate(T, P, y, RootChoice::Vapour, Level::Full, st);
  for (std::size_t i = 0; i < n; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < n; ++j) s += y[j] * Bij(i, j);
    const double expected = (2.0 * s - B) * P / RT;
    EXPECT_NEAR(st.res.lnphi[i], expected, 1e-4 * std::abs(expected)) << test::kNaturalGas[i];
  }
}

// Vapour pressures against measured values. Sources: NIST Chemistry WebBook saturation
// tables (propane 300 K: 0.99780 MPa; carbon dioxide 280 K: 4.1607 MPa; methane 150 K:
// 1.0394 MPa), and the normal boiling points of the data file (101325 Pa at Tb, CRC/ChemSep);
// enthalpies of vaporization there against the CRC values of the data file.
TEST(PengRobinson, saturation_matches_measured_data_and_ends_at_the_critical_point) {
  const auto& db = test::database();
  const std::vector<std::string> names = {"propane",  "carbon dioxide", "methane",  "n-butane",
                                          "n-hexane", "benzene",        "nitrogen", "n-decane"};
  const Mixture mix = Mixture::from_database(db, names);
  EXPECT_NEAR(saturation_at_T(mix, 0, 300.0).P_Pa, 0.99780e6, 0.01 * 0.99780e6);
  EXPECT_NEAR(saturation_at_T(mix, 1, 280.0).P_Pa, 4.1607e6, 0.01 * 4.1607e6);
  EXPECT_NEAR(saturation_at_T(mix, 2, 150.0).P_Pa, 1.0394e6, 0.015 * 1.0394e6);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto& c = mix.compound(i);
    if (i >= 3) {
      EXPECT_NEAR(saturation_at_T(mix, i, *c.Tb_K).P_Pa, 101325.0, 3e-2 * 101325.0) << names[i];
    }
    if (i == 0 || (i >= 3 && i <= 5)) {
      EXPECT_NEAR(saturation_at_T(mix, i, *c.Tb_K).h_vap_Jmol, *c.hvap_nbp_Jmol,
                  0.04 * *c.hvap_nbp_Jmol)
          << names[i];
    }
  }
  // Above methane's Tc = 190.56 K.
  const auto [kind, text] = test::error_of([&] { saturation_at_T(mix, 2, 200.0); });
  EXPECT_EQ(kind, ErrorKind::OutOfBounds);
  EXPECT_NE(text.find("methane"), std::string::npos) << text;
  EXPECT_THROW(saturation_at_P(mix, 2, 5e6), Error);  // above Pc
}

TEST(PengRobinson, saturation_slope_obeys_clapeyron_and_inverts) {
  const Mixture mix = Mixture::from_database(test::database(), {"n-pentane", "water"});
  for (std::size_t i = 0; i < 2; ++i) {
    const double T = 0.75 * mix.compound(i).Tc_K, h = 1e-3;
    const SaturationPoint s = saturation_at_T(mix, i, T);
    const double fd =
        (saturation_at_T(mix, i, T + h).P_Pa - saturation_at_T(mix, i, T - h).P_Pa) / (2 * h);
    EXPECT_NEAR(s.dP_dT_PaK, fd, 1e-6 * fd);
    // Equal fugacities at the found pressure.
    std::vector<double> x(2, 0.0);
    x[i] = 1.0;
    PhaseState l, v;
    mix.evaluate(T, s.P_Pa, x, RootChoice::Liquid, Level::LnPhi, l);
    mix.evaluate(T, s.P_Pa, x, RootChoice::Vapour, Level::LnPhi, v);
    EXPECT_NEAR(l.res.lnphi[i], v.res.lnphi[i], 1e-11);
    EXPECT_NEAR(saturation_at_P(mix, i, s.P_Pa).T_K, T, 1e-7 * T);
  }
}

TEST(GenericCubic, rejects_inconsistent_construction) {
  EXPECT_THROW(make_peng_robinson({300.0, 400.0}, {4e6}, {0.1, 0.2}, {0, 0, 0, 0}), Error);
  EXPECT_THROW(make_peng_robinson({300.0, 400.0}, {4e6, 3e6}, {0.1, 0.2}, {0, 0.1, 0.2, 0}),
               Error);  // kij not symmetric
  EXPECT_THROW(make_peng_robinson({-300.0}, {4e6}, {0.1}, {0}), Error);
}

// A heavy compound with its own constants (Tc = 723 K, Pc = 1.40 MPa, omega = 0.717, about
// n-hexadecane), where B falls to 1e-10 and below. References: the same Peng-Robinson cubic
// and fugacity equality solved in python3 with mpmath at 50 digits (polyroots on the cubic,
// findroot in ln P on ln phi_L - ln phi_V), rounded to 12 digits here.
const GenericCubic kHeavy = make_peng_robinson({723.0}, {1.40e6}, {0.717}, {0.0});

TEST(GenericCubic, tiny_covolume_keeps_both_roots_to_full_precision) {
  struct Case {
    double T, P, Z_liq, Z_vap;
  };
  const Case cases[] = {
      {260.0, 1e-3, 1.63341096422e-10, 0.999999994112},
      {300.0, 1e-3, 1.43764520383e-10, 0.999999995945},
      {300.0, 1e-6, 1.43764520383e-13, 0.999999999996},
  };
  for (const Case& c : cases) {
    const auto z = kHeavy.z_roots(c.T, c.P, kPure);
    ASSERT_EQ(z.size(), 2u) << c.T << " K, " << c.P << " Pa";
    EXPECT_NEAR(z[0], c.Z_liq, 1e-10 * c.Z_liq) << c.T << " K, " << c.P << " Pa";
    EXPECT_NEAR(z[1], c.Z_vap, 1e-11) << c.T << " K, " << c.P << " Pa";
  }
}

TEST(PengRobinson, saturation_at_very_low_vapour_pressure_matches_reference) {
  CompoundRecord c = test::database().compound("n-decane");
  c.name = "heavy";
  c.Tc_K = 723.0, c.Pc_Pa = 1.40e6, c.omega = 0.717;
  const Mixture mix({c}, {0.0});
  struct Case {
    double T, Psat;
  };
  const Case cases[] = {
      {230.0, 2.39564947829e-5},
      {250.0, 7.14087877765e-4},
      {300.0, 0.372581058380},
      {450.0, 4377.00338469},
  };
  for (const Case& k : cases) {
    const SaturationPoint s = saturation_at_T(mix, 0, k.T);
    EXPECT_NEAR(s.P_Pa, k.Psat, 1e-9 * k.Psat) << k.T << " K";
    EXPECT_NEAR(saturation_at_P(mix, 0, k.Psat).T_K, k.T, 1e-8 * k.T) << k.T << " K";
  }
}

}  // namespace
}  // namespace pr
