//! The ideal model: correlations against data points, thermodynamic identities, the TP flash,
//! and the data file's error messages.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "ideal_package/model/ideal_mixture.h"
#include "ideal_package/model/model_error.h"
#include "ideal_package/model/pure_compound.h"
#include "ideal_package/model/tp_flash.h"
#include "support/temp_env.h"

using namespace ideal;

namespace {

const CompoundTable& table() {
  static const CompoundTable t =
      CompoundTable::load(testsupport::libDir() + "/ideal_package/compounds.csv");
  return t;
}

const Compound& compound(const char* name) {
  return table().compounds().at(table().find(name).value());
}

IdealMixture mixture(std::initializer_list<const char*> names) {
  std::vector<Compound> c;
  for (const char* n : names) c.push_back(compound(n));
  return IdealMixture(c);
}

std::string errorOf(const std::string& csv) {
  testsupport::TempDir dir;
  const std::string path = dir.file("compounds.csv");
  std::ofstream(path) << csv;
  try {
    CompoundTable::load(path);
  } catch (const ModelError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::DataError);
    return std::string(e.what()).replace(0, path.size(), "<file>");
  }
  return "no error";
}

}  // namespace

TEST(AlyLee, cp_is_the_published_value_and_h_and_s_integrate_it) {
  EXPECT_NEAR(alyLee(compound("methane"), 298.15).Cp, 35.68, 0.02);
  EXPECT_NEAR(alyLee(compound("propane"), 298.15).Cp, 73.47, 0.02);
  EXPECT_DOUBLE_EQ(alyLee(compound("argon"), 700).Cp, 20.786);
  for (double T : {150.0, 400.0, 1400.0, 2500.0}) {  // inside and outside the range
    const Compound& c = compound("n-butane");
    const double h = 1e-3;
    const IdealGasState s = alyLee(c, T);
    EXPECT_NEAR((alyLee(c, T + h).H - alyLee(c, T - h).H) / (2 * h), s.Cp, 1e-5 * s.Cp) << T;
    EXPECT_NEAR((alyLee(c, T + h).S - alyLee(c, T - h).S) / (2 * h), s.Cp / T, 1e-5 * s.Cp / T)
        << T;
  }
  EXPECT_EQ(alyLee(compound("water"), T0_K).H, 0.0);
  EXPECT_EQ(alyLee(compound("water"), T0_K).S, 0.0);
}

TEST(IdealMixture, derivatives_equal_their_difference_quotients) {
  const IdealMixture m = mixture({"methane", "n-heptane"});
  const std::vector<double> x{0.3, 0.7};
  const double T = 300, P = 2e5, hT = 1e-3, hP = 1.0;
  for (PhaseKind ph : {PhaseKind::Vapor, PhaseKind::Liquid}) {
    auto at = [&](const char* name, double t, double p) {
      return m.singlePhase(name, ph, t, p, x);
    };
    for (const char* prop : {"enthalpy", "entropy", "density"}) {
      const std::string dT = std::string(prop) + ".Dtemperature";
      const std::string dP = std::string(prop) + ".Dpressure";
      const double fdT = (at(prop, T + hT, P)[0] - at(prop, T - hT, P)[0]) / (2 * hT);
      const double fdP = (at(prop, T, P + hP)[0] - at(prop, T, P - hP)[0]) / (2 * hP);
      EXPECT_NEAR(at(dT.c_str(), T, P)[0], fdT, 1e-5 * std::fabs(fdT) + 1e-10) << prop;
      EXPECT_NEAR(at(dP.c_str(), T, P)[0], fdP, 1e-5 * std::fabs(fdP) + 1e-10) << prop;
    }
    const std::vector<double> phi = at("fugacityCoefficient", T, P);
    const std::vector<double> dphi = at("fugacityCoefficient.Dtemperature", T, P);
    const std::vector<double> up = at("fugacityCoefficient", T + hT, P);
    const std::vector<double> down = at("fugacityCoefficient", T - hT, P);
    for (std::size_t i = 0; i < 2; ++i)
      EXPECT_NEAR(dphi[i], (up[i] - down[i]) / (2 * hT), 1e-6 * std::fabs(dphi[i]) + 1e-12);
  }
  // Shapes: n x n for composition derivatives of per-compound values, n for scalars.
  EXPECT_EQ(m.singlePhase("fugacityCoefficient.Dmoles", PhaseKind::Liquid, T, P, x).size(), 4u);
  EXPECT_EQ(m.singlePhase("enthalpy.Dmoles", PhaseKind::Liquid, T, P, x).size(), 2u);
  // A state the model cannot take is refused, not extrapolated.
  EXPECT_THROW(m.singlePhase("density", PhaseKind::Vapor, -1, P, x), ModelError);
  EXPECT_THROW(m.singlePhase("density", PhaseKind::Vapor, T, P, {1.0}), ModelError);
}

TEST(TPFlash, rachford_rice_balances_and_bounds_the_phases) {
  const IdealMixture m = mixture({"propane", "n-pentane", "n-octane"});
  const std::vector<double> z{0.3, 0.4, 0.3};
  const FlashResult two = tpFlash(m, 360, 3e5, z);
  ASSERT_GT(two.vaporFraction, 0);
  ASSERT_LT(two.vaporFraction, 1);
  double sx = 0, sy = 0;
  const std::vector<double> lnK = m.lnPhi(PhaseKind::Liquid, 360, 3e5);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(two.vaporFraction * two.y[i] + (1 - two.vaporFraction) * two.x[i], z[i], 1e-12);
    EXPECT_NEAR(two.y[i], std::exp(lnK[i]) * two.x[i], 1e-12);
    sx += two.x[i];
    sy += two.y[i];
  }
  EXPECT_NEAR(sx, 1, 1e-12);
  EXPECT_NEAR(sy, 1, 1e-12);
  EXPECT_EQ(tpFlash(m, 250, 3e5, z).vaporFraction, 0);  // subcooled
  EXPECT_EQ(tpFlash(m, 600, 1e4, z).vaporFraction, 1);  // superheated
}

TEST(CompoundTable, malformed_files_are_named_with_their_line) {
  EXPECT_EQ(errorOf("name,formula\nmethane,CH4\n"), "<file>, line 1: column \"cas\" is missing");
  const std::string header =
      "name,formula,cas,mw,tc,pc,vc,zc,omega,tb,tf,dipole,hvap_nbp,hfus,hf_ig_298,gf_ig_298,"
      "liq_density_25c,rackett_zra,cp_ig_c1,cp_ig_c2,cp_ig_c3,cp_ig_c4,cp_ig_c5,cp_ig_tmin,"
      "cp_ig_tmax\n";
  const std::string good = "x,X,1-1-1,10,300,4e6,1e-4,0.29,0.1,,,,,,,,,,20,0,1,0,1,100,1000\n";
  EXPECT_EQ(
      errorOf(header + good + "y,Y,2-2-2,ten,300,4e6,1e-4,0.29,0.1,,,,,,,,,,20,0,1,0,1,100,1000\n"),
      "<file>, line 3: column mw: \"ten\" is not a number");
  EXPECT_EQ(errorOf(header + good + "y,Y\n"), "<file>, line 3: expected 25 fields, found 2");
  EXPECT_EQ(errorOf(header + good + good), "<file>, line 3: compound \"x\" is listed twice");
  EXPECT_EQ(errorOf(header + "z,Z,3-3-3,10,-5,4e6,1e-4,0.29,0.1,,,,,,,,,,20,0,1,0,1,100,1000\n"),
            "<file>, line 2: column tc: -5 is not positive");
  EXPECT_EQ(errorOf(header), "<file>, line 1: the file lists no compound");
  EXPECT_EQ(table().compounds().size(), 24u);
  EXPECT_FALSE(compound("carbon dioxide").Tb_K.has_value());  // empty means no value
}
