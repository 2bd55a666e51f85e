#pragma once
//! Which flash types the selected CAPE-OPEN package supports: the CAPE-OPEN equilibrium
//! specification of each flash id, the support check against the package's equilibrium
//! routine, and the flash type queries of the host's flash interface that rest on it.
//!
//! The component keeps the state (FlashState: references to its members); what the check reads
//! of the CAPE-OPEN side is handed in explicitly (FlashCheckInputs), so nothing here holds a
//! reference beyond a call.

#include <vector>

#include "comlite/bstr.h"
#include "comlite/types.h"
#include "comlite/variant.h"

class CCORVLflashFactory;
class MethodGuard;
struct ICapeThermoEquilibriumRoutine;
struct ICapeThermoMaterial;
struct ICCAPEGUI;
struct IDispatch;
struct IMatObj;

namespace coravl::flash {

//! The status of a flash id that has no CAPE-OPEN equilibrium specification.
inline constexpr HRESULT kNoFlashSpecification = static_cast<HRESULT>(0x80040506u);
//! The operation text of the support check's failure reports.
inline constexpr const char* kCheckingFlashTypes = "checking flashtypes";

//! The component's flash state, by reference.
struct FlashState {
  CCORVLflashFactory& factory;
  //! Flash ids the package supports, in increasing id order; empty until a check succeeded.
  std::vector<LONG>& supported;
  //! The specification of the flash last prepared: two arrays of four strings {property, basis,
  //! phase label, compound} and the solution type.
  VARIANT& specification1;
  VARIANT& specification2;
  comlite::Bstr& solutionType;
};

//! What the support check reads of the component and of the CAPE-OPEN side. Pointers are
//! borrowed for the call; null means "not held".
struct FlashCheckInputs {
  //! The component runs inside one of the maker's other host applications: no check.
  bool otherHostApplication = false;
  //! The CAPE-OPEN side is set up (package, material object and their references).
  bool packageInitialised = false;
  //! CAPE-OPEN version of the package; only 110 (1.1) is checked.
  LONG capeOpenVersion = 0;
  IDispatch* package = nullptr;
  ICapeThermoEquilibriumRoutine* equilibriumRoutine = nullptr;
  IMatObj* matObj = nullptr;
  ICapeThermoMaterial* material = nullptr;
  //! Number of compounds of the material object.
  LONG compoundCount = 0;
  //! The adapter's "SelectedPhases" and "SelectedStateOfAggregation" lists (parallel string
  //! arrays); null reads as empty.
  const VARIANT* selectedPhases = nullptr;
  const VARIANT* selectedStates = nullptr;
  //! The package's label of its "Vapor" phase (null when it has none).
  BSTR vaporLabel = nullptr;
  //! The setup view, which receives the names of the supported flashes.
  ICCAPEGUI* setupView = nullptr;
};

//! Fills `specification1`, `specification2` and `solutionType` for a flash id (15 "TP" to
//! 22 "TS"): temperature, pressure, enthalpy and entropy of "Overall" with no basis, the mole
//! phaseFraction of the vapour phase `vaporLabel`; solution type "Normal" for the
//! phase-fraction flashes, else "Unspecified". Empty entries are null strings.
//! RETURNS: S_OK; kNoFlashSpecification (nothing changed) for any other id; E_OUTOFMEMORY
//! (nothing changed).
HRESULT buildFlashSpecification(LONG flashId, BSTR vaporLabel, VARIANT& specification1,
                                VARIANT& specification2, comlite::Bstr& solutionType);
inline HRESULT buildFlashSpecification(LONG flashId, BSTR vaporLabel, FlashState& state) {
  return buildFlashSpecification(flashId, vaporLabel, state.specification1, state.specification2,
                                 state.solutionType);
}

//! The support check. Does nothing when the component runs in another host application, when
//! the package is not initialised, when the supported list already holds entries, or unless
//! the package is a 1.1 package that is held. Otherwise: puts a test state on the material
//! (300 K, 1e5 Pa, equal mole fractions, enthalpy, entropy and vapour phaseFraction 1), makes
//! the selected vapour and liquid phases present, asks the equilibrium routine about each flash
//! id from 15 to 22 (a flash id whose question fails is skipped) and hands the names of the
//! supported flashes to the setup view. A failure is reported through `guard` with the
//! operation text "checking flashtypes". RETURNS: S_OK.
HRESULT checkFlashTypes(const FlashCheckInputs& inputs, FlashState& state, MethodGuard& guard);

//! Runs the check, then whether a supported flash id serves `hostFlashType`.
bool isFlashTypeSupported(LONG hostFlashType, const FlashCheckInputs& inputs, FlashState& state,
                          MethodGuard& guard);

//! The host's SupportedFlashTypes: runs the check, then appends the host flash type of each
//! supported flash id, in list order, to `types` (a list of 32-bit integers, grown by one per
//! append; a `types` that holds anything else is cleared first) and sets `nFlashes` to the
//! number of elements it holds afterwards. With nothing supported `types` is left as it was.
//! RETURNS: S_OK; E_POINTER for a null argument; E_OUTOFMEMORY.
HRESULT supportedFlashTypes(const FlashCheckInputs& inputs, FlashState& state, MethodGuard& guard,
                            INT* nFlashes, VARIANT* types);

//! The host's CanHandleFlashType: runs the support query for `hostFlashType`, then answers
//! status 0 whatever the answer (Execute refuses what is not supported).
//! RETURNS: S_OK; E_POINTER for a null status.
HRESULT canHandleFlashType(LONG hostFlashType, const FlashCheckInputs& inputs, FlashState& state,
                           MethodGuard& guard, INT* status);

}  // namespace coravl::flash
