#pragma once
//! The Peng-Robinson CAPE-OPEN 1.1 property package: the physics of pr::PropertyPackage (see
//! model/property_package.h) behind the published Thermo 1.1 interfaces, for the phases
//! "Vapor" and "Liquid".
//!
//! States come from the material set with SetMaterial (T [K], P [Pa], mole fractions); results
//! go back to it on a mole basis (SI per mole). Every failure is a CAPE-OPEN error with the
//! standard code and a description naming the offending value; nothing non-finite is ever
//! written or returned as a value (see cape_errors.h).

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capeside/support/cape_component.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"
#include "pr_package/material_access.h"
#include "pr_package/model/property_package.h"
#include "pr_package/package_configuration.h"

namespace prcape {

inline constexpr CLSID kClsidPrPackage = comlite::makeGuid("60BB5B31-DE12-480D-AA5E-7A6B54F8C9A4");
inline constexpr const char* kProgIdPrPackage = "CORavlPR.PropertyPackage.1";
//! Why the package and its manager have no parameters (their parameter collections are empty).
inline constexpr const char* kPrNoParameters =
    "the Peng-Robinson package has no parameters: it is set up by its configuration in "
    "packages.txt";

class PrPackage
    : public capeside::CapeComponent<PrPackage, ICapeThermoPropertyRoutine, ICapeIdentification,
                                     ICapeUtilities, ICapeThermoCompounds, ICapeThermoPhases,
                                     ICapeThermoEquilibriumRoutine, ICapeThermoMaterialContext,
                                     ICapeThermoUniversalConstant> {
 public:
  //! The stand-alone package: every compound of the data folder.
  PrPackage();
  //! A package of one configuration (made by the package manager).
  explicit PrPackage(const PackageConfiguration& configuration);
  ~PrPackage() override;

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
  //! guard() that also translates the model's errors (scope "PrPackage::<operation>").
  template <class F>
  HRESULT call(const char* interfaceName, const char* operation, F&& body) noexcept;

  //! Package indexes of a compIds argument (UNDEFINED: every compound, package order).
  std::vector<std::size_t> compoundIndexes(const VARIANT& compIds, SHORT position,
                                           const char* scope) const;
  //! Reads a phase's state from the material into the model; false when the phase's root
  //! does not exist at that state.
  bool loadPhase(const std::string& label, pr::Phase phase, const char* scope);
  //! loadPhase for the label as the caller gave it (`text` its UTF-8, for messages).
  bool loadPhase(BSTR label, const std::string& text, pr::Phase phase, const char* scope);
  struct SinglePhaseRequest;
  //! The checked form of a single-phase request: one kept from an earlier call with the same
  //! names and label (unit for unit), or read and checked now.
  const SinglePhaseRequest& singlePhaseRequest(const VARIANT& props, BSTR phaseLabel,
                                               const char* scope);
  //! The two conditions of an equilibrium request, checked for form (ECapeBadArgument /
  //! ECapeInvalidArgument); empty optional when the pair is well formed but not supported.
  std::optional<pr::FlashRequest> equilibriumRequest(const VARIANT& s1, const VARIANT& s2,
                                                     BSTR solutionType,
                                                     std::vector<std::string> specs[2],
                                                     const char* scope) const;

  PackageConfiguration m_configuration;
  std::unique_ptr<pr::PropertyPackage> m_model;
  MaterialAccess m_material;
  // Work buffers of the property routines (one calculation at a time per package).
  std::vector<double> m_x, m_values, m_picked;
  //! A single-phase request, checked. A host cycles through a handful of requests per state,
  //! so the last eight are kept.
  struct SinglePhaseRequest {
    bool valid = false;
    std::vector<std::u16string> given;  //!< the property names as given
    std::u16string givenLabel;
    std::vector<std::string> names;
    std::string label;
    pr::Phase phase = pr::Phase::Vapour;
    std::vector<comlite::Bstr> names16;  //!< the names to hand to the material
    std::vector<bool> perBasis;          //!< the property depends on a basis ("mole" passed)
  };
  std::array<SinglePhaseRequest, 8> m_singles;
  std::size_t m_nextSingle = 0;
  std::vector<std::vector<double>> m_results;
  //! The [in] arrays of values handed to the material, one per result, refilled in place.
  std::vector<comlite::Variant> m_valueArrays;
  const comlite::Bstr m_mole{"mole"}, m_temperature{"temperature"}, m_pressure{"pressure"},
      m_phaseFraction{"phaseFraction"}, m_fraction{"fraction"};
  std::vector<comlite::Variant> m_equilibriumArrays;  //!< four per phase at equilibrium
  // Work vectors of an equilibrium: the specifications, the present phases and the feed.
  std::vector<std::string> m_specs[2];
  std::vector<std::u16string> m_present, m_labels;
  comlite::Bstr m_resultLabels[2];  //!< labels of the phases at equilibrium, kept while equal
  //! The specifications of the last equilibrium solved, as given: a host flashes with the same
  //! ones again and again, and they are checked once.
  struct KnownEquilibrium {
    bool valid = false;
    std::vector<std::u16string> given[2];
    std::u16string type;
    pr::FlashRequest request;
    comlite::Bstr property[2], basis[2];  //!< the specifications' names, for the material
  } m_knownEquilibrium;
  std::vector<LONG> m_presentStatus;
  std::vector<double> m_z, m_one;
};

}  // namespace prcape
