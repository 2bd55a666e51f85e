#include <gtest/gtest.h>

#include <cstring>

#include "comlite/bstr.h"

TEST(Bstr, null_and_embedded_zeros) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);  // must do nothing
  const char16_t text[] = {u'a', 0, u'b'};
  BSTR s = SysAllocStringLen(text, 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[2], u'b');
  // Reallocating from the string's own characters must not read freed memory.
  ASSERT_TRUE(SysReAllocStringLen(&s, s + 2, 1));
  EXPECT_EQ(SysStringLen(s), 1u);
  EXPECT_EQ(s[0], u'b');
  SysFreeString(s);
}

TEST(Bstr, utf8_round_trip_and_invalid_sequences) {
  const std::string text = "n-Hexane \xC3\xA9\xE2\x82\xAC \xF0\x9F\x98\x80";  // é € emoji
  const std::u16string wide = comlite::utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), 9u + 1 + 1 + 1 + 2);
  EXPECT_EQ(comlite::utf16ToUtf8(wide), text);
  EXPECT_EQ(comlite::utf8ToUtf16("a\xFFz"), u"a\uFFFDz");
  EXPECT_EQ(comlite::utf8ToUtf16("\xC3"), u"\uFFFD");            // cut short
  EXPECT_EQ(comlite::utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form
  EXPECT_EQ(comlite::utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}
