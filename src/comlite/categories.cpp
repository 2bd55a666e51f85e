#include "comlite/categories.h"

#include <cstdio>

namespace comlite {

std::string localeValueName(LCID lcid) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(lcid));
  return buf;
}

void registerCategory(registry::Data& data, const CATID& catid, LCID lcid,
                      const std::string& description) {
  data.setValue("Component Categories\\" + guidToString(catid), localeValueName(lcid), description);
}

void registerClassImplCategories(registry::Data& data, const CLSID& clsid,
                                 const std::vector<CATID>& catids) {
  for (auto& c : catids)
    data.createKey("CLSID\\" + guidToString(clsid) + "\\Implemented Categories\\" +
                   guidToString(c));
}

void unregisterClassImplCategories(registry::Data& data, const CLSID& clsid,
                                   const std::vector<CATID>& catids) {
  const std::string base = "CLSID\\" + guidToString(clsid) + "\\Implemented Categories";
  for (auto& c : catids) data.deleteTree(base + "\\" + guidToString(c));
  if (data.subkeys(base).empty() && data.values(base).empty()) data.deleteTree(base);
}

std::vector<CLSID> classesImplementing(const registry::Data& data, const CATID& catid) {
  std::vector<CLSID> out;
  for (auto& name : data.classesWithCategory(guidToString(catid)))
    if (auto g = parseGuid(name)) out.push_back(*g);
  return out;
}

std::string categoryDescription(const registry::Data& data, const CATID& catid, LCID lcid) {
  const std::string key = "Component Categories\\" + guidToString(catid);
  if (auto v = data.value(key, localeValueName(lcid))) return *v;
  auto all = data.values(key);
  return all.empty() ? std::string() : all.begin()->second;
}

}  // namespace comlite
