//! The Peng-Robinson package module: the stand-alone package and the package manager,
//! registered under the published CAPE-OPEN categories with their CapeDescription values.

#include "comlite/module.h"
#include "capeside/support/create_object.h"
#include "comlite/guid.h"
#include "outside/capeopen_categories.h"
#include "pr_package/package_manager.h"
#include "pr_package/pr_property_package.h"

namespace {

void writeDescription(comlite::registry::Data& data, const CLSID& clsid, const char* name,
                      const char* description) {
  const std::string key =
      "CLSID\\" + comlite::guidToString(clsid) + "\\" + capeopen::kCapeDescriptionKey;
  data.setValue(key, "Name", name);
  data.setValue(key, "Description", description);
  data.setValue(key, "CapeVersion", "1.1");
  data.setValue(key, "ComponentVersion", "1.0");
  data.setValue(key, "VendorURL", "");
  data.setValue(key, "HelpURL", "");
  data.setValue(key, "About", "Peng-Robinson equation of state with ideal-gas heat capacities");
}

comlite::Module& prModule() {
  static comlite::Module module(
      {comlite::ClassInfo{prcape::kClsidPrPackage,
                          "Peng-Robinson property package",
                          prcape::kProgIdPrPackage,
                          "CORavlPR.PropertyPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &capeside::createGuarded<prcape::PrPackage>},
       comlite::ClassInfo{prcape::kClsidPrManager,
                          "Peng-Robinson property package manager",
                          prcape::kProgIdPrManager,
                          "CORavlPR.PackageManager",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11PackageManager},
                          &capeside::createGuarded<prcape::PackageManager>}},
      {comlite::CategoryInfo{capeopen::kCatCapeOpenComponent, LCID_ENGLISH_US,
                             "CAPE-OPEN Component"},
       comlite::CategoryInfo{capeopen::kCatThermo11Package, LCID_ENGLISH_US,
                             "CAPE-OPEN 1.1 Property Package"},
       comlite::CategoryInfo{capeopen::kCatThermo11PackageManager, LCID_ENGLISH_US,
                             "CAPE-OPEN 1.1 Property Package Manager"}});
  static const bool hooked = [] {
    module.extraRegistration = [](comlite::registry::Data& data, const std::string&) {
      writeDescription(data, prcape::kClsidPrPackage, "Peng-Robinson property package",
                       "Peng-Robinson, every compound of the data file");
      writeDescription(data, prcape::kClsidPrManager, "Peng-Robinson property package manager",
                       "Peng-Robinson packages of packages.txt");
    };
    return true;
  }();
  (void)hooked;
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(prModule())
