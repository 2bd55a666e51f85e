#pragma once
//! CCOMOclient: the component's side of the CAPE-OPEN material object.
//!
//! It holds the package's thermodynamic interfaces and the material's ICapeThermoMaterial,
//! builds the phase table that relates the package's phase labels to CAPE-OPEN phase ids and
//! to the simulator's phase slots, translates the simulator's phase types, and reads and writes
//! overall, single-phase and two-phase properties on the material with a check of the number
//! of values.
//!
//! Ids are those of COIds (phase ids 1 "Overall" ... 10 "Unknown"); host phase slots are 0
//! vapour, 1 liquid, 2 second liquid, 3 overall. Values are SI per mole, as the material holds
//! them. Failing calls on the package or the material raise comlite::ComError, except inside the
//! property reads and writes, which answer E_FAIL.

#include <array>
#include <map>
#include <span>
#include <vector>

#include "base/qo_bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/types.h"
#include "comlite/variant.h"

struct IDispatch;
struct IUnknown;
struct ICapeThermoMaterial;
struct ICapeThermoPhases;
struct ICapeThermoCompounds;
struct ICapeThermoPropertyRoutine;
struct ICapeThermoEquilibriumRoutine;

//! One package phase as the client sees it.
struct PhaseRecord {
  CQoBSTR label;
  bool aqueous = false;  //!< an "Aqueous" liquid had been met when the record was built
  LONG phaseId = 0;      //!< CAPE-OPEN phase id (COIds)
  CQoBSTR keyCompound;
  bool fluid = true;   //!< false for a solid
  LONG hostSlot = -1;  //!< host phase slot; -1 for a solid
};

//! A composition remembered for a solid phase, one value per compound.
struct RememberedComposition {
  std::vector<double> values;
  bool set = false;
};

class CCOMOclient {
 public:
  //! CAPE-OPEN version 1.1, the only one whose interfaces the client takes.
  static constexpr LONG kVersion11 = 110;
  //! Entries of the slot and phase-id tables.
  static constexpr std::size_t kTableSize = 11;
  //! Table entry of a slot or id that no package phase maps to. Not a valid package phase
  //! index, so a package with ten or more phases stays unambiguous.
  static constexpr LONG kNoPhase = -1;
  //! First host slot of the phases past vapour, liquid and second liquid (solids first of all).
  static constexpr LONG kFirstExtraSlot = 4;
  //! Host phase type of a solid phase.
  static constexpr LONG kHostSolidType = 6;

  CCOMOclient();
  //! Releases the package, material, phases, compounds, property routine and equilibrium
  //! routine, in that order.
  ~CCOMOclient();
  CCOMOclient(const CCOMOclient&) = delete;
  CCOMOclient& operator=(const CCOMOclient&) = delete;

  //! Builds the phase table. For version 110 it first (re)takes the package's interfaces
  //! (each missing one is held as null) and its phase list; a failing GetPhaseList or
  //! GetNumPhases raises ComError and leaves the client as it was.
  void setPackage(IDispatch* package);
  //! Version 110 only: takes ICapeThermoMaterial of `material` (an unsupported interface
  //! leaves it null, another failure raises), reads the number of compounds from its
  //! ICapeThermoCompounds (a failure raises; a null material raises E_POINTER), then forgets
  //! the remembered compositions.
  void attachMaterial(IUnknown* material);
  void setVersion(LONG version) { m_version = version; }

  //! CAPE-OPEN phase id of a host phase type: 1 -> 1, 3 -> 3, 4 -> 4, 5 -> 6, 6..10 -> 7.
  //! Any other type is shown as "Bad phase type" and gives 0.
  static LONG Ravl2CO(LONG hostPhaseType);
  //! Host phase type of a CAPE-OPEN phase id: 1 -> 1, 3 -> 3, 4/5/6 -> 4. Any other id raises
  //! ComError(E_INVALIDARG).
  static LONG hostPhaseTypeOfId(LONG phaseId);
  //! Host phase slot of a phase id. For a solid (7) the key of the first remembered
  //! composition that `composition` matches; with none, the slot of the package's only solid
  //! phase; -1 when there is no solid phase, or several and none matches.
  LONG phaseIndexFor(LONG phaseId, std::span<const double> composition) const;

  //! Labels, as new strings; empty when nothing maps there.
  CQoBSTR phaseLabelOfSlot(LONG hostSlot) const;
  //! The same label without a copy (nullptr when there is none), valid until the phase table
  //! changes.
  BSTR phaseLabelTextOfSlot(LONG hostSlot) const;
  CQoBSTR phaseLabelOfIndex(LONG packagePhaseIndex) const;
  CQoBSTR phaseLabelOfId(LONG phaseId) const;
  //! The label of the phase with this id, borrowed (null when there is none).
  BSTR phaseLabelTextOfId(LONG phaseId) const;

  //! The last host slot a package phase asks for: 3 (overall) plus one slot from 4 on for
  //! each phase past the first of its slot (every solid, a third liquid, ...). Phases past
  //! slot 10 get no slot.
  LONG hostPhaseCount() const;
  //! Slots 0 to 3: the host phase type of the slot's phase id; from 4 on: 6 for a solid phase,
  //! else the type of its phase id. A negative slot or one without a phase raises.
  LONG hostPhaseTypeOfSlot(LONG hostSlot) const;
  //! Keeps a copy of the first compound-count values of `composition` under `key`.
  void rememberComposition(std::span<const double> composition, LONG key);

  //! Reads a property from the material into `values`.
  //! `propertyId`: a property id, or a value code (derivative index x 1000 + property id).
  //! `phaseSelector`: 0 reads the single-phase property of `phaseLabel`; 1 the overall
  //! property; 2 ("VaporLiquid") and 8 ("LiquidLiquid") the two-phase property of the package's
  //! phases of those kinds; any other phase id the single-phase property of the package phase
  //! of that id. `propertyName` (when given) overrides the name made from the id and
  //! `derivativeVariable`. One value is read, or one per compound for a per-compound
  //! property or a composition derivative; a count received other than that is shown.
  //! RETURNS: the material's success status; E_FAIL for any failure; E_INVALIDARG when
  //! `values` is shorter than the count.
  HRESULT getProp(LONG propertyId, LONG phaseSelector, std::span<double> values,
                  const OLECHAR* phaseLabel = nullptr, const OLECHAR* propertyName = nullptr,
                  LONG derivativeVariable = 0);
  //! getProp of the package phase that a host slot maps to; E_FAIL when it maps to none.
  HRESULT getPropOfSlot(LONG propertyId, LONG hostSlot, std::span<double> values);
  //! Writes a property to the material, with the rules of getProp. A "fraction" write on the
  //! solid selector (7) goes to the solid phase whose remembered composition the values match.
  HRESULT setProp(LONG propertyId, LONG phaseSelector, std::span<const double> values,
                  const OLECHAR* phaseLabel = nullptr, const OLECHAR* propertyName = nullptr,
                  LONG derivativeVariable = 0);
  HRESULT setPropOfSlot(LONG propertyId, LONG hostSlot, std::span<const double> values);

  //! The held interfaces, without a new reference; null when missing.
  ICapeThermoPropertyRoutine* propertyRoutine() const { return m_propertyRoutine.get(); }
  ICapeThermoEquilibriumRoutine* equilibriumRoutine() const { return m_equilibriumRoutine.get(); }
  ICapeThermoPhases* phases() const { return m_phases.get(); }
  ICapeThermoCompounds* compounds() const { return m_compounds.get(); }
  IDispatch* package() const { return m_package.get(); }
  ICapeThermoMaterial* material() const { return m_material.get(); }

  LONG version() const { return m_version; }
  LONG numCompounds() const { return m_numCompounds; }
  LONG numPhases() const { return m_numPhases; }
  //! Package phase index of the second liquid, 0 when there is none.
  LONG secondLiquidIndex() const { return m_secondLiquidIndex; }
  //! The package's GetPhaseList lists (string arrays, or empty).
  const VARIANT& phaseLabelList() const { return m_phaseLabels; }
  const VARIANT& stateOfAggregationList() const { return m_statesOfAggregation; }
  const VARIANT& keyCompoundList() const { return m_keyCompounds; }
  //! Package phase index -> record; the "Overall" record sits at numPhases().
  const std::map<LONG, PhaseRecord>& phaseTable() const { return m_phaseTable; }
  const std::array<LONG, kTableSize>& slotToPhase() const { return m_slotToPhase; }
  const std::array<LONG, kTableSize>& idToPhase() const { return m_idToPhase; }
  const std::vector<CQoBSTR>& liquidLabels() const { return m_liquidLabels; }
  const std::vector<CQoBSTR>& solidLabels() const { return m_solidLabels; }
  const std::map<LONG, RememberedComposition>& rememberedCompositions() const {
    return m_remembered;
  }

 private:
  void buildPhaseTable();
  //! Name, basis and count of a property request; false when no name can be formed.
  struct Request;
  bool describe(LONG propertyId, const OLECHAR* propertyName, LONG derivativeVariable,
                Request& request) const;
  //! The package's labels of the two phases of a two-phase id, as a 2-string array.
  bool twoPhaseLabels(LONG twoPhaseId, comlite::Variant& labels) const;

  comlite::Variant m_singleValue;
  comlite::Variant m_vectorValue;
  std::vector<double> m_matrix;  //!< a composition derivative of a per-compound property
  LONG m_numCompounds = 0;
  LONG m_secondLiquidIndex = 0;
  LONG m_extraSlots = 0;  //!< phases given (or denied) a slot from 4 on
  std::map<LONG, RememberedComposition> m_remembered;
  comlite::ComPtr<IDispatch> m_package;
  comlite::ComPtr<ICapeThermoMaterial> m_material;
  comlite::ComPtr<ICapeThermoPhases> m_phases;
  comlite::Variant m_phaseLabels;
  comlite::Variant m_statesOfAggregation;
  comlite::Variant m_keyCompounds;
  comlite::ComPtr<ICapeThermoCompounds> m_compounds;
  comlite::ComPtr<ICapeThermoPropertyRoutine> m_propertyRoutine;
  comlite::ComPtr<ICapeThermoEquilibriumRoutine> m_equilibriumRoutine;
  LONG m_version = kVersion11;
  LONG m_numPhases = 0;
  std::map<LONG, PhaseRecord> m_phaseTable;
  std::array<LONG, kTableSize> m_slotToPhase{};
  std::array<LONG, kTableSize> m_idToPhase{};
  std::vector<CQoBSTR> m_liquidLabels;
  std::vector<CQoBSTR> m_solidLabels;
};
