#pragma once
//! IPropertyEnumerationRegistry over the process-wide name table, as a base for the objects
//! that offer it (the property registry and the property callback of a calculation).

#include "comlite/bstr.h"
#include "comlite/object.h"
#include "outside/ravelin_registry.h"
#include "ravelin/objects/guarded.h"
#include "ravelin/property_names.h"

namespace ravelin::detail {

template <class Derived, class... Extra>
class RegistryObject : public comlite::ComObject<Derived, Extra..., IPropertyEnumerationRegistry> {
 public:
  HRESULT GetPropertyID(BSTR name, LONG* id) override {
    if (!id) return E_POINTER;
    *id = kNoPropertyId;
    if (SysStringLen(name) == 0) return E_INVALIDARG;
    return guarded([&] {
      *id = propertyId(comlite::bstrToUtf8(name));
      return *id == kNoPropertyId ? DISP_E_UNKNOWNNAME : S_OK;
    });
  }
  HRESULT FindPropertyID(BSTR name, LONG* id, LONG flags) override {
    if (!id) return E_POINTER;
    *id = kNoPropertyId;
    if (SysStringLen(name) == 0) return E_INVALIDARG;
    if (flags != kFindOnly && flags != kAddIfMissing) return E_INVALIDARG;
    return guarded([&] {
      const std::string text = comlite::bstrToUtf8(name);
      *id = flags == kAddIfMissing ? addPropertyName(text) : propertyId(text);
      return *id == kNoPropertyId ? S_FALSE : S_OK;
    });
  }
  HRESULT GetPropertyName(LONG id, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    return guarded([&] {
      const std::string text = propertyName(id);
      if (text.empty()) return E_INVALIDARG;
      *name = comlite::bstrFromUtf8(text);
      return *name ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    return guarded([&] {
      *count = static_cast<LONG>(knownPropertyNames().size());
      return S_OK;
    });
  }
};

class PropertyRegistryObject final : public RegistryObject<PropertyRegistryObject> {
 public:
  using Primary = IPropertyEnumerationRegistry;
  static constexpr IID kOwnIID = comlite::makeGuid("D352106C-CDA2-4432-9FAA-8B3B63EFCCA1");

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }
};

}  // namespace ravelin::detail
