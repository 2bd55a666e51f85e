#include "ravelin/objects/phase_collection_object.h"

#include <algorithm>

#include "ravelin/objects/guarded.h"
#include "ravelin/objects/phase_object.h"

namespace ravelin::detail {

namespace {

HRESULT handOut(const comlite::ComPtr<IBasicPhase>& phase, IDispatch** out) {
  *out = phase.get();
  if (!*out) return E_UNEXPECTED;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

comlite::ComPtr<IPhaseCollection> PhaseCollectionObject::make() {
  auto collection =
      comlite::ComPtr<IPhaseCollection>::attach(comlite::makeObject<PhaseCollectionObject>());
  auto overall = PhaseObject::make();
  if (!collection || !overall) return {};
  auto* phase = static_cast<PhaseObject*>(overall.get());
  phase->setType(kPhaseOverall);
  phase->setNominalType(kPhaseOverall);
  static_cast<PhaseCollectionObject*>(collection.get())->m_overall = std::move(overall);
  return collection;
}

HRESULT PhaseCollectionObject::createInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto collection = make();
  if (!collection) return E_OUTOFMEMORY;
  return collection->QueryInterface(riid, ppv);
}

HRESULT PhaseCollectionObject::get_NumbOfPhases(LONG* count) {
  if (!count) return E_POINTER;
  *count = m_count;
  return S_OK;
}

HRESULT PhaseCollectionObject::put_NumbOfPhases(LONG count) {
  if (count < 0 || static_cast<std::size_t>(count) > m_phases.size()) return E_INVALIDARG;
  m_count = count;
  return S_OK;
}

HRESULT PhaseCollectionObject::GetPhase(LONG index, IDispatch** phase) {
  if (!phase) return E_POINTER;
  *phase = nullptr;
  if (index < 0 || static_cast<std::size_t>(index) >= m_phases.size()) return DISP_E_BADINDEX;
  return handOut(m_phases[static_cast<std::size_t>(index)], phase);
}

HRESULT PhaseCollectionObject::GetPhaseOfKind(LONG kind, LONG index, IDispatch** phase,
                                              VARIANT_BOOL* found) {
  if (!phase || !found) return E_POINTER;
  *phase = nullptr;
  *found = VARIANT_FALSE;
  if (kind < 0 || kind > kPhaseLastSolid || index < 0) return E_INVALIDARG;
  const comlite::ComPtr<IBasicPhase>* match = nullptr;
  if (kind == kPhaseOverall) {
    if (index == 0) match = &m_overall;
  } else if (kind == 0) {
    if (static_cast<std::size_t>(index) < m_phases.size())
      match = &m_phases[static_cast<std::size_t>(index)];
  } else {
    LONG seen = 0;
    for (const auto& p : m_phases) {
      LONG type = 0;
      if (FAILED(p->get_PhaseType(&type)) || type != kind) continue;
      if (seen++ == index) {
        match = &p;
        break;
      }
    }
  }
  if (!match || !*match) return S_FALSE;
  HRESULT hr = handOut(*match, phase);
  if (SUCCEEDED(hr)) *found = VARIANT_TRUE;
  return hr;
}

HRESULT PhaseCollectionObject::get_NumbOfComps(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  if (!m_overall) return E_UNEXPECTED;
  auto* overall = static_cast<PhaseObject*>(m_overall.get());
  *count = static_cast<LONG>(overall->fluidCount());
  return S_OK;
}

HRESULT PhaseCollectionObject::MovePhase(LONG target, LONG source) {
  const auto n = static_cast<LONG>(m_phases.size());
  if (target < 0 || target >= n || source < 0 || source >= n) return DISP_E_BADINDEX;
  return guarded([&] {
    auto first = m_phases.begin();
    if (source > target)
      std::rotate(first + target, first + source, first + source + 1);
    else if (source < target)
      std::rotate(first + source, first + source + 1, first + target + 1);
    m_moves.emplace_back(target, source);
    return S_OK;
  });
}

}  // namespace ravelin::detail
