#pragma once
//! The vtable slot of a virtual member function, read from its pointer-to-member under the
//! Itanium C++ ABI (GCC, Clang): a virtual member pointer stores 1 + the slot's byte offset.
//! Slot tests use it to prove that a declaration puts each method where COM callers expect it.

#include <cstddef>
#include <cstring>

namespace comlite {

//! Slot index of `method`, or -1 when it is not a virtual function.
template <class PMF>
int vtableSlot(PMF method) {
  static_assert(sizeof(PMF) == 2 * sizeof(std::ptrdiff_t), "Itanium member pointer expected");
  std::ptrdiff_t raw[2];
  std::memcpy(raw, &method, sizeof raw);
  if ((raw[0] & 1) == 0) return -1;
  return static_cast<int>((raw[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

}  // namespace comlite
