#pragma once
//! ICapeDiagnostics: the diagnostic sink that the CAPE-OPEN side calls back to route its
//! errors into the simulator (declared by the package adapter's library). The socket
//! implements it; the material object receives it through IMatObj::PutproxyPtr.

#include "comlite/dispatch.h"

struct ICapeDiagnostics : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("212FCBE2-4B89-45B4-A8B7-EE28837063D9");
  //! Reports a message with its status at the first level.
  /*  7 */ virtual HRESULT ReportError(/*[in]*/ LONG code, /*[in]*/ BSTR message) = 0;
  //! Shows a message with its status.
  /*  8 */ virtual HRESULT PopUpError(/*[in]*/ LONG code, /*[in]*/ BSTR message) = 0;
  //! Reports an error raised by a CAPE-OPEN object: what was being done, its status and
  //! description, whether it happened inside a calculation, and the interface called.
  /*  9 */ virtual HRESULT ReportCapeError(/*[in]*/ BSTR operation, /*[in]*/ LONG code,
                                           /*[in]*/ BSTR description,
                                           /*[in]*/ VARIANT_BOOL inCalculation,
                                           /*[in]*/ BSTR interfaceName) = 0;
};
