#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
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
DriverRun driver(const testsupport::TempDir& dir, const std::string& args,
                 const std::string& temp = "") {
  const std::string tool = testsupport::libDir() + "/../bin/coravl";
  const std::string cmd = "CORAVL_REGISTRY='" + dir.file("registry") + "' XDG_DATA_HOME='" +
                          dir.path() + "' TEMP='" + (temp.empty() ? dir.path() : temp) + "' '" +
                          tool + "' " + args + " 2>&1";
  DriverRun run{-1, {}};
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buf;
  while (std::fgets(buf.data(), buf.size(), pipe)) run.output += buf.data();
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string fileText(const testsupport::TempDir& dir, const char* name) {
  std::ifstream in(dir.file(name), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Driver, default_case_runs_the_natural_gas_end_to_end) {
  testsupport::TempDir dir;
  const DriverRun r = driver(dir, "--json");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  // Every command reports success, and the two-phase flash splits the feed.
  EXPECT_EQ(r.output.find("\"ok\": false"), std::string::npos) << r.output;
  // The simulator's compound table ships beside the socket: no notice at all.
  EXPECT_EQ(r.output.find("[notice]"), std::string::npos) << r.output;
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

TEST(Driver, json_and_csv_carry_exact_numbers_and_failed_values_say_why) {
  testsupport::TempDir dir;
  std::ofstream(dir.file("case.txt"))
      << "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\n"
      << "setup\ncompounds methane, ethane\n"
      << "properties vapour T=250 P=5000 x=0.9,0.1 props=Enthalpy,LnFugacityCoeff\n"
      << "properties vapour T=20000 P=5000 x=0.9,0.1 props=Enthalpy\n"
      << "kvalues T=20000 P=5000 x=0.9,0.1 y=0.9,0.1\n"
      << "flash PT 20000 5000 z=0.9,0.1\n"
      << "sweep PT T=250:20000:2 P=5000 z=0.9,0.1\n";
  const DriverRun plain = driver(dir, "'" + dir.file("case.txt") + "'");
  const DriverRun json = driver(dir, "--json '" + dir.file("case.txt") + "'");
  const DriverRun csv = driver(dir, "--csv '" + dir.file("case.txt") + "'");
  EXPECT_EQ(json.exitCode, 1) << json.output;
  EXPECT_EQ(csv.exitCode, 1) << csv.output;
  // A number is a JSON number, the same text as in the CSV, and reads back at full precision.
  const std::string key = "{\"property\": \"Enthalpy\", \"value\": ";
  const auto at = json.output.find(key);
  ASSERT_NE(at, std::string::npos) << json.output;
  const auto from = at + key.size();
  const std::string number = json.output.substr(from, json.output.find_first_of(",}", from) - from);
  EXPECT_GT(number.size(), 12u) << number;
  EXPECT_NE(csv.output.find("\nEnthalpy," + number + "\n"), std::string::npos) << csv.output;
  EXPECT_NE(json.output.find("\"MW [kg/kmol]\": 16.04246}"), std::string::npos) << json.output;
  EXPECT_NE(json.output.find("\"value\": [-0."), std::string::npos) << json.output;  // ln phi
  EXPECT_NE(csv.output.find("\n1,methane,74-82-8,16.04246\n"), std::string::npos) << csv.output;
  // A refused value carries the package's reason, not only the status.
  const std::string reason = "temperature 20000 K is outside the model's range [1, 5000] K";
  const auto failed = json.output.find("\"value\": {\"error\": \"0x80040507: ");
  ASSERT_NE(failed, std::string::npos) << json.output;
  EXPECT_NE(json.output.find(reason, failed), std::string::npos) << json.output;
  EXPECT_NE(csv.output.find("Enthalpy,\"failed: 0x80040507: "), std::string::npos) << csv.output;
  EXPECT_NE(csv.output.find(reason), std::string::npos) << csv.output;
  // Each refused command's log shows the package's reason once.
  EXPECT_EQ(plain.exitCode, 1) << plain.output;
  std::size_t shown = 0;
  for (auto at = plain.output.find(reason); at != std::string::npos;
       at = plain.output.find(reason, at + 1))
    ++shown;
  EXPECT_EQ(shown, 4u) << plain.output;
  EXPECT_NE(plain.output.find("PrPackage::CalcEquilibrium"), std::string::npos) << plain.output;
}

TEST(Driver, packages_lists_the_shipped_managers_their_packages_and_compounds) {
  testsupport::TempDir dir;
  const DriverRun r = driver(dir, "--json packages");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("\"ok\": false"), std::string::npos) << r.output;
  const char* expected[] = {
      "{\"command\": \"package manager CORavlPR.PackageManager.1\"",
      "{\"package\": \"Natural Gas (PR)\", \"selection\": \"CORavlPR.PackageManager.1::Natural "
      "Gas (PR)\"}",
      "{\"command\": \"package manager CORavlIdeal.PackageManager.1\"",
      "{\"command\": \"package CORavlPR.PackageManager.1::Aromatics (PR)\", \"description\": ",
      "\"compounds\": [{\"id\": \"benzene\", \"CAS\": \"71-43-2\", \"formula\": \"C6H6\"}, "
      "{\"id\": \"toluene\", \"CAS\": \"108-88-3\", \"formula\": \"C7H8\"}]",
  };
  for (const char* e : expected) EXPECT_NE(r.output.find(e), std::string::npos) << e;
  // What it lists is what a case selects.
  const auto at = r.output.find("\"selection\": \"CORavlIdeal.PackageManager.1::");
  ASSERT_NE(at, std::string::npos) << r.output;
  const auto from = at + 14;
  const std::string selection = r.output.substr(from, r.output.find('"', from) - from);
  std::ofstream(dir.file("case.txt")) << "package " << selection << "\nsetup\n";
  EXPECT_EQ(driver(dir, "'" + dir.file("case.txt") + "'").exitCode, 0) << selection;
}

TEST(Driver, the_natural_gas_envelope_is_traced_and_drawn_with_the_tables_points) {
  testsupport::TempDir dir;
  const std::string z = " z=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02";
  std::ofstream(dir.file("case.txt"))
      << "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\nsetup\n"
      << "compounds methane, ethane, propane, n-butane, isobutane, n-pentane, n-hexane, "
         "nitrogen, carbon dioxide, hydrogen sulfide\n"
      << "flash PT 250 5000" << z << "\n"
      << "envelope" << z << " --svg envelope.svg\n"
      << "order\n"
      << "sweep PT T=200:320:7 P=5000" << z << " --svg sweep.svg\n"
      << "sweep PT T=200:320:7 P=5000" << z << " y=Enthalpy --svg enthalpy.svg\n"
      << "sweep PH P=5000 H=-110000:-90000:3" << z << " x=T y=MolarDensity --svg density.svg\n";
  const DriverRun r = driver(dir, "--json '" + dir.file("case.txt") + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  // The table's points, curve by curve, in the SVG's own text.
  std::map<std::string, std::string> table;
  std::map<std::string, double> maxT, maxP;
  const std::regex row(
      R"re(\{"curve": "(\w+)", "T \[K\]": ([-0-9.e+]+), "P \[kPa\]": ([-0-9.e+]+)\})re");
  for (std::sregex_iterator m(r.output.begin(), r.output.end(), row), end; m != end; ++m) {
    const std::string curve = (*m)[1];
    table[curve] += (table[curve].empty() ? "" : " ") + (*m)[2].str() + "," + (*m)[3].str();
    maxT[curve] = std::max(maxT[curve], std::stod((*m)[2]));
    maxP[curve] = std::max(maxP[curve], std::stod((*m)[3]));
  }
  ASSERT_EQ(table.size(), 2u) << r.output;
  const std::string svg = fileText(dir, "envelope.svg");
  for (const auto& [curve, points] : table) {
    EXPECT_GT(std::count(points.begin(), points.end(), ' '), 20) << curve;
    EXPECT_NE(svg.find("data-name=\"" + curve + " curve\""), std::string::npos) << curve;
    EXPECT_NE(svg.find("points=\"" + points + "\""), std::string::npos) << curve;
  }
  EXPECT_NE(svg.find(">T [K]</text>"), std::string::npos);
  EXPECT_NE(svg.find(">P [kPa]</text>"), std::string::npos);
  // The cricondentherm is the warmest point, the cricondenbar the highest, and the curves meet
  // at the critical point (for this gas near 317 K and 15.2 MPa).
  const auto number = [&](const std::string& key) {
    const auto at = r.output.find("\"" + key + "\": ");
    return at == std::string::npos ? NAN : std::stod(r.output.substr(at + key.size() + 4));
  };
  EXPECT_DOUBLE_EQ(number("cricondentherm T"), maxT["dew"]);
  EXPECT_DOUBLE_EQ(number("cricondenbar P"), std::max(maxP["dew"], maxP["bubble"]));
  EXPECT_NEAR(number("critical point T"), 317, 5);
  EXPECT_NEAR(number("critical point P"), 15200, 200);
  EXPECT_NE(svg.find("data-name=\"critical point\""), std::string::npos);
  // The case's last flash is marked, and stays the one `order` orders.
  EXPECT_NE(svg.find("data-name=\"last flash\" data-x=\"250\" data-y=\"5000\""), std::string::npos);
  EXPECT_NE(r.output.find("{\"command\": \"order\", \"line\": 6, \"temperature\": 250, "
                          "\"pressure\": 5000"),
            std::string::npos)
      << r.output;
  // A sweep draws the vapour fraction or a property of the mixture against T, point for point.
  EXPECT_NE(fileText(dir, "sweep.svg").find("points=\"200,0 220,0.35796864608036"),
            std::string::npos);
  const struct {
    std::string file, x, y;
  } sweeps[] = {{"sweep.svg", "T", "vapour fraction"},
                {"enthalpy.svg", "T", "Enthalpy [kJ/kmol]"},
                {"density.svg", "T [K]", "MolarDensity [kmol/m3]"}};
  for (const auto& s : sweeps) {
    const auto from = r.output.find("--svg " + s.file);
    const std::string json = r.output.substr(from, r.output.find("{\"command\"", from) - from);
    std::string points;
    const std::regex row(R"(\{[^{}]*\})");
    for (std::sregex_iterator m(json.begin(), json.end(), row), end; m != end; ++m) {
      const auto field = [&](const std::string& key) {
        const std::string text = m->str();
        const auto at = text.find("\"" + key + "\": ") + key.size() + 4;
        return text.substr(at, text.find_first_of(",}", at) - at);
      };
      points += (points.empty() ? "" : " ") + field(s.x) + "," + field(s.y);
    }
    EXPECT_NE(fileText(dir, s.file.c_str()).find("points=\"" + points + "\""), std::string::npos)
        << json;
    EXPECT_NE(fileText(dir, s.file.c_str()).find(">" + s.y + "</text>"), std::string::npos)
        << s.file;
  }
}

TEST(Driver, hostile_lines_are_refused_with_their_line_and_reason) {
  testsupport::TempDir dir;
  const std::string head =
      "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\nsetup\ncompounds methane, ethane\n";
  const std::pair<std::string, std::string> cases[] = {
      {"option doOrderPhase = true", "line 4: 'doOrderPhase' is not an option of the setup view"},
      {"option doOrderPhases = maybe", "line 4: 'maybe' is not a value of doOrderPhases"},
      {"sweep PT T=200:300:-5 P=5000 z=0.9,0.1", "line 4: the count of t= must be a whole"},
      {"sweep PT T=200:300:nan P=5000 z=0.9,0.1", "line 4: 'nan' is not a finite number"},
      {"sweep PT T=200:300:1e12 P=5000 z=0.9,0.1", "line 4: the count of t= must be a whole"},
      {"sweep PT T=200:300:3 z=0.9,0.1", "line 4: missing p="},
      {"sweep PT T=200:300:1000 P=1:2:1000 z=0.9,0.1", "line 4: a sweep runs at most 100000"},
      {"properties vapour P=5000 x=0.9,0.1", "line 4: missing t="},
      {"properties plasma T=250 P=5000 x=0.9,0.1", "line 4: unknown phase 'plasma'"},
      {"properties vapour T=250 P=5000 x=0.9,0.1 prop=Cp", "line 4: unknown key 'prop='"},
      {"flash PT 250 5000 z=0.9,0.1 extra", "line 4: unexpected word 'extra' for flash"},
      {std::string("flash PT 25\0"
                   "0 5000 z=0.9,0.1",
                   28),
       "line 4: '25\\x000' is not a finite"},
      {"envelope z=0.9,0.1 ratio=1", "line 4: ratio= must be above 1.001"},
      {"compounds ,", "line 4: compounds needs at least one name"},
      {"compounds water", "line 4: the package has no compound 'water'"},
      {"compounds C1 [74-82-8", "line 4: 'C1 [74-82-8': write a compound as name [CAS number]"},
  };
  for (const auto& [line, message] : cases) {
    std::ofstream(dir.file("case.txt"), std::ios::binary) << head << line << "\n";
    const DriverRun r = driver(dir, "'" + dir.file("case.txt") + "'");
    EXPECT_EQ(r.exitCode, 1) << line << "\n" << r.output;
    EXPECT_NE(r.output.find(message), std::string::npos) << line << "\n" << r.output;
  }
  // A line no command starts, or no case file at all, stops the run before it starts.
  std::ofstream(dir.file("bad.txt")) << "package X\nfrobnicate now\n";
  DriverRun r = driver(dir, "'" + dir.file("bad.txt") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("bad.txt:2: unknown command 'frobnicate'"), std::string::npos)
      << r.output;
  r = driver(dir, "'" + dir.file("missing.txt") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("cannot read"), std::string::npos);
  // A tiny number is a number, and a TEMP naming no folder falls back to the system's.
  std::ofstream(dir.file("case.txt"))
      << head << "properties vapour T=250 P=5000 x=1,1e-310 props=MolarVolume\n";
  r = driver(dir, "'" + dir.file("case.txt") + "'", dir.file("no-such-folder"));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("cannot create a session folder"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("is not a"), std::string::npos) << r.output;
}

}  // namespace

// The socket's own round trips are checked case by case in tests/frame; here the driver's save
// and recall across two runs, with its options and compounds written by name and CAS number.
TEST(Driver, a_case_saved_by_one_run_calculates_the_same_in_the_next) {
  testsupport::TempDir dir;
  const std::string x = "0.2,0.5,0.3";
  const std::string calculate = "properties vapour T=300 P=2000 x=" + x +
                                " props=Enthalpy,LnFugacityCoeff\nflash PT 230 3000 z=" + x + "\n";
  const std::string package = "package CORavlPR.PackageManager.1 :: Natural Gas (PR)\n";
  std::ofstream(dir.file("save.txt"))
      << package << "option allowSubsets = true\noption doOrderPhases = on\nsetup\n"
      << "compounds H2S [7783-06-4], i-Butane [75-28-5], CO2 [124-38-9]\n"
      << calculate << "save saved.txt\n";
  DriverRun first = driver(dir, "--json '" + dir.file("save.txt") + "'");
  ASSERT_EQ(first.exitCode, 0) << first.output;
  std::ofstream(dir.file("open.txt")) << package << "recall saved.txt\n"
                                      << calculate << "save again.txt\n";
  DriverRun second = driver(dir, "--json '" + dir.file("open.txt") + "'");
  EXPECT_EQ(second.exitCode, 0) << second.output;
  const auto before = calculations(first.output);
  ASSERT_EQ(before.size(), 2u) << first.output;
  EXPECT_EQ(calculations(second.output), before) << second.output;
  EXPECT_EQ(fileText(dir, "again.txt"), fileText(dir, "saved.txt"));
  EXPECT_NE(fileText(dir, "saved.txt").find("doOrderPhases"), std::string::npos);
}
