#include "ravelin/compound.h"

#include <new>
#include <stdexcept>

#include "ravelin/objects/compound_list_object.h"
#include "ravelin/objects/compound_object.h"
#include "ravelin/objects/own_object.h"
#include "ravelin/property_names.h"

namespace ravelin {

using detail::CompoundListObject;
using detail::CompoundObject;

namespace {

CompoundObject* objectOf(const comlite::ComPtr<IRvlCompound>& p) {
  return detail::objectOf<CompoundObject>(p);
}

CompoundObject::Identity identityOf(const CompoundSpec& spec) {
  return {spec.name, spec.casNumber, spec.formula, spec.idNumber};
}

}  // namespace

Compound::Compound(comlite::ComPtr<IRvlCompound> object) : m_object(std::move(object)) {}

Compound Compound::create(const CompoundSpec& spec) {
  auto object = comlite::ComPtr<IRvlCompound>::attach(comlite::makeObject<CompoundObject>());
  if (!object) throw std::bad_alloc();
  Compound c(std::move(object));
  c.setIdentity(spec);
  for (const auto& [code, value] : spec.constants) c.setConstant(code, value);
  return c;
}

std::optional<Compound> Compound::from(IUnknown* object) {
  auto own = detail::ownObject<CompoundObject>(object);
  if (!own) return std::nullopt;
  return Compound(std::move(own));
}

std::string Compound::name() const {
  return objectOf(m_object)->identity().name;
}

std::string Compound::casNumber() const {
  return objectOf(m_object)->identity().casNumber;
}

std::string Compound::formula() const {
  return objectOf(m_object)->identity().formula;
}

LONG Compound::idNumber() const {
  return objectOf(m_object)->identity().idNumber;
}

void Compound::setIdentity(const CompoundSpec& spec) {
  objectOf(m_object)->setIdentity(identityOf(spec));
}

std::optional<double> Compound::constant(std::string_view code) const {
  const auto& all = objectOf(m_object)->constants();
  auto it = all.find(propertyName(propertyId(code)));
  if (it == all.end()) return std::nullopt;
  return it->second;
}

std::map<std::string, double> Compound::constants() const {
  return objectOf(m_object)->constants();
}

void Compound::setConstant(std::string_view code, double value) {
  objectOf(m_object)->putConstant(std::string(code), value);
}

int Compound::commitCount() const {
  return objectOf(m_object)->commits();
}

IDispatch* Compound::dispatch() const {
  return m_object.get();
}

CompoundList::CompoundList(comlite::ComPtr<IRvlCompoundList> object)
    : m_object(std::move(object)) {}

CompoundList CompoundList::create(const std::vector<Compound>& compounds) {
  auto object =
      comlite::ComPtr<IRvlCompoundList>::attach(comlite::makeObject<CompoundListObject>());
  if (!object) throw std::bad_alloc();
  std::vector<comlite::ComPtr<IRvlCompound>> items;
  items.reserve(compounds.size());
  for (const auto& c : compounds) {
    auto own = detail::ownObject<CompoundObject>(c.dispatch());
    if (!own) throw std::invalid_argument("not a compound of the host framework");
    items.push_back(std::move(own));
  }
  detail::objectOf<CompoundListObject>(object)->setCompounds(std::move(items));
  return CompoundList(std::move(object));
}

std::optional<CompoundList> CompoundList::from(IUnknown* object) {
  auto own = detail::ownObject<CompoundListObject>(object);
  if (!own) return std::nullopt;
  return CompoundList(std::move(own));
}

std::size_t CompoundList::size() const {
  return detail::objectOf<CompoundListObject>(m_object)->size();
}

Compound CompoundList::at(std::size_t index) const {
  const auto& items = detail::objectOf<CompoundListObject>(m_object)->compounds();
  if (index >= items.size()) throw std::out_of_range("compound index out of range");
  return Compound(items[index]);
}

IDispatch* CompoundList::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
