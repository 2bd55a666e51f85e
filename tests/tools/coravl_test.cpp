#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_env.h"

namespace {

struct DriverRun {
  int exitCode;
  std::string output;
};

//! Runs the host driver in a private registry, data folder and TEMP.
DriverRun driver(const testsupport::TempDir& dir, const std::string& args) {
  const std::string tool = testsupport::libDir() + "/../bin/coravl";
  const std::string cmd = "CORAVL_REGISTRY='" + dir.file("registry") + "' XDG_DATA_HOME='" +
                          dir.path() + "' TEMP='" + dir.path() + "' '" + tool + "' " + args +
                          " 2>&1";
  DriverRun run{-1, {}};
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buf;
  while (std::fgets(buf.data(), buf.size(), pipe)) run.output += buf.data();
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

TEST(Driver, runs_a_case_file_through_the_registered_socket) {
  testsupport::TempDir dir;
  std::ofstream(dir.file("case.txt"))
      << "package CORavlIdeal.PackageManager.1 :: Light hydrocarbons\n"
      << "setup\n"
      << "compounds methane, ethane, propane, n-butane\n"
      << "save saved.txt\n"
      << "recall saved.txt\n";
  const DriverRun r = driver(dir, "--json '" + dir.file("case.txt") + "'");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("\"command\": \"setup\""), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("\"package\": \"Light hydrocarbons\""), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("\"compounds changed\": \"no\""), std::string::npos) << r.output;
  // The saved text sits beside the case file and holds the component's options.
  std::ifstream saved(dir.file("saved.txt"));
  std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("doOrderPhases"), std::string::npos);
}

TEST(Driver, bad_cases_are_refused_with_their_line) {
  testsupport::TempDir dir;
  std::ofstream(dir.file("bad.txt")) << "package X\nfrobnicate now\n";
  DriverRun r = driver(dir, "'" + dir.file("bad.txt") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("bad.txt:2: unknown command 'frobnicate'"), std::string::npos)
      << r.output;
  r = driver(dir, "'" + dir.file("missing.txt") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("cannot read"), std::string::npos);
  // A compound the package does not have fails that command and the run.
  std::ofstream(dir.file("case.txt"))
      << "package CORavlIdeal.PackageManager.1 :: Light hydrocarbons\ncompounds water\n";
  r = driver(dir, "'" + dir.file("case.txt") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("the package has no compound 'water'"), std::string::npos) << r.output;
  std::ofstream(dir.file("case.txt"))
      << "package CORavlIdeal.PackageManager.1 :: Light hydrocarbons\ncompounds C1 [74-82-8\n";
  r = driver(dir, "'" + dir.file("case.txt") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("'C1 [74-82-8': write a compound as name [CAS number]"),
            std::string::npos)
      << r.output;
}

TEST(Driver, default_case_runs_the_natural_gas_end_to_end) {
  testsupport::TempDir dir;
  const DriverRun r = driver(dir, "--json");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  // Every command reports success, and the two-phase flash splits the feed.
  EXPECT_EQ(r.output.find("\"ok\": false"), std::string::npos) << r.output;
  const auto flash = r.output.find("\"command\": \"flash PT 250 5000");
  ASSERT_NE(flash, std::string::npos);
  const auto vf = r.output.find("\"vapour fraction\": ", flash);
  ASSERT_NE(vf, std::string::npos);
  const double fraction = std::stod(r.output.substr(vf + 19, 12));
  EXPECT_GT(fraction, 0.4);
  EXPECT_LT(fraction, 0.8);
  EXPECT_NE(r.output.find("\"compounds changed\": \"no\""), std::string::npos);
}

namespace {

//! The driver's answers to the calculation commands, without their line numbers.
std::vector<std::string> calculations(const std::string& output) {
  std::vector<std::string> out;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("{\"command\": \"properties", 0) != 0 &&
        line.rfind("{\"command\": \"flash", 0) != 0)
      continue;
    const auto at = line.find(", \"line\": ");
    const auto after = line.find(',', at + 2);
    out.push_back(line.substr(0, at) + line.substr(after));
  }
  return out;
}

std::string fileText(const testsupport::TempDir& dir, const char* name) {
  std::ifstream in(dir.file(name), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Driver, cases_saved_by_one_run_calculate_the_same_in_the_next) {
  struct Case {
    const char* name;
    const char* options;
    const char* compounds;
    const char* x;
  };
  const Case cases[] = {
      {"package names", "", "methane, ethane, propane, n-butane, isobutane", "0.5,0.2,0.1,0.1,0.1"},
      {"simulator names", "",
       "Methane [74-82-8], Ethane [74-84-0], i-Butane [75-28-5], CO2 [124-38-9], "
       "H2S [7783-06-4], n-Hexane [110-54-3], Nitrogen [7727-37-9], Propane [74-98-6], "
       "n-Butane [106-97-8], n-Pentane [109-66-0]",
       "0.5,0.1,0.05,0.05,0.02,0.08,0.03,0.07,0.05,0.05"},
      {"a subset in another order", "option allowSubsets = true\n",
       "H2S [7783-06-4], i-Butane [75-28-5], CO2 [124-38-9]", "0.2,0.5,0.3"},
      {"options", "option allowSubsets = true\noption doOrderPhases = on\n",
       "CO2 [124-38-9], Methane [74-82-8]", "0.3,0.7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    const std::string calculate = std::string("properties vapour T=300 P=2000 x=") + c.x +
                                  " props=Enthalpy,LnFugacityCoeff\nflash PT 230 3000 z=" + c.x +
                                  "\n";
    std::ofstream(dir.file("save.txt")) << "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\n"
                                        << c.options << "setup\ncompounds " << c.compounds << "\n"
                                        << calculate << "save saved.txt\n";
    DriverRun first = driver(dir, "--json '" + dir.file("save.txt") + "'");
    ASSERT_EQ(first.exitCode, 0) << first.output;
    std::ofstream(dir.file("open.txt")) << "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\n"
                                        << "recall saved.txt\n"
                                        << calculate << "save again.txt\n";
    DriverRun second = driver(dir, "--json '" + dir.file("open.txt") + "'");
    EXPECT_EQ(second.exitCode, 0) << second.output;
    const auto before = calculations(first.output);
    ASSERT_EQ(before.size(), 2u) << first.output;
    EXPECT_EQ(calculations(second.output), before) << second.output;
    EXPECT_EQ(fileText(dir, "again.txt"), fileText(dir, "saved.txt"));
  }
}
