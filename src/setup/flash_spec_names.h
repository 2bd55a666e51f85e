#pragma once
//! The flash specification name map: for the vendor's own packages, the name under which each
//! flash specification is asked for, with "3" appended when the user requests flashes that look
//! for a second liquid phase ("TP3"). It applies only while the vendor-package flag is set.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "comlite/types.h"

struct ICCAPEGUI;

namespace coravl::setup {

struct ComponentOptions;

//! Whether a package ProgID marks one of the vendor's own packages: it contains
//! "STCOProperties" or "Selvar", ASCII case ignored.
bool isVendorPackageProgId(std::u16string_view progId);

class FlashSpecNames {
 public:
  //! Recomputes the vendor-package flag from the package's ProgID (nullopt: the package has no
  //! GUI component, the flag keeps its value) and, when the flag is set, rebuilds the map for
  //! every flash specification of the identifier table ("TP" to "TS"): the identifier, then "3"
  //! when `secondLiquidRequest` is set. While the flag is clear the map is left as it is.
  void update(std::optional<std::u16string_view> packageProgId, bool secondLiquidRequest);

  //! The vendor-package flag: whether the map applies.
  bool applies() const { return m_vendorPackage; }
  //! The map's name for a flash specification id (COIds::FlashTP ...); nullopt when the map
  //! has no entry for it.
  std::optional<std::string> find(LONG flashSpecId) const;
  //! The name to ask the package for: the map's entry while the map applies, otherwise the
  //! identifier itself; "" for an id that is not a flash specification.
  std::string nameFor(LONG flashSpecId) const;
  const std::map<LONG, std::string>& entries() const { return m_names; }

 private:
  bool m_vendorPackage = false;
  std::map<LONG, std::string> m_names;
};

//! The package's ProgID from its GUI component (ICCAPEGUI position 12); nullopt for a null
//! component. A failing call raises comlite::ComError for ICCAPEGUI.
std::optional<std::u16string> packageProgIdOf(ICCAPEGUI* gui);

//! Applies the second-liquid flash request (recall and setup view): stores it in `options`,
//! then recomputes the vendor-package flag and the map from the ProgID of `gui` (null: no GUI
//! component). When reading the ProgID fails, the flag keeps its value and the map is rebuilt
//! with it, as without a GUI component, and the comlite::ComError is then raised.
void applySecondLiquidRequest(bool request, ICCAPEGUI* gui, ComponentOptions& options,
                              FlashSpecNames& names);

}  // namespace coravl::setup
