#include "vocabulary/co_ids.h"

#include <gtest/gtest.h>

#include <string>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "support/notice_fixture.h"

namespace {

using comlite::Variant;
using coravl_test::NoticeFixture;

std::string text(BSTR s) {
  return comlite::bstrToUtf8(s);
}

TEST(COIdsTable, every_identifier_is_found_again_in_its_group_and_out_of_range_is_refused) {
  const LONG end = COIds::count();
  for (LONG bad : {14, -1}) EXPECT_EQ(COIds::groupStart(bad), -1);
  for (LONG bad : {LONG{0}, end, LONG{-3}}) EXPECT_EQ(COIds::id2str(bad), nullptr);
  EXPECT_EQ(COIds::id2cstr(end), nullptr);
  for (LONG id = 1; id < end; ++id) {
    BSTR s = COIds::id2str(id);
    ASSERT_NE(s, nullptr) << id;
    EXPECT_EQ(text(s), COIds::id2cstr(id));
    const LONG group = COIds::groupOf(id);
    ASSERT_GE(group, 0);
    EXPECT_TRUE(COIds::isOfType(id, group));
    EXPECT_EQ(COIds::str2id(s, group), id) << text(s);
  }
  EXPECT_EQ(COIds::groupOf(end), -1);
}

TEST(COIdsTable, property_kinds_and_derivative_codes) {
  EXPECT_FALSE(COIds::isOfType(29, COIds::GroupDerivSuffix));
  EXPECT_FALSE(COIds::isOfType(5, 13));
  EXPECT_TRUE(COIds::isBasisDependent(COIds::PropEnthalpy));
  EXPECT_FALSE(COIds::isBasisDependent(30));
  EXPECT_TRUE(COIds::isCompoundVector(29, 27));
  EXPECT_FALSE(COIds::isCompoundVector(COIds::PropEnthalpy, 0));
  EXPECT_TRUE(COIds::isCompoundVector(COIds::PropEnthalpy, 25));  // by composition
  EXPECT_TRUE(COIds::isMaterialStateProp(u"fraction"));
  EXPECT_TRUE(COIds::isMaterialStateProp("TotalFlow"));
  EXPECT_FALSE(COIds::isMaterialStateProp("enthalpy"));
  EXPECT_FALSE(COIds::isMaterialStateProp(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(COIds::isCalculatedProp(COIds::PropFraction));
  EXPECT_TRUE(COIds::isCalculatedProp(COIds::PropEnthalpy));
  EXPECT_EQ(COIds::derivativeCount(), 5);
  EXPECT_EQ(COIds::derivativeCode(35, 28), 2035);
  EXPECT_EQ(COIds::derivativeCode(35, 0), 35);
  EXPECT_EQ(COIds::derivativeIndex(29), -1);
  for (LONG bad : {5, -1}) EXPECT_EQ(COIds::derivativeVariable(bad), -1);
  for (LONG i = 0; i < 5; ++i) EXPECT_EQ(COIds::derivativeIndex(COIds::derivativeVariable(i)), i);
}

class COIdsReports : public NoticeFixture {};

TEST_F(COIdsReports, phase_rules_report_the_ids_they_do_not_handle) {
  EXPECT_TRUE(COIds::isTwoPhase(COIds::PhaseLiquidLiquid));
  EXPECT_FALSE(COIds::isTwoPhase(COIds::PhaseVapor));
  EXPECT_FALSE(COIds::isTwoPhase(0));
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseAqueous), 2);
  for (LONG slot = 0; slot < 4; ++slot)
    EXPECT_EQ(COIds::COphaseId2offset(COIds::offset2COphaseId(slot)), slot);
  for (LONG bad : {4, -1}) EXPECT_EQ(COIds::offset2COphaseId(bad), 0);
  EXPECT_TRUE(COIds::isStringConstProp(81));
  EXPECT_FALSE(COIds::isStringConstProp(82));
  EXPECT_TRUE(m_notices.empty());

  EXPECT_FALSE(COIds::isTwoPhase(COIds::PropEnthalpy));
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseVaporLiquid), 3);
  EXPECT_EQ(COIds::COphaseId2offset(500), 3);
  EXPECT_FALSE(COIds::isStringConstProp(COIds::PropEnthalpy));
  EXPECT_FALSE(COIds::isStringConstProp(999));
  ASSERT_EQ(m_notices.size(), 5u);
  const char* want[] = {
      "isTwoPhase:  ERROR: Argument must be phase identifier",
      "COIds::COphaseId2offset:  ERROR: Selvar Quorel does not support phase = VaporLiquid. This "
      "phase will be ignored.",
      "COIds::COphaseId2offset:  ERROR: Selvar Quorel does not support phase = . This phase will "
      "be ignored.",
      "enthalpy:  ERROR: Argument of isStringConstProp must be constant property identifier",
      " ERROR: Argument of isStringConstProp must be constant property identifier"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(m_notices[i].text, want[i]);
  // Reports are traced as well.
  EXPECT_NE(readFile(traceFile()).find("Argument must be phase identifier"), std::string::npos);
}

TEST_F(COIdsReports, derivative_names_are_built_and_taken_apart) {
  EXPECT_EQ(COIds::createDerivative(30, 26).narrow(), "fugacityCoefficient.Dmoles");
  EXPECT_EQ(COIds::createDerivative(35, 0).narrow(), "enthalpy");
  struct Case {
    const char* name;
    LONG root, variable;
  } cases[] = {
      {"enthalpy.Dtemperature", 35, 27}, {"logFugacityCoefficient.DmolFraction", 32, 25},
      {"ENTHALPY.dTEMPERATURE", 0, -1},  // ".D" itself is exact
      {"Enthalpy.DTEMPERATURE", 35, 27}, {"enthalpy", 0, 0},
      {"wobble.Dtemperature", -1, 0},    {"enthalpy.Dvolume", 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(COIds::getDerivativeRoot(c.name), c.root) << c.name;
    if (c.variable >= 0) {
      EXPECT_EQ(COIds::getDerivativeVariable(c.name), c.variable) << c.name;
    }
  }
  EXPECT_EQ(COIds::getDerivativeRoot(u"volume.Dpressure"), 38);
  EXPECT_EQ(COIds::getDerivativeVariable(u"volume.Dpressure"), 28);
  EXPECT_EQ(COIds::getDerivativeRoot(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(COIds::getRootProperty("enthalpy.Dtemperature", 28), 0);
  EXPECT_EQ(COIds::getRootProperty("enthalpy.Dtemperature", 23), 35);
  EXPECT_EQ(COIds::getRootProperty(".Dtemperature", 27), 0);  // no root at all
  EXPECT_TRUE(m_notices.empty());

  EXPECT_EQ(COIds::createDerivative(35, 11).narrow(), "enthalpy");
  EXPECT_EQ(COIds::getRootProperty("enthalpy.enthalpy", 35), 0);
  ASSERT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[0].text,
            " ERROR: wrong value for createDerivative's 2nd arg. It should start with Pd");
  EXPECT_EQ(m_notices[1].text, " ERROR: getRootProperty works with Pd not with Pp");
}

// The split of the vapour-liquid pair serves every two-phase calculation test.
TEST_F(COIdsReports, two_phase_labels_split_into_a_two_element_list) {
  Variant pair, old = Variant::fromString("old");
  SetGet::Create(pair, VT_BSTR, 2);
  SetGet::noCopyVariantPutV(pair, 0, old);  // replaced (and freed) by the split
  EXPECT_TRUE(COIds::splitTwoPhase(u"LiquidLiquid", pair));
  EXPECT_EQ(SetGet::variantToStr(pair), "(Liquid, Liquid2)");
  EXPECT_FALSE(COIds::splitTwoPhase(u"Vapor", pair));
  EXPECT_FALSE(COIds::splitTwoPhase(nullptr, pair));
  EXPECT_EQ(SetGet::variantToStr(pair), "(Liquid, Liquid2)");
  Variant three, numbers;
  SetGet::Create(three, VT_BSTR, 3);
  SetGet::Create(numbers, VT_I4, 2);
  for (Variant* v : {&three, &numbers, &old})
    EXPECT_FALSE(COIds::splitTwoPhase(u"LiquidLiquid", *v));
  EXPECT_EQ(SetGet::variantToStr(three), "(, , )");
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(COIdsReports, entry_checks_show_an_error_notice_and_go_on) {
  LONG built = 5;
  { COId fine(5, "fine", built); }
  EXPECT_TRUE(m_notices.empty());
  { COId misplaced(9, "misplaced", built); }
  EXPECT_EQ(built, 7);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, "COIds::COId: mismatch between array pos (6: misplaced) and id(9)");
  EXPECT_EQ(m_notices[0].title, "ERROR");
  const std::string longName(46, 'x');
  // Both checks failing: the second message replaces the first.
  { COId both(1, longName.c_str(), built); }
  EXPECT_EQ(m_notices.back().text, "COIds::COId: property identifier '" + longName +
                                       "' in array pos 1 is longer than expected (45)");
  // The buffer is bounded.
  const std::string huge(1000, 'h');
  { COId bounded(9, huge.c_str(), built); }
  EXPECT_EQ(m_notices.back().text.size(), 299u);
  { COId marker(178, built); }
  EXPECT_EQ(built, 178);

  LONG groups = 0;
  COIdsType first(0, 0, groups);
  COIdsType wrong(5, 11, groups);
  EXPECT_EQ(m_notices.back().text, "COIds::COIdsType: mismatch between array pos (1) and id(5)");
  COIdsType closing(13, 178, groups, true);
  EXPECT_EQ(closing.firstId(), 178);
}

}  // namespace
