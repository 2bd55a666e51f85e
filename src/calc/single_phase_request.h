#pragma once
//! The host's property requests: a property of one host phase (and the derivatives the phase
//! asks for) calculated by the CAPE-OPEN package through the material object and written back
//! into the phase in the host's units.
//!
//! The component keeps the per-calculation state (CalculationState: references to its
//! members); what a request reads of the component and of the CAPE-OPEN side is handed in
//! (CalculationLinks). A PropertyRequest lives for one host call: it holds the phases, the
//! compound sub-list mapping and the value buffers, and resets the component's per-calculation
//! state when it ends, on success and on failure alike. Temperature, pressure and the
//! composition arrays keep what the last request put there (phase ordering reads them).
//!
//! Units: the host phase gives K and kPa; the material object receives K and Pa; values come
//! back SI per mole and leave in the host's units (translators, value_conversion.h).
//!
//! Compound order: the host's phases follow the fluid package (its order, possibly only some of
//! the package's compounds); the material object holds the package's compounds in the
//! package's order. Compositions go onto the material, and per-compound results come back,
//! through the fluid package's position map (vocabulary/compound_order.h), and then through the
//! phase's own compound sub-list.
//!
//! Failures of host framework calls raise CTHCOMError*, failures of CAPE-OPEN calls raise
//! comlite::ComError; the caller runs a request under the component's MethodGuard.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calc/property_registration.h"
#include "calc/registered_property.h"
#include "comlite/com_ptr.h"
#include "comlite/types.h"
#include "comlite/variant.h"

class CCOError;
class CCOMOclient;
struct IBasicPhase;
struct ICapeThermoMaterial;
struct IIntegerArrayDisp;
struct IMatObj;
struct IRvlDerivativeRequests;
struct IDispatch;
struct VARIANT;

namespace coravl::calc {

//! Context phrases of the failure convention.
inline constexpr const char* kMainProcedure = "calculating properties (main procedure)";
inline constexpr const char* kPerformingCall = "calculating properties (performing call)";
//! The simulator version whose failed property requests must be answered with S_OK.
inline constexpr LONG kVersionAnsweredWithSuccess = 310;

//! The host's answer to a property request: a failure becomes S_OK for simulator version 3.1,
//! which cannot take a failed property request.
inline HRESULT answerForHost(HRESULT status, LONG hostVersion) {
  return (status < 0 && hostVersion == kVersionAnsweredWithSuccess) ? 0 : status;
}

//! Which record serves a request.
enum class CalculationMode {
  Direct,                  //!< the requested property itself
  HeatCapacityFromDHdT,    //!< "Cp" from "H.DT" (enthalpy.Dtemperature)
  MolarVolumeFromDensity,  //!< "MolarVolume" as 1000 / "MolarDensity" (density)
};

//! Storage a property request takes over from the previous one of its component, so that a
//! steady stream of requests does not allocate. One request uses it at a time; a request made
//! while another holds it uses storage of its own.
struct RequestBuffers {
  //! A property-name list of a record and a set of derivative slots, kept while the state's
  //! list is another.
  struct NameList {
    const calc::RegisteredProperty* record = nullptr;
    unsigned slots = 0;
    comlite::Variant list;
  };
  std::vector<NameList> nameLists;
  //! What the state's property-name list was last built for.
  const calc::RegisteredProperty* namesRecord = nullptr;
  unsigned namesSlots = 0;
  std::array<std::vector<LONG>, 5> slotRequests;
  std::vector<LONG> mapping, mappingScratch, order;
  std::array<std::vector<double>, 2> material;
  std::vector<double> base, values, list;
  bool inUse = false;
};

//! The component's per-calculation state, by reference.
struct CalculationState {
  const calc::RegisteredProperty*& current;
  LONG& phaseLabelIndex;  //!< CAPE-OPEN phase id of the request (2 for a two-phase request)
  double& temperature;    //!< [K]
  double& pressure;       //!< [Pa]
  LONG& hostPhaseType;
  //! The request lists: property names (up to five strings), phase labels (one or two
  //! strings) and phase statuses (one per label), rebuilt by each request.
  VARIANT& propertyNames;
  VARIANT& phaseLabels;
  VARIANT& phaseStatuses;
  //! Request index of each derivative slot (1 to 4; -1 not requested); slot 0 is the value.
  std::array<LONG, 5>& derivativeSlots;
  LONG& derivativeCount;
  //! Composition arrays: 0 and 1 hold the phases of the request as the host gives them, one
  //! value per fluid-package compound in the fluid package's order (the material's copies, in
  //! the package's order, are the request's: PropertyRequest::materialComposition).
  std::array<std::vector<double>, 13>& compositions;
  //! The phase being calculated (phase 0 of the request).
  comlite::ComPtr<IBasicPhase>& phase;
  //! The component's reusable request storage; none: each request has its own.
  RequestBuffers* buffers = nullptr;
};

//! What a request reads of the component and of the CAPE-OPEN side; pointers are borrowed for
//! the call.
struct CalculationLinks {
  CCOError* reporter = nullptr;
  CCOMOclient* materialClient = nullptr;
  IMatObj* matObj = nullptr;
  ICapeThermoMaterial* material = nullptr;
  //! N: the package's (and the material object's) number of compounds.
  LONG compoundCount = 0;
  //! Package index of each fluid-package position, as far as the fluid package is mapped.
  //! Empty: the fluid package is taken to be the package's compounds in the package's order.
  std::span<const LONG> positionMap;
  //! The host serves derivative requests and compound sub-lists.
  bool derivativesEnabled = false;
  bool subListsSupported = false;
  //! The package has both a "Vapor" and a "Liquid" state of aggregation.
  bool vaporAndLiquidStates = false;
  //! "LnFugacity" is served by the fugacity coefficient or its logarithm.
  bool fugacityFallback = false;
  //! Host ids of the registered names (calc::HostProperty positions).
  const std::array<LONG, kHostPropertyCount>* hostPropertyIds = nullptr;
  //! The registered-property table in use.
  std::span<const calc::RegisteredProperty> registered;
};

//! Outcome of the composition check of one phase.
enum class CompositionVerdict {
  Good,            //!< nothing bad (entries in (-1e-30, 0) were set to 0)
  UsePhaseZero,    //!< second phase of a two-phase request without a composition of its own
  FailSilently,    //!< bad entries, no message
  FailWithReport,  //!< out of range for the first time: report `message`
};

struct CompositionCheck {
  CompositionVerdict verdict = CompositionVerdict::Good;
  std::string message;
};

//! The composition check over `x`, in order: in the second phase of a two-phase request the
//! no-value marker -32767 hands the validation to the first phase; non-finite entries and
//! entries below -1e-30 or above 1 are bad; entries in (-1e-30, 0) become 0. With an
//! out-of-range entry the clipped entries are summed (taken as 1 once the warning was shown):
//! a sum of exactly 1 fails silently, any other sum is reported once (the warning then counts
//! as shown). Only non-finite bad entries fail silently.
CompositionCheck checkComposition(std::span<double> x, bool secondPhase);
//! The process-wide composition warning: shown once.
bool compositionWarningShown();
//! FOR TESTS ONLY: the warning counts as not shown.
void resetCompositionWarningForTests();

class PropertyRequest {
 public:
  PropertyRequest(CalculationState& state, const CalculationLinks& links);
  //! Releases the phases, the mapping and the derivative requests and resets the component's
  //! per-calculation state.
  ~PropertyRequest();
  PropertyRequest(const PropertyRequest&) = delete;
  PropertyRequest& operator=(const PropertyRequest&) = delete;

  //! The main procedure from the choice of the record on (the caller has checked the package
  //! set-up, the phase type and the compound gate). RETURNS: S_OK; E_FAIL without a message
  //! for a property that is not served; the reporter's answer for a reported failure.
  HRESULT calculate(LONG propertyId, IBasicPhase* phase);

  // Steps, for the two-phase request and for the component's other users.

  //! The record of `propertyId` and its mode; nullptr when the property is not served.
  const calc::RegisteredProperty* chooseRecord(LONG propertyId, CalculationMode& mode) const;
  //! Holds `phase` as phase `index` (0 or 1) of the request, with its host phase type.
  void holdPhase(int index, IBasicPhase* phase, LONG hostPhaseType);
  //! Fills the derivative slots from the phase's requests for the current record.
  HRESULT readDerivativeRequests();
  //! Reads and checks temperature, pressure, compound list and composition of phase `index`
  //! into the state (pressure in Pa, the host's composition into compositions[index]) and
  //! places the composition on the package's compounds (materialComposition(index)).
  HRESULT validate(int index, bool twoPhase = false);
  //! Gives the material object the state of phase `index` (its own type and composition).
  HRESULT prepareMaterial(int index);
  //! Fills the request lists for the current phase label index and makes the labels present
  //! on the material.
  void buildRequestLists();
  //! Reads the values of derivative slot `slot` (value code slot * 1000 + property id) into
  //! `values` (N values, or one), with the slot-0 report. RETURNS: the read's (or report's)
  //! status.
  HRESULT readSlot(int slot, std::span<double> values);
  //! Writes `values` (one per package compound, in the package's order) into `out`, one per
  //! compound of the phase's list: through the fluid package's order, then the sub-list.
  void mapToPhaseList(std::span<const double> values, std::vector<double>& out) const;

  //! Number of compounds of the phase's list (n), and whether it is a sub-list that needs
  //! the mapping.
  LONG listCount() const { return m_listCount; }
  bool subList() const { return m_subList; }
  const std::vector<LONG>& mapping() const { return m_mapping; }
  //! Package index of each fluid-package position, as the last validation found it.
  const std::vector<LONG>& compoundOrder() const { return m_order; }
  //! The composition of phase `index` as the material receives it: one value per package
  //! compound, 0 for those outside the fluid package.
  const std::vector<double>& materialComposition(int index) const {
    return m_material[static_cast<std::size_t>(index)];
  }
  LONG hostSlot() const { return m_hostSlot; }
  IBasicPhase* phase(int index) const { return m_phases[index].get(); }

 private:
  HRESULT validatePhase(int index, bool twoPhase);
  //! A solid phase type needs the package's solid phase of this composition: refused with a
  //! message when there is none.
  HRESULT checkSolidPhase(int index);
  //! The phase's compound sub-list; M is the fluid package's number of compounds.
  HRESULT readSubList(IBasicPhase* phase, LONG n, LONG M);
  //! The fluid package's number of compounds: its mapped positions, or N when none is mapped.
  LONG fluidPackageCount() const;
  //! Puts the property-name list last built for `record` and these derivative slots (a bit
  //! per slot) into the state, keeping the state's list for its own record.
  void takeNameList(const calc::RegisteredProperty& record, unsigned slots);
  HRESULT calculateSlot(int slot);
  HRESULT writeSlot(int slot, std::span<const double> values, bool vector);
  //! `propertyId` is the host property asked for (Cp or MolarVolume).
  HRESULT calculateDerived(CalculationMode mode, LONG propertyId);
  //! Marks the phase's derivative requests of `propertyId` as not available.
  HRESULT refuseDerivativeRequests(LONG propertyId);
  bool isHost(int hostProperty, LONG hostId) const;
  CCOError& reporter() const { return *m_links.reporter; }

  CalculationState& m_state;
  CalculationLinks m_links;
  std::array<comlite::ComPtr<IBasicPhase>, 2> m_phases;
  std::array<LONG, 2> m_types{};
  comlite::ComPtr<IRvlDerivativeRequests> m_requests;
  //! Only a request made while another one runs needs storage of its own.
  std::optional<RequestBuffers> m_ownBuffers;
  RequestBuffers& m_buffers;
  //! Every wanted request of each derivative slot (the state's slot holds the first): a phase
  //! may ask for one derivative twice, by "dT" and by "Temperature".
  std::array<std::vector<LONG>, 5>& m_slotRequests;
  //! Position j of the phase's list holds fluid-package compound m_mapping[j].
  std::vector<LONG>& m_mapping;
  //! Fluid-package position i holds package compound m_order[i].
  std::vector<LONG>& m_order;
  //! The compositions of phases 0 and 1 in the package's order, as the material gets them.
  std::array<std::vector<double>, 2>& m_material;
  bool m_subList = false;
  LONG m_listCount = 0;
  LONG m_hostSlot = -1;
  //! CAPE-OPEN values of slot 0: the base of the derivative conversions.
  std::vector<double>& m_base;
  std::vector<double>& m_values;
};

}  // namespace coravl::calc
