#include "packages.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/categories.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/guid.h"
#include "comlite/registry.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_common.h"
#include "outside/capeopen_thermo.h"

namespace coravl::driver {

std::vector<std::string> strings(const VARIANT& v) {
  std::vector<std::string> out;
  if (v.vt != (VT_ARRAY | VT_BSTR) || !v.parray) return out;
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(v.parray, 1, &lb);
  SafeArrayGetUBound(v.parray, 1, &ub);
  for (LONG i = lb; i <= ub; ++i) {
    BSTR s = nullptr;
    SafeArrayGetElement(v.parray, &i, &s);
    out.push_back(comlite::bstrToUtf8(s));
    SysFreeString(s);
  }
  return out;
}

namespace {

std::string progIdOf(const CLSID& clsid) {
  BSTR p = nullptr;
  if (SUCCEEDED(ProgIDFromCLSID(clsid, &p)) && p) return comlite::Bstr::attach(p).utf8();
  return comlite::guidToString(clsid);
}

std::string failure(HRESULT hr, const std::string& what) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  std::string description, source;
  comlite::takeErrorInfo(description, source);
  return what + " failed (" + buf + ")" + (description.empty() ? "" : ": " + description);
}

std::string description(IDispatch* component) {
  comlite::ComPtr<ICapeIdentification> id;
  if (!component || FAILED(component->QueryInterface(ICapeIdentification::kIID, id.putVoid())))
    return {};
  comlite::Bstr d;
  return SUCCEEDED(id->get_ComponentDescription(d.out())) ? d.utf8() : std::string();
}

//! Reports one package's compounds; the package is initialised for the question and terminated.
bool reportPackage(Output& out, const std::string& title, IDispatch* package) {
  out.begin(title, 0);
  comlite::ComPtr<ICapeUtilities> utilities;
  if (SUCCEEDED(package->QueryInterface(ICapeUtilities::kIID, utilities.putVoid()))) {
    const HRESULT hr = utilities->Initialize();
    if (FAILED(hr)) {
      out.end(false, failure(hr, "Initialize"));
      return false;
    }
  }
  out.text("description", description(package));
  comlite::ComPtr<ICapeThermoCompounds> compounds;
  bool ok = false;
  std::string status = "the package has no ICapeThermoCompounds";
  if (SUCCEEDED(package->QueryInterface(ICapeThermoCompounds::kIID, compounds.putVoid()))) {
    comlite::Variant ids, formulae, names, boil, mw, cas;
    const HRESULT hr = compounds->GetCompoundList(&ids, &formulae, &names, &boil, &mw, &cas);
    if (SUCCEEDED(hr)) {
      const auto i = strings(ids), f = strings(formulae), c = strings(cas);
      std::vector<Row> rows;
      for (std::size_t k = 0; k < i.size(); ++k)
        rows.push_back({i[k], k < c.size() ? c[k] : "", k < f.size() ? f[k] : ""});
      out.table("compounds", {"id", "CAS", "formula"}, rows);
      ok = true;
      status = "ok";
    } else {
      status = failure(hr, "GetCompoundList");
    }
  }
  if (utilities) utilities->Terminate();
  out.end(ok, status);
  return ok;
}

}  // namespace

int listPackages(Output& out) {
  comlite::registry::Data data;
  std::string why;
  if (FAILED(comlite::registry::load(data, &why))) throw std::runtime_error(why);
  int failed = 0;
  for (const CLSID& c : comlite::classesImplementing(data, capeopen::kCatThermo11PackageManager)) {
    const std::string progId = progIdOf(c);
    out.begin("package manager " + progId, 0);
    comlite::ComPtr<ICapeThermoPropertyPackageManager> manager;
    HRESULT hr = CoCreateInstance(c, nullptr, CLSCTX_INPROC_SERVER,
                                  ICapeThermoPropertyPackageManager::kIID, manager.putVoid());
    if (FAILED(hr)) {
      out.end(false, failure(hr, "creating the manager"));
      ++failed;
      continue;
    }
    comlite::ComPtr<ICapeUtilities> utilities = manager.as<ICapeUtilities>();
    if (utilities) utilities->Initialize();
    out.text("description", description(manager.get()));
    comlite::Variant list;
    hr = manager->GetPropertyPackageList(&list);
    const auto names = strings(list);
    std::vector<Row> rows;
    for (const auto& n : names) rows.push_back({n, progId + "::" + n});
    out.table("packages", {"package", "selection"}, rows);
    out.end(SUCCEEDED(hr), SUCCEEDED(hr) ? "ok" : failure(hr, "GetPropertyPackageList"));
    if (FAILED(hr)) ++failed;
    for (const auto& n : names) {
      comlite::ComPtr<IDispatch> package;
      comlite::Bstr name(n);
      hr = manager->GetPropertyPackage(name.get(), package.put());
      if (FAILED(hr) || !package) {
        out.begin("package " + progId + "::" + n, 0);
        out.end(false, failure(hr, "GetPropertyPackage"));
        ++failed;
        continue;
      }
      if (!reportPackage(out, "package " + progId + "::" + n, package.get())) ++failed;
    }
    if (utilities) utilities->Terminate();
  }
  for (const CLSID& c : comlite::classesImplementing(data, capeopen::kCatThermo11Package)) {
    const std::string progId = progIdOf(c);
    comlite::ComPtr<IDispatch> package;
    const HRESULT hr =
        CoCreateInstance(c, nullptr, CLSCTX_INPROC_SERVER, IDispatch::kIID, package.putVoid());
    if (FAILED(hr)) {
      out.begin("package " + progId, 0);
      out.end(false, failure(hr, "creating the package"));
      ++failed;
      continue;
    }
    if (!reportPackage(out, "package " + progId, package.get())) ++failed;
  }
  return failed;
}

}  // namespace coravl::driver
