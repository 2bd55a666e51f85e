#include "ideal_package/package_data.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "capeside/support/cape_error.h"
#include "capeside/support/settings_text.h"
#include "comlite/platform.h"
#include "ideal_package/model/model_error.h"

namespace ideal {

std::string dataFolder() {
  if (auto env = comlite::environmentValue(kDataFolderVariable); env && !env->empty()) return *env;
  std::string module = comlite::modulePathContaining(reinterpret_cast<const void*>(&dataFolder));
  const std::size_t slash = module.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : module.substr(0, slash);
  // Beside the module in a build tree; <prefix>/share/coravl/ when installed in <prefix>/lib.
  const std::string beside = dir + "/ideal_package";
  const std::string shared = dir + "/../share/coravl/ideal_package";
  std::error_code ec;
  return std::filesystem::is_directory(beside, ec) || !std::filesystem::is_directory(shared, ec)
             ? beside
             : shared;
}

std::shared_ptr<const CompoundTable> compoundTable() {
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<const CompoundTable>> loaded;
  const std::string path = dataFolder() + "/compounds.csv";
  std::lock_guard<std::mutex> guard(lock);
  auto it = loaded.find(path);
  if (it != loaded.end()) return it->second;
  try {
    auto table = std::make_shared<const CompoundTable>(CompoundTable::load(path));
    loaded[path] = table;
    return table;
  } catch (const ModelError& e) {
    throw capeside::CapeError(ECapeFailedInitialisationHR, e.scope(), e.what());
  }
}

std::vector<PackageDefinition> packageDefinitions() {
  static constexpr const char* kScope = "packageDefinitions";
  const std::shared_ptr<const CompoundTable> table = compoundTable();
  const std::string path = dataFolder() + "/packages.txt";
  std::vector<PackageDefinition> out;
  std::vector<capeside::Setting> lines;
  try {
    lines = capeside::parseSettings(capeside::readTextFile(path, kScope), path, kScope);
  } catch (capeside::CapeError& e) {
    e.record().code = ECapeFailedInitialisationHR;
    throw;
  }
  for (const capeside::Setting& s : lines) {
    PackageDefinition d{s.key, {}};
    for (const std::string& id : capeside::splitList(s.value)) {
      auto index = table->find(id);
      if (!index)
        throw capeside::CapeError(ECapeFailedInitialisationHR, kScope,
                                  capeside::cat(path, ", line ", s.line, ": compound \"", id,
                                                "\" is not in compounds.csv"));
      d.compounds.push_back(*index);
    }
    if (d.compounds.empty())
      throw capeside::CapeError(
          ECapeFailedInitialisationHR, kScope,
          capeside::cat(path, ", line ", s.line, ": package \"", s.key, "\" lists no compound"));
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace ideal
