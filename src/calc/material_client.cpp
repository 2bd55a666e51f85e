#include "calc/material_client.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/message_output.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "outside/capeopen_thermo.h"
#include "vocabulary/co_ids.h"

namespace {

constexpr const char* kAqueousKey = "Aqueous";
//! Largest relative difference by which a composition still matches a remembered one.
constexpr double kMatchTolerance = 1000.0;

//! The strings of a 1-D array of strings or variants; empty entries for non-string elements,
//! nothing for anything that is not such an array.
std::vector<CQoBSTR> stringsOf(const VARIANT& var) {
  std::vector<CQoBSTR> out;
  if (!vtIsArray(var.vt) || vtIsByRef(var.vt) || !var.parray) return out;
  SAFEARRAY* psa = var.parray;
  if (SafeArrayGetDim(psa) != 1) return out;
  VARTYPE vt = VT_EMPTY;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetVartype(psa, &vt)) || FAILED(SafeArrayGetLBound(psa, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(psa, 1, &upper)))
    return out;
  for (LONG i = lower; i <= upper; ++i) {
    if (vt == VT_BSTR) {
      BSTR s = nullptr;
      SafeArrayGetElement(psa, &i, &s);
      out.push_back(CQoBSTR::attach(s));
    } else if (vt == VT_VARIANT) {
      comlite::Variant v;
      SafeArrayGetElement(psa, &i, v.out());
      out.push_back(v.vt == VT_BSTR ? CQoBSTR(v.bstrVal) : CQoBSTR());
    } else {
      out.emplace_back();
    }
  }
  return out;
}

//! Number of values a result holds: the elements of an array, 1 for a plain number, 0 for
//! an empty value.
LONG valueCount(const VARIANT& var) {
  if (vtIsArray(var.vt)) {
    SAFEARRAY* psa = vtIsByRef(var.vt) ? (var.pparray ? *var.pparray : nullptr) : var.parray;
    return static_cast<LONG>(comlite::safeArrayCount(psa));
  }
  return var.vt == VT_EMPTY || var.vt == VT_NULL ? 0 : 1;
}

//! The values of a result as doubles, in storage order; false when one does not convert.
bool readDoubles(const VARIANT& var, std::span<double> out) {
  if (!vtIsArray(var.vt)) {
    if (out.empty()) return true;
    comlite::Variant d;
    if (FAILED(VariantChangeType(&d, &var, 0, VT_R8))) return false;
    out[0] = d.dblVal;
    return true;
  }
  SAFEARRAY* psa = vtIsByRef(var.vt) ? (var.pparray ? *var.pparray : nullptr) : var.parray;
  VARTYPE vt = VT_EMPTY;
  if (!psa || FAILED(SafeArrayGetVartype(psa, &vt))) return false;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(psa, &data))) return false;
  bool ok = true;
  const UINT size = SafeArrayGetElemsize(psa);
  for (std::size_t i = 0; i < out.size() && ok; ++i) {
    void* element = static_cast<char*>(data) + i * size;
    if (vt == VT_R8) {
      out[i] = *static_cast<double*>(element);
      continue;
    }
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = static_cast<VARTYPE>(vt | VT_BYREF);
    ref.byref = element;
    comlite::Variant d;
    ok = SUCCEEDED(VariantChangeType(&d, &ref, 0, VT_R8));
    if (ok) out[i] = d.dblVal;
  }
  SafeArrayUnaccessData(psa);
  return ok;
}

//! A new array of doubles holding `values`.
bool putDoubles(comlite::Variant& var, std::span<const double> values) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  if (!psa) return false;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(psa, &data))) {
    SafeArrayDestroy(psa);
    return false;
  }
  std::copy(values.begin(), values.end(), static_cast<double*>(data));
  SafeArrayUnaccessData(psa);
  VARIANT* v = var.out();
  v->vt = static_cast<VARTYPE>(VT_ARRAY | VT_R8);
  v->parray = psa;
  return true;
}

//! Whether a requested composition matches a remembered one, compound by compound.
bool compositionMatches(std::span<const double> request, const std::vector<double>& remembered,
                        std::size_t count) {
  if (request.size() < count || remembered.size() < count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const double r = request[i], m = remembered[i];
    if (r == 0.0) {
      if (m != 0.0) return false;  // also false for NaN
      continue;
    }
    const double difference = std::fabs(r - m) / std::max(r, m);
    if (!(difference <= kMatchTolerance)) return false;
  }
  return true;
}

}  // namespace

//! Name, basis and count of one property request.
struct CCOMOclient::Request {
  CQoBSTR name;
  CQoBSTR basis;
  LONG count = 1;
  //! A per-compound property by composition: the material holds count x count values, of
  //! which each compound's own (the diagonal) are the host's.
  bool matrix = false;
};

CCOMOclient::CCOMOclient() {
  m_slotToPhase.fill(kNoPhase);
  m_idToPhase.fill(kNoPhase);
}

CCOMOclient::~CCOMOclient() {
  m_package.reset();
  m_material.reset();
  m_phases.reset();
  m_compounds.reset();
  m_propertyRoutine.reset();
  m_equilibriumRoutine.reset();
}

void CCOMOclient::setPackage(IDispatch* package) {
  if (m_version == kVersion11) {
    comlite::ComPtr<IDispatch> pkg(package);
    auto phases = pkg.as<ICapeThermoPhases>();
    comlite::Variant labels, states, keys;
    LONG count = 0;
    if (phases) {
      comlite::check(phases->GetPhaseList(&labels, &states, &keys), ICapeThermoPhases::kIID);
      comlite::check(phases->GetNumPhases(&count), ICapeThermoPhases::kIID);
    }
    m_compounds = pkg.as<ICapeThermoCompounds>();
    m_propertyRoutine = pkg.as<ICapeThermoPropertyRoutine>();
    m_equilibriumRoutine = pkg.as<ICapeThermoEquilibriumRoutine>();
    m_phases = std::move(phases);
    m_phaseLabels = std::move(labels);
    m_statesOfAggregation = std::move(states);
    m_keyCompounds = std::move(keys);
    // The count is the package's word; the phases are those it lists.
    const auto listed = static_cast<LONG>(stringsOf(m_phaseLabels).size());
    m_numPhases = std::clamp<LONG>(count, 0, listed);
    m_package = std::move(pkg);
  }
  buildPhaseTable();
}

void CCOMOclient::buildPhaseTable() {
  const std::vector<CQoBSTR> labels = stringsOf(m_phaseLabels);
  const std::vector<CQoBSTR> states = stringsOf(m_statesOfAggregation);
  const std::vector<CQoBSTR> keys = stringsOf(m_keyCompounds);
  auto entry = [](const std::vector<CQoBSTR>& list, LONG i) {
    return static_cast<std::size_t>(i) < list.size() ? list[i] : CQoBSTR();
  };
  auto tableAt = [](std::array<LONG, kTableSize>& table, LONG at) -> LONG* {
    return at >= 0 && static_cast<std::size_t>(at) < table.size() ? &table[at] : nullptr;
  };

  m_liquidLabels.clear();
  m_solidLabels.clear();
  m_slotToPhase.fill(kNoPhase);
  m_idToPhase.fill(kNoPhase);
  m_phaseTable.clear();
  m_secondLiquidIndex = 0;
  m_extraSlots = 0;

  bool aqueousSeen = false;
  // Phases past the first of their slot (solids, a third liquid, a second vapour) take the
  // slots from 4 on, in package order, as far as the table reaches.
  LONG nextExtraSlot = kFirstExtraSlot;
  for (LONG i = 0; i < m_numPhases; ++i) {
    PhaseRecord record;
    record.label = entry(labels, i);
    record.keyCompound = entry(keys, i);
    LONG id = COIds::str2id(entry(states, i).get(), COIds::GroupPhase);
    if (id == COIds::PhaseLiquid) {
      m_liquidLabels.push_back(record.label);
      const std::size_t liquids = m_liquidLabels.size();
      if (liquids == 2) m_secondLiquidIndex = i;
      if (record.keyCompound.equals(kAqueousKey)) {
        id = COIds::PhaseAqueous;
        aqueousSeen = true;
      } else if (liquids >= 2 && !aqueousSeen) {
        id = COIds::PhaseLiquid2;
      }
    } else if (id == COIds::PhaseSolid) {
      m_solidLabels.push_back(record.label);
      record.fluid = false;
    }
    record.aqueous = aqueousSeen;
    record.phaseId = id;
    record.hostSlot = record.fluid ? COIds::COphaseId2offset(id) : -1;
    if (record.hostSlot == COIds::SlotOverall) {
      record.hostSlot = -1;  // a state the host has no phase for; told as it was met
    } else if (!record.fluid ||
               m_slotToPhase[static_cast<std::size_t>(record.hostSlot)] != kNoPhase) {
      const LONG slot = nextExtraSlot++;
      record.hostSlot = tableAt(m_slotToPhase, slot) ? slot : -1;
    }
    if (LONG* at = tableAt(m_slotToPhase, record.hostSlot)) *at = i;
    if (LONG* at = tableAt(m_idToPhase, id)) *at = i;
    m_phaseTable[i] = std::move(record);
  }
  m_extraSlots = nextExtraSlot - kFirstExtraSlot;

  PhaseRecord overall;
  overall.label = CQoBSTR(COIds::id2str(COIds::PhaseOverall));
  overall.keyCompound = CQoBSTR(COIds::id2str(COIds::DescUndefined));
  overall.phaseId = COIds::PhaseOverall;
  overall.hostSlot = COIds::COphaseId2offset(COIds::PhaseOverall);
  if (LONG* at = tableAt(m_slotToPhase, overall.hostSlot)) *at = m_numPhases;
  m_idToPhase[COIds::PhaseOverall] = m_numPhases;
  m_phaseTable[m_numPhases] = std::move(overall);
}

void CCOMOclient::attachMaterial(IUnknown* material) {
  if (m_version != kVersion11) return;
  if (!material) throw comlite::ComError(E_POINTER, ICapeThermoMaterial::kIID);
  comlite::ComPtr<ICapeThermoMaterial> thermo;
  const HRESULT hr = material->QueryInterface(ICapeThermoMaterial::kIID, thermo.putVoid());
  if (FAILED(hr)) {
    thermo.reset();
    if (hr != E_NOINTERFACE) throw comlite::ComError(hr, ICapeThermoMaterial::kIID);
  }
  comlite::ComPtr<ICapeThermoCompounds> compounds;
  comlite::check(material->QueryInterface(ICapeThermoCompounds::kIID, compounds.putVoid()),
                 ICapeThermoCompounds::kIID);
  LONG count = 0;
  comlite::check(compounds->GetNumCompounds(&count), ICapeThermoCompounds::kIID);
  m_material = std::move(thermo);
  m_numCompounds = std::max<LONG>(count, 0);
  m_remembered.clear();
}

LONG CCOMOclient::Ravl2CO(LONG hostPhaseType) {
  switch (hostPhaseType) {
    case 1:
      return COIds::PhaseOverall;
    case 3:
      return COIds::PhaseVapor;
    case 4:
      return COIds::PhaseLiquid;
    case 5:
      return COIds::PhaseAqueous;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
      return COIds::PhaseSolid;
    default:
      Utils::popUpStatus("Bad phase type", "CCOMOclient::Ravl2CO");
      return COIds::NoId;
  }
}

LONG CCOMOclient::hostPhaseTypeOfId(LONG phaseId) {
  switch (phaseId) {
    case COIds::PhaseOverall:
      return 1;
    case COIds::PhaseVapor:
      return 3;
    case COIds::PhaseLiquid:
    case COIds::PhaseLiquid2:
    case COIds::PhaseAqueous:
      return 4;
    default:
      // A success status would let the caller's guard report the failure as success.
      throw comlite::ComError(E_INVALIDARG);
  }
}

LONG CCOMOclient::phaseIndexFor(LONG phaseId, std::span<const double> composition) const {
  if (phaseId != COIds::PhaseSolid) return COIds::COphaseId2offset(phaseId);
  const auto count = static_cast<std::size_t>(m_numCompounds);
  for (const auto& [key, record] : m_remembered) {
    if (!record.set || record.values.empty()) continue;
    if (compositionMatches(composition, record.values, count)) return key;
  }
  // Without a flash to tell them apart, only a package's one solid phase is certain.
  LONG found = -1;
  for (const auto& [index, record] : m_phaseTable) {
    if (record.fluid || record.hostSlot < 0) continue;
    if (found != -1) return -1;
    found = record.hostSlot;
  }
  return found;
}

CQoBSTR CCOMOclient::phaseLabelOfSlot(LONG hostSlot) const {
  if (hostSlot < 0 || static_cast<std::size_t>(hostSlot) >= kTableSize) return {};
  return phaseLabelOfIndex(m_slotToPhase[hostSlot]);
}

BSTR CCOMOclient::phaseLabelTextOfSlot(LONG hostSlot) const {
  if (hostSlot < 0 || static_cast<std::size_t>(hostSlot) >= kTableSize) return nullptr;
  auto it = m_phaseTable.find(m_slotToPhase[hostSlot]);
  return it == m_phaseTable.end() ? nullptr : it->second.label.get();
}

CQoBSTR CCOMOclient::phaseLabelOfIndex(LONG packagePhaseIndex) const {
  auto it = m_phaseTable.find(packagePhaseIndex);
  return it == m_phaseTable.end() ? CQoBSTR() : it->second.label;
}

CQoBSTR CCOMOclient::phaseLabelOfId(LONG phaseId) const {
  if (phaseId < 0 || static_cast<std::size_t>(phaseId) >= kTableSize) return {};
  return phaseLabelOfIndex(m_idToPhase[phaseId]);
}

BSTR CCOMOclient::phaseLabelTextOfId(LONG phaseId) const {
  if (phaseId < 0 || static_cast<std::size_t>(phaseId) >= kTableSize) return nullptr;
  auto it = m_phaseTable.find(m_idToPhase[phaseId]);
  return it == m_phaseTable.end() ? nullptr : it->second.label.get();
}

LONG CCOMOclient::hostPhaseCount() const {
  return COIds::SlotOverall + m_extraSlots;
}

LONG CCOMOclient::hostPhaseTypeOfSlot(LONG hostSlot) const {
  if (hostSlot >= kFirstExtraSlot) {
    const auto record = static_cast<std::size_t>(hostSlot) < kTableSize
                            ? m_phaseTable.find(m_slotToPhase[hostSlot])
                            : m_phaseTable.end();
    if (record == m_phaseTable.end()) throw comlite::ComError(E_INVALIDARG);
    return record->second.fluid ? hostPhaseTypeOfId(record->second.phaseId) : kHostSolidType;
  }
  return hostPhaseTypeOfId(COIds::offset2COphaseId(hostSlot));
}

void CCOMOclient::rememberComposition(std::span<const double> composition, LONG key) {
  const std::size_t n = std::min(composition.size(), static_cast<std::size_t>(m_numCompounds));
  RememberedComposition& record = m_remembered[key];
  record.values.assign(composition.begin(), composition.begin() + static_cast<std::ptrdiff_t>(n));
  record.set = true;
}

bool CCOMOclient::describe(LONG propertyId, const OLECHAR* propertyName, LONG derivativeVariable,
                           Request& request) const {
  LONG base = propertyId;
  LONG variable = derivativeVariable;
  if (propertyId >= 1000) {
    // A value code: the thousands name the derivative.
    base = propertyId % 1000;
    variable = COIds::derivativeVariable(propertyId / 1000);
    if (variable < 0) return false;
  }
  if (propertyName && *propertyName)
    request.name = CQoBSTR(propertyName);
  else if (COIds::id2str(base))
    request.name = COIds::createDerivative(base, variable);
  if (request.name.empty()) return false;
  request.count = COIds::isCompoundVector(base, variable) ? m_numCompounds : 1;
  request.matrix = COIds::isCompoundVector(base, COIds::DerivNone) &&
                   (variable == COIds::DerivMolFraction || variable == COIds::DerivMoles);
  request.basis =
      COIds::isBasisDependent(base) ? CQoBSTR(COIds::id2str(COIds::BasisMole)) : CQoBSTR();
  return true;
}

bool CCOMOclient::twoPhaseLabels(LONG twoPhaseId, comlite::Variant& labels) const {
  comlite::Variant generic;
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 2);
  if (!psa) return false;
  generic.vt = static_cast<VARTYPE>(VT_ARRAY | VT_BSTR);
  generic.parray = psa;
  if (!COIds::splitTwoPhase(COIds::id2str(twoPhaseId), generic)) return false;
  const std::vector<CQoBSTR> kinds = stringsOf(generic);
  for (LONG k = 0; k < 2; ++k) {
    // The package's own label of each kind: "Liquid2" also finds an aqueous second liquid.
    const LONG id = COIds::str2id(kinds[k].get(), COIds::GroupPhase);
    const CQoBSTR label = phaseLabelOfSlot(COIds::COphaseId2offset(id));
    if (label.empty() || FAILED(SafeArrayPutElement(psa, &k, label.get()))) return false;
  }
  labels = std::move(generic);
  return true;
}

HRESULT CCOMOclient::getProp(LONG propertyId, LONG phaseSelector, std::span<double> values,
                             const OLECHAR* phaseLabel, const OLECHAR* propertyName,
                             LONG derivativeVariable) {
  try {
    Request request;
    if (!describe(propertyId, propertyName, derivativeVariable, request)) return E_FAIL;
    const auto expected = static_cast<std::size_t>(std::max<LONG>(request.count, 0));
    if (values.size() < expected) return E_INVALIDARG;
    VariantClear(&m_singleValue);
    VariantClear(&m_vectorValue);
    comlite::Variant& results = request.count == 1 ? m_singleValue : m_vectorValue;
    if (!m_material) return E_FAIL;

    HRESULT hr = S_OK;
    if (phaseSelector == COIds::PhaseOverall) {
      hr = m_material->GetOverallProp(request.name.get(), request.basis.get(), &results);
    } else if (phaseSelector == COIds::PhaseVaporLiquid ||
               phaseSelector == COIds::PhaseLiquidLiquid) {
      comlite::Variant labels;
      if (!twoPhaseLabels(phaseSelector, labels)) return E_FAIL;
      hr = m_material->GetTwoPhaseProp(request.name.get(), labels, request.basis.get(), &results);
    } else {
      const CQoBSTR label =
          phaseSelector == 0 ? CQoBSTR(phaseLabel) : phaseLabelOfId(phaseSelector);
      if (label.empty()) return E_FAIL;
      hr = m_material->GetSinglePhaseProp(request.name.get(), label.get(), request.basis.get(),
                                          &results);
    }
    comlite::check(hr, ICapeThermoMaterial::kIID);

    const LONG received = valueCount(results);
    const LONG held = request.matrix ? request.count * request.count : request.count;
    if (received != held) {
      char text[Utils::kMessageBufferSize];
      std::snprintf(text, sizeof text,
                    "Material Object's value for property '%s' has %d elements when the number "
                    "of components is actually %d",
                    request.name.narrow().c_str(), static_cast<int>(received),
                    static_cast<int>(request.count));
      return Utils::popUpStatus(text, "CCOMOclient::getProp");
    }
    if (request.matrix) {
      m_matrix.resize(static_cast<std::size_t>(held));
      if (!readDoubles(results, m_matrix)) return E_FAIL;
      for (std::size_t i = 0; i < expected; ++i) values[i] = m_matrix[i * expected + i];
    } else if (!readDoubles(results, values.first(expected))) {
      return E_FAIL;
    }
    return hr;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CCOMOclient::getPropOfSlot(LONG propertyId, LONG hostSlot, std::span<double> values) {
  const CQoBSTR label = phaseLabelOfSlot(hostSlot);
  if (label.empty()) return E_FAIL;
  return getProp(propertyId, 0, values, label.get());
}

HRESULT CCOMOclient::setProp(LONG propertyId, LONG phaseSelector, std::span<const double> values,
                             const OLECHAR* phaseLabel, const OLECHAR* propertyName,
                             LONG derivativeVariable) {
  try {
    Request request;
    if (!describe(propertyId, propertyName, derivativeVariable, request)) return E_FAIL;
    const auto expected = static_cast<std::size_t>(std::max<LONG>(request.count, 0));
    if (values.size() < expected) return E_INVALIDARG;
    comlite::Variant& buffer = request.count == 1 ? m_singleValue : m_vectorValue;
    if (!putDoubles(buffer, values.first(expected))) return E_FAIL;
    if (!m_material) return E_FAIL;

    HRESULT hr = S_OK;
    if (phaseSelector == COIds::PhaseOverall) {
      hr = m_material->SetOverallProp(request.name.get(), request.basis.get(), buffer);
    } else if (phaseSelector == COIds::PhaseVaporLiquid ||
               phaseSelector == COIds::PhaseLiquidLiquid) {
      comlite::Variant labels;
      if (!twoPhaseLabels(phaseSelector, labels)) return E_FAIL;
      hr = m_material->SetTwoPhaseProp(request.name.get(), labels, request.basis.get(), buffer);
    } else {
      CQoBSTR label;
      if (phaseSelector == 0) {
        label = CQoBSTR(phaseLabel);
      } else if (phaseSelector == COIds::PhaseSolid && propertyId == COIds::PropFraction) {
        // The solid phase whose remembered composition these fractions match.
        label = phaseLabelOfSlot(phaseIndexFor(COIds::PhaseSolid, values));
        if (label.empty()) label = phaseLabelOfId(COIds::PhaseSolid);
      } else {
        label = phaseLabelOfId(phaseSelector);
      }
      if (label.empty()) return E_FAIL;
      hr = m_material->SetSinglePhaseProp(request.name.get(), label.get(), request.basis.get(),
                                          buffer);
    }
    return comlite::check(hr, ICapeThermoMaterial::kIID);
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT CCOMOclient::setPropOfSlot(LONG propertyId, LONG hostSlot, std::span<const double> values) {
  const CQoBSTR label = phaseLabelOfSlot(hostSlot);
  if (label.empty()) return E_FAIL;
  return setProp(propertyId, 0, values, label.get());
}
