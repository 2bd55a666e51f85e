#include "comlite/module.h"

#include "comlite/categories.h"
#include "comlite/error_info.h"

namespace comlite {

namespace {

//! The class factory handed out by a module; it keeps the module locked while alive only
//! through LockServer, as COM expects.
class ClassFactory : public ComObject<ClassFactory, IClassFactory> {
 public:
  ClassFactory(Module& module, CreateFn create) : m_module(module), m_create(create) {}

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An aggregated object must hand its inner IUnknown to the outer object.
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    return m_create(outer, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock)
      m_module.lock();
    else
      m_module.unlock();
    return S_OK;
  }

 private:
  Module& m_module;
  CreateFn m_create;
};

}  // namespace

Module::Module(std::vector<ClassInfo> classes, std::vector<CategoryInfo> categories)
    : m_classes(std::move(classes)), m_categories(std::move(categories)) {}

HRESULT Module::getClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (auto& c : m_classes) {
    if (c.clsid != clsid || !c.create) continue;
    auto* factory = makeObject<ClassFactory>(*this, c.create);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT Module::canUnloadNow(long liveObjects) const {
  return (liveObjects == 0 && m_locks.load() == 0) ? S_OK : S_FALSE;
}

void Module::writeClassKeys(registry::Data& data, const ClassInfo& c,
                            const std::string& modulePath) {
  const std::string clsid = guidToString(c.clsid);
  const std::string key = "CLSID\\" + clsid;
  // The root class key is a real key that outlives every class, as on Windows.
  data.createKey("CLSID");
  data.setValue(key, "", c.description);
  data.setValue(key + "\\InprocServer32", "", modulePath);
  data.setValue(key + "\\InprocServer32", "ThreadingModel", c.threadingModel);
  if (!c.progId.empty()) {
    data.setValue(key + "\\ProgID", "", c.progId);
    data.setValue(c.progId, "", c.description);
    data.setValue(c.progId + "\\CLSID", "", clsid);
  }
  if (!c.versionIndependentProgId.empty()) {
    data.setValue(key + "\\VersionIndependentProgID", "", c.versionIndependentProgId);
    data.setValue(c.versionIndependentProgId, "", c.description);
    data.setValue(c.versionIndependentProgId + "\\CLSID", "", clsid);
    if (!c.progId.empty()) data.setValue(c.versionIndependentProgId + "\\CurVer", "", c.progId);
  }
  registerClassImplCategories(data, c.clsid, c.implementedCategories);
}

void Module::removeClassKeys(registry::Data& data, const ClassInfo& c) {
  data.deleteTree("CLSID\\" + guidToString(c.clsid));
  if (!c.progId.empty()) data.deleteTree(c.progId);
  if (!c.versionIndependentProgId.empty()) data.deleteTree(c.versionIndependentProgId);
}

HRESULT Module::registerServer(const std::string& modulePath, std::string* error) {
  if (modulePath.empty()) {
    if (error) *error = "the module's own path cannot be found";
    return SELFREG_E_CLASS;
  }
  std::string why;
  HRESULT hr = registry::update(
      [&](registry::Data& data) {
        for (auto& cat : m_categories) registerCategory(data, cat.catid, cat.lcid, cat.description);
        for (auto& c : m_classes) writeClassKeys(data, c, modulePath);
        if (extraRegistration) extraRegistration(data, modulePath);
        return true;
      },
      &why);
  if (FAILED(hr)) {
    setErrorInfo(why, "DllRegisterServer");
    if (error) *error = why;
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT Module::unregisterServer(std::string* error) {
  std::string why;
  HRESULT hr = registry::update(
      [&](registry::Data& data) {
        for (auto& c : m_classes) removeClassKeys(data, c);
        if (extraUnregistration) extraUnregistration(data);
        return true;
      },
      &why);
  if (FAILED(hr)) {
    setErrorInfo(why, "DllUnregisterServer");
    if (error) *error = why;
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

}  // namespace comlite
