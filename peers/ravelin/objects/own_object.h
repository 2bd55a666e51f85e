#pragma once
//! Recognising this library's own objects behind an interface pointer.
//!
//! Each object class answers a private interface id (`kOwnIID`, never published) with its
//! primary interface; the builder handles cast that pointer back to the class. Objects of other
//! modules do not know the id, so a foreign object is never mistaken for one of ours.

#include "comlite/com_ptr.h"

namespace ravelin::detail {

//! The object behind `unknown` when it is an `Object` of this library, with one reference held
//! by the returned pointer; an empty pointer otherwise.
template <class Object>
comlite::ComPtr<typename Object::Primary> ownObject(IUnknown* unknown) {
  using Primary = typename Object::Primary;
  if (!unknown) return {};
  void* p = nullptr;
  if (FAILED(unknown->QueryInterface(Object::kOwnIID, &p)) || !p) return {};
  return comlite::ComPtr<Primary>::attach(static_cast<Primary*>(p));
}

//! The class behind a pointer obtained from ownObject (or from the class itself).
template <class Object>
Object* objectOf(const comlite::ComPtr<typename Object::Primary>& primary) {
  return static_cast<Object*>(primary.get());
}

}  // namespace ravelin::detail
