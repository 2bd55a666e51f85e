#pragma once
//! Ordinal numbers for messages ("1st", "2nd", "3rd", "4th", "11th", "21st").

#include <string>

namespace Utils {

//! `n` followed by "st", "nd" or "rd" when n % 10 is 1, 2 or 3 and the tens digit is not 1,
//! else by "th".
std::string ordinal(int n);

}  // namespace Utils
