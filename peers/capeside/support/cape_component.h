#pragma once
//! CapeComponent: the ICapeIdentification and ICapeUtilities parts our CAPE-OPEN components
//! share: a name and description the host may change, the simulation context it hands over,
//! and an empty parameter collection (see parameter_collection.h).
//!
//! Derive `class Foo : public capeside::CapeComponent<Foo, ..., ICapeIdentification,
//! ICapeUtilities, ...>` (the interfaces as for CapeObject) and implement Edit, whose refusal
//! says where the component is set up. A component that holds more than the context overrides
//! Terminate and calls CapeComponent::Terminate.

#include <string>
#include <utility>

#include "capeside/support/cape_object.h"
#include "capeside/support/create_object.h"
#include "capeside/support/parameter_collection.h"
#include "capeside/support/variant_lists.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"

namespace capeside {

template <class Derived, class... Interfaces>
class CapeComponent : public CapeObject<Derived, Interfaces...> {
 public:
  // ICapeIdentification
  HRESULT get_ComponentName(BSTR* name) override { return putString(name, m_name); }
  HRESULT put_ComponentName(BSTR name) override {
    return this->guard("ICapeIdentification", "put_ComponentName", [&] {
      m_name = text(name);
      return S_OK;
    });
  }
  HRESULT get_ComponentDescription(BSTR* desc) override { return putString(desc, m_description); }
  HRESULT put_ComponentDescription(BSTR desc) override {
    return this->guard("ICapeIdentification", "put_ComponentDescription", [&] {
      m_description = text(desc);
      return S_OK;
    });
  }
  // ICapeUtilities
  HRESULT get_parameters(IDispatch** parameters) override {
    return this->guard("ICapeUtilities", "get_parameters", [&] {
      return handOutDispatch<ParameterCollection>(parameters, m_whyNoParameters);
    });
  }
  HRESULT put_simulationContext(IDispatch* context) override {
    m_context = comlite::ComPtr<IDispatch>(context);
    return S_OK;
  }
  HRESULT Initialize() override { return S_OK; }
  HRESULT Terminate() override {
    m_context.reset();
    return S_OK;
  }

 protected:
  //! `whyNoParameters`: the description of the error the parameter collection's Item raises.
  CapeComponent(std::string name, std::string description, std::string whyNoParameters)
      : m_name(std::move(name)),
        m_description(std::move(description)),
        m_whyNoParameters(std::move(whyNoParameters)) {}

  std::string m_name;
  std::string m_description;
  comlite::ComPtr<IDispatch> m_context;

 private:
  std::string m_whyNoParameters;
};

}  // namespace capeside
