#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
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
  std::istringstream in(
      "Temperature Pressure LnFugacity LnFugacityCoeff Enthalpy Entropy MolarVolume Cp Cv "
      "Viscosity ThermalConductivity PhaseFraction LnActivityCoeff SurfaceTension ZFactor Gibbs "
      "Helmholtz dT dP dN dX VP SP");
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
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

//! The translator of a compound constant, set up from its row.
CRVLCProp constantTranslator(const CompoundConstantRow& r) {
  CRVLCProp t;
  t.setCOId(r.coId);
  t.setConversion(r.multiplier, 0.0, 1.0);
  t.setExponent(r.exponent);
  t.setBasisMode(r.basisMode);
  return t;
}

//! The status of the error `f` throws, S_OK when it throws none.
template <class F>
HRESULT statusThrown(F&& f) {
  try {
    f();
  } catch (const comlite::ComError& e) {
    return e.status();
  } catch (CTHCOMError* e) {
    return CTHCOMError::adopt(e)->status();
  }
  return S_OK;
}

CCOPropertyTranslator& row(LONG coId) {
  auto* t = propertyFactory().findByCOId(coId);
  EXPECT_NE(t, nullptr) << COIds::id2cstr(coId);
  return *t;
}

}  // namespace

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
    CRVLCProp t = constantTranslator(r);
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
      if (r.coId == coId) return constantTranslator(r).CO2QO(value, c, 0);
    return std::nan("");
  };
  // Critical pressure and volume reach the host in kPa and m3/kmol in the package tests.
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
  auto status = [&](IUnknown* component) { return statusThrown([&] { t.getMW(component); }); };
  EXPECT_EQ(status(nullptr), E_POINTER);
  auto* registry = comlite::makeObject<FakeRegistry>(std::set<std::string>{});
  EXPECT_EQ(status(registry), E_POINTER);  // an object without the host component interface
  registry->Release();
  CCOProperty plain;
  EXPECT_EQ(plain.getMW(nullptr), 0.0);
  EXPECT_TRUE(noticed("Only RVLproperties are allowed to convert mass/mole"));
  plain.setConversion(0.0, 0.0, 1.0);
  EXPECT_TRUE(noticed("CCOProperty: m_QO2COMoleMult==0.0 || m_QO2COMassMult==0.0"));
  EXPECT_EQ(plain.CO2QO(5.0, nullptr, 0), 0.0);
}

// Names and ids of a working registration reach the host in every calculation test; here the
// failures only a registry that lacks names can show.
TEST_F(Translators, registration_failures_are_told_and_a_registry_without_viscosity_is_refused) {
  auto without = [](const char* name) {
    auto names = allHostNames();
    names.erase(name);
    return comlite::ComPtr<IPropertyEnumerationRegistry>::attach(
        comlite::makeObject<FakeRegistry>(names));
  };
  EXPECT_EQ(CRVLUtils::checkCoreProperties(without("Cv").get()), 0);
  EXPECT_TRUE(noticed("RVL Property not found: Cv"));
  CRVLUtils::resetCoreProperties();
  CRVLPropertyFactory factory;
  factory.registerAll(without("NotAHostName").get());
  // An id without a translator, and a strict lookup of an unknown name: the old name stays.
  EXPECT_EQ(registerRVLid(factory, COIds::PropFlow, "Flow", true), -1);
  EXPECT_TRUE(noticed("in registerRVLid, CO prop not found"));
  EXPECT_EQ(statusThrown([&] { registerRVLid(factory, COIds::PropEnthalpy, "NoSuchName", true); }),
            DISP_E_UNKNOWNNAME);
  auto* enthalpy = dynamic_cast<CRVLProperty*>(factory.findByCOId(COIds::PropEnthalpy));
  EXPECT_EQ(enthalpy->rvlId(), -1);
  EXPECT_EQ(enthalpy->rvlName(), "Enthalpy");

  CRVLUtils::resetCoreProperties();
  CRVLPropertyFactory other;
  EXPECT_EQ(statusThrown([&] { other.setRegistry(without("Viscosity").get()); }),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(other.registry(), nullptr);
}

//! A host array of doubles, with or without the block interface of the host's own arrays.
class HostArray : public comlite::ComObject<HostArray, IRealArrayDisp, IRealArrayBlock> {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IRealArrayBlock::kIID && !block) return *ppv = nullptr, E_NOINTERFACE;
    return ComObject::QueryInterface(riid, ppv);
  }
  HRESULT get_Count(LONG* n) override { return *n = LONG(values.size()), S_OK; }
  HRESULT SetSize(LONG n) override { return values.resize(std::size_t(n)), S_OK; }
  HRESULT get_IthValue(LONG i, double* v) override {
    ++reads;
    return i == failAt ? E_UNEXPECTED : (*v = values.at(std::size_t(i)), S_OK);
  }
  HRESULT put_IthValue(LONG i, double v) override { return values.at(std::size_t(i)) = v, S_OK; }
  HRESULT GetValues(LONG n, double* v) override {
    if (std::size_t(n) != values.size()) return E_INVALIDARG;
    return std::copy(values.begin(), values.end(), v), S_OK;
  }
  HRESULT SetValues(LONG n, const double* v) override { return values.assign(v, v + n), S_OK; }
  std::vector<double> values{0.1, 0.2, 0.3};
  bool block = true;
  LONG failAt = -1;
  int reads = 0;
};

TEST_F(Translators, host_arrays_are_read_as_a_block_where_offered_else_value_by_value) {
  struct Case {
    bool block;
    LONG count, failAt;
    int reads;  // element reads expected
    HRESULT status;
  } cases[] = {{true, 3, -1, 0, S_OK},           // the whole block
               {true, 2, -1, 2, S_OK},           // fewer than it holds: by index
               {false, 3, -1, 3, S_OK},          // a host array without the block
               {false, 3, 1, 2, E_UNEXPECTED}};  // a failing element stops the read
  for (const Case& c : cases) {
    auto array = comlite::ComPtr<HostArray>::attach(comlite::makeObject<HostArray>());
    array->block = c.block;
    array->failAt = c.failAt;
    std::vector<double> got(3, -1.0);
    EXPECT_EQ(CRVLUtils::getRealArray(array.get(), got.data(), c.count), c.status);
    EXPECT_EQ(array->reads, c.reads);
    if (c.status == S_OK) {
      EXPECT_EQ(got[std::size_t(c.count - 1)], array->values[std::size_t(c.count - 1)]);
    }
  }
  EXPECT_TRUE(noticed("Unexpected error"));
}
