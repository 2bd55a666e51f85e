#pragma once
//! The compound constants the component passes from a CAPE-OPEN package to the host, with the
//! host code and the conversion of each (host = ((CAPE-OPEN - offset) / multiplier) ^
//! (1 / exponent), times the molecular weight with basis mode 1).

#include <span>

#include "comlite/types.h"

struct CompoundConstantRow {
  LONG coId;
  const char* hostCode;  //!< nullptr: derived from the CAPE-OPEN identifier
  double multiplier;
  double exponent;
  LONG basisMode;
};

//! The 20 rows, in order.
std::span<const CompoundConstantRow> compoundConstantRows();
