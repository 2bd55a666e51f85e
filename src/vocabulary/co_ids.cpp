#include "vocabulary/co_ids.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "base/message_output.h"
#include "base/name_compare.h"

namespace {

struct Row {
  LONG id;
  const char* text;
  bool joinDotD = false;  //!< the text is a variable name that follows ".D"
};

// The identifiers in position order; positions are checked as the entries are built.
constexpr Row kRows[] = {
    {COIds::NoId, ""},
    {COIds::PhaseOverall, "Overall"},
    {COIds::PhaseVaporLiquid, "VaporLiquid"},
    {COIds::PhaseVapor, "Vapor"},
    {COIds::PhaseLiquid, "Liquid"},
    {COIds::PhaseLiquid2, "Liquid2"},
    {COIds::PhaseAqueous, "Aqueous"},
    {COIds::PhaseSolid, "Solid"},
    {COIds::PhaseLiquidLiquid, "LiquidLiquid"},
    {COIds::PhaseLiquidSolid, "LiquidSolid"},
    {COIds::PhaseUnknown, "Unknown"},
    {COIds::CalcMixture, "Mixture"},
    {COIds::CalcPure, "Pure"},
    {COIds::BasisMole, "mole"},
    {COIds::BasisMass, "mass"},
    {COIds::FlashTP, "TP"},
    {COIds::FlashPH, "PH"},
    {COIds::FlashTH, "TH"},
    {COIds::FlashTVF, "TVF"},
    {COIds::FlashPVF, "PVF"},
    {COIds::FlashHVF, "HVF"},
    {COIds::FlashPS, "PS"},
    {COIds::FlashTS, "TS"},
    // derivative suffixes: ".D" joined with the variable name at load
    {COIds::PdTemperature, "temperature", true},
    {COIds::PdPressure, "pressure", true},
    {COIds::PdMolFraction, "molFraction", true},
    {COIds::PdMoles, "moles", true},
    {COIds::PropTemperature, "temperature"},
    {COIds::PropPressure, "pressure"},
    {COIds::PropFraction, "fraction"},
    {COIds::PropFugacityCoefficient, "fugacityCoefficient"},
    {COIds::PropLogFugacity, "logFugacity"},
    {COIds::PropLogFugacityCoefficient, "logFugacityCoefficient"},
    {COIds::PropFugacity, "fugacity"},
    {COIds::PropKvalue, "kvalue"},
    {COIds::PropEnthalpy, "enthalpy"},
    {COIds::PropEntropy, "entropy"},
    {COIds::PropHeatCapacityCp, "heatCapacityCp"},
    {COIds::PropVolume, "volume"},
    {COIds::PropHeatCapacityCv, "heatCapacityCv"},
    {COIds::PropDensity, "density"},
    {COIds::PropFlow, "flow"},
    {COIds::PropEnthalpyDtemperature, "enthalpy.Dtemperature"},
    {COIds::PropPhaseFraction, "phaseFraction"},
    {COIds::PropTotalFlow, "totalFlow"},
    {COIds::PropLogKvalue, "logKvalue"},
    {COIds::PropCompressibility, "compressibility"},
    {COIds::PropViscosity, "viscosity"},
    {COIds::PropThermalConductivity, "thermalConductivity"},
    {COIds::PropSelfDiffusionCoefficient, "selfDiffusionCoefficient"},
    {COIds::PropActivity, "activity"},
    {COIds::PropActivityCoefficient, "activityCoefficient"},
    {COIds::PropSurfaceTension, "surfaceTension"},
    {COIds::PropCompressibilityFactor, "compressibilityFactor"},
    {COIds::PropJouleThomsonCoefficient, "jouleThomsonCoefficient"},
    {COIds::PropIdealGasHeatCapacity, "idealGasHeatCapacity"},
    {COIds::PropIdealGasEnthalpy, "idealGasEnthalpy"},
    {COIds::PropExcessEnthalpy, "excessEnthalpy"},
    {COIds::PropExcessEnergy, "excessEnergy"},
    {COIds::PropExcessGibbsEnergy, "excessGibbsEnergy"},
    {COIds::PropExcessHelmholtzEnergy, "excessHelmholtzEnergy"},
    {COIds::PropExcessEntropy, "excessEntropy"},
    {COIds::PropExcessVolume, "excessVolume"},
    {COIds::PropInternalEnergy, "internalEnergy"},
    {COIds::PropGibbsEnergy, "gibbsEnergy"},
    {COIds::PropHelmholtzEnergy, "helmholtzEnergy"},
    {COIds::PropPartialMolarEnthalpy, "partialMolarEnthalpy"},
    {COIds::PropPartialMolarEnergy, "partialMolarEnergy"},
    {COIds::PropPartialGibbsFreeEnergy, "partialGibbsFreeEnergy"},
    {COIds::PropPartialHelmholtzFreeEnergy, "partialHelmholtzFreeEnergy"},
    {COIds::PropPartialMolarVolume, "partialMolarVolume"},
    {COIds::PropBubblePointPressure, "bubblePointPressure"},
    {COIds::PropBubblePointTemperature, "bubblePointTemperature"},
    {COIds::PropDewPointPressure, "dewPointPressure"},
    {COIds::PropDewPointTemperature, "dewPointTemperature"},
    {COIds::PropMoles, "moles"},
    {COIds::PropMass, "mass"},
    {COIds::PropMolecularWeight, "molecularWeight"},
    {COIds::ConstCasRegistryNumber, "casRegistryNumber"},
    {COIds::ConstIupacName, "iupacName"},
    {COIds::ConstChemicalFormula, "chemicalFormula"},
    {COIds::ConstSMILESformula, "SMILESformula"},
    {COIds::ConstMolecularWeight, "molecularWeight"},
    {COIds::ConstCriticalTemperature, "criticalTemperature"},
    {COIds::ConstCriticalPressure, "criticalPressure"},
    {COIds::ConstCriticalVolume, "criticalVolume"},
    {COIds::ConstCriticalCompressibilityFactor, "criticalCompressibilityFactor"},
    {COIds::ConstCriticalDensity, "criticalDensity"},
    {COIds::ConstAcentricFactor, "acentricFactor"},
    {COIds::ConstDipoleMoment, "dipoleMoment"},
    {COIds::ConstParachor, "parachor"},
    {COIds::ConstGyrationRadius, "gyrationRadius"},
    {COIds::ConstAssociationParameter, "associationParameter"},
    {COIds::ConstDiffusionVolume, "diffusionVolume"},
    {COIds::ConstDiffusionCoefficient, "diffusionCoefficient"},
    {COIds::ConstVanderwaalsVolume, "vanderwaalsVolume"},
    {COIds::ConstVanderwaalsArea, "vanderwaalsArea"},
    {COIds::ConstEnergyLennardJones, "energyLennardJones"},
    {COIds::ConstLengthLennardJones, "lengthLennardJones"},
    {COIds::ConstNormalBoilingPoint, "normalBoilingPoint"},
    {COIds::ConstHeatOfVaporizationAtNormalBoilingPoint, "heatOfVaporizationAtNormalBoilingPoint"},
    {COIds::ConstNormalFreezingPoint, "normalFreezingPoint"},
    {COIds::ConstHeatOfFusionAtNormalFreezingPoint, "heatOfFusionAtNormalFreezingPoint"},
    {COIds::ConstLiquidDensityAt25C, "liquidDensityAt25C"},
    {COIds::ConstLiquidVolumeAt25C, "liquidVolumeAt25C"},
    {COIds::ConstIdealGasGibbsFreeEnergyOfFormationAt25C,
     "idealGasGibbsFreeEnergyOfFormationAt25C"},
    {COIds::ConstIdealGasEnthalpyOfFormationAt25C, "idealGasEnthalpyOfFormationAt25C"},
    {COIds::ConstStandardFormationEnthalpySolid, "standardFormationEnthalpySolid"},
    {COIds::ConstStandardFormationEnthalpyLiquid, "standardFormationEnthalpyLiquid"},
    {COIds::ConstStandardFormationEnthalpyGas, "standardFormationEnthalpyGas"},
    {COIds::ConstStandardFreeFormationEnthalpySolid, "standardFreeFormationEnthalpySolid"},
    {COIds::ConstStandardFreeFormationEnthalpyLiquid, "standardFreeFormationEnthalpyLiquid"},
    {COIds::ConstStandardFreeFormationEnthalpyGas, "standardFreeFormationEnthalpyGas"},
    {COIds::ConstStandardEntropySolid, "standardEntropySolid"},
    {COIds::ConstStandardEntropyLiquid, "standardEntropyLiquid"},
    {COIds::ConstStandardEntropyGas, "standardEntropyGas"},
    {COIds::ConstTriplePointTemperature, "triplePointTemperature"},
    {COIds::ConstTriplePointPressure, "triplePointPressure"},
    {COIds::AttrStateOfAggregation, "StateOfAggregation"},
    {COIds::AttrKeyCompoundId, "KeyCompoundId"},
    {COIds::AttrExcludedCompoundId, "ExcludedCompoundId"},
    {COIds::AttrDensityDescription, "DensityDescription"},
    {COIds::AttrUserDescription, "UserDescription"},
    {COIds::AttrTypeOfSolid, "TypeOfSolid"},
    {COIds::SolidTypePureSolid, "PureSolid"},
    {COIds::SolidTypeSolidSolution, "SolidSolution"},
    {COIds::SolidTypeHydrateI, "HydrateI"},
    {COIds::SolidTypeHydrateII, "HydrateII"},
    {COIds::SolidTypeHydrateH, "HydrateH"},
    {COIds::DescUnspecified, "Unspecified"},
    {COIds::DescNormal, "Normal"},
    {COIds::DescRetrograde, "Retrograde"},
    {COIds::DescUndefined, "UNDEFINED"},
    {COIds::DescVaporPhase, "The vapor phase"},
    {COIds::DescLiquidPhase, "The liquid phase"},
    {COIds::DescOrganicLiquidPhase, "The organic liquid phase"},
    {COIds::DescAqueousLiquidPhase, "The aqueous liquid phase"},
    {COIds::UnivAvogadroConstant, "avogadroConstant"},
    {COIds::UnivBoltzmannConstant, "boltzmannConstant"},
    {COIds::UnivMolarGasConstant, "molarGasConstant"},
    {COIds::UnivSpeedOfLightInVacuum, "speedOfLightInVacuum"},
    {COIds::UnivStandardAccelerationOfGravity, "standardAccelerationOfGravity"},
    {COIds::UnivIdealGasStateReferencePressure, "idealGasStateReferencePressure"},
    {COIds::TDepCpAqueousInfiniteDilution, "cpAqueousInfiniteDilution"},
    {COIds::TDepDielectricConstant, "dielectricConstant"},
    {COIds::TDepExpansivity, "expansivity"},
    {COIds::TDepFugacityCoefficientOfVapor, "fugacityCoefficientOfVapor"},
    {COIds::TDepGlassTransitionPressure, "glassTransitionPressure"},
    {COIds::TDepHeatCapacityOfLiquid, "heatCapacityOfLiquid"},
    {COIds::TDepHeatCapacityOfSolid, "heatCapacityOfSolid"},
    {COIds::TDepHeatOfFusion, "heatOfFusion"},
    {COIds::TDepHeatOfSolidSolidPhaseTransition, "heatOfSolidSolidPhaseTransition"},
    {COIds::TDepHeatOfSublimation, "heatOfSublimation"},
    {COIds::TDepHeatOfVaporization, "heatOfVaporization"},
    {COIds::TDepIdealGasEnthalpy, "idealGasEnthalpy"},
    {COIds::TDepIdealGasEntropy, "idealGasEntropy"},
    {COIds::TDepIdealGasHeatCapacity, "idealGasHeatCapacity"},
    {COIds::TDepMeltingPressure, "meltingPressure"},
    {COIds::TDepSolidSolidPhaseTransitionPressure, "solidSolidPhaseTransitionPressure"},
    {COIds::TDepSublimationPressure, "sublimationPressure"},
    {COIds::TDepSurfaceTensionSatLiquid, "surfaceTensionSatLiquid"},
    {COIds::TDepThermalConductivityOfLiquid, "thermalConductivityOfLiquid"},
    {COIds::TDepThermalConductivityOfSolid, "thermalConductivityOfSolid"},
    {COIds::TDepThermalConductivityOfVapor, "thermalConductivityOfVapor"},
    {COIds::TDepVaporPressure, "vaporPressure"},
    {COIds::TDepVirialCoefficient, "virialCoefficient"},
    {COIds::TDepViscosityOfLiquid, "viscosityOfLiquid"},
    {COIds::TDepViscosityOfVapor, "viscosityOfVapor"},
    {COIds::TDepVolumeChangeUponVaporization, "volumeChangeUponVaporization"},
    {COIds::TDepVolumeChangeUponSublimation, "volumeChangeUponSublimation"},
    {COIds::TDepVolumeChangeUponMelting, "volumeChangeUponMelting"},
    {COIds::TDepVolumeChangeUponSolidSolidPhaseTransition,
     "volumeChangeUponSolidSolidPhaseTransition"},
    {COIds::TDepVolumeOfLiquid, "VolumeOfLiquid"},
    {COIds::TDepVolumeOfSolid, "VolumeOfSolid"},
    {COIds::PDepBoilingPointTemperature, "boilingPointTemperature"},
    {COIds::PDepGlassTransitionTemperature, "glassTransitionTemperature"},
    {COIds::PDepMeltingTemperature, "meltingTemperature"},
    {COIds::PDepSolidSolidPhaseTransitionTemperature, "solidSolidPhaseTransitionTemperature"},
};

//! First id of each group, in group order; the end marker closes the last group.
constexpr LONG kGroupStarts[] = {
    COIds::NoId,
    COIds::CalcMixture,
    COIds::BasisMole,
    COIds::FlashTP,
    COIds::PdTemperature,
    COIds::PropTemperature,
    COIds::ConstCasRegistryNumber,
    COIds::AttrStateOfAggregation,
    COIds::SolidTypePureSolid,
    COIds::DescUnspecified,
    COIds::UnivAvogadroConstant,
    COIds::TDepCpAqueousInfiniteDilution,
    COIds::PDepBoilingPointTemperature,
};
constexpr LONG kGroups = sizeof kGroupStarts / sizeof kGroupStarts[0];

//! Derivative variables by list position.
constexpr LONG kDerivativeVariables[] = {COIds::DerivNone, COIds::DerivTemperature,
                                         COIds::DerivPressure, COIds::DerivMolFraction,
                                         COIds::DerivMoles};
constexpr LONG kDerivativeCount = sizeof kDerivativeVariables / sizeof kDerivativeVariables[0];

//! Size of the buffer a load-time check message is formatted into.
constexpr std::size_t kCheckMessageSize = 300;

struct Table {
  comlite::Bstr dotD;
  std::vector<std::unique_ptr<COId>> entries;
  LONG entryCount = 0;
  std::vector<COIdsType> groups;
  LONG groupCount = 0;

  Table() : dotD(".D") {
    entries.reserve(COIds::EndMarker + 1);
    for (const Row& row : kRows) {
      std::string text = row.joinDotD ? dotD.utf8() + row.text : std::string(row.text);
      entries.push_back(std::make_unique<COId>(row.id, text.c_str(), entryCount));
    }
    entries.push_back(std::make_unique<COId>(COIds::EndMarker, entryCount));
    groups.reserve(kGroups + 1);
    for (LONG g = 0; g < kGroups; ++g) groups.emplace_back(g, kGroupStarts[g], groupCount);
    groups.emplace_back(kGroups, COIds::EndMarker, groupCount, true);
  }
};

Table& table() {
  static Table t;
  return t;
}

void report(const char* text, const char* context = nullptr) {
  Utils::popUpStatus(text, context, nullptr, true);
}

LONG lookup(std::u16string_view text, LONG group, LONG firstId, bool toEnd) {
  if (text.empty()) return 0;
  if (group < 0 || group >= COIds::groupCount()) return -1;
  const LONG from = firstId > 0 ? firstId : COIds::groupStart(group);
  LONG to = toEnd ? COIds::count() - 1 : COIds::groupStart(group + 1) - 1;
  if (to > COIds::count() - 1) to = COIds::count() - 1;
  for (LONG id = from; id <= to; ++id)
    if (Utils::namesEqual(comlite::bstrView(COIds::id2str(id)), text)) return id;
  return -1;
}

std::u16string_view viewOf(const OLECHAR* s) {
  return s ? std::u16string_view(s) : std::u16string_view();
}

//! Fills the table when the module is loaded, before any component object exists.
const bool kLoaded = (table(), COIds::volumeDpressure(), true);

}  // namespace

COId::COId(LONG position, const char* text, LONG& builtSoFar) {
  if (!text) text = "";
  char message[kCheckMessageSize] = "";
  if (position != builtSoFar)
    std::snprintf(message, sizeof message,
                  "COIds::COId: mismatch between array pos (%d: %s) and id(%d)", builtSoFar, text,
                  position);
  if (std::strlen(text) > static_cast<std::size_t>(COIds::kMaxIdentifierLength))
    std::snprintf(message, sizeof message,
                  "COIds::COId: property identifier '%s' in array pos %d is longer than "
                  "expected (%d)",
                  text, position, COIds::kMaxIdentifierLength);
  m_narrow = text;
  m_wide = comlite::bstrFromUtf8(m_narrow);
  ++builtSoFar;
  if (*message) Utils::showMessage(message, "ERROR", Utils::kStylePlain);
}

COId::COId(LONG position, LONG& builtSoFar) : m_wide(comlite::bstrFromUtf8("")) {
  builtSoFar = position;
}

COId::~COId() {
  // There is no debugger output channel to announce the release on; the string is just freed.
  SysFreeString(m_wide);
}

COIdsType::COIdsType(LONG position, LONG firstId, LONG& builtSoFar) : m_firstId(firstId) {
  if (position != builtSoFar) {
    char message[kCheckMessageSize];
    std::snprintf(message, sizeof message,
                  "COIds::COIdsType: mismatch between array pos (%d) and id(%d)", builtSoFar,
                  position);
    Utils::showMessage(message, "ERROR", Utils::kStylePlain);
  }
  ++builtSoFar;
}

COIdsType::COIdsType(LONG position, LONG firstId, LONG& builtSoFar, bool) : m_firstId(firstId) {
  builtSoFar = position;
}

LONG COIds::count() {
  return table().entryCount;
}

LONG COIds::groupCount() {
  return table().groupCount;
}

LONG COIds::groupStart(LONG group) {
  const Table& t = table();
  if (group < 0 || group > t.groupCount || group >= static_cast<LONG>(t.groups.size())) return -1;
  return t.groups[group].firstId();
}

LONG COIds::groupOf(LONG id) {
  for (LONG g = 0; g < groupCount(); ++g)
    if (id >= groupStart(g) && id < groupStart(g + 1)) return g;
  return -1;
}

BSTR COIds::id2str(LONG id) {
  const Table& t = table();
  if (id < 1 || id >= t.entryCount || id >= static_cast<LONG>(t.entries.size())) return nullptr;
  return t.entries[id]->wide();
}

const char* COIds::id2cstr(LONG id) {
  const Table& t = table();
  if (id < 1 || id >= t.entryCount || id >= static_cast<LONG>(t.entries.size())) return nullptr;
  return t.entries[id]->narrow().c_str();
}

BSTR COIds::id2bstr(LONG id) {
  BSTR s = id2str(id);
  return s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
}

LONG COIds::str2id(const OLECHAR* text, LONG group, LONG firstId, bool toEnd) {
  return lookup(viewOf(text), group, firstId, toEnd);
}

LONG COIds::str2id(const char* text, LONG group, LONG firstId, bool toEnd) {
  if (!text || !*text) return 0;
  return lookup(comlite::utf8ToUtf16(text), group, firstId, toEnd);
}

bool COIds::isOfType(LONG id, LONG group) {
  if (group == GroupDerivSuffix && (id == PropTemperature || id == PropPressure)) return true;
  if (group < 0 || group >= groupCount()) return false;
  return id >= groupStart(group) && id <= groupStart(group + 1) - 1;
}

bool COIds::isTwoPhase(LONG phaseId) {
  if (!isOfType(phaseId, GroupPhase)) {
    report("Argument must be phase identifier", "isTwoPhase");
    return false;
  }
  return phaseId == PhaseVaporLiquid || phaseId == PhaseLiquidLiquid;
}

bool COIds::isStringConstProp(LONG constPropId) {
  if (!isOfType(constPropId, GroupConstProp)) {
    report("Argument of isStringConstProp must be constant property identifier",
           id2cstr(constPropId));
    return false;
  }
  return constPropId >= ConstCasRegistryNumber && constPropId <= ConstSMILESformula;
}

bool COIds::isBasisDependent(LONG propId) {
  return propId == PropFraction || (propId >= PropEnthalpy && propId <= PropTotalFlow) ||
         (propId >= PropExcessEnthalpy && propId <= PropExcessVolume) ||
         propId == PropGibbsEnergy || propId == PropHelmholtzEnergy;
}

bool COIds::isCompoundVector(LONG propId, LONG derivVariable) {
  if (derivVariable == PdMolFraction || derivVariable == PdMoles) return true;
  switch (propId) {
    case PropFraction:
    case PropFugacityCoefficient:
    case PropLogFugacity:
    case PropLogFugacityCoefficient:
    case PropFugacity:
    case PropKvalue:
    case PropFlow:
    case PropLogKvalue:
    case PropSelfDiffusionCoefficient:
    case PropActivity:
    case PropActivityCoefficient:
    case ConstDiffusionCoefficient:
      return true;
    default:
      return false;
  }
}

bool COIds::isMaterialStateProp(const OLECHAR* propName) {
  const LONG id = str2id(propName, GroupProperty);
  return id == PropFraction || id == PropFlow || id == PropPhaseFraction || id == PropTotalFlow;
}

bool COIds::isMaterialStateProp(const char* propName) {
  const LONG id = str2id(propName, GroupProperty);
  return id == PropFraction || id == PropFlow || id == PropPhaseFraction || id == PropTotalFlow;
}

bool COIds::isCalculatedProp(LONG propId) {
  return !isMaterialStateProp(id2str(propId));
}

LONG COIds::COphaseId2offset(LONG phaseId) {
  switch (phaseId) {
    case PhaseVapor:
      return SlotVapor;
    case PhaseLiquid:
      return SlotLiquid;
    case PhaseLiquid2:
    case PhaseAqueous:
      return SlotLiquid2;
    case PhaseOverall:
      return SlotOverall;
    default: {
      const char* name = id2cstr(phaseId);
      const std::string message = std::string("Selvar Quorel does not support phase = ") +
                                  (name ? name : "") + ". This phase will be ignored.";
      report(message.c_str(), "COIds::COphaseId2offset");
      return SlotOverall;
    }
  }
}

LONG COIds::offset2COphaseId(LONG slot) {
  switch (slot) {
    case SlotVapor:
      return PhaseVapor;
    case SlotLiquid:
      return PhaseLiquid;
    case SlotLiquid2:
      return PhaseLiquid2;
    case SlotOverall:
      return PhaseOverall;
    default:
      return NoId;
  }
}

bool COIds::splitTwoPhase(const OLECHAR* twoPhaseLabel, VARIANT& phases) {
  LONG first = NoId, second = NoId;
  if (Utils::namesEqual(twoPhaseLabel, id2str(PhaseVaporLiquid))) {
    first = PhaseVapor;
    second = PhaseLiquid;
  } else if (Utils::namesEqual(twoPhaseLabel, id2str(PhaseLiquidLiquid))) {
    first = PhaseLiquid;
    second = PhaseLiquid2;
  } else {
    return false;
  }
  if (!vtIsArray(phases.vt)) return false;
  SAFEARRAY* psa =
      vtIsByRef(phases.vt) ? (phases.pparray ? *phases.pparray : nullptr) : phases.parray;
  VARTYPE vt = VT_EMPTY;
  if (!psa || SafeArrayGetDim(psa) != 1 || FAILED(SafeArrayGetVartype(psa, &vt)) || vt != VT_BSTR ||
      comlite::safeArrayCount(psa) != 2)
    return false;
  LONG lower = 0;
  SafeArrayGetLBound(psa, 1, &lower);
  const LONG at[2] = {lower, lower + 1};
  // The array copies each string and frees the one it replaces.
  return SUCCEEDED(SafeArrayPutElement(psa, &at[0], id2str(first))) &&
         SUCCEEDED(SafeArrayPutElement(psa, &at[1], id2str(second)));
}

CQoBSTR COIds::createDerivative(LONG propId, LONG derivVariable) {
  CQoBSTR name(id2str(propId));
  if (derivVariable == DerivNone) return name;
  if (isOfType(derivVariable, GroupProperty)) {
    name.append(dotD()).append(id2str(derivVariable));
  } else if (derivVariable >= PdTemperature && derivVariable <= PdMoles) {
    name.append(id2str(derivVariable));
  } else {
    report("wrong value for createDerivative's 2nd arg. It should start with Pd");
  }
  return name;
}

LONG COIds::getRootProperty(const OLECHAR* name, LONG derivVariable) {
  if (!isOfType(derivVariable, GroupDerivSuffix))
    report("getRootProperty works with Pd not with Pp");
  BSTR suffix = nullptr;
  if (derivVariable == PropTemperature)
    suffix = id2str(PdTemperature);
  else if (derivVariable == PropPressure)
    suffix = id2str(PdPressure);
  else
    suffix = id2str(derivVariable);
  if (!name || !suffix) return 0;
  const std::u16string_view text(name);
  const auto dot = text.find(u'.');
  if (dot == std::u16string_view::npos) return 0;
  if (!Utils::namesEqualN(name + dot, suffix, SysStringLen(suffix))) return 0;
  return lookup(text.substr(0, dot), GroupProperty, 0, false);
}

LONG COIds::getRootProperty(const char* name, LONG derivVariable) {
  if (!name) return 0;
  const std::u16string wide = comlite::utf8ToUtf16(name);
  return getRootProperty(wide.c_str(), derivVariable);
}

LONG COIds::getDerivativeRoot(const OLECHAR* name) {
  if (!name ||
      std::u16string_view(name).find(comlite::bstrView(dotD())) == std::u16string_view::npos)
    return 0;
  for (LONG variable : {DerivTemperature, DerivPressure, DerivMoles, DerivMolFraction})
    if (LONG root = getRootProperty(name, variable)) return root;
  return 0;
}

LONG COIds::getDerivativeRoot(const char* name) {
  if (!name) return 0;
  const std::u16string wide = comlite::utf8ToUtf16(name);
  return getDerivativeRoot(wide.c_str());
}

LONG COIds::getDerivativeVariable(const OLECHAR* name) {
  if (!name) return 0;
  for (LONG variable : {DerivTemperature, DerivPressure, DerivMoles, DerivMolFraction})
    if (getRootProperty(name, variable) > 0) return variable;
  return 0;
}

LONG COIds::getDerivativeVariable(const char* name) {
  if (!name) return 0;
  const std::u16string wide = comlite::utf8ToUtf16(name);
  return getDerivativeVariable(wide.c_str());
}

LONG COIds::derivativeCount() {
  return kDerivativeCount;
}

LONG COIds::derivativeIndex(LONG derivVariable) {
  for (LONG i = 0; i < kDerivativeCount; ++i)
    if (kDerivativeVariables[i] == derivVariable) return i;
  return -1;
}

LONG COIds::derivativeVariable(LONG index) {
  return (index >= 0 && index < kDerivativeCount) ? kDerivativeVariables[index] : -1;
}

LONG COIds::derivativeCode(LONG baseCode, LONG derivVariable) {
  return derivativeIndex(derivVariable) * 1000 + baseCode;
}

BSTR COIds::dotD() {
  return table().dotD.get();
}

BSTR COIds::volumeDpressure() {
  static const CQoBSTR name = createDerivative(PropVolume, DerivPressure);
  return name.get();
}
