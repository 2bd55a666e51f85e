//! Package initialisation: brings the component from created to initialised by building the
//! CAPE-OPEN side through the package adapter, once per object.

#include <string>

#include "base/create_interface.h"
#include "base/list_search.h"
#include "base/message_output.h"
#include "base/module_identity.h"
#include "base/name_compare.h"
#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/safearray.h"
#include "frame/coravl_pp.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "outside/sim_context.h"
#include "setup/option_records.h"
#include "setup/package_options.h"
#include "setup/qo_utils.h"
#include "vocabulary/co_ids.h"

namespace coravl::frame {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";
constexpr const char* kInitContext = "setting CAPE-OPEN objects";
//! Context flags of the creations: in-process, local or remote server.
constexpr DWORD kCreationContext = 21;
//! Phases the simulator can show.
constexpr LONG kMaxHostPhases = 9;

constexpr const char* kHostVersionWarning =
    "Please, review the section '2.3.1 Stream properties fly-picker' of the 'DLT CAPE_OPEN v1.7 "
    "limitations.doc' file, which describes an important bug in Quorel 3.1";
constexpr const char* kCompoundsChangedWarning =
    "The compounds provided now by the PP are not the same as the ones provided when the case "
    "was saved. Click on the 'property PropPkg Setup' button of the corresponding fluid package, "
    "and then on the 'Finish Setup' button to import the new compounds.";

//! A string list VARIANT of `n` empty strings.
void makeStrings(comlite::Variant& v, ULONG n) {
  VariantClear(&v);
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, n);
}

//! Number of elements of a one-dimensional list (0 for anything else).
LONG elementCount(const VARIANT& v) {
  if (!vtIsArray(v.vt) || !v.parray || SafeArrayGetDim(v.parray) != 1) return 0;
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(v.parray, 1, &lb);
  SafeArrayGetUBound(v.parray, 1, &ub);
  return ub - lb + 1;
}

//! Two lists hold the same elements in the same order; strings compare by name equality.
bool sameList(const VARIANT& a, const VARIANT& b) {
  const LONG n = elementCount(a);
  if (n != elementCount(b)) return false;
  for (LONG i = 0; i < n; ++i) {
    comlite::Variant x, y;
    LONG ia = a.parray->rgsabound[0].lLbound + i, ib = b.parray->rgsabound[0].lLbound + i;
    VARTYPE ta = 0, tb = 0;
    SafeArrayGetVartype(a.parray, &ta);
    SafeArrayGetVartype(b.parray, &tb);
    if (ta == VT_BSTR && tb == VT_BSTR) {
      BSTR sa = nullptr, sb = nullptr;
      SafeArrayGetElement(a.parray, &ia, &sa);
      SafeArrayGetElement(b.parray, &ib, &sb);
      const bool equal = Utils::namesEqual(comlite::bstrView(sa), comlite::bstrView(sb));
      SysFreeString(sa);
      SysFreeString(sb);
      if (!equal) return false;
      continue;
    }
    if (ta != tb) return false;
    const std::string ra = SetGet::variantToStr(a), rb = SetGet::variantToStr(b);
    return ra == rb;
  }
  return true;
}

}  // namespace

HRESULT CORavlPP::entryCheck(BSTR saveInfo, VARIANT_BOOL* baseChanged) {
  // A host call starts without the error information of an earlier, finished call.
  MethodGuard::clearPendingErrorInfo();
  return initCO(saveInfo, baseChanged);
}

HRESULT CORavlPP::readAdapterValue(const char* name, comlite::Variant& value) {
  comlite::Bstr key(name);
  HRESULT hr = m_adapter->GetValue(key.get(), value.out());
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  return hr;
}

HRESULT CORavlPP::initCO(BSTR saveInfo, VARIANT_BOOL* baseChanged) {
  // "CORavlPP::initCO not first time"
  if (m_packageInitialised) return S_OK;
  std::string message;
  bool completed = false;
  HRESULT hr = S_OK;
  try {
    hr = initCOSteps(saveInfo, baseChanged, message, completed);
  } catch (...) {
    hr = m_guard.complainCurrentException(kInitContext);
  }
  if (!completed) {
    // Whatever failed was reported where it failed; the object stays uninitialised so that a
    // later call (a recall, a new selection) starts again from a clean CAPE-OPEN side, even
    // when a host of version 3.1 absorbed the complaint.
    releaseCapeOpenSide();
    return hr;
  }
  // "CORavlPP::initCO first time"
  if (!message.empty() && m_setupView) {
    comlite::Bstr text(message);
    m_setupView->ShowMessage(text.get(), 1);
  }
  m_packageInitialised = 1;
  return hr;
}

void CORavlPP::releaseCapeOpenSide() {
  // Revocation happens on this thread, the one that registered: it cannot be refused here.
  for (GlobalInterfaceHolder* h : {&m_holdPackageDispatch, &m_holdEquilibriumRoutine,
                                   &m_holdPropertyRoutine, &m_holdMaterial, &m_holdMatObj})
    h->revoke();
  m_compoundCount = 0;
  for (auto& c : m_compositions) c.clear();
}

HRESULT CORavlPP::initCOSteps(BSTR saveInfo, VARIANT_BOOL* baseChanged, std::string& message,
                              bool& completed) {
  // The adapter's failure with its reason, told; returned, so that the object tries again.
  auto tellAdapterFailure = [this](HRESULT failed) {
    // Taken before the guard drops the thread's pending error information.
    const comlite::ComError error(failed, IPackageAdapter::kIID);
    return m_guard.run(kInitContext, [&]() -> HRESULT { throw error; });
  };
  using comlite::check;
  m_compoundList.resetPositionMap();
  if (!m_relay) {
    m_relay = comlite::ComPtr<DiagnosticsRelay>::attach(comlite::makeObject<DiagnosticsRelay>(
        static_cast<ICapeDiagnostics*>(this), static_cast<ICapeDiagnostic*>(this)));
    if (!m_relay) throw comlite::ComError(E_OUTOFMEMORY, ICapeDiagnostics::kIID);
  }
  makeStrings(m_propertyNames, 5);
  makeStrings(m_phaseLabels, 2);
  VariantClear(&m_integerList);
  m_integerList.vt = VT_ARRAY | VT_I4;
  m_integerList.parray = SafeArrayCreateVector(VT_I4, 0, 4);

  // The simulation context the package will see.
  comlite::ComPtr<ICapeDiagnostic> contextDiagnostic;
  if (SUCCEEDED(Utils::createInterface(simcontext::kClsidSimulationContext, nullptr,
                                       kCreationContext, ICapeDiagnostic::kIID,
                                       contextDiagnostic.putVoid()))) {
    HRESULT qhr = S_OK;
    auto context = contextDiagnostic.as<ICapeSimulationContext>(&qhr);
    if (FAILED(qhr) && qhr != E_NOINTERFACE)
      throw comlite::ComError(qhr, ICapeSimulationContext::kIID);
    m_simulationContext = context;
    if (m_simulationContext) {
      if (auto hook = m_simulationContext.as<ICapeDiagnosticHook>()) {
        HRESULT hhr = hook->SetDiagnosticSink(static_cast<ICapeDiagnostic*>(m_relay.get()));
        if (FAILED(hhr) && FAILED(Utils::popUpStatus(hhr, kUnexpected))) return hhr;
      }
    }
  } else {
    m_simulationContext.reset();
  }

  // The package adapter.
  m_adapter.reset();
  HRESULT hr = Utils::createInterface(adapter::kClsidPackageAdapter, nullptr, kCreationContext,
                                      IPackageAdapter::kIID, m_adapter.putVoid());
  if (FAILED(hr)) {
    hr = Utils::popUpStatus(hr, kUnexpected);
    if (FAILED(hr)) return hr;
  }
  if (!m_adapter) throw comlite::ComError(E_POINTER, IPackageAdapter::kIID);
  comlite::Bstr module(Utils::moduleName());
  hr = m_adapter->SetCallerName(module.get());
  if (FAILED(hr) && FAILED(hr = Utils::popUpStatus(hr, kUnexpected))) return hr;
  // "CORavlPP::initCO before VBsocket": Linux has no active window; the adapter gets none.
  check(m_adapter->SetWindow(0), IPackageAdapter::kIID);

  // Selection: a recalled case, or the user's choice.
  comlite::Variant savedIds, savedUserNames;
  const bool recall = m_recallPending != 0;
  if (recall) {
    const std::u16string_view saved = comlite::bstrView(saveInfo);
    const std::u16string_view own = setup::adapterText(saved);
    comlite::Bstr ownText(own);
    hr = m_adapter->Recall(own.size() == saved.size() ? saveInfo : ownText.get(), baseChanged);
    if (FAILED(hr)) {
      // The adapter's own account of what is wrong with the text is what the user needs.
      const comlite::ComError error(hr, IPackageAdapter::kIID);
      std::string text = "The saved case cannot be recalled: the package adapter refused it";
      if (!error.description().empty()) {
        text += ": " + error.description();
        if (!error.source().empty()) text += " (" + error.source() + ")";
      }
      const HRESULT answer = m_reporter.complain(E_FAIL, text.c_str(), ComplaintKind::Plain, false);
      return FAILED(answer) ? hr : answer;
    }
    if (FAILED(hr = readAdapterValue("SelectedCompIds", savedIds))) return hr;
    if (FAILED(hr = readAdapterValue("UserSelectedCompQoNames", savedUserNames))) return hr;
  } else {
    comlite::ComPtr<IDispatch> selection;
    hr = m_adapter->SelectPackage(selection.put());
    if (FAILED(hr)) return tellAdapterFailure(hr);
  }

  comlite::Variant alias;
  if (FAILED(hr = readAdapterValue("PropPackAlias", alias))) return hr;
  if (alias.vt != VT_BSTR) check(VariantChangeType(&alias, &alias, 0, VT_BSTR));
  m_packageAlias =
      comlite::Bstr::attach(SysAllocStringLen(alias.bstrVal, SysStringLen(alias.bstrVal)));
  m_packageName = m_packageAlias;
  m_packageDescription = m_packageAlias;
  if (m_packageAlias.empty()) return E_FAIL;

  // "CORavlPP::initCO before createPropPackage"
  comlite::ComPtr<IDispatch> package, gui;
  hr = m_adapter->CreatePropPackage(package.put(), gui.put());
  if (FAILED(hr)) return tellAdapterFailure(hr);
  // A creation that reports success without a package is a failed creation.
  if (!package) throw comlite::ComError(E_POINTER, IPackageAdapter::kIID);
  HRESULT qhr = S_OK;
  m_setupView = gui ? gui.as<ICCAPEGUI>(&qhr) : comlite::ComPtr<ICCAPEGUI>();
  if (gui && FAILED(qhr) && qhr != E_NOINTERFACE) throw comlite::ComError(qhr, ICCAPEGUI::kIID);
  if (!m_setupView) throw comlite::ComError(E_POINTER, ICCAPEGUI::kIID);
  m_reporter.setPackageInfo(m_setupView.get());
  m_setupView->get_CapeVersion(&m_capeOpenVersion);
  if (auto utilities = package.as<ICapeUtilities>(&qhr)) {
    utilities->put_simulationContext(m_simulationContext.get());
  } else if (FAILED(qhr) && qhr != E_NOINTERFACE) {
    throw comlite::ComError(qhr, ICapeUtilities::kIID);
  }

  // "CORavlPP::initCO after simulation context"
  const std::pair<const char*, VARIANT*> lists[] = {
      {"SelectedIDNumbers", &m_selectedIDNumbers},
      {"SelectedCompCASNos", &m_selectedCompCASNos},
      {"SelectedCompIds", &m_selectedCompIds},
      {"SelectedProperties", &m_selectedProperties},
      {"SelectedPhases", &m_selectedPhases},
      {"SelectedCompQoNames", &m_selectedCompQoNames},
      {"SelectedCompFormulas", &m_selectedCompFormulas},
      {"UserSelectedCompQoNames", &m_compoundList.userSelectedCompQoNames()},
      {"SelectedStateOfAggregation", &m_selectedStateOfAggregation},
      {"SelectedKeyCompoundID", &m_selectedKeyCompoundID},
  };
  for (const auto& [name, target] : lists) {
    comlite::Variant value;
    if (FAILED(hr = readAdapterValue(name, value))) return hr;
    VariantClear(target);
    *target = value.detach();
  }

  // Derived members.
  if (const LONG phases = elementCount(m_selectedPhases); phases > 0) {
    VariantClear(&m_phaseZeroList);
    m_phaseZeroList.vt = VT_ARRAY | VT_I4;
    m_phaseZeroList.parray = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(phases));
  }
  m_vaporAndLiquidStates =
      Utils::findPos(m_selectedStateOfAggregation, COIds::id2str(COIds::PhaseVapor)) >= 0 &&
      Utils::findPos(m_selectedStateOfAggregation, COIds::id2str(COIds::PhaseLiquid)) >= 0;
  m_compressibilityProperty.clear();
  if (Utils::findPos(m_selectedProperties, COIds::id2str(COIds::PropCompressibility)) >= 0)
    m_compressibilityProperty = COIds::id2cstr(COIds::PropCompressibility);
  if (Utils::findPos(m_selectedProperties, COIds::volumeDpressure()) >= 0)
    m_compressibilityProperty = comlite::bstrToUtf8(COIds::volumeDpressure());
  if (QoUtils::hostVersion() == 310) message = kHostVersionWarning;

  // Compounds.
  if (!recall) {
    comlite::Bstr progId;
    check(m_setupView->get_PackageProgID(progId.out()), ICCAPEGUI::kIID);
    m_options.doOrderPhases = setup::ordersPhasesOnFirstSetup(progId.view());
  } else {
    if (!sameList(m_selectedCompIds, savedIds)) {
      m_compoundList.markCompoundsChanged(kCompoundsChangedWarning);
      message = kCompoundsChangedWarning;
    }
  }
  m_compoundList.rebuildFromUserNames();
  // The saved map is exact where a name match is not: simulator names may differ from the
  // package's.
  if (recall)
    if (auto saved =
            setup::findLastRecord(comlite::bstrView(saveInfo), CompoundList::kPositionsKey))
      m_compoundList.restorePositions(*saved);

  // "CORavlPP::initCO before configure qohowgui"
  check(m_setupView->ConfigureCompounds(m_selectedCompQoNames, m_guiCompoundList1.out(),
                                        m_guiCompoundList2.out()),
        ICCAPEGUI::kIID);

  if (m_capeOpenVersion == 110) {
    hr = m_holdPackageDispatch.registerInterface(package.get());
    if (FAILED(hr)) return hr;  // reported by the holder
    // The holder took over the reference it was given.
    package.detach();
    package = comlite::ComPtr<IDispatch>(m_holdPackageDispatch.as<IDispatch>());
  }

  comlite::ComPtr<IDispatch> materialObject;
  check(m_adapter->GetMaterialObject(materialObject.put()), IPackageAdapter::kIID);
  m_materialClient.setVersion(m_capeOpenVersion);

  if (m_capeOpenVersion == 110) {
    auto material = materialObject.as<ICapeThermoMaterial>(&qhr);
    if (FAILED(qhr) && qhr != E_NOINTERFACE)
      throw comlite::ComError(qhr, ICapeThermoMaterial::kIID);
    if (!material) throw comlite::ComError(E_POINTER, ICapeThermoMaterial::kIID);
    auto registerHeld = [&](GlobalInterfaceHolder& holder, IUnknown* p) -> HRESULT {
      if (!p) return S_OK;
      p->AddRef();  // the holder hands the registration this reference
      HRESULT rhr = holder.registerInterface(p);
      if (FAILED(rhr)) p->Release();  // reported by the holder
      return rhr;
    };
    if (auto eq = package.as<ICapeThermoEquilibriumRoutine>())
      if (FAILED(hr = registerHeld(m_holdEquilibriumRoutine, eq.get()))) return hr;
    if (auto pr = package.as<ICapeThermoPropertyRoutine>())
      if (FAILED(hr = registerHeld(m_holdPropertyRoutine, pr.get()))) return hr;
    m_materialClient.setPackage(package.get());
    m_materialClient.attachMaterial(materialObject.get());
    if (m_materialClient.hostPhaseCount() > kMaxHostPhases) {
      comlite::Bstr text(
          "The property package exceeds maximum number of phases supported by the simulator, "
          "which is " +
          std::to_string(kMaxHostPhases));
      m_setupView->ShowMessage(text.get(), 1);
    }
    // "CORavlPP::initCO before imatObj->PutproxyPtr"
    auto matObj = materialObject.as<IMatObj>();
    if (!matObj) throw comlite::ComError(E_POINTER, IMatObj::kIID);
    check(matObj->PutproxyPtr(static_cast<ICapeDiagnostics*>(m_relay.get())), IMatObj::kIID);
    if (FAILED(hr = registerHeld(m_holdMaterial, material.get()))) return hr;
    auto compounds = materialObject.as<ICapeThermoCompounds>();
    if (!compounds) throw comlite::ComError(E_POINTER, ICapeThermoCompounds::kIID);
    check(compounds->GetNumCompounds(&m_compoundCount), ICapeThermoCompounds::kIID);
    if (FAILED(hr = registerHeld(m_holdMatObj, matObj.get()))) return hr;
    auto context = package.as<ICapeThermoMaterialContext>();
    if (!context) throw comlite::ComError(E_POINTER, ICapeThermoMaterialContext::kIID);
    check(context->SetMaterial(materialObject.get()), ICapeThermoMaterialContext::kIID,
          "the package's SetMaterial");
  }

  // "CORavlPP::initCO after imatObj->PutproxyPtr"
  if (m_compoundCount < 1)
    return m_reporter.complain(100, "importing a CAPE-OPEN package. It has 0 or less components",
                               ComplaintKind::PackageNonStandard, false);

  for (auto& c : m_compositions) c.assign(static_cast<std::size_t>(m_compoundCount), 0.0);
  if (recall && !m_compoundList.compoundsChanged()) {
    m_compoundList.refresh(compoundLinks());
    m_compoundList.closeGateOnUnmapped();
  }
  m_compoundList.clearEdited();
  if (m_compoundList.compoundsChanged()) m_compoundList.clearCompounds();

  // "CORavlPP::initCO before checkflash"
  auto inputs = flashCheckInputs();
  inputs.packageInitialised = true;  // everything the check needs is in place now
  auto state = flashState();
  flash::checkFlashTypes(inputs, state, m_guard);
  completed = true;
  return hr;
}

}  // namespace coravl::frame
