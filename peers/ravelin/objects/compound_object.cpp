#include "ravelin/objects/compound_object.h"

#include <cmath>
#include <iterator>
#include <stdexcept>

#include "comlite/bstr.h"
#include "outside/ravelin_ids.h"
#include "ravelin/objects/guarded.h"
#include "ravelin/property_names.h"

namespace ravelin::detail {

namespace {

//! Absent texts travel as null strings.
HRESULT textOut(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return guarded([&] {
    if (text.empty()) return S_OK;
    *out = comlite::bstrFromUtf8(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  });
}

bool validState(double T, double P) {
  return std::isfinite(T) && std::isfinite(P) && T > 0 && P > 0;
}

}  // namespace

std::string CompoundObject::canonicalCode(BSTR name) {
  if (SysStringLen(name) == 0) return {};
  return propertyName(propertyId(comlite::bstrToUtf8(name)));
}

void CompoundObject::putConstant(const std::string& code, double value) {
  const std::string canonical = propertyName(requirePropertyId(code));
  m_constants[canonical] = value;
  m_committed[canonical] = value;
}

HRESULT CompoundObject::get_Name(BSTR* name) {
  return textOut(m_identity.name, name);
}

HRESULT CompoundObject::constantAtState(const char* code, double T, double P, double* value) const {
  if (!value) return E_POINTER;
  if (!validState(T, P)) return E_INVALIDARG;
  // Constants hold at every state; the state is part of the call for properties that do not.
  auto it = m_constants.find(code);
  if (it == m_constants.end()) return RAVELIN_E_NOVALUE;
  *value = it->second;
  return S_OK;
}

HRESULT CompoundObject::GetNormalBoilingPoint(double T, double P, double* value) {
  return constantAtState("NBP", T, P, value);
}

HRESULT CompoundObject::GetMolecularWeight(double T, double P, double* value) {
  return constantAtState("MW", T, P, value);
}

HRESULT CompoundObject::get_Formula(BSTR* formula) {
  return textOut(m_identity.formula, formula);
}

HRESULT CompoundObject::get_CASNumber(BSTR* casNumber) {
  return textOut(m_identity.casNumber, casNumber);
}

HRESULT CompoundObject::get_IsHypothetical(VARIANT_BOOL* hypothetical) {
  if (!hypothetical) return E_POINTER;
  *hypothetical = m_identity.idNumber >= kFirstHypotheticalId ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CompoundObject::get_IDNumber(LONG* idNumber) {
  if (!idNumber) return E_POINTER;
  *idNumber = m_identity.idNumber;
  return S_OK;
}

HRESULT CompoundObject::GetPropertyValue(BSTR name, double T, double P, double* value) {
  if (!value) return E_POINTER;
  return guarded([&] {
    const std::string code = canonicalCode(name);
    if (code.empty()) return DISP_E_UNKNOWNNAME;
    return constantAtState(code.c_str(), T, P, value);
  });
}

HRESULT CompoundObject::get_ConstantCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_constants.size());
  return S_OK;
}

HRESULT CompoundObject::GetConstantName(LONG index, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  if (index < 0 || static_cast<std::size_t>(index) >= m_constants.size()) return DISP_E_BADINDEX;
  return textOut(std::next(m_constants.begin(), index)->first, name);
}

HRESULT CompoundObject::GetConstant(BSTR name, double* value) {
  if (!value) return E_POINTER;
  return guarded([&] {
    const std::string code = canonicalCode(name);
    if (code.empty()) return DISP_E_UNKNOWNNAME;
    auto it = m_constants.find(code);
    if (it == m_constants.end()) return RAVELIN_E_NOVALUE;
    *value = it->second;
    return S_OK;
  });
}

HRESULT CompoundObject::SetConstant(BSTR name, LONG unitSet, double value) {
  return guarded([&] {
    const std::string code = canonicalCode(name);
    if (code.empty()) return DISP_E_UNKNOWNNAME;
    if (unitSet != kHostUnits || !std::isfinite(value)) return E_INVALIDARG;
    m_constants[code] = value;
    return S_OK;
  });
}

HRESULT CompoundObject::ClearConstant(BSTR name) {
  return guarded([&] {
    const std::string code = canonicalCode(name);
    if (code.empty()) return DISP_E_UNKNOWNNAME;
    return m_constants.erase(code) ? S_OK : RAVELIN_E_NOVALUE;
  });
}

HRESULT CompoundObject::get_Modified(VARIANT_BOOL* modified) {
  if (!modified) return E_POINTER;
  *modified = m_commits > 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CompoundObject::BeginEdit() {
  return guarded([&] {
    m_committed = m_constants;
    return S_OK;
  });
}

HRESULT CompoundObject::EndEdit(LONG cancel) {
  return guarded([&] {
    if (cancel != 0) {
      m_constants = m_committed;
    } else {
      m_committed = m_constants;
      ++m_commits;
    }
    return S_OK;
  });
}

}  // namespace ravelin::detail
