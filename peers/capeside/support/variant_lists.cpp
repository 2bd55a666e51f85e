#include "capeside/support/variant_lists.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "comlite/bstr.h"
#include "comlite/safearray.h"

namespace capeside {

std::size_t arrayLength(const VARIANT& v) {
  const VARIANT* at = &v;
  if (at->vt == (VT_VARIANT | VT_BYREF) && at->pvarVal) at = at->pvarVal;
  if (!vtIsArray(at->vt)) return 0;
  SAFEARRAY* const* array = vtIsByRef(at->vt) ? at->pparray : &at->parray;
  return array && *array ? comlite::safeArrayCount(*array) : 0;
}

namespace {

//! The VARIANT a BYREF variant points at (or the value itself).
const VARIANT& deref(const VARIANT& v) {
  if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal) return deref(*v.pvarVal);
  return v;
}

//! Element types a list may hold besides nested variants.
bool readableScalar(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
    case VT_R8:
    case VT_R4:
    case VT_I4:
    case VT_I2:
    case VT_BOOL:
      return true;
    default:
      return false;
  }
}

//! Visits each element of an array in storage order as a VARIANT; false when the type is not
//! one the visitor can read.
template <class F>
bool forEachElement(SAFEARRAY* psa, VARTYPE elementType, F&& visit) {
  if (!psa) return true;
  const ULONG n = comlite::safeArrayCount(psa);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(psa, &data))) return false;
  bool ok = true;
  for (ULONG i = 0; i < n && ok; ++i) {
    VARIANT item;
    VariantInit(&item);
    const char* element = static_cast<char*>(data) + std::size_t(i) * psa->cbElements;
    if (elementType == VT_VARIANT) {
      item = *reinterpret_cast<const VARIANT*>(element);  // borrowed, never cleared here
    } else if (readableScalar(elementType)) {
      // Scalars and strings sit at the start of the value union: a borrowed view of the bytes.
      item.vt = elementType;
      std::memcpy(&item.llVal, element, psa->cbElements);
    } else {
      ok = false;
      continue;
    }
    ok = visit(deref(item));
  }
  SafeArrayUnaccessData(psa);
  return ok;
}

//! The elements of an array of `T` stored as `vt`, in storage order, or nullptr when `psa` is
//! not one (the common case of every exchange, read without visiting each element).
template <class T>
const T* plainElements(SAFEARRAY* psa, VARTYPE elementType, VARTYPE vt) {
  return psa && elementType == vt && psa->cbElements == sizeof(T) && psa->pvData
             ? static_cast<const T*>(psa->pvData)
             : nullptr;
}

//! Reads a list into `out` (cleared first, its storage reused); false when it is not one.
template <class T, class Scalar>
bool readInto(const VARIANT& in, std::vector<T>& out, Scalar&& scalar) {
  const VARIANT& v = deref(in);
  out.clear();
  if (v.vt == VT_EMPTY) return true;
  if (vtIsArray(v.vt)) {
    SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    if constexpr (std::is_same_v<T, double> || std::is_same_v<T, LONG>) {
      if (const T* d =
              plainElements<T>(psa, vtBase(v.vt), std::is_same_v<T, LONG> ? VT_I4 : VT_R8)) {
        out.assign(d, d + comlite::safeArrayCount(psa));
        return true;
      }
    }
    if (psa) out.reserve(comlite::safeArrayCount(psa));
    return forEachElement(psa, vtBase(v.vt), [&](const VARIANT& item) {
      T value{};
      if (!scalar(item, value)) return false;
      out.push_back(std::move(value));
      return true;
    });
  }
  T value{};
  if (!scalar(v, value)) return false;
  out.push_back(std::move(value));
  return true;
}

template <class T, class Scalar>
std::optional<std::vector<T>> readList(const VARIANT& in, Scalar&& scalar) {
  std::vector<T> out;
  if (!readInto(in, out, scalar)) return std::nullopt;
  return out;
}

bool scalarString(const VARIANT& v, std::string& out) {
  if (v.vt == VT_BSTR) {
    out = comlite::bstrToUtf8(v.bstrVal);
    return true;
  }
  if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal) {
    out = comlite::bstrToUtf8(*v.pbstrVal);
    return true;
  }
  if (v.vt == VT_EMPTY) {
    out.clear();
    return true;
  }
  return false;
}

bool scalarDouble(const VARIANT& v, double& out) {
  switch (v.vt) {
    case VT_R8:
      out = v.dblVal;
      return true;
    case VT_R4:
      out = v.fltVal;
      return true;
    case VT_I4:
      out = v.lVal;
      return true;
    case VT_I2:
      out = v.iVal;
      return true;
    case VT_R8 | VT_BYREF:
      if (!v.pdblVal) return false;
      out = *v.pdblVal;
      return true;
    default:
      return false;
  }
}

bool scalarLong(const VARIANT& v, LONG& out) {
  switch (v.vt) {
    case VT_I4:
      out = v.lVal;
      return true;
    case VT_I2:
      out = v.iVal;
      return true;
    case VT_BOOL:
      out = v.boolVal ? 1 : 0;
      return true;
    case VT_I4 | VT_BYREF:
      if (!v.plVal) return false;
      out = *v.plVal;
      return true;
    default:
      return false;
  }
}

comlite::Variant wrapArray(SAFEARRAY* psa, VARTYPE vt) {
  if (!psa) throw std::bad_alloc();
  comlite::Variant v;
  v.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  v.parray = psa;
  return v;
}

}  // namespace

std::optional<std::vector<std::string>> stringList(const VARIANT& v) {
  return readList<std::string>(v, scalarString);
}

std::optional<std::vector<double>> doubleList(const VARIANT& v) {
  return readList<double>(v, scalarDouble);
}

bool readDoubleList(const VARIANT& v, std::vector<double>& out) {
  return readInto(v, out, scalarDouble);
}

bool isStringList(const VARIANT& in) {
  const VARIANT& v = deref(in);
  auto isString = [](const VARIANT& item) {
    return item.vt == VT_BSTR || (item.vt == (VT_BSTR | VT_BYREF) && item.pbstrVal) ||
           item.vt == VT_EMPTY;
  };
  if (vtIsArray(v.vt)) {
    SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    if (plainElements<BSTR>(psa, vtBase(v.vt), VT_BSTR)) return true;
    return forEachElement(psa, vtBase(v.vt), isString);
  }
  return isString(v);
}

namespace {

//! Visits the UTF-16 text of each string of a string list; false when it is not one.
template <class F>
bool forEachString(const VARIANT& in, F&& visit) {
  auto one = [&](const VARIANT& item) {
    if (item.vt == VT_BSTR) return visit(comlite::bstrView(item.bstrVal));
    if (item.vt == (VT_BSTR | VT_BYREF) && item.pbstrVal)
      return visit(comlite::bstrView(*item.pbstrVal));
    if (item.vt == VT_EMPTY) return visit(std::u16string_view());
    return false;
  };
  const VARIANT& v = deref(in);
  if (v.vt == VT_EMPTY) return true;
  if (vtIsArray(v.vt)) {
    SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    if (const BSTR* s = plainElements<BSTR>(psa, vtBase(v.vt), VT_BSTR)) {
      for (ULONG i = 0, n = comlite::safeArrayCount(psa); i < n; ++i)
        if (!visit(comlite::bstrView(s[i]))) return false;
      return true;
    }
    return forEachElement(psa, vtBase(v.vt), one);
  }
  return one(v);
}

}  // namespace

bool sameStringList(const VARIANT& v, const std::vector<std::u16string>& list) {
  std::size_t k = 0;
  const bool ok = forEachString(v, [&](std::u16string_view s) {
    if (k >= list.size() || !comlite::sameUnits(list[k], s)) return false;
    ++k;
    return true;
  });
  return ok && k == list.size();
}

bool readWideStringList(const VARIANT& v, std::vector<std::u16string>& out) {
  std::size_t k = 0;  // the strings already held keep their storage
  const bool ok = forEachString(v, [&](std::u16string_view s) {
    if (k < out.size())
      out[k].assign(s);
    else
      out.emplace_back(s);
    ++k;
    return true;
  });
  out.resize(k);
  return ok;
}

bool readStringViews(const VARIANT& v, std::vector<std::u16string_view>& out) {
  out.clear();
  return forEachString(v, [&](std::u16string_view s) {
    out.push_back(s);
    return true;
  });
}

bool readStringList(const VARIANT& v, std::vector<std::string>& out) {
  return readInto(v, out, scalarString);
}

bool readLongList(const VARIANT& v, std::vector<LONG>& out) {
  return readInto(v, out, scalarLong);
}

std::optional<std::vector<LONG>> longList(const VARIANT& v) {
  return readList<LONG>(v, scalarLong);
}

comlite::Variant makeStringArray(const std::vector<std::string>& items, bool nullForEmpty) {
  comlite::Variant v =
      wrapArray(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size())), VT_BSTR);
  BSTR* data = nullptr;
  SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&data));
  bool ok = true;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (nullForEmpty && items[i].empty()) continue;
    data[i] = comlite::bstrFromUtf8(items[i]);
    ok = ok && data[i] != nullptr;
  }
  SafeArrayUnaccessData(v.parray);
  if (!ok) throw std::bad_alloc();
  return v;
}

comlite::Variant makeDoubleArray(const std::vector<double>& items) {
  comlite::Variant v =
      wrapArray(SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(items.size())), VT_R8);
  double* data = nullptr;
  SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&data));
  for (std::size_t i = 0; i < items.size(); ++i) data[i] = items[i];
  SafeArrayUnaccessData(v.parray);
  return v;
}

comlite::Variant makeLongArray(const std::vector<LONG>& items) {
  comlite::Variant v =
      wrapArray(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(items.size())), VT_I4);
  LONG* data = nullptr;
  SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&data));
  for (std::size_t i = 0; i < items.size(); ++i) data[i] = items[i];
  SafeArrayUnaccessData(v.parray);
  return v;
}

comlite::Variant makeVariantArray(const std::vector<comlite::Variant>& items) {
  comlite::Variant v =
      wrapArray(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size())), VT_VARIANT);
  VARIANT* data = nullptr;
  SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&data));
  HRESULT hr = S_OK;
  for (std::size_t i = 0; i < items.size() && SUCCEEDED(hr); ++i)
    hr = VariantCopy(&data[i], &items[i]);
  SafeArrayUnaccessData(v.parray);
  if (FAILED(hr)) throw std::bad_alloc();
  return v;
}

comlite::Variant makeString(std::string_view utf8) {
  comlite::Variant v;
  v.bstrVal = comlite::bstrFromUtf8(utf8);
  if (!v.bstrVal) throw std::bad_alloc();
  v.vt = VT_BSTR;
  return v;
}

HRESULT putVariant(VARIANT* out, comlite::Variant value) {
  if (!out) return E_POINTER;
  VariantClear(out);
  *out = value.detach();
  return S_OK;
}

namespace {

//! The array of `out` to fill with `count` elements of `vt`: the caller's own when it takes
//! them in place, else a new one that replaces it.
SAFEARRAY* arrayToFill(VARIANT& out, VARTYPE vt, std::size_t count, std::size_t size) {
  SAFEARRAY* psa = out.vt == (VT_ARRAY | vt) ? out.parray : nullptr;
  if (psa && psa->cDims == 1 && psa->cLocks == 0 && psa->cbElements == size &&
      psa->rgsabound[0].lLbound == 0 && psa->rgsabound[0].cElements == count &&
      (count == 0 || psa->pvData))
    return psa;
  psa = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(count));
  if (!psa) throw std::bad_alloc();
  VariantClear(&out);
  out.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  out.parray = psa;
  return psa;
}

template <class T>
HRESULT fillPlain(VARIANT* out, std::span<const T> items, VARTYPE vt) {
  if (!out) return E_POINTER;
  SAFEARRAY* psa = arrayToFill(*out, vt, items.size(), sizeof(T));
  if (!items.empty()) std::memcpy(psa->pvData, items.data(), items.size_bytes());
  return S_OK;
}

}  // namespace

HRESULT fillDoubleArray(VARIANT* out, std::span<const double> items) {
  return fillPlain(out, items, VT_R8);
}

HRESULT fillLongArray(VARIANT* out, std::span<const LONG> items) {
  return fillPlain(out, items, VT_I4);
}

HRESULT fillStringArray(VARIANT* out, std::span<const std::u16string> items) {
  if (!out) return E_POINTER;
  BSTR* data = static_cast<BSTR*>(arrayToFill(*out, VT_BSTR, items.size(), sizeof(BSTR))->pvData);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (data[i] && comlite::sameUnits(comlite::bstrView(data[i]), items[i])) continue;
    if (!SysReAllocStringLen(&data[i], items[i].data(), static_cast<UINT>(items[i].size())))
      throw std::bad_alloc();
  }
  return S_OK;
}

std::string text(BSTR s) {
  return comlite::bstrToUtf8(s);
}

namespace {

template <class Char>
bool sameNameOf(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    Char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<Char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<Char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  return sameNameOf(a, b);
}

bool sameName(std::u16string_view a, std::u16string_view b) {
  return comlite::sameUnits(a, b) || sameNameOf(a, b);  // mostly spelt alike
}

long findName(const std::vector<std::string>& list, std::string_view name) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (sameName(list[i], name)) return static_cast<long>(i);
  return -1;
}

}  // namespace capeside
