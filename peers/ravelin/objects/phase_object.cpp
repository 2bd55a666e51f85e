#include "ravelin/objects/phase_object.h"

#include <cmath>
#include <set>
#include <stdexcept>
#include <string>

#include "outside/ravelin_ids.h"
#include "ravelin/objects/array_object.h"
#include "ravelin/objects/compound_list_object.h"
#include "ravelin/objects/guarded.h"
#include "ravelin/objects/own_object.h"
#include "ravelin/property_names.h"

namespace ravelin::detail {

namespace {

LONG idOf(const char* name) {
  // The table is fixed for the process, so each lookup can be kept.
  return propertyId(name);
}

LONG temperatureId() {
  static const LONG id = idOf("Temperature");
  return id;
}
LONG pressureId() {
  static const LONG id = idOf("Pressure");
  return id;
}
LONG phaseFractionId() {
  static const LONG id = idOf("PhaseFraction");
  return id;
}

bool knownId(LONG id) {
  return isPropertyId(id);
}

bool allFinite(const double* values, LONG count) {
  for (LONG i = 0; i < count; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}

RealArrayObject* arrayOf(const comlite::ComPtr<IRealArrayDisp>& a) {
  return static_cast<RealArrayObject*>(a.get());
}

}  // namespace

comlite::ComPtr<IBasicPhase> PhaseObject::make() {
  auto phase = comlite::ComPtr<IBasicPhase>::attach(comlite::makeObject<PhaseObject>());
  auto* list = comlite::makeObject<CompoundListObject>();
  auto* array = comlite::makeObject<RealArrayObject>();
  auto listPtr = comlite::ComPtr<IRvlCompoundList>::attach(list);
  auto arrayPtr = comlite::ComPtr<IRealArrayDisp>::attach(array);
  if (!phase || !list || !array) return {};
  auto* self = static_cast<PhaseObject*>(phase.get());
  self->m_compounds = std::move(listPtr);
  self->m_composition = std::move(arrayPtr);
  return phase;
}

HRESULT PhaseObject::createInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto phase = make();
  if (!phase) return E_OUTOFMEMORY;
  return phase->QueryInterface(riid, ppv);
}

HRESULT PhaseObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if ((!m_offerSubList && riid == IRvlSubCompList::kIID) ||
      (!m_offerDerivatives && riid == IRvlDerivativeRequests::kIID)) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(riid, ppv);
}

void PhaseObject::setCompounds(comlite::ComPtr<IRvlCompoundList> compounds) {
  m_compounds = std::move(compounds);
  m_subList.reset();
  if (m_composition) arrayOf(m_composition)->setValues(std::vector<double>(fluidCount(), 0.0));
}

std::size_t PhaseObject::fluidCount() const {
  LONG n = 0;
  if (!m_compounds || FAILED(m_compounds->get_Count(&n))) return 0;
  return static_cast<std::size_t>(n);
}

std::size_t PhaseObject::listCount() const {
  return m_subList ? m_subList->size() : fluidCount();
}

std::vector<double> PhaseObject::composition() const {
  return m_composition ? arrayOf(m_composition)->values() : std::vector<double>{};
}

void PhaseObject::setComposition(const std::vector<double>& x) {
  if (x.size() != fluidCount())
    throw std::invalid_argument("a composition needs one value per fluid-package compound (" +
                                std::to_string(fluidCount()) + "), got " +
                                std::to_string(x.size()));
  if (!m_composition) throw std::logic_error("the phase has no composition array");
  arrayOf(m_composition)->setValues(x);
}

void PhaseObject::setSubList(std::optional<std::vector<LONG>> mapping) {
  if (mapping) {
    std::set<LONG> seen;
    for (LONG k : *mapping) {
      if (k < 0 || static_cast<std::size_t>(k) >= fluidCount() || !seen.insert(k).second)
        throw std::invalid_argument("sub-list index " + std::to_string(k) +
                                    " is outside the fluid package or repeated");
    }
    // Compounds outside the phase's list have no mole fraction in it.
    std::vector<double> x = composition();
    for (std::size_t i = 0; i < x.size(); ++i)
      if (!seen.count(static_cast<LONG>(i))) x[i] = kNoValue;
    if (m_composition) arrayOf(m_composition)->setValues(std::move(x));
  }
  m_subList = std::move(mapping);
}

std::size_t PhaseObject::addDerivativeRequest(LONG propertyId, LONG variableId, bool wanted) {
  m_requests.push_back({propertyId, variableId, wanted, kDerivativePending, {}, false});
  return m_requests.size() - 1;
}

void PhaseObject::clearResults() {
  m_scalars.clear();
  m_vectors.clear();
  m_lastValue.reset();
  for (auto& r : m_requests) {
    r.status = kDerivativePending;
    r.values.clear();
    r.written = false;
  }
}

// ---- IBasicPhase

HRESULT PhaseObject::get_Temperature(double* T) {
  if (!T) return E_POINTER;
  *T = m_T;
  return S_OK;
}

HRESULT PhaseObject::put_Temperature(double T) {
  if (!std::isfinite(T) || T <= 0) return E_INVALIDARG;
  m_T = T;
  return S_OK;
}

HRESULT PhaseObject::get_Pressure(double* P) {
  if (!P) return E_POINTER;
  *P = m_P;
  return S_OK;
}

HRESULT PhaseObject::put_Pressure(double P) {
  if (!std::isfinite(P) || P <= 0) return E_INVALIDARG;
  m_P = P;
  return S_OK;
}

HRESULT PhaseObject::get_PhaseType(LONG* type) {
  if (!type) return E_POINTER;
  *type = m_type;
  return S_OK;
}

HRESULT PhaseObject::put_PhaseType(LONG type) {
  if (type != kPhaseOverall && (type < kPhaseVapour || type > kPhaseLastSolid)) return E_INVALIDARG;
  m_type = type;
  return S_OK;
}

HRESULT PhaseObject::get_NominalType(LONG* type) {
  if (!type) return E_POINTER;
  *type = m_nominalType;
  return S_OK;
}

HRESULT PhaseObject::get_PhaseFraction(double* fraction) {
  if (!fraction) return E_POINTER;
  *fraction = m_fraction;
  return S_OK;
}

HRESULT PhaseObject::put_PhaseFraction(double fraction) {
  if (!std::isfinite(fraction)) return E_INVALIDARG;
  m_fraction = fraction;
  return S_OK;
}

HRESULT PhaseObject::get_Status(LONG* status) {
  if (!status) return E_POINTER;
  *status = m_status;
  return S_OK;
}

HRESULT PhaseObject::put_Status(LONG status) {
  if (status != kPhaseStatusUnknown && status != kPhaseStatusPresent &&
      status != kPhaseStatusAbsent)
    return E_INVALIDARG;
  m_status = status;
  return S_OK;
}

HRESULT PhaseObject::get_NumbOfComps(LONG* count) {
  if (!count) return E_POINTER;
  *count = m_reportedCount ? *m_reportedCount : static_cast<LONG>(listCount());
  return S_OK;
}

HRESULT PhaseObject::get_Compounds(IDispatch** compounds) {
  if (!compounds) return E_POINTER;
  *compounds = m_compounds.get();
  if (!*compounds) return E_UNEXPECTED;
  (*compounds)->AddRef();
  return S_OK;
}

HRESULT PhaseObject::get_Composition(IDispatch** composition) {
  if (!composition) return E_POINTER;
  *composition = m_composition.get();
  if (!*composition) return E_UNEXPECTED;
  (*composition)->AddRef();
  return S_OK;
}

HRESULT PhaseObject::put_Composition(IDispatch* composition) {
  if (!composition) return E_POINTER;
  if (!m_composition) return E_UNEXPECTED;
  return guarded([&] {
    comlite::ComPtr<IRealArrayDisp> source;
    if (FAILED(composition->QueryInterface(IRealArrayDisp::kIID, source.putVoid())) || !source)
      return E_NOINTERFACE;
    LONG n = 0;
    if (HRESULT hr = source->get_Count(&n); FAILED(hr)) return hr;
    if (n < 0 || static_cast<std::size_t>(n) != fluidCount()) return E_INVALIDARG;
    // Copied, not shared: callers reuse one array object for several phases.
    std::vector<double>& x = m_compositionScratch;
    x.resize(static_cast<std::size_t>(n));
    comlite::ComPtr<IRealArrayBlock> block;
    if (FAILED(source->QueryInterface(IRealArrayBlock::kIID, block.putVoid())) || !block ||
        FAILED(block->GetValues(n, x.data())))
      for (LONG i = 0; i < n; ++i)
        if (HRESULT hr = source->get_IthValue(i, &x[static_cast<std::size_t>(i)]); FAILED(hr))
          return hr;
    arrayOf(m_composition)->swapValues(x);
    return S_OK;
  });
}

HRESULT PhaseObject::get_LastValue(double* value) {
  if (!value) return E_POINTER;
  if (!m_lastValue) return RAVELIN_E_NOVALUE;
  *value = *m_lastValue;
  return S_OK;
}

HRESULT PhaseObject::put_Enthalpy(double H) {
  static const LONG id = idOf("Enthalpy");
  return writeScalar(id, H);
}

HRESULT PhaseObject::put_MolarVolume(double V) {
  static const LONG id = idOf("MolarVolume");
  return writeScalar(id, V);
}

HRESULT PhaseObject::put_HeatCapacity(double Cp) {
  static const LONG id = idOf("Cp");
  return writeScalar(id, Cp);
}

HRESULT PhaseObject::SetPropertyValue(LONG propertyId, double value) {
  return guarded([&] { return writeScalar(propertyId, value); });
}

HRESULT PhaseObject::writeScalar(LONG propertyId, double value) {
  if (!knownId(propertyId) || !std::isfinite(value)) return E_INVALIDARG;
  HRESULT hr = S_OK;
  if (propertyId == temperatureId())
    hr = put_Temperature(value);
  else if (propertyId == pressureId())
    hr = put_Pressure(value);
  else if (propertyId == phaseFractionId())
    hr = put_PhaseFraction(value);
  else
    m_scalars[propertyId] = value;
  if (SUCCEEDED(hr)) m_lastValue = value;
  return hr;
}

HRESULT PhaseObject::SetPropertyVector(LONG propertyId, LONG count, const double* values) {
  if (!knownId(propertyId)) return E_INVALIDARG;
  if (count < 0 || static_cast<std::size_t>(count) != listCount()) return E_INVALIDARG;
  if (count > 0 && !values) return E_POINTER;
  if (!allFinite(values, count)) return E_INVALIDARG;
  return guarded([&] {
    m_vectors[propertyId].assign(values, values + count);
    return S_OK;
  });
}

HRESULT PhaseObject::GetPropertyValue(LONG propertyId, double* value) {
  if (!value) return E_POINTER;
  if (!knownId(propertyId)) return E_INVALIDARG;
  if (propertyId == temperatureId()) return get_Temperature(value);
  if (propertyId == pressureId()) return get_Pressure(value);
  if (propertyId == phaseFractionId()) return get_PhaseFraction(value);
  auto it = m_scalars.find(propertyId);
  if (it == m_scalars.end()) return RAVELIN_E_NOVALUE;
  *value = it->second;
  return S_OK;
}

HRESULT PhaseObject::GetPropertyVector(LONG propertyId, LONG count, double* values) {
  if (!knownId(propertyId)) return E_INVALIDARG;
  auto it = m_vectors.find(propertyId);
  if (it == m_vectors.end()) return RAVELIN_E_NOVALUE;
  if (count < 0 || static_cast<std::size_t>(count) != it->second.size()) return E_INVALIDARG;
  if (count > 0 && !values) return E_POINTER;
  std::copy(it->second.begin(), it->second.end(), values);
  return S_OK;
}

// ---- IRvlSubCompList

HRESULT PhaseObject::GetSubCompList(LONG* count, IIntegerArrayDisp** mapping) {
  if (!count || !mapping) return E_POINTER;
  *count = 0;
  *mapping = nullptr;
  return guarded([&] {
    // A mapping the caller still holds is the caller's: it gets a new one.
    auto* array = static_cast<IntegerArrayObject*>(m_mapping.get());
    if (!array || array->referenceCount() != 1) {
      array = comlite::makeObject<IntegerArrayObject>();
      if (!array) return E_OUTOFMEMORY;
      m_mapping = comlite::ComPtr<IIntegerArrayDisp>::attach(array);
    }
    if (m_subList) {
      array->assignValues(m_subList->begin(), m_subList->end());
    } else {
      const auto n = static_cast<LONG>(fluidCount());
      array->SetSize(n);
      for (LONG i = 0; i < n; ++i) array->put_IthValue(i, i);
    }
    *count = static_cast<LONG>(array->values().size());
    *mapping = m_mapping.get();
    (*mapping)->AddRef();
    return S_OK;
  });
}

// ---- IRvlDerivativeRequests

PhaseObject::DerivativeRequest* PhaseObject::request(LONG index) {
  if (index < 0 || static_cast<std::size_t>(index) >= m_requests.size()) return nullptr;
  return &m_requests[static_cast<std::size_t>(index)];
}

HRESULT PhaseObject::get_Count(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_requests.size());
  return S_OK;
}

HRESULT PhaseObject::GetRequest(LONG index, LONG* propertyId, LONG* variableId) {
  if (!propertyId || !variableId) return E_POINTER;
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  *propertyId = r->propertyId;
  *variableId = r->variableId;
  return S_OK;
}

HRESULT PhaseObject::get_Wanted(LONG index, VARIANT_BOOL* wanted) {
  if (!wanted) return E_POINTER;
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  *wanted = r->wanted ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT PhaseObject::SetValue(LONG index, double value) {
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  if (!std::isfinite(value)) return E_INVALIDARG;
  return guarded([&] {
    r->values.assign(1, value);
    r->written = true;
    return S_OK;
  });
}

HRESULT PhaseObject::SetVector(LONG index, LONG count, const double* values) {
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  if (count < 0 || static_cast<std::size_t>(count) != listCount()) return E_INVALIDARG;
  if (count > 0 && !values) return E_POINTER;
  if (!allFinite(values, count)) return E_INVALIDARG;
  return guarded([&] {
    r->values.assign(values, values + count);
    r->written = true;
    return S_OK;
  });
}

HRESULT PhaseObject::put_RequestStatus(LONG index, LONG status) {
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  if (status != kDerivativePending && status != kDerivativeNotAvailable &&
      status != kDerivativeDone)
    return E_INVALIDARG;
  r->status = status;
  return S_OK;
}

HRESULT PhaseObject::get_RequestStatus(LONG index, LONG* status) {
  if (!status) return E_POINTER;
  DerivativeRequest* r = request(index);
  if (!r) return DISP_E_BADINDEX;
  *status = r->status;
  return S_OK;
}

}  // namespace ravelin::detail
