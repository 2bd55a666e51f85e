#pragma once
//! Files, folders, modules and environment: the platform services the component reads.

#include <optional>
#include <string>

namespace comlite {

//! Full path of the shared library (or program) containing `address`, via dladdr; "" if none.
std::string modulePathContaining(const void* address);
//! Full path of a loaded module whose file name is `name`, "lib<name>.so" or "<name>.so";
//! "" when no such module is loaded.
std::string loadedModulePath(const std::string& name);
//! The value of an environment variable; nullopt when it is not set.
std::optional<std::string> environmentValue(const std::string& name);
//! The per-user local application data folder: $XDG_DATA_HOME, else ~/.local/share; "" when
//! neither can be found.
std::string localAppDataFolder();
//! The temporary folder: $TEMP, else $TMPDIR, else /tmp.
std::string tempFolder();

//! Reads `key` in `section` of a profile (.ini) file with the usual rules: sections and keys
//! compare case-insensitively, the value is trimmed and one pair of surrounding quotes removed,
//! lines starting with ';' or '#' are comments, and at most `maxChars` characters are kept.
//! Returns nullopt when the file, section or key is missing.
std::optional<std::string> readProfileValue(const std::string& file, const std::string& section,
                                            const std::string& key, std::size_t maxChars);

}  // namespace comlite
