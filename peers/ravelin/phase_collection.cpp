#include "ravelin/phase_collection.h"

#include <new>
#include <stdexcept>

#include "ravelin/objects/own_object.h"
#include "ravelin/objects/phase_collection_object.h"
#include "ravelin/objects/phase_object.h"

namespace ravelin {

using detail::PhaseCollectionObject;

namespace {

PhaseCollectionObject* objectOf(const comlite::ComPtr<IPhaseCollection>& p) {
  return detail::objectOf<PhaseCollectionObject>(p);
}

comlite::ComPtr<IBasicPhase> ownPhase(const Phase& phase) {
  auto own = detail::ownObject<detail::PhaseObject>(phase.dispatch());
  if (!own) throw std::invalid_argument("not a phase of the host framework");
  return own;
}

Phase handleOf(const comlite::ComPtr<IBasicPhase>& phase) {
  auto handle = Phase::from(phase.get());
  if (!handle) throw std::logic_error("the collection holds a foreign phase");
  return *handle;
}

}  // namespace

PhaseCollection::PhaseCollection(comlite::ComPtr<IPhaseCollection> object)
    : m_object(std::move(object)) {}

PhaseCollection PhaseCollection::create(const Phase& overall, const std::vector<Phase>& phases) {
  auto object = PhaseCollectionObject::make();
  if (!object) throw std::bad_alloc();
  PhaseCollection c(std::move(object));
  c.setOverall(overall);
  for (const auto& p : phases) c.addPhase(p);
  c.setNumberOfPhases(static_cast<LONG>(phases.size()));
  return c;
}

std::optional<PhaseCollection> PhaseCollection::from(IUnknown* object) {
  auto own = detail::ownObject<PhaseCollectionObject>(object);
  if (!own) return std::nullopt;
  return PhaseCollection(std::move(own));
}

Phase PhaseCollection::overall() const {
  return handleOf(objectOf(m_object)->overall());
}

void PhaseCollection::setOverall(const Phase& overall) {
  objectOf(m_object)->setOverall(ownPhase(overall));
}

std::size_t PhaseCollection::size() const {
  return objectOf(m_object)->phases().size();
}

Phase PhaseCollection::phase(std::size_t index) const {
  const auto& phases = objectOf(m_object)->phases();
  if (index >= phases.size()) throw std::out_of_range("phase index out of range");
  return handleOf(phases[index]);
}

void PhaseCollection::addPhase(const Phase& phase) {
  objectOf(m_object)->addPhase(ownPhase(phase));
}

LONG PhaseCollection::numberOfPhases() const {
  return objectOf(m_object)->numberOfPhases();
}

void PhaseCollection::setNumberOfPhases(LONG count) {
  if (count < 0 || static_cast<std::size_t>(count) > size())
    throw std::invalid_argument("the number of phases must lie between 0 and the phases held");
  objectOf(m_object)->setNumberOfPhases(count);
}

std::vector<std::pair<LONG, LONG>> PhaseCollection::moves() const {
  return objectOf(m_object)->moves();
}

IDispatch* PhaseCollection::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
