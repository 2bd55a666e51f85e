#pragma once
//! The small methods of the host's flash interface, as the component answers them. Each takes
//! the method's own arguments (in-out strings are released and replaced) and returns its status;
//! E_POINTER for a null out argument.

#include "comlite/types.h"

struct ICapeDiagnostics;

namespace coravl::flash {

//! The fixed text FlashSave hands out and FlashRecall accepts.
inline constexpr const char* kFlashSaveText = "Save Flash Example";
//! The text shown by isFlashSetup while the package is not initialised.
inline constexpr const char* kFlashNotReadyText =
    "CAPE-OPEN flash option has been selected, but cannot be used until CAPE-OPEN property "
    "package has been selected for both the vapor and liquid phases.";

//! The flash's name and description. RETURNS: S_OK; E_OUTOFMEMORY (arguments unchanged).
HRESULT getFlashName(BSTR* flashname, BSTR* description);
//! No files: nfiles 0, description a null string.
HRESULT flashFileNeeded(INT* nfiles, BSTR* description);
//! Nothing to set up: status 0 (the file list is not read).
HRESULT setupFlash(INT* status);
//! Status 0 when the package is initialised. Otherwise status 1, and kFlashNotReadyText is
//! shown through `diagnostics` (its PopUpError with code 100) on every call. A report that
//! fails for any other reason than answering the status of the message it showed raises
//! comlite::ComError of ICapeDiagnostics: call it inside the method's guard.
HRESULT isFlashSetup(bool packageInitialised, ICapeDiagnostics* diagnostics, INT* status);
//! The flash takes no flash control: false.
HRESULT isFlashControlUsed(VARIANT_BOOL* isUsed);
//! saveinfo receives a new copy of kFlashSaveText. RETURNS: S_OK; E_OUTOFMEMORY.
HRESULT flashSave(BSTR* saveinfo);
//! S_OK when `saveinfo` is kFlashSaveText by name equality (ASCII case ignored, same length),
//! else S_FALSE. Nothing is restored.
HRESULT flashRecall(BSTR saveinfo);

}  // namespace coravl::flash
