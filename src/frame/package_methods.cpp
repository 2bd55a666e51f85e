//! The host methods that the component's units serve: persistence, compound list, property
//! registration and the flash queries, each wired to the component's state.

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "flash/flash_interface.h"
#include "frame/coravl_pp.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "setup/option_records.h"
#include "setup/qo_utils.h"
#include "vocabulary/co_ids.h"

namespace coravl::frame {

CompoundLinks CORavlPP::compoundLinks() {
  CompoundLinks links;
  links.adapter = m_adapter.get();
  links.integerArray = m_integerArray.get();
  links.realArray1 = m_realArray1.get();
  links.realArray2 = m_realArray2.get();
  links.material = m_holdMatObj.as<IMatObj>();
  links.composition0 = m_compositions[0];
  links.composition1 = m_compositions[1];
  return links;
}

flash::FlashCheckInputs CORavlPP::flashCheckInputs() {
  flash::FlashCheckInputs in;
  in.otherHostApplication = QoUtils::companionVersionNotZero();
  in.packageInitialised = m_packageInitialised != 0;
  in.capeOpenVersion = m_capeOpenVersion;
  in.package = m_holdPackageDispatch.as<IDispatch>();
  in.equilibriumRoutine = m_holdEquilibriumRoutine.as<ICapeThermoEquilibriumRoutine>();
  in.matObj = m_holdMatObj.as<IMatObj>();
  in.material = m_holdMaterial.as<ICapeThermoMaterial>();
  in.compoundCount = m_compoundCount;
  in.selectedPhases = &m_selectedPhases;
  in.selectedStates = &m_selectedStateOfAggregation;
  // Kept while the package's label stays the same.
  const BSTR vapor = m_materialClient.phaseLabelTextOfId(COIds::PhaseVapor);
  if (m_vaporLabel.view() != std::u16string_view(vapor ? vapor : u"", SysStringLen(vapor)))
    m_vaporLabel = CQoBSTR(vapor);
  in.vaporLabel = m_vaporLabel.length() ? m_vaporLabel.get() : nullptr;
  in.setupView = m_setupView.get();
  return in;
}

flash::FlashState CORavlPP::flashState() {
  return {m_flashFactory, m_supportedFlashes, m_flashSpecification1, m_flashSpecification2,
          m_flashSolutionType};
}

calc::RegistrationState CORavlPP::registrationState() {
  return {m_derivativeVariableIds, m_hostPropertyIds, m_fugacityFallback, m_registered,
          m_registeredCount};
}

// ---- Persistence ----------------------------------------------------------------------

HRESULT CORavlPP::PkgSave(BSTR* saveinfo) {
  if (!saveinfo) return E_POINTER;
  if (!m_packageInitialised) {
    SysFreeString(*saveinfo);
    *saveinfo = nullptr;
    return m_reporter.complain(E_FAIL,
                               "saving the package. No package has been selected or recalled "
                               "yet: there is nothing to save.",
                               ComplaintKind::NotAllowed, false);
  }
  return m_guard.run("saving the package", [&] {
    // The map goes with the case: a recall cannot rebuild it from simulator names alone.
    const std::u16string positions = m_compoundList.positionsText();
    const setup::SaveRecord extra[] = {{CompoundList::kPositionsKey, positions}};
    return setup::savePackage(m_adapter.get(),
                              setup::PackageOptions{m_options, m_reporter.routingFlags()}, extra,
                              saveinfo);
  });
}

HRESULT CORavlPP::PkgRecall(BSTR saveinfo, VARIANT_BOOL* BaseChanged) {
  if (BaseChanged) *BaseChanged = VARIANT_FALSE;
  // The package of this object is already built: answering success would keep it and lose
  // the saved case without a word.
  if (m_packageInitialised)
    return m_reporter.complain(E_FAIL,
                               "recalling the package. This object has already set up its "
                               "package; the saved case can be recalled only into a new one.",
                               ComplaintKind::NotAllowed, false);
  const setup::ComponentOptions options = m_options;
  const RoutingFlags routing = m_reporter.routingFlags();
  const BYTE viewNotice = m_viewNotice;
  m_recallPending = 1;
  m_viewNotice = 0;
  const std::u16string_view text = comlite::bstrView(saveinfo);
  setup::recallOptionsBeforeInit(text, m_options, m_reporter.routingFlags());
  HRESULT hr = entryCheck(saveinfo, BaseChanged);
  if (!m_packageInitialised) {
    // A recall that did not happen changes nothing: the object is as new, and the next call
    // selects a package or recalls another case.
    m_recallPending = 0;
    m_options = options;
    m_reporter.routingFlags() = routing;
    m_viewNotice = viewNotice;
    m_compoundList.forgetRecall();
    if (BaseChanged) *BaseChanged = VARIANT_FALSE;
    return FAILED(hr) ? hr : E_FAIL;
  }
  const bool secondLiquid = setup::recallOptionsAfterInit(text, m_options);
  HRESULT applied = m_guard.run("recalling the package", [&] {
    setup::applySecondLiquidRequest(secondLiquid, m_setupView.get(), m_options, m_flashSpecNames);
    return S_OK;
  });
  if (FAILED(applied)) return applied;
  m_packageSetUp = 1;
  return hr;
}

// ---- Compound list ---------------------------------------------------------------------

HRESULT CORavlPP::CanNumbCompChange(INT* status) {
  return m_compoundList.canNumbCompChange(status);
}

HRESULT CORavlPP::GetSupportedComps(INT* nComp, VARIANT* DaltrixIDs, VARIANT* names,
                                    BSTR* identifiername, VARIANT* identifiers) {
  if (nComp) *nComp = 0;
  HRESULT hr = entryCheck();
  if (FAILED(hr) || !m_packageInitialised) return hr;
  return m_compoundList.getSupportedComps(compoundLinks(), nComp, DaltrixIDs, names, identifiername,
                                          identifiers);
}

HRESULT CORavlPP::GetNumbCompounds(INT* nComp) {
  if (nComp) *nComp = 0;
  HRESULT hr = entryCheck();
  if (FAILED(hr) || !m_packageInitialised) return hr;
  return m_compoundList.getNumbCompounds(nComp);
}

HRESULT CORavlPP::GetCompoundInfo(INT iComp, IDispatch* pCompoundi, INT* nProps,
                                  VARIANT* propnames) {
  return m_compoundList.getCompoundInfo(compoundLinks(), iComp, pCompoundi, nProps, propnames);
}

HRESULT CORavlPP::AddLastCompound(IDispatch* pCompoundi) {
  return m_compoundList.addLastCompound(compoundLinks(), pCompoundi);
}

HRESULT CORavlPP::RemoveCompoundi(INT iComp) {
  return m_compoundList.removeCompoundi(compoundLinks(), iComp);
}

HRESULT CORavlPP::ExchangeCompounds(INT iComp, INT jComp) {
  return m_compoundList.exchangeCompounds(compoundLinks(), iComp, jComp);
}

// ---- Property registration and capability queries --------------------------------------

HRESULT CORavlPP::InitializePropertyID(IDispatch* lpPropertyRegistry) {
  auto state = registrationState();
  return calc::initializePropertyID(lpPropertyRegistry, m_selectedProperties, state, m_guard);
}

HRESULT CORavlPP::CanCalculate(INT propertyID, INT* status) {
  if (!status) return E_POINTER;
  *status = calc::canCalculateStatus(registrationState(), propertyID);
  return S_OK;
}

// ---- Flash queries ---------------------------------------------------------------------

HRESULT CORavlPP::GetFlashName(BSTR* flashname, BSTR* description) {
  return flash::getFlashName(flashname, description);
}

HRESULT CORavlPP::FlashFileNeeded(INT* nfiles, BSTR* description) {
  return flash::flashFileNeeded(nfiles, description);
}

HRESULT CORavlPP::SetupFlash(INT, VARIANT, INT* status) {
  return flash::setupFlash(status);
}

HRESULT CORavlPP::IsFlashSetup(INT* status) {
  return m_guard.run("checking flash setup", [&] {
    return flash::isFlashSetup(m_packageInitialised != 0, static_cast<ICapeDiagnostics*>(this),
                               status);
  });
}

HRESULT CORavlPP::SupportedFlashTypes(INT* nFlashes, VARIANT* types) {
  auto inputs = flashCheckInputs();
  auto state = flashState();
  return flash::supportedFlashTypes(inputs, state, m_guard, nFlashes, types);
}

HRESULT CORavlPP::CanHandleFlashType(tagFlashTypeEnum type, INT* status) {
  auto inputs = flashCheckInputs();
  auto state = flashState();
  return flash::canHandleFlashType(type, inputs, state, m_guard, status);
}

HRESULT CORavlPP::IsFlashControlUsed(VARIANT_BOOL* IsUsed) {
  return flash::isFlashControlUsed(IsUsed);
}

HRESULT CORavlPP::FlashSave(BSTR* saveinfo) {
  return flash::flashSave(saveinfo);
}

HRESULT CORavlPP::FlashRecall(BSTR saveinfo) {
  return flash::flashRecall(saveinfo);
}

}  // namespace coravl::frame
