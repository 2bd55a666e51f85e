#include "vocabulary/property_translator.h"

#include <cmath>
#include <limits>
#include <string>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "base/message_output.h"
#include "outside/ravelin_compounds.h"
#include "base/math_utils.h"
#include "vocabulary/co_ids.h"

namespace {

//! The host's no-value marker, returned when the host could not give a molecular weight.
constexpr double kNoValue = -32767.0;

}  // namespace

CCOPropertyTranslator::~CCOPropertyTranslator() = default;
CCOProperty::~CCOProperty() = default;

double CCOPropertyTranslator::getMW(IUnknown*) {
  Utils::popUpStatus("Only RVLproperties are allowed to convert mass/mole");
  return 0.0;
}

double CCOPropertyTranslator::basisFactor(IUnknown* component) {
  if (m_basisMode == 0) return -1.0;
  if (!component) {
    const char* identifier = COIds::id2cstr(m_coId);  // null for an id without text
    const std::string text = std::string("Property ") + (identifier ? identifier : "") +
                             " requires MW and Component pointer was not provided";
    Utils::popUpStatus(text.c_str());
    return 0.0;
  }
  return getMW(component);
}

void CCOPropertyTranslator::setConversion(double moleMultiplier, double offset,
                                          double massMultiplier) {
  m_QO2COMoleMult = moleMultiplier;
  m_offset = offset;
  m_QO2COMassMult = massMultiplier;
  if (m_QO2COMoleMult == 0.0 || m_QO2COMassMult == 0.0)
    Utils::popUpStatus("CCOProperty: m_QO2COMoleMult==0.0 || m_QO2COMassMult==0.0");
}

namespace {

constexpr double kNotTranslated = std::numeric_limits<double>::quiet_NaN();

//! A molecular weight the basis step may use: a failed or missing one (0, the no-value
//! marker, NaN) must not scale a value the host then takes as real.
bool usableFactor(double factor) {
  return std::isfinite(factor) && factor > 0.0 && factor != kNoValue;
}

double finiteOrNot(double v) {
  return std::isfinite(v) ? v : kNotTranslated;
}

}  // namespace

double CCOPropertyTranslator::CO2QO(double value, IUnknown* component, LONG derivVariable) {
  if (!std::isfinite(value)) return kNotTranslated;
  if (derivVariable != 0) {
    // Without the value itself the derivative of a logarithm or a power is unknown; callers
    // with the value use the chain rule (calc/value_conversion.h).
    if (m_logMode != 0 || m_exponent != 1.0) return kNotTranslated;
    if (m_QO2COMoleMult == 0.0) return 0.0;
    double d = value / m_QO2COMoleMult;  // the offset has no derivative
    if (m_basisMode != 0) {
      const double factor = basisFactor(component);
      if (!usableFactor(factor)) return kNotTranslated;
      d = m_basisMode == 1 ? d * factor : d / factor;
    }
    if (derivVariable == COIds::PropPressure) d *= 1000.0;
    return finiteOrNot(d);
  }
  // The input is a CAPE-OPEN value, never a marker: the linear map always applies.
  double v = m_QO2COMoleMult == 0.0 ? 0.0 : (value - m_offset) / m_QO2COMoleMult;
  if (m_exponent != 1.0) v = std::pow(v, 1.0 / m_exponent);
  if (m_basisMode != 0) {
    const double factor = basisFactor(component);
    if (!usableFactor(factor)) return kNotTranslated;
    v = m_basisMode == 1 ? v * factor : v / factor;
  }
  if (m_logMode == 1)
    v = MathUtils::safeLog(v);
  else if (m_logMode == -1)
    v = MathUtils::safeExp(v);
  return finiteOrNot(v);
}

double CCOPropertyTranslator::QO2CO(double value, IUnknown* component, LONG derivVariable) {
  // The steps of CO2QO undone in reverse order, so that QO2CO(CO2QO(x)) == x.
  if (!std::isfinite(value)) return kNotTranslated;
  if (derivVariable != 0) {
    if (m_logMode != 0 || m_exponent != 1.0) return kNotTranslated;
    double d = value;
    if (derivVariable == COIds::PropPressure) d /= 1000.0;
    if (m_basisMode != 0) {
      const double factor = basisFactor(component);
      if (!usableFactor(factor)) return kNotTranslated;
      d = m_basisMode == 1 ? d / factor : d * factor;
    }
    return finiteOrNot(d * m_QO2COMoleMult);
  }
  double v = value;
  // A guarded limit is a marker, not a number: it passes on as it is.
  if (m_logMode == 1) {
    if (MathUtils::safeExpLimits(v)) return MathUtils::safeExp(v);
    v = std::exp(v);
  } else if (m_logMode == -1) {
    if (MathUtils::safeLogLimits(v)) return MathUtils::safeLog(v);
    v = std::log(v);
  }
  if (m_basisMode != 0) {
    const double factor = basisFactor(component);
    if (!usableFactor(factor)) return kNotTranslated;
    v = m_basisMode == 1 ? v / factor : v * factor;
  }
  if (m_exponent != 1.0) v = std::pow(v, m_exponent);
  return finiteOrNot(v * m_QO2COMoleMult + m_offset);
}

double CRVLProperty::getMW(IUnknown* component) {
  if (!component) throw comlite::ComError(E_POINTER, IRvlComponent::kIID);
  comlite::ComPtr<IRvlComponent> host;
  HRESULT hr = component->QueryInterface(IRvlComponent::kIID, host.putVoid());
  if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !host))
    throw comlite::ComError(E_POINTER, IRvlComponent::kIID);
  if (FAILED(hr)) throw comlite::ComError(hr, IRvlComponent::kIID);
  double mw = kNoValue;
  comlite::Bstr name("MW");
  hr = host->GetPropertyValue(name.get(), 273.15, 101.325, &mw);
  if (FAILED(hr)) {
    Utils::popUpStatus(hr, "GetMW failed");
    return kNoValue;
  }
  return mw;
}
