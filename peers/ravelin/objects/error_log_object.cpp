#include "ravelin/objects/error_log_object.h"

#include "comlite/bstr.h"
#include "ravelin/objects/guarded.h"

namespace ravelin::detail {

HRESULT ErrorLogObject::AddMessage(LONG status, BSTR message, LONG level, VARIANT_BOOL show) {
  if (!m_accepting) {
    ++m_refused;
    return E_FAIL;
  }
  return guarded([&] {
    m_entries.push_back({status, comlite::bstrToUtf8(message), level, show != VARIANT_FALSE});
    return S_OK;
  });
}

HRESULT ErrorLogObject::get_Count(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_entries.size());
  return S_OK;
}

HRESULT ErrorLogObject::GetMessage(LONG index, LONG* status, BSTR* message, LONG* level) {
  if (!status || !message || !level) return E_POINTER;
  *message = nullptr;
  if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return DISP_E_BADINDEX;
  const Entry& e = m_entries[static_cast<std::size_t>(index)];
  return guarded([&] {
    *message = comlite::bstrFromUtf8(e.message);
    if (!*message) return E_OUTOFMEMORY;
    *status = e.status;
    *level = e.level;
    return S_OK;
  });
}

HRESULT ErrorLogObject::Clear() {
  m_entries.clear();
  return S_OK;
}

}  // namespace ravelin::detail
