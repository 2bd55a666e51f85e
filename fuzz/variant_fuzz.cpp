//! Automation values built from arbitrary bytes: every conversion either succeeds with a value
//! of the asked type or fails leaving the destination as it was; rendering never crashes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/notice.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"

namespace {

const VARTYPE kTypes[] = {VT_EMPTY, VT_I1, VT_UI1, VT_I2,   VT_UI2,  VT_I4,  VT_UI4,  VT_I8,
                          VT_UI8,   VT_R4, VT_R8,  VT_BOOL, VT_BSTR, VT_INT, VT_UINT, VT_DATE};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool quiet =
      (comlite::setNoticeSink([](const std::string&, const std::string&, UINT) {}), true);
  (void)quiet;
  if (size < 2) return 0;
  const VARTYPE from = kTypes[data[0] % std::size(kTypes)];
  const VARTYPE to = kTypes[data[1] % std::size(kTypes)];
  data += 2, size -= 2;

  comlite::Variant source;
  if (from == VT_BSTR) {
    source.vt = VT_BSTR;
    source.bstrVal = comlite::bstrFromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  } else if (from != VT_EMPTY) {
    source.vt = from;
    std::memcpy(&source.llVal, data, std::min<std::size_t>(size, 8));
  }
  comlite::Variant out = comlite::Variant::fromLong(7);
  const HRESULT hr = VariantChangeType(&out, &source, 0, to);
  if (SUCCEEDED(hr) && out.vt != to) std::abort();
  if (FAILED(hr) && (out.vt != VT_I4 || out.lVal != 7)) std::abort();

  // An array of the converted values rendered as text, with and without separators.
  comlite::Variant list;
  if (SUCCEEDED(SetGet::Create(list, VT_VARIANT, 3))) {
    for (LONG i = 0; i < 3; ++i) SafeArrayPutElement(list.parray, &i, i == 1 ? &out : &source);
    (void)SetGet::variantToStr(list);
  }
  comlite::Variant strings;
  if (SUCCEEDED(SetGet::Create(strings, VT_BSTR, 2, 2, 0, 0)) && source.vt == VT_BSTR) {
    LONG idx[2] = {1, 1};
    SafeArrayPutElement(strings.parray, idx, source.bstrVal);
    (void)SetGet::variantToStr(strings, ", ", false, true, 6);
  }
  return 0;
}
