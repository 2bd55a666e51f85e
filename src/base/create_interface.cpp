#include "base/create_interface.h"

#include <cstdio>
#include <string>

#include "base/message_output.h"
#include "comlite/creation.h"
#include "comlite/registry.h"

namespace Utils {

HRESULT createInterface(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out) {
  const HRESULT created = CoCreateInstance(clsid, outer, context, iid, out);
  if (SUCCEEDED(created)) return created;

  std::string interfaceName = "Unknown";
  std::string className = "Unknown";
  std::shared_ptr<const comlite::registry::Data> registry;
  std::string why;
  const HRESULT loaded = comlite::registry::snapshot(registry, &why);
  if (FAILED(loaded)) {
    popUpStatus(loaded, "Unexpected error ", nullptr, nullptr, true);
  } else {
    if (auto name = registry->value("Interface\\" + comlite::guidToString(iid)))
      interfaceName = *name;
    if (auto progId = registry->value("CLSID\\" + comlite::guidToString(clsid) + "\\ProgID"))
      className = *progId;
  }
  if (className == "Unknown") className = comlite::guidToString(clsid);

  const std::string message = "Error creating interface '" + interfaceName + "' for class '" +
                              className + "' context " + std::to_string(static_cast<int>(context));
  popUpStatus(E_FAIL, message.c_str(), nullptr, nullptr, true);
  return created;
}

}  // namespace Utils
