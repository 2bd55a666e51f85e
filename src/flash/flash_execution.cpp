#include "flash/flash_execution.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <span>
#include <string>
#include <utility>

#include "base/name_compare.h"
#include "base/set_get.h"
#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_support.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "outside/ravelin_registry.h"
#include "reporter/co_error.h"
#include "reporter/method_guard.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

namespace coravl::flash {

namespace {

using comlite::ComPtr;

//! What the package was doing when its equilibrium failed.
constexpr const char* kEquilibriumText = "calculating an equilibrium (CalcEquilibrium)";
//! Fraction of a slot that holds no result.
constexpr double kAbsentFraction = -1.0;
//! Kind of the overall phase in the collection's lookup by kind.
constexpr LONG kOverallKind = ravelin::kPhaseOverall;

//! The interface T of an object. A null object, or one without T, raises a COM error
//! (E_POINTER), as does any other failure of the query (its status).
template <class T>
ComPtr<T> requiredInterface(IUnknown* object) {
  if (!object) throw comlite::ComError(E_POINTER, T::kIID);
  ComPtr<T> p;
  const HRESULT hr = object->QueryInterface(T::kIID, p.putVoid());
  if (FAILED(hr) && hr != E_NOINTERFACE) throw comlite::ComError(hr, T::kIID);
  if (!p) throw comlite::ComError(E_POINTER, T::kIID);
  return p;
}

//! A CAPE-OPEN interface the flash cannot go without; null raises a COM error of it.
template <class T>
T* required(T* p) {
  if (!p) throw comlite::ComError(E_POINTER, T::kIID);
  return p;
}

//! The string at `index` of a 1-D list of strings (or of variants holding strings), without a
//! copy; nullptr when there is none.
BSTR peekString(const VARIANT& list, LONG index) {
  void* at = nullptr;
  if (!list.parray || FAILED(SafeArrayPtrOfIndex(list.parray, &index, &at)) || !at) return nullptr;
  if (list.vt == (VT_ARRAY | VT_BSTR)) return *static_cast<BSTR*>(at);
  if (list.vt == (VT_ARRAY | VT_VARIANT)) {
    const auto* item = static_cast<const VARIANT*>(at);
    return item->vt == VT_BSTR ? item->bstrVal : nullptr;
  }
  return nullptr;
}

//! Bounds of a 1-D list; false for anything else.
bool listBounds(const VARIANT& list, LONG& lower, LONG& upper) {
  if ((list.vt & VT_ARRAY) == 0 || !list.parray || SafeArrayGetDim(list.parray) != 1) return false;
  return SUCCEEDED(SafeArrayGetLBound(list.parray, 1, &lower)) &&
         SUCCEEDED(SafeArrayGetUBound(list.parray, 1, &upper));
}

std::u16string_view viewOf(BSTR s) {
  return s ? std::u16string_view(s, SysStringLen(s)) : std::u16string_view();
}

bool sameText(BSTR a, BSTR b) {
  const auto va = viewOf(a), vb = viewOf(b);
  return va.size() == vb.size() && va == vb;
}

//! True when the 1-D list of strings holds `label` (names compared as names).
bool listHolds(const VARIANT& list, BSTR label) {
  LONG lower = 0, upper = -1;
  if (!listBounds(list, lower, upper)) return false;
  for (LONG i = lower; i <= upper; ++i)
    if (Utils::namesEqual(viewOf(peekString(list, i)), viewOf(label))) return true;
  return false;
}

//! Makes `list` the 1-D list of `labels` and `status` as many zero longs, keeping both when
//! `list` already holds exactly these strings.
void keepPresentPhases(comlite::Variant& list, comlite::Variant& status,
                       std::span<const BSTR> labels) {
  LONG lower = 0, upper = -1;
  bool same = list.vt == (VT_ARRAY | VT_BSTR) && status.vt == (VT_ARRAY | VT_I4) &&
              listBounds(list, lower, upper) && lower == 0 &&
              static_cast<std::size_t>(upper + 1) == labels.size();
  for (std::size_t i = 0; same && i < labels.size(); ++i)
    same = sameText(peekString(list, static_cast<LONG>(i)), labels[i]);
  if (same) return;
  comlite::Variant fresh, zeros;
  const auto n = static_cast<ULONG>(labels.size());
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, n);
  if (!psa) throw comlite::ComError(E_OUTOFMEMORY, ICapeThermoMaterial::kIID);
  fresh.vt = VT_ARRAY | VT_BSTR;
  fresh.parray = psa;
  for (LONG i = 0; i < static_cast<LONG>(n); ++i)
    comlite::check(SafeArrayPutElement(psa, &i, labels[static_cast<std::size_t>(i)]),
                   ICapeThermoMaterial::kIID);
  SAFEARRAY* zero = SafeArrayCreateVector(VT_I4, 0, n);
  if (!zero) throw comlite::ComError(E_OUTOFMEMORY, ICapeThermoMaterial::kIID);
  zeros.vt = VT_ARRAY | VT_I4;
  zeros.parray = zero;
  std::swap(static_cast<VARIANT&>(list), static_cast<VARIANT&>(fresh));
  std::swap(static_cast<VARIANT&>(status), static_cast<VARIANT&>(zeros));
}

//! How far the package's fractions may stray from [0, 1], and their sums from 1.
constexpr double kRangeTolerance = 1e-10;
constexpr double kSumTolerance = 1e-6;
constexpr const char* kUnfeasibleResultText =
    "The CAPE-OPEN package returned unfeasible phase fractions or compositions. Phase: ";

constexpr const char* kNoPropertyIdText =
    "Executing flash. The simulator has given no id for property '";

bool withinUnitInterval(double v) {
  return v >= -kRangeTolerance && v <= 1.0 + kRangeTolerance;  // false for NaN
}

//! A phase fraction and a composition the host may take: finite, within [0, 1] (rounding
//! noise at the ends is clipped), the composition summing to 1.
bool feasibleResult(double& fraction, std::vector<double>& composition) {
  if (!withinUnitInterval(fraction)) return false;
  fraction = std::clamp(fraction, 0.0, 1.0);
  double sum = 0.0;
  for (double& x : composition) {
    if (!withinUnitInterval(x)) return false;
    x = std::clamp(x, 0.0, 1.0);
    sum += x;
  }
  return std::fabs(sum - 1.0) <= kSumTolerance;
}

//! One run of Execute: the host's objects it holds (released when the run ends) and what it
//! reads from them.
class FlashRun {
 public:
  FlashRun(const FlashLinks& links, FlashState& state, FlashRecord& record, CCOError& reporter,
           MethodGuard& guard)
      : m_links(links),
        m_state(state),
        m_record(record),
        m_reporter(reporter),
        m_guard(guard),
        m_scratch(record.scratch && !record.scratch->inUse ? *record.scratch : m_ownScratch),
        m_phases(m_scratch.phases),
        m_feed(m_scratch.feed),
        m_order(m_scratch.order) {
    // What the previous flash left is no part of this one: only the storage is kept.
    m_scratch.inUse = true;
    m_phases.clear();
    m_feed.clear();
    m_order.clear();
  }
  //! Lets go of the host's phases; the storage stays for the next flash.
  ~FlashRun() {
    m_phases.clear();
    m_scratch.inUse = false;
  }
  FlashRun(const FlashRun&) = delete;
  FlashRun& operator=(const FlashRun&) = delete;

  //! Everything from the host's objects to the support check; then the flash itself.
  HRESULT execute(LONG hostFlashType, IDispatch* phaseCollection, IDispatch* thermoProperty,
                  const FlashCheckInputs& support);

 private:
  HRESULT core(const CCORVLflash& flash);
  //! A flash that failed after the collection was touched leaves no phase present.
  void markNonePresent() noexcept;
  //! The value of one specification property from the overall phase, in CAPE-OPEN units.
  //! RETURNS: S_OK; E_FAIL when the host holds no such value; the answer to an unfeasible one.
  HRESULT specificationValue(LONG property, const std::string& context, double& value);
  //! The feed on the material: the state for a TP flash, else the two specifications and the
  //! composition.
  void putFeed(const CCORVLflash& flash, const double (&values)[2]);
  //! Reads phaseFraction or fraction of a slot's phase from the material.
  HRESULT readSlot(LONG propertyId, LONG slot, std::span<double> values);
  //! Copies a package-ordered composition into the host's order and hands it to a phase.
  void putComposition(IBasicPhase* phase, const std::vector<double>& composition);

  const FlashLinks& m_links;
  FlashState& m_state;
  FlashRecord& m_record;
  CCOError& m_reporter;
  MethodGuard& m_guard;

  FlashScratch m_ownScratch;
  FlashScratch& m_scratch;
  ComPtr<IPhaseCollection> m_collection;
  ComPtr<IBasicPhase> m_overall;
  //! The collection's phase objects, once the flash has marked them absent.
  std::vector<ComPtr<IBasicPhase>>& m_phases;
  ComPtr<IRealArrayDisp> m_feedArray;
  //! The feed in the host's order.
  std::vector<double>& m_feed;
  //! Package index of each host compound.
  std::vector<LONG>& m_order;
};

HRESULT FlashRun::execute(LONG hostFlashType, IDispatch* phaseCollection, IDispatch* thermoProperty,
                          const FlashCheckInputs& support) {
  if (!phaseCollection || !thermoProperty) CTHCOMError::raise(E_FAIL);
  m_collection = requiredInterface<IPhaseCollection>(phaseCollection);
  ComPtr<IDispatch> overall;
  VARIANT_BOOL found = VARIANT_FALSE;
  thcheck(m_collection->GetPhaseOfKind(kOverallKind, 0, overall.put(), &found));
  if (!overall) CTHCOMError::raise(E_FAIL);
  m_overall = requiredInterface<IBasicPhase>(overall.get());
  LONG n = 0;
  thcheck(m_overall->get_NumbOfComps(&n));
  m_record.compoundCount = n;
  if (n < 1)
    return m_reporter.complain(E_FAIL, kEmptyCompoundsText, ComplaintKind::InternalError, false);

  ComPtr<IDispatch> composition;
  thcheck(m_overall->get_Composition(composition.put()));
  m_feedArray = requiredInterface<IRealArrayDisp>(composition.get());
  m_feed.assign(static_cast<std::size_t>(n), ravelin::kNoValue);
  for (LONG i = 0; i < n; ++i)
    thcheck(m_feedArray->get_IthValue(i, &m_feed[static_cast<std::size_t>(i)]));
  // A compound the host left without a value cannot be flashed.
  if (std::find(m_feed.begin(), m_feed.end(), ravelin::kNoValue) != m_feed.end()) return E_FAIL;

  const CCORVLflash* flash = m_state.factory.byHostFlashType(hostFlashType);
  if (!flash) return E_NOTIMPL;
  if (m_scratch.contextsOf != flash->flashId() || m_scratch.coreContext.empty()) {
    const char* name = COIds::id2cstr(flash->flashId());
    m_scratch.valueCheckContext = std::string(kValueCheckContext) + (name ? name : "");
    m_scratch.coreContext = std::string(kCoreContext) + (name ? name : "");
    m_scratch.contextsOf = flash->flashId();
  }
  m_reporter.setNumberOfCompounds(n);
  HRESULT hr = m_reporter.checkPropertyValues(m_feed, COIds::PropFraction, nullptr, -1, false,
                                              m_scratch.valueCheckContext.c_str());
  if (FAILED(hr)) return hr;
  if (!isFlashTypeSupported(hostFlashType, support, m_state, m_guard)) return E_NOTIMPL;
  return m_guard.run(m_scratch.coreContext.c_str(), [&] {
    HRESULT hr = E_FAIL;
    try {
      hr = core(*flash);
    } catch (...) {
      markNonePresent();
      throw;
    }
    if (hr != S_OK) markNonePresent();
    return hr;
  });
}

void FlashRun::markNonePresent() noexcept {
  if (m_phases.empty()) return;
  for (auto& phase : m_phases) phase->put_Status(ravelin::kPhaseStatusAbsent);
  m_collection->put_NumbOfPhases(0);
}

HRESULT FlashRun::specificationValue(LONG property, const std::string& context, double& value) {
  value = 0.0;
  if (property == COIds::PropTemperature) {
    thcheck(m_overall->get_Temperature(&value));
  } else if (property == COIds::PropPressure) {
    thcheck(m_overall->get_Pressure(&value));
  } else {
    // Any other specification is the host property its translator is registered as.
    auto* host = dynamic_cast<CRVLProperty*>(propertyFactory().findByCOId(property));
    if (!host || host->rvlName().empty() || host->rvlId() == ravelin::kNoPropertyId) {
      // Before the property registration the flash cannot read its specification: told.
      const char* identifier = COIds::id2cstr(property);
      const std::string text = kNoPropertyIdText + std::string(identifier ? identifier : "") +
                               "': the property ids are not initialised.";
      return m_reporter.complain(E_FAIL, text.c_str(), ComplaintKind::InternalError, false);
    }
    if (FAILED(m_overall->GetPropertyValue(host->rvlId(), &value))) return E_FAIL;
  }
  CCOPropertyTranslator* translator = propertyFactory().findByCOId(property);
  if (!translator) return E_FAIL;
  value = translator->QO2CO(value, nullptr, 0);
  return m_reporter.checkPropertyValues(std::span<double>(&value, 1), property, nullptr, -1, false,
                                        context.c_str());
}

void FlashRun::putFeed(const CCORVLflash& flash, const double (&values)[2]) {
  IMatObj* matObj = required(m_links.matObj);
  std::vector<double>& feed = m_record.compositions[kOverallSlot];
  if (flash.flashId() == COIds::FlashTP) {
    const bool temperatureFirst = flash.firstSpecification() == COIds::PropTemperature;
    const double T = temperatureFirst ? values[0] : values[1];
    const double P = temperatureFirst ? values[1] : values[0];
    const double* fractions[] = {feed.data()};
    m_reporter.SetTPFraction(T, P, fractions, m_links.packageCompoundCount, 1);
    comlite::check(matObj->SetState(T, P, feed.data(), COIds::PhaseOverall), IMatObj::kIID);
    return;
  }
  const LONG properties[2] = {flash.firstSpecification(), flash.secondSpecification()};
  for (int k = 0; k < 2; ++k) {
    const LONG phase =
        properties[k] == COIds::PropPhaseFraction ? COIds::PhaseVapor : COIds::PhaseOverall;
    comlite::check(matObj->SetValue(properties[k], phase, &values[k]), IMatObj::kIID);
  }
  comlite::check(matObj->SetValue(COIds::PropFraction, COIds::PhaseOverall, feed.data()),
                 IMatObj::kIID);
}

HRESULT FlashRun::readSlot(LONG propertyId, LONG slot, std::span<double> values) {
  const LONG phaseId = m_links.phases->phaseIdOfSlot(slot);
  if (phaseId == 0) return m_links.phases->readOfSlot(propertyId, slot, values);
  return m_links.matObj->GetValue(phaseId, propertyId, values.data());
}

void FlashRun::putComposition(IBasicPhase* phase, const std::vector<double>& composition) {
  IRealArrayDisp* array = m_links.compositionArray;
  if (!array) throw comlite::ComError(E_POINTER, IRealArrayDisp::kIID);
  const auto n = static_cast<LONG>(m_order.size());
  std::vector<double>& host = m_scratch.hostOrder;
  host.resize(m_order.size());
  for (std::size_t i = 0; i < m_order.size(); ++i)
    host[i] = composition[static_cast<std::size_t>(m_order[i])];
  // In one call where the host's array offers its block, else index by index.
  auto block = comlite::ComPtr<IRealArrayDisp>(array).as<IRealArrayBlock>();
  if (!block || FAILED(block->SetValues(n, host.data()))) {
    thcheck(array->SetSize(n));
    for (LONG i = 0; i < n; ++i) thcheck(array->put_IthValue(i, host[static_cast<std::size_t>(i)]));
  }
  thcheck(phase->put_Composition(array));
}

HRESULT FlashRun::core(const CCORVLflash& flash) {
  if (!m_links.phases) throw comlite::ComError(E_POINTER);
  FlashPhaseTable& table = *m_links.phases;
  const LONG n = m_record.compoundCount;
  const LONG packageCount = m_links.packageCompoundCount;
  compoundOrderInto(n, m_links.positionMap, packageCount, m_order);
  if (m_order.empty()) {
    const std::string text = "Executing flash. The simulator provided " + std::to_string(n) +
                             " compounds, which cannot be matched with the " +
                             std::to_string(packageCount) + " compounds of the CAPE-OPEN package.";
    return m_reporter.complain(E_FAIL, text.c_str(), ComplaintKind::InternalError, false);
  }

  // 1, 2: the two specification values.
  const std::string& context = m_scratch.valueCheckContext;
  double values[2] = {0.0, 0.0};
  const LONG properties[2] = {flash.firstSpecification(), flash.secondSpecification()};
  for (int k = 0; k < 2; ++k) {
    const HRESULT hr = specificationValue(properties[k], context, values[k]);
    if (FAILED(hr)) return hr;
  }

  // 3, 4: every phase object of the collection starts absent. The number of phases present
  // is no capacity: an earlier flash lowered it. The objects are counted, as far as there are
  // result slots to fill them.
  const LONG slots = std::max<LONG>(table.hostPhaseCount(), kOverallSlot) + 1;
  for (LONG i = 0; i < slots; ++i) {
    ComPtr<IDispatch> object;
    const HRESULT hr = m_collection->GetPhase(i, object.put());
    if (hr == DISP_E_BADINDEX) break;
    thcheck(hr);
    m_phases.push_back(requiredInterface<IBasicPhase>(object.get()));
    thcheck(m_phases.back()->put_Status(ravelin::kPhaseStatusAbsent));
  }
  const auto phaseCount = static_cast<LONG>(m_phases.size());
  // Every slot with a package phase may be present; the overall slot is no phase. The labels
  // are the table's, borrowed for the flash.
  std::vector<BSTR>& allowed = m_scratch.labels;
  allowed.clear();
  for (LONG slot = 0; slot < slots; ++slot) {
    if (slot == kOverallSlot) continue;
    BSTR label = table.labelOfSlot(slot);
    if (SysStringLen(label) != 0) allowed.push_back(label);
  }

  // 5: the feed, in the package's compound order (package compounds outside the fluid package
  // take no part).
  m_record.compositions.resize(static_cast<std::size_t>(slots));
  for (auto& c : m_record.compositions) c.assign(static_cast<std::size_t>(packageCount), 0.0);
  std::vector<double>& feed = m_record.compositions[kOverallSlot];
  for (std::size_t i = 0; i < m_order.size(); ++i)
    feed[static_cast<std::size_t>(m_order[i])] = m_feed[i];
  putFeed(flash, values);

  // 6, 7: the material's specification of the flash, the phases it may find, the material.
  {
    comlite::Variant s1, s2;
    comlite::Bstr type;
    comlite::check(
        required(m_links.matObj)->GetFlashSpecification(flash.flashId(), &s1, &s2, type.out()),
        IMatObj::kIID);
    VariantClear(&m_state.specification1);
    m_state.specification1 = s1.detach();
    VariantClear(&m_state.specification2);
    m_state.specification2 = s2.detach();
    m_state.solutionType = std::move(type);
  }
  ICapeThermoMaterial* material = required(m_links.material);
  keepPresentPhases(m_scratch.allowed, m_scratch.allowedStatus, allowed);
  comlite::check(material->SetPresentPhases(m_scratch.allowed, m_scratch.allowedStatus),
                 ICapeThermoMaterial::kIID);
  auto materialContext = requiredInterface<ICapeThermoMaterialContext>(required(m_links.package));
  comlite::check(materialContext->SetMaterial(material), ICapeThermoMaterialContext::kIID,
                 "the package's SetMaterial");

  // 8: the equilibrium; the package's failure is its own answer, and its reason (left on the
  // thread or on the routine) is the host's to read.
  ICapeThermoEquilibriumRoutine* routine = required(m_links.equilibriumRoutine);
  HRESULT solved = E_FAIL;
  try {
    solved = routine->CalcEquilibrium(m_state.specification1, m_state.specification2,
                                      m_state.solutionType.get());
  } catch (const std::exception& e) {
    comlite::setErrorInfo(std::string("the package threw a C++ exception: ") + e.what(),
                          "CalcEquilibrium");
  } catch (...) {
    comlite::setErrorInfo("the package threw a C++ exception of unknown type", "CalcEquilibrium");
  }
  if (FAILED(solved)) {
    m_reporter.reportCapeError(kEquilibriumText, solved, routine, false,
                               "ICapeThermoEquilibriumRoutine");
    return solved;
  }

  // 9, 10: the state found and the phases present.
  double T = 0.0, P = 0.0;
  comlite::check(m_links.matObj->GetState(&T, &P, feed.data(), COIds::PhaseOverall), IMatObj::kIID);
  // Not a number is no more a temperature or a pressure than a negative value.
  if (!(T > 0.0))
    return m_reporter.complain(E_FAIL, kBadTemperatureText, ComplaintKind::PackageNonStandard,
                               false);
  if (!(P > 0.0))
    return m_reporter.complain(E_FAIL, kBadPressureText, ComplaintKind::PackageNonStandard, false);
  comlite::Variant& present = m_scratch.present;
  comlite::check(material->GetPresentPhases(&present, &m_scratch.presentStatus),
                 ICapeThermoMaterial::kIID);

  // 11: the result of each slot whose phase is present.
  std::vector<double>& fractions = m_scratch.fractions;
  fractions.assign(static_cast<std::size_t>(slots), kAbsentFraction);
  LONG accepted = 0;
  for (LONG slot = 0; slot < slots; ++slot) {
    if (slot == kOverallSlot) continue;
    const BSTR label = table.labelOfSlot(slot);
    if (SysStringLen(label) == 0 || !listHolds(present, label)) continue;
    double fraction = kAbsentFraction;
    if (FAILED(readSlot(COIds::PropPhaseFraction, slot, std::span<double>(&fraction, 1)))) {
      // The liquid's share follows from the vapour's; any other slot without one is lost.
      if (slot != 1) continue;
      fraction = 1.0 - std::max(fractions[0], 0.0);
    }
    std::vector<double>& composition = m_record.compositions[static_cast<std::size_t>(slot)];
    if (FAILED(readSlot(COIds::PropFraction, slot, composition))) continue;
    if (!feasibleResult(fraction, composition))
      return m_reporter.complain(E_FAIL, (kUnfeasibleResultText + CQoBSTR(label).narrow()).c_str(),
                                 ComplaintKind::PackageNonStandard, false);
    fractions[static_cast<std::size_t>(slot)] = fraction;
    ++accepted;
  }

  double total = 0.0;
  for (LONG slot = 0; slot < slots; ++slot)
    if (fractions[static_cast<std::size_t>(slot)] != kAbsentFraction)
      total += fractions[static_cast<std::size_t>(slot)];
  if (accepted > 0 && !(std::fabs(total - 1.0) <= kSumTolerance))
    return m_reporter.complain(E_FAIL, (kUnfeasibleResultText + std::string("all")).c_str(),
                               ComplaintKind::PackageNonStandard, false);

  // 12: the collection takes the phases with the largest fractions.
  while (accepted > phaseCount) {
    std::size_t smallest = fractions.size();
    for (std::size_t s = 0; s < fractions.size(); ++s)
      if (fractions[s] != kAbsentFraction &&
          (smallest == fractions.size() || fractions[s] <= fractions[smallest]))
        smallest = s;
    fractions[smallest] = kAbsentFraction;
    --accepted;
    // Named once it is known: the phase dropped is the smallest, not the one that overflowed.
    const std::string text = "Too many phases. Phase '" +
                             CQoBSTR(table.labelOfSlot(static_cast<LONG>(smallest))).narrow() +
                             "' will be removed. Inconsistency error may appear";
    m_reporter.traceMessage(text.c_str(), 2);
  }
  const LONG resultCount = std::min(accepted, phaseCount);

  if (resultCount == 0) {
    thcheck(m_overall->put_PhaseFraction(0.0));  // no vapour reached the collection
    return CORAVL_E_NOPHASES;
  }

  // 13: each result into the next phase object of the collection; the number of phases and
  // the overall vapour fraction only once every phase holds its result.
  // The labels of the previous flash are kept where they are the same.
  std::vector<CQoBSTR>& resultLabels = m_record.phaseLabels;
  std::size_t k = 0;
  struct Trim {
    std::vector<CQoBSTR>& labels;
    const std::size_t& count;
    ~Trim() {
      if (labels.size() > count)
        labels.erase(labels.begin() + static_cast<std::ptrdiff_t>(count), labels.end());
    }
  } trim{resultLabels, k};
  for (LONG slot = 0; slot < slots; ++slot) {
    const double fraction = fractions[static_cast<std::size_t>(slot)];
    if (fraction == kAbsentFraction) continue;
    const BSTR label = table.labelOfSlot(slot);
    if (k >= resultLabels.size())
      resultLabels.emplace_back(label);
    else if (!sameText(resultLabels[k].get(), label))
      resultLabels[k] = CQoBSTR(label);
    IBasicPhase* phase = m_phases[k++].get();
    const std::vector<double>& composition = m_record.compositions[static_cast<std::size_t>(slot)];
    thcheck(phase->put_PhaseFraction(fraction));
    putComposition(phase, composition);
    thcheck(phase->put_Temperature(T));
    thcheck(phase->put_Pressure(P / 1000.0));
    const LONG type = table.hostPhaseTypeOfSlot(slot);
    thcheck(phase->put_PhaseType(type));
    thcheck(phase->put_Status(ravelin::kPhaseStatusPresent));
    if (type == ravelin::kPhaseSolid) table.rememberComposition(composition, slot);
  }
  thcheck(m_collection->put_NumbOfPhases(resultCount));
  thcheck(m_overall->put_PhaseFraction(std::max(fractions[0], 0.0)));

  // 15: what the flash found of the overall state.
  if (!flash.usesProperty(COIds::PropTemperature)) thcheck(m_overall->put_Temperature(T));
  if (!flash.usesProperty(COIds::PropPressure)) thcheck(m_overall->put_Pressure(P / 1000.0));
  return S_OK;
}

}  // namespace

HRESULT executeFlash(LONG hostFlashType, IDispatch* phaseCollection, IDispatch* thermoProperty,
                     const FlashLinks& links, const FlashCheckInputs& support, FlashState& state,
                     FlashRecord& record, CCOError& reporter, MethodGuard& guard) {
  // The host's objects are let go, and the compound count reset, on every way out.
  struct Reset {
    LONG& count;
    ~Reset() { count = kNoCompounds; }
  } reset{record.compoundCount};
  FlashRun run(links, state, record, reporter, guard);
  return guard.run(kExecuteContext, [&] {
    return run.execute(hostFlashType, phaseCollection, thermoProperty, support);
  });
}

}  // namespace coravl::flash
