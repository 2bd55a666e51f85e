#pragma once
//! The property callback the host hands a package with each calculation: it reaches the
//! property registry and, through the provider interface, the host's flash control. Either
//! interface can be withdrawn, as hosts that offer less do.

#include "comlite/com_ptr.h"
#include "outside/ravelin_flash.h"
#include "ravelin/objects/registry_object.h"

namespace ravelin::detail {

class PropertyManagerObject final
    : public RegistryObject<PropertyManagerObject, IRvlFlashControlProvider> {
 public:
  using Primary = IRvlFlashControlProvider;
  static constexpr IID kOwnIID = comlite::makeGuid("94C30E8B-3355-420C-9ECA-95A5C836BC13");

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  HRESULT GetFlashControl(IDispatch** control) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  const comlite::ComPtr<IRvlFlashControl>& flashControl() const { return m_flashControl; }
  void setFlashControl(comlite::ComPtr<IRvlFlashControl> control) {
    m_flashControl = std::move(control);
  }
  void offerRegistry(bool offered) { m_offerRegistry = offered; }
  void offerProvider(bool offered) { m_offerProvider = offered; }

 private:
  comlite::ComPtr<IRvlFlashControl> m_flashControl;
  bool m_offerRegistry = true;
  bool m_offerProvider = true;
};

}  // namespace ravelin::detail
