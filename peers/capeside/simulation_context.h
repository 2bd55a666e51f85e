#pragma once
//! The simulation context component: the ICapeSimulationContext handed to the package. Its
//! ICapeDiagnostic forwards the package's messages to the sink hooked through
//! ICapeDiagnosticHook; without a sink, pop-ups go to the notice sink and log messages to
//! standard error.

#include "capeside/support/cape_object.h"
#include "comlite/com_ptr.h"
#include "outside/sim_context.h"

namespace capeside {

class SimulationContext : public CapeObject<SimulationContext, ICapeDiagnostic,
                                            ICapeSimulationContext, ICapeDiagnosticHook> {
 public:
  // ICapeDiagnostic
  HRESULT PopUpMessage(BSTR message) override;
  HRESULT LogMessage(BSTR message) override;
  // ICapeDiagnosticHook
  HRESULT GetDiagnosticSink(ICapeDiagnostic** sink) override;
  HRESULT SetDiagnosticSink(ICapeDiagnostic* sink) override;

 private:
  comlite::ComPtr<ICapeDiagnostic> m_sink;
};

}  // namespace capeside
