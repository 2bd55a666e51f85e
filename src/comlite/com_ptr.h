#pragma once
//! ComPtr: the one RAII holder for COM interface pointers.
//!
//! AddRef on copy, Release on destruction; `attach` adopts a reference without AddRef and
//! `detach` gives one away. `T::kIID` names the interface for queries.

#include <utility>

#include "comlite/unknown.h"

namespace comlite {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  //! Shares `p`: AddRef'ed.
  explicit ComPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
  ComPtr(ComPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  ~ComPtr() { reset(); }

  //! Adopts a reference the caller already owns.
  static ComPtr attach(T* p) {
    ComPtr c;
    c.m_p = p;
    return c;
  }
  //! Gives the reference away.
  T* detach() { return std::exchange(m_p, nullptr); }
  void reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  //! Releases the current pointer and returns the slot for an [out] parameter.
  T** put() {
    reset();
    return &m_p;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }

  //! QueryInterface for U; an empty holder when unsupported (the status goes to `hr`).
  template <class U>
  ComPtr<U> as(HRESULT* hr = nullptr) const {
    ComPtr<U> out;
    HRESULT r = m_p ? m_p->QueryInterface(U::kIID, out.putVoid()) : E_POINTER;
    if (FAILED(r)) out.reset();
    if (hr) *hr = r;
    return out;
  }

 private:
  T* m_p = nullptr;
};

//! Whether two pointers name the same object (COM identity through IUnknown).
bool sameObject(IUnknown* a, IUnknown* b);

}  // namespace comlite
