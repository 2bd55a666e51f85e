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

}  // namespace coravl::frame
