#pragma once
//! Published CAPE-OPEN component category ids (CATIDs) and the type library id.
//!
//! A Thermo 1.1 package manager registers kCatCapeOpenComponent + kCatThermo11PackageManager,
//! a stand-alone creatable Thermo 1.1 package kCatCapeOpenComponent + kCatThermo11Package.
//! Components also write string values Name, Description, CapeVersion, ComponentVersion,
//! VendorURL, HelpURL and About under CLSID\{clsid}\CapeDescription.

#include "comlite/guid.h"

namespace capeopen {

//! Type library CAPEOPEN110, version 1.1.
inline constexpr GUID kLibidCapeOpen110 = comlite::makeGuid("4A5E2E81-C093-11D4-9F1B-0010A4D198C2");

//! Every CAPE-OPEN object.
inline constexpr CATID kCatCapeOpenComponent =
    comlite::makeGuid("678C09A1-7D66-11D2-A67D-00105A42887F");
//! Thermo 1.1 property package manager.
inline constexpr CATID kCatThermo11PackageManager =
    comlite::makeGuid("CF51E383-0110-4ed8-ACB7-B50CFDE6908E");
//! Thermo 1.1 property package (creatable on its own).
inline constexpr CATID kCatThermo11Package =
    comlite::makeGuid("CF51E384-0110-4ed8-ACB7-B50CFDE6908E");
//! Thermo 1.1 physical property calculator (less widely confirmed than the two above).
inline constexpr CATID kCatThermo11PropertyCalculator =
    comlite::makeGuid("CF51E385-0110-4ed8-ACB7-B50CFDE6908E");
//! Thermo 1.1 equilibrium calculator (less widely confirmed than the two above).
inline constexpr CATID kCatThermo11EquilibriumCalculator =
    comlite::makeGuid("CF51E386-0110-4ed8-ACB7-B50CFDE6908E");
//! Thermo 1.0 thermo system.
inline constexpr CATID kCatThermo10System =
    comlite::makeGuid("678C09A3-7D66-11D2-A67D-00105A42887F");
//! Thermo 1.0 property package.
inline constexpr CATID kCatThermo10Package =
    comlite::makeGuid("678C09A4-7D66-11D2-A67D-00105A42887F");
//! Unit operation.
inline constexpr CATID kCatUnitOperation =
    comlite::makeGuid("678C09A5-7D66-11D2-A67D-00105A42887F");
//! A component that consumes thermodynamics.
inline constexpr CATID kCatConsumesThermo =
    comlite::makeGuid("4150C28A-EE06-403f-A871-87AFEC38A249");
//! A thermodynamics consumer supporting Thermo 1.0.
inline constexpr CATID kCatSupportsThermo10 =
    comlite::makeGuid("0D562DC8-EA8E-4210-AB39-B66513C0CD09");
//! A thermodynamics consumer supporting Thermo 1.1.
inline constexpr CATID kCatSupportsThermo11 =
    comlite::makeGuid("4667023A-5A8E-4CCA-AB6D-9D78C5112FED");

//! Sub-key of CLSID\{clsid} with the CAPE-OPEN description values.
inline constexpr const char* kCapeDescriptionKey = "CapeDescription";

}  // namespace capeopen
