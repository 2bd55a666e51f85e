//! The same work three ways in one process, for 2, 10 and 24 compounds:
//!   direct/<work>/<n>   the Peng-Robinson model called as a C++ library;
//!   package/<work>/<n>  the package through its CAPE-OPEN interfaces and the material object;
//!   socket/<work>/<n>   the simulator's host framework through libCORavl11.so.
//! Work: enthalpy_dT, lnphi_dT, property_set (H, S, V with dT, Cp, ln phi with dT), tp_flash,
//! ph_flash, bubble_flash. After the timed loop each row counts the heap allocations of one
//! steady-state request (counter "allocs") and the module whose code asked for them
//! ("in_<module>", through the COM layer or not; "by_comlite" those the COM layer made).
//! threads/enthalpy_dT/10 runs one socket per thread (each on its own apartment) to show
//! whether requests of two objects wait for each other.
//! The ratios to the direct rows are printed at the end (medians when repetitions are asked for;
//! to standard error with --benchmark_format=json). Run the Release build with
//! --benchmark_repetitions=5 --benchmark_report_aggregates_only=true. LAYERS_NO_ALLOC_COUNT=1
//! leaves the counting out, for a profile of the timed loops alone.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "../shipped_modules.h"
#include "alloc_count.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/notice.h"
#include "frame/host_interfaces.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "pr_package/model/flash.h"
#include "pr_package/model/property_package.h"
#include "ravelin/compound.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase.h"
#include "ravelin/phase_collection.h"
#include "ravelin/property_names.h"

namespace {

//! One fluid: a package of the reference package manager, its compounds, a feed, and states
//! taken from the model so that every layer sees a real vapour and a two-phase flash.
struct Fluid {
  int n = 0;
  std::string package;
  std::vector<std::string> compounds;
  std::vector<double> z;
  double P = 0;       //!< flash pressure [Pa]
  double Tflash = 0;  //!< halfway between bubble and dew point at P [K]
  double h = 0;       //!< enthalpy of the TP flash [J/mol]
  double Tvap = 0;    //!< a vapour state for the property requests, 10 K above the dew point [K]
};

const pr::CompoundDatabase& database() {
  static const pr::CompoundDatabase db = pr::CompoundDatabase::load_folder(PR_PACKAGE_DATA_DIR);
  return db;
}

std::vector<double> normalised(std::vector<double> z) {
  const double sum = std::accumulate(z.begin(), z.end(), 0.0);
  for (double& v : z) v /= sum;
  return z;
}

Fluid makeFluid(int n) {
  Fluid f;
  f.n = n;
  if (n == 2) {
    f.package = "Aromatics (PR)";
    f.compounds = {"benzene", "toluene"};
    f.z = {0.4, 0.6};
    f.P = 1.0e5;
  } else if (n == 10) {
    f.package = "Natural Gas (PR)";
    f.compounds = {"methane",   "ethane",   "propane",  "n-butane",       "isobutane",
                   "n-pentane", "n-hexane", "nitrogen", "carbon dioxide", "hydrogen sulfide"};
    f.z = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};
    f.P = 3.0e6;
  } else {
    f.package = "Full data set (PR)";
    f.compounds = {
        "methane",        "ethane",          "propane",          "n-butane",  "isobutane",
        "n-pentane",      "isopentane",      "n-hexane",         "n-heptane", "n-octane",
        "n-decane",       "nitrogen",        "oxygen",           "argon",     "hydrogen",
        "carbon dioxide", "carbon monoxide", "hydrogen sulfide", "water",     "ammonia",
        "methanol",       "ethanol",         "benzene",          "toluene"};
    f.z.assign(24, 0.003);
    const double main[] = {0.40, 0.08, 0.06, 0.04, 0.03, 0.03, 0.02, 0.04, 0.03, 0.02, 0.01};
    for (std::size_t i = 0; i < std::size(main); ++i) f.z[i] = main[i];
    f.z = normalised(f.z);
    f.P = 2.0e6;
  }
  const pr::Mixture mix = pr::Mixture::from_database(database(), f.compounds);
  pr::FlashSolver solver(mix);
  const double bubble = solver.pvf(f.P, 0.0, f.z).T_K, dew = solver.pvf(f.P, 1.0, f.z).T_K;
  f.Tflash = 0.5 * (bubble + dew);
  f.h = solver.tp(f.Tflash, f.P, f.z).h_Jmol;
  f.Tvap = dew + 10.0;
  return f;
}

const Fluid& fluid(int n) {
  static std::map<int, Fluid> fluids;
  static std::mutex m;
  std::lock_guard lock(m);
  auto it = fluids.find(n);
  if (it == fluids.end()) it = fluids.emplace(n, makeFluid(n)).first;
  return it->second;
}

//! A state that differs from the previous one, so no layer answers from a cache.
double wiggle(int& k) {
  return 1e-3 * (k++ % 1000);
}

//! Counts the allocations of `calls` steady-state requests (after a few to warm up) into the
//! row's counters.
void countAllocations(benchmark::State& state, const std::function<void()>& request) {
  if (!alloc_count::available()) return;
  for (int i = 0; i < 5; ++i) request();
  constexpr int calls = 20;
  alloc_count::Attribution attribution;
  const std::uint64_t before = alloc_count::count(), comlite = alloc_count::viaComlite();
  for (int i = 0; i < calls; ++i) request();
  const std::uint64_t total = alloc_count::count() - before;
  state.counters["by_comlite"] = static_cast<double>(alloc_count::viaComlite() - comlite) / calls;
  state.counters["allocs"] = static_cast<double>(total) / calls;
  std::uint64_t attributed = 0;
  auto counts = attribution.byModule();
  counts.try_emplace("libCORavl11.so", 0);  // the socket's own, zero or not
  for (const auto& [module, n] : counts) {
    std::string name = module;
    if (name.rfind("lib", 0) == 0) name = name.substr(3);
    if (const auto so = name.find(".so"); so != std::string::npos) name.resize(so);
    state.counters["in_" + name] = static_cast<double>(n) / calls;
    attributed += n;
  }
  if (total > attributed)
    state.counters["in_runtime"] = static_cast<double>(total - attributed) / calls;
}

// ----- direct: the model ---------------------------------------------------------------

const std::vector<const char*> kPropertySet = {"enthalpy",
                                               "enthalpy.Dtemperature",
                                               "entropy",
                                               "entropy.Dtemperature",
                                               "volume",
                                               "volume.Dtemperature",
                                               "heatCapacityCp",
                                               "logFugacityCoefficient",
                                               "logFugacityCoefficient.Dtemperature"};
const std::vector<const char*> kEnthalpyDT = {"enthalpy", "enthalpy.Dtemperature"};
const std::vector<const char*> kLnPhiDT = {"logFugacityCoefficient",
                                           "logFugacityCoefficient.Dtemperature"};

void directProperties(benchmark::State& state, int n, const std::vector<const char*>& ids) {
  const Fluid& f = fluid(n);
  pr::PropertyPackage pkg(database(), f.compounds);
  std::vector<double> out;
  int k = 0;
  auto request = [&] {
    pkg.set_state(pr::Phase::Vapour, f.Tvap + wiggle(k), f.P, f.z);
    for (const char* id : ids) {
      pkg.single_phase_property(id, pr::Phase::Vapour, pr::Basis::Mole, out);
      benchmark::DoNotOptimize(out.data());
    }
  };
  for (auto _ : state) request();
  countAllocations(state, request);
}

void directFlash(benchmark::State& state, int n, int kind) {
  const Fluid& f = fluid(n);
  const pr::Mixture mix = pr::Mixture::from_database(database(), f.compounds);
  pr::FlashSolver solver(mix);
  int k = 0;
  auto request = [&] {
    const double d = wiggle(k);
    const pr::FlashResult r = kind == 0   ? solver.tp(f.Tflash + d, f.P, f.z)
                              : kind == 1 ? solver.ph(f.P, f.h + 1000.0 * d, f.z)
                                          : solver.pvf(f.P * (1.0 + d * 1e-3), 0.0, f.z);
    benchmark::DoNotOptimize(r.T_K);
  };
  for (auto _ : state) request();
  countAllocations(state, request);
}

// ----- package: the CAPE-OPEN package and the material object ----------------------------

constexpr LONG kOverall = 1, kVapor = 3, kFlashTP = 15, kFlashPH = 16, kFlashPVF = 19;

//! The modules' class registry and settings of this process, once.
const std::filesystem::path& registered() {
  static const std::filesystem::path dir = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "coravl-layers-XXXXXX").string();
    const std::filesystem::path d = ::mkdtemp(pattern.data()) ? pattern : "/tmp";
    bench::registerShippedModules(d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(registered(), ec);
    });
    return d;
  }();
  return dir;
}

//! A package from its manager, bound to a material object.
struct Bound {
  explicit Bound(const std::string& name) {
    registered();
    CLSID clsid{};
    CLSIDFromProgID(u"CORavlPR.PackageManager.1", &clsid);
    comlite::ComPtr<ICapeThermoPropertyPackageManager> ppm;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, ICapeThermoPropertyPackageManager::kIID,
                     ppm.putVoid());
    if (ppm) ppm->GetPropertyPackage(comlite::Bstr(name).get(), package.put());
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

void packageProperties(benchmark::State& state, int n, const std::vector<const char*>& ids) {
  const Fluid& f = fluid(n);
  Bound b(f.package);
  if (!b.ok()) return state.SkipWithError("the package could not be created");
  const comlite::Bstr label("Vapor");
  const comlite::Variant props =
      capeside::makeStringArray(std::vector<std::string>(ids.begin(), ids.end()));
  int k = 0;
  bool failed = false;
  auto request = [&] {
    b.mo->SetState(f.Tvap + wiggle(k), f.P, f.z.data(), kVapor);
    failed |= b.routine->CalcSinglePhaseProp(props, label.get()) != S_OK;
  };
  for (auto _ : state) request();
  if (failed) return state.SkipWithError("CalcSinglePhaseProp failed");
  countAllocations(state, request);
}

void packageFlash(benchmark::State& state, int n, int kind) {
  const Fluid& f = fluid(n);
  Bound b(f.package);
  if (!b.ok()) return state.SkipWithError("the package could not be created");
  b.thermo->SetPresentPhases(capeside::makeStringArray({"Vapor", "Liquid"}),
                             capeside::makeLongArray({0, 0}));
  b.mo->SetState(f.Tflash, f.P, f.z.data(), kOverall);
  const comlite::Bstr enthalpy("enthalpy"), mole("mole"), fraction("phaseFraction"), vapor("Vapor");
  const comlite::Variant zero = capeside::makeDoubleArray({0.0});
  int k = 0;
  bool failed = false;
  auto request = [&] {
    const double d = wiggle(k);
    if (kind == 0) {
      b.mo->SetState(f.Tflash + d, f.P, f.z.data(), kOverall);
      failed |= b.mo->Flash(kFlashTP) != S_OK;
    } else if (kind == 1) {
      b.thermo->SetOverallProp(enthalpy.get(), mole.get(),
                               capeside::makeDoubleArray({f.h + 1000.0 * d}));
      failed |= b.mo->Flash(kFlashPH) != S_OK;
    } else {
      b.mo->SetState(f.Tflash, f.P * (1.0 + d * 1e-3), f.z.data(), kOverall);
      b.thermo->SetSinglePhaseProp(fraction.get(), vapor.get(), mole.get(), zero);
      failed |= b.mo->Flash(kFlashPVF) != S_OK;
    }
  };
  for (auto _ : state) request();
  if (failed) return state.SkipWithError("the flash failed");
  countAllocations(state, request);
}

// ----- socket: the host framework through libCORavl11.so ----------------------------------

std::mutex g_setup;  // creation and release of sockets only, never a request

//! One socket set up as the simulator does, for one fluid.
struct Socket {
  explicit Socket(const Fluid& f) {
    std::lock_guard lock(g_setup);
    const auto& dir = registered();
    std::ofstream(dir / "selection.txt")
        << "manager = CORavlPR.PackageManager.1\npackage = " << f.package << "\n";
    CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER, IExtendedPropPackage::kIID,
                     package.putVoid());
    if (!package) return;
    flash = package.as<IExtendedFlash>();
    comlite::Bstr name, description;
    package->GetPackageName(name.out(), description.out());
    package->InitializePropertyID(registry.dispatch());
    INT count = 0;
    comlite::Variant ids, names, cas;
    comlite::Bstr identifier;
    package->GetSupportedComps(&count, &ids, &names, identifier.out(), &cas);
    std::vector<ravelin::Compound> compounds;
    for (std::size_t i = 0; i < f.compounds.size(); ++i) {
      compounds.push_back(
          ravelin::Compound::create({f.compounds[i], "", "", static_cast<LONG>(20000 + i), {}}));
      package->AddLastCompound(compounds.back().dispatch());
    }
    list = ravelin::CompoundList::create(compounds);
    INT status = -1;
    comlite::Variant none;
    package->SetupPkg(0, none, nullptr, &status);
  }
  ~Socket() {
    std::lock_guard lock(g_setup);
    flash.reset();
    package.reset();
  }
  ravelin::PropertyRegistry registry = ravelin::PropertyRegistry::create();
  ravelin::PropertyManager callback =
      ravelin::PropertyManager::create(ravelin::FlashControl::create());
  comlite::ComPtr<IExtendedPropPackage> package;
  comlite::ComPtr<IExtendedFlash> flash;
  std::optional<ravelin::CompoundList> list;
};

Socket& socketOf(int n) {
  static std::map<int, std::unique_ptr<Socket>> sockets;
  auto& s = sockets[n];
  if (!s) s = std::make_unique<Socket>(fluid(n));
  return *s;
}

struct HostRequest {
  const char* property;
  bool dT;
};

void socketPropertiesOn(benchmark::State& state, Socket& s, const Fluid& f,
                        const std::vector<HostRequest>& requests, bool count) {
  if (!s.package || !s.list) return state.SkipWithError("the socket could not be created");
  auto phase = ravelin::Phase::create(*s.list, ravelin::kPhaseVapour);
  phase.setTemperature(f.Tvap);
  phase.setPressure(f.P / 1000.0);
  phase.setComposition(f.z);
  std::vector<LONG> ids;
  for (const auto& r : requests) {
    if (r.dT) phase.addDerivativeRequest(r.property, "dT");
    ids.push_back(ravelin::propertyId(r.property));
  }
  int k = 0;
  bool failed = false;
  auto request = [&] {
    phase.setTemperature(f.Tvap + wiggle(k));
    for (LONG id : ids)
      failed |= FAILED(s.package->CalculateProperty(id, phase.dispatch(), nullptr,
                                                    s.callback.dispatch(), nullptr, nullptr));
  };
  for (auto _ : state) request();
  if (failed) return state.SkipWithError("CalculateProperty failed");
  if (count) countAllocations(state, request);
}

void socketProperties(benchmark::State& state, int n, const std::vector<HostRequest>& requests) {
  socketPropertiesOn(state, socketOf(n), fluid(n), requests, true);
}

void socketFlash(benchmark::State& state, int n, int kind) {
  const Fluid& f = fluid(n);
  Socket& s = socketOf(n);
  if (!s.package || !s.list) return state.SkipWithError("the socket could not be created");
  auto overall = ravelin::Phase::create(*s.list, ravelin::kPhaseOverall);
  overall.setComposition(f.z);
  overall.setTemperature(f.Tflash);
  overall.setPressure(f.P / 1000.0);
  auto collection = ravelin::PhaseCollection::create(
      overall, {ravelin::Phase::create(*s.list, ravelin::kPhaseVapour),
                ravelin::Phase::create(*s.list, ravelin::kPhaseLiquid)});
  const tagFlashTypeEnum type = kind == 0 ? xftPTFlash : kind == 1 ? xftPHFlash : xftPVFlash;
  int k = 0;
  bool failed = false;
  auto request = [&] {
    const double d = wiggle(k);
    if (kind == 0) {
      overall.setTemperature(f.Tflash + d);
      overall.setPressure(f.P / 1000.0);
    } else if (kind == 1) {
      overall.setPressure(f.P / 1000.0);
      overall.setValue("Enthalpy", f.h + 1000.0 * d);
    } else {
      overall.setPressure(f.P * (1.0 + d * 1e-3) / 1000.0);
      overall.setFraction(0.0);
    }
    failed |= FAILED(s.flash->Execute(type, nullptr, collection.dispatch(), s.callback.dispatch(),
                                      nullptr, nullptr));
  };
  for (auto _ : state) request();
  if (failed) return state.SkipWithError("Execute failed");
  countAllocations(state, request);
}

//! Each benchmark thread with a socket of its own, created and released on that thread.
void socketThreads(benchmark::State& state) {
  CoInitializeEx(nullptr, 0);
  const Fluid& f = fluid(10);
  {
    Socket s(f);
    socketPropertiesOn(state, s, f, {{"Enthalpy", true}}, false);
  }
  state.SetItemsProcessed(state.iterations());
  CoUninitialize();
}

const std::vector<HostRequest> kHostEnthalpyDT = {{"Enthalpy", true}};
const std::vector<HostRequest> kHostLnPhiDT = {{"LnFugacityCoeff", true}};
const std::vector<HostRequest> kHostPropertySet = {{"Enthalpy", true},
                                                   {"Entropy", true},
                                                   {"MolarVolume", true},
                                                   {"Cp", false},
                                                   {"LnFugacityCoeff", true}};

const char* const kWorks[] = {"enthalpy_dT", "lnphi_dT", "property_set",
                              "tp_flash",    "ph_flash", "bubble_flash"};

void registerAll() {
  for (int n : {2, 10, 24}) {
    const std::string suffix = "/" + std::to_string(n);
    auto add = [&](const std::string& layer, const char* work, auto fn) {
      benchmark::RegisterBenchmark((layer + "/" + work + suffix).c_str(), fn)
          ->Unit(benchmark::kMicrosecond);
    };
    const std::vector<const char*>* direct[] = {&kEnthalpyDT, &kLnPhiDT, &kPropertySet};
    const std::vector<HostRequest>* host[] = {&kHostEnthalpyDT, &kHostLnPhiDT, &kHostPropertySet};
    for (int w = 0; w < 3; ++w) {
      add("direct", kWorks[w],
          [n, ids = direct[w]](benchmark::State& st) { directProperties(st, n, *ids); });
      add("package", kWorks[w],
          [n, ids = direct[w]](benchmark::State& st) { packageProperties(st, n, *ids); });
      add("socket", kWorks[w],
          [n, r = host[w]](benchmark::State& st) { socketProperties(st, n, *r); });
    }
    for (int kind = 0; kind < 3; ++kind) {
      add("direct", kWorks[3 + kind],
          [n, kind](benchmark::State& st) { directFlash(st, n, kind); });
      add("package", kWorks[3 + kind],
          [n, kind](benchmark::State& st) { packageFlash(st, n, kind); });
      add("socket", kWorks[3 + kind],
          [n, kind](benchmark::State& st) { socketFlash(st, n, kind); });
    }
  }
  benchmark::RegisterBenchmark("threads/enthalpy_dT/10", socketThreads)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime()
      ->Threads(1)
      ->Threads(2);
}

//! Passes everything to the reporter the flags ask for and keeps each row's time (the median
//! when there are aggregates) for the ratios.
class Collector : public benchmark::BenchmarkReporter {
 public:
  explicit Collector(std::unique_ptr<benchmark::BenchmarkReporter> inner)
      : m_inner(std::move(inner)) {}
  bool ReportContext(const Context& context) override {
    m_inner->SetOutputStream(&GetOutputStream());
    m_inner->SetErrorStream(&GetErrorStream());
    return m_inner->ReportContext(context);
  }
  void ReportRuns(const std::vector<Run>& runs) override {
    m_inner->ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type == Run::RT_Aggregate && !median) continue;
      std::string name = r.run_name.function_name;
      if (!r.run_name.threads.empty()) name += "/" + r.run_name.threads;
      Row& row = m_rows[name];
      if (median || !row.median) {
        row.real = r.GetAdjustedRealTime();
        row.cpu = r.GetAdjustedCPUTime();
        const auto it = r.counters.find("items_per_second");
        if (it != r.counters.end()) row.rate = it->second;
        row.median = median;
      }
    }
  }
  void Finalize() override { m_inner->Finalize(); }

  void printRatios(std::FILE* out) const {
    std::fprintf(out, "\nratios to the model's own cost (real time; cpu time in brackets)\n");
    std::fprintf(out, "%-14s %4s %12s %12s %12s %16s %16s\n", "work", "n", "direct [us]",
                 "package [us]", "socket [us]", "package/direct", "socket/direct");
    for (const char* work : kWorks)
      for (int n : {2, 10, 24}) {
        const std::string tail = std::string("/") + work + "/" + std::to_string(n);
        const Row* d = find("direct" + tail);
        const Row* p = find("package" + tail);
        const Row* s = find("socket" + tail);
        if (!d) continue;
        auto ratio = [&](const Row* r, char* buf, std::size_t size) {
          if (r)
            std::snprintf(buf, size, "%.2f (%.2f)", r->real / d->real, r->cpu / d->cpu);
          else
            std::snprintf(buf, size, "-");
        };
        char pr[32], sr[32];
        ratio(p, pr, sizeof pr);
        ratio(s, sr, sizeof sr);
        std::fprintf(out, "%-14s %4d %12.2f %12.2f %12.2f %16s %16s\n", work, n, d->real,
                     p ? p->real : 0.0, s ? s->real : 0.0, pr, sr);
      }
    const Row* one = find("threads/enthalpy_dT/10/threads:1");
    const Row* two = find("threads/enthalpy_dT/10/threads:2");
    if (one && two && one->rate > 0)
      std::fprintf(out, "two sockets on two threads: %.2fx the throughput of one\n",
                   two->rate / one->rate);
  }

 private:
  struct Row {
    double real = 0, cpu = 0, rate = 0;
    bool median = false;
  };
  const Row* find(const std::string& name) const {
    const auto it = m_rows.find(name);
    return it == m_rows.end() ? nullptr : &it->second;
  }
  std::unique_ptr<benchmark::BenchmarkReporter> m_inner;
  std::map<std::string, Row> m_rows;
};

}  // namespace

int main(int argc, char** argv) {
  std::string format = "console";
  bool minTime = false;
  std::vector<char*> args(argv, argv + argc);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--benchmark_format=", 19) == 0) format = argv[i] + 19;
    if (std::strncmp(argv[i], "--benchmark_min_time=", 21) == 0) minTime = true;
  }
  // 0.05 s a row keeps the whole run, even with five repetitions, near a minute.
  static char shortRows[] = "--benchmark_min_time=0.05";
  if (!minTime) args.insert(args.begin() + 1, shortRows);
  args.push_back(nullptr);
  argc = static_cast<int>(args.size()) - 1;
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerAll();
  std::unique_ptr<benchmark::BenchmarkReporter> inner;
  if (format == "json")
    inner = std::make_unique<benchmark::JSONReporter>();
  else
    inner = std::make_unique<benchmark::ConsoleReporter>();
  Collector collector(std::move(inner));
  benchmark::RunSpecifiedBenchmarks(&collector);
  collector.printRatios(format == "console" ? stdout : stderr);
  benchmark::Shutdown();
  return 0;
}
