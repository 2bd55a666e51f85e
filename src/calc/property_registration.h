#pragma once
//! Registration of the component's host properties: every property and derivative variable it
//! can serve is registered by name with the host's property registry, and for each host
//! property the CAPE-OPEN property that serves it is chosen from the package's supported list
//! (with fallbacks for the fugacity family). The results go into the component's host id fields
//! and registered-property table, which the component lends by reference (RegistrationState).
//!
//! Registration runs once per component: the host id of "Enthalpy" is the marker (the
//! not-registered marker -32767 until then). The three process-wide translator factories
//! register their names the first time any component registers.

#include <array>

#include "calc/registered_property.h"
#include "comlite/types.h"
#include "comlite/variant.h"

class MethodGuard;
struct IDispatch;

namespace coravl::calc {

//! The operation text of registration failures.
inline constexpr const char* kRegisteringProperties = "registering properties";
//! Number of host property names the component registers (and of its host id fields).
inline constexpr int kHostPropertyCount = 24;
//! Number of host derivative variables ("dT", "dP", "dN", "dX").
inline constexpr int kDerivativeVariableCount = 4;

//! Positions of the host id fields, in registration order.
enum HostProperty : int {
  HostEnthalpy = 0,
  HostEntropy,
  HostMolarVolume,
  HostCp,
  HostCv,
  HostViscosity,
  HostThermalConductivity,
  HostLnFugacityCoeff,
  HostLnFugacity,
  HostSurfaceTension,
  HostGibbs,
  HostHelmholtz,
  HostInternalEnergy,
  HostExcessEnthalpy,
  HostExcessGibbs,
  HostStdLiqVolume,
  HostZFactor,
  HostLnActivityCoefficient,
  HostTemperature,
  HostPressure,
  HostPhaseFraction,
  HostKFactor,       //!< only without fugacity, fugacityCoefficient and activityCoefficient
  HostHDT,           //!< "H.DT", only without heatCapacityCp
  HostMolarDensity,  //!< only without volume
};

//! The host name at position `index` (0 to 23); nullptr for any other index.
const char* hostPropertyName(int index);
//! The CAPE-OPEN property id first proposed for the host name at `index`; 0 for any other.
LONG proposedCOId(int index);

//! The component's registration state, by reference.
struct RegistrationState {
  //! Host ids of "dT", "dP", "dN", "dX".
  std::array<LONG, kDerivativeVariableCount>& derivativeVariableIds;
  //! Host ids of the names of hostPropertyName, by position; -32767 until registered.
  std::array<LONG, kHostPropertyCount>& hostPropertyIds;
  //! 1 when "LnFugacity" is served by the fugacity coefficient or its logarithm, else 0.
  LONG& fugacityFallback;
  std::array<calc::RegisteredProperty, calc::kMaxRegisteredProperties>& table;
  //! Records in use in `table`.
  LONG& count;
};

//! Registers the host properties with `propertyRegistry` (an object answering
//! IPropertyEnumerationRegistry) and fills `state`, choosing by `supportedProperties` (the
//! package's CAPE-OPEN property names, a string list). Does nothing when the "Enthalpy" host id
//! is already set. THROWS: CTHCOMError* for a registry without the interface and for every
//! failing host registration; what was registered before the failure stays.
void registerProperties(IDispatch* propertyRegistry, const VARIANT& supportedProperties,
                        RegistrationState& state);

//! The host method: registerProperties under `guard` with the operation text
//! "registering properties" (a failure is reported). RETURNS: S_OK, always.
HRESULT initializePropertyID(IDispatch* propertyRegistry, const VARIANT& supportedProperties,
                             RegistrationState& state, MethodGuard& guard);

//! The record of a host property id among the first `count` records (first match), or nullptr.
const calc::RegisteredProperty* findRegistered(const RegistrationState& state, LONG hostId);
//! The host's CanCalculate status: 0 when `hostId` has a supported record, else 1.
INT canCalculateStatus(const RegistrationState& state, LONG hostId);

}  // namespace coravl::calc
