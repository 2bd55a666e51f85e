// Registers the shipped modules in a registry of the benchmark's own, as the simulator's
// installer would, so that benchmarks load the socket by its ProgID.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "comlite/creation.h"
#include "comlite/notice.h"

namespace bench {

//! The build's lib/ folder, beside the benchmark's bin/.
inline std::filesystem::path libFolder() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  exe[n > 0 ? n : 0] = '\0';
  return std::filesystem::path(exe).parent_path().parent_path() / "lib";
}

//! Points the registry, data folder, TEMP and package selection at `dir`, silences notices and
//! registers the host, adapter, reference package and socket there; aborts when one refuses.
inline void registerShippedModules(const std::filesystem::path& dir) {
  ::setenv("CORAVL_REGISTRY", (dir / "registry").c_str(), 1);
  ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
  ::setenv("TEMP", dir.c_str(), 1);
  ::setenv("CORAVL_CAPE_SELECTION", (dir / "selection.txt").c_str(), 1);
  comlite::setNoticeSink([](const std::string&, const std::string&, UINT) {});
  const auto lib = libFolder();
  for (const char* m : {"ravelin", "capeside", "pr_package", "CORavl11"}) {
    void* h = comlite::loadModule((lib / ("lib" + std::string(m) + ".so")).string());
    auto reg = h ? reinterpret_cast<HRESULT (*)()>(::dlsym(h, "DllRegisterServer")) : nullptr;
    if (!reg || FAILED(reg())) {
      std::fprintf(stderr, "cannot register lib%s.so\n", m);
      std::abort();
    }
  }
}

}  // namespace bench
