//! The property requests of the host: single-phase properties with their derivatives and
//! two-phase properties (K-values), and the saturation flash options set on the first request.

#include <algorithm>
#include <span>

#include "base/thcom_error.h"
#include "calc/single_phase_request.h"
#include "calc/two_phase_request.h"
#include "comlite/guid.h"
#include "comlite/registry.h"
#include "flash/sat_flash_control.h"
#include "frame/coravl_pp.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "setup/qo_utils.h"

namespace coravl::frame {

namespace {

//! Lowest host phase type.
constexpr LONG kFirstPhaseType = 0;

}  // namespace

calc::CalculationState CORavlPP::calculationState() {
  return {m_current,         m_phaseLabelIndex, m_temperature,  m_pressure,
          m_hostPhaseType,   m_propertyNames,   m_phaseLabels,  m_integerList,
          m_derivativeSlots, m_derivativeCount, m_compositions, m_basicPhase};
}

calc::CalculationLinks CORavlPP::calculationLinks() {
  if (m_subListsSupported < 0) {
    // The host publishes its sub-list interface when it serves sub-lists.
    auto name =
        comlite::registry::readValue("Interface\\" + comlite::guidToString(IRvlSubCompList::kIID));
    m_subListsSupported = (name && !name->empty()) ? 1 : 0;
  }
  calc::CalculationLinks links;
  links.reporter = &m_reporter;
  links.materialClient = &m_materialClient;
  links.matObj = m_holdMatObj.as<IMatObj>();
  links.material = m_holdMaterial.as<ICapeThermoMaterial>();
  links.compoundCount = m_compoundCount;
  // The host's phases follow the fluid package; the material, the package.
  links.positionMap = std::span<const LONG>(m_compoundList.positionMap())
                          .first(static_cast<std::size_t>(std::clamp<LONG>(
                              m_compoundList.mappedCount(), 0, CompoundList::kMapSize)));
  links.derivativesEnabled = m_derivativesEnabled;
  links.subListsSupported = m_subListsSupported > 0;
  links.vaporAndLiquidStates = m_vaporAndLiquidStates;
  links.fugacityFallback = m_fugacityFallback != 0;
  links.hostPropertyIds = &m_hostPropertyIds;
  links.registered = std::span<const RegisteredProperty>(
      m_registered.data(), static_cast<std::size_t>(m_registeredCount));
  return links;
}

template <class Body>
HRESULT CORavlPP::runCalculation(IDispatch* errorLog, IDispatch* progressMonitor,
                                 const char* context, Body&& body) {
  CallContextScope call(m_reporter, errorLog, progressMonitor);
  return m_guard.run(context, [&]() -> HRESULT {
    auto state = calculationState();
    auto links = calculationLinks();
    return body(state, links);
  });
}

HRESULT CORavlPP::changeSatFlashControl(IDispatch* propertyCallback) {
  return flash::changeSatFlashControl(propertyCallback, m_satFlashControl, m_reporter,
                                      QoUtils::companionVersionNotZero());
}

HRESULT CORavlPP::CalculateProperty(INT propertyID, IDispatch* pPhase, IDispatch** /*ppcontext*/,
                                    IDispatch* pPropertyCallback, IDispatch* errorLog,
                                    IDispatch* progressMonitor) {
  // Until the host's flash control is held, each request tries again.
  if (!m_satFlashControl) changeSatFlashControl(pPropertyCallback);
  const HRESULT hr = calculatePropertyMain(propertyID, pPhase, errorLog, progressMonitor);
  return SUCCEEDED(hr) ? hr : calc::answerForHost(hr, QoUtils::hostVersion());
}

HRESULT CORavlPP::calculatePropertyMain(INT propertyID, IDispatch* pPhase, IDispatch* errorLog,
                                        IDispatch* progressMonitor) {
  if (!m_packageSetUp) return E_FAIL;
  return runCalculation(
      errorLog, progressMonitor, calc::kMainProcedure,
      [&](calc::CalculationState& state, const calc::CalculationLinks& links) -> HRESULT {
        if (!pPhase) CTHCOMError::raise(E_POINTER);
        comlite::ComPtr<IBasicPhase> phase;
        const HRESULT qhr = pPhase->QueryInterface(IBasicPhase::kIID, phase.putVoid());
        if (FAILED(qhr) || !phase) CTHCOMError::raise(FAILED(qhr) ? qhr : E_POINTER);
        LONG type = -1;
        thcheck(phase->get_PhaseType(&type));
        m_hostPhaseType = type;
        if (type < kFirstPhaseType) return E_FAIL;
        if (FAILED(m_compoundList.compoundGate(CompoundList::kCalculationOperation))) return E_FAIL;
        state.buffers = &m_requestBuffers;
        calc::PropertyRequest request(state, links);
        return request.calculate(propertyID, phase.get());
      });
}

HRESULT CORavlPP::CalculateTwoPhaseProperty(INT propertyID, IDispatch* pPhaseCollection, INT iphase,
                                            INT jphase, IDispatch** /*ppcontext*/,
                                            IDispatch* /*pPropertyCallback*/, IDispatch* errorLog,
                                            IDispatch* progressMonitor) {
  return calculateTwoPhaseMain(propertyID, pPhaseCollection, iphase, jphase, errorLog,
                               progressMonitor);
}

HRESULT CORavlPP::calculateTwoPhaseMain(INT propertyID, IDispatch* pPhaseCollection, INT iphase,
                                        INT jphase, IDispatch* errorLog,
                                        IDispatch* progressMonitor) {
  if (!m_packageSetUp) return E_FAIL;
  return runCalculation(errorLog, progressMonitor, calc::kTwoPhaseMainProcedure,
                        [&](calc::CalculationState& state, const calc::CalculationLinks& links) {
                          return calc::calculateTwoPhaseProperty(
                              propertyID, pPhaseCollection, iphase, jphase, state, links, m_guard);
                        });
}

}  // namespace coravl::frame
