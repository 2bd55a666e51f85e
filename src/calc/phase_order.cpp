#include "calc/phase_order.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <vector>

#include "base/message_output.h"
#include "base/thcom_error.h"
#include "calc/material_client.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "reporter/co_error.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/host_property_ids.h"

namespace coravl::calc {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";

//! Placement of a phase: only the first two places take a newcomer.
constexpr LONG kLastInsertionPosition = 1;
//! Standard atmosphere [Pa] and the gas constant [L atm/(mol K)] of the Z estimate.
constexpr double kAtmosphere_Pa = 101325.0;
constexpr double kGasConstant_LatmPerMolK = 0.082;
//! Z from which a phase may be a vapour, and from which a light one may stay as it is.
constexpr double kVapourZ = 0.25;
constexpr double kGasZ = 0.75;
//! kappa P from which a phase behaves like a vapour (an ideal gas has 1).
constexpr double kVapourKappaP = 0.6;
//! Specific volume [m3/kg] below which a phase is dense.
constexpr double kDenseSpecificVolume = 0.002;
//! The state at which the host's compounds are asked for their constants [K], [kPa].
constexpr double kReferenceT_K = 273.15;
constexpr double kReferenceP_kPa = 101.325;
//! Compounds boiling at this temperature [C] or below are light.
constexpr double kLightBoilingPoint_C = 230.0;
//! The relative pressure step of the finite-difference slope.
constexpr double kPressureStep = 1.001;
//! The marker of a slope the package could not give, and the magnitude beyond which a slope is
//! taken as not given.
constexpr double kNoSlope = -1.0;
constexpr double kSlopeLimit = 1e40;
//! A vapour fraction of this value marks a vapour the flash did not find.
constexpr double kAbsentVapourFraction = 1e-30;
//! kappa of exactly 1 leaves the types alone.
constexpr double kUntypedKappa = 1.0;

//! One phase being ordered.
struct Entry {
  comlite::ComPtr<IBasicPhase> phase;
  double key = -1.0;  //!< molar volume [m3/kmol]
  LONG type = 0;
};

//! The host phase interface of `object`; a missing object or interface raises.
comlite::ComPtr<IBasicPhase> basicPhase(IDispatch* object) {
  if (!object) throw comlite::ComError(E_POINTER, IBasicPhase::kIID);
  comlite::ComPtr<IBasicPhase> phase;
  const HRESULT hr = object->QueryInterface(IBasicPhase::kIID, phase.putVoid());
  if (FAILED(hr) && hr != E_NOINTERFACE) throw comlite::ComError(hr, IBasicPhase::kIID);
  if (!phase) throw comlite::ComError(E_POINTER, IBasicPhase::kIID);
  return phase;
}

template <class T>
comlite::ComPtr<T> required(IDispatch* object) {
  if (!object) throw comlite::ComError(E_POINTER, T::kIID);
  comlite::ComPtr<T> out;
  const HRESULT hr = object->QueryInterface(T::kIID, out.putVoid());
  if (FAILED(hr) && hr != E_NOINTERFACE) throw comlite::ComError(hr, T::kIID);
  if (!out) throw comlite::ComError(E_POINTER, T::kIID);
  return out;
}

//! The `index`-th phase of the collection whose kind (type code, or 1 for the overall phase) is
//! `kind`; null when there is none. A failing call raises.
comlite::ComPtr<IDispatch> phaseOfKind(IPhaseCollection* collection, LONG kind, LONG index) {
  comlite::ComPtr<IDispatch> phase;
  VARIANT_BOOL found = VARIANT_FALSE;
  thcheck(collection->GetPhaseOfKind(kind, index, phase.put(), &found));
  if (found == VARIANT_FALSE) phase.reset();
  return phase;
}

void resetFloatingPoint() {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::fesetenv(FE_DFL_ENV);
}

comlite::Bstr firstLabel(const VARIANT& labels) {
  BSTR s = nullptr;
  LONG first = 0;
  if (vtIsArray(labels.vt) && labels.parray) SafeArrayGetElement(labels.parray, &first, &s);
  return comlite::Bstr::attach(s);
}

//! The steps after the phases are in place, on the first phase as a property request holds it.
class LightestPhaseCheck {
 public:
  LightestPhaseCheck(CalculationState& state, const CalculationLinks& links,
                     const PhaseOrderLinks& order)
      : m_state(state), m_links(links), m_order(order), m_request(state, links) {}

  //! Re-reads the first phase's state (temperature, pressure, composition) as a request does.
  HRESULT readFirstPhase(IBasicPhase* phase, LONG type) {
    m_state.hostPhaseType = type;
    m_request.holdPhase(0, phase, type);
    return m_request.validate(0);
  }

  //! The first phase's sub-list, as the re-reading found it.
  const std::vector<LONG>& mapping() const { return m_request.mapping(); }
  LONG listCount() const { return m_request.listCount(); }

  //! dV/dP of the first phase [m3/kmol/kPa] at the state read, for its molar volume V0
  //! [m3/kmol]: from the package's pressure derivative when it has one and gives it, else by
  //! a finite difference over a 0.1 % pressure step.
  HRESULT volumeSlope(double V0, double& dVdP) {
    dVdP = kNoSlope;
    if (!m_order.pressureDerivative.empty()) {
      const HRESULT hr = packageSlope(V0, dVdP);
      if (FAILED(hr)) return hr;
    }
    if (dVdP != kNoSlope) return S_OK;
    const double P = m_state.pressure;
    double V = 0.0;
    const HRESULT hr = volumeAt(P * kPressureStep, V);
    if (FAILED(hr)) return hr;
    // The step is the double nearest 1.001 less one, not 0.001.
    dVdP = (V * 1000.0 - V0) / ((P * (kPressureStep - 1.0)) / 1000.0);
    return S_OK;
  }

 private:
  //! The material at the first phase's kind, temperature and composition, at `P_Pa`.
  HRESULT prepareAt(double P_Pa) {
    const double P = m_state.pressure;
    m_state.pressure = P_Pa;
    const HRESULT hr = m_request.prepareMaterial(0);
    m_state.pressure = P;
    return FAILED(hr) ? Utils::popUpStatus(hr, kUnexpected) : S_OK;
  }

  //! Lets the package calculate the current record's property for the first phase. RETURNS:
  //! the package's status.
  HRESULT calculateCurrent(const calc::RegisteredProperty& record) {
    m_state.current = &record;
    m_request.buildRequestLists();
    comlite::Bstr label = firstLabel(m_state.phaseLabels);
    comlite::Bstr mixture(COIds::id2cstr(COIds::CalcMixture));
    const HRESULT hr =
        m_links.matObj->CalcSinglePhaseProps(m_state.propertyNames, label.get(), mixture.get());
    if (FAILED(hr)) resetFloatingPoint();
    return hr;
  }

  //! The package's own derivative, in host units; kNoSlope when it gives none.
  HRESULT packageSlope(double V0, double& dVdP) {
    HRESULT hr = prepareAt(m_state.pressure);
    if (FAILED(hr)) return hr;
    // "compressibility" is -(dV/dP)/V [1/Pa]; "volume.Dpressure" is dV/dP [m3/mol/Pa].
    const bool compressibility =
        m_order.pressureDerivative == COIds::id2cstr(COIds::PropCompressibility);
    calc::RegisteredProperty record;
    record.coId = compressibility ? COIds::PropCompressibility : COIds::PropVolume;
    record.hostId = m_order.molarVolumeId;
    record.names[0] = m_order.pressureDerivative;
    record.supported = true;
    const LONG code = compressibility
                          ? COIds::PropCompressibility
                          : COIds::derivativeCode(COIds::PropVolume, COIds::DerivPressure);
    hr = calculateCurrent(record);
    std::vector<double> value(static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 1)),
                              0.0);
    if (SUCCEEDED(hr)) hr = readCode(code, value);
    m_state.current = nullptr;
    // A slope the package does not give is taken by the finite difference.
    if (FAILED(hr)) return S_OK;
    // To m3/kmol/kPa, or to 1/kPa.
    const double result = value[0] * (compressibility ? 1e3 : 1e6);
    if (!(result >= -kSlopeLimit && result <= kSlopeLimit)) return S_OK;
    dVdP = compressibility ? -V0 * result : result;
    return S_OK;
  }

  //! The first phase's molar volume [m3/mol] at `P_Pa`, through the record that serves the
  //! host's "MolarVolume" (the volume itself, or the density).
  HRESULT volumeAt(double P_Pa, double& V) {
    CalculationMode mode = CalculationMode::Direct;
    const calc::RegisteredProperty* record = m_request.chooseRecord(m_order.molarVolumeId, mode);
    if (!record) return E_FAIL;
    HRESULT hr = prepareAt(P_Pa);
    if (FAILED(hr)) return hr;
    calculateCurrent(*record);  // a failure shows in the read, which reports it
    std::vector<double> value(static_cast<std::size_t>(std::max<LONG>(m_links.compoundCount, 1)),
                              0.0);
    hr = m_request.readSlot(0, value);
    m_state.current = nullptr;
    if (FAILED(hr)) return hr;
    V = mode == CalculationMode::MolarVolumeFromDensity ? 1.0 / value[0] : value[0];
    return S_OK;
  }

  //! Reads the value of `code` for the first phase.
  HRESULT readCode(LONG code, std::span<double> values) {
    if (m_state.phaseLabelIndex == COIds::PhaseSolid)
      return m_links.materialClient->getPropOfSlot(code, m_request.hostSlot(), values);
    return m_links.matObj->GetValue(m_state.phaseLabelIndex, code, values.data());
  }

  CalculationState& m_state;
  const CalculationLinks& m_links;
  const PhaseOrderLinks& m_order;
  PropertyRequest m_request;
};

//! Puts the first `count` phases of `collection` in descending order of molar volume.
HRESULT placeByMolarVolume(IPhaseCollection* collection, LONG count, const PhaseOrderLinks& order,
                           std::array<Entry, kOrderedPhaseCount>& entries) {
  comlite::ComPtr<IRvlPhaseMove> mover;
  std::array<double, kOrderedPhaseCount> keys{};
  for (LONG i = 0; i < count; ++i) {
    comlite::ComPtr<IDispatch> object;
    thcheck(collection->GetPhase(i, object.put()));
    Entry entry;
    entry.phase = basicPhase(object.get());
    // A phase without its molar volume cannot be placed; the request has reported why.
    if (!order.calculateMolarVolume) return E_FAIL;
    const HRESULT hr = order.calculateMolarVolume(entry.phase.get());
    if (FAILED(hr)) return hr;
    thcheck(entry.phase->get_LastValue(&entry.key));

    const auto at = static_cast<std::size_t>(i);
    const LONG j = insertionPosition(std::span<const double>(keys).first(at), entry.key);
    if (j < 0) {
      keys[at] = entry.key;
      entries[at] = std::move(entry);
      continue;
    }
    for (auto k = at; k > static_cast<std::size_t>(j); --k) {
      keys[k] = keys[k - 1];
      entries[k] = std::move(entries[k - 1]);
    }
    keys[static_cast<std::size_t>(j)] = entry.key;
    entries[static_cast<std::size_t>(j)] = std::move(entry);
    if (!mover) mover = required<IRvlPhaseMove>(collection);
    const HRESULT moved = mover->MovePhase(j, i);
    if (FAILED(moved)) return Utils::popUpStatus(moved, kUnexpected);
  }
  return S_OK;
}

//! Mole fraction of light and heavy compounds and the molecular weight of `x` [kg/kmol], from
//! the host's compounds.
struct MakeUp {
  double molecularWeight = 0.0;
  double light = 0.0;
  double heavy = 0.0;
};

//! `x` holds one mole fraction per fluid-package compound; `mapping` and `listCount` are the
//! phase's sub-list (position j of its list is fluid-package compound mapping[j]). A host may
//! list a phase's compounds as the fluid package or as the phase's own list: the compound of a
//! fluid-package position is looked up in whichever the list's length says it is. Compounds
//! outside the phase's list are absent and asked nothing.
MakeUp compoundMakeUp(IRvlCompoundList* compounds, std::span<const double> x,
                      const std::vector<LONG>& mapping, LONG listCount) {
  MakeUp out;
  LONG items = 0;
  thcheck(compounds->get_Count(&items));
  const auto fluid = static_cast<LONG>(x.size());
  for (LONG k = 0; k < fluid; ++k) {
    const double xk = x[static_cast<std::size_t>(k)];
    if (xk == 0.0 || xk == ravelin::kNoValue) continue;
    LONG item = k;
    if (items != fluid) {
      const auto at = std::find(mapping.begin(), mapping.end(), k);
      item = at != mapping.end() ? static_cast<LONG>(at - mapping.begin())
             : mapping.empty()   ? k
                                 : -1;
      // A list of neither length cannot be read by position.
      if (items != listCount || item < 0 || item >= items) CTHCOMError::raise(E_INVALIDARG);
    }
    comlite::ComPtr<IDispatch> entry;
    thcheck(compounds->get_Item(item, entry.put()));
    auto compound = required<IRvlCompound>(entry.get());
    double Tb = 0.0, M = 0.0;
    thcheck(compound->GetNormalBoilingPoint(kReferenceT_K, kReferenceP_kPa, &Tb));
    thcheck(compound->GetMolecularWeight(kReferenceT_K, kReferenceP_kPa, &M));
    out.molecularWeight += xk * M;
    (Tb - kReferenceT_K <= kLightBoilingPoint_C ? out.light : out.heavy) += xk;
  }
  return out;
}

//! Gives the lightest of one or two phases the type it behaves as. The phase that the host
//! built as its vapour phase and that now has that type gets the lightest phase's former type.
void typeLightestPhase(IPhaseCollection* collection, LONG n, IBasicPhase* overall, Entry& first,
                       LONG wanted) {
  const LONG former = first.type;
  if (wanted == 0 || wanted == former) return;
  thcheck(first.phase->put_PhaseType(wanted));
  first.type = wanted;
  double fraction = 0.0;
  if (wanted == ravelin::kPhaseVapour) thcheck(first.phase->get_PhaseFraction(&fraction));
  thcheck(overall->put_PhaseFraction(fraction));
  for (LONG j = 0; j < n; ++j) {
    comlite::ComPtr<IDispatch> object;
    VARIANT_BOOL found = VARIANT_FALSE;
    const HRESULT hr = collection->GetPhaseOfKind(wanted, j, object.put(), &found);
    if (FAILED(hr) || found == VARIANT_FALSE || !object) break;
    auto phase = basicPhase(object.get());
    // The lightest phase itself keeps what it was just given.
    if (comlite::sameObject(phase.get(), first.phase.get())) continue;
    LONG nominal = 0;
    thcheck(phase->get_NominalType(&nominal));
    if (nominal == ravelin::kPhaseVapour) thcheck(phase->put_PhaseType(former));
  }
}

//! Merges the first phase into the second: fractions add up, the composition is their
//! fraction-weighted mean and the first phase is no longer present.
HRESULT mergeFirstIntoSecond(CalculationState& state, IBasicPhase* overall, Entry& first,
                             Entry& second, IRealArrayDisp* compositionArray) {
  double f0 = 0.0, f1 = 0.0;
  thcheck(first.phase->get_PhaseFraction(&f0));
  thcheck(second.phase->get_PhaseFraction(&f1));
  // The host's phases hold one entry per fluid-package compound, as the first one was read;
  // the package may have more compounds.
  const std::size_t size = state.compositions[0].size();
  const auto N = static_cast<LONG>(size);
  auto& x1 = state.compositions[1];
  x1.assign(size, 0.0);
  HRESULT hr = CRVLUtils::getPhaseRealArray(second.phase.get(), x1.data(), N);
  if (FAILED(hr)) return hr;
  const double total = f0 + f1;
  if (total != 0.0) {
    const auto& x0 = state.compositions[0];
    for (std::size_t k = 0; k < size; ++k) {
      // A compound outside a phase's list is absent from it.
      const double a = x1[k] == ravelin::kNoValue ? 0.0 : x1[k];
      const double b = k < x0.size() && x0[k] != ravelin::kNoValue ? x0[k] : 0.0;
      x1[k] = (f1 * a + f0 * b) / total;
    }
    hr = CRVLUtils::setRealArray(compositionArray, x1.data(), N);
    if (FAILED(hr)) return hr;
    thcheck(second.phase->put_Composition(compositionArray));
  }
  thcheck(first.phase->put_Status(ravelin::kPhaseStatusAbsent));
  thcheck(first.phase->put_PhaseFraction(0.0));
  thcheck(second.phase->put_PhaseFraction(total));
  thcheck(overall->put_PhaseFraction(0.0));
  return S_OK;
}

}  // namespace

LONG insertionPosition(std::span<const double> keys, double key) {
  const auto last = std::min<std::size_t>(keys.size(), kLastInsertionPosition + 1);
  for (std::size_t j = 0; j < last; ++j)
    if (keys[j] < key) return static_cast<LONG>(j);
  return -1;
}

double orderingCompressibilityFactor(double P_Pa, double V_m3kmol, double T_K) {
  return (P_Pa / kAtmosphere_Pa) * V_m3kmol / (T_K * kGasConstant_LatmPerMolK);
}

LONG wantedLightestPhaseType(const LightestPhase& phase) {
  if (phase.Z >= kVapourZ && phase.kappa >= kVapourKappaP / (phase.P_Pa / 1000.0))
    return ravelin::kPhaseVapour;
  if (phase.Z >= kGasZ && phase.lightFraction >= phase.heavyFraction &&
      phase.specificVolume >= kDenseSpecificVolume)
    return 0;
  return ravelin::kPhaseLiquid;
}

HRESULT orderPhases(IDispatch* collectionObject, CalculationState& state,
                    const CalculationLinks& links, const PhaseOrderLinks& order) {
  if (!collectionObject) return S_OK;
  comlite::ComPtr<IPhaseCollection> collection;
  HRESULT hr = collectionObject->QueryInterface(IPhaseCollection::kIID, collection.putVoid());
  if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !collection)) return S_OK;
  if (FAILED(hr)) throw comlite::ComError(hr, IPhaseCollection::kIID);

  auto overall = basicPhase(phaseOfKind(collection.get(), ravelin::kPhaseOverall, 0).get());
  double overallP = 0.0;
  thcheck(overall->get_Pressure(&overallP));
  state.pressure = overallP * 1000.0;
  LONG n = 0;
  thcheck(collection->get_NumbOfPhases(&n));
  if (n < 1) return S_OK;
  const LONG count = std::min(n, kOrderedPhaseCount);

  std::array<Entry, kOrderedPhaseCount> entries;
  hr = placeByMolarVolume(collection.get(), count, order, entries);
  if (FAILED(hr)) return hr;

  LightestPhaseCheck check(state, links, order);
  comlite::ComPtr<IRvlCompoundList> compounds;
  for (LONG i = 0; i < count; ++i) {
    Entry& entry = entries[static_cast<std::size_t>(i)];
    if (!entry.phase) break;
    LONG type = 0;
    thcheck(entry.phase->get_PhaseType(&type));
    if (type == ravelin::kPhaseVapour) {
      // One vapour only: the lighter one.
      if (i > 0) {
        thcheck(entry.phase->put_PhaseType(ravelin::kPhaseLiquid));
        thcheck(overall->put_PhaseFraction(0.0));
        type = ravelin::kPhaseLiquid;
      }
      double fraction = 0.0;
      thcheck(entry.phase->get_PhaseFraction(&fraction));
      if (fraction == kAbsentVapourFraction) thcheck(overall->put_PhaseFraction(0.0));
    }
    entry.type = type;
    if (i == 0) {
      comlite::ComPtr<IDispatch> list;
      thcheck(entry.phase->get_Compounds(list.put()));
      compounds = required<IRvlCompoundList>(list.get());
      hr = check.readFirstPhase(entry.phase.get(), type);
      if (FAILED(hr)) return hr;
    }
  }

  Entry& first = entries[0];
  const double V0 = first.key;
  double dVdP = 0.0;
  hr = check.volumeSlope(V0, dVdP);
  if (FAILED(hr)) return hr;
  const double kappa = -dVdP / V0;

  const MakeUp makeUp =
      compoundMakeUp(compounds.get(), state.compositions[0], check.mapping(), check.listCount());
  if (V0 == 0.0 || makeUp.molecularWeight == 0.0)
    links.reporter->complainByKind(kNoSpecificVolumeText, ComplaintKind::InternalError, false);
  const double specificVolume = V0 / makeUp.molecularWeight;

  if (n < kOrderedPhaseCount) {
    if (kappa == kUntypedKappa) return S_OK;
    LightestPhase lightest;
    lightest.Z = orderingCompressibilityFactor(state.pressure, V0, state.temperature);
    lightest.kappa = kappa;
    lightest.P_Pa = state.pressure;
    lightest.lightFraction = makeUp.light;
    lightest.heavyFraction = makeUp.heavy;
    lightest.specificVolume = specificVolume;
    typeLightestPhase(collection.get(), n, overall.get(), first, wantedLightestPhaseType(lightest));
    return S_OK;
  }
  if (first.type == ravelin::kPhaseVapour && specificVolume < kDenseSpecificVolume)
    return mergeFirstIntoSecond(state, overall.get(), first, entries[1], order.compositionArray);
  return S_OK;
}

}  // namespace coravl::calc
