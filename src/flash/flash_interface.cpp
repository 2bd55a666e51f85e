#include "flash/flash_interface.h"

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "base/message_output.h"
#include "outside/adapter_diagnostics.h"
#include "base/name_compare.h"

namespace coravl::flash {

namespace {

constexpr const char* kFlashName = "RavelinFlash (CAPE-OPEN 1.1)";
constexpr const char* kFlashDescription =
    "Selvar Ravelin Flash supporting CAPE-OPEN Thermo 1.1 Interface";
//! The status the not-ready message is shown with.
constexpr LONG kNotReadyCode = 100;

//! Releases the in-out string and hands over `value`.
void replace(BSTR* target, comlite::Bstr value) {
  SysFreeString(*target);
  *target = value.detach();
}

}  // namespace

HRESULT getFlashName(BSTR* flashname, BSTR* description) {
  if (!flashname || !description) return E_POINTER;
  comlite::Bstr name(kFlashName), text(kFlashDescription);
  if (!name.get() || !text.get()) return E_OUTOFMEMORY;
  replace(flashname, std::move(name));
  replace(description, std::move(text));
  return S_OK;
}

HRESULT flashFileNeeded(INT* nfiles, BSTR* description) {
  if (!nfiles || !description) return E_POINTER;
  *nfiles = 0;
  replace(description, comlite::Bstr());
  return S_OK;
}

HRESULT setupFlash(INT* status) {
  if (!status) return E_POINTER;
  *status = 0;
  return S_OK;
}

HRESULT isFlashSetup(bool packageInitialised, ICapeDiagnostics* diagnostics, INT* status) {
  if (!status) return E_POINTER;
  *status = packageInitialised ? 0 : 1;
  if (packageInitialised) return S_OK;
  if (!diagnostics) throw comlite::ComError(E_POINTER, ICapeDiagnostics::kIID);
  comlite::Bstr text(kFlashNotReadyText);
  if (!text.get()) throw comlite::ComError(E_OUTOFMEMORY, ICapeDiagnostics::kIID);
  const HRESULT hr = diagnostics->PopUpError(kNotReadyCode, text.get());
  // A shown message answers its own (normalised) status; only another failure is one of the
  // report itself.
  if (FAILED(hr) && hr != Utils::normaliseStatus(kNotReadyCode))
    throw comlite::ComError(hr, ICapeDiagnostics::kIID);
  return S_OK;
}

HRESULT isFlashControlUsed(VARIANT_BOOL* isUsed) {
  if (!isUsed) return E_POINTER;
  *isUsed = VARIANT_FALSE;
  return S_OK;
}

HRESULT flashSave(BSTR* saveinfo) {
  if (!saveinfo) return E_POINTER;
  comlite::Bstr text(kFlashSaveText);
  if (!text.get()) return E_OUTOFMEMORY;
  replace(saveinfo, std::move(text));
  return S_OK;
}

HRESULT flashRecall(BSTR saveinfo) {
  const comlite::Bstr expected(kFlashSaveText);
  return Utils::namesEqual(saveinfo, expected.get()) ? S_OK : S_FALSE;
}

}  // namespace coravl::flash
