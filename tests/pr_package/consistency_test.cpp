// Thermodynamic identities and analytical derivatives against central differences, over a
// table of phases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "pr_package/model/constants.h"
#include "pr_package/model/property_package.h"
#include "test_data.h"

namespace pr {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> compounds;
  std::vector<double> x;
  double T_K, P_Pa;
  Phase phase;
};

const Case kCases[] = {
    {"gas_vapour", test::kNaturalGas, test::kNaturalGasZ, 300.0, 5e6, Phase::Vapour},
    {"gas_liquid_root", test::kNaturalGas, test::kNaturalGasZ, 230.0, 4e6, Phase::Liquid},
    {"co2_decane_liquid", {"carbon dioxide", "n-decane"}, {0.3, 0.7}, 350.0, 8e6, Phase::Liquid},
    {"water_methanol_liquid", {"water", "methanol"}, {0.6, 0.4}, 330.0, 2e5, Phase::Liquid},
    {"hydrogen_methane_vapour", {"hydrogen", "methane"}, {0.4, 0.6}, 150.0, 2e6, Phase::Vapour},
    {"ethanol_dense_supercritical", {"ethanol", "nitrogen"}, {0.9, 0.1}, 560.0, 3e7, Phase::Vapour},
};

class Consistency : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    const Case& c = GetParam();
    pkg = std::make_unique<PropertyPackage>(test::database(), c.compounds);
    set(c.T_K, c.P_Pa, c.x);
  }
  void set(double T, double P, const std::vector<double>& x) {
    pkg->set_state(GetParam().phase, T, P, x);
  }
  std::vector<double> get(const std::string& id, Basis basis = Basis::Mole) {
    return pkg->single_phase_property(id, GetParam().phase, basis);
  }
  double one(const std::string& id, Basis basis = Basis::Mole) { return get(id, basis).at(0); }
  PhaseState state() {
    PhaseState st;
    const Case& c = GetParam();
    pkg->mixture().evaluate(c.T_K, c.P_Pa, c.x,
                            c.phase == Phase::Vapour ? RootChoice::Vapour : RootChoice::Liquid,
                            Level::Full, st);
    return st;
  }
  std::unique_ptr<PropertyPackage> pkg;
};

// h = u + Pv, g = h - Ts, a = u - Ts; Cp - Cv = -T (dP/dT)_V^2 / (dP/dV)_T with (dP/dT)_V =
// -V_T / V_P and (dP/dV)_T = 1 / V_P; Cp = dh/dT; sum x ln phi = g_res / RT; sum x V_i = V;
// h_res = -RT^2 sum x dln phi/dT; g_E = RT sum x ln gamma = h_E - T s_E; mass basis = mole / M.
TEST_P(Consistency, identities_hold) {
  const Case& c = GetParam();
  const double T = c.T_K, P = c.P_Pa;
  EXPECT_NEAR(one("enthalpy"), one("internalEnergy") + P * one("volume"), 1e-9 * 1e5);
  EXPECT_NEAR(one("gibbsEnergy"), one("enthalpy") - T * one("entropy"), 1e-6);
  EXPECT_NEAR(one("helmholtzEnergy"), one("internalEnergy") - T * one("entropy"), 1e-6);
  const double VT = one("volume.Dtemperature"), VP = one("volume.Dpressure");
  const double dPdT = -VT / VP, dPdV = 1.0 / VP;
  const double cpcv = one("heatCapacityCp") - one("heatCapacityCv");
  EXPECT_NEAR(cpcv, -T * dPdT * dPdT / dPdV, 1e-9 * std::abs(cpcv));
  EXPECT_GT(cpcv, 0.0);
  const double dT = 1e-3;
  set(T + dT, P, c.x);
  const double hp = one("enthalpy");
  set(T - dT, P, c.x);
  const double hm = one("enthalpy");
  set(T, P, c.x);
  EXPECT_NEAR(one("heatCapacityCp"), (hp - hm) / (2 * dT), 1e-5 * one("heatCapacityCp"));
  const PhaseState st = state();
  double lnphi = 0.0, V = 0.0, h = 0.0;
  for (std::size_t i = 0; i < st.size(); ++i) {
    lnphi += st.x[i] * st.res.lnphi[i];
    V += st.x[i] * st.res.V_partial[i];
    h += st.x[i] * -R_JmolK * T * T * st.res.dlnphi_dT[i];
  }
  EXPECT_NEAR(lnphi, st.res.g_res / (R_JmolK * T), 1e-12 + 1e-11 * std::abs(lnphi));
  EXPECT_NEAR(V, st.res.V_m3mol, 1e-12 * st.res.V_m3mol);
  EXPECT_NEAR(h, st.res.h_res, 1e-9 * (1.0 + std::abs(st.res.h_res)));
  const auto gamma = get("activityCoefficient");
  double g = 0.0;
  for (std::size_t i = 0; i < gamma.size(); ++i) g += c.x[i] * std::log(gamma[i]);
  EXPECT_NEAR(one("excessGibbsEnergy"), R_JmolK * T * g, 1e-8 * (1.0 + std::abs(R_JmolK * T * g)));
  EXPECT_NEAR(one("excessGibbsEnergy"), one("excessEnthalpy") - T * one("excessEntropy"), 1e-7);
  const double M = one("molecularWeight") * 1e-3;
  EXPECT_NEAR(one("enthalpy", Basis::Mass), one("enthalpy") / M,
              1e-9 * std::abs(one("enthalpy") / M));
  EXPECT_NEAR(one("density", Basis::Mass), one("density") * M, 1e-12 * one("density") * M);
  EXPECT_NEAR(one("heatCapacityCp", Basis::Mass), one("heatCapacityCp") / M,
              1e-9 * one("heatCapacityCp") / M);
  EXPECT_DOUBLE_EQ(one("compressibilityFactor", Basis::Mass), one("compressibilityFactor"));
  // Euler: sum_j x_j dM/dn_j = 0 for a property of degree zero in the mole numbers.
  for (const char* id : {"enthalpy.Dmoles", "entropy.Dmoles", "volume.Dmoles", "density.Dmoles",
                         "compressibilityFactor.Dmoles", "gibbsEnergy.DmolFraction"}) {
    const auto dM = get(id);
    double sum = 0.0, largest = 0.0;
    for (std::size_t j = 0; j < dM.size(); ++j) {
      sum += c.x[j] * dM[j];
      largest = std::max(largest, std::abs(dM[j]));
    }
    EXPECT_NEAR(sum, 0.0, 1e-9 * (1.0 + largest)) << id;
  }
  // Gibbs-Duhem, sum_i x_i d ln phi_i / d n_j = 0, and the symmetry of d ln phi_i / d n_j.
  const std::size_t n = GetParam().x.size();
  const auto d = get("logFugacityCoefficient.Dmoles");
  for (std::size_t j = 0; j < n; ++j) {
    double s = 0.0, scale = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      s += GetParam().x[i] * d[i * n + j];
      scale = std::max(scale, std::abs(d[i * n + j]));
    }
    EXPECT_NEAR(s, 0.0, 1e-11 * (1.0 + scale));
    for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(d[i * n + j], d[j * n + i], 1e-10 * scale);
  }
}

TEST_P(Consistency, every_analytical_derivative_eq_central_difference) {
  const Case& c = GetParam();
  const std::size_t n = c.x.size();
  for (const std::string& id : PropertyPackage::single_phase_property_list()) {
    const auto dot = id.find(".D");
    if (dot == std::string::npos) continue;
    const std::string base = id.substr(0, dot), suffix = id.substr(dot);
    for (Basis basis : {Basis::Mole, Basis::Mass}) {
      const auto ana = get(id, basis);
      std::vector<double> fd(ana.size(), 0.0);
      const bool comp = suffix == ".Dmoles" || suffix == ".DmolFraction";
      if (!comp) {
        const double h = suffix == ".Dtemperature" ? 1e-4 * c.T_K : 1e-5 * c.P_Pa;
        const bool dT = suffix == ".Dtemperature";
        set(c.T_K + (dT ? h : 0), c.P_Pa + (dT ? 0 : h), c.x);
        const auto up = get(base, basis);
        set(c.T_K - (dT ? h : 0), c.P_Pa - (dT ? 0 : h), c.x);
        const auto dn = get(base, basis);
        for (std::size_t k = 0; k < fd.size(); ++k) fd[k] = (up[k] - dn[k]) / (2 * h);
      } else {
        const double h = 1e-5;
        const std::size_t m = ana.size() / n;  // values of the base property
        for (std::size_t j = 0; j < n; ++j) {
          std::vector<double> xp(c.x), xm(c.x);
          for (std::size_t i = 0; i < n; ++i) {
            xp[i] = (c.x[i] + (i == j ? h : 0.0)) / (1.0 + h);
            xm[i] = (c.x[i] - (i == j ? h : 0.0)) / (1.0 - h);
          }
          set(c.T_K, c.P_Pa, xp);
          const auto up = get(base, basis);
          set(c.T_K, c.P_Pa, xm);
          const auto dn = get(base, basis);
          for (std::size_t i = 0; i < m; ++i) {
            // Scalars: entry j; vectors: row-major entry i*n + j.
            fd[m == 1 ? j : i * n + j] = (up[i] - dn[i]) / (2 * h);
          }
        }
      }
      set(c.T_K, c.P_Pa, c.x);
      double scale = 0.0;
      for (double v : fd) scale = std::max(scale, std::abs(v));
      const double base_scale = std::abs(get(base, basis)[0]);
      for (std::size_t k = 0; k < ana.size(); ++k) {
        EXPECT_NEAR(ana[k], fd[k], 2e-5 * scale + 1e-9 * base_scale)
            << id << (basis == Basis::Mass ? " (mass)" : "") << " entry " << k;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(States, Consistency, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace pr
