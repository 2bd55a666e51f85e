//! A stand-in capeErrorUtils for the reporter tests: a module registered under the real class
//! id whose description tells what it was given, so tests can see what the reporter passed.

#include <string>

#include "comlite/bstr.h"
#include "comlite/module.h"
#include "comlite/safearray.h"
#include "outside/cape_error_utils.h"

namespace {

//! A status the stand-in refuses to describe.
constexpr HRESULT kRefusedStatus = ECapeTimeOutHR;

class ErrorUtils : public comlite::ComObject<ErrorUtils, ICapeErrorUtils> {
 public:
  //! Lines: "text=<text>", "object=<dispatch|unknown|other>", "status=<decimal>".
  HRESULT DescribeError(BSTR text, VARIANT failingObject, LONG status,
                        VARIANT* description) override {
    if (!description) return E_POINTER;
    if (status == kRefusedStatus) return E_UNEXPECTED;
    const char* kind = failingObject.vt == VT_DISPATCH  ? "dispatch"
                       : failingObject.vt == VT_UNKNOWN ? "unknown"
                                                        : "other";
    const std::string lines[] = {"text=" + comlite::bstrToUtf8(text), std::string("object=") + kind,
                                 "status=" + std::to_string(status)};
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 3);
    if (!psa) return E_OUTOFMEMORY;
    for (LONG i = 0; i < 3; ++i) {
      comlite::Bstr line(lines[i]);
      SafeArrayPutElement(psa, &i, line.get());
    }
    VariantInit(description);
    description->vt = VT_ARRAY | VT_BSTR;
    description->parray = psa;
    return S_OK;
  }
  HRESULT GetErrorFields(VARIANT, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetErrorName(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT IsCapeError(LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

comlite::Module& module() {
  static comlite::Module m({{errorutils::kClsidCapeErrorUtils,
                             "Reporter test error utilities",
                             "",
                             "",
                             "Apartment",
                             {},
                             &comlite::createObject<ErrorUtils>}});
  return m;
}

}  // namespace

COMLITE_MODULE_EXPORTS(module())
