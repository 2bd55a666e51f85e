#include "vocabulary/property_factory.h"

#include <cmath>

#include "vocabulary/co_ids.h"
#include "vocabulary/compound_constants.h"
#include "vocabulary/host_property_ids.h"

CCOPropertyFactory::~CCOPropertyFactory() = default;
CRVLpropsFactory::~CRVLpropsFactory() = default;

std::unique_ptr<CCOPropertyTranslator> CCOPropertyFactory::newTranslator() {
  return std::make_unique<CCOProperty>();
}

CCOPropertyTranslator* CCOPropertyFactory::add(LONG coId) {
  auto t = newTranslator();
  t->setCOId(coId);
  m_list.push_back(std::move(t));
  return m_list.back().get();
}

CCOPropertyTranslator* CCOPropertyFactory::get(LONG index) {
  fill();
  if (index < 0 || index >= static_cast<LONG>(m_list.size())) return nullptr;
  return m_list[static_cast<std::size_t>(index)].get();
}

LONG CCOPropertyFactory::count() {
  fill();
  return static_cast<LONG>(m_list.size());
}

CCOPropertyTranslator* CCOPropertyFactory::findByCOId(LONG coId) {
  fill();
  for (auto& t : m_list)
    if (t->coId() == coId) return t.get();
  return nullptr;
}

CCOPropertyTranslator* CCOPropertyFactory::findByRVLId(LONG hostId) {
  fill();
  for (auto& t : m_list)
    if (auto* r = t->hostAware(); r && r->rvlId() == hostId) return r;
  return nullptr;
}

namespace {

struct TableRow {
  LONG coId;
  double multiplier;
  double offset;
  LONG logMode;
};

//! The phase and mixture properties the component translates, in table order. The
//! multipliers read CAPE-OPEN = host * multiplier + offset: surface tension in dyne/cm,
//! viscosity in cP, volume per kmol, density in kmol/m3, pressure and fugacity in kPa.
const TableRow kPropertyTable[] = {
    {COIds::PropEnthalpy, 1, 0, 0},
    {COIds::PropEntropy, 1, 0, 0},
    {COIds::PropFraction, 1, 0, 0},
    {COIds::PropSurfaceTension, 0.001, 0, 0},
    {COIds::PropCompressibility, 1, 0, 0},
    {COIds::PropCompressibilityFactor, 1, 0, 0},
    {COIds::PropHeatCapacityCp, 1, 0, 0},
    {COIds::PropViscosity, 0.001, 0, 0},
    {COIds::PropThermalConductivity, 1, 0, 0},
    {COIds::PropVolume, 0.001, 0, 0},
    {COIds::PropDensity, 1000, 0, 0},
    {COIds::PropTemperature, 1, 0, 0},
    {COIds::PropPressure, 1000, 0, 0},
    {COIds::PropKvalue, 1, 0, 0},
    {COIds::PropFugacityCoefficient, 1, 0, 1},
    {COIds::PropFugacity, 1000, 0, 1},
    {COIds::PropLogFugacityCoefficient, 1, 0, 0},
    {COIds::PropLogFugacity, 1, 6.907755278982137, 0},  // ln 1000: Pa to kPa inside the log
    {COIds::PropLogKvalue, 1, 0, 0},
    {COIds::PropActivity, 1, 0, 1},
    {COIds::PropActivityCoefficient, 1, 0, 1},
    {COIds::PropHeatCapacityCv, 1, 0, 0},
    {COIds::PropPhaseFraction, 1, 0, 0},
    {COIds::TDepVirialCoefficient, 1, 0, 0},
    {COIds::PropJouleThomsonCoefficient, 1, 0, 0},
    {COIds::TDepHeatOfVaporization, 1, 0, 0},
    {COIds::TDepHeatOfFusion, 1, 0, 0},
    {COIds::PropExcessEnthalpy, 1, 0, 0},
    {COIds::PropExcessGibbsEnergy, 1, 0, 0},
    {COIds::PropInternalEnergy, 1, 0, 0},
    {COIds::PropGibbsEnergy, 1, 0, 0},
    {COIds::PropHelmholtzEnergy, 1, 0, 0},
    {COIds::PropMolecularWeight, 1, 0, 0},
    {COIds::PropEnthalpyDtemperature, 1, 0, 0},
};

}  // namespace

LONG CCOPropertyFactory::fill() {
  if (!m_list.empty()) return 0;
  for (const auto& row : kPropertyTable) {
    CCOPropertyTranslator* t = add(row.coId);
    if (row.multiplier != 1.0 || row.offset != 0.0)
      t->setConversion(row.multiplier, row.offset, 1.0);
    if (row.logMode) t->setLogMode(row.logMode);
  }
  return 0;
}

void CRVLpropsFactory::setRegistry(IPropertyEnumerationRegistry* registry) {
  CRVLUtils::checkCoreProperties(registry);
  if (m_autoFill) fill();
  if (registry != m_registry.get())
    m_registry = comlite::ComPtr<IPropertyEnumerationRegistry>(registry);
}

LONG CRVLPropertyFactory::fill() {
  CCOPropertyFactory::fill();
  return 0;
}

std::unique_ptr<CCOPropertyTranslator> CRVLPropertyFactory::newTranslator() {
  return std::make_unique<CRVLProperty>();
}

std::unique_ptr<CCOPropertyTranslator> CRVLCPropFactory::newTranslator() {
  return std::make_unique<CRVLCProp>();
}

std::unique_ptr<CCOPropertyTranslator> CRVLDPropFactory::newTranslator() {
  return std::make_unique<CRVLDProp>();
}

CCOPropertyTranslator* CRVLCPropFactory::addConstant(LONG coId, const char* hostName,
                                                     double multiplier, double offset) {
  if (COIds::isOfType(coId, COIds::GroupProperty)) return nullptr;
  CCOPropertyTranslator* t = add(coId);
  t->setConversion(multiplier, offset, 1.0);
  registerRVLid(*this, coId, hostName, true);
  return t;
}

void CRVLCPropFactory::initialise(IPropertyEnumerationRegistry* registry) {
  if (!m_list.empty()) return;
  setRegistry(registry);
  for (const auto& row : compoundConstantRows()) {
    CCOPropertyTranslator* t = addConstant(row.coId, row.hostCode, row.multiplier, 0.0);
    if (!t) continue;
    if (row.exponent != 1.0) t->setExponent(row.exponent);
    if (row.basisMode) t->setBasisMode(row.basisMode);
  }
}

CCOPropertyTranslator* CRVLDPropFactory::addDerivative(LONG variableId, const char* hostName) {
  CCOPropertyTranslator* t = add(variableId);
  registerRVLid(*this, variableId, hostName, true);
  return t;
}

void CRVLDPropFactory::initialise(IPropertyEnumerationRegistry* registry) {
  if (!m_list.empty()) return;
  setRegistry(registry);
  addDerivative(COIds::PropTemperature, "dT");
  addDerivative(COIds::PropPressure, "dP");
  addDerivative(COIds::PdMoles, "dN");
  addDerivative(COIds::PdMolFraction, "dX");
}

void CRVLPropertyFactory::registerAll(IPropertyEnumerationRegistry* registry) {
  setRegistry(registry);
  registerHostPropertyNames(*this);
}

CRVLPropertyFactory& propertyFactory() {
  static CRVLPropertyFactory factory;
  return factory;
}

CRVLCPropFactory& constantFactory() {
  static CRVLCPropFactory factory;
  return factory;
}

CRVLDPropFactory& derivativeFactory() {
  static CRVLDPropFactory factory;
  return factory;
}
