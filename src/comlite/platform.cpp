#include "comlite/platform.h"

#include <dlfcn.h>
#include <link.h>

#include <climits>
#include <cstdlib>
#include <fstream>

namespace comlite {

namespace {

std::string absolute(const char* path) {
  if (!path || !*path) return {};
  char buf[PATH_MAX];
  return ::realpath(path, buf) ? std::string(buf) : std::string(path);
}

std::string baseName(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string trim(const std::string& s) {
  const char* ws = " \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  auto e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

bool equalNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string modulePathContaining(const void* address) {
  Dl_info info{};
  if (!::dladdr(address, &info) || !info.dli_fname) return {};
  return absolute(info.dli_fname);
}

std::string loadedModulePath(const std::string& name) {
  struct Search {
    std::string names[3];
    std::string found;
  } search{{name, "lib" + name + ".so", name + ".so"}, {}};
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        if (!info->dlpi_name || !*info->dlpi_name) return 0;
        const std::string base = baseName(info->dlpi_name);
        for (auto& n : s->names)
          if (base == n) {
            s->found = absolute(info->dlpi_name);
            return 1;
          }
        return 0;
      },
      &search);
  return search.found;
}

std::optional<std::string> environmentValue(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (!v) return std::nullopt;
  return std::string(v);
}

std::string localAppDataFolder() {
  if (auto x = environmentValue("XDG_DATA_HOME"); x && !x->empty()) return *x;
  if (auto h = environmentValue("HOME"); h && !h->empty()) return *h + "/.local/share";
  return {};
}

std::string tempFolder() {
  if (auto t = environmentValue("TEMP"); t && !t->empty()) return *t;
  if (auto t = environmentValue("TMPDIR"); t && !t->empty()) return *t;
  return "/tmp";
}

std::optional<std::string> readProfileValue(const std::string& file, const std::string& section,
                                            const std::string& key, std::size_t maxChars) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      auto close = t.find(']');
      inSection = close != std::string::npos && equalNoCase(trim(t.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    auto eq = t.find('=');
    if (eq == std::string::npos || !equalNoCase(trim(t.substr(0, eq)), key)) continue;
    std::string value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > maxChars) value.resize(maxChars);
    return value;
  }
  return std::nullopt;
}

}  // namespace comlite
