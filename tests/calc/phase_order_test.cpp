//! Phase ordering: the placement and typing rules on their own, and the simulator's PhaseOrder
//! calls on libCORavl11.so with the Peng-Robinson and ideal packages behind it and host phase
//! collections built with the host framework. Molar volumes are those the packages calculate
//! (m3/kmol); the phases' states are chosen so that each case's volumes, Z and compressibility
//! are what the case needs, and each case checks that first.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "calc/phase_order.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;
using coravl::calc::LightestPhase;
using coravl::calc::orderingCompressibilityFactor;
using coravl::calc::wantedLightestPhaseType;

// ---- Placement and typing rules ---------------------------------------------------------------

TEST(PhaseOrderTyping, the_lightest_phase_is_vapour_liquid_or_left_as_it_is) {
  constexpr LONG V = ravelin::kPhaseVapour, L = ravelin::kPhaseLiquid, kept = 0;
  // Z, kappa [1/kPa], P [Pa], light and heavy fractions, specific volume [m3/kg]. At 1 MPa,
  // kappa P >= 0.6 means kappa >= 6e-4 per kPa.
  const std::pair<LightestPhase, LONG> cases[] = {
      {{0.9, 1e-3, 1e6, 1.0, 0.0, 0.05}, V},
      {{0.25, 1e-3, 1e6, 1.0, 0.0, 0.05}, V},  // from 0.25 on
      {{0.2, 1.0, 1e6, 1.0, 0.0, 0.05}, L},    // too dense, however compressible
      // Gas-like but stiff: a light, not dense phase keeps its type.
      {{0.8, 5e-4, 1e6, 1.0, 0.0, 0.05}, kept},
      {{0.8, 5e-4, 1e6, 1.0, 1.5, 0.05}, L},     // more heavy than light compounds
      {{0.8, 5e-4, 1e6, 1.0, 1.0, 0.05}, kept},  // as many: still light
      {{0.8, 5e-4, 1e6, 1.0, 1.0, 0.0019}, L},
      {{0.7, 5e-4, 1e6, 1.0, 1.0, 0.05}, L},
  };
  for (const auto& [p, want] : cases)
    EXPECT_EQ(wantedLightestPhaseType(p), want)
        << "Z " << p.Z << ", kappa " << p.kappa << ", heavy " << p.heavyFraction << ", "
        << p.specificVolume << " m3/kg";
}

// ---- Through the component --------------------------------------------------------------------

namespace {

constexpr const char* kPengRobinson = testsupport::kPengRobinsonSelection;
constexpr const char* kIdeal = testsupport::kIdealSelection;
constexpr const char* kCompressibilityOnly = "package = CORavlTest.CompressibilityPackage.1\n";
constexpr const char* kNoVolumeSlope = "package = CORavlTest.NoVolumeSlopePackage.1\n";
constexpr const char* kLogged = "package = CORavlTest.LoggedPackage.1\n";

constexpr const char* kOrderPhases = "doOrderPhases = true\n";

using testsupport::naturalGasCompounds;

enum Compound { kMethane = 0, kPropane = 2, kHexane = 6, kH2S = 9 };

std::vector<double> pure(Compound k, std::size_t n = 10) {
  std::vector<double> x(n, 0.0);
  x[static_cast<std::size_t>(k)] = 1.0;
  return x;
}

//! A host phase collection that hands every call to a host framework collection, counts the
//! calls it receives, and can refuse moves.
class CountingCollection
    : public comlite::ComObject<CountingCollection, IPhaseCollection, IRvlPhaseMove> {
 public:
  ComPtr<IPhaseCollection> inner;
  ComPtr<IRvlPhaseMove> innerMove;
  HRESULT moveFailure = S_OK;
  int calls = 0;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    ++calls;
    return ComObject::QueryInterface(riid, ppv);
  }
  HRESULT get_NumbOfPhases(LONG* count) override { return ++calls, inner->get_NumbOfPhases(count); }
  HRESULT put_NumbOfPhases(LONG count) override { return ++calls, inner->put_NumbOfPhases(count); }
  HRESULT GetPhase(LONG index, IDispatch** phase) override {
    return ++calls, inner->GetPhase(index, phase);
  }
  HRESULT GetPhaseOfKind(LONG kind, LONG index, IDispatch** phase, VARIANT_BOOL* found) override {
    return ++calls, inner->GetPhaseOfKind(kind, index, phase, found);
  }
  HRESULT get_NumbOfComps(LONG* count) override { return ++calls, inner->get_NumbOfComps(count); }
  HRESULT MovePhase(LONG target, LONG source) override {
    ++calls;
    return FAILED(moveFailure) ? moveFailure : innerMove->MovePhase(target, source);
  }
};

//! The component as the simulator drives it (compounds, setup, property registration), with
//! phase ordering switched on in the setup view unless a test says otherwise.
class PhaseOrderE2E : public testsupport::SocketFixture {
 protected:
  std::vector<const char*> extraModules() const override { return {"test_packages"}; }
  void SetUp() override {
    SocketFixture::SetUp();
    edit(kOrderPhases);
  }

  ravelin::Phase phase(LONG type, double T, double P_kPa, const std::vector<double>& x,
                       double fraction = 0.5) {
    auto p = SocketFixture::phase(type, T, P_kPa, x);
    p.setFraction(fraction);
    p.setStatus(ravelin::kPhaseStatusPresent);
    return p;
  }

  ravelin::PhaseCollection collection(const std::vector<ravelin::Phase>& phases,
                                      double vapourFraction = 0.5) {
    auto overall = ravelin::Phase::create(*fluid, ravelin::kPhaseOverall);
    overall.setTemperature(phases.front().temperature());
    overall.setPressure(phases.front().pressure());
    overall.setFraction(vapourFraction);
    return ravelin::PhaseCollection::create(overall, phases);
  }

  //! The package's molar volume of a phase [m3/kmol], as the component writes it.
  double molarVolume(IExtendedPropPackage* pkg, const ravelin::Phase& p) {
    EXPECT_EQ(pkg->CalculateProperty(ravelin::propertyId("MolarVolume"), p.dispatch(), nullptr,
                                     nullptr, nullptr, nullptr),
              S_OK)
        << notices();
    return p.value("MolarVolume").value_or(NAN);
  }
  static double Z(double V, double T, double P_kPa) {
    return orderingCompressibilityFactor(P_kPa * 1000.0, V, T);
  }

  static ComPtr<CountingCollection> countingOf(const ravelin::PhaseCollection& phases) {
    auto counting = ComPtr<CountingCollection>::attach(comlite::makeObject<CountingCollection>());
    counting->inner = ComPtr<IPhaseCollection>(
        static_cast<IPhaseCollection*>(static_cast<IDispatch*>(phases.dispatch())));
    return counting;
  }
  static bool same(const ravelin::Phase& a, const ravelin::Phase& b) {
    return a.dispatch() == b.dispatch();
  }
  static std::vector<std::pair<LONG, LONG>> moves(std::initializer_list<std::pair<LONG, LONG>> m) {
    return m;
  }

  //! The single-phase calculations the test packages were asked for since the last call.
  static std::string takePackageLog() {
    void* handle =
        ::dlopen((testsupport::libDir() + "/libtest_packages.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return "(module not loaded)";
    auto log = reinterpret_cast<const char* (*)()>(::dlsym(handle, "slopePackagesLog"));
    auto clear = reinterpret_cast<void (*)()>(::dlsym(handle, "slopePackagesClearLog"));
    std::string out = log ? log() : "(no log)";
    if (clear) clear();
    ::dlclose(handle);
    return out;
  }
};

}  // namespace

// ---- When nothing is ordered

TEST_F(PhaseOrderE2E, with_the_option_off_nothing_of_the_host_is_touched) {
  edit("");
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  auto liquid = phase(ravelin::kPhaseLiquid, 190.0, 101.325, pure(kH2S));
  auto gas = phase(ravelin::kPhaseVapour, 273.15, 101.325, pure(kMethane));
  auto phases = collection({liquid, gas});
  auto counting = countingOf(phases);

  EXPECT_EQ(pkg->PhaseOrder(static_cast<IPhaseCollection*>(counting.get()), nullptr), S_OK);
  EXPECT_EQ(counting->calls, 0);
  EXPECT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK);
  EXPECT_TRUE(phases.moves().empty());
  EXPECT_FALSE(liquid.value("MolarVolume").has_value());
  EXPECT_FALSE(gas.value("MolarVolume").has_value());
  EXPECT_TRUE(same(phases.phase(0), liquid));
  EXPECT_TRUE(env.notices.empty()) << notices();

  // A package not set up refuses before any host call.
  edit(kOrderPhases);
  auto early = open(kPengRobinson, naturalGasCompounds(), false);
  EXPECT_EQ(early->PhaseOrder(static_cast<IPhaseCollection*>(counting.get()), nullptr), E_FAIL);
  EXPECT_EQ(counting->calls, 0);
}

TEST_F(PhaseOrderE2E, no_collection_or_another_object_is_left_alone) {
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  EXPECT_EQ(pkg->PhaseOrder(nullptr, nullptr), S_OK);
  auto gas = phase(ravelin::kPhaseVapour, 273.15, 101.325, pure(kMethane));
  EXPECT_EQ(pkg->PhaseOrder(gas.dispatch(), nullptr), S_OK);
  EXPECT_FALSE(gas.value("MolarVolume").has_value());
  // A collection without phases present: only the overall phase is read.
  auto empty = collection({gas});
  empty.setNumberOfPhases(0);
  EXPECT_EQ(pkg->PhaseOrder(empty.dispatch(), nullptr), S_OK);
  EXPECT_FALSE(gas.value("MolarVolume").has_value());
  EXPECT_TRUE(env.notices.empty()) << notices();
}

// ---- Placement by molar volume

TEST_F(PhaseOrderE2E, three_phases_of_rising_volume_end_in_reverse) {
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  // Methane at 0 C from about 1 to about 3 m3/kmol.
  auto p1 = phase(ravelin::kPhaseLiquid, 273.15, 2200.0, pure(kMethane), 0.2);
  auto p2 = phase(ravelin::kPhaseLiquid, 273.15, 1120.0, pure(kMethane), 0.3);
  auto p3 = phase(ravelin::kPhaseVapour, 273.15, 750.0, pure(kMethane), 0.5);
  auto phases = collection({p1, p2, p3});

  ASSERT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK) << notices();
  const double V1 = p1.value("MolarVolume").value_or(NAN);
  const double V2 = p2.value("MolarVolume").value_or(NAN);
  const double V3 = p3.value("MolarVolume").value_or(NAN);
  EXPECT_NEAR(V1, 1.0, 0.1);
  EXPECT_NEAR(V2, 2.0, 0.1);
  EXPECT_NEAR(V3, 3.0, 0.1);
  // The second goes before the first, then the third before both.
  EXPECT_EQ(phases.moves(), moves({{0, 1}, {0, 2}}));
  EXPECT_TRUE(same(phases.phase(0), p3));
  EXPECT_TRUE(same(phases.phase(1), p2));
  EXPECT_TRUE(same(phases.phase(2), p1));
  // A light vapour first: nothing is merged.
  EXPECT_EQ(p3.type(), ravelin::kPhaseVapour);
  EXPECT_EQ(p3.status(), ravelin::kPhaseStatusPresent);
  EXPECT_DOUBLE_EQ(p3.fraction(), 0.5);
  EXPECT_DOUBLE_EQ(p2.fraction(), 0.3);
  EXPECT_TRUE(env.notices.empty()) << notices();
}

// ---- Phase types

TEST_F(PhaseOrderE2E, the_lightest_phase_is_typed_and_the_vapour_fraction_follows) {
  constexpr LONG V = ravelin::kPhaseVapour, L = ravelin::kPhaseLiquid;
  struct Side {
    LONG type;
    double T, P;
    Compound c;
    double fraction;
  };
  //! The vapour fraction before and after, the phases' types after, and whether the second
  //! phase went to the front.
  struct Change {
    double vapourFraction, wantVapourFraction;
    LONG wantFirst, wantSecond;
    bool moved = false;
  };
  const struct Case {
    const char* what;
    Side first, second;
    Change change;
  } cases[] = {
      {"a gas arriving after a liquid is moved to the front",
       {L, 190.0, 101.325, kH2S, 0.6},
       {V, 273.15, 101.325, kMethane, 0.4},
       {0.4, 0.4, L, V, true}},
      {"equal volumes are not moved",
       {L, 300.0, 5000.0, kH2S, 0.5},
       {L, 300.0, 5000.0, kH2S, 0.5},
       {0.0, 0.0, L, L}},
      {"a second vapour becomes liquid",
       {V, 273.15, 101.325, kMethane, 0.6},
       {V, 273.15, 1000.0, kMethane, 0.4},
       {0.6, 0.0, V, L}},
      {"a vapour the flash did not find",
       {V, 273.15, 101.325, kMethane, 1e-30},
       {L, 190.0, 101.325, kH2S, 1.0},
       {0.3, 0.0, V, L}},
      {"any other fraction is kept",
       {V, 273.15, 101.325, kMethane, 2e-30},
       {L, 190.0, 101.325, kH2S, 1.0},
       {0.3, 0.3, V, L}},
      // Propane compressed far above its vapour pressure: Z about 0.2.
      {"a dense lightest vapour becomes liquid",
       {V, 300.0, 6000.0, kPropane, 0.3},
       {L, 300.0, 6000.0, kH2S, 0.7},
       {0.3, 0.0, L, L}},
      {"a gas first marked liquid becomes vapour",
       {L, 273.15, 101.325, kMethane, 0.35},
       {L, 190.0, 101.325, kH2S, 0.65},
       {0.0, 0.35, V, L}},
  };
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto a = phase(c.first.type, c.first.T, c.first.P, pure(c.first.c), c.first.fraction);
    auto b = phase(c.second.type, c.second.T, c.second.P, pure(c.second.c), c.second.fraction);
    const Change& want = c.change;
    auto phases = collection({a, b}, want.vapourFraction);
    ASSERT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK) << notices();
    EXPECT_EQ(phases.moves(), want.moved ? moves({{0, 1}}) : moves({}));
    EXPECT_TRUE(same(phases.phase(want.moved ? 1 : 0), a));
    EXPECT_EQ(a.type(), want.wantFirst);
    EXPECT_EQ(b.type(), want.wantSecond);
    EXPECT_DOUBLE_EQ(phases.overall().fraction(), want.wantVapourFraction);
    EXPECT_DOUBLE_EQ(b.fraction(), c.second.fraction);
    if (c.second.type != want.wantSecond) {
      EXPECT_EQ(b.nominalType(), c.second.type);
    }
  }
  EXPECT_TRUE(env.notices.empty()) << notices();
}

// ---- Compressibility of the lightest phase, whatever the package offers for it

TEST_F(PhaseOrderE2E, a_compressed_liquid_stays_liquid_and_a_gas_is_vapour_by_any_slope) {
  // The single-phase calculations of the ordering after the molar volumes of the phases.
  const struct {
    const char* selection;
    const char* slopeCalculation;
  } cases[] = {{kPengRobinson, nullptr},
               {kLogged, "volume.Dpressure@Liquid;"},
               {kCompressibilityOnly, "compressibility@Liquid;"},
               {kNoVolumeSlope, "volume@Liquid;"}};  // by a finite difference
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selection);
    auto pkg = open(c.selection, naturalGasCompounds());
    // Liquid propane at 300 K, 8 MPa: Z is above 0.25 but the phase is stiff.
    const double T = 300.0, P = 8000.0;
    auto liquid = phase(ravelin::kPhaseLiquid, T, P, pure(kPropane), 1.0);
    auto heavier = phase(ravelin::kPhaseLiquid, T, P, pure(kH2S), 0.0);
    auto phases = collection({liquid, heavier}, 0.0);
    takePackageLog();
    ASSERT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK) << notices();
    const std::string log = takePackageLog();
    const double V0 = liquid.value("MolarVolume").value_or(NAN);
    ASSERT_GT(V0, heavier.value("MolarVolume").value_or(NAN));
    EXPECT_GE(Z(V0, T, P), 0.25);
    EXPECT_EQ(liquid.type(), ravelin::kPhaseLiquid);
    EXPECT_EQ(phases.overall().fraction(), 0.0);
    if (c.slopeCalculation) {
      EXPECT_EQ(log, std::string("volume@Liquid;volume@Liquid;") + c.slopeCalculation);
    }

    // A gas marked liquid is found to be a vapour.
    auto gas = phase(ravelin::kPhaseLiquid, 273.15, 101.325, pure(kMethane), 0.25);
    auto condensate = phase(ravelin::kPhaseLiquid, 190.0, 101.325, pure(kH2S), 0.75);
    auto twoPhase = collection({gas, condensate}, 0.0);
    ASSERT_EQ(pkg->PhaseOrder(twoPhase.dispatch(), nullptr), S_OK) << notices();
    EXPECT_EQ(gas.type(), ravelin::kPhaseVapour);
    EXPECT_DOUBLE_EQ(twoPhase.overall().fraction(), 0.25);
    EXPECT_TRUE(env.notices.empty()) << notices();
  }
}

TEST_F(PhaseOrderE2E, molar_volumes_from_density_order_and_type_the_phases) {
  auto pkg = open(kIdeal, naturalGasCompounds(4));
  auto dense = phase(ravelin::kPhaseVapour, 300.0, 1000.0, pure(kMethane, 4), 0.5);
  auto gas = phase(ravelin::kPhaseVapour, 300.0, 100.0, pure(kMethane, 4), 0.5);
  auto phases = collection({dense, gas}, 0.5);
  ASSERT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK) << notices();
  // Ideal gas volumes RT/P.
  EXPECT_NEAR(gas.value("MolarVolume").value_or(NAN), 8.314462618 * 300.0 / 100.0, 1e-3);
  EXPECT_EQ(phases.moves(), moves({{0, 1}}));
  EXPECT_TRUE(same(phases.phase(0), gas));
  EXPECT_EQ(gas.type(), ravelin::kPhaseVapour);
  EXPECT_EQ(dense.type(), ravelin::kPhaseLiquid);
  EXPECT_EQ(phases.overall().fraction(), 0.0);
  EXPECT_TRUE(env.notices.empty()) << notices();
}

// ---- Three phases

TEST_F(PhaseOrderE2E, a_dense_vapour_first_of_three_is_merged_into_the_second) {
  // The whole natural gas, and a fluid package of three of its compounds (n-hexane, propane,
  // H2S in the simulator's order) whose first phase lists two of them only.
  const std::vector<std::size_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, three = {6, 2, 9};
  for (const auto* order : {&all, &three}) {
    const bool subset = order == &three;
    SCOPED_TRACE(subset ? "subset" : "all");
    edit(std::string(kOrderPhases) + (subset ? "allowSubsets = true\n" : ""));
    auto pkg = open(kPengRobinson, testsupport::pick(naturalGasCompounds(), *order));
    const double T = 300.0, P = 5000.0;
    std::vector<double> x0(10, 0.0), x1(10, 0.0);
    x0[kHexane] = 0.9, x0[kPropane] = 0.1;
    x1[kH2S] = 0.8, x1[kPropane] = 0.2;
    x0 = testsupport::pick(x0, *order), x1 = testsupport::pick(x1, *order);
    auto dense = phase(ravelin::kPhaseVapour, T, P, x0, 0.2);
    if (subset) dense.setSubList(std::vector<LONG>{1, 0});
    auto second = phase(ravelin::kPhaseLiquid, T, P, x1, 0.5);
    auto third = phase(ravelin::kPhaseLiquid, 250.0, P, testsupport::pick(pure(kH2S), *order), 0.3);
    auto phases = collection({dense, second, third}, 0.2);
    ASSERT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK) << notices();
    const double V0 = dense.value("MolarVolume").value_or(NAN);
    ASSERT_GT(V0, second.value("MolarVolume").value_or(NAN));
    ASSERT_GT(second.value("MolarVolume").value_or(NAN), third.value("MolarVolume").value_or(NAN));
    const double MW = 0.9 * 86.177 + 0.1 * 44.097;
    ASSERT_LT(V0 / MW, 0.002);
    EXPECT_TRUE(phases.moves().empty());

    EXPECT_EQ(dense.status(), ravelin::kPhaseStatusAbsent);
    EXPECT_EQ(dense.fraction(), 0.0);
    EXPECT_DOUBLE_EQ(second.fraction(), 0.7);
    EXPECT_EQ(phases.overall().fraction(), 0.0);
    const auto merged = second.composition();
    ASSERT_EQ(merged.size(), order->size());
    for (std::size_t k = 0; k < merged.size(); ++k)
      EXPECT_NEAR(merged[k], (0.5 * x1[k] + 0.2 * x0[k]) / 0.7, 1e-15) << k;
    EXPECT_DOUBLE_EQ(third.fraction(), 0.3);
    EXPECT_EQ(third.status(), ravelin::kPhaseStatusPresent);
  }
}

// ---- Failures

TEST_F(PhaseOrderE2E, a_refused_move_ends_the_ordering_with_its_status) {
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  auto liquid = phase(ravelin::kPhaseLiquid, 190.0, 101.325, pure(kH2S));
  auto gas = phase(ravelin::kPhaseVapour, 273.15, 101.325, pure(kMethane), 0.4);
  auto phases = collection({liquid, gas}, 0.4);
  auto counting = countingOf(phases);
  counting->moveFailure = E_ACCESSDENIED;
  EXPECT_EQ(pkg->PhaseOrder(static_cast<IPhaseCollection*>(counting.get()), nullptr),
            E_ACCESSDENIED);
  EXPECT_TRUE(noticed("Unexpected error ")) << notices();
  EXPECT_TRUE(phases.moves().empty());
  // Nothing after the move was done.
  EXPECT_EQ(liquid.type(), ravelin::kPhaseLiquid);
  EXPECT_DOUBLE_EQ(phases.overall().fraction(), 0.4);
}

TEST_F(PhaseOrderE2E, a_phase_whose_molar_volume_fails_is_not_placed) {
  auto pkg = open(kPengRobinson, naturalGasCompounds());
  auto gas = phase(ravelin::kPhaseVapour, 273.15, 101.325, pure(kMethane), 0.4);
  auto broken = phase(ravelin::kPhaseLiquid, 0.0, 101.325, pure(kH2S));
  auto phases = collection({broken, gas}, 0.4);
  EXPECT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), E_FAIL);
  EXPECT_TRUE(noticed("CalculateProperty received a negative T: ")) << notices();
  EXPECT_TRUE(phases.moves().empty());
  EXPECT_FALSE(gas.value("MolarVolume").has_value());
}

TEST_F(PhaseOrderE2E, host_compounds_without_a_boiling_point_fail_as_a_host_error) {
  auto specs = naturalGasCompounds();
  for (auto& s : specs) s.constants.erase("NBP");
  auto pkg = open(kPengRobinson, specs);
  auto gas = phase(ravelin::kPhaseVapour, 273.15, 101.325, pure(kMethane), 0.4);
  auto liquid = phase(ravelin::kPhaseLiquid, 190.0, 101.325, pure(kH2S));
  auto phases = collection({gas, liquid}, 0.4);
  EXPECT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), E_FAIL);
  EXPECT_TRUE(noticed("Ravelin Exceptionordering phases")) << notices();
}

TEST_F(PhaseOrderE2E, a_zero_molecular_weight_is_reported_and_the_ordering_goes_on) {
  auto specs = naturalGasCompounds();
  for (auto& s : specs) s.constants["MW"] = 0.0;
  auto pkg = open(kPengRobinson, specs);
  // A gas marked liquid: with no specific volume it is still typed by Z and its
  // compressibility.
  auto gas = phase(ravelin::kPhaseLiquid, 273.15, 101.325, pure(kMethane), 0.4);
  auto liquid = phase(ravelin::kPhaseLiquid, 190.0, 101.325, pure(kH2S), 0.6);
  auto phases = collection({gas, liquid}, 0.0);
  EXPECT_EQ(pkg->PhaseOrder(phases.dispatch(), nullptr), S_OK);
  EXPECT_TRUE(noticed("INTERNAL ERROR ordering phases: light liquid's MolarVol or MolWeight is 0"))
      << notices();
  EXPECT_EQ(gas.type(), ravelin::kPhaseVapour);
  EXPECT_DOUBLE_EQ(phases.overall().fraction(), 0.4);
}
