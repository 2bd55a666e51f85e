#pragma once
//! Component categories in the class registry ("Component Categories\{catid}" with one
//! description per locale, and "CLSID\{clsid}\Implemented Categories\{catid}").

#include <string>
#include <vector>

#include "comlite/guid.h"
#include "comlite/hresult.h"
#include "comlite/registry.h"

namespace comlite {

//! The locale value name of a description: the LCID in hexadecimal ("409" for 1033).
std::string localeValueName(LCID lcid);

//! Registers a category description. Writes into `data` (for use inside registry::update).
void registerCategory(registry::Data& data, const CATID& catid, LCID lcid,
                      const std::string& description);
void registerClassImplCategories(registry::Data& data, const CLSID& clsid,
                                 const std::vector<CATID>& catids);
void unregisterClassImplCategories(registry::Data& data, const CLSID& clsid,
                                   const std::vector<CATID>& catids);

//! Classes that declare `catid` among their implemented categories, in registry order.
std::vector<CLSID> classesImplementing(const registry::Data& data, const CATID& catid);
//! The description of a category for a locale (falling back to any locale), or "".
std::string categoryDescription(const registry::Data& data, const CATID& catid, LCID lcid);

}  // namespace comlite
