//! The host framework as an in-process module: its classes, its category, and the interface
//! names it publishes under Interface\{iid} (a package detects the host's derivative requests
//! by that key).

#include <string>

#include "comlite/module.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "outside/ravelin_registry.h"
#include "ravelin/objects/array_object.h"
#include "ravelin/objects/compound_list_object.h"
#include "ravelin/objects/compound_object.h"
#include "ravelin/objects/error_log_object.h"
#include "ravelin/objects/flash_control_object.h"
#include "ravelin/objects/phase_collection_object.h"
#include "ravelin/objects/phase_object.h"
#include "ravelin/objects/property_manager_object.h"
#include "ravelin/objects/registry_object.h"

namespace ravelin {

namespace {

struct PublishedInterface {
  IID iid;
  const char* name;
};

constexpr PublishedInterface kPublished[] = {
    {IPropertyEnumerationRegistry::kIID, "IPropertyEnumerationRegistry"},
    {IRealArrayDisp::kIID, "IRealArrayDisp"},
    {IRealArrayBlock::kIID, "IRealArrayBlock"},
    {IIntegerArrayDisp::kIID, "IIntegerArrayDisp"},
    {IIntegerArrayBlock::kIID, "IIntegerArrayBlock"},
    {IBasicPhase::kIID, "IBasicPhase"},
    {IRvlSubCompList::kIID, "IRvlSubCompList"},
    {IRvlDerivativeRequests::kIID, "IRvlDerivativeRequests"},
    {IDerivativeCalculation::kIID, "IDerivativeCalculation"},
    {IPhaseCollection::kIID, "IPhaseCollection"},
    {IRvlPhaseMove::kIID, "IRvlPhaseMove"},
    {IRvlCompoundList::kIID, "IRvlCompoundList"},
    {IRvlCompound::kIID, "IRvlCompound"},
    {IRvlComponent::kIID, "IRvlComponent"},
    {IRvlCompoundData::kIID, "IRvlCompoundData"},
    {IRvlCompoundConstants::kIID, "IRvlCompoundConstants"},
    {IRvlCompoundModification::kIID, "IRvlCompoundModification"},
    {IRvlErrorLog::kIID, "IRvlErrorLog"},
    {IRvlFlashControlProvider::kIID, "IRvlFlashControlProvider"},
    {IRvlFlashControl::kIID, "IRvlFlashControl"},
};

std::string interfaceKey(const IID& iid) {
  return "Interface\\" + comlite::guidToString(iid);
}

comlite::ClassInfo classInfo(const CLSID& clsid, const char* progId, const char* description,
                             comlite::CreateFn create) {
  return {clsid, description, std::string(progId) + ".1", progId, "Apartment", {}, create};
}

comlite::Module& module() {
  static comlite::Module m(
      {
          classInfo(kClsidPropertyRegistry, kProgIdPropertyRegistry, "Ravelin Property Registry",
                    &comlite::createObject<detail::PropertyRegistryObject>),
          classInfo(kClsidPropertyManager, kProgIdPropertyManager, "Ravelin Property Manager",
                    &comlite::createObject<detail::PropertyManagerObject>),
          classInfo(kClsidRealArray, kProgIdRealArray, "Ravelin Real Array",
                    &comlite::createObject<detail::RealArrayObject>),
          classInfo(kClsidIntegerArray, kProgIdIntegerArray, "Ravelin Integer Array",
                    &comlite::createObject<detail::IntegerArrayObject>),
          classInfo(kClsidBasicPhase, kProgIdBasicPhase, "Ravelin Basic Phase",
                    &detail::PhaseObject::createInstance),
          classInfo(kClsidPhaseCollection, kProgIdPhaseCollection, "Ravelin Phase Collection",
                    &detail::PhaseCollectionObject::createInstance),
          classInfo(kClsidCompound, kProgIdCompound, "Ravelin Compound",
                    &comlite::createObject<detail::CompoundObject>),
          classInfo(kClsidCompoundList, kProgIdCompoundList, "Ravelin Compound List",
                    &comlite::createObject<detail::CompoundListObject>),
          classInfo(kClsidErrorLog, kProgIdErrorLog, "Ravelin Error Log",
                    &comlite::createObject<detail::ErrorLogObject>),
          classInfo(kClsidFlashControl, kProgIdFlashControl, "Ravelin Flash Control",
                    &comlite::createObject<detail::FlashControlObject>),
      },
      {{kCatThermoMethods, LCID_ENGLISH_US, kCatThermoMethodsDescription}});
  static const bool hooked = [] {
    m.extraRegistration = [](comlite::registry::Data& data, const std::string&) {
      for (const auto& i : kPublished) data.setValue(interfaceKey(i.iid), "", i.name);
    };
    m.extraUnregistration = [](comlite::registry::Data& data) {
      for (const auto& i : kPublished) data.deleteTree(interfaceKey(i.iid));
    };
    return true;
  }();
  (void)hooked;
  return m;
}

}  // namespace

}  // namespace ravelin

COMLITE_MODULE_EXPORTS(ravelin::module())
