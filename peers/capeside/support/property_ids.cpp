#include "capeside/support/property_ids.h"

#include <string_view>

#include "capeside/support/variant_lists.h"

namespace capeside {

namespace {

constexpr const char* kPhases[] = {"Overall",     "VaporLiquid", "Vapor", "Liquid",
                                   "Liquid2",     "Aqueous",     "Solid", "LiquidLiquid",
                                   "LiquidSolid", "Unknown"};

// Views, so that a look-up compares lengths before letters.
constexpr std::string_view kProperties[] = {"temperature",
                                            "pressure",
                                            "fraction",
                                            "fugacityCoefficient",
                                            "logFugacity",
                                            "logFugacityCoefficient",
                                            "fugacity",
                                            "kvalue",
                                            "enthalpy",
                                            "entropy",
                                            "heatCapacityCp",
                                            "volume",
                                            "heatCapacityCv",
                                            "density",
                                            "flow",
                                            "enthalpy.Dtemperature",
                                            "phaseFraction",
                                            "totalFlow",
                                            "logKvalue",
                                            "compressibility",
                                            "viscosity",
                                            "thermalConductivity",
                                            "selfDiffusionCoefficient",
                                            "activity",
                                            "activityCoefficient",
                                            "surfaceTension",
                                            "compressibilityFactor",
                                            "jouleThomsonCoefficient",
                                            "idealGasHeatCapacity",
                                            "idealGasEnthalpy",
                                            "excessEnthalpy",
                                            "excessEnergy",
                                            "excessGibbsEnergy",
                                            "excessHelmholtzEnergy",
                                            "excessEntropy",
                                            "excessVolume",
                                            "internalEnergy",
                                            "gibbsEnergy",
                                            "helmholtzEnergy",
                                            "partialMolarEnthalpy",
                                            "partialMolarEnergy",
                                            "partialGibbsFreeEnergy",
                                            "partialHelmholtzFreeEnergy",
                                            "partialMolarVolume",
                                            "bubblePointPressure",
                                            "bubblePointTemperature",
                                            "dewPointPressure",
                                            "dewPointTemperature",
                                            "moles",
                                            "mass",
                                            "molecularWeight"};
static_assert(sizeof(kProperties) / sizeof(kProperties[0]) ==
              kLastPropertyId - kFirstPropertyId + 1);

constexpr const char* kFlashes[] = {"TP", "PH", "TH", "TVF", "PVF", "HVF", "PS", "TS"};
constexpr const char* kSuffixes[] = {"", ".Dtemperature", ".Dpressure", ".DmolFraction", ".Dmoles"};

}  // namespace

const char* phaseName(int id) {
  return id >= 1 && id <= 10 ? kPhases[id - 1] : nullptr;
}

const char* propertyName(int id) {
  return id >= kFirstPropertyId && id <= kLastPropertyId ? kProperties[id - kFirstPropertyId].data()
                                                         : nullptr;
}

std::optional<int> propertyId(std::string_view name) {
  for (int id = kFirstPropertyId; id <= kLastPropertyId; ++id) {
    const std::string_view candidate = kProperties[id - kFirstPropertyId];
    if (candidate.size() == name.size() && sameName(name, candidate)) return id;
  }
  return std::nullopt;
}

const char* flashName(int id) {
  return id >= kFirstFlashId && id <= kLastFlashId ? kFlashes[id - kFirstFlashId] : nullptr;
}

const char* derivativeSuffix(int index) {
  return index >= 0 && index <= 4 ? kSuffixes[index] : nullptr;
}

bool isPerCompound(int id) {
  switch (id) {
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
    case 41:
    case 45:
    case 49:
    case 50:
    case 51:
      return true;
    default:
      return false;
  }
}

bool isBasisDependent(int id) {
  return id == 29 || (id >= 35 && id <= 44) || (id >= 57 && id <= 62) || id == 64 || id == 65;
}

bool ValueCode::perCompound() const {
  return isPerCompound(propertyId) || derivativeIndex == 3 || derivativeIndex == 4;
}

bool ValueCode::matrix() const {
  return isPerCompound(propertyId) && (derivativeIndex == 3 || derivativeIndex == 4);
}

std::optional<ValueCode> decodeValueCode(long code) {
  if (code < 0) return std::nullopt;
  ValueCode v;
  v.derivativeIndex = static_cast<int>(code / 1000);
  v.propertyId = static_cast<int>(code % 1000);
  const char* name = propertyName(v.propertyId);
  const char* suffix = derivativeSuffix(v.derivativeIndex);
  if (!name || !suffix) return std::nullopt;
  v.name = std::string(name) + suffix;
  return v;
}

std::optional<int> rootPropertyId(std::string_view name) {
  if (auto whole = propertyId(name)) return whole;  // "enthalpy.Dtemperature" is its own id
  const std::size_t dot = name.find(".D");
  if (dot == std::string_view::npos) return std::nullopt;
  return propertyId(name.substr(0, dot));
}

bool isBasisDependentName(std::string_view name) {
  auto id = rootPropertyId(name);
  return id && isBasisDependent(*id);
}

}  // namespace capeside
