#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "frame/host_interfaces.h"
#include "ravelin/compound.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;

namespace {

//! The component with the CAPE-OPEN side it builds on first use: the host framework, the
//! adapter side and both packages registered in a private registry.
class Package : public testsupport::SocketFixture {
 protected:
  //! Calculates `property` into the natural gas vapour `p`, the host's error log `log` if any.
  HRESULT calculate(IExtendedPropPackage* pkg, const char* property, ravelin::Phase& p,
                    IDispatch* log = nullptr) {
    return pkg->CalculateProperty(ravelin::propertyId(property), p.dispatch(), nullptr,
                                  manager.dispatch(), log, nullptr);
  }
  ravelin::Phase gasVapour() {
    return phase(ravelin::kPhaseVapour, 300.0, 2000.0,
                 {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02});
  }
  //! The notices that name `part`.
  std::size_t told(const std::string& part) const {
    std::size_t n = 0;
    for (const auto& notice : env.notices) n += notice.text.find(part) != std::string::npos;
    return n;
  }
  ravelin::FlashControl flashControl = ravelin::FlashControl::create();
  ravelin::PropertyManager manager = ravelin::PropertyManager::create(flashControl);
};

}  // namespace

TEST_F(Package, first_use_builds_the_cape_open_side_from_the_selection) {
  auto pkg = create();
  comlite::Bstr name, description;
  EXPECT_EQ(pkg->GetPackageName(name.out(), description.out()), S_OK);
  EXPECT_EQ(name.utf8(), "Natural Gas (PR)");
  INT n = -1;
  comlite::Variant ids, names, identifiers;
  comlite::Bstr identifierName;
  ASSERT_EQ(pkg->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers), S_OK);
  EXPECT_EQ(n, 10);
  EXPECT_EQ(identifierName.utf8(), "CASN");
  EXPECT_EQ(pkg->GetNumbCompounds(&n), S_OK);
  EXPECT_EQ(n, 0);  // the simulator has added nothing yet

  // The Peng-Robinson package serves every flash type the socket knows.
  auto flash = pkg.as<IExtendedFlash>();
  comlite::Variant types;
  INT count = 0;
  ASSERT_EQ(flash->SupportedFlashTypes(&count, &types), S_OK);
  ASSERT_EQ(types.vt, VT_ARRAY | VT_I4);
  std::set<LONG> got;
  for (LONG k = 0; k < count; ++k) got.insert(SetGet::getLong(types, k));
  EXPECT_EQ(got, (std::set<LONG>{xftPTFlash, xftPHFlash, xftPSFlash, xftPVFlash, xftTHFlash,
                                 xftTSFlash, xftTVFlash, xftHVFlash}));
  INT status = -1;
  EXPECT_EQ(flash->IsFlashSetup(&status), S_OK);
  EXPECT_EQ(status, 0);
}

//! The component with the fault-injecting package registered as well.
class PackageWithFaults : public Package {
 protected:
  std::vector<const char*> extraModules() const override { return {"fault_package"}; }
};

TEST_F(PackageWithFaults, a_failed_initialisation_is_retried_and_later_faults_read_in_full) {
  select("package = CORavlFault.PropertyPackage.1\n");
  auto pkg = create();
  INT n = 0;
  comlite::Variant ids, names, identifiers;
  comlite::Bstr identifierName;
  {
    // The package refuses the material: every CAPE-OPEN interface is registered by then.
    testsupport::ScopedEnv fault("CORAVL_FAULT", "SetMaterial:throw");
    EXPECT_TRUE(
        FAILED(pkg->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers)));
  }
  const std::string failure = notices();
  EXPECT_EQ(told("SetMaterial"), 1u) << failure;

  // The package behaves again: the same object initialises and calculates.
  ASSERT_EQ(openSteps(pkg.get(), testsupport::naturalGasCompounds()), S_OK) << notices();
  auto vapour = gasVapour();
  ASSERT_EQ(calculate(pkg.get(), "Enthalpy", vapour), S_OK) << notices();
  ASSERT_TRUE(vapour.value("Enthalpy").has_value());
  EXPECT_TRUE(std::isfinite(*vapour.value("Enthalpy")));
  // The first failure was told once; the retry told nothing more.
  EXPECT_EQ(notices().find("Unexpected error"), std::string::npos) << notices();
  EXPECT_EQ(notices().substr(0, failure.size()), failure);
  EXPECT_EQ(told("SetMaterial"), 1u) << notices();

  // An unfeasible value reads in full in the host's error log, which names the package by its
  // label and the text by its name.
  testsupport::ScopedEnv fault("CORAVL_FAULT", "CalcSinglePhaseProp:negative");
  auto log = ravelin::ErrorLog::create();
  EXPECT_EQ(calculate(pkg.get(), "Cp", vapour, log.dispatch()), E_FAIL);
  ASSERT_EQ(log.entries().size(), 1u) << notices();
  EXPECT_EQ(log.entries()[0].message,
            "CAPE-OPEN P. Package 'CORavlFault.PropertyPackage.1' error: <<The CAPE-OPEN Property "
            "Package 'Natural Gas (PR)' provided unfeasible thermodynamic values (-2.) for "
            "property 'heatCapacityCp'. Detected while calculating {(heatCapacityCp), (Vapor), "
            "Mixture}. Material Object contents: V, T(K), 300.000000, P(Pa), 2000000.000000, C, "
            "0.6, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02>>");
  EXPECT_EQ(log.entries()[0].status, E_FAIL);
  EXPECT_EQ(log.entries()[0].level, -1);
  EXPECT_TRUE(log.entries()[0].show);
}

TEST_F(Package, a_hypothetical_compound_receives_the_package_constants_in_host_units) {
  // Methane is a library compound of the host; ethane is unknown to it.
  auto gas = testsupport::naturalGasCompounds(2);
  gas[1].idNumber = 0;
  gas[1].constants.clear();
  auto pkg = open(testsupport::kPengRobinsonSelection, gas);
  ASSERT_TRUE(pkg);
  INT n = 0;
  comlite::Variant names;
  ASSERT_EQ(pkg->GetCompoundInfo(1, fluid->at(1).dispatch(), &n, &names), S_OK) << notices();
  std::vector<std::string> handed;
  for (LONG i = 0; i < n; ++i) handed.push_back(SetGet::getString(names, i));
  EXPECT_EQ(std::count(handed.begin(), handed.end(), "VC"), 1);
  // The package's SI values (peers/pr_package/data/compounds.csv) in the host's units.
  const auto ethane = fluid->at(1);
  const std::pair<const char*, double> expected[] = {
      {"MW", 30.06904}, {"TC", 305.32}, {"PC", 4872.0}, {"VC", 0.1455}, {"ACEN", 0.099}};
  for (const auto& [code, value] : expected) {
    ASSERT_TRUE(ethane.constant(code).has_value()) << code;
    EXPECT_NEAR(*ethane.constant(code), value, 1e-9 * value) << code;
  }
  // The library compound keeps the host's own data.
  n = -1;
  ASSERT_EQ(pkg->GetCompoundInfo(0, fluid->at(0).dispatch(), &n, &names), S_OK);
  EXPECT_EQ(n, -1);
  EXPECT_FALSE(fluid->at(0).constant("TC").has_value());

  // Positions the fluid package does not have, and two host compounds taken for one.
  EXPECT_EQ(pkg->GetCompoundInfo(2, fluid->at(1).dispatch(), &n, &names), E_FAIL);
  EXPECT_TRUE(
      noticed("getting compound constant properties. The simulator is requesting them "
              "for the 3rd compound, while only 2 compounds have been added to the "
              "Fluid Package."))
      << notices();
  EXPECT_EQ(pkg->GetCompoundInfo(-1, fluid->at(1).dispatch(), &n, &names), E_FAIL);
  pkg = open(testsupport::kPengRobinsonSelection, {gas[0], gas[0]});
  EXPECT_EQ(pkg->GetCompoundInfo(1, fluid->at(1).dispatch(), &n, &names), E_FAIL);
  EXPECT_TRUE(
      noticed("1st and 2nd compounds in fluid package have been mapped to same compound "
              "(methane) from CAPE-OPEN package"))
      << notices();
}
