//! QoUtils: the compound name match, application versions from loaded modules, host id slots
//! and the CAS-number file with its messages.

#include "setup/qo_utils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/module_fixture.h"

namespace {

class QoUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QoUtils::resetForTests();
    // Computed already, so that a table query does not read the file beside the module.
    QoUtils::setVersionsForTests(0, 0);
  }
  void TearDown() override { QoUtils::resetForTests(); }

  std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = m_env.dir().file(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  //! `count` well-formed lines with ids 1, 2, ... (ids past 999 continue from 3000).
  static std::string lines(int count) {
    std::ostringstream out;
    for (int i = 1; i <= count; ++i) {
      const int id = i <= 999 ? i : 3000 + (i - 1000);
      out << id << ", C" << i << " " << i << "-00-0\n";
    }
    return out.str();
  }
  bool noticed(const std::string& part) const {
    for (const auto& n : m_env.notices)
      if (n.text.find(part) != std::string::npos) return true;
    return false;
  }

  testsupport::ModuleEnvironment m_env;
};

}  // namespace

TEST(CompoundNameMatch, star_suffix_matches_in_either_order_and_empties_never_match) {
  EXPECT_TRUE(QoUtils::compoundNamesMatch(u"Water*", u"water"));
  EXPECT_TRUE(QoUtils::compoundNamesMatch(u"water", u"Water*"));
  EXPECT_TRUE(QoUtils::compoundNamesMatch(u"WATER", u"water"));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"Water**", u"water"));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"water", u"Water**"));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"", u""));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"*", u""));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"Waters", u"water"));  // not a star
  EXPECT_FALSE(QoUtils::compoundNamesMatch(u"Water*", u"Water*x"));
  EXPECT_TRUE(QoUtils::compoundNamesMatch(static_cast<const OLECHAR*>(u"Methane*"), u"methane"));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(static_cast<const OLECHAR*>(nullptr), u"methane"));
  EXPECT_TRUE(QoUtils::compoundNamesMatch(std::string_view("n-Butane"), "N-BUTANE*"));
  EXPECT_FALSE(QoUtils::compoundNamesMatch(std::string_view(""), ""));
}

TEST(QoVersions, first_two_numbers_of_the_version_text) {
  EXPECT_EQ(QoUtils::versionFromText("3.1.0.12"), 310);
  EXPECT_EQ(QoUtils::versionFromText("3, 1, 0, 12"), 310);
  EXPECT_EQ(QoUtils::versionFromText("4"), 400);
  EXPECT_EQ(QoUtils::versionFromText("v2.5 beta"), 250);
  EXPECT_EQ(QoUtils::versionFromText(""), 0);
  EXPECT_EQ(QoUtils::versionFromText("none"), 0);
}

TEST(QoVersions, a_loaded_module_gives_the_version_of_its_variable) {
  // The test program has the COM layer loaded as libcomlite.so, and no simulator.
  const char* variable = "CORAVL_TEST_MODULE_VERSION";
  {
    testsupport::ScopedEnv version(variable, "3.1.0.7");
    EXPECT_EQ(QoUtils::applicationVersion("comlite", variable), 310);
    EXPECT_EQ(QoUtils::applicationVersion("quorel", variable), 0);
    EXPECT_EQ(QoUtils::applicationVersion("kestrow", variable), 0);
  }
  ::unsetenv(variable);
  EXPECT_EQ(QoUtils::applicationVersion("comlite", variable), 0);
}

TEST(QoVersions, hypothetical_ids_start_at_20000) {
  QoUtils::setVersionsForTests(310, 0);
  EXPECT_EQ(QoUtils::hostVersion(), 310);
  EXPECT_FALSE(QoUtils::companionVersionNotZero());
  EXPECT_FALSE(QoUtils::isHypothetical(19999));
  EXPECT_TRUE(QoUtils::isHypothetical(20000));
  EXPECT_FALSE(QoUtils::isHypothetical(-2));
  QoUtils::resetForTests();
}

TEST(QoVersions, without_the_simulator_both_versions_are_0) {
  testsupport::ModuleEnvironment env;
  testsupport::ScopedEnv host(QoUtils::kHostVersionVariable, "3.1");
  testsupport::ScopedEnv companion(QoUtils::kCompanionVersionVariable, "2.0");
  QoUtils::resetForTests();
  EXPECT_EQ(QoUtils::hostVersion(), 0);
  EXPECT_EQ(QoUtils::companionVersion(), 0);
  QoUtils::resetForTests();
}

TEST(QoTable, slots_of_host_ids) {
  EXPECT_EQ(QoUtils::tableSlot(0), -1);
  EXPECT_EQ(QoUtils::tableSlot(1), 1);
  EXPECT_EQ(QoUtils::tableSlot(999), 999);
  EXPECT_EQ(QoUtils::tableSlot(1000), -1);
  EXPECT_EQ(QoUtils::tableSlot(2999), -1);
  EXPECT_EQ(QoUtils::tableSlot(3000), 1000);
  EXPECT_EQ(QoUtils::tableSlot(3768), 1768);
  EXPECT_EQ(QoUtils::tableSlot(3769), -1);
  EXPECT_EQ(QoUtils::tableSlot(20000), -1);
}

TEST_F(QoUtilsTest, first_query_reads_the_file_beside_the_module_once) {
  QoUtils::resetForTests();
  EXPECT_EQ(QoUtils::companionVersion(), 0);
  EXPECT_TRUE(noticed("Cannot open DltCASnos.txt"));
  const auto shown = m_env.notices.size();
  EXPECT_EQ(QoUtils::hostVersion(), 0);
  EXPECT_FALSE(QoUtils::isHypothetical(5));
  EXPECT_EQ(m_env.notices.size(), shown);
}

TEST_F(QoUtilsTest, missing_file_is_shown_and_leaves_an_empty_table) {
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("ok.txt", lines(3))), 4);
  EXPECT_EQ(QoUtils::readCasNumberFile(m_env.dir().file("absent.txt")), 0);
  EXPECT_TRUE(noticed("Cannot open DltCASnos.txt"));
  EXPECT_FALSE(QoUtils::tableName(1).has_value());
}

TEST_F(QoUtilsTest, short_file_warns_with_the_counter_and_the_expected_count) {
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("short.txt", lines(1762))), 1763);
  ASSERT_EQ(m_env.notices.size(), 1u);
  EXPECT_EQ(m_env.notices[0].text,
            "WARNING: only 1763 compounds (1764 were expected) were read from file "
            "DltCASnos.txt. ");
  EXPECT_EQ(m_env.notices[0].title, "");
  EXPECT_EQ(QoUtils::tableName(762), "C762");
  EXPECT_EQ(QoUtils::tableName(3000), "C1000");
  EXPECT_EQ(QoUtils::tableCasNumber(3762), "1762-00-0");
}

TEST_F(QoUtilsTest, full_file_reads_silently) {
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("full.txt", lines(1763))), 1764);
  EXPECT_TRUE(m_env.notices.empty());
  EXPECT_EQ(QoUtils::tableName(3763), "C1763");
}

TEST_F(QoUtilsTest, trailing_comma_of_a_name_and_null_cas_numbers) {
  const std::string text =
      "1, METHANE, 74-82-8\n"
      "2, ETHANE NULL\n"
      "  3,   PROPANE\t74-98-6\n"
      "2000, NOSLOT 1-1-1\n"
      "3005, HYPO 9-9-9\n";
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("t.txt", text)), 5);  // 4 stored
  EXPECT_EQ(QoUtils::tableName(1), "METHANE");
  EXPECT_EQ(QoUtils::tableCasNumber(1), "74-82-8");
  EXPECT_EQ(QoUtils::tableName(2), "ETHANE");
  EXPECT_FALSE(QoUtils::tableCasNumber(2).has_value());
  EXPECT_EQ(QoUtils::tableCasNumber(3), "74-98-6");
  EXPECT_FALSE(QoUtils::tableName(2000).has_value());
  EXPECT_EQ(QoUtils::tableName(3005), "HYPO");
  EXPECT_FALSE(QoUtils::tableName(4).has_value());
}

TEST_F(QoUtilsTest, each_bad_record_stops_the_reading_with_its_message) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"1, A 1-1-1\n2, B\n", "could not read 3 fields of one line"},
      {"1, A 1-1-1\n2;B 2-2-2\n", "could not read 3 fields of one line"},
      {"1, A 1-1-1\n2, ABCDEFGHIJKLMNOP 2-2-2\n3, C 3-3-3\n", "component name too long"},
      {"1, A 1-1-1\n2, B 123456-78-90\n3, C 3-3-3\n", "casno name too long"},
  };
  for (const Case& c : cases) {
    m_env.notices.clear();
    EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("bad.txt", c.text)), 2) << c.text;
    EXPECT_TRUE(noticed(c.message)) << c.text;
    EXPECT_FALSE(noticed("WARNING")) << c.text;
    EXPECT_EQ(QoUtils::tableName(1), "A") << c.text;  // kept
    EXPECT_FALSE(QoUtils::tableName(3).has_value()) << c.text;
  }
}

TEST_F(QoUtilsTest, longest_name_and_cas_number_are_accepted) {
  // 15 characters of name, 11 of CAS number; a trailing comma counts before it is removed.
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile(
                "limits.txt", "7, ABCDEFGHIJKLMNO 1234567-8-9\n8, ABCDEFGHIJKLMN, 1-1-1\n")),
            3);
  EXPECT_EQ(QoUtils::tableName(7), "ABCDEFGHIJKLMNO");
  EXPECT_EQ(QoUtils::tableCasNumber(7), "1234567-8-9");
  EXPECT_EQ(QoUtils::tableName(8), "ABCDEFGHIJKLMN");
}

TEST_F(QoUtilsTest, garbage_ends_the_reading_like_the_end_of_the_file) {
  EXPECT_EQ(QoUtils::readCasNumberFile(writeFile("g.txt", "1, A 1-1-1\nnot a line\n2, B 2\n")), 2);
  EXPECT_TRUE(noticed("WARNING: only 2 compounds (1764 were expected)"));
  EXPECT_FALSE(QoUtils::tableName(2).has_value());
}
