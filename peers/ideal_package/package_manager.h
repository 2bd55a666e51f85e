#pragma once
//! The ideal package manager: offers the packages of "packages.txt" (see package_data.h).

#include <string>
#include <vector>

#include "capeside/support/package_manager_base.h"
#include "ideal_package/package_data.h"

namespace ideal {

inline constexpr CLSID kClsidIdealManager =
    comlite::makeGuid("B95B785E-1C6B-40F8-95B6-18EDA746DC55");
inline constexpr const char* kProgIdIdealManager = "CORavlIdeal.PackageManager.1";

class PackageManager : public capeside::PackageManagerBase<PackageManager> {
 public:
  PackageManager();

  // ICapeUtilities (the rest from PackageManagerBase)
  HRESULT Edit() override;

 private:
  friend class capeside::PackageManagerBase<PackageManager>;
  static std::vector<PackageDefinition> configurations();
  static HRESULT makePackage(const PackageDefinition& d, IDispatch** package);
  static std::string whereOffered();
};

}  // namespace ideal
