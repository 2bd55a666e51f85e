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

//! The same as pointers, for automation::DualImpl.
const comlite::automation::InterfaceDesc* propPackageDescPtr();
const comlite::automation::InterfaceDesc* flashDescPtr();
const comlite::automation::LibraryDesc* libraryDescPtr();
const comlite::automation::InterfaceDesc* capeDiagnosticDescPtr();
const comlite::automation::InterfaceDesc* capeDiagnosticsDescPtr();
const comlite::automation::InterfaceDesc* derivativeCalculationDescPtr();

}  // namespace coravl::frame
