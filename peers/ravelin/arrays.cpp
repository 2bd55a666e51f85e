#include "ravelin/arrays.h"

#include <new>

#include "ravelin/objects/array_object.h"
#include "ravelin/objects/own_object.h"

namespace ravelin {

using detail::IntegerArrayObject;
using detail::RealArrayObject;

namespace {

template <class Object, class Interface>
comlite::ComPtr<Interface> makeArray() {
  auto object = comlite::ComPtr<Interface>::attach(comlite::makeObject<Object>());
  if (!object) throw std::bad_alloc();
  return object;
}

}  // namespace

RealArray::RealArray(comlite::ComPtr<IRealArrayDisp> object) : m_object(std::move(object)) {}

RealArray RealArray::create(std::span<const double> values) {
  RealArray a(makeArray<RealArrayObject, IRealArrayDisp>());
  a.setValues(values);
  return a;
}

std::optional<RealArray> RealArray::from(IUnknown* object) {
  auto own = detail::ownObject<RealArrayObject>(object);
  if (!own) return std::nullopt;
  return RealArray(std::move(own));
}

std::vector<double> RealArray::values() const {
  return detail::objectOf<RealArrayObject>(m_object)->values();
}

void RealArray::setValues(std::span<const double> values) {
  detail::objectOf<RealArrayObject>(m_object)->setValues({values.begin(), values.end()});
}

IDispatch* RealArray::dispatch() const {
  return m_object.get();
}

IntegerArray::IntegerArray(comlite::ComPtr<IIntegerArrayDisp> object)
    : m_object(std::move(object)) {}

IntegerArray IntegerArray::create(std::span<const LONG> values) {
  IntegerArray a(makeArray<IntegerArrayObject, IIntegerArrayDisp>());
  a.setValues(values);
  return a;
}

std::optional<IntegerArray> IntegerArray::from(IUnknown* object) {
  auto own = detail::ownObject<IntegerArrayObject>(object);
  if (!own) return std::nullopt;
  return IntegerArray(std::move(own));
}

std::vector<LONG> IntegerArray::values() const {
  return detail::objectOf<IntegerArrayObject>(m_object)->values();
}

void IntegerArray::setValues(std::span<const LONG> values) {
  detail::objectOf<IntegerArrayObject>(m_object)->setValues({values.begin(), values.end()});
}

IDispatch* IntegerArray::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
