#include "support_files.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/platform.h"
#include "comlite/registry.h"
#include "frame/host_interfaces.h"

namespace coravl::driver {

namespace fs = std::filesystem;

SupportFiles::SupportFiles() {
  // A TEMP naming a folder that is not there falls back to the system's, as the socket's does.
  std::string tried;
  std::error_code ec;
  const std::string system = fs::temp_directory_path(ec).string();
  for (const std::string& base : {comlite::tempFolder(), system, std::string("/tmp")}) {
    if (base.empty() || tried.find("'" + base + "'") != std::string::npos) continue;
    std::string pattern = base + "/coravl-session-XXXXXX";
    if (::mkdtemp(pattern.data())) {
      m_dir = pattern;
      break;
    }
    tried += (tried.empty() ? "'" : ", '") + base + "'";
  }
  if (m_dir.empty()) throw std::runtime_error("cannot create a session folder in " + tried);
  ::setenv("CORAVL_CAPE_SELECTION", path("selection.txt").c_str(), 1);
  ::setenv("CORAVL_CAPE_VIEW_EDITS", path("view-edits.txt").c_str(), 1);
  std::ofstream(path("view-edits.txt")) << "# edits of the setup view\n";
}

SupportFiles::~SupportFiles() {
  std::error_code ec;
  fs::remove_all(m_dir, ec);
}

std::string SupportFiles::path(const std::string& name) const {
  return m_dir + "/" + name;
}

void SupportFiles::select(const std::string& selection) {
  std::ofstream out(path("selection.txt"));
  const auto sep = selection.find("::");
  if (sep == std::string::npos) {
    out << "package = " << selection << "\n";
  } else {
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(" \t"));
      s.erase(s.find_last_not_of(" \t") + 1);
      return s;
    };
    out << "manager = " << trim(selection.substr(0, sep)) << "\n"
        << "package = " << trim(selection.substr(sep + 2)) << "\n";
  }
}

void SupportFiles::editOption(const std::string& key, const std::string& value) {
  m_edits[key] = value;
  std::ofstream out(path("view-edits.txt"));
  for (const auto& [k, v] : m_edits) out << k << " = " << v << "\n";
}

std::string SupportFiles::prepareRegistry(const std::string& driverPath) {
  const fs::path lib = fs::path(driverPath).parent_path().parent_path() / "lib";
  const char* modules[] = {"ravelin", "capeside", "pr_package", "ideal_package", "CORavl11"};
  comlite::registry::Data data;
  std::string why;
  if (FAILED(comlite::registry::load(data, &why))) throw std::runtime_error(why);
  const std::string registry = comlite::registry::filePath();
  for (const char* m : modules) {
    const fs::path module = lib / ("lib" + std::string(m) + ".so");
    if (!fs::exists(module)) continue;
    // Registered already, from this very file: nothing to do.
    bool known = false;
    for (const auto& clsid : data.subkeys("CLSID"))
      if (data.value("CLSID\\" + clsid + "\\InprocServer32") == fs::canonical(module).string())
        known = true;
    if (known) continue;
    void* handle = comlite::loadModule(fs::canonical(module).string(), &why);
    auto reg = handle ? reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, "DllRegisterServer"))
                      : nullptr;
    if (!reg || FAILED(reg())) {
      std::string description, source;
      comlite::takeErrorInfo(description, source);
      throw std::runtime_error("cannot register " + module.string() + " in " + registry + ": " +
                               (description.empty() ? why : description));
    }
  }
  return registry;
}

}  // namespace coravl::driver
