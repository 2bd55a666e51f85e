#pragma once
//! Factories of property translators. Three process-wide factories exist: phase and mixture
//! properties (filled from a fixed 34-row table), compound constants and derivative variables.
//! A factory owns its translators; they live until the factory is destroyed at unload.

#include <memory>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_registry.h"
#include "vocabulary/property_translator.h"

class CCOPropertyFactory {
 public:
  explicit CCOPropertyFactory(bool autoFill = false) : m_autoFill(autoFill) {}
  virtual ~CCOPropertyFactory();
  CCOPropertyFactory(const CCOPropertyFactory&) = delete;
  CCOPropertyFactory& operator=(const CCOPropertyFactory&) = delete;

  //! Releases and forgets the held host registry.
  virtual void releaseRegistry() {}
  //! Fills the list with the property table when it is empty; returns 0.
  virtual LONG fill();
  //! A new translator of the factory's class.
  virtual std::unique_ptr<CCOPropertyTranslator> newTranslator();

  //! Creates, appends and returns a translator for `coId`.
  CCOPropertyTranslator* add(LONG coId);
  //! Fills first; no bounds check beyond returning nullptr outside the list.
  CCOPropertyTranslator* get(LONG index);
  LONG count();
  CCOPropertyTranslator* findByCOId(LONG coId);
  //! The first translator with this host id (only host-aware translators have one).
  CCOPropertyTranslator* findByRVLId(LONG hostId);
  bool autoFill() const { return m_autoFill; }

 protected:
  std::vector<std::unique_ptr<CCOPropertyTranslator>> m_list;
  bool m_autoFill;
};

//! A factory bound to the host's property registry.
class CRVLpropsFactory : public CCOPropertyFactory {
 public:
  using CCOPropertyFactory::CCOPropertyFactory;
  ~CRVLpropsFactory() override;
  void releaseRegistry() override { m_registry.reset(); }
  //! Makes sure the host's core property ids are known (once per process), fills when auto-fill
  //! is set, then holds `registry`. A failing strict core lookup raises CTHCOMError.
  void setRegistry(IPropertyEnumerationRegistry* registry);
  IPropertyEnumerationRegistry* registry() const { return m_registry.get(); }

 private:
  comlite::ComPtr<IPropertyEnumerationRegistry> m_registry;
};

class CRVLPropertyFactory : public CRVLpropsFactory {
 public:
  CRVLPropertyFactory() : CRVLpropsFactory(true) {}
  LONG fill() override;
  std::unique_ptr<CCOPropertyTranslator> newTranslator() override;
  //! setRegistry, then the host names of the property table, all strict (host_property_ids).
  void registerAll(IPropertyEnumerationRegistry* registry);
};

class CRVLCPropFactory : public CRVLpropsFactory {
 public:
  LONG fill() override { return 0; }
  std::unique_ptr<CCOPropertyTranslator> newTranslator() override;
  //! Adds a compound constant (not a group-5 property id: those give nullptr) and registers its
  //! host code strictly.
  CCOPropertyTranslator* addConstant(LONG coId, const char* hostName, double multiplier,
                                     double offset);
  //! Once per process: setRegistry, then the compound constant list, in order.
  void initialise(IPropertyEnumerationRegistry* registry);
};

class CRVLDPropFactory : public CRVLpropsFactory {
 public:
  LONG fill() override { return 0; }
  std::unique_ptr<CCOPropertyTranslator> newTranslator() override;
  //! Adds a derivative variable translator and registers its host name strictly.
  CCOPropertyTranslator* addDerivative(LONG variableId, const char* hostName);
  //! Once per process: setRegistry, then "dT", "dP", "dN", "dX".
  void initialise(IPropertyEnumerationRegistry* registry);
};

//! The three process-wide factories.
CRVLPropertyFactory& propertyFactory();
CRVLCPropFactory& constantFactory();
CRVLDPropFactory& derivativeFactory();
