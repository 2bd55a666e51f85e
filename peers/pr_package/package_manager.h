#pragma once
//! The Peng-Robinson package manager: offers the package configurations of "packages.txt"
//! (see package_configuration.h) and makes a new package of one by name.

#include <string>
#include <vector>

#include "capeside/support/package_manager_base.h"
#include "pr_package/package_configuration.h"

namespace prcape {

inline constexpr CLSID kClsidPrManager = comlite::makeGuid("8E6CD9BE-AE5F-403C-A71D-C0D8D38140F3");
inline constexpr const char* kProgIdPrManager = "CORavlPR.PackageManager.1";

class PackageManager : public capeside::PackageManagerBase<PackageManager> {
 public:
  PackageManager();

  // ICapeUtilities (the rest from PackageManagerBase)
  HRESULT Edit() override;

 private:
  friend class capeside::PackageManagerBase<PackageManager>;
  static std::vector<PackageConfiguration> configurations();
  static HRESULT makePackage(const PackageConfiguration& c, IDispatch** package);
  static std::string whereOffered();
};

}  // namespace prcape
