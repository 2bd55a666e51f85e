#include "calc/property_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/set_get.h"
#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "frame/host_interfaces.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_registry.h"
#include "reporter/method_guard.h"
#include "reporter/ravl_error.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"
#include "vocabulary/property_translator.h"

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;
namespace calc = coravl::calc;
using coravl::calc::kNotRegistered;
using coravl::calc::RegisteredProperty;

namespace {

//! The component's registration members, as the package component holds them.
struct Members {
  Members() { hostIds.fill(kNotRegistered); }
  std::array<LONG, calc::kDerivativeVariableCount> derivativeIds{};
  std::array<LONG, calc::kHostPropertyCount> hostIds{};
  LONG fallback = 0;
  std::array<RegisteredProperty, coravl::calc::kMaxRegisteredProperties> table{};
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

}  // namespace

TEST_F(Registration, names_get_the_hosts_ids_and_unsupported_records_still_name_their_property) {
  Members m;
  registerFor(m, {"enthalpy", "enthalpy.Dtemperature", "enthalpy.Dpressure", "enthalpy.Dmoles",
                  "heatCapacityCp", "volume", "logFugacity", "logFugacityCoefficient", "fugacity"});
  EXPECT_EQ(m.derivativeIds[0], hostId("dT"));
  EXPECT_EQ(m.hostIds[calc::HostEnthalpy], hostId(calc::hostPropertyName(calc::HostEnthalpy)));
  EXPECT_EQ(calc::proposedCOId(calc::HostEnthalpy), COIds::PropEnthalpy);
  ASSERT_EQ(m.count, 21);  // this package needs none of the three conditional names
  const RegisteredProperty* h = record(m, "Enthalpy");
  EXPECT_TRUE(h->supported);
  EXPECT_EQ(h->names, (std::array<std::string, 5>{"enthalpy", "enthalpy.Dtemperature",
                                                  "enthalpy.Dpressure", "", "enthalpy.Dmoles"}));
  EXPECT_FALSE(record(m, "Viscosity")->supported);
  EXPECT_EQ(record(m, "Viscosity")->names[0], "viscosity");
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("Enthalpy")), 0);
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("Viscosity")), 1);
  EXPECT_EQ(calc::canCalculateStatus(m.state, 123456), 1);  // never registered
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Registration, fugacity_fallbacks) {
  struct Case {
    std::vector<std::string> supported;
    LONG lnf, lnphi;  // the CAPE-OPEN property serving "LnFugacity" and "LnFugacityCoeff"
    bool served;
    LONG flag;  // the fallback flag after registration (it starts at 7)
  };
  const LONG phi = COIds::PropFugacityCoefficient, lnphi = COIds::PropLogFugacityCoefficient;
  const Case cases[] = {
      {{"fugacityCoefficient", "fugacityCoefficient.Dtemperature"}, phi, phi, true, 1},
      {{"logFugacityCoefficient"}, lnphi, lnphi, true, 1},
      {{"fugacity"}, COIds::PropFugacity, phi, true, 7},
      {{"logFugacity", "fugacityCoefficient"}, COIds::PropLogFugacity, phi, true, 7},
      {{"enthalpy"}, phi, phi, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.supported[0]);
    Members m;
    m.fallback = 7;
    registerFor(m, c.supported);
    const RegisteredProperty* f = record(m, "LnFugacity");
    EXPECT_EQ(f->coId, c.lnf);
    EXPECT_EQ(f->supported, c.served);
    EXPECT_EQ(m.fallback, c.flag);
    EXPECT_EQ(record(m, "LnFugacityCoeff")->coId, c.lnphi);
    if (c.lnf != COIds::PropLogFugacity) {
      // A fallback offers no derivatives.
      EXPECT_EQ(f->names, (std::array<std::string, 5>{COIds::id2cstr(c.lnf), "", "", "", ""}));
    }
  }
  // With fugacity coefficients the host asks for no K-values.
  Members m;
  registerFor(m, {"fugacityCoefficient"});
  EXPECT_TRUE(record(m, "LnFugacityCoeff")->supported);
  EXPECT_EQ(m.hostIds[calc::HostKFactor], kNotRegistered);
  EXPECT_EQ(calc::canCalculateStatus(m.state, hostId("KFactor")), 1);
}

TEST_F(Registration, once_per_object_and_at_most_thirty_records) {
  Members m;
  registerFor(m, {"enthalpy", "heatCapacityCp", "volume"});
  const auto table = m.table;
  const auto ids = m.hostIds;
  EXPECT_EQ(calc::initializePropertyID(registry(), listOf({"kvalue"}), m.state, m_guard), S_OK);
  EXPECT_NO_THROW(calc::registerProperties(nullptr, listOf({}), m.state));
  EXPECT_EQ(m.count, 22);  // with "KFactor", as this package has no fugacity-type property
  EXPECT_EQ(m.hostIds, ids);
  for (LONG i = 0; i < m.count; ++i) {
    EXPECT_EQ(m.table[i].coId, table[i].coId);
    EXPECT_EQ(m.table[i].names, table[i].names);
  }
  // A full table: the names are still registered, without a record.
  Members full;
  full.count = 28;
  registerFor(full, {"enthalpy", "entropy"});
  EXPECT_EQ(full.count, 30);
  EXPECT_EQ(full.table[29].hostId, hostId("Entropy"));
  EXPECT_EQ(full.hostIds[calc::HostMolarDensity], hostId("MolarDensity"));
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(Registration, failures_are_reported_and_keep_what_came_before) {
  Members m;
  ComPtr<IDispatch> array;
  ASSERT_EQ(CoCreateInstance(ravelin::kClsidRealArray, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             array.putVoid()),
            S_OK);
  for (IDispatch* wrong : {array.get(), static_cast<IDispatch*>(nullptr)}) {
    try {
      calc::registerProperties(wrong, listOf({"enthalpy"}), m.state);
      ADD_FAILURE() << "a registry without its interface was accepted";
    } catch (CTHCOMError* e) {
      EXPECT_EQ(CTHCOMError::adopt(e)->status(), wrong ? E_NOINTERFACE : E_POINTER);
    }
  }
  // Before or at "Enthalpy": the marker stays and the next call starts again.
  auto atEnthalpy =
      ComPtr<PickyRegistry>::attach(comlite::makeObject<PickyRegistry>(m_registry, "Enthalpy"));
  EXPECT_EQ(calc::initializePropertyID(atEnthalpy.get(), listOf({}), m.state, m_guard), S_OK);
  EXPECT_TRUE(noticed("Ravelin Exceptionregistering properties"));
  EXPECT_EQ(m.hostIds[calc::HostEnthalpy], kNotRegistered);
  EXPECT_EQ(calc::initializePropertyID(registry(), listOf({}), m.state, m_guard), S_OK);
  EXPECT_EQ(m.count, 24);
  // After "Enthalpy": the records made stay, and there is no retry.
  Members later;
  auto atCv = ComPtr<PickyRegistry>::attach(comlite::makeObject<PickyRegistry>(m_registry, "Cv"));
  EXPECT_EQ(calc::initializePropertyID(atCv.get(), listOf({}), later.state, m_guard), S_OK);
  EXPECT_EQ(later.count, 4);  // Enthalpy, Entropy, MolarVolume, Cp
  EXPECT_EQ(later.hostIds[calc::HostCv], kNotRegistered);
  EXPECT_EQ(calc::initializePropertyID(registry(), listOf({}), later.state, m_guard), S_OK);
  EXPECT_EQ(later.count, 4);
}
