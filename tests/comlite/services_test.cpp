#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "comlite/com_error.h"
#include "comlite/error_info.h"
#include "comlite/platform.h"
#include "comlite/system_message.h"
#include "support/temp_env.h"

TEST(ErrorInfo, is_per_thread_and_reading_clears_it) {
  ASSERT_EQ(comlite::setErrorInfo("bad thing", "Unit.method"), S_OK);
  std::thread other([] {
    std::string d, s;
    EXPECT_FALSE(comlite::takeErrorInfo(d, s));
  });
  other.join();
  std::string d, s;
  ASSERT_TRUE(comlite::takeErrorInfo(d, s));
  EXPECT_EQ(d, "bad thing");
  EXPECT_EQ(s, "Unit.method");
  EXPECT_FALSE(comlite::takeErrorInfo(d, s));
  IErrorInfo* info = reinterpret_cast<IErrorInfo*>(1);
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
}

TEST(ComError, carries_status_interface_and_pending_description) {
  comlite::setErrorInfo("no such compound", "Package");
  try {
    comlite::check(E_INVALIDARG, IUnknown::kIID);
    FAIL() << "check did not throw";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_INVALIDARG);
    EXPECT_EQ(e.iid(), IUnknown::kIID);
    EXPECT_EQ(e.description(), "no such compound");
    EXPECT_NE(std::string(e.what()).find("0x80070057"), std::string::npos);
  }
  EXPECT_EQ(comlite::check(S_FALSE), S_FALSE);
}

TEST(Profile, windows_rules_for_sections_keys_quotes_and_length) {
  testsupport::TempDir dir;
  std::ofstream(dir.file("x.ini"))
      << "; comment\n[Other]\nI_O_PVSAT=9\n[ flash ]\n"
      << "  i_o_pvsat =  \"1\"  \nLONG=" << std::string(300, 'a') << "\nEMPTY=\n";
  EXPECT_EQ(comlite::readProfileValue(dir.file("x.ini"), "Flash", "I_O_PVSAT", 259), "1");
  EXPECT_EQ(comlite::readProfileValue(dir.file("x.ini"), "FLASH", "long", 259)->size(), 259u);
  EXPECT_EQ(comlite::readProfileValue(dir.file("x.ini"), "Flash", "EMPTY", 259), "");
  EXPECT_FALSE(comlite::readProfileValue(dir.file("x.ini"), "Flash", "MISSING", 259));
  EXPECT_FALSE(comlite::readProfileValue(dir.file("x.ini"), "None", "I_O_PVSAT", 259));
  EXPECT_FALSE(comlite::readProfileValue(dir.file("none.ini"), "Flash", "I_O_PVSAT", 259));
}

TEST(Platform, modules_and_system_messages) {
  const std::string self =
      comlite::modulePathContaining(reinterpret_cast<const void*>(&comlite::setErrorInfo));
  EXPECT_NE(self.find("libcomlite.so"), std::string::npos);
  EXPECT_EQ(comlite::loadedModulePath("comlite"), self);
  EXPECT_EQ(comlite::loadedModulePath("nosuchmodule"), "");
  EXPECT_EQ(comlite::systemMessage(E_INVALIDARG), "The parameter is incorrect.");
  EXPECT_EQ(comlite::systemMessage(0x12345), "");
}
