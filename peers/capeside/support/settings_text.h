#pragma once
//! "key = value" text, the format of the files a host gives our components (the package
//! selection, the view edits).
//!
//! One setting per line; blanks around key and value are ignored; empty lines and lines whose
//! first non-blank character is '#' are comments. Keys are compared without ASCII case by the
//! readers. A line without '=' or with an empty key is an error that names file and line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capeside {

struct Setting {
  std::string key;
  std::string value;
  int line = 0;  //!< 1-based line number in its file
};

//! Parses settings text; throws CapeError (ECapeInvalidArgument) naming `fileName` and the line.
std::vector<Setting> parseSettings(std::string_view text, const std::string& fileName,
                                   const char* scope);
//! The whole file; throws CapeError (ECapeFailedInitialisation) naming it when it cannot be read.
std::string readTextFile(const std::string& path, const char* scope);
//! true/false, yes/no, on/off (any case) or a number (non-zero is true); nullopt otherwise.
std::optional<bool> parseFlag(std::string_view text);
//! Splits at commas, trimming blanks around each item (an empty text gives no item).
std::vector<std::string> splitList(std::string_view text);
std::string trim(std::string_view text);

}  // namespace capeside
