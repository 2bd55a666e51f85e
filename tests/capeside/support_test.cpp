//! The support library: option record lists, settings text, lists in VARIANTs and the
//! CAPE-OPEN error object.

#include <gtest/gtest.h>

#include "capeside/support/cape_object.h"
#include "capeside/support/error_object.h"
#include "capeside/support/option_records.h"
#include "capeside/support/settings_text.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/safearray.h"
#include "outside/capeopen_common.h"

using namespace capeside;

TEST(OptionRecords, append_and_find_follow_the_shared_text_format) {
  std::u16string list;
  appendRecord(list, "treatAsHypos", "-1");
  EXPECT_EQ(list, u"  1 :treatAsHypos : 2 : -1 , ");
  appendRecord(list, "allowSubsets", "0");
  EXPECT_EQ(list, u"  2 :treatAsHypos : 2 : -1 , allowSubsets : 1 : 0 , ");
  EXPECT_EQ(findRecordUtf8(list, "ALLOWSUBSETS"), "0");
  EXPECT_EQ(findRecordUtf8(list, "missing"), std::nullopt);
  // Values holding the separators are found by their length; lengths count UTF-16 units.
  appendRecord(list, "tricky", "a : 3 : b , c");
  appendRecord(list, "wide", "\xE2\x82\xAC\xF0\x9F\x98\x80");  // one BMP character, one pair
  EXPECT_EQ(findRecordUtf8(list, "tricky"), "a : 3 : b , c");
  EXPECT_NE(list.find(u"wide : 3 : "), std::u16string::npos);
  auto all = parseRecords(list);
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 4u);
  EXPECT_EQ((*all)[3].second, u"\u20AC\U0001F600");
  EXPECT_EQ(parseRecords(u"  2 :a : 1 : x , "), std::nullopt);  // count says two, one present
  EXPECT_EQ(parseRecords(u"xx"), std::nullopt);
  EXPECT_EQ(findRecordUtf8(u"  1 :a : 99 : x , ", "a"), std::nullopt);  // length overruns
}

TEST(SettingsText, lines_keys_flags_and_lists) {
  auto s = parseSettings("# comment\n  package =  Light gas \n\nalias=x=y\r\n", "f.txt", "t");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].key, "package");
  EXPECT_EQ(s[0].value, "Light gas");
  EXPECT_EQ(s[0].line, 2);
  EXPECT_EQ(s[1].value, "x=y");
  try {
    parseSettings("a = 1\n = 2\n", "f.txt", "t");
    ADD_FAILURE() << "no error";
  } catch (const CapeError& e) {
    EXPECT_EQ(e.code(), ECapeInvalidArgumentHR);
    EXPECT_EQ(e.record().description, "f.txt, line 2: the key before '=' is empty");
  }
  EXPECT_EQ(parseFlag("Yes"), true);
  EXPECT_EQ(parseFlag("-1"), true);
  EXPECT_EQ(parseFlag("0.0"), false);
  EXPECT_EQ(parseFlag("maybe"), std::nullopt);
  EXPECT_EQ(splitList(" a , b,,c "), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_TRUE(splitList("  ").empty());
}

TEST(VariantLists, readers_accept_arrays_scalars_and_variants_and_refuse_the_rest) {
  comlite::Variant strings = makeStringArray({"a", "", "c"}, true);
  EXPECT_EQ(stringList(strings).value(), (std::vector<std::string>{"a", "", "c"}));
  comlite::Variant mixed =
      makeVariantArray({comlite::Variant::fromDouble(1.5), comlite::Variant::fromLong(2)});
  EXPECT_EQ(doubleList(mixed).value(), (std::vector<double>{1.5, 2.0}));
  EXPECT_EQ(stringList(mixed), std::nullopt);
  EXPECT_EQ(doubleList(comlite::Variant::fromDouble(3)).value(), (std::vector<double>{3}));
  EXPECT_TRUE(doubleList(comlite::Variant()).value().empty());
  EXPECT_EQ(doubleList(makeStringArray({"1"})), std::nullopt);
  comlite::Variant byRef;
  byRef.vt = VT_VARIANT | VT_BYREF;
  byRef.pvarVal = &strings;
  EXPECT_EQ(stringList(byRef).value().size(), 3u);
  byRef.vt = VT_EMPTY;  // not owning
  EXPECT_TRUE(sameName("Vapor", "vAPOR"));
  EXPECT_FALSE(sameName("Vapor", "Vapour"));
  EXPECT_EQ(findName({"a", "B"}, "b"), 1);
}

namespace {
class Thrower : public CapeObject<Thrower, ICapeCollection> {
 public:
  HRESULT Item(VARIANT, IDispatch**) override { return E_NOTIMPL; }
  HRESULT Count(LONG*) override { return E_NOTIMPL; }
  HRESULT fail(HRESULT code, SHORT position) {
    return guard("IThrower", "Throw", [&]() -> HRESULT {
      throw CapeError(code, "Thrower::fail", "value 42 is wrong").at(position);
    });
  }
  HRESULT failStd() {
    return guard("IThrower", "Std", []() -> HRESULT { throw std::runtime_error("plain"); });
  }
};
}  // namespace

TEST(ErrorObject, failures_are_kept_on_the_object_and_set_on_the_thread) {
  Thrower* t = comlite::makeObject<Thrower>();
  comlite::ComPtr<ICapeCollection> holder = comlite::ComPtr<ICapeCollection>::attach(t);
  EXPECT_EQ(t->fail(ECapeBadArgumentHR, 3), ECapeBadArgumentHR);
  comlite::ComPtr<ECapeBadArgument> bad;
  ASSERT_EQ(t->QueryInterface(ECapeBadArgument::kIID, bad.putVoid()), S_OK);
  SHORT pos = 0;
  bad->get_position(&pos);
  EXPECT_EQ(pos, 3);
  comlite::ComPtr<ECapeSolvingError> other;
  EXPECT_EQ(t->QueryInterface(ECapeSolvingError::kIID, other.putVoid()), E_NOINTERFACE);
  // The thread's error object answers the same interfaces.
  comlite::ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  comlite::Bstr d, src;
  info->GetDescription(d.out());
  info->GetSource(src.out());
  EXPECT_EQ(d.utf8(), "value 42 is wrong");
  EXPECT_EQ(src.utf8(), "Thrower::fail");
  auto user = info.as<ECapeUser>();
  ASSERT_TRUE(user);
  comlite::Bstr op;
  user->get_operation(op.out());
  EXPECT_EQ(op.utf8(), "Throw");
  EXPECT_TRUE(info.as<ECapeBadArgument>());
  // Other exceptions become ECapeUnknown; a later failure replaces the earlier one.
  EXPECT_EQ(t->failStd(), ECapeUnknownHR);
  EXPECT_EQ(t->QueryInterface(ECapeBadArgument::kIID, bad.putVoid()), E_NOINTERFACE);
  comlite::ComPtr<ECapeUnknown> unknown;
  ASSERT_EQ(t->QueryInterface(ECapeUnknown::kIID, unknown.putVoid()), S_OK);
  EXPECT_EQ(t->lastError().description, "plain");
  EXPECT_EQ(t->InterfaceSupportsErrorInfo(ICapeCollection::kIID), S_OK);
  EXPECT_EQ(t->InterfaceSupportsErrorInfo(IUnknown::kIID), S_FALSE);
}
