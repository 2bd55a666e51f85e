#pragma once
//! Builder handles of the host's real and integer arrays.

#include <optional>
#include <span>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_arrays.h"
#include "ravelin/api.h"

namespace ravelin {

class RAVELIN_API RealArray {
 public:
  //! A new array holding a copy of `values`.
  static RealArray create(std::span<const double> values = {});
  //! The handle of an array object of this library; nullopt for any other object.
  static std::optional<RealArray> from(IUnknown* object);

  std::vector<double> values() const;
  void setValues(std::span<const double> values);
  //! The object (borrowed: valid while the handle lives).
  IDispatch* dispatch() const;

 private:
  explicit RealArray(comlite::ComPtr<IRealArrayDisp> object);
  comlite::ComPtr<IRealArrayDisp> m_object;
};

class RAVELIN_API IntegerArray {
 public:
  static IntegerArray create(std::span<const LONG> values = {});
  static std::optional<IntegerArray> from(IUnknown* object);

  std::vector<LONG> values() const;
  void setValues(std::span<const LONG> values);
  IDispatch* dispatch() const;

 private:
  explicit IntegerArray(comlite::ComPtr<IIntegerArrayDisp> object);
  comlite::ComPtr<IIntegerArrayDisp> m_object;
};

}  // namespace ravelin
