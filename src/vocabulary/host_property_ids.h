#pragma once
//! Host framework property names and ids attached to the translators, and the small routines
//! that move real arrays into and out of the host framework's objects.

#include "comlite/types.h"

class CCOPropertyFactory;
class CRVLpropsFactory;
class CRVLPropertyFactory;
struct IPropertyEnumerationRegistry;
struct IRealArrayDisp;
struct IBasicPhase;

//! Attaches a host name (or, for `hostName` nullptr, the CAPE-OPEN identifier with a capital
//! first letter) to the factory's translator of `coId` and looks its id up in the factory's
//! registry (not for compound constant ids). Returns the translator's host id, or -1 when the
//! factory has no translator for `coId` (reported). A failing strict lookup raises CTHCOMError.
LONG registerRVLid(CRVLpropsFactory& factory, LONG coId, const char* hostName, bool strict);

//! Strict: the registry's strict lookup into `*id`; a failure raises CTHCOMError; returns 0.
//! Lenient: the registry's lenient lookup; a non-zero answer is shown as
//! "RVL Property not found: <name>" and returned.
LONG lookupRVLid(IPropertyEnumerationRegistry* registry, const char* hostName, LONG* id,
                 bool strict);

//! The host names of the property factory's translators, registered strictly in order.
void registerHostPropertyNames(CRVLPropertyFactory& factory);

class CRVLUtils {
 public:
  //! Not meant to be instantiated: says so.
  CRVLUtils();

  //! Once per process, looks up the host's twelve core property names (a missing "Viscosity"
  //! or "ThermalConductivity" raises CTHCOMError). Returns 0.
  static LONG checkCoreProperties(IPropertyEnumerationRegistry* registry);
  //! The process-wide id found for "Temperature" (0 until the check has run).
  static LONG coreTemperatureId();
  //! For tests: forgets the core ids so that the check runs again.
  static void resetCoreProperties();

  //! Sizes `array` to `count` and writes the values; stops at the first failure (reported).
  static HRESULT setRealArray(IRealArrayDisp* array, const double* values, LONG count);
  //! Reads `count` values; stops at the first failure (reported). count < 1 reads nothing.
  static HRESULT getRealArray(IRealArrayDisp* array, double* values, LONG count);
  //! The phase's composition array, read as getRealArray does.
  static HRESULT getPhaseRealArray(IBasicPhase* phase, double* values, LONG count);
};
