#include "capeside/support/package_module.h"

#include <utility>
#include <vector>

#include "comlite/guid.h"
#include "outside/capeopen_categories.h"

namespace capeside {
namespace {

comlite::ClassInfo classOf(const ComponentRegistration& c, const CATID& category) {
  return comlite::ClassInfo{c.clsid,     c.name,
                            c.progId,    c.versionIndependentProgId,
                            "Apartment", {capeopen::kCatCapeOpenComponent, category},
                            c.create};
}

std::vector<comlite::ClassInfo> classesOf(const PackageModuleRegistration& r) {
  return {classOf(r.package, capeopen::kCatThermo11Package),
          classOf(r.manager, capeopen::kCatThermo11PackageManager)};
}

std::vector<comlite::CategoryInfo> categories() {
  return {comlite::CategoryInfo{capeopen::kCatCapeOpenComponent, LCID_ENGLISH_US,
                                "CAPE-OPEN Component"},
          comlite::CategoryInfo{capeopen::kCatThermo11Package, LCID_ENGLISH_US,
                                "CAPE-OPEN 1.1 Property Package"},
          comlite::CategoryInfo{capeopen::kCatThermo11PackageManager, LCID_ENGLISH_US,
                                "CAPE-OPEN 1.1 Property Package Manager"}};
}

void writeDescription(comlite::registry::Data& data, const ComponentRegistration& c,
                      const std::string& about) {
  const std::string key =
      "CLSID\\" + comlite::guidToString(c.clsid) + "\\" + capeopen::kCapeDescriptionKey;
  data.setValue(key, "Name", c.name);
  data.setValue(key, "Description", c.description);
  data.setValue(key, "CapeVersion", "1.1");
  data.setValue(key, "ComponentVersion", "1.0");
  data.setValue(key, "VendorURL", "");
  data.setValue(key, "HelpURL", "");
  data.setValue(key, "About", about);
}

}  // namespace

PackageModule::PackageModule(PackageModuleRegistration registration)
    : comlite::Module(classesOf(registration), categories()),
      m_registration(std::move(registration)) {
  extraRegistration = [this](comlite::registry::Data& data, const std::string&) {
    writeDescription(data, m_registration.package, m_registration.about);
    writeDescription(data, m_registration.manager, m_registration.about);
  };
}

}  // namespace capeside
