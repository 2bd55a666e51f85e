#pragma once
//! The simulation context component handed to the CAPE-OPEN package: it answers
//! ICapeSimulationContext and ICapeDiagnostic, and forwards the package's diagnostic messages
//! to the sink hooked through ICapeDiagnosticHook.

#include "comlite/dispatch.h"
#include "outside/capeopen_common.h"

namespace simcontext {
inline constexpr CLSID kClsidSimulationContext =
    comlite::makeGuid("A523CDAD-D751-4EC4-A060-B594390B291C");
inline constexpr const char* kProgIdSimulationContext = "CORavlCape.SimulationContext.1";
}  // namespace simcontext

struct ICapeDiagnosticHook : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("040963DF-6D1D-417E-856B-DAF4F6F9F21C");
  //! The sink in force (nullptr when none); the caller releases it.
  /*  7 */ virtual HRESULT GetDiagnosticSink(/*[out]*/ ICapeDiagnostic** sink) = 0;
  //! Hooks the sink that receives PopUpMessage / LogMessage (nullptr unhooks).
  /*  8 */ virtual HRESULT SetDiagnosticSink(/*[in]*/ ICapeDiagnostic* sink) = 0;
};
