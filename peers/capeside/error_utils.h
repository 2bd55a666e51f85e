#pragma once
//! capeErrorUtils: reads the ECapeRoot / ECapeUser interfaces (and the specific ECape interface)
//! of a failing CAPE-OPEN object and words a description of the error.

#include "capeside/support/cape_object.h"
#include "outside/cape_error_utils.h"

namespace capeside {

class CapeErrorUtils : public CapeObject<CapeErrorUtils, ICapeErrorUtils> {
 public:
  HRESULT DescribeError(BSTR text, VARIANT failingObject, LONG status,
                        VARIANT* description) override;
  HRESULT GetErrorFields(VARIANT failingObject, VARIANT* fields) override;
  HRESULT GetErrorName(LONG status, BSTR* name) override;
  HRESULT IsCapeError(LONG status, VARIANT_BOOL* isCapeError) override;
  // Late binding: DescribeError is dispatch id 8 (see errorutils::kDispidDescribeError).
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, UINT* argErr) override;
};

//! The description DescribeError gives, from an error record (exposed for the tests of the
//! wording).
std::string describeRecord(const std::string& doing, const ErrorRecord& record, HRESULT status);

}  // namespace capeside
