#pragma once
//! COIds: the table of CAPE-OPEN identifier strings. Every id is a fixed position in the table
//! (0 = none); the rest of the component compares ids and converts to and from the exact
//! strings only at the CAPE-OPEN wall. The table is filled at module load and read-only
//! afterwards, so lookups need no lock.
//!
//! Some strings have two ids in different groups ("mass" 14 and 76, "molecularWeight" 77 and
//! 82, "idealGasEnthalpy" 56 and 154, "idealGasHeatCapacity" 55 and 156); a lookup by string
//! therefore always names its group.

#include <string>

#include "comlite/types.h"
#include "comlite/variant.h"
#include "base/qo_bstr.h"

//! One table entry: an identifier string at a declared position.
class COId {
 public:
  //! Copies `text`. Checks that `position` equals `builtSoFar` (the entries built before this
  //! one) and that the text has at most 45 characters; a failed check is shown (title
  //! "ERROR"), and loading goes on. Increments `builtSoFar`.
  COId(LONG position, const char* text, LONG& builtSoFar);
  //! The end marker: no checks; fixes `builtSoFar` at `position`.
  COId(LONG position, LONG& builtSoFar);
  COId(const COId&) = delete;
  COId& operator=(const COId&) = delete;
  ~COId();

  BSTR wide() const { return m_wide; }
  const std::string& narrow() const { return m_narrow; }

 private:
  BSTR m_wide = nullptr;
  std::string m_narrow;
};

//! The first id of one group of the table.
class COIdsType {
 public:
  //! Checks that `position` equals `builtSoFar` (shown with title "ERROR" when not) and
  //! increments it.
  COIdsType(LONG position, LONG firstId, LONG& builtSoFar);
  //! The closing record: no check; fixes `builtSoFar` at `position`.
  COIdsType(LONG position, LONG firstId, LONG& builtSoFar, bool closing);

  LONG firstId() const { return m_firstId; }

 private:
  LONG m_firstId;
};

class COIds {
 public:
  virtual ~COIds() = default;

  //! Groups of ids, in table order.
  enum Group : LONG {
    GroupPhase = 0,
    GroupCalcType = 1,
    GroupBasis = 2,
    GroupFlashSpec = 3,
    GroupDerivSuffix = 4,  //!< the "Pd" ids; also holds 27 and 28 for isOfType
    GroupProperty = 5,     //!< the "Pp" ids
    GroupConstProp = 6,
    GroupPhaseAttribute = 7,
    GroupSolidType = 8,
    GroupPhaseDescription = 9,
    GroupUniversalConstant = 10,
    GroupTDependentProp = 11,
    GroupPDependentProp = 12,
  };

  //! Every id of the table, by group.
  enum Id : LONG {
    NoId = 0,
    // phase labels
    PhaseOverall = 1,
    PhaseVaporLiquid = 2,
    PhaseVapor = 3,
    PhaseLiquid = 4,
    PhaseLiquid2 = 5,
    PhaseAqueous = 6,
    PhaseSolid = 7,
    PhaseLiquidLiquid = 8,
    PhaseLiquidSolid = 9,
    PhaseUnknown = 10,
    // calculation types
    CalcMixture = 11,
    CalcPure = 12,
    // bases
    BasisMole = 13,
    BasisMass = 14,
    // flash specifications
    FlashTP = 15,
    FlashPH = 16,
    FlashTH = 17,
    FlashTVF = 18,
    FlashPVF = 19,
    FlashHVF = 20,
    FlashPS = 21,
    FlashTS = 22,
    // derivative suffixes
    PdTemperature = 23,
    PdPressure = 24,
    PdMolFraction = 25,
    PdMoles = 26,
    // properties of a phase or of the mixture
    PropTemperature = 27,
    PropPressure = 28,
    PropFraction = 29,
    PropFugacityCoefficient = 30,
    PropLogFugacity = 31,
    PropLogFugacityCoefficient = 32,
    PropFugacity = 33,
    PropKvalue = 34,
    PropEnthalpy = 35,
    PropEntropy = 36,
    PropHeatCapacityCp = 37,
    PropVolume = 38,
    PropHeatCapacityCv = 39,
    PropDensity = 40,
    PropFlow = 41,
    PropEnthalpyDtemperature = 42,
    PropPhaseFraction = 43,
    PropTotalFlow = 44,
    PropLogKvalue = 45,
    PropCompressibility = 46,
    PropViscosity = 47,
    PropThermalConductivity = 48,
    PropSelfDiffusionCoefficient = 49,
    PropActivity = 50,
    PropActivityCoefficient = 51,
    PropSurfaceTension = 52,
    PropCompressibilityFactor = 53,
    PropJouleThomsonCoefficient = 54,
    PropIdealGasHeatCapacity = 55,
    PropIdealGasEnthalpy = 56,
    PropExcessEnthalpy = 57,
    PropExcessEnergy = 58,
    PropExcessGibbsEnergy = 59,
    PropExcessHelmholtzEnergy = 60,
    PropExcessEntropy = 61,
    PropExcessVolume = 62,
    PropInternalEnergy = 63,
    PropGibbsEnergy = 64,
    PropHelmholtzEnergy = 65,
    PropPartialMolarEnthalpy = 66,
    PropPartialMolarEnergy = 67,
    PropPartialGibbsFreeEnergy = 68,
    PropPartialHelmholtzFreeEnergy = 69,
    PropPartialMolarVolume = 70,
    PropBubblePointPressure = 71,
    PropBubblePointTemperature = 72,
    PropDewPointPressure = 73,
    PropDewPointTemperature = 74,
    PropMoles = 75,
    PropMass = 76,
    PropMolecularWeight = 77,
    // compound constant properties
    ConstCasRegistryNumber = 78,
    ConstIupacName = 79,
    ConstChemicalFormula = 80,
    ConstSMILESformula = 81,
    ConstMolecularWeight = 82,
    ConstCriticalTemperature = 83,
    ConstCriticalPressure = 84,
    ConstCriticalVolume = 85,
    ConstCriticalCompressibilityFactor = 86,
    ConstCriticalDensity = 87,
    ConstAcentricFactor = 88,
    ConstDipoleMoment = 89,
    ConstParachor = 90,
    ConstGyrationRadius = 91,
    ConstAssociationParameter = 92,
    ConstDiffusionVolume = 93,
    ConstDiffusionCoefficient = 94,
    ConstVanderwaalsVolume = 95,
    ConstVanderwaalsArea = 96,
    ConstEnergyLennardJones = 97,
    ConstLengthLennardJones = 98,
    ConstNormalBoilingPoint = 99,
    ConstHeatOfVaporizationAtNormalBoilingPoint = 100,
    ConstNormalFreezingPoint = 101,
    ConstHeatOfFusionAtNormalFreezingPoint = 102,
    ConstLiquidDensityAt25C = 103,
    ConstLiquidVolumeAt25C = 104,
    ConstIdealGasGibbsFreeEnergyOfFormationAt25C = 105,
    ConstIdealGasEnthalpyOfFormationAt25C = 106,
    ConstStandardFormationEnthalpySolid = 107,
    ConstStandardFormationEnthalpyLiquid = 108,
    ConstStandardFormationEnthalpyGas = 109,
    ConstStandardFreeFormationEnthalpySolid = 110,
    ConstStandardFreeFormationEnthalpyLiquid = 111,
    ConstStandardFreeFormationEnthalpyGas = 112,
    ConstStandardEntropySolid = 113,
    ConstStandardEntropyLiquid = 114,
    ConstStandardEntropyGas = 115,
    ConstTriplePointTemperature = 116,
    ConstTriplePointPressure = 117,
    // phase attributes
    AttrStateOfAggregation = 118,
    AttrKeyCompoundId = 119,
    AttrExcludedCompoundId = 120,
    AttrDensityDescription = 121,
    AttrUserDescription = 122,
    AttrTypeOfSolid = 123,
    // types of solid
    SolidTypePureSolid = 124,
    SolidTypeSolidSolution = 125,
    SolidTypeHydrateI = 126,
    SolidTypeHydrateII = 127,
    SolidTypeHydrateH = 128,
    // phase description values
    DescUnspecified = 129,
    DescNormal = 130,
    DescRetrograde = 131,
    DescUndefined = 132,
    DescVaporPhase = 133,
    DescLiquidPhase = 134,
    DescOrganicLiquidPhase = 135,
    DescAqueousLiquidPhase = 136,
    // universal constants
    UnivAvogadroConstant = 137,
    UnivBoltzmannConstant = 138,
    UnivMolarGasConstant = 139,
    UnivSpeedOfLightInVacuum = 140,
    UnivStandardAccelerationOfGravity = 141,
    UnivIdealGasStateReferencePressure = 142,
    // temperature-dependent compound properties
    TDepCpAqueousInfiniteDilution = 143,
    TDepDielectricConstant = 144,
    TDepExpansivity = 145,
    TDepFugacityCoefficientOfVapor = 146,
    TDepGlassTransitionPressure = 147,
    TDepHeatCapacityOfLiquid = 148,
    TDepHeatCapacityOfSolid = 149,
    TDepHeatOfFusion = 150,
    TDepHeatOfSolidSolidPhaseTransition = 151,
    TDepHeatOfSublimation = 152,
    TDepHeatOfVaporization = 153,
    TDepIdealGasEnthalpy = 154,
    TDepIdealGasEntropy = 155,
    TDepIdealGasHeatCapacity = 156,
    TDepMeltingPressure = 157,
    TDepSolidSolidPhaseTransitionPressure = 158,
    TDepSublimationPressure = 159,
    TDepSurfaceTensionSatLiquid = 160,
    TDepThermalConductivityOfLiquid = 161,
    TDepThermalConductivityOfSolid = 162,
    TDepThermalConductivityOfVapor = 163,
    TDepVaporPressure = 164,
    TDepVirialCoefficient = 165,
    TDepViscosityOfLiquid = 166,
    TDepViscosityOfVapor = 167,
    TDepVolumeChangeUponVaporization = 168,
    TDepVolumeChangeUponSublimation = 169,
    TDepVolumeChangeUponMelting = 170,
    TDepVolumeChangeUponSolidSolidPhaseTransition = 171,
    TDepVolumeOfLiquid = 172,
    TDepVolumeOfSolid = 173,
    // pressure-dependent compound properties
    PDepBoilingPointTemperature = 174,
    PDepGlassTransitionTemperature = 175,
    PDepMeltingTemperature = 176,
    PDepSolidSolidPhaseTransitionTemperature = 177,
    // end marker
    EndMarker = 178,
  };

  //! Derivative variables, as derivative requests name them (list positions 0 to 4).
  enum DerivativeVariable : LONG {
    DerivNone = 0,
    DerivTemperature = PropTemperature,
    DerivPressure = PropPressure,
    DerivMolFraction = PdMolFraction,
    DerivMoles = PdMoles,
  };

  //! Host phase slots.
  enum HostPhaseSlot : LONG {
    SlotVapor = 0,
    SlotLiquid = 1,
    SlotLiquid2 = 2,
    SlotOverall = 3,
  };

  //! Longest identifier accepted at load, in characters.
  static constexpr LONG kMaxIdentifierLength = 45;

  //! Entries after loading (178: ids 0 to 177); the end marker is not counted.
  static LONG count();
  //! Groups after loading (13).
  static LONG groupCount();
  //! First id of group `group` (0 to 12; 13 gives 178); -1 for any other group.
  static LONG groupStart(LONG group);
  //! The group that holds `id`; -1 when none does.
  static LONG groupOf(LONG id);

  //! The table's own string for 1 <= id < 178 (do not free it); null for any other id.
  static BSTR id2str(LONG id);
  //! The same as UTF-8 text; null for any other id.
  static const char* id2cstr(LONG id);
  //! A new copy of id2str(id), which the caller frees; null when id2str is null.
  static BSTR id2bstr(LONG id);
  //! The id of `text` in `group`: 0 for a null or empty text, -1 when not found. The search
  //! runs from `firstId` (0: the group's first id) to the group's last id, or to id 177 when
  //! `toEnd` is set, ignoring ASCII case.
  static LONG str2id(const OLECHAR* text, LONG group, LONG firstId = 0, bool toEnd = false);
  static LONG str2id(const char* text, LONG group, LONG firstId = 0, bool toEnd = false);

  //! Whether `id` lies in `group`; group 4 also holds 27 and 28.
  static bool isOfType(LONG id, LONG group);
  //! True for "VaporLiquid" and "LiquidLiquid"; an id outside group 0 is reported, false.
  static bool isTwoPhase(LONG phaseId);
  //! True for ids 78 to 81 (text-valued constants); an id outside group 6 is reported, false.
  static bool isStringConstProp(LONG constPropId);
  //! Whether the property's value depends on the mole or mass basis.
  static bool isBasisDependent(LONG propId);
  //! Whether the value (or its derivative by `derivVariable`) has one element per compound.
  static bool isCompoundVector(LONG propId, LONG derivVariable);
  //! Whether the text names "fraction", "flow", "phaseFraction" or "totalFlow" (group 5).
  static bool isMaterialStateProp(const OLECHAR* propName);
  static bool isMaterialStateProp(const char* propName);
  //! !isMaterialStateProp(id2str(propId)).
  static bool isCalculatedProp(LONG propId);

  //! Host phase slot of a phase id: Vapor 0, Liquid 1, Liquid2 and Aqueous 2, Overall 3. Any
  //! other phase is reported ("... will be ignored") and gives 3.
  static LONG COphaseId2offset(LONG phaseId);
  //! Phase id of a host slot: 0 Vapor, 1 Liquid, 2 Liquid2, 3 Overall; 0 for any other slot.
  static LONG offset2COphaseId(LONG slot);
  //! For "VaporLiquid" puts "Vapor", "Liquid" into the 2-element string list in `phases`; for
  //! "LiquidLiquid" "Liquid", "Liquid2". False, list untouched, for any other label or list.
  static bool splitTwoPhase(const OLECHAR* twoPhaseLabel, VARIANT& phases);

  //! CAPE-OPEN name of a property or of its derivative: variable 0 gives the property's own
  //! name, 27/28 "<prop>.D<variable>", 23 to 26 "<prop><suffix>"; any other variable is
  //! reported and gives the plain name.
  static CQoBSTR createDerivative(LONG propId, LONG derivVariable);
  //! The group-5 id whose derivative by `derivVariable` is `name`; 0 when `name` is not such a
  //! derivative, -1 when the root before the '.' is no known property.
  static LONG getRootProperty(const OLECHAR* name, LONG derivVariable);
  static LONG getRootProperty(const char* name, LONG derivVariable);
  //! 0 when `name` holds no ".D"; else the root found by trying 27, 28, 26, 25 in turn.
  static LONG getDerivativeRoot(const OLECHAR* name);
  static LONG getDerivativeRoot(const char* name);
  //! The first of 27, 28, 26, 25 by which `name` has a known root property; 0 when none.
  static LONG getDerivativeVariable(const OLECHAR* name);
  static LONG getDerivativeVariable(const char* name);

  //! Number of derivative kinds (5).
  static LONG derivativeCount();
  //! Position (0 to 4) of a derivative variable in 0, 27, 28, 25, 26; -1 when absent.
  static LONG derivativeIndex(LONG derivVariable);
  //! The derivative variable at `index` (0 to 4); -1 for any other index.
  static LONG derivativeVariable(LONG index);
  //! derivativeIndex(derivVariable) * 1000 + baseCode.
  static LONG derivativeCode(LONG baseCode, LONG derivVariable);

  //! The process-wide ".D" string (do not free it).
  static BSTR dotD();
  //! The process-wide "volume.Dpressure" string (do not free it).
  static BSTR volumeDpressure();
};
