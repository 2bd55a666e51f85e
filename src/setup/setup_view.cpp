#include "setup/setup_view.h"

#include <new>
#include <string>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "base/message_output.h"
#include "outside/adapter.h"
#include "outside/cape_gui.h"
#include "setup/flash_spec_names.h"
#include "setup/package_options.h"
#include "base/set_get.h"

namespace coravl::setup {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";

BYTE byteOf(bool b) {
  return b ? 1 : 0;
}

VARIANT_BOOL variantBoolOf(bool b) {
  return b ? VARIANT_TRUE : VARIANT_FALSE;
}

//! A call on the GUI component whose failure raises.
void guiCall(HRESULT hr) {
  comlite::check(hr, ICCAPEGUI::kIID);
}

//! The 1-D array of a list, or null.
SAFEARRAY* arrayOf(const VARIANT& v) {
  if (!vtIsArray(v.vt)) return nullptr;
  SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
  return psa && SafeArrayGetDim(psa) == 1 ? psa : nullptr;
}

//! Lower bound and element count of a list; count 0 for anything that is not one.
void boundsOf(const VARIANT& v, LONG& lower, LONG& count) {
  lower = 0;
  count = 0;
  SAFEARRAY* psa = arrayOf(v);
  LONG upper = -1;
  if (!psa || FAILED(SafeArrayGetLBound(psa, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(psa, 1, &upper)))
    return;
  count = upper >= lower ? upper - lower + 1 : 0;
}

//! Whether the list's elements can take strings.
bool holdsStrings(const VARIANT& v) {
  VARTYPE element = VT_EMPTY;
  SAFEARRAY* psa = arrayOf(v);
  return psa && SUCCEEDED(SafeArrayGetVartype(psa, &element)) &&
         (element == VT_BSTR || element == VT_VARIANT);
}

//! Sends the options to the GUI component in the order of the view.
void sendOptions(ICCAPEGUI* gui, const SetupViewState& state, VARIANT_BOOL* openView) {
  const ComponentOptions& o = state.options;
  const RoutingFlags& r = state.routing;
  guiCall(gui->SetLiquid2FlashRequest(byteOf(o.requestSelvarLiquid2flash), openView));
  // The phase-ordering choice is informative for the view: a GUI that cannot show it still
  // shows the rest.
  gui->SetOrderPhases(byteOf(o.doOrderPhases));
  guiCall(gui->SetCompoundOptions(byteOf(o.allowSubsets), byteOf(o.freeCompounds),
                                  byteOf(o.treatAsHypos)));
  guiCall(gui->SetRecovErrorRouting(byteOf(r.traceRecovErrors), byteOf(r.logRecovErrors),
                                    byteOf(r.popUpRecovErrors)));
  guiCall(gui->SetCritErrorRouting(byteOf(r.traceCritErrors), byteOf(r.logCritErrors),
                                   byteOf(r.popUpCritErrors)));
}

//! Reads the options back and makes each take effect as it is read. An answer the GUI leaves
//! unwritten keeps the option's value. RETURNS: S_OK, or the answer to a failed doOrderPhases
//! read when it is still a failure.
HRESULT readOptions(ICCAPEGUI* gui, SetupViewState& state) {
  ComponentOptions& o = state.options;
  RoutingFlags& r = state.routing;

  VARIANT_BOOL a = variantBoolOf(o.allowSubsets), b = variantBoolOf(o.freeCompounds),
               c = variantBoolOf(o.treatAsHypos);
  guiCall(gui->GetCompoundOptions(&a, &b, &c));
  o.allowSubsets = a != 0;
  o.freeCompounds = b != 0;
  o.treatAsHypos = c != 0;

  VARIANT_BOOL request = variantBoolOf(o.requestSelvarLiquid2flash);
  guiCall(gui->GetLiquid2FlashRequest(&request));
  applySecondLiquidRequest(request != 0, gui, o, state.flashSpecNames);

  VARIANT_BOOL order = variantBoolOf(o.doOrderPhases);
  if (HRESULT hr = gui->GetOrderPhases(&order); FAILED(hr)) {
    hr = Utils::popUpStatus(hr, kUnexpected);
    if (FAILED(hr)) return hr;
  } else {
    o.doOrderPhases = order != 0;
  }

  a = variantBoolOf(r.traceRecovErrors);
  b = variantBoolOf(r.logRecovErrors);
  c = variantBoolOf(r.popUpRecovErrors);
  guiCall(gui->GetRecovErrorRouting(&a, &b, &c));
  r.traceRecovErrors = a != 0;
  r.logRecovErrors = b != 0;
  r.popUpRecovErrors = c != 0;

  a = variantBoolOf(r.traceCritErrors);
  b = variantBoolOf(r.logCritErrors);
  c = variantBoolOf(r.popUpCritErrors);
  guiCall(gui->GetCritErrorRouting(&a, &b, &c));
  r.traceCritErrors = a != 0;
  r.logCritErrors = b != 0;
  r.popUpCritErrors = c != 0;
  return S_OK;
}

//! The renaming of the package compounds and its hand-over to the adapter.
HRESULT renameCompounds(IPackageAdapter* adapter, SetupViewState& state) {
  if (!adapter) throw comlite::ComError(E_POINTER, IPackageAdapter::kIID);
  nameCompoundsAsHypothetical(state.compIds, state.qoNames);
  comlite::Bstr name("SelectedCompQoNames");
  if (HRESULT hr = adapter->SetValue(name.get(), state.qoNames); FAILED(hr)) {
    hr = Utils::popUpStatus(hr, kUnexpected);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT runView(ICCAPEGUI* gui, IPackageAdapter* adapter, SetupViewState& state,
                VARIANT_BOOL* openView) {
  sendOptions(gui, state, openView);
  guiCall(gui->put_ViewNotice(state.viewNotice));
  state.viewNotice = 0;
  if (HRESULT hr = readOptions(gui, state); FAILED(hr)) return hr;
  if (!state.options.treatAsHypos) return S_OK;
  return renameCompounds(adapter, state);
}

}  // namespace

HRESULT showSetupView(ICCAPEGUI* gui, IPackageAdapter* adapter, SetupViewState& state,
                      VARIANT_BOOL* openView) noexcept {
  if (!gui) return E_POINTER;
  // The view has no failure convention of its own: the simulator gets the failing status.
  try {
    return runView(gui, adapter, state, openView);
  } catch (const comlite::ComError& e) {
    return e.status();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

void nameCompoundsAsHypothetical(const VARIANT& compIds, VARIANT& qoNames) {
  LONG idsLower = 0, idsCount = 0, namesLower = 0, namesCount = 0;
  boundsOf(compIds, idsLower, idsCount);
  boundsOf(qoNames, namesLower, namesCount);
  if (namesCount < idsCount || !holdsStrings(qoNames)) {
    VariantClear(&qoNames);
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(idsCount));
    if (!psa) throw std::bad_alloc();
    qoNames.vt = VT_ARRAY | VT_BSTR;
    qoNames.parray = psa;
    namesLower = 0;
  }
  for (LONG k = 0; k < idsCount; ++k) {
    BSTR id = nullptr;
    SetGet::get(compIds, idsLower + k, id);
    std::u16string name(comlite::bstrView(id));
    SysFreeString(id);
    name += u'*';
    comlite::Variant value;
    value.vt = VT_BSTR;
    value.bstrVal = comlite::bstrFromUtf16(name);
    if (!value.bstrVal) throw std::bad_alloc();
    SetGet::noCopyVariantPutV(qoNames, namesLower + k, value);
  }
}

}  // namespace coravl::setup
