#include "capeside/support/error_object.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <new>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"

namespace capeside {

namespace {

std::string statusText(HRESULT hr) {
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

//! Reads every field of a CAPE-OPEN error from an object answering ECapeUser.
bool readCapeError(IUnknown* obj, ErrorRecord& out) {
  if (!obj) return false;
  comlite::ComPtr<IUnknown> unk(obj);
  auto user = unk.as<ECapeUser>();
  if (!user) return false;
  LONG code = 0;
  if (FAILED(user->get_code(&code))) return false;
  out.code = code;
  out.description = readString(user.get(), &ECapeUser::get_description);
  out.scope = readString(user.get(), &ECapeUser::get_scope);
  out.interfaceName = readString(user.get(), &ECapeUser::get_interfaceName);
  out.operation = readString(user.get(), &ECapeUser::get_operation);
  out.moreInfo = readString(user.get(), &ECapeUser::get_moreInfo);
  if (auto bad = unk.as<ECapeBadArgument>()) bad->get_position(&out.position);
  if (auto order = unk.as<ECapeBadInvOrder>())
    out.requestedOperation = readString(order.get(), &ECapeBadInvOrder::get_requestedOperation);
  if (auto missing = unk.as<ECapePersistenceNotFound>())
    out.itemName = readString(missing.get(), &ECapePersistenceNotFound::get_itemName);
  return true;
}

}  // namespace

HRESULT putString(BSTR* out, const std::string& utf8) {
  if (!out) return E_POINTER;
  *out = comlite::bstrFromUtf8(utf8);
  return *out ? S_OK : E_OUTOFMEMORY;
}

ErrorRecord recordOfCurrentException(const char* scope, bool* forwarded) {
  *forwarded = false;
  ErrorRecord r;
  try {
    throw;
  } catch (const CapeError& e) {
    *forwarded = e.forwarded();
    return e.record();
  } catch (const comlite::ComError& e) {
    *forwarded = true;
    r.code = e.status();
    r.description = e.description().empty() ? "call failed with status " + statusText(e.status())
                                            : e.description();
    r.scope = e.source();
  } catch (const std::bad_alloc&) {
    r.code = ECapeOutOfResourcesHR;
    r.description = "out of memory";
  } catch (const std::exception& e) {
    r.code = ECapeUnknownHR;
    r.description = e.what();
  } catch (...) {
    r.code = ECapeUnknownHR;
    r.description = "unknown exception";
  }
  if (r.scope.empty()) r.scope = scope ? scope : "";
  return r;
}

bool isSpecificErrorInterface(REFIID iid) {
  // Asked on every query of every object: the first field rules out nearly all others.
  static const auto firsts = [] {
    std::array<std::uint32_t, std::size(capeopen::kErrorKinds) + 1> a{};
    for (std::size_t i = 0; i < std::size(capeopen::kErrorKinds); ++i)
      a[i] = capeopen::kErrorKinds[i].iid.Data1;
    a.back() = ECapeBoundaries::kIID.Data1;
    std::sort(a.begin(), a.end());
    return a;
  }();
  if (!std::binary_search(firsts.begin(), firsts.end(), iid.Data1)) return false;
  if (iid == ECapeBoundaries::kIID) return true;
  for (const capeopen::ErrorKind& k : capeopen::kErrorKinds)
    if (k.iid == iid) return true;
  return false;
}

bool errorAnswers(HRESULT code, REFIID iid) {
  if (iid == ECapeBoundaries::kIID) return code == ECapeOutOfBoundsHR;
  const capeopen::ErrorKind* kind = capeopen::errorKindOf(code);
  return kind && kind->iid == iid;
}

HRESULT raise(const ErrorRecord& record) {
  ErrorObject* obj = comlite::makeObject<ErrorObject>(record);
  if (!obj) return record.code;
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(obj->QueryInterface(IErrorInfo::kIID, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  obj->Release();
  return record.code;
}

HRESULT ErrorObject::GetGUID(GUID* guid) {
  if (!guid) return E_POINTER;
  *guid = GUID_NULL;
  return S_OK;
}

HRESULT ErrorObject::GetSource(BSTR* source) {
  return putString(source, m_lastError.scope);
}

HRESULT ErrorObject::GetDescription(BSTR* description) {
  return putString(description, m_lastError.description);
}

HRESULT ErrorObject::GetHelpFile(BSTR* helpFile) {
  if (!helpFile) return E_POINTER;
  *helpFile = nullptr;
  return S_OK;
}

HRESULT ErrorObject::GetHelpContext(DWORD* helpContext) {
  if (!helpContext) return E_POINTER;
  *helpContext = 0;
  return S_OK;
}

ErrorRecord recordOfFailure(IUnknown* failing, HRESULT hr, const char* interfaceName,
                            const char* operation) {
  ErrorRecord r;
  comlite::ComPtr<IErrorInfo> pending;
  if (GetErrorInfo(0, pending.put()) != S_OK) pending.reset();

  bool found = readCapeError(failing, r) && r.code == hr;
  if (!found && pending) {
    r = ErrorRecord{};
    if (!readCapeError(pending.get(), r) || r.code != hr) {
      r = ErrorRecord{};
      comlite::Bstr d, s;
      pending->GetDescription(d.out());
      pending->GetSource(s.out());
      r.description = d.utf8();
      r.scope = s.utf8();
    }
    found = true;
  }
  if (!found) r = ErrorRecord{};
  r.code = hr;
  // A failure without error information still names the call that failed.
  if (r.description.empty())
    r.description = (operation && *operation ? std::string(operation) + " " : std::string()) +
                    "failed with status " + statusText(hr) + " and no error information";
  if (r.interfaceName.empty() && interfaceName) r.interfaceName = interfaceName;
  if (r.operation.empty() && operation) r.operation = operation;
  return r;
}

void check(HRESULT hr, IUnknown* callee, const char* interfaceName, const char* operation) {
  if (SUCCEEDED(hr)) return;
  throw CapeError(recordOfFailure(callee, hr, interfaceName, operation), true);
}

}  // namespace capeside
