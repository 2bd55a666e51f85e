#include "pr_package/model/transport.h"

#include <gtest/gtest.h>

#include "pr_package/model/property_package.h"
#include "pr_package/model/surface_tension.h"
#include "test_data.h"

namespace pr {
namespace {

double single(PropertyPackage& p, const char* id, Phase phase, double T, double P,
              std::vector<double> x) {
  p.set_state(phase, T, P, x);
  return p.single_phase_property(id, phase)[0];
}

// Chung et al. at low pressure against the dilute-gas DIPPR 102 correlations of the data
// (ChemSep), and in the liquid against the DIPPR 101 saturated-liquid correlations. Chung's
// method is quoted by Poling et al. at a few percent for gases and 10-30 % for liquids; the
// liquid also inherits the Peng-Robinson density error.
TEST(ChungTransport, viscosity_near_correlations_for_gas_and_liquid) {
  PropertyPackage p(test::database(), {"methane", "propane", "n-hexane", "nitrogen"});
  const std::pair<std::size_t, double> gases[] = {{0, 300.0}, {1, 350.0}, {3, 300.0}};
  for (auto [i, T] : gases) {
    std::vector<double> x(4, 0.0);
    x[i] = 1.0;
    const double mu = single(p, "viscosity", Phase::Vapour, T, 1e5, x);
    const double ref = p.temperature_dependent_property("viscosityOfVapor", i, T);
    EXPECT_NEAR(mu, ref, 0.05 * ref) << p.compound(i).name;
    const double k = single(p, "thermalConductivity", Phase::Vapour, T, 1e5, x);
    const double kref = p.temperature_dependent_property("thermalConductivityOfVapor", i, T);
    EXPECT_NEAR(k, kref, 0.10 * kref) << p.compound(i).name;
  }
  // Liquid n-hexane at 298 K and 1 atm: about 0.30 mPa s and 0.12 W/(m K).
  const std::vector<double> hexane = {0, 0, 1, 0};
  const double mu = single(p, "viscosity", Phase::Liquid, 298.15, 101325.0, hexane);
  const double ref = p.temperature_dependent_property("viscosityOfLiquid", 2, 298.15);
  EXPECT_NEAR(mu, ref, 0.20 * ref);
  const double k = single(p, "thermalConductivity", Phase::Liquid, 298.15, 101325.0, hexane);
  const double kref = p.temperature_dependent_property("thermalConductivityOfLiquid", 2, 298.15);
  EXPECT_NEAR(k, kref, 0.10 * kref);
  // Methane's dense-gas correction: about 11 uPa s at 1 bar, 20 uPa s at 300 bar.
  PropertyPackage c1(test::database(), {"methane"});
  const double high = single(c1, "viscosity", Phase::Vapour, 300.0, 3e7, {1.0});
  EXPECT_GT(high, 1.3 * single(c1, "viscosity", Phase::Vapour, 300.0, 1e5, {1.0}));
}

// Measured surface tensions at 298.15 K (Jasper, J. Phys. Chem. Ref. Data 1 (1972) 841):
// n-hexane 17.89 mN/m, n-heptane 19.65 mN/m, benzene 28.22 mN/m.
TEST(SurfaceTension, pure_liquids_near_measured_values) {
  const std::vector<std::string> names = {"n-hexane", "n-heptane", "benzene"};
  const double measured[] = {17.89e-3, 19.65e-3, 28.22e-3};
  PropertyPackage p(test::database(), names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::vector<double> x(3, 0.0);
    x[i] = 1.0;
    const double T = 298.15;
    const double P = p.temperature_dependent_property("vaporPressure", i, T);
    p.set_state(Phase::Liquid, T, P, x);
    p.set_state(Phase::Vapour, T, P, x);
    const double sigma = p.two_phase_property("surfaceTension", Phase::Vapour, Phase::Liquid)[0];
    EXPECT_NEAR(sigma, measured[i], 0.10 * measured[i]) << names[i];
  }
}

TEST(SurfaceTension, vanishes_at_the_critical_point_and_is_never_negative) {
  const Mixture mix = Mixture::from_database(test::database(), {"propane", "methane"});
  SurfaceTension st(mix);
  EXPECT_EQ(st.brock_bird(0, 369.83), 0.0);
  EXPECT_EQ(st.brock_bird(0, 400.0), 0.0);
  // Identical phases: no interface.
  const std::vector<double> x = {0.5, 0.5};
  EXPECT_EQ(st.mixture(x, 5000.0, x, 5000.0), 0.0);
  EXPECT_EQ(st.mixture(x, 100.0, x, 5000.0), 0.0);  // inverted densities clip to zero
}

}  // namespace
}  // namespace pr
