#pragma once
//! One row of the component's registered-property table: which CAPE-OPEN property serves a
//! host property, through which translator, and which derivative names the package supports.

#include <array>
#include <string>

#include "comlite/types.h"

class CCOPropertyTranslator;

namespace coravl::calc {

//! The host's "not registered" marker for property ids.
constexpr LONG kNotRegistered = -32767;
//! Capacity of the table.
constexpr int kMaxRegisteredProperties = 30;

struct RegisteredProperty {
  LONG coId = 0;                                //!< CAPE-OPEN property id (identifier table)
  LONG hostId = 0;                              //!< host framework property id
  CCOPropertyTranslator* translator = nullptr;  //!< owned by the property factory
  //! Slot 0 the property; slots 1 to 4 its derivatives by temperature, pressure, mole
  //! fraction and moles; empty when the package does not support that name.
  std::array<std::string, 5> names;
  bool supported = false;
};

}  // namespace coravl::calc
