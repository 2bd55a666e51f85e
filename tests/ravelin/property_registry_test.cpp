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

namespace {

//! Every host name a package asks the registry for: state and phase properties, derivative
//! variables, compound constant codes and the flash control options.
const char* const kNamesAPackageUses[] = {"Temperature",
                                          "Pressure",
                                          "LnFugacityCoeff",
                                          "LnFugacity",
                                          "Enthalpy",
                                          "Entropy",
                                          "Cp",
                                          "MolarVolume",
                                          "Cv",
                                          "PhaseFraction",
                                          "Viscosity",
                                          "ThermalConductivity",
                                          "LnActivityCoeff",
                                          "SurfaceTension",
                                          "ZFactor",
                                          "Gibbs",
                                          "Helmholtz",
                                          "InternalEnergy",
                                          "ExcessEnthalpy",
                                          "ExcessGibbs",
                                          "StdLiqVolume",
                                          "LnActivityCoefficient",
                                          "KFactor",
                                          "H.DT",
                                          "MolarDensity",
                                          "dT",
                                          "dP",
                                          "dN",
                                          "dX",
                                          "MW",
                                          "TC",
                                          "PC",
                                          "VC",
                                          "ZC",
                                          "ACEN",
                                          "NBP",
                                          "SLDN",
                                          "DM",
                                          "RG",
                                          "HFUS",
                                          "HVP",
                                          "VP",
                                          "IGHF25",
                                          "IGGF25",
                                          "SP",
                                          "CASN",
                                          "IupacName",
                                          "ChemicalFormula",
                                          "I_O_PVNONSAT",
                                          "I_O_PVSAT"};

LONG strict(IPropertyEnumerationRegistry* r, const char* name, HRESULT* hr) {
  LONG id = 12345;
  Bstr b(name);
  *hr = r->GetPropertyID(b.get(), &id);
  return id;
}

}  // namespace

TEST_F(HostFramework, registry_knows_every_name_a_package_looks_up_with_distinct_ids) {
  auto registry = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  ASSERT_TRUE(registry);
  std::set<LONG> ids;
  for (const char* name : kNamesAPackageUses) {
    HRESULT hr = E_FAIL;
    const LONG id = strict(registry.get(), name, &hr);
    EXPECT_EQ(hr, S_OK) << name << " " << hex(hr);
    EXPECT_NE(id, 0) << name;
    EXPECT_NE(id, ravelin::kNoPropertyId) << name;
    ids.insert(id);
    // The name comes back as spelled.
    Bstr back;
    ASSERT_EQ(registry->GetPropertyName(id, back.out()), S_OK);
    EXPECT_EQ(back.utf8(), name);
  }
  EXPECT_EQ(ids.size(), std::size(kNamesAPackageUses));
  LONG count = 0;
  ASSERT_EQ(registry->get_Count(&count), S_OK);
  EXPECT_GE(count, static_cast<LONG>(std::size(kNamesAPackageUses)));
}

TEST_F(HostFramework, ids_are_the_same_for_every_registry_object_and_ignore_letter_case) {
  auto one = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  auto two = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  auto callback = create<IRvlFlashControlProvider>(ravelin::kClsidPropertyManager);
  ASSERT_TRUE(one && two && callback);
  auto third = callback.as<IPropertyEnumerationRegistry>();
  ASSERT_TRUE(third);
  HRESULT hr = E_FAIL;
  const LONG enthalpy = strict(one.get(), "Enthalpy", &hr);
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(strict(two.get(), "Enthalpy", &hr), enthalpy);
  EXPECT_EQ(strict(third.get(), "ENTHALPY", &hr), enthalpy);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(ravelin::propertyId("enthalpy"), enthalpy);
  EXPECT_NE(strict(one.get(), "Entropy", &hr), enthalpy);
}

TEST_F(HostFramework, strict_lookup_of_an_unknown_name_fails_and_lenient_lookup_answers_none) {
  auto registry = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  ASSERT_TRUE(registry);
  HRESULT hr = S_OK;
  EXPECT_EQ(strict(registry.get(), "NoSuchProperty", &hr), ravelin::kNoPropertyId);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME) << hex(hr);

  Bstr unknown("NoSuchProperty");
  LONG id = 77;
  EXPECT_EQ(registry->FindPropertyID(unknown.get(), &id, ravelin::kFindOnly), S_FALSE);
  EXPECT_EQ(id, ravelin::kNoPropertyId);

  Bstr known("Viscosity");
  EXPECT_EQ(registry->FindPropertyID(known.get(), &id, ravelin::kFindOnly), S_OK);
  EXPECT_EQ(id, ravelin::propertyId("Viscosity"));

  // Nothing was added by the lookups above.
  EXPECT_EQ(ravelin::propertyId("NoSuchProperty"), ravelin::kNoPropertyId);
}

TEST_F(HostFramework, lenient_lookup_can_add_a_name_which_then_keeps_its_id) {
  auto registry = create<IPropertyEnumerationRegistry>(ravelin::kClsidPropertyRegistry);
  ASSERT_TRUE(registry);
  Bstr name("UserPropertyForRegistryTest");
  LONG added = 0;
  ASSERT_EQ(registry->FindPropertyID(name.get(), &added, ravelin::kAddIfMissing), S_OK);
  EXPECT_NE(added, ravelin::kNoPropertyId);
  LONG again = 0;
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
  Bstr name("Enthalpy");
  Bstr empty("");
  LONG id = 0;
  EXPECT_EQ(registry->GetPropertyID(name.get(), nullptr), E_POINTER);
  EXPECT_EQ(registry->GetPropertyID(nullptr, &id), E_INVALIDARG);
  EXPECT_EQ(registry->GetPropertyID(empty.get(), &id), E_INVALIDARG);
  EXPECT_EQ(registry->FindPropertyID(name.get(), nullptr, 0), E_POINTER);
  EXPECT_EQ(registry->FindPropertyID(nullptr, &id, ravelin::kAddIfMissing), E_INVALIDARG);
  EXPECT_EQ(registry->FindPropertyID(name.get(), &id, 7), E_INVALIDARG);
  Bstr out;
  EXPECT_EQ(registry->GetPropertyName(0, out.out()), E_INVALIDARG);
  EXPECT_EQ(out.get(), nullptr);
  EXPECT_EQ(registry->GetPropertyName(ravelin::kNoPropertyId, out.out()), E_INVALIDARG);
  EXPECT_EQ(registry->GetPropertyName(ravelin::propertyId("Enthalpy"), nullptr), E_POINTER);
  EXPECT_EQ(registry->get_Count(nullptr), E_POINTER);
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
