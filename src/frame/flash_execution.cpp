//! The host's flashes, run through the package's equilibrium routine.

#include <algorithm>
#include <mutex>
#include <span>

#include "flash/flash_execution.h"
#include "frame/coravl_pp.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "vocabulary/co_ids.h"

namespace coravl::frame {

namespace {

//! The package's phases by host slot, as the material object client knows them.
class ClientPhaseTable final : public flash::FlashPhaseTable {
 public:
  explicit ClientPhaseTable(CCOMOclient& client) : m_client(client) {}

  LONG hostPhaseCount() const override { return m_client.hostPhaseCount(); }
  BSTR labelOfSlot(LONG slot) const override { return m_client.phaseLabelTextOfSlot(slot); }
  LONG phaseIdOfSlot(LONG slot) const override {
    // The material names the phases of the first three slots by their phase ids; the id of
    // the package's own phase there (an aqueous second liquid keeps "Aqueous").
    // A later phase of the same id (a third liquid) owns the id on the material: this slot's
    // phase is then read by its label.
    if (slot < 0 || slot >= flash::kOverallSlot) return 0;
    const LONG index = m_client.slotToPhase()[slot];
    const auto record = m_client.phaseTable().find(index);
    if (record == m_client.phaseTable().end()) return 0;
    const LONG id = record->second.phaseId;
    const bool owner = id > 0 && static_cast<std::size_t>(id) < CCOMOclient::kTableSize &&
                       m_client.idToPhase()[id] == index;
    return owner ? id : 0;
  }
  LONG hostPhaseTypeOfSlot(LONG slot) const override { return m_client.hostPhaseTypeOfSlot(slot); }
  HRESULT readOfSlot(LONG propertyId, LONG slot, std::span<double> values) override {
    return m_client.getPropOfSlot(propertyId, slot, values);
  }
  void rememberComposition(std::span<const double> composition, LONG slot) override {
    m_client.rememberComposition(composition, slot);
  }

 private:
  CCOMOclient& m_client;
};

}  // namespace

HRESULT CORavlPP::Execute(tagFlashTypeEnum type, IDispatch*, IDispatch* pPhaseCollection,
                          IDispatch* pThermoProperty, IDispatch* errorLog,
                          IDispatch* progressMonitor) {
  if (!m_packageSetUp) return E_FAIL;
  CallContextScope call(m_reporter, errorLog, progressMonitor);
  if (FAILED(m_compoundList.compoundGate(CompoundList::kFlashOperation))) return E_FAIL;
  std::lock_guard<std::recursive_mutex> lock(m_flashLock);

  ClientPhaseTable phases(m_materialClient);
  flash::FlashLinks links;
  links.matObj = m_holdMatObj.as<IMatObj>();
  links.material = m_holdMaterial.as<ICapeThermoMaterial>();
  links.package = m_holdPackageDispatch.as<IDispatch>();
  links.equilibriumRoutine = m_holdEquilibriumRoutine.as<ICapeThermoEquilibriumRoutine>();
  links.compositionArray = m_realArray1.get();
  links.phases = &phases;
  links.packageCompoundCount = m_compoundCount;
  links.positionMap = std::span<const LONG>(m_compoundList.positionMap())
                          .first(static_cast<std::size_t>(std::clamp<LONG>(
                              m_compoundList.mappedCount(), 0, CompoundList::kMapSize)));
  const flash::FlashCheckInputs support = flashCheckInputs();
  flash::FlashState state = flashState();
  flash::FlashRecord record{m_flashCompoundCount, m_flashCompositions, m_flashPhaseLabels,
                            &m_flashScratch};
  return flash::executeFlash(type, pPhaseCollection, pThermoProperty, links, support, state, record,
                             m_reporter, m_guard);
}

}  // namespace coravl::frame
