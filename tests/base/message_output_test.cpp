#include "base/message_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/module_identity.h"
#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "support/notice_fixture.h"

namespace {

using coravl_test::NoticeFixture;

class MessageOutput : public NoticeFixture {};

TEST_F(MessageOutput, composes_exact_texts_by_status_and_context) {
  const struct {
    HRESULT status;
    const char* text;
    const char* context;
    const char* want;
  } cases[] = {
      // E_FAIL never carries the system text nor the hexadecimal status.
      {E_FAIL, "x", "ctx", "ctx:  ERROR: x"},
      // Other failures carry the system text on a new line and the status in hex.
      {E_INVALIDARG, "x", "ctx", "ctx:  ERROR: x\nThe parameter is incorrect.(0x80070057)"},
      // A failure the system table does not know still gets its hex status.
      {static_cast<HRESULT>(0x80041234u), "x", nullptr, " ERROR: x(0x80041234)"},
      {E_FAIL, "x", "", " ERROR: x"},
      {S_OK, "x", nullptr, "x"},
      {S_OK, nullptr, "ctx", "ctx: ??"},
      // Internal codes and S_FALSE are not failures: no error word, no status.
      {S_FALSE, "x", nullptr, "x"},
      {100, "x", nullptr, "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utils::composeMessage(c.status, c.text, c.context), c.want);
  char* none = nullptr;
  Utils::composeMessage(none, E_FAIL, "x", nullptr);  // no buffer: nothing happens
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(MessageOutput, overlong_texts_are_bounded_and_reported) {
  const std::string longText(5000, 'a');
  char buffer[Utils::kMessageBufferSize + 16];
  std::memset(buffer, '#', sizeof buffer);
  Utils::composeMessage(buffer, E_INVALIDARG, longText.c_str(), "ctx");
  EXPECT_EQ(std::strlen(buffer), Utils::kMessageBufferSize - 1);
  EXPECT_EQ(buffer[Utils::kMessageBufferSize], '#');  // nothing written past the buffer
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, " ERROR: A generated message is too long. Contact support.");
  // The report is traced as well.
  EXPECT_NE(readFile(traceFile()).find("A generated message is too long. Contact support."),
            std::string::npos);

  // A long error description is cut to its own limit; the whole stays within the buffer.
  m_notices.clear();
  comlite::setErrorInfo(std::string(3000, 'd'), "src");
  const std::string withInfo = Utils::composeMessage(E_FAIL, "x", nullptr);
  EXPECT_EQ(withInfo.size(), std::string(" ERROR: x").size() + 1999);
  EXPECT_TRUE(m_notices.empty());

  comlite::setErrorInfo(std::string(3000, 'd'), "src");
  EXPECT_EQ(Utils::composeMessage(E_INVALIDARG, std::string(2000, 't').c_str(), nullptr).size(),
            Utils::kMessageBufferSize - 1);
}

TEST_F(MessageOutput, owner_window_and_forced_system_modal_decide_the_style) {
  int window = 0;
  Utils::showMessage("a", "t", Utils::kStyleInformation, &window);
  EXPECT_EQ(m_notices.back().style, Utils::kStyleInformation);
  Utils::setOwnerWindow(&window);
  Utils::showMessage("b", "t", Utils::kStylePlain);
  EXPECT_EQ(m_notices.back().style, Utils::kStylePlain);
  Utils::setSystemModal(true);
  Utils::showMessage("c", "t", Utils::kStylePlain);
  EXPECT_EQ(m_notices.back().style, Utils::kStyleSystemModal);
  Utils::setSystemModal(false);
  Utils::setOwnerWindow(nullptr);
  Utils::showMessage(nullptr, nullptr, Utils::kStylePlain);
  EXPECT_EQ(m_notices.back().text, "");
  EXPECT_EQ(m_notices.back().style, Utils::kStyleSystemModal);
}

}  // namespace
