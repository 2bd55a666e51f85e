#pragma once
//! The vtable slot a pointer to a virtual member function designates.
//!
//! Itanium C++ ABI (x86-64): a pointer to a virtual member is {1 + byte offset of the slot in
//! the vtable, this adjustment}; to a non-virtual member, {function address, adjustment}.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ravelintest {

#if !defined(__x86_64__) && !defined(__i386__)
#error "vtableSlot decodes the x86 Itanium member pointer layout"
#endif

//! The slot index, or -1 for a non-virtual member.
template <class C, class R, class... A>
std::ptrdiff_t vtableSlot(R (C::*member)(A...)) {
  struct Representation {
    std::uintptr_t ptr;
    std::ptrdiff_t adjustment;
  };
  static_assert(sizeof(member) == sizeof(Representation));
  Representation r;
  std::memcpy(&r, &member, sizeof r);
  if ((r.ptr & 1u) == 0) return -1;
  return static_cast<std::ptrdiff_t>((r.ptr - 1) / sizeof(void*));
}

//! The function in slot `slot` of an interface's vtable, to call as `fn(iface, args...)`.
template <class Fn, class I>
Fn slotFunction(I* iface, std::size_t slot) {
  void** vtable = *reinterpret_cast<void***>(iface);
  return reinterpret_cast<Fn>(vtable[slot]);
}

}  // namespace ravelintest
