#include "pr_package/package_configuration.h"

#include "capeside/support/cape_error.h"
#include "capeside/support/settings_text.h"
#include "capeside/support/variant_lists.h"
#include "pr_package/data_folder.h"

namespace prcape {

using capeside::CapeError;
using capeside::cat;

namespace {

constexpr const char* kScope = "readConfigurations";

[[noreturn]] void fail(const std::string& fileName, int line, const std::string& what) {
  throw CapeError(ECapeFailedInitialisationHR, kScope, cat(fileName, ", line ", line, ": ", what));
}

}  // namespace

std::vector<PackageConfiguration> parseConfigurations(const std::string& text,
                                                      const std::string& fileName) {
  std::vector<PackageConfiguration> out;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string line = capeside::trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') fail(fileName, lineNo, "a package name must end with ']'");
      const std::string name = capeside::trim(std::string_view(line).substr(1, line.size() - 2));
      if (name.empty()) fail(fileName, lineNo, "the package name is empty");
      for (const PackageConfiguration& c : out)
        if (capeside::sameName(c.name, name))
          fail(fileName, lineNo, cat("package \"", name, "\" is configured twice"));
      out.push_back(
          PackageConfiguration{name, "", {}, kDefaultKijFile, MissingRoot::Extrapolate, lineNo});
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos)
      fail(fileName, lineNo, "expected \"[package name]\" or \"key = value\"");
    if (out.empty()) fail(fileName, lineNo, "a setting before the first \"[package name]\"");
    const std::string key = capeside::trim(std::string_view(line).substr(0, eq));
    const std::string value = capeside::trim(std::string_view(line).substr(eq + 1));
    PackageConfiguration& c = out.back();
    if (capeside::sameName(key, "compounds")) {
      c.compounds = capeside::splitList(value);
    } else if (capeside::sameName(key, "kij")) {
      if (value.empty() || value.find('/') != std::string::npos)
        fail(fileName, lineNo, cat("kij \"", value, "\" is not a file name of the data folder"));
      c.kijFile = value;
    } else if (capeside::sameName(key, "missingRoot")) {
      if (capeside::sameName(value, "extrapolate"))
        c.missingRoot = MissingRoot::Extrapolate;
      else if (capeside::sameName(value, "unavailable"))
        c.missingRoot = MissingRoot::Unavailable;
      else
        fail(fileName, lineNo,
             cat("missingRoot \"", value, "\" is neither \"extrapolate\" nor \"unavailable\""));
    } else if (capeside::sameName(key, "description")) {
      c.description = value;
    } else {
      fail(fileName, lineNo, cat("unknown key \"", key, "\""));
    }
  }
  for (std::size_t k = 0; k < out.size(); ++k)
    if (out[k].compounds.empty())
      fail(fileName, out[k].line, cat("package \"", out[k].name, "\" lists no compound"));
  return out;
}

std::vector<PackageConfiguration> readConfigurations() {
  const std::string path = dataFolder() + "/packages.txt";
  std::vector<PackageConfiguration> configs =
      parseConfigurations(capeside::readTextFile(path, kScope), path);
  for (PackageConfiguration& c : configs) {
    const std::shared_ptr<const pr::CompoundDatabase> db = database(c.kijFile);
    for (std::size_t k = 0; k < c.compounds.size(); ++k) {
      auto index = db->find(c.compounds[k]);
      if (!index)
        fail(path, c.line,
             cat("package \"", c.name, "\" lists \"", c.compounds[k],
                 "\", which is not in compounds.csv"));
      // CAS numbers and letter case become the ids of the data.
      c.compounds[k] = db->compounds()[*index].name;
      for (std::size_t j = 0; j < k; ++j)
        if (c.compounds[j] == c.compounds[k])
          fail(path, c.line, cat("package \"", c.name, "\" lists \"", c.compounds[k], "\" twice"));
    }
  }
  return configs;
}

PackageConfiguration standAloneConfiguration() {
  PackageConfiguration c;
  c.name = "Peng-Robinson (all compounds)";
  c.description = "Peng-Robinson with ideal-gas heat capacities: every compound of the data file";
  c.kijFile = kDefaultKijFile;
  for (const pr::CompoundRecord& r : database(c.kijFile)->compounds())
    c.compounds.push_back(r.name);
  return c;
}

}  // namespace prcape
