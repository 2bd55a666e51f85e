#pragma once
//! Derivatives between the host and a property package: the phase's list of derivative
//! requests (which the package answers), and the package's capability interface (which the
//! host asks).
//!
//! A request names a host property id and the host id of the variable to differentiate by
//! ("dT", "dP", "dN", "dX" or a property such as "Temperature"). Values are in host units per
//! host unit of the variable (per K, per kPa, per kmol, per mole fraction).

#include "comlite/dispatch.h"

namespace ravelin {

//! Status of one derivative request.
enum DerivativeStatus : LONG {
  kDerivativePending = 0,       //!< not answered yet
  kDerivativeNotAvailable = 3,  //!< the package cannot calculate it
  kDerivativeDone = 4,          //!< the value (or vector) was written
};

}  // namespace ravelin

//! The phase's derivative requests. Registered under Interface\{iid}: a package detects that
//! the host supports derivative requests by that entry.
struct IRvlDerivativeRequests : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("65A5534E-E728-4353-96E1-537EAD1AAAF2");
  /*  7 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
  //! RETURNS: DISP_E_BADINDEX for an index outside 0 to count-1 (as every indexed method here).
  /*  8 */ virtual HRESULT GetRequest(/*[in]*/ LONG index, /*[out]*/ LONG* propertyId,
                                      /*[out]*/ LONG* variableId) = 0;
  //! Whether the host wants this derivative now.
  /*  9 */ virtual HRESULT get_Wanted(/*[in]*/ LONG index, /*[out]*/ VARIANT_BOOL* wanted) = 0;
  /* 10 */ virtual HRESULT SetValue(/*[in]*/ LONG index, /*[in]*/ double value) = 0;
  //! One value per compound of the phase's list. RETURNS: E_INVALIDARG for another count.
  /* 11 */ virtual HRESULT SetVector(/*[in]*/ LONG index, /*[in]*/ LONG count,
                                     /*[in, size_is(count)]*/ const double* values) = 0;
  //! ravelin::DerivativeStatus. RETURNS: E_INVALIDARG for other codes.
  /* 12 */ virtual HRESULT put_RequestStatus(/*[in]*/ LONG index, /*[in]*/ LONG status) = 0;
  /* 13 */ virtual HRESULT get_RequestStatus(/*[in]*/ LONG index, /*[out]*/ LONG* status) = 0;
};

//! Implemented by a property package that serves derivatives; the host asks it.
struct IDerivativeCalculation : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("5215A24C-CCBC-4A18-BCB5-991EBBF665C1");
  //! 1 turns derivative requests on, any other value off.
  /*  7 */ virtual HRESULT EnableDerivatives(/*[in]*/ BYTE enable) = 0;
  //! status 0 when the package serves the property, else 1.
  /*  8 */ virtual HRESULT CanCalculate(/*[in]*/ INT propertyID, /*[in, out]*/ INT* status) = 0;
  //! 1 when the package serves the derivative of the property by the variable, else 0.
  //! `reserved` is not read.
  /*  9 */ virtual HRESULT CanCalculateDerivative(/*[in]*/ LONG reserved, /*[in]*/ INT propertyID,
                                                  /*[in]*/ INT variableID,
                                                  /*[out]*/ BYTE* canCalculate) = 0;
};
