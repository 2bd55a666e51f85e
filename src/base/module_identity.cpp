#include "base/module_identity.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace Utils {

namespace {

// Constant-initialised so that other static initialisers (the identifier table reports at
// load time) may read the identity before this file's own initialisers have run.
constinit std::mutex g_mutex;
constinit char g_moduleName[kModuleNameMax + 1] = "CORavl11";
constinit char g_title[kTitleMax + 1] = "Daltrix's CAPE-OPEN tool";
constinit WindowHandle g_owner = nullptr;
constinit bool g_systemModal = false;

//! Copies at most `max` characters of `text` into `dest` (which holds max + 1). Returns
//! whether everything fitted.
bool store(char* dest, std::size_t max, const char* text) {
  const std::size_t len = text ? std::strlen(text) : 0;
  const std::size_t kept = std::min(len, max);
  if (kept) std::memcpy(dest, text, kept);
  dest[kept] = '\0';
  return kept == len;
}

}  // namespace

bool setModuleName(const char* name) {
  std::lock_guard lock(g_mutex);
  store(g_moduleName, kModuleNameMax, name);
  return true;
}

std::string moduleName() {
  std::lock_guard lock(g_mutex);
  return g_moduleName;
}

std::string shortModuleName() {
  std::string name = moduleName();
  if (auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  return name;
}

bool setTitle(const char* title) {
  std::lock_guard lock(g_mutex);
  return store(g_title, kTitleMax, title) && title != nullptr;
}

std::string title() {
  std::lock_guard lock(g_mutex);
  return g_title;
}

void setOwnerWindow(WindowHandle owner) {
  std::lock_guard lock(g_mutex);
  g_owner = owner;
}

WindowHandle ownerWindow() {
  std::lock_guard lock(g_mutex);
  return g_owner;
}

void setSystemModal(bool force) {
  std::lock_guard lock(g_mutex);
  g_systemModal = force;
}

bool systemModal() {
  std::lock_guard lock(g_mutex);
  return g_systemModal;
}

}  // namespace Utils
