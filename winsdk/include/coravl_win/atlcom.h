#pragma once
//! The template-library object idiom of Windows sources: object roots, CComObject, class
//! templates with interface maps, IDispatchImpl, error reporting, class factories and the DLL
//! module with its four exports, registered from a registry script beside the module.
//!
//! Registration: DllRegisterServer runs "<module without .so>.rgs" (the module's registry
//! scripts, one after the other, in the original .rgs syntax; %MODULE% is the module's path).
//! It replaces the scripts a Windows build links in as resources.

#include <atomic>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "comlite/module.h"
#include "comlite/platform.h"
#include "comlite/registry.h"
#include "coravl_win/atlbase.h"

struct _ATL_INTMAP_ENTRY {
  const IID* piid;
  void* (*cast)(void* self);  //!< the interface pointer of the object
};

namespace coravl_win __attribute__((visibility("hidden"))) {

  //! Objects alive in this module (DllCanUnloadNow).
  inline std::atomic<long>& objectCount() {
    static std::atomic<long> count{0};
    return count;
  }

  struct ObjectEntry {
    const CLSID* clsid;
    comlite::CreateFn create;
  };
  inline std::vector<ObjectEntry>& objectEntries() {
    static std::vector<ObjectEntry> entries;
    return entries;
  }
  struct AutoObjectEntry {
    AutoObjectEntry(const CLSID* clsid, comlite::CreateFn create) {
      objectEntries().push_back({clsid, create});
    }
  };

}  // namespace )

class CComSingleThreadModel {};
class CComMultiThreadModel {};
using CComObjectThreadModel = CComSingleThreadModel;
using CComGlobalsThreadModel = CComMultiThreadModel;

template <class ThreadModel>
class CComObjectRootEx {
 public:
  ULONG InternalAddRef() { return ++m_dwRef; }
  ULONG InternalRelease() { return --m_dwRef; }
  HRESULT FinalConstruct() { return S_OK; }
  void FinalRelease() {}
  void InternalFinalConstructAddRef() {}
  void InternalFinalConstructRelease() {}
  void Lock() {}
  void Unlock() {}
  static HRESULT InternalQueryInterface(void* self, const _ATL_INTMAP_ENTRY* entries, REFIID iid,
                                        void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid == IUnknown::kIID) {
      *ppv = entries[0].cast(self);
    } else {
      for (const _ATL_INTMAP_ENTRY* e = entries; e->piid; ++e)
        if (*e->piid == iid) {
          *ppv = e->cast(self);
          break;
        }
    }
    if (!*ppv) return E_NOINTERFACE;
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
  }

  std::atomic<ULONG> m_dwRef{0};
};
using CComObjectRoot = CComObjectRootEx<CComObjectThreadModel>;

#define BEGIN_COM_MAP(x)                            \
 public:                                            \
  typedef x _ComMapClass;                           \
  static const ::_ATL_INTMAP_ENTRY* _GetEntries() { \
    static const ::_ATL_INTMAP_ENTRY _entries[] = {
#define COM_INTERFACE_ENTRY_IID(iid, I) \
  {&iid, [](void* self) -> void* { return static_cast<I*>(static_cast<_ComMapClass*>(self)); }},
#define COM_INTERFACE_ENTRY(I) COM_INTERFACE_ENTRY_IID(__uuidof(I), I)
#define COM_INTERFACE_ENTRY2(I, Via)                                              \
  {&__uuidof(I), [](void* self) -> void* {                                        \
     return static_cast<I*>(static_cast<Via*>(static_cast<_ComMapClass*>(self))); \
   }},
#define COM_INTERFACE_ENTRY2_IID(iid, I, Via)                                     \
  {&iid, [](void* self) -> void* {                                                \
     return static_cast<I*>(static_cast<Via*>(static_cast<_ComMapClass*>(self))); \
   }},
#define END_COM_MAP()                                                   \
  { nullptr, nullptr }                                                  \
  }                                                                     \
  ;                                                                     \
  return _entries;                                                      \
  }                                                                     \
  HRESULT _InternalQueryInterface(REFIID iid, void** ppv) {             \
    return this->InternalQueryInterface(this, _GetEntries(), iid, ppv); \
  }                                                                     \
  IUnknown* GetUnknown() {                                              \
    return static_cast<IUnknown*>(_GetEntries()[0].cast(this));         \
  }                                                                     \
  virtual ULONG AddRef() = 0;                                           \
  virtual ULONG Release() = 0;                                          \
  virtual HRESULT QueryInterface(REFIID, void**) = 0;

#define DECLARE_PROTECT_FINAL_CONSTRUCT()
#define DECLARE_NOT_AGGREGATABLE(x)
#define DECLARE_AGGREGATABLE(x)
#define DECLARE_CLASSFACTORY()
#define DECLARE_GET_CONTROLLING_UNKNOWN()
#define DECLARE_REGISTRY_RESOURCEID(id)
#define DECLARE_REGISTRY_RESOURCE(name)
#define DECLARE_NO_REGISTRY()
#define DECLARE_LIBID(libid)
#define DECLARE_REGISTRY_APPID_RESOURCEID(id, appid)

//! The final class of an object: reference counting and QueryInterface through the COM map.
template <class Base>
class CComObject final : public Base {
 public:
  CComObject() { ++coravl_win::objectCount(); }
  ~CComObject() {
    this->FinalRelease();
    --coravl_win::objectCount();
  }
  ULONG AddRef() override { return this->InternalAddRef(); }
  ULONG Release() override {
    const ULONG n = this->InternalRelease();
    if (n == 0) delete this;
    return n;
  }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    return this->_InternalQueryInterface(iid, ppv);
  }
  //! A new object with no reference yet, after FinalConstruct.
  static HRESULT CreateInstance(CComObject<Base>** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* p = new (std::nothrow) CComObject<Base>();
    if (!p) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    try {
      p->InternalAddRef();
      hr = p->FinalConstruct();
      p->InternalRelease();
    } catch (...) {
      hr = E_FAIL;
    }
    if (FAILED(hr)) {
      delete p;
      return hr;
    }
    *out = p;
    return S_OK;
  }
};

//! Sets error information for the caller (description, source: the class's ProgID, the
//! interface) and returns `hr` (E_FAIL for 0).
inline HRESULT AtlReportError(const CLSID& clsid, const wchar_t* description, const IID& iid,
                              HRESULT hr) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    CComBSTR source;
    ProgIDFromCLSID(clsid, &source);
    CComBSTR text(description);
    create->SetGUID(iid);
    create->SetSource(source.m_str);
    create->SetDescription(text.m_str);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IErrorInfo::kIID, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  return hr == 0 ? E_FAIL : hr;
}
inline HRESULT AtlReportError(const CLSID& clsid, const char* description, const IID& iid,
                              HRESULT hr) {
  const std::u16string w = coravl_win::widen(description);
  return AtlReportError(clsid, coravl_win::wide(w.c_str()), iid, hr);
}
inline HRESULT AtlReportError(const CLSID& clsid, LPCOLESTR description, const IID& iid,
                              HRESULT hr) {
  return AtlReportError(clsid, coravl_win::wide(description), iid, hr);
}

template <class T, const CLSID* pclsid = &CLSID_NULL>
class CComCoClass {
 public:
  static const CLSID& WINAPI GetObjectCLSID() { return *pclsid; }
  template <class Text>
  static HRESULT WINAPI Error(Text description, const IID& iid = GUID_NULL, HRESULT hr = 0) {
    return AtlReportError(*pclsid, description, iid, hr);
  }
  template <class Text>
  static HRESULT WINAPI Error(Text description, HRESULT hr) {
    return AtlReportError(*pclsid, description, GUID_NULL, hr);
  }
  //! The class factory's creation function.
  static HRESULT _coravl_create(IUnknown* outer, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CComObject<T>* p = nullptr;
    HRESULT hr = CComObject<T>::CreateInstance(&p);
    if (FAILED(hr)) return hr;
    p->AddRef();
    hr = p->QueryInterface(iid, ppv);
    p->Release();
    return hr;
  }
};

//! A dual interface called through its vtable: IDispatch answers without type information.
template <class T, const IID* piid = &__uuidof(T), const GUID* plibid = nullptr, WORD wMajor = 1,
          WORD wMinor = 0>
class IDispatchImpl : public T {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

template <const IID* piid>
class ISupportErrorInfoImpl : public ISupportErrorInfo {
 public:
  HRESULT InterfaceSupportsErrorInfo(REFIID iid) override { return iid == *piid ? S_OK : S_FALSE; }
};

#define OBJECT_ENTRY_AUTO(clsid, class_)                                                         \
  namespace {                                                                                    \
  const ::coravl_win::AutoObjectEntry _coravl_entry_##class_(&(clsid), &class_::_coravl_create); \
  }

namespace coravl_win __attribute__((visibility("hidden"))) {

  //! The registry script runner (the .rgs syntax: HKCR { [NoRemove|ForceRemove|Delete] key
  //! [= s|d 'value'] [{ ... }] ... val name = s|d 'value' }).
  class RegistryScript {
   public:
    RegistryScript(std::string text, std::string module)
        : m_text(std::move(text)), m_module(std::move(module)) {}

    //! Applies (or removes) the script's keys; false with `error` for a malformed script.
    bool run(comlite::registry::Data& data, bool unregister, std::string& error) {
      m_pos = 0;
      try {
        while (!peek().empty()) {
          const std::string root = next();
          const bool classes = iequal(root, "HKCR") || iequal(root, "HKEY_CLASSES_ROOT");
          expect("{");
          keys(data, "", unregister, !classes);
        }
        return true;
      } catch (const std::string& why) {
        error = why;
        return false;
      }
    }

   private:
    static bool iequal(const std::string& a, const char* b) {
      std::size_t i = 0;
      for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
          return false;
      return i == a.size() && !b[i];
    }
    void skipSpace() {
      while (m_pos < m_text.size()) {
        if (std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
          ++m_pos;
        } else if (m_text.compare(m_pos, 2, "//") == 0) {
          while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
        } else {
          break;
        }
      }
    }
    //! The next token: "{", "}", "=", a quoted text (quotes removed, '' is one quote) or a word.
    std::string next() {
      skipSpace();
      if (m_pos >= m_text.size()) return {};
      const char c = m_text[m_pos];
      if (c == '{' && (m_pos + 1 >= m_text.size() ||
                       !std::isxdigit(static_cast<unsigned char>(m_text[m_pos + 1])))) {
        ++m_pos;
        return "{";
      }
      if (c == '}' || c == '=') {
        ++m_pos;
        return std::string(1, c);
      }
      std::string out;
      if (c == '\'') {
        ++m_pos;
        for (;;) {
          if (m_pos >= m_text.size()) throw std::string("unterminated quoted text");
          if (m_text[m_pos] == '\'') {
            if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
              out += '\'';
              m_pos += 2;
              continue;
            }
            ++m_pos;
            break;
          }
          out += m_text[m_pos++];
        }
        return substitute(out);
      }
      if (c == '{') {  // a {GUID} key name
        while (m_pos < m_text.size() && m_text[m_pos] != '}') out += m_text[m_pos++];
        out += m_text[m_pos++];
        return out;
      }
      while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])) &&
             m_text[m_pos] != '{' && m_text[m_pos] != '}' && m_text[m_pos] != '=')
        out += m_text[m_pos++];
      return substitute(out);
    }
    std::string peek() {
      const std::size_t at = m_pos;
      std::string t = next();
      m_pos = at;
      return t;
    }
    void expect(const char* token) {
      const std::string t = next();
      if (t != token) throw "expected '" + std::string(token) + "' but found '" + t + "'";
    }
    std::string substitute(std::string s) const {
      for (const char* name : {"%MODULE%", "%MODULE_RAW%"})
        for (std::size_t p; (p = s.find(name)) != std::string::npos;)
          s.replace(p, std::strlen(name), m_module);
      return s;
    }
    //! "= s 'text'" after a key or value name; "" when there is none.
    std::string value(bool* present) {
      *present = false;
      if (peek() != "=") return {};
      next();
      const std::string type = next();
      if (!iequal(type, "s") && !iequal(type, "d") && !iequal(type, "b"))
        throw "unknown value type '" + type + "'";
      *present = true;
      return next();
    }
    //! The keys of a block up to its closing brace, below `parent`. `skip` reads without writing
    //! (roots other than HKCR).
    void keys(comlite::registry::Data& data, const std::string& parent, bool unregister,
              bool skip) {
      for (;;) {
        std::string t = next();
        if (t.empty()) throw std::string("missing '}'");
        if (t == "}") return;
        if (iequal(t, "val")) {
          const std::string name = next();
          bool present = false;
          const std::string v = value(&present);
          if (!present) throw "value '" + name + "' has no '= type value'";
          if (!skip) {
            if (unregister)
              data.deleteValue(parent, name);
            else
              data.setValue(parent, name, v);
          }
          continue;
        }
        bool noRemove = false, forceRemove = false, remove = false;
        for (;;) {
          if (iequal(t, "NoRemove"))
            noRemove = true;
          else if (iequal(t, "ForceRemove"))
            forceRemove = true;
          else if (iequal(t, "Delete"))
            remove = true;
          else
            break;
          t = next();
        }
        const std::string key = parent.empty() ? t : parent + "\\" + t;
        bool present = false;
        const std::string v = value(&present);
        if (!skip) {
          if (remove || (forceRemove && !unregister)) data.deleteTree(key);
          if (!unregister && !remove) {
            data.createKey(key);
            if (present) data.setValue(key, "", v);
          }
        }
        if (peek() == "{") {
          next();
          keys(data, key, unregister, skip || remove || (unregister && !noRemove));
        }
        if (!skip && unregister && !noRemove) data.deleteTree(key);
      }
    }

    std::string m_text, m_module;
    std::size_t m_pos = 0;
  };

}  // namespace )

class CAtlModule {
 public:
  LONG Lock() { return ++m_locks; }
  LONG Unlock() { return --m_locks; }
  LONG GetLockCount() const { return m_locks; }

 protected:
  std::atomic<LONG> m_locks{0};
};

//! The module object of an in-process server; the four exports forward to it.
template <class T>
class CAtlDllModuleT : public CAtlModule {
 public:
  HRESULT DllCanUnloadNow() {
    return coravl_win::objectCount() == 0 && m_locks == 0 && factories().locks() == 0 ? S_OK
                                                                                      : S_FALSE;
  }
  HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    return factories().getClassObject(clsid, iid, ppv);
  }
  HRESULT DllRegisterServer(BOOL registerTypeLibrary = TRUE) { return runScript(false); }
  HRESULT DllUnregisterServer(BOOL unregisterTypeLibrary = TRUE) { return runScript(true); }

 private:
  static comlite::Module& factories() {
    static comlite::Module module([] {
      std::vector<comlite::ClassInfo> classes;
      for (const coravl_win::ObjectEntry& e : coravl_win::objectEntries()) {
        comlite::ClassInfo c;
        c.clsid = *e.clsid;
        c.create = e.create;
        classes.push_back(c);
      }
      return classes;
    }());
    return module;
  }
  static HRESULT runScript(bool unregister) {
    static const char anchor = 0;
    const std::string module = comlite::modulePathContaining(&anchor);
    std::string script = module;
    if (script.size() > 3 && script.compare(script.size() - 3, 3, ".so") == 0)
      script.resize(script.size() - 3);
    script += ".rgs";
    std::ifstream in(script, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
      comlite::setErrorInfo("the registry script " + script + " cannot be read", module);
      return SELFREG_E_CLASS;
    }
    coravl_win::RegistryScript rgs(text.str(), module);
    std::string why;
    std::string error;
    const HRESULT hr = comlite::registry::update(
        [&](comlite::registry::Data& data) { return rgs.run(data, unregister, why); }, &error);
    if (!why.empty()) {
      comlite::setErrorInfo(script + ": " + why, module);
      return SELFREG_E_CLASS;
    }
    if (FAILED(hr)) comlite::setErrorInfo(error, module);
    return hr;
  }
};

template <class T>
using CAtlModuleT = CAtlDllModuleT<T>;
