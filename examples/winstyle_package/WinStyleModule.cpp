// WinStyleModule.cpp : Implementation of the DLL exports.
#include "resource.h"
#include "stdafx.h"

class CWinStyleModule : public CAtlDllModuleT<CWinStyleModule> {
 public:
  DECLARE_REGISTRY_APPID_RESOURCEID(IDR_WINSTYLEPACKAGE, "{5B8D3C21-7E4F-4A9B-8C61-2F0D9E7A4B13}")
};

CWinStyleModule _AtlModule;

// Used to determine whether the DLL can be unloaded by OLE.
STDAPI DllCanUnloadNow(void) {
  return _AtlModule.DllCanUnloadNow();
}

// Returns a class factory to create an object of the requested type.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return _AtlModule.DllGetClassObject(rclsid, riid, ppv);
}

// DllRegisterServer - Adds entries to the system registry.
STDAPI DllRegisterServer(void) {
  return _AtlModule.DllRegisterServer(FALSE);
}

// DllUnregisterServer - Removes entries from the system registry.
STDAPI DllUnregisterServer(void) {
  return _AtlModule.DllUnregisterServer(FALSE);
}
