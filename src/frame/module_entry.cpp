//! The module's four exports, its class object, and its load and unload hooks.

#include "frame/module_entry.h"

#include <atomic>

#include "base/module_identity.h"
#include "comlite/categories.h"
#include "comlite/error_info.h"
#include "comlite/module.h"
#include "comlite/platform.h"
#include "frame/coravl_pp.h"
#include "frame/host_interfaces.h"
#include "frame/type_library.h"
#include "outside/ravelin_ids.h"

namespace coravl::frame {

namespace {

//! Proxy/stub class of automation interfaces, named by the type library's interface keys.
constexpr const char* kAutomationProxy = "{00020424-0000-0000-C000-000000000046}";

std::atomic<long> g_serverLocks{0};

//! The package class's class object; one per module, handed out by DllGetClassObject.
class ClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // Cached for the module's life: its count does not decide its lifetime.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    return CORavlPP::create(outer, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    lock ? ++g_serverLocks : --g_serverLocks;
    return S_OK;
  }
};

ClassFactory g_factory;

std::string classKey() {
  return "CLSID\\" + comlite::guidToString(CLSID_PropPkg);
}

void writeTypeLibrary(comlite::registry::Data& data, const std::string& modulePath) {
  const auto& lib = coravl11Library();
  const std::string libid = comlite::guidToString(lib.libid);
  const std::string version =
      std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
  const std::string key = "TypeLib\\" + libid + "\\" + version;
  data.setValue(key, "", lib.help);
  data.setValue(key + "\\0\\linux64", "", modulePath);
  data.setValue(key + "\\FLAGS", "", "0");
  data.setValue(key + "\\HELPDIR", "", modulePath.substr(0, modulePath.rfind('/')));
  for (const auto* itf : lib.interfaces) {
    const std::string ikey = "Interface\\" + comlite::guidToString(itf->iid);
    data.setValue(ikey, "", itf->name);
    data.setValue(ikey + "\\ProxyStubClsid32", "", kAutomationProxy);
    data.setValue(ikey + "\\TypeLib", "", libid);
    data.setValue(ikey + "\\TypeLib", "Version", version);
  }
}

void removeTypeLibrary(comlite::registry::Data& data) {
  const auto& lib = coravl11Library();
  data.deleteTree("TypeLib\\" + comlite::guidToString(lib.libid));
  for (const auto* itf : lib.interfaces)
    data.deleteTree("Interface\\" + comlite::guidToString(itf->iid));
}

}  // namespace

void writeRegistration(comlite::registry::Data& data, const std::string& modulePath) {
  const std::string clsid = comlite::guidToString(CLSID_PropPkg);
  data.deleteTree(kProgId);
  data.setValue(kProgId, "", kClassDescription);
  data.setValue(std::string(kProgId) + "\\CLSID", "", clsid);
  data.deleteTree(kVersionIndependentProgId);
  data.setValue(kVersionIndependentProgId, "", kClassDescription);
  data.setValue(std::string(kVersionIndependentProgId) + "\\CurVer", "", kProgId);
  data.createKey("CLSID");
  const std::string key = classKey();
  data.deleteTree(key);
  data.setValue(key, "", kClassDescription);
  data.setValue(key + "\\ProgID", "", kProgId);
  data.setValue(key + "\\VersionIndependentProgID", "", kVersionIndependentProgId);
  data.createKey(key + "\\Programmable");
  data.setValue(key + "\\InprocServer32", "", modulePath);
  data.setValue(key + "\\InprocServer32", "ThreadingModel", "Apartment");
  writeTypeLibrary(data, modulePath);
  comlite::registerCategory(data, ravelin::kCatThermoMethods, LCID_ENGLISH_US,
                            ravelin::kCatThermoMethodsDescription);
  comlite::registerClassImplCategories(data, CLSID_PropPkg, {ravelin::kCatThermoMethods});
}

void removeRegistration(comlite::registry::Data& data) {
  data.deleteTree(kProgId);
  data.deleteTree(kVersionIndependentProgId);
  data.deleteTree(classKey());
  removeTypeLibrary(data);
}

}  // namespace coravl::frame

using coravl::frame::g_factory;

COMLITE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_PropPkg) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, ppv);
}

COMLITE_EXPORT HRESULT DllCanUnloadNow() {
  return (comlite::liveObjectCount().load() == 0 && coravl::frame::g_serverLocks.load() == 0)
             ? S_OK
             : S_FALSE;
}

COMLITE_EXPORT HRESULT DllRegisterServer() {
  // An object of this module: the exported name may resolve to another module's copy.
  static const char anchor = 0;
  const std::string path = comlite::modulePathContaining(&anchor);
  if (path.empty()) return SELFREG_E_CLASS;
  std::string why;
  HRESULT hr = comlite::registry::update(
      [&](comlite::registry::Data& data) {
        coravl::frame::writeRegistration(data, path);
        return true;
      },
      &why);
  if (FAILED(hr)) comlite::setErrorInfo(why, "DllRegisterServer");
  return hr;
}

COMLITE_EXPORT HRESULT DllUnregisterServer() {
  std::string why;
  bool registered = false;
  HRESULT hr = comlite::registry::update(
      [&registered](comlite::registry::Data& data) {
        registered = data.hasKey(coravl::frame::classKey());
        coravl::frame::removeRegistration(data);
        return registered;
      },
      &why);
  // A failure ends the sequence and is passed on: an installer told "done" when nothing was
  // removed leaves the class behind without knowing.
  if (SUCCEEDED(hr) && !registered) {
    hr = SELFREG_E_CLASS;
    why = "the class is not registered in " + comlite::registry::filePath();
  }
  if (FAILED(hr)) comlite::setErrorInfo(why, "DllUnregisterServer");
  return hr;
}

// Load hook: the module name names the trace and profile files from the first message on.
__attribute__((constructor)) static void coravlModuleLoad() {
  Utils::setModuleName(coravl::frame::kModuleName);
}
