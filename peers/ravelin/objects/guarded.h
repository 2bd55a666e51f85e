#pragma once
//! Runs the body of a vtable method so that no exception leaves it: allocation failures become
//! E_OUTOFMEMORY, anything else E_FAIL.

#include <new>

#include "comlite/hresult.h"

namespace ravelin::detail {

template <class Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace ravelin::detail
