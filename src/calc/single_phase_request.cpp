#include "calc/single_phase_request.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <string>
#include <string_view>

#include "base/math_utils.h"
#include "base/message_output.h"
#include "base/set_get.h"
#include "base/thcom_error.h"
#include "calc/material_client.h"
#include "calc/value_conversion.h"
#include "comlite/bstr.h"
#include "comlite/cold_path.h"
#include "comlite/com_error.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "reporter/co_error.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/compound_order.h"
#include "vocabulary/host_property_ids.h"
#include "vocabulary/property_factory.h"
#include "vocabulary/property_translator.h"

namespace coravl::calc {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";
//! Composition entries between this and 0 are rounding noise.
constexpr double kNegligible = 1e-30;
//! The no-value marker of a host composition entry (a compound outside the phase's list).
constexpr double kNoValue = ravelin::kNoValue;
//! Highest host phase type.
constexpr LONG kLastPhaseType = 10;

//! The composition warning: 1 not shown yet, -1 shown (process-wide, set once).
int g_compositionWarning = 1;

//! Clears the floating-point state a failed package call may have left.
void resetFloatingPoint() {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::fesetenv(FE_DFL_ENV);
}

//! "%f" text of a double, as the component's messages print numbers.
std::string number(double value) {
  return std::to_string(value);
}

//! The derivative slot (1 to 4) of a host derivative variable ("dT", "Temperature", ...): 0
//! when the variable is known but is no derivative variable, -1 when it is not known.
LONG slotOfVariable(LONG hostVariableId) {
  CCOPropertyTranslator* t = derivativeFactory().findByRVLId(hostVariableId);
  if (!t) t = propertyFactory().findByRVLId(hostVariableId);
  if (!t) return -1;
  return std::max<LONG>(COIds::derivativeIndex(t->coId()), 0);
}

void putString(VARIANT& list, LONG index, BSTR text) {
  comlite::check(SafeArrayPutElement(list.parray, &index, text));
}

//! The string at `index` of a list of strings, without a copy; nullptr when there is none.
BSTR peekString(const VARIANT& list, LONG index) {
  void* at = nullptr;
  if (list.vt != (VT_ARRAY | VT_BSTR) || !list.parray ||
      FAILED(SafeArrayPtrOfIndex(list.parray, &index, &at)) || !at)
    return nullptr;
  return *static_cast<BSTR*>(at);
}

//! True when `held` is the ASCII text `text`, compared as UTF-16 without converting either.
bool sameText(BSTR held, std::string_view text) {
  if (!held || comlite::bstrView(held).size() != text.size()) return false;
  // Without an early exit the loop becomes vector compares: every request checks its names.
  unsigned diff = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(text[i]);
    diff |= (static_cast<unsigned>(held[i]) ^ c) | (c & 0x80u);
  }
  return diff == 0;
}

bool sameText(BSTR held, BSTR text) {
  return held && text && comlite::sameUnits(comlite::bstrView(held), comlite::bstrView(text));
}

//! Makes `list` a list of `count` elements of `vt` (an equal list is kept).
void sizeList(VARIANT& list, VARTYPE vt, LONG count) {
  comlite::check(SetGet::Create(list, vt, count));
}

}  // namespace

// ---- Composition check ----------------------------------------------------------------

CompositionCheck checkComposition(std::span<double> x, bool secondPhase) {
  CompositionCheck out;
  bool bad = false, outOfRange = false;
  for (double& xi : x) {
    if (secondPhase && xi == kNoValue) {
      out.verdict = CompositionVerdict::UsePhaseZero;
      return out;
    }
    if (!std::isfinite(xi)) {
      bad = true;
    } else if (xi < -kNegligible || xi > 1.0) {
      bad = true;
      outOfRange = true;
    } else if (xi < 0.0) {
      xi = 0.0;
    }
  }
  if (!bad) return out;
  out.verdict = CompositionVerdict::FailSilently;
  if (!outOfRange) return out;

  std::vector<double> clipped(x.begin(), x.end());
  double sum = 0.0;
  for (double& c : clipped) {
    if (c < 0.0) c = 0.0;
    if (c > 1.0) c = 1.0;
    sum += c;
  }
  if (g_compositionWarning == -1) sum = 1.0;
  if (MathUtils::isWithinTolerance(1.0, sum, 1e-30)) return out;
  out.verdict = CompositionVerdict::FailWithReport;
  out.message = "CalculateProperty passed an invalid composition: " +
                SetGet::arrayToStr(clipped.data(), VT_R8, static_cast<LONG>(clipped.size())) +
                ". Negative and values higher than 1 were replaced by 0.0 and 1.0, respectively. " +
                CCOError::kOnceOnlyNotice;
  g_compositionWarning = -1;
  return out;
}

bool compositionWarningShown() {
  return g_compositionWarning == -1;
}

void resetCompositionWarningForTests() {
  g_compositionWarning = 1;
}

// ---- The request ----------------------------------------------------------------------

namespace {

RequestBuffers& buffersFor(CalculationState& state, std::optional<RequestBuffers>& own) {
  return state.buffers && !state.buffers->inUse ? *state.buffers : own.emplace();
}

}  // namespace

PropertyRequest::PropertyRequest(CalculationState& state, const CalculationLinks& links)
    : m_state(state),
      m_links(links),
      m_buffers(buffersFor(state, m_ownBuffers)),
      m_slotRequests(m_buffers.slotRequests),
      m_mapping(m_buffers.mapping),
      m_order(m_buffers.order),
      m_material(m_buffers.material),
      m_base(m_buffers.base),
      m_values(m_buffers.values) {
  if (!m_links.reporter || !m_links.materialClient || !m_links.hostPropertyIds)
    throw comlite::ComError(E_POINTER);
  // What the previous request left is no part of this one: only the storage is kept.
  m_buffers.inUse = true;
  for (auto& r : m_slotRequests) r.clear();
  m_mapping.clear();
  m_order.clear();
  for (auto& m : m_material) m.clear();
  m_base.clear();
  m_values.clear();
  m_state.derivativeSlots.fill(-1);
  m_state.derivativeSlots[0] = 0;
  m_state.derivativeCount = 0;
}

PropertyRequest::~PropertyRequest() {
  m_buffers.inUse = false;
  m_state.current = nullptr;
  m_state.derivativeSlots.fill(-1);
  m_state.derivativeCount = 0;
  m_state.phase.reset();
  for (auto& p : m_phases) p.reset();
  m_requests.reset();
}

bool PropertyRequest::isHost(int hostProperty, LONG hostId) const {
  const LONG id = (*m_links.hostPropertyIds)[static_cast<std::size_t>(hostProperty)];
  return id != calc::kNotRegistered && id == hostId;
}

const calc::RegisteredProperty* PropertyRequest::chooseRecord(LONG propertyId,
                                                              CalculationMode& mode) const {
  const auto find = [this](LONG hostId) -> const calc::RegisteredProperty* {
    if (hostId == calc::kNotRegistered) return nullptr;
    for (const auto& r : m_links.registered)
      if (r.hostId == hostId) return &r;
    return nullptr;
  };
  const auto& ids = *m_links.hostPropertyIds;
  mode = CalculationMode::Direct;
  if (const auto* r = find(propertyId); r && r->supported) return r;
  if (isHost(HostCp, propertyId)) {
    if (const auto* r = find(ids[HostHDT]); r && r->supported) {
      mode = CalculationMode::HeatCapacityFromDHdT;
      return r;
    }
  } else if (isHost(HostMolarVolume, propertyId)) {
    if (const auto* r = find(ids[HostMolarDensity]); r && r->supported) {
      mode = CalculationMode::MolarVolumeFromDensity;
      return r;
    }
  }
  return nullptr;
}

void PropertyRequest::holdPhase(int index, IBasicPhase* phase, LONG hostPhaseType) {
  m_phases[static_cast<std::size_t>(index)] = comlite::ComPtr<IBasicPhase>(phase);
  m_types[static_cast<std::size_t>(index)] = hostPhaseType;
  if (index == 0) m_state.phase = m_phases[0];
}

HRESULT PropertyRequest::calculate(LONG propertyId, IBasicPhase* phase) {
  CalculationMode mode = CalculationMode::Direct;
  const calc::RegisteredProperty* record = chooseRecord(propertyId, mode);
  if (!record) return E_FAIL;
  m_state.current = record;
  holdPhase(0, phase, m_state.hostPhaseType);

  HRESULT hr = readDerivativeRequests();
  if (FAILED(hr)) return hr;
  hr = validate(0);
  if (FAILED(hr)) return hr;
  hr = prepareMaterial(0);
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);

  // Surface tension belongs to the vapour-liquid pair when the package has both.
  const bool pair = record->coId == COIds::PropSurfaceTension && m_links.vaporAndLiquidStates;
  if (pair) {
    // Both phases of the pair are at the request's state: the material must not calculate
    // with the other phase's state of an earlier request, nor without one.
    const auto& x = m_material[0];
    for (const LONG each : {COIds::PhaseVapor, COIds::PhaseLiquid})
      comlite::check(
          m_links.matObj->SetState(m_state.temperature, m_state.pressure, x.data(), each),
          IMatObj::kIID);
    m_state.phaseLabelIndex = COIds::PhaseVaporLiquid;
  }
  buildRequestLists();

  // Calculate once. A failed calculation ends the request: the material object still holds the
  // values of an earlier calculation, which the reads would hand to the host as this one's.
  // The material object has already reported the package's error through the component.
  if (pair) {
    hr = m_links.matObj->CalcTwoPhaseProps(m_state.propertyNames, m_state.phaseLabels);
  } else {
    static const comlite::Bstr mixture(COIds::id2cstr(COIds::CalcMixture));
    hr = m_links.matObj->CalcSinglePhaseProps(m_state.propertyNames,
                                              peekString(m_state.phaseLabels, 0), mixture.get());
  }
  if (FAILED(hr)) {
    resetFloatingPoint();
    return hr;
  }

  if (mode != CalculationMode::Direct) return calculateDerived(mode, propertyId);
  m_base.clear();
  for (int slot = 0; slot < 5; ++slot) {
    if (slot != 0 && m_state.derivativeSlots[static_cast<std::size_t>(slot)] == -1) continue;
    hr = calculateSlot(slot);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// ---- Derivative requests ----------------------------------------------------------------

HRESULT PropertyRequest::readDerivativeRequests() {
  auto& slots = m_state.derivativeSlots;
  slots.fill(-1);
  slots[0] = 0;
  m_state.derivativeCount = 0;
  for (auto& requests : m_slotRequests) requests.clear();
  if (!m_links.derivativesEnabled || !m_phases[0] || !m_state.current) return S_OK;
  HRESULT qhr = S_OK;
  m_requests = m_phases[0].as<IRvlDerivativeRequests>(&qhr);
  if (!m_requests)
    return FAILED(qhr) && qhr != E_NOINTERFACE ? Utils::popUpStatus(qhr, kUnexpected) : S_OK;
  LONG count = 0;
  HRESULT hr = m_requests->get_Count(&count);
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  const calc::RegisteredProperty& record = *m_state.current;
  for (LONG i = 0; i < count; ++i) {
    LONG propertyId = 0, variableId = 0;
    hr = m_requests->GetRequest(i, &propertyId, &variableId);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
    if (propertyId != record.hostId) continue;
    const LONG slot = slotOfVariable(variableId);
    if (slot < 0) return E_FAIL;
    if (slot == 0 || record.names[static_cast<std::size_t>(slot)].empty()) {
      hr = m_requests->put_RequestStatus(i, ravelin::kDerivativeNotAvailable);
      if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
      continue;
    }
    VARIANT_BOOL wanted = VARIANT_FALSE;
    hr = m_requests->get_Wanted(i, &wanted);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
    auto& requests = m_slotRequests[static_cast<std::size_t>(slot)];
    if (wanted != VARIANT_FALSE) requests.push_back(i);
    slots[static_cast<std::size_t>(slot)] = requests.empty() ? -1 : requests.front();
  }
  // Counted from the slots: two requests of one derivative take one name in the request.
  m_state.derivativeCount = static_cast<LONG>(
      std::count_if(slots.begin() + 1, slots.end(), [](LONG s) { return s != -1; }));
  return S_OK;
}

// ---- Validation ---------------------------------------------------------------------------

HRESULT PropertyRequest::validate(int index, bool twoPhase) {
  return validatePhase(index, twoPhase);
}

HRESULT PropertyRequest::validatePhase(int index, bool twoPhase) {
  IBasicPhase* phase = m_phases[static_cast<std::size_t>(index)].get();
  if (!phase) CTHCOMError::raise(E_POINTER);
  double T = 0.0, P = 0.0;
  thcheck(phase->get_Temperature(&T));
  thcheck(phase->get_Pressure(&P));
  m_state.temperature = T;
  // Not-a-number states are refused with the same messages.
  if (!(T > 0.0))
    return comlite::coldPath([&] {
      return reporter().popUpMessage(
          ("CalculateProperty received a negative T: " + number(T)).c_str(), nullptr, 1);
    });
  if (!(P > 0.0))
    return comlite::coldPath([&] {
      return reporter().popUpMessage(
          ("CalculateProperty received a negative P: " + number(P)).c_str(), nullptr, 1);
    });
  m_state.pressure = P * 1000.0;
  const LONG type = m_types[static_cast<std::size_t>(index)];
  if (type > kLastPhaseType)
    return comlite::coldPath([&] {
      return reporter().popUpMessage(
          ("CalculateProperty requested a non existing phase type: " + std::to_string(type))
              .c_str(),
          nullptr, 1);
    });

  // The host's lists count the fluid package (M); the material's the package (N).
  const LONG N = m_links.compoundCount;
  const LONG M = fluidPackageCount();
  LONG n = 0;
  thcheck(phase->get_NumbOfComps(&n));
  // A negative count from either side would become a list length.
  if (n < 0 || N < 0)
    return comlite::coldPath([&] {
      return reporter().complain(E_FAIL,
                                 ("Calculating properties. A negative number of compounds: " +
                                  std::to_string(n < 0 ? n : N) + " from the " +
                                  (n < 0 ? "simulator." : "CAPE-OPEN package."))
                                     .c_str(),
                                 ComplaintKind::InternalError, false);
    });
  m_listCount = n;
  if (n > M)
    return comlite::coldPath([&] {
      return reporter().complain(
          E_FAIL,
          ("Requested list is longer (" + std::to_string(n) +
           " compounds as the number of compounds in fluid package (" + std::to_string(M) + ")")
              .c_str(),
          ComplaintKind::InternalError, false);
    });
  coravl::compoundOrderInto(M, m_links.positionMap, N, m_order);
  if (m_order.empty())
    return comlite::coldPath([&] {
      return reporter().complain(
          E_FAIL,
          ("Calculating properties. The simulator provided " + std::to_string(M) +
           " compounds, which cannot be matched with the " + std::to_string(N) +
           " compounds of the CAPE-OPEN package.")
              .c_str(),
          ComplaintKind::InternalError, false);
    });
  HRESULT hr = readSubList(phase, n, M);
  if (FAILED(hr)) return hr;

  auto& x = m_state.compositions[static_cast<std::size_t>(index)];
  x.assign(static_cast<std::size_t>(M), 0.0);
  if (FAILED(CRVLUtils::getPhaseRealArray(phase, x.data(), M))) return E_FAIL;
  if (n < M) {
    // Compounds outside the phase's list are absent from the phase.
    for (std::size_t i = 0; i < x.size(); ++i) {
      const bool listed =
          std::find(m_mapping.begin(), m_mapping.end(), static_cast<LONG>(i)) != m_mapping.end();
      if (x[i] == kNoValue && !listed) x[i] = 0.0;
    }
  }

  auto& material = m_material[static_cast<std::size_t>(index)];
  CompositionCheck check = checkComposition(x, twoPhase && index == 1);
  switch (check.verdict) {
    case CompositionVerdict::Good:
      // Package compounds outside the fluid package are absent from the phase.
      material.assign(static_cast<std::size_t>(N), 0.0);
      for (std::size_t i = 0; i < m_order.size(); ++i)
        material[static_cast<std::size_t>(m_order[i])] = x[i];
      return checkSolidPhase(index);
    case CompositionVerdict::UsePhaseZero: {
      hr = validatePhase(0, twoPhase);
      // Phase 0 stands for this phase: the material gets its composition for both.
      if (SUCCEEDED(hr)) {
        x = m_state.compositions[0];
        material = m_material[0];
      }
      return hr;
    }
    case CompositionVerdict::FailWithReport:
      return comlite::coldPath(
          [&] { return reporter().popUpMessage(check.message.c_str(), nullptr, 1); });
    case CompositionVerdict::FailSilently:
    default:
      return E_FAIL;
  }
}

LONG PropertyRequest::fluidPackageCount() const {
  return m_links.positionMap.empty() ? m_links.compoundCount
                                     : static_cast<LONG>(m_links.positionMap.size());
}

HRESULT PropertyRequest::readSubList(IBasicPhase* phase, LONG n, LONG M) {
  m_subList = false;
  m_mapping.clear();
  const auto mappingComplaint = [this](const std::string& text) {
    return reporter().complain(E_FAIL, text.c_str(), ComplaintKind::InternalError, false);
  };
  if (m_links.subListsSupported) {
    HRESULT qhr = S_OK;
    auto sub = comlite::ComPtr<IBasicPhase>(phase).as<IRvlSubCompList>(&qhr);
    if (!sub && FAILED(qhr) && qhr != E_NOINTERFACE) CTHCOMError::raise(qhr);
    if (sub) {
      LONG count = 0;
      comlite::ComPtr<IIntegerArrayDisp> map;
      if (SUCCEEDED(sub->GetSubCompList(&count, map.put()))) {
        if (!map)
          return comlite::coldPath([&] { return mappingComplaint("pMapping shouldn't be NULL"); });
        if (count != n)
          return comlite::coldPath([&] {
            return mappingComplaint(
                "GetSubCompList() returned a different compounds number (" + std::to_string(count) +
                " as get_NumbOfComps(), which returned (" + std::to_string(n) + ")");
          });
        std::vector<LONG>& mapping = m_buffers.mappingScratch;
        mapping.assign(static_cast<std::size_t>(std::max<LONG>(n, 0)), 0);
        // In one call where the host's array offers its block, else index by index.
        auto block = map.as<IIntegerArrayBlock>();
        const bool read = n > 0 && block && SUCCEEDED(block->GetValues(n, mapping.data()));
        bool reordered = false;
        for (LONG j = 0; j < n; ++j) {
          LONG k = mapping[static_cast<std::size_t>(j)];
          if (!read) thcheck(map->get_IthValue(j, &k));
          // A negative index is as far outside the fluid package as one above it.
          if (k >= M || k < 0)
            return comlite::coldPath([&] {
              return mappingComplaint(
                  "pMapping->get_IthValue() returned a compound (0 based) index (" +
                  std::to_string(k) +
                  " which is above the number of compounds in the fluid package (" +
                  std::to_string(M) + ")");
            });
          mapping[static_cast<std::size_t>(j)] = k;
          if (k != j) reordered = true;
        }
        m_mapping.swap(mapping);
        m_subList = reordered;
      }
    }
  }
  // A shorter list without a mapping cannot be told apart: writes of per-compound values fail.
  if (m_mapping.empty() && n != M) m_subList = true;
  return S_OK;
}

HRESULT PropertyRequest::checkSolidPhase(int index) {
  const LONG type = m_types[static_cast<std::size_t>(index)];
  if (type < ravelin::kPhaseSolid || type > kLastPhaseType) return S_OK;
  const CCOMOclient& client = *m_links.materialClient;
  if (client.phaseIndexFor(COIds::PhaseSolid, m_material[static_cast<std::size_t>(index)]) >= 0)
    return S_OK;
  return comlite::coldPath([&] {
    const std::string text =
        client.solidLabels().empty()
            ? "CalculateProperty requested a solid phase (type " + std::to_string(type) +
                  "), which the CAPE-OPEN package does not have"
            : "CalculateProperty requested a solid phase (type " + std::to_string(type) +
                  ") whose composition matches none of the solid phases of the last flash";
    return reporter().popUpMessage(text.c_str(), nullptr, 1);
  });
}

// ---- Material state and request lists -----------------------------------------------------

HRESULT PropertyRequest::prepareMaterial(int index) {
  const auto& x = m_material[static_cast<std::size_t>(index)];
  // The material reads one value per package compound: only a validated phase has them.
  if (x.size() != static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 0)))
    throw comlite::ComError(E_UNEXPECTED, IMatObj::kIID);
  const double* fractions[1] = {x.data()};
  reporter().SetTPFraction(m_state.temperature, m_state.pressure, fractions, m_links.compoundCount,
                           1);
  const LONG id = CCOMOclient::Ravl2CO(m_types[static_cast<std::size_t>(index)]);
  m_state.phaseLabelIndex = id;
  if (!m_links.matObj) throw comlite::ComError(E_POINTER, IMatObj::kIID);
  comlite::check(m_links.matObj->SetState(m_state.temperature, m_state.pressure, x.data(),
                                          id == COIds::PhaseSolid ? COIds::PhaseLiquid : id),
                 IMatObj::kIID);
  m_hostSlot = m_links.materialClient->phaseIndexFor(id, x);
  if (id == COIds::PhaseSolid) {
    // The state went to the liquid: the solid phase takes it as well, or the package
    // calculates it at whatever state it held before.
    CCOMOclient& client = *m_links.materialClient;
    HRESULT hr = client.setPropOfSlot(COIds::PropFraction, m_hostSlot, x);
    if (SUCCEEDED(hr))
      hr = client.setPropOfSlot(COIds::PropTemperature, m_hostSlot,
                                std::span<const double>(&m_state.temperature, 1));
    if (SUCCEEDED(hr))
      hr = client.setPropOfSlot(COIds::PropPressure, m_hostSlot,
                                std::span<const double>(&m_state.pressure, 1));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void PropertyRequest::takeNameList(const calc::RegisteredProperty& record, unsigned slots) {
  RequestBuffers& b = m_buffers;
  if (b.namesRecord == &record && b.namesSlots == slots) return;
  const auto find = [&b](const calc::RegisteredProperty* r,
                         unsigned s) -> RequestBuffers::NameList* {
    for (auto& l : b.nameLists)
      if (l.record == r && l.slots == s) return &l;
    return nullptr;
  };
  VARIANT& state = m_state.propertyNames;
  // The state's list goes back to its own entry; this record's list, when kept, comes out. What
  // is taken out is still checked name by name: another request may have changed it.
  if (b.namesRecord) {
    RequestBuffers::NameList* back = find(b.namesRecord, b.namesSlots);
    if (!back) {
      b.nameLists.push_back({b.namesRecord, b.namesSlots, {}});
      back = &b.nameLists.back();
    }
    std::swap(static_cast<VARIANT&>(back->list), state);
  }
  if (RequestBuffers::NameList* out = find(&record, slots))
    std::swap(static_cast<VARIANT&>(out->list), state);
  b.namesRecord = &record;
  b.namesSlots = slots;
}

void PropertyRequest::buildRequestLists() {
  const calc::RegisteredProperty& record = *m_state.current;
  const auto& slots = m_state.derivativeSlots;
  LONG names = 1;
  for (std::size_t d = 1; d < slots.size(); ++d)
    if (slots[d] != -1) ++names;
  m_state.derivativeCount = names - 1;
  unsigned wanted = 0;
  for (std::size_t d = 1; d < slots.size(); ++d)
    if (slots[d] != -1) wanted |= 1u << d;
  takeNameList(record, wanted);
  sizeList(m_state.propertyNames, VT_BSTR, names);
  LONG at = 0;
  for (std::size_t d = 0; d < slots.size(); ++d) {
    if (d != 0 && slots[d] == -1) continue;
    // The list of the previous request is kept where it names the same properties.
    if (sameText(peekString(m_state.propertyNames, at), record.names[d])) {
      ++at;
      continue;
    }
    comlite::Bstr name(record.names[d]);
    putString(m_state.propertyNames, at++, name.get());
  }

  const auto& x0 = m_material[0];
  const bool pair = m_state.phaseLabelIndex == COIds::PhaseVaporLiquid;
  const CCOMOclient& client = *m_links.materialClient;
  std::array<BSTR, 2> labels{};
  if (pair) {
    labels[0] = client.phaseLabelTextOfSlot(client.phaseIndexFor(COIds::PhaseVapor, x0));
    labels[1] = client.phaseLabelTextOfSlot(client.phaseIndexFor(COIds::PhaseLiquid, x0));
  } else {
    labels[0] = client.phaseLabelTextOfSlot(client.phaseIndexFor(m_state.phaseLabelIndex, x0));
  }
  const LONG count = pair ? 2 : 1;
  sizeList(m_state.phaseLabels, VT_BSTR, count);
  sizeList(m_state.phaseStatuses, VT_I4, count);
  for (LONG i = 0; i < count; ++i) {
    BSTR label = labels[static_cast<std::size_t>(i)];
    if (!sameText(peekString(m_state.phaseLabels, i), label))
      putString(m_state.phaseLabels, i, label);
    LONG unknown = CAPE_UNKNOWNPHASESTATUS;
    comlite::check(SafeArrayPutElement(m_state.phaseStatuses.parray, &i, &unknown));
  }
  if (!m_links.material) throw comlite::ComError(E_POINTER, ICapeThermoMaterial::kIID);
  comlite::check(m_links.material->SetPresentPhases(m_state.phaseLabels, m_state.phaseStatuses),
                 ICapeThermoMaterial::kIID);
  reporter().setCalcContext(
      m_state.propertyNames, m_state.phaseLabels, COIds::id2cstr(COIds::CalcMixture),
      pair ? COIds::PhaseVapor : m_state.phaseLabelIndex, pair ? COIds::PhaseLiquid : 0);
}

// ---- Results ------------------------------------------------------------------------------

HRESULT PropertyRequest::readSlot(int slot, std::span<double> values) {
  const LONG coId = m_state.current->coId;
  const LONG code = slot * 1000 + coId;
  HRESULT hr = S_OK;
  if (m_state.phaseLabelIndex == COIds::PhaseSolid) {
    hr = m_links.materialClient->getPropOfSlot(code, m_hostSlot, values);
  } else {
    // The material writes as many values as the code has: never more than the compounds.
    if (values.size() < static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 1)))
      return E_INVALIDARG;
    hr = m_links.matObj->GetValue(m_state.phaseLabelIndex, code, values.data());
  }
  if (slot != 0) return hr;
  if (FAILED(hr))
    return comlite::coldPath([&] {
      const std::string text = reporter().describeCalculation() +
                               ". The values of some of these properties were not set. ";
      return reporter().complain(
          hr, text.c_str(),
          hr == E_FAIL ? ComplaintKind::PackageNonStandard : ComplaintKind::InternalError, true);
    });
  return reporter().checkPropertyValues(values, coId, nullptr, m_state.phaseLabelIndex, true,
                                        nullptr);
}

void PropertyRequest::mapToPhaseList(std::span<const double> values,
                                     std::vector<double>& out) const {
  // Position i of the fluid package holds package compound m_order[i].
  const auto fluid = [&](std::size_t i) {
    const auto k = static_cast<std::size_t>(m_order[i]);
    if (k >= values.size()) throw comlite::ComError(E_POINTER);
    return values[k];
  };
  const auto n = static_cast<std::size_t>(std::max<LONG>(m_listCount, 0));
  out.resize(n);
  if (!m_subList) {
    if (m_order.size() < n) throw comlite::ComError(E_POINTER);
    for (std::size_t j = 0; j < n; ++j) out[j] = fluid(j);
    return;
  }
  if (m_mapping.size() < n) throw comlite::ComError(E_POINTER);
  for (std::size_t j = 0; j < n; ++j) {
    const auto k = static_cast<std::size_t>(m_mapping[j]);
    if (k >= m_order.size()) throw comlite::ComError(E_POINTER);
    out[j] = fluid(k);
  }
}

HRESULT PropertyRequest::calculateSlot(int slot) {
  const calc::RegisteredProperty& record = *m_state.current;
  const LONG variable = COIds::derivativeVariable(slot);
  const bool vector = COIds::isCompoundVector(record.coId, variable);
  const auto N = static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 1));
  m_values.assign(N, ravelin::kNoValue);
  const std::size_t count = vector ? static_cast<std::size_t>(m_links.compoundCount) : 1;
  HRESULT hr = readSlot(slot, m_values);
  if (FAILED(hr)) return hr;
  m_values.resize(count);
  if (slot == 0) m_base = m_values;

  SlotConversion conversion;
  conversion.translator = record.translator;
  conversion.variable = variable;
  conversion.lnFugacity = isHost(HostLnFugacity, record.hostId);
  conversion.fugacityFallback = conversion.lnFugacity && m_links.fugacityFallback &&
                                (record.coId == COIds::PropFugacityCoefficient ||
                                 record.coId == COIds::PropLogFugacityCoefficient);
  conversion.pressureKPa = m_state.pressure / 1000.0;
  // The values are the package's: so is the composition they are converted with.
  const std::span<const double> x =
      vector ? std::span<const double>(m_material[0]) : std::span<const double>();
  if (slotValuesToHost(conversion, m_values, m_base, x) != m_values.size())
    return comlite::coldPath([&] {
      const std::string text = reporter().describeCalculation() +
                               ". A value has no finite form in the simulator's units. ";
      return reporter().complain(E_FAIL, text.c_str(), ComplaintKind::InternalError, true);
    });
  return writeSlot(slot, m_values, vector);
}

HRESULT PropertyRequest::writeSlot(int slot, std::span<const double> values, bool vector) {
  const LONG hostId = m_state.current->hostId;
  std::vector<double>& list = m_buffers.list;
  list.clear();
  if (vector) mapToPhaseList(values, list);
  if (slot == 0) {
    IBasicPhase* phase = m_phases[0].get();
    if (vector)
      thcheck(phase->SetPropertyVector(hostId, m_listCount, list.data()));
    else if (isHost(HostEnthalpy, hostId))
      thcheck(phase->put_Enthalpy(values[0]));
    else if (isHost(HostMolarVolume, hostId))
      thcheck(phase->put_MolarVolume(values[0]));
    else
      thcheck(phase->SetPropertyValue(hostId, values[0]));
    return S_OK;
  }
  if (!m_requests) return Utils::popUpStatus(E_POINTER, kUnexpected);
  for (const LONG index : m_slotRequests[static_cast<std::size_t>(slot)]) {
    HRESULT hr = vector ? m_requests->SetVector(index, m_listCount, list.data())
                        : m_requests->SetValue(index, values[0]);
    if (SUCCEEDED(hr)) hr = m_requests->put_RequestStatus(index, ravelin::kDerivativeDone);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  }
  return S_OK;
}

HRESULT PropertyRequest::calculateDerived(CalculationMode mode, LONG propertyId) {
  const LONG coId = m_state.current->coId;
  std::vector<double> value(static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 1)),
                            0.0);
  HRESULT hr = S_OK;
  if (m_state.phaseLabelIndex == COIds::PhaseSolid)
    hr = m_links.materialClient->getPropOfSlot(coId, m_hostSlot, std::span<double>(value).first(1));
  else
    hr = m_links.matObj->GetValue(m_state.phaseLabelIndex, coId, value.data());
  if (FAILED(hr)) throw comlite::ComError(hr, IMatObj::kIID);
  if (hr != S_OK) {
    // Nothing was read: that is no success for the host.
    const std::string text = reporter().describeCalculation() +
                             ". The values of some of these properties were not set. ";
    return reporter().complain(E_FAIL, text.c_str(), ComplaintKind::PackageNonStandard, true);
  }
  // Both are strictly positive: an unfeasible value is reported and floored like any other.
  hr = reporter().checkPropertyValues(std::span<double>(value).first(1), coId, nullptr,
                                      m_state.phaseLabelIndex, true, nullptr);
  if (FAILED(hr)) return hr;
  IBasicPhase* phase = m_phases[0].get();
  if (mode == CalculationMode::HeatCapacityFromDHdT)
    thcheck(phase->put_HeatCapacity(value[0]));
  else
    thcheck(phase->put_MolarVolume(1000.0 / value[0]));
  return refuseDerivativeRequests(propertyId);
}

HRESULT PropertyRequest::refuseDerivativeRequests(LONG propertyId) {
  // A value served through another property has no derivatives: no request stays pending.
  if (!m_requests) return S_OK;
  LONG count = 0;
  HRESULT hr = m_requests->get_Count(&count);
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  for (LONG i = 0; i < count; ++i) {
    LONG property = 0, variable = 0;
    hr = m_requests->GetRequest(i, &property, &variable);
    if (SUCCEEDED(hr) && property == propertyId)
      hr = m_requests->put_RequestStatus(i, ravelin::kDerivativeNotAvailable);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  }
  return S_OK;
}

}  // namespace coravl::calc
