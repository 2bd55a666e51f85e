//! The package on a material that holds only some of its compounds, in another order, one of
//! them under another id (matched by CAS number): compositions are mapped in, results cut
//! down to the material's compounds; and a sweep of states that must end in a value or a
//! CAPE-OPEN error, never in a non-finite number.

#include <cmath>
#include <map>

#include "comlite/object.h"
#include "pr_com_fixture.h"

using namespace prtest;

namespace {

//! A material of two compounds that records what the package writes.
class TwoCompoundMaterial
    : public comlite::ComObject<TwoCompoundMaterial, ICapeThermoMaterial, ICapeThermoCompounds> {
 public:
  std::vector<std::string> ids{"n-butane", "marsh gas"};
  std::vector<std::string> cas{"106-97-8", "74-82-8"};
  std::vector<double> x{0.3, 0.7};
  double T = 300, P = 2e6;
  std::map<std::string, std::vector<double>> written;  //!< "phase|property" -> values
  std::vector<std::string> present{"Vapor", "Liquid"};

  // ICapeThermoMaterial
  HRESULT ClearAllProps() override { return E_NOTIMPL; }
  HRESULT CopyFromMaterial(IDispatch**) override { return E_NOTIMPL; }
  HRESULT CreateMaterial(IDispatch**) override { return E_NOTIMPL; }
  HRESULT GetOverallProp(BSTR property, BSTR, VARIANT* results) override {
    const std::string p = comlite::bstrToUtf8(property);
    if (p == "fraction") return capeside::putVariant(results, capeside::makeDoubleArray(x));
    if (p == "temperature") return capeside::putVariant(results, capeside::makeDoubleArray({T}));
    if (p == "pressure") return capeside::putVariant(results, capeside::makeDoubleArray({P}));
    return E_FAIL;
  }
  HRESULT GetOverallTPFraction(double*, double*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPresentPhases(VARIANT* labels, VARIANT* status) override {
    capeside::putVariant(labels, capeside::makeStringArray(present));
    return capeside::putVariant(status,
                                capeside::makeLongArray(std::vector<LONG>(present.size(), 0)));
  }
  HRESULT GetSinglePhaseProp(BSTR, BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTPFraction(BSTR, double* t, double* p, VARIANT* composition) override {
    *t = T;
    *p = P;
    return capeside::putVariant(composition, capeside::makeDoubleArray(x));
  }
  HRESULT GetTwoPhaseProp(BSTR, VARIANT, BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT SetOverallProp(BSTR property, BSTR, VARIANT values) override {
    return record("Overall", property, values);
  }
  HRESULT SetPresentPhases(VARIANT labels, VARIANT) override {
    present = capeside::stringList(labels).value_or(std::vector<std::string>{});
    return S_OK;
  }
  HRESULT SetSinglePhaseProp(BSTR property, BSTR label, BSTR, VARIANT values) override {
    return record(comlite::bstrToUtf8(label), property, values);
  }
  HRESULT SetTwoPhaseProp(BSTR property, VARIANT, BSTR, VARIANT values) override {
    return record("pair", property, values);
  }
  // ICapeThermoCompounds: only the list is asked for.
  HRESULT GetCompoundConstant(VARIANT, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names, VARIANT* boilTemps,
                          VARIANT* molwts, VARIANT* casnos) override {
    for (VARIANT* none : {formulae, names, boilTemps, molwts})
      capeside::putVariant(none, Variant());
    capeside::putVariant(compIds, capeside::makeStringArray(ids));
    return capeside::putVariant(casnos, capeside::makeStringArray(cas));
  }
  HRESULT GetConstPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetNumCompounds(LONG*) override { return E_NOTIMPL; }
  HRESULT GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetPDependentPropList(VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentProperty(VARIANT, double, VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetTDependentPropList(VARIANT*) override { return E_NOTIMPL; }

 private:
  HRESULT record(const std::string& where, BSTR property, const VARIANT& values) {
    written[where + "|" + comlite::bstrToUtf8(property)] =
        capeside::doubleList(values).value_or(std::vector<double>{});
    return S_OK;
  }
};

class Subset : public PrModule {
 protected:
  void SetUp() override {
    PrModule::SetUp();
    m_package = fromManager("Natural Gas (PR)");
    ASSERT_TRUE(m_package);
    m_fake = ComPtr<TwoCompoundMaterial>::attach(comlite::makeObject<TwoCompoundMaterial>());
    ASSERT_EQ(m_package.as<ICapeThermoMaterialContext>()->SetMaterial(
                  static_cast<ICapeThermoMaterial*>(m_fake.get())),
              S_OK);
    m_model.emplace(pr::CompoundDatabase::load_folder(builtDataFolder()), kNaturalGas);
    // The material's composition in package order: n-butane is compound 3, methane 0.
    m_full.assign(10, 0.0);
    m_full[3] = 0.3;
    m_full[0] = 0.7;
  }
  void TearDown() override { m_package.as<ICapeThermoMaterialContext>()->UnsetMaterial(); }

  ComPtr<IDispatch> m_package;
  ComPtr<TwoCompoundMaterial> m_fake;
  std::optional<pr::PropertyPackage> m_model;
  std::vector<double> m_full;
};

}  // namespace

TEST_F(Subset, properties_are_mapped_to_the_materials_compounds_and_order) {
  auto routine = m_package.as<ICapeThermoPropertyRoutine>();
  ASSERT_EQ(routine->CalcSinglePhaseProp(
                ids({"enthalpy", "fugacityCoefficient", "logFugacityCoefficient.Dmoles"}),
                Bstr("Vapor").get()),
            S_OK);
  m_model->set_state(pr::Phase::Vapour, 300, 2e6, m_full);
  const auto phi = m_model->single_phase_property("fugacityCoefficient", pr::Phase::Vapour);
  const auto dn =
      m_model->single_phase_property("logFugacityCoefficient.Dmoles", pr::Phase::Vapour);
  EXPECT_EQ(m_fake->written["Vapor|enthalpy"],
            m_model->single_phase_property("enthalpy", pr::Phase::Vapour));
  EXPECT_EQ(m_fake->written["Vapor|fugacityCoefficient"], (std::vector<double>{phi[3], phi[0]}));
  EXPECT_EQ(m_fake->written["Vapor|logFugacityCoefficient.Dmoles"],
            (std::vector<double>{dn[33], dn[30], dn[3], dn[0]}));

  Variant lnPhi, dT, dP, dnOut;
  ASSERT_EQ(routine->CalcAndGetLnPhi(Bstr("Vapor").get(), 300, 2e6, reals({0.3, 0.7}),
                                     CAPE_LOG_FUGACITY_COEFFICIENTS, &lnPhi, &dT, &dP, &dnOut),
            S_OK);
  const std::vector<double> l = capeside::doubleList(lnPhi).value();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_NEAR(l[0], std::log(phi[3]), 1e-12);
  EXPECT_NEAR(l[1], std::log(phi[0]), 1e-12);
}

TEST_F(Subset, a_material_compound_the_package_lacks_is_refused) {
  m_fake->ids = {"n-butane", "unobtainium"};
  m_fake->cas = {"106-97-8", "0-00-0"};
  auto context = m_package.as<ICapeThermoMaterialContext>();
  EXPECT_EQ(context->SetMaterial(static_cast<ICapeThermoMaterial*>(m_fake.get())),
            ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(context.get()).description, HasSubstr("\"unobtainium\" (CAS 0-00-0)"));
}

TEST_F(Subset, a_sweep_of_states_ends_in_finite_values_or_cape_errors) {
  auto routine = m_package.as<ICapeThermoPropertyRoutine>();
  auto equilibrium = m_package.as<ICapeThermoEquilibriumRoutine>();
  const auto tp1 = ids({"temperature", "", "Overall"});
  const auto tp2 = ids({"pressure", "", "Overall"});
  int solved = 0;
  // Near the methane critical point (190.56 K, 4.599 MPa) with 0.3 n-butane, and far around it.
  for (double T : {1.0, 60.0, 150.0, 190.5, 190.6, 250.0, 330.0, 425.0, 900.0, 4999.0}) {
    for (double P : {1e-3, 1e3, 1e5, 4.599e6, 4.6e6, 1e7, 1e8, 1e9}) {
      m_fake->T = T;
      m_fake->P = P;
      m_fake->present = {"Vapor", "Liquid"};
      m_fake->written.clear();
      for (const char* label : {"Vapor", "Liquid"}) {
        const HRESULT hr = routine->CalcSinglePhaseProp(
            ids({"enthalpy", "heatCapacityCp", "fugacityCoefficient", "speedOfSound", "viscosity"}),
            Bstr(label).get());
        EXPECT_TRUE(hr == S_OK || (hr >= ECapeUnknownHR && hr <= ECapeThrmPropertyNotAvailableHR))
            << T << " K " << P << " Pa " << label << ": " << hex(hr);
      }
      const HRESULT flash = equilibrium->CalcEquilibrium(tp1, tp2, nullptr);
      EXPECT_TRUE(flash == S_OK ||
                  (flash >= ECapeUnknownHR && flash <= ECapeThrmPropertyNotAvailableHR))
          << T << " K " << P << " Pa: " << hex(flash);
      if (flash == S_OK) ++solved;
      for (const auto& [key, values] : m_fake->written)
        for (double v : values) EXPECT_TRUE(std::isfinite(v)) << key << " at " << T << " K " << P;
    }
  }
  EXPECT_GT(solved, 40);
}
