#pragma once
//! PackageManagerBase: a CAPE-OPEN 1.1 property package manager over a list of named
//! configurations; it lists their names and makes a new package of one by name (letter case
//! ignored).
//!
//! Derive `class PackageManager : public capeside::PackageManagerBase<PackageManager>`, befriend
//! the base and give it:
//!   static std::vector<Configuration> configurations();  // read at each call; each has `name`
//!   static HRESULT makePackage(const Configuration& c, IDispatch** package);
//!   static std::string whereOffered();  // appended to the refusal of a name not offered
//! and implement Edit (see cape_component.h).

#include <string>
#include <vector>

#include "capeside/support/cape_component.h"
#include "capeside/support/cape_error.h"
#include "capeside/support/variant_lists.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace capeside {

template <class Derived>
class PackageManagerBase : public CapeComponent<Derived, ICapeThermoPropertyPackageManager,
                                                ICapeIdentification, ICapeUtilities> {
 public:
  // ICapeThermoPropertyPackageManager
  HRESULT GetPropertyPackageList(VARIANT* packageNames) override {
    return this->guard("ICapeThermoPropertyPackageManager", "GetPropertyPackageList", [&] {
      if (!packageNames) return E_POINTER;
      std::vector<std::string> names;
      for (const auto& c : Derived::configurations()) names.push_back(c.name);
      return putVariant(packageNames, makeStringArray(names));
    });
  }
  //! A new package of the named configuration; ECapeInvalidArgument for a name not offered.
  HRESULT GetPropertyPackage(BSTR packageName, IDispatch** package) override {
    return this->guard("ICapeThermoPropertyPackageManager", "GetPropertyPackage", [&] {
      if (!package) return E_POINTER;
      *package = nullptr;
      const std::string name = text(packageName);
      for (const auto& c : Derived::configurations())
        if (sameName(c.name, name)) return Derived::makePackage(c, package);
      throw CapeError(ECapeInvalidArgumentHR, "PackageManager::GetPropertyPackage",
                      cat("package \"", name, "\" is not offered", Derived::whereOffered()))
          .at(1);
    });
  }

 protected:
  using CapeComponent<Derived, ICapeThermoPropertyPackageManager, ICapeIdentification,
                      ICapeUtilities>::CapeComponent;
};

}  // namespace capeside
