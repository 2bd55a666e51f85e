#pragma once
//! Test support for the CAPE-OPEN modules: status text, files, the adapter, package creation,
//! registered categories and the ECape fields of a failing object.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <type_traits>

#include "comlite/bstr.h"
#include "comlite/categories.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/registry.h"
#include "comlite/variant.h"
#include "outside/adapter.h"
#include "outside/capeopen_errors.h"

namespace capetest {

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;

//! Status in hex for failure messages.
inline std::string hex(HRESULT hr) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", static_cast<unsigned>(hr));
  return b;
}

//! Calls a getter whose last parameter receives the result, expects S_OK and returns the
//! result (text as UTF-8, a VARIANT as an owning Variant).
template <class O, class I, class... P, class... A>
auto got(O* object, HRESULT (I::*getter)(P...), A... args) {
  using Out = std::remove_pointer_t<std::tuple_element_t<sizeof...(P) - 1, std::tuple<P...>>>;
  if constexpr (std::is_same_v<Out, BSTR>) {
    Bstr text;
    EXPECT_EQ((object->*getter)(args..., text.out()), S_OK);
    return text.utf8();
  } else if constexpr (std::is_same_v<Out, VARIANT>) {
    Variant v;
    EXPECT_EQ((object->*getter)(args..., &v), S_OK);
    return v;
  } else {
    Out v{};
    const HRESULT hr = (object->*getter)(args..., &v);
    EXPECT_EQ(hr, S_OK) << hex(hr);
    return v;
  }
}
template <class O, class... R>
auto got(const ComPtr<O>& object, R... rest) {
  return got(object.get(), rest...);
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline ComPtr<IPackageAdapter> newAdapter() {
  ComPtr<IPackageAdapter> a;
  EXPECT_EQ(CoCreateInstance(adapter::kClsidPackageAdapter, nullptr, CLSCTX_INPROC_SERVER,
                             IPackageAdapter::kIID, a.putVoid()),
            S_OK);
  return a;
}

//! Selects and creates the package of the selection file; returns package and GUI.
inline void createPackage(IPackageAdapter* a, ComPtr<IDispatch>& package, ComPtr<IDispatch>& gui) {
  ComPtr<IDispatch> selection;
  ASSERT_EQ(a->SelectPackage(selection.put()), S_OK);
  ASSERT_EQ(a->CreatePropPackage(package.put(), gui.put()), S_OK);
  ASSERT_TRUE(package);
}

//! Whether the registry data lists the class under the category.
inline bool inCategory(const comlite::registry::Data& data, const CATID& cat, const CLSID& c) {
  const auto all = comlite::classesImplementing(data, cat);
  return std::find(all.begin(), all.end(), c) != all.end();
}

//! The ECape fields of the object a failing call was made on.
struct CapeErrorSeen {
  std::string name, description, scope, interfaceName, operation, moreInfo;
  LONG code = 0;
  SHORT position = 0;
  bool hasSpecific = false;  //!< answers the ECape interface of the code
};

inline CapeErrorSeen capeErrorOf(IUnknown* obj) {
  CapeErrorSeen e;
  ComPtr<IUnknown> unk(obj);
  auto user = unk.as<ECapeUser>();
  auto root = unk.as<ECapeRoot>();
  if (!user || !root) return e;
  Bstr s;
  auto text = [&](std::string& field) { field = s.utf8(); };
  root->get_name(s.out()), text(e.name);
  user->get_code(&e.code);
  user->get_description(s.out()), text(e.description);
  user->get_scope(s.out()), text(e.scope);
  user->get_interfaceName(s.out()), text(e.interfaceName);
  user->get_operation(s.out()), text(e.operation);
  user->get_moreInfo(s.out()), text(e.moreInfo);
  if (const capeopen::ErrorKind* kind = capeopen::errorKindOf(e.code)) {
    ComPtr<IUnknown> specific;
    e.hasSpecific = SUCCEEDED(obj->QueryInterface(kind->iid, specific.putVoid()));
  }
  if (auto bad = unk.as<ECapeBadArgument>()) bad->get_position(&e.position);
  return e;
}

}  // namespace capetest
