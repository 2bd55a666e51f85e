#pragma once
//! The ideal package manager: offers the packages of "packages.txt" (see package_data.h).

#include <string>

#include "capeside/support/cape_object.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace ideal {

inline constexpr CLSID kClsidIdealManager =
    comlite::makeGuid("B95B785E-1C6B-40F8-95B6-18EDA746DC55");
inline constexpr const char* kProgIdIdealManager = "CORavlIdeal.PackageManager.1";

class PackageManager
    : public capeside::CapeObject<PackageManager, ICapeThermoPropertyPackageManager,
                                  ICapeIdentification, ICapeUtilities> {
 public:
  // ICapeThermoPropertyPackageManager
  HRESULT GetPropertyPackageList(VARIANT* packageNames) override;
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
  std::string m_name = "Ideal package manager";
  std::string m_description = "Ideal gas and ideal solution packages";
  comlite::ComPtr<IDispatch> m_context;
};

}  // namespace ideal
