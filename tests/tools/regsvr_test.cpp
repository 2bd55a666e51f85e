#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_env.h"

namespace {

struct ToolRun {
  int exitCode;
  std::string output;
};

//! Runs coravl-regsvr with `args` and the given registry, capturing both output streams.
ToolRun regsvr(const std::string& registry, const std::string& args) {
  const std::string tool = testsupport::libDir() + "/../bin/coravl-regsvr";
  const std::string cmd = "CORAVL_REGISTRY='" + registry + "' '" + tool + "' " + args + " 2>&1";
  ToolRun run{-1, {}};
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 512> buf;
  while (std::fgets(buf.data(), buf.size(), pipe)) run.output += buf.data();
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

TEST(Regsvr, registers_and_unregisters_a_module_and_says_so) {
  testsupport::TempDir dir;
  const std::string registry = dir.file("registry");
  const std::string module = testsupport::libDir() + "/libCORavl11.so";
  ToolRun r = regsvr(registry, "'" + module + "'");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("DllRegisterServer"), std::string::npos);
  EXPECT_NE(r.output.find("succeeded"), std::string::npos);
  // The keys written and removed are checked with the component (tests/frame); the second
  // unregistration shows that the first one removed them.
  r = regsvr(registry, "-u '" + module + "'");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  // Unregistering what is not there, or from a garbled registry, is a failure that says so.
  r = regsvr(registry, "-u '" + module + "'");
  EXPECT_EQ(r.exitCode, 4) << r.output;
  EXPECT_NE(r.output.find("0x80040201"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("the class is not registered in " + registry), std::string::npos)
      << r.output;
  std::ofstream(registry) << "\x01garbled{";
  r = regsvr(registry, "-u '" + module + "'");
  EXPECT_EQ(r.exitCode, 4) << r.output;
  EXPECT_EQ(r.output.find("succeeded"), std::string::npos) << r.output;
}

TEST(Regsvr, failures_have_their_own_exit_codes_and_messages) {
  testsupport::TempDir dir;
  ToolRun r = regsvr(dir.file("registry"), "");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("usage"), std::string::npos);
  r = regsvr(dir.file("registry"), "'" + dir.file("missing.so") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("cannot load"), std::string::npos);
  // A registry folder that does not exist: the module's registration fails, nothing written.
  const std::string module = testsupport::libDir() + "/libCORavl11.so";
  r = regsvr(dir.file("nofolder/registry"), "'" + module + "'");
  EXPECT_EQ(r.exitCode, 4) << r.output;
  EXPECT_NE(r.output.find("does not exist"), std::string::npos) << r.output;
  EXPECT_FALSE(std::filesystem::exists(dir.file("nofolder")));
  // A garbled registry file is left as it was.
  std::ofstream(dir.file("garbled")) << "not a registry\n";
  r = regsvr(dir.file("garbled"), "'" + module + "'");
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(std::filesystem::file_size(dir.file("garbled")), 15u);
}
