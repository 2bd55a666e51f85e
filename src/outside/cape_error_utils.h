#pragma once
//! capeErrorUtils: turns the CAPE-OPEN error interfaces of a failing object into text.

#include "comlite/dispatch.h"

namespace errorutils {
inline constexpr CLSID kClsidCapeErrorUtils =
    comlite::makeGuid("FED31244-C1CF-40B1-9D08-CEF196308277");
inline constexpr const char* kProgIdCapeErrorUtils = "CORavlCape.ErrorUtils.1";
//! Dispatch id of DescribeError through IDispatch::Invoke (the eighth method of the
//! interface, counting from QueryInterface as the first).
inline constexpr DISPID kDispidDescribeError = 8;
}  // namespace errorutils

struct ICapeErrorUtils : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("6C2C9221-1707-4F25-B6EC-A54CF5402EB3");
  //! A readable description of the error `failingObject` (VT_DISPATCH or VT_UNKNOWN) raised
  //! with `status` while doing `text`: one line per item (the operation, the error name and
  //! code, description, scope, interface name, operation, more information), as a VT_BSTR.
  /*  7 */ virtual HRESULT DescribeError(/*[in]*/ BSTR text, /*[in]*/ VARIANT failingObject,
                                         /*[in]*/ LONG status,
                                         /*[out]*/ VARIANT* description) = 0;
  //! The error's fields as seven strings: name, code, description, scope, interface name,
  //! operation, more information.
  /*  8 */ virtual HRESULT GetErrorFields(/*[in]*/ VARIANT failingObject,
                                          /*[out]*/ VARIANT* fields) = 0;
  //! The ECape interface name of a CAPE-OPEN status ("" for other statuses).
  /*  9 */ virtual HRESULT GetErrorName(/*[in]*/ LONG status, /*[out]*/ BSTR* name) = 0;
  //! Whether `status` is one of the CAPE-OPEN error codes.
  /* 10 */ virtual HRESULT IsCapeError(/*[in]*/ LONG status,
                                       /*[out]*/ VARIANT_BOOL* isCapeError) = 0;
};
