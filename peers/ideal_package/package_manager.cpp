#include "ideal_package/package_manager.h"

#include "ideal_package/ideal_package.h"

namespace ideal {

PackageManager::PackageManager()
    : PackageManagerBase("Ideal package manager", "Ideal gas and ideal solution packages",
                         kIdealNoParameters) {}

HRESULT PackageManager::Edit() {
  return guard("ICapeUtilities", "Edit", [&]() -> HRESULT {
    throw capeside::CapeError(ECapeNoImplHR, "PackageManager::Edit",
                              "the packages are defined in packages.txt of the data folder");
  });
}

std::vector<PackageDefinition> PackageManager::configurations() {
  return packageDefinitions();
}

HRESULT PackageManager::makePackage(const PackageDefinition& d, IDispatch** package) {
  return capeside::handOutDispatch<IdealPackage>(package, compoundTable(), d.compounds, d.name);
}

std::string PackageManager::whereOffered() {
  return "";
}

}  // namespace ideal
