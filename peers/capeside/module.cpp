//! The CAPE-OPEN side module: package adapter, package GUI component, material object,
//! simulation context component and capeErrorUtils.

#include "comlite/module.h"
#include "capeside/error_utils.h"
#include "capeside/material_object.h"
#include "capeside/package_adapter.h"
#include "capeside/package_gui.h"
#include "capeside/simulation_context.h"
#include "capeside/support/create_object.h"

namespace {

comlite::Module& capesideModule() {
  static comlite::Module module({
      comlite::ClassInfo{adapter::kClsidPackageAdapter,
                         "CAPE-OPEN 1.1 package adapter",
                         adapter::kProgIdPackageAdapter,
                         "CORavlCape.PackageAdapter",
                         "Apartment",
                         {},
                         &capeside::createGuarded<capeside::PackageAdapter>},
      comlite::ClassInfo{capegui::kClsidCapeGui,
                         "CAPE-OPEN package GUI component",
                         capegui::kProgIdCapeGui,
                         "CORavlCape.PackageGUI",
                         "Apartment",
                         {},
                         &capeside::createGuarded<capeside::PackageGui>},
      comlite::ClassInfo{matobj::kClsidMaterialObject,
                         "CAPE-OPEN 1.1 material object",
                         matobj::kProgIdMaterialObject,
                         "CORavlCape.MaterialObject",
                         "Apartment",
                         {},
                         &capeside::createGuarded<capeside::MaterialObject>},
      comlite::ClassInfo{simcontext::kClsidSimulationContext,
                         "CAPE-OPEN simulation context",
                         simcontext::kProgIdSimulationContext,
                         "CORavlCape.SimulationContext",
                         "Apartment",
                         {},
                         &capeside::createGuarded<capeside::SimulationContext>},
      comlite::ClassInfo{errorutils::kClsidCapeErrorUtils,
                         "CAPE-OPEN error utilities",
                         errorutils::kProgIdCapeErrorUtils,
                         "CORavlCape.ErrorUtils",
                         "Apartment",
                         {},
                         &capeside::createGuarded<capeside::CapeErrorUtils>},
  });
  return module;
}

}  // namespace

COMLITE_MODULE_EXPORTS(capesideModule())
