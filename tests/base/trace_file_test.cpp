#include "base/trace_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "base/module_identity.h"
#include "comlite/hresult.h"
#include "comlite/variant.h"
#include "support/notice_fixture.h"

namespace {

namespace fs = std::filesystem;
using coravl_test::NoticeFixture;

class TraceFile : public NoticeFixture {
 protected:
  //! Makes the trace file impossible to open (a folder in its place), even for root.
  void blockTraceFile() { fs::create_directories(traceFile()); }

  std::string fallbackNotice() const {
    return "Since trace file at installation directory (" + traceFile().string() +
           ") could not be written, trace file will be written to '" + m_temp.string() + "'.";
  }
};

TEST_F(TraceFile, lines_carry_date_time_module_and_context) {
  EXPECT_TRUE(Utils::traceLine("hello", "ctx", false, "\n"));
  EXPECT_TRUE(Utils::traceLine("raw text", nullptr, true, "\n"));
  EXPECT_TRUE(Utils::traceLine("no context", nullptr, false, "\n"));
  EXPECT_TRUE(Utils::traceLine("no suffix", nullptr, true));
  EXPECT_TRUE(Utils::traceLine(static_cast<const char*>(nullptr), nullptr, true, "\n"));
  const auto lines = linesOf(readFile(traceFile()));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(std::regex_match(lines[0],
                               std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d: CORavl11: ctxhello)")))
      << lines[0];
  EXPECT_EQ(lines[1], "raw text");
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(.{17}: CORavl11: no context)")));
  EXPECT_EQ(lines[3], "no suffix");  // the null message added only its suffix
  EXPECT_EQ(Utils::traceFilePath(), traceFile().string());
  EXPECT_EQ(Utils::traceDirectory(), traceFolder().string());
  EXPECT_TRUE(m_notices.empty());

  // The file is named after the short module name.
  Utils::setModuleName("Other.dll");
  EXPECT_TRUE(Utils::traceLine("x", nullptr, true, "\n"));
  EXPECT_EQ(readFile(traceFolder() / "Other.trc"), "x\n");
}

TEST_F(TraceFile, a_folder_that_cannot_be_had_traces_to_temp_and_is_looked_for_again) {
  // A container: the vendor folder's place is taken by a file, the home is read-only, or
  // there is no home at all. Lines still reach TEMP, and the user is told so once.
  fs::remove_all(m_dataHome / "SelvarTech");
  std::ofstream(m_dataHome / "SelvarTech") << "blocked";
  EXPECT_TRUE(Utils::traceLine("one", nullptr, true, "\n"));
  EXPECT_TRUE(Utils::traceLine("two", nullptr, true, "\n"));
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, fallbackNotice());
  EXPECT_EQ(m_notices[0].title, "Selvar Ravelin CAPE-OPEN 1.1 Information message");
  EXPECT_EQ(m_notices[0].style, Utils::kStyleInformation | Utils::kStyleSystemModal);
  EXPECT_EQ(Utils::traceFilePath(), (m_temp / "CORavl11.trc").string());
  EXPECT_EQ(readFile(m_dataHome / "SelvarTech"), "blocked");
  EXPECT_EQ(Utils::traceDirectory(), "");

  // A home nothing can be made in, even by root, then none.
  ::unsetenv("XDG_DATA_HOME");
  saveAndSet("HOME", "/proc/self");
  EXPECT_TRUE(Utils::traceLine("read-only", nullptr, true, "\n"));
  ::unsetenv("HOME");
  EXPECT_TRUE(Utils::traceLine("no home", nullptr, true, "\n"));
  EXPECT_EQ(readFile(m_temp / "CORavl11.trc"), "one\ntwo\nread-only\nno home\n");
  EXPECT_EQ(m_notices.size(), 1u);

  // The folder is looked for again on the next call.
  fs::remove(m_dataHome / "SelvarTech");
  ::setenv("XDG_DATA_HOME", m_dataHome.string().c_str(), 1);
  EXPECT_TRUE(Utils::traceLine("three", nullptr, true, "\n"));
  EXPECT_EQ(readFile(traceFile()), "three\n");
}

TEST_F(TraceFile, empty_temp_falls_back_to_tmp_and_unusable_temp_cannot_open) {
  blockTraceFile();
  ::setenv("TEMP", (m_root / "missing").string().c_str(), 1);
  EXPECT_FALSE(Utils::traceLine("x", nullptr, true, "\n"));
  ASSERT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[1].text, "Could not open trace file");
  EXPECT_EQ(m_notices[1].title, "");
  EXPECT_FALSE(fs::exists(m_root / "missing"));

  // An overlong TEMP reads as empty: the fallback is /tmp (a unique module name keeps the test
  // away from other files there).
  const std::string unique = "coravl-trace-" + m_root.filename().string();
  Utils::setModuleName(unique.c_str());
  fs::create_directories(traceFolder() / (unique + ".trc"));
  ::setenv("TEMP", std::string(300, 't').c_str(), 1);
  m_notices.clear();
  EXPECT_TRUE(Utils::traceLine("y", nullptr, true, "\n"));
  const fs::path tmpFile = fs::path("/tmp") / (unique + ".trc");
  EXPECT_EQ(readFile(tmpFile), "y\n");
  fs::remove(tmpFile);
  ASSERT_FALSE(m_notices.empty());
  EXPECT_EQ(m_notices[0].text, "Value of Environment Variable is too long");
}

TEST_F(TraceFile, a_trace_requested_while_tracing_is_dropped) {
  blockTraceFile();
  bool nested = true;
  int nestedCalls = 0;
  m_onNotice = [&](const coravl_test::Notice&) {
    ++nestedCalls;
    nested = Utils::traceLine("from the notice", nullptr, true, "\n");
  };
  EXPECT_TRUE(Utils::traceLine("outer", nullptr, true, "\n"));
  EXPECT_EQ(nestedCalls, 1);
  EXPECT_FALSE(nested);
  EXPECT_EQ(readFile(m_temp / "CORavl11.trc"), "outer\n");
  // The guard is released afterwards.
  m_onNotice = nullptr;
  EXPECT_TRUE(Utils::traceLine("again", nullptr, true, "\n"));
  EXPECT_EQ(readFile(m_temp / "CORavl11.trc"), "outer\nagain\n");
}

TEST_F(TraceFile, overlong_lines_are_cut_and_keep_their_suffix) {
  EXPECT_FALSE(Utils::traceLine(std::string(5000, 'm'), "ctx", false, "\n"));
  EXPECT_FALSE(Utils::traceLine(std::string(3000, 'r'), nullptr, true, "\n"));
  EXPECT_TRUE(Utils::traceLine(std::string(2398, 'f'), nullptr, true, "\n"));
  // 10 characters of slack are required beyond date, time, module, context and message.
  EXPECT_FALSE(Utils::traceLine(std::string(2400 - 8 - 8 - 8 - 3 - 9, 's'), "ctx", false, "\n"));
  const std::string text = readFile(traceFile());
  const auto lines = linesOf(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].size() + 1, Utils::kTraceLineBufferSize - 1);
  EXPECT_EQ(lines[1], std::string(2398, 'r'));
  EXPECT_EQ(lines[2], std::string(2398, 'f'));
  EXPECT_EQ(text.back(), '\n');
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(TraceFile, tracers_format_numbers_arrays_and_statuses) {
  EXPECT_TRUE(Utils::traceNumber(1.0, "n", "\n"));
  EXPECT_TRUE(Utils::traceNumber(3.14159265358979, nullptr, "\n"));
  const LONG longs[] = {1, 2, 3};
  EXPECT_TRUE(Utils::traceArray(longs, VT_I4, 3, "x=", "arr", "\n"));
  const double doubles[] = {0.5, 2.0, 1.0 / 3.0};
  EXPECT_TRUE(Utils::traceArray(doubles, VT_R8, 3, nullptr, nullptr, "\n"));
  EXPECT_EQ(Utils::traceStatus(100, "internal", "ctx"), E_FAIL);
  EXPECT_EQ(Utils::traceStatus(S_OK, "fine", nullptr), S_OK);
  const auto lines = linesOf(readFile(traceFile()));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].substr(17), ": CORavl11: n1.");
  EXPECT_EQ(lines[1].substr(17), ": CORavl11: 3.141592654");
  EXPECT_EQ(lines[2].substr(17), ": CORavl11: arrx=1, 2, 3");
  EXPECT_EQ(lines[3].substr(17), ": CORavl11: 0.5, 2., 0.3333333333");
  EXPECT_EQ(lines[4].substr(17), ": CORavl11: ctx:  ERROR: internal");
  EXPECT_EQ(lines[5].substr(17), ": CORavl11: fine");
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(TraceFile, concurrent_writers_never_lose_or_mix_lines) {
  constexpr int kLines = 200;
  auto writer = [](char tag) {
    for (int i = 0; i < kLines; ++i) Utils::traceLine(std::string(100, tag), nullptr, true, "\n");
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  const auto lines = linesOf(readFile(traceFile()));
  ASSERT_EQ(lines.size(), 2u * kLines);
  for (const auto& line : lines)
    EXPECT_TRUE(line == std::string(100, 'a') || line == std::string(100, 'b')) << line;
}

}  // namespace
