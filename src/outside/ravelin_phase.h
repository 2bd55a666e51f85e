#pragma once
//! The host's phase: state (T, P, type, fraction, status), composition, compound list and the
//! property values a package writes into it; and the phase's compound sub-list.
//!
//! Units are the host's: K, kPa, kJ/kmol, m3/kmol, kJ/kmol/K. The composition holds one mole
//! fraction per fluid-package compound; compounds outside the phase's sub-list read as the
//! no-value marker -32767. Per-compound values are written and read in sub-list order, one per
//! compound of the phase's list (get_NumbOfComps).

#include "comlite/dispatch.h"

struct IIntegerArrayDisp;

namespace ravelin {

//! Phase type codes.
enum PhaseType : LONG {
  kPhaseOverall = 1,
  kPhaseVapour = 3,
  kPhaseLiquid = 4,
  kPhaseAqueous = 5,
  kPhaseSolid = 6,       //!< first of the solid codes
  kPhaseLastSolid = 10,  //!< last of the solid codes
};

//! Phase status codes.
enum PhaseStatus : LONG {
  kPhaseStatusUnknown = 0,
  kPhaseStatusPresent = 1,  //!< holds a result
  kPhaseStatusAbsent = 2,   //!< not present (before a flash, or merged away)
};

}  // namespace ravelin

struct IBasicPhase : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("FB3519EF-9A9E-4B1C-9B2B-D0AD0FED38E6");
  //! Temperature [K]. put: E_INVALIDARG unless finite and above 0.
  /*  7 */ virtual HRESULT get_Temperature(/*[out]*/ double* T) = 0;
  /*  8 */ virtual HRESULT put_Temperature(/*[in]*/ double T) = 0;
  //! Pressure [kPa]. put: E_INVALIDARG unless finite and above 0.
  /*  9 */ virtual HRESULT get_Pressure(/*[out]*/ double* P) = 0;
  /* 10 */ virtual HRESULT put_Pressure(/*[in]*/ double P) = 0;
  //! Phase type (ravelin::PhaseType). put: E_INVALIDARG for 0, 2 and codes outside 1 to 10.
  /* 11 */ virtual HRESULT get_PhaseType(/*[out]*/ LONG* type) = 0;
  /* 12 */ virtual HRESULT put_PhaseType(/*[in]*/ LONG type) = 0;
  //! Second type query: the type the phase stands for in its collection, as built by the
  //! host; put_PhaseType does not change it.
  /* 13 */ virtual HRESULT get_NominalType(/*[out]*/ LONG* type) = 0;
  //! Phase fraction (on the overall phase: the vapour fraction). put: E_INVALIDARG unless finite.
  /* 14 */ virtual HRESULT get_PhaseFraction(/*[out]*/ double* fraction) = 0;
  /* 15 */ virtual HRESULT put_PhaseFraction(/*[in]*/ double fraction) = 0;
  //! Status (ravelin::PhaseStatus). put: E_INVALIDARG for other codes.
  /* 16 */ virtual HRESULT get_Status(/*[out]*/ LONG* status) = 0;
  /* 17 */ virtual HRESULT put_Status(/*[in]*/ LONG status) = 0;
  //! Number of compounds of the phase's list (the sub-list when there is one).
  /* 18 */ virtual HRESULT get_NumbOfComps(/*[out]*/ LONG* count) = 0;
  //! The fluid package's compound list (IRvlCompoundList).
  /* 19 */ virtual HRESULT get_Compounds(/*[out]*/ IDispatch** compounds) = 0;
  //! The phase's own composition array (IRealArrayDisp), one entry per fluid-package compound.
  /* 20 */ virtual HRESULT get_Composition(/*[out]*/ IDispatch** composition) = 0;
  //! Copies the values of a real array; the phase keeps no reference to it. RETURNS:
  //! E_NOINTERFACE for an object that is not a real array, E_INVALIDARG for a size other than
  //! the fluid package's compound count.
  /* 21 */ virtual HRESULT put_Composition(/*[in]*/ IDispatch* composition) = 0;
  //! The last scalar property value written into the phase. RETURNS: RAVELIN_E_NOVALUE when
  //! none was written.
  /* 22 */ virtual HRESULT get_LastValue(/*[out]*/ double* value) = 0;
  //! Molar enthalpy [kJ/kmol], kept as property "Enthalpy".
  /* 23 */ virtual HRESULT put_Enthalpy(/*[in]*/ double H) = 0;
  //! Molar volume [m3/kmol], kept as property "MolarVolume".
  /* 24 */ virtual HRESULT put_MolarVolume(/*[in]*/ double V) = 0;
  //! Molar heat capacity at constant pressure [kJ/kmol/K], kept as property "Cp".
  /* 25 */ virtual HRESULT put_HeatCapacity(/*[in]*/ double Cp) = 0;
  //! Scalar value of a host property. "Temperature", "Pressure" and "PhaseFraction" address the
  //! phase's own state. RETURNS: E_INVALIDARG for an id the registry does not know.
  /* 26 */ virtual HRESULT SetPropertyValue(/*[in]*/ LONG propertyId, /*[in]*/ double value) = 0;
  //! One value per compound of the phase's list. RETURNS: E_INVALIDARG for an unknown id or a
  //! count other than get_NumbOfComps, E_POINTER for null values.
  /* 27 */ virtual HRESULT SetPropertyVector(/*[in]*/ LONG propertyId, /*[in]*/ LONG count,
                                             /*[in, size_is(count)]*/ const double* values) = 0;
  //! RETURNS: RAVELIN_E_NOVALUE when the property holds no scalar value.
  /* 28 */ virtual HRESULT GetPropertyValue(/*[in]*/ LONG propertyId, /*[out]*/ double* value) = 0;
  //! RETURNS: RAVELIN_E_NOVALUE when the property holds no vector, E_INVALIDARG when `count`
  //! differs from the number of values held.
  /* 29 */ virtual HRESULT GetPropertyVector(/*[in]*/ LONG propertyId, /*[in]*/ LONG count,
                                             /*[out, size_is(count)]*/ double* values) = 0;
};

//! The phase's compound sub-list: which fluid-package compounds make up the phase's list.
struct IRvlSubCompList : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("3B85CBCC-0C2C-4DAC-926C-4971D0B87C3F");
  //! `count` compounds; `mapping` (a new integer array the caller releases) gives, at position
  //! j, the 0-based fluid-package index of the phase's j-th compound. Without a sub-list the
  //! mapping is the identity over the fluid package.
  /*  7 */ virtual HRESULT GetSubCompList(/*[out]*/ LONG* count,
                                          /*[out]*/ IIntegerArrayDisp** mapping) = 0;
};
