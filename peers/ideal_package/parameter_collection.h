#pragma once
//! The package's parameter collection: the ideal package has no parameters, so the collection
//! is empty (Count 0; Item raises ECapeInvalidArgument).

#include "capeside/support/cape_object.h"
#include "outside/capeopen_common.h"

namespace ideal {

class ParameterCollection : public capeside::CapeObject<ParameterCollection, ICapeCollection> {
 public:
  HRESULT Item(VARIANT id, IDispatch** item) override;
  HRESULT Count(LONG* itemsCount) override;
};

}  // namespace ideal
