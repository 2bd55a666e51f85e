#include "setup/option_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "support/notice_fixture.h"

namespace {

using namespace coravl::setup;
using comlite::utf16ToUtf8;
using coravl_test::NoticeFixture;

std::string found(std::optional<std::u16string_view> v) {
  return v ? utf16ToUtf8(*v) : std::string("<none>");
}

//! A list of `n` records "k : 1 : 0 , " under a header of the given text.
std::u16string listOf(std::u16string header, int n) {
  for (int i = 0; i < n; ++i) header += u"k : 1 : 0 , ";
  return header;
}

TEST(OptionRecords, append_writes_the_shared_format_and_rewrites_the_count) {
  std::u16string list;
  ASSERT_TRUE(appendBoolRecord(list, u"treatAsHypos", true));
  EXPECT_EQ(list, u"  1 :treatAsHypos : 2 : -1 , ");
  ASSERT_TRUE(appendBoolRecord(list, u"allowSubsets", false));
  EXPECT_EQ(list, u"  2 :treatAsHypos : 2 : -1 , allowSubsets : 1 : 0 , ");
  EXPECT_EQ(found(findRecord(list, u"ALLOWSUBSETS")), "0");
  EXPECT_EQ(found(findRecord(list, u"treatashypos")), "-1");
  EXPECT_EQ(found(findRecord(list, u"allowSubset")), "<none>");
  for (const char16_t* badKey : {u"", u"two words", u"trailing "})
    EXPECT_FALSE(appendRecord(list, badKey, u"1"));
  EXPECT_EQ(recordCount(list), 2u);

  // Empty values and values made of separators are counted, not scanned.
  std::u16string other;
  ASSERT_TRUE(appendRecord(other, u"manager", u""));
  ASSERT_TRUE(appendRecord(other, u"tricky", u"a : 3 : b , c"));
  ASSERT_TRUE(appendRecord(other, u"after", u"x"));
  EXPECT_EQ(other, u"  3 :manager : 0 :  , tricky : 13 : a : 3 : b , c , after : 1 : x , ");
  EXPECT_EQ(found(findRecord(other, u"manager")), "");
  EXPECT_EQ(found(findRecord(other, u"tricky")), "a : 3 : b , c");
  EXPECT_EQ(found(findRecord(other, u"after")), "x");
  EXPECT_EQ(found(findRecord(other, u"b")), "<none>");
  ASSERT_TRUE(appendRecord(other, u"MANAGER", u"second"));
  EXPECT_EQ(found(findRecord(other, u"manager")), "");
  EXPECT_EQ(found(findLastRecord(other, u"manager")), "second");

  // Lengths count UTF-16 code units, as the adapter counts them.
  std::u16string wide;
  ASSERT_TRUE(appendRecord(wide, u"name", u"\u00e9\u20ac\U0001D11E"));
  EXPECT_EQ(wide, u"  1 :name : 4 : \u00e9\u20ac\U0001D11E , ");
}

TEST(OptionRecords, header_count_grows_past_three_characters_instead_of_being_cut) {
  std::u16string nine = listOf(u"  9 :", 9);
  ASSERT_TRUE(appendRecord(nine, u"z", u"1"));
  EXPECT_EQ(nine.substr(0, 5), u" 10 :");

  std::u16string full = listOf(u"999 :", 999);
  ASSERT_TRUE(isRecordList(full));
  ASSERT_TRUE(appendRecord(full, u"last", u"7"));
  EXPECT_EQ(full.substr(0, 6), u"1000 :");
  EXPECT_EQ(recordCount(full), 1000u);
  EXPECT_EQ(found(findRecord(full, u"last")), "7");
  ASSERT_TRUE(appendRecord(full, u"next", u"8"));
  EXPECT_EQ(full.substr(0, 6), u"1001 :");
  EXPECT_EQ(found(findRecord(full, u"next")), "8");

  // A header narrower or wider than three characters is rewritten whole.
  std::u16string narrow = listOf(u"1 :", 1);
  ASSERT_TRUE(appendRecord(narrow, u"z", u"1"));
  EXPECT_EQ(narrow, u"  2 :k : 1 : 0 , z : 1 : 1 , ");
  std::u16string padded = listOf(u"0001 :", 1);
  ASSERT_TRUE(appendRecord(padded, u"z", u"1"));
  EXPECT_EQ(padded, u"  2 :k : 1 : 0 , z : 1 : 1 , ");
}

TEST(OptionRecords, unreadable_headers_count_no_records_and_take_no_appends) {
  for (const char16_t* bad : {u"abc", u"x", u" :", u"  :", u"  3", u"  3:", u"-1 :", u"+1 :",
                              u"999999999999 :", u"\t3 :a : 1 : 1 , "}) {
    SCOPED_TRACE(utf16ToUtf8(bad));
    std::u16string list = bad;
    EXPECT_EQ(recordCount(list), std::nullopt);
    EXPECT_FALSE(isRecordList(list));
    EXPECT_EQ(found(findRecord(list, u"a")), "<none>");
    EXPECT_FALSE(readBoolRecord(list, u"a", false));
    EXPECT_TRUE(readBoolRecord(list, u"a", true));
    EXPECT_FALSE(appendRecord(list, u"a", u"1"));
    EXPECT_EQ(list, bad);
  }
  EXPECT_EQ(recordCount(u""), 0u);
  EXPECT_TRUE(isRecordList(u""));
}

TEST(OptionRecords, damaged_records_end_the_walk_without_reading_past_the_end) {
  struct Case {
    const char16_t* text;
    const char* a;  // value of key "a"
    const char* b;  // value of key "b"
  };
  const Case cases[] = {
      {u"  2 :a : 1 : 1 , b : 1 : 2 , ", "1", "2"},
      {u"  2 :a : 99 : 1 , b : 1 : 2 , ", "<none>", "<none>"},    // length past the end
      {u"  2 :a : 9 : 1 , b : 1 : 2 , ", "1 , b : 1", "<none>"},  // wrong length
      {u"  2 :a : x : 1 , b : 1 : 2 , ", "<none>", "<none>"},     // no length
      {u"  2 :a: 1 : 1 , b : 1 : 2 , ", "<none>", "<none>"},      // no separator
      {u"  2 : a : 1 : 1 , b : 1 : 2 , ", "<none>", "<none>"},    // no key
      {u"  2 :a : 1 : 1 ,b : 1 : 2 , ", "1", "<none>"},           // damaged terminator
      {u"  5 :a : 1 : 1 , b : 1 : 2 , ", "1", "2"},               // count too high
      {u"  1 :a : 1 : 1 , b : 1 : 2 , ", "1", "<none>"},          // count too low
      {u"  0 :a : 1 : 1 , ", "<none>", "<none>"},
      {u"  2 :a : 1 : 1 , b : 1 : 2", "1", "2"},  // last terminator cut off
      {u"  2 :a : 1 : 1 , b : 1 : ", "1", "<none>"},
      {u"  2 :a : 4294967297 : 1 , ", "<none>", "<none>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text));
    EXPECT_EQ(found(findRecord(c.text, u"a")), c.a);
    EXPECT_EQ(found(findRecord(c.text, u"b")), c.b);
    EXPECT_EQ(found(findLastRecord(c.text, u"b")), c.b);
    // Only the first text is whole; nothing can be appended to the others.
    std::u16string list = c.text;
    EXPECT_EQ(appendRecord(list, u"c", u"3"), &c == &cases[0]);
  }
}

TEST(OptionRecords, every_cut_of_a_list_reads_whole_records_or_nothing) {
  std::u16string list;
  const std::vector<std::pair<std::u16string, std::u16string>> records{
      {u"one", u"-1"}, {u"two", u"a : 1 : b , "}, {u"three", u""}, {u"four", u"0.0"}};
  for (const auto& [k, v] : records) ASSERT_TRUE(appendRecord(list, k, v));
  for (std::size_t n = 0; n <= list.size(); ++n) {
    // A copy of exactly n characters, so a sanitizer sees any read past its end.
    const std::u16string cut = list.substr(0, n);
    SCOPED_TRACE(utf16ToUtf8(cut));
    for (const auto& [k, v] : records) {
      const auto value = findRecord(cut, k);
      if (value) {
        EXPECT_EQ(*value, v);
      }
      const std::size_t end =
          list.find(k + u" : ") + k.size() + 3 + std::to_string(v.size()).size() + 3 + v.size();
      if (n >= end) {
        EXPECT_TRUE(value.has_value());
      }
    }
    EXPECT_EQ(isRecordList(cut), n == 0 || n == list.size());
  }
}

TEST(OptionRecords, random_texts_never_break_the_invariants) {
  std::mt19937 rng(20240611);
  const std::u16string alphabet = u" :,0123456789kx";
  for (int round = 0; round < 5000; ++round) {
    std::u16string text;
    const int len = static_cast<int>(rng() % 40);
    // Half of the texts start with a readable header.
    if (rng() % 2) text = std::u16string(u"  ") + char16_t(u'0' + rng() % 4) + u" :";
    for (int i = 0; i < len; ++i) text += alphabet[rng() % alphabet.size()];
    SCOPED_TRACE(utf16ToUtf8(text));
    (void)findRecord(text, u"k");
    (void)readBoolRecord(text, u"x", true);
    const bool whole = isRecordList(text);
    std::u16string appended = text;
    ASSERT_EQ(appendRecord(appended, u"newKey", u"v , w"), whole);
    if (whole) {
      EXPECT_EQ(recordCount(appended), *recordCount(text) + 1);
      EXPECT_EQ(found(findLastRecord(appended, u"newkey")), "v , w");
      EXPECT_TRUE(isRecordList(appended));
    } else {
      EXPECT_EQ(appended, text);
    }
  }
}

TEST(OptionRecords, booleans_read_like_atof) {
  struct Case {
    const char16_t* value;
    double number;
  };
  const Case cases[] = {{u"-1", -1.0}, {u"0", 0.0},    {u"0.0", 0.0}, {u"2", 2.0},
                        {u" 1", 1.0},  {u"+3e2", 300}, {u"abc", 0.0}, {u"0x10", 16.0},
                        {u"1,5", 1.0}, {u"-0", 0.0},   {u"", 0.0}};
  for (const Case& c : cases) EXPECT_EQ(recordNumber(c.value), c.number) << utf16ToUtf8(c.value);
  EXPECT_TRUE(std::isinf(recordNumber(u"1e999")));

  std::u16string list;
  for (const char16_t* v : {u"0.0", u"2", u"", u"nan"})
    ASSERT_TRUE(appendRecord(list, std::u16string(u"k") + v, v));
  EXPECT_FALSE(readBoolRecord(list, u"k0.0", true));
  EXPECT_TRUE(readBoolRecord(list, u"k2", false));
  EXPECT_TRUE(readBoolRecord(list, u"k", true));      // empty: the default
  EXPECT_TRUE(readBoolRecord(list, u"knan", false));  // not equal to 0
  EXPECT_TRUE(readBoolRecord(list, u"missing", true));
}

using OptionRecordValues = NoticeFixture;

TEST_F(OptionRecordValues, values_are_rendered_like_variant_text) {
  std::u16string list;
  ASSERT_TRUE(appendVariantRecord(list, u"l", comlite::Variant::fromLong(42)));
  ASSERT_TRUE(appendVariantRecord(list, u"d", comlite::Variant::fromDouble(1.0)));
  ASSERT_TRUE(appendVariantRecord(list, u"s", comlite::Variant::fromString("Ideal C1-C4")));
  ASSERT_TRUE(appendVariantRecord(list, u"e", comlite::Variant()));
  EXPECT_EQ(list, u"  4 :l : 2 : 42 , d : 2 : 1. , s : 11 : Ideal C1-C4 , e : 7 : <empty> , ");
  EXPECT_TRUE(m_notices.empty());

  // A list whose element holds the separator is reported and still written, and read back.
  comlite::Variant names;
  names.vt = VT_ARRAY | VT_BSTR;
  names.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  for (LONG i = 0; i < 2; ++i) {
    comlite::Bstr s(i == 0 ? "a, b" : "c");
    SafeArrayPutElement(names.parray, &i, s.get());
  }
  ASSERT_TRUE(appendVariantRecord(list, u"names", names));
  EXPECT_EQ(found(findRecord(list, u"names")), "(a, b, c)");
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_NE(m_notices[0].text.find("Error persisting a string. The sequence of characters ', ' "
                                   "is not allowed."),
            std::string::npos);
}

}  // namespace
