#include "comlite/block_cache.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define COMLITE_NO_BLOCK_CACHE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COMLITE_NO_BLOCK_CACHE 1
#endif
#endif

namespace comlite::detail {

namespace {

// Each block starts with a 16-byte header holding its size class, so that a free needs no size.
constexpr std::size_t kHeader = 16;
constexpr std::size_t kClassBytes[] = {64, 128, 256, 512, 1024};
constexpr int kClasses = sizeof(kClassBytes) / sizeof(kClassBytes[0]);
constexpr int kUncached = 0xff;
// Enough for the arrays and strings of one request of a wide mixture; the rest go back.
constexpr int kKeptPerClass = 64;

struct FreeBlock {
  FreeBlock* next;
};

int classOf(std::size_t total) {
  for (int c = 0; c < kClasses; ++c)
    if (total <= kClassBytes[c]) return c;
  return kUncached;
}

#ifndef COMLITE_NO_BLOCK_CACHE
//! The blocks this thread freed; whatever is left goes back to the heap when the thread ends.
struct ThreadCache {
  FreeBlock* heads[kClasses] = {};
  int counts[kClasses] = {};
  ~ThreadCache() {
    for (int c = 0; c < kClasses; ++c) {
      while (heads[c]) {
        FreeBlock* next = heads[c]->next;
        std::free(heads[c]);
        heads[c] = next;
      }
      counts[c] = kKeptPerClass;  // blocks freed later in the thread's exit go to the heap
    }
  }
};

thread_local ThreadCache t_cache;
#endif

}  // namespace

void* allocBlock(std::size_t bytes) {
  if (bytes > SIZE_MAX - kHeader) return nullptr;
  const int c = classOf(kHeader + bytes);
  void* raw = nullptr;
#ifndef COMLITE_NO_BLOCK_CACHE
  // One look-up of the thread's cache: each access of a thread_local from a shared library
  // is a call.
  if (ThreadCache& cache = t_cache; c != kUncached && cache.heads[c]) {
    FreeBlock* b = cache.heads[c];
    cache.heads[c] = b->next;
    --cache.counts[c];
    raw = b;
  }
#endif
  if (!raw) raw = std::malloc(c == kUncached ? kHeader + bytes : kClassBytes[c]);
  if (!raw) return nullptr;
  *static_cast<unsigned char*>(raw) = static_cast<unsigned char>(c);
  return static_cast<char*>(raw) + kHeader;
}

void* allocZeroedBlock(std::size_t bytes) {
  void* block = allocBlock(bytes);
  if (block) std::memset(block, 0, bytes);
  return block;
}

void freeBlock(void* block) {
  if (!block) return;
  void* raw = static_cast<char*>(block) - kHeader;
#ifndef COMLITE_NO_BLOCK_CACHE
  const int c = *static_cast<unsigned char*>(raw);
  if (ThreadCache& cache = t_cache; c != kUncached && cache.counts[c] < kKeptPerClass) {
    auto* b = static_cast<FreeBlock*>(raw);
    b->next = cache.heads[c];
    cache.heads[c] = b;
    ++cache.counts[c];
    return;
  }
#endif
  std::free(raw);
}

}  // namespace comlite::detail
