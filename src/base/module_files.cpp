#include "base/module_files.h"

#include <mutex>

#include "comlite/platform.h"
#include "base/message_output.h"
#include "base/module_identity.h"

namespace Utils {

namespace {

struct DirectoryCache {
  std::mutex mutex;
  std::string forModule;  //!< module name the directory was computed for
  std::string directory;
  bool known = false;
};

DirectoryCache& cache() {
  static DirectoryCache c;
  return c;
}

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string moduleDirectory() {
  const std::string name = moduleName();
  if (name.empty()) {
    showMessage("MTUtils must be initialized with setModuleName(<dllName>)", title().c_str(),
                kStylePlain);
    return {};
  }
  DirectoryCache& c = cache();
  std::lock_guard lock(c.mutex);
  if (c.known && c.forModule == name) return c.directory;
  std::string path = comlite::loadedModulePath(name);
  if (path.empty())
    path = comlite::modulePathContaining(reinterpret_cast<const void*>(&moduleDirectory));
  c.directory = directoryOf(path);
  c.forModule = name;
  c.known = !c.directory.empty();
  return c.directory;
}

std::string readProfileString(const char* key, const char* section, const char* fileName) {
  if (!key || !section) return {};
  std::string file;
  if (fileName && *fileName) {
    file = fileName;
  } else {
    const std::string dir = moduleDirectory();
    if (dir.empty()) return {};
    file = dir + "/" + shortModuleName() + ".ini";
  }
  auto value = comlite::readProfileValue(file, section, key, kProfileValueMax);
  return value ? *value : std::string();
}

}  // namespace Utils
