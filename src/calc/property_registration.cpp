#include "calc/property_registration.h"

#include <atomic>
#include <iterator>

#include "comlite/com_ptr.h"
#include "reporter/method_guard.h"
#include "base/thcom_error.h"
#include "outside/ravelin_registry.h"
#include "base/list_search.h"
#include "base/qo_bstr.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/host_property_ids.h"
#include "vocabulary/property_factory.h"

namespace coravl::calc {

namespace {

struct HostName {
  const char* name;
  LONG proposed;  //!< the CAPE-OPEN property first proposed to serve it
};

//! The host names in registration order, at the positions of HostProperty.
constexpr HostName kHostNames[kHostPropertyCount] = {
    {"Enthalpy", COIds::PropEnthalpy},
    {"Entropy", COIds::PropEntropy},
    {"MolarVolume", COIds::PropVolume},
    {"Cp", COIds::PropHeatCapacityCp},
    {"Cv", COIds::PropHeatCapacityCv},
    {"Viscosity", COIds::PropViscosity},
    {"ThermalConductivity", COIds::PropThermalConductivity},
    {"LnFugacityCoeff", COIds::PropLogFugacityCoefficient},
    {"LnFugacity", COIds::PropLogFugacity},
    {"SurfaceTension", COIds::PropSurfaceTension},
    {"Gibbs", COIds::PropGibbsEnergy},
    {"Helmholtz", COIds::PropHelmholtzEnergy},
    {"InternalEnergy", COIds::PropInternalEnergy},
    {"ExcessEnthalpy", COIds::PropExcessEnthalpy},
    {"ExcessGibbs", COIds::PropExcessGibbsEnergy},
    {"StdLiqVolume", COIds::ConstLiquidDensityAt25C},
    {"ZFactor", COIds::PropCompressibilityFactor},
    {"LnActivityCoefficient", COIds::PropActivityCoefficient},
    {"Temperature", COIds::PropTemperature},
    {"Pressure", COIds::PropPressure},
    {"PhaseFraction", COIds::PropPhaseFraction},
    {"KFactor", COIds::PropKvalue},
    {"H.DT", COIds::PropEnthalpyDtemperature},
    {"MolarDensity", COIds::PropDensity},
};

//! The host names registered whatever the package supports (the first 21).
constexpr int kUnconditionalCount = HostKFactor;

constexpr const char* kDerivativeVariableNames[kDerivativeVariableCount] = {"dT", "dP", "dN", "dX"};

//! Set once the property factory's host names are registered in this process.
std::atomic<bool> g_hostNamesRegistered{false};

//! The package's supported list and the lookups on it.
class Supported {
 public:
  explicit Supported(const VARIANT& list) : m_list(list) {}
  bool has(const OLECHAR* name) const { return Utils::findPos(m_list, name) >= 0; }
  //! Whether the CAPE-OPEN name of `coId` is supported (never for id 0).
  bool has(LONG coId) const { return has(COIds::id2str(coId)); }

 private:
  const VARIANT& m_list;
};

//! The strict host registration of one name; a failure raises CTHCOMError.
LONG registerName(IPropertyEnumerationRegistry* registry, const char* name) {
  LONG id = 0;
  lookupRVLid(registry, name, &id, true);
  return id;
}

//! Registers the host name at `index` and, while the table has room, adds its record.
void registerOne(IPropertyEnumerationRegistry* registry, int index, const Supported& supported,
                 RegistrationState& state) {
  const HostName& host = kHostNames[index];
  // Kept only on success, so that a failure at "Enthalpy" leaves the marker for a retry.
  const LONG hostId = registerName(registry, host.name);
  state.hostPropertyIds[static_cast<std::size_t>(index)] = hostId;
  if (state.count < 0 || state.count >= calc::kMaxRegisteredProperties) return;

  const LONG proposed = host.proposed;
  LONG chosen = proposed;
  bool served = supported.has(proposed);
  if (proposed == COIds::PropLogFugacity && !served) {
    if (supported.has(COIds::PropFugacity)) {
      chosen = COIds::PropFugacity;
      served = true;
    } else {
      if (supported.has(COIds::PropFugacityCoefficient)) {
        chosen = COIds::PropFugacityCoefficient;
        served = true;
      } else {
        chosen = COIds::PropLogFugacityCoefficient;
        served = supported.has(chosen);
      }
      state.fugacityFallback = served ? 1 : 0;
    }
  }
  if (chosen == COIds::PropLogFugacityCoefficient && !served) {
    chosen = COIds::PropFugacityCoefficient;
    served = supported.has(chosen);
  }

  calc::RegisteredProperty& record = state.table[static_cast<std::size_t>(state.count)];
  record.hostId = hostId;
  record.coId = chosen;
  record.translator = propertyFactory().findByCOId(chosen);
  record.supported = chosen != 0 && served;
  record.names = {};
  if (const char* own = COIds::id2cstr(chosen)) record.names[0] = own;
  // Derivatives only for a property served as first proposed: the fallbacks' derivative
  // conversions are not offered to the host.
  if (supported.has(proposed)) {
    for (LONG k = 0; k < COIds::derivativeCount(); ++k) {
      const CQoBSTR name = COIds::createDerivative(chosen, COIds::derivativeVariable(k));
      if (supported.has(name.get())) record.names[static_cast<std::size_t>(k)] = name.narrow();
    }
  }
  ++state.count;
}

}  // namespace

const char* hostPropertyName(int index) {
  return (index >= 0 && index < kHostPropertyCount) ? kHostNames[index].name : nullptr;
}

LONG proposedCOId(int index) {
  return (index >= 0 && index < kHostPropertyCount) ? kHostNames[index].proposed : 0;
}

void registerProperties(IDispatch* propertyRegistry, const VARIANT& supportedProperties,
                        RegistrationState& state) {
  if (state.hostPropertyIds[HostEnthalpy] != calc::kNotRegistered) return;
  HRESULT hr = E_POINTER;
  auto registry =
      comlite::ComPtr<IDispatch>(propertyRegistry).as<IPropertyEnumerationRegistry>(&hr);
  if (!registry) CTHCOMError::raise(FAILED(hr) ? hr : E_NOINTERFACE);

  constantFactory().initialise(registry.get());
  for (int i = 0; i < kDerivativeVariableCount; ++i)
    state.derivativeVariableIds[static_cast<std::size_t>(i)] =
        registerName(registry.get(), kDerivativeVariableNames[i]);
  derivativeFactory().initialise(registry.get());

  const Supported supported(supportedProperties);
  for (int i = 0; i < kUnconditionalCount; ++i) registerOne(registry.get(), i, supported, state);
  if (!supported.has(COIds::PropFugacity) && !supported.has(COIds::PropFugacityCoefficient) &&
      !supported.has(COIds::PropActivityCoefficient))
    registerOne(registry.get(), HostKFactor, supported, state);
  if (!supported.has(COIds::PropHeatCapacityCp))
    registerOne(registry.get(), HostHDT, supported, state);
  if (!supported.has(COIds::PropVolume))
    registerOne(registry.get(), HostMolarDensity, supported, state);

  if (!g_hostNamesRegistered.load()) {
    propertyFactory().registerAll(registry.get());
    g_hostNamesRegistered.store(true);
  }
}

HRESULT initializePropertyID(IDispatch* propertyRegistry, const VARIANT& supportedProperties,
                             RegistrationState& state, MethodGuard& guard) {
  guard.run(kRegisteringProperties, [&] {
    registerProperties(propertyRegistry, supportedProperties, state);
    return S_OK;
  });
  return S_OK;
}

const calc::RegisteredProperty* findRegistered(const RegistrationState& state, LONG hostId) {
  const LONG n =
      state.count < calc::kMaxRegisteredProperties ? state.count : calc::kMaxRegisteredProperties;
  for (LONG i = 0; i < n; ++i)
    if (state.table[static_cast<std::size_t>(i)].hostId == hostId)
      return &state.table[static_cast<std::size_t>(i)];
  return nullptr;
}

INT canCalculateStatus(const RegistrationState& state, LONG hostId) {
  const calc::RegisteredProperty* r = findRegistered(state, hostId);
  return (r && r->supported) ? 0 : 1;
}

}  // namespace coravl::calc
