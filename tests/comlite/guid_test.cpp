#include <gtest/gtest.h>

#include "comlite/guid.h"
#include "comlite/unknown.h"

TEST(Guid, registry_form_round_trip) {
  constexpr GUID g = comlite::makeGuid("{00000000-0000-0000-C000-000000000046}");
  static_assert(g == IUnknown::kIID);
  EXPECT_EQ(comlite::guidToString(IUnknown::kIID), "{00000000-0000-0000-C000-000000000046}");
  auto parsed = comlite::parseGuid("678c0a9b-7d66-11d2-a67d-00105a42887f");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(comlite::guidToString(*parsed), "{678C0A9B-7D66-11D2-A67D-00105A42887F}");
  EXPECT_EQ(parsed->Data1, 0x678C0A9Bu);
  EXPECT_EQ(parsed->Data4[7], 0x7F);
}

TEST(Guid, malformed_text_is_rejected) {
  for (const char* bad :
       {"", "{}", "678C0A9B-7D66-11D2-A67D-00105A42887", "678C0A9B-7D66-11D2-A67D_00105A42887F",
        "{678C0A9B-7D66-11D2-A67D-00105A42887F", "678C0A9B-7D66-11D2-A67D-00105A42887G"})
    EXPECT_FALSE(comlite::parseGuid(bad)) << bad;
}

TEST(Guid, new_guids_are_distinct_version_4) {
  GUID a = comlite::newGuid(), b = comlite::newGuid();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.Data3 >> 12, 4);
}
