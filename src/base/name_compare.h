#pragma once
//! Name equality, the one rule for identifiers, compound names and keys: two names are equal
//! when both are empty (or absent), or when they have the same length and every character pair
//! is equal or differs only by ASCII letter case. No other case folding applies, so an accented
//! letter only equals itself.

#include <cstddef>
#include <string_view>

#include "comlite/types.h"

namespace Utils {

//! Wide names; null reads as empty. BSTRs compare up to their terminator.
bool namesEqual(const OLECHAR* a, const OLECHAR* b);
bool namesEqual(std::u16string_view a, std::u16string_view b);
//! Narrow (UTF-8) names; null reads as empty.
bool namesEqual(const char* a, const char* b);
bool namesEqual(std::string_view a, std::string_view b);

//! Compares only the first `limit` characters and does not check lengths: "Water" and
//! "Waterfall" are equal over 5 characters. A name that ends before `limit` must end at the
//! same place in the other.
bool namesEqualN(const OLECHAR* a, const OLECHAR* b, std::size_t limit);
bool namesEqualN(const char* a, const char* b, std::size_t limit);

}  // namespace Utils
