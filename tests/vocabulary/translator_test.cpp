#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/notice.h"
#include "comlite/object.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_registry.h"
#include "support/temp_env.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/compound_constants.h"
#include "vocabulary/host_property_ids.h"
#include "vocabulary/property_factory.h"

namespace {

//! A host registry that knows a fixed set of names and counts the lookups it answers.
class FakeRegistry : public comlite::ComObject<FakeRegistry, IPropertyEnumerationRegistry> {
 public:
  explicit FakeRegistry(std::set<std::string> known) : m_known(std::move(known)) {}
  HRESULT GetPropertyID(BSTR name, LONG* id) override {
    ++strictLookups;
    return answer(comlite::bstrToUtf8(name), id) ? S_OK : DISP_E_UNKNOWNNAME;
  }
  HRESULT FindPropertyID(BSTR name, LONG* id, LONG) override {
    ++lenientLookups;
    return answer(comlite::bstrToUtf8(name), id) ? S_OK : S_FALSE;
  }
  HRESULT GetPropertyName(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT get_Count(LONG* n) override { return *n = static_cast<LONG>(m_known.size()), S_OK; }
  int strictLookups = 0, lenientLookups = 0;

 private:
  bool answer(const std::string& name, LONG* id) {
    if (!m_known.count(name)) {
      *id = -1;
      return false;
    }
    auto [it, added] = m_ids.emplace(name, static_cast<LONG>(100 + m_ids.size()));
    *id = it->second;
    return true;
  }
  std::set<std::string> m_known;
  std::map<std::string, LONG> m_ids;
};

std::set<std::string> allHostNames() {
  return {"Temperature",
          "Pressure",
          "LnFugacity",
          "LnFugacityCoeff",
          "Enthalpy",
          "Entropy",
          "MolarVolume",
          "Cp",
          "Cv",
          "Viscosity",
          "ThermalConductivity",
          "PhaseFraction",
          "LnActivityCoeff",
          "SurfaceTension",
          "ZFactor",
          "Gibbs",
          "Helmholtz",
          "dT",
          "dP",
          "dN",
          "dX",
          "VP",
          "SP"};
}

//! A host component that answers "MW", or fails when asked to.
class FakeComponent : public comlite::ComObject<FakeComponent, IRvlComponent> {
 public:
  HRESULT GetPropertyValue(BSTR name, double T, double P, double* value) override {
    lastName = comlite::bstrToUtf8(name), lastT = T, lastP = P;
    if (fail) return E_INVALIDARG;
    *value = mw;
    return S_OK;
  }
  double mw = 18.015;
  bool fail = false;
  std::string lastName;
  double lastT = 0, lastP = 0;
};

class Translators : public ::testing::Test {
 protected:
  void SetUp() override {
    m_old = comlite::setNoticeSink(
        [this](const std::string& text, const std::string&, UINT) { notices.push_back(text); });
    CRVLUtils::resetCoreProperties();
  }
  void TearDown() override { comlite::setNoticeSink(m_old); }
  bool noticed(const std::string& part) const {
    for (auto& n : notices)
      if (n.find(part) != std::string::npos) return true;
    return false;
  }
  testsupport::TempDir dir;
  testsupport::ScopedEnv data{"XDG_DATA_HOME", dir.path()};
  std::vector<std::string> notices;
  comlite::NoticeSink m_old;
};

CCOPropertyTranslator& row(LONG coId) {
  auto* t = propertyFactory().findByCOId(coId);
  EXPECT_NE(t, nullptr) << COIds::id2cstr(coId);
  return *t;
}

}  // namespace

TEST_F(Translators, units_logarithms_and_pressure_derivatives_of_the_table) {
  auto& pressure = row(COIds::PropPressure);
  EXPECT_DOUBLE_EQ(pressure.CO2QO(101325, nullptr, 0), 101.325);
  EXPECT_DOUBLE_EQ(pressure.QO2CO(101.325, nullptr, 0), 101325);
  auto& phi = row(COIds::PropFugacityCoefficient);
  EXPECT_DOUBLE_EQ(phi.CO2QO(0.5, nullptr, 0), std::log(0.5));
  EXPECT_EQ(phi.CO2QO(0.0, nullptr, 0), -70.0);
  EXPECT_EQ(phi.QO2CO(-70.0, nullptr, 0), 1e-30);
  EXPECT_DOUBLE_EQ(row(COIds::PropFugacity).CO2QO(200000, nullptr, 0), std::log(200.0));
  EXPECT_DOUBLE_EQ(row(COIds::PropLogFugacity).CO2QO(std::log(200000.0), nullptr, 0),
                   std::log(200.0));
  auto& volume = row(COIds::PropVolume);
  EXPECT_DOUBLE_EQ(volume.CO2QO(-1e-9, nullptr, COIds::PropPressure), -1e-3);
  EXPECT_DOUBLE_EQ(volume.CO2QO(-1e-9, nullptr, COIds::PropTemperature), -1e-6);
  EXPECT_DOUBLE_EQ(row(COIds::PropLogFugacity).CO2QO(2.0, nullptr, COIds::PropPressure), 2000.0);
  // Round numbers that equal a guarded limit are ordinary values; only a limit of the
  // guarded logarithm or exponential is a marker.
  EXPECT_DOUBLE_EQ(pressure.QO2CO(70.0, nullptr, 0), 70000.0);
  EXPECT_DOUBLE_EQ(pressure.CO2QO(70.0, nullptr, 0), 0.07);
  EXPECT_DOUBLE_EQ(row(COIds::PropViscosity).CO2QO(70.0, nullptr, 0), 70000.0);
  EXPECT_DOUBLE_EQ(row(COIds::PropDensity).CO2QO(70.0, nullptr, 0), 0.07);
  EXPECT_DOUBLE_EQ(volume.CO2QO(1e30, nullptr, COIds::PropPressure), 1e36);
  EXPECT_DOUBLE_EQ(volume.CO2QO(70.0, nullptr, COIds::PropTemperature), 70000.0);
  EXPECT_EQ(row(COIds::PropFugacity).QO2CO(70.0, nullptr, 0), 1e30);
  EXPECT_EQ(row(COIds::PropFugacity).QO2CO(-75.0, nullptr, 0), 1e-30);
  EXPECT_DOUBLE_EQ(row(COIds::PropFugacity).QO2CO(std::log(200.0), nullptr, 0), 200000.0);
  EXPECT_DOUBLE_EQ(row(COIds::PropViscosity).CO2QO(1e-3, nullptr, 0), 1.0);        // cP
  EXPECT_DOUBLE_EQ(row(COIds::PropSurfaceTension).CO2QO(0.02, nullptr, 0), 20.0);  // dyne/cm
  EXPECT_DOUBLE_EQ(row(COIds::PropDensity).CO2QO(1000, nullptr, 0), 1.0);          // kmol/m3
  EXPECT_TRUE(notices.empty());
}

TEST_F(Translators, every_row_and_constant_round_trips_with_derivatives) {
  EXPECT_EQ(propertyFactory().count(), 34);  // even before a registry
  EXPECT_EQ(propertyFactory().get(34), nullptr);
  auto* component = comlite::makeObject<FakeComponent>();
  const double samples[] = {0.5, 1.0, 3.7e-3, 250.0, 101325.0, 4.2e6};
  for (LONG i = 0; i < propertyFactory().count(); ++i) {
    auto* t = propertyFactory().get(i);
    for (double x : samples)
      for (LONG variable :
           {0, static_cast<LONG>(COIds::PropTemperature), static_cast<LONG>(COIds::PropPressure)}) {
        const double back = t->QO2CO(t->CO2QO(x, component, variable), component, variable);
        // A derivative of a logarithmic row needs the value itself: refused, never guessed.
        if (variable != 0 && t->logMode() != 0)
          EXPECT_TRUE(std::isnan(back)) << COIds::id2cstr(t->coId());
        else
          EXPECT_NEAR(back, x, 1e-9 * std::fabs(x)) << COIds::id2cstr(t->coId()) << " " << x;
      }
  }
  for (const auto& r : compoundConstantRows()) {
    CRVLCProp t;
    t.setCOId(r.coId);
    t.setConversion(r.multiplier, 0.0, 1.0);
    t.setExponent(r.exponent);
    t.setBasisMode(r.basisMode);
    for (double x : samples)
      EXPECT_NEAR(t.QO2CO(t.CO2QO(x, component, 0), component, 0), x, 1e-9 * x)
          << COIds::id2cstr(r.coId);
  }
  component->Release();
  EXPECT_TRUE(notices.empty());
}

TEST_F(Translators, constant_conversions_give_host_units) {
  auto* water = comlite::makeObject<FakeComponent>();
  auto convert = [&](LONG coId, double value, IUnknown* c = nullptr) {
    for (const auto& r : compoundConstantRows())
      if (r.coId == coId) {
        CRVLCProp t;
        t.setCOId(coId);
        t.setConversion(r.multiplier, 0.0, 1.0);
        t.setExponent(r.exponent);
        t.setBasisMode(r.basisMode);
        return t.CO2QO(value, c, 0);
      }
    return std::nan("");
  };
  EXPECT_DOUBLE_EQ(convert(COIds::ConstCriticalPressure, 4.6e6), 4600);
  EXPECT_DOUBLE_EQ(convert(COIds::ConstCriticalVolume, 0.0986), 98.6);
  EXPECT_NEAR(convert(COIds::ConstCriticalDensity, 10140), 0.0986193, 1e-6);
  EXPECT_NEAR(convert(COIds::ConstLiquidDensityAt25C, 55000, water), 55 * 18.015, 1e-9);
  EXPECT_EQ(water->lastName, "MW");
  EXPECT_EQ(water->lastT, 273.15);
  EXPECT_EQ(water->lastP, 101.325);
  EXPECT_NEAR(convert(COIds::ConstDipoleMoment, 6.17e-30), 1.85, 0.01);
  EXPECT_NEAR(convert(COIds::ConstGyrationRadius, 6.15e-11), 0.615, 1e-12);
  EXPECT_TRUE(notices.empty());
  // No value goes on that the host would take as real: without a component, with a failed
  // molecular weight, from a value that is not finite, or to infinity.
  EXPECT_TRUE(std::isnan(convert(COIds::ConstLiquidDensityAt25C, 55000)));
  EXPECT_TRUE(
      noticed("Property liquidDensityAt25C requires MW and Component pointer was not "
              "provided"));
  water->fail = true;
  EXPECT_TRUE(std::isnan(convert(COIds::ConstLiquidDensityAt25C, 55000, water)));
  EXPECT_TRUE(noticed("GetMW failed"));
  water->fail = false;
  water->mw = std::nan("");
  EXPECT_TRUE(std::isnan(convert(COIds::ConstLiquidDensityAt25C, 55000, water)));
  EXPECT_TRUE(std::isnan(convert(COIds::ConstCriticalDensity, 0.0)));
  EXPECT_TRUE(std::isnan(convert(COIds::ConstCriticalPressure, std::nan(""))));
  EXPECT_TRUE(std::isnan(convert(COIds::ConstCriticalPressure, INFINITY)));
  EXPECT_TRUE(std::isnan(row(COIds::PropPressure).QO2CO(std::nan(""), nullptr, 0)));
  // An id without text names no property in the report, and does not crash.
  CRVLCProp nameless;
  nameless.setCOId(178);
  nameless.setBasisMode(1);
  EXPECT_TRUE(std::isnan(nameless.CO2QO(1.0, nullptr, 0)));
  EXPECT_TRUE(noticed("Property  requires MW"));
  water->Release();
}

TEST_F(Translators, molecular_weight_failures_are_defined) {
  CRVLProperty t;
  try {
    t.getMW(nullptr);
    FAIL() << "no error for a null component";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_POINTER);
  }
  auto* registry = comlite::makeObject<FakeRegistry>(std::set<std::string>{});
  try {
    t.getMW(registry);  // an object without the host component interface
    FAIL() << "no error for a foreign object";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_POINTER);
  }
  registry->Release();
  auto* failing = comlite::makeObject<FakeComponent>();
  failing->fail = true;
  EXPECT_EQ(t.getMW(failing), -32767.0);
  EXPECT_TRUE(noticed("GetMW failed"));
  failing->Release();
  CCOProperty plain;
  EXPECT_EQ(plain.getMW(nullptr), 0.0);
  EXPECT_TRUE(noticed("Only RVLproperties are allowed to convert mass/mole"));
  plain.setConversion(0.0, 0.0, 1.0);
  EXPECT_TRUE(noticed("CCOProperty: m_QO2COMoleMult==0.0 || m_QO2COMassMult==0.0"));
  EXPECT_EQ(plain.CO2QO(5.0, nullptr, 0), 0.0);
}

TEST_F(Translators, registration_names_ids_and_strict_failures) {
  auto* registry = comlite::makeObject<FakeRegistry>(allHostNames());
  CRVLPropertyFactory factory;
  factory.registerAll(registry);
  EXPECT_EQ(registry->lenientLookups, 10);  // core check: ten lenient names
  auto* temperature = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropTemperature));
  EXPECT_EQ(temperature->rvlName(), "Temperature");
  EXPECT_GT(temperature->rvlId(), 0);
  auto* k = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropKvalue));
  auto* phi = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropFugacityCoefficient));
  EXPECT_EQ(k->rvlName(), "LnFugacityCoeff");
  EXPECT_EQ(k->rvlId(), phi->rvlId());  // one host quantity, two translators
  EXPECT_EQ(factory.findByRVLId(temperature->rvlId()), temperature);
  auto* density = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropDensity));
  EXPECT_EQ(density->rvlName(), "");
  EXPECT_EQ(density->rvlId(), 0);

  // A second attachment does not check the core names again.
  const int before = registry->lenientLookups;
  factory.setRegistry(registry);
  EXPECT_EQ(registry->lenientLookups, before);

  // An id without a translator, and a strict lookup of an unknown name.
  EXPECT_EQ(registerRVLid(factory, COIds::PropFlow, "Flow", true), -1);
  EXPECT_TRUE(noticed("in registerRVLid, CO prop not found"));
  EXPECT_THROW(
      {
        try {
          registerRVLid(factory, COIds::PropEnthalpy, "NoSuchName", true);
        } catch (CTHCOMError* e) {
          auto owned = CTHCOMError::adopt(e);
          EXPECT_EQ(owned->status(), DISP_E_UNKNOWNNAME);
          throw;
        }
      },
      CTHCOMError*);
  auto* enthalpy = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropEnthalpy));
  EXPECT_EQ(enthalpy->rvlId(), -1);
  EXPECT_EQ(enthalpy->rvlName(), "Enthalpy");  // the old name stays
  registry->Release();
}

TEST_F(Translators, core_check_reports_missing_names_and_aborts_on_transport_properties) {
  auto names = allHostNames();
  names.erase("Cv");
  auto* partial = comlite::makeObject<FakeRegistry>(names);
  EXPECT_EQ(CRVLUtils::checkCoreProperties(partial), 0);
  EXPECT_TRUE(noticed("RVL Property not found: Cv"));
  partial->Release();

  CRVLUtils::resetCoreProperties();
  names = allHostNames();
  names.erase("Viscosity");
  auto* noViscosity = comlite::makeObject<FakeRegistry>(names);
  CRVLPropertyFactory factory;
  try {
    factory.setRegistry(noViscosity);
    FAIL() << "a registry without Viscosity was accepted";
  } catch (CTHCOMError* e) {
    EXPECT_EQ(CTHCOMError::adopt(e)->status(), DISP_E_UNKNOWNNAME);
  }
  EXPECT_EQ(factory.registry(), nullptr);
  noViscosity->Release();
}

TEST_F(Translators, constant_and_derivative_factories_fill_once) {
  auto* registry = comlite::makeObject<FakeRegistry>(allHostNames());
  CRVLCPropFactory& constants = constantFactory();
  constants.initialise(registry);
  ASSERT_EQ(constants.count(), 20);
  auto* vc = dynamic_cast<CRVLProperty*>(constants.findByCOId(COIds::ConstCriticalVolume));
  auto* rho = dynamic_cast<CRVLProperty*>(constants.findByCOId(COIds::ConstCriticalDensity));
  EXPECT_NE(vc, rho);
  EXPECT_EQ(vc->rvlName(), "VC");
  EXPECT_EQ(rho->rvlName(), "VC");
  EXPECT_EQ(vc->rvlId(), -1);  // constants get no host id
  EXPECT_EQ(dynamic_cast<CRVLProperty*>(constants.findByCOId(COIds::ConstIupacName))->rvlName(),
            "IupacName");
  EXPECT_GT(dynamic_cast<CRVLProperty*>(constants.findByCOId(COIds::TDepVaporPressure))->rvlId(),
            0);
  EXPECT_EQ(constants.addConstant(COIds::PropIdealGasHeatCapacity, "X", 1, 0), nullptr);
  EXPECT_EQ(constants.count(), 20);
  const int strict = registry->strictLookups;
  constants.initialise(registry);
  EXPECT_EQ(registry->strictLookups, strict);

  CRVLDPropFactory& derivatives = derivativeFactory();
  derivatives.initialise(registry);
  ASSERT_EQ(derivatives.count(), 4);
  EXPECT_EQ(derivatives.get(2)->coId(), COIds::PdMoles);
  EXPECT_EQ(dynamic_cast<CRVLProperty*>(derivatives.get(3))->rvlName(), "dX");
  registry->Release();
}

namespace {

class FakeArray : public comlite::ComObject<FakeArray, IRealArrayDisp> {
 public:
  HRESULT get_Count(LONG* n) override { return *n = static_cast<LONG>(values.size()), S_OK; }
  HRESULT SetSize(LONG n) override {
    ++calls;
    if (n < 0) return E_INVALIDARG;
    values.resize(static_cast<std::size_t>(n));
    return S_OK;
  }
  HRESULT get_IthValue(LONG i, double* v) override {
    ++calls;
    if (i < 0 || i >= static_cast<LONG>(values.size()) || i == failAt) return DISP_E_BADINDEX;
    *v = values[static_cast<std::size_t>(i)];
    return S_OK;
  }
  HRESULT put_IthValue(LONG i, double v) override {
    ++calls;
    if (i < 0 || i >= static_cast<LONG>(values.size()) || i == failAt) return DISP_E_BADINDEX;
    values[static_cast<std::size_t>(i)] = v;
    return S_OK;
  }
  std::vector<double> values;
  LONG failAt = -1;
  int calls = 0;
};

}  // namespace

TEST_F(Translators, real_array_transfers_stop_at_the_first_failure) {
  auto* array = comlite::makeObject<FakeArray>();
  const double in[] = {1.5, 2.5, 3.5};
  EXPECT_EQ(CRVLUtils::setRealArray(array, in, 3), S_OK);
  EXPECT_EQ(array->values, std::vector<double>(in, in + 3));
  double out[3] = {0, 0, 0};
  array->calls = 0;
  EXPECT_EQ(CRVLUtils::getRealArray(array, out, 0), S_OK);
  EXPECT_EQ(array->calls, 0);
  array->failAt = 1;
  EXPECT_EQ(CRVLUtils::getRealArray(array, out, 3), DISP_E_BADINDEX);
  EXPECT_EQ(out[0], 1.5);
  EXPECT_EQ(out[2], 0.0);  // not read after the failure
  EXPECT_TRUE(noticed("Unexpected error "));
  EXPECT_EQ(CRVLUtils::setRealArray(nullptr, in, 3), E_POINTER);
  array->Release();
}
