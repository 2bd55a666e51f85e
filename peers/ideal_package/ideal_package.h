#pragma once
//! The ideal CAPE-OPEN 1.1 property package: ideal gas and ideal solution (see
//! model/ideal_mixture.h) for the phases "Vapor" and "Liquid", with a TP flash.
//!
//! It deliberately serves only part of the standard property list (fugacityCoefficient but
//! neither fugacity nor logFugacity(Coefficient); density but not volume;
//! "enthalpy.Dtemperature" but not heatCapacityCp), so that a socket's fallbacks meet a real
//! package. Errors are raised through the CAPE-OPEN error interfaces.

#include <memory>
#include <string>
#include <vector>

#include "capeside/support/cape_component.h"
#include "comlite/com_ptr.h"
#include "ideal_package/model/ideal_mixture.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace ideal {

inline constexpr CLSID kClsidIdealPackage =
    comlite::makeGuid("3730EC14-607A-43AF-89E7-DD6E96F3923E");
inline constexpr const char* kProgIdIdealPackage = "CORavlIdeal.PropertyPackage.1";
//! Why the package and its manager have no parameters (their parameter collections are empty).
inline constexpr const char* kIdealNoParameters = "the ideal package has no parameters";

class IdealPackage
    : public capeside::CapeComponent<IdealPackage, ICapeThermoPropertyRoutine, ICapeIdentification,
                                     ICapeUtilities, ICapeThermoCompounds, ICapeThermoPhases,
                                     ICapeThermoEquilibriumRoutine, ICapeThermoMaterialContext,
                                     ICapeThermoUniversalConstant> {
 public:
  //! Every compound of the data folder (the stand-alone creatable package).
  IdealPackage();
  //! The given compounds of a table, under a name (a package made by the manager).
  IdealPackage(std::shared_ptr<const CompoundTable> table,
               const std::vector<std::size_t>& compounds, std::string name);

  // ICapeUtilities (identification and the rest from CapeComponent)
  HRESULT Terminate() override;
  HRESULT Edit() override;
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
  // ICapeThermoUniversalConstant
  HRESULT GetUniversalConstant(BSTR constantId, VARIANT* constantValue) override;
  HRESULT GetUniversalConstantList(VARIANT* constantIds) override;

 private:
  //! guard() that also maps the model's errors to their CAPE-OPEN errors.
  template <class F>
  HRESULT call(const char* interfaceName, const char* operation, F&& body) noexcept;

  //! The material; ECapeBadInvOrder when none is set.
  ICapeThermoMaterial& material(const char* scope) const;
  //! Index of a compound id of the package; ECapeInvalidArgument at `position` when unknown.
  std::size_t compoundIndex(const std::string& id, SHORT position, const char* scope) const;
  //! Compound indexes of a compIds argument (UNDEFINED: every compound).
  std::vector<std::size_t> compoundIndexes(const VARIANT& compIds, SHORT position,
                                           const char* scope) const;
  //! The phase of a label; ECapeInvalidArgument at `position` when the package has no such phase.
  PhaseKind phaseOf(const std::string& label, SHORT position, const char* scope) const;
  //! Reads T, P and the composition of a phase from the material, mapped to the package order.
  void readPhaseState(const std::string& label, double& T, double& P, std::vector<double>& x,
                      const char* scope);
  //! Whether an equilibrium specification pair is a TP specification (and which is T).
  bool isTPSpecification(const VARIANT& s1, const VARIANT& s2, const char* scope) const;

  std::shared_ptr<const CompoundTable> m_table;
  std::vector<std::size_t> m_compounds;  //!< package compounds, indexes into the table
  IdealMixture m_mixture;                //!< the package's compounds
  comlite::ComPtr<ICapeThermoMaterial> m_material;
  //! For each compound of the material, its index in the package (package order when the
  //! material does not list its compounds).
  std::vector<std::size_t> m_materialMap;
};

}  // namespace ideal
