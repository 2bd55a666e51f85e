#include "flash/sat_flash_control.h"

#include <cstdlib>
#include <string>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "reporter/co_error.h"
#include "base/thcom_error.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_registry.h"
#include "base/module_files.h"

namespace coravl::flash {

namespace {

constexpr const char* kCrash = "Crash in CORavlPP::changeSatFlashControl";

//! The flash control held in `control` (it holds that interface, see the header).
IRvlFlashControl* heldControl(const comlite::ComPtr<IDispatch>& control) {
  return static_cast<IRvlFlashControl*>(control.get());
}

HRESULT setOptions(IDispatch* propertyCallback, comlite::ComPtr<IDispatch>& control,
                   bool otherHostApplication, const char* profileFile) {
  if (control) return S_OK;
  if (!propertyCallback) return S_FALSE;
  comlite::ComPtr<IRvlFlashControlProvider> provider;
  HRESULT hr = propertyCallback->QueryInterface(IRvlFlashControlProvider::kIID, provider.putVoid());
  if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !provider)) return S_FALSE;
  comlite::check(hr, IRvlFlashControlProvider::kIID);

  comlite::ComPtr<IDispatch> object;
  hr = provider->GetFlashControl(object.put());
  if (FAILED(hr)) return hr;
  if (!object) {
    control.reset();
  } else {
    comlite::ComPtr<IRvlFlashControl> typed;
    hr = object->QueryInterface(IRvlFlashControl::kIID, typed.putVoid());
    if (FAILED(hr) && hr != E_NOINTERFACE) throw comlite::ComError(hr, IRvlFlashControl::kIID);
    control = comlite::ComPtr<IDispatch>(typed.get());
  }

  for (const char* name : kSatFlashOptions) {
    const std::string text = Utils::readProfileString(name, kSatFlashSection, profileFile);
    double value = 0.0;
    if (!text.empty()) {
      const long number = std::strtol(text.c_str(), nullptr, 10);
      if (number == kLeaveOption) continue;
      value = static_cast<double>(number);
    } else if (otherHostApplication) {
      continue;
    }
    comlite::ComPtr<IPropertyEnumerationRegistry> registry;
    hr = propertyCallback->QueryInterface(IPropertyEnumerationRegistry::kIID, registry.putVoid());
    if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !registry)) return S_FALSE;
    comlite::check(hr, IPropertyEnumerationRegistry::kIID);
    comlite::Bstr key(name);
    LONG id = 0;
    thcheck(registry->GetPropertyID(key.get(), &id));
    if (IRvlFlashControl* flashControl = heldControl(control)) {
      // Every flash type, every phase; the two reserved arguments are 0.
      hr = flashControl->SetOption(id, value, 0, 0, 0, 0);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

}  // namespace

HRESULT changeSatFlashControl(IDispatch* propertyCallback, comlite::ComPtr<IDispatch>& control,
                              CCOError& reporter, bool otherHostApplication,
                              const char* profileFile) {
  try {
    return setOptions(propertyCallback, control, otherHostApplication, profileFile);
  } catch (CTHCOMError* e) {
    CTHCOMError::adopt(e);
  } catch (...) {
  }
  try {
    reporter.popUpMessage(kCrash, nullptr, 1);
  } catch (...) {
  }
  return S_OK;
}

}  // namespace coravl::flash
