#include "pr_package/package_manager.h"

#include "pr_package/data_folder.h"
#include "pr_package/pr_property_package.h"

namespace prcape {

PackageManager::PackageManager()
    : PackageManagerBase("Peng-Robinson package manager",
                         "Peng-Robinson packages of packages.txt in the data folder",
                         kPrNoParameters) {}

HRESULT PackageManager::Edit() {
  return guard("ICapeUtilities", "Edit", [&]() -> HRESULT {
    throw capeside::CapeError(
        ECapeNoImplHR, "PackageManager::Edit",
        capeside::cat("the packages are configured in ", dataFolder(), "/packages.txt"));
  });
}

std::vector<PackageConfiguration> PackageManager::configurations() {
  return readConfigurations();
}

HRESULT PackageManager::makePackage(const PackageConfiguration& c, IDispatch** package) {
  return capeside::handOutDispatch<PrPackage>(package, c);
}

std::string PackageManager::whereOffered() {
  return capeside::cat(" (see ", dataFolder(), "/packages.txt)");
}

}  // namespace prcape
