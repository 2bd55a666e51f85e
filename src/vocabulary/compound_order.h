#pragma once
//! Where the host's compounds sit on the CAPE-OPEN material. The simulator's fluid package lists
//! its compounds in its own order, and may hold only some of the package's; the material always
//! holds all of the package's compounds, in the package's order. Flashes and property requests
//! place the host's compositions through the same order and read the results back through it.
//!
//! Header only, below the flash and calculation libraries that share it.

#include <cstddef>
#include <span>
#include <vector>

#include "comlite/types.h"

namespace coravl {

//! Package index of each of the host's `hostCount` compounds, into `order` (its storage is
//! reused): the fluid package's position map when it maps every position to a distinct package
//! compound, else the package's own order when the counts agree; empty when the host's
//! compounds cannot be placed on the material.
inline void compoundOrderInto(LONG hostCount, std::span<const LONG> positionMap, LONG packageCount,
                              std::vector<LONG>& order) {
  order.clear();
  if (hostCount < 1 || packageCount < 1) return;
  const auto n = static_cast<std::size_t>(hostCount);
  if (positionMap.size() == n) {
    // The package compounds already taken, marked in the output's own storage.
    order.assign(static_cast<std::size_t>(packageCount), 0);
    bool mapped = true;
    for (LONG j : positionMap) {
      if (j < 0 || j >= packageCount || order[static_cast<std::size_t>(j)] != 0) {
        mapped = false;
        break;
      }
      order[static_cast<std::size_t>(j)] = 1;
    }
    if (mapped) {
      order.assign(positionMap.begin(), positionMap.end());
      return;
    }
    order.clear();
  }
  if (hostCount != packageCount) return;
  order.resize(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<LONG>(i);
}

//! compoundOrderInto as a new list.
inline std::vector<LONG> compoundOrder(LONG hostCount, std::span<const LONG> positionMap,
                                       LONG packageCount) {
  std::vector<LONG> order;
  compoundOrderInto(hostCount, positionMap, packageCount, order);
  return order;
}

}  // namespace coravl
