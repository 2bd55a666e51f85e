#include "pr_package/data_folder.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

#include "capeside/support/cape_error.h"
#include "comlite/hresult.h"
#include "comlite/platform.h"
#include "pr_package/model/error.h"

namespace prcape {

std::string dataFolder() {
  if (auto env = comlite::environmentValue(kDataFolderVariable); env && !env->empty()) return *env;
  const std::string module =
      comlite::modulePathContaining(reinterpret_cast<const void*>(&dataFolder));
  const std::size_t slash = module.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : module.substr(0, slash);
  // Beside the module in a build tree; <prefix>/share/coravl/ when installed in <prefix>/lib.
  const std::string beside = dir + "/pr_package";
  const std::string shared = dir + "/../share/coravl/pr_package";
  std::error_code ec;
  return std::filesystem::is_directory(beside, ec) || !std::filesystem::is_directory(shared, ec)
             ? beside
             : shared;
}

std::shared_ptr<const pr::CompoundDatabase> database(const std::string& kijFile) {
  static std::mutex lock;
  static std::map<std::pair<std::string, std::string>, std::shared_ptr<const pr::CompoundDatabase>>
      loaded;
  const std::string folder = dataFolder();
  const std::pair<std::string, std::string> key{folder + "/compounds.csv", folder + "/" + kijFile};
  std::lock_guard<std::mutex> held(lock);
  if (auto it = loaded.find(key); it != loaded.end()) return it->second;
  try {
    auto db = std::make_shared<const pr::CompoundDatabase>(
        pr::CompoundDatabase::load(key.first, key.second));
    loaded[key] = db;
    return db;
  } catch (const pr::Error& e) {
    throw capeside::CapeError(ECapeFailedInitialisationHR, e.procedure(), e.message());
  }
}

}  // namespace prcape
