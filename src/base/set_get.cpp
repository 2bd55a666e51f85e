#include "base/set_get.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "base/message_output.h"

namespace {

constexpr const char* kUnexpected = "Unexpected error ";
//! Internal status of a failed clear; the error box turns it into E_FAIL.
constexpr HRESULT kInternalFailure = 100;
//! Highest number of significant digits rendered.
constexpr int kMaxDigits = 40;

//! The array a variant holds (directly or by reference); null when it holds none.
SAFEARRAY* arrayOf(const VARIANT& var) {
  if (!vtIsArray(var.vt)) return nullptr;
  if (vtIsByRef(var.vt)) return var.pparray ? *var.pparray : nullptr;
  return var.parray;
}

VARTYPE elementCode(SAFEARRAY* psa) {
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(psa, &vt);
  return vt;
}

bool bounds(SAFEARRAY* psa, UINT dim, LONG& lower, LONG& upper) {
  return SUCCEEDED(SafeArrayGetLBound(psa, dim, &lower)) &&
         SUCCEEDED(SafeArrayGetUBound(psa, dim, &upper));
}

HRESULT report(HRESULT status, const char* text, const char* context = nullptr) {
  Utils::popUpStatus(status, text, context, nullptr, true);
  return status;
}

//! Reference (VT_BYREF) view of one element, for conversion without copying first.
VARIANT referenceTo(void* element, VARTYPE vt) {
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = static_cast<VARTYPE>(vt | VT_BYREF);
  ref.byref = element;
  return ref;
}

//! Finds element (i) or (i, j) of the array in `var`, with the bound checks and messages of
//! the getters. `j` is used when `twoDims` is set.
HRESULT locateElement(const VARIANT& var, LONG i, LONG j, bool twoDims, void*& element,
                      VARTYPE& vt) {
  element = nullptr;
  SAFEARRAY* psa = arrayOf(var);
  if (!psa) return report(DISP_E_TYPEMISMATCH, kUnexpected, "SetGet::get");
  vt = elementCode(psa);
  const UINT dims = SafeArrayGetDim(psa);
  if (dims != (twoDims ? 2u : 1u)) return report(DISP_E_BADINDEX, kUnexpected, "SetGet::get");
  const std::string code = std::to_string(vt);
  LONG lower = 0, upper = -1;
  if (!bounds(psa, 1, lower, upper) || i < lower || i > upper)
    return report(E_FAIL,
                  "Getting a safearray value at a position higher than array bounds of 1st dim",
                  code.c_str());
  if (!twoDims) {
    element = static_cast<char*>(psa->pvData) +
              static_cast<std::size_t>(i - lower) * SafeArrayGetElemsize(psa);
    return S_OK;
  }
  if (!bounds(psa, 2, lower, upper) || j < lower || j > upper)
    return report(E_FAIL,
                  "Getting a safearray value at a position higher than array bounds of 2nd dim",
                  code.c_str());
  const LONG indices[2] = {i, j};
  HRESULT hr = SafeArrayPtrOfIndex(psa, indices, &element);
  if (FAILED(hr)) {
    element = nullptr;
    return report(hr, kUnexpected);
  }
  return S_OK;
}

//! Converts the element into an owned variant of code `target` (VT_VARIANT: a deep copy).
HRESULT readElement(const VARIANT& var, LONG i, LONG j, bool twoDims, VARTYPE target,
                    VARIANT& out) {
  VariantInit(&out);
  void* element = nullptr;
  VARTYPE vt = VT_EMPTY;
  HRESULT hr = locateElement(var, i, j, twoDims, element, vt);
  if (FAILED(hr)) return hr;
  const VARIANT ref = referenceTo(element, vt);
  hr = target == VT_VARIANT ? VariantCopyInd(&out, &ref) : VariantChangeType(&out, &ref, 0, target);
  if (FAILED(hr)) {
    VariantInit(&out);
    return report(hr, kUnexpected, "SetGet::get");
  }
  return S_OK;
}

HRESULT getDoubleAt(const VARIANT& var, LONG i, LONG j, bool twoDims, double& out) {
  VARIANT v;
  HRESULT hr = readElement(var, i, j, twoDims, VT_R8, v);
  out = SUCCEEDED(hr) ? v.dblVal : 0.0;
  return hr;
}

HRESULT getLongAt(const VARIANT& var, LONG i, LONG j, bool twoDims, LONG& out) {
  VARIANT v;
  HRESULT hr = readElement(var, i, j, twoDims, VT_I4, v);
  out = SUCCEEDED(hr) ? v.lVal : 0;
  return hr;
}

HRESULT getStringAt(const VARIANT& var, LONG i, LONG j, bool twoDims, BSTR& out) {
  VARIANT v;
  HRESULT hr = readElement(var, i, j, twoDims, VT_BSTR, v);
  out = SUCCEEDED(hr) ? v.bstrVal : nullptr;  // ownership passes to the caller
  return hr;
}

HRESULT getVariantAt(const VARIANT& var, LONG i, LONG j, bool twoDims, VARIANT& out) {
  HRESULT hr = VariantClear(&out);
  if (FAILED(hr)) return report(hr, kUnexpected, "SetGet::get");
  return readElement(var, i, j, twoDims, VT_VARIANT, out);
}

//! Installs a freshly created array in `var`, after releasing what it held.
void install(VARIANT& var, SAFEARRAY* psa, VARTYPE vt) {
  if (FAILED(VariantClear(&var)))
    report(kInternalFailure, "void SetGet::Create(VARIANT &var, VARTYPE vt, long len)");
  var.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  var.parray = psa;
}

bool sameShape(const VARIANT& var, VARTYPE vt, UINT dims, const SAFEARRAYBOUND* wanted) {
  if (var.vt != (VT_ARRAY | vt) || !var.parray || SafeArrayGetDim(var.parray) != dims) return false;
  if (dims == 1)  // every request sizes its lists: read from the descriptor
    return var.parray->rgsabound[0].lLbound == wanted[0].lLbound &&
           var.parray->rgsabound[0].cElements == wanted[0].cElements;
  for (UINT d = 1; d <= dims; ++d) {
    LONG lower = 0, upper = 0;
    if (!bounds(var.parray, d, lower, upper)) return false;
    if (lower != wanted[d - 1].lLbound ||
        static_cast<long long>(upper) - lower + 1 != wanted[d - 1].cElements)
      return false;
  }
  return true;
}

HRESULT createArray(VARIANT& var, VARTYPE vt, UINT dims, const LONG* lengths, const LONG* lowers) {
  vt = static_cast<VARTYPE>(vt & ~VT_ARRAY);
  SAFEARRAYBOUND wanted[2];
  for (UINT d = 0; d < dims; ++d) {
    if (lengths[d] < 0) return report(E_INVALIDARG, kUnexpected, "SetGet::Create");
    wanted[d] = {static_cast<ULONG>(lengths[d]), lowers[d]};
  }
  if (sameShape(var, vt, dims, wanted)) return S_OK;
  if (vt == VT_EMPTY || comlite::safeArrayElementSize(vt) == 0)
    return report(DISP_E_BADVARTYPE, kUnexpected, "SetGet::Create");
  SAFEARRAY* psa = SafeArrayCreate(vt, dims, wanted);
  if (!psa) return report(E_OUTOFMEMORY, kUnexpected, "SetGet::Create");
  install(var, psa, vt);
  return S_OK;
}

int effectiveDigits(int digits) {
  if (digits <= 0) return SetGet::kDefaultDigits;
  return digits > kMaxDigits ? kMaxDigits : digits;
}

std::size_t strideOf(VARTYPE vt) {
  switch (vt) {
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
      return 4;
    case VT_R8:
      return 8;
    case VT_BSTR:
      return sizeof(BSTR);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

bool contains(const std::string& text, std::string_view separator) {
  return !separator.empty() && text.find(separator) != std::string::npos;
}

void reportSeparator(std::string_view separator) {
  const std::string message =
      "Error persisting a string. The sequence of characters '" + std::string(separator) +
      "' is not allowed. Please remove this sequence and repeat last action";
  report(E_FAIL, message.c_str());
}

void reportUnexpectedRendering(UINT dims, VARTYPE vt) {
  char message[96];
  std::snprintf(message, sizeof message, "ERROR_UNEXPECTED in variantToStr of %u dimensions, VT=%d",
                dims, static_cast<int>(vt));
  Utils::showMessage(message, Utils::title().c_str(), Utils::kStylePlain);
}

bool renderable(VARTYPE vt) {
  return vt == VT_I2 || vt == VT_I4 || vt == VT_R8 || vt == VT_BSTR || vt == VT_BOOL ||
         vt == VT_VARIANT;
}

}  // namespace

HRESULT SetGet::Create(VARIANT& var, VARTYPE vt, LONG len, LONG lbound) {
  return createArray(var, vt, 1, &len, &lbound);
}

HRESULT SetGet::CreateReuse(VARIANT& var, VARTYPE vt, LONG len, LONG lbound) {
  return Create(var, vt, len, lbound);
}

HRESULT SetGet::Create(VARIANT& var, VARTYPE vt, LONG len, LONG len2, LONG lbound, LONG lbound2) {
  const LONG lengths[2] = {len, len2};
  const LONG lowers[2] = {lbound, lbound2};
  return createArray(var, vt, 2, lengths, lowers);
}

HRESULT SetGet::CreateFromRows(VARIANT& var, VARTYPE vt, LONG rows, LONG cols,
                               const void* const* rowBuffers) {
  vt = static_cast<VARTYPE>(vt & ~VT_ARRAY);
  const LONG size = sizeOf(vt);
  if (size < 0) return E_FAIL;
  HRESULT hr = Create(var, vt, rows, cols, 0, 0);
  if (FAILED(hr)) return hr;
  if (vt == VT_BSTR || vt == VT_VARIANT)
    return report(E_FAIL, "Code not implemented. Contact support");
  if (rows > 0 && cols > 0 && !rowBuffers)
    return report(E_POINTER, kUnexpected, "SetGet::CreateFromRows");
  for (LONG r = 0; r < rows; ++r) {
    if (!rowBuffers[r]) return report(E_POINTER, kUnexpected, "SetGet::CreateFromRows");
    const char* row = static_cast<const char*>(rowBuffers[r]);
    for (LONG c = 0; c < cols; ++c) {
      const LONG indices[2] = {r, c};
      void* element = nullptr;
      hr = SafeArrayPtrOfIndex(var.parray, indices, &element);
      if (FAILED(hr)) return report(hr, kUnexpected, "SetGet::CreateFromRows");
      std::memcpy(element, row + static_cast<std::size_t>(c) * size, size);
    }
  }
  return S_OK;
}

HRESULT SetGet::get(const VARIANT& var, LONG i, double& out) {
  return getDoubleAt(var, i, 0, false, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, LONG& out) {
  return getLongAt(var, i, 0, false, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, BSTR& out) {
  return getStringAt(var, i, 0, false, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, VARIANT& out) {
  return getVariantAt(var, i, 0, false, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, LONG j, double& out) {
  return getDoubleAt(var, i, j, true, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, LONG j, LONG& out) {
  return getLongAt(var, i, j, true, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, LONG j, BSTR& out) {
  return getStringAt(var, i, j, true, out);
}
HRESULT SetGet::get(const VARIANT& var, LONG i, LONG j, VARIANT& out) {
  return getVariantAt(var, i, j, true, out);
}

double SetGet::getDouble(const VARIANT& var, LONG i) {
  double d = 0;
  get(var, i, d);
  return d;
}
double SetGet::getDouble(const VARIANT& var, LONG i, LONG j) {
  double d = 0;
  get(var, i, j, d);
  return d;
}
LONG SetGet::getLong(const VARIANT& var, LONG i) {
  LONG l = 0;
  get(var, i, l);
  return l;
}
LONG SetGet::getLong(const VARIANT& var, LONG i, LONG j) {
  LONG l = 0;
  get(var, i, j, l);
  return l;
}
std::string SetGet::getString(const VARIANT& var, LONG i) {
  BSTR s = nullptr;
  get(var, i, s);
  std::string text = comlite::bstrToUtf8(s);
  SysFreeString(s);
  return text;
}

void* SetGet::noCopyItemGet(SAFEARRAY* psa, LONG index, VARTYPE vt) {
  if (!psa) {
    report(E_POINTER, kUnexpected, "noCopyItemGet");
    return nullptr;
  }
  if (SafeArrayGetDim(psa) != 1) {
    report(E_FAIL, "Only 1 dimension arrays are supported", "noCopyItemGet");
    return nullptr;
  }
  const VARTYPE own = elementCode(psa);
  const bool supported =
      vt == VT_I4 || vt == VT_R8 || vt == VT_BSTR || vt == VT_BOOL || vt == VT_VARIANT;
  if (!supported || own != vt) {
    report(E_FAIL, "bad VT in noCopyItemGet");
    return nullptr;
  }
  LONG lower = 0, upper = -1;
  if (!bounds(psa, 1, lower, upper) || index < lower || index > upper) {
    report(DISP_E_BADINDEX, kUnexpected, "noCopyItemGet");
    return nullptr;
  }
  return static_cast<char*>(psa->pvData) +
         static_cast<std::size_t>(index - lower) * SafeArrayGetElemsize(psa);
}

HRESULT SetGet::noCopyVariantGetV(const VARIANT& arr, LONG index, VARIANT& out) {
  HRESULT hr = VariantClear(&out);
  if (FAILED(hr)) return report(hr, kUnexpected, "noCopyVariantGetV");
  SAFEARRAY* psa = arrayOf(arr);
  if (!psa) return report(DISP_E_TYPEMISMATCH, kUnexpected, "noCopyVariantGetV");
  if (SafeArrayGetDim(psa) != 1)
    return report(E_FAIL, "Only 1 dimension arrays are supported", "noCopyVariantGetV");
  const VARTYPE vt = elementCode(psa);
  void* element = noCopyItemGet(psa, index, vt);
  if (!element) return E_FAIL;
  out = referenceTo(element, vt);
  return S_OK;
}

HRESULT SetGet::noCopyVariantPutV(VARIANT& arr, LONG index, VARIANT& value) {
  SAFEARRAY* psa = arrayOf(arr);
  if (!psa) return report(DISP_E_TYPEMISMATCH, kUnexpected, "noCopyVariantPutV");
  if (SafeArrayGetDim(psa) != 1)
    return report(E_FAIL, "Only 1 dimension arrays are supported", "noCopyVariantPutV");
  const VARTYPE vt = elementCode(psa);
  const bool supported =
      vt == VT_I4 || vt == VT_R8 || vt == VT_BSTR || vt == VT_BOOL || vt == VT_VARIANT;
  if (!supported) return report(E_FAIL, "bad VT in noCopyVariantPutV");
  LONG lower = 0, upper = -1;
  if (!bounds(psa, 1, lower, upper) || index < lower || index > upper)
    return report(DISP_E_BADINDEX, kUnexpected, "noCopyVariantPutV");
  void* element = static_cast<char*>(psa->pvData) +
                  static_cast<std::size_t>(index - lower) * SafeArrayGetElemsize(psa);

  // An owned value to move: a reference is first copied into one.
  VARIANT owned;
  VariantInit(&owned);
  HRESULT hr = vtIsByRef(value.vt) ? VariantCopyInd(&owned, &value) : S_OK;
  if (FAILED(hr)) return report(hr, kUnexpected, "noCopyVariantPutV");
  VARIANT& source = vtIsByRef(value.vt) ? owned : value;

  switch (vt) {
    case VT_VARIANT: {
      hr = VariantClear(static_cast<VARIANT*>(element));
      if (FAILED(hr)) {
        VariantClear(&owned);
        return report(hr, kUnexpected, "noCopyVariantPutV");
      }
      *static_cast<VARIANT*>(element) = source;
      break;
    }
    case VT_BSTR: {
      if (source.vt != VT_BSTR) {
        VariantClear(&owned);
        return report(E_FAIL, "bad VT in noCopyVariantPutV");
      }
      SysFreeString(*static_cast<BSTR*>(element));
      *static_cast<BSTR*>(element) = source.bstrVal;
      break;
    }
    default: {
      VARIANT number;
      VariantInit(&number);
      hr = VariantChangeType(&number, &source, 0, vt);
      VariantClear(&owned);
      if (FAILED(hr)) return report(hr, kUnexpected, "noCopyVariantPutV");
      if (vt == VT_I4) *static_cast<LONG*>(element) = number.lVal;
      if (vt == VT_R8) *static_cast<double*>(element) = number.dblVal;
      if (vt == VT_BOOL) *static_cast<VARIANT_BOOL*>(element) = number.boolVal;
      if (!vtIsByRef(value.vt)) VariantClear(&value);
      VariantInit(&value);
      return S_OK;
    }
  }
  // The element now owns what `source` held.
  VariantInit(&source);
  VariantInit(&value);
  return S_OK;
}

bool SetGet::nextItem(const VARIANT& arr, LONG& index, VARIANT& out) {
  SAFEARRAY* psa = arrayOf(arr);
  if (!psa || SafeArrayGetDim(psa) != 1) return false;
  LONG lower = 0, upper = -1;
  if (!bounds(psa, 1, lower, upper)) return false;
  if (index < lower) index = lower;
  if (index > upper) return false;
  if (FAILED(get(arr, index, out))) return false;
  ++index;
  return true;
}

HRESULT SetGet::copy(VARIANT& dest, const VARIANT& src, bool cloneContents) {
  if (!cloneContents) report(E_FAIL, "cloneContents=false not supported", "SetGet::copy");
  if (&dest == &src) return S_OK;
  HRESULT hr = VariantCopyInd(&dest, &src);
  if (FAILED(hr)) return report(hr, kUnexpected, "SetGet::copy");
  return S_OK;
}

LONG SetGet::sizeOf(VARTYPE vt) {
  switch (vt & ~VT_ARRAY) {
    case VT_I4:
      return 4;
    case VT_R8:
    case VT_BSTR:
      return 8;
    case VT_VARIANT:
      return static_cast<LONG>(sizeof(VARIANT));
    default:
      report(E_FAIL, "Bug in SetGet", "sizeOf");
      return -1;
  }
}

std::string SetGet::valueToStr(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%#.*g", effectiveDigits(digits), value);
  // The general form keeps every trailing zero under '#'; the component's form keeps only the
  // decimal point of an integral value ("1.", "2.5", "1.e+30").
  std::string s = text;
  const auto exponent = s.find_first_of("eE");
  std::string mantissa = s.substr(0, exponent);
  const std::string rest = exponent == std::string::npos ? "" : s.substr(exponent);
  if (mantissa.find('.') != std::string::npos) {
    const auto last = mantissa.find_last_not_of('0');
    mantissa.resize(last + 1);
  }
  return mantissa + rest;
}

std::string SetGet::valueToStr(const void* value, VARTYPE vt, int digits) {
  if (vt == VT_EMPTY) return "<empty>";
  if (!value) return {};
  switch (vt) {
    case VT_I2:
      return std::to_string(*static_cast<const SHORT*>(value));
    case VT_I4:
      return std::to_string(*static_cast<const LONG*>(value));
    case VT_R8:
      return valueToStr(*static_cast<const double*>(value), digits);
    case VT_BSTR:
      return comlite::bstrToUtf8(*static_cast<const BSTR*>(value));
    case VT_BOOL:
      return std::to_string(*static_cast<const VARIANT_BOOL*>(value));
    case VT_VARIANT:
      return valueToStr(*static_cast<const VARIANT*>(value), digits);
    default:
      return {};
  }
}

std::string SetGet::valueToStr(const VARIANT& value, int digits) {
  if (vtIsArray(value.vt)) return variantToStr(value, nullptr, false, false, digits);
  if (!vtIsByRef(value.vt)) {
    // Every scalar member of the union starts at the same address.
    if (value.vt != VT_EMPTY && (value.vt == VT_VARIANT || !renderable(value.vt))) return {};
    return valueToStr(&value.llVal, value.vt, digits);
  }
  const VARTYPE vt = static_cast<VARTYPE>(value.vt & ~VT_BYREF);
  if (!value.byref) return {};
  // A reference to a variant that is itself a reference is not followed (it could loop).
  if (vt == VT_VARIANT && vtIsByRef(value.pvarVal->vt)) return {};
  return valueToStr(value.byref, vt, digits);
}

std::string SetGet::arrayToStr(const void* values, VARTYPE vt, LONG count, const char* prefix,
                               int digits, const char* separator) {
  std::string text = prefix ? prefix : "";
  const std::size_t stride = strideOf(vt);
  if (!stride) {
    report(E_FAIL, "Bug in SetGet", "arrayToStr");
    return text;
  }
  if (!values) return text;
  const char* sep = separator ? separator : ", ";
  for (LONG k = 0; k < count; ++k) {
    if (k) text += sep;
    text += valueToStr(static_cast<const char*>(values) + stride * k, vt, digits);
  }
  return text;
}

std::string SetGet::variantToStr(const VARIANT& var, const char* separator, bool noBrackets,
                                 bool checkSeparator, int digits) {
  if (!vtIsArray(var.vt)) return valueToStr(var, digits);
  const std::string_view sep = separator ? separator : ", ";
  SAFEARRAY* psa = arrayOf(var);
  std::string text;
  UINT dims = 0;
  try {
    if (!psa) return noBrackets ? "" : "()";
    dims = SafeArrayGetDim(psa);
    const VARTYPE vt = elementCode(psa);
    if ((dims != 1 && dims != 2) || !renderable(vt)) {
      reportUnexpectedRendering(dims, var.vt);
      return text;
    }
    LONG lower = 0, upper = -1, lower2 = 0, upper2 = -1;
    if (!bounds(psa, 1, lower, upper) || (dims == 2 && !bounds(psa, 2, lower2, upper2))) {
      reportUnexpectedRendering(dims, var.vt);
      return text;
    }
    if (!noBrackets) text += '(';
    for (LONG i = lower; i <= upper; ++i) {
      if (i > lower) text += sep;
      if (dims == 1) {
        const void* element = static_cast<const char*>(psa->pvData) +
                              static_cast<std::size_t>(i - lower) * SafeArrayGetElemsize(psa);
        const std::string item = valueToStr(element, vt, kDefaultDigits);
        if (checkSeparator && contains(item, sep)) reportSeparator(sep);
        text += item;
        continue;
      }
      if (!noBrackets) text += '<';
      for (LONG j = lower2; j <= upper2; ++j) {
        if (j > lower2) text += sep;
        const LONG indices[2] = {i, j};
        void* element = nullptr;
        HRESULT hr = SafeArrayPtrOfIndex(psa, indices, &element);
        if (FAILED(hr)) {
          text += '?';
          const std::string message =
              "Error getting element in index" + std::to_string(i) + ", " + std::to_string(j);
          report(hr, message.c_str());
          continue;
        }
        const std::string item = valueToStr(element, vt, digits);
        if (contains(item, sep)) reportSeparator(sep);
        text += item;
      }
      if (!noBrackets) text += '>';
    }
    if (!noBrackets) text += ')';
  } catch (...) {
    reportUnexpectedRendering(dims, var.vt);
  }
  return text;
}
