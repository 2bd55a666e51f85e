#pragma once
//! Object creation through the class registry, in process, with dlopen.

#include <string>
#include <vector>

#include "comlite/unknown.h"

//! Signature of a module's DllGetClassObject export.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

//! Accepted for compatibility; the layer needs no per-thread initialisation.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();

//! Finds the class in the registry (CLSID\{clsid}\InprocServer32), loads its module once and
//! asks the module's DllGetClassObject. RETURNS: REGDB_E_CLASSNOTREG for an unknown class,
//! CO_E_DLLNOTFOUND when the module does not load (the loader's text is left as error info),
//! CO_E_ERRORINDLL when it has no DllGetClassObject, else the module's answer.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** ppv);
//! CoGetClassObject then IClassFactory::CreateInstance.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);
//! "<ProgID>\CLSID" default value, through "<ProgID>\CurVer" when needed.
//! RETURNS: CO_E_CLASSSTRING when absent or malformed.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
//! Parses "{...}" text. RETURNS: CO_E_CLASSSTRING when malformed.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
//! Writes the registry form with its terminator; returns the characters written (39) or 0
//! when the buffer is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
//! The class's ProgID (CLSID\{clsid}\ProgID) as a new BSTR the caller frees.
HRESULT ProgIDFromCLSID(REFCLSID clsid, BSTR* progId);

namespace comlite {

//! The class id of a ProgID (following "<ProgID>\\CurVer" when the ProgID names no class
//! itself); GUID_NULL when unknown.
CLSID classIdOf(const std::string& progId);
//! Shared-library path registered for a class, empty when unknown.
std::string modulePathOf(const CLSID& clsid);
//! Loads (once) the module at `path` and returns its handle, or nullptr with a reason.
void* loadModule(const std::string& path, std::string* error = nullptr);

}  // namespace comlite
