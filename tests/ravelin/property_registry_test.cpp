#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "comlite/bstr.h"
#include "host_fixture.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_registry.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"

using comlite::Bstr;
using comlite::ComPtr;
using ravelintest::hex;
using ravelintest::HostFramework;
using ::testing::Each;

namespace {

LONG strict(IPropertyEnumerationRegistry* r, const char* name, HRESULT* hr) {
  LONG id = 12345;
  *hr = r->GetPropertyID(Bstr(name).get(), &id);
  return id;
}

}  // namespace

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

TEST_F(HostFramework, registry_refuses_bad_arguments) {
  auto registry = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  ASSERT_TRUE(registry);
  Bstr name("Enthalpy"), empty(""), out;
  LONG id = 0;
  EXPECT_THAT(
      (std::vector<HRESULT>{
          registry->GetPropertyID(nullptr, &id), registry->GetPropertyID(empty.get(), &id),
          registry->FindPropertyID(nullptr, &id, ravelin::kAddIfMissing),
          registry->FindPropertyID(name.get(), &id, 7), registry->GetPropertyName(0, out.out()),
          registry->GetPropertyName(ravelin::kNoPropertyId, out.out())}),
      Each(E_INVALIDARG));
  EXPECT_EQ(out.get(), nullptr);
  EXPECT_THAT(
      (std::vector<HRESULT>{registry->GetPropertyID(name.get(), nullptr),
                            registry->FindPropertyID(name.get(), nullptr, 0),
                            registry->GetPropertyName(ravelin::propertyId("Enthalpy"), nullptr),
                            registry->get_Count(nullptr)}),
      Each(E_POINTER));
}

TEST(PropertyNames, builder_lookups_agree_with_the_table) {
  EXPECT_EQ(ravelin::propertyName(ravelin::propertyId("LnFugacityCoeff")), "LnFugacityCoeff");
  EXPECT_THROW(ravelin::requirePropertyId("NotAHostName"), std::invalid_argument);
  EXPECT_THROW(ravelin::addPropertyName(""), std::invalid_argument);
  EXPECT_EQ(ravelin::propertyId(""), ravelin::kNoPropertyId);
  EXPECT_EQ(ravelin::propertyName(0), "");
  const auto names = ravelin::knownPropertyNames();
  ASSERT_FALSE(names.empty());
  // Ids follow the table order, so names come back in id order.
  EXPECT_EQ(ravelin::propertyId(names.front()) + 1, ravelin::propertyId(names[1]));
}
