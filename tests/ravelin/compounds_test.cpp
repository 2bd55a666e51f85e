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
using ravelintest::HostFramework;

namespace {

template <class I>
ComPtr<I> as(const ravelin::Compound& c) {
  ComPtr<I> out;
  EXPECT_EQ(c.dispatch()->QueryInterface(I::kIID, out.putVoid()), S_OK);
  return out;
}

ravelin::Compound hypothetical() {
  return ravelin::Compound::create({"C7+*", "", "", 20003, {{"MW", 100.2}}});
}

}  // namespace

TEST_F(HostFramework, compound_identity_reads_back_with_absent_texts_as_null) {
  auto list = ravelintest::threeCompounds();
  auto water = as<IRvlCompound>(list.at(2));
  Bstr text;
  ASSERT_EQ(water->get_Name(text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "Water");
  ASSERT_EQ(water->get_CASNumber(text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "7732-18-5");
  ASSERT_EQ(water->get_Formula(text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "H2O");
  LONG id = 0;
  ASSERT_EQ(water->get_IDNumber(&id), S_OK);
  EXPECT_EQ(id, 62);
  VARIANT_BOOL hypo = VARIANT_TRUE;
  ASSERT_EQ(water->get_IsHypothetical(&hypo), S_OK);
  EXPECT_EQ(hypo, VARIANT_FALSE);

  auto c7 = as<IRvlCompound>(hypothetical());
  ASSERT_EQ(c7->get_IsHypothetical(&hypo), S_OK);
  EXPECT_EQ(hypo, VARIANT_TRUE);
  ASSERT_EQ(c7->get_CASNumber(text.out()), S_OK);
  EXPECT_EQ(text.get(), nullptr);

  EXPECT_EQ(water->get_Name(nullptr), E_POINTER);
  EXPECT_EQ(water->get_IDNumber(nullptr), E_POINTER);
  EXPECT_EQ(water->get_IsHypothetical(nullptr), E_POINTER);
}

TEST_F(HostFramework, compound_values_at_a_state_come_from_its_constants) {
  auto list = ravelintest::threeCompounds();
  auto propane = list.at(1);
  auto compound = as<IRvlCompound>(propane);
  double v = 0;
  ASSERT_EQ(compound->GetNormalBoilingPoint(273.15, 101.325, &v), S_OK);
  EXPECT_EQ(v, 231.02);
  ASSERT_EQ(compound->GetMolecularWeight(273.15, 101.325, &v), S_OK);
  EXPECT_EQ(v, 44.097);
  auto component = as<IRvlComponent>(propane);
  Bstr mw("MW"), lower("mw"), tc("TC"), unknown("Colour");
  ASSERT_EQ(component->GetPropertyValue(mw.get(), 273.15, 101.325, &v), S_OK);
  EXPECT_EQ(v, 44.097);
  ASSERT_EQ(component->GetPropertyValue(lower.get(), 273.15, 101.325, &v), S_OK);
  EXPECT_EQ(v, 44.097);
  EXPECT_EQ(component->GetPropertyValue(tc.get(), 273.15, 101.325, &v), RAVELIN_E_NOVALUE);
  EXPECT_EQ(component->GetPropertyValue(unknown.get(), 273.15, 101.325, &v), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(component->GetPropertyValue(nullptr, 273.15, 101.325, &v), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(component->GetPropertyValue(mw.get(), 0.0, 101.325, &v), E_INVALIDARG);
  EXPECT_EQ(component->GetPropertyValue(mw.get(), 273.15, -1.0, &v), E_INVALIDARG);
  EXPECT_EQ(component->GetPropertyValue(mw.get(), 273.15, 101.325, nullptr), E_POINTER);

  auto bare = as<IRvlCompound>(ravelin::Compound::create({"X", "", "", 20004, {}}));
  EXPECT_EQ(bare->GetMolecularWeight(273.15, 101.325, &v), RAVELIN_E_NOVALUE);
  EXPECT_EQ(bare->GetNormalBoilingPoint(273.15, 101.325, &v), RAVELIN_E_NOVALUE);
}

TEST_F(HostFramework, constants_handed_over_are_kept_in_host_units_under_the_registry_spelling) {
  auto c7 = hypothetical();
  auto constants = as<IRvlCompoundConstants>(c7);
  Bstr pc("pc"), vc("VC"), unknown("Colour"), casn("CASN");
  ASSERT_EQ(constants->SetConstant(pc.get(), ravelin::kHostUnits, 2735.0), S_OK);
  ASSERT_EQ(constants->SetConstant(vc.get(), ravelin::kHostUnits, 0.43), S_OK);
  EXPECT_EQ(c7.constant("PC"), 2735.0);
  EXPECT_EQ(c7.constants().count("PC"), 1u);
  EXPECT_EQ(c7.constant("VC"), 0.43);

  EXPECT_EQ(constants->SetConstant(unknown.get(), ravelin::kHostUnits, 1.0), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(constants->SetConstant(vc.get(), 0, 1.0), E_INVALIDARG);
  EXPECT_EQ(constants->SetConstant(vc.get(), 2, 1.0), E_INVALIDARG);
  EXPECT_EQ(constants->SetConstant(vc.get(), ravelin::kHostUnits,
                                   std::numeric_limits<double>::quiet_NaN()),
            E_INVALIDARG);
  EXPECT_EQ(c7.constant("VC"), 0.43);

  auto data = as<IRvlCompoundData>(c7);
  LONG count = 0;
  ASSERT_EQ(data->get_ConstantCount(&count), S_OK);
  EXPECT_EQ(count, 3);  // MW, PC, VC
  Bstr name;
  ASSERT_EQ(data->GetConstantName(0, name.out()), S_OK);
  EXPECT_EQ(name.utf8(), "MW");
  EXPECT_EQ(data->GetConstantName(3, name.out()), DISP_E_BADINDEX);
  double v = 0;
  ASSERT_EQ(data->GetConstant(pc.get(), &v), S_OK);
  EXPECT_EQ(v, 2735.0);
  EXPECT_EQ(data->GetConstant(casn.get(), &v), RAVELIN_E_NOVALUE);

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
  VARIANT_BOOL modified = VARIANT_TRUE;
  ASSERT_EQ(modification->get_Modified(&modified), S_OK);
  EXPECT_EQ(modified, VARIANT_FALSE);

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
  ASSERT_EQ(modification->get_Modified(&modified), S_OK);
  EXPECT_EQ(modified, VARIANT_TRUE);

  ASSERT_EQ(modification->BeginEdit(), S_OK);
  ASSERT_EQ(constants->SetConstant(tc.get(), ravelin::kHostUnits, 1.0), S_OK);
  ASSERT_EQ(modification->EndEdit(-1), S_OK);
  EXPECT_EQ(c7.constant("TC"), 540.0);
  EXPECT_EQ(modification->get_Modified(nullptr), E_POINTER);
}

TEST_F(HostFramework, compound_list_gives_items_by_position_and_name) {
  auto list = ravelintest::threeCompounds();
  ComPtr<IRvlCompoundList> iface;
  ASSERT_EQ(list.dispatch()->QueryInterface(IRvlCompoundList::kIID, iface.putVoid()), S_OK);
  LONG n = 0;
  ASSERT_EQ(iface->get_Count(&n), S_OK);
  EXPECT_EQ(n, 3);
  ComPtr<IDispatch> item;
  ASSERT_EQ(iface->get_Item(0, item.put()), S_OK);
  EXPECT_TRUE(comlite::sameObject(item.get(), list.at(0).dispatch()));
  EXPECT_EQ(iface->get_Item(3, item.put()), DISP_E_BADINDEX);
  EXPECT_FALSE(item);
  EXPECT_EQ(iface->get_Item(-1, item.put()), DISP_E_BADINDEX);
  EXPECT_EQ(iface->get_Item(0, nullptr), E_POINTER);
  Bstr propane("PROPANE"), nothing("Argon");
  LONG index = -1;
  ASSERT_EQ(iface->IndexOf(propane.get(), &index), S_OK);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(iface->IndexOf(nothing.get(), &index), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(iface->IndexOf(nullptr, &index), E_INVALIDARG);
  EXPECT_THROW(list.at(3), std::out_of_range);

  auto created = create<IRvlCompoundList>(ravelin::kClsidCompoundList);
  ASSERT_TRUE(created);
  ASSERT_EQ(created->get_Count(&n), S_OK);
  EXPECT_EQ(n, 0);
}
