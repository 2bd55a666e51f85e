#include "pr_package/model/compound_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "pr_package/model/error.h"
#include "test_data.h"

namespace pr {
namespace {

// Writes a file into the test's temporary folder and returns its path.
std::string write_file(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

std::string header_line() {
  std::ifstream in(std::string(PR_PACKAGE_DATA_DIR) + "/compounds.csv");
  std::string line;
  std::getline(in, line);
  return line;
}

std::string line_of(const std::string& compound) {
  std::ifstream in(std::string(PR_PACKAGE_DATA_DIR) + "/compounds.csv");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(compound + ",", 0) == 0) return line;
  }
  return {};
}

// Expects load() to fail with a DataError whose message holds every fragment.
void expect_data_error(const std::string& compounds, const std::string& kij,
                       const std::vector<std::string>& fragments) {
  try {
    CompoundDatabase::load(compounds, kij);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::DataError);
    EXPECT_EQ(e.procedure(), "CompoundDatabase::load");
    for (const auto& f : fragments) EXPECT_NE(e.message().find(f), std::string::npos) << e.what();
  }
}

TEST(CompoundDatabase, loads_in_si_units_and_finds_compounds_and_pairs) {
  const CompoundDatabase& db = test::database();
  ASSERT_EQ(db.compounds().size(), 24u);
  const CompoundRecord& c = db.compound("n-butane");
  EXPECT_EQ(c.formula, "C4H10");
  EXPECT_EQ(c.cas, "106-97-8");
  EXPECT_DOUBLE_EQ(c.Pc_Pa, 3796000.0);    // Pa, not bar
  EXPECT_DOUBLE_EQ(c.Vc_m3mol, 0.000255);  // m3/mol, not m3/kmol
  EXPECT_DOUBLE_EQ(c.MW_kgmol(), 0.0581222);
  EXPECT_DOUBLE_EQ(*c.hvap_nbp_Jmol, 22440.0);
  ASSERT_TRUE(c.visc_liq_Pas.has_value());
  EXPECT_DOUBLE_EQ(c.visc_liq_Pas->Tmax_K, 420.0);
  // An empty field is no value; a zero that is written stays a zero.
  EXPECT_FALSE(db.compound("carbon dioxide").Tb_K.has_value());
  EXPECT_EQ(db.compound("methane").dipole_Cm, std::optional<double>(0.0));
  // By id or CAS number in any case; k_ij either way round, zero where not listed.
  EXPECT_TRUE(db.find("N-Butane").has_value());
  EXPECT_EQ(db.find("N-Butane"), db.find("106-97-8"));
  EXPECT_FALSE(db.find("unobtainium").has_value());
  EXPECT_THROW(db.compound("unobtainium"), Error);
  const auto c1 = *db.find("methane"), co2 = *db.find("carbon dioxide");
  EXPECT_DOUBLE_EQ(db.kij(c1, co2), 0.0978);
  EXPECT_DOUBLE_EQ(db.kij(co2, c1), 0.0978);
  EXPECT_EQ(db.kij(*db.find("oxygen"), *db.find("propane")), 0.0);
  EXPECT_THROW(db.kij(0, 99), Error);
}

TEST(CompoundDatabase, malformed_lines_name_file_line_and_column) {
  const std::string kij = std::string(PR_PACKAGE_DATA_DIR) + "/pr_kij.csv";
  const std::string good = line_of("methane");
  std::string bad_tc = line_of("ethane");
  bad_tc.replace(bad_tc.find("305.32"), 6, "30x.32");
  const std::string path =
      write_file("bad_number.csv", header_line() + "\n" + good + "\n" + bad_tc + "\n");
  expect_data_error(path, kij, {path, "line 3", "column 'tc'", "30x.32"});

  // A short row.
  const std::string short_path =
      write_file("short_row.csv", header_line() + "\n" + good + "\nethane,C2H6\n");
  expect_data_error(short_path, kij, {short_path, "line 3", "2 fields"});

  // A required value left empty.
  std::string no_pc = good;
  no_pc.replace(no_pc.find(",4599000,"), 9, ",,");
  const std::string empty_path = write_file("empty_pc.csv", header_line() + "\n" + no_pc + "\n");
  expect_data_error(empty_path, kij, {"line 2", "column 'pc'", "required"});

  // A negative critical temperature.
  std::string neg = good;
  neg.replace(neg.find(",190.56,"), 8, ",-190.56,");
  const std::string neg_path = write_file("neg_tc.csv", header_line() + "\n" + neg + "\n");
  expect_data_error(neg_path, kij, {"line 2", "column 'tc'", "positive"});
}

TEST(CompoundDatabase, kij_file_errors_name_the_line) {
  const std::string compounds = std::string(PR_PACKAGE_DATA_DIR) + "/compounds.csv";
  const std::string unknown =
      write_file("kij_unknown.csv",
                 "name1,name2,kij,source\nmethane,ethane,0.01,x\nmethane,kryptonite,0.1,x\n");
  expect_data_error(compounds, unknown, {unknown, "line 3", "column 'name2'", "kryptonite"});
  const std::string repeated = write_file(
      "kij_repeat.csv", "name1,name2,kij,source\nmethane,ethane,0.01,x\nethane,methane,0.02,x\n");
  expect_data_error(compounds, repeated, {"line 3", "repeated pair"});
  const std::string missing_col =
      write_file("kij_nocol.csv", "name1,name2,source\nmethane,ethane,x\n");
  expect_data_error(compounds, missing_col, {"column 'kij'", "missing"});
}

}  // namespace
}  // namespace pr
