//! The ideal package module: the stand-alone ideal package and its package manager.

#include "capeside/support/create_object.h"
#include "capeside/support/package_module.h"
#include "ideal_package/ideal_package.h"
#include "ideal_package/package_manager.h"

namespace {

comlite::Module& idealModule() {
  static capeside::PackageModule module(
      {{ideal::kClsidIdealPackage, "Ideal property package", ideal::kProgIdIdealPackage,
        "CORavlIdeal.PropertyPackage", &capeside::createGuarded<ideal::IdealPackage>,
        "Ideal gas and ideal solution, every compound of the data file"},
       {ideal::kClsidIdealManager, "Ideal property package manager", ideal::kProgIdIdealManager,
        "CORavlIdeal.PackageManager", &capeside::createGuarded<ideal::PackageManager>,
        "Ideal gas and ideal solution packages of packages.txt"},
       "Ideal gas and ideal solution property package"});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(idealModule())
