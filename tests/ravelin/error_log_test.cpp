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
  EXPECT_EQ(entries[1].message, "trace line \xC3\xA9");
  EXPECT_FALSE(entries[1].show);
  EXPECT_EQ(entries[2].message, "");

  LONG count = 0, status = 0, level = 5;
  ASSERT_EQ(iface->get_Count(&count), S_OK);
  EXPECT_EQ(count, 3);
  Bstr text;
  ASSERT_EQ(iface->GetMessage(1, &status, text.out(), &level), S_OK);
  EXPECT_EQ(text.utf8(), "trace line \xC3\xA9");
  EXPECT_EQ(level, 0);
  EXPECT_EQ(iface->GetMessage(3, &status, text.out(), &level), DISP_E_BADINDEX);
  EXPECT_EQ(iface->GetMessage(0, nullptr, text.out(), &level), E_POINTER);
  ASSERT_EQ(iface->Clear(), S_OK);
  EXPECT_TRUE(log->entries().empty());
}

TEST_F(HostFramework, closed_error_log_refuses_messages_so_the_caller_falls_back) {
  auto log = ravelin::ErrorLog::create();
  ComPtr<IRvlErrorLog> iface;
  ASSERT_EQ(log.dispatch()->QueryInterface(IRvlErrorLog::kIID, iface.putVoid()), S_OK);
  log.setAccepting(false);
  Bstr text("lost");
  EXPECT_EQ(iface->AddMessage(0, text.get(), 0, VARIANT_TRUE), E_FAIL);
  EXPECT_TRUE(log.entries().empty());
  EXPECT_EQ(log.refusedCount(), 1u);
  log.setAccepting(true);
  EXPECT_EQ(iface->AddMessage(0, text.get(), 0, VARIANT_TRUE), S_OK);
  EXPECT_EQ(log.entries().size(), 1u);
}
