#include "capeside/error_utils.h"

#include <cstdio>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"

namespace capeside {

namespace {

constexpr const char* kUtils = "ICapeErrorUtils";

std::string hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

template <class I>
std::string readString(I* obj, HRESULT (I::*get)(BSTR*)) {
  comlite::Bstr s;
  if (FAILED((obj->*get)(s.out()))) return {};
  return s.utf8();
}

//! The object a VARIANT holds (VT_DISPATCH, VT_UNKNOWN, or BYREF to them); nullptr for empty.
IUnknown* objectOf(const VARIANT& v, bool* wrongType) {
  *wrongType = false;
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return nullptr;
    case VT_DISPATCH:
      return v.pdispVal;
    case VT_UNKNOWN:
      return v.punkVal;
    case VT_DISPATCH | VT_BYREF:
      return v.ppdispVal ? *v.ppdispVal : nullptr;
    case VT_UNKNOWN | VT_BYREF:
      return v.ppunkVal ? *v.ppunkVal : nullptr;
    case VT_VARIANT | VT_BYREF:
      return v.pvarVal ? objectOf(*v.pvarVal, wrongType) : nullptr;
    default:
      *wrongType = true;
      return nullptr;
  }
}

//! Every field the object's error interfaces give; `found` says whether it had ECapeUser.
ErrorRecord readObject(IUnknown* obj, bool* found) {
  ErrorRecord r;
  *found = false;
  if (!obj) return r;
  comlite::ComPtr<IUnknown> unk(obj);
  if (auto user = unk.as<ECapeUser>()) {
    *found = true;
    LONG code = 0;
    user->get_code(&code);
    r.code = code;
    r.description = readString(user.get(), &ECapeUser::get_description);
    r.scope = readString(user.get(), &ECapeUser::get_scope);
    r.interfaceName = readString(user.get(), &ECapeUser::get_interfaceName);
    r.operation = readString(user.get(), &ECapeUser::get_operation);
    r.moreInfo = readString(user.get(), &ECapeUser::get_moreInfo);
  }
  if (auto bad = unk.as<ECapeBadArgument>()) bad->get_position(&r.position);
  if (auto order = unk.as<ECapeBadInvOrder>())
    r.requestedOperation = readString(order.get(), &ECapeBadInvOrder::get_requestedOperation);
  if (auto missing = unk.as<ECapePersistenceNotFound>())
    r.itemName = readString(missing.get(), &ECapePersistenceNotFound::get_itemName);
  return r;
}

std::string nameOf(IUnknown* obj, const ErrorRecord& r) {
  if (obj)
    if (auto root = comlite::ComPtr<IUnknown>(obj).as<ECapeRoot>()) {
      std::string name = readString(root.get(), &ECapeRoot::get_name);
      if (!name.empty()) return name;
    }
  return r.name();
}

}  // namespace

std::string describeRecord(const std::string& doing, const ErrorRecord& r, HRESULT status) {
  std::string out;
  if (!doing.empty()) out += doing + "\n";
  out += cat(r.name(), " (", hex(status), ")");
  if (r.code != 0 && r.code != status) out += cat(", the object reports ", hex(r.code));
  out += "\n";
  auto line = [&](const char* label, const std::string& value) {
    if (!value.empty()) out += cat(label, ": ", value, "\n");
  };
  line("Description", r.description);
  line("Scope", r.scope);
  line("Interface", r.interfaceName);
  line("Operation", r.operation);
  line("More information", r.moreInfo);
  if (r.position != 0) line("Argument position", std::to_string(r.position));
  line("Requested operation", r.requestedOperation);
  line("Item", r.itemName);
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

HRESULT CapeErrorUtils::DescribeError(BSTR doing, VARIANT failingObject, LONG status,
                                      VARIANT* description) {
  return guard(kUtils, "DescribeError", [&] {
    if (!description) return E_POINTER;
    bool wrongType = false;
    IUnknown* obj = objectOf(failingObject, &wrongType);
    if (wrongType)
      throw CapeError(ECapeInvalidArgumentHR, "CapeErrorUtils::DescribeError",
                      cat("the failing object is given as a VARIANT of type ", failingObject.vt,
                          ", not an object"))
          .at(2);
    bool found = false;
    ErrorRecord r = readObject(obj, &found);
    // Without the object's own error, the status is all there is: its name is the error's.
    if (!found) r.code = capeopen::errorKindOf(status) ? status : 0;
    const std::string name = nameOf(obj, r);
    if (!found) {
      r.description = obj ? "the object reports no CAPE-OPEN error" : "no object was given";
    }
    std::string d = describeRecord(text(doing), r, status);
    // The error's name is the object's own when it gives one.
    const std::string generic = r.name();
    if (name != generic) {
      const std::size_t at = d.find(generic);
      if (at != std::string::npos) d.replace(at, generic.size(), name);
    }
    return putVariant(description, makeString(d));
  });
}

HRESULT CapeErrorUtils::GetErrorFields(VARIANT failingObject, VARIANT* fields) {
  return guard(kUtils, "GetErrorFields", [&] {
    if (!fields) return E_POINTER;
    bool wrongType = false;
    IUnknown* obj = objectOf(failingObject, &wrongType);
    if (wrongType || !obj)
      throw CapeError(ECapeInvalidArgumentHR, "CapeErrorUtils::GetErrorFields",
                      "the failing object is not an object")
          .at(1);
    bool found = false;
    ErrorRecord r = readObject(obj, &found);
    if (!found)
      throw CapeError(ECapeInvalidArgumentHR, "CapeErrorUtils::GetErrorFields",
                      "the object has no ECapeUser interface")
          .at(1);
    return putVariant(fields, makeStringArray({nameOf(obj, r), hex(r.code), r.description, r.scope,
                                               r.interfaceName, r.operation, r.moreInfo}));
  });
}

HRESULT CapeErrorUtils::GetErrorName(LONG status, BSTR* name) {
  const capeopen::ErrorKind* kind = capeopen::errorKindOf(status);
  return putString(name, kind ? kind->name : "");
}

HRESULT CapeErrorUtils::IsCapeError(LONG status, VARIANT_BOOL* isCapeError) {
  if (!isCapeError) return E_POINTER;
  *isCapeError = capeopen::errorKindOf(status) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CapeErrorUtils::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  static const std::pair<const char*, DISPID> kNames[] = {
      {"DescribeError", errorutils::kDispidDescribeError},
      {"GetErrorFields", 2},
      {"GetErrorName", 3},
      {"IsCapeError", 4}};
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    const std::string n = names[i] ? comlite::utf16ToUtf8(names[i]) : std::string();
    for (const auto& [name, id] : kNames)
      if (i == 0 && sameName(n, name)) ids[i] = id;
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT CapeErrorUtils::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO*, UINT* argErr) {
  if (id != errorutils::kDispidDescribeError) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (!params) return E_POINTER;
  // Arguments arrive last first: (text, object, status[, out description]).
  if (params->cArgs < 3 || params->cArgs > 4) return DISP_E_BADPARAMCOUNT;
  const UINT base = params->cArgs - 3;
  VARIANT& textArg = params->rgvarg[base + 2];
  VARIANT& objArg = params->rgvarg[base + 1];
  VARIANT& statusArg = params->rgvarg[base];
  comlite::Variant textValue, statusValue;
  if (FAILED(VariantChangeType(&textValue, &textArg, 0, VT_BSTR))) {
    if (argErr) *argErr = base + 2;
    return DISP_E_TYPEMISMATCH;
  }
  if (FAILED(VariantChangeType(&statusValue, &statusArg, 0, VT_I4))) {
    if (argErr) *argErr = base;
    return DISP_E_TYPEMISMATCH;
  }
  comlite::Variant description;
  const HRESULT hr = DescribeError(textValue.bstrVal, objArg, statusValue.lVal, &description);
  if (FAILED(hr)) return hr;
  if (params->cArgs == 4) {
    VARIANT& out = params->rgvarg[0];
    if (out.vt != (VT_VARIANT | VT_BYREF) || !out.pvarVal) {
      if (argErr) *argErr = 0;
      return DISP_E_TYPEMISMATCH;
    }
    VariantClear(out.pvarVal);
    *out.pvarVal = description.detach();
  } else if (result) {
    VariantClear(result);
    *result = description.detach();
  }
  return S_OK;
}

}  // namespace capeside
