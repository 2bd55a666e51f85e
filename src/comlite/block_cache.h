#pragma once
//! Small blocks of the COM layer (strings, array descriptors and vectors) come from a per-thread
//! cache of freed blocks, so that the steady traffic of [in] and [out] values between a
//! simulator and a package does not go to the heap for every call.

#include <cstddef>

namespace comlite::detail {

//! A block of at least `bytes` bytes, 16-aligned, contents undefined; nullptr when out of memory.
void* allocBlock(std::size_t bytes);

//! A zeroed block, as calloc.
void* allocZeroedBlock(std::size_t bytes);

//! Returns a block of allocBlock or allocZeroedBlock (nullptr is ignored), from any thread.
void freeBlock(void* block);

}  // namespace comlite::detail
