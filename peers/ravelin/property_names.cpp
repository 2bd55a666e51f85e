#include "ravelin/property_names.h"

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

std::string foldCase(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

class Table {
 public:
  Table() {
    for (const char* name : kInitialNames) addLocked(name);
  }
  LONG find(std::string_view name) const {
    std::shared_lock lock(m_mutex);
    auto it = m_ids.find(foldCase(name));
    return it == m_ids.end() ? kNoPropertyId : it->second;
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
    return id;
  }

  //! Names are added once and read by every property write: readers do not wait for each other.
  mutable std::shared_mutex m_mutex;
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

std::string propertyName(LONG id) {
  return table().name(id);
}

std::vector<std::string> knownPropertyNames() {
  return table().names();
}

}  // namespace ravelin
