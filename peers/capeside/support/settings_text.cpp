#include "capeside/support/settings_text.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "capeside/support/cape_error.h"
#include "capeside/support/variant_lists.h"

namespace capeside {

std::string trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r')) --e;
  return std::string(text.substr(b, e - b));
}

std::vector<Setting> parseSettings(std::string_view text, const std::string& fileName,
                                   const char* scope) {
  std::vector<Setting> out;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = trim(text.substr(pos, end - pos));
    ++lineNo;
    pos = end + 1;
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos)
      throw CapeError(
          ECapeInvalidArgumentHR, scope,
          cat(fileName, ", line ", lineNo, ": expected \"key = value\", found \"", line, "\""));
    Setting s{trim(std::string_view(line).substr(0, eq)),
              trim(std::string_view(line).substr(eq + 1)), lineNo};
    if (s.key.empty())
      throw CapeError(ECapeInvalidArgumentHR, scope,
                      cat(fileName, ", line ", lineNo, ": the key before '=' is empty"));
    out.push_back(std::move(s));
  }
  return out;
}

std::string readTextFile(const std::string& path, const char* scope) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CapeError(ECapeFailedInitialisationHR, scope, cat("cannot open \"", path, "\""));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad())
    throw CapeError(ECapeFailedInitialisationHR, scope, cat("cannot read \"", path, "\""));
  return buffer.str();
}

std::optional<bool> parseFlag(std::string_view text) {
  const std::string t = trim(text);
  if (sameName(t, "true") || sameName(t, "yes") || sameName(t, "on")) return true;
  if (sameName(t, "false") || sameName(t, "no") || sameName(t, "off")) return false;
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double d = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return std::nullopt;
  return d != 0.0;
}

std::vector<std::string> splitList(std::string_view text) {
  std::vector<std::string> out;
  if (trim(text).empty()) return out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t comma = text.find(',', pos);
    out.push_back(trim(
        text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return out;
}

}  // namespace capeside
