#include "ravelin/objects/property_manager_object.h"

namespace ravelin::detail {

HRESULT PropertyManagerObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if ((!m_offerRegistry && riid == IPropertyEnumerationRegistry::kIID) ||
      (!m_offerProvider && riid == IRvlFlashControlProvider::kIID)) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return RegistryObject::QueryInterface(riid, ppv);
}

HRESULT PropertyManagerObject::GetFlashControl(IDispatch** control) {
  if (!control) return E_POINTER;
  *control = m_flashControl.get();
  if (*control) (*control)->AddRef();
  return S_OK;
}

}  // namespace ravelin::detail
