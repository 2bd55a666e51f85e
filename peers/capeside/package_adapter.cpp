#include "capeside/package_adapter.h"

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "capeside/material_object.h"
#include "capeside/package_gui.h"
#include "capeside/support/error_object.h"
#include "capeside/support/option_records.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/categories.h"
#include "comlite/creation.h"
#include "comlite/registry.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_common.h"

namespace capeside {

namespace {

constexpr const char* kAdapter = "IPackageAdapter";
constexpr const char* kSignature = "coravlAdapter";
constexpr const char* kVersion = "1";

//! The class of a ProgID or "{CLSID}" text; nullopt when not registered.
std::optional<CLSID> classOf(const std::string& ref) {
  if (!ref.empty() && ref.front() == '{') {
    auto g = comlite::parseGuid(ref);
    if (!g || comlite::modulePathOf(*g).empty()) return std::nullopt;
    return g;
  }
  const CLSID c = comlite::classIdOf(ref);
  if (c == GUID_NULL) return std::nullopt;
  return c;
}

bool implements(const CLSID& clsid, const CATID& catid) {
  std::shared_ptr<const comlite::registry::Data> data;
  if (FAILED(comlite::registry::snapshot(data))) return false;
  for (const CLSID& c : comlite::classesImplementing(*data, catid))
    if (c == clsid) return true;
  return false;
}

std::string progIdOf(const CLSID& clsid) {
  BSTR p = nullptr;
  if (SUCCEEDED(ProgIDFromCLSID(clsid, &p)) && p) return comlite::Bstr::attach(p).utf8();
  return comlite::guidToString(clsid);
}

template <class I>
comlite::ComPtr<I> create(const CLSID& clsid, const std::string& what) {
  comlite::ComPtr<I> out;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::kIID, out.putVoid());
  if (FAILED(hr)) {
    ErrorRecord r = recordOfFailure(nullptr, hr, "IClassFactory", "CreateInstance");
    r.description = cat("creating ", what, " failed: ", r.description);
    r.code = ECapeFailedInitialisationHR;
    throw CapeError(std::move(r), true);
  }
  return out;
}

//! A list as a nested option record list (keys "1", "2", ...).
std::string nest(const std::vector<std::string>& items) {
  std::u16string list = u"  0 :";
  for (std::size_t i = 0; i < items.size(); ++i)
    appendRecord(list, std::to_string(i + 1), items[i]);
  return comlite::utf16ToUtf8(list);
}

std::vector<std::string> unnest(const std::u16string& text, const char* key) {
  auto records = parseRecords(text);
  if (!records)
    throw CapeError(ECapePersistenceHR, "PackageAdapter::Recall",
                    cat("record \"", key, "\" of the saved text is not a list"));
  std::vector<std::string> out;
  for (const Record& r : *records) out.push_back(comlite::utf16ToUtf8(r.second));
  return out;
}

std::string number(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

//! Compound name match: equal by name, or one of them is the other with a trailing '*'.
bool compoundNameMatch(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (sameName(a, b)) return true;
  if (a.size() == b.size() + 1 && a.back() == '*') return sameName(a.substr(0, b.size()), b);
  if (b.size() == a.size() + 1 && b.back() == '*') return sameName(b.substr(0, a.size()), a);
  return false;
}

}  // namespace

PackageAdapter::~PackageAdapter() {
  releasePackage();  // breaks the package <-> material references
}

void PackageAdapter::validate(const Selection& s) const {
  static constexpr const char* kScope = "PackageAdapter::validate";
  if (!s.manager.empty()) {
    auto manager = classOf(s.manager);
    if (!manager)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("package manager \"", s.manager, "\" is not registered"));
    if (!implements(*manager, capeopen::kCatThermo11PackageManager))
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("\"", s.manager, "\" is not a CAPE-OPEN 1.1 property package manager"));
    return;  // the package name is checked against the manager's list on creation
  }
  auto package = classOf(s.package);
  if (!package)
    throw CapeError(ECapeInvalidArgumentHR, kScope,
                    cat("property package \"", s.package, "\" is not registered"));
  if (!implements(*package, capeopen::kCatThermo11Package))
    throw CapeError(ECapeInvalidArgumentHR, kScope,
                    cat("\"", s.package, "\" is not a CAPE-OPEN 1.1 property package"));
}

void PackageAdapter::makeGui() {
  if (m_gui) return;
  PackageGui* gui = comlite::makeObject<PackageGui>();
  if (!gui) throw std::bad_alloc();
  m_gui = comlite::ComPtr<ICCAPEGUI>::attach(gui);
}

HRESULT PackageAdapter::GetPackageList(VARIANT* packageNames) {
  return guard(kAdapter, "GetPackageList", [&] {
    if (!packageNames) return E_POINTER;
    std::shared_ptr<const comlite::registry::Data> data;
    std::string error;
    if (FAILED(comlite::registry::snapshot(data, &error)))
      throw CapeError(ECapeFailedInitialisationHR, "PackageAdapter::GetPackageList", error);
    std::vector<std::string> names;
    for (const CLSID& c :
         comlite::classesImplementing(*data, capeopen::kCatThermo11PackageManager)) {
      comlite::ComPtr<ICapeThermoPropertyPackageManager> manager;
      if (FAILED(CoCreateInstance(c, nullptr, CLSCTX_INPROC_SERVER,
                                  ICapeThermoPropertyPackageManager::kIID, manager.putVoid())))
        continue;  // a manager that cannot be created offers nothing
      comlite::Variant list;
      if (FAILED(manager->GetPropertyPackageList(&list))) continue;
      const std::string progId = progIdOf(c);
      for (const std::string& n : stringList(list).value_or(std::vector<std::string>{}))
        names.push_back(progId + "::" + n);
    }
    for (const CLSID& c : comlite::classesImplementing(*data, capeopen::kCatThermo11Package))
      names.push_back(progIdOf(c));
    comlite::ComPtr<IErrorInfo> stale;  // failures of skipped managers are not this call's
    GetErrorInfo(0, stale.put());
    return putVariant(packageNames, makeStringArray(names));
  });
}

HRESULT PackageAdapter::SelectPackage(IDispatch** selection) {
  return guard(kAdapter, "SelectPackage", [&] {
    if (!selection) return E_POINTER;
    *selection = nullptr;
    Selection s = readSelectionFile();
    validate(s);
    check(releasePackage(), unknown(), kAdapter, "ReleaseResources");
    m_selection = std::move(s);
    m_savedCompIds.reset();
    m_userQoNames.clear();
    m_compIds.clear();
    m_qoNames.clear();
    m_idNumbers.clear();
    makeGui();
    comlite::Bstr empty(""), alias(m_selection->alias);
    check(m_gui->SetPackageInfo(empty.get(), alias.get(), empty.get(), empty.get()), m_gui.get(),
          "ICCAPEGUI", "SetPackageInfo");
    return m_gui->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(selection));
  });
}

void PackageAdapter::createPackage(const SavedLists* saved) {
  static constexpr const char* kScope = "PackageAdapter::createPackage";
  const Selection& s = *m_selection;
  comlite::ComPtr<IDispatch> manager, package;
  CLSID clsid{};
  std::string name, progId, description;
  if (!s.manager.empty()) {
    clsid = *classOf(s.manager);
    auto ppm =
        create<ICapeThermoPropertyPackageManager>(clsid, "package manager \"" + s.manager + "\"");
    if (auto utilities = ppm.as<ICapeUtilities>())
      check(utilities->Initialize(), utilities.get(), "ICapeUtilities", "Initialize");
    comlite::Variant list;
    check(ppm->GetPropertyPackageList(&list), ppm.get(), "ICapeThermoPropertyPackageManager",
          "GetPropertyPackageList");
    const std::vector<std::string> offered = stringList(list).value_or(std::vector<std::string>{});
    const long at = findName(offered, s.package);
    if (at < 0)
      throw CapeError(
          ECapeInvalidArgumentHR, kScope,
          cat("package manager \"", s.manager, "\" offers no package \"", s.package, "\""));
    comlite::Bstr packageName(offered[static_cast<std::size_t>(at)]);
    check(ppm->GetPropertyPackage(packageName.get(), package.put()), ppm.get(),
          "ICapeThermoPropertyPackageManager", "GetPropertyPackage");
    if (!package)
      throw CapeError(
          ECapeFailedInitialisationHR, kScope,
          cat("package manager \"", s.manager, "\" gave no package \"", s.package, "\""));
    manager = comlite::ComPtr<IDispatch>(static_cast<IDispatch*>(ppm.get()));
    name = offered[static_cast<std::size_t>(at)];
    progId = progIdOf(clsid);
  } else {
    clsid = *classOf(s.package);
    package = create<IDispatch>(clsid, "property package \"" + s.package + "\"");
    progId = progIdOf(clsid);
    name = progId;
  }
  // From here on a failure must terminate what was created.
  try {
    if (auto utilities = package.as<ICapeUtilities>())
      check(utilities->Initialize(), utilities.get(), "ICapeUtilities", "Initialize");
    if (auto identification = package.as<ICapeIdentification>()) {
      comlite::Bstr n, d;
      if (SUCCEEDED(identification->get_ComponentName(n.out())) && s.manager.empty() && !n.empty())
        name = n.utf8();
      if (SUCCEEDED(identification->get_ComponentDescription(d.out()))) description = d.utf8();
    }
    auto compounds = package.as<ICapeThermoCompounds>();
    auto phases = package.as<ICapeThermoPhases>();
    if (!compounds || !phases)
      throw CapeError(
          ECapeFailedInitialisationHR, kScope,
          cat("package \"", name, "\" lacks ICapeThermoCompounds or ICapeThermoPhases"));
    comlite::Variant ids, formulae, names, boil, mw, cas;
    check(compounds->GetCompoundList(&ids, &formulae, &names, &boil, &mw, &cas), compounds.get(),
          "ICapeThermoCompounds", "GetCompoundList");
    comlite::Variant labels, states, keys;
    check(phases->GetPhaseList(&labels, &states, &keys), phases.get(), "ICapeThermoPhases",
          "GetPhaseList");
    // Bounded before anything is made of them.
    for (auto [list, limit, what] : {std::tuple{&ids, kMaxPackageCompounds, "compounds"},
                                     std::tuple{&labels, kMaxPackagePhases, "phases"}})
      if (arrayLength(*list) > limit)
        throw CapeError(ECapeOutOfResourcesHR, kScope,
                        cat("package \"", name, "\" lists ", arrayLength(*list), " ", what,
                            "; at most ", limit, " are taken"));
    std::vector<std::string> properties;
    if (auto routine = package.as<ICapeThermoPropertyRoutine>()) {
      comlite::Variant single, two;
      check(routine->GetSinglePhasePropList(&single), routine.get(), "ICapeThermoPropertyRoutine",
            "GetSinglePhasePropList");
      check(routine->GetTwoPhasePropList(&two), routine.get(), "ICapeThermoPropertyRoutine",
            "GetTwoPhasePropList");
      properties = stringList(single).value_or(std::vector<std::string>{});
      for (const std::string& p : stringList(two).value_or(std::vector<std::string>{}))
        properties.push_back(p);
    }
    std::vector<std::string> compIds = stringList(ids).value_or(std::vector<std::string>{});
    const std::size_t n = compIds.size();
    auto sized = [n](std::optional<std::vector<std::string>> v) {
      std::vector<std::string> out = v.value_or(std::vector<std::string>{});
      out.resize(n);
      return out;
    };
    std::vector<std::string> compFormulas = sized(stringList(formulae));
    std::vector<std::string> compNames = sized(stringList(names));
    std::vector<std::string> compCas = sized(stringList(cas));
    std::vector<std::string> phaseLabels = stringList(labels).value_or(std::vector<std::string>{});
    std::vector<std::string> phaseStates = stringList(states).value_or(std::vector<std::string>{});
    std::vector<std::string> phaseKeys = stringList(keys).value_or(std::vector<std::string>{});
    phaseStates.resize(phaseLabels.size());
    phaseKeys.resize(phaseLabels.size());

    // Simulator names and id numbers: the saved ones, the selection's, else the package's names.
    std::vector<std::string> qoNames(n);
    std::vector<double> idNumbers(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
      qoNames[i] = compNames[i].empty() ? compIds[i] : compNames[i];
    auto indexOf = [&](const std::string& idOrCas) -> long {
      for (std::size_t i = 0; i < n; ++i)
        if (sameName(compIds[i], idOrCas) || (!compCas[i].empty() && sameName(compCas[i], idOrCas)))
          return static_cast<long>(i);
      return -1;
    };
    std::vector<std::string> userQoNames;
    if (saved) {
      for (std::size_t j = 0; j < saved->compIds.size(); ++j) {
        const long i = indexOf(saved->compIds[j]);
        if (i < 0) continue;
        if (j < saved->qoNames.size() && !saved->qoNames[j].empty())
          qoNames[static_cast<std::size_t>(i)] = saved->qoNames[j];
        if (j < saved->idNumbers.size())
          idNumbers[static_cast<std::size_t>(i)] = saved->idNumbers[j];
      }
      userQoNames = saved->userQoNames;
    } else {
      for (const SelectedCompound& c : s.compounds) {
        const long i = indexOf(c.id);
        if (i < 0)
          throw CapeError(
              ECapeInvalidArgumentHR, kScope,
              cat("compound \"", c.id, "\" of the selection is not in package \"", name, "\""));
        if (!c.qoName.empty()) qoNames[static_cast<std::size_t>(i)] = c.qoName;
        idNumbers[static_cast<std::size_t>(i)] = c.idNumber;
      }
      for (const SelectedCompound& c : s.compounds)
        userQoNames.push_back(qoNames[static_cast<std::size_t>(indexOf(c.id))]);
    }

    makeGui();
    comlite::Bstr bName(name), bAlias(s.alias), bProgId(progId), bDescription(description),
        bClsid(comlite::guidToString(clsid)), bManager(s.manager.empty() ? "" : progIdOf(clsid));
    check(m_gui->SetPackageInfo(bName.get(), bAlias.get(), bProgId.get(), bDescription.get()),
          m_gui.get(), "ICCAPEGUI", "SetPackageInfo");
    check(m_gui->SetPackageClass(bClsid.get(), bManager.get()), m_gui.get(), "ICCAPEGUI",
          "SetPackageClass");
    check(m_gui->put_CapeVersion(capegui::kCapeVersion11), m_gui.get(), "ICCAPEGUI",
          "put_CapeVersion");
    check(m_gui->SetCompoundData(makeStringArray(compIds), makeStringArray(compCas)), m_gui.get(),
          "ICCAPEGUI", "SetCompoundData");
    check(m_gui->SetPhaseList(makeStringArray(phaseLabels)), m_gui.get(), "ICCAPEGUI",
          "SetPhaseList");

    m_manager = std::move(manager);
    m_package = std::move(package);
    m_packageName = name;
    m_progId = progId;
    m_clsid = comlite::guidToString(clsid);
    m_description = description;
    m_compIds = std::move(compIds);
    m_formulas = std::move(compFormulas);
    m_names = std::move(compNames);
    m_casNos = std::move(compCas);
    m_qoNames = std::move(qoNames);
    m_idNumbers = std::move(idNumbers);
    m_properties = std::move(properties);
    m_phases = std::move(phaseLabels);
    m_states = std::move(phaseStates);
    m_keys = std::move(phaseKeys);
    m_userQoNames = std::move(userQoNames);
  } catch (...) {
    if (auto utilities = package.as<ICapeUtilities>()) utilities->Terminate();
    if (manager)
      if (auto utilities = manager.as<ICapeUtilities>()) utilities->Terminate();
    throw;
  }
}

HRESULT PackageAdapter::CreatePropPackage(IDispatch** package, IDispatch** gui) {
  return guard(kAdapter, "CreatePropPackage", [&] {
    if (!package || !gui) return E_POINTER;
    *package = nullptr;
    *gui = nullptr;
    if (!m_selection)
      throw CapeError(ECapeBadInvOrderHR, "PackageAdapter::CreatePropPackage",
                      "no package is selected")
          .requested("SelectPackage");
    if (!m_package) createPackage(nullptr);
    m_savedCompIds.reset();
    check(m_gui->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(gui)), m_gui.get(),
          "IUnknown", "QueryInterface");
    *package = comlite::ComPtr<IDispatch>(m_package).detach();
    return S_OK;
  });
}

HRESULT PackageAdapter::GetMaterialObject(IDispatch** material) {
  return guard(kAdapter, "GetMaterialObject", [&] {
    if (!material) return E_POINTER;
    *material = nullptr;
    if (!m_package)
      throw CapeError(ECapeBadInvOrderHR, "PackageAdapter::GetMaterialObject",
                      "no package has been created")
          .requested("CreatePropPackage");
    if (!m_material) {
      MaterialObject* mo = comlite::makeObject<MaterialObject>();
      if (!mo) throw std::bad_alloc();
      comlite::ComPtr<IMatObj> holder = comlite::ComPtr<IMatObj>::attach(mo);
      check(holder->SetPackage(m_package.get()), holder.get(), "IMatObj", "SetPackage");
      m_material = std::move(holder);
    }
    return m_material->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(material));
  });
}

std::size_t PackageAdapter::packageIndexOf(LONG compoundIndex) const {
  static constexpr const char* kScope = "PackageAdapter::GetCompoundConstant";
  const std::size_t count = m_userQoNames.empty() ? m_compIds.size() : m_userQoNames.size();
  if (compoundIndex < 0 || static_cast<std::size_t>(compoundIndex) >= count)
    throw CapeError(
        ECapeInvalidArgumentHR, kScope,
        cat("compound index ", compoundIndex, " is outside 0 to ", static_cast<long>(count) - 1))
        .at(2);
  if (m_userQoNames.empty()) return static_cast<std::size_t>(compoundIndex);
  const std::string& name = m_userQoNames[static_cast<std::size_t>(compoundIndex)];
  for (std::size_t i = 0; i < m_compIds.size(); ++i)
    if (compoundNameMatch(m_qoNames[i], name) || compoundNameMatch(m_compIds[i], name)) return i;
  throw CapeError(ECapeInvalidArgumentHR, kScope,
                  cat("fluid-package compound \"", name, "\" is not a compound of the package"))
      .at(2);
}

namespace {

//! False for a constant no compound has: beyond any physical magnitude, or not positive where
//! only a positive value has meaning (masses, critical data, absolute temperatures, sizes).
bool plausibleConstant(const std::string& id, double v) {
  if (std::fabs(v) > 1e12) return false;
  for (const char* positive : {"molecularWeight", "criticalTemperature", "criticalPressure",
                               "criticalVolume", "criticalCompressibilityFactor", "criticalDensity",
                               "normalBoilingPoint", "normalFreezingPoint", "liquidDensityAt25C",
                               "liquidVolumeAt25C", "parachor", "gyrationRadius", "diffusionVolume",
                               "vanderwaalsVolume", "vanderwaalsArea", "lengthLennardJones"})
    if (sameName(id, positive)) return v > 0.0;
  return true;
}

}  // namespace

HRESULT PackageAdapter::GetCompoundConstant(BSTR constantId, LONG compoundIndex, double* value) {
  return guard(kAdapter, "GetCompoundConstant", [&] {
    static constexpr const char* kScope = "PackageAdapter::GetCompoundConstant";
    if (!value) return E_POINTER;
    if (!m_package)
      throw CapeError(ECapeBadInvOrderHR, kScope, "no package has been created")
          .requested("CreatePropPackage");
    const std::size_t i = packageIndexOf(compoundIndex);
    auto compounds = m_package.as<ICapeThermoCompounds>();
    comlite::Variant result;
    const std::string id = text(constantId);
    check(compounds->GetCompoundConstant(makeStringArray({id}), makeStringArray({m_compIds[i]}),
                                         &result),
          compounds.get(), "ICapeThermoCompounds", "GetCompoundConstant");
    auto numbers = doubleList(result);
    // A constant that is not a real (a CAS number, a name) is the caller's wrong ask; a wrong
    // count or a real no compound has is the package's fault, told as out of bounds.
    if (!numbers)
      throw CapeError(
          ECapeInvalidArgumentHR, kScope,
          cat("the package's constant \"", id, "\" of \"", m_compIds[i], "\" is not a number"))
          .at(1);
    if (numbers->size() != 1)
      throw CapeError(ECapeOutOfBoundsHR, kScope,
                      cat("the package gave ", numbers->size(), " values for its constant \"", id,
                          "\" of \"", m_compIds[i], "\""))
          .at(1);
    const double v = (*numbers)[0];
    if (!std::isfinite(v) || !plausibleConstant(id, v))
      throw CapeError(ECapeOutOfBoundsHR, kScope,
                      cat("the package's constant \"", id, "\" of \"", m_compIds[i], "\" is ", v,
                          ", which no compound has"))
          .at(1);
    *value = v;
    return S_OK;
  });
}

HRESULT PackageAdapter::GetValue(BSTR name, VARIANT* value) {
  return guard(kAdapter, "GetValue", [&] {
    if (!value) return E_POINTER;
    const std::string n = text(name);
    comlite::Variant v;
    if (sameName(n, "PropPackAlias"))
      v = makeString(m_selection ? m_selection->alias : "");
    else if (sameName(n, "SelectedCompIds"))
      v = makeStringArray(m_savedCompIds ? *m_savedCompIds : m_compIds);
    else if (sameName(n, "SelectedCompFormulas"))
      v = makeStringArray(m_formulas);
    else if (sameName(n, "SelectedCompCASNos"))
      v = makeStringArray(m_casNos);
    else if (sameName(n, "SelectedCompQoNames"))
      v = makeStringArray(m_qoNames);
    else if (sameName(n, "UserSelectedCompQoNames"))
      v = makeStringArray(m_userQoNames);
    else if (sameName(n, "SelectedIDNumbers"))
      v = makeDoubleArray(m_idNumbers);
    else if (sameName(n, "SelectedProperties"))
      v = makeStringArray(m_properties);
    else if (sameName(n, "SelectedPhases"))
      v = makeStringArray(m_phases);
    else if (sameName(n, "SelectedStateOfAggregation"))
      v = makeStringArray(m_states);
    else if (sameName(n, "SelectedKeyCompoundID"))
      v = makeStringArray(m_keys);
    else
      throw CapeError(ECapeInvalidArgumentHR, "PackageAdapter::GetValue",
                      cat("\"", n, "\" is not a value of the adapter"))
          .at(1);
    return putVariant(value, std::move(v));
  });
}

HRESULT PackageAdapter::SetValue(BSTR name, VARIANT value) {
  return guard(kAdapter, "SetValue", [&] {
    static constexpr const char* kScope = "PackageAdapter::SetValue";
    const std::string n = text(name);
    auto sizedStrings = [&]() {
      auto list = stringList(value);
      if (!list || list->size() != m_compIds.size())
        throw CapeError(ECapeBadArgumentHR, kScope,
                        cat("\"", n, "\" takes ", m_compIds.size(), " strings, one per compound"))
            .at(2);
      return *list;
    };
    if (sameName(n, "SelectedCompQoNames")) {
      m_qoNames = sizedStrings();
    } else if (sameName(n, "SelectedIDNumbers")) {
      auto list = doubleList(value);
      if (!list || list->size() != m_compIds.size())
        throw CapeError(ECapeBadArgumentHR, kScope,
                        cat("\"", n, "\" takes ", m_compIds.size(), " numbers, one per compound"))
            .at(2);
      m_idNumbers = std::move(*list);
    } else if (sameName(n, "UserSelectedCompQoNames")) {
      auto list = stringList(value);
      if (!list)
        throw CapeError(ECapeBadArgumentHR, kScope, cat("\"", n, "\" takes a list of strings"))
            .at(2);
      m_userQoNames = std::move(*list);
    } else if (sameName(n, "PropPackAlias")) {
      auto list = stringList(value);
      if (!list || list->size() != 1 || list->front().empty())
        throw CapeError(ECapeBadArgumentHR, kScope, "\"PropPackAlias\" takes one non-empty string")
            .at(2);
      if (!m_selection)
        throw CapeError(ECapeBadInvOrderHR, kScope, "no package is selected")
            .requested("SelectPackage");
      m_selection->alias = list->front();
      if (m_gui) {
        comlite::Bstr a(m_selection->alias), nm(m_packageName), p(m_progId), d(m_description);
        check(m_gui->SetPackageInfo(nm.get(), a.get(), p.get(), d.get()), m_gui.get(), "ICCAPEGUI",
              "SetPackageInfo");
      }
    } else if (sameName(n, "SelectedCompIds") || sameName(n, "SelectedCompFormulas") ||
               sameName(n, "SelectedCompCASNos") || sameName(n, "SelectedProperties") ||
               sameName(n, "SelectedPhases") || sameName(n, "SelectedStateOfAggregation") ||
               sameName(n, "SelectedKeyCompoundID")) {
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("\"", n, "\" comes from the package and cannot be set"))
          .at(1);
    } else {
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("\"", n, "\" is not a value of the adapter"))
          .at(1);
    }
    return S_OK;
  });
}

HRESULT PackageAdapter::Save(BSTR* saveText) {
  return guard(kAdapter, "Save", [&] {
    if (!saveText) return E_POINTER;
    *saveText = nullptr;
    if (!m_selection)
      throw CapeError(ECapeBadInvOrderHR, "PackageAdapter::Save", "no package is selected")
          .requested("SelectPackage");
    std::u16string out;
    appendRecord(out, kSignature, kVersion);
    appendRecord(out, "manager", m_selection->manager);
    appendRecord(out, "package", m_selection->package);
    appendRecord(out, "alias", m_selection->alias);
    std::vector<std::string> numbers;
    for (double d : m_idNumbers) numbers.push_back(number(d));
    appendRecord(out, "compIds", nest(m_savedCompIds ? *m_savedCompIds : m_compIds));
    appendRecord(out, "qoNames", nest(m_qoNames));
    appendRecord(out, "idNumbers", nest(numbers));
    appendRecord(out, "userQoNames", nest(m_userQoNames));
    *saveText = comlite::bstrFromUtf16(out);
    return *saveText ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT PackageAdapter::Recall(BSTR saveText, VARIANT_BOOL* baseChanged) {
  return guard(kAdapter, "Recall", [&] {
    static constexpr const char* kScope = "PackageAdapter::Recall";
    if (baseChanged) *baseChanged = VARIANT_FALSE;
    const std::u16string textIn(comlite::bstrView(saveText));
    auto records = parseRecords(textIn);
    if (!records)
      throw CapeError(ECapePersistenceHR, kScope, "the saved text is not an option record list");
    auto signature = findRecordUtf8(textIn, kSignature);
    if (!signature)
      throw CapeError(ECapePersistenceNotFoundHR, kScope,
                      "the saved text was not written by this adapter")
          .item(kSignature);
    if (*signature != kVersion)
      throw CapeError(ECapePersistenceHR, kScope,
                      cat("the saved text has version \"", *signature, "\", this adapter reads \"",
                          kVersion, "\""));
    auto need = [&](const char* key) {
      auto v = findRecordUtf8(textIn, key);
      if (!v)
        throw CapeError(ECapePersistenceNotFoundHR, kScope, cat("record \"", key, "\" is missing"))
            .item(key);
      return *v;
    };
    auto needList = [&](const char* key) {
      auto v = findRecord(textIn, comlite::utf8ToUtf16(key));
      if (!v)
        throw CapeError(ECapePersistenceNotFoundHR, kScope, cat("record \"", key, "\" is missing"))
            .item(key);
      return unnest(*v, key);
    };
    Selection s;
    s.manager = need("manager");
    s.package = need("package");
    s.alias = need("alias");
    if (s.package.empty())
      throw CapeError(ECapePersistenceHR, kScope, "the saved package is empty");
    SavedLists saved;
    saved.compIds = needList("compIds");
    saved.qoNames = needList("qoNames");
    saved.userQoNames = needList("userQoNames");
    for (const std::string& t : needList("idNumbers")) {
      char* end = nullptr;
      const double d = std::strtod(t.c_str(), &end);
      if (t.empty() || end != t.c_str() + t.size())
        throw CapeError(ECapePersistenceHR, kScope,
                        cat("saved id number \"", t, "\" is not a number"));
      saved.idNumbers.push_back(d);
    }
    if (saved.qoNames.size() != saved.compIds.size() ||
        saved.idNumbers.size() != saved.compIds.size())
      throw CapeError(ECapePersistenceHR, kScope, "the saved compound lists differ in length");
    validate(s);

    check(releasePackage(), unknown(), kAdapter, "ReleaseResources");
    std::optional<Selection> previous = std::move(m_selection);
    m_selection = std::move(s);
    try {
      createPackage(&saved);
    } catch (...) {
      m_selection = std::move(previous);
      throw;
    }
    bool changed = saved.compIds.size() != m_compIds.size();
    for (std::size_t i = 0; !changed && i < m_compIds.size(); ++i)
      changed = !sameName(saved.compIds[i], m_compIds[i]);
    m_savedCompIds = saved.compIds;
    if (baseChanged) *baseChanged = changed ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT PackageAdapter::SetWindow(LONGLONG windowHandle) {
  m_window = windowHandle;
  if (m_gui) m_gui->put_ParentWindow(windowHandle);
  return S_OK;
}

HRESULT PackageAdapter::GetWindow(LONGLONG* windowHandle) {
  if (!windowHandle) return E_POINTER;
  *windowHandle = m_window;
  return S_OK;
}

HRESULT PackageAdapter::GetSelectedPackage(BSTR* packageName) {
  return putString(packageName, m_selection ? m_selection->listName() : std::string());
}

HRESULT PackageAdapter::SetFluidPackageCompounds(VARIANT names) {
  return guard(kAdapter, "SetFluidPackageCompounds", [&] {
    auto list = stringList(names);
    if (!list)
      throw CapeError(ECapeBadArgumentHR, "PackageAdapter::SetFluidPackageCompounds",
                      "the compounds are not a list of strings")
          .at(1);
    m_userQoNames = std::move(*list);
    return S_OK;
  });
}

HRESULT PackageAdapter::releasePackage() {
  HRESULT first = S_OK;
  // Also run from the destructor: a package's C++ exception must not get out of here.
  const auto keep = [&first](auto&& call) {
    HRESULT hr = E_FAIL;
    try {
      hr = call();
    } catch (...) {
    }
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  };
  if (m_material) {
    m_material->SetPackage(nullptr);
    m_material.reset();
  }
  if (m_package) {
    if (auto context = m_package.as<ICapeThermoMaterialContext>())
      keep([&] { return context->UnsetMaterial(), S_OK; });
    if (auto utilities = m_package.as<ICapeUtilities>())
      keep([&] { return utilities->Terminate(); });
    m_package.reset();
  }
  if (m_manager) {
    if (auto utilities = m_manager.as<ICapeUtilities>())
      keep([&] { return utilities->Terminate(); });
    m_manager.reset();
  }
  return first;
}

HRESULT PackageAdapter::ReleaseResources() {
  return guard(kAdapter, "ReleaseResources", [&] {
    const HRESULT hr = releasePackage();
    m_gui.reset();
    if (FAILED(hr))
      throw CapeError(hr, "PackageAdapter::ReleaseResources",
                      "the package or its manager failed to terminate; it was released anyway");
    return S_OK;
  });
}

HRESULT PackageAdapter::GetCallerName(BSTR* callerName) {
  return putString(callerName, m_callerName);
}

HRESULT PackageAdapter::SetCallerName(BSTR callerName) {
  return guard(kAdapter, "SetCallerName", [&] {
    m_callerName = text(callerName);
    return S_OK;
  });
}

}  // namespace capeside
