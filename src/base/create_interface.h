#pragma once
//! Creating a COM object and explaining a failure to the user.

#include "comlite/guid.h"
#include "comlite/types.h"
#include "comlite/unknown.h"

namespace Utils {

//! CoCreateInstance(clsid, outer, context, iid, out). On failure shows (and traces) "Error
//! creating interface '<interface name>' for class '<ProgID>' context <context>", the names
//! taken from the class registry ("Unknown" when missing; the class id when there is no
//! ProgID). Returns the creation status; `*out` is null on failure.
HRESULT createInterface(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

}  // namespace Utils
