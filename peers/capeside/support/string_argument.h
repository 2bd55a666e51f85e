#pragma once
//! A string list argument of a vtable method, read as variant_lists.h reads lists.

#include <string>
#include <vector>

#include "comlite/hresult.h"
#include "comlite/variant.h"

namespace capeside {

//! The strings of `v`; CapeError ECapeInvalidArgument at `position` (scope `scope`, naming the
//! argument `what`) when it is not a list of strings.
std::vector<std::string> stringArgument(const VARIANT& v, SHORT position, const char* what,
                                        const char* scope);

}  // namespace capeside
