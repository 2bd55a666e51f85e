#include "ravelin/property_names.h"

#include <atomic>
#include <iterator>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>
#include <unordered_map>

#include "outside/ravelin_registry.h"

namespace ravelin {

namespace {

//! Ids start well away from 0 and from small indexes, so that a caller mistaking an id for a
//! position fails loudly.
constexpr LONG kFirstId = 1001;

//! Every name the host knows from the start, in id order. Grouped as: state, phase properties,
//! derivative variables, compound constant codes, flash control options.
constexpr const char* kInitialNames[] = {
    "Temperature",
    "Pressure",
    "PhaseFraction",
    "Enthalpy",
    "Entropy",
    "MolarVolume",
    "MolarDensity",
    "Cp",
    "Cv",
    "H.DT",
    "Viscosity",
    "ThermalConductivity",
    "SurfaceTension",
    "LnFugacity",
    "LnFugacityCoeff",
    "LnActivityCoeff",
    "LnActivityCoefficient",
    "KFactor",
    "ZFactor",
    "Gibbs",
    "Helmholtz",
    "InternalEnergy",
    "ExcessEnthalpy",
    "ExcessGibbs",
    "StdLiqVolume",
    "dT",
    "dP",
    "dN",
    "dX",
    "MW",
    "TC",
    "PC",
    "VC",
    "ZC",
    "ACEN",
    "NBP",
    "SLDN",
    "DM",
    "RG",
    "HFUS",
    "HVP",
    "VP",
    "IGHF25",
    "IGGF25",
    "SP",
    "CASN",
    "IupacName",
    "ChemicalFormula",
    "I_O_PVNONSAT",
    "I_O_PVSAT",
};

constexpr std::size_t kInitialCount = std::size(kInitialNames);

char folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = folded(c);
  return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (folded(a[i]) != folded(b[i])) return false;
  return true;
}

//! Id of one of the names every run starts with, or kNoPropertyId. They never change: read by
//! any thread without the table's lock.
LONG initialId(std::string_view name) {
  for (std::size_t i = 0; i < kInitialCount; ++i)
    if (equalIgnoringCase(name, kInitialNames[i])) return kFirstId + static_cast<LONG>(i);
  return kNoPropertyId;
}

class Table {
 public:
  Table() {
    for (const char* name : kInitialNames) addLocked(name);
  }
  LONG find(std::string_view name) const {
    if (const LONG id = initialId(name); id != kNoPropertyId) return id;
    std::shared_lock lock(m_mutex);
    auto it = m_ids.find(foldCase(name));
    return it == m_ids.end() ? kNoPropertyId : it->second;
  }
  bool known(LONG id) const {
    const long long index = static_cast<long long>(id) - kFirstId;
    return index >= 0 && index < static_cast<long long>(m_count.load(std::memory_order_acquire));
  }
  LONG add(std::string_view name) {
    std::unique_lock lock(m_mutex);
    return addLocked(name);
  }
  std::string name(LONG id) const {
    std::shared_lock lock(m_mutex);
    const long long index = static_cast<long long>(id) - kFirstId;
    if (index < 0 || index >= static_cast<long long>(m_names.size())) return {};
    return m_names[static_cast<std::size_t>(index)];
  }
  std::vector<std::string> names() const {
    std::shared_lock lock(m_mutex);
    return m_names;
  }

 private:
  LONG addLocked(std::string_view name) {
    auto key = foldCase(name);
    if (auto it = m_ids.find(key); it != m_ids.end()) return it->second;
    const LONG id = kFirstId + static_cast<LONG>(m_names.size());
    m_names.emplace_back(name);
    m_ids.emplace(std::move(key), id);
    m_count.store(m_names.size(), std::memory_order_release);
    return id;
  }

  //! Names are added once and read by the builders. Property writes only ask whether an id is
  //! known (the count) and lookups of the initial names need no lock: requests of two threads
  //! share no written memory here.
  mutable std::shared_mutex m_mutex;
  std::atomic<std::size_t> m_count{0};
  std::vector<std::string> m_names;
  std::unordered_map<std::string, LONG> m_ids;
};

Table& table() {
  static Table t;
  return t;
}

}  // namespace

LONG propertyId(std::string_view name) {
  if (name.empty()) return kNoPropertyId;
  return table().find(name);
}

LONG requirePropertyId(std::string_view name) {
  const LONG id = propertyId(name);
  if (id == kNoPropertyId)
    throw std::invalid_argument("unknown host property '" + std::string(name) + "'");
  return id;
}

LONG addPropertyName(std::string_view name) {
  if (name.empty()) throw std::invalid_argument("a host property name cannot be empty");
  return table().add(name);
}

bool isPropertyId(LONG id) {
  return table().known(id);
}

std::string propertyName(LONG id) {
  return table().name(id);
}

std::vector<std::string> knownPropertyNames() {
  return table().names();
}

}  // namespace ravelin
