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

TEST_F(HostFramework, objects_answer_the_interfaces_they_implement_and_only_those) {
  auto compound = create<IRvlCompound>(ravelin::kClsidCompound);
  ASSERT_TRUE(compound);
  EXPECT_TRUE(compound.as<IRvlComponent>() && compound.as<IRvlCompoundData>() &&
              compound.as<IRvlCompoundConstants>() && compound.as<IRvlCompoundModification>());
  auto real = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  auto phase = create<IBasicPhase>(ravelin::kClsidBasicPhase);
  ASSERT_TRUE(real && phase);
  HRESULT hr = S_OK;
  EXPECT_FALSE(real.as<IIntegerArrayDisp>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_FALSE(phase.as<IPhaseCollection>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
}

TEST_F(HostFramework, class_object_creates_independent_objects_and_unload_waits_for_them) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(ravelin::kClsidRealArray, 23, nullptr, IClassFactory::kIID,
                             factory.putVoid()),
            S_OK);
  ComPtr<IRealArrayDisp> a, b;
  ASSERT_EQ(factory->CreateInstance(nullptr, IRealArrayDisp::kIID, a.putVoid()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IRealArrayDisp::kIID, b.putVoid()), S_OK);
  ASSERT_EQ(a->SetSize(3), S_OK);
  EXPECT_EQ(ravelintest::got(b, &IRealArrayDisp::get_Count), 0);
  ComPtr<IUnknown> inner;
  EXPECT_EQ(factory->CreateInstance(a.get(), IUnknown::kIID, inner.putVoid()),
            CLASS_E_NOAGGREGATION);
  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_handle, "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  EXPECT_EQ(getClassObject(IBasicPhase::kIID, IClassFactory::kIID, factory.putVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(getClassObject(ravelin::kClsidBasicPhase, IClassFactory::kIID, nullptr), E_POINTER);
  EXPECT_EQ(call("DllCanUnloadNow"), S_FALSE);
}

TEST_F(HostFramework,
       registration_names_the_derivative_request_interface_and_unregistration_removes_it) {
  auto d = loadRegistry();
  for (auto [iid, name] : {std::pair{IRvlDerivativeRequests::kIID, "IRvlDerivativeRequests"},
                           {IBasicPhase::kIID, "IBasicPhase"},
                           {IDerivativeCalculation::kIID, "IDerivativeCalculation"}})
    EXPECT_EQ(d.value(interfaceKey(iid)), name);
  ASSERT_EQ(call("DllRegisterServer"), S_OK);  // again: one entry per key
  EXPECT_EQ(loadRegistry().value(interfaceKey(IRvlDerivativeRequests::kIID)),
            "IRvlDerivativeRequests");
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
