#include "setup/compound_list.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "base/list_search.h"
#include "base/message_output.h"
#include "base/name_compare.h"
#include "base/ordinal_text.h"
#include "base/set_get.h"
#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/error_info.h"
#include "comlite/safearray.h"
#include "outside/adapter.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "reporter/co_error.h"
#include "reporter/method_guard.h"
#include "setup/qo_utils.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

namespace {

constexpr const char* kUnexpected = "Unexpected error ";
constexpr LONG kMaxHostId = 40000;
constexpr double kPrimeTemperatureK = 300.0;
constexpr double kPrimePressurePa = 100000.0;

constexpr const char* kMaximumLimit =
    "You have reached the maximum limit of chemical compounds in a fluid package. Please, "
    "remove some of them before requesting any calculation.";

//! Shows the failure of an internal step; the answer is the normalised status.
HRESULT unexpected(HRESULT hr) {
  return Utils::popUpStatus(hr, kUnexpected);
}

// One-dimensional lists held in VARIANTs, indexed from 0 whatever their lower bound.

SAFEARRAY* arrayOf(const VARIANT& v) {
  if (!vtIsArray(v.vt)) return nullptr;
  SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
  return psa && SafeArrayGetDim(psa) == 1 ? psa : nullptr;
}

LONG lowerOf(const VARIANT& v) {
  LONG lower = 0;
  if (SAFEARRAY* psa = arrayOf(v)) SafeArrayGetLBound(psa, 1, &lower);
  return lower;
}

LONG countOf(const VARIANT& v) {
  SAFEARRAY* psa = arrayOf(v);
  if (!psa) return 0;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(psa, 1, &lower)) || FAILED(SafeArrayGetUBound(psa, 1, &upper)))
    return 0;
  return std::max<LONG>(upper - lower + 1, 0);
}

//! Element `k` as text; "" when the list has no such element.
std::u16string stringAt(const VARIANT& list, LONG k) {
  if (k < 0 || k >= countOf(list)) return {};
  BSTR s = nullptr;
  SetGet::get(list, lowerOf(list) + k, s);
  std::u16string text(comlite::bstrView(s));
  SysFreeString(s);
  return text;
}

//! Element `k` as a number; 0 when the list has no such element.
double numberAt(const VARIANT& list, LONG k) {
  if (k < 0 || k >= countOf(list)) return 0.0;
  double d = 0.0;
  SetGet::get(list, lowerOf(list) + k, d);
  return d;
}

void putNumber(VARIANT& list, LONG k, double value) {
  comlite::Variant v = comlite::Variant::fromDouble(value);
  SetGet::noCopyVariantPutV(list, lowerOf(list) + k, v);
}

void putString(VARIANT& list, LONG k, std::u16string_view text) {
  comlite::Variant v;
  v.vt = VT_BSTR;
  v.bstrVal = comlite::bstrFromUtf16(text);
  SetGet::noCopyVariantPutV(list, lowerOf(list) + k, v);
}

//! A new array of strings (lower bound 0) in `out`, which is cleared first.
void makeStringArray(const std::vector<std::string>& items, VARIANT& out) {
  VariantClear(&out);
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
  if (!psa) throw std::bad_alloc();
  BSTR* data = nullptr;
  SafeArrayAccessData(psa, reinterpret_cast<void**>(&data));
  for (std::size_t i = 0; i < items.size(); ++i) data[i] = comlite::bstrFromUtf8(items[i]);
  SafeArrayUnaccessData(psa);
  out.vt = VT_ARRAY | VT_BSTR;
  out.parray = psa;
}

//! A host id from a list value, truncated toward zero (and kept within 32 bits).
LONG truncatedId(double value) {
  if (!std::isfinite(value)) return 0;
  const double t = std::trunc(value);
  if (t >= static_cast<double>(std::numeric_limits<LONG>::max()))
    return std::numeric_limits<LONG>::max();
  if (t <= static_cast<double>(std::numeric_limits<LONG>::min()))
    return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(t);
}

//! The name cut at its first blank when only blanks follow that blank.
std::u16string_view trimmedName(std::u16string_view name) {
  const auto blank = name.find(u' ');
  if (blank == std::u16string_view::npos) return name;
  if (name.find_first_not_of(u' ', blank) != std::u16string_view::npos) return name;
  return name.substr(0, blank);
}

//! Asks `object` for `I`. No object, or no such interface, gives an empty holder; any other
//! failure of the host's object raises CTHCOMError.
template <class I>
comlite::ComPtr<I> hostInterface(IDispatch* object) {
  comlite::ComPtr<I> out;
  if (!object) return out;
  const HRESULT hr = object->QueryInterface(I::kIID, out.putVoid());
  if (FAILED(hr)) {
    out.reset();
    if (hr != E_NOINTERFACE) thcheck(hr);
  }
  return out;
}

IPackageAdapter* requireAdapter(const CompoundLinks& links) {
  if (!links.adapter) throw comlite::ComError(E_POINTER, IPackageAdapter::kIID);
  return links.adapter;
}

//! Identifiers of the compound constants that are never handed to a hypothetical compound:
//! temperature-dependent values the host does not keep as constants.
bool isNotHandedOver(LONG coId) {
  static const char* const kSkipped[] = {"vaporPressure", "idealGasHeatCapacity",
                                         "idealGasEnthalpy", "sublimationPressure"};
  const char* id = COIds::id2cstr(coId);
  for (const char* skipped : kSkipped)
    if (Utils::namesEqual(id, skipped)) return true;
  return COIds::isOfType(coId, COIds::GroupConstProp) && COIds::isStringConstProp(coId);
}

//! While it lives, the adapter numbers compounds by the package's own list; on every way out
//! it is given the fluid-package list back, so that its compound indexes stay those of the
//! simulator even when handing over constants stops half-way.
class PackageOrderScope {
 public:
  PackageOrderScope(IPackageAdapter* adapter, VARIANT& packageNames, VARIANT& fluidNames)
      : m_adapter(adapter), m_fluidNames(fluidNames) {
    comlite::check(m_adapter->SetFluidPackageCompounds(packageNames), IPackageAdapter::kIID);
  }
  ~PackageOrderScope() {
    if (m_restored) return;
    m_adapter->SetFluidPackageCompounds(m_fluidNames);
    std::string description, source;
    comlite::takeErrorInfo(description, source);
  }
  PackageOrderScope(const PackageOrderScope&) = delete;
  PackageOrderScope& operator=(const PackageOrderScope&) = delete;

  //! The normal way back: a refusal raises.
  void restore() {
    m_restored = true;
    comlite::check(m_adapter->SetFluidPackageCompounds(m_fluidNames), IPackageAdapter::kIID);
  }

 private:
  IPackageAdapter* m_adapter;
  VARIANT& m_fluidNames;
  bool m_restored = false;
};

}  // namespace

CompoundList::CompoundList(CCOError& reporter, PackageCompoundLists lists, CompoundOptions options)
    : m_reporter(reporter), m_lists(lists), m_options(options) {
  m_positionMap.fill(-1);
}

HRESULT CompoundList::canNumbCompChange(INT* status) const {
  if (!status) return E_POINTER;
  *status = (m_options.freeCompounds || m_options.allowSubsets) ? 1 : 0;
  return S_OK;
}

HRESULT CompoundList::getNumbCompounds(INT* nComp) const {
  if (!nComp) return E_POINTER;
  *nComp = QoUtils::companionVersionNotZero() ? m_lists.compoundCount
                                              : static_cast<INT>(m_compounds.size());
  return S_OK;
}

HRESULT CompoundList::getSupportedComps(const CompoundLinks& links, INT* nComp, VARIANT* ids,
                                        VARIANT* names, BSTR* identifierName,
                                        VARIANT* identifiers) {
  MethodGuard guard(m_reporter);
  return guard.run(kSupportedContext, [&] {
    return supportedComps(links, nComp, ids, names, identifierName, identifiers);
  });
}

HRESULT CompoundList::supportedComps(const CompoundLinks& links, INT* nComp, VARIANT* ids,
                                     VARIANT* names, BSTR* identifierName, VARIANT* identifiers) {
  if (!nComp || !ids || !names || !identifierName || !identifiers) return E_POINTER;
  if (m_options.freeCompounds) {
    *nComp = 0;
    return S_OK;
  }
  const LONG count = std::max<LONG>(m_lists.compoundCount, 0);
  *nComp = count;
  // The ids reach the caller only with the rest, once the adapter has the new id numbers.
  comlite::Variant newIds;
  SetGet::Create(newIds, VT_I4, count);
  SetGet::copy(*names, m_lists.compIds);

  VARIANT& idNumbers = m_lists.idNumbers;
  const LONG numbers = countOf(idNumbers);
  const LONG namesCount = countOf(*names);
  for (LONG k = 0; k < numbers; ++k) {
    double value = numberAt(idNumbers, k);
    if (value <= 0.0 || m_options.treatAsHypos) {
      value = kHypotheticalMark;
      putNumber(idNumbers, k, value);
      if (k < namesCount) putString(*names, k, stringAt(*names, k) + u"*");
    }
    if (k < count) {
      comlite::Variant id = comlite::Variant::fromLong(truncatedId(value));
      SetGet::noCopyVariantPutV(newIds, k, id);
    }
  }

  const HRESULT hr =
      requireAdapter(links)->SetValue(comlite::Bstr("SelectedIDNumbers").get(), idNumbers);
  if (FAILED(hr)) {
    const HRESULT answer = unexpected(hr);
    if (FAILED(answer)) return answer;
  }
  VariantClear(ids);
  *ids = newIds.detach();
  SysFreeString(*identifierName);
  *identifierName = comlite::bstrFromUtf8("CASN");
  SetGet::copy(*identifiers, m_lists.casNumbers);
  return S_OK;
}

HRESULT CompoundList::addLastCompound(const CompoundLinks& links, IDispatch* compound) {
  MethodGuard guard(m_reporter);
  return guard.run(kAddContext, [&] { return addLast(links, compound); });
}

HRESULT CompoundList::addLast(const CompoundLinks& links, IDispatch* compound) {
  comlite::ComPtr<IRvlCompound> identity = hostInterface<IRvlCompound>(compound);
  const LONG p = static_cast<LONG>(m_compounds.size());
  m_mappedCount = p;
  const LONG count = m_lists.compoundCount;

  if (p >= count && count != 0) {
    const std::string text =
        "adding a compound to the fluid package. The simulator is trying to add more compounds (" +
        std::to_string(p + 1) + ") than the list provided by the CAPE-OPEN package (" +
        std::to_string(count) + ")" +
        ". If you were modifying a hypothetical compound properties, the workaround consists in " +
        " recreating the fluid package and modifying the property before saving and reloading the "
        "case.";
    return m_reporter.complain(E_FAIL, text.c_str(), ComplaintKind::InternalError, false);
  }
  if (p > kMaxPosition) {
    m_pendingWarning = kMaximumLimit;
    Utils::popUpStatus(kMaximumLimit);
    m_listValid = 0;
    return E_FAIL;
  }

  if (!identity) CTHCOMError::raise(E_POINTER);
  LONG id = 0;
  HRESULT hr = identity->get_IDNumber(&id);
  if (FAILED(hr)) {
    const HRESULT answer = unexpected(hr);
    if (FAILED(answer)) return answer;
  }
  comlite::Bstr name, cas;
  hr = identity->get_Name(name.out());
  if (FAILED(hr)) {
    const HRESULT answer = unexpected(hr);
    if (FAILED(answer)) return answer;
  }
  hr = identity->get_CASNumber(cas.out());
  if (FAILED(hr)) {
    const HRESULT answer = unexpected(hr);
    if (FAILED(answer)) return answer;
  }

  std::u16string nameText(name.view()), casText(cas.view());
  if (nameText.empty() || id < 1 || id > kMaxHostId) {
    id = static_cast<LONG>(kHypotheticalMark);
    nameText = stringAt(m_lists.qoNames, p);
    casText = stringAt(m_lists.casNumbers, p);
    if (!QoUtils::companionVersionNotZero())
      m_reporter.complain(E_FAIL,
                          "identifying compounds. Simulator didn't provide correct DaltrixID, Name "
                          "or CASN values. Assuming user selected all compounds in package",
                          ComplaintKind::Warning, false);
  }

  hr = identifyCompound(links, nameText, casText, id);
  if (FAILED(hr)) return hr;
  hr = refresh(links);
  if (SUCCEEDED(hr)) m_compoundsChanged = 0;
  return hr;
}

HRESULT CompoundList::identifyCompound(const CompoundLinks& links, std::u16string_view name,
                                       std::u16string_view casNumber, LONG hostId) {
  const std::u16string trimmed(trimmedName(name));
  const std::u16string cas(casNumber);
  const LONG p = m_mappedCount;

  LONG found = Utils::findPos(m_lists.casNumbers, cas.c_str());
  LONG j = found >= 0 ? found - lowerOf(m_lists.casNumbers) : -1;
  if (j < 0) {
    found = Utils::findPos(m_lists.qoNames, trimmed.c_str(),
                           [](const OLECHAR* element, const OLECHAR* value) {
                             return QoUtils::compoundNamesMatch(element, value);
                           });
    j = found >= 0 ? found - lowerOf(m_lists.qoNames) : -1;
  }
  if (j < 0) {
    const std::string text = "Component '" + comlite::utf16ToUtf8(stringAt(m_lists.qoNames, p)) +
                             "' (position: " + std::to_string(p) +
                             ") coud not be identified. Remove it and try again.";
    return m_reporter.complain(E_FAIL, text.c_str(), ComplaintKind::Warning, false);
  }
  // The map holds kMapSize positions; the callers never go past kMaxPosition.
  if (p < 0 || p >= kMapSize) return E_FAIL;

  m_compounds.push_back(comlite::utf16ToUtf8(trimmed));
  m_positionMap[static_cast<std::size_t>(p)] = j;
  if (numberAt(m_lists.idNumbers, j) <= 0.0) {
    putNumber(m_lists.idNumbers, j, hostId);
    const HRESULT hr = requireAdapter(links)->SetValue(comlite::Bstr("SelectedIDNumbers").get(),
                                                       m_lists.idNumbers);
    if (FAILED(hr)) return unexpected(hr);
  }
  return S_OK;
}

HRESULT CompoundList::refresh(const CompoundLinks& links) {
  m_listValid = 1;
  makeStringArray(m_compounds, m_userSelectedCompQoNames);
  comlite::check(requireAdapter(links)->SetFluidPackageCompounds(m_userSelectedCompQoNames),
                 IPackageAdapter::kIID);

  m_mappedCount = static_cast<LONG>(m_compounds.size());
  if (links.integerArray) {
    const HRESULT hr = links.integerArray->SetSize(m_lists.compoundCount);
    if (FAILED(hr)) {
      const HRESULT answer = unexpected(hr);
      if (FAILED(answer)) return answer;
    }
  }

  // Only the entries the arrays have: they are sized by the package's compound count.
  const auto clearLeading = [this](std::span<double> x) {
    const std::size_t n = std::min(x.size(), static_cast<std::size_t>(m_mappedCount));
    std::fill_n(x.begin(), n, 0.0);
  };
  clearLeading(links.composition0);
  clearLeading(links.composition1);

  if (!links.material) throw comlite::ComError(E_POINTER, IMatObj::kIID);
  // The material reads one value per package compound.
  const std::size_t needed = static_cast<std::size_t>(std::max<LONG>(m_lists.compoundCount, 0));
  std::vector<double> padded;
  const double* composition = links.composition0.data();
  if (links.composition0.size() < needed) {
    padded.assign(needed, 0.0);
    std::copy(links.composition0.begin(), links.composition0.end(), padded.begin());
    composition = padded.data();
  }
  HRESULT hr = S_OK;
  for (LONG phase : {COIds::PhaseLiquid, COIds::PhaseVapor, COIds::PhaseOverall})
    hr = comlite::check(
        links.material->SetState(kPrimeTemperatureK, kPrimePressurePa, composition, phase),
        IMatObj::kIID);

  if (links.realArray1) links.realArray1->SetSize(m_mappedCount);
  if (links.realArray2) links.realArray2->SetSize(m_mappedCount);
  return hr;
}

HRESULT CompoundList::removeCompoundi(const CompoundLinks& links, INT i) {
  MethodGuard guard(m_reporter);
  return guard.run(kRemoveContext, [&]() -> HRESULT {
    if (m_compoundsChanged) return S_OK;
    const LONG length = static_cast<LONG>(m_compounds.size());
    if (i < 0 || i >= length) return kInvalidPosition;
    m_compounds.erase(m_compounds.begin() + i);
    // The map follows the list; entries past the list's old end are not part of it.
    const LONG mapped = std::min(length, kMapSize);
    if (i < mapped) {
      std::copy(m_positionMap.begin() + i + 1, m_positionMap.begin() + mapped,
                m_positionMap.begin() + i);
      m_positionMap[static_cast<std::size_t>(mapped - 1)] = -1;
    }
    m_listEdited = 1;
    const HRESULT hr = refresh(links);
    return FAILED(hr) ? hr : S_OK;
  });
}

HRESULT CompoundList::exchangeCompounds(const CompoundLinks& links, INT i, INT j) {
  MethodGuard guard(m_reporter);
  return guard.run(kExchangeContext, [&]() -> HRESULT {
    const LONG length = static_cast<LONG>(m_compounds.size());
    if (i < 0 || i >= length || j < 0 || j >= length) return kInvalidPosition;
    if (i == j) return S_OK;
    if (i < kMapSize && j < kMapSize)
      std::swap(m_positionMap[static_cast<std::size_t>(i)],
                m_positionMap[static_cast<std::size_t>(j)]);
    std::swap(m_compounds[static_cast<std::size_t>(i)], m_compounds[static_cast<std::size_t>(j)]);
    m_listEdited = 1;
    return refresh(links);
  });
}

HRESULT CompoundList::getCompoundInfo(const CompoundLinks& links, INT iComp, IDispatch* compound,
                                      INT* nProps, VARIANT* propnames) {
  MethodGuard guard(m_reporter);
  return guard.run(kInfoContext,
                   [&] { return compoundInfo(links, iComp, compound, nProps, propnames); });
}

HRESULT CompoundList::compoundInfo(const CompoundLinks& links, INT iComp, IDispatch* compound,
                                   INT* nProps, VARIANT* propnames) {
  if (!nProps || !propnames) return E_POINTER;
  // Asked in the host's order; the data reader is not used.
  auto component = hostInterface<IRvlComponent>(compound);
  auto identity = hostInterface<IRvlCompound>(compound);
  auto data = hostInterface<IRvlCompoundData>(compound);
  auto setter = hostInterface<IRvlCompoundConstants>(compound);
  auto modification = hostInterface<IRvlCompoundModification>(compound);
  (void)data;

  if (iComp < 0 || iComp >= m_mappedCount || iComp >= kMapSize) {
    const std::string text =
        "getting compound constant properties. The simulator is requesting "
        "them for the " +
        Utils::ordinal(iComp + 1) + " compound, while only " + std::to_string(m_mappedCount) +
        " compounds have been added to the Fluid Package.";
    return m_reporter.complainByKind(text.c_str(), ComplaintKind::InternalError, false);
  }
  const LONG j = m_positionMap[static_cast<std::size_t>(iComp)];
  if (j >= 0) {
    for (LONG k = 0; k < iComp; ++k) {
      if (m_positionMap[static_cast<std::size_t>(k)] != j) continue;
      const std::string text = "getting compound constant properties. " + Utils::ordinal(k + 1) +
                               " and " + Utils::ordinal(iComp + 1) +
                               " compounds in fluid package have been mapped to same compound (" +
                               comlite::utf16ToUtf8(stringAt(m_lists.compIds, j)) +
                               ") from CAPE-OPEN package";
      return m_reporter.complainByKind(text.c_str(), ComplaintKind::InternalError, false);
    }
  }

  if (!identity) CTHCOMError::raise(E_POINTER);
  LONG hostId = 0;
  const HRESULT hr = identity->get_IDNumber(&hostId);
  if (FAILED(hr)) {
    const HRESULT answer = unexpected(hr);
    if (FAILED(answer)) return answer;
  }

  // A position that maps to no package compound has nothing to hand over.
  if (j < 0 || j >= countOf(m_lists.idNumbers) || !packageCompoundIsHypothetical(j)) return S_OK;
  return handOverConstants(links, j, component.get(), setter.get(), modification.get(), nProps,
                           propnames);
}

bool CompoundList::packageCompoundIsHypothetical(LONG j) const {
  const double value = numberAt(m_lists.idNumbers, j);
  return value < 0.0 || QoUtils::isHypothetical(truncatedId(value));
}

HRESULT CompoundList::handOverConstants(const CompoundLinks& links, LONG j,
                                        IRvlComponent* component, IRvlCompoundConstants* setter,
                                        IRvlCompoundModification* modification, INT* nProps,
                                        VARIANT* propnames) {
  IPackageAdapter* adapter = requireAdapter(links);

  // Package indexes are valid only while the adapter sees the package's own list.
  comlite::Variant packageNames(m_lists.qoNames);
  if (!arrayOf(m_userSelectedCompQoNames)) makeStringArray(m_compounds, m_userSelectedCompQoNames);
  PackageOrderScope packageOrder(adapter, packageNames, m_userSelectedCompQoNames);

  std::vector<std::string> handedOver;
  bool criticalVolumeHandedOver = false;
  CRVLCPropFactory& factory = constantFactory();
  const LONG translators = factory.count();
  for (LONG t = 0; t < translators; ++t) {
    auto* translator = dynamic_cast<CRVLProperty*>(factory.get(t));
    if (!translator || translator->rvlName().empty()) continue;
    const LONG coId = translator->coId();
    if (isNotHandedOver(coId)) continue;
    if (coId == COIds::ConstCriticalDensity && criticalVolumeHandedOver) continue;

    double value = 0.0;
    if (const HRESULT refused = adapter->GetCompoundConstant(COIds::id2str(coId), j, &value);
        FAILED(refused)) {
      // Not given: skipped. Its error information must not end up in a later message; a value
      // the package gave but no compound has is told (not handed over either).
      std::string description, source;
      comlite::takeErrorInfo(description, source);
      if (refused == ECapeOutOfBoundsHR && !description.empty()) {
        const std::string text =
            "getting compound constant properties: " + description + "; it is not handed over";
        m_reporter.complainByKind(text.c_str(), ComplaintKind::Warning, false);
      }
      continue;
    }
    const double hostValue = translator->CO2QO(value, component, 0);
    // No host form (a failed molecular weight, a value that is not finite): not handed over.
    if (!std::isfinite(hostValue)) continue;
    handedOver.push_back(translator->rvlName());
    if (coId == COIds::ConstCriticalVolume) criticalVolumeHandedOver = true;
    if (!setter) CTHCOMError::raise(E_POINTER);
    const HRESULT hr = setter->SetConstant(comlite::Bstr(translator->rvlName()).get(),
                                           ravelin::kHostUnits, hostValue);
    if (FAILED(hr)) {
      const HRESULT answer = unexpected(hr);
      if (FAILED(answer)) return answer;
    }
  }
  packageOrder.restore();

  makeStringArray(handedOver, *propnames);
  *nProps = static_cast<INT>(handedOver.size());
  if (!modification) CTHCOMError::raise(E_POINTER);
  thcheck(modification->EndEdit(0));
  return S_OK;
}

HRESULT CompoundList::compoundGate(const char* operation) {
  if (m_listValid) return S_OK;
  if (m_pendingWarning.size() > 2) {
    const std::string text =
        std::string("Warning while ") + (operation ? operation : "") + ". " + m_pendingWarning;
    m_reporter.complainByKind(text.c_str(), ComplaintKind::Warning, false);
    m_pendingWarning.clear();
  }
  return E_FAIL;
}

void CompoundList::resetPositionMap() {
  m_positionMap.fill(-1);
}

void CompoundList::rebuildFromUserNames() {
  const VARIANT& userNames = m_userSelectedCompQoNames;
  const LONG count = countOf(userNames);
  m_compounds.clear();
  m_positionMap.fill(-1);
  const LONG lowerQo = lowerOf(m_lists.qoNames);
  for (LONG k = 0; k < count; ++k) {
    const std::u16string name = stringAt(userNames, k);
    m_compounds.push_back(comlite::utf16ToUtf8(name));
    if (k >= kMapSize) continue;
    const LONG found = Utils::findPos(m_lists.qoNames, name.c_str(),
                                      [](const OLECHAR* element, const OLECHAR* value) {
                                        return QoUtils::compoundNamesMatch(element, value);
                                      });
    m_positionMap[static_cast<std::size_t>(k)] = found >= 0 ? found - lowerQo : -1;
  }
  m_mappedCount = count;
}

std::u16string CompoundList::positionsText() const {
  std::u16string text;
  const LONG n = std::min<LONG>(static_cast<LONG>(m_compounds.size()), kMapSize);
  for (LONG k = 0; k < n; ++k) {
    if (k) text += u',';
    text += comlite::utf8ToUtf16(std::to_string(m_positionMap[static_cast<std::size_t>(k)]));
  }
  return text;
}

bool CompoundList::restorePositions(std::u16string_view text) {
  const LONG n = std::min<LONG>(static_cast<LONG>(m_compounds.size()), kMapSize);
  const LONG packageCount = countOf(m_lists.qoNames);
  std::array<LONG, kMapSize> map;
  map.fill(-1);
  LONG k = 0;
  std::size_t at = 0;
  while (at <= text.size() && !text.empty()) {
    const std::size_t comma = std::min(text.find(u',', at), text.size());
    const std::u16string_view item = text.substr(at, comma - at);
    if (item.empty() || k >= n) return false;
    LONG value = 0;
    bool negative = false;
    std::size_t i = 0;
    if (item[0] == u'-') negative = true, i = 1;
    if (i >= item.size() || item.size() > 7) return false;
    for (; i < item.size(); ++i) {
      if (item[i] < u'0' || item[i] > u'9') return false;
      value = value * 10 + (item[i] - u'0');
    }
    if (negative) value = -value;
    if (value < -1 || value >= packageCount) return false;
    map[static_cast<std::size_t>(k++)] = value;
    at = comma + 1;
  }
  if (k != n) return false;
  m_positionMap = map;
  return true;
}

void CompoundList::closeGateOnUnmapped() {
  const LONG n = std::min<LONG>(static_cast<LONG>(m_compounds.size()), kMapSize);
  for (LONG k = 0; k < n; ++k) {
    if (m_positionMap[static_cast<std::size_t>(k)] >= 0) continue;
    m_listValid = 0;
    m_pendingWarning = "Component '" + m_compounds[static_cast<std::size_t>(k)] +
                       "' (position: " + std::to_string(k) +
                       ") could not be matched to a compound of the package. Remove it and add "
                       "it again.";
    return;
  }
}

void CompoundList::forgetRecall() {
  m_compounds.clear();
  resetPositionMap();
  m_mappedCount = 0;
  m_listValid = 1;
  m_compoundsChanged = 0;
  m_listEdited = 0;
  m_pendingWarning.clear();
}

void CompoundList::markCompoundsChanged(std::string warning) {
  m_compoundsChanged = 1;
  m_pendingWarning = std::move(warning);
  m_listValid = 0;
}

LONG CompoundList::packageIndexOf(LONG i) const {
  if (i < 0 || i >= kMapSize) return -1;
  return m_positionMap[static_cast<std::size_t>(i)];
}
