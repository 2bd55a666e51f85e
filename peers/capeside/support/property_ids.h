#pragma once
//! The part of the socket's CAPE-OPEN identifier table that our components need: property ids
//! 27 to 77, phase ids 1 to 10 and the derivative suffixes, with the rules that depend only on
//! the identifier. Kept here because our components may not link the socket's own table; the
//! ids and strings are the same.

#include <optional>
#include <string>
#include <string_view>

namespace capeside {

//! Phase ids.
inline constexpr int kPhaseOverall = 1;
inline constexpr int kPhaseVaporLiquid = 2;
inline constexpr int kPhaseVapor = 3;
inline constexpr int kPhaseLiquid = 4;
inline constexpr int kPhaseLiquid2 = 5;
inline constexpr int kPhaseAqueous = 6;
inline constexpr int kPhaseSolid = 7;
inline constexpr int kPhaseLiquidLiquid = 8;
inline constexpr int kPhaseLiquidSolid = 9;
inline constexpr int kPhaseUnknown = 10;

//! Property ids used by name in our components.
inline constexpr int kPropTemperature = 27;
inline constexpr int kPropPressure = 28;
inline constexpr int kPropFraction = 29;
inline constexpr int kPropEnthalpy = 35;
inline constexpr int kPropEntropy = 36;
inline constexpr int kPropPhaseFraction = 43;
inline constexpr int kFirstPropertyId = 27;
inline constexpr int kLastPropertyId = 77;

//! Flash specification ids 15 "TP" ... 22 "TS".
inline constexpr int kFirstFlashId = 15;
inline constexpr int kLastFlashId = 22;

//! The string of a phase id 1..10 ("Overall", "VaporLiquid", ...), nullptr otherwise.
const char* phaseName(int phaseId);
//! The string of a property id 27..77, nullptr otherwise.
const char* propertyName(int propertyId);
//! The id of a property string (ASCII case ignored), nullopt when unknown.
std::optional<int> propertyId(std::string_view name);
//! The string of a flash id 15..22 ("TP", "PH", "TH", "TVF", "PVF", "HVF", "PS", "TS").
const char* flashName(int flashId);
//! Derivative suffix of a derivative index 1..4 (".Dtemperature", ".Dpressure",
//! ".DmolFraction", ".Dmoles"); "" for 0, nullptr otherwise.
const char* derivativeSuffix(int derivativeIndex);

//! One value per compound: fraction, fugacityCoefficient, logFugacity,
//! logFugacityCoefficient, fugacity, kvalue, flow, logKvalue, selfDiffusionCoefficient,
//! activity, activityCoefficient.
bool isPerCompound(int propertyId);
//! Depends on a mole or mass basis: fraction, enthalpy to phaseFraction (35..44), the excess
//! properties (57..62), gibbsEnergy, helmholtzEnergy.
bool isBasisDependent(int propertyId);

//! A value code (derivative index x 1000 + property id) taken apart.
struct ValueCode {
  int propertyId = 0;
  int derivativeIndex = 0;  //!< 0 none, 1 temperature, 2 pressure, 3 mole fraction, 4 moles
  std::string name;         //!< the CAPE-OPEN name, e.g. "enthalpy.Dtemperature"
  //! Whether the values are one per compound (per-compound property or composition derivative).
  bool perCompound() const;
  //! Whether the full shape is n x n (composition derivative of a per-compound property).
  bool matrix() const;
};
//! nullopt for a code whose id is not a property id or whose derivative index is above 4.
std::optional<ValueCode> decodeValueCode(long code);

//! The property id at the root of a (derivative) name: "enthalpy.Dtemperature" gives 35.
std::optional<int> rootPropertyId(std::string_view name);
//! Whether the root property of a name depends on a basis.
bool isBasisDependentName(std::string_view name);

}  // namespace capeside
