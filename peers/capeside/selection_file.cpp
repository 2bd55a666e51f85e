#include "capeside/selection_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "capeside/support/cape_error.h"
#include "capeside/support/settings_text.h"
#include "capeside/support/variant_lists.h"
#include "comlite/platform.h"
#include "outside/adapter.h"

namespace capeside {

namespace {
constexpr const char* kScope = "parseSelection";
}

std::string Selection::listName() const {
  return manager.empty() ? package : manager + "::" + package;
}

Selection parseSelection(const std::string& text, const std::string& fileName) {
  Selection s;
  bool seen[3] = {false, false, false};
  auto once = [&](int k, const Setting& line) {
    if (seen[k])
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat(fileName, ", line ", line.line, ": \"", line.key, "\" is given twice"));
    seen[k] = true;
  };
  for (const Setting& line : parseSettings(text, fileName, kScope)) {
    if (sameName(line.key, "manager")) {
      once(0, line);
      s.manager = line.value;
    } else if (sameName(line.key, "package")) {
      once(1, line);
      s.package = line.value;
    } else if (sameName(line.key, "alias")) {
      once(2, line);
      s.alias = line.value;
    } else if (sameName(line.key, "compound")) {
      const std::vector<std::string> parts = splitList(line.value);
      if (parts.empty() || parts.size() > 3 || parts[0].empty())
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat(fileName, ", line ", line.line,
                            ": expected \"compound = <id>[, <name>[, <id number>]]\""));
      SelectedCompound c{parts[0], parts.size() > 1 ? parts[1] : "", 0};
      if (parts.size() > 2) {
        char* end = nullptr;
        errno = 0;
        c.idNumber = std::strtod(parts[2].c_str(), &end);
        if (parts[2].empty() || end != parts[2].c_str() + parts[2].size() || errno == ERANGE ||
            !std::isfinite(c.idNumber))
          throw CapeError(
              ECapeInvalidArgumentHR, kScope,
              cat(fileName, ", line ", line.line, ": \"", parts[2], "\" is not an id number"));
      }
      s.compounds.push_back(std::move(c));
    } else {
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat(fileName, ", line ", line.line, ": unknown key \"", line.key,
                          "\" (expected manager, package, alias or compound)"));
    }
  }
  if (s.manager.empty()) {
    const std::size_t sep = s.package.find("::");
    if (sep != std::string::npos) {
      s.manager = trim(s.package.substr(0, sep));
      s.package = trim(s.package.substr(sep + 2));
    }
  }
  if (s.package.empty())
    throw CapeError(ECapeInvalidArgumentHR, kScope, cat(fileName, ": no package is selected"));
  if (s.alias.empty()) s.alias = s.package;
  return s;
}

Selection readSelectionFile() {
  static constexpr const char* kReadScope = "readSelectionFile";
  auto path = comlite::environmentValue(adapter::kSelectionFileVariable);
  if (!path || path->empty())
    throw CapeError(ECapeFailedInitialisationHR, kReadScope,
                    cat("no package is selected: the environment variable ",
                        adapter::kSelectionFileVariable, " does not name a selection file"));
  return parseSelection(readTextFile(*path, kReadScope), *path);
}

}  // namespace capeside
