#pragma once
//! Heap allocations of this thread, counted by the executable's own malloc family, and
//! attributed to the module whose code asked for them (the innermost frame outside the C and
//! C++ runtime libraries and the COM layer).

#include <cstdint>
#include <map>
#include <string>

namespace alloc_count {

//! False when the build cannot interpose the allocator (a sanitizer owns it).
bool available();
//! Allocations of this thread so far (malloc, calloc, realloc to a new block).
std::uint64_t count();

//! Of those, the ones made by the COM layer (strings, arrays) for one of its callers.
std::uint64_t viaComlite();

//! Attribution of this thread's allocations while it lives, by module file name (an
//! allocation of the COM layer goes to the module that called it).
class Attribution {
 public:
  Attribution();
  ~Attribution();
  Attribution(const Attribution&) = delete;
  Attribution& operator=(const Attribution&) = delete;
  std::map<std::string, std::uint64_t> byModule() const;
  std::uint64_t total() const;
};

}  // namespace alloc_count
