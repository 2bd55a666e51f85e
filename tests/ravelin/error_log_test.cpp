#include <gtest/gtest.h>

#include "comlite/bstr.h"
#include "host_fixture.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_ids.h"
#include "ravelin/error_log.h"

using comlite::Bstr;
using comlite::ComPtr;
using ravelintest::HostFramework;

TEST_F(HostFramework, error_log_keeps_messages_in_order_with_their_status_and_level) {
  auto iface = create<IRvlErrorLog>(ravelin::kClsidErrorLog);
  ASSERT_TRUE(iface);
  auto log = ravelin::ErrorLog::from(iface.get());
  ASSERT_TRUE(log);
  Bstr first("CAPE-OPEN P. Package 'X' error: <<bad T>>"), second("trace line \xC3\xA9");
  ASSERT_EQ(iface->AddMessage(E_FAIL, first.get(), -1, VARIANT_TRUE), S_OK);
  ASSERT_EQ(iface->AddMessage(0, second.get(), 0, VARIANT_FALSE), S_OK);
  ASSERT_EQ(iface->AddMessage(0, nullptr, 0, VARIANT_TRUE), S_OK);
  const auto entries = log->entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].status, E_FAIL);
  EXPECT_EQ(entries[0].message, "CAPE-OPEN P. Package 'X' error: <<bad T>>");
  EXPECT_EQ(entries[0].level, -1);
  EXPECT_TRUE(entries[0].show);
  EXPECT_FALSE(entries[1].show);
  EXPECT_EQ(entries[2].message, "");
  EXPECT_EQ(ravelintest::got(iface, &IRvlErrorLog::get_Count), 3);
  LONG status = 0, level = 5;
  Bstr text;
  ASSERT_EQ(iface->GetMessage(1, &status, text.out(), &level), S_OK);
  EXPECT_EQ(text.utf8(), "trace line \xC3\xA9");
  EXPECT_EQ(level, 0);
  EXPECT_EQ(iface->GetMessage(3, &status, text.out(), &level), DISP_E_BADINDEX);
  EXPECT_EQ(iface->GetMessage(0, nullptr, text.out(), &level), E_POINTER);
  ASSERT_EQ(iface->Clear(), S_OK);
  EXPECT_TRUE(log->entries().empty());

  // A closed log refuses messages, so the caller falls back to its own output.
  log->setAccepting(false);
  EXPECT_EQ(iface->AddMessage(0, first.get(), 0, VARIANT_TRUE), E_FAIL);
  EXPECT_TRUE(log->entries().empty());
  EXPECT_EQ(log->refusedCount(), 1u);
  log->setAccepting(true);
  EXPECT_EQ(iface->AddMessage(0, first.get(), 0, VARIANT_TRUE), S_OK);
  EXPECT_EQ(log->entries().size(), 1u);
}
