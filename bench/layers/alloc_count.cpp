#include "alloc_count.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define LAYERS_NO_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LAYERS_NO_HOOK 1
#endif
#endif

namespace alloc_count {
namespace {

thread_local std::uint64_t t_count = 0;
thread_local bool t_inHook = false;
thread_local std::uint64_t t_viaComlite = 0;

constexpr std::size_t kMaxModules = 64;
struct Range {
  std::uintptr_t begin = 0, end = 0, base = 0;
  char name[64] = {};
  bool runtime = false;  // libc, libstdc++, libgcc, the loader
  bool comlite = false;  // the COM layer: its allocations are its caller's
  std::uint64_t count = 0;
};
thread_local std::array<Range, kMaxModules>* t_ranges = nullptr;
thread_local std::size_t t_rangeCount = 0;

bool isRuntime(const char* path) {
  for (const char* lib : {"libc.so", "libstdc++", "libgcc_s", "ld-linux", "libm.so", "linux-vdso"})
    if (std::strstr(path, lib)) return true;
  return false;
}

int addModule(dl_phdr_info* info, std::size_t, void* data) {
  auto& ranges = *static_cast<std::array<Range, kMaxModules>*>(data);
  if (t_rangeCount == kMaxModules) return 1;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const auto& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_X)) continue;
    if (t_rangeCount == kMaxModules) break;
    Range& r = ranges[t_rangeCount++];
    r.base = info->dlpi_addr;
    r.begin = info->dlpi_addr + ph.p_vaddr;
    r.end = r.begin + ph.p_memsz;
    const char* slash = std::strrchr(info->dlpi_name, '/');
    // The executable: the benchmark's own code, the host framework's wrappers and the model.
    const char* name = *info->dlpi_name ? (slash ? slash + 1 : info->dlpi_name) : "host";
    std::strncpy(r.name, name, sizeof r.name - 1);
    r.runtime = isRuntime(info->dlpi_name);
    r.comlite = std::strstr(info->dlpi_name, "libcomlite") != nullptr;
  }
  return 0;
}

//! Frame 0 is this function, frame 1 the allocator entry point: the caller is frame 2.
__attribute__((noinline)) void attribute() {
  if (!t_ranges || t_inHook) return;
  t_inHook = true;
  void* frames[48];
  const int n = ::backtrace(frames, 48);
  bool viaComlite = false;
  for (int i = 2; i < n; ++i) {
    const auto pc = reinterpret_cast<std::uintptr_t>(frames[i]);
    Range* hit = nullptr;
    for (std::size_t k = 0; k < t_rangeCount; ++k)
      if (pc >= (*t_ranges)[k].begin && pc < (*t_ranges)[k].end) hit = &(*t_ranges)[k];
    if (hit && hit->comlite) viaComlite = true;
    if (hit && !hit->runtime && !hit->comlite) {
      ++hit->count;
      // LAYERS_ALLOC_TRACE=<module>: where that module allocates, as offsets for addr2line.
      static const char* traced = std::getenv("LAYERS_ALLOC_TRACE");
      if (traced && std::strstr(hit->name, traced)) {
        std::fprintf(stderr, "alloc %s", hit->name);
        for (int j = i; j < n && j < i + 4; ++j)
          std::fprintf(
              stderr, " 0x%zx",
              static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(frames[j]) - hit->base));
        std::fprintf(stderr, "\n");
      }
      break;
    }
  }
  if (viaComlite) ++t_viaComlite;
  t_inHook = false;
}

}  // namespace

#ifdef LAYERS_NO_HOOK
bool available() {
  return false;
}
#else
bool available() {
  // LAYERS_NO_ALLOC_COUNT=1: a profile of the rows without the counting runs' backtraces.
  static const bool off = std::getenv("LAYERS_NO_ALLOC_COUNT") != nullptr;
  return !off;
}
#endif

std::uint64_t viaComlite() {
  return t_viaComlite;
}

std::uint64_t count() {
  return t_count;
}

Attribution::Attribution() {
  {
    void* warm[4];
    ::backtrace(warm, 4);  // loads the unwinder before counting starts
  }
  t_ranges = new std::array<Range, kMaxModules>();
  t_rangeCount = 0;
  ::dl_iterate_phdr(addModule, t_ranges);
}

Attribution::~Attribution() {
  auto* ranges = t_ranges;
  t_ranges = nullptr;
  delete ranges;
}

std::map<std::string, std::uint64_t> Attribution::byModule() const {
  std::map<std::string, std::uint64_t> out;
  if (!t_ranges) return out;
  for (std::size_t k = 0; k < t_rangeCount; ++k)
    if ((*t_ranges)[k].count) out[(*t_ranges)[k].name] += (*t_ranges)[k].count;
  return out;
}

std::uint64_t Attribution::total() const {
  std::uint64_t sum = 0;
  for (const auto& [name, n] : byModule()) sum += n;
  return sum;
}

}  // namespace alloc_count

#ifndef LAYERS_NO_HOOK
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
  ++alloc_count::t_count;
  alloc_count::attribute();
  return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
  ++alloc_count::t_count;
  alloc_count::attribute();
  return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
  if (!p) {
    ++alloc_count::t_count;
    alloc_count::attribute();
  }
  return __libc_realloc(p, size);
}
void free(void* p) {
  __libc_free(p);
}
}
#endif
