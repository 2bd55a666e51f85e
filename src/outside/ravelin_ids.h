#pragma once
//! Fixed identifiers of the host thermodynamics framework (Ravelin): class ids, ProgIDs, the
//! component category that property packages implement, and the framework's own status codes.
//!
//! The interface ids sit beside their interfaces (ravelin_*.h). None of these values ever
//! changes: packages and the simulator were built against them.

#include "comlite/guid.h"
#include "comlite/hresult.h"

namespace ravelin {

//! Category that a property package implementing the extended package interfaces declares.
inline constexpr CATID kCatThermoMethods =
    comlite::makeGuid("49C6FDFF-2585-45F0-B026-444B28D275F3");
inline constexpr const char* kCatThermoMethodsDescription =
    "Thermodynamic Property Calculation Methods";

// Creatable classes. Each has a versioned ProgID ("<name>.1") and a version-independent one.
inline constexpr CLSID kClsidPropertyRegistry =
    comlite::makeGuid("87121DCC-DEA1-494D-A05A-8B8E6C0651CE");
inline constexpr CLSID kClsidPropertyManager =
    comlite::makeGuid("B0D8F204-83A9-408D-8B3E-CCF72EE1B35B");
inline constexpr CLSID kClsidRealArray = comlite::makeGuid("EB41E15A-0390-4853-B3C8-C7B3026187FA");
inline constexpr CLSID kClsidIntegerArray =
    comlite::makeGuid("B13F180F-8131-48DD-AB22-F953CE9EE26C");
inline constexpr CLSID kClsidBasicPhase = comlite::makeGuid("5587C2B9-4077-4773-BB86-FE1B5A3464E9");
inline constexpr CLSID kClsidPhaseCollection =
    comlite::makeGuid("69C526C4-CF9C-4F81-BD1C-D76B7B483A9F");
inline constexpr CLSID kClsidCompound = comlite::makeGuid("68B8E0AD-12E2-4140-9ADE-9DC070260AC5");
inline constexpr CLSID kClsidCompoundList =
    comlite::makeGuid("2A6714B9-210B-4C8B-97B2-EB036EB4E808");
inline constexpr CLSID kClsidErrorLog = comlite::makeGuid("18207EDC-0C90-4A12-B4D3-1835646A1763");
inline constexpr CLSID kClsidFlashControl =
    comlite::makeGuid("22318260-34A7-4B70-BA37-9C997B398D43");

inline constexpr const char* kProgIdPropertyRegistry = "Ravelin.PropertyRegistry";
inline constexpr const char* kProgIdPropertyManager = "Ravelin.PropertyManager";
inline constexpr const char* kProgIdRealArray = "Ravelin.RealArray";
inline constexpr const char* kProgIdIntegerArray = "Ravelin.IntegerArray";
inline constexpr const char* kProgIdBasicPhase = "Ravelin.BasicPhase";
inline constexpr const char* kProgIdPhaseCollection = "Ravelin.PhaseCollection";
inline constexpr const char* kProgIdCompound = "Ravelin.Compound";
inline constexpr const char* kProgIdCompoundList = "Ravelin.CompoundList";
inline constexpr const char* kProgIdErrorLog = "Ravelin.ErrorLog";
inline constexpr const char* kProgIdFlashControl = "Ravelin.FlashControl";

//! The host's no-value marker: a composition entry outside a phase's compound list, a result
//! that was never written.
inline constexpr double kNoValue = -32767.0;

}  // namespace ravelin

//! A value that was asked for has never been set (phase property, compound constant, flash
//! option, derivative result).
constexpr HRESULT RAVELIN_E_NOVALUE = hresultFromBits(0x80040710u);
//! The object refuses changes for now (flash control options while locked).
constexpr HRESULT RAVELIN_E_LOCKED = hresultFromBits(0x80040711u);
