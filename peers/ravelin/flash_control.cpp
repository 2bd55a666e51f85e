#include "ravelin/flash_control.h"

#include <new>

#include "ravelin/objects/flash_control_object.h"
#include "ravelin/objects/own_object.h"
#include "ravelin/objects/property_manager_object.h"
#include "ravelin/objects/registry_object.h"
#include "ravelin/property_names.h"

namespace ravelin {

using detail::FlashControlObject;
using detail::PropertyManagerObject;
using detail::PropertyRegistryObject;

FlashControl::FlashControl(comlite::ComPtr<IRvlFlashControl> object)
    : m_object(std::move(object)) {}

FlashControl FlashControl::create() {
  auto object =
      comlite::ComPtr<IRvlFlashControl>::attach(comlite::makeObject<FlashControlObject>());
  if (!object) throw std::bad_alloc();
  return FlashControl(std::move(object));
}

std::optional<FlashControl> FlashControl::from(IUnknown* object) {
  auto own = detail::ownObject<FlashControlObject>(object);
  if (!own) return std::nullopt;
  return FlashControl(std::move(own));
}

std::optional<double> FlashControl::option(std::string_view name, LONG flashType) const {
  double value = 0;
  if (FAILED(m_object->GetOption(propertyId(name), flashType, &value))) return std::nullopt;
  return value;
}

std::size_t FlashControl::optionCount() const {
  return detail::objectOf<FlashControlObject>(m_object)->options().size();
}

std::size_t FlashControl::setOptionCalls() const {
  return detail::objectOf<FlashControlObject>(m_object)->setOptionCalls();
}

void FlashControl::setLocked(bool locked) {
  detail::objectOf<FlashControlObject>(m_object)->setLocked(locked);
}

IDispatch* FlashControl::dispatch() const {
  return m_object.get();
}

PropertyManager::PropertyManager(comlite::ComPtr<IRvlFlashControlProvider> object)
    : m_object(std::move(object)) {}

PropertyManager PropertyManager::create(std::optional<FlashControl> flashControl) {
  auto object = comlite::ComPtr<IRvlFlashControlProvider>::attach(
      comlite::makeObject<PropertyManagerObject>());
  if (!object) throw std::bad_alloc();
  PropertyManager m(std::move(object));
  m.setFlashControl(std::move(flashControl));
  return m;
}

std::optional<PropertyManager> PropertyManager::from(IUnknown* object) {
  auto own = detail::ownObject<PropertyManagerObject>(object);
  if (!own) return std::nullopt;
  return PropertyManager(std::move(own));
}

std::optional<FlashControl> PropertyManager::flashControl() const {
  const auto& control = detail::objectOf<PropertyManagerObject>(m_object)->flashControl();
  return control ? FlashControl::from(control.get()) : std::nullopt;
}

void PropertyManager::setFlashControl(std::optional<FlashControl> flashControl) {
  comlite::ComPtr<IRvlFlashControl> control;
  if (flashControl) control = detail::ownObject<FlashControlObject>(flashControl->dispatch());
  detail::objectOf<PropertyManagerObject>(m_object)->setFlashControl(std::move(control));
}

void PropertyManager::offerRegistry(bool offered) {
  detail::objectOf<PropertyManagerObject>(m_object)->offerRegistry(offered);
}

void PropertyManager::offerFlashControlProvider(bool offered) {
  detail::objectOf<PropertyManagerObject>(m_object)->offerProvider(offered);
}

IDispatch* PropertyManager::dispatch() const {
  return m_object.get();
}

PropertyRegistry::PropertyRegistry(comlite::ComPtr<IPropertyEnumerationRegistry> object)
    : m_object(std::move(object)) {}

PropertyRegistry PropertyRegistry::create() {
  auto object = comlite::ComPtr<IPropertyEnumerationRegistry>::attach(
      comlite::makeObject<PropertyRegistryObject>());
  if (!object) throw std::bad_alloc();
  return PropertyRegistry(std::move(object));
}

IDispatch* PropertyRegistry::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
