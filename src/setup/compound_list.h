#pragma once
//! CompoundList: the simulator's fluid-package compound list matched against the compounds of
//! the CAPE-OPEN package.
//!
//! The simulator keeps its own compound list per fluid package (host id numbers, names, CAS
//! numbers); the package's list is the adapter's ("SelectedCompIds", "SelectedCompQoNames",
//! "SelectedCompCASNos", "SelectedIDNumbers", parallel, one element per package compound).
//! This unit identifies each compound the simulator appends with one package compound, keeps
//! the map from fluid-package positions to package compounds through additions, removals and
//! exchanges, hands the package's constants of hypothetical compounds to the simulator, and
//! blocks calculations while the list is in a bad state (the compound gate).
//!
//! Ownership: the package lists, the compound count and the options belong to the component
//! object, which binds them here by reference for the life of the list; the list updates
//! "SelectedIDNumbers" in place. The outside objects of a call (CompoundLinks) are borrowed for
//! that call only. Texts are UTF-8.
//!
//! Failures: the methods that stand for host methods never throw; each runs under the
//! component's failure convention with its own context phrase (MethodGuard). identifyCompound
//! and refresh raise comlite::ComError for a failing adapter or material call and CTHCOMError
//! for a failing host framework call, as their callers expect.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "comlite/hresult.h"
#include "comlite/types.h"
#include "comlite/variant.h"

class CCOError;
struct IDispatch;
struct IIntegerArrayDisp;
struct IMatObj;
struct IPackageAdapter;
struct IRealArrayDisp;
struct IRvlComponent;
struct IRvlCompoundConstants;
struct IRvlCompoundModification;

//! The outside objects one operation talks to; any may be null where the operation does not
//! need it. The composition arrays are the component's first two per-compound arrays.
struct CompoundLinks {
  IPackageAdapter* adapter = nullptr;
  IIntegerArrayDisp* integerArray = nullptr;
  IRealArrayDisp* realArray1 = nullptr;
  IRealArrayDisp* realArray2 = nullptr;
  IMatObj* material = nullptr;
  std::span<double> composition0;
  std::span<double> composition1;
};

//! The component's members the list reads (and, for the id numbers, writes).
struct PackageCompoundLists {
  VARIANT& idNumbers;         //!< "SelectedIDNumbers", doubles
  const VARIANT& casNumbers;  //!< "SelectedCompCASNos", strings
  const VARIANT& compIds;     //!< "SelectedCompIds", strings
  const VARIANT& qoNames;     //!< "SelectedCompQoNames", strings
  const LONG& compoundCount;  //!< the package's number of compounds
};

//! The persisted compound options of the component.
struct CompoundOptions {
  const bool& treatAsHypos;
  const bool& freeCompounds;
  const bool& allowSubsets;
};

class CompoundList {
 public:
  //! Positions a fluid package can hold.
  static constexpr LONG kMapSize = 300;
  //! The last position an addition may take.
  static constexpr LONG kMaxPosition = 298;
  //! The CAPE-OPEN invalid-argument status, returned for positions out of range.
  static constexpr HRESULT kInvalidPosition = ECapeInvalidArgumentHR;
  //! Id number the package lists use for a compound offered as hypothetical.
  static constexpr double kHypotheticalMark = -2.0;

  //! Context phrases of the failure convention.
  static constexpr const char* kSupportedContext = "getting supported compounds";
  static constexpr const char* kInfoContext = "getting compound constant properties";
  static constexpr const char* kAddContext = "adding a compound to the fluid package";
  static constexpr const char* kRemoveContext = "removing a compound from the fluid package";
  static constexpr const char* kExchangeContext = "exchanging compounds of the fluid package";

  //! Gate texts of the two callers.
  static constexpr const char* kCalculationOperation = "calculating properties. ";
  static constexpr const char* kFlashOperation = "executing flash";

  CompoundList(CCOError& reporter, PackageCompoundLists lists, CompoundOptions options);
  CompoundList(const CompoundList&) = delete;
  CompoundList& operator=(const CompoundList&) = delete;

  // Host methods (the component runs its entry check first where the host contract says so).

  //! status 1 when freeCompounds or allowSubsets is set, else 0. RETURNS: S_OK; E_POINTER.
  HRESULT canNumbCompChange(INT* status) const;
  //! The package's compounds as the simulator should see them: 32-bit id numbers (a compound
  //! without an id, or every compound with treatAsHypos, becomes -2 and its name gets a '*'),
  //! the package's compound ids, "CASN" and the CAS numbers. "SelectedIDNumbers" is updated
  //! and written back to the adapter. Outs are replaced (the caller frees them).
  HRESULT getSupportedComps(const CompoundLinks& links, INT* nComp, VARIANT* ids, VARIANT* names,
                            BSTR* identifierName, VARIANT* identifiers);
  //! The compound count inside the companion application, else the fluid package's length.
  HRESULT getNumbCompounds(INT* nComp) const;
  //! Hands the package's constants of the hypothetical compound at fluid-package position
  //! `iComp` to the host compound `compound`; `propnames` (replaced) lists the host names set.
  //! A library compound gets nothing, and the outs are then left alone.
  HRESULT getCompoundInfo(const CompoundLinks& links, INT iComp, IDispatch* compound, INT* nProps,
                          VARIANT* propnames);
  //! Identifies the compound the simulator appends and refreshes the list.
  HRESULT addLastCompound(const CompoundLinks& links, IDispatch* compound);
  //! Removes fluid-package position `i` (ignored while the compounds changed on recall).
  HRESULT removeCompoundi(const CompoundLinks& links, INT i);
  //! Swaps fluid-package positions `i` and `j`.
  HRESULT exchangeCompounds(const CompoundLinks& links, INT i, INT j);

  // Internal operations.

  //! Matches a compound (trimmed name, CAS number, host id) with a package compound: by CAS
  //! number first, else by the compound name match on "SelectedCompQoNames". On success the
  //! name is appended at the mapped count's position. RETURNS: S_OK; the reporter's answer for
  //! a compound that cannot be identified; a failed id write-back.
  HRESULT identifyCompound(const CompoundLinks& links, std::u16string_view name,
                           std::u16string_view casNumber, LONG hostId);
  //! Pushes the fluid-package list to the adapter and re-primes the material object (300 K,
  //! 100000 Pa, composition array 0, phases Liquid, Vapor, Overall). Sets the valid flag.
  //! RETURNS: the status of the last material call, or a failed resize of the integer array.
  HRESULT refresh(const CompoundLinks& links);
  //! S_OK while the list is valid; else E_FAIL, showing the pending warning (if any) once as
  //! "Warning while <operation>. <warning>".
  HRESULT compoundGate(const char* operation);

  // Recall support (package initialisation).

  //! Every position maps to no package compound.
  void resetPositionMap();
  //! Rebuilds the fluid-package list from "UserSelectedCompQoNames" and maps each position to
  //! the first package compound whose "SelectedCompQoNames" entry matches it (or -1).
  void rebuildFromUserNames();
  //! The package's compounds differ from the saved ones: the warning stays pending for the
  //! gate and the list is not valid until the simulator has rebuilt it.
  void markCompoundsChanged(std::string warning);
  //! The record key of the saved map.
  static constexpr std::u16string_view kPositionsKey = u"CompoundPositions";
  //! The map as saved with the case: one package index per fluid-package position ("-1" for
  //! none), separated by commas.
  std::u16string positionsText() const;
  //! Takes the saved map over the one rebuilt by name, when `text` holds one index per
  //! position, each a package compound; otherwise the rebuilt map stays.
  //! RETURNS: whether the saved map was taken.
  bool restorePositions(std::u16string_view text);
  //! After a recall: a position that maps to no package compound closes the gate, with a
  //! warning naming the compound.
  void closeGateOnUnmapped();
  void clearEdited() { m_listEdited = 0; }
  //! After a recall that did not happen: the list, map, flags and warning as constructed.
  void forgetRecall();
  //! Empties the fluid-package list (the simulator adds its compounds again).
  void clearCompounds() { m_compounds.clear(); }

  // State.

  //! "UserSelectedCompQoNames": the fluid-package list as exchanged with the adapter.
  VARIANT& userSelectedCompQoNames() { return m_userSelectedCompQoNames; }
  const std::vector<std::string>& compounds() const { return m_compounds; }
  const std::array<LONG, kMapSize>& positionMap() const { return m_positionMap; }
  //! Package index of fluid-package position `i`; -1 when unmapped or out of range.
  LONG packageIndexOf(LONG i) const;
  LONG mappedCount() const { return m_mappedCount; }
  bool listValid() const { return m_listValid != 0; }
  bool compoundsChanged() const { return m_compoundsChanged != 0; }
  bool listEdited() const { return m_listEdited != 0; }
  const std::string& pendingWarning() const { return m_pendingWarning; }

 private:
  HRESULT supportedComps(const CompoundLinks& links, INT* nComp, VARIANT* ids, VARIANT* names,
                         BSTR* identifierName, VARIANT* identifiers);
  HRESULT compoundInfo(const CompoundLinks& links, INT iComp, IDispatch* compound, INT* nProps,
                       VARIANT* propnames);
  HRESULT addLast(const CompoundLinks& links, IDispatch* compound);
  //! Hands over the constants of package compound `j`; the adapter sees the package's own
  //! list meanwhile.
  HRESULT handOverConstants(const CompoundLinks& links, LONG j, IRvlComponent* component,
                            IRvlCompoundConstants* setter, IRvlCompoundModification* modification,
                            INT* nProps, VARIANT* propnames);
  bool packageCompoundIsHypothetical(LONG j) const;

  CCOError& m_reporter;
  PackageCompoundLists m_lists;
  CompoundOptions m_options;

  std::vector<std::string> m_compounds;
  std::array<LONG, kMapSize> m_positionMap;
  LONG m_mappedCount = 0;
  comlite::Variant m_userSelectedCompQoNames;
  BYTE m_listValid = 1;
  BYTE m_compoundsChanged = 0;
  BYTE m_listEdited = 0;
  std::string m_pendingWarning;
};
