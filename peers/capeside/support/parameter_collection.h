#pragma once
//! The parameter collection of a component without parameters: Count is 0 and Item raises
//! ECapeInvalidArgument with the component's reason.

#include <string>

#include "capeside/support/cape_object.h"
#include "outside/capeopen_common.h"

namespace capeside {

class ParameterCollection : public CapeObject<ParameterCollection, ICapeCollection> {
 public:
  //! `whyEmpty`: the description of the error Item raises.
  explicit ParameterCollection(std::string whyEmpty);

  HRESULT Item(VARIANT id, IDispatch** item) override;
  HRESULT Count(LONG* itemsCount) override;

 private:
  std::string m_whyEmpty;
};

}  // namespace capeside
