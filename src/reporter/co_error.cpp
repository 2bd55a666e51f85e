#include "reporter/co_error.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/message_output.h"
#include "base/set_get.h"
#include "base/thcom_error.h"
#include "base/trace_file.h"
#include "comlite/bstr.h"
#include "comlite/cold_path.h"
#include "comlite/com_error.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "outside/cape_error_utils.h"
#include "outside/cape_gui.h"
#include "vocabulary/co_ids.h"

namespace {

//! True when both are 1-D lists of the same strings (compared as UTF-16).
bool sameStringList(const VARIANT& a, const VARIANT& b) {
  if (a.vt != (VT_ARRAY | VT_BSTR) || b.vt != a.vt || !a.parray || !b.parray) return false;
  // Read from the descriptors: this runs on every request, over lists of two or three.
  const SAFEARRAY& x = *a.parray;
  const SAFEARRAY& y = *b.parray;
  if (x.cDims != 1 || y.cDims != 1 || x.cbElements != sizeof(BSTR) ||
      y.cbElements != sizeof(BSTR) || x.rgsabound[0].cElements != y.rgsabound[0].cElements ||
      x.rgsabound[0].lLbound != y.rgsabound[0].lLbound)
    return false;
  if (x.rgsabound[0].cElements && (!x.pvData || !y.pvData)) return false;
  const BSTR* ea = static_cast<const BSTR*>(x.pvData);
  const BSTR* eb = static_cast<const BSTR*>(y.pvData);
  for (ULONG i = 0; i < x.rgsabound[0].cElements; ++i) {
    const BSTR sa = ea[i], sb = eb[i];
    if (!sa || !sb) {
      if (sa != sb) return false;
      continue;
    }
    if (!comlite::sameUnits(comlite::bstrView(sa), comlite::bstrView(sb))) return false;
  }
  return true;
}

//! The host's no-value marker.
constexpr double kNoValue = -32767.0;
//! Below this (negative) value a clamped property is unfeasible; above it, it is rounding noise.
constexpr double kClampTolerance = -0.0001;
//! Significant digits of compositions in the material description.
constexpr int kCompositionDigits = 6;

//! Beyond this magnitude no value of any property is physical; the host's sums and squares of
//! such values would overflow.
constexpr double kImplausibleMagnitude = 1e150;

//! How checkPropertyValues judges a property.
enum class ValueCheck { None, StrictlyPositive, UnitInterval, PositiveClamp };

ValueCheck checkOf(LONG propertyId) {
  switch (propertyId) {
    case COIds::PropTemperature:
    case COIds::PropPressure:
    case COIds::PropHeatCapacityCp:
    case COIds::PropVolume:
    case COIds::PropDensity:
    case COIds::PropEnthalpyDtemperature:
    case COIds::PropViscosity:
    case COIds::PropThermalConductivity:
    case COIds::PropCompressibilityFactor:
      return ValueCheck::StrictlyPositive;
    case COIds::PropFraction:
    case COIds::PropPhaseFraction:
      return ValueCheck::UnitInterval;
    case COIds::PropFugacityCoefficient:
    case COIds::PropFugacity:
    case COIds::PropKvalue:
    case COIds::PropActivity:
    case COIds::PropActivityCoefficient:
    case COIds::PropSurfaceTension:
      return ValueCheck::PositiveClamp;
    default:
      return ValueCheck::None;
  }
}

std::string narrowOf(const OLECHAR* wide) {
  return wide ? comlite::utf16ToUtf8(std::u16string_view(wide)) : std::string();
}

std::u16string wideOf(const char* narrow) {
  return narrow ? comlite::utf8ToUtf16(narrow) : std::u16string();
}

//! Appends without letting `message` pass `max` bytes, cutting at a character boundary.
void appendBounded(std::string& message, std::string_view text, std::size_t max) {
  if (message.size() >= max) return;
  std::size_t kept = std::min(text.size(), max - message.size());
  if (kept < text.size())
    while (kept > 0 && (static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80) --kept;
  message.append(text.substr(0, kept));
}

//! printf-style formatting into a string of whatever length it needs.
template <class... Args>
std::string format(const char* fmt, Args... args) {
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt, args...);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

//! Number of items in the first dimension of an array variant; 1 for a plain value, 0 when
//! empty.
LONG itemCount(const VARIANT& v) {
  if (v.vt == VT_EMPTY) return 0;
  if (!vtIsArray(v.vt)) return 1;
  const SAFEARRAY* psa = vtIsByRef(v.vt) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
  if (!psa) return 0;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(const_cast<SAFEARRAY*>(psa), 1, &lower)) ||
      FAILED(SafeArrayGetUBound(const_cast<SAFEARRAY*>(psa), 1, &upper)))
    return 0;
  return upper >= lower ? upper - lower + 1 : 0;
}

bool isCapeErrorCode(HRESULT status) {
  const auto bits = static_cast<std::uint32_t>(status);
  return bits >= 0x80040501u && bits <= 0x80040517u;
}

}  // namespace

CCOError::CCOError(double floorValue) : m_floor(floorValue) {
  createCapeErrorUtils();
}

void CCOError::createCapeErrorUtils() {
  HRESULT hr = E_FAIL;
  try {
    constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    hr = CoCreateInstance(errorutils::kClsidCapeErrorUtils, nullptr, kAnyServer,
                          ICapeErrorUtils::kIID, m_errorUtils.putVoid());
    if (hr == E_INVALIDARG)
      hr = CoCreateInstance(errorutils::kClsidCapeErrorUtils, nullptr,
                            kAnyServer & ~CLSCTX_REMOTE_SERVER, ICapeErrorUtils::kIID,
                            m_errorUtils.putVoid());
  } catch (CTHCOMError* e) {
    CTHCOMError::adopt(e);
    hr = E_FAIL;
  } catch (...) {
    hr = E_FAIL;
  }
  if (FAILED(hr) || !m_errorUtils) {
    m_errorUtils.detach();  // never trust a pointer a failed creation left behind
    CCOError::popUpError(E_FAIL, "error creating capeErrorUtils", nullptr, reportLevel::kAll);
  }
}

CCOError::~CCOError() {
  try {
    m_errorUtils.reset();
  } catch (...) {
    Utils::traceLine("Crash releasing capeErrorUtils", nullptr, false, "\n");
  }
}

std::string CCOError::kindPrefix(ComplaintKind kind) const {
  switch (kind) {
    case ComplaintKind::InternalError:
      return "INTERNAL ERROR ";
    case ComplaintKind::NotAllowed:
      return "It is not allowed ";
    case ComplaintKind::PackageUnfeasibleValues:
      return "The CAPE-OPEN Property Package '" + packageName() +
             "' provided unfeasible thermodynamic values ";
    case ComplaintKind::PackageException:
      return "The CAPE-OPEN Property Package '" + packageName() + "' raised an exception while ";
    case ComplaintKind::PackageNonStandard:
    case ComplaintKind::PackageNonStandardTolerated:
      return "The CAPE-OPEN Property Package '" + packageName() +
             "' did not follow the standard while ";
    case ComplaintKind::SystemError:
      return "System Error (normally installation error) '";
    case ComplaintKind::SimulatorUnfeasibleValues:
      return "INTERNAL ERROR: The Simulator provided unfeasible thermodynamic values ";
    default:
      return {};
  }
}

void CCOError::appendPiece(std::string& message, std::string_view fragment, int level,
                           HRESULT status) const {
  if (message.empty() && fragment.empty()) return;
  if (!m_flags.anyOpen(level)) return;
  appendBounded(message, fragment, kMessageMax);
  if (status != S_OK && status != 100 && status != E_FAIL)
    appendBounded(message, "(" + std::to_string(status) + ")", kMessageMax);
}

HRESULT CCOError::complainErrorCore(HRESULT status, const OLECHAR* message, ComplaintKind kind,
                                    bool inCalculation, const OLECHAR* extra,
                                    std::string* outText) {
  const int level = inCalculation ? reportLevel::kCalculation : reportLevel::kAll;
  const HRESULT result =
      kind == ComplaintKind::PackageNonStandardTolerated ? S_OK : Utils::normaliseStatus(status);
  try {
    std::string text;
    appendBounded(text, kindPrefix(kind), kMessageMax);
    appendPiece(text, {}, level, status);
    appendPiece(text, narrowOf(message), level, S_OK);
    appendPiece(text, narrowOf(extra), level, S_OK);
    if (kind == ComplaintKind::PackageException || kind == ComplaintKind::PackageNonStandard)
      appendPiece(text, kVendorNotice, level, S_OK);
    if (inCalculation && kind != ComplaintKind::SimulatorUnfeasibleValues) {
      appendPiece(text,
                  "Detected while " + describeCalculation() + ". Material Object contents: ", level,
                  S_OK);
      appendPiece(text, describeMaterial(), level, S_OK);
    }
    if (outText) *outText = text;
    routeMessage(status, text.c_str(), level);
  } catch (CTHCOMError* e) {
    CTHCOMError::adopt(e);
    Utils::popUpStatus(E_FAIL, "Internal error", "complainErrorCore", nullptr, true);
  } catch (...) {
    Utils::popUpStatus(E_FAIL, "Internal error", "complainErrorCore", nullptr, true);
  }
  return result;
}

HRESULT CCOError::complain(HRESULT status, const char* message, ComplaintKind kind,
                           bool inCalculation, const char* extra, std::string* outText) {
  const std::u16string wideMessage = wideOf(message);
  const std::u16string wideExtra = wideOf(extra);
  return complainErrorCore(status, wideMessage.c_str(), kind, inCalculation, wideExtra.c_str(),
                           outText);
}

HRESULT CCOError::complainByKind(const char* message, ComplaintKind kind, bool inCalculation,
                                 const char* extra, std::string* outText) {
  const bool benign = kind == ComplaintKind::Plain || kind == ComplaintKind::Notice ||
                      kind == ComplaintKind::Warning;
  return complain(benign ? S_OK : E_FAIL, message, kind, inCalculation, extra, outText);
}

HRESULT CCOError::routeMessage(HRESULT status, const char* text, int level) {
  if (status == 100 && level >= reportLevel::kCalculation) level = reportLevel::kCalculation;
  HRESULT result = S_OK;
  if (m_flags.traceOpen(level) && !m_flags.popUpOpen(level)) result = traceMessage(text, level);
  if (level >= reportLevel::kSevere) severeLevelHook(0);
  // A complaint whose channels are all off reaches none: the pop-up path would otherwise open
  // a notice holding only the prefix.
  if (!m_flags.anyOpen(level)) return result;
  popUpError(status, text, nullptr, level);
  if (m_flags.logOpen(level)) Utils::traceStatus(status, text, nullptr);
  return result;
}

HRESULT CCOError::traceMessage(const char* text, int level) {
  Utils::traceStatus(E_FAIL, text, nullptr);
  return 1;
}

HRESULT CCOError::popUpError(HRESULT status, const char* text, const char* context, int level) {
  if (!m_flags.popUpOpen(level)) return S_OK;
  return Utils::popUpStatus(status, text, context, nullptr, false);
}

HRESULT CCOError::popUpMessage(const char* text, const char* context, int level) {
  popUpError(E_FAIL, text, context, level);
  return E_FAIL;
}

HRESULT CCOError::reportMessage(const char* text, int level) {
  const std::u16string wide = wideOf(text);
  return reportAtLevel(E_FAIL, wide.c_str(), level);
}

HRESULT CCOError::reportAtLevel(HRESULT status, const OLECHAR* text, int level) {
  return routeMessage(status, narrowOf(text).c_str(), level);
}

std::string CCOError::materialLine(const char* prefix, bool liquid,
                                   std::span<const double> x) const {
  const std::string lead = prefix ? std::string(prefix) + ", " : std::string();
  const std::string composition =
      x.empty() ? std::string()
                : SetGet::arrayToStr(x.data(), VT_R8, static_cast<LONG>(x.size()), nullptr,
                                     kCompositionDigits);
  return format("%s%s, T(K), %f, P(Pa), %f, %sC, %s", lead.c_str(), liquid ? "L" : "V",
                m_temperatureK, m_pressurePa, "", composition.c_str());
}

HRESULT CCOError::traceMaterialState(double temperatureK, double pressurePa,
                                     const double* composition, bool liquid, const char* prefix) {
  const std::string lead = prefix ? std::string(prefix) + ", " : std::string();
  const std::string x =
      composition && m_nComps > 0
          ? SetGet::arrayToStr(composition, VT_R8, m_nComps, nullptr, kCompositionDigits)
          : std::string();
  Utils::traceLine(format("%s%s, T(K), %f, P(Pa), %f, %sC, %s", lead.c_str(), liquid ? "L" : "V",
                          temperatureK, pressurePa, "", x.c_str()),
                   nullptr, false, "\n");
  return S_OK;
}

std::string CCOError::describeCalculation() const {
  return "calculating {" + SetGet::variantToStr(m_calcProperties) + ", " +
         SetGet::variantToStr(m_calcPhaseLabels) + ", " + m_calcType + "}";
}

std::string CCOError::describeMaterial() const {
  // One line per phase label; the context keeps the ids of the first two.
  const LONG positions =
      std::min<LONG>(itemCount(m_calcPhaseLabels), static_cast<LONG>(m_calcPhaseIds.size()));
  std::string out;
  for (LONG i = 0; i < positions; ++i) {
    const bool vapour = m_calcPhaseIds[i] == COIds::PhaseVapor;
    out += materialLine(nullptr, !vapour, m_fractions[i]);
  }
  return out;
}

HRESULT CCOError::checkPropertyValues(std::span<double> values, LONG propertyId,
                                      std::string* outText, LONG compoundIndex, bool fromPackage,
                                      const char* context) {
  const ValueCheck check = checkOf(propertyId);
  std::size_t count = COIds::isCompoundVector(propertyId, COIds::DerivNone)
                          ? static_cast<std::size_t>(std::max<LONG>(m_nComps, 0))
                          : 1;
  count = std::min(count, values.size());

  bool anyBad = false;
  for (std::size_t i = 0; i < count; ++i) {
    const double v = values[i];
    bool bad = !std::isfinite(v) || std::fabs(v) > kImplausibleMagnitude;
    if (!bad) {
      switch (check) {
        case ValueCheck::StrictlyPositive:
          bad = v <= 0.0;
          break;
        case ValueCheck::UnitInterval:
          bad = v < 0.0 || v > 1.0;
          break;
        case ValueCheck::PositiveClamp:
          if (v <= 0.0) {
            if (v > kClampTolerance)
              values[i] = m_floor;  // rounding noise around zero
            else
              bad = true;
          }
          break;
        case ValueCheck::None:
          break;
      }
    }
    if (bad) {
      anyBad = true;
      if (propertyId == COIds::PropSurfaceTension) values[0] = kNoValue;
    }
  }
  if (!anyBad) return S_OK;
  return comlite::coldPath([&] {
    // Every unfeasible answer is told: a repeated one is as wrong as the first.
    m_reported[propertyId] = true;

    const std::string rendered =
        SetGet::arrayToStr(values.data(), VT_R8, static_cast<LONG>(count), nullptr, -1);

    // Nothing that is not a finite number is ever passed on, whatever the property's check.
    for (std::size_t i = 0; i < count; ++i) {
      const double v = values[i];
      bool replace = !std::isfinite(v) || std::fabs(v) > kImplausibleMagnitude;
      if (check == ValueCheck::UnitInterval)
        replace = replace || v < 0.0 || v > 1.0;
      else if (check == ValueCheck::StrictlyPositive || check == ValueCheck::PositiveClamp)
        replace = replace || v <= 0.0;
      if (replace) values[i] = m_floor;
    }

    const char* name = COIds::id2cstr(propertyId);
    std::string message = "(" + rendered + ") for property '" + (name ? name : "") + "'. ";
    if (context) message += context;
    complain(E_FAIL, message.c_str(),
             fromPackage ? ComplaintKind::PackageUnfeasibleValues
                         : ComplaintKind::SimulatorUnfeasibleValues,
             true, nullptr, outText);
    // A value the package could not compute is no success, floored or not: only the clamp of
    // rounding noise above is.
    return E_FAIL;
  });
}

HRESULT CCOError::reportCapeError(const char* text, HRESULT status, IUnknown* failingObject,
                                  bool inCalculation, const char* context) {
  std::string description;
  // Error information the failing call left on the thread is the package's own account:
  // the composed message carries it. Only without it is the object itself asked.
  std::string pendingDescription, pendingSource;
  comlite::takeErrorInfo(pendingDescription, pendingSource);
  if (!pendingDescription.empty()) comlite::setErrorInfo(pendingDescription, pendingSource);
  if (pendingDescription.empty() && isCapeErrorCode(status) && m_errorUtils && failingObject) {
    comlite::Variant object;
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(
            failingObject->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(&dispatch))) &&
        dispatch) {
      object.vt = VT_DISPATCH;
      object.pdispVal = dispatch;  // the variant owns the reference
    } else {
      failingObject->AddRef();
      object.vt = VT_UNKNOWN;
      object.punkVal = failingObject;
    }
    const comlite::Bstr wideText(text ? text : "");
    comlite::Variant result;
    const HRESULT hr = m_errorUtils->DescribeError(wideText.get(), object, status, result.out());
    if (FAILED(hr)) throw comlite::ComError(hr, ICapeErrorUtils::kIID);
    description = SetGet::variantToStr(result, "\n", true);
  } else {
    description = Utils::composeMessage(status, text, context);
  }
  return complainByKind("", ComplaintKind::PackageException, inCalculation, description.c_str());
}

void CCOError::setPackageInfo(ICCAPEGUI* gui) {
  m_gui = comlite::ComPtr<ICCAPEGUI>(gui);
  for (auto& t : m_packageTexts) t.clear();
  if (!gui) return;
  comlite::Bstr text;
  comlite::check(gui->get_PackageName(text.out()), ICCAPEGUI::kIID);
  m_packageTexts[0] = text.utf8();
  comlite::check(gui->get_PackageAlias(text.out()), ICCAPEGUI::kIID);
  m_packageTexts[2] = text.utf8();
  comlite::check(gui->get_PackageProgID(text.out()), ICCAPEGUI::kIID);
  m_packageTexts[1] = text.utf8();
  comlite::check(gui->get_PackageDescription(text.out()), ICCAPEGUI::kIID);
  m_packageTexts[3] = text.utf8();
}

void CCOError::keepList(comlite::Variant& held, const VARIANT& wanted,
                        std::deque<comlite::Variant>& earlier) {
  if (sameStringList(held, wanted)) return;
  for (auto& e : earlier) {
    if (!sameStringList(e, wanted)) continue;
    std::swap(static_cast<VARIANT&>(e), static_cast<VARIANT&>(held));
    return;
  }
  if (held.vt != VT_EMPTY && earlier.size() < kEarlierLists) {
    earlier.emplace_back();
    std::swap(static_cast<VARIANT&>(earlier.back()), static_cast<VARIANT&>(held));
  }
  held = comlite::Variant(wanted);
}

void CCOError::setCalcContext(const VARIANT& properties, const VARIANT& phaseLabels,
                              const char* calcType, LONG phaseId0, LONG phaseId1) {
  // Requests repeat a few lists: one seen before is taken back, not copied again.
  keepList(m_calcProperties, properties, m_earlierProperties);
  keepList(m_calcPhaseLabels, phaseLabels, m_earlierPhaseLabels);
  m_calcType = calcType ? calcType : "";
  m_calcPhaseIds = {phaseId0, phaseId1};
}

void CCOError::SetTPFraction(double temperatureK, double pressurePa, const double* const* fractions,
                             LONG nComps, LONG nPhases) {
  if (nPhases > kMaxPhases) {
    popUpMessage(
        "In SetTPFraction, m_currentPhases is longer than number of phases "
        "preallocated.setting to maximum",
        nullptr, reportLevel::kAll);
    nPhases = kMaxPhases;
  }
  nPhases = std::max<LONG>(nPhases, 0);
  nComps = std::max<LONG>(nComps, 0);
  m_temperatureK = temperatureK;
  m_pressurePa = pressurePa;
  m_nComps = nComps;
  m_currentPhases = nPhases;
  for (LONG i = 0; i < kMaxPhases; ++i) {
    auto& kept = m_fractions[static_cast<std::size_t>(i)];
    kept.clear();
    if (i < nPhases && fractions && fractions[i]) kept.assign(fractions[i], fractions[i] + nComps);
  }
}

void CCOError::setNumberOfCompounds(LONG nComps) {
  m_nComps = std::max<LONG>(nComps, 0);
}

const std::string& CCOError::packageText(int index) const {
  static const std::string kNone;
  return index >= 0 && index < static_cast<int>(m_packageTexts.size())
             ? m_packageTexts[static_cast<std::size_t>(index)]
             : kNone;
}

const std::string& CCOError::packageLabel() const {
  return m_packageTexts[2].empty() ? m_packageTexts[0] : m_packageTexts[2];
}

std::string CCOError::packageName() const {
  if (m_gui) {
    comlite::Bstr name;
    if (SUCCEEDED(m_gui->get_PackageName(name.out()))) return name.utf8();
  }
  return m_packageTexts[0];
}

bool CCOError::wasReported(LONG propertyId) const {
  return m_reported.count(propertyId) != 0;
}
