//! Property requests end to end: the simulator's calls on libCORavl11.so, with the Peng-Robinson
//! and ideal packages behind the adapter and the material object, and host phases built with
//! the host framework. Every value the socket writes is checked against the packages' own
//! models, in the host's units (kJ/kmol, kPa, m3/kmol, natural logarithms).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calc/property_registration.h"
#include "comlite/com_ptr.h"
#include "ideal_package/model/ideal_mixture.h"
#include "outside/ravelin_derivatives.h"
#include "pr_package/model/property_package.h"
#include "pr_package/test_data.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "ravelin/property_names.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;

namespace {

using testsupport::kIdealSelection;
using testsupport::kPengRobinsonSelection;
using testsupport::pick;
constexpr const char* kKvaluesOnly = "package = CORavlTest.KvaluePackage.1\n";
constexpr const char* kWithSolid = "package = CORavlTest.SolidPackage.1\n";

//! The simulator's compounds of the natural gas, in the package's order.
const std::vector<ravelin::CompoundSpec> kNaturalGas = testsupport::naturalGasCompounds();
const std::vector<ravelin::CompoundSpec> kLightHydrocarbons = testsupport::naturalGasCompounds(4);

//! A liquid of the natural gas compounds.
const std::vector<double> kCondensate = {0.05, 0.03, 0.10, 0.12, 0.05, 0.25, 0.40, 0.0, 0.0, 0.0};

ideal::IdealMixture idealLightHydrocarbons() {
  const auto table =
      ideal::CompoundTable::load(testsupport::libDir() + "/ideal_package/compounds.csv");
  std::vector<ideal::Compound> c;
  for (const char* n : {"methane", "ethane", "propane", "n-butane"})
    c.push_back(table.compounds().at(table.find(n).value()));
  return ideal::IdealMixture(c);
}

//! The Peng-Robinson model at a phase's state, as the package computes it.
std::vector<double> prValue(const char* id, pr::Phase phase, double T, double P_kPa,
                            const std::vector<double>& x) {
  pr::PropertyPackage model(pr::test::database(), pr::test::kNaturalGas);
  model.set_state(phase, T, P_kPa * 1000.0, x);
  return model.single_phase_property(id, phase);
}

LONG id(const char* name) {
  return ravelin::propertyId(name);
}

//! A host composition (in the order of `order`) on all `n` package compounds, 0 elsewhere.
std::vector<double> onPackage(const std::vector<double>& host,
                              const std::vector<std::size_t>& order, std::size_t n) {
  std::vector<double> x(n, 0.0);
  for (std::size_t i = 0; i < order.size(); ++i) x.at(order[i]) = host.at(i);
  return x;
}

//! Relative closeness with an absolute floor.
void expectClose(double got, double want, double rel, const std::string& what) {
  EXPECT_NEAR(got, want, rel * std::max(1.0, std::fabs(want))) << what;
}

class Calculation : public testsupport::SocketFixture {
 protected:
  std::vector<const char*> extraModules() const override { return {"test_packages"}; }

  //! The user allows the fluid package to hold some of the package's compounds only, in the
  //! view that setting up shows.
  void allowSubsets() { edit("allowSubsets = true\n"); }

  HRESULT calculate(IExtendedPropPackage* pkg, const char* property, const ravelin::Phase& p,
                    IDispatch* errorLog = nullptr) {
    return pkg->CalculateProperty(id(property), p.dispatch(), nullptr, manager.dispatch(), errorLog,
                                  nullptr);
  }

  ravelin::FlashControl flashControl = ravelin::FlashControl::create();
  ravelin::PropertyManager manager = ravelin::PropertyManager::create(flashControl);
};

}  // namespace

// ---- Values and derivatives against the Peng-Robinson model -------------------------------

TEST_F(Calculation, enthalpy_of_a_vapour_with_its_derivatives_in_host_units) {
  auto pkg = open(kPengRobinsonSelection, kNaturalGas);
  const double T = 300.0, P = 2000.0;
  const auto& x = pr::test::kNaturalGasZ;
  auto vapour = phase(ravelin::kPhaseVapour, T, P, x);
  const auto dT = vapour.addDerivativeRequest("Enthalpy", "dT");
  const auto dP = vapour.addDerivativeRequest("Enthalpy", "dP");
  const auto dX = vapour.addDerivativeRequest("Enthalpy", "dX");
  const auto unwanted = vapour.addDerivativeRequest("Enthalpy", "dN", false);
  // The same derivative asked again, by the variable's own property.
  const auto byTemperature = vapour.addDerivativeRequest("Enthalpy", "Temperature");
  const auto other = vapour.addDerivativeRequest("Entropy", "dT");

  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
  // J/mol is kJ/kmol; per Pa becomes per kPa.
  expectClose(*vapour.value("Enthalpy"), prValue("enthalpy", pr::Phase::Vapour, T, P, x)[0], 1e-10,
              "H");
  expectClose(vapour.derivative(dT).values.at(0),
              prValue("enthalpy.Dtemperature", pr::Phase::Vapour, T, P, x)[0], 1e-10, "dH/dT");
  expectClose(vapour.derivative(dP).values.at(0),
              1000.0 * prValue("enthalpy.Dpressure", pr::Phase::Vapour, T, P, x)[0], 1e-10,
              "dH/dP");
  const auto dHdx = prValue("enthalpy.DmolFraction", pr::Phase::Vapour, T, P, x);
  const auto got = vapour.derivative(dX).values;
  ASSERT_EQ(got.size(), x.size());
  for (std::size_t i = 0; i < x.size(); ++i) expectClose(got[i], dHdx[i], 1e-10, "dH/dx");
  EXPECT_EQ(vapour.derivative(byTemperature).values, vapour.derivative(dT).values);
  for (auto i : {dT, dP, dX, byTemperature})
    EXPECT_EQ(vapour.derivative(i).status, ravelin::kDerivativeDone);
  // Not wanted, or of another property: left alone.
  EXPECT_FALSE(vapour.derivative(unwanted).written);
  EXPECT_EQ(vapour.derivative(other).status, ravelin::kDerivativePending);
  EXPECT_TRUE(env.notices.empty()) << notices();
}

TEST_F(Calculation, molar_volume_and_heat_capacity_of_a_liquid) {
  auto pkg = open(kPengRobinsonSelection, kNaturalGas);
  const double T = 310.0, P = 1500.0;
  auto liquid = phase(ravelin::kPhaseLiquid, T, P, kCondensate);
  const auto dT = liquid.addDerivativeRequest("MolarVolume", "dT");
  const auto dP = liquid.addDerivativeRequest("MolarVolume", "dP");
  // Heat capacity has no composition derivative in this package.
  const auto cpX = liquid.addDerivativeRequest("Cp", "dX");

  ASSERT_EQ(calculate(pkg.get(), "MolarVolume", liquid), S_OK) << notices();
  // m3/mol to m3/kmol, per K and per kPa.
  const auto v = [&](const char* p) { return prValue(p, pr::Phase::Liquid, T, P, kCondensate)[0]; };
  expectClose(*liquid.value("MolarVolume"), 1000.0 * v("volume"), 1e-10, "V");
  EXPECT_LT(*liquid.value("MolarVolume"), 0.5);  // a liquid, not a gas
  expectClose(liquid.derivative(dT).values.at(0), 1000.0 * v("volume.Dtemperature"), 1e-9, "dV/dT");
  expectClose(liquid.derivative(dP).values.at(0), 1e6 * v("volume.Dpressure"), 1e-9, "dV/dP");

  ASSERT_EQ(calculate(pkg.get(), "Cp", liquid), S_OK) << notices();
  expectClose(*liquid.value("Cp"), v("heatCapacityCp"), 1e-10, "Cp");
  EXPECT_EQ(liquid.derivative(cpX).status, ravelin::kDerivativeNotAvailable);

  // With derivatives turned off the phase's requests are left alone.
  auto derivatives = pkg.as<IDerivativeCalculation>();
  ASSERT_TRUE(derivatives);
  ASSERT_EQ(derivatives->EnableDerivatives(2), S_OK);
  liquid.clearResults();
  ASSERT_EQ(calculate(pkg.get(), "MolarVolume", liquid), S_OK) << notices();
  EXPECT_TRUE(liquid.value("MolarVolume"));
  EXPECT_FALSE(liquid.derivative(dT).written);
  EXPECT_EQ(liquid.derivative(dP).status, ravelin::kDerivativePending);
}

TEST_F(Calculation,
       ln_fugacity_is_per_kpa_its_derivatives_carry_no_offset_and_absent_compounds_get_minus_70) {
  // Packages without logFugacity serve it from fugacity or from logFugacityCoefficient, without
  // derivatives.
  for (const char* selection : {kPengRobinsonSelection, "package = CORavlTest.FugacityPackage.1\n",
                                "package = CORavlTest.LnPhiOnlyPackage.1\n"}) {
    SCOPED_TRACE(selection);
    auto pkg = open(selection, kNaturalGas);
    // Every host name the socket proposes is one the host's registry knows.
    for (int k = 0; coravl::calc::hostPropertyName(k); ++k)
      if (coravl::calc::proposedCOId(k)) {
        EXPECT_GT(id(coravl::calc::hostPropertyName(k)), 0) << k;
      }
    const bool own = selection == kPengRobinsonSelection;
    const double T = 320.0, P = 3000.0;
    auto vapour = phase(ravelin::kPhaseVapour, T, P, kCondensate);  // nitrogen, CO2, H2S absent
    const auto dT = vapour.addDerivativeRequest("LnFugacity", "dT");
    ASSERT_EQ(calculate(pkg.get(), "LnFugacity", vapour), S_OK) << notices();
    const auto lnf = prValue("logFugacity", pr::Phase::Vapour, T, P, kCondensate);
    const auto dlnf = prValue("logFugacity.Dtemperature", pr::Phase::Vapour, T, P, kCondensate);
    const auto got = *vapour.vector("LnFugacity");
    for (std::size_t i = 0; i < kCondensate.size(); ++i) {
      if (kCondensate[i] == 0.0) {
        EXPECT_EQ(got[i], -70.0) << i;
      } else {
        expectClose(got[i], lnf[i] - std::log(1000.0), 1e-8, "ln f [kPa]");
      }
      if (own) expectClose(vapour.derivative(dT).values.at(i), dlnf[i], 1e-9, "d ln f/dT");
    }
    if (!own) {
      EXPECT_NE(vapour.derivative(dT).status, ravelin::kDerivativeDone);
    }
  }
}

// ---- The ideal package: derived modes ---------------------------------------------------------

TEST_F(Calculation, ideal_package_serves_cp_from_the_enthalpy_derivative_and_volume_from_density) {
  auto pkg = open(kIdealSelection, kLightHydrocarbons);
  INT status = -1;
  ASSERT_EQ(pkg->CanCalculate(id("Cp"), &status), S_OK);
  EXPECT_EQ(status, 1);  // not served directly
  const double T = 350.0, P = 800.0;
  const std::vector<double> y = {0.7, 0.15, 0.1, 0.05};
  auto vapour = phase(ravelin::kPhaseVapour, T, P, y);
  const auto mix = idealLightHydrocarbons();
  // Served through the enthalpy slope, Cp has no derivatives: the host is told so.
  const auto cpT = vapour.addDerivativeRequest("Cp", "dT");
  const auto vP = vapour.addDerivativeRequest("MolarVolume", "dP");

  ASSERT_EQ(calculate(pkg.get(), "Cp", vapour), S_OK) << notices();
  EXPECT_EQ(vapour.derivative(cpT).status, ravelin::kDerivativeNotAvailable);
  EXPECT_EQ(vapour.derivative(vP).status, ravelin::kDerivativePending);
  expectClose(
      *vapour.value("Cp"),
      mix.singlePhase("enthalpy.Dtemperature", ideal::PhaseKind::Vapor, T, P * 1000.0, y)[0], 1e-10,
      "Cp");
  ASSERT_EQ(calculate(pkg.get(), "MolarVolume", vapour), S_OK) << notices();
  const double density = mix.singlePhase("density", ideal::PhaseKind::Vapor, T, P * 1000.0, y)[0];
  expectClose(*vapour.value("MolarVolume"), 1000.0 / density, 1e-10, "V");
  EXPECT_EQ(vapour.derivative(vP).status, ravelin::kDerivativeNotAvailable);
  // An ideal gas: R T / P in m3/kmol.
  expectClose(*vapour.value("MolarVolume"), 8.314462618 * T / P, 1e-4, "RT/P");
}

// ---- Refusals and validation messages -------------------------------------------------------

TEST_F(Calculation, refused_states_are_reported_and_fail) {
  {
    auto early = create();  // not set up
    ASSERT_TRUE(early);
    useFluid({kNaturalGas[0]});
    auto p = phase(ravelin::kPhaseVapour, 300.0, 100.0, {1.0});
    EXPECT_EQ(calculate(early.get(), "Enthalpy", p), E_FAIL);
    EXPECT_FALSE(p.value("Enthalpy"));
  }
  auto pkg = open(kPengRobinsonSelection, kNaturalGas);
  const struct {
    const char* what;
    double T;
    LONG type, count;  // the phase's type; the compound count the host misreports (0: none)
    const char* property;
    const char* notice;  // none: silence
  } cases[] = {
      {"no temperature", 0.0, ravelin::kPhaseVapour, 0, "Enthalpy",
       "CalculateProperty received a negative T: 0.000000"},
      {"a phase type the host does not have", 300.0, 11, 0, "Enthalpy",
       "CalculateProperty requested a non existing phase type: 11"},
      {"no phase type", 300.0, -1, 0, "Enthalpy", nullptr},
      // Refused before any list is sized by it.
      {"a negative compound count", 300.0, ravelin::kPhaseVapour, -3, "Enthalpy",
       "Calculating properties. A negative number of compounds: -3"},
      {"a property nobody serves", 300.0, ravelin::kPhaseVapour, 0, "StdLiqVolume", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env.notices.clear();
    auto p = phase(ravelin::kPhaseVapour, c.T, 1000.0, pr::test::kNaturalGasZ);
    p.setType(c.type);
    if (c.count) p.misreportCompoundCount(c.count);
    EXPECT_EQ(calculate(pkg.get(), c.property, p), E_FAIL);
    if (c.notice) {
      EXPECT_TRUE(noticed(c.notice)) << notices();
    } else {
      EXPECT_TRUE(env.notices.empty()) << notices();
    }
    EXPECT_FALSE(p.value(c.property));
  }

  // With an error log the message goes there, tagged with the package.
  auto log = ravelin::ErrorLog::create();
  auto vapour = phase(ravelin::kPhaseVapour, 300.0, -5.0, pr::test::kNaturalGasZ);
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour, log.dispatch()), E_FAIL);
  bool logged = false;
  for (const auto& e : log.entries())
    logged |= e.message.find("error: <<CalculateProperty received a negative P: -5.000000>>") !=
              std::string::npos;
  EXPECT_TRUE(logged);
  EXPECT_EQ(pkg->CalculateProperty(id("Enthalpy"), nullptr, nullptr, nullptr, nullptr, nullptr),
            E_FAIL);
  EXPECT_TRUE(noticed("Ravelin Exceptioncalculating properties (main procedure)")) << notices();
}
TEST_F(Calculation, tiny_negative_fractions_pass_and_out_of_range_ones_are_reported_once) {
  auto pkg = open(kIdealSelection, kLightHydrocarbons);
  auto vapour = phase(ravelin::kPhaseVapour, 300.0, 500.0, {0.5, 0.5, -1e-31, 0.0});
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
  EXPECT_TRUE(env.notices.empty()) << notices();

  vapour.setComposition(std::vector<double>{1.2, 0.3, -0.5, 0.0});
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour), E_FAIL);
  EXPECT_TRUE(
      noticed("CalculateProperty passed an invalid composition: 1., 0.3, 0., 0.. Negative "
              "and values higher than 1 were replaced by 0.0 and 1.0, respectively. Be "
              "aware that, even if this circumstance occurs in the future,  no more "
              "messages will be displayed about it. "))
      << notices();
  env.notices.clear();
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour), E_FAIL);
  EXPECT_TRUE(env.notices.empty()) << notices();
  // A valid phase still calculates afterwards.
  vapour.setComposition(std::vector<double>{0.25, 0.25, 0.25, 0.25});
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
}

// ---- The fluid package's own order and subsets ---------------------------------------------

TEST_F(Calculation, each_host_compound_gets_its_own_values_in_any_order_subset_or_sub_list) {
  const std::vector<std::size_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const std::vector<std::size_t> exchanged = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9};
  const struct {
    const char* what;
    std::vector<std::size_t> order;  // the host's compounds, as package indexes
    std::vector<double> y;           // the host's composition
    double T, P;
  } cases[] = {
      {"the package's order", all, pr::test::kNaturalGasZ, 260.0, 4000.0},
      {"ethane and methane exchanged", exchanged, pick(pr::test::kNaturalGasZ, exchanged), 280.0,
       5000.0},
      // The package's other compounds are absent.
      {"n-hexane, methane and propane only", {6, 0, 2}, {0.05, 0.80, 0.15}, 320.0, 1500.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t n = c.order.size(), N = kNaturalGas.size();
    if (n < N) allowSubsets();
    auto pkg = open(kPengRobinsonSelection, n < N ? pick(kNaturalGas, c.order) : kNaturalGas);
    INT status = -1;
    ASSERT_EQ(pkg->CanNumbCompChange(&status), S_OK);
    EXPECT_EQ(status, n < N ? 1 : 0);  // the view's edit took effect
    if (c.order == exchanged) {
      ASSERT_EQ(pkg->ExchangeCompounds(0, 1), S_OK);
      useFluid(pick(kNaturalGas, c.order));
    }
    const auto z = onPackage(c.y, c.order, N);
    auto vapour = phase(ravelin::kPhaseVapour, c.T, c.P, c.y);
    const auto dT = vapour.addDerivativeRequest("LnFugacityCoeff", "dT");
    const auto dP = vapour.addDerivativeRequest("LnFugacityCoeff", "dP");
    const auto dX = vapour.addDerivativeRequest("LnFugacityCoeff", "dX");
    const auto dN = vapour.addDerivativeRequest("LnFugacityCoeff", "dN");
    ASSERT_EQ(calculate(pkg.get(), "LnFugacityCoeff", vapour), S_OK) << notices();
    const auto model = [&](const char* p) { return prValue(p, pr::Phase::Vapour, c.T, c.P, z); };
    const auto lnphi = model("logFugacityCoefficient");
    const auto dlnphi_dT = model("logFugacityCoefficient.Dtemperature");
    const auto dlnphi_dP = model("logFugacityCoefficient.Dpressure");
    const auto dlnphi_dx = model("logFugacityCoefficient.DmolFraction");
    const auto dlnphi_dn = model("logFugacityCoefficient.Dmoles");
    // The first two host compounds are far enough apart for a swap to show.
    ASSERT_GT(std::fabs(lnphi[c.order[0]] - lnphi[c.order[1]]), 0.1);
    const auto got = *vapour.vector("LnFugacityCoeff");
    ASSERT_EQ(got.size(), n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t k = c.order[i];
      const std::string of = " of host compound " + std::to_string(i);
      expectClose(got[i], lnphi[k], 1e-10, "ln phi" + of);
      expectClose(vapour.derivative(dT).values.at(i), dlnphi_dT[k], 1e-9, "d/dT" + of);
      expectClose(vapour.derivative(dP).values.at(i), 1000.0 * dlnphi_dP[k], 1e-9, "d/dP" + of);
      // One value per compound: the derivative by its own mole fraction (or mole number).
      expectClose(vapour.derivative(dX).values.at(i), dlnphi_dx[k * N + k], 1e-9, "d/dx" + of);
      expectClose(vapour.derivative(dN).values.at(i), dlnphi_dn[k * N + k], 1e-9, "d/dn" + of);
    }
    EXPECT_EQ(got[0]<got[1], c.order[0]> c.order[1]);  // the heavier, the less ideal

    // A scalar with its derivatives: the same mixture, the host's order.
    const auto hT = vapour.addDerivativeRequest("Enthalpy", "dT");
    const auto hX = vapour.addDerivativeRequest("Enthalpy", "dX");
    ASSERT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
    expectClose(*vapour.value("Enthalpy"), model("enthalpy")[0], 1e-10, "H");
    expectClose(vapour.derivative(hT).values.at(0), model("enthalpy.Dtemperature")[0], 1e-10,
                "dH/dT");
    const auto dHdx = model("enthalpy.DmolFraction");
    const auto gotHX = vapour.derivative(hX).values;
    ASSERT_EQ(gotHX.size(), n);
    for (std::size_t i = 0; i < n; ++i) expectClose(gotHX[i], dHdx[c.order[i]], 1e-10, "dH/dx");

    // "volume.Dmoles" is the shortest name of a derivative by the mole numbers.
    const auto vN = vapour.addDerivativeRequest("MolarVolume", "dN");
    ASSERT_EQ(calculate(pkg.get(), "MolarVolume", vapour), S_OK) << notices();
    const auto dVdn = model("volume.Dmoles");
    const auto gotVN = vapour.derivative(vN).values;
    ASSERT_EQ(gotVN.size(), n);
    for (std::size_t i = 0; i < n; ++i)
      expectClose(gotVN[i], 1000.0 * dVdn[c.order[i]], 1e-10, "dV/dn");
    EXPECT_TRUE(env.notices.empty()) << notices();

    // The phase's own sub-list on top: the third and the first host compound, in that order.
    std::vector<double> ys(n, 0.0);
    ys[0] = 0.7, ys[2] = 0.3;
    const auto zs = onPackage(ys, c.order, N);
    const auto lnphiSub = prValue("logFugacityCoefficient", pr::Phase::Vapour, c.T, c.P, zs);
    const auto dSub =
        prValue("logFugacityCoefficient.Dtemperature", pr::Phase::Vapour, c.T, c.P, zs);
    auto sub = phase(ravelin::kPhaseVapour, c.T, c.P, ys);
    const std::vector<LONG> list = {2, 0};
    sub.setSubList(list);
    const auto subT = sub.addDerivativeRequest("LnFugacityCoeff", "dT");
    ASSERT_EQ(calculate(pkg.get(), "LnFugacityCoeff", sub), S_OK) << notices();
    const auto two = *sub.vector("LnFugacityCoeff");
    ASSERT_EQ(two.size(), 2u);
    for (std::size_t j = 0; j < 2; ++j) {
      const std::size_t k = c.order[static_cast<std::size_t>(list[j])];
      expectClose(two[j], lnphiSub[k], 1e-10, "sub-list ln phi");
      expectClose(sub.derivative(subT).values.at(j), dSub[k], 1e-9, "sub-list d/dT");
    }
    // A scalar needs no mapping.
    ASSERT_EQ(calculate(pkg.get(), "Enthalpy", sub), S_OK) << notices();
    expectClose(*sub.value("Enthalpy"), prValue("enthalpy", pr::Phase::Vapour, c.T, c.P, zs)[0],
                1e-10, "sub-list H");

    // The leading compounds in their own order.
    auto head = phase(ravelin::kPhaseVapour, c.T, c.P, ys);
    const std::vector<LONG> leading = {0, 1, 2};
    head.setSubList(leading);
    ASSERT_EQ(calculate(pkg.get(), "LnFugacityCoeff", head), S_OK) << notices();
    const auto first = *head.vector("LnFugacityCoeff");
    ASSERT_EQ(first.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
      expectClose(first[i], lnphiSub[c.order[i]], 1e-10, "leading");
    EXPECT_TRUE(env.notices.empty()) << notices();

    // A host without sub-lists: scalars are served, per-compound values cannot be placed unless
    // the phase lists every host compound.
    head.offerSubList(false);
    EXPECT_EQ(calculate(pkg.get(), "Enthalpy", head), S_OK) << notices();
    EXPECT_EQ(calculate(pkg.get(), "LnFugacityCoeff", head), n > 3 ? E_POINTER : S_OK);
    EXPECT_EQ(noticed("calculating properties (main procedure)(_com_error)"), n > 3) << notices();
  }
}

TEST_F(Calculation, a_fluid_package_naming_a_compound_twice_cannot_be_placed) {
  allowSubsets();
  auto pkg = open(kPengRobinsonSelection, {kNaturalGas[0], kNaturalGas[1], kNaturalGas[0]});
  auto vapour = phase(ravelin::kPhaseVapour, 300.0, 1000.0, {0.5, 0.3, 0.2});
  EXPECT_EQ(calculate(pkg.get(), "Enthalpy", vapour), E_FAIL);
  EXPECT_TRUE(
      noticed("Calculating properties. The simulator provided 3 compounds, which cannot "
              "be matched with the 10 compounds of the CAPE-OPEN package."))
      << notices();
  EXPECT_FALSE(vapour.value("Enthalpy"));
}

// ---- K-values -------------------------------------------------------------------------------

namespace {

//! A vapour and a liquid of the natural gas at 250 K and 3000 kPa, and the model's K-values.
constexpr double kT = 250.0, kP = 3000.0;
const std::vector<double> kY = {0.85, 0.07, 0.03, 0.01, 0.005, 0.002, 0.001, 0.02, 0.01, 0.002};
const std::vector<double> kX = {0.30, 0.12, 0.12, 0.09, 0.07, 0.08, 0.12, 0.02, 0.05, 0.03};
std::vector<double> modelK(const std::vector<double>& yp, const std::vector<double>& xp) {
  pr::PropertyPackage model(pr::test::database(), pr::test::kNaturalGas);
  model.set_state(pr::Phase::Vapour, kT, kP * 1000.0, yp);
  model.set_state(pr::Phase::Liquid, kT, kP * 1000.0, xp);
  return model.two_phase_property("kvalue", pr::Phase::Vapour, pr::Phase::Liquid);
}

}  // namespace

TEST_F(Calculation, k_values_between_a_liquid_and_a_vapour_follow_the_hosts_order) {
  const std::vector<std::size_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const struct {
    const char* what;
    std::vector<std::size_t> order;  // the host's compounds, as package indexes
    bool subset;                     // else the package's compounds, exchanged unless in order
    bool liquidFirst;                // the pair named liquid, vapour
  } cases[] = {
      {"the package's order, the liquid named first", all, false, true},
      {"methane and n-hexane exchanged", {6, 1, 2, 3, 4, 5, 0, 7, 8, 9}, false, false},
      {"propane and methane only", {2, 0}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.subset) allowSubsets();
    auto pkg = open(kKvaluesOnly, c.subset ? pick(kNaturalGas, c.order) : kNaturalGas);
    if (c.order[0] == 6) {
      ASSERT_EQ(pkg->ExchangeCompounds(0, 6), S_OK);
      useFluid(pick(kNaturalGas, c.order));
    }
    INT status = -1;
    ASSERT_EQ(pkg->CanCalculate(id("KFactor"), &status), S_OK);
    ASSERT_EQ(status, 0);
    const std::vector<double> yh = c.subset ? std::vector<double>{0.1, 0.9} : pick(kY, c.order);
    const std::vector<double> xh = c.subset ? std::vector<double>{0.6, 0.4} : pick(kX, c.order);
    auto vapour = phase(ravelin::kPhaseVapour, kT, kP, yh);
    // The first phase's own state is not used: the pair is taken at the second phase's.
    auto liquid = phase(ravelin::kPhaseLiquid, c.liquidFirst ? kT + 40.0 : kT,
                        c.liquidFirst ? kP * 2 : kP, xh);
    auto overall = phase(ravelin::kPhaseOverall, kT, kP, yh);
    auto collection = ravelin::PhaseCollection::create(overall, {vapour, liquid});
    ASSERT_EQ(pkg->CalculateTwoPhaseProperty(
                  id("KFactor"), collection.dispatch(), c.liquidFirst, !c.liquidFirst, nullptr,
                  c.liquidFirst ? manager.dispatch() : nullptr, nullptr, nullptr),
              S_OK)
        << notices();
    const auto K = modelK(onPackage(yh, c.order, kY.size()), onPackage(xh, c.order, kX.size()));
    const auto got = *collection.overall().vector("KFactor");
    ASSERT_EQ(got.size(), c.order.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      expectClose(got[i], K[c.order[i]], 1e-9, "K of host compound " + std::to_string(i));
      // Methane goes to the vapour, hexane stays in the liquid.
      EXPECT_TRUE((c.order[i] != 0 || got[i] > 1.0) && (c.order[i] != 6 || got[i] < 1.0))
          << "K " << got[i] << " of package compound " << c.order[i];
    }
    if (!c.liquidFirst) continue;

    // Two liquids, or a property other than K-values: refused without a message.
    env.notices.clear();
    auto liquid2 = phase(ravelin::kPhaseLiquid, kT, kP, kX);
    auto liquids = ravelin::PhaseCollection::create(overall, {liquid, liquid2});
    EXPECT_EQ(pkg->CalculateTwoPhaseProperty(id("KFactor"), liquids.dispatch(), 0, 1, nullptr,
                                             nullptr, nullptr, nullptr),
              E_FAIL);
    EXPECT_EQ(pkg->CalculateTwoPhaseProperty(id("Enthalpy"), collection.dispatch(), 0, 1, nullptr,
                                             nullptr, nullptr, nullptr),
              E_FAIL);
    EXPECT_TRUE(env.notices.empty()) << notices();
  }
}

// ---- Saturation flash options -----------------------------------------------------------------

TEST_F(Calculation, the_first_request_sets_the_saturation_flash_options_once) {
  auto pkg = open(kIdealSelection, kLightHydrocarbons);
  auto vapour = phase(ravelin::kPhaseVapour, 300.0, 500.0, {0.25, 0.25, 0.25, 0.25});
  // A host without a flash control yet: the options are looked up, nothing is set.
  auto bare = ravelin::PropertyManager::create();
  ASSERT_EQ(pkg->CalculateProperty(id("Enthalpy"), vapour.dispatch(), nullptr, bare.dispatch(),
                                   nullptr, nullptr),
            S_OK);
  // The next request tries again and finds it.
  bare.setFlashControl(flashControl);
  ASSERT_EQ(pkg->CalculateProperty(id("Enthalpy"), vapour.dispatch(), nullptr, bare.dispatch(),
                                   nullptr, nullptr),
            S_OK);
  EXPECT_EQ(flashControl.option("I_O_PVNONSAT"), 0.0);
  EXPECT_EQ(flashControl.option("I_O_PVSAT"), 0.0);
  EXPECT_EQ(flashControl.setOptionCalls(), 2u);
  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK);
  EXPECT_EQ(flashControl.setOptionCalls(), 2u);
}

TEST_F(Calculation, a_calculation_the_package_refuses_hands_back_no_earlier_values) {
  auto pkg = open(kPengRobinsonSelection, kNaturalGas);
  auto first = phase(ravelin::kPhaseVapour, 300.0, 2000.0, pr::test::kNaturalGasZ);
  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", first), S_OK);
  ASSERT_TRUE(first.value("Enthalpy"));
  // Beyond the model's temperature range the package refuses; the material object still
  // holds the first result, which must not reach the host as this request's.
  auto second = phase(ravelin::kPhaseVapour, 20000.0, 2000.0, pr::test::kNaturalGasZ);
  EXPECT_TRUE(FAILED(calculate(pkg.get(), "Enthalpy", second)));
  EXPECT_FALSE(second.value("Enthalpy"));
  EXPECT_FALSE(env.notices.empty());  // the package's own error reached the user
}

TEST_F(Calculation, surface_tension_is_of_the_pair_at_the_requests_state) {
  auto pkg = open(kPengRobinsonSelection, kNaturalGas);
  // Inside the two-phase region both roots of the equation of state exist.
  const double T = 250.0, P = 3000.0;
  const auto& z = pr::test::kNaturalGasZ;
  pr::PropertyPackage model(pr::test::database(), pr::test::kNaturalGas);
  model.set_state(pr::Phase::Vapour, T, P * 1000.0, z);
  model.set_state(pr::Phase::Liquid, T, P * 1000.0, z);
  // N/m to dyne/cm.
  const double want =
      1000.0 * model.two_phase_property("surfaceTension", pr::Phase::Vapour, pr::Phase::Liquid)[0];
  ASSERT_GT(want, 0.0);
  // On a fresh material, and again after an unrelated request at another state.
  auto liquid = phase(ravelin::kPhaseLiquid, T, P, z);
  ASSERT_EQ(calculate(pkg.get(), "SurfaceTension", liquid), S_OK) << notices();
  expectClose(*liquid.value("SurfaceTension"), want, 1e-10, "first");
  auto other = phase(ravelin::kPhaseLiquid, 310.0, 1500.0, kCondensate);
  ASSERT_EQ(calculate(pkg.get(), "MolarVolume", other), S_OK) << notices();
  liquid.clearResults();
  ASSERT_EQ(calculate(pkg.get(), "SurfaceTension", liquid), S_OK) << notices();
  expectClose(*liquid.value("SurfaceTension"), want, 1e-10, "again");
}

// ---- Solid phases ---------------------------------------------------------------------------

TEST_F(Calculation, a_solid_phase_found_by_a_flash_or_the_only_one_calculates_at_its_own_state) {
  auto pkg = open(kWithSolid, kNaturalGas);
  const auto& z = pr::test::kNaturalGasZ;
  // The test package's solid: H = 40 (T - 298.15) - 10000 J/mol, V = 4e-5 m3/mol.
  auto solidH = [](double T) { return 40.0 * (T - 298.15) - 10000.0; };

  // A cold TP flash: the whole feed is one solid phase, typed solid in the host's collection.
  auto c =
      ravelin::PhaseCollection::create(phase(ravelin::kPhaseOverall, 90.0, 100.0, z),
                                       {ravelin::Phase::create(*fluid, ravelin::kPhaseVapour),
                                        ravelin::Phase::create(*fluid, ravelin::kPhaseLiquid)});
  auto flash = pkg.as<IExtendedFlash>();
  ASSERT_EQ(flash->Execute(xftPTFlash, nullptr, c.dispatch(), c.dispatch(), nullptr, nullptr), S_OK)
      << notices();
  ASSERT_EQ(c.numberOfPhases(), 1);
  auto solid = c.phase(0);
  EXPECT_EQ(solid.type(), ravelin::kPhaseSolid);
  EXPECT_DOUBLE_EQ(solid.fraction(), 1.0);
  EXPECT_EQ(solid.composition(), z);
  EXPECT_DOUBLE_EQ(c.overall().fraction(), 0.0);

  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", solid), S_OK) << notices();
  EXPECT_DOUBLE_EQ(*solid.value("Enthalpy"), solidH(90.0));
  // Any solid code, any composition and state: the package's one solid at the host's state.
  auto other = phase(8, 250.0, 500.0, kCondensate);
  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", other), S_OK) << notices();
  EXPECT_DOUBLE_EQ(*other.value("Enthalpy"), solidH(250.0));
  ASSERT_EQ(calculate(pkg.get(), "MolarVolume", other), S_OK) << notices();
  EXPECT_DOUBLE_EQ(*other.value("MolarVolume"), 0.04);  // m3/kmol
  // Per compound, by mole fraction: the derivative by the compound's own (the matrix diagonal).
  const auto dX = other.addDerivativeRequest("LnFugacityCoeff", "dX");
  ASSERT_EQ(calculate(pkg.get(), "LnFugacityCoeff", other), S_OK) << notices();
  for (std::size_t i = 0; i < z.size(); ++i) {
    EXPECT_DOUBLE_EQ(other.vector("LnFugacityCoeff")->at(i), -3.0 + 0.1 * double(i));
    EXPECT_DOUBLE_EQ(other.derivative(dX).values.at(i), 0.5 + double(i));
  }
  // The fluid phases are still the Peng-Robinson package's.
  auto vapour = phase(ravelin::kPhaseVapour, 300.0, 2000.0, z);
  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
  expectClose(*vapour.value("Enthalpy"),
              prValue("enthalpy", pr::Phase::Vapour, 300.0, 2000.0, z)[0], 1e-10, "H");
  EXPECT_TRUE(env.notices.empty()) << notices();

  // A package without a solid phase says so.
  auto fluidOnly = open(kPengRobinsonSelection, kNaturalGas);
  auto cold = phase(ravelin::kPhaseSolid, 90.0, 100.0, z);
  EXPECT_EQ(calculate(fluidOnly.get(), "Enthalpy", cold), E_FAIL);
  EXPECT_TRUE(
      noticed("CalculateProperty requested a solid phase (type 6), which the CAPE-OPEN package "
              "does not have"))
      << notices();
  EXPECT_FALSE(cold.value("Enthalpy"));
}
