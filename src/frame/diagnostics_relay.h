#pragma once
//! DiagnosticsRelay: what the component hands the CAPE-OPEN side as its diagnostic sink.
//!
//! The material object and the simulation context keep the sink they are given for as long as
//! they live, and the component keeps them: handing out the component itself would make a
//! reference cycle that no release could break. The relay forwards to the component while it is
//! attached and answers quietly once the component has gone.
//!
//! Each dual interface has its own IDispatch, described as the component's are, so that a
//! late-binding caller of either diagnostic interface reaches that interface's methods.

#include "comlite/automation.h"
#include "comlite/object.h"
#include "frame/type_library.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_common.h"

namespace coravl::frame {

class DiagnosticsRelay
    : public comlite::ComObject<
          DiagnosticsRelay,
          comlite::automation::DualImpl<ICapeDiagnostics, &capeDiagnosticsDescPtr, &libraryDescPtr>,
          comlite::automation::DualImpl<ICapeDiagnostic, &capeDiagnosticDescPtr, &libraryDescPtr>,
          comlite::automation::DualImpl<ICapeSimulationContext,
                                        &comlite::automation::noInterfaceDesc,
                                        &comlite::automation::noLibraryDesc>> {
 public:
  DiagnosticsRelay(ICapeDiagnostics* diagnostics, ICapeDiagnostic* diagnostic)
      : m_diagnostics(diagnostics), m_diagnostic(diagnostic) {}
  //! The component is going away: nothing is forwarded any more.
  void detach() {
    m_diagnostics = nullptr;
    m_diagnostic = nullptr;
  }

  HRESULT ReportError(LONG code, BSTR message) override {
    return m_diagnostics ? m_diagnostics->ReportError(code, message) : S_OK;
  }
  HRESULT PopUpError(LONG code, BSTR message) override {
    return m_diagnostics ? m_diagnostics->PopUpError(code, message) : S_OK;
  }
  HRESULT ReportCapeError(BSTR operation, LONG code, BSTR description, VARIANT_BOOL inCalculation,
                          BSTR interfaceName) override {
    return m_diagnostics ? m_diagnostics->ReportCapeError(operation, code, description,
                                                          inCalculation, interfaceName)
                         : S_OK;
  }
  HRESULT PopUpMessage(BSTR message) override {
    return m_diagnostic ? m_diagnostic->PopUpMessage(message) : S_OK;
  }
  HRESULT LogMessage(BSTR message) override {
    return m_diagnostic ? m_diagnostic->LogMessage(message) : S_OK;
  }

 private:
  // Not counted: the component owns the relay's attachment, not the other way round.
  ICapeDiagnostics* m_diagnostics;
  ICapeDiagnostic* m_diagnostic;
};

}  // namespace coravl::frame
