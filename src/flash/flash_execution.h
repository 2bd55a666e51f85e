#pragma once
//! Running one of the host's flashes through the CAPE-OPEN package's equilibrium routine: the
//! feed and the two specification values are read from the host's phase collection, put on the
//! material object, the package solves the equilibrium, and the phases it finds are written
//! back into the collection (temperature, pressure, present phases, phase fractions,
//! compositions, the overall vapour fraction and the number of phases).
//!
//! The component keeps the state a flash leaves (FlashRecord, references to its members) and
//! hands in, for one run, the objects of the CAPE-OPEN side (FlashLinks, borrowed) and the
//! package's phase table as the flash sees it (FlashPhaseTable). The caller runs the checks that
//! need the component itself (set up, compound gate, call context) and holds the flash lock.
//!
//! Units: the host's phases are in K and kPa (host values of other properties as the
//! translators give them); the material object takes SI (K, Pa, J/mol). Compositions on the
//! material are in the package's compound order; those of the host in the fluid package's.

#include <span>
#include <string>
#include <vector>

#include "base/qo_bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/types.h"
#include "comlite/variant.h"
#include "outside/ravelin_phase.h"
#include "vocabulary/compound_order.h"

class CCOError;
class MethodGuard;
struct ICapeThermoEquilibriumRoutine;
struct ICapeThermoMaterial;
struct IDispatch;
struct IMatObj;
struct IRealArrayDisp;

namespace coravl::flash {

struct FlashCheckInputs;
struct FlashState;

//! Failure conversion texts: around the whole flash, and (followed by the flash name) around
//! the part that talks to the package.
inline constexpr const char* kExecuteContext = "Error executing flash";
inline constexpr const char* kCoreContext = "executing flash ";
//! The complaint of a host that hands over no compounds.
inline constexpr const char* kEmptyCompoundsText =
    "Executing flash. The simulator provided an empty list of compounds.Please check Selvar "
    "Ravelin CAPE-OPEN 1.1 limitations document. ";
//! Context of the checks of the host's values, followed by the flash name.
inline constexpr const char* kValueCheckContext =
    "(Please check Selvar Ravelin CAPE-OPEN 1.1 limitations document. ) calculating flash ";
//! The package's answers that break the standard.
inline constexpr const char* kBadTemperatureText = "CAPE-OPEN flash returns T <= 0 K.";
inline constexpr const char* kBadPressureText = "CAPE-OPEN flash returns P <=0 Pa.";
//! The number of compounds of the component outside a flash.
inline constexpr LONG kNoCompounds = -32767;
//! The host phase slot of the overall phase.
inline constexpr LONG kOverallSlot = 3;

//! The package's phases by host phase slot (0 vapour, 1 liquid, 2 second liquid, 3 overall,
//! then further liquids and solids), as the material object client knows them.
class FlashPhaseTable {
 public:
  virtual ~FlashPhaseTable() = default;
  //! The highest host phase slot the package's phases can take.
  virtual LONG hostPhaseCount() const = 0;
  //! The package's label of the phase in a slot, borrowed from the table; null or empty when
  //! the slot has none.
  virtual BSTR labelOfSlot(LONG slot) const = 0;
  //! The CAPE-OPEN phase id (IMatObj phase index) of the phase in slots 0 to 2; 0 for the
  //! other slots and for an empty slot.
  virtual LONG phaseIdOfSlot(LONG slot) const = 0;
  //! The host phase type a result in the slot gets (3 vapour, 4 liquid, 6 solid).
  virtual LONG hostPhaseTypeOfSlot(LONG slot) const = 0;
  //! Reads a single-phase property (phaseFraction: one value; fraction: one per package
  //! compound) of the slot's phase from the material. RETURNS: a failure when it cannot.
  virtual HRESULT readOfSlot(LONG propertyId, LONG slot, std::span<double> values) = 0;
  //! Keeps the composition of a solid result for later requests on that phase.
  virtual void rememberComposition(std::span<const double> composition, LONG slot) = 0;
};

//! The CAPE-OPEN side of one flash; pointers are borrowed for the call, null means "not held".
struct FlashLinks {
  IMatObj* matObj = nullptr;
  ICapeThermoMaterial* material = nullptr;
  //! The package; its ICapeThermoMaterialContext receives the material before the flash.
  IDispatch* package = nullptr;
  ICapeThermoEquilibriumRoutine* equilibriumRoutine = nullptr;
  //! The host array object the result compositions are handed over in.
  IRealArrayDisp* compositionArray = nullptr;
  FlashPhaseTable* phases = nullptr;
  //! Number of compounds of the material (the package's).
  LONG packageCompoundCount = 0;
  //! Package index of each fluid-package position, as far as the fluid package is mapped.
  std::span<const LONG> positionMap;
};

//! Storage a flash takes over from the previous one of its component, so that a steady stream
//! of flashes does not allocate. One flash uses it at a time; a flash run while another holds
//! it (from a callback of the package) uses storage of its own.
struct FlashScratch {
  std::vector<comlite::ComPtr<IBasicPhase>> phases;
  std::vector<double> feed, fractions;
  std::vector<double> hostOrder;  //!< a composition in the host's order, for its array
  std::vector<LONG> order;
  //! The labels of the package's phases, borrowed from the phase table for one flash.
  std::vector<BSTR> labels;
  //! The labels the package may find and their statuses, as last given to the material: kept
  //! while the package's phases stay the same.
  comlite::Variant allowed, allowedStatus;
  //! The phases the package found ([in, out]): the material refills them in place.
  comlite::Variant present, presentStatus;
  //! The failure contexts of the flash last run (kValueCheckContext and kCoreContext with its
  //! name).
  LONG contextsOf = 0;
  std::string valueCheckContext, coreContext;
  bool inUse = false;
};

//! The component's flash state that outlives a run, by reference.
struct FlashRecord {
  //! The host's number of compounds while a flash runs; kNoCompounds otherwise.
  LONG& compoundCount;
  //! One composition per host phase slot (the overall slot holds the feed), in the package's
  //! compound order.
  std::vector<std::vector<double>>& compositions;
  //! The package label of each result phase, in the collection's order.
  std::vector<CQoBSTR>& phaseLabels;
  //! The component's reusable flash storage; none: each flash has its own.
  FlashScratch* scratch = nullptr;
};

//! Package index of each host compound (vocabulary/compound_order.h), shared with property
//! requests.
using coravl::compoundOrder;

//! Runs the host's flash of type `hostFlashType` on `phaseCollection`. `thermoProperty` is
//! only required to be there. The flash type must have a record in `state.factory` and be
//! supported by the package (checked with `support`); the specification the package is given
//! is the material object's for the flash, and it is kept in `state`.
//!
//! A failing host call raises inside and is reported through `guard` ("Ravelin Exception" with
//! kExecuteContext, or with kCoreContext and the flash name once the package is involved), as
//! is a failing call on the CAPE-OPEN side (the context followed by "(_com_error)").
//! RETURNS: S_OK; E_FAIL for an unset feed entry or a specification value the host does not
//! hold (no message); E_NOTIMPL for a flash type without record or not supported (no
//! message); the answer of the reporter for an empty compound list, unfeasible host values
//! (kind 10), a temperature or pressure of the package at or below zero (kind 7), or a host
//! compound list that does not fit the package's; the equilibrium routine's own failure
//! unchanged; CORAVL_E_NOPHASES when no phase of the package's answer reaches the collection.
HRESULT executeFlash(LONG hostFlashType, IDispatch* phaseCollection, IDispatch* thermoProperty,
                     const FlashLinks& links, const FlashCheckInputs& support, FlashState& state,
                     FlashRecord& record, CCOError& reporter, MethodGuard& guard);

}  // namespace coravl::flash
