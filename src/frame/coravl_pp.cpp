#include "frame/coravl_pp.h"

#include <new>

#include "base/message_output.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/object.h"
#include "comlite/registry.h"
#include "comlite/safearray.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_ids.h"
#include "vocabulary/co_ids.h"

namespace coravl::frame {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";

//! A VARIANT holding an array of `n` empty strings.
void makeStringList(comlite::Variant& v, ULONG n) {
  VariantClear(&v);
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, n);
}

void putString(comlite::Variant& v, LONG index, const char* text) {
  comlite::Bstr s(text);
  SafeArrayPutElement(v.parray, &index, s.get());
}

//! Replaces an in-out string argument with a copy of `value` (a null BSTR when empty).
void replaceString(BSTR* target, const comlite::Bstr& value) {
  SysFreeString(*target);
  *target = value.get() ? value.copy() : nullptr;
}

}  // namespace

CORavlPP::CORavlPP(IUnknown* outer)
    : m_outer(outer),
      m_holdMatObj(IMatObj::kIID),
      m_holdPropertyRoutine(ICapeThermoPropertyRoutine::kIID),
      m_holdEquilibriumRoutine(ICapeThermoEquilibriumRoutine::kIID),
      m_holdPackageDispatch(IID_IDispatch),
      m_holdMaterial(ICapeThermoMaterial::kIID) {
  m_inner.self = this;
  if (!m_outer) m_outer = &m_inner;
  m_hostPropertyIds.fill(kNotRegistered);
  ++comlite::liveObjectCount();
  Utils::setTitle("Selvar Quorel CAPE-OPEN 1.1 Thermo Socket");
}

CORavlPP::~CORavlPP() {
  --comlite::liveObjectCount();
}

HRESULT CORavlPP::create(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  auto* obj = new (std::nothrow) CORavlPP(outer);
  if (!obj) return E_OUTOFMEMORY;
  // Hold the object through its inner unknown while it finishes construction.
  obj->m_inner.AddRef();
  HRESULT hr = obj->finalConstruct();
  if (SUCCEEDED(hr)) hr = obj->internalQueryInterface(riid, ppv);
  obj->m_inner.Release();
  return hr;
}

HRESULT CORavlPP::finalConstruct() {
  m_integerArray.reset();
  m_realArray1.reset();
  m_realArray2.reset();
  HRESULT hr = CoCreateInstance(ravelin::kClsidIntegerArray, nullptr, CLSCTX_INPROC_SERVER,
                                IIntegerArrayDisp::kIID, m_integerArray.putVoid());
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  m_hostPropertyIds.fill(kNotRegistered);
  makeStringList(m_enthalpyEntropyNames, 2);
  putString(m_enthalpyEntropyNames, 0, "enthalpy");
  putString(m_enthalpyEntropyNames, 1, "entropy");
  makeStringList(m_overallLabel, 1);
  putString(m_overallLabel, 0, "Overall");
  makeStringList(m_tenStrings, 10);
  makeStringList(m_fourStringsA, 4);
  makeStringList(m_fourStringsB, 4);
  m_packageSetUp = 0;
  m_packageInitialised = 0;
  m_registeredCount = 0;
  hr = CoCreateInstance(ravelin::kClsidRealArray, nullptr, CLSCTX_INPROC_SERVER,
                        IRealArrayDisp::kIID, m_realArray1.putVoid());
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(ravelin::kClsidRealArray, nullptr, CLSCTX_INPROC_SERVER,
                        IRealArrayDisp::kIID, m_realArray2.putVoid());
  if (FAILED(hr)) return hr;
  // The host publishes its derivative-request interface in the registry when it serves them.
  auto name = comlite::registry::readValue("Interface\\" +
                                           comlite::guidToString(IRvlDerivativeRequests::kIID));
  m_derivativesEnabled = name && !name->empty();
  return S_OK;
}

HRESULT CORavlPP::finalRelease() {
  if (m_relay) m_relay->detach();
  m_integerArray.reset();
  if (m_capeOpenVersion == 110) {
    for (GlobalInterfaceHolder* h :
         {&m_holdPackageDispatch, &m_holdEquilibriumRoutine, &m_holdMaterial}) {
      HRESULT hr = h->revoke();
      if (FAILED(hr)) return hr == E_FAIL ? hr : Utils::popUpStatus(hr, kUnexpected);
    }
  }
  HRESULT hr = m_holdMatObj.revoke();
  if (FAILED(hr)) return hr == E_FAIL ? hr : Utils::popUpStatus(hr, kUnexpected);
  // The setup view came with the package from the adapter and was also kept by us: both
  // references go here.
  m_setupView.reset();
  if (m_adapter) {
    // The adapter terminates the package and lets go of it and of the material.
    HRESULT ahr = m_adapter->ReleaseResources();
    m_adapter.reset();
    if (FAILED(ahr)) Utils::popUpStatus(ahr, kUnexpected);
  }
  for (auto& c : m_compositions) c.clear();
  m_phaseCollection.reset();
  m_basicPhase.reset();
  m_realArray1.reset();
  m_realArray2.reset();
  m_realArray3.reset();
  return S_OK;
}

HRESULT CORavlPP::internalQueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  void* p = nullptr;
  if (riid == IExtendedPropPackage::kIID)
    p = static_cast<IExtendedPropPackage*>(this);
  else if (riid == IExtendedFlash::kIID)
    p = static_cast<IExtendedFlash*>(this);
  else if (riid == IID_IDispatch)
    p = static_cast<IExtendedPropPackage*>(this);
  else if (riid == ICapeDiagnostics::kIID)
    p = static_cast<ICapeDiagnostics*>(this);
  else if (riid == ICapeSimulationContext::kIID)
    p = static_cast<ICapeSimulationContext*>(this);
  else if (riid == ICapeDiagnostic::kIID)
    p = static_cast<ICapeDiagnostic*>(this);
  else if (riid == IDerivativeCalculation::kIID)
    p = static_cast<IDerivativeCalculation*>(this);
  else if (riid == IID_IUnknown)
    // The identity: the inner unknown when aggregated, else the primary sub-object.
    p = (m_outer == &m_inner) ? static_cast<void*>(static_cast<IExtendedPropPackage*>(this))
                              : static_cast<void*>(&m_inner);
  if (!p) return E_NOINTERFACE;
  static_cast<IUnknown*>(p)->AddRef();
  *ppv = p;
  return S_OK;
}

HRESULT CORavlPP::QueryInterface(REFIID riid, void** ppv) {
  if (m_outer == &m_inner) return internalQueryInterface(riid, ppv);
  return m_outer->QueryInterface(riid, ppv);
}

ULONG CORavlPP::AddRef() {
  if (m_outer == &m_inner) return ++m_refs;
  return m_outer->AddRef();
}

ULONG CORavlPP::Release() {
  if (m_outer == &m_inner) return m_inner.Release();
  return m_outer->Release();
}

ULONG CORavlPP::InnerUnknown::Release() {
  const ULONG n = --self->m_refs;
  if (n == 0) {
    // Keep the count away from zero while final release calls out.
    self->m_refs = 1;
    self->finalRelease();
    delete self;
  }
  return n;
}

const RegisteredProperty* CORavlPP::findRegistered(LONG hostId) const {
  for (LONG i = 0; i < m_registeredCount; ++i)
    if (m_registered[i].hostId == hostId) return &m_registered[i];
  return nullptr;
}

// ---- IExtendedPropPackage: the simple contract methods -------------------------------

HRESULT CORavlPP::GetPackageName(BSTR* pkgname, BSTR* description) {
  HRESULT hr = entryCheck();
  if (!pkgname || !description) return E_POINTER;
  if (FAILED(hr) || !m_packageInitialised) {
    // No package behind the object: no name, rather than a stale one.
    replaceString(pkgname, comlite::Bstr());
    replaceString(description, comlite::Bstr());
    return hr;
  }
  replaceString(pkgname, m_packageName);
  replaceString(description, m_packageDescription);
  return S_OK;
}

HRESULT CORavlPP::PkgFileNeeded(INT* nfiles, BSTR* description) {
  if (nfiles) *nfiles = 0;
  HRESULT hr = entryCheck();
  if (!nfiles || !description) return E_POINTER;
  replaceString(description,
                comlite::Bstr(m_packageSetUp && m_packageInitialised
                                  ? "Click on 'On View' to browse the Package description or on "
                                    "Setup to refresh the compounds information"
                                  : "Click on 'Finish Setup' to complete the configuration "
                                    "process"));
  return FAILED(hr) ? hr : S_OK;
}

HRESULT CORavlPP::IsPkgSetup(INT* status) {
  if (status) *status = 1;
  HRESULT hr = entryCheck();
  if (FAILED(hr)) return hr;
  if (!status) return E_POINTER;
  *status = m_packageSetUp && m_packageInitialised ? 0 : 1;
  return S_OK;
}

HRESULT CORavlPP::GetEnthalpyBase(INT* EnthBase) {
  if (!EnthBase) return E_POINTER;
  *EnthBase = 1;
  return S_OK;
}

HRESULT CORavlPP::GetGibbsBase(INT* GibbsBase) {
  if (!GibbsBase) return E_POINTER;
  *GibbsBase = 0;
  return S_OK;
}

HRESULT CORavlPP::GetThermoPropertyRoutine(IDispatch** pThermoPropertyRoutine) {
  if (!pThermoPropertyRoutine) return E_POINTER;
  // Handed out without an extra reference, as the host expects.
  *pThermoPropertyRoutine = m_materialClient.propertyRoutine();
  return *pThermoPropertyRoutine ? S_OK : E_FAIL;
}

// ---- ICapeDiagnostics and ICapeDiagnostic: the CAPE-OPEN side's route to the simulator ----

HRESULT CORavlPP::ReportError(LONG code, BSTR message) {
  return m_reporter.reportAtLevel(code, message ? message : u"", 1);
}

HRESULT CORavlPP::PopUpError(LONG code, BSTR message) {
  return m_reporter.popUpError(code, comlite::bstrToUtf8(message).c_str(), nullptr, 1);
}

HRESULT CORavlPP::ReportCapeError(BSTR operation, LONG code, BSTR description,
                                  VARIANT_BOOL inCalculation, BSTR interfaceName) {
  // The caller hands the failing object's description as text: it travels as pending error
  // information, which the composed message carries beside the status.
  if (SysStringLen(description) > 0)
    comlite::setErrorInfo(comlite::bstrToUtf8(description), comlite::bstrToUtf8(interfaceName));
  const std::string op = comlite::bstrToUtf8(operation);
  const std::string itf = comlite::bstrToUtf8(interfaceName);
  // Without a description the object that failed is asked: packages that keep their error
  // on themselves answer through ECapeUser. The interface named tells which object it was.
  IUnknown* failing = m_holdPackageDispatch.get();
  if (itf == "ICapeThermoMaterial" || itf == "ICapeThermoCompounds") failing = m_holdMaterial.get();
  return m_reporter.reportCapeError(op.c_str(), code, failing, inCalculation != VARIANT_FALSE,
                                    itf.c_str());
}

HRESULT CORavlPP::PopUpMessage(BSTR message) {
  m_reporter.popUpError(0, comlite::bstrToUtf8(message).c_str(), nullptr, 1);
  return S_OK;
}

HRESULT CORavlPP::LogMessage(BSTR message) {
  m_reporter.traceMessage(comlite::bstrToUtf8(message).c_str(), 1);
  return S_OK;
}

// ---- IDerivativeCalculation -------------------------------------------------------

HRESULT CORavlPP::EnableDerivatives(BYTE enable) {
  HRESULT hr = entryCheck();
  if (FAILED(hr) || !m_packageInitialised) return hr;
  m_derivativesEnabled = (enable == 1);
  return S_OK;
}

HRESULT CORavlPP::CanCalculateDerivative(LONG, INT propertyID, INT variableID, BYTE* canCalculate) {
  if (!canCalculate) return E_POINTER;
  *canCalculate = 0;
  HRESULT hr = entryCheck();
  if (FAILED(hr) || !m_packageInitialised) return hr;
  const RegisteredProperty* property = findRegistered(propertyID);
  if (!property) return S_OK;
  // The variable is named by the host id of its own property (temperature, pressure, ...); an
  // unregistered variable means no derivative: slot 0, the property itself.
  LONG slot = 0;
  if (const RegisteredProperty* variable = findRegistered(variableID)) {
    slot = COIds::derivativeIndex(variable->coId);
    if (slot <= 0) return S_OK;
  }
  // Without a derivative the answer is whether the property itself is served.
  if (slot == 0)
    *canCalculate = property->supported ? 1 : 0;
  else
    *canCalculate = property->names[static_cast<std::size_t>(slot)].empty() ? 0 : 1;
  return S_OK;
}

}  // namespace coravl::frame
