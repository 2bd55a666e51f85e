#pragma once
//! The Peng-Robinson package's parameter collection: its settings are chosen with its
//! configuration (packages.txt), so the collection is empty (Count 0; Item raises
//! ECapeInvalidArgument).

#include "capeside/support/cape_object.h"
#include "outside/capeopen_common.h"

namespace prcape {

class ParameterCollection : public capeside::CapeObject<ParameterCollection, ICapeCollection> {
 public:
  HRESULT Item(VARIANT id, IDispatch** item) override;
  HRESULT Count(LONG* itemsCount) override;
};

}  // namespace prcape
