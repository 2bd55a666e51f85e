//! The ideal package module: the stand-alone ideal package and its package manager,
//! registered under the published CAPE-OPEN categories with their CapeDescription values.

#include "comlite/module.h"
#include "capeside/support/create_object.h"
#include "comlite/guid.h"
#include "ideal_package/ideal_package.h"
#include "ideal_package/package_manager.h"
#include "outside/capeopen_categories.h"

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
  data.setValue(key, "About", "Ideal gas and ideal solution property package");
}

comlite::Module& idealModule() {
  static comlite::Module module(
      {comlite::ClassInfo{ideal::kClsidIdealPackage,
                          "Ideal property package",
                          ideal::kProgIdIdealPackage,
                          "CORavlIdeal.PropertyPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &capeside::createGuarded<ideal::IdealPackage>},
       comlite::ClassInfo{ideal::kClsidIdealManager,
                          "Ideal property package manager",
                          ideal::kProgIdIdealManager,
                          "CORavlIdeal.PackageManager",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11PackageManager},
                          &capeside::createGuarded<ideal::PackageManager>}},
      {comlite::CategoryInfo{capeopen::kCatCapeOpenComponent, LCID_ENGLISH_US,
                             "CAPE-OPEN Component"},
       comlite::CategoryInfo{capeopen::kCatThermo11Package, LCID_ENGLISH_US,
                             "CAPE-OPEN 1.1 Property Package"},
       comlite::CategoryInfo{capeopen::kCatThermo11PackageManager, LCID_ENGLISH_US,
                             "CAPE-OPEN 1.1 Property Package Manager"}});
  static const bool hooked = [] {
    module.extraRegistration = [](comlite::registry::Data& data, const std::string&) {
      writeDescription(data, ideal::kClsidIdealPackage, "Ideal property package",
                       "Ideal gas and ideal solution, every compound of the data file");
      writeDescription(data, ideal::kClsidIdealManager, "Ideal property package manager",
                       "Ideal gas and ideal solution packages of packages.txt");
    };
    return true;
  }();
  (void)hooked;
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(idealModule())
