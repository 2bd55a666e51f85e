//! The material object through the adapter, bound to the ideal package: properties of each
//! phase, two-phase K-values, derivatives against differences, a TP flash, basis conversion,
//! present phases, pass-through of package errors and bad input.

#include <cmath>

#include "capeside_fixture.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "outside/adapter_diagnostics.h"

using namespace capetest;

namespace {

//! Records what the material reports.
class RecordingDiagnostics : public comlite::ComObject<RecordingDiagnostics, ICapeDiagnostics> {
 public:
  HRESULT ReportError(LONG, BSTR m) override { return keep("ReportError|" + text(m)); }
  HRESULT PopUpError(LONG, BSTR m) override { return keep("PopUpError|" + text(m)); }
  HRESULT ReportCapeError(BSTR operation, LONG code, BSTR description, VARIANT_BOOL inCalculation,
                          BSTR interfaceName) override {
    lastCode = code;
    lastInCalculation = inCalculation;
    return keep(text(operation) + "|" + text(description) + "|" + text(interfaceName));
  }
  HRESULT keep(std::string line) {
    lines.push_back(std::move(line));
    return S_OK;
  }
  static std::string text(BSTR s) { return comlite::bstrToUtf8(s); }
  std::vector<std::string> lines;
  LONG lastCode = 0;
  VARIANT_BOOL lastInCalculation = VARIANT_FALSE;
};

constexpr LONG kOverall = 1, kVaporLiquid = 2, kVapor = 3, kLiquid = 4;
constexpr LONG kFugCoef = 30, kKvalue = 34, kEnthalpy = 35, kDensity = 40;
constexpr double R = 8.314462618;

class Material : public CapeSide {
 protected:
  void SetUp() override {
    CapeSide::SetUp();
    auto o = open("manager = CORavlIdeal.PackageManager.1\npackage = Light hydrocarbons\n");
    m_adapter = o.adapter;
    m_package = o.package;
    ComPtr<IDispatch> material;
    ASSERT_EQ(m_adapter->GetMaterialObject(material.put()), S_OK);
    m_mo = material.as<IMatObj>();
    m_thermo = material.as<ICapeThermoMaterial>();
    m_compounds = material.as<ICapeThermoCompounds>();
    ASSERT_TRUE(m_mo && m_thermo && m_compounds);
    // The socket hands the package the material once at setup.
    ASSERT_EQ(m_package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
  }
  void TearDown() override {
    m_mo.reset();
    m_thermo.reset();
    m_compounds.reset();
    EXPECT_EQ(m_adapter->ReleaseResources(), S_OK);
  }

  //! Sets the state of the vapour and the liquid and marks both present.
  void twoPhases(double T, double P) {
    ASSERT_EQ(m_mo->SetState(T, P, m_x.data(), kVapor), S_OK);
    ASSERT_EQ(m_mo->SetState(T, P, m_x.data(), kLiquid), S_OK);
    present({"Vapor", "Liquid"});
  }
  //! Sets or gets a single-phase property through ICapeThermoMaterial; no basis is null.
  HRESULT setProp(const char* prop, const char* phase, const char* basis, const Variant& v) {
    return m_thermo->SetSinglePhaseProp(Bstr(prop).get(), Bstr(phase).get(),
                                        basis ? Bstr(basis).get() : nullptr, v);
  }
  std::vector<double> getProp(const char* prop, const char* basis, HRESULT expect = S_OK) {
    Variant& out = m_kept;  // a host keeps it: each answer refills the array of the last
    EXPECT_EQ(m_thermo->GetSinglePhaseProp(Bstr(prop).get(), Bstr("Vapor").get(), Bstr(basis).get(),
                                           &out),
              expect);
    return doubleList(out).value_or(std::vector<double>{});
  }
  void present(std::vector<std::string> labels) {
    ASSERT_EQ(m_thermo->SetPresentPhases(makeStringArray(labels),
                                         makeLongArray(std::vector<LONG>(labels.size(), 0))),
              S_OK);
  }
  HRESULT calc(std::vector<std::string> props, const char* label) {
    return m_mo->CalcSinglePhaseProps(makeStringArray(props), Bstr(label).get(),
                                      Bstr("Mixture").get());
  }
  std::vector<double> value(LONG phase, LONG code) {
    LONG n = 0;
    EXPECT_EQ(m_mo->GetNumValues(code, &n), S_OK);
    std::vector<double> v(static_cast<std::size_t>(n), -32767.0);
    const HRESULT hr = m_mo->GetValue(phase, code, v.data());
    EXPECT_EQ(hr, S_OK) << "code " << code << " phase " << phase << ": " << hex(hr);
    return v;
  }
  //! A temperature-dependent property of every compound, asked of the package through the
  //! material's ICapeThermoCompounds.
  std::vector<double> pure(const char* prop, double T) {
    Variant out;
    EXPECT_EQ(m_compounds->GetTDependentProperty(makeStringArray({prop}), T, Variant(), &out),
              S_OK);
    return doubleList(out).value_or(std::vector<double>{});
  }

  ComPtr<IPackageAdapter> m_adapter;
  ComPtr<IDispatch> m_package;
  ComPtr<IMatObj> m_mo;
  ComPtr<ICapeThermoMaterial> m_thermo;
  ComPtr<ICapeThermoCompounds> m_compounds;
  const std::vector<double> m_x{0.1, 0.2, 0.3, 0.4};
  Variant m_kept;
};

}  // namespace

TEST_F(Material, vapour_and_liquid_properties_agree_with_pure_compound_data) {
  const double T = 280, P = 3e5;
  twoPhases(T, P);
  const std::vector<std::string> props = {"fugacityCoefficient", "density", "enthalpy",
                                          "enthalpy.Dtemperature", "molecularWeight"};
  ASSERT_EQ(calc(props, "Vapor"), S_OK);
  ASSERT_EQ(calc(props, "Liquid"), S_OK);

  const std::vector<double> cp = pure("idealGasHeatCapacity", T);
  const std::vector<double> psat = pure("vaporPressure", T);
  const std::vector<double> hvap = pure("heatOfVaporization", T);
  ASSERT_EQ(cp.size(), 4u);

  for (double phi : value(kVapor, kFugCoef)) EXPECT_DOUBLE_EQ(phi, 1.0);
  const std::vector<double> phiL = value(kLiquid, kFugCoef);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(phiL[i], psat[i] / P, 1e-9 * psat[i] / P);
  EXPECT_NEAR(value(kVapor, kDensity)[0], P / (R * T), 1e-9);
  EXPECT_GT(value(kLiquid, kDensity)[0], 1e4);  // a liquid, mol/m3

  double cpMix = 0, hvapMix = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    cpMix += m_x[i] * cp[i];
    hvapMix += m_x[i] * hvap[i];
  }
  EXPECT_NEAR(value(kVapor, 1000 + kEnthalpy)[0], cpMix, 1e-9 * cpMix);  // enthalpy.Dtemperature
  EXPECT_NEAR(value(kVapor, 42)[0], cpMix, 1e-9 * cpMix);                // the same by its own id
  EXPECT_NEAR(value(kVapor, kEnthalpy)[0] - value(kLiquid, kEnthalpy)[0], hvapMix, 1e-6 * hvapMix);
  EXPECT_NEAR(value(kVapor, 77)[0],
              0.1 * 16.04246 + 0.2 * 30.06904 + 0.3 * 44.09562 + 0.4 * 58.1222, 1e-9);
}

TEST_F(Material, kvalues_of_the_phase_pair_are_the_ratio_of_fugacity_coefficients) {
  const double T = 250, P = 5e5;
  twoPhases(T, P);
  ASSERT_EQ(
      m_mo->CalcTwoPhaseProps(makeStringArray({"kvalue"}), makeStringArray({"Vapor", "Liquid"})),
      S_OK);
  const std::vector<double> K = value(kVaporLiquid, kKvalue);
  const std::vector<double> psat = pure("vaporPressure", T);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(K[i], psat[i] / P, 1e-9 * K[i]);
  EXPECT_GT(K[0], K[3]);  // methane is the most volatile
}

TEST_F(Material, flash_specifications_follow_the_flash_names) {
  Variant s1, s2;
  Bstr type;
  ASSERT_EQ(m_mo->GetFlashSpecification(20, &s1, &s2, type.out()), S_OK);  // HVF
  EXPECT_EQ(stringList(s1).value(), (std::vector<std::string>{"enthalpy", "", "Overall", ""}));
  EXPECT_EQ(stringList(s2).value(),
            (std::vector<std::string>{"phaseFraction", "mole", "Vapor", ""}));
  EXPECT_EQ(type.utf8(), "Normal");
  // The empty entries are undefined (null) strings, as the standard passes them.
  BSTR* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(s1.parray, reinterpret_cast<void**>(&data)), S_OK);
  EXPECT_EQ(data[1], nullptr);
  SafeArrayUnaccessData(s1.parray);
  EXPECT_EQ(m_mo->GetFlashSpecification(14, &s1, &s2, type.out()), ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->GetFlashSpecification(23, &s1, &s2, type.out()), ECapeInvalidArgumentHR);
  // A flash the package does not solve: its own error passes through.
  ASSERT_EQ(m_mo->SetState(300, 1e5, m_x.data(), kOverall), S_OK);
  present({"Vapor", "Liquid"});
  EXPECT_EQ(m_mo->Flash(16), ECapeLimitedImplHR);
  EXPECT_EQ(capeErrorOf(m_mo.get()).scope, "IdealPackage::CalcEquilibrium");
}

TEST_F(Material, package_errors_pass_through_unchanged_and_reach_the_proxy) {
  auto* diag = comlite::makeObject<RecordingDiagnostics>();
  ComPtr<ICapeDiagnostics> proxy = ComPtr<ICapeDiagnostics>::attach(diag);
  ASSERT_EQ(m_mo->PutproxyPtr(proxy.get()), S_OK);
  ASSERT_EQ(m_mo->SetState(300, 1e5, m_x.data(), kVapor), S_OK);
  present({"Vapor"});
  EXPECT_EQ(calc({"enthalpy", "heatCapacityCp"}, "Vapor"), ECapeLimitedImplHR);
  CapeErrorSeen e = capeErrorOf(m_mo.get());
  EXPECT_EQ(e.name, "ECapeLimitedImpl");
  EXPECT_EQ(e.scope, "IdealPackage::CalcSinglePhaseProp");
  EXPECT_EQ(e.interfaceName, "ICapeThermoPropertyRoutine");
  EXPECT_EQ(e.operation, "CalcSinglePhaseProp");
  EXPECT_NE(e.description.find("\"heatCapacityCp\""), std::string::npos);
  EXPECT_TRUE(e.hasSpecific);
  ASSERT_EQ(diag->lines.size(), 1u);
  EXPECT_EQ(diag->lastCode, ECapeLimitedImplHR);
  EXPECT_EQ(diag->lastInCalculation, VARIANT_TRUE);
  EXPECT_NE(diag->lines[0].find("heatCapacityCp"), std::string::npos);
  EXPECT_NE(diag->lines[0].find("|ICapeThermoPropertyRoutine"), std::string::npos);
  // Nothing was written: the supported property of the same call is not there either.
  std::vector<double> h(1);
  EXPECT_EQ(m_mo->GetValue(kVapor, kEnthalpy, h.data()), ECapeThrmPropertyNotAvailableHR);
  // A state the package cannot use: its bad-argument error, with the offending value.
  const std::vector<double> bad{-0.5, 0.5, 0.5, 0.5};
  ASSERT_EQ(m_mo->SetState(300, 1e5, bad.data(), kVapor), S_OK);
  EXPECT_EQ(calc({"enthalpy"}, "Vapor"), ECapeBadArgumentHR);
  EXPECT_NE(capeErrorOf(m_mo.get()).description.find("-0.5"), std::string::npos);
  ComPtr<ICapeDiagnostics> back;
  ASSERT_EQ(m_mo->GetProxyPtr(back.put()), S_OK);
  EXPECT_EQ(back.get(), proxy.get());
  ASSERT_EQ(m_mo->PutproxyPtr(nullptr), S_OK);
}

TEST_F(Material, bad_phases_codes_and_arrays_fail_with_the_standard_errors) {
  std::vector<double> v(4);
  EXPECT_EQ(m_mo->SetState(300, 1e5, m_x.data(), 7), ECapeInvalidArgumentHR);  // no solid
  EXPECT_EQ(m_mo->SetState(300, 1e5, m_x.data(), kVaporLiquid), ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->SetState(300, 1e5, nullptr, kVapor), E_POINTER);
  EXPECT_EQ(m_mo->GetValue(kVapor, 999, v.data()), ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->GetValue(kVapor, 5035, v.data()), ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->GetValue(kVapor, kEnthalpy, v.data()), ECapeThrmPropertyNotAvailableHR);
  EXPECT_EQ(m_mo->SetValue(3000 + kFugCoef, kVapor, v.data()), ECapeInvalidArgumentHR);

  EXPECT_EQ(setProp("fraction", "Vapor", "mole", makeDoubleArray({0.5, 0.5})), ECapeBadArgumentHR);
  EXPECT_EQ(capeErrorOf(m_thermo.get()).position, 4);
  EXPECT_EQ(setProp("enthalpy", "Plasma", "mole", makeDoubleArray({1})), ECapeInvalidArgumentHR);
  EXPECT_NE(capeErrorOf(m_thermo.get()).description.find("\"Plasma\""), std::string::npos);
  EXPECT_EQ(setProp("enthalpy", "Vapor", "volume", makeDoubleArray({1})), ECapeInvalidArgumentHR);
  EXPECT_NE(capeErrorOf(m_thermo.get()).description.find("basis \"volume\""), std::string::npos);
  EXPECT_EQ(setProp("enthalpy", "Vapor", "mole", makeStringArray({"hot"})), ECapeBadArgumentHR);
  EXPECT_EQ(m_thermo->SetPresentPhases(makeStringArray({"Vapor", "Gas"}), makeLongArray({0, 0})),
            ECapeInvalidArgumentHR);
  EXPECT_EQ(m_thermo->SetPresentPhases(makeStringArray({"Vapor", "Liquid"}), makeLongArray({0})),
            ECapeBadArgumentHR);
  EXPECT_EQ(m_thermo->SetPresentPhases(makeStringArray({"Vapor"}), makeLongArray({5})),
            ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->CalcSinglePhaseProps(makeStringArray({"enthalpy"}), Bstr("Vapor").get(),
                                       Bstr("Pure").get()),
            ECapeInvalidArgumentHR);
  EXPECT_EQ(m_mo->CalcTwoPhaseProps(makeStringArray({"kvalue"}), makeStringArray({"Vapor"})),
            ECapeBadArgumentHR);
  // Still fully usable.
  ASSERT_EQ(m_mo->SetState(300, 1e5, m_x.data(), kVapor), S_OK);
  present({"Vapor"});
  ASSERT_EQ(calc({"density"}, "Vapor"), S_OK);
  EXPECT_NEAR(value(kVapor, kDensity)[0], 1e5 / (R * 300), 1e-9);
}

TEST_F(Material, phase_labels_match_in_any_case_and_unknown_labels_are_refused) {
  twoPhases(300, 1e5);
  double T = 0, P = 0;
  Variant x;
  std::vector<double> z(4);
  for (auto [label, phase, t] : {std::tuple{"LIQUID", kLiquid, 321.0}, {"vapor", kVapor, 322.0}}) {
    ASSERT_EQ(setProp("temperature", label, nullptr, makeDoubleArray({t})), S_OK) << label;
    ASSERT_EQ(m_thermo->GetTPFraction(Bstr(label).get(), &T, &P, &x), S_OK) << label;
    EXPECT_EQ(T, t);
    ASSERT_EQ(m_mo->GetState(&T, &P, z.data(), phase), S_OK);
    EXPECT_EQ(T, t) << label;
  }
  for (const char* unknown : {"Solid", "L\xC3\x8DQUID"}) {
    EXPECT_EQ(m_thermo->GetTPFraction(Bstr(unknown).get(), &T, &P, &x), ECapeInvalidArgumentHR);
    EXPECT_EQ(capeErrorOf(m_thermo.get()).description,
              std::string("phase \"") + unknown + "\" is not a phase of the package");
  }
}

TEST_F(Material, mole_and_mass_bases_convert_with_the_molecular_weights) {
  present({"Vapor"});
  ASSERT_EQ(setProp("fraction", "Vapor", "mole", makeDoubleArray(m_x)), S_OK);
  ASSERT_EQ(setProp("enthalpy", "Vapor", nullptr, makeDoubleArray({1000.0})), S_OK);  // mole
  const double mw[] = {16.04246, 30.06904, 44.09562, 58.1222};
  double mix = 0;
  for (std::size_t i = 0; i < 4; ++i) mix += m_x[i] * mw[i];
  const std::vector<double> w = getProp("fraction", "mass");
  ASSERT_EQ(w.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(w[i], m_x[i] * mw[i] / mix, 1e-12);
  EXPECT_NEAR(getProp("enthalpy", "mass")[0], 1000.0 / (mix * 1e-3), 1e-6);  // J/kg
  EXPECT_EQ(getProp("enthalpy", "MOLE")[0], 1000.0);
  // A phase fraction cannot be converted from this phase alone.
  ASSERT_EQ(setProp("phaseFraction", "Vapor", "mole", makeDoubleArray({0.4})), S_OK);
  getProp("phaseFraction", "mass", ECapeThrmPropertyNotAvailableHR);
  // A value set again with fewer values keeps none of the old ones.
  ASSERT_EQ(setProp("ownValues", "Vapor", nullptr, makeDoubleArray({1, 2, 3})), S_OK);
  ASSERT_EQ(setProp("ownValues", "Vapor", nullptr, makeDoubleArray({5})), S_OK);
  EXPECT_EQ(getProp("ownValues", nullptr), std::vector<double>{5});
}

TEST_F(Material, present_phases_keep_their_order_status_and_only_their_values) {
  Variant labels, status;
  ASSERT_EQ(m_thermo->GetPresentPhases(&labels, &status), S_OK);
  EXPECT_EQ(labels.vt, VT_EMPTY);
  EXPECT_EQ(status.vt, VT_EMPTY);
  twoPhases(300, 1e5);
  ASSERT_EQ(m_thermo->SetPresentPhases(makeStringArray({"liquid", "Vapor"}),
                                       makeLongArray({CAPE_ESTIMATES, CAPE_ATEQUILIBRIUM})),
            S_OK);
  ASSERT_EQ(m_thermo->GetPresentPhases(&labels, &status), S_OK);
  EXPECT_EQ(stringList(labels).value(), (std::vector<std::string>{"Liquid", "Vapor"}));
  EXPECT_EQ(longList(status).value(), (std::vector<LONG>{2, 1}));
  EXPECT_EQ(got(m_mo, &IMatObj::GetPhaseStatus, kLiquid), CAPE_ESTIMATES);
  for (const auto& list : {std::vector<std::string>{"Vapor", "Liquid"}, {"Vapor"}}) {
    present(list);  // the arrays are refilled, then replaced; the liquid leaves with its values
    ASSERT_EQ(m_thermo->GetPresentPhases(&labels, &status), S_OK);
    EXPECT_EQ(stringList(labels).value(), list);
  }
  EXPECT_EQ(got(m_mo, &IMatObj::GetPhaseStatus, kLiquid), -1);
  double T = 0, P = 0;
  std::vector<double> x(4);
  EXPECT_EQ(m_mo->GetState(&T, &P, x.data(), kLiquid), ECapeThrmPropertyNotAvailableHR);
  ASSERT_EQ(m_mo->GetState(&T, &P, x.data(), kVapor), S_OK);
  EXPECT_EQ(x, m_x);
  EXPECT_EQ(got(m_mo, &IMatObj::GetPhaseLabel, kVaporLiquid), "Vapor,Liquid");
  EXPECT_EQ(got(m_mo, &IMatObj::GetPhaseIndex, Bstr("LIQUID").get()), kLiquid);
}

TEST_F(Material, created_and_copied_materials_carry_the_state) {
  ASSERT_EQ(m_mo->SetState(310, 2e5, m_x.data(), kOverall), S_OK);
  ASSERT_EQ(m_mo->SetState(310, 2e5, m_x.data(), kVapor), S_OK);
  present({"Vapor"});
  ComPtr<IDispatch> other;
  ASSERT_EQ(m_thermo->CreateMaterial(other.put()), S_OK);
  auto otherMo = other.as<IMatObj>();
  auto otherThermo = other.as<ICapeThermoMaterial>();
  EXPECT_EQ(got(otherMo, &IMatObj::GetCompoundCount), 4);
  double T = 0, P = 0;
  Variant z;
  EXPECT_EQ(otherThermo->GetOverallTPFraction(&T, &P, &z), ECapeThrmPropertyNotAvailableHR);
  IDispatch* source = static_cast<ICapeThermoMaterial*>(m_thermo.get());
  ASSERT_EQ(otherThermo->CopyFromMaterial(&source), S_OK);
  ASSERT_EQ(otherThermo->GetOverallTPFraction(&T, &P, &z), S_OK);
  EXPECT_EQ(T, 310);
  EXPECT_EQ(P, 2e5);
  EXPECT_EQ(doubleList(z).value(), m_x);
  EXPECT_EQ(got(otherMo, &IMatObj::GetPhaseStatus, kVapor), CAPE_UNKNOWNPHASESTATUS);
  IDispatch* none = nullptr;
  EXPECT_EQ(otherThermo->CopyFromMaterial(&none), ECapeInvalidArgumentHR);
  EXPECT_EQ(otherMo->SetPackage(nullptr), S_OK);  // unbinds: no reference cycle left behind
}
