#pragma once
//! The CORavl11Lib type library as one static description: it drives late binding
//! (GetIDsOfNames / Invoke / GetTypeInfo), registration and the slot tests.

#include "comlite/automation.h"

namespace coravl::frame {

const comlite::automation::LibraryDesc& coravl11Library();
const comlite::automation::InterfaceDesc& extendedPropPackageDesc();
const comlite::automation::InterfaceDesc& extendedFlashDesc();
const comlite::automation::InterfaceDesc& simulationContextDesc();
const comlite::automation::InterfaceDesc& simConDesc();
//! The interfaces offered to outside components, declared by their own libraries: described
//! here for late binding only (not part of CORavl11Lib, so not registered with it).
const comlite::automation::InterfaceDesc& capeDiagnosticDesc();
const comlite::automation::InterfaceDesc& capeDiagnosticsDesc();
const comlite::automation::InterfaceDesc& derivativeCalculationDesc();

}  // namespace coravl::frame
