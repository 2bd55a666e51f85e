#include "pr_package/parameter_collection.h"

namespace prcape {

HRESULT ParameterCollection::Item(VARIANT, IDispatch** item) {
  return guard("ICapeCollection", "Item", [&]() -> HRESULT {
    if (!item) return E_POINTER;
    *item = nullptr;
    throw capeside::CapeError(ECapeInvalidArgumentHR, "ParameterCollection::Item",
                              "the Peng-Robinson package has no parameters: it is set up by its "
                              "configuration in packages.txt")
        .at(1);
  });
}

HRESULT ParameterCollection::Count(LONG* itemsCount) {
  if (!itemsCount) return E_POINTER;
  *itemsCount = 0;
  return S_OK;
}

}  // namespace prcape
