#pragma once
//! Searching a list of names.

#include <functional>

#include "comlite/types.h"
#include "comlite/variant.h"

namespace Utils {

//! A comparison of a list element with the value searched for.
using NameComparison = std::function<bool(const OLECHAR* element, const OLECHAR* value)>;

//! Index (in the list's own index range) of the first element of the 1-D string list in `list`
//! (strings, or variants holding strings) that equals `value`: by `compare` when given, else by
//! name equality. -1 when none does, when the list is empty or not a list, or when `value` is
//! empty and `emptiesAreMatched` is false. A comparison together with `emptiesAreMatched` is
//! refused (reported) with -1.
LONG findPos(const VARIANT& list, const OLECHAR* value, const NameComparison& compare = {},
             bool emptiesAreMatched = false);

}  // namespace Utils
