#include "comlite/guid.h"

#include <cstdio>
#include <random>

namespace comlite {

std::string guidToString(const GUID& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

GUID newGuid() {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  std::uint64_t a = rng(), b = rng();
  GUID g{};
  g.Data1 = static_cast<std::uint32_t>(a >> 32);
  g.Data2 = static_cast<std::uint16_t>(a >> 16);
  g.Data3 = static_cast<std::uint16_t>((a & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(b >> (8 * i));
  g.Data4[0] = static_cast<std::uint8_t>((g.Data4[0] & 0x3F) | 0x80);
  return g;
}

}  // namespace comlite
