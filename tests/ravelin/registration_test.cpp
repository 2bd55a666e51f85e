#include <gtest/gtest.h>

#include "comlite/categories.h"
#include "comlite/registry.h"
#include "host_fixture.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "outside/ravelin_registry.h"

using comlite::ComPtr;
using ravelintest::HostFramework;

namespace {

comlite::registry::Data loadRegistry() {
  comlite::registry::Data d;
  EXPECT_EQ(comlite::registry::load(d), S_OK);
  return d;
}

std::string interfaceKey(const IID& iid) {
  return "Interface\\" + comlite::guidToString(iid);
}

struct ClassCase {
  CLSID clsid;
  const char* progId;
};

const ClassCase kClasses[] = {
    {ravelin::kClsidPropertyRegistry, ravelin::kProgIdPropertyRegistry},
    {ravelin::kClsidPropertyManager, ravelin::kProgIdPropertyManager},
    {ravelin::kClsidRealArray, ravelin::kProgIdRealArray},
    {ravelin::kClsidIntegerArray, ravelin::kProgIdIntegerArray},
    {ravelin::kClsidBasicPhase, ravelin::kProgIdBasicPhase},
    {ravelin::kClsidPhaseCollection, ravelin::kProgIdPhaseCollection},
    {ravelin::kClsidCompound, ravelin::kProgIdCompound},
    {ravelin::kClsidCompoundList, ravelin::kProgIdCompoundList},
    {ravelin::kClsidErrorLog, ravelin::kProgIdErrorLog},
    {ravelin::kClsidFlashControl, ravelin::kProgIdFlashControl},
};

}  // namespace

TEST_F(HostFramework, registration_publishes_every_class_with_its_prog_ids) {
  auto d = loadRegistry();
  for (const auto& c : kClasses) {
    const std::string key = "CLSID\\" + comlite::guidToString(c.clsid);
    EXPECT_EQ(d.value(key + "\\InprocServer32"), m_module) << c.progId;
    EXPECT_EQ(d.value(key + "\\InprocServer32", "ThreadingModel"), "Apartment") << c.progId;
    EXPECT_EQ(d.value(std::string(c.progId) + "\\CurVer"), std::string(c.progId) + ".1");
    EXPECT_EQ(comlite::classIdOf(c.progId), c.clsid) << c.progId;
    EXPECT_EQ(comlite::classIdOf(std::string(c.progId) + ".1"), c.clsid) << c.progId;
  }
  EXPECT_EQ(comlite::categoryDescription(d, ravelin::kCatThermoMethods, LCID_ENGLISH_US),
            "Thermodynamic Property Calculation Methods");
}

TEST_F(HostFramework, every_class_is_created_by_class_id_and_answers_its_interfaces) {
  EXPECT_TRUE(create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry));
  auto manager = create<IRvlFlashControlProvider>(ravelin::kClsidPropertyManager);
  ASSERT_TRUE(manager);
  EXPECT_TRUE(manager.as<IPropertyEnumerationRegistry>());
  auto real = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(real);
  EXPECT_TRUE(real.as<IRealArrayBlock>());
  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(integer);
  EXPECT_TRUE(integer.as<IIntegerArrayBlock>());
  auto phase = create<IBasicPhase>(ravelin::kClsidBasicPhase);
  ASSERT_TRUE(phase);
  EXPECT_TRUE(phase.as<IRvlSubCompList>());
  EXPECT_TRUE(phase.as<IRvlDerivativeRequests>());
  auto collection = create<IPhaseCollection>(ravelin::kClsidPhaseCollection);
  ASSERT_TRUE(collection);
  EXPECT_TRUE(collection.as<IRvlPhaseMove>());
  auto compound = create<IRvlCompound>(ravelin::kClsidCompound);
  ASSERT_TRUE(compound);
  EXPECT_TRUE(compound.as<IRvlComponent>());
  EXPECT_TRUE(compound.as<IRvlCompoundData>());
  EXPECT_TRUE(compound.as<IRvlCompoundConstants>());
  EXPECT_TRUE(compound.as<IRvlCompoundModification>());
  EXPECT_TRUE(create<IRvlCompoundList>(ravelin::kClsidCompoundList));
  EXPECT_TRUE(create<IRvlErrorLog>(ravelin::kClsidErrorLog));
  EXPECT_TRUE(create<IRvlFlashControl>(ravelin::kClsidFlashControl));

  // Objects only answer what they implement.
  HRESULT hr = S_OK;
  EXPECT_FALSE(real.as<IIntegerArrayDisp>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_FALSE(phase.as<IPhaseCollection>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
}

TEST_F(HostFramework, a_class_object_kept_creates_several_independent_arrays) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(ravelin::kClsidRealArray, 23, nullptr, IClassFactory::kIID,
                             factory.putVoid()),
            S_OK);
  ComPtr<IRealArrayDisp> a, b;
  ASSERT_EQ(factory->CreateInstance(nullptr, IRealArrayDisp::kIID, a.putVoid()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IRealArrayDisp::kIID, b.putVoid()), S_OK);
  ASSERT_EQ(a->SetSize(3), S_OK);
  LONG n = -1;
  ASSERT_EQ(b->get_Count(&n), S_OK);
  EXPECT_EQ(n, 0);
  ComPtr<IUnknown> outer;
  ASSERT_EQ(factory->CreateInstance(nullptr, IUnknown::kIID, outer.putVoid()), S_OK);
  ComPtr<IUnknown> inner;
  EXPECT_EQ(factory->CreateInstance(outer.get(), IUnknown::kIID, inner.putVoid()),
            CLASS_E_NOAGGREGATION);
}

TEST_F(HostFramework,
       registration_names_the_derivative_request_interface_and_unregistration_removes_it) {
  auto d = loadRegistry();
  EXPECT_EQ(d.value(interfaceKey(IRvlDerivativeRequests::kIID)), "IRvlDerivativeRequests");
  EXPECT_EQ(d.value(interfaceKey(IBasicPhase::kIID)), "IBasicPhase");
  EXPECT_EQ(d.value(interfaceKey(IDerivativeCalculation::kIID)), "IDerivativeCalculation");
  EXPECT_EQ(d.value(interfaceKey(IRvlErrorLog::kIID)), "IRvlErrorLog");

  // Registering again keeps one entry per key.
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  d = loadRegistry();
  EXPECT_EQ(d.value(interfaceKey(IRvlDerivativeRequests::kIID)), "IRvlDerivativeRequests");

  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  d = loadRegistry();
  EXPECT_FALSE(d.hasKey(interfaceKey(IRvlDerivativeRequests::kIID)));
  EXPECT_FALSE(d.hasKey(interfaceKey(IPropertyEnumerationRegistry::kIID)));
  EXPECT_FALSE(d.hasKey("CLSID\\" + comlite::guidToString(ravelin::kClsidBasicPhase)));
  EXPECT_FALSE(d.hasKey(ravelin::kProgIdBasicPhase));
  EXPECT_EQ(comlite::classIdOf(ravelin::kProgIdBasicPhase), GUID_NULL);
  // The category belongs to every package that implements it and stays.
  EXPECT_EQ(comlite::categoryDescription(d, ravelin::kCatThermoMethods, LCID_ENGLISH_US),
            "Thermodynamic Property Calculation Methods");
  ComPtr<IBasicPhase> phase;
  EXPECT_EQ(CoCreateInstance(ravelin::kClsidBasicPhase, nullptr, CLSCTX_INPROC_SERVER,
                             IBasicPhase::kIID, phase.putVoid()),
            REGDB_E_CLASSNOTREG);
}

TEST_F(HostFramework, class_object_refuses_other_classes_and_unload_waits_for_objects) {
  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_handle, "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IBasicPhase::kIID, IClassFactory::kIID, factory.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(getClassObject(ravelin::kClsidBasicPhase, IClassFactory::kIID, nullptr), E_POINTER);

  auto phase = create<IBasicPhase>(ravelin::kClsidBasicPhase);
  EXPECT_EQ(call("DllCanUnloadNow"), S_FALSE);
}
