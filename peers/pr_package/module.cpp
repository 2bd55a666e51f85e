//! The Peng-Robinson package module: the stand-alone package and the package manager.

#include "capeside/support/create_object.h"
#include "capeside/support/package_module.h"
#include "pr_package/package_manager.h"
#include "pr_package/pr_property_package.h"

namespace {

comlite::Module& prModule() {
  static capeside::PackageModule module(
      {{prcape::kClsidPrPackage, "Peng-Robinson property package", prcape::kProgIdPrPackage,
        "CORavlPR.PropertyPackage", &capeside::createGuarded<prcape::PrPackage>,
        "Peng-Robinson, every compound of the data file"},
       {prcape::kClsidPrManager, "Peng-Robinson property package manager", prcape::kProgIdPrManager,
        "CORavlPR.PackageManager", &capeside::createGuarded<prcape::PackageManager>,
        "Peng-Robinson packages of packages.txt"},
       "Peng-Robinson equation of state with ideal-gas heat capacities"});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(prModule())
