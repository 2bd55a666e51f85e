#include "vocabulary/co_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "support/notice_fixture.h"
#include "base/set_get.h"

namespace {

using comlite::Variant;
using coravl_test::NoticeFixture;

std::string text(BSTR s) {
  return comlite::bstrToUtf8(s);
}

TEST(COIdsTable, is_loaded_with_178_entries_in_13_groups) {
  EXPECT_EQ(COIds::count(), 178);
  EXPECT_EQ(COIds::groupCount(), 13);
  const LONG starts[] = {0, 11, 13, 15, 23, 27, 78, 118, 124, 129, 137, 143, 174, 178};
  for (LONG g = 0; g <= 13; ++g) EXPECT_EQ(COIds::groupStart(g), starts[g]) << g;
  EXPECT_EQ(COIds::groupStart(14), -1);
  EXPECT_EQ(COIds::groupStart(-1), -1);

  EXPECT_EQ(COIds::id2str(0), nullptr);
  EXPECT_EQ(COIds::id2str(178), nullptr);
  EXPECT_EQ(COIds::id2str(-3), nullptr);
  EXPECT_EQ(COIds::id2cstr(178), nullptr);
  std::size_t longest = 0;
  for (LONG id = 1; id < 178; ++id) {
    BSTR s = COIds::id2str(id);
    ASSERT_NE(s, nullptr) << id;
    longest = std::max<std::size_t>(longest, SysStringLen(s));
    EXPECT_EQ(text(s), COIds::id2cstr(id));
    // Every identifier is found again in its own group.
    const LONG group = COIds::groupOf(id);
    ASSERT_GE(group, 0);
    EXPECT_TRUE(COIds::isOfType(id, group));
    EXPECT_EQ(COIds::str2id(s, group), id) << text(s);
  }
  EXPECT_EQ(longest, 41u);
  EXPECT_EQ(COIds::groupOf(178), -1);
  EXPECT_EQ(COIds::groupOf(0), COIds::GroupPhase);

  // Named ids name the right strings.
  EXPECT_EQ(text(COIds::id2str(COIds::PhaseVapor)), "Vapor");
  EXPECT_EQ(text(COIds::id2str(COIds::PropEnthalpy)), "enthalpy");
  EXPECT_EQ(text(COIds::id2str(COIds::DerivTemperature)), "temperature");
  EXPECT_EQ(text(COIds::id2str(COIds::PdMolFraction)), ".DmolFraction");
  EXPECT_EQ(text(COIds::id2str(COIds::PropEnthalpyDtemperature)), "enthalpy.Dtemperature");
  EXPECT_EQ(text(COIds::id2str(COIds::ConstSMILESformula)), "SMILESformula");
  EXPECT_EQ(text(COIds::id2str(COIds::DescAqueousLiquidPhase)), "The aqueous liquid phase");
  EXPECT_EQ(text(COIds::id2str(COIds::TDepVolumeOfSolid)), "VolumeOfSolid");
  EXPECT_EQ(text(COIds::id2str(COIds::PDepSolidSolidPhaseTransitionTemperature)),
            "solidSolidPhaseTransitionTemperature");
  EXPECT_EQ(text(COIds::dotD()), ".D");
  EXPECT_EQ(text(COIds::volumeDpressure()), "volume.Dpressure");
}

TEST(COIdsTable, id2bstr_hands_out_a_copy) {
  BSTR copy = COIds::id2bstr(COIds::PhaseLiquid);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, COIds::id2str(COIds::PhaseLiquid));
  EXPECT_EQ(text(copy), "Liquid");
  SysFreeString(copy);
  EXPECT_EQ(COIds::id2bstr(0), nullptr);
}

TEST(COIdsTable, lookups_by_string_name_their_group) {
  EXPECT_EQ(COIds::str2id(u"LIQUID", COIds::GroupPhase), 4);
  EXPECT_EQ(COIds::str2id("Liquid", COIds::GroupProperty), -1);
  for (LONG g = 0; g < 13; ++g) EXPECT_EQ(COIds::str2id(u"", g), 0);
  EXPECT_EQ(COIds::str2id(static_cast<const OLECHAR*>(nullptr), 3), 0);
  EXPECT_EQ(COIds::str2id("mass", COIds::GroupBasis), 14);
  EXPECT_EQ(COIds::str2id("mass", COIds::GroupProperty), 76);
  EXPECT_EQ(COIds::str2id("molecularWeight", COIds::GroupConstProp), 82);
  EXPECT_EQ(COIds::str2id("molecularWeight", COIds::GroupProperty), 77);
  EXPECT_EQ(COIds::str2id("idealGasEnthalpy", COIds::GroupTDependentProp), 154);
  // From an id onwards, to the end of the table.
  EXPECT_EQ(COIds::str2id("molecularWeight", COIds::GroupProperty, 0, true), 77);
  EXPECT_EQ(COIds::str2id("molecularWeight", COIds::GroupProperty, 78, true), 82);
  EXPECT_EQ(COIds::str2id("molecularWeight", COIds::GroupProperty, 78, false), -1);
  EXPECT_EQ(COIds::str2id("boilingPointTemperature", COIds::GroupPhase, 0, true), 174);
  EXPECT_EQ(COIds::str2id("Vapor", 13), -1);
  EXPECT_EQ(COIds::str2id("Vapor", -1), -1);
  EXPECT_EQ(COIds::str2id("Vapo", COIds::GroupPhase), -1);
}

TEST(COIdsTable, groups_rules_and_derivative_codes) {
  EXPECT_TRUE(COIds::isOfType(27, COIds::GroupDerivSuffix));
  EXPECT_TRUE(COIds::isOfType(28, COIds::GroupDerivSuffix));
  EXPECT_FALSE(COIds::isOfType(29, COIds::GroupDerivSuffix));
  EXPECT_TRUE(COIds::isOfType(26, COIds::GroupDerivSuffix));
  EXPECT_FALSE(COIds::isOfType(27, COIds::GroupFlashSpec));
  EXPECT_FALSE(COIds::isOfType(5, 13));

  const std::set<LONG> basis = {29, 35, 36, 37, 38, 39, 40, 41, 42, 43,
                                44, 57, 58, 59, 60, 61, 62, 64, 65};
  for (LONG id = 0; id < 178; ++id) EXPECT_EQ(COIds::isBasisDependent(id), basis.count(id) == 1);
  const std::set<LONG> vectors = {29, 30, 31, 32, 33, 34, 41, 45, 49, 50, 51, 94};
  for (LONG id = 0; id < 178; ++id) {
    EXPECT_EQ(COIds::isCompoundVector(id, 0), vectors.count(id) == 1) << id;
    EXPECT_EQ(COIds::isCompoundVector(id, 27), vectors.count(id) == 1) << id;
    EXPECT_TRUE(COIds::isCompoundVector(id, 25));
    EXPECT_TRUE(COIds::isCompoundVector(id, 26));
  }

  EXPECT_TRUE(COIds::isMaterialStateProp(u"fraction"));
  EXPECT_TRUE(COIds::isMaterialStateProp("TotalFlow"));
  EXPECT_TRUE(COIds::isMaterialStateProp("phaseFraction"));
  EXPECT_TRUE(COIds::isMaterialStateProp("flow"));
  EXPECT_FALSE(COIds::isMaterialStateProp("enthalpy"));
  EXPECT_FALSE(COIds::isMaterialStateProp("nonsense"));
  EXPECT_FALSE(COIds::isMaterialStateProp(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(COIds::isCalculatedProp(COIds::PropFraction));
  EXPECT_TRUE(COIds::isCalculatedProp(COIds::PropEnthalpy));

  EXPECT_EQ(COIds::derivativeCount(), 5);
  EXPECT_EQ(COIds::derivativeCode(35, 28), 2035);
  EXPECT_EQ(COIds::derivativeCode(35, 0), 35);
  EXPECT_EQ(COIds::derivativeCode(30, 26), 4030);
  EXPECT_EQ(COIds::derivativeIndex(29), -1);
  EXPECT_EQ(COIds::derivativeIndex(25), 3);
  EXPECT_EQ(COIds::derivativeVariable(5), -1);
  EXPECT_EQ(COIds::derivativeVariable(-1), -1);
  const LONG list[] = {0, 27, 28, 25, 26};
  for (LONG i = 0; i < 5; ++i) {
    EXPECT_EQ(COIds::derivativeVariable(i), list[i]);
    EXPECT_EQ(COIds::derivativeIndex(list[i]), i);
  }
}

class COIdsReports : public NoticeFixture {};

TEST_F(COIdsReports, phase_rules_report_ids_they_do_not_handle) {
  EXPECT_TRUE(COIds::isTwoPhase(COIds::PhaseVaporLiquid));
  EXPECT_TRUE(COIds::isTwoPhase(COIds::PhaseLiquidLiquid));
  EXPECT_FALSE(COIds::isTwoPhase(COIds::PhaseVapor));
  EXPECT_FALSE(COIds::isTwoPhase(0));
  EXPECT_TRUE(m_notices.empty());
  EXPECT_FALSE(COIds::isTwoPhase(COIds::PropEnthalpy));
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, "isTwoPhase:  ERROR: Argument must be phase identifier");
  // Reports are traced as well.
  EXPECT_NE(readFile(traceFile()).find("Argument must be phase identifier"), std::string::npos);

  m_notices.clear();
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseVapor), 0);
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseLiquid), 1);
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseLiquid2), 2);
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseAqueous), 2);
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseOverall), 3);
  EXPECT_TRUE(m_notices.empty());
  EXPECT_EQ(COIds::COphaseId2offset(COIds::PhaseVaporLiquid), 3);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            "COIds::COphaseId2offset:  ERROR: Selvar Quorel does not support phase = VaporLiquid. "
            "This phase will be ignored.");
  EXPECT_EQ(COIds::COphaseId2offset(500), 3);
  EXPECT_EQ(m_notices.back().text,
            "COIds::COphaseId2offset:  ERROR: Selvar Quorel does not support phase = . This phase "
            "will be ignored.");

  for (LONG slot = 0; slot < 4; ++slot)
    EXPECT_EQ(COIds::COphaseId2offset(COIds::offset2COphaseId(slot)), slot);
  EXPECT_EQ(COIds::offset2COphaseId(4), 0);
  EXPECT_EQ(COIds::offset2COphaseId(-1), 0);
}

TEST_F(COIdsReports, string_constants_are_the_first_four_of_their_group) {
  for (LONG id = 78; id <= 117; ++id) EXPECT_EQ(COIds::isStringConstProp(id), id <= 81) << id;
  EXPECT_TRUE(m_notices.empty());
  EXPECT_FALSE(COIds::isStringConstProp(COIds::PropEnthalpy));
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            "enthalpy:  ERROR: Argument of isStringConstProp must be constant property identifier");
  EXPECT_FALSE(COIds::isStringConstProp(999));
  EXPECT_EQ(m_notices.back().text,
            " ERROR: Argument of isStringConstProp must be constant property identifier");
}

TEST_F(COIdsReports, derivative_names_are_built_and_taken_apart) {
  EXPECT_EQ(COIds::createDerivative(35, 27).narrow(), "enthalpy.Dtemperature");
  EXPECT_EQ(COIds::createDerivative(38, 28).narrow(), "volume.Dpressure");
  EXPECT_EQ(COIds::createDerivative(30, 26).narrow(), "fugacityCoefficient.Dmoles");
  EXPECT_EQ(COIds::createDerivative(30, 25).narrow(), "fugacityCoefficient.DmolFraction");
  EXPECT_EQ(COIds::createDerivative(35, 0).narrow(), "enthalpy");
  EXPECT_TRUE(m_notices.empty());
  EXPECT_EQ(COIds::createDerivative(35, 11).narrow(), "enthalpy");
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            " ERROR: wrong value for createDerivative's 2nd arg. It should start with Pd");

  m_notices.clear();
  EXPECT_EQ(COIds::getDerivativeRoot("enthalpy.Dtemperature"), 35);
  EXPECT_EQ(COIds::getDerivativeVariable("enthalpy.Dtemperature"), 27);
  EXPECT_EQ(COIds::getDerivativeRoot(u"volume.Dpressure"), 38);
  EXPECT_EQ(COIds::getDerivativeVariable(u"volume.Dpressure"), 28);
  EXPECT_EQ(COIds::getDerivativeRoot("fugacityCoefficient.Dmoles"), 30);
  EXPECT_EQ(COIds::getDerivativeVariable("fugacityCoefficient.Dmoles"), 26);
  EXPECT_EQ(COIds::getDerivativeRoot("logFugacityCoefficient.DmolFraction"), 32);
  EXPECT_EQ(COIds::getDerivativeVariable("logFugacityCoefficient.DmolFraction"), 25);
  EXPECT_EQ(COIds::getDerivativeRoot("ENTHALPY.dTEMPERATURE"), 0);  // ".D" itself is exact
  EXPECT_EQ(COIds::getDerivativeRoot("Enthalpy.DTEMPERATURE"), 35);
  EXPECT_EQ(COIds::getDerivativeRoot("enthalpy"), 0);
  EXPECT_EQ(COIds::getDerivativeVariable("enthalpy"), 0);
  EXPECT_EQ(COIds::getDerivativeRoot("wobble.Dtemperature"), -1);
  EXPECT_EQ(COIds::getDerivativeVariable("wobble.Dtemperature"), 0);
  EXPECT_EQ(COIds::getDerivativeRoot("enthalpy.Dvolume"), 0);
  EXPECT_EQ(COIds::getDerivativeRoot(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(COIds::getRootProperty("enthalpy.Dtemperature", 28), 0);
  EXPECT_EQ(COIds::getRootProperty("enthalpy.Dtemperature", 23), 35);
  EXPECT_EQ(COIds::getRootProperty(".Dtemperature", 27), 0);  // no root at all
  EXPECT_TRUE(m_notices.empty());

  // A property id is not a derivative variable: reported, and the lookup goes on with its
  // text, which never follows the '.'.
  EXPECT_EQ(COIds::getRootProperty("enthalpy.enthalpy", 35), 0);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, " ERROR: getRootProperty works with Pd not with Pp");
}

TEST_F(COIdsReports, two_phase_labels_split_into_a_two_element_list) {
  Variant pair;
  SetGet::Create(pair, VT_BSTR, 2);
  Variant old = Variant::fromString("old");
  SetGet::noCopyVariantPutV(pair, 0, old);  // replaced (and freed) by the split
  EXPECT_TRUE(COIds::splitTwoPhase(COIds::id2str(COIds::PhaseVaporLiquid), pair));
  EXPECT_EQ(SetGet::variantToStr(pair), "(Vapor, Liquid)");
  EXPECT_TRUE(COIds::splitTwoPhase(u"LiquidLiquid", pair));
  EXPECT_EQ(SetGet::variantToStr(pair), "(Liquid, Liquid2)");
  EXPECT_FALSE(COIds::splitTwoPhase(u"Vapor", pair));
  EXPECT_FALSE(COIds::splitTwoPhase(nullptr, pair));
  EXPECT_EQ(SetGet::variantToStr(pair), "(Liquid, Liquid2)");

  Variant three;
  SetGet::Create(three, VT_BSTR, 3);
  EXPECT_FALSE(COIds::splitTwoPhase(u"LiquidLiquid", three));
  EXPECT_EQ(SetGet::variantToStr(three), "(, , )");
  Variant numbers;
  SetGet::Create(numbers, VT_I4, 2);
  EXPECT_FALSE(COIds::splitTwoPhase(u"LiquidLiquid", numbers));
  EXPECT_FALSE(COIds::splitTwoPhase(u"LiquidLiquid", old));
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(COIdsReports, entry_checks_show_an_error_notice_and_go_on) {
  LONG built = 5;
  {
    COId fine(5, "fine", built);
    EXPECT_EQ(built, 6);
    EXPECT_EQ(text(fine.wide()), "fine");
  }
  EXPECT_TRUE(m_notices.empty());
  {
    COId misplaced(9, "misplaced", built);
    EXPECT_EQ(built, 7);
  }
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, "COIds::COId: mismatch between array pos (6: misplaced) and id(9)");
  EXPECT_EQ(m_notices[0].title, "ERROR");
  EXPECT_EQ(m_notices[0].style, 0x1000u);
  const std::string longName(46, 'x');
  { COId tooLong(7, longName.c_str(), built); }
  EXPECT_EQ(m_notices.back().text, "COIds::COId: property identifier '" + longName +
                                       "' in array pos 7 is longer than expected (45)");
  // Both checks failing: the second message replaces the first.
  { COId both(1, longName.c_str(), built); }
  EXPECT_EQ(m_notices.back().text, "COIds::COId: property identifier '" + longName +
                                       "' in array pos 1 is longer than expected (45)");
  EXPECT_EQ(m_notices.size(), 3u);
  // The buffer is bounded.
  const std::string huge(1000, 'h');
  { COId bounded(9, huge.c_str(), built); }
  EXPECT_EQ(m_notices.back().text.size(), 299u);
  {
    COId marker(178, built);
    EXPECT_EQ(built, 178);
  }

  LONG groups = 0;
  COIdsType first(0, 0, groups);
  COIdsType wrong(5, 11, groups);
  EXPECT_EQ(m_notices.back().text, "COIds::COIdsType: mismatch between array pos (1) and id(5)");
  EXPECT_EQ(m_notices.back().title, "ERROR");
  COIdsType closing(13, 178, groups, true);
  EXPECT_EQ(groups, 13);
  EXPECT_EQ(closing.firstId(), 178);
}

}  // namespace
