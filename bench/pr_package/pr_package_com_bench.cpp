// The wrapper's overhead: the same work as pr_package_bench (10-compound natural gas: the
// property set H, S, V, Cp, ln phi with temperature derivatives; TP and PH flashes), here
// through the CAPE-OPEN interfaces of the built module and the material object, with the
// states set on the material each time.
// Run the Release build with --benchmark_repetitions=10 and read the medians beside those of
// pr_package_bench.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"

namespace {

const std::vector<double> kZ = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};
constexpr LONG kOverall = 1, kVapor = 3, kLiquid = 4, kFlashTP = 15, kFlashPH = 16;

//! A private class registry with the built capeside and pr_package modules in it.
class Registered {
 public:
  Registered() {
    std::string pattern = (std::filesystem::temp_directory_path() / "coravl-bench-XXXXXX").string();
    m_dir = ::mkdtemp(pattern.data()) ? pattern : "";
    ::setenv("CORAVL_REGISTRY", (m_dir + "/registry").c_str(), 1);
    const std::filesystem::path lib =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "lib";
    for (const char* name : {"capeside", "pr_package"}) {
      void* handle = comlite::loadModule((lib / ("lib" + std::string(name) + ".so")).string());
      auto reg =
          handle ? reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllRegisterServer")) : nullptr;
      if (!reg || reg() != S_OK) std::fprintf(stderr, "cannot register lib%s.so\n", name);
    }
  }
  ~Registered() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

 private:
  std::string m_dir;
};

//! The "Natural Gas (PR)" package from its manager, bound to a material object.
struct Bound {
  Bound() {
    static Registered registered;
    CLSID clsid{};
    CLSIDFromProgID(u"CORavlPR.PackageManager.1", &clsid);
    comlite::ComPtr<ICapeThermoPropertyPackageManager> ppm;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, ICapeThermoPropertyPackageManager::kIID,
                     ppm.putVoid());
    if (ppm) ppm->GetPropertyPackage(comlite::Bstr("Natural Gas (PR)").get(), package.put());
    CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER, IDispatch::kIID,
                     material.putVoid());
    if (!package || !material) return;
    mo = material.as<IMatObj>();
    thermo = material.as<ICapeThermoMaterial>();
    mo->SetPackage(package.get());
    package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get());
    routine = package.as<ICapeThermoPropertyRoutine>();
  }
  ~Bound() {
    if (package) package.as<ICapeThermoMaterialContext>()->UnsetMaterial();
    if (mo) mo->SetPackage(nullptr);
  }
  bool ok() const { return mo && thermo && routine; }

  comlite::ComPtr<IDispatch> package, material;
  comlite::ComPtr<IMatObj> mo;
  comlite::ComPtr<ICapeThermoMaterial> thermo;
  comlite::ComPtr<ICapeThermoPropertyRoutine> routine;
};

void BM_ComPropertySetWithTemperatureDerivatives(benchmark::State& state) {
  Bound b;
  if (!b.ok()) return state.SkipWithError("the module could not be created");
  const bool vapour = state.range(0) == 0;
  const double T0 = vapour ? 300.0 : 200.0;
  const comlite::Bstr label(vapour ? "Vapor" : "Liquid");
  const comlite::Variant props = capeside::makeStringArray(
      {"enthalpy", "enthalpy.Dtemperature", "entropy", "entropy.Dtemperature", "volume",
       "volume.Dtemperature", "heatCapacityCp", "logFugacityCoefficient",
       "logFugacityCoefficient.Dtemperature"});
  int k = 0;
  for (auto _ : state) {
    b.mo->SetState(T0 + 1e-3 * (k++ % 1000), 5e6, kZ.data(), vapour ? kVapor : kLiquid);
    if (b.routine->CalcSinglePhaseProp(props, label.get()) != S_OK)
      return state.SkipWithError("CalcSinglePhaseProp failed");
  }
}
BENCHMARK(BM_ComPropertySetWithTemperatureDerivatives)->Arg(0)->Arg(1);

void BM_ComTPFlashTwoPhase(benchmark::State& state) {
  Bound b;
  if (!b.ok()) return state.SkipWithError("the module could not be created");
  b.thermo->SetPresentPhases(capeside::makeStringArray({"Vapor", "Liquid"}),
                             capeside::makeLongArray({0, 0}));
  int k = 0;
  for (auto _ : state) {
    b.mo->SetState(250.0 + 1e-3 * (k++ % 1000), 3e6, kZ.data(), kOverall);
    if (b.mo->Flash(kFlashTP) != S_OK) return state.SkipWithError("TP flash failed");
  }
}
BENCHMARK(BM_ComTPFlashTwoPhase);

void BM_ComPHFlashTwoPhase(benchmark::State& state) {
  Bound b;
  if (!b.ok()) return state.SkipWithError("the module could not be created");
  b.thermo->SetPresentPhases(capeside::makeStringArray({"Vapor", "Liquid"}),
                             capeside::makeLongArray({0, 0}));
  b.mo->SetState(250.0, 3e6, kZ.data(), kOverall);
  // The enthalpy of the TP state, as the benchmark of the model takes it.
  b.mo->Flash(kFlashTP);
  for (const char* label : {"Vapor", "Liquid"}) {
    if (b.routine->CalcSinglePhaseProp(capeside::makeStringArray({"enthalpy"}),
                                       comlite::Bstr(label).get()) != S_OK)
      return state.SkipWithError("enthalpy failed");
  }
  double beta = 0, hv = 0, hl = 0;
  comlite::Variant v;
  const comlite::Bstr mole("mole");
  b.thermo->GetSinglePhaseProp(comlite::Bstr("phaseFraction").get(), comlite::Bstr("Vapor").get(),
                               mole.get(), &v);
  beta = capeside::doubleList(v).value_or(std::vector<double>{0}).at(0);
  b.thermo->GetSinglePhaseProp(comlite::Bstr("enthalpy").get(), comlite::Bstr("Vapor").get(),
                               mole.get(), &v);
  hv = capeside::doubleList(v).value_or(std::vector<double>{0}).at(0);
  b.thermo->GetSinglePhaseProp(comlite::Bstr("enthalpy").get(), comlite::Bstr("Liquid").get(),
                               mole.get(), &v);
  hl = capeside::doubleList(v).value_or(std::vector<double>{0}).at(0);
  const double h0 = beta * hv + (1 - beta) * hl;
  const comlite::Bstr enthalpy("enthalpy");
  int k = 0;
  for (auto _ : state) {
    b.thermo->SetOverallProp(enthalpy.get(), mole.get(),
                             capeside::makeDoubleArray({h0 + (k++ % 1000)}));
    if (b.mo->Flash(kFlashPH) != S_OK) return state.SkipWithError("PH flash failed");
  }
}
BENCHMARK(BM_ComPHFlashTwoPhase);

}  // namespace

BENCHMARK_MAIN();
