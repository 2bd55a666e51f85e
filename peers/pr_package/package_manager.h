#pragma once
//! The Peng-Robinson package manager: offers the package configurations of "packages.txt"
//! (see package_configuration.h) and makes a new package of one by name.

#include <string>

#include "capeside/support/cape_object.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace prcape {

inline constexpr CLSID kClsidPrManager = comlite::makeGuid("8E6CD9BE-AE5F-403C-A71D-C0D8D38140F3");
inline constexpr const char* kProgIdPrManager = "CORavlPR.PackageManager.1";

class PackageManager
    : public capeside::CapeObject<PackageManager, ICapeThermoPropertyPackageManager,
                                  ICapeIdentification, ICapeUtilities> {
 public:
  // ICapeThermoPropertyPackageManager
  HRESULT GetPropertyPackageList(VARIANT* packageNames) override;
  //! A new package of the named configuration (letter case ignored); ECapeInvalidArgument
  //! for a name that is not offered.
  HRESULT GetPropertyPackage(BSTR packageName, IDispatch** package) override;
  // ICapeIdentification
  HRESULT get_ComponentName(BSTR* name) override;
  HRESULT put_ComponentName(BSTR name) override;
  HRESULT get_ComponentDescription(BSTR* desc) override;
  HRESULT put_ComponentDescription(BSTR desc) override;
  // ICapeUtilities
  HRESULT get_parameters(IDispatch** parameters) override;
  HRESULT put_simulationContext(IDispatch* context) override;
  HRESULT Initialize() override;
  HRESULT Terminate() override;
  HRESULT Edit() override;

 private:
  std::string m_name = "Peng-Robinson package manager";
  std::string m_description = "Peng-Robinson packages of packages.txt in the data folder";
  comlite::ComPtr<IDispatch> m_context;
};

}  // namespace prcape
