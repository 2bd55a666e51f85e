#include "comlite/creation.h"

#include <dlfcn.h>

#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>

#include "comlite/bstr.h"
#include "comlite/error_info.h"
#include "comlite/global_table.h"
#include "comlite/registry.h"

HRESULT CoInitialize(void*) {
  return S_OK;
}
HRESULT CoInitializeEx(void*, DWORD) {
  return S_OK;
}
void CoUninitialize() {}

namespace comlite {

void* loadModule(const std::string& path, std::string* error) {
  static std::mutex mutex;
  static std::map<std::string, void*> loaded;
  std::lock_guard lock(mutex);
  if (auto it = loaded.find(path); it != loaded.end()) return it->second;
  // Modules stay loaded for the life of the process: objects and class factories may outlive
  // any unload request, and unmapping code under a live vtable would crash.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    if (error) {
      const char* why = ::dlerror();
      *error = why ? why : ("cannot load " + path);
    }
    return nullptr;
  }
  loaded[path] = handle;
  return handle;
}

//! The class registry, or nothing with the reason (which file, which line) set as the thread's
//! error information for the caller that can only return a status.
static std::shared_ptr<const registry::Data> loadRegistry(const char* caller) {
  try {
    std::shared_ptr<const registry::Data> data;
    std::string why;
    if (FAILED(registry::snapshot(data, &why))) {
      setErrorInfo(why, caller);
      return nullptr;
    }
    return data;
  } catch (const std::bad_alloc&) {
    setErrorInfo("out of memory reading the class registry", caller);
    return nullptr;
  }
}

std::string modulePathOf(const CLSID& clsid) {
  auto data = loadRegistry("CoGetClassObject");
  if (!data) return std::string();
  auto v = data->value("CLSID\\" + guidToString(clsid) + "\\InprocServer32");
  return v ? *v : std::string();
}

CLSID classIdOf(const std::string& progId) {
  if (progId.empty()) return GUID_NULL;
  auto loaded = loadRegistry("CLSIDFromProgID");
  if (!loaded) return GUID_NULL;
  const registry::Data& data = *loaded;
  // A version-independent ProgID may name its class only through its current version.
  std::string name = progId;
  for (int hop = 0; hop < 2; ++hop) {
    if (auto v = data.value(name + "\\CLSID")) {
      auto g = parseGuid(*v);
      return g ? *g : GUID_NULL;
    }
    auto cur = data.value(name + "\\CurVer");
    if (!cur || cur->empty()) break;
    name = *cur;
  }
  return GUID_NULL;
}

}  // namespace comlite

HRESULT CoGetClassObject(REFCLSID clsid, DWORD, void*, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  const std::string path = comlite::modulePathOf(clsid);
  if (path.empty()) return REGDB_E_CLASSNOTREG;
  std::string why;
  void* handle = comlite::loadModule(path, &why);
  if (!handle) {
    comlite::setErrorInfo(why, "CoGetClassObject");
    return CO_E_DLLNOTFOUND;
  }
  auto get = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
  if (!get) {
    comlite::setErrorInfo(path + " has no DllGetClassObject", "CoGetClassObject");
    return CO_E_ERRORINDLL;
  }
  return get(clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == CLSID_StdGlobalInterfaceTable)
    return comlite::globalInterfaceTable()->QueryInterface(riid, ppv);
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, riid, ppv);
  factory->Release();
  return hr;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text) return CO_E_CLASSSTRING;
  std::u16string_view view(text);
  auto g = comlite::parseGuid(comlite::utf16ToUtf8(view));
  if (!g) return CO_E_CLASSSTRING;
  *clsid = *g;
  return S_OK;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  *clsid = GUID_NULL;
  if (!progId) return CO_E_CLASSSTRING;
  const std::string name = comlite::utf16ToUtf8(std::u16string_view(progId));
  // A ProgID may itself be a class id in registry form, as on Windows.
  if (auto g = comlite::parseGuid(name); g && name.front() == '{') {
    *clsid = *g;
    return S_OK;
  }
  const CLSID found = comlite::classIdOf(name);
  if (found == GUID_NULL) return CO_E_CLASSSTRING;
  *clsid = found;
  return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) {
  const std::string s = comlite::guidToString(guid);
  if (!buffer || cchMax < static_cast<int>(s.size()) + 1) return 0;
  for (std::size_t i = 0; i < s.size(); ++i) buffer[i] = static_cast<OLECHAR>(s[i]);
  buffer[s.size()] = 0;
  return static_cast<int>(s.size()) + 1;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, BSTR* progId) {
  if (!progId) return E_INVALIDARG;
  *progId = nullptr;
  auto v = comlite::registry::readValue("CLSID\\" + comlite::guidToString(clsid) + "\\ProgID");
  if (!v) return REGDB_E_CLASSNOTREG;
  *progId = comlite::bstrFromUtf8(*v);
  return *progId ? S_OK : E_OUTOFMEMORY;
}
