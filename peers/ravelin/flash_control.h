#pragma once
//! Builder handles of the host's flash control, of the property callback that offers it, and
//! of the property registry.

#include <optional>
#include <string_view>

#include "comlite/com_ptr.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_registry.h"
#include "ravelin/api.h"

namespace ravelin {

class RAVELIN_API FlashControl {
 public:
  static FlashControl create();
  static std::optional<FlashControl> from(IUnknown* object);

  //! The option as the host's flash reads it: for that flash type, else for every type.
  std::optional<double> option(std::string_view name, LONG flashType = 0) const;
  std::size_t optionCount() const;
  //! Calls of SetOption, successful or not.
  std::size_t setOptionCalls() const;
  //! While locked every change is refused with RAVELIN_E_LOCKED.
  void setLocked(bool locked);
  IDispatch* dispatch() const;

 private:
  explicit FlashControl(comlite::ComPtr<IRvlFlashControl> object);
  comlite::ComPtr<IRvlFlashControl> m_object;
};

//! The property callback handed to a package with each calculation.
class RAVELIN_API PropertyManager {
 public:
  //! Offers the registry and the provider; the provider gives `flashControl` (or null).
  static PropertyManager create(std::optional<FlashControl> flashControl = std::nullopt);
  static std::optional<PropertyManager> from(IUnknown* object);

  std::optional<FlashControl> flashControl() const;
  void setFlashControl(std::optional<FlashControl> flashControl);
  void offerRegistry(bool offered);
  void offerFlashControlProvider(bool offered);
  IDispatch* dispatch() const;

 private:
  explicit PropertyManager(comlite::ComPtr<IRvlFlashControlProvider> object);
  comlite::ComPtr<IRvlFlashControlProvider> m_object;
};

//! The property registry the host hands a package at registration.
class RAVELIN_API PropertyRegistry {
 public:
  static PropertyRegistry create();
  IDispatch* dispatch() const;

 private:
  explicit PropertyRegistry(comlite::ComPtr<IPropertyEnumerationRegistry> object);
  comlite::ComPtr<IPropertyEnumerationRegistry> m_object;
};

}  // namespace ravelin
