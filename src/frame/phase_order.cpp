//! Ordering of the host's phases after a flash.

#include <span>

#include "calc/phase_order.h"
#include "comlite/guid.h"
#include "comlite/registry.h"
#include "frame/coravl_pp.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"

namespace coravl::frame {

HRESULT CORavlPP::PhaseOrder(IDispatch* pPhaseCollection, IDispatch* /*pThermoProperty*/) {
  if (!m_packageSetUp) return E_FAIL;
  if (!m_options.doOrderPhases || !pPhaseCollection) return S_OK;
  return m_guard.run(calc::kPhaseOrderContext, [&]() -> HRESULT {
    auto state = calculationState();
    auto links = calculationLinks();

    calc::PhaseOrderLinks order;
    order.molarVolumeId = m_hostPropertyIds[calc::HostMolarVolume];
    // The component's own request, without the answer a simulator of version 3.1 gets: a
    // phase whose molar volume failed cannot be placed.
    order.calculateMolarVolume = [this, id = order.molarVolumeId](IBasicPhase* phase) {
      return calculatePropertyMain(id, phase, nullptr, nullptr);
    };
    order.pressureDerivative = m_compressibilityProperty;
    order.compositionArray = m_realArray1.get();
    return calc::orderPhases(pPhaseCollection, state, links, order);
  });
}

}  // namespace coravl::frame
