#include "capeside/support/parameter_collection.h"

#include <utility>

namespace capeside {

ParameterCollection::ParameterCollection(std::string whyEmpty) : m_whyEmpty(std::move(whyEmpty)) {}

HRESULT ParameterCollection::Item(VARIANT, IDispatch** item) {
  return guard("ICapeCollection", "Item", [&]() -> HRESULT {
    if (!item) return E_POINTER;
    *item = nullptr;
    throw CapeError(ECapeInvalidArgumentHR, "ParameterCollection::Item", m_whyEmpty).at(1);
  });
}

HRESULT ParameterCollection::Count(LONG* itemsCount) {
  if (!itemsCount) return E_POINTER;
  *itemsCount = 0;
  return S_OK;
}

}  // namespace capeside
