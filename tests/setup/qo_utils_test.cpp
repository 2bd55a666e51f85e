//! QoUtils: the compound name match, application versions from loaded modules, host id slots
//! and the CAS-number file with its messages.

#include "setup/qo_utils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "support/module_fixture.h"

namespace {

class QoUtilsTest : public ::testing::Test {
 protected:
  // Computed already, so that a table query does not read the file beside the module.
  void SetUp() override { QoUtils::setVersionsForTests(0, 0); }
  void TearDown() override { QoUtils::resetForTests(); }

  LONG read(const std::string& text) {
    const std::string path = m_env.dir().file("DltCASnos.txt");
    std::ofstream(path, std::ios::binary) << text;
    return QoUtils::readCasNumberFile(path);
  }
  std::string notices() const {
    std::string all;
    for (const auto& n : m_env.notices) all += n.text + "|";
    return all;
  }

  testsupport::ModuleEnvironment m_env;
};

}  // namespace

TEST(QoUtils, compound_name_match_takes_one_star_in_either_order_and_no_empties) {
  const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {{u"Water*", u"water", true},
                                                                      {u"water", u"Water*", true},
                                                                      {u"WATER", u"water", true},
                                                                      {u"Water**", u"water", false},
                                                                      {u"water", u"Water**", false},
                                                                      {u"", u"", false},
                                                                      {u"*", u"", false},
                                                                      {u"Waters", u"water", false},
                                                                      {nullptr, u"x", false}};
  for (auto [a, b, match] : cases) EXPECT_EQ(QoUtils::compoundNamesMatch(a, b), match);
  EXPECT_TRUE(QoUtils::compoundNamesMatch(std::string_view("n-Butane"), "N-BUTANE*"));
}

TEST(QoUtils, versions_come_from_a_loaded_module_and_its_variable) {
  for (auto [text, version] :
       {std::pair{"3.1.0.12", 310}, {"3, 1, 0, 12", 310}, {"4", 400}, {"none", 0}})
    EXPECT_EQ(QoUtils::versionFromText(text), version) << text;
  // The test program has libcomlite.so loaded, and no simulator.
  const char* variable = "CORAVL_TEST_MODULE_VERSION";
  {
    testsupport::ScopedEnv version(variable, "3.1.0.7");
    EXPECT_EQ(QoUtils::applicationVersion("comlite", variable), 310);
    EXPECT_EQ(QoUtils::applicationVersion("quorel", variable), 0);
  }
  EXPECT_EQ(QoUtils::applicationVersion("comlite", variable), 0);

  testsupport::ModuleEnvironment env;
  testsupport::ScopedEnv host(QoUtils::kHostVersionVariable, "3.1");
  testsupport::ScopedEnv companion(QoUtils::kCompanionVersionVariable, "2.0");
  QoUtils::resetForTests();
  EXPECT_EQ(QoUtils::hostVersion(), 0);
  EXPECT_FALSE(QoUtils::companionVersionNotZero());
  EXPECT_FALSE(QoUtils::isHypothetical(19999));
  EXPECT_TRUE(QoUtils::isHypothetical(20000));
  QoUtils::resetForTests();
}

TEST_F(QoUtilsTest, first_query_reads_the_file_beside_the_module_once) {
  QoUtils::resetForTests();
  EXPECT_EQ(QoUtils::companionVersion(), 0);
  EXPECT_NE(notices().find("Cannot open DltCASnos.txt"), std::string::npos) << notices();
  EXPECT_EQ(QoUtils::hostVersion(), 0);
  EXPECT_EQ(m_env.notices.size(), 1u);
}

TEST_F(QoUtilsTest, names_lose_a_trailing_comma_and_null_cas_numbers_are_absent) {
  EXPECT_EQ(read("1, METHANE, 74-82-8\n2, ETHANE NULL\n  3,   PROPANE\t74-98-6\n"
                 "2000, NOSLOT 1-1-1\n3005, ABCDEFGHIJKLMN, 1234567-8-9\n"),
            5);  // 4 stored: 2000 has no slot
  EXPECT_EQ(QoUtils::tableName(1), "METHANE");
  EXPECT_EQ(QoUtils::tableCasNumber(1), "74-82-8");
  EXPECT_FALSE(QoUtils::tableCasNumber(2).has_value());
  EXPECT_EQ(QoUtils::tableCasNumber(3), "74-98-6");
  EXPECT_EQ(QoUtils::tableName(3005), "ABCDEFGHIJKLMN");  // 15 characters with the comma
  EXPECT_EQ(QoUtils::tableCasNumber(3005), "1234567-8-9");
}

TEST_F(QoUtilsTest, each_bad_record_stops_the_reading_with_its_message) {
  const std::pair<const char*, const char*> cases[] = {
      {"1, A 1\n2, B\n", "could not read 3 fields of one line"},
      {"1, A 1\n2;B 2\n", "could not read 3 fields of one line"},
      {"1, A 1\n2, ABCDEFGHIJKLMNOP 2\n3, C 3\n", "component name too long"},
      {"1, A 1\n2, B 123456-78-90\n3, C 3\n", "casno name too long"},
      {"1, A 1\nnot a line\n2, B 2\n", "WARNING: only 2 compounds (1764 were expected)"},
  };
  for (auto [text, message] : cases) {
    m_env.notices.clear();
    EXPECT_EQ(read(text), 2) << text;
    ASSERT_EQ(m_env.notices.size(), 1u) << text;
    EXPECT_NE(notices().find(message), std::string::npos) << notices();
    EXPECT_EQ(QoUtils::tableName(1), "A") << text;  // kept
    EXPECT_FALSE(QoUtils::tableName(3).has_value()) << text;
  }
}

TEST_F(QoUtilsTest, the_table_shipped_beside_the_socket_is_complete_and_a_damaged_copy_is_not) {
  std::ifstream in(testsupport::libDir() + "/DltCASnos.txt", std::ios::binary);
  ASSERT_TRUE(in) << "the build places DltCASnos.txt in " << testsupport::libDir();
  const std::string shipped{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // Every slot of the table, and no message.
  EXPECT_EQ(read(shipped), 1769);
  EXPECT_EQ(notices(), "");
  EXPECT_EQ(QoUtils::tableName(1), "Methane");
  EXPECT_EQ(QoUtils::tableCasNumber(50), "7783-06-4");
  EXPECT_FALSE(QoUtils::tableCasNumber(999).has_value());  // a free slot
  // Cut short, or with a line damaged, it gives the reader's messages.
  EXPECT_EQ(read(shipped.substr(0, shipped.find("\n3000, "))), 1000);
  EXPECT_NE(notices().find("WARNING: only 1000 compounds (1764 were expected)"), std::string::npos)
      << notices();
  m_env.notices.clear();
  std::string broken = shipped;
  broken.replace(broken.find("5, n-Butane "), 11, "5, n-Butane-mixture");
  EXPECT_EQ(read(broken), 5);
  EXPECT_EQ(notices(), " ERROR: component name too long|");
}
