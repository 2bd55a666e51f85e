#include "vocabulary/property_translator.h"

#include <cmath>
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
    const std::string text = std::string("Property ") + COIds::id2cstr(m_coId) +
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

double CCOPropertyTranslator::CO2QO(double value, IUnknown* component, LONG derivVariable) {
  double v = value;
  if (!MathUtils::isClampValue(v))
    v = m_QO2COMoleMult == 0.0 ? 0.0 : (v - m_offset) / m_QO2COMoleMult;
  if (m_exponent != 1.0) v = std::pow(v, 1.0 / m_exponent);
  const double factor = basisFactor(component);
  if (m_basisMode == 1)
    v *= factor;
  else if (m_basisMode == -1)
    v /= factor;
  if (m_logMode == 1)
    v = MathUtils::safeLog(v);
  else if (m_logMode == -1)
    v = MathUtils::safeExp(v);
  if (derivVariable == COIds::PropPressure && !MathUtils::isClampValue(v)) v *= 1000.0;
  return v;
}

double CCOPropertyTranslator::QO2CO(double value, IUnknown* component, LONG derivVariable) {
  // The steps of CO2QO undone in reverse order, so that QO2CO(CO2QO(x)) == x for every
  // translator, including derivatives by pressure of logarithmic and offset properties.
  double v = value;
  if (derivVariable == COIds::PropPressure && !MathUtils::isClampValue(v)) v /= 1000.0;
  if (m_logMode == 1)
    v = MathUtils::safeExp(v);
  else if (m_logMode == -1)
    v = MathUtils::safeLog(v);
  const double factor = basisFactor(component);
  if (m_basisMode == 1)
    v /= factor;
  else if (m_basisMode == -1)
    v *= factor;
  if (m_exponent != 1.0) v = std::pow(v, m_exponent);
  if (!MathUtils::isClampValue(v)) v = v * m_QO2COMoleMult + m_offset;
  return v;
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
