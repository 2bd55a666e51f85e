#pragma once
//! The material object: holds temperature, pressure, composition, present phases with their
//! status, and per-phase, overall and two-phase property values (with their derivatives), for
//! the compounds and phases of the CAPE-OPEN 1.1 package it is bound to; lets that package
//! calculate properties and equilibria on it.
//!
//! Values are kept per (property name, basis); a basis-dependent property given without a
//! basis is on a mole basis, and mole and mass values are converted into each other where the
//! molecular weights allow. Errors of the package pass through unchanged (same status, same
//! description) and are also reported to the ICapeDiagnostics proxy.

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capeside/support/cape_object.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/variant.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"

namespace capeside {

class MaterialObject
    : public CapeObject<MaterialObject, ICapeThermoMaterial, ICapeThermoCompounds, IMatObj> {
 public:
  //! Answers kSelfIID with the object itself, so that copies between our materials are direct.
  void* queryExtra(REFIID riid);

  // ICapeThermoMaterial
  HRESULT ClearAllProps() override;
  HRESULT CopyFromMaterial(IDispatch** source) override;
  HRESULT CreateMaterial(IDispatch** materialObject) override;
  HRESULT GetOverallProp(BSTR property, BSTR basis, VARIANT* results) override;
  HRESULT GetOverallTPFraction(double* temperature, double* pressure,
                               VARIANT* composition) override;
  HRESULT GetPresentPhases(VARIANT* phaseLabels, VARIANT* phaseStatus) override;
  HRESULT GetSinglePhaseProp(BSTR property, BSTR phaseLabel, BSTR basis, VARIANT* results) override;
  HRESULT GetTPFraction(BSTR phaseLabel, double* temperature, double* pressure,
                        VARIANT* composition) override;
  HRESULT GetTwoPhaseProp(BSTR property, VARIANT phaseLabels, BSTR basis,
                          VARIANT* results) override;
  HRESULT SetOverallProp(BSTR property, BSTR basis, VARIANT values) override;
  HRESULT SetPresentPhases(VARIANT phaseLabels, VARIANT phaseStatus) override;
  HRESULT SetSinglePhaseProp(BSTR property, BSTR phaseLabel, BSTR basis, VARIANT values) override;
  HRESULT SetTwoPhaseProp(BSTR property, VARIANT phaseLabels, BSTR basis, VARIANT values) override;
  // ICapeThermoCompounds (the package's compounds)
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
  // IMatObj
  HRESULT PutproxyPtr(ICapeDiagnostics* proxy) override;
  HRESULT SetPackage(IDispatch* package) override;
  HRESULT GetPackage(IDispatch** package) override;
  HRESULT GetPhaseLabel(LONG phaseIndex, BSTR* label) override;
  HRESULT GetPhaseIndex(BSTR label, LONG* phaseIndex) override;
  HRESULT GetNumValues(LONG valueCode, LONG* count) override;
  HRESULT ClearState() override;
  HRESULT GetPropertyName(LONG valueCode, BSTR* name) override;
  HRESULT GetProxyPtr(ICapeDiagnostics** proxy) override;
  HRESULT SetState(double temperature, double pressure, const double* composition,
                   LONG phaseIndex) override;
  HRESULT GetValue(LONG phaseIndex, LONG valueCode, double* values) override;
  HRESULT GetValues(LONG phaseIndex, LONG valueCode, VARIANT* values) override;
  HRESULT SetValues(LONG phaseIndex, LONG valueCode, VARIANT values) override;
  HRESULT CalcSinglePhaseProps(VARIANT props, BSTR phaseLabel, BSTR calcType) override;
  HRESULT GetState(double* temperature, double* pressure, double* composition,
                   LONG phaseIndex) override;
  HRESULT GetPhaseStatus(LONG phaseIndex, LONG* status) override;
  HRESULT SetPhaseStatus(LONG phaseIndex, LONG status) override;
  HRESULT SetValue(LONG valueCode, LONG phaseIndex, const double* values) override;
  HRESULT GetCompoundCount(LONG* count) override;
  HRESULT Flash(LONG flashId) override;
  HRESULT CalcTwoPhaseProps(VARIANT props, VARIANT phaseLabels) override;
  HRESULT GetFlashSpecification(LONG flashId, VARIANT* specification1, VARIANT* specification2,
                                BSTR* solutionType) override;

 private:
  //! Values by key (lower-case name | basis). A key keeps its slot, and the slot its storage,
  //! once made: setting the same property again reuses both instead of allocating.
  class Values {
   public:
    //! The slots of the state, first in every table under their keys.
    enum StateValue : std::size_t { kTemperature, kPressure, kFraction };
    Values();
    //! The values of a state slot, nullptr when not set.
    const std::vector<double>* state(StateValue which) const {
      return m_slots[which].set ? &m_slots[which].values : nullptr;
    }
    //! The storage of a state slot; marks it set (the caller fills it).
    std::vector<double>& stateSlot(StateValue which) {
      m_slots[which].set = true;
      return m_slots[which].values;
    }
    //! The values of `key`, nullptr when none are set.
    const std::vector<double>* find(std::string_view key) const;
    //! The storage of `key`, made when new; marks it set (the caller fills it).
    std::vector<double>& slot(std::string_view key);
    void erase(std::string_view key);
    //! Unsets every key (the slots stay for reuse).
    void clear();

   private:
    struct Slot {
      std::string key;
      std::vector<double> values;
      bool set = false;
    };
    std::vector<Slot> m_slots;
  };
  struct Phase {
    std::string label;
    std::u16string wideLabel;  //!< the label as it is handed out
    std::string state;         //!< state of aggregation
    bool present = false;
    LONG status = CAPE_UNKNOWNPHASESTATUS;
    Values values;
  };

  // Package binding.
  void requirePackage(const char* scope) const;
  //! A compound query the package answers itself: its failure is passed on as it raised it.
  template <class Call>
  HRESULT forwardToPackage(const char* operation, Call&& call);
  std::size_t compoundCount() const { return m_compIds.size(); }
  //! Index into m_phases of a package phase label; ECapeInvalidArgument at `position` if none.
  std::size_t phaseOfLabel(std::string_view label, SHORT position, const char* scope) const;
  std::size_t phaseOfLabel(BSTR label, SHORT position, const char* scope) const;
  std::size_t phaseOfLabel(std::u16string_view label, SHORT position, const char* scope) const;
  //! Index into m_phases of a phase index (3, 4, 5, 6, 7, 10); nullopt for 1 and 2.
  std::size_t phaseOfIndex(LONG phaseIndex, const char* scope) const;
  //! The two labels of a two-phase argument (index pair in m_phases).
  std::pair<std::size_t, std::size_t> twoPhaseOf(const std::vector<std::string>& labels,
                                                 SHORT position, const char* scope) const;
  std::pair<std::size_t, std::size_t> twoPhaseOfIndex(LONG phaseIndex, const char* scope) const;

  // Values.
  //! The value table of a phase index: 1 overall, 2/8 a phase pair, others a package phase.
  Values& tableOf(LONG phaseIndex, const char* scope);
  Values& twoPhaseTable(std::size_t a, std::size_t b);
  //! A key made by keyOf: the length of its name part and the number of values the property
  //! takes (0: any).
  struct Key {
    std::size_t nameLength = 0;
    std::size_t expected = 0;
  };
  //! Writes the key of (name, basis) into `key`, its storage reused: the lower-case name, '|'
  //! and the basis ("mole" or "mass" for basis-dependent properties, "" for the others).
  //! ECapeInvalidArgument for an empty name or an unknown basis.
  Key keyOf(std::string_view name, std::string_view basis, SHORT namePosition, SHORT basisPosition,
            const char* scope, std::string& key) const;
  //! keyOf of a name and basis as a caller gives them, remembered by their UTF-16 text: the
  //! key (valid until the next call) and, in `k`, its facts.
  const std::string& keyOf(BSTR name, BSTR basis, SHORT namePosition, SHORT basisPosition,
                           const char* scope, Key& k) const;
  //! Stores `values` under (name, basis): swapped into the slot, so that `values` takes the
  //! slot's old storage.
  void store(Values& table, std::string_view name, std::string_view basis,
             std::vector<double>& values, SHORT valuesPosition, const char* scope);
  void store(Values& table, std::string_view name, std::string_view basis,
             std::vector<double>&& values, SHORT valuesPosition, const char* scope) {
    store(table, name, basis, values, valuesPosition, scope);
  }
  void store(Values& table, BSTR name, BSTR basis, std::vector<double>& values,
             SHORT valuesPosition, const char* scope);
  //! The values of (name, basis), converted from the other basis when needed;
  //! ECapeThrmPropertyNotAvailable when there are none. The reference is valid until the next
  //! store or fetch.
  const std::vector<double>& fetch(const Values& table, std::string_view name,
                                   std::string_view basis, const char* scope) const;
  const std::vector<double>& fetch(const Values& table, BSTR name, BSTR basis,
                                   const char* scope) const;
  //! Temperature, pressure and mole fractions of a table, as fetch reads them; `x` is valid
  //! until the next store or fetch.
  struct StateValues {
    double T, P;
    const std::vector<double>& x;
  };
  StateValues stateOf(const Values& table, const char* scope) const;
  //! The UTF-8 text of a BSTR in `buffer`, its storage reused (nullptr reads as "").
  static std::string_view textIn(BSTR s, std::string& buffer);
  //! Mole fractions of a table ("fraction", mole); empty when unknown.
  std::vector<double> moleFractions(const Values& table) const;
  //! Converts between mole and mass basis; empty when not possible.
  std::vector<double> convertBasis(std::string_view name, const std::vector<double>& values,
                                   bool toMass, const Values& table) const;

  //! Hands the package this material (ICapeThermoMaterialContext::SetMaterial).
  void bindToPackage(const char* scope);
  //! Reports a package failure to the proxy and throws it on unchanged.
  [[noreturn]] void passOn(HRESULT hr, IUnknown* callee, const char* interfaceName,
                           const char* operation, const char* doing);
  void clearValues();

  comlite::ComPtr<IDispatch> m_package;
  comlite::ComPtr<ICapeThermoCompounds> m_packageCompounds;
  comlite::ComPtr<ICapeThermoPropertyRoutine> m_propertyRoutine;
  comlite::ComPtr<ICapeThermoEquilibriumRoutine> m_equilibriumRoutine;
  comlite::ComPtr<ICapeThermoMaterialContext> m_materialContext;
  comlite::ComPtr<ICapeDiagnostics> m_proxy;
  std::vector<std::string> m_compIds, m_formulae, m_names, m_casNos;
  std::vector<double> m_boilTemps, m_molWeights;
  std::vector<Phase> m_phases;          //!< package phases in package order
  std::map<LONG, std::size_t> m_idMap;  //!< phase id -> index into m_phases
  //! m_idMap by place for the small ids (npos where none): every value a caller asks for
  //! names its phase by id. Rebuilt by indexPhases whenever m_idMap changes.
  std::array<std::size_t, 16> m_phaseByIndex = filledIndex();
  static constexpr std::array<std::size_t, 16> filledIndex() {
    std::array<std::size_t, 16> a{};
    a.fill(static_cast<std::size_t>(-1));
    return a;
  }
  void indexPhases();
  //! Lower-case phase label -> index into m_phases.
  std::unordered_map<std::string, std::size_t> m_labelIndex;
  std::vector<std::size_t> m_presentOrder;
  Values m_overall;
  std::map<std::pair<std::size_t, std::size_t>, Values> m_twoPhase;
  // Work storage of the property calls (one call at a time per material), kept between calls.
  mutable std::string m_key, m_otherKey;
  //! The keys of the last names asked for, as given, for the material's compound count.
  struct KnownKey {
    std::u16string name, basis;
    std::string key;  //!< empty while unused
    std::size_t compounds = 0;
    Key k;
  };
  mutable std::array<KnownKey, 16> m_knownKeys;
  mutable std::size_t m_nextKnownKey = 0;
  mutable std::vector<double> m_converted;
  mutable std::string m_name, m_basis;
  std::vector<std::u16string> m_wideLabelsOut;
  std::vector<std::u16string_view> m_wideLabelsIn;  //!< views into the caller's list
  std::vector<LONG> m_statusIn;
  std::vector<std::size_t> m_orderIn, m_positionIn;
  std::vector<double> m_incoming;
  //! The value code last decoded and the name of its property.
  struct CodeName {
    LONG code = -1;
    std::string name;
    std::string key;  //!< of (name, "mole"), made once
    bool perCompound = false, matrix = false;
  };
  const CodeName& codeName(LONG valueCode, SHORT position, const char* scope);
  std::vector<CodeName> m_codeNames;
  //! The specification of each flash id used so far (GetFlashSpecification's answer).
  struct FlashSpec {
    LONG id = 0;
    comlite::Variant s1, s2;
    comlite::Bstr type;
  };
  std::vector<FlashSpec> m_flashSpecs;
  //! The specification of a flash id (GetFlashSpecification's answer), made on first use.
  const FlashSpec& flashSpec(LONG flashId, const char* scope);
};

//! Private interface id answered by MaterialObject with the object itself.
inline constexpr IID kMaterialObjectSelfIID =
    comlite::makeGuid("A8E0A9D0-4D6C-4B1B-9B34-2C4E5D7F8A11");

}  // namespace capeside
