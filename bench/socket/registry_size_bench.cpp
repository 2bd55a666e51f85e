//! Socket creation against the size of the class registry: N other classes (unit operations,
//! each with its ProgID and two implemented categories) beside the shipped modules, then the
//! simulator's first steps, CoCreateInstance of the socket and its first GetPackageName.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../shipped_modules.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/module.h"
#include "comlite/notice.h"
#include "comlite/registry.h"
#include "frame/host_interfaces.h"
#include "outside/capeopen_categories.h"

namespace {

//! A fresh registry in its own folder with the shipped modules and `n` other classes.
std::filesystem::path makeRegistry(long n) {
  static int serial = 0;
  static const auto base = std::filesystem::temp_directory_path();  // before TEMP is changed
  const auto dir =
      base / ("coravl-regbench-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "selection.txt")
      << "manager = CORavlPR.PackageManager.1\npackage = Natural Gas (PR)\n";
  bench::registerShippedModules(dir);
  const HRESULT hr = comlite::registry::update([n](comlite::registry::Data& data) {
    for (long i = 0; i < n; ++i) {
      char guid[48];
      std::snprintf(guid, sizeof guid, "7E1D0C2A-5B3F-4C11-9A6E-%012lX", i);
      comlite::ClassInfo c;
      c.clsid = *comlite::parseGuid(guid);
      c.description = "Unit " + std::to_string(i);
      c.progId = "BenchVendor.Unit" + std::to_string(i) + ".1";
      c.implementedCategories = {capeopen::kCatCapeOpenComponent, capeopen::kCatUnitOperation};
      comlite::Module::writeClassKeys(data, c, "/nonexistent/libunit.so");
    }
    return true;
  });
  if (FAILED(hr)) std::abort();
  return dir;
}

bool createAndName() {
  comlite::ComPtr<IExtendedPropPackage> package;
  comlite::Bstr name, description;
  return SUCCEEDED(CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                                    IExtendedPropPackage::kIID, package.putVoid())) &&
         SUCCEEDED(package->GetPackageName(name.out(), description.out()));
}

//! Arguments: the number of other classes; 0 for the first creation after the registry was
//! written (which reads it), 1 for later ones.
void BM_CreateSocketAndNamePackage(benchmark::State& state) {
  comlite::setNoticeSink([](const std::string&, const std::string&, UINT) {});
  std::filesystem::path dir;
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    dir = makeRegistry(state.range(0));
    const bool ready = state.range(1) == 0 || createAndName();
    // Writing the registry freed a million small blocks; glibc sorts them back on the next
    // large allocation, so without this the setup's own frees would be charged to the socket.
    ::malloc_trim(0);
    state.ResumeTiming();
    if (!ready || !createAndName()) {
      state.SkipWithError("CoCreateInstance or GetPackageName failed");
      break;
    }
  }
  state.counters["classes"] = static_cast<double>(state.range(0));
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_CreateSocketAndNamePackage)
    ->ArgsProduct({{0, 2000, 10000, 20000}, {0, 1}})
    ->ArgNames({"classes", "warm"})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
