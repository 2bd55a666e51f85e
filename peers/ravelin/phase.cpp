#include "ravelin/phase.h"

#include <new>
#include <stdexcept>

#include "ravelin/objects/compound_list_object.h"
#include "ravelin/objects/own_object.h"
#include "ravelin/objects/phase_object.h"
#include "ravelin/property_names.h"

namespace ravelin {

using detail::PhaseObject;

namespace {

PhaseObject* objectOf(const comlite::ComPtr<IBasicPhase>& p) {
  return detail::objectOf<PhaseObject>(p);
}

}  // namespace

Phase::Phase(comlite::ComPtr<IBasicPhase> object) : m_object(std::move(object)) {}

Phase Phase::create(const CompoundList& compounds, LONG type) {
  auto object = PhaseObject::make();
  if (!object) throw std::bad_alloc();
  Phase phase(std::move(object));
  phase.setCompounds(compounds);
  phase.setType(type);
  phase.setNominalType(type);
  return phase;
}

void Phase::setCompounds(const CompoundList& compounds) {
  auto list = detail::ownObject<detail::CompoundListObject>(compounds.dispatch());
  if (!list) throw std::invalid_argument("not a compound list of the host framework");
  objectOf(m_object)->setCompounds(std::move(list));
}

std::optional<Phase> Phase::from(IUnknown* object) {
  auto own = detail::ownObject<PhaseObject>(object);
  if (!own) return std::nullopt;
  return Phase(std::move(own));
}

void Phase::setTemperature(double T_K) {
  objectOf(m_object)->setTemperature(T_K);
}
void Phase::setPressure(double P_kPa) {
  objectOf(m_object)->setPressure(P_kPa);
}
void Phase::setType(LONG type) {
  objectOf(m_object)->setType(type);
}
void Phase::setNominalType(LONG type) {
  objectOf(m_object)->setNominalType(type);
}
void Phase::setFraction(double fraction) {
  objectOf(m_object)->setFraction(fraction);
}
void Phase::setStatus(LONG status) {
  objectOf(m_object)->setStatus(status);
}
void Phase::setComposition(std::span<const double> x) {
  objectOf(m_object)->setComposition({x.begin(), x.end()});
}
void Phase::setSubList(std::span<const LONG> fluidIndexes) {
  objectOf(m_object)->setSubList(std::vector<LONG>(fluidIndexes.begin(), fluidIndexes.end()));
}
void Phase::clearSubList() {
  objectOf(m_object)->setSubList(std::nullopt);
}
void Phase::offerSubList(bool offered) {
  objectOf(m_object)->offerSubList(offered);
}
void Phase::misreportCompoundCount(LONG count) {
  objectOf(m_object)->misreportCompoundCount(count);
}
void Phase::offerDerivatives(bool offered) {
  objectOf(m_object)->offerDerivatives(offered);
}

std::size_t Phase::addDerivativeRequest(std::string_view property, std::string_view variable,
                                        bool wanted) {
  return addDerivativeRequestById(requirePropertyId(property), requirePropertyId(variable), wanted);
}

std::size_t Phase::addDerivativeRequestById(LONG propertyId, LONG variableId, bool wanted) {
  return objectOf(m_object)->addDerivativeRequest(propertyId, variableId, wanted);
}

void Phase::setValue(std::string_view property, double value) {
  const LONG id = requirePropertyId(property);
  auto* phase = objectOf(m_object);
  if (id == propertyId("Temperature"))
    phase->setTemperature(value);
  else if (id == propertyId("Pressure"))
    phase->setPressure(value);
  else if (id == propertyId("PhaseFraction"))
    phase->setFraction(value);
  else
    phase->putScalar(id, value);
}

void Phase::clearResults() {
  objectOf(m_object)->clearResults();
}

double Phase::temperature() const {
  return objectOf(m_object)->temperature();
}
double Phase::pressure() const {
  return objectOf(m_object)->pressure();
}
LONG Phase::type() const {
  return objectOf(m_object)->type();
}
LONG Phase::nominalType() const {
  return objectOf(m_object)->nominalType();
}
double Phase::fraction() const {
  return objectOf(m_object)->fraction();
}
LONG Phase::status() const {
  return objectOf(m_object)->status();
}
std::vector<double> Phase::composition() const {
  return objectOf(m_object)->composition();
}
std::size_t Phase::compoundCount() const {
  return objectOf(m_object)->listCount();
}
std::optional<std::vector<LONG>> Phase::subList() const {
  return objectOf(m_object)->subList();
}

CompoundList Phase::compounds() const {
  auto list = CompoundList::from(objectOf(m_object)->compounds().get());
  if (!list) throw std::logic_error("the phase has no compound list of the host framework");
  return *list;
}

std::optional<double> Phase::value(std::string_view property) const {
  const LONG id = propertyId(property);
  double v = 0;
  if (id == kNoPropertyId || FAILED(objectOf(m_object)->GetPropertyValue(id, &v)))
    return std::nullopt;
  return v;
}

std::optional<std::vector<double>> Phase::vector(std::string_view property) const {
  const auto& all = objectOf(m_object)->vectors();
  auto it = all.find(propertyId(property));
  if (it == all.end()) return std::nullopt;
  return it->second;
}

std::optional<double> Phase::lastValue() const {
  return objectOf(m_object)->lastValue();
}

std::size_t Phase::derivativeCount() const {
  return objectOf(m_object)->derivativeRequests().size();
}

DerivativeRequest Phase::derivative(std::size_t index) const {
  const auto& all = objectOf(m_object)->derivativeRequests();
  if (index >= all.size()) throw std::out_of_range("derivative request index out of range");
  const auto& r = all[index];
  return {r.propertyId, r.variableId, r.wanted, r.status, r.values, r.written};
}

IDispatch* Phase::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
