#include "host_session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "comlite/bstr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/safearray.h"
#include "comlite/system_message.h"
#include "outside/cape_gui.h"
#include "packages.h"
#include "ravelin/phase.h"
#include "ravelin/phase_collection.h"
#include "ravelin/property_names.h"
#include "svg_plot.h"

namespace coravl::driver {

namespace {

//! Host phase types.
constexpr LONG kOverall = 1, kVapour = 3, kLiquid = 4;

std::vector<LONG> longs(const VARIANT& v) {
  std::vector<LONG> out;
  if (v.vt != (VT_ARRAY | VT_I4) || !v.parray) return out;
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(v.parray, 1, &lb);
  SafeArrayGetUBound(v.parray, 1, &ub);
  for (LONG i = lb; i <= ub; ++i) {
    LONG x = 0;
    SafeArrayGetElement(v.parray, &i, &x);
    out.push_back(x);
  }
  return out;
}

bool sameName(std::string a, std::string b) {
  if (!a.empty() && a.back() == '*') a.pop_back();
  if (!b.empty() && b.back() == '*') b.pop_back();
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct FlashKind {
  const char* name;
  tagFlashTypeEnum type;
  const char* spec1;
  const char* spec2;
};

// The host's flash types with the overall-phase values they read.
constexpr FlashKind kFlashKinds[] = {
    {"PT", xftPTFlash, "T", "P"},  {"PH", xftPHFlash, "P", "H"},  {"PS", xftPSFlash, "P", "S"},
    {"PV", xftPVFlash, "P", "VF"}, {"TH", xftTHFlash, "T", "H"},  {"TS", xftTSFlash, "T", "S"},
    {"TV", xftTVFlash, "T", "VF"}, {"HV", xftHVFlash, "H", "VF"},
};

const FlashKind* flashKind(const std::string& name) {
  for (const auto& k : kFlashKinds)
    if (sameName(name, k.name)) return &k;
  return nullptr;
}

// The properties a sweep draws for the flashed mixture: the molar ones, which add up over the
// phases by their fractions, and the density through the molar volume.
constexpr HostSession::MixtureProperty kMixtureProperties[] = {
    {"Enthalpy", "kJ/kmol", false},       {"Entropy", "kJ/kmol/K", false},
    {"MolarVolume", "m3/kmol", false},    {"MolarDensity", "kmol/m3", true},
    {"Gibbs", "kJ/kmol", false},          {"Helmholtz", "kJ/kmol", false},
    {"InternalEnergy", "kJ/kmol", false}, {"ZFactor", "-", false},
};

const HostSession::MixtureProperty* mixtureProperty(const std::string& name) {
  for (const auto& p : kMixtureProperties)
    if (sameName(name, p.name)) return &p;
  return nullptr;
}

std::string mixturePropertyNames() {
  std::string out;
  for (const auto& p : kMixtureProperties) out += std::string(out.empty() ? "" : ", ") + p.name;
  return out;
}

}  // namespace

HostSession::HostSession(Output& out) : m_out(out) {}

HostSession::~HostSession() {
  m_lastFlash.reset();
  m_flash.reset();
  m_package.reset();
}

std::string HostSession::status(HRESULT hr) const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  const std::string text = comlite::systemMessage(hr);
  if (hr == S_OK) return "ok";
  return text.empty() ? std::string(buf) : std::string(buf) + " " + text;
}

std::string HostSession::why(HRESULT hr) const {
  std::string reasons;
  for (const auto& entry : m_log ? m_log->entries() : std::vector<ravelin::LogEntry>{})
    if (!entry.message.empty() && reasons.find(entry.message) == std::string::npos)
      reasons += (reasons.empty() ? "" : "; ") + entry.message;
  std::string description, source;
  if (comlite::takeErrorInfo(description, source) && !description.empty() &&
      reasons.find(description) == std::string::npos)
    reasons += (reasons.empty() ? "" : "; ") + description;
  return reasons.empty() ? status(hr) : status(hr) + ": " + reasons;
}

std::string HostSession::filePath(const std::string& name) const {
  if (!name.empty() && name[0] == '/') return name;
  return (m_base.empty() ? m_files.path("") : m_base + "/") + name;
}

int HostSession::run(const std::vector<Command>& commands) {
  int failed = 0;
  for (const auto& c : commands) {
    m_out.begin(c.verb + (c.rest.empty() ? "" : " " + c.rest), c.line);
    bool ok = false;
    try {
      ok = execute(c);
    } catch (const std::exception& e) {
      m_out.end(false, "line " + std::to_string(c.line) + ": " + e.what());
      ++failed;
      continue;
    }
    if (!ok) ++failed;
  }
  return failed;
}

bool HostSession::execute(const Command& c) {
  if (c.verb == "package") return cmdPackage(c);
  if (c.verb == "compounds") return cmdCompounds(c);
  if (c.verb == "option") return cmdOption(c);
  if (c.verb == "setup") return cmdSetup(c);
  if (c.verb == "properties") return cmdProperties(c);
  if (c.verb == "kvalues") return cmdKValues(c);
  if (c.verb == "flash") return cmdFlash(c);
  if (c.verb == "sweep") return cmdSweep(c);
  if (c.verb == "envelope") return cmdEnvelope(c);
  if (c.verb == "order") return cmdOrder(c);
  if (c.verb == "save") return cmdSave(c);
  if (c.verb == "recall") return cmdRecall(c);
  throw std::runtime_error("unknown command");
}

bool HostSession::ensureComponent() {
  if (m_package) return true;
  createComponent();
  // As the simulator does when a fluid package gets this property package: the package is
  // set up from the selection, then the simulator's properties are registered with it.
  comlite::Bstr name, description;
  HRESULT hr = m_package->GetPackageName(name.out(), description.out());
  if (FAILED(hr)) throw std::runtime_error("the package cannot be set up: " + status(hr));
  auto registry = ravelin::PropertyRegistry::create();
  m_package->InitializePropertyID(registry.dispatch());
  return true;
}

void HostSession::createComponent() {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(u"CORavl11.PropPkg", &clsid);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IExtendedPropPackage::kIID,
                          m_package.putVoid());
  if (FAILED(hr)) throw std::runtime_error("cannot create CORavl11.PropPkg: " + status(hr));
  m_flash = m_package.as<IExtendedFlash>();
  m_callback = ravelin::PropertyManager::create(ravelin::FlashControl::create());
  m_log = ravelin::ErrorLog::create();
}

bool HostSession::cmdPackage(const Command& c) {
  m_files.select(c.rest);
  m_out.text("selection", c.rest);
  m_out.end(true, "ok");
  return true;
}

bool HostSession::cmdOption(const Command& c) {
  const auto eq = c.rest.find('=');
  if (eq == std::string::npos) throw std::runtime_error("option needs 'key = value'");
  std::string key = c.rest.substr(0, eq), value = c.rest.substr(eq + 1);
  key.erase(key.find_last_not_of(" \t") + 1);
  value.erase(0, value.find_first_not_of(" \t"));
  value.erase(value.find_last_not_of(" \t") + 1);
  // The setup view reads the edits only when it is shown: a bad one is refused here, at its line.
  bool known = false;
  std::string keys;
  for (const char* k : capegui::kViewOptionKeys) {
    known = known || sameName(key, k);
    keys += std::string(keys.empty() ? "" : ", ") + k;
  }
  if (!known)
    throw std::runtime_error("'" + printable(key) + "' is not an option of the setup view (" +
                             keys + ")");
  bool flag = sameName(value, "true") || sameName(value, "false") || sameName(value, "yes") ||
              sameName(value, "no") || sameName(value, "on") || sameName(value, "off");
  if (!flag) {
    try {
      parseNumber(value);
      flag = true;
    } catch (const std::exception&) {
    }
  }
  if (!flag)
    throw std::runtime_error("'" + printable(value) + "' is not a value of " + key +
                             " (true or false)");
  m_files.editOption(key, value);
  m_out.end(true, "ok");
  return true;
}

bool HostSession::cmdCompounds(const Command& c) {
  ensureComponent();
  INT n = 0;
  comlite::Variant ids, names, identifiers;
  comlite::Bstr identifierName;
  HRESULT hr = m_package->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers);
  if (FAILED(hr)) {
    m_out.end(false, "the package offers no compounds: " + why(hr));
    return false;
  }
  const auto packageIds = strings(names);
  const auto cas = strings(identifiers);
  const auto numbers = longs(ids);
  std::vector<ravelin::Compound> added;
  std::vector<Row> rows;
  if (parseNames(c.rest).empty()) throw std::runtime_error("compounds needs at least one name");
  for (const auto& item : parseNames(c.rest)) {
    // "CO2 [124-38-9]": the simulator's own name and CAS number, as its library holds them.
    std::string wanted = item, wantedCas;
    if (const auto open = item.find('['); open != std::string::npos) {
      const auto close = item.find(']', open);
      if (close == std::string::npos || item.find_first_not_of(" \t", close + 1) != item.npos)
        throw std::runtime_error("'" + item + "': write a compound as name [CAS number]");
      wantedCas = item.substr(open + 1, close - open - 1);
      wantedCas.erase(0, wantedCas.find_first_not_of(" \t"));
      wantedCas.erase(wantedCas.find_last_not_of(" \t") + 1);
      wanted.erase(open);
      wanted.erase(wanted.find_last_not_of(" \t") + 1);
      if (wanted.empty() || wantedCas.empty())
        throw std::runtime_error("'" + item + "': write a compound as name [CAS number]");
    }
    // As the socket matches: the CAS number first, then the name.
    std::size_t k = 0;
    if (!wantedCas.empty())
      while (k < packageIds.size() && !(k < cas.size() && cas[k] == wantedCas)) ++k;
    if (k == packageIds.size() || wantedCas.empty()) {
      k = 0;
      while (k < packageIds.size() && !sameName(packageIds[k], wanted) &&
             !(k < cas.size() && cas[k] == wanted))
        ++k;
    }
    if (k == packageIds.size())
      throw std::runtime_error("the package has no compound '" + item + "'");
    if (wantedCas.empty() && k < cas.size()) wantedCas = cas[k];
    // A compound the simulator does not know from its library becomes one of its hypothetical
    // compounds, which carry ids from 20000 on.
    const LONG known = k < numbers.size() ? numbers[k] : 0;
    const LONG id = known > 0 ? known : 20000 + static_cast<LONG>(m_compoundIds.size());
    auto compound = ravelin::Compound::create({wanted, wantedCas, "", id, {}});
    hr = m_package->AddLastCompound(compound.dispatch());
    if (FAILED(hr)) {
      m_out.end(false, "'" + wanted + "' was not accepted: " + why(hr));
      return false;
    }
    // As the simulator does for a compound of its own making: the package's constants
    // (molecular weight, critical data, boiling point...) are handed to it.
    INT nProps = 0;
    comlite::Variant propNames;
    const INT position = static_cast<INT>(added.size());
    hr = m_package->GetCompoundInfo(position, compound.dispatch(), &nProps, &propNames);
    if (FAILED(hr)) {
      m_out.end(false, "no constants for '" + wanted + "': " + status(hr));
      return false;
    }
    added.push_back(compound);
    m_compoundIds.push_back(wanted);
    auto mw = compound.constant("MW");
    rows.push_back({Cell::number(static_cast<double>(rows.size() + 1)), wanted, wantedCas,
                    mw ? Cell::number(*mw) : Cell("-")});
  }
  m_fluid = ravelin::CompoundList::create(added);
  m_out.table("fluid package", {"#", "compound", "CAS", "MW [kg/kmol]"}, rows);
  m_out.end(true, "ok");
  return true;
}

bool HostSession::cmdSetup(const Command&) {
  ensureComponent();
  INT status = -1;
  comlite::Variant noFiles;
  HRESULT hr = m_package->SetupPkg(0, noFiles, nullptr, &status);
  if (FAILED(hr) || status != 0) {
    m_out.end(false, "setup failed: " + why(hr));
    return false;
  }
  comlite::Bstr name, description;
  m_package->GetPackageName(name.out(), description.out());
  m_out.text("package", name.utf8());
  m_out.end(SUCCEEDED(hr), this->status(hr));
  return SUCCEEDED(hr);
}

std::vector<double> HostSession::composition(const Command& c, const char* key) const {
  auto it = c.named.find(key);
  if (it == c.named.end()) throw std::runtime_error(std::string("missing ") + key + "=");
  auto x = parseNumbers(it->second);
  if (!m_fluid || x.size() != m_fluid->size())
    throw std::runtime_error(std::string(key) +
                             "= needs one value per compound of the fluid package");
  return x;
}

bool HostSession::cmdProperties(const Command& c) {
  ensureComponent();
  if (!m_fluid) throw std::runtime_error("no fluid package: add compounds first");
  checkArguments(c, {"t", "p", "x", "props", "derivatives"}, 1);
  const std::string which = c.words.empty() ? "vapour" : c.words[0];
  const bool liquid = sameName(which, "liquid");
  if (!liquid && !sameName(which, "vapour") && !sameName(which, "vapor"))
    throw std::runtime_error("unknown phase '" + printable(which) + "' (vapour or liquid)");
  const LONG type = liquid ? kLiquid : kVapour;
  auto phase = ravelin::Phase::create(*m_fluid, type);
  phase.setTemperature(parseNumber(need(c, "t")));
  phase.setPressure(parseNumber(need(c, "p")));
  phase.setComposition(composition(c, "x"));
  const auto props = parseNames(c.named.count("props") ? c.named.at("props") : "Enthalpy");
  const auto derivs = parseNames(c.named.count("derivatives") ? c.named.at("derivatives") : "");
  for (const auto& p : props)
    for (const auto& d : derivs) phase.addDerivativeRequest(p, d);
  std::vector<Row> rows;
  std::vector<std::string> notes;
  bool ok = true;
  for (const auto& p : props) {
    IDispatch* context = nullptr;
    m_log->clear();
    SetErrorInfo(0, nullptr);
    const HRESULT hr =
        m_package->CalculateProperty(ravelin::propertyId(p), phase.dispatch(), &context,
                                     m_callback->dispatch(), m_log->dispatch(), nullptr);
    Row row{p};
    if (FAILED(hr)) {
      // What the component told the simulator's log is what its user reads about a failure.
      row.push_back(Cell::failed(why(hr)));
    } else if (auto v = phase.value(p)) {
      row.push_back(Cell::number(*v, 8));
    } else if (auto vec = phase.vector(p)) {
      row.push_back(Cell::numbers(*vec));
    } else {
      row.push_back(Cell::failed("no value was written"));
    }
    if (SUCCEEDED(hr))
      for (const auto& entry : m_log->entries()) notes.push_back(entry.message);
    for (const auto& d : derivs) {
      Cell cell("-");
      for (std::size_t i = 0; i < phase.derivativeCount(); ++i) {
        auto req = phase.derivative(i);
        if (req.propertyId != ravelin::propertyId(p) || req.variableId != ravelin::propertyId(d))
          continue;
        if (!req.written) continue;
        cell = req.values.size() == 1 ? Cell::number(req.values[0]) : Cell::numbers(req.values);
      }
      row.push_back(cell);
    }
    ok = ok && SUCCEEDED(hr);
    rows.push_back(row);
  }
  std::vector<std::string> header{"property", "value"};
  for (const auto& d : derivs) header.push_back("d/" + d.substr(1));
  m_out.table(which + " phase", header, rows);
  for (const auto& note : notes) m_out.text("log", note);
  m_out.end(ok, ok ? "ok" : "some properties failed");
  return ok;
}

bool HostSession::cmdKValues(const Command& c) {
  ensureComponent();
  if (!m_fluid) throw std::runtime_error("no fluid package: add compounds first");
  m_log->clear();
  checkArguments(c, {"t", "p", "x", "y"}, 0);
  // The simulator derives K-values from the fugacity coefficients of both phases.
  std::vector<double> lnphi[2];
  const LONG types[2] = {kVapour, kLiquid};
  const char* keys[2] = {"y", "x"};
  for (int k = 0; k < 2; ++k) {
    auto phase = ravelin::Phase::create(*m_fluid, types[k]);
    phase.setTemperature(parseNumber(need(c, "t")));
    phase.setPressure(parseNumber(need(c, "p")));
    phase.setComposition(composition(c, keys[k]));
    IDispatch* context = nullptr;
    const HRESULT hr =
        m_package->CalculateProperty(ravelin::propertyId("LnFugacityCoeff"), phase.dispatch(),
                                     &context, m_callback->dispatch(), m_log->dispatch(), nullptr);
    auto v = phase.vector("LnFugacityCoeff");
    if (FAILED(hr) || !v) {
      m_out.end(false, "fugacity coefficients failed: " + why(hr));
      return false;
    }
    lnphi[k] = *v;
  }
  std::vector<Row> rows;
  for (std::size_t i = 0; i < lnphi[0].size() && i < m_compoundIds.size(); ++i)
    rows.push_back({m_compoundIds[i], Cell::number(std::exp(lnphi[1][i] - lnphi[0][i]))});
  m_out.table("K-values", {"compound", "K"}, rows);
  m_out.end(true, "ok");
  return true;
}

HRESULT HostSession::flash(tagFlashTypeEnum type,
                           const std::vector<std::pair<std::string, double>>& specs,
                           const std::vector<double>& z) {
  auto overall = ravelin::Phase::create(*m_fluid, kOverall);
  overall.setComposition(z);
  for (const auto& [name, value] : specs) {
    if (name == "T")
      overall.setTemperature(value);
    else if (name == "P")
      overall.setPressure(value);
    else if (name == "H")
      overall.setValue("Enthalpy", value);
    else if (name == "S")
      overall.setValue("Entropy", value);
    else if (name == "VF")
      overall.setFraction(value);
  }
  auto vapour = ravelin::Phase::create(*m_fluid, kVapour);
  auto liquid = ravelin::Phase::create(*m_fluid, kLiquid);
  m_lastFlash = ravelin::PhaseCollection::create(overall, {vapour, liquid});
  m_log->clear();
  SetErrorInfo(0, nullptr);
  return m_flash->Execute(type, nullptr, m_lastFlash->dispatch(), m_callback->dispatch(),
                          m_log->dispatch(), nullptr);
}

void HostSession::reportFlash(HRESULT hr) {
  if (!m_lastFlash) return;
  auto overall = m_lastFlash->overall();
  m_out.value("temperature", overall.temperature(), "K");
  m_out.value("pressure", overall.pressure(), "kPa");
  m_out.value("vapour fraction", overall.fraction());
  std::vector<Row> rows;
  const LONG n = m_lastFlash->numberOfPhases();
  for (LONG k = 0; k < n && SUCCEEDED(hr); ++k) {
    auto p = m_lastFlash->phase(static_cast<std::size_t>(k));
    rows.push_back({p.type() == kVapour   ? "vapour"
                    : p.type() == kLiquid ? "liquid"
                                          : "other",
                    Cell::number(p.fraction()), Cell::numbers(p.composition(), 5)});
  }
  m_out.table("phases", {"phase", "fraction", "composition"}, rows);
}

bool HostSession::cmdFlash(const Command& c) {
  ensureComponent();
  if (!m_fluid) throw std::runtime_error("no fluid package: add compounds first");
  checkArguments(c, {"z"}, 3);
  if (c.words.size() < 3) throw std::runtime_error("flash <type> <spec1> <spec2> z=...");
  const FlashKind* kind = flashKind(c.words[0]);
  if (!kind) throw std::runtime_error("unknown flash type '" + c.words[0] + "'");
  m_log->clear();
  const HRESULT hr = flash(
      kind->type, {{kind->spec1, parseNumber(c.words[1])}, {kind->spec2, parseNumber(c.words[2])}},
      composition(c, "z"));
  reportFlash(hr);
  if (SUCCEEDED(hr))
    m_lastFlashPoint = {m_lastFlash->overall().temperature(), m_lastFlash->overall().pressure()};
  m_out.end(SUCCEEDED(hr), SUCCEEDED(hr) ? status(hr) : why(hr));
  return SUCCEEDED(hr);
}

bool HostSession::cmdSweep(const Command& c) {
  ensureComponent();
  if (!m_fluid) throw std::runtime_error("no fluid package: add compounds first");
  if (c.words.empty()) throw std::runtime_error("sweep <type> <name>=from:to:count ...");
  const FlashKind* kind = flashKind(c.words[0]);
  if (!kind) throw std::runtime_error("unknown flash type '" + c.words[0] + "'");
  auto lowerKey = [](std::string s) {
    for (auto& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
  };
  const std::string key1 = lowerKey(kind->spec1), key2 = lowerKey(kind->spec2);
  checkArguments(c, {key1, key2, "z", "x", "y"}, 1);
  auto range = [&](const std::string& key) {
    std::vector<double> values;
    const auto given = c.named.find(key);
    if (given == c.named.end())
      throw std::runtime_error("missing " + key + "=from:to:count (or " + key + "=value)");
    const std::string& text = given->second;
    const auto a = text.find(':'), b = text.rfind(':');
    if (a == std::string::npos || a == b) return std::vector<double>{parseNumber(text)};
    const double from = parseNumber(text.substr(0, a)),
                 to = parseNumber(text.substr(a + 1, b - a - 1));
    const double n = parseNumber(text.substr(b + 1));
    if (n != std::floor(n) || n < 1 || n > 100000)
      throw std::runtime_error("the count of " + key + "= must be a whole number from 1 to 100000");
    const int count = static_cast<int>(n);
    for (int i = 0; i < count; ++i)
      values.push_back(count == 1 ? from : from + (to - from) * i / (count - 1));
    return values;
  };
  const auto v1 = range(key1), v2 = range(key2);
  if (v1.size() * v2.size() > 100000)
    throw std::runtime_error("a sweep runs at most 100000 flashes, not " +
                             std::to_string(v1.size() * v2.size()));
  const auto z = composition(c, "z");
  const std::string svg = svgFile(c);
  // What a drawing shows: y against x, each the spec that varies, a result (T, P, VF) or, for
  // y, a property of the flashed mixture.
  const std::string spec1 = kind->spec1, spec2 = kind->spec2;
  const bool alongFirst = v1.size() > 1 || v2.size() <= 1;
  std::vector<std::string> header{spec1, spec2, "T [K]", "P [kPa]", "vapour fraction"};
  auto column = [&](const std::string& name) {
    if (sameName(name, "T")) return 2;
    if (sameName(name, "P")) return 3;
    if (sameName(name, "VF")) return 4;
    if (sameName(name, spec1)) return 0;
    if (sameName(name, spec2)) return 1;
    return -1;
  };
  const std::string xName = c.named.count("x") ? c.named.at("x") : (alongFirst ? spec1 : spec2);
  const std::string yName = c.named.count("y") ? c.named.at("y") : "VF";
  const int xColumn = column(xName);
  if (xColumn < 0)
    throw std::runtime_error("x= must be T, P, VF or a spec of the flash, not '" +
                             printable(xName) + "'");
  int yColumn = column(yName);
  const MixtureProperty* property = yColumn < 0 ? mixtureProperty(yName) : nullptr;
  if (yColumn < 0 && !property)
    throw std::runtime_error("y= must be T, P, VF or one of " + mixturePropertyNames() + ", not '" +
                             printable(yName) + "'");
  if (property) {
    yColumn = 5;
    header.push_back(std::string(property->name) + " [" + property->unit + "]");
  }
  PlotLine line{"sweep", "#1f5fbf", {}};
  std::vector<Row> rows;
  const int total = static_cast<int>(v1.size() * v2.size());
  int done = 0, failed = 0;
  for (double a : v1)
    for (double b : v2) {
      m_log->clear();  // each failed row gives its own flash's reason
      const HRESULT hr = flash(kind->type, {{kind->spec1, a}, {kind->spec2, b}}, z);
      auto overall = m_lastFlash->overall();
      std::string refused;
      if (SUCCEEDED(hr)) {
        double result[] = {a,  b, overall.temperature(), overall.pressure(), overall.fraction(),
                           NAN};
        if (property) result[5] = mixtureValue(*property, refused);
        Row row;
        for (int k = 0; k < 5; ++k) row.push_back(Cell::number(result[k]));
        if (property)
          row.push_back(refused.empty() ? Cell::number(result[5]) : Cell::failed(refused));
        rows.push_back(std::move(row));
        if (refused.empty()) line.points.emplace_back(result[xColumn], result[yColumn]);
      } else {
        Row row{Cell::number(a), Cell::number(b), "-", "-", Cell::failed(why(hr))};
        if (property) row.push_back("-");
        rows.push_back(std::move(row));
      }
      if (FAILED(hr) || !refused.empty()) ++failed;
      m_out.progress(++done, total, "flashes");
    }
  m_out.table("sweep", header, rows);
  if (!svg.empty()) {
    auto label = [&](int k) {
      const std::string& h = header[static_cast<std::size_t>(k)];
      return h == "H"    ? "H [kJ/kmol]"
             : h == "S"  ? "S [kJ/kmol/K]"
             : h == "VF" ? "vapour fraction"
                         : h;
    };
    Plot plot;
    plot.title = std::string(kind->name) + " flash sweep";
    plot.xLabel = label(xColumn);
    plot.yLabel = label(yColumn);
    line.name = plot.yLabel;
    plot.lines.push_back(std::move(line));
    writeSvg(plot, svg);
    m_out.text("svg", svg);
  }
  m_out.end(failed == 0, failed ? std::to_string(failed) + " flashes failed" : "ok");
  return failed == 0;
}

double HostSession::mixtureValue(const MixtureProperty& property, std::string& refused) {
  double sum = 0;
  const LONG n = m_lastFlash->numberOfPhases();
  for (LONG k = 0; k < n; ++k) {
    auto phase = m_lastFlash->phase(static_cast<std::size_t>(k));
    const double beta = phase.fraction();
    if (!(beta > 0)) continue;
    // The density of a mixture of phases is the reciprocal of its additive molar volume.
    const char* asked = property.reciprocal ? "MolarVolume" : property.name;
    m_log->clear();
    SetErrorInfo(0, nullptr);
    IDispatch* context = nullptr;
    const HRESULT hr =
        m_package->CalculateProperty(ravelin::propertyId(asked), phase.dispatch(), &context,
                                     m_callback->dispatch(), m_log->dispatch(), nullptr);
    const auto v = phase.value(asked);
    if (FAILED(hr) || !v) {
      refused = std::string(asked) + ": " + (FAILED(hr) ? why(hr) : "no value was written");
      return NAN;
    }
    sum += beta * *v;
  }
  return property.reciprocal ? 1 / sum : sum;
}

bool HostSession::cmdOrder(const Command&) {
  ensureComponent();
  if (!m_lastFlash) throw std::runtime_error("no flash to order");
  const HRESULT hr = m_package->PhaseOrder(m_lastFlash->dispatch(), m_callback->dispatch());
  reportFlash(hr);
  m_out.end(SUCCEEDED(hr), SUCCEEDED(hr) ? status(hr) : why(hr));
  return SUCCEEDED(hr);
}

bool HostSession::cmdSave(const Command& c) {
  ensureComponent();
  comlite::Bstr text;
  const HRESULT hr = m_package->PkgSave(text.out());
  if (FAILED(hr)) {
    m_out.end(false, status(hr));
    return false;
  }
  const std::string file = filePath(c.rest.empty() ? "case.sav" : c.rest);
  std::ofstream(file, std::ios::binary) << text.utf8();
  // The simulator keeps its own fluid package with the case: one compound a line.
  std::ofstream fluid(file + ".fluid", std::ios::binary);
  for (std::size_t i = 0; m_fluid && i < m_fluid->size(); ++i) {
    const auto compound = m_fluid->at(i);
    fluid << compound.name() << '\t' << compound.casNumber() << '\t' << compound.idNumber() << '\n';
  }
  m_out.text("file", file);
  m_out.value("characters", static_cast<double>(text.length()));
  m_out.end(true, "ok");
  return true;
}

bool HostSession::cmdRecall(const Command& c) {
  const std::string file = filePath(c.rest.empty() ? "case.sav" : c.rest);
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::stringstream ss;
  ss << in.rdbuf();
  // A case opened later: a new socket, its package restored from the saved text alone.
  m_lastFlash.reset();
  m_flash.reset();
  m_package.reset();
  // A simulator opening a saved case recalls before anything else is asked.
  createComponent();
  comlite::Bstr text(ss.str());
  VARIANT_BOOL changed = VARIANT_FALSE;
  const HRESULT hr = m_package->PkgRecall(text.get(), &changed);
  comlite::Bstr name, description;
  if (SUCCEEDED(hr)) {
    m_package->GetPackageName(name.out(), description.out());
    auto registry = ravelin::PropertyRegistry::create();
    m_package->InitializePropertyID(registry.dispatch());
  }
  // The simulator's own fluid package, as it was saved beside the case.
  m_fluid.reset();
  m_compoundIds.clear();
  std::ifstream fluid(file + ".fluid", std::ios::binary);
  std::vector<ravelin::Compound> compounds;
  for (std::string line; SUCCEEDED(hr) && std::getline(fluid, line);) {
    const auto a = line.find('\t'), b = line.rfind('\t');
    if (a == std::string::npos || a == b) continue;
    compounds.push_back(
        ravelin::Compound::create({line.substr(0, a),
                                   line.substr(a + 1, b - a - 1),
                                   "",
                                   static_cast<LONG>(std::atol(line.c_str() + b + 1)),
                                   {}}));
    m_compoundIds.push_back(line.substr(0, a));
  }
  if (!compounds.empty()) m_fluid = ravelin::CompoundList::create(compounds);
  m_out.text("package", name.utf8());
  m_out.text("compounds changed", changed ? "yes" : "no");
  m_out.end(SUCCEEDED(hr), status(hr));
  if (FAILED(hr)) m_package.reset();  // the next command starts from a new selection
  return SUCCEEDED(hr);
}

}  // namespace coravl::driver
