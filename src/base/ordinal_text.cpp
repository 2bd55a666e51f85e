#include "base/ordinal_text.h"

namespace Utils {

std::string ordinal(int n) {
  const int units = n % 10;
  const int tens = (n % 100) / 10;
  const char* suffix = "th";
  if (tens != 1) {
    if (units == 1) suffix = "st";
    if (units == 2) suffix = "nd";
    if (units == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

}  // namespace Utils
