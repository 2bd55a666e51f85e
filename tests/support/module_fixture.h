#pragma once
//! Test support: registers built modules into a private class registry, with private trace
//! and temporary folders, and captures the notices shown meanwhile.

#include <dlfcn.h>

#include <string>
#include <vector>

#include "comlite/creation.h"
#include "comlite/notice.h"
#include "base/trace_file.h"
#include "support/temp_env.h"

namespace testsupport {

class ModuleEnvironment {
 public:
  ModuleEnvironment()
      : m_registry("CORAVL_REGISTRY", m_dir.file("registry")),
        m_data("XDG_DATA_HOME", m_dir.path()),
        m_temp("TEMP", m_dir.path()) {
    // The trace folder is cached per process: forget the one of an earlier test.
    Utils::resetTraceStateForTests();
    m_oldSink = comlite::setNoticeSink(
        [this](const std::string& text, const std::string& title, UINT style) {
          notices.push_back({text, title, style});
        });
  }
  ~ModuleEnvironment() { comlite::setNoticeSink(m_oldSink); }
  ModuleEnvironment(const ModuleEnvironment&) = delete;
  ModuleEnvironment& operator=(const ModuleEnvironment&) = delete;

  //! Loads lib<name>.so from the build and runs one of its exports; returns its status.
  HRESULT call(const std::string& name, const char* entry) {
    void* handle = comlite::loadModule(libDir() + "/lib" + name + ".so");
    if (!handle) return CO_E_DLLNOTFOUND;
    auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, entry));
    return fn ? fn() : E_NOTIMPL;
  }
  HRESULT registerModule(const std::string& name) { return call(name, "DllRegisterServer"); }
  HRESULT unregisterModule(const std::string& name) { return call(name, "DllUnregisterServer"); }

  struct Notice {
    std::string text, title;
    UINT style;
  };
  std::vector<Notice> notices;
  const TempDir& dir() const { return m_dir; }

 private:
  TempDir m_dir;
  ScopedEnv m_registry, m_data, m_temp;
  comlite::NoticeSink m_oldSink;
};

}  // namespace testsupport
