//! The host framework's registration, property registry, arrays and error log, created by
//! class id as a package would create them.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "comlite/bstr.h"
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
#include "ravelin/arrays.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"

using comlite::Bstr;
using comlite::ComPtr;
using ravelintest::got;
using ravelintest::hex;
using ravelintest::HostFramework;
using RA = IRealArrayDisp;

namespace {

comlite::registry::Data loadRegistry() {
  comlite::registry::Data d;
  EXPECT_EQ(comlite::registry::load(d), S_OK);
  return d;
}

std::string interfaceKey(const IID& iid) {
  return "Interface\\" + comlite::guidToString(iid);
}

LONG strict(IPropertyEnumerationRegistry* r, const char* name, HRESULT* hr) {
  LONG id = 12345;
  *hr = r->GetPropertyID(Bstr(name).get(), &id);
  return id;
}

}  // namespace

TEST_F(HostFramework,
       registration_names_the_derivative_request_interface_and_unregistration_removes_it) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);  // again: one entry per key
  EXPECT_EQ(loadRegistry().value(interfaceKey(IRvlDerivativeRequests::kIID)),
            "IRvlDerivativeRequests");
  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  auto d = loadRegistry();
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

TEST_F(HostFramework, registry_ids_are_distinct_shared_by_every_registry_object_and_caseless) {
  auto one = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  auto callback = create<IRvlFlashControlProvider>(ravelin::kClsidPropertyManager);
  ASSERT_TRUE(one && callback);
  auto other = callback.as<IPropertyEnumerationRegistry>();
  ASSERT_TRUE(other);
  // A state property, a phase property, a derivative variable, a constant, a flash option.
  std::set<LONG> ids;
  for (const char* name : {"Temperature", "LnFugacityCoeff", "H.DT", "dX", "IGHF25", "I_O_PVSAT"}) {
    HRESULT hr = E_FAIL;
    const LONG id = strict(one.get(), name, &hr);
    EXPECT_EQ(hr, S_OK) << name << " " << hex(hr);
    EXPECT_NE(id, ravelin::kNoPropertyId) << name;
    ids.insert(id);
    Bstr back;
    ASSERT_EQ(one->GetPropertyName(id, back.out()), S_OK);
    EXPECT_EQ(back.utf8(), name);  // as spelled
  }
  EXPECT_EQ(ids.size(), 6u);
  LONG count = 0;
  ASSERT_EQ(one->get_Count(&count), S_OK);
  EXPECT_EQ(count, static_cast<LONG>(ravelin::knownPropertyNames().size()));
  HRESULT hr = E_FAIL;
  const LONG enthalpy = strict(one.get(), "Enthalpy", &hr);
  EXPECT_EQ(strict(other.get(), "ENTHALPY", &hr), enthalpy);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(ravelin::propertyId("enthalpy"), enthalpy);
}

TEST_F(HostFramework, unknown_names_fail_strictly_answer_none_leniently_or_are_added_for_good) {
  auto registry = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  ASSERT_TRUE(registry);
  HRESULT hr = S_OK;
  EXPECT_EQ(strict(registry.get(), "NoSuchProperty", &hr), ravelin::kNoPropertyId);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME) << hex(hr);
  LONG id = 77;
  EXPECT_EQ(registry->FindPropertyID(Bstr("NoSuchProperty").get(), &id, ravelin::kFindOnly),
            S_FALSE);
  EXPECT_EQ(id, ravelin::kNoPropertyId);
  EXPECT_EQ(registry->FindPropertyID(Bstr("Viscosity").get(), &id, ravelin::kFindOnly), S_OK);
  EXPECT_EQ(id, ravelin::propertyId("Viscosity"));
  EXPECT_EQ(ravelin::propertyId("NoSuchProperty"), ravelin::kNoPropertyId);  // nothing added

  Bstr name("UserPropertyForRegistryTest");
  LONG added = 0, again = 0;
  ASSERT_EQ(registry->FindPropertyID(name.get(), &added, ravelin::kAddIfMissing), S_OK);
  EXPECT_NE(added, ravelin::kNoPropertyId);
  ASSERT_EQ(registry->GetPropertyID(name.get(), &again), S_OK);
  EXPECT_EQ(again, added);
  ASSERT_EQ(registry->FindPropertyID(name.get(), &again, ravelin::kAddIfMissing), S_OK);
  EXPECT_EQ(again, added);
  Bstr back;
  ASSERT_EQ(registry->GetPropertyName(added, back.out()), S_OK);
  EXPECT_EQ(back.utf8(), "UserPropertyForRegistryTest");
}

TEST_F(HostFramework, arrays_are_read_and_replaced_whole_and_read_back_by_the_builder) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(a);
  auto block = a.as<IRealArrayBlock>();
  ASSERT_TRUE(block);
  const double in[] = {0.1, 0.2, 0.7};
  ASSERT_EQ(block->SetValues(3, in), S_OK);
  EXPECT_EQ(got(a, &RA::get_Count), 3);
  EXPECT_EQ(got(a, &RA::get_IthValue, 2), 0.7);
  std::vector<double> out(3);
  ASSERT_EQ(block->GetValues(3, out.data()), S_OK);
  EXPECT_EQ(out, (std::vector<double>{0.1, 0.2, 0.7}));
  // The block is read whole or not at all.
  EXPECT_EQ((std::vector<HRESULT>{block->GetValues(2, out.data()), block->GetValues(4, out.data()),
                                  block->GetValues(3, nullptr), block->SetValues(-1, in),
                                  block->SetValues(2, nullptr)}),
            (std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, E_POINTER, E_INVALIDARG, E_POINTER}));
  ASSERT_EQ(block->SetValues(0, nullptr), S_OK);
  EXPECT_EQ(got(a, &RA::get_Count), 0);

  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  const LONG idx[] = {2, 0, 1};
  ASSERT_EQ(integer.as<IIntegerArrayBlock>()->SetValues(3, idx), S_OK);
  EXPECT_EQ(got(integer, &IIntegerArrayDisp::get_IthValue, 0), 2);

  // The builder reads back what was written through the interface.
  ASSERT_EQ(a->SetSize(2), S_OK);
  ASSERT_EQ(a->put_IthValue(1, 4.5), S_OK);
  auto handle = ravelin::RealArray::from(a.get());
  ASSERT_TRUE(handle);
  EXPECT_EQ(handle->values(), (std::vector<double>{0.0, 4.5}));
  // An integer array is not a real array, and neither is a foreign object.
  EXPECT_FALSE(ravelin::RealArray::from(integer.get()));
  EXPECT_FALSE(ravelin::RealArray::from(nullptr));
  auto ints = ravelin::IntegerArray::create(std::vector<LONG>{3, 1});
  ComPtr<IIntegerArrayDisp> iface;
  ASSERT_EQ(ints.dispatch()->QueryInterface(IIntegerArrayDisp::kIID, iface.putVoid()), S_OK);
  EXPECT_EQ(got(iface, &IIntegerArrayDisp::get_IthValue, 1), 1);
}

TEST_F(HostFramework, error_log_keeps_messages_in_order_with_their_status_and_level) {
  auto iface = create<IRvlErrorLog>(ravelin::kClsidErrorLog);
  ASSERT_TRUE(iface);
  auto log = ravelin::ErrorLog::from(iface.get());
  ASSERT_TRUE(log);
  Bstr first("CAPE-OPEN P. Package 'X' error: <<bad T>>"), second("trace line \xC3\xA9");
  ASSERT_EQ(iface->AddMessage(E_FAIL, first.get(), -1, VARIANT_TRUE), S_OK);
  ASSERT_EQ(iface->AddMessage(0, second.get(), 0, VARIANT_FALSE), S_OK);
  ASSERT_EQ(iface->AddMessage(0, nullptr, 0, VARIANT_TRUE), S_OK);
  const auto entries = log->entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].status, E_FAIL);
  EXPECT_EQ(entries[0].message, "CAPE-OPEN P. Package 'X' error: <<bad T>>");
  EXPECT_EQ(entries[0].level, -1);
  EXPECT_TRUE(entries[0].show);
  EXPECT_FALSE(entries[1].show);
  EXPECT_EQ(entries[2].message, "");
  EXPECT_EQ(ravelintest::got(iface, &IRvlErrorLog::get_Count), 3);
  LONG status = 0, level = 5;
  Bstr text;
  ASSERT_EQ(iface->GetMessage(1, &status, text.out(), &level), S_OK);
  EXPECT_EQ(text.utf8(), "trace line \xC3\xA9");
  EXPECT_EQ(level, 0);
  EXPECT_EQ(iface->GetMessage(3, &status, text.out(), &level), DISP_E_BADINDEX);
  EXPECT_EQ(iface->GetMessage(0, nullptr, text.out(), &level), E_POINTER);
  ASSERT_EQ(iface->Clear(), S_OK);
  EXPECT_TRUE(log->entries().empty());

  // A closed log refuses messages, so the caller falls back to its own output.
  log->setAccepting(false);
  EXPECT_EQ(iface->AddMessage(0, first.get(), 0, VARIANT_TRUE), E_FAIL);
  EXPECT_TRUE(log->entries().empty());
  EXPECT_EQ(log->refusedCount(), 1u);
  log->setAccepting(true);
  EXPECT_EQ(iface->AddMessage(0, first.get(), 0, VARIANT_TRUE), S_OK);
  EXPECT_EQ(log->entries().size(), 1u);
}
