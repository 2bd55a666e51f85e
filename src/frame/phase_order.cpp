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
    if (m_subListsSupported < 0) {
      // As a property request decides it: the host publishes its sub-list interface when it
      // serves sub-lists.
      auto name = comlite::registry::readValue("Interface\\" +
                                               comlite::guidToString(IRvlSubCompList::kIID));
      m_subListsSupported = (name && !name->empty()) ? 1 : 0;
    }
    calc::CalculationState state{m_current,         m_phaseLabelIndex, m_temperature,
                                 m_pressure,        m_hostPhaseType,   m_propertyNames,
                                 m_phaseLabels,     m_integerList,     m_derivativeSlots,
                                 m_derivativeCount, m_compositions,    m_basicPhase};
    calc::CalculationLinks links;
    links.reporter = &m_reporter;
    links.materialClient = &m_materialClient;
    links.matObj = m_holdMatObj.as<IMatObj>();
    links.material = m_holdMaterial.as<ICapeThermoMaterial>();
    links.compoundCount = m_compoundCount;
    links.derivativesEnabled = m_derivativesEnabled;
    links.subListsSupported = m_subListsSupported > 0;
    links.vaporAndLiquidStates = m_vaporAndLiquidStates;
    links.fugacityFallback = m_fugacityFallback != 0;
    links.hostPropertyIds = &m_hostPropertyIds;
    links.registered = std::span<const RegisteredProperty>(
        m_registered.data(), static_cast<std::size_t>(m_registeredCount));

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
