#pragma once
//! Files beside the component's own module: its directory and its profile (.ini) file.

#include <string>

namespace Utils {

//! Longest profile value read, in characters.
constexpr std::size_t kProfileValueMax = 259;

//! Directory (without a trailing '/') of the loaded module named by the module name (see
//! module_identity.h: "CORavl11" finds libCORavl11.so); when no such module is loaded, of the
//! module that contains this code. Computed once and again after the module name changes.
//! "" when no module name is set (reported) or no file is found.
std::string moduleDirectory();

//! Value of `key` in `section` of a profile file, at most 259 characters; "" when the file,
//! the section or the key is missing. Without `fileName` the file is
//! moduleDirectory() + "/" + short module name + ".ini".
std::string readProfileString(const char* key, const char* section, const char* fileName = nullptr);

}  // namespace Utils
