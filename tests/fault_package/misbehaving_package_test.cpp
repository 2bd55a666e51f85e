//! The socket against a package that misbehaves on purpose (peers/fault_package): for every
//! misbehaviour the host call fails with a message that says what the package did, and the
//! host's phases hold nothing the package got wrong.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "comlite/com_ptr.h"
#include "frame/host_interfaces.h"
#include "outside/capeopen_errors.h"
#include "ravelin/error_log.h"
#include "ravelin/property_names.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;
using Doubles = std::vector<double>;

namespace {

constexpr const char* kFaultSelection = "package = CORavlFault.PropertyPackage.1\n";
const std::vector<ravelin::CompoundSpec> kNaturalGas = testsupport::naturalGasCompounds();
const Doubles kGasFeed = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};

//! How a row opens the socket.
enum class Call {
  Open,      // create, compounds, set up, property registration
  Changing,  // open, then CalculateProperty of the row's property, misbehaving throughout
  Recall,    // a case saved without the misbehaviour recalled into a new object, then Property
};

struct Row {
  const char* fault;  // CORAVL_FAULT
  Call call;
  const char* message;  // a part of what the host is told; none: a documented success
};

// The misbehaviours met while opening; those of a socket already open: kCells below.
// clang-format off
const Row kRows[] = {
    {"SetMaterial:no-info", Call::Open, "SetMaterial failed"},
    // Lists read while setting up
    {"GetCompoundList:same-ids", Call::Open, "methane"},
    {"GetCompoundList:huge", Call::Open, "compounds"},
    {"GetCompoundList:strings", Call::Open, "GetCompoundList"},
    {"GetCompoundList:throw", Call::Open, "injected failure in GetCompoundList"},
    {"GetCompoundList:changes", Call::Open, "compound"},
    {"GetPhaseList:changes", Call::Changing, "phase"},
    {"GetPhaseList:short-states", Call::Open, "GetPhaseList"},
    {"GetPhaseList:huge", Call::Open, "phases"},
    {"GetPhaseList:no-info", Call::Open, "GetPhaseList"},
    // A saved case reopened with a package that now misbehaves
    {"GetCompoundList:same-ids", Call::Recall, "names the compound \"methane\" twice"},
    {"GetPhaseList:short-states", Call::Recall, "states of aggregation"},
    {"GetCompoundList:throw", Call::Recall, "injected failure in GetCompoundList"},
    // Documented successes: counts the socket does not take (the lists are the package's
    // word), a constant or a flash the package does not give (not handed over, not offered)
    {"GetNumCompounds:huge", Call::Open, nullptr},
    {"GetNumPhases:huge", Call::Open, nullptr},
    {"GetCompoundConstant:nan", Call::Open, nullptr},
    {"GetCompoundConstant:throw", Call::Open, nullptr},
    {"CheckEquilibriumSpec:no-info", Call::Open, nullptr},
    {"CheckEquilibriumSpec:throw", Call::Open, nullptr},
};
// clang-format on

//! What the host holds for "no value".
constexpr double kNoValueMarker = -32767.0;

const char* callName(Call c) {
  return c == Call::Open       ? "open"
         : c == Call::Changing ? "open and property"
                               : "recall and property";
}

class MisbehavingPackage : public testsupport::SocketFixture {
 protected:
  std::vector<const char*> extraModules() const override { return {"fault_package"}; }

  //! The simulator's opening steps on the misbehaving package; the first failing status.
  HRESULT openFault(ComPtr<IExtendedPropPackage>& pkg,
                    const std::vector<ravelin::CompoundSpec>& specs = kNaturalGas) {
    select(kFaultSelection);
    HRESULT hr = CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                                  IExtendedPropPackage::kIID, pkg.putVoid());
    return hr == S_OK ? openSteps(pkg.get(), specs) : hr;
  }

  ravelin::FlashControl flashControl = ravelin::FlashControl::create();
  ravelin::PropertyManager manager = ravelin::PropertyManager::create(flashControl);
};

}  // namespace

TEST_F(MisbehavingPackage, every_misbehaviour_while_opening_fails_with_a_message) {
  for (const Row& row : kRows) {
    const std::string what = std::string(row.fault) + " in " + callName(row.call);
    SCOPED_TRACE(what);
    env.notices.clear();
    auto log = ravelin::ErrorLog::create();
    ComPtr<IExtendedPropPackage> pkg;
    HRESULT hr = S_OK;
    comlite::Bstr saved;
    if (row.call == Call::Recall) {
      ASSERT_EQ(openFault(pkg), S_OK) << notices();
      ASSERT_EQ(pkg->PkgSave(saved.out()), S_OK);
      env.notices.clear();
    }
    testsupport::ScopedEnv fault("CORAVL_FAULT", row.fault);
    if (row.call == Call::Recall) {
      pkg.reset();
      hr = CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                            IExtendedPropPackage::kIID, pkg.putVoid());
      VARIANT_BOOL changed = VARIANT_FALSE;
      if (SUCCEEDED(hr)) hr = pkg->PkgRecall(saved.get(), &changed);
    } else {
      hr = openFault(pkg);
    }
    if (row.call != Call::Open) {
      auto vapour = phase(ravelin::kPhaseVapour, 300.0, 2000.0, kGasFeed);
      if (SUCCEEDED(hr))
        hr = pkg->CalculateProperty(ravelin::propertyId("Enthalpy"), vapour.dispatch(), nullptr,
                                    manager.dispatch(), log.dispatch(), nullptr);
      EXPECT_FALSE(vapour.value("Enthalpy").has_value());
    }
    std::string told = notices();
    for (const auto& e : log.entries()) told += e.message + "\n";
    if (!row.message) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(told, "");
    } else {
      EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
      EXPECT_NE(told.find(row.message), std::string::npos) << told;
    }
    std::printf("[ row ] %s: %08x %s\n", what.c_str(), static_cast<unsigned>(hr),
                told.substr(0, 400).c_str());
  }
}

TEST_F(MisbehavingPackage, a_repeated_bad_answer_is_told_and_refused_every_time) {
  ComPtr<IExtendedPropPackage> pkg;
  ASSERT_EQ(openFault(pkg), S_OK) << notices();
  testsupport::ScopedEnv fault("CORAVL_FAULT", "CalcSinglePhaseProp:nan");
  for (std::size_t i = 1; i <= 3; ++i) {
    auto log = ravelin::ErrorLog::create();
    auto vapour = phase(ravelin::kPhaseVapour, 300.0, 2000.0, kGasFeed);
    EXPECT_EQ(pkg->CalculateProperty(ravelin::propertyId("Enthalpy"), vapour.dispatch(), nullptr,
                                     manager.dispatch(), log.dispatch(), nullptr),
              E_FAIL);
    EXPECT_FALSE(vapour.value("Enthalpy").has_value());
    ASSERT_EQ(log.entries().size(), 1u) << i;
    EXPECT_NE(log.entries()[0].message.find("(nan) for property 'enthalpy'"), std::string::npos);
    EXPECT_EQ(log.entries()[0].message.find("no more messages"), std::string::npos);
  }
}

namespace {

//! The host methods the cells drive, each on a socket opened without the misbehaviour.
enum class Host { Property, TwoPhase, Order, PT, PH, PS, TH, TS, PVF, TVF, HVF, Recall };
constexpr const char* kHostNames[] = {"CalculateProperty", "CalculateTwoPhaseProperty(KFactor)",
                                      "PhaseOrder",        "Execute(PT)",
                                      "Execute(PH)",       "Execute(PS)",
                                      "Execute(TH)",       "Execute(TS)",
                                      "Execute(PVF)",      "Execute(TVF)",
                                      "Execute(HVF)",      "PkgRecall, CalculateProperty"};

struct Cell {
  Host host;
  const char* property;  // of a Property or Recall cell
  std::string fault;     // CORAVL_FAULT
  const char* told;      // a part of what the host is told ("": nothing, a success); none:
                         // either a failure with a message or a success with nothing told
};

// Misbehaviours of one package method, with what the host must be told.
// clang-format off
const Cell kCells[] = {
    // Values no package may give
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:nan", "(nan) for property 'enthalpy'"},
    {Host::Property, "Entropy", "CalcSinglePhaseProp:inf", "for property 'entropy'"},
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:huge", "(1.e+308) for property 'enthalpy'"},
    {Host::Property, "Cp", "CalcSinglePhaseProp:negative", "for property 'heatCapacityCp'"},
    {Host::Property, "ZFactor", "CalcSinglePhaseProp:negative", "compressibilityFactor"},
    {Host::Property, "LnFugacityCoeff", "CalcSinglePhaseProp:nan", "logFugacityCoefficient"},
    // Answers of the wrong size or type
    {Host::Property, "LnFugacityCoeff", "CalcSinglePhaseProp:few", "logFugacityCoefficient"},
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:nothing", "not set"},
    // Failures
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:no-info", "CalcSinglePhaseProp"},
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:throw", "injected failure in CalcSinglePhaseProp"},
    {Host::Property, "Enthalpy", "SetMaterial:no-info", "SetMaterial failed"},
    {Host::PT, nullptr, "SetMaterial:no-info", "SetMaterial failed"},
    {Host::PT, nullptr, "CalcEquilibrium:no-info", "CalcEquilibrium"},
    {Host::PT, nullptr, "CalcEquilibrium:throw", "injected failure in CalcEquilibrium"},
    {Host::PT, nullptr, "CalcEquilibrium:cape-ECapeComputation", "ECapeComputation"},
    // Flash results no host may take
    {Host::PT, nullptr, "CalcEquilibrium:fractions", "unfeasible phase fractions or compositions"},
    {Host::PT, nullptr, "CalcEquilibrium:nan", "unfeasible phase fractions or compositions"},
    {Host::PT, nullptr, "CalcEquilibrium:nothing", "unfeasible phase fractions"},
    {Host::TVF, nullptr, "CalcEquilibrium:fractions", "unfeasible phase fractions or compositions"},
    {Host::TVF, nullptr, "CalcEquilibrium:throw", "injected failure in CalcEquilibrium"},
    {Host::TVF, nullptr, "CalcEquilibrium:cape-ECapeSolvingError", "ECapeSolvingError"},
    // A slow answer is still an answer
    {Host::Property, "Enthalpy", "CalcSinglePhaseProp:slow", ""},
    {Host::PT, nullptr, "CalcEquilibrium:slow", ""},
};
// clang-format on

//! Every package call made meanwhile misbehaves so ("none": the method's own answer).
constexpr const char* kMatrixFaults[] = {"none",     "no-info", "throw",    "cape-ECapeComputation",
                                         "nothing",  "nan",     "inf",      "huge",
                                         "negative", "few",     "many",     "strings",
                                         "matrix",   "empty",   "fractions"};

//! kCells, a failure with each CAPE-OPEN error code out of a property calculation, and every
//! host method against every misbehaviour of all package calls.
std::vector<Cell> allCells() {
  std::vector<Cell> cells(std::begin(kCells), std::end(kCells));
  for (const auto& kind : capeopen::kErrorKinds)
    cells.push_back({Host::Property, "Enthalpy",
                     std::string("CalcSinglePhaseProp:cape-") + kind.name, kind.name});
  for (std::size_t m = 0; m < std::size(kHostNames); ++m)
    for (const char* fault : kMatrixFaults)
      for (const char* p : {"Enthalpy", "LnFugacityCoeff"}) {
        const auto host = static_cast<Host>(m);
        if (p[0] == 'L' && host != Host::Property) continue;
        const bool none = !std::strcmp(fault, "none");
        const bool named = host == Host::Property || host == Host::Recall;
        cells.push_back({host, named ? p : nullptr, none ? "" : std::string("*:") + fault,
                         none ? "" : nullptr});
      }
  return cells;
}

bool sound(double v, double lo = -1e30, double hi = 1e30) {
  return std::isfinite(v) && v != kNoValueMarker && v >= lo && v <= hi;
}

}  // namespace

// Each cell: the call fails with a message, or succeeds with nothing told and every value it
// wrote sound; a failed flash leaves the host's phases untouched.
TEST_F(MisbehavingPackage, every_host_method_against_every_misbehaviour) {
  edit("doOrderPhases = true\n");
  // The specifications of the flashes: the feed's enthalpy and entropy as a vapour at 300 K and
  // 3000 kPa, from the package unharmed.
  ComPtr<IExtendedPropPackage> pkg;
  ASSERT_EQ(openFault(pkg), S_OK) << notices();
  auto state = phase(ravelin::kPhaseVapour, 300.0, 3000.0, kGasFeed);
  for (const char* p : {"Enthalpy", "Entropy"})
    ASSERT_EQ(pkg->CalculateProperty(ravelin::propertyId(p), state.dispatch(), nullptr,
                                     manager.dispatch(), nullptr, nullptr),
              S_OK);
  const double H = *state.value("Enthalpy"), S = *state.value("Entropy");
  comlite::Bstr saved;
  std::size_t failures = 0;
  const std::vector<Cell> cells = allCells();
  for (const Cell& cell : cells) {
    const Host host = cell.host;
    const std::string what = (cell.fault.empty() ? "none" : cell.fault) + " in " +
                             kHostNames[static_cast<std::size_t>(host)] +
                             (cell.property ? std::string(" of ") + cell.property : "");
    SCOPED_TRACE(what);
    pkg.reset();
    ASSERT_EQ(openFault(pkg), S_OK) << notices();
    env.notices.clear();
    auto log = ravelin::ErrorLog::create();
    testsupport::ScopedEnv injected("CORAVL_FAULT", cell.fault);
    auto vapour = phase(ravelin::kPhaseVapour, 250.0, 3000.0, kGasFeed);
    auto liquid = phase(ravelin::kPhaseLiquid, 250.0, 3000.0, kGasFeed);
    auto c = ravelin::PhaseCollection::create(
        phase(ravelin::kPhaseOverall, 250.0, 3000.0, kGasFeed), {vapour, liquid});
    HRESULT hr = E_UNEXPECTED;
    const auto flash = [&](tagFlashTypeEnum type, double T, double P, const char* spec,
                           double value, double vapourFraction = -1.0) {
      c.overall().setTemperature(T);
      c.overall().setPressure(P);
      if (spec) c.overall().setValue(spec, value);
      if (vapourFraction >= 0.0) c.overall().setFraction(vapourFraction);
      return pkg.as<IExtendedFlash>()->Execute(type, nullptr, c.dispatch(), c.dispatch(),
                                               log.dispatch(), nullptr);
    };
    if (host == Host::Recall) {
      ASSERT_EQ(pkg->PkgSave(saved.out()), S_OK);
      pkg.reset();
      VARIANT_BOOL changed = VARIANT_FALSE;
      hr = CoCreateInstance(CLSID_PropPkg, nullptr, CLSCTX_INPROC_SERVER,
                            IExtendedPropPackage::kIID, pkg.putVoid());
      if (SUCCEEDED(hr)) hr = pkg->PkgRecall(saved.get(), &changed);
      if (SUCCEEDED(hr)) hr = pkg->InitializePropertyID(registry.dispatch());
    }
    if (host != Host::Recall || SUCCEEDED(hr)) switch (host) {
        case Host::Recall:
        case Host::Property: {
          const char* p = cell.property;
          hr = pkg->CalculateProperty(ravelin::propertyId(p), vapour.dispatch(), nullptr,
                                      manager.dispatch(), log.dispatch(), nullptr);
          EXPECT_EQ(SUCCEEDED(hr), vapour.value(p).has_value() || vapour.vector(p).has_value());
          if (auto v = vapour.value(p)) {
            EXPECT_TRUE(sound(*v)) << *v;
          }
          if (auto v = vapour.vector(p)) {
            for (double x : *v) EXPECT_TRUE(sound(x, -1e4, 1e4)) << x;
          }
          break;
        }
        case Host::TwoPhase:
          hr = pkg->CalculateTwoPhaseProperty(ravelin::propertyId("KFactor"), c.dispatch(), 0, 1,
                                              nullptr, manager.dispatch(), log.dispatch(), nullptr);
          EXPECT_EQ(SUCCEEDED(hr), c.overall().vector("KFactor").has_value());
          if (auto k = c.overall().vector("KFactor")) {
            for (double x : *k) EXPECT_TRUE(sound(x, 0.0)) << x;
          }
          break;
        case Host::Order:
          for (auto p : {vapour, liquid}) {
            p.setFraction(0.5);
            p.setStatus(ravelin::kPhaseStatusPresent);
          }
          hr = pkg->PhaseOrder(c.dispatch(), nullptr);
          for (std::size_t i = 0; i < 2; ++i)
            if (auto v = c.phase(i).value("MolarVolume")) {
              EXPECT_TRUE(sound(*v, 0.0)) << *v;
            }
          break;
        case Host::PT:
          hr = flash(xftPTFlash, 250.0, 3000.0, nullptr, 0);
          break;
        case Host::PH:
          hr = flash(xftPHFlash, 280.0, 3000.0, "Enthalpy", H);
          break;
        case Host::PS:
          hr = flash(xftPSFlash, 280.0, 3000.0, "Entropy", S);
          break;
        case Host::TH:
          hr = flash(xftTHFlash, 300.0, 2500.0, "Enthalpy", H);
          break;
        case Host::TS:
          hr = flash(xftTSFlash, 300.0, 2500.0, "Entropy", S);
          break;
        case Host::PVF:
          hr = flash(xftPVFlash, 250.0, 3000.0, nullptr, 0, 1.0);
          break;
        case Host::TVF:
          hr = flash(xftTVFlash, 250.0, 3000.0, nullptr, 0, 1.0);
          break;
        case Host::HVF:
          hr = flash(xftHVFlash, 250.0, 3000.0, "Enthalpy", H, 1.0);
          break;
      }
    if (host >= Host::PT && host <= Host::HVF) {
      // Fully written, or untouched.
      EXPECT_EQ(c.numberOfPhases() > 0, SUCCEEDED(hr));
      for (std::size_t i = 0; i < 2; ++i) {
        const auto p = c.phase(i);
        if (FAILED(hr)) {
          EXPECT_NE(p.status(), ravelin::kPhaseStatusPresent);
        }
        if (p.status() != ravelin::kPhaseStatusPresent) continue;
        EXPECT_TRUE(sound(p.fraction(), 0.0, 1.0)) << p.fraction();
        for (double x : p.composition()) EXPECT_TRUE(sound(x, 0.0, 1.0)) << x;
        EXPECT_TRUE(sound(p.temperature(), 0.0) && sound(p.pressure(), 0.0));
      }
    }
    std::string told = notices();
    for (const auto& e : log.entries()) told += e.message + "\n";
    if (host == Host::TwoPhase) {
      // Documented: K-values of a package that gives none directly are the host's to make
      // from fugacities; refused before any package call, whatever the package would do.
      EXPECT_EQ(hr, E_FAIL);
      EXPECT_EQ(told, "");
    } else if (cell.told && !*cell.told) {
      EXPECT_EQ(hr, S_OK) << told;
      EXPECT_EQ(told, "");
    } else if (cell.told) {
      EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
      EXPECT_NE(told.find(cell.told), std::string::npos) << told;
    } else if (FAILED(hr)) {
      EXPECT_NE(told, "");
    } else {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(told, "");
    }
    failures += FAILED(hr);
    std::printf("[ cell ] %s: %08x %s\n", what.c_str(), static_cast<unsigned>(hr),
                told.substr(0, 300).c_str());
  }
  std::printf("[ measured ] %zu cells, %zu failed calls\n", cells.size(), failures);
}

// A constant no compound has, handed to a compound of the host's making: not handed over, and
// the host is told which constant of which compound.
TEST_F(MisbehavingPackage, a_constant_no_compound_has_is_told_and_not_handed_over) {
  auto specs = kNaturalGas;
  specs[0].idNumber = 20001;  // methane, as a hypothetical compound
  ComPtr<IExtendedPropPackage> pkg;
  ASSERT_EQ(openFault(pkg, specs), S_OK) << notices();
  for (const char* fault : {"huge", "negative", "nan", "inf"}) {
    SCOPED_TRACE(fault);
    env.notices.clear();
    testsupport::ScopedEnv injected("CORAVL_FAULT", std::string("GetCompoundConstant:") + fault);
    INT n = -1;
    comlite::Variant names;
    EXPECT_EQ(pkg->GetCompoundInfo(0, compounds[0].dispatch(), &n, &names), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_FALSE(compounds[0].constant("MW").has_value() &&
                 !std::isfinite(*compounds[0].constant("MW")));
    EXPECT_TRUE(noticed("constant \"molecularWeight\" of \"methane\"")) << notices();
  }
  env.notices.clear();
  INT n = -1;
  comlite::Variant names;
  EXPECT_EQ(pkg->GetCompoundInfo(0, compounds[0].dispatch(), &n, &names), S_OK);
  EXPECT_GT(n, 0);
  EXPECT_EQ(notices(), "");
}
