#pragma once
//! A fixture for tests that show notices or write trace lines: it captures every notice and
//! gives the test its own local application data folder (XDG_DATA_HOME, with the "SelvarTech"
//! folder the trace writer expects) and its own TEMP, all removed afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "comlite/notice.h"
#include "base/message_output.h"
#include "base/module_identity.h"
#include "base/trace_file.h"

namespace coravl_test {

struct Notice {
  std::string text;
  std::string title;
  UINT style = 0;
};

class NoticeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "coravl-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_dataHome = m_root / "data";
    m_temp = m_root / "temp";
    std::filesystem::create_directories(m_dataHome / "SelvarTech");
    std::filesystem::create_directories(m_temp);
    saveAndSet("XDG_DATA_HOME", m_dataHome.string());
    saveAndSet("TEMP", m_temp.string());
    Utils::setModuleName("CORavl11");
    Utils::setTitle("Daltrix's CAPE-OPEN tool");
    Utils::setOwnerWindow(nullptr);
    Utils::setSystemModal(false);
    Utils::resetTraceStateForTests();
    m_previousSink = comlite::setNoticeSink(
        [this](const std::string& text, const std::string& title, UINT style) {
          const Notice notice{text, title, style};
          m_notices.push_back(notice);
          if (m_onNotice) m_onNotice(notice);
        });
  }

  void TearDown() override {
    comlite::setNoticeSink(m_previousSink);
    Utils::resetTraceStateForTests();
    Utils::setModuleName("CORavl11");
    Utils::setTitle("Daltrix's CAPE-OPEN tool");
    Utils::setOwnerWindow(nullptr);
    Utils::setSystemModal(false);
    for (auto& [name, value] : m_savedEnv) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    std::error_code ec;
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_root, ec);
  }

  //! Sets an environment variable for this test only.
  void saveAndSet(const std::string& name, const std::string& value) {
    const char* old = ::getenv(name.c_str());
    m_savedEnv.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  std::filesystem::path traceFolder() const {
    return m_dataHome / "SelvarTech" / "Selvar Quorel CAPE-OPEN";
  }
  std::filesystem::path traceFile() const { return traceFolder() / "CORavl11.trc"; }

  static std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  //! Texts of the captured notices, in order.
  std::vector<std::string> noticeTexts() const {
    std::vector<std::string> texts;
    for (const auto& n : m_notices) texts.push_back(n.text);
    return texts;
  }

  std::filesystem::path m_root, m_dataHome, m_temp;
  std::vector<Notice> m_notices;
  //! Runs inside the notice sink, after the notice is recorded.
  std::function<void(const Notice&)> m_onNotice;

 private:
  comlite::NoticeSink m_previousSink;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnv;
};

}  // namespace coravl_test
