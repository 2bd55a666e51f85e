#pragma once
//! The module's registration data: what DllRegisterServer writes into the class registry and
//! DllUnregisterServer removes. Exposed so that the registration tool's tests and the host
//! driver can name the keys.

#include <string>

#include "comlite/registry.h"

namespace coravl::frame {

inline constexpr const char* kModuleName = "CORavl11";
inline constexpr const char* kModuleTitle = "Selvar Quorel CAPE-OPEN 1.1 Thermo Socket";
inline constexpr const char* kProgId = "CORavl11.PropPkg.1";
inline constexpr const char* kVersionIndependentProgId = "CORavl11.PropPkg";
inline constexpr const char* kClassDescription = "CAPE-OPEN 1.1 Class";

//! Writes the package class, its ProgIDs, its category and the type library for the module at
//! `modulePath`. The class key is recreated (an existing one is removed first).
void writeRegistration(comlite::registry::Data& data, const std::string& modulePath);
//! Removes what writeRegistration wrote, except the category (and the CLSID root key).
void removeRegistration(comlite::registry::Data& data);

}  // namespace coravl::frame
