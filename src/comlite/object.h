#pragma once
//! ComObject: the one object idiom for implementations in our modules.
//!
//! Derive `class Foo : public comlite::ComObject<Foo, IBar, IBaz>`; create with
//! `comlite::makeObject<Foo>(args...)` (reference count 1). QueryInterface answers the listed
//! interfaces in order, IDispatch with the first listed interface that derives from it, and
//! IUnknown with the first one; `queryExtra` may add more. Counting is atomic; the object is
//! deleted when the count reaches zero. IDispatch methods default to "no type information",
//! unless the dual interfaces are listed as automation::DualImpl bases, which bring their own
//! (then every dual interface must be listed that way, or the defaults would hide them).
//!
//! Live objects are counted per module (see liveObjectCount) so that DllCanUnloadNow can answer.

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "comlite/dispatch.h"

namespace comlite {

//! Objects alive in the calling module. Modules are built with hidden visibility, so each
//! shared library has its own counter.
inline std::atomic<long>& liveObjectCount() {
  static std::atomic<long> count{0};
  return count;
}

namespace detail {

//! A listed base that brings its own IDispatch overriders (automation::DualImpl).
template <class I>
constexpr bool servesDispatch = requires {
  I::kServesDispatch;
};

//! A listed dual interface that would need the IDispatch defaults.
template <class I>
constexpr bool needsDispatchDefaults = std::is_base_of_v<IDispatch, I> && !servesDispatch<I>;

//! The listed interfaces; with at least one dual interface among them, also the IDispatch
//! defaults (no type information), so that objects without IDispatch get no stray members.
template <bool WithDispatch, class... Interfaces>
struct InterfaceSet : Interfaces... {};

template <class... Interfaces>
struct InterfaceSet<true, Interfaces...> : Interfaces... {
  // Defaults for dual interfaces whose callers use the vtable only.
  HRESULT GetTypeInfoCount(UINT* pctinfo) override {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

}  // namespace detail

template <class Derived, class... Interfaces>
class ComObject : public detail::InterfaceSet<(detail::needsDispatchDefaults<Interfaces> || ...),
                                              Interfaces...> {
  static_assert(sizeof...(Interfaces) > 0);
  static_assert(!(detail::needsDispatchDefaults<Interfaces> || ...) ||
                    !(detail::servesDispatch<Interfaces> || ...),
                "list every dual interface as a DualImpl, or none");
  using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    void* p = nullptr;
    ((p == nullptr && riid == Interfaces::kIID ? (p = static_cast<Interfaces*>(this)) : nullptr),
     ...);
    if (!p && riid == IDispatch::kIID)
      ((p == nullptr && std::is_base_of_v<IDispatch, Interfaces>
            ? (p = static_cast<Interfaces*>(this))
            : nullptr),
       ...);
    if (!p && riid == IUnknown::kIID) p = static_cast<First*>(this);
    if (!p) p = static_cast<Derived*>(this)->queryExtra(riid);
    if (!p) return E_NOINTERFACE;
    AddRef();
    *ppv = p;
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete static_cast<Derived*>(this);
    return n;
  }

  //! Extra interfaces beyond the listed ones (hide it in the derived class, publicly); returns
  //! the interface pointer or nullptr.
  void* queryExtra(REFIID) { return nullptr; }

  //! The object's identity.
  IUnknown* unknown() { return static_cast<First*>(this); }

  //! References held now; 1 for an object only its creator holds (so that it may hand it out
  //! again instead of a new one).
  ULONG referenceCount() const { return m_refs.load(std::memory_order_acquire); }

 protected:
  ComObject() { ++liveObjectCount(); }
  virtual ~ComObject() { --liveObjectCount(); }

 private:
  std::atomic<ULONG> m_refs{1};
};

//! Creates an object with one reference owned by the caller, or nullptr when out of memory.
template <class T, class... Args>
T* makeObject(Args&&... args) {
  return new (std::nothrow) T(std::forward<Args>(args)...);
}

}  // namespace comlite
