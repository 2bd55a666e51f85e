#include "base/list_search.h"

#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "base/message_output.h"
#include "base/name_compare.h"

namespace Utils {

LONG findPos(const VARIANT& list, const OLECHAR* value, const NameComparison& compare,
             bool emptiesAreMatched) {
  if (compare && emptiesAreMatched) {
    popUpStatus(E_FAIL,
                "Utils::findPos error:If a not NULL function is passed, emptiesAreMatched "
                "cannot be true",
                nullptr, nullptr, true);
    return -1;
  }
  const bool valueEmpty = !value || !*value;
  if (valueEmpty && !emptiesAreMatched) return -1;
  if (!vtIsArray(list.vt)) return -1;
  SAFEARRAY* psa = vtIsByRef(list.vt) ? (list.pparray ? *list.pparray : nullptr) : list.parray;
  if (!psa || SafeArrayGetDim(psa) != 1) return -1;
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(psa, &vt);
  if (vt != VT_BSTR && vt != VT_VARIANT) return -1;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(psa, 1, &lower)) || FAILED(SafeArrayGetUBound(psa, 1, &upper)))
    return -1;
  static const OLECHAR kEmpty[1] = {0};
  for (LONG i = lower; i <= upper; ++i) {
    const char* slot = static_cast<const char*>(psa->pvData) +
                       static_cast<std::size_t>(i - lower) * psa->cbElements;
    const OLECHAR* element = kEmpty;
    if (vt == VT_BSTR) {
      element = *reinterpret_cast<const BSTR*>(slot);
    } else {
      const auto* v = reinterpret_cast<const VARIANT*>(slot);
      if (v->vt == VT_BSTR)
        element = v->bstrVal;
      else if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal)
        element = *v->pbstrVal;
      else if (v->vt != VT_EMPTY)
        continue;  // not a string: never equal
    }
    if (!element) element = kEmpty;
    const bool equal =
        compare ? compare(element, value ? value : kEmpty) : namesEqual(element, value);
    if (equal) return i;
  }
  return -1;
}

}  // namespace Utils
