// Speed of the hot paths for a 10-compound natural gas:
//   property set (H, S, V, Cp, ln phi with temperature derivatives) on a fresh state,
//   two-phase TP flash, PH flash, pure-compound vapour pressure, bubble and dew points.
// Run the Release build with --benchmark_repetitions=10 and read the medians.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "pr_package/model/flash.h"
#include "pr_package/model/property_package.h"
#include "pr_package/model/saturation.h"

namespace {

const std::vector<std::string> kGas = {"methane",        "ethane",          "propane",  "n-butane",
                                       "isobutane",      "n-pentane",       "n-hexane", "nitrogen",
                                       "carbon dioxide", "hydrogen sulfide"};
const std::vector<double> kZ = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};

const pr::CompoundDatabase& database() {
  static const pr::CompoundDatabase db = pr::CompoundDatabase::load_folder(PR_PACKAGE_DATA_DIR);
  return db;
}

// One call of the property set through the identifier-driven facade, on a state that differs
// from the previous one (so nothing is served from the cache).
void BM_PropertySetWithTemperatureDerivatives(benchmark::State& state) {
  pr::PropertyPackage pkg(database(), kGas);
  const pr::Phase phase = state.range(0) == 0 ? pr::Phase::Vapour : pr::Phase::Liquid;
  const double T0 = phase == pr::Phase::Vapour ? 300.0 : 200.0;
  std::vector<double> out;
  const char* ids[] = {"enthalpy",
                       "enthalpy.Dtemperature",
                       "entropy",
                       "entropy.Dtemperature",
                       "volume",
                       "volume.Dtemperature",
                       "heatCapacityCp",
                       "logFugacityCoefficient",
                       "logFugacityCoefficient.Dtemperature"};
  int k = 0;
  for (auto _ : state) {
    pkg.set_state(phase, T0 + 1e-3 * (k++ % 1000), 5e6, kZ);
    for (const char* id : ids) {
      pkg.single_phase_property(id, phase, pr::Basis::Mole, out);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_PropertySetWithTemperatureDerivatives)->Arg(0)->Arg(1);

// The same physics without the facade: one full evaluation of a phase.
void BM_PhaseEvaluationFull(benchmark::State& state) {
  const pr::Mixture mix = pr::Mixture::from_database(database(), kGas);
  pr::PhaseState st;
  int k = 0;
  for (auto _ : state) {
    mix.evaluate(300.0 + 1e-3 * (k++ % 1000), 5e6, kZ, pr::RootChoice::Vapour, pr::Level::Full, st);
    benchmark::DoNotOptimize(st.h);
  }
}
BENCHMARK(BM_PhaseEvaluationFull);

void BM_TPFlashTwoPhase(benchmark::State& state) {
  const pr::Mixture mix = pr::Mixture::from_database(database(), kGas);
  pr::FlashSolver solver(mix);
  int k = 0;
  for (auto _ : state) {
    const pr::FlashResult r = solver.tp(250.0 + 1e-3 * (k++ % 1000), 3e6, kZ);
    benchmark::DoNotOptimize(r.beta);
  }
}
BENCHMARK(BM_TPFlashTwoPhase);

void BM_PHFlashTwoPhase(benchmark::State& state) {
  const pr::Mixture mix = pr::Mixture::from_database(database(), kGas);
  pr::FlashSolver solver(mix);
  const double h = solver.tp(250.0, 3e6, kZ).h_Jmol;
  int k = 0;
  for (auto _ : state) {
    const pr::FlashResult r = solver.ph(3e6, h + (k++ % 1000), kZ);
    benchmark::DoNotOptimize(r.T_K);
  }
}
BENCHMARK(BM_PHFlashTwoPhase);

void BM_PHFlashThroughFacade(benchmark::State& state) {
  pr::PropertyPackage pkg(database(), kGas);
  const double h = pkg.flash_solver().tp(250.0, 3e6, kZ).h_Jmol;
  const auto request = *pr::PropertyPackage::classify_equilibrium(
      {"pressure", "", "Overall", ""}, {"enthalpy", "mole", "Overall", ""}, "Unspecified");
  int k = 0;
  for (auto _ : state) {
    const pr::FlashResult r = pkg.calc_equilibrium(request, 3e6, h + (k++ % 1000), kZ);
    benchmark::DoNotOptimize(r.T_K);
  }
}
BENCHMARK(BM_PHFlashThroughFacade);

// Vapour pressure of n-hexane across its range, 0.3 to 0.95 Tc.
void BM_SaturationAtT(benchmark::State& state) {
  const pr::Mixture mix = pr::Mixture::from_database(database(), {"n-hexane"});
  const double Tc = mix.compound(0).Tc_K;
  int k = 0;
  for (auto _ : state) {
    const double T = Tc * (0.3 + 0.65 * (k++ % 1000) / 1000.0);
    benchmark::DoNotOptimize(pr::saturation_at_T(mix, 0, T).P_Pa);
  }
}
BENCHMARK(BM_SaturationAtT);

// Bubble (Arg 0) and dew (Arg 1) temperatures of the natural gas across 1 to 5 MPa.
void BM_SaturationTemperatureOfMixture(benchmark::State& state) {
  const pr::Mixture mix = pr::Mixture::from_database(database(), kGas);
  pr::FlashSolver solver(mix);
  const double beta = static_cast<double>(state.range(0));
  int k = 0;
  for (auto _ : state) {
    const double P = 1e6 + 4e6 * (k++ % 100) / 100.0;
    benchmark::DoNotOptimize(solver.pvf(P, beta, kZ).T_K);
  }
}
BENCHMARK(BM_SaturationTemperatureOfMixture)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
