#pragma once
//! The host's compounds: the fluid package's compound list and one compound object, which
//! offers several interfaces (identity, property values, constants, constant setting and the
//! modification notice).
//!
//! Host id numbers 1 to 19999 are library compounds, 20000 and above hypothetical ones.
//! Constants are kept under the host's codes ("MW", "TC", "PC", ...) in host units (kg/kmol,
//! K, kPa, m3/kmol, kJ/kmol). Text values absent on the compound come back as null strings.

#include "comlite/dispatch.h"

namespace ravelin {

//! Unit set of IRvlCompoundConstants::SetConstant: the host's own units.
inline constexpr LONG kHostUnits = 1;
//! First host id number of a hypothetical compound.
inline constexpr LONG kFirstHypotheticalId = 20000;

}  // namespace ravelin

struct IRvlCompoundList : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("25545C42-2F13-4F12-AF1C-3B5962AA80C4");
  /*  7 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
  //! The compound at a 0-based position. RETURNS: DISP_E_BADINDEX outside the list.
  /*  8 */ virtual HRESULT get_Item(/*[in]*/ LONG index, /*[out]*/ IDispatch** compound) = 0;
  //! Position of a compound by name (ASCII case ignored). RETURNS: DISP_E_UNKNOWNNAME.
  /*  9 */ virtual HRESULT IndexOf(/*[in]*/ BSTR name, /*[out]*/ LONG* index) = 0;
};

//! Identity of a compound, and the two values phase ordering asks for.
struct IRvlCompound : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("3467430B-32A5-403D-96DD-3FAB727418EA");
  /*  7 */ virtual HRESULT get_Name(/*[out]*/ BSTR* name) = 0;
  //! Normal boiling point [K] (constant "NBP"); T [K] and P [kPa] name the state asked about.
  //! RETURNS: RAVELIN_E_NOVALUE when the compound has none.
  /*  8 */ virtual HRESULT GetNormalBoilingPoint(/*[in]*/ double T, /*[in]*/ double P,
                                                 /*[out]*/ double* value) = 0;
  //! Molecular weight [kg/kmol] (constant "MW"). RETURNS: RAVELIN_E_NOVALUE when absent.
  /*  9 */ virtual HRESULT GetMolecularWeight(/*[in]*/ double T, /*[in]*/ double P,
                                              /*[out]*/ double* value) = 0;
  /* 10 */ virtual HRESULT get_Formula(/*[out]*/ BSTR* formula) = 0;
  /* 11 */ virtual HRESULT get_CASNumber(/*[out]*/ BSTR* casNumber) = 0;
  /* 12 */ virtual HRESULT get_IsHypothetical(/*[out]*/ VARIANT_BOOL* hypothetical) = 0;
  //! The host's id number of the compound.
  /* 13 */ virtual HRESULT get_IDNumber(/*[out]*/ LONG* idNumber) = 0;
};

//! Property values of a component by host name at a state.
struct IRvlComponent : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("ECA75225-5133-437D-91C8-1514516FD753");
  //! A constant by its code ("MW" gives kg/kmol); T [K] and P [kPa] name the state. RETURNS:
  //! DISP_E_UNKNOWNNAME for a name the registry does not know, RAVELIN_E_NOVALUE for a known
  //! name without a value on this compound.
  /*  7 */ virtual HRESULT GetPropertyValue(/*[in]*/ BSTR name, /*[in]*/ double T,
                                            /*[in]*/ double P, /*[out]*/ double* value) = 0;
};

//! Reading the constants a compound holds.
struct IRvlCompoundData : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("5D621E76-2332-4350-816B-4D31360D2106");
  /*  7 */ virtual HRESULT get_ConstantCount(/*[out]*/ LONG* count) = 0;
  //! Code of the index-th constant, in the order of their codes. RETURNS: DISP_E_BADINDEX.
  /*  8 */ virtual HRESULT GetConstantName(/*[in]*/ LONG index, /*[out]*/ BSTR* name) = 0;
  //! RETURNS: RAVELIN_E_NOVALUE when the compound has no such constant.
  /*  9 */ virtual HRESULT GetConstant(/*[in]*/ BSTR name, /*[out]*/ double* value) = 0;
};

//! Setting constants (a package handing over the data of a hypothetical compound).
struct IRvlCompoundConstants : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("F4EAA780-D98D-4CBD-B1D1-E0A5C77F47BD");
  //! RETURNS: DISP_E_UNKNOWNNAME for a code the registry does not know, E_INVALIDARG for a unit
  //! set other than ravelin::kHostUnits or a value that is not finite.
  /*  7 */ virtual HRESULT SetConstant(/*[in]*/ BSTR name, /*[in]*/ LONG unitSet,
                                       /*[in]*/ double value) = 0;
  //! RETURNS: RAVELIN_E_NOVALUE when the compound has no such constant.
  /*  8 */ virtual HRESULT ClearConstant(/*[in]*/ BSTR name) = 0;
};

//! Edits of a compound's constants: changes since the last commit are kept or dropped at once.
struct IRvlCompoundModification : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("4AE76B33-EDCE-4291-83BD-4DDE0A1D1648");
  //! True once any edit has been committed.
  /*  7 */ virtual HRESULT get_Modified(/*[out]*/ VARIANT_BOOL* modified) = 0;
  //! Starts an edit from the constants as they are now.
  /*  8 */ virtual HRESULT BeginEdit() = 0;
  //! `cancel` 0 commits the changes since the last commit or BeginEdit; any other value
  //! drops them.
  /*  9 */ virtual HRESULT EndEdit(/*[in]*/ LONG cancel) = 0;
};
