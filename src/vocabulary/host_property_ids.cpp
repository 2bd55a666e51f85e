#include "vocabulary/host_property_ids.h"

#include <array>
#include <string>

#include "base/message_output.h"
#include "base/thcom_error.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_registry.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_factory.h"

namespace {

constexpr const char* kUnexpected = "Unexpected error ";

//! The identifier with its first letter made upper-case: "temperature" gives "Temperature".
std::string derivedHostName(LONG coId) {
  const char* identifier = COIds::id2cstr(coId);  // null for an id without text
  std::string name = identifier ? identifier : "";
  if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 32);
  return name;
}

struct CoreProperty {
  const char* name;
  bool strict;
};

//! The host's core properties, checked once per process in this order.
constexpr CoreProperty kCore[] = {
    {"Temperature", false},
    {"Pressure", false},
    {"LnFugacity", false},
    {"LnFugacityCoeff", false},
    {"Enthalpy", false},
    {"Entropy", false},
    {"MolarVolume", false},
    {"Cp", false},
    {"Cv", false},
    {"Viscosity", true},
    {"ThermalConductivity", true},
    {"PhaseFraction", false},
};

std::array<LONG, std::size(kCore)> g_coreIds{};

struct HostName {
  LONG coId;
  const char* name;  //!< nullptr: derived from the identifier
};

//! Host names of the property factory's translators; several CAPE-OPEN properties share one.
constexpr HostName kHostNames[] = {
    {COIds::PropTemperature, nullptr},
    {COIds::PropPressure, nullptr},
    {COIds::PropKvalue, "LnFugacityCoeff"},
    {COIds::PropFugacityCoefficient, "LnFugacityCoeff"},
    {COIds::PropFugacity, "LnFugacity"},
    {COIds::PropLogFugacity, "LnFugacity"},
    {COIds::PropEnthalpy, "Enthalpy"},
    {COIds::PropEntropy, "Entropy"},
    {COIds::PropHeatCapacityCp, "Cp"},
    {COIds::PropVolume, "MolarVolume"},
    {COIds::PropHeatCapacityCv, "Cv"},
    {COIds::PropPhaseFraction, nullptr},
    {COIds::PropLogFugacityCoefficient, "LnFugacityCoeff"},
    {COIds::PropLogKvalue, "LnFugacityCoeff"},
    {COIds::PropViscosity, "Viscosity"},
    {COIds::PropThermalConductivity, "ThermalConductivity"},
    {COIds::PropActivityCoefficient, "LnActivityCoeff"},
    {COIds::PropSurfaceTension, nullptr},
    {COIds::PropCompressibilityFactor, "ZFactor"},
    {COIds::PropGibbsEnergy, "Gibbs"},
    {COIds::PropHelmholtzEnergy, "Helmholtz"},
};

}  // namespace

LONG lookupRVLid(IPropertyEnumerationRegistry* registry, const char* hostName, LONG* id,
                 bool strict) {
  comlite::Bstr name(hostName ? hostName : "");
  if (strict) {
    if (!registry || !id) CTHCOMError::raise(E_POINTER);
    thcheck(registry->GetPropertyID(name.get(), id));
    return 0;
  }
  const HRESULT answer = (registry && id) ? registry->FindPropertyID(name.get(), id, 0) : E_POINTER;
  if (answer != 0) {
    const std::string text = std::string("RVL Property not found: ") + (hostName ? hostName : "");
    Utils::showMessage(text.c_str(), "", Utils::kStylePlain);
  }
  return answer;
}

LONG registerRVLid(CRVLpropsFactory& factory, LONG coId, const char* hostName, bool strict) {
  auto* t = dynamic_cast<CRVLProperty*>(factory.findByCOId(coId));
  if (!t) {
    Utils::popUpStatus("in registerRVLid, CO prop not found", COIds::id2cstr(coId));
    return -1;
  }
  const std::string name = hostName ? std::string(hostName) : derivedHostName(coId);
  t->setRVLId(-1);
  if (!COIds::isOfType(coId, COIds::GroupConstProp))
    lookupRVLid(factory.registry(), name.c_str(), t->rvlIdSlot(), strict);
  t->setRVLName(name);
  return t->rvlId();
}

void registerHostPropertyNames(CRVLPropertyFactory& factory) {
  for (const auto& h : kHostNames) registerRVLid(factory, h.coId, h.name, true);
}

CRVLUtils::CRVLUtils() {
  Utils::popUpStatus("CRVLUtils() is not instanciatable!");
}

LONG CRVLUtils::checkCoreProperties(IPropertyEnumerationRegistry* registry) {
  if (g_coreIds[0] != 0) return 0;
  for (std::size_t i = 0; i < std::size(kCore); ++i)
    lookupRVLid(registry, kCore[i].name, &g_coreIds[i], kCore[i].strict);
  return 0;
}

LONG CRVLUtils::coreTemperatureId() {
  return g_coreIds[0];
}

void CRVLUtils::resetCoreProperties() {
  g_coreIds.fill(0);
}

HRESULT CRVLUtils::setRealArray(IRealArrayDisp* array, const double* values, LONG count) {
  if (!array) return Utils::popUpStatus(E_POINTER, kUnexpected);
  HRESULT hr = array->SetSize(count);
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  for (LONG i = 0; i < count; ++i) {
    hr = array->put_IthValue(i, values[i]);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  }
  return hr;
}

HRESULT CRVLUtils::getRealArray(IRealArrayDisp* array, double* values, LONG count) {
  HRESULT hr = S_OK;
  if (count < 1) return hr;
  if (!array || !values) return Utils::popUpStatus(E_POINTER, kUnexpected);
  // In one call where the host's array offers its block and holds exactly `count`.
  if (auto block = comlite::ComPtr<IRealArrayDisp>(array).as<IRealArrayBlock>();
      block && SUCCEEDED(block->GetValues(count, values)))
    return S_OK;
  for (LONG i = 0; i < count; ++i) {
    hr = array->get_IthValue(i, &values[i]);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  }
  return hr;
}

HRESULT CRVLUtils::getPhaseRealArray(IBasicPhase* phase, double* values, LONG count) {
  if (!phase) return Utils::popUpStatus(E_POINTER, kUnexpected);
  comlite::ComPtr<IDispatch> composition;
  HRESULT hr = phase->get_Composition(composition.put());
  if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  auto array = composition.as<IRealArrayDisp>(&hr);
  if (!array) return Utils::popUpStatus(FAILED(hr) ? hr : E_NOINTERFACE, kUnexpected);
  return getRealArray(array.get(), values, count);
}
