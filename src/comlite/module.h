#pragma once
//! The module helper: what every in-process module needs to be created through the class
//! registry (class factory, DllGetClassObject, DllCanUnloadNow) and to register itself.
//!
//! A module describes its classes once in a `comlite::Module` and expands
//! COMLITE_MODULE_EXPORTS(expr) in one of its source files, where `expr` yields that Module.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "comlite/object.h"
#include "comlite/platform.h"
#include "comlite/registry.h"

namespace comlite {

//! Creates an instance of a class; `outer` non-null asks for aggregation (answer
//! CLASS_E_NOAGGREGATION when the class does not support it).
using CreateFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassInfo {
  CLSID clsid = GUID_NULL;
  std::string description;               //!< default value of CLSID\{clsid} and the ProgIDs
  std::string progId;                    //!< versioned ProgID, e.g. "Vendor.Thing.1"; may be ""
  std::string versionIndependentProgId;  //!< e.g. "Vendor.Thing"; may be ""
  std::string threadingModel = "Apartment";
  std::vector<CATID> implementedCategories;
  CreateFn create = nullptr;
};

struct CategoryInfo {
  CATID catid = GUID_NULL;
  LCID lcid = LCID_ENGLISH_US;
  std::string description;
};

//! Creates T with `makeObject` and queries it; for classes without aggregation.
template <class T>
HRESULT createObject(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  // A constructor that throws must not unwind through the module's exported entry point.
  T* obj = nullptr;
  try {
    obj = makeObject<T>();
  } catch (...) {
    return E_FAIL;
  }
  if (!obj) return E_OUTOFMEMORY;
  HRESULT hr = obj->QueryInterface(riid, ppv);
  obj->Release();
  return hr;
}

class Module {
 public:
  Module(std::vector<ClassInfo> classes, std::vector<CategoryInfo> categories = {});

  //! Hands out a class factory for one of the module's classes.
  //! RETURNS: CLASS_E_CLASSNOTAVAILABLE for any other class id; E_POINTER for a null out.
  HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv);
  //! S_OK when no object of the module is alive and no lock is held, else S_FALSE.
  HRESULT canUnloadNow(long liveObjects) const;
  //! Writes the keys of every class (and the categories) for the module at `modulePath`.
  HRESULT registerServer(const std::string& modulePath, std::string* error = nullptr);
  //! Removes the keys of every class; categories and the CLSID root key stay.
  HRESULT unregisterServer(std::string* error = nullptr);

  //! IClassFactory::LockServer.
  void lock() { ++m_locks; }
  void unlock() { --m_locks; }
  long locks() const { return m_locks; }

  const std::vector<ClassInfo>& classes() const { return m_classes; }

  //! Extra keys a module writes beside the standard ones (type library, interfaces...).
  std::function<void(registry::Data&, const std::string& modulePath)> extraRegistration;
  std::function<void(registry::Data&)> extraUnregistration;

  //! Writes / removes the standard keys of one class (exposed for modules that drive their
  //! own registration).
  static void writeClassKeys(registry::Data& data, const ClassInfo& c,
                             const std::string& modulePath);
  static void removeClassKeys(registry::Data& data, const ClassInfo& c);

 private:
  std::vector<ClassInfo> m_classes;
  std::vector<CategoryInfo> m_categories;
  std::atomic<long> m_locks{0};
};

}  // namespace comlite

#define COMLITE_EXPORT extern "C" __attribute__((visibility("default")))

//! Defines the four module exports over a `comlite::Module&` expression.
#define COMLITE_MODULE_EXPORTS(moduleExpr)                                                 \
  COMLITE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {      \
    return (moduleExpr).getClassObject(clsid, riid, ppv);                                  \
  }                                                                                        \
  COMLITE_EXPORT HRESULT DllCanUnloadNow() {                                               \
    return (moduleExpr).canUnloadNow(comlite::liveObjectCount().load());                   \
  }                                                                                        \
  COMLITE_EXPORT HRESULT DllRegisterServer() {                                             \
    /* An object of this module: an exported name may resolve to another module's copy. */ \
    static const char anchor = 0;                                                          \
    return (moduleExpr).registerServer(comlite::modulePathContaining(&anchor));            \
  }                                                                                        \
  COMLITE_EXPORT HRESULT DllUnregisterServer() {                                           \
    return (moduleExpr).unregisterServer();                                                \
  }
