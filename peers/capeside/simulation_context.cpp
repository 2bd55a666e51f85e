#include "capeside/simulation_context.h"

#include <cstdio>

#include "capeside/support/error_object.h"
#include "capeside/support/variant_lists.h"
#include "comlite/notice.h"

namespace capeside {

HRESULT SimulationContext::PopUpMessage(BSTR message) {
  return guard("ICapeDiagnostic", "PopUpMessage", [&] {
    if (!m_sink) {
      comlite::notify(text(message), "CAPE-OPEN property package", comlite::MB_OK);
      return S_OK;
    }
    comlite::ComPtr<ICapeDiagnostic> sink = m_sink;  // the sink may unhook itself
    const HRESULT hr = sink->PopUpMessage(message);
    check(hr, sink.get(), "ICapeDiagnostic", "PopUpMessage");
    return hr;
  });
}

HRESULT SimulationContext::LogMessage(BSTR message) {
  return guard("ICapeDiagnostic", "LogMessage", [&] {
    if (!m_sink) {
      std::fprintf(stderr, "CAPE-OPEN property package: %s\n", text(message).c_str());
      return S_OK;
    }
    comlite::ComPtr<ICapeDiagnostic> sink = m_sink;
    const HRESULT hr = sink->LogMessage(message);
    check(hr, sink.get(), "ICapeDiagnostic", "LogMessage");
    return hr;
  });
}

HRESULT SimulationContext::GetDiagnosticSink(ICapeDiagnostic** sink) {
  if (!sink) return E_POINTER;
  *sink = comlite::ComPtr<ICapeDiagnostic>(m_sink).detach();
  return S_OK;
}

HRESULT SimulationContext::SetDiagnosticSink(ICapeDiagnostic* sink) {
  m_sink = comlite::ComPtr<ICapeDiagnostic>(sink);
  return S_OK;
}

}  // namespace capeside
