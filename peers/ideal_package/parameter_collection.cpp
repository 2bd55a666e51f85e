#include "ideal_package/parameter_collection.h"

namespace ideal {

HRESULT ParameterCollection::Item(VARIANT, IDispatch** item) {
  return guard("ICapeCollection", "Item", [&]() -> HRESULT {
    if (!item) return E_POINTER;
    *item = nullptr;
    throw capeside::CapeError(ECapeInvalidArgumentHR, "ParameterCollection::Item",
                              "the ideal package has no parameters")
        .at(1);
  });
}

HRESULT ParameterCollection::Count(LONG* itemsCount) {
  if (!itemsCount) return E_POINTER;
  *itemsCount = 0;
  return S_OK;
}

}  // namespace ideal
