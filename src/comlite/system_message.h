#pragma once
//! Texts for common failure statuses, in place of the operating system's message table.

#include <string>

#include "comlite/types.h"

namespace comlite {
//! The text for `status` (no trailing newline), or "" when the table has none.
std::string systemMessage(HRESULT status);
}  // namespace comlite
