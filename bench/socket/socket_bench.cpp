//! The socket as the simulator sees it: property requests and flashes through libCORavl11.so,
//! the adapter side and the Peng-Robinson package, for the 10-compound natural gas.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "../shipped_modules.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/notice.h"
#include "frame/host_interfaces.h"
#include "ravelin/compound.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase.h"
#include "ravelin/phase_collection.h"
#include "ravelin/property_names.h"

namespace {

const std::vector<std::string> kCompounds = {
    "methane",   "ethane",   "propane",  "n-butane",       "isobutane",
    "n-pentane", "n-hexane", "nitrogen", "carbon dioxide", "hydrogen sulfide"};
const std::vector<double> kFeed = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};

//! One socket set up as a simulator would, shared by the benchmarks.
struct Socket {
  Socket() {
    dir = std::filesystem::temp_directory_path() / ("coravl-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "selection.txt")
        << "manager = CORavlPR.PackageManager.1\npackage = Natural Gas (PR)\n";
    bench::registerShippedModules(dir);
    CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER, IExtendedPropPackage::kIID,
                     package.putVoid());
    flash = package.as<IExtendedFlash>();
    comlite::Bstr name, description;
    package->GetPackageName(name.out(), description.out());
    package->InitializePropertyID(registry.dispatch());
    INT count = 0;
    comlite::Variant ids, names, cas;
    comlite::Bstr identifier;
    package->GetSupportedComps(&count, &ids, &names, identifier.out(), &cas);
    std::vector<ravelin::Compound> compounds;
    for (std::size_t i = 0; i < kCompounds.size(); ++i) {
      compounds.push_back(
          ravelin::Compound::create({kCompounds[i], "", "", static_cast<LONG>(20000 + i), {}}));
      package->AddLastCompound(compounds.back().dispatch());
    }
    fluid = ravelin::CompoundList::create(compounds);
    INT status = -1;
    comlite::Variant none;
    package->SetupPkg(0, none, nullptr, &status);
  }
  ~Socket() {
    flash.reset();
    package.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
  ravelin::PropertyRegistry registry = ravelin::PropertyRegistry::create();
  ravelin::PropertyManager callback =
      ravelin::PropertyManager::create(ravelin::FlashControl::create());
  comlite::ComPtr<IExtendedPropPackage> package;
  comlite::ComPtr<IExtendedFlash> flash;
  std::optional<ravelin::CompoundList> fluid;
};

Socket& socket() {
  static Socket s;
  return s;
}

void BM_CalculatePropertyWithTemperatureDerivative(benchmark::State& state) {
  auto& s = socket();
  const char* property = state.range(0) == 0 ? "Enthalpy" : "LnFugacityCoeff";
  auto phase = ravelin::Phase::create(*s.fluid, ravelin::kPhaseVapour);
  phase.setTemperature(300.0);
  phase.setPressure(2000.0);
  phase.setComposition(kFeed);
  phase.addDerivativeRequest(property, "dT");
  const LONG id = ravelin::propertyId(property);
  for (auto _ : state) {
    if (FAILED(s.package->CalculateProperty(id, phase.dispatch(), nullptr, s.callback.dispatch(),
                                            nullptr, nullptr)))
      state.SkipWithError("CalculateProperty failed");
  }
  state.SetLabel(property);
}
BENCHMARK(BM_CalculatePropertyWithTemperatureDerivative)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void BM_ExecuteFlash(benchmark::State& state) {
  auto& s = socket();
  const auto type = static_cast<tagFlashTypeEnum>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto overall = ravelin::Phase::create(*s.fluid, ravelin::kPhaseOverall);
    overall.setComposition(kFeed);
    overall.setTemperature(250.0);
    overall.setPressure(5000.0);
    overall.setValue("Enthalpy", -105000.0);
    auto collection = ravelin::PhaseCollection::create(
        overall, {ravelin::Phase::create(*s.fluid, ravelin::kPhaseVapour),
                  ravelin::Phase::create(*s.fluid, ravelin::kPhaseLiquid)});
    state.ResumeTiming();
    if (FAILED(s.flash->Execute(type, nullptr, collection.dispatch(), s.callback.dispatch(),
                                nullptr, nullptr)))
      state.SkipWithError("Execute failed");
  }
  state.SetLabel(type == xftPTFlash ? "PT" : "PH");
}
BENCHMARK(BM_ExecuteFlash)->Arg(xftPTFlash)->Arg(xftPHFlash)->Unit(benchmark::kMicrosecond);

//! Resident memory of the process [KiB], from /proc/self/statm.
double residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024.0;
}

//! A soak run, not a timing: 10^6 property requests (enthalpy with its temperature derivative
//! and the fugacity coefficients, alternately) and 10^4 TP flashes in one process. Resident
//! memory after the first 1,000 calls of each and at the end: a leak per call shows as growth.
void BM_Soak(benchmark::State& state) {
  auto& s = socket();
  const long requests = state.range(0), flashes = state.range(1);
  auto phase = ravelin::Phase::create(*s.fluid, ravelin::kPhaseVapour);
  phase.setTemperature(300.0);
  phase.setPressure(2000.0);
  phase.setComposition(kFeed);
  phase.addDerivativeRequest("Enthalpy", "dT");
  const LONG ids[] = {ravelin::propertyId("Enthalpy"), ravelin::propertyId("LnFugacityCoeff")};
  double afterFirst = 0.0, afterRequests = 0.0, afterFirstFlashes = 0.0;
  long failures = 0;
  for (auto _ : state) {
    for (long i = 0; i < requests; ++i) {
      if (FAILED(s.package->CalculateProperty(ids[i % 2], phase.dispatch(), nullptr,
                                              s.callback.dispatch(), nullptr, nullptr)))
        ++failures;
      if (i + 1 == 1000) afterFirst = residentKiB();
    }
    afterRequests = residentKiB();
    for (long i = 0; i < flashes; ++i) {
      auto overall = ravelin::Phase::create(*s.fluid, ravelin::kPhaseOverall);
      overall.setComposition(kFeed);
      overall.setTemperature(250.0);
      overall.setPressure(5000.0);
      auto collection = ravelin::PhaseCollection::create(
          overall, {ravelin::Phase::create(*s.fluid, ravelin::kPhaseVapour),
                    ravelin::Phase::create(*s.fluid, ravelin::kPhaseLiquid)});
      if (FAILED(s.flash->Execute(xftPTFlash, nullptr, collection.dispatch(), s.callback.dispatch(),
                                  nullptr, nullptr)))
        ++failures;
      if (i + 1 == 1000) afterFirstFlashes = residentKiB();
    }
  }
  const double end = residentKiB();
  state.counters["rss_after_1000_requests_KiB"] = afterFirst;
  state.counters["rss_after_requests_KiB"] = afterRequests;
  state.counters["rss_after_1000_flashes_KiB"] = afterFirstFlashes;
  state.counters["rss_end_KiB"] = end;
  state.counters["growth_KiB"] = end - afterFirst;
  state.counters["failures"] = static_cast<double>(failures);
  if (failures > 0) state.SkipWithError("a call of the soak failed");
}
BENCHMARK(BM_Soak)->Args({1000000, 10000})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
