#include "capeside/material_object.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <exception>
#include <set>

#include "capeside/support/error_object.h"
#include "capeside/support/property_ids.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/error_info.h"
#include "comlite/safearray.h"

namespace capeside {

namespace {

constexpr const char* kMaterial = "ICapeThermoMaterial";
constexpr const char* kCompounds = "ICapeThermoCompounds";
constexpr const char* kMatObj = "IMatObj";

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

//! Reads the values into `out`, its storage reused.
std::vector<double>& doubleArgument(const VARIANT& v, SHORT position, const char* scope,
                                    std::vector<double>& out) {
  if (!readDoubleList(v, out))
    throw CapeError(ECapeBadArgumentHR, scope, "the values are not an array of numbers")
        .at(position);
  return out;
}

std::vector<std::string> stringArgument(const VARIANT& v, SHORT position, const char* what,
                                        const char* scope) {
  auto list = stringList(v);
  if (!list)
    throw CapeError(ECapeBadArgumentHR, scope, cat(what, " is not an array of strings"))
        .at(position);
  return *list;
}

//! Properties whose mass-basis value is the mole-basis value divided by the molar mass.
bool isPerAmount(int id) {
  return (id >= 35 && id <= 40) || id == 42 || (id >= 57 && id <= 62) || id == 64 || id == 65;
}

//! The package's answer to `call`; an exception thrown out of the package is its failure, its
//! text the error information that passOn hands on.
std::string lowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

template <class Call>
HRESULT packageCall(Call&& call) {
  try {
    return call();
  } catch (const std::exception& e) {
    comlite::setErrorInfo(cat("the package threw a C++ exception: ", e.what()), "package");
  } catch (...) {
    comlite::setErrorInfo("the package threw a C++ exception of unknown type", "package");
  }
  return E_FAIL;
}

}  // namespace

void* MaterialObject::queryExtra(REFIID riid) {
  return riid == kMaterialObjectSelfIID ? this : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Binding and lookups

void MaterialObject::requirePackage(const char* scope) const {
  if (!m_package)
    throw CapeError(ECapeBadInvOrderHR, scope, "the material object is bound to no package")
        .requested("SetPackage");
}

std::size_t MaterialObject::phaseOfLabel(std::string_view label, SHORT position,
                                         const char* scope) const {
  if (!label.empty()) {
    const auto it = m_labelIndex.find(lower(std::string(label)));
    if (it != m_labelIndex.end()) return it->second;
  }
  throw CapeError(ECapeInvalidArgumentHR, scope,
                  cat("phase \"", label, "\" is not a phase of the package"))
      .at(position);
}

std::size_t MaterialObject::phaseOfLabel(BSTR label, SHORT position, const char* scope) const {
  return phaseOfLabel(comlite::bstrView(label), position, scope);
}

std::size_t MaterialObject::phaseOfLabel(std::u16string_view wide, SHORT position,
                                         const char* scope) const {
  // A package names a phase on nearly every call: its label is compared as it comes, and
  // only one that is not plain ASCII is converted first.
  if (wide.empty()) return phaseOfLabel(std::string_view(), position, scope);
  for (std::size_t p = 0; p < m_phases.size(); ++p)  // mostly as the package spells it
    if (comlite::sameUnits(wide, m_phases[p].wideLabel)) return p;
  auto lowered = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  for (std::size_t p = 0; p < m_phases.size(); ++p) {
    const std::string& known = m_phases[p].label;
    if (known.size() != wide.size()) continue;
    std::size_t i = 0;
    for (; i < wide.size(); ++i) {
      const unsigned a = wide[i], b = static_cast<unsigned char>(known[i]);
      if (a >= 0x80 || b >= 0x80 || lowered(a) != lowered(b)) break;
    }
    if (i == wide.size()) return p;
  }
  return phaseOfLabel(std::string_view(comlite::utf16ToUtf8(wide)), position, scope);
}

void MaterialObject::indexPhases() {
  m_phaseByIndex.fill(std::string::npos);
  for (const auto& [id, index] : m_idMap)
    if (id >= 0 && static_cast<std::size_t>(id) < m_phaseByIndex.size())
      m_phaseByIndex[static_cast<std::size_t>(id)] = index;
}

std::size_t MaterialObject::phaseOfIndex(LONG phaseIndex, const char* scope) const {
  if (phaseIndex >= 0 && static_cast<std::size_t>(phaseIndex) < m_phaseByIndex.size() &&
      m_phaseByIndex[static_cast<std::size_t>(phaseIndex)] != std::string::npos)
    return m_phaseByIndex[static_cast<std::size_t>(phaseIndex)];
  auto it = m_idMap.find(phaseIndex);
  if (it == m_idMap.end()) {
    const char* name = phaseName(static_cast<int>(phaseIndex));
    throw CapeError(ECapeInvalidArgumentHR, scope,
                    cat("the package has no phase of index ", phaseIndex,
                        name ? cat(" (", name, ")") : std::string()));
  }
  return it->second;
}

std::pair<std::size_t, std::size_t> MaterialObject::twoPhaseOf(
    const std::vector<std::string>& labels, SHORT position, const char* scope) const {
  if (labels.size() != 2)
    throw CapeError(ECapeBadArgumentHR, scope,
                    cat("phaseLabels has ", labels.size(), " labels instead of 2"))
        .at(position);
  return {phaseOfLabel(labels[0], position, scope), phaseOfLabel(labels[1], position, scope)};
}

std::pair<std::size_t, std::size_t> MaterialObject::twoPhaseOfIndex(LONG phaseIndex,
                                                                    const char* scope) const {
  if (phaseIndex == kPhaseVaporLiquid)
    return {phaseOfIndex(kPhaseVapor, scope), phaseOfIndex(kPhaseLiquid, scope)};
  return {phaseOfIndex(kPhaseLiquid, scope), phaseOfIndex(kPhaseLiquid2, scope)};
}

MaterialObject::Values& MaterialObject::tableOf(LONG phaseIndex, const char* scope) {
  requirePackage(scope);
  if (phaseIndex == kPhaseOverall) return m_overall;
  if (phaseIndex == kPhaseVaporLiquid || phaseIndex == kPhaseLiquidLiquid) {
    auto pair = twoPhaseOfIndex(phaseIndex, scope);
    return twoPhaseTable(pair.first, pair.second);
  }
  return m_phases[phaseOfIndex(phaseIndex, scope)].values;
}

MaterialObject::Values& MaterialObject::twoPhaseTable(std::size_t a, std::size_t b) {
  return m_twoPhase[{a, b}];
}

const std::string& MaterialObject::keyOf(BSTR name, BSTR basis, SHORT namePosition,
                                         SHORT basisPosition, const char* scope, Key& k) const {
  // A package names the same few properties on every call: they are known by their text as
  // given, compared without conversion.
  const std::u16string_view givenName = comlite::bstrView(name),
                            givenBasis = comlite::bstrView(basis);
  const std::size_t n = compoundCount();
  for (const KnownKey& known : m_knownKeys)
    if (known.compounds == n && !known.key.empty() && comlite::sameUnits(known.name, givenName) &&
        comlite::sameUnits(known.basis, givenBasis)) {
      k = known.k;
      return known.key;
    }
  k = keyOf(textIn(name, m_name), textIn(basis, m_basis), namePosition, basisPosition, scope,
            m_key);
  KnownKey& slot = m_knownKeys[m_nextKnownKey];
  m_nextKnownKey = (m_nextKnownKey + 1) % m_knownKeys.size();
  slot.name.assign(givenName);
  slot.basis.assign(givenBasis);
  slot.compounds = n;
  slot.k = k;
  slot.key.assign(m_key);
  return slot.key;
}

MaterialObject::Key MaterialObject::keyOf(std::string_view name, std::string_view basis,
                                          SHORT namePosition, SHORT basisPosition,
                                          const char* scope, std::string& key) const {
  if (name.empty())
    throw CapeError(ECapeInvalidArgumentHR, scope, "the property identifier is undefined")
        .at(namePosition);
  Key k;
  const auto root = rootPropertyId(name);
  std::string_view b;
  if (root && isBasisDependent(*root)) {
    if (basis.empty() || sameName(basis, "mole"))
      b = "mole";
    else if (sameName(basis, "mass"))
      b = "mass";
    else
      throw CapeError(ECapeInvalidArgumentHR, scope,
                      cat("basis \"", basis, "\" is neither \"mole\" nor \"mass\""))
          .at(basisPosition);
  }
  if (root) {
    auto endsWith = [&](std::string_view suffix) {
      return name.size() >= suffix.size() &&
             sameName(name.substr(name.size() - suffix.size()), suffix);
    };
    // A known root already guarantees that something precedes the suffix.
    const bool byComposition = endsWith(".dmolfraction") || endsWith(".dmoles");
    const bool perCompound = isPerCompound(*root);
    const std::size_t n = compoundCount();
    k.expected = perCompound && byComposition ? n * n : perCompound || byComposition ? n : 1;
  }
  key.assign(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  k.nameLength = key.size();
  key += '|';
  key += b;
  return k;
}

std::string_view MaterialObject::textIn(BSTR s, std::string& buffer) {
  const std::u16string_view wide = comlite::bstrView(s);
  buffer.resize(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] >= 0x80) {  // not ASCII: the general conversion
      buffer = text(s);
      break;
    }
    buffer[i] = static_cast<char>(wide[i]);
  }
  return buffer;
}

namespace {

bool fits(std::size_t expected, const std::vector<double>& values) {
  return !values.empty() && (expected == 0 || values.size() == expected);
}

[[noreturn]] void refuseCount(std::string_view name, std::size_t expected, std::size_t given,
                              SHORT position, const char* scope) {
  throw CapeError(ECapeBadArgumentHR, scope,
                  cat("\"", name, "\" takes ", expected, " values, ", given, " given"))
      .at(position);
}

}  // namespace

void MaterialObject::store(Values& table, std::string_view name, std::string_view basis,
                           std::vector<double>& values, SHORT valuesPosition, const char* scope) {
  const Key k = keyOf(name, basis, 1, static_cast<SHORT>(valuesPosition - 1), scope, m_key);
  if (!fits(k.expected, values))
    refuseCount(name, k.expected, values.size(), valuesPosition, scope);
  table.slot(m_key).swap(values);
}

void MaterialObject::store(Values& table, BSTR name, BSTR basis, std::vector<double>& values,
                           SHORT valuesPosition, const char* scope) {
  Key k;
  const std::string& key = keyOf(name, basis, 1, static_cast<SHORT>(valuesPosition - 1), scope, k);
  if (!fits(k.expected, values))
    refuseCount(text(name), k.expected, values.size(), valuesPosition, scope);
  table.slot(key).swap(values);
}

std::vector<double> MaterialObject::moleFractions(const Values& table) const {
  if (const auto* v = table.find("fraction|mole")) return *v;
  return {};
}

std::vector<double> MaterialObject::convertBasis(std::string_view name,
                                                 const std::vector<double>& values, bool toMass,
                                                 const Values& table) const {
  auto root = rootPropertyId(name);
  if (!root || m_molWeights.size() != compoundCount()) return {};
  const std::size_t n = compoundCount();
  if (*root == kPropFraction && lower(std::string(name)).find(".d") == std::string::npos &&
      values.size() == n) {
    std::vector<double> out(n);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
      sum += toMass ? values[i] * m_molWeights[i] : values[i] / m_molWeights[i];
    if (!(sum > 0)) return {};
    for (std::size_t i = 0; i < n; ++i)
      out[i] = (toMass ? values[i] * m_molWeights[i] : values[i] / m_molWeights[i]) / sum;
    return out;
  }
  // Per-amount quantities need the molar mass of the phase [kg/mol].
  std::vector<double> x = moleFractions(table);
  if (x.size() != n) return {};
  double mw = 0;
  for (std::size_t i = 0; i < n; ++i) mw += x[i] * m_molWeights[i];
  mw *= 1e-3;
  if (!(mw > 0)) return {};
  std::vector<double> out = values;
  if (isPerAmount(*root) && *root != 40) {
    for (double& v : out) v = toMass ? v / mw : v * mw;
    return out;
  }
  if (*root == 40) {  // density: mol/m3 <-> kg/m3
    for (double& v : out) v = toMass ? v * mw : v / mw;
    return out;
  }
  if (*root == 44) {  // totalFlow: mol/s <-> kg/s
    for (double& v : out) v = toMass ? v * mw : v / mw;
    return out;
  }
  if (*root == 41 && values.size() == n) {  // flow per compound
    for (std::size_t i = 0; i < n; ++i)
      out[i] = toMass ? values[i] * m_molWeights[i] * 1e-3 : values[i] / (m_molWeights[i] * 1e-3);
    return out;
  }
  return {};  // phaseFraction and the like need the other phases
}

const std::vector<double>& MaterialObject::fetch(const Values& table, std::string_view name,
                                                 std::string_view basis, const char* scope) const {
  keyOf(name, basis, 1, 0, scope, m_key);
  if (const auto* v = table.find(m_key)) return *v;
  if (m_key.ends_with("|mole") || m_key.ends_with("|mass")) {
    const bool wantMass = m_key.ends_with("|mass");
    m_otherKey.assign(m_key, 0, m_key.size() - 4);
    m_otherKey += wantMass ? "mole" : "mass";
    if (const auto* o = table.find(m_otherKey)) {
      m_converted = convertBasis(name, *o, wantMass, table);
      if (!m_converted.empty()) return m_converted;
    }
  }
  throw CapeError(
      ECapeThrmPropertyNotAvailableHR, scope,
      cat("no value of \"", name, "\"", basis.empty() ? "" : cat(" (", basis, ")"), " is set"));
}

MaterialObject::StateValues MaterialObject::stateOf(const Values& table, const char* scope) const {
  static constexpr std::string_view kNames[3][2] = {
      {"temperature", ""}, {"pressure", ""}, {"fraction", "mole"}};
  auto get = [&](Values::StateValue which) -> const std::vector<double>& {
    if (const auto* v = table.state(which)) return *v;
    return fetch(table, kNames[which][0], kNames[which][1], scope);  // the other basis, or none
  };
  const double T = get(Values::kTemperature).at(0);
  const double P = get(Values::kPressure).at(0);
  return {T, P, get(Values::kFraction)};
}

const std::vector<double>& MaterialObject::fetch(const Values& table, BSTR name, BSTR basis,
                                                 const char* scope) const {
  Key k;
  if (const auto* v = table.find(keyOf(name, basis, 1, 0, scope, k))) return *v;
  return fetch(table, textIn(name, m_name), textIn(basis, m_basis), scope);  // converted, or not
}

MaterialObject::Values::Values() : m_slots(3) {
  // Every calculation reads them: found by place, not by key.
  m_slots[kTemperature].key = "temperature|";
  m_slots[kPressure].key = "pressure|";
  m_slots[kFraction].key = "fraction|mole";
}

namespace {

//! Key equality, the first character compared inline: keys of one length differ there mostly.
bool sameKey(const std::string& a, std::string_view b) {
  return a.size() == b.size() &&
         (a.empty() || (a[0] == b[0] && std::memcmp(a.data(), b.data(), a.size()) == 0));
}

}  // namespace

const std::vector<double>* MaterialObject::Values::find(std::string_view key) const {
  for (const Slot& s : m_slots)
    if (s.set && sameKey(s.key, key)) return &s.values;
  return nullptr;
}

std::vector<double>& MaterialObject::Values::slot(std::string_view key) {
  for (Slot& s : m_slots)
    if (sameKey(s.key, key)) {
      s.set = true;
      return s.values;
    }
  Slot& s = m_slots.emplace_back();
  s.key = key;
  s.set = true;
  return s.values;
}

void MaterialObject::Values::erase(std::string_view key) {
  for (Slot& s : m_slots)
    if (s.set && sameKey(s.key, key)) s.set = false;
}

void MaterialObject::Values::clear() {
  for (Slot& s : m_slots) s.set = false;
}

void MaterialObject::clearValues() {
  m_overall.clear();
  m_twoPhase.clear();
  for (Phase& p : m_phases) p.values.clear();
}

void MaterialObject::bindToPackage(const char* scope) {
  requirePackage(scope);
  if (!m_materialContext) return;
  IDispatch* self = static_cast<ICapeThermoMaterial*>(this);
  const HRESULT hr = packageCall([&] { return m_materialContext->SetMaterial(self); });
  if (FAILED(hr))
    passOn(hr, m_materialContext.get(), "ICapeThermoMaterialContext", "SetMaterial",
           "handing the material to the package");
}

void MaterialObject::passOn(HRESULT hr, IUnknown* callee, const char* interfaceName,
                            const char* operation, const char* doing) {
  ErrorRecord record = recordOfFailure(callee, hr, interfaceName, operation);
  if (m_proxy) {
    comlite::Bstr op(cat(doing, " (", record.operation, ")")), description(record.text()),
        iface(record.interfaceName);
    m_proxy->ReportCapeError(op.get(), record.code, description.get(), VARIANT_TRUE, iface.get());
  }
  throw CapeError(std::move(record), true);
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoMaterial

HRESULT MaterialObject::ClearAllProps() {
  clearValues();
  return S_OK;
}

HRESULT MaterialObject::CopyFromMaterial(IDispatch** source) {
  return guard(kMaterial, "CopyFromMaterial", [&] {
    static constexpr const char* kScope = "MaterialObject::CopyFromMaterial";
    if (!source || !*source)
      throw CapeError(ECapeInvalidArgumentHR, kScope, "the source material is undefined").at(1);
    comlite::ComPtr<IDispatch> src(*source);
    void* self = nullptr;
    if (SUCCEEDED(src->QueryInterface(kMaterialObjectSelfIID, &self)) && self) {
      MaterialObject* other = static_cast<MaterialObject*>(self);
      if (other != this) {
        requirePackage(kScope);
        if (other->m_compIds != m_compIds)
          throw CapeError(ECapeInvalidArgumentHR, kScope,
                          "the source material holds other compounds")
              .at(1);
        m_overall = other->m_overall;
        m_twoPhase = other->m_twoPhase;
        m_phases = other->m_phases;
        m_idMap = other->m_idMap;
        indexPhases();
        m_labelIndex = other->m_labelIndex;
        m_flashSpecs.clear();
        m_presentOrder = other->m_presentOrder;
      }
      other->Release();
      return S_OK;
    }
    // Another implementation: copy the state the published interface shows.
    auto mo = src.as<ICapeThermoMaterial>();
    if (!mo)
      throw CapeError(ECapeInvalidArgumentHR, kScope, "the source has no ICapeThermoMaterial")
          .at(1);
    requirePackage(kScope);
    clearValues();
    double T = 0, P = 0;
    comlite::Variant x;
    if (SUCCEEDED(mo->GetOverallTPFraction(&T, &P, &x))) {
      store(m_overall, "temperature", "", {T}, 3, kScope);
      store(m_overall, "pressure", "", {P}, 3, kScope);
      store(m_overall, "fraction", "mole", doubleList(x).value_or(std::vector<double>{}), 3,
            kScope);
    }
    comlite::Variant labels, status;
    check(mo->GetPresentPhases(&labels, &status), mo.get(), kMaterial, "GetPresentPhases");
    check(SetPresentPhases(labels, status), unknown(), kMaterial, "SetPresentPhases");
    for (const std::string& label : stringList(labels).value_or(std::vector<std::string>{})) {
      comlite::Bstr l(label);
      comlite::Variant comp;
      if (SUCCEEDED(mo->GetTPFraction(l.get(), &T, &P, &comp))) {
        Values& v = m_phases[phaseOfLabel(label, 1, kScope)].values;
        store(v, "temperature", "", {T}, 4, kScope);
        store(v, "pressure", "", {P}, 4, kScope);
        store(v, "fraction", "mole", doubleList(comp).value_or(std::vector<double>{}), 4, kScope);
      }
      comlite::Variant beta;
      comlite::Bstr pf("phaseFraction"), mole("mole");
      if (SUCCEEDED(mo->GetSinglePhaseProp(pf.get(), l.get(), mole.get(), &beta)))
        store(m_phases[phaseOfLabel(label, 1, kScope)].values, "phaseFraction", "mole",
              doubleList(beta).value_or(std::vector<double>{}), 4, kScope);
    }
    return S_OK;
  });
}

HRESULT MaterialObject::CreateMaterial(IDispatch** materialObject) {
  return guard(kMaterial, "CreateMaterial", [&] {
    if (!materialObject) return E_POINTER;
    *materialObject = nullptr;
    MaterialObject* m = comlite::makeObject<MaterialObject>();
    if (!m) throw std::bad_alloc();
    comlite::ComPtr<IMatObj> holder = comlite::ComPtr<IMatObj>::attach(m);
    if (m_package) check(m->SetPackage(m_package.get()), m->unknown(), kMatObj, "SetPackage");
    m->m_proxy = m_proxy;
    return m->QueryInterface(IDispatch::kIID, reinterpret_cast<void**>(materialObject));
  });
}

HRESULT MaterialObject::GetOverallProp(BSTR property, BSTR basis, VARIANT* results) {
  return guard(kMaterial, "GetOverallProp", [&] {
    if (!results) return E_POINTER;
    requirePackage("MaterialObject::GetOverallProp");
    return fillDoubleArray(results,
                           fetch(m_overall, property, basis, "MaterialObject::GetOverallProp"));
  });
}

HRESULT MaterialObject::GetOverallTPFraction(double* temperature, double* pressure,
                                             VARIANT* composition) {
  return guard(kMaterial, "GetOverallTPFraction", [&] {
    static constexpr const char* kScope = "MaterialObject::GetOverallTPFraction";
    if (!temperature || !pressure || !composition) return E_POINTER;
    requirePackage(kScope);
    const StateValues state = stateOf(m_overall, kScope);
    fillDoubleArray(composition, state.x);
    *temperature = state.T;
    *pressure = state.P;
    return S_OK;
  });
}

HRESULT MaterialObject::GetPresentPhases(VARIANT* phaseLabels, VARIANT* phaseStatus) {
  return guard(kMaterial, "GetPresentPhases", [&] {
    if (!phaseLabels || !phaseStatus) return E_POINTER;
    if (m_presentOrder.empty()) {
      putVariant(phaseLabels, comlite::Variant());
      return putVariant(phaseStatus, comlite::Variant());
    }
    std::vector<std::u16string>& labels = m_wideLabelsOut;
    std::vector<LONG>& status = m_statusIn;
    labels.resize(m_presentOrder.size());
    status.clear();
    for (std::size_t k = 0; k < m_presentOrder.size(); ++k) {
      const Phase& phase = m_phases[m_presentOrder[k]];
      labels[k].assign(phase.wideLabel);
      status.push_back(phase.status);
    }
    fillStringArray(phaseLabels, labels);
    return fillLongArray(phaseStatus, status);
  });
}

HRESULT MaterialObject::GetSinglePhaseProp(BSTR property, BSTR phaseLabel, BSTR basis,
                                           VARIANT* results) {
  return guard(kMaterial, "GetSinglePhaseProp", [&] {
    static constexpr const char* kScope = "MaterialObject::GetSinglePhaseProp";
    if (!results) return E_POINTER;
    requirePackage(kScope);
    const std::size_t p = phaseOfLabel(phaseLabel, 2, kScope);
    return fillDoubleArray(results, fetch(m_phases[p].values, property, basis, kScope));
  });
}

HRESULT MaterialObject::GetTPFraction(BSTR phaseLabel, double* temperature, double* pressure,
                                      VARIANT* composition) {
  return guard(kMaterial, "GetTPFraction", [&] {
    static constexpr const char* kScope = "MaterialObject::GetTPFraction";
    if (!temperature || !pressure || !composition) return E_POINTER;
    requirePackage(kScope);
    const Values& v = m_phases[phaseOfLabel(phaseLabel, 1, kScope)].values;
    const StateValues state = stateOf(v, kScope);
    fillDoubleArray(composition, state.x);
    *temperature = state.T;
    *pressure = state.P;
    return S_OK;
  });
}

HRESULT MaterialObject::GetTwoPhaseProp(BSTR property, VARIANT phaseLabels, BSTR basis,
                                        VARIANT* results) {
  return guard(kMaterial, "GetTwoPhaseProp", [&] {
    static constexpr const char* kScope = "MaterialObject::GetTwoPhaseProp";
    if (!results) return E_POINTER;
    requirePackage(kScope);
    auto pair = twoPhaseOf(stringArgument(phaseLabels, 2, "phaseLabels", kScope), 2, kScope);
    return fillDoubleArray(results,
                           fetch(twoPhaseTable(pair.first, pair.second), property, basis, kScope));
  });
}

HRESULT MaterialObject::SetOverallProp(BSTR property, BSTR basis, VARIANT values) {
  return guard(kMaterial, "SetOverallProp", [&] {
    static constexpr const char* kScope = "MaterialObject::SetOverallProp";
    requirePackage(kScope);
    doubleArgument(values, 3, kScope, m_incoming);
    store(m_overall, property, basis, m_incoming, 3, kScope);
    return S_OK;
  });
}

HRESULT MaterialObject::SetPresentPhases(VARIANT phaseLabels, VARIANT phaseStatus) {
  return guard(kMaterial, "SetPresentPhases", [&] {
    static constexpr const char* kScope = "MaterialObject::SetPresentPhases";
    requirePackage(kScope);
    // Read as given (UTF-16), as views into the caller's list: hosts set the present phases
    // before every request.
    std::vector<std::u16string_view>& labels = m_wideLabelsIn;
    if (!readStringViews(phaseLabels, labels))
      throw CapeError(ECapeBadArgumentHR, kScope, "phaseLabels is not an array of strings").at(1);
    const std::size_t count = labels.size();
    auto label = [&](std::size_t k) { return comlite::utf16ToUtf8(labels[k]); };  // for messages
    const bool statusRead = readLongList(phaseStatus, m_statusIn);
    const std::vector<LONG>* status = &m_statusIn;
    if (!statusRead || status->size() != count)
      throw CapeError(ECapeBadArgumentHR, kScope,
                      cat("phaseStatus has ", statusRead ? status->size() : 0, " entries for ",
                          count, " phase labels"))
          .at(2);
    std::vector<std::size_t>& order = m_orderIn;
    order.clear();
    // Position of each package phase in the list, or npos when it is not listed.
    std::vector<std::size_t>& positionOf = m_positionIn;
    positionOf.assign(m_phases.size(), std::string::npos);
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t p = phaseOfLabel(labels[k], 1, kScope);
      if ((*status)[k] < CAPE_UNKNOWNPHASESTATUS || (*status)[k] > CAPE_ESTIMATES)
        throw CapeError(
            ECapeInvalidArgumentHR, kScope,
            cat("phase status ", (*status)[k], " of \"", label(k), "\" is not a phase status"))
            .at(2);
      if (positionOf[p] != std::string::npos)
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("phase \"", label(k), "\" is listed twice"))
            .at(1);
      positionOf[p] = k;
      order.push_back(p);
    }
    // Phases no longer present lose their values.
    for (std::size_t i = 0; i < m_phases.size(); ++i) {
      if (positionOf[i] == std::string::npos) {
        m_phases[i].present = false;
        m_phases[i].status = CAPE_UNKNOWNPHASESTATUS;
        m_phases[i].values.clear();
      } else {
        m_phases[i].present = true;
        m_phases[i].status = (*status)[positionOf[i]];
      }
    }
    std::erase_if(m_twoPhase, [&](const auto& e) {
      return positionOf[e.first.first] == std::string::npos ||
             positionOf[e.first.second] == std::string::npos;
    });
    m_presentOrder.swap(order);
    return S_OK;
  });
}

HRESULT MaterialObject::SetSinglePhaseProp(BSTR property, BSTR phaseLabel, BSTR basis,
                                           VARIANT values) {
  return guard(kMaterial, "SetSinglePhaseProp", [&] {
    static constexpr const char* kScope = "MaterialObject::SetSinglePhaseProp";
    requirePackage(kScope);
    const std::size_t p = phaseOfLabel(phaseLabel, 2, kScope);
    doubleArgument(values, 4, kScope, m_incoming);
    store(m_phases[p].values, property, basis, m_incoming, 4, kScope);
    return S_OK;
  });
}

HRESULT MaterialObject::SetTwoPhaseProp(BSTR property, VARIANT phaseLabels, BSTR basis,
                                        VARIANT values) {
  return guard(kMaterial, "SetTwoPhaseProp", [&] {
    static constexpr const char* kScope = "MaterialObject::SetTwoPhaseProp";
    requirePackage(kScope);
    auto pair = twoPhaseOf(stringArgument(phaseLabels, 2, "phaseLabels", kScope), 2, kScope);
    doubleArgument(values, 4, kScope, m_incoming);
    store(twoPhaseTable(pair.first, pair.second), property, basis, m_incoming, 4, kScope);
    return S_OK;
  });
}

// ---------------------------------------------------------------------------------------------
// ICapeThermoCompounds: the package's own answers

template <class Call>
HRESULT MaterialObject::forwardToPackage(const char* operation, Call&& call) {
  return guard(kCompounds, operation, [&] {
    requirePackage(("MaterialObject::" + std::string(operation)).c_str());
    const HRESULT hr = call();
    if (FAILED(hr)) check(hr, m_packageCompounds.get(), kCompounds, operation);
    return hr;
  });
}

HRESULT MaterialObject::GetCompoundConstant(VARIANT props, VARIANT compIds, VARIANT* propVals) {
  return forwardToPackage("GetCompoundConstant", [&] {
    return m_packageCompounds->GetCompoundConstant(props, compIds, propVals);
  });
}

HRESULT MaterialObject::GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names,
                                        VARIANT* boilTemps, VARIANT* molwts, VARIANT* casnos) {
  return guard(kCompounds, "GetCompoundList", [&] {
    if (!compIds || !formulae || !names || !boilTemps || !molwts || !casnos) return E_POINTER;
    requirePackage("MaterialObject::GetCompoundList");
    putVariant(compIds, makeStringArray(m_compIds));
    putVariant(formulae, makeStringArray(m_formulae));
    putVariant(names, makeStringArray(m_names));
    putVariant(boilTemps, makeDoubleArray(m_boilTemps));
    putVariant(molwts, makeDoubleArray(m_molWeights));
    return putVariant(casnos, makeStringArray(m_casNos));
  });
}

HRESULT MaterialObject::GetConstPropList(VARIANT* props) {
  return forwardToPackage("GetConstPropList",
                          [&] { return m_packageCompounds->GetConstPropList(props); });
}

HRESULT MaterialObject::GetNumCompounds(LONG* num) {
  return guard(kCompounds, "GetNumCompounds", [&] {
    if (!num) return E_POINTER;
    requirePackage("MaterialObject::GetNumCompounds");
    *num = static_cast<LONG>(compoundCount());
    return S_OK;
  });
}

HRESULT MaterialObject::GetPDependentProperty(VARIANT props, double pressure, VARIANT compIds,
                                              VARIANT* propVals) {
  return forwardToPackage("GetPDependentProperty", [&] {
    return m_packageCompounds->GetPDependentProperty(props, pressure, compIds, propVals);
  });
}

HRESULT MaterialObject::GetPDependentPropList(VARIANT* props) {
  return forwardToPackage("GetPDependentPropList",
                          [&] { return m_packageCompounds->GetPDependentPropList(props); });
}

HRESULT MaterialObject::GetTDependentProperty(VARIANT props, double temperature, VARIANT compIds,
                                              VARIANT* propVals) {
  return forwardToPackage("GetTDependentProperty", [&] {
    return m_packageCompounds->GetTDependentProperty(props, temperature, compIds, propVals);
  });
}

HRESULT MaterialObject::GetTDependentPropList(VARIANT* props) {
  return forwardToPackage("GetTDependentPropList",
                          [&] { return m_packageCompounds->GetTDependentPropList(props); });
}

// ---------------------------------------------------------------------------------------------
// IMatObj

HRESULT MaterialObject::PutproxyPtr(ICapeDiagnostics* proxy) {
  m_proxy = comlite::ComPtr<ICapeDiagnostics>(proxy);
  return S_OK;
}

HRESULT MaterialObject::GetProxyPtr(ICapeDiagnostics** proxy) {
  if (!proxy) return E_POINTER;
  *proxy = comlite::ComPtr<ICapeDiagnostics>(m_proxy).detach();
  return S_OK;
}

HRESULT MaterialObject::SetPackage(IDispatch* package) {
  return guard(kMatObj, "SetPackage", [&] {
    static constexpr const char* kScope = "MaterialObject::SetPackage";
    if (!package) {  // unbinds (breaks the package's reference back to the material)
      m_package.reset();
      m_packageCompounds.reset();
      m_propertyRoutine.reset();
      m_equilibriumRoutine.reset();
      m_materialContext.reset();
      m_compIds.clear();
      m_formulae.clear();
      m_names.clear();
      m_casNos.clear();
      m_boilTemps.clear();
      m_molWeights.clear();
      m_phases.clear();
      m_idMap.clear();
      indexPhases();
      m_labelIndex.clear();
      m_presentOrder.clear();
      m_overall.clear();
      m_twoPhase.clear();
      m_flashSpecs.clear();
      return S_OK;
    }
    comlite::ComPtr<IDispatch> pkg(package);
    auto compounds = pkg.as<ICapeThermoCompounds>();
    auto phases = pkg.as<ICapeThermoPhases>();
    if (!compounds || !phases)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      "the package lacks ICapeThermoCompounds or ICapeThermoPhases")
          .at(1);
    comlite::Variant ids, formulae, names, boil, mw, cas;
    check(packageCall([&] {
            return compounds->GetCompoundList(&ids, &formulae, &names, &boil, &mw, &cas);
          }),
          compounds.get(), kCompounds, "GetCompoundList");
    comlite::Variant labels, states, keys;
    check(packageCall([&] { return phases->GetPhaseList(&labels, &states, &keys); }), phases.get(),
          "ICapeThermoPhases", "GetPhaseList");
    // Lists from the package are bounded before anything is made of them.
    auto bounded = [&](const VARIANT& list, std::size_t limit, const char* what) {
      const std::size_t count = arrayLength(list);
      if (count > limit)
        throw CapeError(
            ECapeOutOfResourcesHR, kScope,
            cat("the package lists ", count, " ", what, "; at most ", limit, " are taken"));
    };
    bounded(ids, kMaxPackageCompounds, "compounds");
    bounded(labels, kMaxPackagePhases, "phases");
    if (ids.vt != VT_EMPTY && !stringList(ids))
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      "GetCompoundList gave compound ids that are not a list of strings");
    std::vector<std::string> idList = stringList(ids).value_or(std::vector<std::string>{});
    {
      std::set<std::string> seen;
      for (const std::string& id : idList) {
        if (id.empty())
          throw CapeError(ECapeInvalidArgumentHR, kScope,
                          "GetCompoundList gave a compound without an id");
        if (!seen.insert(lowerCase(id)).second)
          throw CapeError(ECapeInvalidArgumentHR, kScope,
                          cat("GetCompoundList names the compound \"", id, "\" twice"));
      }
    }
    const std::size_t n = idList.size();
    auto sized = [n](std::vector<std::string> v) {
      v.resize(n);
      return v;
    };
    std::vector<double> mwList = doubleList(mw).value_or(std::vector<double>{});
    std::vector<double> tbList = doubleList(boil).value_or(std::vector<double>{});
    mwList.resize(n, std::nan(""));
    tbList.resize(n, std::nan(""));
    const std::vector<std::string> labelList =
        stringList(labels).value_or(std::vector<std::string>{});
    std::vector<std::string> stateList =
        sized(stringList(states).value_or(std::vector<std::string>{}));
    std::vector<std::string> keyList = stringList(keys).value_or(std::vector<std::string>{});
    // A state made up for a label would be a guess: every phase needs its own.
    if (stringList(states).value_or(std::vector<std::string>{}).size() != labelList.size())
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("GetPhaseList gave ", labelList.size(), " phase labels but ",
                          stringList(states).value_or(std::vector<std::string>{}).size(),
                          " states of aggregation"));
    std::unordered_map<std::string, std::size_t> labelIndex;
    for (std::size_t i = 0; i < labelList.size(); ++i)
      if (!labelIndex.emplace(lower(labelList[i]), i).second)
        throw CapeError(ECapeInvalidArgumentHR, kScope,
                        cat("GetPhaseList names the phase \"", labelList[i], "\" twice"));
    stateList.resize(labelList.size());
    keyList.resize(labelList.size());

    // Phase index of each package phase, as the socket numbers them.
    std::vector<Phase> newPhases;
    std::map<LONG, std::size_t> idMap;
    bool aqueousSeen = false;
    int liquids = 0;
    for (std::size_t i = 0; i < labelList.size(); ++i) {
      Phase p;
      p.label = labelList[i];
      p.wideLabel = comlite::utf8ToUtf16(p.label);
      p.state = stateList[i];
      LONG id = kPhaseUnknown;
      if (sameName(p.state, "Vapor")) {
        id = kPhaseVapor;
      } else if (sameName(p.state, "Liquid")) {
        ++liquids;
        id = kPhaseLiquid;
        if (sameName(keyList[i], "Aqueous")) {
          id = kPhaseAqueous;
          aqueousSeen = true;
        } else if (liquids >= 2 && !aqueousSeen) {
          id = kPhaseLiquid2;
        }
      } else if (sameName(p.state, "Solid")) {
        id = kPhaseSolid;
      }
      idMap[id] = i;
      newPhases.push_back(std::move(p));
    }
    m_package = std::move(pkg);
    m_packageCompounds = std::move(compounds);
    m_propertyRoutine = m_package.as<ICapeThermoPropertyRoutine>();
    m_equilibriumRoutine = m_package.as<ICapeThermoEquilibriumRoutine>();
    m_materialContext = m_package.as<ICapeThermoMaterialContext>();
    m_compIds = std::move(idList);
    m_formulae = sized(stringList(formulae).value_or(std::vector<std::string>{}));
    m_names = sized(stringList(names).value_or(std::vector<std::string>{}));
    m_casNos = sized(stringList(cas).value_or(std::vector<std::string>{}));
    m_boilTemps = std::move(tbList);
    m_molWeights = std::move(mwList);
    m_phases = std::move(newPhases);
    m_idMap = std::move(idMap);
    indexPhases();
    m_labelIndex = std::move(labelIndex);
    m_presentOrder.clear();
    m_overall.clear();
    m_twoPhase.clear();
    m_flashSpecs.clear();
    return S_OK;
  });
}

HRESULT MaterialObject::GetPackage(IDispatch** package) {
  if (!package) return E_POINTER;
  *package = comlite::ComPtr<IDispatch>(m_package).detach();
  return S_OK;
}

HRESULT MaterialObject::GetPhaseLabel(LONG phaseIndex, BSTR* label) {
  return guard(kMatObj, "GetPhaseLabel", [&] {
    static constexpr const char* kScope = "MaterialObject::GetPhaseLabel";
    if (!label) return E_POINTER;
    requirePackage(kScope);
    if (phaseIndex == kPhaseOverall) return putString(label, "Overall");
    if (phaseIndex == kPhaseVaporLiquid || phaseIndex == kPhaseLiquidLiquid) {
      auto pair = twoPhaseOfIndex(phaseIndex, kScope);
      return putString(label, m_phases[pair.first].label + "," + m_phases[pair.second].label);
    }
    return putString(label, m_phases[phaseOfIndex(phaseIndex, kScope)].label);
  });
}

HRESULT MaterialObject::GetPhaseIndex(BSTR label, LONG* phaseIndex) {
  return guard(kMatObj, "GetPhaseIndex", [&] {
    static constexpr const char* kScope = "MaterialObject::GetPhaseIndex";
    if (!phaseIndex) return E_POINTER;
    requirePackage(kScope);
    const std::string l = text(label);
    if (sameName(l, "Overall")) {
      *phaseIndex = kPhaseOverall;
      return S_OK;
    }
    const std::size_t p = phaseOfLabel(l, 1, kScope);
    for (const auto& [id, index] : m_idMap)
      if (index == p) {
        *phaseIndex = id;
        return S_OK;
      }
    throw CapeError(ECapeInvalidArgumentHR, kScope,
                    cat("phase \"", l, "\" has no phase index of its own"))
        .at(1);
  });
}

HRESULT MaterialObject::GetNumValues(LONG valueCode, LONG* count) {
  return guard(kMatObj, "GetNumValues", [&] {
    if (!count) return E_POINTER;
    auto code = decodeValueCode(valueCode);
    if (!code)
      throw CapeError(ECapeInvalidArgumentHR, "MaterialObject::GetNumValues",
                      cat("value code ", valueCode, " names no property"))
          .at(1);
    *count = code->perCompound() ? static_cast<LONG>(compoundCount()) : 1;
    return S_OK;
  });
}

HRESULT MaterialObject::ClearState() {
  clearValues();
  m_presentOrder.clear();
  for (Phase& p : m_phases) {
    p.present = false;
    p.status = CAPE_UNKNOWNPHASESTATUS;
  }
  return S_OK;
}

HRESULT MaterialObject::GetPropertyName(LONG valueCode, BSTR* name) {
  return guard(kMatObj, "GetPropertyName", [&] {
    auto code = decodeValueCode(valueCode);
    if (!code)
      throw CapeError(ECapeInvalidArgumentHR, "MaterialObject::GetPropertyName",
                      cat("value code ", valueCode, " names no property"))
          .at(1);
    return putString(name, code->name);
  });
}

HRESULT MaterialObject::SetState(double temperature, double pressure, const double* composition,
                                 LONG phaseIndex) {
  return guard(kMatObj, "SetState", [&] {
    static constexpr const char* kScope = "MaterialObject::SetState";
    requirePackage(kScope);
    if (!composition && compoundCount() > 0) return E_POINTER;
    if (phaseIndex == kPhaseVaporLiquid || phaseIndex == kPhaseLiquidLiquid)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("phase index ", phaseIndex, " names two phases; a state is of one"))
          .at(4);
    Values& table = tableOf(phaseIndex, kScope);
    table.stateSlot(Values::kTemperature).assign(1, temperature);
    table.stateSlot(Values::kPressure).assign(1, pressure);
    table.stateSlot(Values::kFraction).assign(composition, composition + compoundCount());
    table.erase("fraction|mass");
    return S_OK;
  });
}

HRESULT MaterialObject::GetState(double* temperature, double* pressure, double* composition,
                                 LONG phaseIndex) {
  return guard(kMatObj, "GetState", [&] {
    static constexpr const char* kScope = "MaterialObject::GetState";
    if (!temperature || !pressure || (!composition && compoundCount() > 0)) return E_POINTER;
    const Values& table = tableOf(phaseIndex, kScope);
    const StateValues state = stateOf(table, kScope);
    if (state.x.size() != compoundCount())
      throw CapeError(ECapeThrmPropertyNotAvailableHR, kScope,
                      cat("the composition has ", state.x.size(), " values for ", compoundCount(),
                          " compounds"));
    *temperature = state.T;
    *pressure = state.P;
    std::copy(state.x.begin(), state.x.end(), composition);
    return S_OK;
  });
}

const MaterialObject::CodeName& MaterialObject::codeName(LONG valueCode, SHORT position,
                                                         const char* scope) {
  for (const CodeName& c : m_codeNames)
    if (c.code == valueCode) return c;
  auto code = decodeValueCode(valueCode);
  if (!code)
    throw CapeError(ECapeInvalidArgumentHR, scope,
                    cat("value code ", valueCode, " names no property"))
        .at(position);
  CodeName& c = m_codeNames.emplace_back(
      CodeName{valueCode, std::move(code->name), {}, code->perCompound(), code->matrix()});
  keyOf(c.name, "mole", position, position, scope, c.key);
  return c;
}

HRESULT MaterialObject::GetValue(LONG phaseIndex, LONG valueCode, double* values) {
  return guard(kMatObj, "GetValue", [&] {
    static constexpr const char* kScope = "MaterialObject::GetValue";
    if (!values) return E_POINTER;
    const CodeName& code = codeName(valueCode, 2, kScope);
    const Values& table = tableOf(phaseIndex, kScope);
    const std::vector<double>* held = table.find(code.key);
    const std::vector<double>& v = held ? *held : fetch(table, code.name, "mole", kScope);
    const std::size_t n = compoundCount();
    const std::size_t expected = code.matrix ? n * n : code.perCompound ? n : 1;
    if (v.size() != expected)
      throw CapeError(
          ECapeThrmPropertyNotAvailableHR, kScope,
          cat("\"", code.name, "\" holds ", v.size(), " values, ", expected, " expected"));
    if (code.matrix)
      for (std::size_t i = 0; i < n; ++i) values[i] = v[i * n + i];
    else
      std::copy(v.begin(), v.end(), values);
    return S_OK;
  });
}

HRESULT MaterialObject::GetValues(LONG phaseIndex, LONG valueCode, VARIANT* values) {
  return guard(kMatObj, "GetValues", [&] {
    static constexpr const char* kScope = "MaterialObject::GetValues";
    if (!values) return E_POINTER;
    auto code = decodeValueCode(valueCode);
    if (!code)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("value code ", valueCode, " names no property"))
          .at(2);
    return putVariant(
        values, makeDoubleArray(fetch(tableOf(phaseIndex, kScope), code->name, "mole", kScope)));
  });
}

HRESULT MaterialObject::SetValues(LONG phaseIndex, LONG valueCode, VARIANT values) {
  return guard(kMatObj, "SetValues", [&] {
    static constexpr const char* kScope = "MaterialObject::SetValues";
    auto code = decodeValueCode(valueCode);
    if (!code)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("value code ", valueCode, " names no property"))
          .at(2);
    doubleArgument(values, 3, kScope, m_incoming);
    store(tableOf(phaseIndex, kScope), code->name, "mole", m_incoming, 3, kScope);
    return S_OK;
  });
}

HRESULT MaterialObject::SetValue(LONG valueCode, LONG phaseIndex, const double* values) {
  return guard(kMatObj, "SetValue", [&] {
    static constexpr const char* kScope = "MaterialObject::SetValue";
    if (!values) return E_POINTER;
    auto code = decodeValueCode(valueCode);
    if (!code)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("value code ", valueCode, " names no property"))
          .at(1);
    if (code->matrix())
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("\"", code->name, "\" has n x n values; set it with SetValues"))
          .at(1);
    const std::size_t count = code->perCompound() ? compoundCount() : 1;
    m_incoming.assign(values, values + count);
    store(tableOf(phaseIndex, kScope), code->name, "mole", m_incoming, 3, kScope);
    return S_OK;
  });
}

HRESULT MaterialObject::GetPhaseStatus(LONG phaseIndex, LONG* status) {
  return guard(kMatObj, "GetPhaseStatus", [&] {
    if (!status) return E_POINTER;
    requirePackage("MaterialObject::GetPhaseStatus");
    const Phase& p = m_phases[phaseOfIndex(phaseIndex, "MaterialObject::GetPhaseStatus")];
    *status = p.present ? p.status : -1;
    return S_OK;
  });
}

HRESULT MaterialObject::SetPhaseStatus(LONG phaseIndex, LONG status) {
  return guard(kMatObj, "SetPhaseStatus", [&] {
    static constexpr const char* kScope = "MaterialObject::SetPhaseStatus";
    requirePackage(kScope);
    if (status < CAPE_UNKNOWNPHASESTATUS || status > CAPE_ESTIMATES)
      throw CapeError(ECapeInvalidArgumentHR, kScope, cat(status, " is not a phase status")).at(2);
    const std::size_t p = phaseOfIndex(phaseIndex, kScope);
    if (!m_phases[p].present) m_presentOrder.push_back(p);
    m_phases[p].present = true;
    m_phases[p].status = status;
    return S_OK;
  });
}

HRESULT MaterialObject::GetCompoundCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(compoundCount());
  return S_OK;
}

HRESULT MaterialObject::CalcSinglePhaseProps(VARIANT props, BSTR phaseLabel, BSTR calcType) {
  return guard(kMatObj, "CalcSinglePhaseProps", [&] {
    static constexpr const char* kScope = "MaterialObject::CalcSinglePhaseProps";
    requirePackage(kScope);
    const std::u16string_view type = comlite::bstrView(calcType);
    if (!type.empty() && !sameName(type, u"Mixture"))
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat("calculation type \"", text(calcType), "\" is not \"Mixture\""))
          .at(3);
    if (!isStringList(props))
      throw CapeError(ECapeBadArgumentHR, kScope, "props is not an array of strings").at(1);
    phaseOfLabel(phaseLabel, 2, kScope);
    if (!m_propertyRoutine)
      throw CapeError(ECapeNoImplHR, kScope, "the package has no ICapeThermoPropertyRoutine");
    bindToPackage(kScope);
    const HRESULT hr =
        packageCall([&] { return m_propertyRoutine->CalcSinglePhaseProp(props, phaseLabel); });
    if (FAILED(hr))
      passOn(hr, m_propertyRoutine.get(), "ICapeThermoPropertyRoutine", "CalcSinglePhaseProp",
             "calculating single-phase properties");
    return hr;
  });
}

HRESULT MaterialObject::CalcTwoPhaseProps(VARIANT props, VARIANT phaseLabels) {
  return guard(kMatObj, "CalcTwoPhaseProps", [&] {
    static constexpr const char* kScope = "MaterialObject::CalcTwoPhaseProps";
    requirePackage(kScope);
    if (!isStringList(props))
      throw CapeError(ECapeBadArgumentHR, kScope, "props is not an array of strings").at(1);
    twoPhaseOf(stringArgument(phaseLabels, 2, "phaseLabels", kScope), 2, kScope);
    if (!m_propertyRoutine)
      throw CapeError(ECapeNoImplHR, kScope, "the package has no ICapeThermoPropertyRoutine");
    bindToPackage(kScope);
    const HRESULT hr =
        packageCall([&] { return m_propertyRoutine->CalcTwoPhaseProp(props, phaseLabels); });
    if (FAILED(hr))
      passOn(hr, m_propertyRoutine.get(), "ICapeThermoPropertyRoutine", "CalcTwoPhaseProp",
             "calculating two-phase properties");
    return hr;
  });
}

const MaterialObject::FlashSpec& MaterialObject::flashSpec(LONG flashId, const char* scope) {
  // It depends only on the flash id and the package's phases: made once, a host asks for it on
  // every flash.
  for (const FlashSpec& f : m_flashSpecs)
    if (f.id == flashId) return f;
  const char* name = flashName(static_cast<int>(flashId));
  if (!name)
    throw CapeError(ECapeInvalidArgumentHR, scope,
                    cat("flash id ", flashId, " is not one of 15 (TP) to 22 (TS)"))
        .at(1);
  // First and second specification property from the flash name: T, P, H, VF, S.
  const std::string flash = name;
  auto propertyOf = [](const std::string& letters) -> const char* {
    if (letters == "T") return "temperature";
    if (letters == "P") return "pressure";
    if (letters == "H") return "enthalpy";
    if (letters == "S") return "entropy";
    return "phaseFraction";
  };
  const std::string first = flash.substr(0, 1), second = flash.substr(1);
  auto spec = [&](const std::string& letters) {
    std::vector<std::string> s = {propertyOf(letters), "", "Overall", ""};
    if (letters == "VF") {
      requirePackage(scope);
      auto it = m_idMap.find(kPhaseVapor);
      if (it == m_idMap.end())
        throw CapeError(ECapeInvalidArgumentHR, scope,
                        cat("flash ", flash, " needs a vapour phase; the package has none"))
            .at(1);
      s[1] = "mole";
      s[2] = m_phases[it->second].label;
    }
    return makeStringArray(s, true);
  };
  FlashSpec made;
  made.id = flashId;
  made.s1 = spec(first);
  made.s2 = spec(second);
  made.type = comlite::Bstr(second == "VF" ? "Normal" : "Unspecified");
  return m_flashSpecs.emplace_back(std::move(made));
}

HRESULT MaterialObject::GetFlashSpecification(LONG flashId, VARIANT* specification1,
                                              VARIANT* specification2, BSTR* solutionType) {
  return guard(kMatObj, "GetFlashSpecification", [&] {
    if (!specification1 || !specification2 || !solutionType) return E_POINTER;
    const FlashSpec& f = flashSpec(flashId, "MaterialObject::GetFlashSpecification");
    putVariant(specification1, comlite::Variant(f.s1));
    putVariant(specification2, comlite::Variant(f.s2));
    *solutionType = f.type.copy();
    return *solutionType ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT MaterialObject::Flash(LONG flashId) {
  return guard(kMatObj, "Flash", [&] {
    static constexpr const char* kScope = "MaterialObject::Flash";
    requirePackage(kScope);
    if (!m_equilibriumRoutine)
      throw CapeError(ECapeNoImplHR, kScope, "the package has no ICapeThermoEquilibriumRoutine");
    const FlashSpec& f = flashSpec(flashId, kScope);
    bindToPackage(kScope);
    const HRESULT hr = packageCall(
        [&] { return m_equilibriumRoutine->CalcEquilibrium(f.s1, f.s2, f.type.get()); });
    if (FAILED(hr))
      passOn(hr, m_equilibriumRoutine.get(), "ICapeThermoEquilibriumRoutine", "CalcEquilibrium",
             "calculating an equilibrium");
    return hr;
  });
}

}  // namespace capeside
