#pragma once
//! The example's CAPE-OPEN 1.1 property package: the model of antoine_model.h behind the
//! interfaces a socket uses. Phases "Vapor" and "Liquid"; properties logFugacityCoefficient,
//! fugacityCoefficient and enthalpy; a TP flash. Errors go through the CAPE-OPEN error
//! interfaces: each method runs its body in guard(), and a thrown CapeError becomes the
//! returned code and the error the caller reads.

#include <string>
#include <vector>

#include "antoine_model.h"
#include "capeside/support/cape_component.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace antoine {

inline constexpr CLSID kClsid = comlite::makeGuid("8C5E2A61-3B0D-4F7E-9A14-6D2B7C90E315");
inline constexpr const char* kProgId = "AntoineExample.PropertyPackage.1";

class Package
    : public capeside::CapeComponent<Package, ICapeThermoPropertyRoutine, ICapeIdentification,
                                     ICapeUtilities, ICapeThermoCompounds, ICapeThermoPhases,
                                     ICapeThermoEquilibriumRoutine, ICapeThermoMaterialContext> {
 public:
  Package();

  // ICapeUtilities (the rest comes with CapeComponent)
  HRESULT Edit() override;
  HRESULT Terminate() override;
  // ICapeThermoCompounds
  HRESULT GetCompoundConstant(VARIANT props, VARIANT compIds, VARIANT* propVals) override;
  HRESULT GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names, VARIANT* boilTemps,
                          VARIANT* molwts, VARIANT* casnos) override;
  HRESULT GetConstPropList(VARIANT* props) override;
  HRESULT GetNumCompounds(LONG* num) override;
  HRESULT GetPDependentProperty(VARIANT props, double pressure, VARIANT compIds,
                                VARIANT* propVals) override;
  HRESULT GetPDependentPropList(VARIANT* props) override;
  HRESULT GetTDependentProperty(VARIANT props, double temperature, VARIANT compIds,
                                VARIANT* propVals) override;
  HRESULT GetTDependentPropList(VARIANT* props) override;
  // ICapeThermoPhases
  HRESULT GetNumPhases(LONG* num) override;
  HRESULT GetPhaseInfo(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value) override;
  HRESULT GetPhaseList(VARIANT* phaseLabels, VARIANT* stateOfAggregation,
                       VARIANT* keyCompoundId) override;
  // ICapeThermoPropertyRoutine
  HRESULT CalcAndGetLnPhi(BSTR phaseLabel, double temperature, double pressure, VARIANT moleNumbers,
                          LONG fFlags, VARIANT* lnPhi, VARIANT* lnPhiDT, VARIANT* lnPhiDP,
                          VARIANT* lnPhiDn) override;
  HRESULT CalcSinglePhaseProp(VARIANT props, BSTR phaseLabel) override;
  HRESULT CalcTwoPhaseProp(VARIANT props, VARIANT phaseLabels) override;
  HRESULT CheckSinglePhasePropSpec(BSTR property, BSTR phaseLabel, VARIANT_BOOL* valid) override;
  HRESULT CheckTwoPhasePropSpec(BSTR property, VARIANT phaseLabels, VARIANT_BOOL* valid) override;
  HRESULT GetSinglePhasePropList(VARIANT* props) override;
  HRESULT GetTwoPhasePropList(VARIANT* props) override;
  // ICapeThermoEquilibriumRoutine
  HRESULT CalcEquilibrium(VARIANT specification1, VARIANT specification2,
                          BSTR solutionType) override;
  HRESULT CheckEquilibriumSpec(VARIANT specification1, VARIANT specification2, BSTR solutionType,
                               VARIANT_BOOL* isSupported) override;
  // ICapeThermoMaterialContext
  HRESULT SetMaterial(IDispatch* material) override;
  HRESULT UnsetMaterial() override;

 private:
  ICapeThermoMaterial& material(const char* scope) const;
  std::vector<std::size_t> compoundIndexes(const VARIANT& compIds, SHORT position,
                                           const char* scope) const;
  //! The material's compounds as compounds of the package, in the material's order.
  std::vector<Compound> materialCompounds() const;

  comlite::ComPtr<ICapeThermoMaterial> m_material;
  std::vector<std::size_t> m_materialMap;  //!< package index of each compound of the material
};

}  // namespace antoine
