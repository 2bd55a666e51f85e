#pragma once
//! coldPath: a failure's handling (its message, its report) run out of line, among the code that
//! is seldom run. The request paths cross five modules per call; what they do not run stays out
//! of the instruction cache that they and the package's model share.
//!
//!   if (!(T > 0.0)) return comlite::coldPath([&] { return report("negative T " + text(T)); });

#include <utility>

namespace comlite {

template <class F>
[[gnu::cold, gnu::noinline]] decltype(auto) coldPath(F&& f) {
  return std::forward<F>(f)();
}

}  // namespace comlite
