//! coravl-regsvr: registers or unregisters an in-process module in the class registry, as a
//! person would with regsvr32.
//!
//!   coravl-regsvr [-u] [-s] <module.so>
//!
//! Exit codes: 0 done, 1 usage, 2 the module does not load, 3 it has no registration entry
//! point, 4 the module's registration failed.

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/registry.h"
#include "comlite/system_message.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: coravl-regsvr [-u] [-s] <module.so>\n"
               "  -u  unregister instead of register\n"
               "  -s  silent: print nothing on success\n"
               "The class registry is $CORAVL_REGISTRY, else $XDG_CONFIG_HOME/coravl/registry.\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false, silent = false;
  const char* module = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0)
      unregister = true;
    else if (std::strcmp(argv[i], "-s") == 0 || std::strcmp(argv[i], "/s") == 0)
      silent = true;
    else if (argv[i][0] == '-' || module)
      return usage();
    else
      module = argv[i];
  }
  if (!module) return usage();

  // An absolute path, so that the registry names the module wherever the host runs from.
  char resolved[PATH_MAX];
  const std::string path = ::realpath(module, resolved) ? resolved : module;
  std::string why;
  void* handle = comlite::loadModule(path, &why);
  if (!handle) {
    std::fprintf(stderr, "coravl-regsvr: cannot load %s: %s\n", path.c_str(), why.c_str());
    return 2;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto fn = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry));
  if (!fn) {
    std::fprintf(stderr, "coravl-regsvr: %s has no %s entry point\n", path.c_str(), entry);
    return 3;
  }
  const HRESULT hr = fn();
  if (FAILED(hr)) {
    std::string description, source;
    comlite::takeErrorInfo(description, source);
    const std::string text = comlite::systemMessage(hr);
    std::fprintf(stderr, "coravl-regsvr: %s in %s failed with 0x%08X%s%s%s%s\n", entry,
                 path.c_str(), static_cast<unsigned>(hr), text.empty() ? "" : " (", text.c_str(),
                 text.empty() ? "" : ")", description.empty() ? "" : (": " + description).c_str());
    return 4;
  }
  if (!silent)
    std::printf("%s in %s succeeded (class registry %s)\n", entry, path.c_str(),
                comlite::registry::filePath().c_str());
  return 0;
}
