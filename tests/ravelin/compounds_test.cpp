#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "comlite/bstr.h"
#include "fluid_package.h"
#include "host_fixture.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_ids.h"

using comlite::Bstr;
using comlite::ComPtr;
using ravelintest::got;
using ravelintest::HostFramework;
using ::testing::Each;

namespace {

template <class I>
ComPtr<I> as(const ravelin::Compound& c) {
  return ComPtr<IDispatch>(c.dispatch()).as<I>();
}

ravelin::Compound hypothetical() {
  return ravelin::Compound::create({"C7+*", "", "", 20003, {{"MW", 100.2}}});
}

using C = IRvlCompound;
constexpr double kT = 273.15, kP = 101.325;

}  // namespace

TEST_F(HostFramework, compound_identity_and_values_at_a_state_come_from_its_data) {
  auto list = ravelintest::threeCompounds();
  auto water = as<IRvlCompound>(list.at(2));
  ASSERT_TRUE(water);
  // Names, CAS numbers and id numbers are matched by the socket in the compound list tests.
  EXPECT_EQ(got(water, &C::get_Formula), "H2O");
  EXPECT_EQ(got(water, &C::get_IsHypothetical), VARIANT_FALSE);
  auto c7 = as<IRvlCompound>(hypothetical());
  EXPECT_EQ(got(c7, &C::get_IsHypothetical), VARIANT_TRUE);
  Bstr text("x");
  ASSERT_EQ(c7->get_CASNumber(text.out()), S_OK);
  EXPECT_EQ(text.get(), nullptr);  // absent texts are null
  EXPECT_THAT((std::vector<HRESULT>{water->get_Name(nullptr), water->get_IDNumber(nullptr),
                                    water->get_IsHypothetical(nullptr)}),
              Each(E_POINTER));

  auto propane = as<IRvlCompound>(list.at(1));
  EXPECT_EQ(got(propane, &C::GetNormalBoilingPoint, kT, kP), 231.02);
  EXPECT_EQ(got(propane, &C::GetMolecularWeight, kT, kP), 44.097);
  auto component = as<IRvlComponent>(list.at(1));
  EXPECT_EQ(got(component, &IRvlComponent::GetPropertyValue, Bstr("mw").get(), kT, kP), 44.097);
  double v = 0;
  Bstr mw("MW");
  EXPECT_EQ((std::vector<HRESULT>{component->GetPropertyValue(Bstr("TC").get(), kT, kP, &v),
                                  component->GetPropertyValue(Bstr("Colour").get(), kT, kP, &v),
                                  component->GetPropertyValue(nullptr, kT, kP, &v),
                                  component->GetPropertyValue(mw.get(), 0.0, kP, &v),
                                  component->GetPropertyValue(mw.get(), kT, -1.0, &v),
                                  component->GetPropertyValue(mw.get(), kT, kP, nullptr)}),
            (std::vector<HRESULT>{RAVELIN_E_NOVALUE, DISP_E_UNKNOWNNAME, DISP_E_UNKNOWNNAME,
                                  E_INVALIDARG, E_INVALIDARG, E_POINTER}));
  auto bare = as<IRvlCompound>(ravelin::Compound::create({"X", "", "", 20004, {}}));
  EXPECT_EQ(bare->GetMolecularWeight(kT, kP, &v), RAVELIN_E_NOVALUE);
  EXPECT_EQ(bare->GetNormalBoilingPoint(kT, kP, &v), RAVELIN_E_NOVALUE);
}

TEST_F(HostFramework, constants_handed_over_are_kept_in_host_units_under_the_registry_spelling) {
  auto c7 = hypothetical();
  auto constants = as<IRvlCompoundConstants>(c7);
  Bstr pc("pc"), vc("VC");
  ASSERT_EQ(constants->SetConstant(pc.get(), ravelin::kHostUnits, 2735.0), S_OK);
  ASSERT_EQ(constants->SetConstant(vc.get(), ravelin::kHostUnits, 0.43), S_OK);
  EXPECT_EQ(c7.constant("PC"), 2735.0);
  EXPECT_EQ(c7.constants().count("PC"), 1u);
  EXPECT_EQ(constants->SetConstant(Bstr("Colour").get(), ravelin::kHostUnits, 1.0),
            DISP_E_UNKNOWNNAME);
  EXPECT_THAT(
      (std::vector<HRESULT>{constants->SetConstant(vc.get(), 0, 1.0),
                            constants->SetConstant(vc.get(), 2, 1.0),
                            constants->SetConstant(vc.get(), ravelin::kHostUnits,
                                                   std::numeric_limits<double>::quiet_NaN())}),
      Each(E_INVALIDARG));
  EXPECT_EQ(c7.constant("VC"), 0.43);

  auto data = as<IRvlCompoundData>(c7);
  using D = IRvlCompoundData;
  EXPECT_EQ(got(data, &D::get_ConstantCount), 3);  // MW, PC, VC
  EXPECT_EQ(got(data, &D::GetConstantName, 0), "MW");
  Bstr name;
  EXPECT_EQ(data->GetConstantName(3, name.out()), DISP_E_BADINDEX);
  EXPECT_EQ(got(data, &D::GetConstant, pc.get()), 2735.0);
  double v = 0;
  EXPECT_EQ(data->GetConstant(Bstr("CASN").get(), &v), RAVELIN_E_NOVALUE);
  ASSERT_EQ(constants->ClearConstant(vc.get()), S_OK);
  EXPECT_FALSE(c7.constant("VC"));
  EXPECT_EQ(constants->ClearConstant(vc.get()), RAVELIN_E_NOVALUE);
  EXPECT_THROW(ravelin::Compound::create({"Y", "", "", 20005, {{"Colour", 1.0}}}),
               std::invalid_argument);
}

TEST_F(HostFramework, edits_of_constants_are_committed_or_dropped_together) {
  auto c7 = hypothetical();
  auto constants = as<IRvlCompoundConstants>(c7);
  auto modification = as<IRvlCompoundModification>(c7);
  EXPECT_EQ(got(modification, &IRvlCompoundModification::get_Modified), VARIANT_FALSE);
  Bstr tc("TC"), mw("MW");
  ASSERT_EQ(constants->SetConstant(tc.get(), ravelin::kHostUnits, 540.0), S_OK);
  ASSERT_EQ(constants->SetConstant(mw.get(), ravelin::kHostUnits, 98.0), S_OK);
  ASSERT_EQ(modification->EndEdit(1), S_OK);  // dropped
  EXPECT_FALSE(c7.constant("TC"));
  EXPECT_EQ(c7.constant("MW"), 100.2);
  EXPECT_EQ(c7.commitCount(), 0);
  ASSERT_EQ(constants->SetConstant(tc.get(), ravelin::kHostUnits, 540.0), S_OK);
  ASSERT_EQ(modification->EndEdit(0), S_OK);  // kept
  EXPECT_EQ(c7.constant("TC"), 540.0);
  EXPECT_EQ(c7.commitCount(), 1);
  EXPECT_EQ(got(modification, &IRvlCompoundModification::get_Modified), VARIANT_TRUE);
  ASSERT_EQ(modification->BeginEdit(), S_OK);
  ASSERT_EQ(constants->SetConstant(tc.get(), ravelin::kHostUnits, 1.0), S_OK);
  ASSERT_EQ(modification->EndEdit(-1), S_OK);
  EXPECT_EQ(c7.constant("TC"), 540.0);
  EXPECT_EQ(modification->get_Modified(nullptr), E_POINTER);
}

TEST_F(HostFramework, compound_list_gives_items_by_position_and_name) {
  auto list = ravelintest::threeCompounds();
  auto iface = ComPtr<IDispatch>(list.dispatch()).as<IRvlCompoundList>();
  ASSERT_TRUE(iface);
  EXPECT_EQ(got(iface, &IRvlCompoundList::get_Count), 3);
  ComPtr<IDispatch> item;
  ASSERT_EQ(iface->get_Item(0, item.put()), S_OK);
  EXPECT_TRUE(comlite::sameObject(item.get(), list.at(0).dispatch()));
  EXPECT_EQ(iface->get_Item(3, item.put()), DISP_E_BADINDEX);
  EXPECT_FALSE(item);
  EXPECT_EQ(iface->get_Item(-1, item.put()), DISP_E_BADINDEX);
  EXPECT_EQ(iface->get_Item(0, nullptr), E_POINTER);
  EXPECT_EQ(got(iface, &IRvlCompoundList::IndexOf, Bstr("PROPANE").get()), 1);
  LONG index = 0;
  EXPECT_EQ(iface->IndexOf(Bstr("Argon").get(), &index), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(iface->IndexOf(nullptr, &index), E_INVALIDARG);
  EXPECT_THROW(list.at(3), std::out_of_range);
  auto created = create<IRvlCompoundList>(ravelin::kClsidCompoundList);
  EXPECT_EQ(got(created, &IRvlCompoundList::get_Count), 0);
}
