#pragma once
//! The host's array objects: a dual interface for element access and a vtable-only interface
//! for whole-block access, over one vector.

#include <algorithm>
#include <vector>

#include "comlite/object.h"
#include "outside/ravelin_arrays.h"
#include "ravelin/objects/guarded.h"

namespace ravelin::detail {

template <class Derived, class Value, class Disp, class Block>
class ArrayObject : public comlite::ComObject<Derived, Disp, Block> {
 public:
  using Primary = Disp;

  // Disp
  HRESULT get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(m_values.size());
    return S_OK;
  }
  HRESULT SetSize(LONG count) override {
    if (count < 0) return E_INVALIDARG;
    return guarded([&] {
      m_values.resize(static_cast<std::size_t>(count), Value{});
      return S_OK;
    });
  }
  HRESULT get_IthValue(LONG index, Value* value) override {
    if (!value) return E_POINTER;
    if (!inRange(index)) return DISP_E_BADINDEX;
    *value = m_values[static_cast<std::size_t>(index)];
    return S_OK;
  }
  HRESULT put_IthValue(LONG index, Value value) override {
    if (!inRange(index)) return DISP_E_BADINDEX;
    m_values[static_cast<std::size_t>(index)] = value;
    return S_OK;
  }

  // Block
  HRESULT GetValues(LONG count, Value* values) override {
    if (count < 0 || static_cast<std::size_t>(count) != m_values.size()) return E_INVALIDARG;
    if (count > 0 && !values) return E_POINTER;
    std::copy(m_values.begin(), m_values.end(), values);
    return S_OK;
  }
  HRESULT SetValues(LONG count, const Value* values) override {
    if (count < 0) return E_INVALIDARG;
    if (count > 0 && !values) return E_POINTER;
    return guarded([&] {
      m_values.assign(values, values + count);
      return S_OK;
    });
  }

  void* queryExtra(REFIID riid) {
    return riid == Derived::kOwnIID ? static_cast<Disp*>(this) : nullptr;
  }

  const std::vector<Value>& values() const { return m_values; }
  void setValues(std::vector<Value> values) { m_values = std::move(values); }
  //! Exchanges the values with `values` (both keep their storage).
  void swapValues(std::vector<Value>& values) { m_values.swap(values); }
  //! The values as `first` to `last`, in the storage the array has.
  template <class It>
  void assignValues(It first, It last) {
    m_values.assign(first, last);
  }

 private:
  bool inRange(LONG index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_values.size();
  }

  std::vector<Value> m_values;
};

class RealArrayObject final
    : public ArrayObject<RealArrayObject, double, IRealArrayDisp, IRealArrayBlock> {
 public:
  static constexpr IID kOwnIID = comlite::makeGuid("64BA4A94-FAF6-4632-AB62-6F5F6A8C0EA1");
};

class IntegerArrayObject final
    : public ArrayObject<IntegerArrayObject, LONG, IIntegerArrayDisp, IIntegerArrayBlock> {
 public:
  static constexpr IID kOwnIID = comlite::makeGuid("429A5B8E-DC65-4322-8E2F-F38B0AE55963");
};

}  // namespace ravelin::detail
