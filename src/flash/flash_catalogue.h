#pragma once
//! The flash types the component knows: each CAPE-OPEN flash specification name of the
//! identifier table ("TP", "PH", ...) with the host flash type it serves and the two properties
//! it fixes.
//!
//! Host flash types are the values of the host's flash type enumeration (1 PT, 2 PH, 3 PS,
//! 4 PV, 5 TH, 6 TS, 7 TV, 8 HV); 0 means none. Flash ids and specification properties are
//! identifier-table ids (COIds).

#include <vector>

#include "comlite/types.h"

//! One flash type.
class CCORVLflash {
 public:
  //! The flash of identifier-table id `flashId` (15 "TP" to 22 "TS") serving `hostFlashType`;
  //! the specification properties come from the flash name (specificationProperties).
  CCORVLflash(LONG flashId, LONG hostFlashType);

  LONG flashId() const { return m_flashId; }
  LONG hostFlashType() const { return m_hostFlashType; }
  //! Identifier-table id of the first / second specification property (0 when none).
  LONG firstSpecification() const { return m_firstSpecification; }
  LONG secondSpecification() const { return m_secondSpecification; }
  //! Whether the flash fixes `propertyId` (first or second specification).
  bool usesProperty(LONG propertyId) const;

  //! The two properties a flash name fixes. The name is searched, ignoring ASCII case, for "T",
  //! "P", "H", "VF" and "S" in that order (temperature, pressure, enthalpy, phaseFraction,
  //! entropy): a letter at the start of the name sets the first property, a letter found later
  //! the second; later letters overwrite earlier ones. Both stay 0 for a null name.
  static void specificationProperties(const char* flashName, LONG& first, LONG& second);

 private:
  LONG m_flashId;
  LONG m_hostFlashType;
  LONG m_firstSpecification = 0;
  LONG m_secondSpecification = 0;
};

//! The catalogue: eight flash records in a fixed order (TP, PVF, PH, TH, TVF, PS, TS, HVF),
//! built on first use. Host types 0 and 9 to 13 have no record.
class CCORVLflashFactory {
 public:
  CCORVLflashFactory() = default;
  virtual ~CCORVLflashFactory();
  CCORVLflashFactory(const CCORVLflashFactory&) = delete;
  CCORVLflashFactory& operator=(const CCORVLflashFactory&) = delete;

  //! Number of records (8).
  LONG count();
  //! The record at `index` (0-based); nullptr outside the list.
  const CCORVLflash* at(LONG index);
  //! The record of a flash id / of a host flash type; nullptr when none matches.
  const CCORVLflash* byFlashId(LONG flashId);
  const CCORVLflash* byHostFlashType(LONG hostFlashType);
  //! Host flash type of a flash id, 0 when none; flash id of a host flash type, 0 when none.
  LONG hostFlashTypeOf(LONG flashId);
  LONG flashIdOf(LONG hostFlashType);

 private:
  //! Fills the list when it is empty.
  void build();

  std::vector<CCORVLflash> m_flashes;
};
