//! The module: one class, registered as a CAPE-OPEN 1.1 property package. The four module
//! entry points come from COMLITE_MODULE_EXPORTS.

#include "comlite/module.h"
#include "antoine_package.h"
#include "capeside/support/create_object.h"
#include "outside/capeopen_categories.h"

namespace {

comlite::Module& antoineModule() {
  static comlite::Module module(
      {comlite::ClassInfo{antoine::kClsid,
                          "Antoine example property package",
                          antoine::kProgId,
                          "AntoineExample.PropertyPackage",
                          "Apartment",
                          {capeopen::kCatCapeOpenComponent, capeopen::kCatThermo11Package},
                          &capeside::createGuarded<antoine::Package>}},
      {{capeopen::kCatCapeOpenComponent, LCID_ENGLISH_US, "CAPE-OPEN Component"},
       {capeopen::kCatThermo11Package, LCID_ENGLISH_US, "CAPE-OPEN 1.1 Property Package"}});
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(antoineModule())
