#pragma once
//! PackageModule: the module of a CAPE-OPEN 1.1 property package and its package manager,
//! registered under the published CAPE-OPEN categories with their CapeDescription values.
//!
//! A module.cpp holds one in a function-local static and expands COMLITE_MODULE_EXPORTS on it.

#include <string>

#include "comlite/module.h"

namespace capeside {

//! One class of the module and its CapeDescription.
struct ComponentRegistration {
  CLSID clsid = GUID_NULL;
  std::string name;  //!< the class description and the CapeDescription Name
  std::string progId;
  std::string versionIndependentProgId;
  comlite::CreateFn create = nullptr;
  std::string description;  //!< the CapeDescription Description
};

struct PackageModuleRegistration {
  ComponentRegistration package;  //!< in the property package category
  ComponentRegistration manager;  //!< in the property package manager category
  std::string about;              //!< the CapeDescription About of both
};

class PackageModule : public comlite::Module {
 public:
  explicit PackageModule(PackageModuleRegistration registration);

 private:
  PackageModuleRegistration m_registration;
};

}  // namespace capeside
