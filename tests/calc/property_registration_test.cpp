#include "calc/property_registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "errors/method_guard.h"
#include "errors/ravl_error.h"
#include "errors/thcom_error.h"
#include "frame/host_interfaces.h"
#include "outside/adapter.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_registry.h"
#include "support/module_fixture.h"
#include "util/set_get.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"
#include "vocabulary/property_translator.h"

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;
namespace calc = coravl::calc;
using coravl::frame::kNotRegistered;
using coravl::frame::RegisteredProperty;

namespace {

//! The component's registration members, as the package component holds them.
struct Members {
  Members() { hostIds.fill(kNotRegistered); }
  std::array<LONG, calc::kDerivativeVariableCount> derivativeIds{};
  std::array<LONG, calc::kHostPropertyCount> hostIds{};
  LONG fallback = 0;
  std::array<RegisteredProperty, coravl::frame::kMaxRegisteredProperties> table{};
  LONG count = 0;
  calc::RegistrationState state{derivativeIds, hostIds, fallback, table, count};
};

//! A string list as the adapter hands "SelectedProperties".
Variant listOf(const std::vector<std::string>& names) {
  Variant v;
  EXPECT_EQ(SetGet::Create(v, VT_BSTR, static_cast<LONG>(names.size())), S_OK);
  for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
    Bstr s(names[static_cast<std::size_t>(i)]);
    EXPECT_EQ(SafeArrayPutElement(v.parray, &i, s.get()), S_OK);
  }
  return v;
}

//! The host registry, failing the strict registration of one name.
class PickyRegistry : public comlite::ComObject<PickyRegistry, IPropertyEnumerationRegistry> {
 public:
  PickyRegistry(ComPtr<IPropertyEnumerationRegistry> real, std::string refused)
      : m_real(std::move(real)), m_refused(std::move(refused)) {}
  HRESULT GetPropertyID(BSTR name, LONG* id) override {
    if (comlite::bstrToUtf8(name) == m_refused) {
      *id = ravelin::kNoPropertyId;
      return DISP_E_UNKNOWNNAME;
    }
    return m_real->GetPropertyID(name, id);
  }
  HRESULT FindPropertyID(BSTR name, LONG* id, LONG flags) override {
    return m_real->FindPropertyID(name, id, flags);
  }
  HRESULT GetPropertyName(LONG id, BSTR* name) override {
    return m_real->GetPropertyName(id, name);
  }
  HRESULT get_Count(LONG* n) override { return m_real->get_Count(n); }

 private:
  ComPtr<IPropertyEnumerationRegistry> m_real;
  std::string m_refused;
};

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("ravelin"), S_OK);
    ASSERT_EQ(CoCreateInstance(ravelin::kClsidPropertyRegistry, nullptr, CLSCTX_INPROC_SERVER,
                               IPropertyEnumerationRegistry::kIID, m_registry.putVoid()),
              S_OK);
    m_env.notices.clear();
  }

  //! The host's id of a name.
  LONG hostId(const char* name) {
    LONG id = 0;
    EXPECT_EQ(m_registry->GetPropertyID(Bstr(name).get(), &id), S_OK) << name;
    return id;
  }
  IDispatch* registry() { return m_registry.get(); }
  //! Registers for a package supporting `names`.
  void registerFor(Members& m, const std::vector<std::string>& names) {
    const Variant list = listOf(names);
    ASSERT_NO_THROW(calc::registerProperties(registry(), list, m.state));
  }
  const RegisteredProperty* record(const Members& m, const char* hostName) {
    return calc::findRegistered(m.state, hostId(hostName));
  }
  bool noticed(const std::string& text) const {
    for (const auto& n : m_env.notices)
      if (n.text.find(text) != std::string::npos) return true;
    return false;
  }

  testsupport::ModuleEnvironment m_env;
  ComPtr<IPropertyEnumerationRegistry> m_registry;
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
};

const std::vector<std::string> kEmptyNames = {"", "", "", "", ""};

}  // namespace

TEST_F(Registration, every_name_gets_the_hosts_id_and_the_factories_fill) {
  Members m;
  registerFor(m, {"enthalpy", "heatCapacityCp", "volume", "logFugacity", "fugacity"});
  const char* derivatives[] = {"dT", "dP", "dN", "dX"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(m.derivativeIds[i], hostId(derivatives[i]));
  // The 21 unconditional names; the three conditional ones are not wanted by this package.
  ASSERT_EQ(m.count, 21);
  for (int i = 0; i < 21; ++i) {
    const LONG id = hostId(calc::hostPropertyName(i));
    EXPECT_EQ(m.hostIds[i], id) << calc::hostPropertyName(i);
    EXPECT_EQ(m.table[i].hostId, id) << i;
    EXPECT_EQ(m.table[i].translator, propertyFactory().findByCOId(m.table[i].coId)) << i;
  }
  for (int i : {calc::HostKFactor, calc::HostHDT, calc::HostMolarDensity})
    EXPECT_EQ(m.hostIds[i], kNotRegistered) << calc::hostPropertyName(i);
  EXPECT_EQ(constantFactory().count(), 20);
  EXPECT_EQ(derivativeFactory().count(), 4);
  auto* temperature =
      dynamic_cast<CRVLProperty*>(propertyFactory().findByCOId(COIds::PropTemperature));
  ASSERT_NE(temperature, nullptr);
  EXPECT_EQ(temperature->rvlId(), hostId("Temperature"));
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Registration, proposed_properties_and_what_is_supported) {
  Members m;
  registerFor(m, {"enthalpy", "enthalpy.Dtemperature", "enthalpy.Dpressure", "enthalpy.Dmoles",
                  "heatCapacityCp", "volume", "logFugacity"});
  const RegisteredProperty* h = record(m, "Enthalpy");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->coId, COIds::PropEnthalpy);
  EXPECT_TRUE(h->supported);
  EXPECT_EQ(h->names, (std::array<std::string, 5>{"enthalpy", "enthalpy.Dtemperature",
                                                  "enthalpy.Dpressure", "", "enthalpy.Dmoles"}));
  // Unsupported: the record still names its property, for the derived calculation modes.
  const RegisteredProperty* mu = record(m, "Viscosity");
  ASSERT_NE(mu, nullptr);
  EXPECT_FALSE(mu->supported);
  EXPECT_EQ(mu->names[0], "viscosity");
  EXPECT_EQ(mu->names[1], "");
  // The table order of the proposals; without log fugacity coefficients, "LnFugacityCoeff" is
  // served by the fugacity coefficient.
  for (int i = 0; i < 21; ++i) {
    const LONG expected =
        i == calc::HostLnFugacityCoeff ? COIds::PropFugacityCoefficient : calc::proposedCOId(i);
    EXPECT_EQ(m.table[i].coId, expected) << i;
  }
  EXPECT_EQ(record(m, "StdLiqVolume")->translator, nullptr);  // a constant, not translated here
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("Enthalpy")), 0);
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("Viscosity")), 1);
  EXPECT_EQ(calc::canCalculateStatus(m.state, 123456), 1);  // never registered
}

TEST_F(Registration, fugacity_coefficient_serves_both_fugacity_names) {
  Members m;
  registerFor(
      m, {"fugacityCoefficient", "fugacityCoefficient.Dtemperature", "heatCapacityCp", "volume"});
  const RegisteredProperty* lnf = record(m, "LnFugacity");
  ASSERT_NE(lnf, nullptr);
  EXPECT_EQ(lnf->coId, COIds::PropFugacityCoefficient);
  EXPECT_TRUE(lnf->supported);
  EXPECT_EQ(m.fallback, 1);
  EXPECT_EQ(lnf->translator, propertyFactory().findByCOId(COIds::PropFugacityCoefficient));
  // A fallback offers no derivatives.
  EXPECT_EQ(lnf->names, (std::array<std::string, 5>{"fugacityCoefficient", "", "", "", ""}));
  const RegisteredProperty* lnphi = record(m, "LnFugacityCoeff");
  ASSERT_NE(lnphi, nullptr);
  EXPECT_EQ(lnphi->coId, COIds::PropFugacityCoefficient);
  EXPECT_TRUE(lnphi->supported);
  EXPECT_EQ(lnphi->names[1], "");
  // With fugacity coefficients the host asks for no K-values.
  EXPECT_EQ(m.hostIds[calc::HostKFactor], kNotRegistered);
  EXPECT_EQ(record(m, "KFactor"), nullptr);
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("KFactor")), 1);
  EXPECT_EQ(m.count, 21);
}

TEST_F(Registration, the_other_fugacity_fallbacks) {
  {
    SCOPED_TRACE("log fugacity coefficient only");
    Members m;
    registerFor(m, {"logFugacityCoefficient", "logFugacityCoefficient.Dtemperature"});
    EXPECT_EQ(record(m, "LnFugacity")->coId, COIds::PropLogFugacityCoefficient);
    EXPECT_TRUE(record(m, "LnFugacity")->supported);
    EXPECT_EQ(record(m, "LnFugacity")->names[1], "");
    EXPECT_EQ(m.fallback, 1);
    EXPECT_EQ(record(m, "LnFugacityCoeff")->coId, COIds::PropLogFugacityCoefficient);
    EXPECT_EQ(record(m, "LnFugacityCoeff")->names[1], "logFugacityCoefficient.Dtemperature");
  }
  {
    SCOPED_TRACE("fugacity serves the log fugacity, without the fallback flag");
    Members m;
    registerFor(m, {"fugacity"});
    EXPECT_EQ(record(m, "LnFugacity")->coId, COIds::PropFugacity);
    EXPECT_TRUE(record(m, "LnFugacity")->supported);
    EXPECT_EQ(m.fallback, 0);
  }
  {
    SCOPED_TRACE("log fugacity itself leaves the flag alone");
    Members m;
    m.fallback = 1;
    registerFor(m, {"logFugacity"});
    EXPECT_EQ(record(m, "LnFugacity")->coId, COIds::PropLogFugacity);
    EXPECT_EQ(m.fallback, 1);
  }
  {
    SCOPED_TRACE("nothing of the family");
    Members m;
    m.fallback = 1;
    registerFor(m, {"enthalpy"});
    EXPECT_EQ(record(m, "LnFugacity")->coId, COIds::PropFugacityCoefficient);
    EXPECT_FALSE(record(m, "LnFugacity")->supported);
    EXPECT_FALSE(record(m, "LnFugacityCoeff")->supported);
    EXPECT_EQ(m.fallback, 0);
  }
}

TEST_F(Registration, conditional_names_follow_what_is_missing) {
  {
    SCOPED_TRACE("K-values without any fugacity-type property");
    Members m;
    registerFor(m, {"kvalue", "heatCapacityCp", "volume"});
    const RegisteredProperty* k = record(m, "KFactor");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->coId, COIds::PropKvalue);
    EXPECT_TRUE(k->supported);
    EXPECT_EQ(m.hostIds[calc::HostKFactor], hostId("KFactor"));
    EXPECT_EQ(m.count, 22);
  }
  {
    SCOPED_TRACE("heat capacity through the enthalpy derivative, volume through density");
    Members m;
    registerFor(m, {"enthalpy", "enthalpy.Dtemperature", "density", "activityCoefficient"});
    const RegisteredProperty* hdt = record(m, "H.DT");
    ASSERT_NE(hdt, nullptr);
    EXPECT_EQ(hdt->coId, COIds::PropEnthalpyDtemperature);
    EXPECT_TRUE(hdt->supported);
    EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("Cp")), 1);
    EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("H.DT")), 0);
    const RegisteredProperty* rho = record(m, "MolarDensity");
    ASSERT_NE(rho, nullptr);
    EXPECT_TRUE(rho->supported);
    EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("MolarVolume")), 1);
    EXPECT_EQ(record(m, "KFactor"), nullptr);  // activity coefficients are there
    EXPECT_EQ(m.count, 23);
    // H.DT and MolarDensity take the last two records, in that order.
    EXPECT_EQ(m.table[21].hostId, hostId("H.DT"));
    EXPECT_EQ(m.table[22].hostId, hostId("MolarDensity"));
  }
}

TEST_F(Registration, a_second_registration_changes_nothing) {
  Members m;
  registerFor(m, {"enthalpy", "heatCapacityCp", "volume"});
  const auto table = m.table;
  const auto ids = m.hostIds;
  const LONG count = m.count;
  EXPECT_EQ(calc::initializePropertyID(registry(), listOf({"kvalue", "density"}), m.state, m_guard),
            S_OK);
  EXPECT_EQ(m.count, count);
  EXPECT_EQ(m.hostIds, ids);
  for (LONG i = 0; i < count; ++i) {
    EXPECT_EQ(m.table[i].coId, table[i].coId);
    EXPECT_EQ(m.table[i].supported, table[i].supported);
    EXPECT_EQ(m.table[i].names, table[i].names);
  }
  // Not even a registry is needed then.
  EXPECT_NO_THROW(calc::registerProperties(nullptr, listOf({}), m.state));
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Registration, names_beyond_thirty_records_are_registered_without_a_record) {
  Members m;
  m.count = 28;
  registerFor(m, {"enthalpy", "entropy"});
  EXPECT_EQ(m.count, 30);
  EXPECT_EQ(m.table[28].hostId, hostId("Enthalpy"));
  EXPECT_EQ(m.table[29].hostId, hostId("Entropy"));
  EXPECT_TRUE(m.table[29].supported);
  // Every later name still has its host id.
  EXPECT_EQ(m.hostIds[calc::HostPressure], hostId("Pressure"));
  EXPECT_EQ(m.hostIds[calc::HostMolarDensity], hostId("MolarDensity"));
}

TEST_F(Registration, a_registry_without_the_interface_is_reported_and_retried) {
  Members m;
  ComPtr<IDispatch> array;
  ASSERT_EQ(CoCreateInstance(ravelin::kClsidRealArray, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             array.putVoid()),
            S_OK);
  try {
    calc::registerProperties(array.get(), listOf({"enthalpy"}), m.state);
    FAIL() << "a registry without IPropertyEnumerationRegistry was accepted";
  } catch (CTHCOMError* e) {
    EXPECT_EQ(CTHCOMError::adopt(e)->status(), E_NOINTERFACE);
  }
  try {
    calc::registerProperties(nullptr, listOf({"enthalpy"}), m.state);
    FAIL() << "no registry was accepted";
  } catch (CTHCOMError* e) {
    EXPECT_EQ(CTHCOMError::adopt(e)->status(), E_POINTER);
  }
  EXPECT_EQ(calc::initializePropertyID(array.get(), listOf({"enthalpy"}), m.state, m_guard), S_OK);
  EXPECT_TRUE(noticed("Ravelin Exceptionregistering properties"));
  EXPECT_EQ(m.hostIds[calc::HostEnthalpy], kNotRegistered);
  EXPECT_EQ(m.count, 0);
  // The next call starts again.
  EXPECT_EQ(calc::initializePropertyID(registry(), listOf({"enthalpy"}), m.state, m_guard), S_OK);
  EXPECT_EQ(m.hostIds[calc::HostEnthalpy], hostId("Enthalpy"));
  EXPECT_EQ(m.count, 24);  // the package lacks what the conditional names stand in for
}

TEST_F(Registration, a_failure_keeps_what_was_registered_before_it) {
  {
    SCOPED_TRACE("after Enthalpy: no retry");
    Members m;
    auto picky =
        ComPtr<PickyRegistry>::attach(comlite::makeObject<PickyRegistry>(m_registry, "Cv"));
    EXPECT_EQ(calc::initializePropertyID(picky.get(), listOf({"enthalpy"}), m.state, m_guard),
              S_OK);
    EXPECT_TRUE(noticed("Ravelin Exceptionregistering properties"));
    EXPECT_EQ(m.count, 4);  // Enthalpy, Entropy, MolarVolume, Cp
    EXPECT_EQ(m.table[3].hostId, hostId("Cp"));
    EXPECT_EQ(m.hostIds[calc::HostCv], kNotRegistered);
    EXPECT_EQ(calc::initializePropertyID(registry(), listOf({"enthalpy"}), m.state, m_guard), S_OK);
    EXPECT_EQ(m.count, 4);
  }
  {
    SCOPED_TRACE("at Enthalpy itself: the marker stays and the next call starts again");
    Members m;
    m_env.notices.clear();
    auto picky =
        ComPtr<PickyRegistry>::attach(comlite::makeObject<PickyRegistry>(m_registry, "Enthalpy"));
    EXPECT_EQ(calc::initializePropertyID(picky.get(), listOf({"enthalpy"}), m.state, m_guard),
              S_OK);
    EXPECT_TRUE(noticed("Ravelin Exceptionregistering properties"));
    EXPECT_EQ(m.hostIds[calc::HostEnthalpy], kNotRegistered);
    EXPECT_EQ(m.count, 0);
    EXPECT_EQ(calc::initializePropertyID(registry(), listOf({"enthalpy"}), m.state, m_guard), S_OK);
    EXPECT_EQ(m.count, 24);
  }
}

TEST_F(Registration, the_peng_robinson_packages_own_list) {
  ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
  ASSERT_EQ(m_env.registerModule("pr_package"), S_OK);
  const std::string selection = m_env.dir().file("selection.txt");
  std::ofstream(selection) << "manager = CORavlPR.PackageManager.1\npackage = Natural Gas (PR)\n";
  testsupport::ScopedEnv selected(adapter::kSelectionFileVariable, selection);
  ComPtr<IPackageAdapter> adapter;
  ASSERT_EQ(CoCreateInstance(adapter::kClsidPackageAdapter, nullptr, CLSCTX_INPROC_SERVER,
                             IPackageAdapter::kIID, adapter.putVoid()),
            S_OK);
  ComPtr<IDispatch> selectionGui, package, gui;
  ASSERT_EQ(adapter->SelectPackage(selectionGui.put()), S_OK);
  ASSERT_EQ(adapter->CreatePropPackage(package.put(), gui.put()), S_OK);
  Variant properties;
  ASSERT_EQ(adapter->GetValue(Bstr("SelectedProperties").get(), &properties), S_OK);
  std::vector<std::string> names;
  LONG index = 0;
  Variant item;
  while (SetGet::nextItem(properties, index, item)) names.push_back(SetGet::valueToStr(item));
  ASSERT_FALSE(names.empty());
  auto has = [&](const std::string& n) {
    return std::find(names.begin(), names.end(), n) != names.end();
  };

  Members m;
  ASSERT_NO_THROW(calc::registerProperties(registry(), properties, m.state));
  for (LONG i = 0; i < m.count; ++i) {
    const RegisteredProperty& r = m.table[i];
    EXPECT_EQ(r.supported, has(r.names[0])) << r.names[0];
    for (int k = 1; k < 5; ++k)
      if (!r.names[k].empty()) {
        EXPECT_TRUE(has(r.names[k])) << r.names[k];
      }
  }
  EXPECT_TRUE(record(m, "Enthalpy")->supported);
  EXPECT_EQ(record(m, "Enthalpy")->names[1], "enthalpy.Dtemperature");
  EXPECT_TRUE(record(m, "LnFugacityCoeff")->supported);
  EXPECT_EQ(m.hostIds[calc::HostHDT], has("heatCapacityCp") ? kNotRegistered : hostId("H.DT"));
  EXPECT_EQ(m.hostIds[calc::HostKFactor],
            has("fugacity") || has("fugacityCoefficient") || has("activityCoefficient")
                ? kNotRegistered
                : hostId("KFactor"));
  package.reset();
  gui.reset();
  EXPECT_EQ(adapter->ReleaseResources(), S_OK);
}

TEST_F(Registration, the_component_answers_its_fixed_bases) {
  ASSERT_EQ(m_env.registerModule("CORavl11"), S_OK);
  ComPtr<IExtendedPropPackage> pkg;
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(u"CORavl11.PropPkg", &clsid), S_OK);
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IExtendedPropPackage::kIID,
                             pkg.putVoid()),
            S_OK);
  INT base = -1;
  EXPECT_EQ(pkg->GetEnthalpyBase(&base), S_OK);
  EXPECT_EQ(base, 1);
  base = -1;
  EXPECT_EQ(pkg->GetGibbsBase(&base), S_OK);
  EXPECT_EQ(base, 0);
  INT status = -1;
  EXPECT_EQ(pkg->CanCalculate(hostId("Enthalpy"), &status), S_OK);
  EXPECT_EQ(status, 1);  // nothing registered on this object
}
