#include "ravelin/objects/flash_control_object.h"

#include <cmath>
#include <iterator>

#include "outside/ravelin_ids.h"
#include "ravelin/objects/guarded.h"
#include "ravelin/property_names.h"

namespace ravelin::detail {

HRESULT FlashControlObject::get_MaxIterations(LONG* count) {
  if (!count) return E_POINTER;
  *count = m_maxIterations;
  return S_OK;
}

HRESULT FlashControlObject::put_MaxIterations(LONG count) {
  if (count < 1) return E_INVALIDARG;
  if (m_locked) return RAVELIN_E_LOCKED;
  m_maxIterations = count;
  return S_OK;
}

HRESULT FlashControlObject::get_Tolerance(double* tolerance) {
  if (!tolerance) return E_POINTER;
  *tolerance = m_tolerance;
  return S_OK;
}

HRESULT FlashControlObject::put_Tolerance(double tolerance) {
  if (!std::isfinite(tolerance) || tolerance <= 0) return E_INVALIDARG;
  if (m_locked) return RAVELIN_E_LOCKED;
  m_tolerance = tolerance;
  return S_OK;
}

HRESULT FlashControlObject::get_UseInitialGuess(VARIANT_BOOL* use) {
  if (!use) return E_POINTER;
  *use = m_useInitialGuess ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT FlashControlObject::put_UseInitialGuess(VARIANT_BOOL use) {
  if (m_locked) return RAVELIN_E_LOCKED;
  m_useInitialGuess = use != VARIANT_FALSE;
  return S_OK;
}

HRESULT FlashControlObject::get_OptionCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_options.size());
  return S_OK;
}

HRESULT FlashControlObject::GetOptionAt(LONG index, LONG* optionId, LONG* flashType,
                                        double* value) {
  if (!optionId || !flashType || !value) return E_POINTER;
  if (index < 0 || static_cast<std::size_t>(index) >= m_options.size()) return DISP_E_BADINDEX;
  auto it = std::next(m_options.begin(), index);
  *optionId = it->first.first;
  *flashType = it->first.second;
  *value = it->second;
  return S_OK;
}

const double* FlashControlObject::find(LONG optionId, LONG flashType) const {
  if (auto it = m_options.find({optionId, flashType}); it != m_options.end()) return &it->second;
  if (auto it = m_options.find({optionId, 0}); it != m_options.end()) return &it->second;
  return nullptr;
}

HRESULT FlashControlObject::GetOption(LONG optionId, LONG flashType, double* value) {
  if (!value) return E_POINTER;
  const double* found = find(optionId, flashType);
  if (!found) return RAVELIN_E_NOVALUE;
  *value = *found;
  return S_OK;
}

HRESULT FlashControlObject::HasOption(LONG optionId, LONG flashType, VARIANT_BOOL* present) {
  if (!present) return E_POINTER;
  *present = find(optionId, flashType) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT FlashControlObject::ResetOptions() {
  if (m_locked) return RAVELIN_E_LOCKED;
  m_options.clear();
  return S_OK;
}

HRESULT FlashControlObject::SetOption(LONG optionId, double value, LONG flashType, LONG phase,
                                      LONG reserved1, LONG reserved2) {
  return guarded([&] {
    ++m_setOptionCalls;
    if (propertyName(optionId).empty()) return E_INVALIDARG;
    if (flashType < 0 || flashType > kLastFlashType) return E_INVALIDARG;
    if (phase != 0 || reserved1 != 0 || reserved2 != 0) return E_INVALIDARG;
    if (!std::isfinite(value)) return E_INVALIDARG;
    if (m_locked) return RAVELIN_E_LOCKED;
    m_options[{optionId, flashType}] = value;
    return S_OK;
  });
}

}  // namespace ravelin::detail
