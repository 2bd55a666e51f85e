#include "pr_package/package_manager.h"

#include "capeside/support/variant_lists.h"
#include "pr_package/data_folder.h"
#include "pr_package/package_configuration.h"
#include "pr_package/parameter_collection.h"
#include "pr_package/pr_property_package.h"

namespace prcape {

HRESULT PackageManager::GetPropertyPackageList(VARIANT* packageNames) {
  return guard("ICapeThermoPropertyPackageManager", "GetPropertyPackageList", [&] {
    if (!packageNames) return E_POINTER;
    std::vector<std::string> names;
    for (const PackageConfiguration& c : readConfigurations()) names.push_back(c.name);
    return capeside::putVariant(packageNames, capeside::makeStringArray(names));
  });
}

HRESULT PackageManager::GetPropertyPackage(BSTR packageName, IDispatch** package) {
  return guard("ICapeThermoPropertyPackageManager", "GetPropertyPackage", [&] {
    if (!package) return E_POINTER;
    *package = nullptr;
    const std::string name = capeside::text(packageName);
    for (const PackageConfiguration& c : readConfigurations()) {
      if (!capeside::sameName(c.name, name)) continue;
      PrPackage* p = comlite::makeObject<PrPackage>(c);
      if (!p) throw std::bad_alloc();
      const HRESULT hr = p->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(package));
      p->Release();
      return hr;
    }
    throw capeside::CapeError(ECapeInvalidArgumentHR, "PackageManager::GetPropertyPackage",
                              capeside::cat("package \"", name, "\" is not offered (see ",
                                            dataFolder(), "/packages.txt)"))
        .at(1);
  });
}

HRESULT PackageManager::get_ComponentName(BSTR* name) {
  return capeside::putString(name, m_name);
}

HRESULT PackageManager::put_ComponentName(BSTR name) {
  return guard("ICapeIdentification", "put_ComponentName", [&] {
    m_name = capeside::text(name);
    return S_OK;
  });
}

HRESULT PackageManager::get_ComponentDescription(BSTR* desc) {
  return capeside::putString(desc, m_description);
}

HRESULT PackageManager::put_ComponentDescription(BSTR desc) {
  return guard("ICapeIdentification", "put_ComponentDescription", [&] {
    m_description = capeside::text(desc);
    return S_OK;
  });
}

HRESULT PackageManager::get_parameters(IDispatch** parameters) {
  return guard("ICapeUtilities", "get_parameters", [&] {
    if (!parameters) return E_POINTER;
    *parameters = nullptr;
    ParameterCollection* c = comlite::makeObject<ParameterCollection>();
    if (!c) throw std::bad_alloc();
    const HRESULT hr = c->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(parameters));
    c->Release();
    return hr;
  });
}

HRESULT PackageManager::put_simulationContext(IDispatch* context) {
  m_context = comlite::ComPtr<IDispatch>(context);
  return S_OK;
}

HRESULT PackageManager::Initialize() {
  return S_OK;
}

HRESULT PackageManager::Terminate() {
  m_context.reset();
  return S_OK;
}

HRESULT PackageManager::Edit() {
  return guard("ICapeUtilities", "Edit", [&]() -> HRESULT {
    throw capeside::CapeError(
        ECapeNoImplHR, "PackageManager::Edit",
        capeside::cat("the packages are configured in ", dataFolder(), "/packages.txt"));
  });
}

}  // namespace prcape
