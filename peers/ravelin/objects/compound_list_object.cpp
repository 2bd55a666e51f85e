#include "ravelin/objects/compound_list_object.h"

#include "comlite/bstr.h"
#include "ravelin/objects/guarded.h"

namespace ravelin::detail {

namespace {

bool sameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

HRESULT CompoundListObject::get_Count(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_compounds.size());
  return S_OK;
}

HRESULT CompoundListObject::get_Item(LONG index, IDispatch** compound) {
  if (!compound) return E_POINTER;
  *compound = nullptr;
  if (index < 0 || static_cast<std::size_t>(index) >= m_compounds.size()) return DISP_E_BADINDEX;
  *compound = m_compounds[static_cast<std::size_t>(index)].get();
  (*compound)->AddRef();
  return S_OK;
}

HRESULT CompoundListObject::IndexOf(BSTR name, LONG* index) {
  if (!index) return E_POINTER;
  *index = -1;
  if (SysStringLen(name) == 0) return E_INVALIDARG;
  return guarded([&] {
    for (std::size_t i = 0; i < m_compounds.size(); ++i) {
      comlite::Bstr candidate;
      if (FAILED(m_compounds[i]->get_Name(candidate.out()))) continue;
      if (sameNameIgnoringCase(candidate.view(), comlite::bstrView(name))) {
        *index = static_cast<LONG>(i);
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  });
}

}  // namespace ravelin::detail
